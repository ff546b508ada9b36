// Resource ids of the mark-up test dialogs (LinkDialogs.rc).
#pragma once

#define IDC_BEFORE 1201
#define IDC_LINKS 1202
#define IDC_NOTES 1203

#define IDC_NOTIFY_TEXT 1024
#define IDC_NOTIFY_LOGO 1025

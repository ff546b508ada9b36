// Ids of ferrin's dialogs' controls (shared by the resource script and the
// code).
#pragma once

#define IDC_FT_CLEAR 1026
#define IDC_FT_FETCHDIR 1027
#define IDC_FT_FETCHDIR_LABEL 1028
#define IDC_FT_SENDFILES 1029

#define IDC_NOTIFY_TEXT 1024
#define IDC_NOTIFY_LOGO 1025

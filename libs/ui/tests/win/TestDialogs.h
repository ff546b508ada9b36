// Resource ids of the toolkit's test dialogs (TestDialogs.rc).
#pragma once

#define IDI_TILE 100

#define IDC_NAME 1001
#define IDC_SECOND 1002

#define IDC_SERVER_LABEL 1101
#define IDC_SERVER 1102
#define IDC_FOLDER_LABEL 1103
#define IDC_FOLDER 1104
#define IDC_BROWSE 1105
#define IDC_CLIPBOARD 1106
#define IDC_HEADING 1107
#define IDC_NOTE 1108

#define IDC_CHECK 1201
#define IDC_NUMBER 1202
#define IDC_PROMPT 1203
#define IDC_LIST 1204
#define IDC_SLIDER 1205
#define IDC_AGAIN 1206

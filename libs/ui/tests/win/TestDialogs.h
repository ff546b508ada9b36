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

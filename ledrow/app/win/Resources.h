// Identifiers of the address book's resources (ledrow.rc).
#pragma once

// Icons and bitmaps.
#define IDI_TRAY 118
#define IDI_NEW_ENTRY 122
#define IDI_NEW_FOLDER 123
#define IDI_PROPERTIES 124
#define IDI_CONNECT 125
#define IDI_DELETE 126
#define IDB_TREE 107
#define IDB_GROUP_COLLAPSED 108
#define IDB_GROUP_EXPANDED 109

// Menus.
#define IDR_MAIN_MENU 112
#define IDR_TRAY_MENU 116

// The main window's commands.
#define ID_STATUS_BAR 40007
#define ID_ABOUT 40010
#define ID_EXIT 40011
#define ID_NEW_ENTRY 40018
#define ID_OPTIONS 40019
#define ID_FORGET_PASSWORD 40020
#define ID_NEW_FOLDER 40021
#define ID_OPEN_BOOK 40024
#define ID_CONNECT_TO 40025
#define ID_PROPERTIES 40029
#define ID_DELETE 40030
#define ID_RENAME 40031
#define ID_TOOLBAR 40036
#define ID_DETAILS 40037
#define ID_LAUNCH_VIEWER 40038
#define ID_TRAY_LAUNCH_VIEWER 40039
#define ID_EXPORT 40048
#define ID_IMPORT 40049
// The tray menu's entries count up from here.
#define ID_FIRST_ENTRY 40050

// The entry tree dialog.
#define IDD_MAIN_DIALOG 103
#define IDC_TABS 1001
#define IDC_TREE 1003
#define IDC_DETAILS 1004
#define IDC_SERVER_LABEL 1006
#define IDC_ENCRYPTION_LABEL 1007
#define IDC_USERNAME_LABEL 1008
#define IDC_OPTIONS_LABEL 1009
#define IDC_SERVER 1151
#define IDC_ENCRYPTION 1152
#define IDC_USERNAME 1005
#define IDC_OPTIONS 1023
#define ID_CONNECT 40005

// The master-password prompt.
#define IDD_GET_PASSWORD 112
#define IDC_PASSWORD_PROMPT 1010
#define IDC_PASSWORD 1011

// The quick-launch popup.
#define IDD_QUICK_LAUNCH 163
#define IDC_QUICK_SERVER 1012

// Choosing a master password.
#define IDD_SET_PASSWORD 111
#define IDC_SET_EXPLANATION 1013
#define IDC_NEW_PASSWORD 1014
#define IDC_CONFIRM_PASSWORD 1015

// What to do with a password the viewer sent.
#define IDD_PASSWORD_BEHAVIOUR 120
#define IDC_BEHAVIOUR_QUESTION 1016
#define IDC_DONT_SAVE 1017
#define IDC_SAVE 1018
#define IDC_ENCRYPT 1019
#define IDC_DONT_ASK 1020

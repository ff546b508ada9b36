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
#define IDR_TREE_MENU 110

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

// The tree's context menu.
#define ID_TREE_PROPERTIES 40014
#define ID_TREE_DELETE 40026
#define ID_TREE_RENAME 40028
#define ID_TREE_EXPORT 40044
#define ID_TREE_IMPORT 40045

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

// The server page of an entry's properties.
#define IDD_SERVER_PAGE 131
#define IDC_HOST 1004
#define IDC_ENCRYPTION_LEVEL 1054
#define IDC_USE_USER_NAME 1030
#define IDC_USER_NAME 1031
#define IDC_USE_PASSWORD 1032
#define IDC_ENTRY_PASSWORD 1033
#define IDC_CONFIRM_LABEL 1034
#define IDC_ENTRY_CONFIRM 1035
#define IDC_PROTECT_PASSWORD 1036

// The options dialog.
#define IDD_OPTIONS 114
#define IDC_ALWAYS_ASK 1040
#define IDC_REMEMBER_FOR 1041
#define IDC_EXPIRY_COUNT 1042
#define IDC_EXPIRY_SPIN 1043
#define IDC_EXPIRY_UNIT 1044
#define IDC_CHANGE_MASTER 1045
#define IDC_NEVER_SAVE 1046
#define IDC_ALWAYS_SAVE 1047
#define IDC_ALWAYS_ENCRYPT 1048
#define IDC_ASK_EACH_TIME 1049
#define IDC_SHOW_TRAY_ICON 1050
#define IDC_START_MINIMISED 1051
#define IDC_START_WITH_WINDOWS 1052

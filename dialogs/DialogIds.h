// Resource ids of the dialogs: their templates, their controls and their
// icon, shared by the resource script and the code. Plain defines only, so
// the resource compiler reads this file too.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_EDITSOLUTION_NEW 166
#define IDD_PROGRESS 181
#define IDD_SOLUTIONS 192
#define IDD_LAYOUT 201
#define IDD_MESSAGES 194
#define IDD_MATERIAL 213
#define IDD_EDITSOLUTION 225

#define IDI_DIALOGS 214
// The application's icon, which the about box shows.
#define IDI_APPLICATION_ICON 5

// About box
#define IDC_ABOUT_VERSION 1025
#define IDC_ABOUT_NAME 1026
#define IDC_ABOUT_SEPARATOR 1140
#define IDC_ABOUT_VERSION_LABEL 1142

// Project name dialog and material name dialog
#define IDC_NAME_LABEL 1053
#define IDC_DESC_LABEL 1054
#define IDC_NOTE 1056
#define IDC_MATERIAL_LABEL 1085
#define IDC_NAME_EDIT 1087
#define IDC_MATERIAL_EDIT 1089
#define IDC_RULE 1126
#define IDC_MATERIAL_MESSAGE 1150
#define IDC_DESC_EDIT 1151

// Warnings list
#define IDC_MESSAGES_LIST 1124

// Calculation progress (the Break button is id 3)
#define IDC_PROGRESS_BREAK 3
#define IDC_PROGRESS_BAR 1096
#define IDC_PROGRESS_STATUS 1097

// Choice of solution
#define IDC_SOLUTIONS_LABEL 1046
#define IDC_SOLUTIONS_LIST 1048

// Manual layout editor
#define IDC_LAYOUT_TITLE 1046
#define IDC_LAYOUT_CUTTING_TITLE 1047
#define IDC_LAYOUT_PATTERNS 1048
#define IDC_LAYOUT_PARTS 1049
#define IDC_LAYOUT_FREE 1050
#define IDC_LAYOUT_FREE_TITLE 1052
#define IDC_LAYOUT_ADD 1058
#define IDC_LAYOUT_REMOVE 1059
#define IDC_LAYOUT_STATS 1060
#define IDC_LAYOUT_GROUP 1138
#define IDC_LAYOUT_PLUS 1139
#define IDC_LAYOUT_MINUS 1140
#define IDC_LAYOUT_FREE_PLUS 1141

// Resource ids of the main window's panels: their templates and controls,
// shared by the resource script and the code. Plain defines only, so the
// resource compiler reads this file too.
#pragma once

#define IDD_PANEL_HEADER 131
#define IDD_PANEL_PROJECT 203
#define IDD_PANEL_INFO 204

// Header bar
#define IDC_HEADER_OPEN 1003
#define IDC_HEADER_CREATE 1004
#define IDC_HEADER_SAVE 1006
#define IDC_HEADER_EXIT 1008
#define IDC_HEADER_PROJECT 1046
#define IDC_HEADER_TABS 1049
#define IDC_HEADER_RECENT 1120

// Project panel
#define IDC_PROJECT_HEADING 1046
#define IDC_PROJECT_NAME_TITLE 1047
#define IDC_PROJECT_MATERIALS 1048
#define IDC_PROJECT_DESC_TITLE 1052
#define IDC_PROJECT_CALC 1058
#define IDC_PROJECT_REPORT 1060
#define IDC_PROJECT_EXPORT 1064
#define IDC_PROJECT_MESSAGES 1065
#define IDC_PROJECT_NAME 1087
#define IDC_PROJECT_ADD 1147
#define IDC_PROJECT_REMOVE 1148
#define IDC_PROJECT_DESC 1151
#define IDC_PROJECT_IMPORT 1154
#define IDC_PROJECT_EXPORT_DATA 1155
#define IDC_PROJECT_EDIT 1157

// Description page
#define IDC_INFO_COMMENT_TITLE 1047
#define IDC_INFO_NOTES_TITLE 1052
#define IDC_INFO_COMMENT 1061
#define IDC_INFO_NOTES 1062
#define IDC_INFO_COMMENT_ADD 1146
#define IDC_INFO_NOTES_ADD 1147

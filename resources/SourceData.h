// Resource ids of the source data page, the stock and part editors, the
// import and export dialogs and the "File saved" box, shared by
// SourceData.rc and the code that loads them. The classes that own the
// templates name these ids in their own terms. Plain defines only, so the
// resource compiler reads this file too.
#pragma once

#include "PanelTemplates.h"

#define IDD_BLANKS 163
#define IDD_PIECES 172
#define IDD_EXPORT 187
#define IDD_IMPORT 189
#define IDD_FILESAVED 199

#define IDI_IMPORT 225
#define IDI_EXPORT 226

// Source data page (IDD_PANEL_SOURCE)
#define IDC_SOURCE_STOCK_TITLE 1046
#define IDC_SOURCE_PART_TITLE 1047
#define IDC_SOURCE_STOCK_LIST 1048
#define IDC_SOURCE_PART_LIST 1049
#define IDC_SOURCE_DESC_TITLE 1053
// A combo box and a label the template carries hidden; nothing uses them.
#define IDC_SOURCE_SPARE_LIST 1084
#define IDC_SOURCE_NAME_TITLE 1085
#define IDC_SOURCE_DESC 1087
#define IDC_SOURCE_STOCK_EDIT 1088
#define IDC_SOURCE_NAME 1089
#define IDC_SOURCE_PART_EDIT 1090
#define IDC_SOURCE_PART_IMPORT 1091
#define IDC_SOURCE_PART_EXPORT 1092
#define IDC_SOURCE_STOCK_IMPORT 1093
#define IDC_SOURCE_STOCK_EXPORT 1094
#define IDC_SOURCE_MESSAGES 1095
#define IDC_SOURCE_SPARE_LABEL 1149
#define IDC_SOURCE_RENAME 1153

// Stock and part editors: the controls both templates have
#define IDC_ROWS_LIST 1048
#define IDC_ROWS_ADD 1058
#define IDC_ROWS_UPDATE 1059
#define IDC_ROWS_DELETE 1060
#define IDC_ROWS_MOVE_UP 1065
#define IDC_ROWS_STATUS 1121
#define IDC_ROWS_MOVE_DOWN 1125
#define IDC_ROWS_RULE 1126

// Stock editor: the field edits and their titles
#define IDC_BLANKS_LENGTH_TITLE 1047
#define IDC_BLANKS_NOTE 1051
#define IDC_BLANKS_QUANTITY_TITLE 1052
#define IDC_BLANKS_KNIFE_TITLE 1053
#define IDC_BLANKS_COST_TITLE 1054
#define IDC_BLANKS_KEY_NOTE 1055
#define IDC_BLANKS_COMMENT_TITLE 1056
#define IDC_BLANKS_LENGTH 1061
#define IDC_BLANKS_QUANTITY 1062
#define IDC_BLANKS_COST 1063
#define IDC_BLANKS_KNIFE 1064
#define IDC_BLANKS_INDENT 1066
#define IDC_BLANKS_COMMENT 1070
#define IDC_BLANKS_INDENT_TITLE 1079

// Part editor: the field edits and their titles
#define IDC_PIECES_LENGTH_TITLE 1047
#define IDC_PIECES_QUANTITY_TITLE 1052
#define IDC_PIECES_LABEL_TITLE 1053
#define IDC_PIECES_COMMENT_TITLE 1054
#define IDC_PIECES_LENGTH 1061
#define IDC_PIECES_QUANTITY 1062
#define IDC_PIECES_COMMENT 1063
#define IDC_PIECES_LABEL 1064
#define IDC_PIECES_KEY_NOTE 1128
#define IDC_PIECES_NOTE 1155

// Import and export dialogs: the controls both templates have
#define IDC_DELIMITED_LIST 1049
#define IDC_DELIMITED_FORMAT_LIST 1050
#define IDC_DELIMITED_INSERT 1058
#define IDC_DELIMITED_APPEND 1059
#define IDC_DELIMITED_REMOVE 1060
#define IDC_DELIMITED_FORMAT_FILE 1062
#define IDC_DELIMITED_MOVE_UP 1064
#define IDC_DELIMITED_MOVE_DOWN 1065
#define IDC_DELIMITED_TEXT 1114
#define IDC_DELIMITED_SEPARATOR_TITLE 1115
#define IDC_DELIMITED_SEPARATOR 1116

// Export dialog
#define IDC_EXPORT_SAVE_FILE 1066
#define IDC_EXPORT_CLIPBOARD 1067
#define IDC_EXPORT_SOURCE_TITLE 1111
#define IDC_EXPORT_FORMAT_TITLE 1112
#define IDC_EXPORT_OUTPUT_TITLE 1113

// Import dialog
#define IDC_IMPORT_OPEN_FILE 1066
#define IDC_IMPORT_CLIPBOARD 1067
#define IDC_IMPORT_COMPACT 1109
#define IDC_IMPORT_RESULT_TITLE 1111
#define IDC_IMPORT_FORMAT_TITLE 1112
#define IDC_IMPORT_SOURCE_TITLE 1113
#define IDC_IMPORT_NOTE 1128

// "File saved" box
#define IDC_FILESAVED_MESSAGE 1129
#define IDC_FILESAVED_OPEN_FILE 1131
#define IDC_FILESAVED_OPEN_FOLDER 1132

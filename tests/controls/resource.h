// Ids of the control library's test dialogs.
#pragma once

#define IDD_CONTROLS 100

#define IDC_SAVE 1001
#define IDC_MRU 1002
#define IDC_OPEN 1003
#define IDC_PLAIN 1004
#define IDC_MISSING 1005
#define IDC_LABEL 1011
#define IDC_WORDS 1012
#define IDC_BACK 1021

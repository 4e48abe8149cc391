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

// Tab strip, list and panel tests.
#define IDD_TAB_HOST 310
#define IDD_LIST_HOST 311
#define IDD_PANEL_HOST 312
#define IDD_PANEL 313
#define IDC_TAB_STRIP 3101
#define IDC_LIST_VIEW 3102
#define IDC_PANEL_APPLY 3110
#define IDC_PANEL_RESET 3111
#define IDC_PANEL_LABEL 3112
#define IDC_PANEL_TABS 3113

// Keyboard tests: a dialog of wrapped controls, and a host with a panel.
#define IDD_KEYS 314
#define IDD_KEY_PANEL_HOST 315
#define IDD_KEY_PANEL 316
#define IDC_KEYS_LIST 3120
#define IDC_KEYS_APPLY 3121
#define IDC_KEYS_AFTER 3122
#define IDC_KEYS_INSIDE 3123
#define IDC_KEYS_NOTES 3124

// Ids of the class library's test dialogs.
#pragma once

#define IDD_PLAIN 100
#define IDD_VISIBLE 101
#define IDD_CHILD 102

#define IDC_LABEL 1001
#define IDC_BUTTON 1002
#define IDC_EDIT 1003
#define IDC_CHILD_BUTTON 1005

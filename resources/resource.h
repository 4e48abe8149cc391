// Ids of the resources the executable carries, shared by the .rc file and the
// code that loads them.
#pragma once

#define IDD_MAINWINDOW 102
#define IDR_MAINMENU 102
#define IDR_ACCELERATORS 138
#define IDI_MAINICON 5

#define IDC_STARTUP_STATUS 11001
#define IDC_STARTUP_TITLE 11002

#define ID_FILE_OPEN 32771
#define ID_FILE_CREATE 32772
#define ID_FILE_OPTIONS 32774
#define ID_FILE_EXIT 32775
#define ID_HELP_VIEWLOG 32779
#define ID_HELP_ABOUT 32781
#define ID_HELP_HELP 32785
#define ID_FILE_SAVE 32790
#define ID_FILE_SAVEAS 32791
#define ID_HELP_CLEANLOG 32799
#define ID_FILE_RECENT 32815

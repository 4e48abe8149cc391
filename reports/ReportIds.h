// Ids of the report window's templates and controls, shared by the resource
// script and the code.
#pragma once

// The report window and its toolbar panel.
#define IDD_REPORTS 184
#define IDD_REPORTS_TOOLBAR 185

// The report window.
#define IDC_REPORTS_VIEW 1000
#define IDC_REPORTS_PANEL 1109
#define IDC_REPORTS_GRAPH 1110

// The toolbar.
#define IDC_REPORTS_PRINT 1005
#define IDC_REPORTS_SAVE 1006
#define IDC_REPORTS_FITW 1007
#define IDC_REPORTS_PAGE 1009
#define IDC_REPORTS_NEXT 1010
#define IDC_REPORTS_LAYOUT 1011
#define IDC_REPORTS_PREV 1012
#define IDC_REPORTS_LAYOUT_LABEL 1013
#define IDC_REPORTS_PRINTER_LABEL 1014
#define IDC_REPORTS_PRINTER 1015
#define IDC_REPORTS_FITH 1016
#define IDC_REPORTS_COLORS_LABEL 1017
#define IDC_REPORTS_COLORS 1018

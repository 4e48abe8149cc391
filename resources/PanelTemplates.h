// Template ids of the main window's six panels, shared by the resource
// scripts that hold the templates and the code. The panel frame (dialogs/)
// sends them as the wParam of the panel messages, and the panels themselves
// sit above it, so they live here, below both. Plain defines only, so the
// resource compiler reads this file too.
#pragma once

#define IDD_PANEL_HEADER 131
#define IDD_PANEL_SOURCE 161
#define IDD_PANEL_RESULTS 162
#define IDD_PANEL_OPTIONS 182
#define IDD_PANEL_PROJECT 203
#define IDD_PANEL_INFO 204

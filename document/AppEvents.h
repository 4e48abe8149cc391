// The application events: small codes raised after a change of application-
// wide interest and broadcast to the main window, its panels, the report
// window and the application itself. One name per code for every layer; the
// document raises some of them, so they live where it can reach them.
#pragma once

enum AppEventCode : long {
    kEventProjectClosed = 1,
    kEventProjectOpened = 2,           // created or opened
    kEventCalculationFinished = 3,     // argument 0: the run ended without a result
    kEventMaterialsChanged = 4,        // a material added or removed
    kEventMaterialOptionsChanged = 5,
    kEventAutomationBreak = 6,         // stop a running calculation
    kEventReportLayoutChanged = 10,    // layout or colour scheme
    kEventOpenCommandLineProject = 11, // posted once at start-up; the main window only
    kEventReportPageChanged = 12,      // page or printer
    kEventSolutionsChanged = 13,
    kEventProjectDataChanged = 14,     // changed or saved
    kEventCurrentMaterialChanged = 15,
    kEventMaterialEdited = 16,
    kEventPrintersEnumerated = 19,
    kEventStartupFinished = 20,
    kEventSettingsChanged = 21,
};

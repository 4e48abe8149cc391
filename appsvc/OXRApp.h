// The application object: the one CWinApp of the program. It owns every long-
// lived service (settings, locale texts, fonts, log, folders, the open
// project, the calculation supervisor, the report object, the printer lists,
// the recent projects, the main window) and is the document's DAppServices.
//
// The class is split by layer, not by name: what panels, dialogs and reports
// call (settings, locale, fonts, colours, number formats, events, message
// boxes, busy cursor, folders) is defined in appsvc/, below them; start-up,
// the menu and project commands and shutdown are defined in app/, the
// executable's layer above them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "appsvc/AutomationRequest.h"
#include "document/AppEvents.h"
#include "classlib/CDialog.h"
#include "classlib/CWinApp.h"
#include "document/DAppServices.h"
#include "document/DCSSolution.h"
#include "document/DProcessor.h"
#include "foundation/DAppSettings.h"
#include "foundation/DAuto.h"
#include "foundation/DParser.h"
#include "foundation/DSettings.h"
#include "foundation/DThread.h"
#include "foundation/StrList.h"
#include "foundation/ULog.h"
#include "foundation/UMap.h"
#include "foundation/UPairList.h"
#include "foundation/URecentList.h"
#include "resources/resource.h"

// ---- Process-wide constants ---------------------------------------------------------

extern const char* const kAppName;            // "KORVA Bravik": captions, banner, boxes
extern const char* const kProductWord;        // "Bravik": data folder leaf, file names
extern const char* const kMakerFolder;        // "KORVA"
extern const char* const kDisplayVersion;     // "1.2.20 "
extern const char* const kBuildVersion;       // "1.2.20.1 "
extern const char* const kProjectExtension;   // "brvk"
extern const char* const kAutomationExtension; // "kvauto"
extern const char* const kDefaultLanguage;    // "en_US"
extern const char* const kEmbeddedLocale;     // "Bravik.EN_US", resource type "LOCALE"
extern const char* const kProjectFilter;      // the file dialogs' project filter

// Menu commands and the resources the application object loads.
constexpr UINT kAcceleratorTable = IDR_ACCELERATORS;
constexpr UINT kMainIcon = IDI_MAINICON;
constexpr UINT kCmdOpen = ID_FILE_OPEN;
constexpr UINT kCmdCreate = ID_FILE_CREATE;
constexpr UINT kCmdOptions = ID_FILE_OPTIONS;
constexpr UINT kCmdExit = ID_FILE_EXIT;
constexpr UINT kCmdViewLog = ID_HELP_VIEWLOG;
constexpr UINT kCmdAbout = ID_HELP_ABOUT;
constexpr UINT kCmdHelp = ID_HELP_HELP;
constexpr UINT kCmdSave = ID_FILE_SAVE;
constexpr UINT kCmdSaveAs = ID_FILE_SAVEAS;
constexpr UINT kCmdCleanLog = ID_HELP_CLEANLOG;
constexpr UINT kCmdRecentMenu = ID_FILE_RECENT;  // the placeholder item of the recent pop-up
constexpr UINT kCmdRecentFirst = 32820;   // recent project i is kCmdRecentFirst + i
constexpr UINT kCmdRecentLast = 32860;
constexpr UINT kCmdMenuFirst = 32700;     // the range the application's menu handler takes
constexpr UINT kCmdMenuLast = 32800;
constexpr UINT kCmdHelpIndex = 57670;     // ID_HELP
// Positions in the File menu that the commands rely on.
constexpr int kFileMenuSave = 3;
constexpr int kFileMenuSaveAs = 4;
constexpr int kFileMenuRecent = 8;

// ---- What the services need of the windows above them ------------------------------

// The main window as the services see it: the application's event dispatcher
// and the File menu's enable states. The main window (app/) derives from it.
class OXRWindowBase : public CDialog {
public:
    using CDialog::CDialog;
    // Acts on the codes the main window handles and hands the rest to its
    // panels (never code 11 there), with the object that raised the event
    // (none for WM_USER and the document).
    virtual void OnAppEvent(long code, long argument, const void* sender = nullptr) = 0;
    // Save enabled while the project is modified, Save As while it has a material.
    virtual void UpdateFileMenu() = 0;
};

// Minimum sizes the panels publish in their own initialisation; the main
// window's first initialisation reads them.
struct PanelMinimumSizes {
    static long sourceWidth;
    static long projectWidth;
    static long projectHeight;   // 448 until the project panel publishes one
};

// A panel of the main window as the main window's dispatcher sees it: each
// panel acts on the event codes it knows and ignores the rest. sender is the
// object that raised the event, or none: a panel that raised it skips the
// refresh it has already done.
class DAppEventReceiver {
public:
    virtual ~DAppEventReceiver();
    virtual void OnAppEvent(long code, const void* sender) = 0;
};

// The report window as the broadcast sees it; the report window derives from it
// and the application deletes it through it.
class DAppReportWindow {
public:
    virtual ~DAppReportWindow();
    virtual void OnAppEvent(long code) = 0;
};

class DlgStartup;
class OXRReport;
class OXRApp;

// An object of a layer above the services that the application owns: it is
// deleted through the function its creator gave, where its type is complete.
template <class T>
using AppOwned = std::unique_ptr<T, void (*)(T*)>;

template <class T>
AppOwned<T> MakeAppOwned(T* object)
{
    return AppOwned<T>(object, [](T* p) { delete p; });
}

class OXRApp : public CWinApp, public DAppServices {
public:
    // The executable's half, handed in when the one application object is
    // built: the services link without it, and without it (the tests of the
    // layers that use the services) the application starts nothing, handles
    // no command and ends at once at the end of an automation start.
    struct Upper {
        BOOL (OXRApp::*startUp)() = nullptr;
        const CMessageMap* (*commandMap)() = nullptr;
        // Event 20 in automation mode: load the script and start it, or end.
        void (OXRApp::*startAutomation)() = nullptr;
    };
    // The executable's half of this build (defined in app/).
    static Upper ExecutableHalf();

    OXRApp();
    explicit OXRApp(const Upper& upper);
    // Releases everything the object owns, bounding its wait for the
    // printer thread.
    ~OXRApp() override;

    // ---- Class library (appsvc/) --------------------------------------------------
    BOOL InitInstance() override;
    const CMessageMap* GetMessageMap() const override;
    // Accelerators (unless a message box is open), then the hook window.
    BOOL ProcessMessageFilter(int code, MSG* msg) override;

    // ---- Folders and resources (appsvc/) --------------------------------------------
    UString MakeProgramPath(const char* name) const;
    UString MakeDataPath(const char* name) const;
    // In the temporary folder: prefix + tick count + "." + extension ("tmp"
    // when none). The file is not created.
    UString MakeTempFileName(const char* prefix, const char* extension) const;
    // The bytes of a resource of the executable into buffer (emptied first),
    // always followed by a zero byte, so a text resource reads as a text;
    // false when it is missing or empty.
    bool LoadResourceData(const char* type, const char* name, UMemory& buffer) const;
    // Empties the temporary folder, keeping the folder.
    void CleanTempFolder();
    // "Build" and "System" into the system information.
    void LogSystemInfo();
    // The system information as one line, "key=value; key=value".
    UString SystemInfoLine() const;
    // The options ("-key:value") and the first plain argument ("file").
    void ParseCommandLine();
    // The same from a list of arguments (the program's name left out).
    void ParseArguments(int count, const wchar_t* const* arguments);

    // The excluded printers from the setting "excluded": names in double
    // quotes joined by ", "; a comma inside a name's quotes does not split it.
    void LoadExcludedPrinters();

    // ---- Locale, fonts, colours, number formats (appsvc/) ------------------------------
    void LoadLocale(const char* language);
    std::string GetGlobalText(const char* key, const char* def);
    // A text of the section "messages" in the ANSI code page, def when absent.
    std::string GetMessageText(const char* key, const char* def);
    void LocalizeMenu();
    void CreateUiFonts();
    // The named font; a missing name gives the first font of the map in key
    // order when orFirst, else null.
    HFONT GetFont(const char* name, bool orFirst = true);
    COLORREF GetNamedColor(const char* name) const;
    void LoadNumberFormats();
    // kind 0 lengths, 1 pieces, 2 costs; a non-empty pattern is applied to a
    // non-empty label with sprintf.
    std::string GetUnitLabel(int kind, const char* pattern);
    // "status." + code of "messages"; "Ok" or "Error" when missing.
    std::string GetStatusText(long code);

    // DAppServices, for the document and everyone else.
    void OnAppEvent(long code, long argument, const void* sender = nullptr) override;
    std::string FormatQuantity(int mode, bool withUnits, double value) override;
    std::string GetListSeparator(const char* key) override;
    bool GetLocaleSection(const char* name, DProps& out) override;
    std::string GetLanguage() override;
    std::string GetLocaleText(const char* section, const char* key, const char* def) override;

    // ---- Message boxes, title, menu bar (appsvc/) ---------------------------------------
    // No box in automation mode: the silent answer. Owner: the given window,
    // else the main window; caption: the application name when empty.
    int ShowMessage(HWND owner, const char* caption, const char* text, UINT type, int silent);
    // An error box (logged with "ERR >> " when asked); -1 for a blank text.
    int ReportError(const char* text, const char* caption = nullptr, bool log = true);
    // Says once per run, on the UI thread, that the settings could not be
    // saved (changes of the settings are then lost); nothing otherwise.
    void ReportSettingsFailure();
    void UpdateTitle(bool plain);
    void RefreshMenuBar();
    void BuildRecentMenu();
    // Opens a folder in the system's file browser, or a file with the program
    // its type has (with textFallback: else the one of ".txt" files). quiet:
    // the shell shows no box of its own when it cannot open it.
    void OpenDocument(const char* path, bool textFallback, bool quiet = false);
    void BeginBusy();
    void EndBusy();
    // The main window's handle, null while there is none.
    HWND GetMainHwnd() const;

    // ---- Materials and warnings ---------------------------------------------------------
    // (appsvc/) The material at index becomes current and event 15 follows,
    // also when it was current already; -1, no event, out of range.
    long SelectMaterial(long index);
    // (appsvc/) Asks, then removes the material (-1: the current one);
    // events 4 and 15 follow. False when there is none or the user says no.
    bool DeleteMaterial(long index);
    // (appsvc/) The current material recounted, its fingerprint and warnings
    // renewed after an edit; then the title and the File menu.
    void ResetCurrentMaterial();
    // (appsvc/) Active materials that have an applied solution.
    long CountReadyMaterials();
    // (reports/) Builds the report of the current material (currentOnly) or
    // of every active one and shows it in the report window, which exists
    // while this runs; a warning when there is nothing to report on.
    void BuildReport(bool currentOnly);
    // (dialogs/) Asks for a name and adds the material, which becomes current.
    bool AddMaterial();
    // (dialogs/) The warnings of every material: with testOnly whether there
    // are any, else shown in the warnings list (true when it was shown).
    bool ShowSolutionMessages(bool testOnly);
    // (dialogs/) Calculates every active material under the progress dialog;
    // unless stopped, each applies its best solution and the warnings of the
    // active materials are shown (not in automation mode). False, with a
    // notice, when no material is active.
    bool Calculate();
    // (dialogs/) The cuttings, the usable offcuts or the unplaced parts of
    // every active material through the export dialog, the choices kept for
    // the next time. True when there was nothing to export or the user left
    // with OK; false when cancelled. With a file named, or in a script, which
    // waits for nobody, the text is written with the stored choices into that
    // file; a script that names none exports nothing (false).
    bool ExportCuttings(const char* file = nullptr);
    bool ExportRemnants(const char* file = nullptr);
    bool ExportOrphans(const char* file = nullptr);
    // (dialogs/) The settings dialog; accepted, the formats and the printer
    // exclusions are saved, the number formats derived again and event 21
    // raised, even when nothing changed. refreshPrinters rebuilds the
    // printer list when the exclusions changed (the printers live above).
    void ShowOptions(const std::function<void(HWND)>& refreshPrinters);

    // ---- Printers (reports/) ---------------------------------------------------------------
    // Lists the installed printers again, skipping the excluded ones: the
    // printer names, the current printer (kept from the setting "printer"
    // while it is still there) and the excluded printers (names of printers
    // gone are dropped). status: a window showing the printer being
    // contacted, or null; stopper: the printer thread, whose stop request
    // ends the refresh between printers. Any thread, but not while holding
    // the printer lock (another refresh may be waiting for it); always true.
    bool RefreshPrinters(HWND status, DThread* stopper = nullptr);
    // The named printer becomes current, with the letters given, when the
    // printer names hold it (ignoring case), else there is none; null changes
    // nothing. The setting "printer" is saved; returns the current printer.
    UString SelectPrinter(const char* name);
    // The lock of the printer names, the current printer, the excluded
    // printers and the settings: the printer thread changes them beside the
    // UI thread, so every reader and writer holds it (DAutoLock).
    Locker* GetPrinterLock() const { return m_settings.GetLock(); }
    // True while InitInstance runs: events for windows that do not exist
    // yet wait until it has ended.
    bool IsStarting() const { return m_starting; }

    // ---- Reports (reports/) -----------------------------------------------------------------
    // Loads the layouts, selects the stored one and builds the report of the
    // current material or of every active one; true when a page was built.
    bool LoadReportLayouts(bool currentOnly);
    // The layout at that registry position (0 when out of range) for the
    // open report, built anew; stored as "report.layout"; event 10.
    void SelectReportLayout(long index);
    // Colour scheme 0 to 2 (else false): the report is built anew when it
    // changes; stored as "report.colors"; event 10.
    bool SelectReportColors(long scheme);

    // ---- Commands, start-up and shutdown (app/) --------------------------------------------
    BOOL StartUp();
    static const CMessageMap* CommandMap();
    void StartAutomation();
    // The runner's requests through the main window: a command to run, a
    // break of the running calculation, and the close at the script's end.
    LRESULT OnAutomationMessage(WPARAM wParam, LPARAM lParam, UINT message);
    void OnMenuCommand(UINT id);
    void OnRecentProject(UINT id);
    void OnHelp();
    bool CloseProject();
    // The closing question for a modified project: true when the project
    // may go (unmodified, or the user answered Yes).
    bool MayCloseProject();
    // Closes the open project without asking: reset, plain title, event 1.
    void DropProject();
    bool NewProject();
    bool OpenProject(const char* path);
    bool SaveProject(const char* path, bool asNewFile);
    // Another program changed the project's file since it was opened or
    // saved: IDYES overwrite it, IDNO save under another name, IDCANCEL
    // (and every script) leave it alone.
    int AskOverwriteChangedFile(const std::string& file);
    bool ShowRecentProjectsMenu();
    std::string MailSupport();
    UString OpenWebPage(const char* page, bool withLanguageFolder);
    void CleanOutLog();
    void InstallResources();
    void Exit(int exitCode, bool destroyWindows);
    // One command of an automation script (record: "\command", its
    // parameters, "\res"; options: the script's), outcome in "\res": "0"
    // done, "1" refused or failed. 1 for a calculation of the current
    // material that goes on: the results page completes the pending request,
    // and the runner collects its answer into the record.
    long ExecuteCommand(DProps* record, DProps* options);
    // (appsvc/) True while a script's calculation waits for the results page.
    bool HasAutomationRequest() const { return m_automationRequest.IsPending(); }
    // (appsvc/) The results page, at the end of its calculation: the pending
    // request is answered ("\res" "0" when a solution was applied, else "1")
    // and is no longer pending; nothing when none is.
    void CompleteAutomationRequest(bool applied);
    // (appsvc/) The runner's step, on the UI thread: the answer given so far
    // into its record; true once the request was complete.
    bool CollectAutomationAnswer(DProps& record);

    // ---- Fields, in the order of the application's design ----------------------------------
    OXRWindowBase* m_mainWindow = nullptr;
    DAppSettings m_settings;
    TGDIMap m_fonts;
    uint8_t m_freshInstall = 0;
    uint8_t m_automation = 0;
    UString m_programFolder;
    UString m_dataFolder;
    UString m_tempFolder;
    uint8_t m_inMessageBox = 0;
    HWND m_hookWindow = nullptr;
    int32_t m_busyCount = 0;
    UPairList m_systemInfo;
    ULog m_log;
    HACCEL m_accelerators = nullptr;
    UPairList m_commandLine;
    UString m_currentPrinter;
    AppOwned<OXRReport> m_report{nullptr, nullptr};
    UPairList m_printerNames;
    UStringList m_excludedPrinters;
    HBITMAP m_logo = nullptr;
    URecentList m_recent;
    HMENU m_recentMenu = nullptr;
    DSettings m_locale;
    DProps m_globals;
    // The system's decimal separator, read whenever the number formats are.
    std::string m_systemDecimal = ".";
    std::string m_language;
    uint8_t m_lastModified = 0;
    DCSSolution m_document;
    OXRProcessor m_processor;
    DAppReportWindow* m_reportWindow = nullptr;
    DProps m_menuTexts;
    DProps m_messages;
    DParser m_parser;
    UString m_automationScript;
    std::unique_ptr<DThread> m_automationRunner;
    DAutomationRequest m_automationRequest;
    // While a script command runs: the texts of the message boxes it showed
    // or answered silently, which tell why it failed (ShowMessage adds them).
    std::vector<std::string>* m_commandMessages = nullptr;
    std::unique_ptr<DThread> m_printerThread;

private:
    // Asks the printer thread to stop and waits for it, bounded: a printer
    // driver that hangs must not keep the program from ending. True when it
    // has ended (or there is none).
    bool StopPrinterThread();

    Upper m_upper;
    // The embedded locale while start-up needs it.
    UMemory m_localeBuffer;
    // The thread that built the object: the UI thread.
    DWORD m_uiThread = 0;
    bool m_starting = false;
};

// The one application object, null when there is none.
OXRApp* GetApp();
// The one application object; the program and the tests of the layers that
// use the services always have one (the process ends when there is none).
OXRApp& App();

// The busy cursor: one process-wide count with the wait cursor while it is
// above 0 (the application's count; a count of its own without one).
void BeginBusyCursor();
void EndBusyCursor();

// The euro sign in the code page the program runs in: its byte differs from
// one code page to the next (0x80 in 1252, 0x88 in 1251); "EUR" where the
// code page has none.
std::string EuroSign();

// Number texts (empty reads 0) formatted as a length or a cost the user's way.
std::string FormatLengthText(const char* text, bool withUnits);
std::string FormatCostText(const char* text, bool withUnits);

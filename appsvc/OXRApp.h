// The application object: the one CWinApp of the program. It owns every long-
// lived service (settings, locale texts, fonts, log, folders, the open
// project, the calculation supervisor, the report object, the printer lists,
// the recent projects, the main window) and is the document's DAppServices.
//
// The class is split by layer: what panels, dialogs and reports call is
// defined in appsvc/, below them; what needs a dialog or a report lives in
// that layer; start-up, the menu and project commands, automation and
// shutdown are in app/, the executable's layer above them. Every file that
// defines members is named OXRApp<Group>.cpp:
//
//   appsvc/OXRApp.cpp                 construction, message filter, busy cursor,
//                                     folders, resources, command line
//   appsvc/OXRAppLocale.cpp           locale, fonts, colours, number formats
//   appsvc/OXRAppShell.cpp            event broadcast, message boxes, title,
//                                     recent-projects menu, opening documents
//   appsvc/OXRAppMaterials.cpp        choosing, removing and counting materials
//   dialogs/OXRAppCalculate.cpp       calculating every active material
//   dialogs/OXRAppDialogs.cpp         adding a material, warnings, settings
//   dialogs/OXRAppExports.cpp         text exports of the results
//   reports/OXRAppPrinters.cpp        the printer list
//   reports/OXRAppReports.cpp         the report object, layouts and colours
//   reports/OXRAppReportWindow.cpp    building and showing the report
//   app/OXRAppStart.cpp               start-up and its steps
//   app/OXRAppInstall.cpp             installing the embedded files
//   app/OXRAppCommands.cpp            menu and project commands, shutdown
//   app/OXRAppAutomation.cpp          starting the script runner, its requests
//   app/OXRAppScriptCommands.cpp      the commands of an automation script
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
#include "controls/UDraw.h"
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
    // panels (never kEventOpenCommandLineProject there), with the object that
    // raised the event (none for WM_USER and the document).
    virtual void OnAppEvent(long code, long argument, const void* sender = nullptr) = 0;
    // Save enabled while the project is modified, Save As while it has a material.
    virtual void UpdateFileMenu() = 0;
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

// The report window as the broadcast sees it; the report window derives from it.
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
        // kEventStartupFinished in automation mode: load the script and start
        // it, or end.
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
    // (appsvc/) The material at index becomes current and
    // kEventCurrentMaterialChanged follows, also when it was current already;
    // -1, no event, out of range.
    long SelectMaterial(long index);
    // (appsvc/) Asks, then removes the material (-1: the current one);
    // kEventMaterialsChanged and kEventCurrentMaterialChanged follow. False
    // when there is none or the user says no.
    bool DeleteMaterial(long index);
    // (appsvc/) The current material recounted, its fingerprint and warnings
    // renewed after an edit; then the title and the File menu.
    void ResetCurrentMaterial();
    // (appsvc/) The same after the rows of the current material changed;
    // then its results are dropped when the numbers behind them changed.
    void ResetCurrentMaterialRows(DCSProject& material);
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
    // exclusions are saved, the number formats derived again and
    // kEventSettingsChanged raised, even when nothing changed. refreshPrinters
    // rebuilds the printer list when the exclusions changed (the printers live
    // above).
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
    // The layout at that registry position (0 when out of range) for the open
    // report, built anew; stored as kSetReportLayout;
    // kEventReportLayoutChanged.
    void SelectReportLayout(long index);
    // Colour scheme 0 to 2 (else false): the report is built anew when it
    // changes; stored as kSetReportColors; kEventReportLayoutChanged.
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
    // Closes the open project without asking: reset, plain title,
    // kEventProjectClosed.
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
    // The pending request itself, which the script's commands begin and fail.
    DAutomationRequest& AutomationRequest() { return m_automationRequest; }
    // (appsvc/) The results page, at the end of its calculation: the pending
    // request is answered ("\res" "0" when a solution was applied, else "1")
    // and is no longer pending; nothing when none is.
    void CompleteAutomationRequest(bool applied);
    // (appsvc/) The runner's step, on the UI thread: the answer given so far
    // into its record; true once the request was complete.
    bool CollectAutomationAnswer(DProps& record);

    // ---- What the object owns, for the layers that use it -------------------------------
    DCSSolution& Document() { return m_document; }
    // The properties file; readers and writers beside the printer thread
    // hold GetPrinterLock().
    DAppSettings& Settings() { return m_settings; }
    ULog& Log() { return m_log; }
    // The calculation supervisor of every active material.
    OXRProcessor& Processor() { return m_processor; }
    // The locale document and its sections "globals" and the variables'
    // parser; the sections are read once the locale is loaded.
    DSettings& Locale() { return m_locale; }
    DProps& Globals() { return m_globals; }
    DParser& Parser() { return m_parser; }
    // The recent projects of the File menu and the header bar.
    URecentList& RecentProjects() { return m_recent; }
    // The options and the file argument of the command line.
    const UPairList& CommandLine() const { return m_commandLine; }
    // "Build", "System" and the like, for the about box.
    const UPairList& SystemInfo() const { return m_systemInfo; }
    // The logo the reports draw in their page header; null when none.
    HBITMAP Logo() const { return static_cast<HBITMAP>(m_logo.Get()); }
    // Another logo, which the application owns from now on (the previous
    // one is deleted).
    void SetLogo(HBITMAP logo);

    // Set in a script: no message box shows (each returns its silent
    // answer), the main window and the progress dialogs stay hidden.
    bool IsAutomation() const { return m_automation != 0; }
    void SetAutomation(bool on) { m_automation = on ? 1 : 0; }
    // True while one of the application's message boxes is open.
    bool IsInMessageBox() const { return m_inMessageBox != 0; }
    // The depth of the busy cursor's nesting.
    int BusyCount() const { return m_busyCount; }

    // The main window; the application owns it once it is set.
    OXRWindowBase* MainWindow() const { return m_mainWindow; }
    void SetMainWindow(OXRWindowBase* window) { m_mainWindow = window; }
    // The report window while it is open, else null.
    DAppReportWindow* ReportWindow() const { return m_reportWindow; }
    // A window that stands in for the report window; the application
    // deletes it at the end unless it is taken away before.
    void SetReportWindow(DAppReportWindow* window) { m_reportWindow = window; }
    // The one report object, made on first use (reports/).
    OXRReport& Report();
    bool HasReport() const { return m_report != nullptr; }
    // Releases the report object with its cached page files; the next use
    // makes a new one.
    void DropReport() { m_report.reset(); }
    // The window that sees the keys first (an editor of rows while it is
    // open), null for none.
    HWND HookWindow() const { return m_hookWindow; }
    void SetHookWindow(HWND window) { m_hookWindow = window; }

    // The program's folder, the data folder and the temporary folder, empty
    // until start-up sets them.
    const UString& ProgramFolder() const { return m_programFolder; }
    const UString& DataFolder() const { return m_dataFolder; }
    const UString& TempFolder() const { return m_tempFolder; }
    void SetProgramFolder(const char* folder) { m_programFolder = folder; }
    void SetDataFolder(const char* folder) { m_dataFolder = folder; }
    void SetTempFolder(const char* folder) { m_tempFolder = folder; }

    // The printers found (name, kind), the current one and the excluded
    // ones; under GetPrinterLock().
    UPairList& PrinterNames() { return m_printerNames; }
    const UString& CurrentPrinter() const { return m_currentPrinter; }
    UStringList& ExcludedPrinters() { return m_excludedPrinters; }

    // The system's decimal separator, read whenever the number formats are.
    const std::string& SystemDecimal() const { return m_systemDecimal; }
    void SetSystemDecimal(const std::string& separator) { m_systemDecimal = separator; }

    // The texts of the message boxes shown or answered silently from now on
    // are added to into (null: kept nowhere); returns the list that took
    // them until now, so a caller can restore it.
    std::vector<std::string>* CollectCommandMessages(std::vector<std::string>* into);

private:
    // ---- The steps of StartUp, in their order (app/) ------------------------------------------
    // Common controls, rich edit, COM and the accelerators.
    void InitSystemLibraries();
    // The program's and the data folder, the properties file written on the
    // first start; the properties file's path, empty without a data folder.
    UString PrepareDataFolder();
    void LoadEmbeddedLocale();
    void CreateBaseFonts();
    // The command line; a file argument that is a script sets automation mode.
    void DetectAutomationScript();
    // The start-up banner, none in automation mode.
    std::unique_ptr<DlgStartup> ShowBanner();
    void OpenLog();
    void CreateTempFolder();
    // A damaged properties file is kept aside and the defaults stand.
    void LoadSettings(const UString& propertiesPath);
    // Empty keys of the number and list formats get their defaults.
    void ApplySettingsDefaults();
    void StartPrinterThread();
    void CreateMainWindow();
    void LoadRecentProjects();
    void LogFolders();
    // The source-data page and the main window; a project named on the
    // command line is opened once the start is over.
    void ShowMainWindow(DlgStartup* banner);

    // ---- Fields ------------------------------------------------------------------------------
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
    // The bitmap the reports draw at the end of the title line.
    UGdiObject m_logo;
    URecentList m_recent;
    HMENU m_recentMenu = nullptr;
    DSettings m_locale;
    DProps m_globals;
    std::string m_systemDecimal = ".";
    std::string m_language;
    uint8_t m_lastModified = 0;
    DCSSolution m_document;
    OXRProcessor m_processor;
    // The report window while the report command shows it; the command owns it.
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

    // Asks the printer thread to stop and waits for it, bounded: a printer
    // driver that hangs must not keep the program from ending. True when it
    // has ended (or there is none).
    bool StopPrinterThread();

    Upper m_upper;
    // The embedded locale while start-up needs it.
    UMemory m_localeBuffer;
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

// The locale writes a line break as the four characters \r\n; they become a
// real carriage return and line feed.
std::string LocaleLineBreaks(std::string text);

// The euro sign in the code page the program runs in: its byte differs from
// one code page to the next (0x80 in 1252, 0x88 in 1251); "EUR" where the
// code page has none.
std::string EuroSign();

// Number texts (empty reads 0) formatted as a length or a cost the user's way.
std::string FormatLengthText(const char* text, bool withUnits);
std::string FormatCostText(const char* text, bool withUnits);

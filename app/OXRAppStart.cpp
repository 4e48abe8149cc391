// The program's start: the executable's half of the application object and
// the start-up sequence that builds the data folder, reads the settings,
// chooses the locale, makes the fonts and number formats and creates the
// main window.
#include "appsvc/OXRApp.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "app/OXRWindow.h"
#include "appsvc/BusyCursorScope.h"
#include "appsvc/AppSettingsKeys.h"
#include "appsvc/DlgStartup.h"
#include "controls/UFont.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "reports/DEnumPrinters.h"

OXRApp::Upper OXRApp::ExecutableHalf()
{
    Upper upper;
    upper.startUp = &OXRApp::StartUp;
    upper.commandMap = &OXRApp::CommandMap;
    upper.startAutomation = &OXRApp::StartAutomation;
    return upper;
}

namespace {

// The data folder's parent: the user's application-data folder, else the
// common one; false when the system gives neither.
bool ApplicationDataFolder(UString& folder)
{
    char path[MAX_PATH] = "";
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path)) ||
        SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path))) {
        folder = path;
        return !folder.IsEmpty();
    }
    return false;
}

// "KORVA\Bravik" under base.
UString ProductFolder(const char* base)
{
    UString maker, folder;
    maker.Format("%s\\", kMakerFolder);
    PathJoin(maker, base, maker.GetText());
    PathJoin(folder, maker.GetText(), kProductWord);
    return folder;
}

// The temporary folder's parent: the system's temporary folder, else the
// program's folder.
UString TempFolderBase(const UString& programFolder)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    UString base = temp;
    if (base.IsEmpty())
        base = programFolder;
    return base;
}

} // namespace

BOOL OXRApp::StartUp()
{
    BusyCursorScope busy;
    InitSystemLibraries();
    const UString propertiesPath = PrepareDataFolder();
    LoadEmbeddedLocale();
    CreateBaseFonts();
    DetectAutomationScript();
    std::unique_ptr<DlgStartup> banner = ShowBanner();

    LogSystemInfo();
    m_logo.Reset(LoadImageA(GetModuleHandleA(nullptr), "BLOGO", IMAGE_BITMAP, 0, 0, 0));
    m_tempFolder = ProductFolder(TempFolderBase(m_programFolder).GetText());
    OpenLog();
    CreateTempFolder();
    DlgStartup::SendStatus(banner.get(), "Cleaning up temporary files...");
    CleanTempFolder();

    LoadSettings(propertiesPath);
    ApplySettingsDefaults();
    // A failure is logged and shown once the start is over
    // (kEventStartupFinished).
    m_settings.Save(false);
    LoadExcludedPrinters();
    InstallResources();

    LoadLocale(m_language.c_str());
    CreateUiFonts();
    LoadNumberFormats();

    DlgStartup::SendStatus(banner.get(), "Enumerating printers...");
    StartPrinterThread();
    CreateMainWindow();
    LoadRecentProjects();
    UpdateTitle(false);
    LogFolders();
    if (!m_automation)
        ShowMainWindow(banner.get());

    LocalizeMenu();
    if (banner)
        banner->Hide();
    OnAppEvent(kEventStartupFinished, 0);
    if (HWND main = GetMainHwnd())
        WinActivate(main);

    m_localeBuffer.Free();
    banner.reset();
    return TRUE;
}

void OXRApp::InitSystemLibraries()
{
    INITCOMMONCONTROLSEX controls = {8, 0xFF};
    InitCommonControlsEx(&controls);
    LoadLibraryA("RICHED32.DLL");
    CWinApp::InitInstance();
    CoInitialize(nullptr);

    m_accelerators = LoadAcceleratorsA(m_hInstance ? m_hInstance : GetModuleHandleA(nullptr),
                                       MAKEINTRESOURCEA(kAcceleratorTable));
}

UString OXRApp::PrepareDataFolder()
{
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    PathSplit(module, &m_programFolder, nullptr, nullptr);

    // Without an application-data folder nothing is written relative to the
    // current folder: the settings have no path, the log goes to the
    // temporary folder, and nothing is installed.
    UString appData;
    UString propertiesPath;
    if (ApplicationDataFolder(appData)) {
        m_dataFolder = ProductFolder(appData.GetText());
        if (PathExistsA(m_dataFolder.GetText()) != 2)
            SHCreateDirectoryExA(nullptr, m_dataFolder.GetText(), nullptr);
        UString name;
        name.Format("%s.properties", kProductWord);
        propertiesPath = MakeDataPath(name.GetText());
        if (PathExistsA(propertiesPath.GetText()) != 1) {
            m_freshInstall = 1;
            UMemory props;
            if (LoadResourceData("TEXT", "PROPS", props))
                FileWrite(propertiesPath.GetText(), props.GetData(), props.GetUsed());
        }
    }
    return propertiesPath;
}

void OXRApp::LoadEmbeddedLocale()
{
    m_language = kDefaultLanguage;
    if (LoadResourceData("LOCALE", kEmbeddedLocale, m_localeBuffer))
        m_locale.Parse(m_localeBuffer.GetData());
}

void OXRApp::CreateBaseFonts()
{
    m_fonts.Set("normal", FontCreate("Tahoma", -13, 400, 0, 0), true);
    m_fonts.Set("bold", FontCreate("Tahoma", -12, 700, 0, 0), true);
    m_fonts.Set("small", FontCreate("Tahoma", -12, 400, 0, 0), true);
    m_fonts.Set("tiny", FontCreate("Tahoma", -10, 400, 0, 0), true);
    m_fonts.Set("italic", FontCreate("Tahoma", -12, 400, 1, 0), true);
}

void OXRApp::DetectAutomationScript()
{
    ParseCommandLine();
    m_automation = 0;
    m_automationScript = "";
    if (!m_commandLine.IsEmpty()) {
        m_automationScript = m_commandLine.Get("file", true);
        // Windows' file names ignore case, so their extensions do too: a
        // JOB.KVAUTO is as much a script as job.kvauto.
        UString extension;
        if (!m_automationScript.IsEmpty() && PathName(m_automationScript.GetText(), nullptr, &extension) &&
            _stricmp(extension.GetText(), kAutomationExtension) == 0)
            m_automation = 1;
        else
            m_automationScript = "";
    }
}

std::unique_ptr<DlgStartup> OXRApp::ShowBanner()
{
    return DlgStartup::ShowForApp(nullptr, nullptr, "Loading settings...");
}

void OXRApp::OpenLog()
{
    UString logName;
    logName.Format("%s.log", kProductWord);
    m_log.Open(m_dataFolder.IsEmpty() ? PathJoin(logName, m_tempFolder.GetText(), logName.GetText())
                                      : MakeDataPath(logName.GetText()).GetText(),
               false);
    m_log.SetLevel(2);
    m_log.WriteRaw(SystemInfoLine().GetText(), true);
}

void OXRApp::CreateTempFolder()
{
    if (PathExistsA(m_tempFolder.GetText()) != 2 &&
        SHCreateDirectoryExA(nullptr, m_tempFolder.GetText(), nullptr) != ERROR_SUCCESS) {
        UString line;
        line.Format("Cannot create directory for temporary files (%s) ", m_tempFolder.GetText());
        m_log.Write(line.GetText(), nullptr, "ERR >> ");
    }
}

void OXRApp::LoadSettings(const UString& propertiesPath)
{
    UString keptAs;
    bool damaged = false;
    m_settings.LoadAtStart(propertiesPath.GetText(), keptAs, damaged);
    if (!damaged)
        return;
    UString line;
    if (keptAs.IsEmpty())
        line.Format("The settings file %s is not a text file; the defaults are used and no copy of it "
                    "could be kept",
                    propertiesPath.GetText());
    else
        line.Format("The settings file %s is not a text file; the defaults are used and the file is "
                    "kept as %s",
                    propertiesPath.GetText(), keptAs.GetText());
    m_log.Write(line.GetText(), nullptr, "WRN >> ");
}

void OXRApp::ApplySettingsDefaults()
{
    FillSettingDefaults(m_settings);
}

void OXRApp::StartPrinterThread()
{
    // A printer driver may take long or hang: the list is filled beside the
    // UI thread, which learns of it through kEventPrintersEnumerated.
    m_printerThread.reset(new DEnumPrinters());
    m_printerThread->Start(0);
}

void OXRApp::CreateMainWindow()
{
    OXRWindow* window = new OXRWindow();
    m_mainWindow = window;
    m_pMainWnd = window;
    if (!window->Create(kMainWindowTemplate, nullptr))
        m_log.Write("Cannot create the main window", nullptr, "ERR >> ");
    WinSetText(kAppName, window->m_hWnd, false, false);
}

void OXRApp::LoadRecentProjects()
{
    m_recent.SetExtension(kProjectExtension);
    m_recent.FromText(GetSetting(m_settings, kSetHistory).GetText(), false);
    BuildRecentMenu();
}

void OXRApp::LogFolders()
{
    UString line;
    line.Format("Root: %s; Data: %s", m_programFolder.GetText(), m_dataFolder.GetText());
    m_log.WriteRaw(line.GetText(), true);
}

void OXRApp::ShowMainWindow(DlgStartup* banner)
{
    // Made by CreateMainWindow, so of the program's own kind.
    OXRWindow* window = static_cast<OXRWindow*>(m_mainWindow);
    DlgStartup::SendStatus(banner, "Finalizing...");
    RefreshMenuBar();
    ::LockWindowUpdate(window->m_hWnd);
    window->ShowWorkPanel(0);
    ::LockWindowUpdate(nullptr);
    ::ShowWindow(window->m_hWnd, SW_SHOW);
    window->RedrawAll();
    UString file = m_commandLine.Get("file", true);
    UString extension;
    if (!file.IsEmpty() && PathName(file.GetText(), nullptr, &extension) &&
        strcmp(extension.GetText(), kProjectExtension) == 0)
        ::PostMessageA(window->m_hWnd, WM_USER, kEventOpenCommandLineProject, 0);
}

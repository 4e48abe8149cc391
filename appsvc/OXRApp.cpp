#include "appsvc/OXRApp.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>

#include "appsvc/AppSettingsKeys.h"
#include "controls/ICPanel.h"
#include "document/HandBack.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"

const char* const kAppName = "KORVA Bravik";
const char* const kProductWord = "Bravik";
const char* const kMakerFolder = "KORVA";
const char* const kDisplayVersion = "1.2.20 ";
const char* const kBuildVersion = "1.2.20.1 ";
const char* const kProjectExtension = "brvk";
const char* const kAutomationExtension = "kvauto";
const char* const kDefaultLanguage = "en_US";
const char* const kEmbeddedLocale = "Bravik.EN_US";
const char* const kProjectFilter = "Project files (*.brvk)\0*.brvk\0";

DAppReportWindow::~DAppReportWindow() = default;
DAppEventReceiver::~DAppEventReceiver() = default;

namespace {

// Without an application object the busy cursor still nests.
int32_t g_orphanBusyCount = 0;

} // namespace

OXRApp* GetApp()
{
    return dynamic_cast<OXRApp*>(AfxGetApp());
}

OXRApp& App()
{
    OXRApp* app = GetApp();
    if (!app) {
        OutputDebugStringA("ERR >> No application object\n");
        std::abort();
    }
    return *app;
}

OXRApp::OXRApp() : OXRApp(Upper()) {}

OXRApp::OXRApp(const Upper& upper) : m_upper(upper), m_localeBuffer(4096)
{
    // Workers hand their results and events back to this thread.
    PrepareHandBack();
    m_recent.SetMaxCount(20);
    m_recent.SetExtension(kProjectExtension);
    m_language = kDefaultLanguage;
    m_processor.SetDocument(&m_document);
    SetErrorLog(&m_log);
    SetAppServices(this);
}

OXRApp::~OXRApp()
{
    // The windows go now, and the loop that served the workers has ended: a
    // worker still running hands nothing back from here on (the document's
    // work runs on the worker itself) and never waits for this thread.
    CloseHandBack();
    delete m_mainWindow;
    m_mainWindow = nullptr;
    m_pMainWnd = nullptr;

    // A printer thread that still runs after the bounded wait (a hung
    // driver) is left to the end of the process: deleting it would wait
    // for it.
    if (m_printerThread && !StopPrinterThread())
        (void)m_printerThread.release();
    m_printerThread.reset();
    CleanTempFolder();
    // The recent pop-up went with the main window's menu.
    m_recentMenu = nullptr;
    // The document's calculation threads may still ask for services while
    // they stop: they get the defaults from here on.
    SetAppServices(nullptr);
    SetErrorLog(nullptr);
}

bool OXRApp::StopPrinterThread()
{
    return !m_printerThread || m_printerThread->StopWithin(5000);
}

BOOL OXRApp::InitInstance()
{
    m_starting = true;
    const BOOL started = m_upper.startUp ? (this->*m_upper.startUp)() : TRUE;
    m_starting = false;
    return started;
}

const CMessageMap* OXRApp::GetMessageMap() const
{
    return m_upper.commandMap ? m_upper.commandMap() : CWinApp::GetMessageMap();
}

BOOL OXRApp::ProcessMessageFilter(int code, MSG* msg)
{
    HWND main = GetMainHwnd();
    if (!main)
        return FALSE;
    if (!m_inMessageBox && m_accelerators && msg &&
        TranslateAcceleratorW(main, m_accelerators, msg))
        return TRUE;
    if (m_hookWindow && ::IsWindow(m_hookWindow) && msg &&
        ::SendMessageW(m_hookWindow, UWindowHook::MSG_HOOK_MESSAGE, 0,
                       reinterpret_cast<LPARAM>(msg)))
        return TRUE;
    return CWinApp::ProcessMessageFilter(code, msg);
}

HWND OXRApp::GetMainHwnd() const
{
    return m_mainWindow && ::IsWindow(m_mainWindow->m_hWnd) ? m_mainWindow->m_hWnd : nullptr;
}

// ---- Busy cursor --------------------------------------------------------------------

void OXRApp::BeginBusy()
{
    ++m_busyCount;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void OXRApp::EndBusy()
{
    if (--m_busyCount < 0)
        m_busyCount = 0;
    if (m_busyCount == 0)
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void BeginBusyCursor()
{
    if (OXRApp* app = GetApp()) {
        app->BeginBusy();
        return;
    }
    ++g_orphanBusyCount;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void EndBusyCursor()
{
    if (OXRApp* app = GetApp()) {
        app->EndBusy();
        return;
    }
    if (--g_orphanBusyCount < 0)
        g_orphanBusyCount = 0;
    if (g_orphanBusyCount == 0)
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

// ---- Folders and resources -------------------------------------------------------------

UString OXRApp::MakeProgramPath(const char* name) const
{
    // Nothing to join (no program folder, no name) leaves the buffer as it was.
    char buffer[MAX_PATH] = "";
    return UString(PathJoinBuffer(m_programFolder.GetText(), name, buffer));
}

UString OXRApp::MakeDataPath(const char* name) const
{
    UString path;
    PathJoin(path, m_dataFolder.GetText(), name);
    return path;
}

UString OXRApp::MakeTempFileName(const char* prefix, const char* extension) const
{
    UString name;
    name.Format("%s%lu.%s", prefix ? prefix : "",
                static_cast<unsigned long>(GetTickCount() & 0x7FFFFFFF),
                extension && *extension ? extension : "tmp");
    UString path;
    PathJoin(path, m_tempFolder.GetText(), name.GetText());
    return path;
}

bool OXRApp::LoadResourceData(const char* type, const char* name, UMemory& buffer) const
{
    buffer.Free();
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, name, type);
    if (!resource)
        return false;
    DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0 || size >= 0x7FFFFFFF)
        return false;
    // One byte more than the resource, so a text always ends in a zero.
    if (buffer.Reserve(static_cast<int32_t>(size) + 1) == 0)
        return false;
    buffer.Append(static_cast<int32_t>(size), bytes);
    return buffer.GetUsed() > 0;
}

void OXRApp::CleanTempFolder()
{
    UString folder = m_tempFolder;
    folder.Trim();
    if (!folder.IsEmpty())
        PathDeleteTree(m_tempFolder.GetText(), false);
}

void OXRApp::LoadExcludedPrinters()
{
    m_excludedPrinters.clear();
    std::vector<std::string> items;
    StrSplit(GetSetting(m_settings, kSetExcluded).GetText(), items, ",", true, true);
    for (const std::string& item : items)
        m_excludedPrinters.push_back(UString(item.c_str()));
    UStringList::Unquote(&m_excludedPrinters);
}

// ---- System information and the command line --------------------------------------------

void OXRApp::LogSystemInfo()
{
    m_systemInfo.Set("Build", kBuildVersion);
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)))
        return;
    SYSTEM_INFO info = {};
    using NativeInfoFn = void(WINAPI*)(SYSTEM_INFO*);
    auto native = reinterpret_cast<NativeInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetNativeSystemInfo")));
    if (native)
        native(&info);
    else
        GetSystemInfo(&info);
    char servicePack[256] = "";
    WideCharToMultiByte(CP_ACP, 0, version.szCSDVersion, -1, servicePack, sizeof(servicePack),
                        nullptr, nullptr);
    UString system;
    system.Format("%lu.%lu %s%s", static_cast<unsigned long>(version.dwMajorVersion),
                  static_cast<unsigned long>(version.dwMinorVersion), servicePack,
                  info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? " (x64)" : " (x32)");
    m_systemInfo.Set("System", system.GetText());
}

UString OXRApp::SystemInfoLine() const
{
    return m_systemInfo.Join("; ", false);
}

void OXRApp::ParseCommandLine()
{
    m_commandLine.Clear();
    const wchar_t* line = GetCommandLineW();
    if (!line || !*line)
        return;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(line, &count);
    if (!arguments)
        return;
    if (count > 1)
        ParseArguments(count - 1, arguments + 1);
    LocalFree(arguments);
}

void OXRApp::ParseArguments(int count, const wchar_t* const* arguments)
{
    m_commandLine.Clear();
    for (int i = 0; i < count; ++i) {
        // A character without an ANSI form becomes "?", never a look-alike
        // that would name another file; such a path is refused with its reason.
        std::string argument = PathFromWide(arguments[i]);
        if (!argument.empty() && argument[0] == '-') {
            UString key, value;
            if (SplitCommandLineArg(argument.c_str(), key, value))
                m_commandLine.Set(key.GetText(), value.GetText(), true);
        } else {
            m_commandLine.Set("file", argument.c_str(), false);
        }
    }
}

// The menu commands of the application: closing, creating, opening and
// saving projects, the recent projects, the help and log commands, opening a
// document with its program, and the end of the program's run.
#include "appsvc/OXRApp.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <memory>

#include "app/OXRWindow.h"
#include "appsvc/BusyCursorScope.h"
#include "appsvc/AppSettingsKeys.h"
#include "appsvc/DlgStartup.h"
#include "dialogs/CAboutDlg.h"
#include "dialogs/DialogIds.h"
#include "dialogs/DlgEditSolution.h"
#include "dialogs/DlgFrame.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "reports/OXRLayout.h"

namespace {

// The start folders of the file dialogs, kept for the whole run.
char g_openFolder[4096] = "";
char g_saveFolder[4096] = "";

const char* const kSupportAddress = "support@korva.example";
const char* const kSupportTag = "Bravik";
const char* const kEditionName = "KORVA Bravik EN";
const char* const kWebSite = "https://www.korva.example/bravik/";
const char* const kOpenFailed = "Cannot open the project ${file}.\\r\\n${reason}";

// On a fresh install the file dialogs start in "KORVA" under the user's
// documents, made when missing; later starts leave the folder to the system.
void PrepareStartFolder(char* folder, bool freshInstall)
{
    if (!freshInstall || folder[0])
        return;
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathAndSubDirA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0,
                                         kMakerFolder, path)))
        return;
    if (Helper::CreateDirectories(path, nullptr) == 0)
        return;
    strncpy(folder, path, 4095);
    folder[4095] = 0;
}

// Why the project file could not be read or written, in the user's words.
std::string FileResultText(OXRApp& app, ProjectFileResult result)
{
    static const char* const defaults[] = {
        "",
        "No file name was given.",
        "The file does not exist.",
        "The file is empty or cannot be read.",
        "The file is incomplete: it was cut short.",
        "The file holds no material.",
        "A material name cannot be kept in a project file.",
        "The file cannot be written; the previous file is kept as it was.",
        "A text of the project holds a line that ends a block of the project file.",
        "The project's block of the file starts inside another block.",
        "The path is too long: the program takes paths of at most 259 characters.",
        "The name of the file or of a folder on its path holds characters that the program cannot use "
        "(such as Greek or Chinese letters). Rename it, or choose a folder whose path holds none.",
        "The file is read-only; it was not changed.",
        "Another program has changed the file since this project was opened or last saved; "
        "it was not overwritten.",
    };
    const int index = static_cast<int>(result);
    if (index <= 0 || index >= static_cast<int>(sizeof(defaults) / sizeof(defaults[0])))
        return std::string();
    std::string key;
    StrFormat(key, "file.result.%d", index);
    return app.GetMessageText(key.c_str(), defaults[index]);
}

// A project file that could not be opened or saved: the sentence of the key
// with the file and the reason. The locale's written line breaks are made
// real before the file's name goes in, which may hold the same characters.
std::string ProjectFileFailure(OXRApp& app, const char* key, const char* def, const std::string& file,
                               ProjectFileResult result)
{
    DProps variables;
    variables.Set("file", file.c_str());
    variables.Set("reason", FileResultText(app, result).c_str());
    return ExpandVariables(LocaleLineBreaks(app.GetMessageText(key, def)).c_str(), variables);
}

} // namespace

const CMessageMap* OXRApp::CommandMap()
{
    static const CMessageMapOf<OXRApp> map =
        CMessageMapOf<OXRApp>(nullptr)
            .OnCommand(kCmdHelpIndex, &OXRApp::OnHelp)
            .OnCommandRange(kCmdMenuFirst, kCmdMenuLast, &OXRApp::OnMenuCommand)
            .OnCommandRange(kCmdRecentFirst, kCmdRecentLast, &OXRApp::OnRecentProject);
    return &map;
}

void OXRApp::OnMenuCommand(UINT id)
{
    switch (id) {
    case kCmdOpen:
        OpenProject(nullptr);
        break;
    case kCmdCreate:
        NewProject();
        break;
    case kCmdExit:
        Exit(0, true);
        break;
    case kCmdViewLog: {
        UString name;
        name.Format("%s.log", kProductWord);
        OpenDocument(MakeDataPath(name.GetText()).GetText(), true);
        break;
    }
    case kCmdHelp:
        OnHelp();
        break;
    case kCmdSave:
        SaveProject(nullptr, false);
        break;
    case kCmdSaveAs:
        SaveProject(nullptr, true);
        break;
    case kCmdCleanLog:
        CleanOutLog();
        break;
    case kCmdAbout: {
        CAboutDlg about;
        about.DoModal();
        break;
    }
    case kCmdOptions:
        ShowOptions([this](HWND status) { RefreshPrinters(status); });
        break;
    default:
        break;
    }
    RefreshMenuBar();
}

void OXRApp::OnRecentProject(UINT id)
{
    UString path = m_recent.GetExistingAt(static_cast<long>(id) - static_cast<long>(kCmdRecentFirst));
    OpenProject(path.GetText());
}

void OXRApp::OnHelp()
{
    OpenDocument(MakeDataPath("HELP\\index.html").GetText(), true);
}

// ---- Projects ---------------------------------------------------------------------------

bool OXRApp::CloseProject()
{
    if (!MayCloseProject())
        return false;
    DropProject();
    return true;
}

bool OXRApp::MayCloseProject()
{
    if (!m_document.IsModified())
        return true;
    std::string text =
        LocaleLineBreaks(GetMessageText("proj.leave", "Project has been changed.\\r\\nContinue anyway?"));
    return ShowMessage(nullptr, nullptr, text.c_str(), MB_YESNO, IDOK) == IDYES;
}

void OXRApp::DropProject()
{
    m_document.Reset();
    UpdateTitle(true);
    if (HWND main = GetMainHwnd()) {
        ::SendMessageA(main, WM_USER, kEventProjectClosed, 0);
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

bool OXRApp::NewProject()
{
    // The user's consent comes first, but the open project stays until the
    // new one stands: a cancelled or failed Create keeps it as it was.
    if (!MayCloseProject())
        return false;
    DProps params;
    params.Set("name", "");
    params.Set("desc", "");
    params.Set("material", "");
    params.Set("mode", "1");
    DlgEditSolution dialog(IDD_EDITSOLUTION_NEW, m_mainWindow);
    dialog.SetParams(params);
    if (dialog.DoModal() != DlgFrame::Accepted)
        return false;
    params.CopyFrom(&dialog.Params(), 0, -1);
    DCSSolution created;
    if (!created.New(DProps::GetString(params, "name").c_str(), DProps::GetString(params, "desc").c_str(),
                     DProps::GetString(params, "material").c_str()))
        return false;
    DropProject();
    m_document.Swap(created);
    if (HWND main = GetMainHwnd())
        ::SendMessageA(main, WM_USER, kEventProjectOpened, 0);
    m_lastModified = 0;
    UpdateTitle(false);
    if (HWND main = GetMainHwnd())
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return true;
}

bool OXRApp::OpenProject(const char* path)
{
    // The user's consent comes first, but the open project is closed only
    // once the chosen file has been read: a cancelled file dialog or a file
    // that cannot be read keeps it as it was.
    if (!MayCloseProject())
        return false;
    PrepareStartFolder(g_openFolder, m_freshInstall != 0);
    std::string file = StrFromText(path);
    if (file.empty()) {
        char chosen[4096] = "";
        std::string title = GetGlobalText("project.open", "Open Project");
        if (!Helper::OpenFileDialog(g_openFolder, nullptr, chosen, GetMainHwnd(), title.c_str(),
                                    sizeof(chosen), kProjectFilter))
            return false;
        file = chosen;
    }
    // A path the program cannot hold is refused with its reason before it
    // is probed: "?" for a lost character would match other files.
    ProjectFileResult unusable = DCSSolution::CheckPath(file.c_str());
    if (unusable == ProjectFileOk && PathExistsA(file.c_str()) != 1)
        unusable = ProjectFileMissing;
    if (unusable != ProjectFileOk) {
        const std::string text = ProjectFileFailure(*this, "project.open.failed", kOpenFailed, file, unusable);
        ReportError(text.c_str(), nullptr, true);
        return false;
    }

    std::unique_ptr<DlgStartup> banner;
    DCSSolution read;
    bool loaded = false;
    {
        BusyCursorScope busy;
        banner = DlgStartup::ShowForApp(m_mainWindow, nullptr,
                                        GetMessageText("project.loading", "Loading project...").c_str());
        loaded = read.Load(file.c_str());
        if (loaded) {
            DropProject();
            m_document.Swap(read);
            m_lastModified = 0;
            m_recent.AddPath(file.c_str());
            SetSetting(m_settings, kSetHistory, m_recent.ToText().GetText(), true);
            BuildRecentMenu();
            UpdateTitle(false);
            m_log.Write("Project loaded ", file.c_str());
            for (const std::string& note : m_document.GetFileNotes())
                m_log.Write(note.c_str(), nullptr, "WRN >> ");
            OnAppEvent(kEventProjectOpened, 0);
        }
        if (banner)
            banner->Hide();
    }
    if (HWND main = GetMainHwnd())
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    banner.reset();
    if (!loaded) {
        const std::string text =
            ProjectFileFailure(*this, "project.open.failed", kOpenFailed, file, read.GetFileResult());
        ReportError(text.c_str(), nullptr, true);
    }
    return loaded;
}

bool OXRApp::SaveProject(const char* path, bool asNewFile)
{
    PrepareStartFolder(g_saveFolder, m_freshInstall != 0);
    std::string name = StrFromText(path);
    if (!asNewFile && name.empty())
        name = m_document.GetFile();
    if (name.empty()) {
        char chosen[4096] = "";
        std::string title = GetGlobalText("project.save", "Save Project As...");
        if (!Helper::SaveFileDialog(g_saveFolder, nullptr, chosen, GetMainHwnd(), title.c_str(),
                                    sizeof(chosen), kProjectFilter))
            return false;
        name = chosen;
        if (name.empty())
            return false;
    }
    // The same rule for a path of any length: a name too long to keep is
    // refused as it was asked, never written under another name.
    name = Helper::EnsureExtension(name.c_str(), kProjectExtension);

    const auto keepSaved = [&] {
        m_lastModified = 0;
        m_recent.AddPath(name.c_str());
        SetSetting(m_settings, kSetHistory, m_recent.ToText().GetText(), true);
        BuildRecentMenu();
        UpdateTitle(false);
        m_log.Write("Project saved to ", name.c_str());
        OnAppEvent(kEventProjectDataChanged, 0);
    };
    bool saved = false;
    {
        BusyCursorScope busy;
        saved = m_document.Save(name.c_str());
        if (saved)
            keepSaved();
    }
    if (!saved && m_document.GetFileResult() == ProjectFileChangedOnDisk) {
        // No wait cursor while the user is asked.
        const int answer = AskOverwriteChangedFile(name);
        if (answer == IDNO)
            return SaveProject(nullptr, true);
        BusyCursorScope busy;
        if (answer == IDYES) {
            saved = m_document.Save(name.c_str(), true);
            if (saved)
                keepSaved();
        }
    }
    if (!saved) {
        const std::string text = ProjectFileFailure(*this, "project.save.failed",
                                                    "Cannot save the project to ${file}.\\r\\n${reason}", name,
                                                    m_document.GetFileResult());
        for (const std::string& note : m_document.GetFileNotes())
            m_log.Write(note.c_str(), nullptr, "WRN >> ");
        // Whoever declined to overwrite a changed file has just been told;
        // the log keeps it, and a script fails with it there.
        if (m_document.GetFileResult() == ProjectFileChangedOnDisk && !m_automation)
            m_log.Write(text.c_str(), nullptr, "ERR >> ");
        else
            ReportError(text.c_str(), nullptr, true);
    }
    return saved;
}

int OXRApp::AskOverwriteChangedFile(const std::string& file)
{
    DProps variables;
    variables.Set("file", file.c_str());
    std::string text = GetMessageText("project.save.changed",
                                      "Another program has changed the project file ${file} since this project "
                                      "was opened or last saved.\\r\\n\\r\\nYes: overwrite it with this project "
                                      "(the other program's changes are lost).\\r\\nNo: save this project under "
                                      "another name.\\r\\nCancel: do not save.");
    text = LocaleLineBreaks(ExpandVariables(text.c_str(), variables));
    // Nobody answers during a script: the file is left alone.
    return ShowMessage(nullptr, nullptr, text.c_str(), MB_YESNOCANCEL | MB_ICONWARNING, IDCANCEL);
}

// ---- Recent projects ----------------------------------------------------------------------

bool OXRApp::ShowRecentProjectsMenu()
{
    HWND main = GetMainHwnd();
    if (!main || m_recent.RemoveMissing() == 0)
        return false;
    std::vector<PopupItem> items;
    for (long i = 0; i < m_recent.Count(); ++i)
        items.push_back({kCmdRecentFirst + static_cast<UINT>(i), m_recent.GetAt(i).GetText(), true});
    const UINT chosen = PopupMenuAtCursor(main, items);
    if (chosen)
        OnRecentProject(chosen);
    return chosen != 0;
}

// ---- Help, log and documents -----------------------------------------------------------------

void OXRApp::CleanOutLog()
{
    std::string text = GetMessageText("log.delete", "Are you sure you want to delete log file?");
    if (ShowMessage(nullptr, nullptr, text.c_str(), MB_YESNO, IDOK) != IDYES)
        return;
    UString path = m_log.GetFileName();
    m_log.Close();
    // Another instance writing the same log keeps the file from being
    // deleted; it is emptied instead.
    const bool deleted = FileDelete(path.GetText(), true);
    m_log.Open(path.GetText(), !deleted);
    m_log.SetLevel(2);
    m_log.WriteRaw(SystemInfoLine().GetText(), true);
}

std::string OXRApp::MailSupport()
{
    std::string link;
    StrFormat(link, "mailto:%s?subject=[%s] %s", kSupportAddress, kSupportTag, kEditionName);
    return link;
}

UString OXRApp::OpenWebPage(const char* page, bool withLanguageFolder)
{
    UString address;
    if (page && *page)
        address.Format("%s%s%s", kWebSite, withLanguageFolder ? "en/" : "", page);
    else
        address.Format("%s%s", kWebSite, withLanguageFolder ? "en/" : "");
    return address;
}

// ---- The end of the run --------------------------------------------------------------------------

void OXRApp::Exit(int exitCode, bool destroyWindows)
{
    if (!CloseProject())
        return;
    if (m_automationRunner && m_automationRunner->IsRunning()) {
        long current = m_document.GetCurrent();
        if (DCSProject* material = m_document.GetProject(current, false))
            material->StopAndWait();
        m_automationRunner->Stop();
    }
    // Nobody answers a script's calculation any more; the runner, asked to
    // stop, no longer waits for it.
    m_automationRequest.Clear();
    m_settings.Save(true);
    ReportSettingsFailure();
    StopPrinterThread();
    if (m_recentMenu) {
        // Out of the File menu first, so the menu never names a pop-up that is gone.
        HMENU bar = GetMainHwnd() ? GetMenu(GetMainHwnd()) : nullptr;
        HMENU file = bar ? GetSubMenu(bar, 0) : nullptr;
        if (file && GetSubMenu(file, kFileMenuRecent) == m_recentMenu)
            RemoveMenu(file, kFileMenuRecent, MF_BYPOSITION);
        DestroyMenu(m_recentMenu);
        m_recentMenu = nullptr;
    }
    CleanTempFolder();
    if (destroyWindows) {
        if (HWND main = GetMainHwnd())
            ::DestroyWindow(main);
    }
    OXRLayout::ClearRegistry();
    PostQuitMessage(exitCode);
}

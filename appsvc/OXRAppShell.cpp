// The application event broadcast, the application's message boxes, the main
// window's title, the File menu's recent projects and the menu bar, and the
// opening of a file or folder with the system's program for it.
#include "appsvc/OXRApp.h"

#include <shellapi.h>

#include "controls/WinUtil.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"

void OXRApp::OnAppEvent(long code, long argument, const void* sender)
{
    if (m_mainWindow && ::IsWindow(m_mainWindow->m_hWnd))
        m_mainWindow->OnAppEvent(code, argument, sender);
    if (m_reportWindow)
        m_reportWindow->OnAppEvent(code);

    switch (code) {
    case kEventProjectClosed:
    case kEventProjectOpened:
    case kEventProjectDataChanged:
        UpdateTitle(false);
        break;
    case kEventCalculationFinished:
        // A script's calculation that applied nothing says so in its record,
        // unless it was stopped and says that.
        if (m_automationRequest.IsPending() && argument == 0 && !m_automationRequest.HasError())
            m_automationRequest.SetError("the calculation applied no solution");
        break;
    case kEventStartupFinished:
        if (m_automation) {
            UString script = m_automationScript;
            script.Trim();
            if (!script.IsEmpty() && m_upper.startAutomation)
                (this->*m_upper.startAutomation)();
        } else if (HWND main = GetMainHwnd()) {
            WinActivate(main);
            BringWindowToTop(GetLastActivePopup(main));
        }
        LocalizeMenu();
        break;
    default:
        break;
    }
    // A save of the settings may have failed on any thread meanwhile; the
    // user hears of it here, after the change that caused it was shown.
    ReportSettingsFailure();
}

void OXRApp::CompleteAutomationRequest(bool applied)
{
    m_automationRequest.Complete(applied);
}

bool OXRApp::CollectAutomationAnswer(DProps& record)
{
    return m_automationRequest.Collect(record);
}

void OXRApp::ReportSettingsFailure()
{
    HWND main = GetMainHwnd();
    if (main && GetWindowThreadProcessId(main, nullptr) != GetCurrentThreadId())
        return;
    UString error;
    if (!m_settings.TakeFirstFailure(error))
        return;
    DProps variables;
    variables.Set("file", m_settings.GetPath().GetText());
    std::string text = GetMessageText("settings.save.failed",
                                      "The settings cannot be saved to ${file}.\\r\\nChanges of the settings "
                                      "are lost when the program ends.");
    text = LocaleLineBreaks(ExpandVariables(text.c_str(), variables));
    ReportError(text.c_str(), nullptr, true);
}

void OXRApp::SetLogo(HBITMAP logo)
{
    if (logo != m_logo.Get())
        m_logo.Reset(logo);
}

std::vector<std::string>* OXRApp::CollectCommandMessages(std::vector<std::string>* into)
{
    std::vector<std::string>* previous = m_commandMessages;
    m_commandMessages = into;
    return previous;
}

int OXRApp::ShowMessage(HWND owner, const char* caption, const char* text, UINT type, int silent)
{
    if (m_commandMessages && text && *text)
        m_commandMessages->push_back(text);
    if (m_automation)
        return silent;
    if (!owner || !::IsWindow(owner))
        owner = GetMainHwnd();
    if (!caption || !*caption)
        caption = kAppName;
    const uint8_t saved = m_inMessageBox;
    m_inMessageBox = 1;
    int answer = MessageBoxA(owner, text ? text : "", caption, type);
    m_inMessageBox = saved;
    return answer;
}

int OXRApp::ReportError(const char* text, const char* caption, bool log)
{
    std::string trimmed = StrFromText(text);
    StrTrim(trimmed);
    if (trimmed.empty())
        return -1;
    if (log)
        m_log.Write(text, nullptr, "ERR >> ");
    return ShowMessage(nullptr, caption, text, MB_ICONERROR, IDOK);
}

void OXRApp::UpdateTitle(bool plain)
{
    std::string title = kAppName;
    uint8_t modified = m_lastModified;
    if (!plain) {
        std::string file = m_document.GetFile();
        if (!file.empty())
            title += "  " + file;
        modified = m_document.IsModified() ? 1 : 0;
        if (modified)
            title += " *";
    }
    if (modified != m_lastModified) {
        if (m_mainWindow)
            m_mainWindow->UpdateFileMenu();
        m_lastModified = modified;
    }
    if (HWND main = GetMainHwnd())
        WinSetText(title.c_str(), main, false, false);
}

void OXRApp::RefreshMenuBar()
{
    HWND main = GetMainHwnd();
    if (!main)
        return;
    m_mainWindow->UpdateFileMenu();
    DrawMenuBar(main);
}

void OXRApp::BuildRecentMenu()
{
    HWND main = GetMainHwnd();
    HMENU bar = main ? GetMenu(main) : nullptr;
    HMENU file = bar ? GetSubMenu(bar, 0) : nullptr;
    if (!file)
        return;
    // The item goes with its pop-up; the pop-up is ours to destroy, so it
    // is taken out by position without destroying it first.
    RemoveMenu(file, kFileMenuRecent, MF_BYPOSITION);
    if (m_recentMenu)
        DestroyMenu(m_recentMenu);
    m_recentMenu = CreatePopupMenu();
    m_recent.RemoveMissing();
    for (long i = 0; i < m_recent.Count(); ++i)
        AppendMenuA(m_recentMenu, MF_STRING, kCmdRecentFirst + static_cast<UINT>(i),
                    m_recent.GetAt(i).GetText());
    std::string text = SectionText(m_menuTexts, "file.recent", "Recent Projects");
    UINT flags = MF_BYPOSITION | MF_POPUP | MF_STRING;
    if (m_recent.Count() == 0)
        flags |= MF_GRAYED;
    InsertMenuA(file, kFileMenuRecent, flags, reinterpret_cast<UINT_PTR>(m_recentMenu), text.c_str());
}

void OXRApp::OpenDocument(const char* path, bool textFallback, bool quiet)
{
    DProps info;
    std::string full = Helper::GetFileInfo(path, &info);
    if (full.empty())
        return;
    std::string quoted = "\"" + full + "\"";
    if (DProps::GetLong(info, "type") == 2) {
        Helper::ShellOpen("", quoted.c_str(), quiet);
        return;
    }
    char program[MAX_PATH] = "";
    if (reinterpret_cast<INT_PTR>(FindExecutableA(full.c_str(), nullptr, program)) <= 32) {
        program[0] = 0;
        if (textFallback) {
            UString temp = MakeTempFileName(nullptr, "txt");
            if (FileWrite(temp.GetText(), "", 0)) {
                if (reinterpret_cast<INT_PTR>(FindExecutableA(temp.GetText(), nullptr, program)) <= 32)
                    program[0] = 0;
                FileDelete(temp.GetText(), true);
            }
        }
    }
    Helper::ShellOpen(program, quoted.c_str(), quiet);
}

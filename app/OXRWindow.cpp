#include "app/OXRWindow.h"

#include <algorithm>

#include "app/DAutomation.h"
#include "app/MenuListing.h"

#include "appsvc/AppSettingsKeys.h"
#include "controls/ICPanel.h"
#include "controls/ICTab.h"
#include "panels/WinControls.h"
#include "panels/WinInfo.h"
#include "panels/WinOptions.h"
#include "panels/WinProcess.h"
#include "panels/WinProject.h"
#include "panels/WinSolution.h"

Placement OXRWindow::s_placement;
long OXRWindow::s_minWidth = 0;
long OXRWindow::s_minHeight = 0;

namespace {

bool IsAppEventCode(WPARAM code)
{
    switch (code) {
    case kEventProjectClosed:
    case kEventProjectOpened:
    case kEventCalculationFinished:
    case kEventMaterialsChanged:
    case kEventMaterialOptionsChanged:
    case kEventAutomationBreak:
    case kEventReportLayoutChanged:
    case kEventOpenCommandLineProject:
    case kEventReportPageChanged:
    case kEventSolutionsChanged:
    case kEventProjectDataChanged:
    case kEventCurrentMaterialChanged:
    case kEventMaterialEdited:
    case kEventPrintersEnumerated:
    case kEventStartupFinished:
    case kEventSettingsChanged:
        return true;
    default:
        return false;
    }
}

bool Exists(const ICPanel* panel)
{
    return panel && panel->IsWindow();
}

bool Exists(const std::unique_ptr<ICPanel>& panel)
{
    return Exists(panel.get());
}

// A page of the window, a dialog of its own on it; none when its window
// could not be made.
template <class Page>
std::unique_ptr<ICPanel> CreatePage(long templateId, CWnd* parent)
{
    auto page = std::make_unique<Page>();
    if (!page->Create(templateId, parent))
        return nullptr;
    return page;
}

} // namespace

OXRWindow::OXRWindow() : OXRWindowBase(kMainWindowTemplate)
{
    m_icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kMainIcon),
                                           IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

OXRWindow::~OXRWindow() = default;

const CMessageMap* OXRWindow::GetMessageMap() const
{
    static const CMessageMapOf<OXRWindow> map =
        CMessageMapOf<OXRWindow>(CDialog::GetMessageMap())
            .On(WM_SYSCOMMAND, &OXRWindow::OnSysCommand)
            .On(WM_PAINT, &OXRWindow::OnPaint)
            .On(WM_ERASEBKGND, &OXRWindow::OnEraseBkgnd)
            .On(WM_QUERYDRAGICON, &OXRWindow::OnQueryDragIcon)
            .On(WM_WINDOWPOSCHANGED, &OXRWindow::OnWindowPosChanged)
            .On(WM_MOUSEWHEEL, &OXRWindow::OnMouseWheel)
            .On(WM_SIZE, &OXRWindow::OnSizeMsg)
            .On(WM_SIZING, &OXRWindow::OnSizing)
            .OnCommand(IDCANCEL, &OXRWindow::OnCloseCommand)
            .On(WM_ACTIVATE, &OXRWindow::OnActivate)
            .On(WM_PANEL_COMMAND, &OXRWindow::OnPanelButton)
            .On(WM_PANEL_NOTIFY, &OXRWindow::OnPanelNotify)
            .On(WM_QUERY_HEADER_SIZE, &OXRWindow::OnQueryHeaderSize)
            .On(WM_QUERY_WORK_AREA, &OXRWindow::OnQueryWorkArea)
            .On(WM_USER, &OXRWindow::OnUserEvent)
            .On(WM_SETTINGCHANGE, &OXRWindow::OnSettingChange)
            .On(WM_COPYDATA, &OXRWindow::OnCopyData)
            .On(DAutomation::kMsgExecute, &OXRWindow::OnAutomation)
            .On(DAutomation::kMsgBreak, &OXRWindow::OnAutomation)
            .On(DAutomation::kMsgCloseApp, &OXRWindow::OnAutomation);
    return &map;
}

// ---- Initialisation -------------------------------------------------------------------

BOOL OXRWindow::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));

    OXRApp& app = App();
    m_hintSettings.showDelay = 700;
    m_hintSettings.displayTime = 2000;
    m_hintSettings.headFont = app.GetFont("hint");
    m_hintSettings.textFont = m_hintSettings.headFont;
    m_hint.reset(ICHint::Create(m_hWnd, &m_hintSettings));

    // The header bar and the project panel live inside the main window; the
    // pages are dialogs of their own on it. A page that could not be made
    // is skipped by every step below.
    m_header.reset(ICPanel::CreateAsChild(new WinControls(this)));
    m_project.reset(ICPanel::CreateAsChild(new WinSolution(this)));
    m_sourcePage = CreatePage<WinProject>(kPanelSource, this);
    m_resultsPage = CreatePage<WinProcess>(kPanelResults, this);
    m_optionsPage = CreatePage<WinOptions>(kPanelOptions, this);
    m_infoPage = CreatePage<WinInfo>(kPanelInfo, this);
    // Tab follows what the eye reads: the header bar, the project panel on
    // the left, then the page.
    if (Exists(m_header) && Exists(m_project))
        ::SetWindowPos(m_project->m_hWnd, m_header->m_hWnd, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);

    PlaceWindow();
    m_backBrush.Reset(CreateSolidBrush(app.Settings().GetColor()));
    GrowToMinimumSize();

    if (m_hint && !m_hint->IsEnabled())
        m_hint->Enable(50);
    if (!::IsWindowEnabled(m_hWnd)) {
        ::EnableWindow(m_hWnd, TRUE);
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    }
    return TRUE;
}

void OXRWindow::PlaceWindow()
{
    if (s_placement.state == Placement::Unset && ReadStoredPlacement(kSetPosition, s_placement))
        s_placement.Apply(m_hWnd);
    const bool stored = s_placement.state != Placement::Unset;

    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    const long frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
    const long headerHeight = Exists(m_header) ? WinPackedHeight(m_header->GetPreferredSize()) : 0;
    if (s_minWidth == 0) {
        // 448 high when there is no project panel to measure.
        const long sourceWidth = Exists(m_sourcePage) ? m_sourcePage->GetMinimumSize().cx : 0;
        const SIZE project = Exists(m_project) ? m_project->GetMinimumSize() : SIZE{0, 448};
        // The header's tabs start where the project panel's preferred width
        // ends: a narrower window would cut the last tab off.
        const auto* header = dynamic_cast<const WinControls*>(m_header.get());
        const ICTab* tabs = Exists(m_header) && header ? header->GetTabs() : nullptr;
        long tabsRight = tabs ? tabs->GetNeededWidth() : 0;
        if (Exists(m_project))
            tabsRight += WinPackedWidth(m_project->GetPreferredSize());
        const long frameWidth = (window.right - window.left) - (client.right - client.left);
        s_minWidth = frameWidth + std::max(sourceWidth + project.cx, tabsRight);
        s_minHeight = headerHeight + frameHeight + project.cy;
    }

    if (!stored) {
        // Without the header bar and the source-data page there is nothing
        // to measure the width by: the template's width stands.
        long width = window.right - window.left;
        if (Exists(m_header) && Exists(m_sourcePage)) {
            RECT page;
            ::GetClientRect(m_sourcePage->m_hWnd, &page);
            width = (page.right - page.left) +
                    ((WinPackedWidth(m_header->GetPreferredSize()) + 16) & 0xFFFF);
        }
        if (width < s_minWidth)
            width = s_minWidth;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, s_minHeight, SWP_NOZORDER | SWP_NOMOVE);
        WinCenter(nullptr, m_hWnd);
    }
}

void OXRWindow::GrowToMinimumSize()
{
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    long width = window.right - window.left;
    long height = window.bottom - window.top;
    bool changed = false;
    if (width < s_minWidth) {
        width = s_minWidth;
        changed = true;
    }
    if (height < s_minHeight) {
        height = s_minHeight < 720 ? s_minHeight : 720;
        changed = true;
    }
    if (changed) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE);
        WinCenter(nullptr, m_hWnd);
    } else {
        OnSize(0, 0, 0);
    }
}

// ---- Operations --------------------------------------------------------------------------

void OXRWindow::UpdateFileMenu()
{
    if (!IsWindow())
        return;
    if (Exists(m_header))
        m_header->UpdateEnableStates();
    HMENU bar = ::GetMenu(m_hWnd);
    HMENU file = bar ? ::GetSubMenu(bar, 0) : nullptr;
    if (!file)
        return;
    OXRApp& app = App();
    ::EnableMenuItem(file, kFileMenuSave,
                     MF_BYPOSITION | (app.Document().IsModified() ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(file, kFileMenuSaveAs,
                     MF_BYPOSITION | (app.Document().GetCount(false) > 0 ? MF_ENABLED : MF_GRAYED));
}

void OXRWindow::RedrawAll()
{
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

void OXRWindow::ShowWorkPanel(long tab)
{
    ICPanel* pages[] = {m_sourcePage.get(), m_resultsPage.get(), m_optionsPage.get(), m_infoPage.get()};
    ::LockWindowUpdate(m_hWnd);
    for (long i = 0; i < 4; ++i) {
        if (Exists(pages[i]))
            ::ShowWindow(pages[i]->m_hWnd, i == tab ? SW_SHOW : SW_HIDE);
    }
    ::LockWindowUpdate(nullptr);
}

void OXRWindow::OnAppEvent(long code, long argument, const void* sender)
{
    (void)argument;
    OXRApp& app = App();
    switch (code) {
    case kEventProjectOpened:
        app.UpdateTitle(false);
        break;
    case kEventOpenCommandLineProject: {
        UString file = app.CommandLine().Get("file", true);
        if (app.OpenProject(file.GetText()))
            app.RefreshMenuBar();
        return;
    }
    case kEventPrintersEnumerated:
        if (app.PrinterNames().IsEmpty()) {
            std::string text = app.GetMessageText(
                "printers.failed", "Cannot find system printers. You won't be able to print your reports");
            app.ShowMessage(m_hWnd, nullptr, text.c_str(), MB_OK, IDOK);
        }
        break;
    default:
        break;
    }
    ICPanel* panels[] = {m_header.get(),      m_project.get(),     m_sourcePage.get(),
                         m_resultsPage.get(), m_optionsPage.get(), m_infoPage.get()};
    for (ICPanel* panel : panels) {
        if (auto* receiver = dynamic_cast<DAppEventReceiver*>(panel))
            receiver->OnAppEvent(code, sender);
    }
    // Whatever the event changed (results cleared, a layout edited), the
    // header's Save button has just read the modified state: the caption's
    // " *" and the File menu follow the same state at once.
    app.UpdateTitle(false);
}

// ---- Messages ------------------------------------------------------------------------------

LRESULT OXRWindow::OnSysCommand(WPARAM, LPARAM)
{
    return Default();
}

LRESULT OXRWindow::OnPaint(WPARAM, LPARAM)
{
    if (!::IsIconic(m_hWnd))
        return Default();
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int cx = GetSystemMetrics(SM_CXICON);
    const int cy = GetSystemMetrics(SM_CYICON);
    ::DrawIcon(dc, (client.right - client.left - cx + 1) / 2, (client.bottom - client.top - cy + 1) / 2,
               m_icon);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT OXRWindow::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (!m_backBrush.Get() || !dc)
        return Default();
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(m_backBrush.Get()));
    ::ValidateRect(m_hWnd, nullptr);
    return 1;
}

LRESULT OXRWindow::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_icon);
}

LRESULT OXRWindow::OnWindowPosChanged(WPARAM, LPARAM lParam)
{
    LRESULT answer = Default();
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (Exists(m_sourcePage) && Exists(m_header) && pos && !(pos->flags & SWP_NOMOVE)) {
        s_placement.OnMove(m_hWnd);
        StorePlacement();
    }
    return answer;
}

LRESULT OXRWindow::OnMouseWheel(WPARAM, LPARAM)
{
    return Default();
}

LRESULT OXRWindow::OnSizeMsg(WPARAM wParam, LPARAM lParam)
{
    OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    return 0;
}

LRESULT OXRWindow::OnSizing(WPARAM wParam, LPARAM lParam)
{
    WinKeepSizingRect(wParam, reinterpret_cast<RECT*>(lParam), s_minWidth, s_minHeight);
    return Default();
}

void OXRWindow::OnCloseCommand()
{
    SendMessage(WM_COMMAND, kCmdExit, 0);
}

LRESULT OXRWindow::OnActivate(WPARAM wParam, LPARAM)
{
    LRESULT answer = Default();
    if (LOWORD(wParam) != WA_INACTIVE)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_UPDATENOW);
    return answer;
}

LRESULT OXRWindow::OnPanelButton(WPARAM wParam, LPARAM lParam)
{
    if (static_cast<long>(wParam) != kPanelHeader)
        return 0;
    UINT command = 0;
    switch (LOWORD(lParam)) {
    case kHeaderOpen: command = kCmdOpen; break;
    case kHeaderCreate: command = kCmdCreate; break;
    case kHeaderSave: command = kCmdSave; break;
    case kHeaderExit: command = kCmdExit; break;
    case kHeaderHistory:
        App().ShowRecentProjectsMenu();
        return 0;
    default:
        return 0;
    }
    ::PostMessageW(m_hWnd, WM_COMMAND, command, 0);
    return 0;
}

LRESULT OXRWindow::OnPanelNotify(WPARAM wParam, LPARAM lParam)
{
    const DProps* bag = reinterpret_cast<const DProps*>(lParam);
    if (bag && static_cast<long>(wParam) == kPanelHeader && DProps::GetLong(bag, "id", 0) == kHeaderTabs)
        ShowWorkPanel(DProps::GetLong(bag, "tab", 0));
    return 0;
}

LRESULT OXRWindow::OnQueryHeaderSize(WPARAM wParam, LPARAM)
{
    if (static_cast<long>(wParam) != kPanelProject || !Exists(m_header) || !Exists(m_project))
        return 0;
    return static_cast<LRESULT>(WinPackedHeight(m_header->GetPreferredSize())) << 16;
}

LRESULT OXRWindow::OnQueryWorkArea(WPARAM wParam, LPARAM)
{
    if (static_cast<long>(wParam) != kPanelProject || !Exists(m_header) || !Exists(m_project))
        return 0;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const long height = (client.bottom - client.top) - WinPackedHeight(m_header->GetPreferredSize());
    return (static_cast<LRESULT>(height) << 16) | WinPackedWidth(m_project->GetPreferredSize());
}

LRESULT OXRWindow::OnUserEvent(WPARAM wParam, LPARAM lParam)
{
    // WM_USER is also the dialog manager's DM_GETDEFID (Enter and Tab ask it):
    // only the application's event codes are events.
    if (!IsAppEventCode(wParam))
        return Default();
    OnAppEvent(static_cast<long>(wParam), static_cast<long>(lParam), nullptr);
    return 0;
}

LRESULT OXRWindow::OnSettingChange(WPARAM, LPARAM)
{
    App().LoadNumberFormats();
    return 0;
}

// ---- Layout --------------------------------------------------------------------------------

void OXRWindow::OnSize(UINT type, int width, int height)
{
    // Everything stands below the header bar: without it there is nothing
    // to lay out.
    if (!Exists(m_header))
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (width < 1)
        width = client.right - client.left;
    if (height < 1)
        height = client.bottom - client.top;
    m_header->Reposition(true);
    const int h = static_cast<int>(WinPackedHeight(m_header->GetPreferredSize()));
    int x = 0;
    if (Exists(m_project)) {
        m_project->Reposition(true);
        x = static_cast<int>(WinPackedWidth(m_project->GetClientSize()));
    }
    const int y = h + 1;
    ICPanel* pages[] = {m_sourcePage.get(), m_resultsPage.get(), m_optionsPage.get(), m_infoPage.get()};
    for (ICPanel* page : pages) {
        if (Exists(page))
            ::SetWindowPos(page->m_hWnd, nullptr, x, y, width - x, height - y,
                           SWP_NOZORDER | SWP_NOREDRAW | SWP_FRAMECHANGED);
    }
    if (::IsWindowVisible(m_hWnd)) {
        s_placement.state = static_cast<long>(type);
        if (type != SIZE_MAXIMIZED && type != SIZE_MINIMIZED)
            ::GetWindowRect(m_hWnd, &s_placement.rectangle);
    }
    StorePlacement();
    if (HWND main = App().GetMainHwnd())
        ::RedrawWindow(main, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

void OXRWindow::StorePlacement()
{
    SetSetting(App().Settings(), kSetPosition, s_placement.ToText().c_str(), true);
}

LRESULT OXRWindow::OnCopyData(WPARAM wParam, LPARAM lParam)
{
    const auto* request = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    HWND asking = reinterpret_cast<HWND>(wParam);
    if (!request || request->dwData != kMenuListingRequest || !::IsWindow(asking) ||
        App().CommandLine().IndexOf(kMenuListingOption, false) < 0)
        return FALSE;
    const std::string listing = MenuListing(::GetMenu(m_hWnd));
    COPYDATASTRUCT answer = {};
    answer.dwData = kMenuListingAnswer;
    answer.cbData = static_cast<DWORD>(listing.size());
    answer.lpData = const_cast<char*>(listing.data());
    // The asking window belongs to another program: a hung one must not
    // hang this one. It waits in its request without reading messages, which
    // Windows would take for hung, so the wait is the time-out alone.
    DWORD_PTR taken = 0;
    return ::SendMessageTimeoutA(asking, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd),
                                 reinterpret_cast<LPARAM>(&answer), SMTO_NORMAL, kMenuListingAnswerMs,
                                 &taken) != 0 && taken != 0;
}

LRESULT OXRWindow::OnAutomation(UINT message, WPARAM wParam, LPARAM lParam)
{
    return App().OnAutomationMessage(wParam, lParam, message);
}

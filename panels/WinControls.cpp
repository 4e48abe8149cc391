#include "panels/WinControls.h"

#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICStatic.h"
#include "controls/ICTab.h"
#include "panels/PanelIds.h"

namespace {

struct HeaderButton {
    int id;
    const char* key;
    const char* text;
};

// In the order of the control bag: the bar finds its buttons by position.
const HeaderButton kButtons[] = {
    {IDC_HEADER_OPEN, "open", "Open"},       {IDC_HEADER_CREATE, "create", "Create"},
    {IDC_HEADER_SAVE, "save", "Save"},       {IDC_HEADER_RECENT, "recent", "Recent"},
    {IDC_HEADER_EXIT, "exit", "Exit"},
};

struct HeaderTab {
    const char* key;
    const char* text;
};

const HeaderTab kTabs[] = {
    {"tab.data", "Data"},
    {"tab.calc", "Calculation"},
    {"tab.options", "Options"},
    {"tab.info", "Info"},
};

} // namespace

WinControls::WinControls(CDialog* mainWindow)
    : WinPanel(kPanelHeader, mainWindow, mainWindow ? mainWindow->m_hWnd : nullptr, "window.header")
{
}

BOOL WinControls::OnInitDialog()
{
    WinPanel::OnInitDialog();
    OXRApp& app = App();
    SetBackColor(app.GetNamedColor("panel.back"));
    ReadLocale(false);

    for (const HeaderButton& b : kButtons) {
        HWND window = GetDlgItem(b.id);
        if (!window)
            continue;
        SetFont(b.id, "buttNorm");
        auto* button = new ICButton(window, 0, Hint(b.key, b.text).c_str());
        AddControl(button);
        AddToBag(button, false);
    }

    if (HWND window = GetDlgItem(IDC_HEADER_PROJECT)) {
        SetFont(IDC_HEADER_PROJECT, "font.2b");
        auto* label = new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        label->SetText(Text("project", "Current Project").c_str());
        AddControl(label);
    }

    if (HWND window = GetDlgItem(IDC_HEADER_TABS)) {
        m_tabs = new ICTab(window);
        RECT strip = {0, 0, 0, 0};
        WinGetRectInParent(window, &strip);
        const long width = strip.right / 4;
        for (const HeaderTab& t : kTabs)
            m_tabs->AddTab(Text(t.key, t.text).c_str()).SetLong("width", width);
        DProps& style = m_tabs->GetStripStyle();
        style.SetPointer("font", StyleFont("buttNorm"));
        style.SetLong("offset", 5);
        style.SetLong("bottom", 1);
        style.SetLong("color.brush.selected", 0xFFFFFF);
        style.SetLong("color.brush.back", static_cast<long>(GetBackColor()));
        style.SetLong("selected", 0);
        m_tabs->Layout();
        AddControl(m_tabs);
    }

    ApplyLocale();
    UpdateEnableStates();
    return TRUE;
}

void WinControls::ApplyLocale()
{
    if (!LanguageChanged())
        return;
    ReadLocale(false);
    for (int position = 0; position < 5; ++position) {
        auto* button = dynamic_cast<ICButton*>(BagAt(position));
        if (!button)
            continue;
        for (const HeaderButton& b : kButtons) {
            if (b.id != button->GetId())
                continue;
            button->SetCaption(Text(b.key, b.text).c_str());
            button->SetHint(Hint(b.key, b.text).c_str());
        }
    }
    if (m_tabs) {
        auto& tabs = m_tabs->GetTabs();
        for (size_t i = 0; i < tabs.size() && i < 4; ++i)
            tabs[i].Set("text", Text(kTabs[i].key, kTabs[i].text).c_str());
        m_tabs->Layout();
    }
    SetLanguageMarker();
}

void WinControls::UpdateEnableStates()
{
    OXRApp& app = App();
    auto enable = [](HWND window, bool state) {
        if (window && (::IsWindowEnabled(window) != FALSE) != state)
            WinEnable(state, window);
    };
    enable(m_tabs ? m_tabs->GetHwnd() : nullptr, app.Document().GetCount(false) > 0);
    enable(GetDlgItem(IDC_HEADER_RECENT), app.RecentProjects().Count() > 0);
    enable(GetDlgItem(IDC_HEADER_SAVE), app.Document().IsModified());
}

void WinControls::LayoutControls()
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    if (m_tabs && m_tabs->GetHwnd()) {
        RECT strip = {0, 0, 0, 0};
        WinGetRectInParent(m_tabs->GetHwnd(), &strip);
        HWND owner = GetOwnerWindow();
        const LRESULT area = owner ? ::SendMessageA(owner, WM_QUERY_WORK_AREA, kPanelProject, 0) : 0;
        const long left = WinPackedWidth(static_cast<long>(area));
        long right = strip.right;
        if (right < client.right)
            right = client.right;
        ::MoveWindow(m_tabs->GetHwnd(), left, strip.top, right - left, strip.bottom - strip.top, TRUE);
        m_tabs->Layout();
    }
    if (HWND exit = GetDlgItem(IDC_HEADER_EXIT)) {
        RECT rect = {0, 0, 0, 0};
        WinGetRectInParent(exit, &rect);
        const long width = rect.right - rect.left;
        ::MoveWindow(exit, client.right - 4 - width, rect.top, width, rect.bottom - rect.top, TRUE);
    }
}

long WinControls::GetPreferredSize()
{
    RECT save = {0, 0, 0, 0};
    RECT strip = {0, 0, 0, 0};
    WinGetRectInParent(GetDlgItem(IDC_HEADER_SAVE), &save);
    if (m_tabs)
        WinGetRectInParent(m_tabs->GetHwnd(), &strip);
    return WinPackSize(save.right + 4, strip.bottom);
}

void WinControls::SelectTab(long index)
{
    if (!m_tabs || index < 0 || index >= m_tabs->GetTabCount())
        return;
    m_tabs->Select(index, true);
    if (m_tabs->GetHwnd())
        ::RedrawWindow(m_tabs->GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void WinControls::OnAppEvent(long code, const void* sender)
{
    switch (code) {
    case kEventProjectClosed:
        SelectTab(0);
        if (m_tabs && m_tabs->GetHwnd())
            WinEnable(false, m_tabs->GetHwnd());
        UpdateEnableStates();
        break;
    case kEventProjectOpened:
        if (m_tabs && m_tabs->GetHwnd())
            WinEnable(true, m_tabs->GetHwnd());
        SelectTab(0);
        break;
    case kEventCalculationFinished:
        SelectTab(1);
        break;
    case kEventMaterialsChanged:
        SelectTab(0);
        UpdateEnableStates();
        break;
    case kEventSolutionsChanged:
    case kEventCurrentMaterialChanged:
        UpdateEnableStates();
        break;
    case kEventProjectDataChanged:
        if (sender != this)
            UpdateEnableStates();
        break;
    default:
        break;
    }
}

#include "controls/ICPanel.h"

#include "controls/ICControl.h"
#include "controls/UDraw.h"

#include <vector>

const UINT UWindowHook::MSG_HOOK_MESSAGE = RegisterWindowMessageA("UWindowHook::MSG_HOOK_MESSAGE");

ICPanel::ICPanel(long templateId, CDialog* parent, HWND owner)
    : CDialog(static_cast<UINT>(templateId), parent), m_panelId(templateId), m_owner(owner)
{
    if (parent)
        m_parentWindow = parent->m_hWnd;
}

ICPanel::~ICPanel()
{
    // The controls go while their windows may still exist, so each gives its
    // window back its own procedure before the dialog destroys it.
    std::vector<ICControl*> owned;
    {
        DAutoLock guard(&m_controls.GetLock());
        for (auto& entry : m_controls)
            owned.push_back(entry.second);
        m_controls.Clear();
    }
    for (ICControl* control : owned)
        delete control;
}

ICPanel* ICPanel::CreateAsChild(ICPanel* panel)
{
    if (!panel)
        return nullptr;
    // A child template needs a parent at creation; the parent dialog given to
    // the constructor serves, and SetParent settles it for any other host.
    if (panel->Create(static_cast<UINT>(panel->m_panelId), nullptr) && panel->m_parentWindow &&
        ::IsWindow(panel->m_parentWindow))
        ::SetParent(panel->m_hWnd, panel->m_parentWindow);
    if (!panel->IsWindow()) {
        delete panel;
        return nullptr;
    }
    ::ShowWindow(panel->m_hWnd, SW_SHOW);
    return panel;
}

bool ICPanel::AddControl(ICControl* control)
{
    if (!control)
        return false;
    DAutoLock guard(&m_controls.GetLock());
    const long id = control->GetId();
    ICControl* previous = m_controls.Get(id);
    // A control re-registered under a new id keeps one entry only, so it is
    // never deleted twice.
    const long stale = m_controls.IndexOfValue(control);
    if (stale >= 0)
        m_controls.RemoveAt(stale);
    m_controls.Set(id, control, true);
    // The panel is the one owner of what it registered: a control that
    // loses its entry would otherwise belong to nobody.
    if (previous && previous != control)
        delete previous;
    return true;
}

long ICPanel::GetPreferredSize()
{
    if (IsWindow())
        ::GetClientRect(m_hWnd, &m_preferred);
    return ((m_preferred.bottom - m_preferred.top) << 16) |
           ((m_preferred.right - m_preferred.left) & 0xFFFF);
}

long ICPanel::GetClientSize()
{
    RECT client = {0, 0, 0, 0};
    if (IsWindow())
        ::GetClientRect(m_hWnd, &client);
    return ((client.bottom - client.top) << 16) | ((client.right - client.left) & 0xFFFF);
}

long ICPanel::Reposition(bool redraw)
{
    if (!IsWindow())
        return 0;
    HWND parent = ::GetParent(m_hWnd);
    if (!parent || !::IsWindow(parent))
        return 0;
    RECT rect;
    RECT host;
    ::GetClientRect(m_hWnd, &rect);
    ::GetClientRect(parent, &host);
    rect.right = host.right;
    const LRESULT offset = ::SendMessageW(parent, WM_PANEL_QUERY_OFFSET, m_panelId, 0);
    ::OffsetRect(&rect, 0, static_cast<int>(offset));
    ::SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER);
    LayoutControls();
    if (!redraw)
        return 1;
    return ::RedrawWindow(m_hWnd, nullptr, nullptr,
                          RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
}

template <class Action>
long ICPanel::ForGroup(long group, Action action)
{
    long count = 0;
    DAutoLock guard(&m_controls.GetLock());
    for (auto& entry : m_controls) {
        ICControl* control = entry.second;
        if (!control || (group != 0 && control->GetGroup() != group))
            continue;
        HWND window = control->GetHwnd();
        if (window && ::IsWindow(window) && action(window))
            ++count;
    }
    return count;
}

long ICPanel::ShowGroup(long group, bool show)
{
    // ShowWindow answers whether the window was visible before.
    return ForGroup(group, [show](HWND window) { return ::ShowWindow(window, show ? SW_SHOW : SW_HIDE) != 0; });
}

long ICPanel::EnableGroup(long group, bool enable)
{
    // EnableWindow answers whether the window was disabled before.
    return ForGroup(group, [enable](HWND window) { return ::EnableWindow(window, enable ? TRUE : FALSE) != 0; });
}

ICControl* ICPanel::FindControl(long id)
{
    DAutoLock guard(&m_controls.GetLock());
    for (auto& entry : m_controls) {
        if (entry.second && entry.second->GetId() == id)
            return entry.second;
    }
    return nullptr;
}

BOOL ICPanel::OnInitDialog()
{
    CDialog::OnInitDialog();
    return TRUE;
}

BOOL ICPanel::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT code = HIWORD(wParam);
    if (code == 0) {
        if (!m_owner || !::IsWindow(m_owner))
            return FALSE;
        if (!::SendMessageW(m_owner, WM_PANEL_COMMAND, m_panelId, static_cast<LPARAM>(wParam)))
            return FALSE;
        return CDialog::OnCommand(wParam, lParam);
    }
    if (code == PANEL_NOTIFY_CODE) {
        if (!m_owner || !::IsWindow(m_owner))
            return FALSE;
        return static_cast<BOOL>(::SendMessageW(m_owner, WM_PANEL_NOTIFY, m_panelId, lParam));
    }
    return CDialog::OnCommand(wParam, lParam);
}

const CMessageMap* ICPanel::GetMessageMap() const
{
    static const CMessageMapOf<ICPanel> map = CMessageMapOf<ICPanel>(CDialog::GetMessageMap())
                                                  .On(WM_ERASEBKGND, &ICPanel::OnEraseBkgndMsg)
                                                  .On(WM_NCPAINT, &ICPanel::OnNcPaintMsg)
                                                  .On(WM_QUERY_BACKCOLOR, &ICPanel::OnQueryBackColorMsg)
                                                  .On(WM_NEXTDLGCTL, &ICPanel::OnNextDlgCtlMsg);
    return &map;
}

LRESULT ICPanel::OnNextDlgCtlMsg(WPARAM wParam, LPARAM lParam)
{
    // A control that moves the focus itself (Tab in a multi-line edit) asks
    // its own dialog, the panel; the panel is part of the window it stands
    // in, so the focus moves through that whole window, not round the panel.
    HWND root = ::GetAncestor(m_hWnd, GA_ROOT);
    if (root && root != m_hWnd)
        return ::SendMessageA(root, WM_NEXTDLGCTL, wParam, lParam);
    return Default();
}

LRESULT ICPanel::OnEraseBkgndMsg(WPARAM, LPARAM)
{
    // Drawn through the panel's own DC: PaintExtra may be called with it
    // outside a paint cycle as well.
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return 1;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    {
        UGdiObject brush(::CreateSolidBrush(m_backColor));
        if (brush.Get())
            ::FillRect(dc, &client, static_cast<HBRUSH>(brush.Get()));
    }
    PaintExtra(dc);
    if (m_styleBits & StyleBottomLines) {
        UDraw draw;
        draw.Attach(dc, &client);
        const int width = client.right - client.left;
        draw.Frame(0, client.bottom - 1, width, 1, RGB(0xF0, 0xF0, 0xF0));
        draw.Frame(0, client.bottom, width, 1, RGB(0xB4, 0xB4, 0xB4));
        draw.Frame(0, client.bottom - 1, width, 2, 0xE7BFC8);
    }
    ::ReleaseDC(m_hWnd, dc);
    return 1;
}

LRESULT ICPanel::OnNcPaintMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ALLCHILDREN | RDW_INVALIDATE);
    return result;
}

LRESULT ICPanel::OnQueryBackColorMsg(WPARAM, LPARAM lParam)
{
    BackColorQuery* query = reinterpret_cast<BackColorQuery*>(lParam);
    if (query) {
        query->colour = m_backColor;
        query->flags = 1;
    }
    return 0;
}

#include "appsvc/DlgStartup.h"

#include "appsvc/OXRApp.h"
#include "controls/WinUtil.h"
#include "foundation/UString.h"

UINT DlgStartup::GetStatusMessage()
{
    static const UINT message = RegisterWindowMessageA("DlgStartup.MSG_STATUS");
    return message;
}

DlgStartup::DlgStartup(CWnd* parent) : CDialog("IDDSTARTUP", parent), m_parentWindow(parent)
{
    m_titleFont.Reset(CreateFontA(-13, 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Trebuchet MS"));
    m_statusFont.Reset(CreateFontA(-12, 0, 0, 0, 400, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Trebuchet MS"));
}

std::unique_ptr<DlgStartup> DlgStartup::ShowForApp(CWnd* parent, const char* title, const char* status)
{
    OXRApp& app = App();
    if (app.IsAutomation())
        return nullptr;
    auto banner = std::make_unique<DlgStartup>(parent);
    banner->SetBackColor(app.GetNamedColor("splash.back"));
    banner->SetTitleFont(app.GetFont("bold", false));
    banner->SetStatusFont(app.GetFont("small", false));
    UString versionTitle;
    if (!title) {
        versionTitle.Format("%s %s", kAppName, kDisplayVersion);
        title = versionTitle.GetText();
    }
    if (banner->Show(title))
        banner->SendStatus(status);
    return banner;
}

DlgStartup::~DlgStartup()
{
    Hide();
    // The window goes before the fonts and the brush it paints with (the
    // members go after this body).
    DestroyWindow();
}

const CMessageMap* DlgStartup::GetMessageMap() const
{
    static const CMessageMapOf<DlgStartup> map =
        CMessageMapOf<DlgStartup>(CDialog::GetMessageMap())
            .On(GetStatusMessage(), &DlgStartup::OnStatus)
            .On(WM_CTLCOLORSTATIC, &DlgStartup::OnCtlColorStatic)
            .On(WM_ERASEBKGND, &DlgStartup::OnEraseBkgnd);
    return &map;
}

bool DlgStartup::Show(const char* title)
{
    if (!m_hWnd || !::IsWindow(m_hWnd)) {
        if (!Create("IDDSTARTUP", m_parentWindow))
            return false;
    }
    ::ShowWindow(m_hWnd, SW_SHOW);
    WinSetText(title ? title : "", m_titleStatic, false, true);
    ::SetFocus(m_hWnd);
    ::SetCapture(m_hWnd);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_shown = true;
    return true;
}

void DlgStartup::Hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::ShowWindow(m_hWnd, SW_HIDE);
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
    }
}

LRESULT DlgStartup::SendStatus(DlgStartup* banner, const char* text)
{
    if (!banner || !banner->m_hWnd || !::IsWindow(banner->m_hWnd))
        return 0;
    return ::SendMessageW(banner->m_hWnd, GetStatusMessage(), reinterpret_cast<WPARAM>(text), 0);
}

BOOL DlgStartup::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_titleStatic = GetDlgItem(IdTitle);
    m_statusStatic = GetDlgItem(IdStatus);
    HFONT title = m_titleFontOverride ? m_titleFontOverride : static_cast<HFONT>(m_titleFont.Get());
    HFONT status = m_statusFontOverride ? m_statusFontOverride : static_cast<HFONT>(m_statusFont.Get());
    if (m_titleStatic)
        ::SendMessageA(m_titleStatic, WM_SETFONT, reinterpret_cast<WPARAM>(title), FALSE);
    if (m_statusStatic)
        ::SendMessageA(m_statusStatic, WM_SETFONT, reinterpret_cast<WPARAM>(status), FALSE);
    WinCenter(m_parentWindow ? m_parentWindow->m_hWnd : nullptr, m_hWnd);
    return FALSE;
}

LRESULT DlgStartup::OnStatus(WPARAM wParam, LPARAM)
{
    const char* text = reinterpret_cast<const char*>(wParam);
    WinSetText(text ? text : "", m_statusStatic, false, true);
    if (m_statusStatic)
        ::UpdateWindow(m_statusStatic);
    return 0;
}

LRESULT DlgStartup::OnCtlColorStatic(WPARAM wParam, LPARAM lParam)
{
    LRESULT answer = Default();
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (!dc || !lParam)
        return answer;
    SetBkMode(dc, TRANSPARENT);
    if (!m_backBrush.Get() || m_brushColor != m_backColor) {
        m_backBrush.Reset(CreateSolidBrush(m_backColor));
        m_brushColor = m_backColor;
    }
    return reinterpret_cast<LRESULT>(m_backBrush.Get());
}

LRESULT DlgStartup::OnEraseBkgnd(WPARAM wParam, LPARAM)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    RECT rect;
    ::GetClientRect(m_hWnd, &rect);
    UGdiObject brush(CreateSolidBrush(m_backColor));
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
    return 1;
}

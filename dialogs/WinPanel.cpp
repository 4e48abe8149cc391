#include "dialogs/WinPanel.h"

#include <cstdio>

#include "appsvc/OXRApp.h"
#include "controls/ICControl.h"
#include "controls/ICHint.h"
#include "controls/ICList.h"
#include "foundation/StrUtil.h"

namespace {

const char* const kReleaseControl = "${release:delete.UBaseObject}";

} // namespace

void PanelPaintRightEdge(HWND panel, HDC dc)
{
    if (!panel || !dc)
        return;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(panel, &client);
    RECT line = {client.right - 1, client.top, client.right, client.bottom};
    HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    ::FillRect(dc, &line, black);
}

WinPanel::WinPanel(long templateId, CDialog* parent, HWND owner, const char* section)
    : ICPanel(templateId, parent, owner), m_section(section ? section : "")
{
}

WinPanel::~WinPanel()
{
    // The bag deletes the controls it owns while their windows still exist.
    m_bag.ReleaseObjects();
    ICHint::PurgeWindowHints();
}

ICControl* WinPanel::FindInBag(long id) const
{
    char key[16];
    snprintf(key, sizeof(key), "%ld", id);
    const char* value = m_bag.Get(key, nullptr);
    return value ? static_cast<ICControl*>(StrToPointer(value)) : nullptr;
}

ICControl* WinPanel::BagAt(int position) const
{
    const char* value = position >= 0 && position < m_bag.Count() ? m_bag.GetValueAt(position) : nullptr;
    return value && *value ? static_cast<ICControl*>(StrToPointer(value)) : nullptr;
}

void WinPanel::ReadLocale(bool setMarker)
{
    DProps copy;
    OXRApp* app = GetApp();
    if (app)
        app->GetLocaleSection(m_section.c_str(), copy);
    m_locale = copy;
    if (setMarker)
        SetLanguageMarker();
}

bool WinPanel::LanguageChanged() const
{
    OXRApp* app = GetApp();
    return (app ? app->GetLanguage() : std::string()) != m_language;
}

void WinPanel::SetLanguageMarker()
{
    OXRApp* app = GetApp();
    m_language = app ? app->GetLanguage() : std::string();
}

void WinPanel::SetFont(int id, const char* fontName)
{
    SetStyleFont(GetDlgItem(id), fontName);
}

void WinPanel::AddToBag(ICControl* control, bool owned)
{
    if (!control)
        return;
    char key[16];
    snprintf(key, sizeof(key), "%ld", control->GetId());
    m_bag.SetPointer(key, control, owned ? kReleaseControl : nullptr);
}

std::vector<long> WinPanel::SetupColumns(ICList& list, const std::vector<ColumnSpec>& columns,
                                         DWORD extendedStyles)
{
    return SetupListColumns(list, m_locale, columns, ColumnRounding::Truncate, extendedStyles);
}

const CMessageMap* WinPanel::GetMessageMap() const
{
    // No WM_PAINT of our own: a panel paints as its dialog does.
    static const CMessageMapOf<WinPanel> map =
        CMessageMapOf<WinPanel>(ICPanel::GetMessageMap()).On(WM_CTLCOLORSTATIC, &WinPanel::OnCtlColorStaticMsg);
    return &map;
}

HBRUSH WinPanel::BackBrush()
{
    if (!m_backBrush.Get() || m_brushColour != m_backColor) {
        m_backBrush.Reset(::CreateSolidBrush(m_backColor));
        m_brushColour = m_backColor;
    }
    return static_cast<HBRUSH>(m_backBrush.Get());
}

LRESULT WinPanel::OnCtlColorStaticMsg(WPARAM wParam, LPARAM)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(BackBrush());
}

LRESULT WinPanel::CtlColorWithNote(WPARAM wParam, LPARAM lParam, int noteId, COLORREF colour)
{
    const LRESULT brush = OnCtlColorStaticMsg(wParam, lParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control && ::GetDlgCtrlID(control) == noteId)
        ::SetTextColor(reinterpret_cast<HDC>(wParam), colour);
    return brush;
}

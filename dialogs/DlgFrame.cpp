#include "dialogs/DlgFrame.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>

#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICHint.h"
#include "controls/ICList.h"
#include "foundation/FieldCheck.h"
#include "foundation/StrUtil.h"

namespace {

const char* const kReleaseControl = "${release:delete.UBaseObject}";

// Every caller of a locale text holds the application; without one (a tool
// or a test without it) the texts are the defaults.
std::string CurrentLanguage()
{
    OXRApp* app = GetApp();
    return app ? app->GetLanguage() : std::string();
}

bool CopySection(const char* name, DProps& out)
{
    OXRApp* app = GetApp();
    out.Clear();
    return app && name && *name && app->GetLocaleSection(name, out);
}

} // namespace

// ---- Shared services ------------------------------------------------------------------

std::string LocaleText(const DProps& section, const char* key, const char* def)
{
    return SectionText(section, key, def);
}

std::string LocaleHint(const DProps& section, const char* key, const char* def)
{
    const char* comment = section.GetComment(key, nullptr);
    if (!comment || !*comment)
        return StrFromText(def);
    return comment;
}

HFONT StyleFont(const char* styleKey)
{
    OXRApp* app = GetApp();
    return app ? app->GetFont(styleKey, true) : nullptr;
}

bool SetStyleFont(HWND window, const char* styleKey)
{
    if (!window || !::IsWindow(window))
        return false;
    HFONT font = StyleFont(styleKey);
    if (!font)
        return false;
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return true;
}

std::vector<long> ColumnWidths(long listWidth, const std::vector<ColumnSpec>& columns, ColumnRounding rounding)
{
    return ColumnWidths(listWidth, GetSystemMetrics(SM_CXVSCROLL), columns, rounding);
}

std::vector<long> ColumnWidths(long listWidth, long scrollWidth, const std::vector<ColumnSpec>& columns,
                               ColumnRounding rounding)
{
    std::vector<long> widths;
    double sum = 0;
    for (const ColumnSpec& c : columns)
        sum += c.width;
    const double usable = static_cast<double>(listWidth - scrollWidth - 4);
    const double factor = sum > 0 ? usable / sum : 0.0;
    for (const ColumnSpec& c : columns) {
        const double width = c.width * factor;
        if (rounding == ColumnRounding::Nearest)
            widths.push_back(static_cast<long>(width < 0 ? std::ceil(width - 0.5) : std::floor(width + 0.5)));
        else
            widths.push_back(static_cast<long>(width));
    }
    return widths;
}

std::vector<long> SetupListColumns(ICList& list, const DProps& locale, const std::vector<ColumnSpec>& columns,
                                   ColumnRounding rounding, DWORD extendedStyles)
{
    HWND window = list.GetHwnd();
    if (!window || !::IsWindow(window))
        return {};
    if (extendedStyles)
        ::SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyles, extendedStyles);
    RECT rect = {0, 0, 0, 0};
    ::GetWindowRect(window, &rect);
    std::vector<long> widths = ColumnWidths(rect.right - rect.left, columns, rounding);
    for (size_t i = 0; i < columns.size(); ++i) {
        DProps bag;
        bag.Set("hint", LocaleHint(locale, columns[i].key, "").c_str());
        const std::string title = LocaleText(locale, columns[i].key, columns[i].title);
        // A column too narrow to see still takes its place, so later columns
        // keep their index.
        list.InsertColumn(widths[i] > 0 ? widths[i] : 1, title.c_str(), &bag);
    }
    return widths;
}

long FitLastColumn(HWND list, std::vector<long>& widths)
{
    if (!list || !::IsWindow(list) || widths.empty())
        return 0;
    RECT rect = {0, 0, 0, 0};
    ::GetWindowRect(list, &rect);
    long rest = rect.right - rect.left - GetSystemMetrics(SM_CXVSCROLL) - 4;
    for (size_t i = 0; i + 1 < widths.size(); ++i)
        rest -= widths[i];
    widths.back() = rest;
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, widths.size() - 1, rest > 0 ? rest : 0);
    return rest;
}

RECT ChildRect(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    if (window)
        WinGetRectInParent(window, &rect);
    return rect;
}

void LayoutWithoutRedraw(HWND window, const std::function<void()>& layout)
{
    const bool visible = window && ::IsWindowVisible(window);
    if (visible)
        ::SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    layout();
    if (visible) {
        ::SendMessageA(window, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
}

UINT PopupMenuAtCursor(HWND owner, const std::vector<PopupItem>& items)
{
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return 0;
    for (const PopupItem& item : items)
        ::AppendMenuA(menu, MF_STRING | (item.enabled ? 0 : MF_GRAYED), item.id, item.text.c_str());
    POINT cursor = {0, 0};
    ::GetCursorPos(&cursor);
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN, cursor.x, cursor.y, 0, owner, nullptr));
    ::DestroyMenu(menu);
    return chosen;
}

bool ReadStoredPlacement(const AppSettingKey& key, Placement& placement)
{
    UString stored = GetSetting(App().Settings(), key);
    if (stored.Trim().IsEmpty())
        return false;
    return placement.FromText(stored.GetText(), Placement::StateFromText);
}

COLORREF FieldStateColour(long state)
{
    switch (state) {
    case 1: return RGB(0, 0, 24);
    case 2: return RGB(30, 70, 30);
    default: return RGB(196, 0, 0);
    }
}

// ---- The frame ----------------------------------------------------------------------------

DlgFrame::DlgFrame(UINT templateId, CWnd* parent, const char* section, UINT iconId)
    : CDialog(templateId, parent), m_section(section ? section : ""), m_iconId(iconId)
{
    if (iconId) {
        m_icon = static_cast<HICON>(::LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId),
                                                 IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    }
}

DlgFrame::~DlgFrame()
{
    ICHint::PurgeWindowHints();
    if (m_icon) {
        ::DestroyIcon(m_icon);
        m_icon = nullptr;
    }
}

bool DlgFrame::CopyParams(const DProps& params)
{
    m_params.CopyFrom(&params, 0, -1);
    return true;
}

void DlgFrame::ReloadLocale()
{
    const std::string language = CurrentLanguage();
    if (language == m_language)
        return;
    DProps copy;
    if (CopySection(m_section.c_str(), copy)) {
        m_locale = copy;
        m_language = language;
    }
}

BOOL DlgFrame::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_language = CurrentLanguage();
    CopySection(m_section.c_str(), m_locale);
    if (m_icon) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    }
    return TRUE;
}

void DlgFrame::OnCancel()
{
    EndDialog(Cancelled);
}

void DlgFrame::OnOK()
{
    EndDialog(Accepted);
}

const DProps* DlgFrame::GetField(int editId) const
{
    auto found = m_fields.find(editId);
    return found == m_fields.end() ? nullptr : &found->second;
}

long DlgFrame::GetFieldState(int editId) const
{
    const DProps* field = GetField(editId);
    return field ? DProps::GetLong(field, "valid", 0) : -1;
}

long DlgFrame::GetTextColour(int controlId) const
{
    auto label = m_labelField.find(controlId);
    if (label != m_labelField.end())
        return static_cast<long>(FieldStateColour(GetFieldState(label->second)));
    auto colour = m_colours.find(controlId);
    return colour == m_colours.end() ? -1 : static_cast<long>(colour->second);
}

ICControl* DlgFrame::FindWrapped(int controlId) const
{
    char key[16];
    snprintf(key, sizeof(key), "%d", controlId);
    const char* value = m_controls.Get(key, nullptr);
    return value ? static_cast<ICControl*>(StrToPointer(value)) : nullptr;
}

void DlgFrame::SetFont(int id, const char* styleKey)
{
    SetStyleFont(GetDlgItem(id), styleKey);
}

void DlgFrame::SetItemText(int id, const std::string& text)
{
    HWND item = GetDlgItem(id);
    if (item)
        ::SetWindowTextA(item, text.c_str());
}

std::string DlgFrame::GetItemText(int id, long max, bool trim) const
{
    HWND item = GetDlgItem(id);
    if (!item)
        return std::string();
    return WinGetText(max, item, trim).GetText();
}

void DlgFrame::SetHint(int id, const std::string& text)
{
    HWND item = GetDlgItem(id);
    if (item)
        ICHint::SetWindowHint(item, text.c_str());
}

void DlgFrame::SetTextColour(int id, COLORREF colour)
{
    m_colours[id] = colour;
}

void DlgFrame::Own(ICControl* control)
{
    if (!control)
        return;
    char key[16];
    snprintf(key, sizeof(key), "%ld", control->GetId());
    // A control wrapped again under the same id replaces the one before.
    if (ICControl* previous = FindWrapped(static_cast<int>(control->GetId())))
        if (previous != control)
            delete previous;
    m_controls.SetPointer(key, control, kReleaseControl);
}

ICButton* DlgFrame::WrapButton(int id, const std::string& caption, const std::string& hint)
{
    HWND item = GetDlgItem(id);
    if (!item)
        return nullptr;
    auto* button = new ICButton(item, 0, hint.c_str());
    button->SetCaption(caption.c_str());
    Own(button);
    return button;
}

void DlgFrame::WrapButtons(const std::vector<ButtonText>& buttons, const char* styleKey)
{
    for (const ButtonText& b : buttons) {
        SetFont(b.id, styleKey);
        WrapButton(b.id, Text(b.key, b.def), Hint(b.key, b.hint));
    }
}

ICList* DlgFrame::WrapList(int id)
{
    HWND item = GetDlgItem(id);
    if (!item)
        return nullptr;
    auto* list = new ICList(item);
    Own(list);
    return list;
}

void DlgFrame::AddField(int editId, int labelId, const DProps& descriptor)
{
    DProps& field = m_fields[editId];
    field.Clear();
    field.Set("valid", "0");
    for (int i = 0; i < descriptor.Count(); ++i) {
        const char* key = descriptor.GetKeyAt(i);
        if (key && _stricmp(key, "valid") != 0)
            field.Set(key, descriptor.GetValueAt(i));
    }
    if (labelId)
        m_labelField[labelId] = editId;
}

long DlgFrame::ValidateField(int editId)
{
    auto found = m_fields.find(editId);
    if (found == m_fields.end())
        return -1;
    const std::string text = GetItemText(editId, 1024, false);
    const long state = ValidateValue(text.c_str(), &found->second);
    found->second.SetLong("valid", state);
    m_formValid = true;
    for (const auto& field : m_fields) {
        if (DProps::GetLong(field.second, "valid", 0) == 0) {
            m_formValid = false;
            break;
        }
    }
    for (const auto& label : m_labelField) {
        if (label.second != editId)
            continue;
        if (HWND window = GetDlgItem(static_cast<int>(label.first)))
            ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    UpdateButtons();
    return state;
}

void DlgFrame::ValidateAllFields()
{
    std::vector<long> ids;
    for (const auto& field : m_fields)
        ids.push_back(field.first);
    for (long id : ids)
        ValidateField(static_cast<int>(id));
}

std::string DlgFrame::StoreField(int editId) const
{
    const std::string text = GetItemText(editId, 1024, false);
    return NormalizeValue(text.c_str(), GetField(editId));
}

void DlgFrame::UsePlacement(DlgClassPlacement* placement, long margin, const AppSettingKey* settingKey)
{
    m_placement = placement;
    m_placementSetting = placement ? settingKey : nullptr;
    m_minimumSize = true;
    RECT window = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &window);
    m_ownMinWidth = window.right - window.left;
    m_ownMargin = margin;
    if (!placement)
        return;
    placement->margin = margin;
    placement->minWidth = m_ownMinWidth;
    if (placement->placement.state >= 0)
        placement->placement.Apply(m_hWnd);
}

void DlgFrame::UseMinimumSize(long margin)
{
    UsePlacement(nullptr, margin);
}

long DlgFrame::GetMargin() const
{
    return m_placement ? m_placement->margin : m_ownMargin;
}

const CMessageMap* DlgFrame::GetMessageMap() const
{
    static const CMessageMapOf<DlgFrame> map = CMessageMapOf<DlgFrame>(CDialog::GetMessageMap())
                                                   .On(WM_CTLCOLORSTATIC, &DlgFrame::OnCtlColorStatic)
                                                   .On(WM_SIZE, &DlgFrame::OnSizeMsg)
                                                   .On(WM_SIZING, &DlgFrame::OnSizingMsg)
                                                   .On(WM_CHECK_SELECTION, &DlgFrame::OnCheckSelection)
                                                   .On(WM_WINDOWPOSCHANGED, &DlgFrame::OnWindowPosChangedMsg);
    return &map;
}

BOOL DlgFrame::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == EN_CHANGE && m_fields.count(LOWORD(wParam)))
        ValidateField(LOWORD(wParam));
    return CDialog::OnCommand(wParam, lParam);
}

BOOL DlgFrame::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == LVN_ITEMCHANGED && header->hwndFrom &&
        ListGetSelected(header->hwndFrom) < 0)
        PostMessage(WM_CHECK_SELECTION, static_cast<WPARAM>(header->idFrom), 0);
    return CDialog::OnNotify(wParam, lParam, result);
}

LRESULT DlgFrame::OnCtlColorStatic(WPARAM wParam, LPARAM lParam)
{
    LRESULT brush = Default();
    HWND control = reinterpret_cast<HWND>(lParam);
    const long colour = control ? GetTextColour(::GetDlgCtrlID(control)) : -1;
    if (colour >= 0)
        ::SetTextColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(colour));
    return brush;
}

LRESULT DlgFrame::OnSizeMsg(WPARAM wParam, LPARAM lParam)
{
    LRESULT result = Default();
    (void)lParam;
    if (!m_minimumSize || !::IsWindowVisible(m_hWnd))
        return result;
    if (m_placement)
        m_placement->placement.OnSize(m_hWnd, static_cast<UINT>(wParam));
    LayoutWithoutRedraw(m_hWnd, [this] { LayoutControls(); });
    return result;
}

LRESULT DlgFrame::OnSizingMsg(WPARAM wParam, LPARAM lParam)
{
    RECT* rect = reinterpret_cast<RECT*>(lParam);
    if (!m_minimumSize || !rect)
        return Default();
    WinKeepSizingRect(wParam, rect, m_placement ? m_placement->minWidth : m_ownMinWidth, m_ownMinHeight);
    Default();
    return TRUE;
}

LRESULT DlgFrame::OnWindowPosChangedMsg(WPARAM, LPARAM lParam)
{
    LRESULT result = Default();
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    OXRApp* app = GetApp();
    if (m_placement && m_placementSetting && pos && !(pos->flags & SWP_NOMOVE) && app) {
        m_placement->placement.OnMove(m_hWnd);
        SetSetting(app->Settings(), *m_placementSetting, m_placement->placement.ToText().c_str(), true);
    }
    return result;
}

LRESULT DlgFrame::OnCheckSelection(WPARAM wParam, LPARAM)
{
    HWND list = GetDlgItem(static_cast<int>(wParam));
    if (list && ListGetSelected(list) < 0)
        OnSelectionCleared(static_cast<UINT>(wParam));
    return 0;
}

#include "dialogs/DlgRowEditor.h"

#include <commctrl.h>

#include <cstdlib>
#include <unordered_map>

#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICList.h"
#include "controls/ICPanel.h"
#include "dialogs/DialogIds.h"
#include "document/DCSStorage.h"
#include "foundation/StrUtil.h"
#include "foundation/UniqueId.h"

namespace {

constexpr DWORD kListStyles = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;

void MoveTo(HWND window, long x, long y, long width, long height)
{
    if (window)
        ::MoveWindow(window, x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

} // namespace

DlgRowEditor::DlgRowEditor(const RowEditorSpec& spec, DlgClassPlacement& placement, CWnd* parent)
    : DlgFrame(spec.templateId, parent, spec.section, IDI_DIALOGS), m_spec(spec), m_placement(placement)
{
}

DlgRowEditor::~DlgRowEditor()
{
    ReleaseHook();
}

bool DlgRowEditor::TakeRows(const DProps& params, const PropsList& rows)
{
    CopyParams(params);
    m_material = DProps::GetString(m_params, "material", "");
    m_currentUid = DProps::GetString(m_params, m_spec.selectParam, "");
    PropsList copy = rows;
    DCSStorage::NormalizeRows(copy, m_params);
    m_rows.SetRecords(copy);
    return true;
}

// ---- Opening ------------------------------------------------------------------------------

BOOL DlgRowEditor::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    ::SetWindowTextA(m_hWnd, Text(m_spec.titleKey, m_spec.titleDef).c_str());

    for (const RowField& field : m_spec.fields) {
        SetFont(field.label, "text");
        SetFont(field.edit, "calc");
        SetItemText(field.label, Text(field.textKey, field.textDef));
        const std::string hint = Hint(field.textKey, field.hintDef);
        SetHint(field.label, hint);
        SetHint(field.edit, hint);
        if (!field.descriptor.empty()) {
            DProps descriptor;
            for (const auto& entry : field.descriptor)
                descriptor.Set(entry.first, entry.second);
            AddField(field.edit, field.label, descriptor);
        }
    }

    WrapButtons({{kAdd, "append", "Add", "Add form data to the list"},
                 {kUpdate, "update", "Update", "Update form data in the list"},
                 {kDelete, "delete", "Delete", m_spec.deleteHint},
                 {kMoveUp, "moveup", "Move Up", "Move Up"},
                 {kMoveDown, "movedown", "Move Down", "Move Down"}},
                "body");
    SetFont(IDOK, m_spec.okFont);
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDOK, Text(m_spec.okKey, "OK"));
    SetHint(IDOK, Hint(m_spec.okKey, "Save changes and Exit"));
    SetItemText(IDCANCEL, Text(m_spec.cancelKey, "Cancel"));
    SetHint(IDCANCEL, Hint(m_spec.cancelKey, "Skip changes and Exit"));

    SetFont(m_spec.noteId, "note");
    SetItemText(m_spec.noteId, LocaleLineBreaks(Text("note", m_spec.noteDef)));
    SetFont(m_spec.keyNoteId, "note");
    SetItemText(m_spec.keyNoteId, LocaleLineBreaks(Text("note.edit", "")));
    SetFont(kStatus, "group");

    HWND listWindow = GetDlgItem(kList);
    ListSetFonts(StyleFont("list.1"), listWindow, StyleFont("list.2"));
    m_list = WrapList(kList);
    if (m_list)
        m_columnWidths = SetupListColumns(*m_list, m_locale, m_spec.columns, ColumnRounding::Nearest, kListStyles);

    UsePlacement(&m_placement, ChildRect(listWindow).left);

    FillList(true);
    if (m_currentIndex >= 0)
        FocusField(DProps::GetLong(m_params, "field"));
    ValidateAllFields();

    App().SetHookWindow(m_hWnd);
    LayoutControls();
    UpdateButtons();
    return FALSE;
}

// ---- The list ------------------------------------------------------------------------------

std::string DlgRowEditor::DisplayText(const std::string& value, RowDisplay display) const
{
    switch (display) {
    case RowDisplay::Length:
        return FormatLengthText(value.c_str(), false);
    case RowDisplay::Cost:
        return FormatCostText(value.c_str(), false);
    default:
        return value;
    }
}

void DlgRowEditor::FillList(bool reselect)
{
    if (!m_list)
        return;
    m_filling = true;
    m_list->DeleteAllRows();
    TextList uids;
    DCSStorage::CollectRowUids(uids, m_material.c_str(), m_rows.Records());
    std::unordered_map<std::string, size_t> byUid;
    const PropsList& rows = m_rows.Records();
    for (size_t i = rows.size(); i-- > 0;)
        byUid[DProps::GetString(rows[i], "uid", "")] = i;

    long row = 0;
    for (const std::string& uid : uids) {
        const auto found = byUid.find(uid);
        if (found == byUid.end())
            continue;
        const DProps& record = rows[found->second];
        DProps attributes;
        attributes.SetLong("uid", StrToLong(uid));
        m_list->SetCell(row, 0, DProps::GetString(record, "id", "").c_str(), &attributes);
        for (size_t f = 0; f < m_spec.fields.size(); ++f) {
            const RowField& field = m_spec.fields[f];
            const std::string value = DProps::GetString(record, field.key, "");
            m_list->SetCell(row, static_cast<long>(f) + 1, DisplayText(value, field.display).c_str(), nullptr);
        }
        ++row;
    }
    m_filling = false;

    if (reselect) {
        long index = m_currentUid.empty() ? -1 : m_list->FindRow("uid", m_currentUid.c_str(), false);
        SelectIndex(index >= 0 ? index : 0);
    }
    UpdateButtons();
}

void DlgRowEditor::SelectIndex(long index)
{
    HWND list = GetDlgItem(kList);
    const long count = list ? static_cast<long>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    if (index < 0 || index >= count)
        return;
    m_list->SelectRow(index);
    // The focus change shows the row; a row that was focused already says
    // nothing, so it is shown here as well.
    ShowSelectedRow();
}

void DlgRowEditor::ShowSelectedRow()
{
    HWND list = GetDlgItem(kList);
    const long selected = ListGetSelected(list);
    if (selected < 0)
        return;
    m_currentIndex = selected;
    m_currentUid = m_list->GetRowAttribute(selected, "uid");
    DProps record;
    if (DData::GetRecord(m_rows, m_currentUid.c_str(), record) >= 0) {
        for (const RowField& field : m_spec.fields)
            SetItemText(field.edit, DisplayText(DProps::GetString(record, field.key, ""), field.display));
    }
    UpdateButtons();
}

void DlgRowEditor::OnSelectionCleared(UINT listId)
{
    if (listId != kList)
        return;
    m_currentIndex = -1;
    m_currentUid.clear();
    UpdateButtons();
}

void DlgRowEditor::FocusField(long number)
{
    if (number < 1 || number > static_cast<long>(m_spec.fields.size()))
        return;
    HWND edit = GetDlgItem(m_spec.fields[static_cast<size_t>(number - 1)].edit);
    if (!edit)
        return;
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
}

long DlgRowEditor::FieldOfEdit(HWND window) const
{
    if (!window)
        return -1;
    for (size_t i = 0; i < m_spec.fields.size(); ++i) {
        if (GetDlgItem(m_spec.fields[i].edit) == window)
            return static_cast<long>(i);
    }
    return -1;
}

// ---- Rows ---------------------------------------------------------------------------------

std::string DlgRowEditor::FieldValue(const RowField& field) const
{
    // A checked field is stored as typed and normalised: a value rounded to
    // the display's digits would cut a kerf of 2.5 as 3.
    if (GetField(field.edit))
        return StoreField(field.edit);
    return GetItemText(field.edit, 1024, true);
}

DProps DlgRowEditor::FormRecord(const std::string& uid) const
{
    DProps record;
    record.Set("uid", uid.c_str());
    record.Set("material", m_material.c_str());
    for (const RowField& field : m_spec.fields)
        record.Set(field.key, FieldValue(field).c_str());
    return record;
}

void DlgRowEditor::AddRow()
{
    // A form that does not check out never becomes a row, from the button
    // or from a key: an empty length stored as 1 would be wrong data.
    if (!m_formValid)
        return;
    const std::string uid = StrFromLong(std::labs(UniqueRandom()));
    DProps record = FormRecord(uid);
    DCSStorage::AddRow(m_rows.Records(), record);
    DCSStorage::NormalizeRows(m_rows.Records(), m_params);
    m_currentUid = uid;
    FillList(true);
    UpdateButtons();
    FocusField(1);
}

void DlgRowEditor::UpdateCurrentRow()
{
    if (m_currentUid.empty() || !m_formValid)
        return;
    HWND list = GetDlgItem(kList);
    long scroll = 0;
    long rowHeight = 0;
    const long selected = ListGetSelected(list);
    if (selected >= 0) {
        scroll = ::GetScrollPos(list, SB_VERT);
        RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
        if (::SendMessageA(list, LVM_GETITEMRECT, selected, reinterpret_cast<LPARAM>(&bounds)))
            rowHeight = bounds.bottom - bounds.top;
    }
    DProps record = FormRecord(m_currentUid);
    DCSStorage::UpdateRow(record, m_rows.Records());
    DCSStorage::NormalizeRows(m_rows.Records(), m_params);
    FillList(true);
    if (scroll != 0)
        ::SendMessageA(list, LVM_SCROLL, 0, scroll * rowHeight);
    UpdateButtons();
}

void DlgRowEditor::DeleteCurrentRow()
{
    if (m_currentUid.empty())
        return;
    HWND list = GetDlgItem(kList);
    m_currentIndex = ListGetSelected(list);
    DProps row;
    row.Set("uid", m_currentUid.c_str());
    DCSStorage::DeleteRow(row, m_rows.Records());
    DCSStorage::NormalizeRows(m_rows.Records(), m_params);
    FillList(false);
    const long count = static_cast<long>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    if (count == 0) {
        // Nothing is left to show: the deleted row is current no longer.
        m_currentIndex = -1;
        m_currentUid.clear();
    } else {
        if (m_currentIndex >= count)
            m_currentIndex = count - 1;
        if (m_currentIndex >= 0 && m_currentIndex != ListGetSelected(list))
            SelectIndex(m_currentIndex);
    }
    UpdateButtons();
}

void DlgRowEditor::MoveCurrentRow(bool up)
{
    if (m_currentUid.empty())
        return;
    HWND list = GetDlgItem(kList);
    m_currentIndex = ListGetSelected(list);
    const long count = static_cast<long>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    if (m_currentIndex < 0 || (up && m_currentIndex == 0) || (!up && m_currentIndex >= count - 1))
        return;
    DProps move;
    move.Set("uid", m_currentUid.c_str());
    move.Set("direction", up ? "up" : "down");
    DCSStorage::MoveRow(m_rows.Records(), move);
    FillList(false);
    m_currentIndex += up ? -1 : 1;
    SelectIndex(m_currentIndex);
    UpdateButtons();
}

void DlgRowEditor::ApplyField(int edit)
{
    const long number = FieldOfEdit(GetDlgItem(edit));
    if (number < 0 || m_currentIndex < 0 || m_currentUid.empty())
        return;
    const RowField& field = m_spec.fields[static_cast<size_t>(number)];
    const std::string value = field.enterAsTyped ? GetItemText(field.edit, 1024, false) : FieldValue(field);
    DProps values;
    values.Set(field.key, value.c_str());
    if (DCSStorage::SetRowValues(m_rows.Records(), m_currentUid.c_str(), values) && m_list)
        m_list->SetCell(m_currentIndex, number + 1, DisplayText(value, field.display).c_str(), nullptr);
    ValidateField(field.edit);
    UpdateButtons();
}

// ---- State of the controls ------------------------------------------------------------------

void DlgRowEditor::UpdateButtons()
{
    HWND list = GetDlgItem(kList);
    if (!list)
        return;
    const long selected = ListGetSelected(list);
    const long count = static_cast<long>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const struct {
        int id;
        bool enabled;
    } states[] = {
        {kAdd, m_formValid},
        {kUpdate, selected >= 0 && m_formValid},
        {kDelete, selected >= 0},
        {kMoveUp, selected > 0},
        {kMoveDown, selected >= 0 && selected < count - 1},
        {IDOK, m_rows.CheckModified()},
    };
    for (const auto& state : states) {
        HWND button = GetDlgItem(state.id);
        if (button && (::IsWindowEnabled(button) != FALSE) != state.enabled)
            WinEnable(state.enabled, button);
    }

    std::string status;
    const std::string items = DProps::GetString(m_params, "items", "0");
    if (StrToLong(items) != 0) {
        status = Text(m_spec.infoKey, m_spec.infoDef) + " " + items;
        if (m_spec.showQuantity)
            status += " (" + DProps::GetString(m_params, "quantity", "0") + ")";
    } else {
        status = Text("info.empty", m_spec.emptyDef);
    }
    if (GetItemText(kStatus, 1024, false) != status)
        SetItemText(kStatus, status);
}

// ---- Messages --------------------------------------------------------------------------------

BOOL DlgRowEditor::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case kAdd:
            AddRow();
            break;
        case kUpdate:
            UpdateCurrentRow();
            break;
        case kDelete:
            DeleteCurrentRow();
            break;
        case kMoveUp:
            MoveCurrentRow(true);
            break;
        case kMoveDown:
            MoveCurrentRow(false);
            break;
        default:
            break;
        }
    }
    return DlgFrame::OnCommand(wParam, lParam);
}

BOOL DlgRowEditor::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == kList && m_list && !m_filling) {
        if (header->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uNewState & LVIS_FOCUSED) && change->iItem >= 0) {
                HWND list = header->hwndFrom;
                if (ListGetSelected(list) != change->iItem)
                    ListSelect(list, change->iItem, -1, 1);
                ShowSelectedRow();
            }
        } else if (header->code == NM_DBLCLK && ListGetSelected(header->hwndFrom) >= 0) {
            POINT cursor = {0, 0};
            ::GetCursorPos(&cursor);
            ::ScreenToClient(header->hwndFrom, &cursor);
            const long column = m_list->SubItemHitTest(cursor.x, cursor.y).second;
            FocusField(column);
        }
    }
    return DlgFrame::OnNotify(wParam, lParam, result);
}

LRESULT DlgRowEditor::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == UWindowHook::MSG_HOOK_MESSAGE && message != 0)
        return OnHookMessage(reinterpret_cast<const MSG*>(lParam)) ? 1 : 0;
    if (message == WM_WINDOWPOSCHANGED) {
        LRESULT answer = DlgFrame::WindowProc(message, wParam, lParam);
        const WINDOWPOS* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position && !(position->flags & SWP_NOMOVE))
            SavePlacement();
        return answer;
    }
    return DlgFrame::WindowProc(message, wParam, lParam);
}

bool DlgRowEditor::OnHookMessage(const MSG* msg)
{
    if (!msg || !m_hWnd || (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)))
        return false;
    const HWND focus = ::GetFocus();
    const bool inField = FieldOfEdit(focus) >= 0;
    switch (msg->message) {
    case WM_KEYUP:
        switch (msg->wParam) {
        case VK_ADD:
        case VK_INSERT:
            if (!inField)
                return false;
            AddRow();
            return true;
        case VK_DELETE:
            if (m_currentIndex < 0 || focus != GetDlgItem(kList))
                return false;
            DeleteCurrentRow();
            return true;
        case VK_RETURN:
            if (!inField)
                return false;
            ApplyField(::GetDlgCtrlID(focus));
            return true;
        default:
            return false;
        }
    case WM_KEYDOWN:
        // Enter in a field sets that field in the current row and never
        // reaches the default button; elsewhere (the list, a button) it is
        // the dialog's, so Save can be reached from the keyboard. Numeric-
        // pad plus never types "+" into a field.
        return (msg->wParam == VK_RETURN && inField) || msg->wParam == VK_ADD;
    case WM_CHAR:
        return msg->wParam == '\r' && inField;
    default:
        return false;
    }
}

void DlgRowEditor::ReleaseHook()
{
    OXRApp* app = GetApp();
    if (app && m_hWnd && app->HookWindow() == m_hWnd)
        app->SetHookWindow(nullptr);
}

void DlgRowEditor::OnOK()
{
    ReleaseHook();
    EndDialog(Accepted);
}

void DlgRowEditor::OnCancel()
{
    ReleaseHook();
    EndDialog(Cancelled);
}

void DlgRowEditor::SavePlacement()
{
    if (!::IsWindowVisible(m_hWnd) || ::IsIconic(m_hWnd) || ::IsZoomed(m_hWnd))
        return;
    RECT window = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &window);
    m_placement.placement.rectangle = window;
    if (m_placement.placement.state < 0)
        m_placement.placement.state = Placement::Normal;
    SetSetting(App().Settings(), *m_spec.placementSetting, m_placement.placement.ToText().c_str(), true);
}

// ---- Layout ------------------------------------------------------------------------------------

void DlgRowEditor::LayoutControls()
{
    HWND list = GetDlgItem(kList);
    if (!list)
        return;
    const long m = GetMargin();
    const long h = m / 2;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);

    HWND cancel = GetDlgItem(IDCANCEL);
    HWND save = GetDlgItem(IDOK);
    const RECT c = ChildRect(cancel);
    const long buttonWidth = c.right - c.left;
    const long buttonHeight = c.bottom - c.top;
    const long cancelLeft = client.right - m - buttonWidth;
    const long buttonTop = client.bottom - m - buttonHeight;
    MoveTo(cancel, cancelLeft, buttonTop, buttonWidth, buttonHeight);
    const RECT s = ChildRect(save);
    const long saveLeft = cancelLeft - h - (s.right - s.left);
    MoveTo(save, saveLeft, buttonTop, s.right - s.left, s.bottom - s.top);
    const long separatorTop = buttonTop - m;
    MoveTo(GetDlgItem(kSeparator), 0, separatorTop, client.right, 1);
    MoveTo(GetDlgItem(kStatus), m, buttonTop + 4, saveLeft - m - m, s.bottom - s.top);

    HWND up = GetDlgItem(kMoveUp);
    HWND down = GetDlgItem(kMoveDown);
    const RECT l = ChildRect(list);
    const RECT u = ChildRect(up);
    const long moveWidth = u.right - u.left;
    const long moveLeft = client.right - h - moveWidth;
    MoveTo(up, moveLeft, l.top, moveWidth, u.bottom - u.top);
    const RECT d = ChildRect(down);
    const long downTop = l.top + (u.bottom - u.top) + h;
    MoveTo(down, moveLeft, downTop, d.right - d.left, d.bottom - d.top);
    const long noteTop = downTop + (d.bottom - d.top) + h;
    MoveTo(GetDlgItem(m_spec.noteId), moveLeft, noteTop, moveWidth, separatorTop - h - noteTop);

    MoveTo(list, l.left, l.top, moveLeft - m - h, separatorTop - m - l.top);
    FitLastColumn(list, m_columnWidths);

    HWND comment = GetDlgItem(m_spec.commentEdit);
    const RECT e = ChildRect(comment);
    MoveTo(comment, e.left, e.top, client.right - h - e.left, e.bottom - e.top);
}

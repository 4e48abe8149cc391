#include "dialogs/DlgDelimited.h"

#include <commctrl.h>

#include <algorithm>

#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICList.h"
#include "controls/ICStatic.h"
#include "dialogs/DelimitedImport.h"
#include "foundation/DParser.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"

namespace {

const char kFormatFilter[] = "Format files (*.fmt)\0*.fmt;\0";

long ComboSelection(HWND combo)
{
    return static_cast<long>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

} // namespace

DlgDelimited::DlgDelimited(UINT templateId, CWnd* parent, const char* section, UINT iconId,
                           DlgClassPlacement& placement)
    : DlgFrame(templateId, parent, section, iconId), m_placement(placement)
{
}

DlgDelimited::~DlgDelimited() = default;

void DlgDelimited::TakeDescriptor(const DProps& descriptor)
{
    CopyParams(descriptor);
    m_format.Setup(m_params);
    m_selected = 0;
}

// ---- Opening -------------------------------------------------------------------------------

BOOL DlgDelimited::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    const Shell shell = DescribeShell();
    OpenShared(shell.defaultTitle, shell.separatorHint);
    OpenCaptions({{shell.sourceCaption, "source"}, {shell.formatCaption, "format"}, {shell.outputCaption, "output"}});
    WrapButtons(shell.buttons, "buttNorm");
    OpenOkCancel(shell.okHint, shell.cancelHint);
    OpenContent();
    UpdateButtons();
    LayoutControls();
    return TRUE;
}

void DlgDelimited::LayoutControls()
{
    if (!GetDlgItem(kList))
        return;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    LayoutAbove(PlaceOkCancel(), GetMargin(), client);
}

void DlgDelimited::OpenShared(const char* defaultTitle, const char* separatorHint)
{
    const std::string title = m_params.IndexOf("title") >= 0 ? DProps::GetString(m_params, "title", "")
                                                             : Text("title", defaultTitle);
    ::SetWindowTextA(m_hWnd, title.c_str());

    WrapButtons({{kInsert, "insert", "Insert", "Insert field"},
                 {kAppend, "add", "Append", "Add field to the end"},
                 {kRemove, "remove", "Remove", "Remove field"},
                 {kMoveUp, "moveup", "Move Up", "Move field up"},
                 {kMoveDown, "movedown", "Move Down", "Move field down"},
                 {kFormatFile, "file", "Formatting File", "Save to or load from file"}},
                "buttNorm");
    SetFont(kSeparatorLabel, "group");
    SetItemText(kSeparatorLabel, Text("separator", "Field separator"));
    const std::string hint = Hint("separator", separatorHint);
    SetHint(kSeparatorLabel, hint);
    SetHint(kSeparator, hint);
    SetFont(kSeparator, "body");
    SetFont(kFormatList, "body");
    SetFont(kText, "calc");
    // The text is taken whole: an edit's own limit would cut a long one.
    ::SendDlgItemMessageA(m_hWnd, kText, EM_SETLIMITTEXT, 0, 0);

    HWND listWindow = GetDlgItem(kList);
    ListSetFonts(StyleFont("list.1"), listWindow, StyleFont("list.2"));
    m_list = WrapList(kList);
    if (m_list) {
        ::SendMessageA(listWindow, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                       LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        RECT rect = {0, 0, 0, 0};
        ::GetWindowRect(listWindow, &rect);
        m_widths = m_format.ColumnWidths(rect.right - rect.left - GetSystemMetrics(SM_CXVSCROLL) - 4);
        const std::vector<std::string>& fields = m_format.Fields();
        for (size_t i = 0; i < fields.size(); ++i) {
            std::string columnTitle = m_format.Title(fields[i]);
            if (columnTitle.empty())
                columnTitle = fields[i];
            // A column of width 0 still takes its place, so every value
            // stays in its own field's column.
            m_list->InsertColumn(std::max(1L, m_widths[i]), columnTitle.c_str(), nullptr);
        }
    }
    RECT list = {0, 0, 0, 0};
    WinGetRectInParent(listWindow, &list);
    UsePlacement(&m_placement, list.left);
}

void DlgDelimited::OpenCaptions(const std::vector<std::pair<int, const char*>>& captions)
{
    for (const auto& caption : captions) {
        SetFont(caption.first, "font.2b");
        if (HWND window = GetDlgItem(caption.first)) {
            auto* label = new ICStatic(window, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            label->SetText(Text(caption.second, "").c_str());
            Own(label);
        }
    }
}

void DlgDelimited::OpenOkCancel(const char* okHint, const char* cancelHint)
{
    SetFont(IDOK, "buttNorm");
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDOK, Text("ok", "OK"));
    SetHint(IDOK, Hint("ok", okHint));
    SetItemText(IDCANCEL, Text("cancel", "Close"));
    SetHint(IDCANCEL, Hint("cancel", cancelHint));
}

long DlgDelimited::PlaceOkCancel()
{
    const long m = GetMargin();
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const RECT cancel = ChildRect(GetDlgItem(IDCANCEL));
    const RECT ok = ChildRect(GetDlgItem(IDOK));
    const long width = cancel.right - cancel.left;
    const long height = cancel.bottom - cancel.top;
    const long top = client.bottom - m - height;
    ::MoveWindow(GetDlgItem(IDCANCEL), client.right - m - width, top, width, height, TRUE);
    ::MoveWindow(GetDlgItem(IDOK), client.right - m - width - m / 2 - (ok.right - ok.left), top,
                 ok.right - ok.left, height, TRUE);
    return top;
}

void DlgDelimited::StretchList(long bottom)
{
    HWND list = GetDlgItem(kList);
    const long m = GetMargin();
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const RECT l = ChildRect(list);
    ::MoveWindow(list, m, l.top, client.right - 2 * m, (bottom < 0 ? l.bottom : bottom) - l.top, TRUE);
    if (!m_widths.empty())
        FitLastColumn(list, m_widths);
}

// ---- Records, format list, separators ----------------------------------------------------------

void DlgDelimited::ShowRecords()
{
    if (!m_list)
        return;
    HWND list = GetDlgItem(kList);
    if (::GetWindowLongPtrA(list, GWL_STYLE) & LVS_OWNERDATA) {
        ::SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(m_table.Count()), 0);
        ::InvalidateRect(list, nullptr, TRUE);
        return;
    }
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    m_list->DeleteAllRows();
    const std::vector<std::string>& fields = m_format.Fields();
    long row = 0;
    for (const DProps& record : m_table.Records()) {
        for (size_t f = 0; f < fields.size(); ++f) {
            const std::string value = DProps::GetString(record, fields[f].c_str(), "");
            ListSetItem(list, row, static_cast<long>(f), value.c_str(), -1);
        }
        ++row;
    }
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void DlgDelimited::FillFormatList()
{
    HWND box = GetDlgItem(kFormatList);
    ::SendMessageA(box, LB_RESETCONTENT, 0, 0);
    for (const std::string& title : m_format.KeyTitles())
        ::SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
    const long count = static_cast<long>(m_format.Keys().size());
    if (m_selected >= count)
        m_selected = count - 1;
    ::SendMessageA(box, LB_SETCURSEL, m_selected, 0);
}

void DlgDelimited::FillSeparators()
{
    HWND combo = GetDlgItem(kSeparator);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : m_separators)
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    const std::string wanted = DProps::GetString(m_params, "field.separator", ";");
    long chosen = 0;
    for (size_t i = 0; i < m_separators.size(); ++i) {
        if (!wanted.empty() && !m_separators[i].empty() && m_separators[i][0] == wanted[0]) {
            chosen = static_cast<long>(i);
            break;
        }
    }
    ::SendMessageA(combo, CB_SETCURSEL, chosen, 0);
}

void DlgDelimited::StoreChoices()
{
    const long chosen = ComboSelection(GetDlgItem(kSeparator));
    std::string separator;
    if (chosen >= 0 && chosen < static_cast<long>(m_separators.size()))
        separator = m_separators[static_cast<size_t>(chosen)].substr(0, 1);
    m_params.Set("field.separator", separator.c_str());
    const std::string formatSeparator = DProps::GetString(m_params, "format.separator", ";");
    m_params.Set("format", m_format.FormatText(formatSeparator.c_str()).c_str());
}

void DlgDelimited::RefreshFormatList()
{
    FillFormatList();
    Reparse();
    UpdateButtons();
}

void DlgDelimited::UpdateFormatButtons()
{
    const long selected = static_cast<long>(::SendDlgItemMessageA(m_hWnd, kFormatList, LB_GETCURSEL, 0, 0));
    const long count = static_cast<long>(m_format.Keys().size());
    const struct {
        int id;
        bool enabled;
    } states[] = {
        {kRemove, selected >= 0},
        {kMoveUp, selected > 0},
        {kMoveDown, selected >= 0 && selected < count - 1},
    };
    for (const auto& state : states) {
        HWND button = GetDlgItem(state.id);
        if (button && (::IsWindowEnabled(button) != FALSE) != state.enabled)
            WinEnable(state.enabled, button);
    }
}

// ---- Editing the field order -------------------------------------------------------------------

void DlgDelimited::InsertOrAppend(bool insert)
{
    long remembered = static_cast<long>(::SendDlgItemMessageA(m_hWnd, kFormatList, LB_GETCURSEL, 0, 0));
    if (remembered < 0)
        remembered = std::max(0L, static_cast<long>(m_format.Keys().size()) - 1);
    const std::string key = m_format.KeyOfCommand(TrackMenu(m_format.MenuChoices()));
    if (key.empty())
        return;
    m_selected = insert ? m_format.Insert(remembered, key) : m_format.Append(key);
    RefreshFormatList();
}

void DlgDelimited::RemoveEntry()
{
    const long selected = static_cast<long>(::SendDlgItemMessageA(m_hWnd, kFormatList, LB_GETCURSEL, 0, 0));
    if (selected < 0)
        return;
    m_selected = m_format.Remove(selected);
    RefreshFormatList();
}

void DlgDelimited::MoveEntry(bool up)
{
    const long selected = static_cast<long>(::SendDlgItemMessageA(m_hWnd, kFormatList, LB_GETCURSEL, 0, 0));
    if (selected < 0)
        return;
    const long moved = up ? m_format.MoveUp(selected) : m_format.MoveDown(selected);
    if (moved == selected)
        return;
    m_selected = moved;
    RefreshFormatList();
}

void DlgDelimited::FormatFileMenu()
{
    const long command = TrackMenu({{kLoadFormat, Text("file.from", "Load from file")},
                                    {kSaveFormat, Text("file.to", "Save to file")}});
    if (command == kLoadFormat) {
        const std::string path = ChooseFile(false, "", kFormatFilter);
        std::vector<std::string> keys;
        if (path.empty() || !FormatFile(";", path.c_str(), true, keys))
            return;
        m_format.ReplaceKeys(keys);
        RefreshFormatList();
    } else if (command == kSaveFormat) {
        std::string path = ChooseFile(true, "", kFormatFilter);
        if (path.empty())
            return;
        path = Helper::EnsureExtension(path.c_str(), "fmt");
        std::vector<std::string> keys = m_format.Keys();
        if (!FormatFile(";", path.c_str(), false, keys) && !keys.empty())
            ReportWriteFailure(path);
    }
}

long DlgDelimited::TrackMenu(const std::vector<std::pair<long, std::string>>& items)
{
    std::vector<PopupItem> popup;
    for (const auto& item : items)
        popup.push_back({static_cast<UINT>(item.first), item.second, true});
    return static_cast<long>(PopupMenuAtCursor(m_hWnd, popup));
}

std::string DlgDelimited::ChooseFile(bool save, const char* proposed, const char* filter)
{
    std::vector<char> buffer(4096, '\0');
    if (proposed)
        strncpy(buffer.data(), proposed, buffer.size() - 1);
    int filterIndex = 0;
    const std::string title = save ? App().GetGlobalText("file.save", "Save file")
                                   : App().GetGlobalText("file.open", "Open file");
    const char* chosen =
        save ? Helper::SaveFileDialog(nullptr, &filterIndex, buffer.data(), m_hWnd, title.c_str(),
                                      static_cast<int>(buffer.size()), filter)
             : Helper::OpenFileDialog(nullptr, &filterIndex, buffer.data(), m_hWnd, title.c_str(),
                                      static_cast<int>(buffer.size()), filter);
    return chosen ? std::string(chosen) : std::string();
}

std::string DlgDelimited::WholeText(int id) const
{
    HWND edit = GetDlgItem(id);
    if (!edit)
        return std::string();
    const int length = ::GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int read = ::GetWindowTextA(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(read > 0 ? read : 0));
    return text;
}

void DlgDelimited::ReportWriteFailure(const std::string& path)
{
    DProps variables;
    variables.Set("file", path.c_str());
    const std::string text =
        ExpandVariables(Text("write.failed", "Cannot write the file ${file}.").c_str(), variables);
    App().ShowMessage(m_hWnd, nullptr, LocaleLineBreaks(text).c_str(), MB_OK | MB_ICONERROR, IDOK);
}

// ---- Messages ----------------------------------------------------------------------------------

BOOL DlgDelimited::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == kList && (header->code == LVN_GETDISPINFOA || header->code == LVN_GETDISPINFOW)) {
        const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        const std::vector<std::string>& fields = m_format.Fields();
        std::string value;
        if (item.iItem >= 0 && item.iItem < m_table.Count() && item.iSubItem >= 0 &&
            static_cast<size_t>(item.iSubItem) < fields.size())
            value = DProps::GetString(m_table.Records()[static_cast<size_t>(item.iItem)],
                                      fields[static_cast<size_t>(item.iSubItem)].c_str(), "");
        ListAnswerDispInfo(lParam, value);
        *result = 0;
        return TRUE;
    }
    return DlgFrame::OnNotify(wParam, lParam, result);
}

BOOL DlgDelimited::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == kFormatList && code == LBN_SELCHANGE) {
        m_selected = static_cast<long>(::SendDlgItemMessageA(m_hWnd, kFormatList, LB_GETCURSEL, 0, 0));
        UpdateButtons();
        return TRUE;
    }
    if (id == kSeparator && code == CBN_SELCHANGE) {
        RefreshFormatList();
        return TRUE;
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case kInsert:
            InsertOrAppend(true);
            return TRUE;
        case kAppend:
            InsertOrAppend(false);
            return TRUE;
        case kRemove:
            RemoveEntry();
            return TRUE;
        case kMoveUp:
            MoveEntry(true);
            return TRUE;
        case kMoveDown:
            MoveEntry(false);
            return TRUE;
        case kFormatFile:
            FormatFileMenu();
            return TRUE;
        default:
            break;
        }
    }
    return DlgFrame::OnCommand(wParam, lParam);
}

#include "dialogs/DlgLayout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICList.h"
#include "dialogs/DialogIds.h"
#include "document/DCSProject.h"
#include "foundation/StrList.h"
#include "foundation/UniqueId.h"
#include "foundation/WindowMessages.h"

namespace {

constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;

const std::vector<ColumnSpec> kPatternColumns = {{80, "no", "##"},
                                                 {200, "blank", "Blank"},
                                                 {140, "copies", "Copies"},
                                                 {200, "remains", "Remains"},
                                                 {800, "output", "Details"}};
const std::vector<ColumnSpec> kPairColumns = {{340, "name", "Name"}, {260, "value", "Value"}};

// A length as "%f" without its trailing zeros and separator.
std::string LengthText(double length)
{
    char text[64];
    snprintf(text, sizeof(text), "%f", length);
    std::string shown = text;
    return NumCutZeros(shown, true);
}

std::string LongText(long value)
{
    return std::to_string(value);
}

// The pattern statistic of a key, read without regard to its case.
std::string PatternStat(const CUTTING::Blank& pattern, const char* key)
{
    for (int i = 0; i < pattern.props.Count(); ++i) {
        const char* k = pattern.props.GetKeyAt(i);
        if (k && _stricmp(k, key) == 0)
            return pattern.props.GetValueAt(i) ? pattern.props.GetValueAt(i) : "";
    }
    return std::string();
}

} // namespace

DlgLayout::DlgLayout() : DlgFrame(IDD_LAYOUT, nullptr, "dialog.layout", IDI_DIALOGS) {}

DlgClassPlacement& DlgLayout::ClassPlacement()
{
    static DlgClassPlacement placement;
    return placement;
}

bool DlgLayout::SetCurrentLayout(const DProps& params)
{
    OXRApp* app = GetApp();
    m_material = app ? app->Document().GetProject(-1, false) : nullptr;
    if (!m_material) {
        m_edit.Load(CUTTING::Layout());
        return false;
    }
    CopyParams(params);
    m_edit.Load(m_material->GetLayout());
    return true;
}

std::string DlgLayout::Remnants() const
{
    return m_material ? m_material->GetProperty("remnants") : std::string();
}

const CMessageMap* DlgLayout::GetMessageMap() const
{
    static const CMessageMapOf<DlgLayout> map = CMessageMapOf<DlgLayout>(DlgFrame::GetMessageMap())
                                                    .On(WM_WINDOWPOSCHANGED, &DlgLayout::OnWindowPosChanged)
                                                    .On(WM_CHECK_SELECTION, &DlgLayout::OnCheckSelectionMsg);
    return &map;
}

// ---- Opening ------------------------------------------------------------------------------------

BOOL DlgLayout::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    ::SetWindowTextA(m_hWnd, Text("title", "Edit Layout").c_str());
    WrapControls();
    SetUpLists();
    AnchorControls();

    FillAll();
    LayoutControls();
    UpdateButtons();
    return TRUE;
}

void DlgLayout::WrapControls()
{
    SetFont(IDOK, "buttBold");
    WrapButton(IDOK, Text("ok", "OK"), Hint("ok", "Save and Exit"));
    SetFont(IDCANCEL, "buttNorm");
    WrapButton(IDCANCEL, Text("cancel", "Cancel"), Hint("cancel", "Exit"));
    WrapButtons({{IDC_LAYOUT_ADD, "add", "Add Cutting", "Add Cutting"},
                 {IDC_LAYOUT_REMOVE, "remove", "Remove", "Remove"},
                 {IDC_LAYOUT_STATS, "stats", "Statistics", ""}},
                "buttNorm");
    // The small buttons keep their pictures and take only a hint.
    const struct {
        int id;
        const char* key;
        const char* hint;
    } small[] = {{IDC_LAYOUT_PLUS, "cutting.plus", "+"},
                 {IDC_LAYOUT_MINUS, "cutting.minus", "-"},
                 {IDC_LAYOUT_FREE_PLUS, "pieces.plus", "+"}};
    for (const auto& s : small) {
        SetFont(s.id, "body");
        if (HWND window = GetDlgItem(s.id)) {
            auto* button = new ICButton(window, 0, Hint(s.key, s.hint).c_str());
            button->SetCaption("");
            Own(button);
        }
    }
    const struct {
        int id;
        const char* key;
        const char* def;
    } labels[] = {{IDC_LAYOUT_TITLE, "layout", "Layout"},
                  {IDC_LAYOUT_CUTTING_TITLE, "cutting", "Selected Cutting"},
                  {IDC_LAYOUT_FREE_TITLE, "freepieces", "Free Pieces"}};
    for (const auto& l : labels) {
        SetFont(l.id, "group");
        SetItemText(l.id, Text(l.key, l.def));
    }
    SetFont(IDC_LAYOUT_GROUP, "group");
}

void DlgLayout::SetUpLists()
{
    m_patterns = WrapList(IDC_LAYOUT_PATTERNS);
    m_parts = WrapList(IDC_LAYOUT_PARTS);
    m_free = WrapList(IDC_LAYOUT_FREE);
    for (ICList* list : {m_patterns, m_parts, m_free}) {
        if (!list)
            continue;
        ListSetFonts(StyleFont("list.1"), list->GetHwnd(), StyleFont("list.2"));
        if (list == m_patterns)
            m_patternWidths = SetupListColumns(*list, m_locale, kPatternColumns, ColumnRounding::Nearest, kListStyles);
        else
            SetupListColumns(*list, m_locale, kPairColumns, ColumnRounding::Nearest, kListStyles);
    }
}

void DlgLayout::AnchorControls()
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const RECT patterns = ChildRect(GetDlgItem(IDC_LAYOUT_PATTERNS));
    const RECT parts = ChildRect(GetDlgItem(IDC_LAYOUT_PARTS));
    SetMinimumHeight((patterns.bottom - patterns.top) + (parts.bottom - parts.top) * 3 / 2);
    m_anchors.clear();
    long below = client.bottom;
    for (int id : {IDC_LAYOUT_GROUP, IDC_LAYOUT_CUTTING_TITLE, IDC_LAYOUT_PARTS, IDC_LAYOUT_PLUS, IDC_LAYOUT_MINUS,
                   IDC_LAYOUT_FREE_TITLE, IDC_LAYOUT_FREE, IDC_LAYOUT_FREE_PLUS, IDC_LAYOUT_ADD, IDC_LAYOUT_REMOVE,
                   IDC_LAYOUT_STATS, IDOK, IDCANCEL}) {
        HWND item = GetDlgItem(id);
        if (!item)
            continue;
        const RECT r = ChildRect(item);
        m_anchors.push_back({id, r, client.bottom - r.top, client.right - r.left});
        below = std::min(below, r.top);
    }
    m_listBottomGap = below - patterns.bottom;
    UsePlacement(&ClassPlacement(), patterns.left);
}

// ---- Lists --------------------------------------------------------------------------------------

void DlgLayout::FillAll()
{
    FillPatterns();
    FillParts(true);
    FillFree(true);
    UpdateButtons();
}

void DlgLayout::FillPatterns()
{
    if (!m_patterns)
        return;
    m_filling = true;
    m_patterns->DeleteAllRows();
    const long count = m_edit.PatternCount();
    for (long i = 0; i < count; ++i) {
        const CUTTING::Blank& pattern = *m_edit.Pattern(i);
        DProps attributes;
        const std::string uid = PatternStat(pattern, "uid");
        if (uid.empty())
            attributes.SetLong("uid", UniqueRandom());
        else
            attributes.Set("uid", uid.c_str());
        std::string remains = PatternStat(pattern, "remains");
        m_patterns->SetCell(i, 0, LongText(i + 1).c_str(), &attributes);
        m_patterns->SetCell(i, 1, PatternStat(pattern, "blank").c_str(), nullptr);
        m_patterns->SetCell(i, 2, LongText(pattern.quantity).c_str(), nullptr);
        m_patterns->SetCell(i, 3, NumCutZeros(remains, true).c_str(), nullptr);
        m_patterns->SetCell(i, 4, PatternStat(pattern, "layout").c_str(), nullptr);
    }
    if (m_pattern >= count)
        m_pattern = count - 1;
    if (m_pattern < 0)
        m_pattern = count > 0 ? 0 : -1;
    if (m_pattern >= 0)
        ListSelect(m_patterns->GetHwnd(), m_pattern, 0, 1);
    m_filling = false;
    UpdateButtons();
}

void DlgLayout::FillParts(bool keepSelection)
{
    if (!m_parts)
        return;
    m_filling = true;
    m_parts->DeleteAllRows();
    const CUTTING::Blank* pattern = m_edit.Pattern(m_pattern);
    long rows = 0;
    if (pattern) {
        for (const CUTTING::Piece& piece : pattern->pieces) {
            m_parts->SetCell(rows, 0, LengthText(piece.length).c_str(), nullptr);
            m_parts->SetCell(rows, 1, LongText(piece.quantity).c_str(), nullptr);
            ++rows;
        }
        m_parts->SetCell(rows, 0, Text("copies", "Copies").c_str(), nullptr);
        m_parts->SetCell(rows, 1, LongText(pattern->quantity).c_str(), nullptr);
        ++rows;
        std::string remains = PatternStat(*pattern, "remains");
        m_parts->SetCell(rows, 0, Text("remains", "Remains").c_str(), nullptr);
        m_parts->SetCell(rows, 1, NumCutZeros(remains, true).c_str(), nullptr);
        ++rows;
    }
    if (keepSelection && rows > 0) {
        m_partRow = std::max(0L, std::min(m_partRow, rows - 1));
        ListSelect(m_parts->GetHwnd(), m_partRow, 0, 1);
    }
    m_filling = false;
}

void DlgLayout::FillFree(bool keepSelection)
{
    if (!m_free)
        return;
    m_filling = true;
    m_free->DeleteAllRows();
    long rows = 0;
    for (const CUTTING::Piece& piece : m_edit.GetLayout().pieces) {
        m_free->SetCell(rows, 0, LengthText(piece.length).c_str(), nullptr);
        m_free->SetCell(rows, 1, LongText(piece.quantity).c_str(), nullptr);
        ++rows;
    }
    m_free->SetCell(rows, 0, Text("pieces.sum", "Summary").c_str(), nullptr);
    m_free->SetCell(rows, 1, LongText(m_edit.PiecesRemain()).c_str(), nullptr);
    ++rows;
    if (keepSelection) {
        m_freeRow = std::max(0L, std::min(m_freeRow, rows - 1));
        ListSelect(m_free->GetHwnd(), m_freeRow, 0, 1);
    }
    m_filling = false;
}

// ---- Buttons ------------------------------------------------------------------------------------

void DlgLayout::UpdateButtons()
{
    if (!IsWindow())
        return;
    const struct {
        int id;
        bool enabled;
    } states[] = {
        {IDC_LAYOUT_REMOVE, m_edit.CanRemove(m_pattern)},
        {IDC_LAYOUT_PLUS, m_edit.CanStep(m_pattern, m_partRow, +1)},
        {IDC_LAYOUT_MINUS, m_edit.CanStep(m_pattern, m_partRow, -1)},
        {IDC_LAYOUT_FREE_PLUS, m_edit.CanAddFree(m_pattern, m_freeRow)},
        {IDOK, m_edit.CanSave()},
    };
    for (const auto& state : states)
        WinEnable(state.enabled, GetDlgItem(state.id));
}

void DlgLayout::AddPattern()
{
    const std::vector<CUTTING::Blank>& stock = m_edit.GetLayout().blanks;
    if (stock.empty())
        return;
    std::vector<PopupItem> items;
    for (size_t i = 0; i < stock.size(); ++i) {
        if (stock[i].quantity <= 0)
            continue;
        char text[128];
        snprintf(text, sizeof(text), "#%ld: %s", static_cast<long>(i + 1), LengthText(stock[i].length).c_str());
        items.push_back({static_cast<UINT>(i + 1), text, true});
    }
    const long chosen = static_cast<long>(PopupMenuAtCursor(m_hWnd, items));
    if (chosen <= 0)
        return;
    const long added = m_edit.AddPattern(chosen - 1, Remnants().c_str());
    if (added < 0)
        return;
    m_pattern = added;
    m_partRow = 0;
    FillPatterns();
    FillParts(true);
    UpdateButtons();
}

BOOL DlgLayout::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (id) {
        case IDC_LAYOUT_ADD:
            AddPattern();
            break;
        case IDC_LAYOUT_REMOVE:
            if (m_edit.RemovePattern(m_pattern)) {
                m_partRow = 0;
                FillAll();
            }
            break;
        case IDC_LAYOUT_PLUS:
        case IDC_LAYOUT_MINUS:
            if (m_edit.Step(m_pattern, m_partRow, id == IDC_LAYOUT_PLUS ? 1 : -1))
                FillAll();
            break;
        case IDC_LAYOUT_FREE_PLUS:
            if (m_edit.AddFree(m_pattern, m_freeRow))
                FillAll();
            break;
        default:
            break;
        }
    }
    return DlgFrame::OnCommand(wParam, lParam);
}

void DlgLayout::OnOK()
{
    // Enter reaches here even while Save is disabled: a layout with free
    // parts is never saved.
    if (!m_edit.CanSave())
        return;
    m_edit.Finish(Remnants().c_str());
    EndDialog(Accepted);
}

BOOL DlgLayout::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == LVN_ITEMCHANGED && !m_filling) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        const bool selection = (change->uChanged & LVIF_STATE) &&
                               ((change->uNewState ^ change->uOldState) & LVIS_SELECTED);
        if (selection) {
            const long selected = ListGetSelected(header->hwndFrom);
            if (header->idFrom == IDC_LAYOUT_PATTERNS) {
                if (change->uNewState & LVIS_SELECTED) {
                    m_pattern = selected;
                    m_partRow = 0;
                    FillParts(true);
                    UpdateButtons();
                }
                if (selected < 0)
                    PostMessage(WM_CHECK_SELECTION, IDC_LAYOUT_PATTERNS, 0);
            } else if (header->idFrom == IDC_LAYOUT_PARTS || header->idFrom == IDC_LAYOUT_FREE) {
                (header->idFrom == IDC_LAYOUT_PARTS ? m_partRow : m_freeRow) = selected;
                PostMessage(WM_CHECK_SELECTION, header->idFrom, 0);
            }
        }
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

LRESULT DlgLayout::OnCheckSelectionMsg(WPARAM, LPARAM)
{
    if (m_patterns && ListGetSelected(m_patterns->GetHwnd()) < 0)
        m_pattern = -1;
    UpdateButtons();
    return 0;
}

// ---- Size and place -----------------------------------------------------------------------------

void DlgLayout::LayoutControls()
{
    HWND patterns = GetDlgItem(IDC_LAYOUT_PATTERNS);
    if (!patterns || m_anchors.empty())
        return;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const long margin = GetMargin();
    long top = client.bottom;
    for (const Anchor& a : m_anchors) {
        HWND item = GetDlgItem(a.id);
        const long width = a.rect.right - a.rect.left;
        const long height = a.rect.bottom - a.rect.top;
        const long y = client.bottom - a.fromBottom;
        long x = a.rect.left;
        long w = width;
        if (a.id == IDOK || a.id == IDCANCEL)
            x = client.right - a.fromRight;
        else if (a.id == IDC_LAYOUT_GROUP)
            w = std::max(0L, client.right - margin - a.rect.left);
        ::MoveWindow(item, x, y, w, height, TRUE);
        top = std::min(top, y);
    }
    const RECT list = ChildRect(patterns);
    ::MoveWindow(patterns, list.left, list.top, std::max(0L, client.right - margin - list.left),
                 std::max(0L, top - m_listBottomGap - list.top), TRUE);
    FitLastColumn(patterns, m_patternWidths);
}

LRESULT DlgLayout::OnWindowPosChanged(WPARAM, LPARAM lParam)
{
    const LRESULT result = Default();
    const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (pos && !(pos->flags & SWP_NOMOVE) && ::IsWindowVisible(m_hWnd))
        ClassPlacement().placement.OnMove(m_hWnd);
    return result;
}

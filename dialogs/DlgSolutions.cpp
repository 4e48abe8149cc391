#include "dialogs/DlgSolutions.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "appsvc/OXRApp.h"
#include "controls/ICList.h"
#include "dialogs/DialogIds.h"
#include "document/DCSProject.h"
#include "engine/Cutting.h"
#include "foundation/StrList.h"

namespace {

const std::vector<ColumnSpec> kColumns = {
    {60, "id", "ID"},
    {100, "used", "Used"},
    {130, "pieces", "Parts"},
    {110, "waste", "Waste"},
    {130, "remnants", "Remnants"},
    {170, "shifts", "Shifts"},
    {140, "cost.sum", "Cost"},
    {100, "layouts", "Layouts"},
    {250, "status", "Status"},
};

std::string StatusText(long code)
{
    OXRApp* app = GetApp();
    return app ? app->GetStatusText(code) : std::string(code == 0 ? "Ok" : "Error");
}

long SolutionStatus(const CUTTING::Layout& layout)
{
    return DProps::GetLong(layout.props, "status", 0);
}

} // namespace

DlgSolutions::DlgSolutions(CWnd* parent) : DlgFrame(IDD_SOLUTIONS, parent, "dialog.solutions") {}

DlgClassPlacement& DlgSolutions::ClassPlacement()
{
    static DlgClassPlacement placement;
    return placement;
}

std::vector<std::string> DlgSolutions::RowCells(long row, const CUTTING::Layout& layout, bool remnantsTracked,
                                                const std::string& ofWord)
{
    const DProps& stats = layout.props;
    std::vector<std::string> cells;
    char text[256];
    snprintf(text, sizeof(text), "%ld", row + 1);
    cells.push_back(text);
    cells.push_back(DProps::GetString(stats, "used", ""));
    const long total = CUTTING::SumPieceQuantities(layout.pieces);
    const long unplaced = CUTTING::SumPieceQuantities(layout.orphans);
    if (unplaced == 0)
        snprintf(text, sizeof(text), "%ld", total);
    else
        snprintf(text, sizeof(text), "%ld %s %ld", total - unplaced, ofWord.c_str(), total);
    cells.push_back(text);
    snprintf(text, sizeof(text), "%.2f %%", atof(DProps::GetString(stats, "waste", "").c_str()));
    cells.push_back(text);
    std::string remnants = DProps::GetString(stats, "remnants", "");
    cells.push_back(remnantsTracked ? NumGroupThousands(remnants) : std::string("-"));
    cells.push_back(DProps::GetString(stats, "shifts", ""));
    std::string cost = DProps::GetString(stats, "cost", "");
    cells.push_back(NumGroupThousands(cost));
    snprintf(text, sizeof(text), "%ld", static_cast<long>(layout.cuttings.size()));
    cells.push_back(text);
    cells.push_back(StatusText(SolutionStatus(layout)));
    return cells;
}

BOOL DlgSolutions::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    OXRApp* app = GetApp();
    m_material = app ? app->Document().GetProject(-1, false) : nullptr;

    ::SetWindowTextA(m_hWnd, Text("title", "Select Solution").c_str());
    SetFont(IDC_SOLUTIONS_LABEL, "group");
    SetItemText(IDC_SOLUTIONS_LABEL, Text("solutions", "List of Solutions"));
    m_list = WrapList(IDC_SOLUTIONS_LIST);
    if (m_list) {
        ListSetFonts(StyleFont("list.1"), m_list->GetHwnd(), StyleFont("list.2"));
        m_widths = SetupListColumns(*m_list, m_locale, kColumns, ColumnRounding::Nearest,
                                    LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    }
    SetFont(IDOK, "buttBold");
    SetItemText(IDOK, Text("ok", "Select"));
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDCANCEL, Text("cancel", "Cancel"));

    // The controls' distances from the corner are taken at the template's
    // size, before a remembered placement resizes the dialog.
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const RECT list = ChildRect(GetDlgItem(IDC_SOLUTIONS_LIST));
    m_listAnchor = {client.right - list.right, client.bottom - list.bottom};
    for (int id : {IDOK, IDCANCEL}) {
        const RECT r = ChildRect(GetDlgItem(id));
        m_buttonAnchors[id == IDOK ? 0 : 1] = {client.right - r.left, client.bottom - r.top};
    }
    UsePlacement(&ClassPlacement(), list.left);
    LayoutControls();

    FillList();
    UpdateOkButton();

    // A script waits for nobody: the best solution (the first) is taken.
    if (app && app->IsAutomation()) {
        ShowWindow(SW_HIDE);
        m_chosen = 0;
        EndDialog(IsSolution(0) ? Accepted : Cancelled);
    }
    return FALSE;
}

bool DlgSolutions::IsSolution(long index) const
{
    return m_material && index >= 0 && index < m_material->GetSolutions().Count();
}

void DlgSolutions::FillList()
{
    if (!m_list || !m_material)
        return;
    HWND list = m_list->GetHwnd();
    m_list->DeleteAllItems();
    OXRApp* app = GetApp();
    const std::string ofWord = app ? app->GetGlobalText("of", "of") : std::string("of");
    const bool remnantsTracked = atof(m_material->GetProperty("remnants", "0").c_str()) != 0.0;
    const DList<CUTTING::Layout>& solutions = m_material->GetSolutions();
    for (long i = 0; i < solutions.Count(); ++i) {
        const std::vector<std::string> cells = RowCells(i, *solutions.GetAt(i), remnantsTracked, ofWord);
        for (size_t c = 0; c < cells.size(); ++c)
            ListSetItem(list, i, static_cast<long>(c), cells[c].c_str(), c == 0 ? 0 : -1);
    }
    if (solutions.Count() > 0)
        ListSelect(list, m_chosen, 0, 1);
}

void DlgSolutions::UpdateOkButton()
{
    HWND ok = GetDlgItem(IDOK);
    if (!ok)
        return;
    const long selected = m_list ? ListGetSelected(m_list->GetHwnd()) : -1;
    const bool enable =
        IsSolution(selected) && SolutionStatus(*m_material->GetSolutions().GetAt(selected)) == 0;
    WinEnable(enable, ok);
}

void DlgSolutions::UpdateButtons()
{
    UpdateOkButton();
}

void DlgSolutions::OnSelectionCleared(UINT)
{
    UpdateOkButton();
}

void DlgSolutions::OnOK()
{
    // Enter reaches here too: a row OK cannot take is not taken that way.
    HWND ok = GetDlgItem(IDOK);
    if (ok && !::IsWindowEnabled(ok))
        return;
    m_chosen = m_list ? ListGetSelected(m_list->GetHwnd()) : -1;
    EndDialog(Accepted);
}

BOOL DlgSolutions::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && m_list && header->idFrom == IDC_SOLUTIONS_LIST) {
        if (header->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            const long selected = ListGetSelected(m_list->GetHwnd());
            if ((change->uNewState & LVIS_FOCUSED) && selected >= 0) {
                m_chosen = selected;
                UpdateOkButton();
            }
        } else if (header->code == NM_DBLCLK) {
            // The double-clicked choice is taken without the status test; a
            // double click that finds no solution chooses nothing.
            EndDialog(IsSolution(m_chosen) ? Accepted : Cancelled);
            if (result)
                *result = 0;
            return TRUE;
        }
    }
    return DlgFrame::OnNotify(wParam, lParam, result);
}

void DlgSolutions::LayoutControls()
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    if (HWND list = GetDlgItem(IDC_SOLUTIONS_LIST)) {
        const RECT r = ChildRect(list);
        ::MoveWindow(list, r.left, r.top, client.right - m_listAnchor.right - r.left,
                     client.bottom - m_listAnchor.bottom - r.top, TRUE);
        FitLastColumn(list, m_widths);
    }
    int index = 0;
    for (int id : {IDOK, IDCANCEL}) {
        const Anchor& anchor = m_buttonAnchors[index++];
        if (HWND button = GetDlgItem(id)) {
            const RECT r = ChildRect(button);
            ::MoveWindow(button, client.right - anchor.right, client.bottom - anchor.bottom, r.right - r.left,
                         r.bottom - r.top, TRUE);
        }
    }
}

const CMessageMap* DlgSolutions::GetMessageMap() const
{
    static const CMessageMapOf<DlgSolutions> map =
        CMessageMapOf<DlgSolutions>(DlgFrame::GetMessageMap())
            .On(WM_WINDOWPOSCHANGED, &DlgSolutions::OnPositionChanged);
    return &map;
}

LRESULT DlgSolutions::OnPositionChanged(WPARAM, LPARAM)
{
    const LRESULT result = Default();
    if (!::IsWindowVisible(m_hWnd) || ::IsIconic(m_hWnd) || ::IsZoomed(m_hWnd))
        return result;
    Placement& placement = ClassPlacement().placement;
    // A dialog only moved, never resized, still counts as placed.
    if (placement.state == Placement::Unset)
        placement.state = Placement::Normal;
    placement.OnMove(m_hWnd);
    return result;
}

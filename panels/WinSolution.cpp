#include "panels/WinSolution.h"

#include <commctrl.h>

#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICHint.h"
#include "controls/ICList.h"
#include "controls/ICStatic.h"
#include "dialogs/DialogIds.h"
#include "dialogs/DlgEditSolution.h"
#include "panels/PanelIds.h"

namespace {

struct PanelButton {
    int id;
    const char* font;
    const char* key;
    const char* text;
    const char* hint;
};

const PanelButton kButtons[] = {
    {IDC_PROJECT_ADD, "buttNorm", "append", "Add", "Add"},
    {IDC_PROJECT_REMOVE, "buttNorm", "delete", "Remove", "Remove"},
    {IDC_PROJECT_CALC, "buttBold", "calc", "Calculate", "Calculate cuttings for selected materials"},
    {IDC_PROJECT_REPORT, "buttBold", "report", "Report", "Build Report for selected materials"},
    {IDC_PROJECT_EXPORT, "buttNorm", "export.results", "Export", "Export the Results"},
    {IDC_PROJECT_MESSAGES, "buttNorm", "messages", "Messages", "Show messages if exist"},
    {IDC_PROJECT_IMPORT, "buttNorm", "import.data", "Import", "Import data"},
    {IDC_PROJECT_EXPORT_DATA, "buttNorm", "export.data", "Export", "Export data"},
};

const COLORREF kWarningText = 0x808080;

DCSSolution& Document()
{
    return App().Document();
}

} // namespace

WinSolution::WinSolution(CDialog* mainWindow)
    : WinPanel(kPanelProject, mainWindow, mainWindow ? mainWindow->m_hWnd : nullptr, "window.solution")
{
}

const CMessageMap* WinSolution::GetMessageMap() const
{
    static const CMessageMapOf<WinSolution> map = CMessageMapOf<WinSolution>(WinPanel::GetMessageMap())
                                                      .On(MsgSelectionChanged, &WinSolution::OnSelectionChanged)
                                                      .On(WM_CHECK_SELECTION, &WinSolution::OnCheckSelection);
    return &map;
}

long WinSolution::MaterialCount() const
{
    return Document().GetCount(false);
}

BOOL WinSolution::OnInitDialog()
{
    WinPanel::OnInitDialog();
    SetBackColor(App().GetNamedColor("panel.back"));
    ReadLocale(true);

    if (HWND window = GetDlgItem(IDC_PROJECT_NAME)) {
        SetFont(IDC_PROJECT_NAME, "ctrl.1");
        AddControl(new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE));
    }
    SetFont(IDC_PROJECT_DESC, "calc");
    if (HWND window = GetDlgItem(IDC_PROJECT_EDIT))
        AddToBag(new ICButton(window, 0, Hint("edit", "Edit name and description").c_str()), true);
    if (HWND window = GetDlgItem(IDC_PROJECT_HEADING)) {
        SetFont(IDC_PROJECT_HEADING, "font.2b");
        AddControl(new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE));
    }
    for (int id : {IDC_PROJECT_NAME_TITLE, IDC_PROJECT_DESC_TITLE}) {
        if (HWND window = GetDlgItem(id)) {
            SetFont(id, "group");
            AddControl(new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE));
        }
    }
    for (const PanelButton& b : kButtons) {
        if (HWND window = GetDlgItem(b.id)) {
            SetFont(b.id, b.font);
            AddToBag(new ICButton(window, 0, Hint(b.key, b.hint).c_str()), true);
        }
    }
    if (HWND window = GetDlgItem(IDC_PROJECT_MATERIALS)) {
        m_list = new ICList(window);
        AddToBag(m_list, true);
        ListSetFonts(StyleFont("list.1"), window, StyleFont("list.2"));
        SetupColumns(*m_list, {{1, "material", "Material"}},
                     LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    }
    ApplyTexts();

    RECT list = {0, 0, 0, 0};
    RECT exportButton = {0, 0, 0, 0};
    WinGetRectInParent(GetDlgItem(IDC_PROJECT_MATERIALS), &list);
    WinGetRectInParent(GetDlgItem(IDC_PROJECT_EXPORT), &exportButton);
    m_margin = list.left;
    m_minimumSize = {list.right + m_margin, exportButton.bottom + m_margin};

    UpdateProjectFields();
    for (int id : {IDC_PROJECT_NAME, IDC_PROJECT_DESC})
        if (HWND window = GetDlgItem(id))
            ::ShowWindow(window, SW_SHOW);
    FillMaterials();
    m_ready = true;
    if (MaterialCount() == 0)
        SetAllChildrenEnabled(false);
    return TRUE;
}

void WinSolution::ApplyTexts()
{
    for (const PanelButton& b : kButtons)
        if (auto* button = dynamic_cast<ICButton*>(FindInBag(b.id))) {
            button->SetCaption(Text(b.key, b.text).c_str());
            button->SetHint(Hint(b.key, b.hint).c_str());
        }
    if (auto* edit = dynamic_cast<ICButton*>(FindInBag(IDC_PROJECT_EDIT)))
        edit->SetHint(Hint("edit", "Edit name and description").c_str());
    if (auto* heading = dynamic_cast<ICStatic*>(FindControl(IDC_PROJECT_HEADING)))
        heading->SetText(Text("materials", "Project's materials").c_str());
    if (auto* name = dynamic_cast<ICStatic*>(FindControl(IDC_PROJECT_NAME_TITLE)))
        name->SetText(Text("name", "Name").c_str());
    if (auto* desc = dynamic_cast<ICStatic*>(FindControl(IDC_PROJECT_DESC_TITLE)))
        desc->SetText(Text("desc", "Description").c_str());
    const std::string nameHint = Hint("name", "Project Name");
    const std::string descHint = Hint("desc", "Project Description");
    for (int id : {IDC_PROJECT_NAME, IDC_PROJECT_NAME_TITLE})
        if (HWND window = GetDlgItem(id))
            ICHint::SetWindowHint(window, nameHint.c_str());
    for (int id : {IDC_PROJECT_DESC, IDC_PROJECT_DESC_TITLE})
        if (HWND window = GetDlgItem(id))
            ICHint::SetWindowHint(window, descHint.c_str());
}

void WinSolution::ApplyLocale()
{
    if (!LanguageChanged())
        return;
    ReadLocale(true);
    ApplyTexts();
}

void WinSolution::SetAllChildrenEnabled(bool enabled)
{
    ::EnumChildWindows(m_hWnd, EnableChildProc, enabled ? 1 : 0);
}

void WinSolution::ShowProjectTexts()
{
    DCSSolution& document = Document();
    if (HWND name = GetDlgItem(IDC_PROJECT_NAME))
        WinSetText(document.GetName().c_str(), name, true, true);
    if (HWND desc = GetDlgItem(IDC_PROJECT_DESC))
        WinSetText(document.GetDesc().c_str(), desc, false, true);
}

void WinSolution::FillMaterials()
{
    m_filling = true;
    if (m_list) {
        m_list->DeleteAllItems();
        DCSSolution& document = Document();
        HWND window = m_list->GetHwnd();
        for (long i = 0; i < document.GetCount(false); ++i) {
            DCSProject* material = document.GetProject(i, false);
            const std::string name = material->GetProperty("material");
            DProps bag;
            bag.Set("material", name.c_str());
            m_list->SetCell(i, 0, name.c_str(), &bag);
            const bool active = DProps::GetLong(material->GetProperties(), "active", 1) == 1;
            LVITEMA state = {};
            state.stateMask = LVIS_STATEIMAGEMASK;
            state.state = INDEXTOSTATEIMAGEMASK(active ? 2 : 1);
            ::SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&state));
        }
        if (document.GetCount(false) > 0)
            ListSelect(window, document.GetCurrent(), -1, 1);
    }
    ShowProjectTexts();
    m_filling = false;
    UpdateEnableStates();
}

void WinSolution::UpdateProjectFields()
{
    ShowProjectTexts();
    HWND edit = GetDlgItem(IDC_PROJECT_EDIT);
    if (MaterialCount() == 0) {
        if (edit)
            ::ShowWindow(edit, SW_HIDE);
        SetAllChildrenEnabled(false);
    } else if (edit) {
        ::ShowWindow(edit, SW_SHOW);
    }
}

void WinSolution::UpdateEnableStates()
{
    OXRApp& app = App();
    auto enable = [this](int id, bool state) {
        HWND window = GetDlgItem(id);
        if (window && (::IsWindowEnabled(window) != FALSE) != state)
            WinEnable(state, window);
    };
    const bool ready = app.CountReadyMaterials() > 0;
    enable(IDC_PROJECT_REPORT, ready);
    enable(IDC_PROJECT_EXPORT, ready);
    enable(IDC_PROJECT_MESSAGES, app.ShowSolutionMessages(true));
    enable(IDC_PROJECT_REMOVE, m_list && ListGetSelected(m_list->GetHwnd()) >= 0);
    const bool hasMaterial = MaterialCount() > 0;
    enable(IDC_PROJECT_CALC, hasMaterial);
    enable(IDC_PROJECT_EXPORT_DATA, hasMaterial);
}

long WinSolution::Reposition(bool redraw)
{
    if (!IsWindow())
        return 0;
    HWND main = GetOwnerWindow();
    if (!main || !::IsWindow(main))
        return 0;
    const long header = WinPackedHeight(static_cast<long>(::SendMessageA(main, WM_QUERY_HEADER_SIZE, kPanelProject, 0)));
    long width = WinPackedWidth(static_cast<long>(::SendMessageA(main, WM_QUERY_WORK_AREA, kPanelProject, 0)));
    if (width == 0xFFFF)
        width = WinPackedWidth(GetPreferredSize());
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(main, &client);
    ::SetWindowPos(m_hWnd, nullptr, 0, header, width, client.bottom - header, SWP_NOZORDER | SWP_NOREDRAW);
    LayoutControls();
    if (redraw)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 1;
}

void WinSolution::LayoutControls()
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const long half = m_margin / 2;
    // Three rows of two buttons from the bottom up, each keeping its x.
    const int rows[3][4] = {
        {IDC_PROJECT_EXPORT, IDC_PROJECT_MESSAGES, IDC_PROJECT_IMPORT, IDC_PROJECT_EXPORT_DATA},
        {IDC_PROJECT_CALC, IDC_PROJECT_REPORT, 0, 0},
        {IDC_PROJECT_ADD, IDC_PROJECT_REMOVE, 0, 0},
    };
    long bottom = client.bottom - half;
    for (const auto& row : rows) {
        long top = bottom;
        for (int id : row) {
            HWND window = id ? GetDlgItem(id) : nullptr;
            if (!window)
                continue;
            RECT rect = {0, 0, 0, 0};
            WinGetRectInParent(window, &rect);
            const long height = rect.bottom - rect.top;
            ::MoveWindow(window, rect.left, bottom - height, rect.right - rect.left, height, FALSE);
            top = bottom - height;
        }
        bottom = top - half;
    }
    if (HWND list = m_list ? m_list->GetHwnd() : nullptr) {
        RECT rect = {0, 0, 0, 0};
        WinGetRectInParent(list, &rect);
        const long listBottom = bottom;
        ::MoveWindow(list, rect.left, rect.top, rect.right - rect.left,
                     listBottom > rect.top ? listBottom - rect.top : 0, FALSE);
    }
}

long WinSolution::GetPreferredSize()
{
    RECT list = {0, 0, 0, 0};
    WinGetRectInParent(m_list ? m_list->GetHwnd() : nullptr, &list);
    return WinPackSize(list.left + list.right + 3, 200);
}

void WinSolution::PaintExtra(HDC dc)
{
    PanelPaintRightEdge(m_hWnd, dc);
}

BOOL WinSolution::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    OXRApp& app = App();
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_PROJECT_ADD:
            app.AddMaterial();
            break;
        case IDC_PROJECT_REMOVE:
            app.DeleteMaterial(-1);
            break;
        case IDC_PROJECT_CALC:
            app.Calculate();
            break;
        case IDC_PROJECT_REPORT:
            app.BuildReport(false);
            break;
        case IDC_PROJECT_EXPORT:
            switch (ShowExportMenu()) {
            case ExportCuttings:
                app.ExportCuttings();
                break;
            case ExportRemnants:
                app.ExportRemnants();
                break;
            case ExportOrphans:
                app.ExportOrphans();
                break;
            default:
                break;
            }
            break;
        case IDC_PROJECT_MESSAGES:
            app.ShowSolutionMessages(false);
            break;
        case IDC_PROJECT_EDIT:
            EditProject();
            break;
        default:
            break;
        }
    } else if (id == IDC_PROJECT_DESC && code == EN_CHANGE && m_ready) {
        Document().SetDesc(WinGetText(1024, GetDlgItem(IDC_PROJECT_DESC), false).GetText());
        app.UpdateTitle(false);
    }
    return WinPanel::OnCommand(wParam, lParam);
}

bool WinSolution::EditProject()
{
    OXRApp& app = App();
    DCSSolution& document = Document();
    DlgEditSolution dialog(IDD_EDITSOLUTION, app.MainWindow());
    DProps params;
    params.Set("name", document.GetName().c_str());
    params.Set("desc", document.GetDesc().c_str());
    params.Set("material", "");
    params.Set("mode", "");
    dialog.SetParams(params);
    if (dialog.DoModal() != DlgFrame::Accepted)
        return false;
    document.SetName(DProps::GetString(dialog.Params(), "name", "").c_str());
    document.SetDesc(DProps::GetString(dialog.Params(), "desc", "").c_str());
    document.UpdateFingerprint(false);
    document.ClearWarnings();
    ShowProjectTexts();
    app.UpdateTitle(false);
    return true;
}

WinSolution::ExportItem WinSolution::ShowExportMenu()
{
    OXRApp& app = App();
    DCSSolution& document = Document();
    const UINT chosen = PopupMenuAtCursor(
        m_hWnd, {{ExportCuttings, app.GetGlobalText("export.cutting", "Export cuttings"), document.HasResults()},
                 {ExportRemnants, app.GetGlobalText("export.remnants", "Export remnants"), document.HasRemnants()},
                 {ExportOrphans, app.GetGlobalText("export.orphans", "Export free parts"), document.HasOrphans()}});
    return chosen >= ExportCuttings && chosen <= ExportOrphans ? static_cast<ExportItem>(chosen) : ExportNone;
}

BOOL WinSolution::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || !m_list || header->hwndFrom != m_list->GetHwnd())
        return WinPanel::OnNotify(wParam, lParam, result);
    switch (header->code) {
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (change->uNewState & LVIS_SELECTED)
            PostMessage(MsgSelectionChanged, 0, 0);
        if (m_ready && !m_filling && (change->uChanged & LVIF_STATE) && change->iItem >= 0 &&
            ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) &&
            (change->uNewState & LVIS_STATEIMAGEMASK)) {
            const bool active = m_list->IsRowChecked(change->iItem);
            DCSSolution& document = Document();
            DCSProject* material = document.GetProject(change->iItem, false);
            const bool was = material && DProps::GetLong(material->GetProperties(), "active", 1) == 1;
            if (material && was != active) {
                document.SetActive(change->iItem, active);
                // A ticked or unticked material is a change of the project.
                App().UpdateTitle(false);
            }
            UpdateEnableStates();
        }
        if (ListGetSelected(m_list->GetHwnd()) < 0)
            PostMessage(WM_CHECK_SELECTION, IDC_PROJECT_MATERIALS, static_cast<LPARAM>(m_remembered));
        *result = 0;
        return TRUE;
    }
    case NM_CUSTOMDRAW: {
        NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            *result = CDRF_NOTIFYITEMDRAW;
        } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            DCSProject* material = Document().GetProject(static_cast<long>(draw->nmcd.dwItemSpec), false);
            if (material && material->GetWarnings().Count() > 0)
                draw->clrText = kWarningText;
            *result = CDRF_DODEFAULT;
        } else {
            *result = CDRF_DODEFAULT;
        }
        return TRUE;
    }
    case NM_DBLCLK:
        *result = 0;
        return TRUE;
    default:
        return WinPanel::OnNotify(wParam, lParam, result);
    }
}

LRESULT WinSolution::OnSelectionChanged(WPARAM, LPARAM)
{
    if (!m_list)
        return 0;
    HWND window = m_list->GetHwnd();
    long row = ListGetSelected(window);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    if (row < 0 && m_remembered >= 0 && m_remembered < MaterialCount())
        row = m_remembered;
    m_remembered = row;
    if (row != -1)
        App().SelectMaterial(row);
    UpdateEnableStates();
    return 0;
}

LRESULT WinSolution::OnCheckSelection(WPARAM wParam, LPARAM lParam)
{
    if (wParam != IDC_PROJECT_MATERIALS || !m_list)
        return 0;
    HWND window = m_list->GetHwnd();
    const long row = static_cast<long>(lParam);
    // A row that no longer names a material is not selected again.
    if (ListGetSelected(window) >= 0 || row < 0 || row >= MaterialCount())
        return 0;
    m_remembered = row;
    App().SelectMaterial(row);
    ListSelect(window, row, -1, 1);
    UpdateEnableStates();
    return 0;
}

void WinSolution::OnAppEvent(long code, const void* sender)
{
    switch (code) {
    case kEventProjectClosed:
        m_ready = false;
        if (m_list)
            m_list->DeleteAllItems();
        UpdateProjectFields();
        m_ready = true;
        break;
    case kEventProjectOpened:
        SetAllChildrenEnabled(true);
        m_ready = false;
        FillMaterials();
        UpdateProjectFields();
        m_ready = true;
        break;
    case kEventMaterialsChanged:
        m_ready = false;
        FillMaterials();
        UpdateProjectFields();
        m_ready = true;
        break;
    case kEventSolutionsChanged:
    case kEventProjectDataChanged:
        if (sender != this)
            UpdateEnableStates();
        break;
    case kEventMaterialEdited:
        m_ready = false;
        FillMaterials();
        m_ready = true;
        break;
    default:
        break;
    }
}

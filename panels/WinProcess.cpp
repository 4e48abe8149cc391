#include "panels/WinProcess.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "appsvc/BusyCursorScope.h"
#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICHint.h"
#include "controls/ICList.h"
#include "controls/ICStatic.h"
#include "controls/RedrawSuspended.h"
#include "dialogs/DlgExport.h"
#include "dialogs/DlgLayout.h"
#include "dialogs/DlgMessages.h"
#include "dialogs/DlgProgress.h"
#include "dialogs/DlgSolutions.h"
#include "document/AppEvents.h"
#include "document/DCSProject.h"
#include "document/OrderCheck.h"
#include "foundation/TextBlocks.h"
#include "foundation/UniqueId.h"
#include "foundation/WindowMessages.h"
#include "panels/PanelIds.h"

namespace {

constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;
constexpr COLORREF kNoteColour = RGB(196, 0, 0);

const std::vector<ColumnSpec> kParameterColumns = {{320, "name", "Name"}, {280, "value", "Value"}};
const std::vector<ColumnSpec> kStockColumns = {
    {50, "list.id", "##"},         {100, "list.used", "Used"},        {120, "list.pieces", "Pieces"},
    {115, "list.waste", "Waste"},  {135, "list.remnants", "Remnants"}, {110, "list.shifts", "Measurements"},
    {140, "list.cost", "Cost"},
};
const std::vector<ColumnSpec> kCuttingColumns = {
    {50, "id", "##"}, {106, "copies", "Copies"}, {106, "remains", "Remains"}, {788, "output", "Details"}};

// A count and its unit label; the count alone while no label is set.
std::string WithUnit(const std::string& count, const std::string& unit)
{
    return unit.empty() ? count : count + " " + unit;
}

std::string Percent(const std::string& value)
{
    char text[64];
    snprintf(text, sizeof(text), "%.2f %%", std::atof(value.c_str()));
    return text;
}

// The material counts remnants only from a length above 0.
bool TracksRemnants(const DCSProject& material)
{
    return std::atof(material.GetProperty("remnants").c_str()) != 0.0;
}

long AllOrphans(const DCSProject& material)
{
    return material.GetOrphans("");
}

void SetEnabled(HWND window, bool enabled)
{
    if (window && (::IsWindowEnabled(window) != FALSE) != enabled)
        WinEnable(enabled, window);
}

std::string EditLine(HWND edit, long line)
{
    // The first WORD of the buffer tells the edit how much it may write.
    std::vector<char> buffer(16384 + 1, '\0');
    *reinterpret_cast<WORD*>(buffer.data()) = 16384;
    const LRESULT got = ::SendMessageA(edit, EM_GETLINE, static_cast<WPARAM>(line),
                                       reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

} // namespace

WinProcess::WinProcess() : WinPanel(kPanelResults, nullptr, nullptr, "window.results") {}

WinProcess::~WinProcess() = default;

const CMessageMap* WinProcess::GetMessageMap() const
{
    static const CMessageMapOf<WinProcess> map = CMessageMapOf<WinProcess>(WinPanel::GetMessageMap())
                                                     .On(WM_SIZE, &WinProcess::OnSizeMsg)
                                                     .On(WM_VSCROLL, &WinProcess::OnVScrollMsg)
                                                     .On(WM_CTLCOLORSTATIC, &WinProcess::OnCtlColorMsg);
    return &map;
}

DCSProject* WinProcess::CurrentMaterial()
{
    return App().Document().GetProject(-1, false);
}

// ---- Opening ----------------------------------------------------------------------------------

BOOL WinProcess::OnInitDialog()
{
    WinPanel::OnInitDialog();
    if (HWND parent = ::GetParent(m_hWnd)) {
        RECT client = {0, 0, 0, 0};
        ::GetClientRect(parent, &client);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOMOVE);
    }
    SetBackColor(0xFFFFFF);
    ReadLocale(true);
    m_margin = ChildRect(GetDlgItem(IDC_RESULTS_PARAMS)).left;

    CreateLabels();
    CreateLists();
    CreateButtons();
    SetUpComment();

    LayoutLists();
    Refresh();
    return TRUE;
}

void WinProcess::CreateLabels()
{
    const struct {
        int id;
        const char* key;
        const char* def;
    } labels[] = {{IDC_RESULTS_TITLE, "results", "Results for the material"},
                  {IDC_RESULTS_STOCKS_TITLE, "blanks", "Used stocks"},
                  {IDC_RESULTS_CUTTINGS_TITLE, "layout", "Cuttings for selected stock"}};
    for (const auto& l : labels) {
        if (HWND window = GetDlgItem(l.id)) {
            SetFont(l.id, "font.2b");
            auto* label = new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            label->SetText(Text(l.key, l.def).c_str());
            if (l.id == IDC_RESULTS_TITLE)
                AddControl(label);
            else
                AddToBag(label, true);
        }
    }
}

void WinProcess::CreateLists()
{
    struct ListSetup {
        int id;
        ICList** list;
        const std::vector<ColumnSpec>* columns;
        std::vector<long>* widths;
    };
    std::vector<long> parameterWidths;
    const ListSetup lists[] = {{IDC_RESULTS_PARAMS, &m_params, &kParameterColumns, &parameterWidths},
                               {IDC_RESULTS_STOCKS, &m_stocks, &kStockColumns, &m_stockWidths},
                               {IDC_RESULTS_CUTTINGS, &m_cuttings, &kCuttingColumns, &m_cuttingWidths}};
    for (const ListSetup& setup : lists) {
        HWND window = GetDlgItem(setup.id);
        if (!window)
            continue;
        ListSetFonts(App().GetFont("list.1"), window, App().GetFont("list.2"));
        auto* list = new ICList(window);
        AddToBag(list, true);
        *setup.list = list;
        *setup.widths = SetupColumns(*list, *setup.columns, kListStyles);
    }
}

void WinProcess::CreateButtons()
{
    const ButtonText buttons[] = {
        {IDC_RESULTS_CALC, "calc.pro", "Calculate", "Calculate cutting"},
        {IDC_RESULTS_REPORT, "report.pro", "Report", "Build separate report for this material"},
        {IDC_RESULTS_CLEAR, "reset.pro", "Clear", "Clear the results"},
        {IDC_RESULTS_EDIT, "edit", "Edit", "Edit cutting"},
        {IDC_RESULTS_EXPORT, "export.pro", "Export the Results", "Export"},
    };
    for (const ButtonText& b : buttons) {
        if (HWND window = GetDlgItem(b.id)) {
            SetFont(b.id, "buttNorm");
            auto* button = new ICButton(window, 0, Hint(b.key, b.hint).c_str());
            button->SetCaption(Text(b.key, b.def).c_str());
            AddToBag(button, true);
        }
    }
}

void WinProcess::SetUpComment()
{
    SetFont(IDC_RESULTS_COMMENT_TITLE, "group");
    ::SetDlgItemTextA(m_hWnd, IDC_RESULTS_COMMENT_TITLE, Text("comment", "Comment").c_str());
    SetFont(IDC_RESULTS_COMMENT, "calc");
    if (HWND comment = GetDlgItem(IDC_RESULTS_COMMENT))
        ICHint::SetWindowHint(comment, Hint("comment", "Comments for the report").c_str());
    SetFont(IDC_RESULTS_NOTE, "body");
    ::SetDlgItemTextA(m_hWnd, IDC_RESULTS_NOTE, "");
}

void WinProcess::ApplyLocale()
{
    if (!LanguageChanged())
        return;
    ReadLocale(true);
}

void WinProcess::PaintExtra(HDC dc)
{
    PanelPaintRightEdge(m_hWnd, dc);
}

// ---- Showing the material ---------------------------------------------------------------------

void WinProcess::SetMaterial(DCSProject* material)
{
    m_material = material;
    Refresh();
}

void WinProcess::ClearMaterial()
{
    m_material = nullptr;
    if (m_params)
        m_params->DeleteAllRows();
    if (m_stocks)
        m_stocks->DeleteAllRows();
    UpdateButtons();
}

void WinProcess::Refresh()
{
    if (!m_params || !m_stocks || !m_cuttings)
        return;
    BusyCursorScope busy;
    if (m_material) {
        FillParameters();
        // Selecting the first stock fills the cuttings list; without a
        // stock nothing is selected and the list is emptied here.
        FillStocks();
        if (ListGetSelected(m_stocks->GetHwnd()) < 0)
            FillCuttings();
    }
    ShowComment();
    UpdateButtons();
}

void WinProcess::FillParameters()
{
    if (!m_params)
        return;
    RedrawSuspended quiet(m_params->GetHwnd());
    m_params->DeleteAllRows();
    if (!m_material)
        return;
    const DProps* summary = nullptr;
    for (const DProps& row : m_material->GetSummaryRows()) {
        if (DProps::GetString(row, "type", "") == "summary") {
            summary = &row;
            break;
        }
    }
    if (!summary)
        return;
    DProps globals;
    App().GetLocaleSection("globals", globals);
    long row = 0;
    for (int i = 0; i < summary->Count(); ++i) {
        const char* entryKey = summary->GetKeyAt(i);
        if (!entryKey || !*entryKey)
            break;
        const std::string key = std::string("param.") + entryKey;
        const std::string title = Text(key.c_str(), "");
        if (title.empty() || key == "param.cmu" || key == "param.cost.ppu" || key == "param.brest")
            continue;
        const std::string value = summary->GetValueAt(i) ? summary->GetValueAt(i) : "";
        std::string shown = value;
        if (key == "param.used") {
            shown = WithUnit(value, App().GetUnitLabel(1, ""));
        } else if (key == "param.pieces") {
            const std::string count = AllOrphans(*m_material) != 0 ? m_material->QuantityText("", false) : value;
            shown = WithUnit(count, App().GetUnitLabel(1, ""));
        } else if (key == "param.waste") {
            shown = Percent(value);
        } else if (key == "param.remnants") {
            shown = TracksRemnants(*m_material) ? FormatLengthText(value.c_str(), true) : std::string("-");
        } else if (key == "param.cost") {
            shown = FormatCostText(value.c_str(), true);
        } else if (key == "param.time.gone") {
            shown = TextDuration(std::atol(value.c_str()), &globals);
        } else if (key == "param.status" && value.empty()) {
            continue;
        }
        if (shown.empty())
            shown = value;
        m_params->SetCell(row, 0, title.c_str(), nullptr);
        m_params->SetCell(row, 1, shown.c_str(), nullptr);
        ++row;
    }
}

void WinProcess::FillStocks()
{
    if (!m_stocks)
        return;
    {
        RedrawSuspended quiet(m_stocks->GetHwnd());
        m_stocks->DeleteAllRows();
        if (!m_material)
            return;
        FillStockRows();
    }
    // The selection fills the cuttings list, once the stocks are drawn.
    ListSelect(m_stocks->GetHwnd(), 0, 0, 1);
}

void WinProcess::FillStockRows()
{
    const bool remnants = TracksRemnants(*m_material);
    long row = 0;
    for (const DProps& summary : m_material->GetSummaryRows()) {
        if (summary.IndexOf("blank") < 0)
            continue;
        DProps attributes;
        const std::string uid = DProps::GetString(summary, "uid", "");
        if (uid.empty())
            attributes.SetLong("uid", UniqueRandom());
        else
            attributes.Set("uid", uid.c_str());
        m_stocks->SetCell(row, 0, DProps::GetString(summary, "blank", "").c_str(), &attributes);
        m_stocks->SetCell(row, 1, DProps::GetString(summary, "used", "").c_str(), nullptr);
        std::vector<std::string> cells(5, "-");
        if (DProps::GetLong(summary, "used") != 0) {
            cells[0] = DProps::GetString(summary, "pieces", "");
            cells[1] = Percent(DProps::GetString(summary, "waste", ""));
            cells[2] = remnants ? FormatLengthText(DProps::GetString(summary, "remnants", "").c_str(), false)
                                : std::string("-");
            cells[3] = DProps::GetString(summary, "shifts", "");
            cells[4] = FormatCostText(DProps::GetString(summary, "cost.sum", "").c_str(), false);
        }
        for (size_t c = 0; c < cells.size(); ++c)
            m_stocks->SetCell(row, static_cast<long>(c) + 2, cells[c].c_str(), nullptr);
        ++row;
    }
}

void WinProcess::FillCuttings()
{
    if (!m_cuttings)
        return;
    {
        RedrawSuspended quiet(m_cuttings->GetHwnd());
        m_cuttings->DeleteAllRows();
        if (!m_material || !m_stocks)
            return;
        FillCuttingRows();
    }
    ListSelect(m_cuttings->GetHwnd(), 0, 0, 0);
}

void WinProcess::FillCuttingRows()
{
    const double position = static_cast<double>(ListGetSelected(m_stocks->GetHwnd()) + 1);
    long row = 0;
    for (const DProps& cutting : m_material->GetCuttingRows()) {
        if (std::atof(DProps::GetString(cutting, "blank", "").c_str()) != position)
            continue;
        char number[32];
        snprintf(number, sizeof(number), "%ld", row + 1);
        m_cuttings->SetCell(row, 0, number, nullptr);
        m_cuttings->SetCell(row, 1, DProps::GetString(cutting, "copies", "").c_str(), nullptr);
        m_cuttings->SetCell(row, 2, FormatLengthText(DProps::GetString(cutting, "remains", "").c_str(), false).c_str(),
                            nullptr);
        m_cuttings->SetCell(row, 3, DProps::GetString(cutting, "layout", "").c_str(), nullptr);
        ++row;
    }
}

void WinProcess::UpdateButtons()
{
    const bool results = m_material && m_material->HasCuttings();
    const bool remnants = m_material && m_material->HasRemnants();
    const bool orphans = m_material && AllOrphans(*m_material) != 0;
    const struct {
        int id;
        bool enabled;
    } states[] = {
        {IDC_RESULTS_CALC, true},
        {IDC_RESULTS_REPORT, results},
        {IDC_RESULTS_CLEAR, results},
        {IDC_RESULTS_EXPORT_CUTTINGS, results},
        {IDC_RESULTS_EDIT, results},
        {IDC_RESULTS_EXPORT_REMNANTS, results && remnants},
        {IDC_RESULTS_EXPORT_FREE, results && orphans},
        {IDC_RESULTS_EXPORT, m_material && (m_material->HasCuttings() || orphans || remnants)},
    };
    for (const auto& state : states)
        SetEnabled(GetDlgItem(state.id), state.enabled);
}

void WinProcess::ShowComment()
{
    HWND edit = GetDlgItem(IDC_RESULTS_COMMENT);
    if (!edit)
        return;
    m_commentPending = (::GetWindowLongA(edit, GWL_STYLE) & WS_VISIBLE) == 0;
    if (m_commentPending)
        return;
    const std::string comment = m_material ? m_material->GetProperty("comment") : std::string();
    if (WinGetText(1 << 20, edit, false).ToStdString() != comment)
        ::SetWindowTextA(edit, comment.c_str());
}

void WinProcess::OnCommentEdit(bool store)
{
    HWND edit = GetDlgItem(IDC_RESULTS_COMMENT);
    if (!m_material || !edit)
        return;
    if (m_commentPending) {
        // Leaving an edit that never took the comment stores nothing; a
        // change typed into it makes its text the user's.
        if (store)
            return;
        m_commentPending = false;
    }
    long lines = static_cast<long>(::SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    std::string note;
    if (lines > MaxCommentLines) {
        std::string word = Text("maxcomment", "Max lines:");
        StrTrim(word);
        note = word + " " + std::to_string(MaxCommentLines);
        lines = MaxCommentLines;
    }
    std::string text;
    for (long line = 0; line < lines; ++line) {
        const std::string part = EditLine(edit, line);
        if (!text.empty())
            text += "\r\n";
        text += part;
    }
    if (!note.empty())
        ::SetWindowTextA(edit, text.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_RESULTS_NOTE, note.c_str());
    if (store) {
        const std::string before = m_material->GetProperty("comment");
        m_material->SetProperty("comment", text.c_str());
        if (before != text)
            App().ResetCurrentMaterial();
    }
}

// ---- Commands and notifications ---------------------------------------------------------------

BOOL WinProcess::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (!CurrentMaterial()) {
        // A script waiting for its calculation hears that none ran.
        if (id == IDC_RESULTS_CALC && code == BN_CLICKED)
            App().CompleteAutomationRequest(false);
        return FALSE;
    }
    if (id == IDC_RESULTS_COMMENT) {
        if (code == EN_CHANGE)
            OnCommentEdit(false);
        else if (code == EN_KILLFOCUS)
            OnCommentEdit(true);
        return TRUE;
    }
    (void)lParam;
    if (code != BN_CLICKED)
        return TRUE;
    switch (id) {
    case IDC_RESULTS_CALC:
        Calculate();
        break;
    case IDC_RESULTS_REPORT:
        App().BuildReport(true);
        break;
    case IDC_RESULTS_CLEAR:
        if (m_material)
            m_material->ClearSolutions();
        Refresh();
        break;
    case IDC_RESULTS_EXPORT_CUTTINGS:
        ExportCuttings();
        break;
    case IDC_RESULTS_EXPORT_REMNANTS:
        ExportRemnants();
        break;
    case IDC_RESULTS_EDIT:
        EditLayout();
        break;
    case IDC_RESULTS_EXPORT:
        OnExportMenu();
        break;
    default:
        break;
    }
    return TRUE;
}

BOOL WinProcess::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        // Only a change of the selection counts: cell texts being written
        // report themselves as changes too.
        const bool selection = (change->uChanged & LVIF_STATE) &&
                               ((change->uNewState ^ change->uOldState) & LVIS_SELECTED);
        if (m_stocks && header->hwndFrom == m_stocks->GetHwnd()) {
            if (selection)
                FillCuttings();
            return TRUE;
        }
        if (m_params && header->hwndFrom == m_params->GetHwnd()) {
            if (ListGetSelected(header->hwndFrom) < 0)
                UpdateButtons();
            return TRUE;
        }
    }
    return WinPanel::OnNotify(wParam, lParam, result);
}

// ---- Calculation ------------------------------------------------------------------------------

void WinProcess::Calculate()
{
    OXRApp& app = App();
    if (!m_material) {
        app.CompleteAutomationRequest(false);
        return;
    }
    const int32_t flags = m_material->UpdateWarnings();
    if (flags != 0) {
        DlgMessages messages(this);
        if (messages.AddMessage(m_material->GetWarnings())) {
            // Nobody reads the list during a script; its answers below
            // are given without boxes.
            if (!app.IsAutomation())
                messages.DoModal();
        } else {
            app.ShowMessage(m_hWnd, kAppName, app.GetMessageText("data.incorrect", "").c_str(), MB_OK, IDOK);
        }
        int answer = IDNO;
        if (!(flags & CheckError))
            answer = app.ShowMessage(m_hWnd, kAppName,
                                     app.GetMessageText("calc.continue", "Continue calculations?").c_str(), MB_YESNO,
                                     IDYES);
        if (answer != IDYES) {
            app.CompleteAutomationRequest(false);
            return;
        }
    }

    long chosen = -1;
    m_progress = std::make_unique<DlgProgress>(this);
    const INT_PTR finished = m_progress->DoModal();
    DCSProject* current = CurrentMaterial();
    if (finished != 0 && current) {
        if (app.HasAutomationRequest()) {
            chosen = current->GetSolutions().Count() > 0 ? 0 : -1;
        } else {
            DlgSolutions solutions(this);
            if (solutions.DoModal() != 0)
                chosen = solutions.GetChosen();
        }
    }
    bool applied = false;
    if (chosen >= 0 && current && chosen < current->GetSolutions().Count()) {
        // The rows are built and the pages filled twice over
        // (kEventSolutionsChanged, then the page itself): a long solution takes
        // its time.
        BusyCursorScope busy;
        current->ApplySolution(chosen);
        SetMaterial(current);
        app.OnAppEvent(kEventProjectDataChanged, 0, nullptr);
        applied = true;
    }
    app.OnAppEvent(kEventCalculationFinished, applied ? 1 : 0, this);
    m_progress.reset();
    app.CompleteAutomationRequest(applied);
}

// ---- Exports and the layout editor ------------------------------------------------------------

WinProcess::ExportItem WinProcess::ShowExportMenu()
{
    if (!m_material)
        return ExportNone;
    const UINT chosen = PopupMenuAtCursor(
        m_hWnd, {{ExportCuttingsItem, Text("export.cutting", "Export cuttings"), m_material->HasCuttings()},
                 {ExportRemnantsItem, Text("export.remnants", "Export remnants"), m_material->HasRemnants()},
                 {ExportOrphansItem, Text("export.orphans", "Export free parts"), AllOrphans(*m_material) >= 1}});
    return chosen >= ExportCuttingsItem && chosen <= ExportOrphansItem ? static_cast<ExportItem>(chosen)
                                                                         : ExportNone;
}

void WinProcess::OnExportMenu()
{
    switch (ShowExportMenu()) {
    case ExportCuttingsItem:
        ExportCuttings();
        break;
    case ExportRemnantsItem:
        ExportRemnants();
        break;
    case ExportOrphansItem:
        ExportOrphans();
        break;
    default:
        break;
    }
}

void WinProcess::ExportCuttings()
{
    RunExport(TextExportCuttings);
}

void WinProcess::ExportRemnants()
{
    RunExport(TextExportRemnants);
}

void WinProcess::ExportOrphans()
{
    RunExport(TextExportOrphans);
}

void WinProcess::RunExport(TextExportKind kind)
{
    if (!m_material)
        return;
    if (kind != TextExportOrphans && !m_material->HasCuttings())
        return;
    const PropsList records = BuildMaterialExportRecords(kind, *m_material);
    if (records.empty())
        return;
    DAppSettings& settings = App().Settings();
    DlgExport dialog(this);
    if (!dialog.Setup(BuildExportDescriptor(kind, m_locale, settings, TextExportMaterial), records) ||
        dialog.DoModal() == DlgFrame::Cancelled)
        return;
    StoreExportChoices(kind, dialog.GetParams(), settings);
}

void WinProcess::EditLayout()
{
    DCSProject* material = CurrentMaterial();
    if (!material)
        return;
    DlgLayout dialog;
    DProps params;
    dialog.SetCurrentLayout(params);
    if (dialog.DoModal() != DlgFrame::Accepted)
        return;
    material->ApplyEditedLayout(dialog.GetLayout());
    SetMaterial(material);
    // The edit gave the material a new calculation id after its results
    // were rebuilt: its change state is taken again, so the caption and
    // Save tell the edit at once.
    App().ResetCurrentMaterial();
}

// ---- Events -----------------------------------------------------------------------------------

void WinProcess::OnAppEvent(long code, const void* sender)
{
    switch (code) {
    case kEventProjectClosed:
        ClearMaterial();
        break;
    case kEventMaterialOptionsChanged:
        if (DCSProject* current = CurrentMaterial())
            current->RefreshResults();
        FillCuttings();
        break;
    case kEventAutomationBreak:
        if (m_progress && m_progress->IsWindow())
            m_progress->SendMessage(WM_USER, kCalculationStopRequested, 0);
        break;
    case kEventSolutionsChanged:
    case kEventCurrentMaterialChanged:
        SetMaterial(CurrentMaterial());
        break;
    case kEventProjectDataChanged:
        if (sender != this)
            UpdateButtons();
        break;
    case kEventSettingsChanged:
        if (DCSProject* current = CurrentMaterial())
            current->RefreshResults();
        Refresh();
        break;
    default:
        break;
    }
}

// ---- Layout and painting ----------------------------------------------------------------------

LRESULT WinProcess::OnSizeMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    if (!m_cuttings)
        return result;
    LayoutWithoutRedraw(m_hWnd, [this] { LayoutLists(); });
    return result;
}

void WinProcess::LayoutLists()
{
    HWND cuttings = GetDlgItem(IDC_RESULTS_CUTTINGS);
    HWND stocks = GetDlgItem(IDC_RESULTS_STOCKS);
    if (!cuttings || !stocks)
        return;
    const long m = m_margin;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const RECT c = ChildRect(cuttings);
    ::MoveWindow(cuttings, c.left, c.top, std::max(0L, client.right - m - c.left),
                 std::max(0L, client.bottom - m - c.top), TRUE);
    FitLastColumn(cuttings, m_cuttingWidths);
    for (int id : {IDC_RESULTS_STOCKS, IDC_RESULTS_COMMENT}) {
        HWND window = GetDlgItem(id);
        if (!window)
            continue;
        const RECT r = ChildRect(window);
        ::MoveWindow(window, r.left, r.top, std::max(0L, client.right - m - r.left), r.bottom - r.top, TRUE);
    }
    FitLastColumn(stocks, m_stockWidths);
}

LRESULT WinProcess::OnVScrollMsg(WPARAM wParam, LPARAM)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!::GetScrollInfo(m_hWnd, SB_VERT, &info))
        return 0;
    const long before = info.nPos;
    long position = before;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= 10; break;
    case SB_LINEDOWN: position += 10; break;
    case SB_PAGEUP: position -= static_cast<long>(info.nPage); break;
    case SB_PAGEDOWN: position += static_cast<long>(info.nPage); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = HIWORD(wParam); break;
    case SB_TOP: position = 0; break;
    default: return 0;
    }
    const long last = info.nMax - static_cast<long>(info.nPage);
    if (position > last)
        position = last;
    if (position < 0)
        position = 0;
    info.fMask = SIF_POS;
    info.nPos = position;
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
    ::ScrollWindow(m_hWnd, 0, static_cast<int>(before - position), nullptr, nullptr);
    return 0;
}

LRESULT WinProcess::OnCtlColorMsg(WPARAM wParam, LPARAM lParam)
{
    return CtlColorWithNote(wParam, lParam, IDC_RESULTS_NOTE, kNoteColour);
}

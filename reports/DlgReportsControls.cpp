#include "reports/DlgReportsControls.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "appsvc/AppSettingsKeys.h"
#include "appsvc/OXRApp.h"
#include "controls/ICButton.h"
#include "controls/ICHint.h"
#include "controls/WinUtil.h"
#include "reports/OXRLayout.h"
#include "reports/OXRReport.h"
#include "reports/ReportIds.h"

namespace {

constexpr UINT_PTR kPrinterWaitTimer = 1;

// Every entry of the toolbar's lists is shown after one blank.
void AddListEntry(HWND list, const std::string& text)
{
    const std::string shown = " " + text;
    ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

void SelectListEntry(HWND list, long index)
{
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index < 0 ? 0 : index), 0);
}

long SettingIndex(const AppSettingKey& key)
{
    const long value = StrToLong(GetSetting(App().Settings(), key).GetText());
    return value < 0 ? 0 : value;
}

// The names of the application's printer list, in order, up to the first
// blank one.
std::vector<std::string> PrinterNames(OXRApp& app)
{
    std::vector<std::string> names;
    DAutoLock guard(app.GetPrinterLock());
    for (long i = 0; i < app.PrinterNames().Count(); ++i) {
        UString name = app.PrinterNames().KeyAt(i);
        name.Trim();
        if (name.IsEmpty())
            break;
        names.push_back(app.PrinterNames().KeyAt(i).GetText());
    }
    return names;
}

// Enables or disables; only a control whose state changes is redrawn, at once.
void EnableNow(HWND control, bool enable)
{
    if (!control || (::IsWindowEnabled(control) != FALSE) == enable)
        return;
    ::EnableWindow(control, enable ? TRUE : FALSE);
    ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

} // namespace

DlgReportsControls::DlgReportsControls(CDialog* parent, HWND owner)
    : WinPanel(IDD_REPORTS_TOOLBAR, parent, owner, "dialog.reports")
{
}

DlgReportsControls::~DlgReportsControls() = default;

BOOL DlgReportsControls::OnInitDialog()
{
    WinPanel::OnInitDialog();
    OXRApp& app = App();
    ReadLocale(true);
    SetBackColor(app.GetNamedColor("report.back"));
    SetStyleBits(GetStyleBits() | StyleBottomLines);

    static const int buttons[] = {IDC_REPORTS_PRINT, IDC_REPORTS_SAVE, IDC_REPORTS_FITW,
                                  IDC_REPORTS_FITH,  IDC_REPORTS_PREV, IDC_REPORTS_NEXT};
    for (int id : buttons) {
        SetFont(id, "buttNorm");
        if (HWND window = GetDlgItem(id))
            AddToBag(new ICButton(window, 0, ""), true);
    }
    for (int id : {IDC_REPORTS_LAYOUT, IDC_REPORTS_COLORS, IDC_REPORTS_PRINTER})
        SetFont(id, "body");
    for (int id : {IDC_REPORTS_PAGE, IDC_REPORTS_LAYOUT_LABEL, IDC_REPORTS_COLORS_LABEL, IDC_REPORTS_PRINTER_LABEL})
        SetFont(id, "font.1");
    ApplyTexts();

    FillLayouts();
    FillColors();
    // The printers may still be being enumerated: they get a second
    // before the list is looked at, without holding up the window.
    if (app.PrinterNames().IsEmpty()) {
        m_waitingForPrinters = true;
        SetTimer(kPrinterWaitTimer, PrinterWaitMs);
        UpdateEnableStates();
    } else {
        OnPrintersEnumerated();
        UpdateEnableStates();
    }
    return TRUE;
}

void DlgReportsControls::ApplyTexts()
{
    auto button = [this](int id) { return static_cast<ICButton*>(FindInBag(id)); };
    if (ICButton* print = button(IDC_REPORTS_PRINT)) {
        print->SetCaption(Text("print", "Print").c_str());
        print->SetHint(Hint("print", "Print with the selected printer").c_str());
    }
    if (ICButton* save = button(IDC_REPORTS_SAVE)) {
        save->SetCaption(Text("save", "Save").c_str());
        save->SetHint(Hint("save", "Save to the file").c_str());
    }
    struct PictureHint {
        int id;
        const char* key;
        const char* def;
    };
    static const PictureHint hints[] = {{IDC_REPORTS_FITW, "fitw", "Fit to Window"},
                                        {IDC_REPORTS_FITH, "fith", "Fit by Width"},
                                        {IDC_REPORTS_PREV, "prev", "Previous Page"},
                                        {IDC_REPORTS_NEXT, "next", "Next Page"}};
    for (const PictureHint& h : hints)
        if (ICButton* b = button(h.id))
            b->SetHint(Hint(h.key, h.def).c_str());
    SetDlgItemTextA(m_hWnd, IDC_REPORTS_LAYOUT_LABEL, Text("layout", "Layout").c_str());
    SetDlgItemTextA(m_hWnd, IDC_REPORTS_COLORS_LABEL, Text("colors.name", "Colors").c_str());
    SetDlgItemTextA(m_hWnd, IDC_REPORTS_PRINTER_LABEL, Text("printer", "Printer").c_str());
    ICHint::SetWindowHint(GetDlgItem(IDC_REPORTS_LAYOUT), Hint("layout", "Choose report layout").c_str());
    ICHint::SetWindowHint(GetDlgItem(IDC_REPORTS_COLORS), Hint("colors", "Choose color mode for the report").c_str());
    ICHint::SetWindowHint(GetDlgItem(IDC_REPORTS_PRINTER),
                          Hint("printer", "Choose printer from the list of system printers").c_str());
}

void DlgReportsControls::FillLayouts()
{
    HWND list = GetDlgItem(IDC_REPORTS_LAYOUT);
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    OXRLayoutRegistry& registry = OXRLayout::Registry();
    for (long i = 0;; ++i) {
        OXRLayout* layout = registry.GetValueAt(i);
        if (!layout)
            break;
        UString name = layout->GetName();
        name.Trim();
        if (name.IsEmpty())
            break;
        const std::string key = std::string("layout.") + name.GetText();
        std::string text = Text(key.c_str(), "");
        if (text.empty())
            text = name.GetText();
        AddListEntry(list, text);
    }
    SelectListEntry(list, SettingIndex(kSetReportLayout));
}

void DlgReportsControls::FillColors()
{
    HWND list = GetDlgItem(IDC_REPORTS_COLORS);
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    AddListEntry(list, Text("colors.auto", "Auto"));
    AddListEntry(list, Text("colors.color", "Color"));
    AddListEntry(list, Text("colors.mono", "Mono"));
    SelectListEntry(list, SettingIndex(kSetReportColors));
}

void DlgReportsControls::OnPrintersEnumerated()
{
    HWND list = GetDlgItem(IDC_REPORTS_PRINTER);
    if (!list || ::SendMessageA(list, CB_GETCOUNT, 0, 0) > 0)
        return;
    OXRApp& app = App();
    std::vector<std::string> names = PrinterNames(app);
    for (const std::string& name : names)
        AddListEntry(list, name);
    if (!names.empty()) {
        const std::string current = app.SelectPrinter(nullptr).GetText();
        long index = -1;
        for (size_t i = 0; i < names.size(); ++i)
            if (_stricmp(names[i].c_str(), current.c_str()) == 0)
                index = static_cast<long>(i);
        if (index < 0) {
            index = 0;
            app.SelectPrinter(names[0].c_str());
        }
        SelectListEntry(list, index);
    }
    UpdateEnableStates();
}

void DlgReportsControls::UpdateEnableStates()
{
    OXRApp& app = App();
    OXRReport& report = AppReport();
    const long count = report.GetPageCount();
    const long current = report.GetCurrentPage();
    char indicator[256];
    snprintf(indicator, sizeof(indicator), "%s\r\n%ld %s %ld", Text("page", "Page").c_str(), current + 1,
             Text("of", "of").c_str(), count);
    char shown[256] = "";
    GetDlgItemTextA(m_hWnd, IDC_REPORTS_PAGE, shown, sizeof(shown));
    if (strcmp(shown, indicator) != 0) {
        SetDlgItemTextA(m_hWnd, IDC_REPORTS_PAGE, indicator);
        ::RedrawWindow(GetDlgItem(IDC_REPORTS_PAGE), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    EnableNow(GetDlgItem(IDC_REPORTS_PREV), count >= 2 && current != 0);
    EnableNow(GetDlgItem(IDC_REPORTS_NEXT), count >= 2 && current != count - 1);
    const bool printers = !PrinterNames(app).empty();
    EnableNow(GetDlgItem(IDC_REPORTS_PRINT), printers);
    EnableNow(GetDlgItem(IDC_REPORTS_PRINTER), printers);
}

void DlgReportsControls::ApplyLocale()
{
    if (!LanguageChanged())
        return;
    ReadLocale(true);
    ApplyTexts();
}

long DlgReportsControls::GetPreferredSize()
{
    const RECT next = ChildRect(GetDlgItem(IDC_REPORTS_NEXT));
    const RECT list = ChildRect(GetDlgItem(IDC_REPORTS_LAYOUT));
    const long width = next.right + 2 * list.left;
    const long height = list.left + list.bottom;
    m_preferred = {0, 0, width, height};
    return (height << 16) | (width & 0xFFFF);
}

void DlgReportsControls::OnAppEvent(long code, const void* sender)
{
    (void)sender;
    switch (code) {
    case kEventReportLayoutChanged:
    case kEventReportPageChanged:
        UpdateEnableStates();
        break;
    case kEventPrintersEnumerated:
        OnPrintersEnumerated();
        break;
    default:
        break;
    }
}

BOOL DlgReportsControls::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) != CBN_SELENDOK)
        return WinPanel::OnCommand(wParam, lParam);
    OXRApp& app = App();
    const long position = static_cast<long>(::SendMessageA(GetDlgItem(id), CB_GETCURSEL, 0, 0));
    switch (id) {
    case IDC_REPORTS_LAYOUT:
        app.SelectReportLayout(position);
        app.OnAppEvent(kEventReportPageChanged, 0);
        break;
    case IDC_REPORTS_COLORS:
        app.SelectReportColors(position);
        break;
    case IDC_REPORTS_PRINTER: {
        const std::vector<std::string> names = PrinterNames(app);
        if (position >= 0 && position < static_cast<long>(names.size()))
            app.SelectPrinter(names[static_cast<size_t>(position)].c_str());
        break;
    }
    default:
        return WinPanel::OnCommand(wParam, lParam);
    }
    return TRUE;
}

const CMessageMap* DlgReportsControls::GetMessageMap() const
{
    static const CMessageMapOf<DlgReportsControls> map =
        CMessageMapOf<DlgReportsControls>(WinPanel::GetMessageMap()).On(WM_TIMER, &DlgReportsControls::OnTimerMsg);
    return &map;
}

LRESULT DlgReportsControls::OnTimerMsg(WPARAM wParam, LPARAM)
{
    if (wParam != kPrinterWaitTimer)
        return Default();
    KillTimer(kPrinterWaitTimer);
    m_waitingForPrinters = false;
    OnPrintersEnumerated();
    UpdateEnableStates();
    return 0;
}

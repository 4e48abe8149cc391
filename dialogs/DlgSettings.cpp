#include "dialogs/DlgSettings.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "appsvc/DlgStartup.h"
#include "appsvc/OXRApp.h"
#include "dialogs/DialogIds.h"
#include "foundation/DParser.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"

namespace {

// A choice list of the formats and the bag key that holds its index.
struct ChoiceList {
    int id;
    const char* key;
};

const ChoiceList kChoiceLists[] = {
    {IDC_SETTINGS_SEPARATOR, "list.separator"},  {IDC_SETTINGS_DECIMAL, "decimal"},
    {IDC_SETTINGS_PCS_UNITS, "pieces.units"},    {IDC_SETTINGS_LENGTH_UNITS, "length.units"},
    {IDC_SETTINGS_LENGTH_DIGITS, "length.digits"}, {IDC_SETTINGS_COST_UNITS, "cost.units"},
    {IDC_SETTINGS_COST_DIGITS, "cost.digits"},
};

const char* ChoiceKey(int id)
{
    for (const ChoiceList& list : kChoiceLists)
        if (list.id == id)
            return list.key;
    return nullptr;
}

// The lists a locale without menus still shows, in the order of the indexes
// the number formats give them.
const char* const kSeparators[] = {" ", "; ", "| ", ", ", "/ ", ": "};
const char* const kDecimals[] = {"system ", ".", ","};
const char* const kPieceUnits[] = {" ", "pcs"};
const char* const kLengthUnits[] = {" ", "units.mm", "units.cm", "units.m", "units.in"};
const char* const kLengthDigits[] = {"0", "1", "2", "3"};
const char* const kCostDigits[] = {"0", "1", "2"};

template <size_t N>
constexpr size_t Count(const char* const (&)[N])
{
    return N;
}

// The stored form of the exclusions: each name quoted, joined by ", ".
std::string JoinExclusions(const UStringList& names)
{
    return UStringList::Join(&names, true, ", ").GetText();
}

long StateImage(HWND list, int item)
{
    return static_cast<long>((ListView_GetItemState(list, item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12);
}

} // namespace

DlgSettings::DlgSettings(CWnd* parent, PrinterRefresh refreshPrinters)
    : DlgFrame(IDD_SETTINGS, parent, "dialog.settings"), m_refreshPrinters(std::move(refreshPrinters))
{
}

BOOL DlgSettings::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    // Taken before any control is filled: what the user changes is measured
    // against the values the opener handed in.
    m_initialChecksum = m_params.Checksum();
    ::SetWindowTextA(m_hWnd, Text("title", "Global Settings").c_str());

    ApplyFonts();
    FillFormatChoices();
    ShowStoredFormats();
    SetUpPrinterList();

    {
        // The printer thread of the start may still be filling the lists.
        DAutoLock guard(App().GetPrinterLock());
        m_exclusionText = JoinExclusions(App().ExcludedPrinters());
        FillPrinterList();
    }

    WinCenter(::GetParent(m_hWnd), m_hWnd);
    UpdateOkButton();
    m_ready = true;
    return TRUE;
}

void DlgSettings::SetLabel(int id, const char* key, const char* def)
{
    WinSetText(Text(key, def).c_str(), GetDlgItem(id), false, true);
}

void DlgSettings::ApplyFonts()
{
    for (int id : {IDC_SETTINGS_FORMAT_TITLE, IDC_SETTINGS_LENGTH_TITLE, IDC_SETTINGS_COST_TITLE})
        SetFont(id, "head");
    for (int id : {IDC_SETTINGS_SEPARATOR_TITLE, IDC_SETTINGS_SEPARATOR, IDC_SETTINGS_PCS_TITLE,
                   IDC_SETTINGS_PCS_UNITS, IDC_SETTINGS_DECIMAL_TITLE, IDC_SETTINGS_DECIMAL,
                   IDC_SETTINGS_DECIMAL_NOTE, IDC_SETTINGS_LENGTH_UNITS_TITLE, IDC_SETTINGS_LENGTH_UNITS,
                   IDC_SETTINGS_LENGTH_DIGITS_TITLE, IDC_SETTINGS_LENGTH_DIGITS, IDC_SETTINGS_LENGTH_ZEROES,
                   IDC_SETTINGS_COST_UNITS_TITLE, IDC_SETTINGS_COST_UNITS, IDC_SETTINGS_COST_DIGITS_TITLE,
                   IDC_SETTINGS_COST_DIGITS, IDC_SETTINGS_COST_ZEROES})
        SetFont(id, "text");
    SetFont(IDOK, "buttNorm");
    SetFont(IDCANCEL, "buttNorm");
    WinMatchWidth(m_hWnd, GetDlgItem(IDC_RULE));
}

void DlgSettings::FillFormatChoices()
{
    SetLabel(IDC_SETTINGS_FORMAT_TITLE, "format.title", "Format");
    SetLabel(IDC_SETTINGS_SEPARATOR_TITLE, "format.separator.title", "List separator");
    FillChoiceList(IDC_SETTINGS_SEPARATOR, "format.separator.menu", kSeparators, Count(kSeparators));
    SetLabel(IDC_SETTINGS_PCS_TITLE, "format.pcs.title", "Dimensionless units");
    FillChoiceList(IDC_SETTINGS_PCS_UNITS, "format.pcs.menu", kPieceUnits, Count(kPieceUnits));
    SetLabel(IDC_SETTINGS_DECIMAL_TITLE, "format.decimal.title", "Decimal separator");
    FillChoiceList(IDC_SETTINGS_DECIMAL, "format.decimal.menu", kDecimals, Count(kDecimals));
    SetLabel(IDC_SETTINGS_LENGTH_TITLE, "length.title", "Length");
    SetLabel(IDC_SETTINGS_LENGTH_UNITS_TITLE, "length.units.title", "Units");
    FillChoiceList(IDC_SETTINGS_LENGTH_UNITS, "length.units.menu", kLengthUnits, Count(kLengthUnits));
    SetLabel(IDC_SETTINGS_LENGTH_DIGITS_TITLE, "length.digit.title", "Digits to display");
    FillChoiceList(IDC_SETTINGS_LENGTH_DIGITS, nullptr, kLengthDigits, Count(kLengthDigits));
    SetLabel(IDC_SETTINGS_LENGTH_ZEROES, "length.digit.zeroes", "Display trailing zeroes");
    SetLabel(IDC_SETTINGS_COST_TITLE, "curr.title", "Currency");
    SetLabel(IDC_SETTINGS_COST_UNITS_TITLE, "curr.units.title", "Units");
    const std::string euro = EuroSign();
    const char* const costUnits[] = {" ", "$", euro.c_str(), "p"};
    FillChoiceList(IDC_SETTINGS_COST_UNITS, "curr.units.menu", costUnits, Count(costUnits));
    SetLabel(IDC_SETTINGS_COST_DIGITS_TITLE, "curr.digit.title", "Digits to display");
    FillChoiceList(IDC_SETTINGS_COST_DIGITS, nullptr, kCostDigits, Count(kCostDigits));
    SetLabel(IDC_SETTINGS_COST_ZEROES, "curr.digit.zeroes", "Display trailing zeroes");
}

void DlgSettings::ShowStoredFormats()
{
    for (const ChoiceList& list : kChoiceLists) {
        long index = DProps::GetLong(m_params, list.key, 0);
        if (index < 0)
            index = 0;
        ::SendMessageA(GetDlgItem(list.id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    ::CheckDlgButton(m_hWnd, IDC_SETTINGS_LENGTH_ZEROES,
                     DProps::GetLong(m_params, "length.zeroes", 0) == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_SETTINGS_COST_ZEROES,
                     DProps::GetLong(m_params, "cost.zeroes", 0) == 1 ? BST_CHECKED : BST_UNCHECKED);
    UpdateDecimalNote();
}

void DlgSettings::SetUpPrinterList()
{
    m_printerList = GetDlgItem(IDC_SETTINGS_PRINTERS);
    if (m_printerList) {
        ListView_SetExtendedListViewStyle(m_printerList,
                                          LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        RECT client = {0, 0, 0, 0};
        ::GetClientRect(m_printerList, &client);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - 5;
        char title[] = "Printer";
        column.pszText = title;
        ::SendMessageA(m_printerList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    }
    SetFont(IDC_SETTINGS_PRINTERS, "small");
    SetFont(IDC_SETTINGS_PRINTER_TITLE, "head");
    SetFont(IDC_SETTINGS_PRINTER_NOTE, "text");
    SetLabel(IDC_SETTINGS_PRINTER_TITLE, "printer.title", "List of Printers");
    SetLabel(IDC_SETTINGS_PRINTER_NOTE, "printer.note",
             "Uncheck printer you do not want to be included in 'CHOOSE PRINTER' list. Excluding printer can "
             "speed up loading, but this printer becomes unavailable.");
}

void DlgSettings::FillChoiceList(int listId, const char* menuKey, const char* const* builtIn, size_t builtInCount)
{
    HWND list = GetDlgItem(listId);
    if (!list)
        return;
    // The items are quoted, so a separator's own comma or semicolon stays
    // inside its item.
    std::vector<std::string> items;
    if (menuKey) {
        const std::string menu = Text(menuKey, "");
        if (!menu.empty())
            StrListFromJson(menu.c_str(), items);
    }
    if (items.empty())
        items.assign(builtIn, builtIn + builtInCount);
    for (const std::string& item : items) {
        if (item.empty())
            continue;
        char buffer[4096];
        strncpy(buffer, item.c_str(), sizeof(buffer) - 1);
        buffer[sizeof(buffer) - 1] = 0;
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(buffer));
    }
}

void DlgSettings::UpdateDecimalNote()
{
    HWND decimal = GetDlgItem(IDC_SETTINGS_DECIMAL);
    const long selection = m_hWnd ? static_cast<long>(::SendMessageA(decimal, CB_GETCURSEL, 0, 0)) : -1;
    std::string key;
    StrFormat(key, "format.decimal.%ld", selection);
    DProps variables;
    variables.Set("decimal", App().SystemDecimal().c_str());
    const std::string note = LocaleLineBreaks(ExpandVariables(Text(key.c_str(), "").c_str(), variables));
    WinSetText(note.c_str(), GetDlgItem(IDC_SETTINGS_DECIMAL_NOTE), false, true);
}

void DlgSettings::FillPrinterList()
{
    if (!m_printerList)
        return;
    int index = 0;
    auto append = [this, &index](const std::string& name, long stateImage) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = index;
        item.pszText = const_cast<char*>(name.c_str());
        item.state = INDEXTOSTATEIMAGEMASK(stateImage);
        item.stateMask = LVIS_STATEIMAGEMASK;
        const int at = static_cast<int>(
            ::SendMessageA(m_printerList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0)
            return;
        // A list with check boxes may give a new item the cleared box whatever
        // it was asked for.
        ListView_SetItemState(m_printerList, at, INDEXTOSTATEIMAGEMASK(stateImage), LVIS_STATEIMAGEMASK);
        ++index;
    };
    const UPairList& printers = App().PrinterNames();
    for (long i = 0; i < printers.Count(); ++i) {
        const std::string name = printers.KeyAt(i).GetText();
        if (!name.empty())
            append(name, 2);
    }
    for (const UString& excluded : App().ExcludedPrinters()) {
        std::string name = excluded.GetText();
        StrTrim(name);
        if (!name.empty())
            append(name, 1);
    }
}

std::string DlgSettings::CollectUncheckedPrinters(UStringList& target) const
{
    target.clear();
    if (m_printerList) {
        const int count = ListView_GetItemCount(m_printerList);
        for (int i = 0; i < count; ++i) {
            if (StateImage(m_printerList, i) != 1)
                continue;
            char name[1024] = "";
            ListView_GetItemText(m_printerList, i, 0, name, sizeof(name));
            target.push_back(UString(name));
        }
    }
    return JoinExclusions(target);
}

bool DlgSettings::HasChanges()
{
    UStringList unchecked;
    const std::string collected = CollectUncheckedPrinters(unchecked);
    if ((!collected.empty() || !m_exclusionText.empty()) && collected != m_exclusionText)
        return true;
    return m_params.Checksum() != m_initialChecksum;
}

void DlgSettings::UpdateOkButton()
{
    HWND ok = GetDlgItem(IDOK);
    if (ok)
        WinEnable(HasChanges(), ok);
}

BOOL DlgSettings::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == IDOK || id == IDCANCEL)
        return DlgFrame::OnCommand(wParam, lParam);
    if (id == IDC_SETTINGS_LENGTH_ZEROES || id == IDC_SETTINGS_COST_ZEROES) {
        const bool checked = ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED;
        m_params.Set(id == IDC_SETTINGS_LENGTH_ZEROES ? "length.zeroes" : "cost.zeroes", checked ? "1" : "0");
    } else if (const char* key = ChoiceKey(id)) {
        if (code == CBN_SELCHANGE) {
            m_params.SetLong(key, static_cast<long>(::SendMessageA(GetDlgItem(id), CB_GETCURSEL, 0, 0)));
            if (id == IDC_SETTINGS_DECIMAL)
                UpdateDecimalNote();
        }
    }
    UpdateOkButton();
    return DlgFrame::OnCommand(wParam, lParam);
}

BOOL DlgSettings::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->idFrom == IDC_SETTINGS_PRINTERS && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (m_ready && (change->uNewState & LVIS_STATEIMAGEMASK))
            UpdateOkButton();
        *result = 0;
        return TRUE;
    }
    return DlgFrame::OnNotify(wParam, lParam, result);
}

void DlgSettings::OnOK()
{
    OXRApp& app = App();
    std::string accepted;
    {
        DAutoLock guard(app.GetPrinterLock());
        accepted = CollectUncheckedPrinters(app.ExcludedPrinters());
    }
    if (accepted != m_exclusionText) {
        m_exclusionText = accepted;
        DlgStartup banner(this);
        banner.SetBackColor(app.GetNamedColor("splash.back"));
        if (banner.Show(kAppName))
            banner.SendStatus("Re-initialize printers...");
        if (m_refreshPrinters)
            m_refreshPrinters(banner.m_hWnd);
        app.RefreshMenuBar();
        banner.Hide();
    }
    EndDialog(Accepted);
}

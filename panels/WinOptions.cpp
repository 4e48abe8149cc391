#include "panels/WinOptions.h"

#include <climits>
#include <cstdlib>
#include <vector>

#include "appsvc/OXRApp.h"
#include "controls/ICHint.h"
#include "controls/ICStatic.h"
#include "document/AppEvents.h"
#include "document/DCSProject.h"
#include "foundation/StrUtil.h"
#include "panels/PanelIds.h"

namespace {

// A pair of radio buttons and the option whose index they show.
struct RadioPair {
    int first;
    int second;
    const char* key;
};

const RadioPair kGoal = {IDC_OPTIONS_YIELD, IDC_OPTIONS_COST, "optimize"};
const RadioPair kLevel = {IDC_OPTIONS_STANDARD, IDC_OPTIONS_MULTIPASS, "level"};

const char* const kNoteKey = "g3.r3.note";

} // namespace

WinOptions::WinOptions() : WinPanel(kPanelOptions, nullptr, nullptr, "window.options") {}

const CMessageMap* WinOptions::GetMessageMap() const
{
    static const CMessageMapOf<WinOptions> map =
        CMessageMapOf<WinOptions>(WinPanel::GetMessageMap()).On(WM_CTLCOLORSTATIC, &WinOptions::OnCtlColorMsg);
    return &map;
}

long WinOptions::LeadingWholeNumber(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin)
        return 0;
    // A number too long for a length keeps its sign and the largest value.
    if (value > LONG_MAX)
        return LONG_MAX;
    if (value < LONG_MIN)
        return LONG_MIN;
    return static_cast<long>(value);
}

// ---- Opening ----------------------------------------------------------------------------------

BOOL WinOptions::OnInitDialog()
{
    WinPanel::OnInitDialog();
    SetBackColor(0xFFFFFF);
    if (HWND parent = ::GetParent(m_hWnd)) {
        RECT client = {0, 0, 0, 0};
        ::GetClientRect(parent, &client);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOMOVE);
    }
    ReadLocale(true);

    const struct {
        int id;
        const char* key;
    } headings[] = {{IDC_OPTIONS_GOAL_TITLE, "g1"}, {IDC_OPTIONS_LEVEL_TITLE, "g2"}, {IDC_OPTIONS_RESULTS_TITLE, "g3"}};
    for (const auto& h : headings) {
        if (HWND window = GetDlgItem(h.id)) {
            SetFont(h.id, "font.2b");
            auto* label = new ICStatic(window, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            AddControl(label);
        }
    }
    for (int id : {IDC_OPTIONS_YIELD, IDC_OPTIONS_COST, IDC_OPTIONS_STANDARD, IDC_OPTIONS_MULTIPASS,
                   IDC_OPTIONS_REMNANTS_TITLE, IDC_OPTIONS_SORT_TITLE, IDC_OPTIONS_DIVERSITY_TITLE,
                   IDC_OPTIONS_SORT, IDC_OPTIONS_DIVERSITY, IDC_OPTIONS_NOTE})
        SetFont(id, "text");
    SetFont(IDC_OPTIONS_REMNANTS, "number");
    ApplyTexts();

    m_material = nullptr;
    if (DCSProject* current = App().Document().GetProject(-1, false))
        ShowOptions(*current);
    return TRUE;
}

void WinOptions::ApplyLocale()
{
    if (!LanguageChanged())
        return;
    ReadLocale(true);
    ApplyTexts();
    if (m_material)
        ShowOptions(*m_material);
}

void WinOptions::ApplyTexts()
{
    for (const auto& h : {std::make_pair(IDC_OPTIONS_GOAL_TITLE, "g1"), std::make_pair(IDC_OPTIONS_LEVEL_TITLE, "g2"),
                          std::make_pair(IDC_OPTIONS_RESULTS_TITLE, "g3")})
        if (auto* label = dynamic_cast<ICStatic*>(FindControl(h.first)))
            label->SetText(Text(h.second, "").c_str());

    // The template's texts stand where the locale has none.
    const struct {
        int id;
        const char* key;
        bool hint;
    } texts[] = {{IDC_OPTIONS_YIELD, "g1.r1", false},         {IDC_OPTIONS_COST, "g1.r2", false},
                 {IDC_OPTIONS_STANDARD, "g2.r1", false},      {IDC_OPTIONS_MULTIPASS, "g2.r2", false},
                 {IDC_OPTIONS_REMNANTS_TITLE, "g3.r1", true}, {IDC_OPTIONS_SORT_TITLE, "g3.r2", true},
                 {IDC_OPTIONS_DIVERSITY_TITLE, "g3.r3", true}};
    for (const auto& t : texts) {
        HWND window = GetDlgItem(t.id);
        if (!window)
            continue;
        const std::string text = Text(t.key, "");
        if (!text.empty())
            ::SetWindowTextA(window, text.c_str());
        const std::string hint = t.hint ? Hint(t.key, "") : std::string();
        if (!hint.empty())
            ICHint::SetWindowHint(window, hint.c_str());
    }

    FillList(IDC_OPTIONS_SORT, IDC_OPTIONS_SORT_TITLE, "g3.r2.data", "Length aA,Length Aa,Index");
    if (!FillList(IDC_OPTIONS_DIVERSITY, IDC_OPTIONS_DIVERSITY_TITLE, "g3.r3.data", "Not set,1,2,3"))
        ::SetDlgItemTextA(m_hWnd, IDC_OPTIONS_NOTE, "");
}

bool WinOptions::FillList(int listId, int labelId, const char* key, const char* def)
{
    HWND list = GetDlgItem(listId);
    if (!list)
        return false;
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    std::vector<std::string> items;
    StrSplit(Text(key, def), items, ",");
    long count = 0;
    for (const std::string& item : items) {
        if (item.empty())
            continue;
        ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        ++count;
    }
    const int show = count > 0 ? SW_SHOW : SW_HIDE;
    ::ShowWindow(list, show);
    if (HWND label = GetDlgItem(labelId))
        ::ShowWindow(label, show);
    return count > 0;
}

// ---- Showing a material -----------------------------------------------------------------------

long WinOptions::Option(const char* key) const
{
    return m_material ? LeadingWholeNumber(m_material->GetProperty(key)) : 0;
}

bool WinOptions::LoadMaterial(DCSProject* material)
{
    if (!material || !IsWindow())
        return false;
    m_material = material;
    ShowOptions(*material);
    return true;
}

void WinOptions::ShowOptions(DCSProject& material)
{
    ::EnumChildWindows(m_hWnd, EnableChildProc, 1);
    for (const RadioPair& pair : {kGoal, kLevel}) {
        const long index = LeadingWholeNumber(material.GetProperty(pair.key));
        ::CheckDlgButton(m_hWnd, pair.first, index == 0 ? BST_CHECKED : BST_UNCHECKED);
        ::CheckDlgButton(m_hWnd, pair.second, index == 1 ? BST_CHECKED : BST_UNCHECKED);
    }
    ::SetDlgItemTextA(m_hWnd, IDC_OPTIONS_REMNANTS, material.GetProperty("remnants", "0").c_str());
    SelectItem(IDC_OPTIONS_SORT, LeadingWholeNumber(material.GetProperty("sort")));
    const long diversity = LeadingWholeNumber(material.GetProperty("diversity"));
    SelectItem(IDC_OPTIONS_DIVERSITY, diversity);
    ShowNote(diversity);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void WinOptions::SelectItem(int listId, long index)
{
    HWND list = GetDlgItem(listId);
    if (!list)
        return;
    if (index < 0 || ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR)
        ::SendMessageA(list, CB_SETCURSEL, 0, 0);
}

void WinOptions::ShowNote(long diversity)
{
    // Without a diversity list there is nothing for the note to speak of.
    HWND list = GetDlgItem(IDC_OPTIONS_DIVERSITY);
    const bool listed = list && ::SendMessageA(list, CB_GETCOUNT, 0, 0) > 0;
    const std::string note = listed && diversity != 0 ? Text(kNoteKey, "") : std::string();
    ::SetDlgItemTextA(m_hWnd, IDC_OPTIONS_NOTE, note.c_str());
}

void WinOptions::Forget()
{
    m_material = nullptr;
    ::EnumChildWindows(m_hWnd, EnableChildProc, 0);
}

// ---- Commands ---------------------------------------------------------------------------------

BOOL WinOptions::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (!m_material)
        return WinPanel::OnCommand(wParam, lParam);
    // The page's commands are a click, leaving the remnants box and a new
    // choice in a list; typing and focus changes are left to the controls.
    switch (id) {
    case IDC_OPTIONS_YIELD:
    case IDC_OPTIONS_COST:
    case IDC_OPTIONS_STANDARD:
    case IDC_OPTIONS_MULTIPASS: {
        if (code != BN_CLICKED)
            return WinPanel::OnCommand(wParam, lParam);
        // They take effect at the next calculation: the results stay.
        const RadioPair& pair = (id == IDC_OPTIONS_YIELD || id == IDC_OPTIONS_COST) ? kGoal : kLevel;
        const long index = id == pair.first ? 0 : 1;
        if (index != Option(pair.key)) {
            ::CheckDlgButton(m_hWnd, pair.first, index == 0 ? BST_CHECKED : BST_UNCHECKED);
            ::CheckDlgButton(m_hWnd, pair.second, index == 1 ? BST_CHECKED : BST_UNCHECKED);
        }
        m_material->SetProperty(pair.key, StrFromLong(index).c_str());
        break;
    }
    case IDC_OPTIONS_REMNANTS:
        if (code != EN_KILLFOCUS)
            return WinPanel::OnCommand(wParam, lParam);
        StoreRemnants();
        break;
    case IDC_OPTIONS_SORT:
    case IDC_OPTIONS_DIVERSITY:
        if (code != CBN_SELCHANGE)
            return WinPanel::OnCommand(wParam, lParam);
        StoreChoice(id, id == IDC_OPTIONS_SORT ? "sort" : "diversity");
        break;
    default:
        return WinPanel::OnCommand(wParam, lParam);
    }
    // With or without a change the material is brought up to date.
    App().ResetCurrentMaterial();
    return TRUE;
}

void WinOptions::StoreRemnants()
{
    const std::string typed = WinGetText(MaxRemnantsText, GetDlgItem(IDC_OPTIONS_REMNANTS), false).ToStdString();
    const std::string value = StrFromLong(LeadingWholeNumber(typed));
    m_material->SetProperty("remnants", value.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_OPTIONS_REMNANTS, value.c_str());
    ResultsChanged();
}

void WinOptions::StoreChoice(int listId, const char* key)
{
    const LRESULT chosen = ::SendDlgItemMessageA(m_hWnd, listId, CB_GETCURSEL, 0, 0);
    if (chosen == CB_ERR || chosen == Option(key))
        return;
    m_material->SetProperty(key, StrFromLong(static_cast<long>(chosen)).c_str());
    if (listId == IDC_OPTIONS_DIVERSITY)
        ShowNote(static_cast<long>(chosen));
    ResultsChanged();
}

void WinOptions::ResultsChanged()
{
    m_material->RefreshResults();
    if (HWND main = App().GetMainHwnd())
        ::SendMessageA(main, WM_USER, kEventMaterialOptionsChanged, 0);
}

// ---- Events -----------------------------------------------------------------------------------

void WinOptions::OnAppEvent(long code, const void*)
{
    switch (code) {
    case kEventProjectClosed:
        Forget();
        break;
    case kEventCurrentMaterialChanged:
        // With no current material (the last one removed) the page must let
        // go of the one it showed, which may be gone.
        if (!LoadMaterial(App().Document().GetProject(-1, false)))
            Forget();
        break;
    default:
        break;
    }
}

// ---- Painting ---------------------------------------------------------------------------------

LRESULT WinOptions::OnCtlColorMsg(WPARAM wParam, LPARAM lParam)
{
    return CtlColorWithNote(wParam, lParam, IDC_OPTIONS_NOTE, NoteColour);
}

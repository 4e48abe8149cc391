// The calculation options page: what it shows of the current material, how
// each control stores its option, which changes rebuild the shown results
// (without calculating) and tell the panels, and the page without a material.
#include "panels/WinOptions.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "PanelHost.h"
#include "controls/ICList.h"
#include "panels/PanelIds.h"
#include "support/CalculationOrders.h"
#include "support/SolvedMaterial.h"

namespace {

const char* const kNote = "Limiting the part lengths per stock may use much more stock.";

class OptionsPage : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NE(nullptr, host.options);
        OpenProject({"Steel", "Pine"});
        host.ShowOptions();
        material = App().Document().GetProject(0, false);
        ASSERT_NE(nullptr, material);
        page = host.options;
        ASSERT_EQ(material, page->GetMaterial());
    }

    HWND Item(int id) { return page->GetDlgItem(id); }
    std::string TextOf(int id)
    {
        char text[2048] = "";
        GetWindowTextA(Item(id), text, sizeof(text));
        return text;
    }
    bool Checked(int id) { return IsDlgButtonChecked(page->m_hWnd, id) == BST_CHECKED; }
    long Selected(int id) { return static_cast<long>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0)); }
    void Send(int id, UINT code)
    {
        page->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
        Pump();
    }
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); Pump(); }
    // As the user picks an item: the list tells its new choice itself.
    void Choose(int id, long index)
    {
        SendMessageA(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        Send(id, CBN_SELCHANGE);
    }
    void LeaveRemnants(const char* typed)
    {
        SetWindowTextA(Item(IDC_OPTIONS_REMNANTS), typed);
        Send(IDC_OPTIONS_REMNANTS, EN_KILLFOCUS);
    }
    long Count(long code)
    {
        long n = 0;
        for (long c : host.Codes())
            n += c == code ? 1 : 0;
        return n;
    }
    // The material shown again as the project panel shows it.
    void Reselect()
    {
        App().OnAppEvent(kEventCurrentMaterialChanged, 0);
        host.events.clear();
        host.fileMenuUpdates = 0;
    }

    DCSProject* material = nullptr;
    WinOptions* page = nullptr;
};

std::string Cell(ICList* list, int row, int column)
{
    char text[512] = "";
    ListView_GetItemText(list->GetHwnd(), row, column, text, sizeof(text));
    return text;
}

TEST_F(OptionsPage, ShowsTheOptionsOfTheCurrentMaterial)
{
    DCSProject* pine = App().Document().GetProject(1, false);
    for (const auto& entry : std::vector<std::pair<const char*, const char*>>{
             {"optimize", "1"}, {"level", "1"}, {"remnants", "300"}, {"sort", "2"}, {"diversity", "3"}})
        ASSERT_TRUE(pine->SetProperty(entry.first, entry.second));
    App().SelectMaterial(1);
    EXPECT_EQ(pine, page->GetMaterial());
    EXPECT_FALSE(Checked(IDC_OPTIONS_YIELD));
    EXPECT_TRUE(Checked(IDC_OPTIONS_COST));
    EXPECT_FALSE(Checked(IDC_OPTIONS_STANDARD));
    EXPECT_TRUE(Checked(IDC_OPTIONS_MULTIPASS));
    EXPECT_EQ("300", TextOf(IDC_OPTIONS_REMNANTS));
    EXPECT_EQ(2, Selected(IDC_OPTIONS_SORT));
    EXPECT_EQ(3, Selected(IDC_OPTIONS_DIVERSITY));
    EXPECT_EQ(kNote, TextOf(IDC_OPTIONS_NOTE));

    // A fresh material: the defaults.
    App().SelectMaterial(0);
    EXPECT_TRUE(Checked(IDC_OPTIONS_YIELD));
    EXPECT_FALSE(Checked(IDC_OPTIONS_COST));
    EXPECT_TRUE(Checked(IDC_OPTIONS_STANDARD));
    EXPECT_EQ("0", TextOf(IDC_OPTIONS_REMNANTS));
    EXPECT_EQ(0, Selected(IDC_OPTIONS_SORT));
    EXPECT_EQ(0, Selected(IDC_OPTIONS_DIVERSITY));
    EXPECT_EQ("", TextOf(IDC_OPTIONS_NOTE));
}

TEST_F(OptionsPage, ListsShowTheFirstItemForAStoredIndexTheyDoNotHave)
{
    const struct {
        const char* sort;
        const char* diversity;
        long sortShown;
        long diversityShown;
    } cases[] = {{"-1", "-2", 0, 0}, {"7", "4", 0, 0}, {"", "", 0, 0}, {"1", "2", 1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sort) + " / " + c.diversity);
        material->SetProperty("sort", c.sort);
        material->SetProperty("diversity", c.diversity);
        Reselect();
        EXPECT_EQ(c.sortShown, Selected(IDC_OPTIONS_SORT));
        EXPECT_EQ(c.diversityShown, Selected(IDC_OPTIONS_DIVERSITY));
    }
}

TEST_F(OptionsPage, TheRemnantsBoxStoresTheLeadingWholeNumberAndTellsThePanels)
{
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"250.75", "250"}, {"", "0"},      {"abc", "0"},          {" 42 mm", "42"},
                 {"-5", "-5"},      {"007", "7"},   {"99999999999", "2147483647"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Reselect();
        SetWindowTextA(Item(IDC_OPTIONS_REMNANTS), c.typed);
        host.fileMenuUpdates = 0;
        Send(IDC_OPTIONS_REMNANTS, EN_KILLFOCUS);
        EXPECT_EQ(c.stored, material->GetProperty("remnants"));
        EXPECT_EQ(c.stored, TextOf(IDC_OPTIONS_REMNANTS));
        EXPECT_EQ(std::vector<long>{kEventMaterialOptionsChanged}, host.Codes());
        EXPECT_GE(host.fileMenuUpdates, 1);
    }
    EXPECT_TRUE(App().Document().IsModified());
}

TEST_F(OptionsPage, TheDiversityNoteFollowsTheChoiceInItsColour)
{
    Choose(IDC_OPTIONS_DIVERSITY, 2);
    EXPECT_EQ("2", material->GetProperty("diversity"));
    EXPECT_EQ(kNote, TextOf(IDC_OPTIONS_NOTE));
    EXPECT_EQ(1, Count(kEventMaterialOptionsChanged));

    HDC dc = CreateCompatibleDC(nullptr);
    page->SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                      reinterpret_cast<LPARAM>(Item(IDC_OPTIONS_NOTE)));
    EXPECT_EQ(WinOptions::NoteColour, GetTextColor(dc));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    DeleteDC(dc);

    Choose(IDC_OPTIONS_DIVERSITY, 0);
    EXPECT_EQ("0", material->GetProperty("diversity"));
    EXPECT_EQ("", TextOf(IDC_OPTIONS_NOTE));
    EXPECT_EQ(2, Count(kEventMaterialOptionsChanged));
}

TEST_F(OptionsPage, ChoosingTheStoredItemChangesNothingButStillRefreshesTheMaterial)
{
    material->SetProperty("sort", "1");
    material->SetProperty("diversity", "3");
    material->Refresh(true);
    for (int id : {IDC_OPTIONS_SORT, IDC_OPTIONS_DIVERSITY}) {
        SCOPED_TRACE(id);
        Reselect();
        Choose(id, Selected(id));
        EXPECT_TRUE(host.events.empty());
        EXPECT_GE(host.fileMenuUpdates, 1);
    }
    EXPECT_EQ("1", material->GetProperty("sort"));
    EXPECT_EQ("3", material->GetProperty("diversity"));
    EXPECT_EQ(kNote, TextOf(IDC_OPTIONS_NOTE));
    EXPECT_FALSE(App().Document().IsModified());
}

TEST_F(OptionsPage, TheRadioButtonsStoreGoalAndLevelAndLeaveTheResultsAlone)
{
    FillSolved(*material);
    material->Refresh(true);
    Reselect();
    const PropsList before = material->GetCuttingRows();
    Click(IDC_OPTIONS_COST);
    EXPECT_EQ("1", material->GetProperty("optimize"));
    EXPECT_TRUE(Checked(IDC_OPTIONS_COST));
    EXPECT_FALSE(Checked(IDC_OPTIONS_YIELD));
    Click(IDC_OPTIONS_MULTIPASS);
    EXPECT_EQ("1", material->GetProperty("level"));
    EXPECT_FALSE(Checked(IDC_OPTIONS_STANDARD));
    Click(IDC_OPTIONS_YIELD);
    EXPECT_EQ("0", material->GetProperty("optimize"));
    EXPECT_TRUE(host.events.empty());
    EXPECT_GE(host.fileMenuUpdates, 3);
    EXPECT_TRUE(App().Document().IsModified());
    ASSERT_EQ(before.size(), material->GetCuttingRows().size());
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(DProps::GetString(before[i], "layout", ""),
                  DProps::GetString(material->GetCuttingRows()[i], "layout", ""));
}

TEST_F(OptionsPage, ANewSortReordersTheShownCuttingsWithoutCalculating)
{
    // Two patterns of the first stock: one bar of 1500 x2 + 1000 x2 and two
    // bars of 1000 + 700.
    FillOrder(*material);
    ApplyPatterns(*material, {{1, 1, {{1, 2}, {2, 2}}}, {1, 2, {{2, 1}, {3, 1}}}});
    material->SetProperty("calculation", "00C0FFEE");
    App().OnAppEvent(kEventSolutionsChanged, 0);
    Pump();
    Reselect();
    ICList* cuttings = host.results->GetCuttingList();
    ASSERT_EQ(2, ListView_GetItemCount(cuttings->GetHwnd()));
    EXPECT_EQ("1", Cell(cuttings, 0, 1));
    EXPECT_EQ("2", Cell(cuttings, 1, 1));
    const std::string shortFirst = Cell(cuttings, 0, 3);
    const std::string length1500 = FormatLengthText("1500", false);
    const std::string length1000 = FormatLengthText("1000", false);
    ASSERT_LT(shortFirst.find(length1000), shortFirst.find(length1500)) << shortFirst;

    VisibleDialogWatch watch(host.m_hWnd);
    Choose(IDC_OPTIONS_SORT, 1);
    EXPECT_EQ("1", material->GetProperty("sort"));
    // The most copied pattern first, each one's parts from the longest.
    ASSERT_EQ(2, ListView_GetItemCount(cuttings->GetHwnd()));
    EXPECT_EQ("2", Cell(cuttings, 0, 1));
    EXPECT_EQ("1", Cell(cuttings, 1, 1));
    const std::string longFirst = Cell(cuttings, 1, 3);
    EXPECT_LT(longFirst.find(length1500), longFirst.find(length1000)) << longFirst;
    EXPECT_EQ(DProps::GetString(material->GetCuttingRows()[1], "layout", ""), longFirst);

    // No calculation ran: no dialog, no new solutions, the same calculation.
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_EQ(std::vector<long>{kEventMaterialOptionsChanged}, host.Codes());
    EXPECT_EQ(0, material->GetSolutions().Count());
    EXPECT_EQ("00C0FFEE", material->GetProperty("calculation"));
    EXPECT_TRUE(material->HasCuttings());
}

TEST_F(OptionsPage, ClosingTheProjectDisablesThePageUntilTheNextCurrentMaterial)
{
    App().OnAppEvent(kEventProjectClosed, 0);
    EXPECT_EQ(nullptr, page->GetMaterial());
    for (int id : {IDC_OPTIONS_YIELD, IDC_OPTIONS_MULTIPASS, IDC_OPTIONS_REMNANTS, IDC_OPTIONS_SORT,
                   IDC_OPTIONS_DIVERSITY, IDC_OPTIONS_REMNANTS_TITLE})
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    // Without a material a command is not the page's.
    host.events.clear();
    host.fileMenuUpdates = 0;
    LeaveRemnants("800");
    EXPECT_EQ("0", material->GetProperty("remnants"));
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(0, host.fileMenuUpdates);

    App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    EXPECT_EQ(material, page->GetMaterial());
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_OPTIONS_REMNANTS)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_OPTIONS_SORT)));
    EXPECT_EQ("0", TextOf(IDC_OPTIONS_REMNANTS));
}

TEST_F(OptionsPage, WithTheLastMaterialRemovedThePageLetsGoOfIt)
{
    ASSERT_TRUE(App().Document().RemoveMaterial(1));
    ASSERT_TRUE(App().Document().RemoveMaterial(0));
    App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    EXPECT_EQ(nullptr, page->GetMaterial());
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_OPTIONS_SORT)));
    host.events.clear();
    Choose(IDC_OPTIONS_SORT, 2);
    EXPECT_TRUE(host.events.empty());
}

TEST_F(OptionsPage, AListWithoutItemsIsHiddenWithItsLabelAndTheNote)
{
    DProps saved;
    ASSERT_TRUE(App().Locale().GetSection("window.options", saved));
    DProps changed(saved);
    changed.Set("g3.r2.data", ",,");
    changed.Set("g3.r3.data", ",");
    ASSERT_TRUE(App().Locale().SetSection("window.options", changed));
    material->SetProperty("diversity", "2");
    WinOptions bare;
    const bool created = bare.Create(kPanelOptions, &host) != FALSE;
    App().Locale().SetSection("window.options", saved);
    ASSERT_TRUE(created);
    ASSERT_TRUE(bare.LoadMaterial(material));
    for (int id : {IDC_OPTIONS_SORT, IDC_OPTIONS_SORT_TITLE, IDC_OPTIONS_DIVERSITY, IDC_OPTIONS_DIVERSITY_TITLE})
        EXPECT_FALSE(GetWindowLongPtrA(bare.GetDlgItem(id), GWL_STYLE) & WS_VISIBLE) << id;
    EXPECT_TRUE(GetWindowLongPtrA(bare.GetDlgItem(IDC_OPTIONS_REMNANTS), GWL_STYLE) & WS_VISIBLE);
    char note[256] = "?";
    GetDlgItemTextA(bare.m_hWnd, IDC_OPTIONS_NOTE, note, sizeof(note));
    EXPECT_STREQ("", note);
    bare.DestroyWindow();
}

} // namespace

// The results page: what it shows of an applied solution, its buttons, the
// comment's line limit, calculating from the page (with the progress and
// solution dialogs driven like a user, and as a script drives it), the
// exports of the shown material and taking over a layout edited by hand.
#include "panels/WinProcess.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cctype>
#include <string>
#include <vector>

#include "PanelHost.h"
#include "controls/ICList.h"
#include "dialogs/DialogIds.h"
#include "dialogs/DlgDelimited.h"
#include "panels/PanelIds.h"
#include "support/UiScript.h"
#include "support/CalculationOrders.h"
#include "support/SolvedMaterial.h"

namespace {

const char* const kSolutionsCaption = "Select Solution";
const char* const kProgressCaption = "Calculating...";

std::string Cell(ICList* list, int row, int column)
{
    char text[512] = "";
    ListView_GetItemText(list->GetHwnd(), row, column, text, sizeof(text));
    return text;
}

int Rows(ICList* list)
{
    return ListView_GetItemCount(list->GetHwnd());
}

bool SawWindow(const std::vector<std::string>& seen, const std::string& caption)
{
    for (const std::string& s : seen)
        if (s == caption)
            return true;
    return false;
}

class ResultsPage : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        ASSERT_NE(nullptr, host.results);
        App().AutomationRequest().Clear();
        OpenProject({"Steel"});
        host.ShowResults();
        material = App().Document().GetProject(0, false);
        ASSERT_NE(nullptr, material);
        page = host.results;
    }
    void TearDown() override
    {
        App().AutomationRequest().Clear();
        PanelTest::TearDown();
    }

    // The "\res" a script's runner collects from the application ("" while
    // the request is pending).
    static std::string ScriptAnswer()
    {
        DProps record;
        App().CollectAutomationAnswer(record);
        return DProps::GetString(record, "\\res", "");
    }

    // The solution applied as a calculation leaves it, then shown.
    void ShowSolved(const char* remnants = "500")
    {
        material->SetProperty("remnants", remnants);
        FillSolved(*material);
        material->ComputeOrphans();
        App().OnAppEvent(kEventSolutionsChanged, 0);
        Pump();
        host.events.clear();
    }
    bool Enabled(int id) { return IsWindowEnabled(page->GetDlgItem(id)) != FALSE; }
    void Click(int id)
    {
        page->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(page->GetDlgItem(id)));
        Pump();
    }
    // The value of the parameter row with that title, "?" when none.
    std::string Parameter(const std::string& title)
    {
        ICList* list = page->GetParameterList();
        for (int row = 0; row < Rows(list); ++row)
            if (Cell(list, row, 0) == title)
                return Cell(list, row, 1);
        return "?";
    }

    DCSProject* material = nullptr;
    WinProcess* page = nullptr;
};

TEST_F(ResultsPage, AnAppliedSolutionShowsItsParametersStocksAndCuttings)
{
    ShowSolved();
    EXPECT_EQ(material, page->GetMaterial());
    // 3 bars, 12 of the 13 parts placed.
    const std::string unit = App().GetUnitLabel(1, "");
    const std::string suffix = unit.empty() ? "" : " " + unit;
    EXPECT_EQ("3" + suffix, Parameter("Stock used"));
    EXPECT_EQ("12 of 13" + suffix, Parameter("Parts placed"));
    const std::string waste = Parameter("Waste");
    EXPECT_NE(std::string::npos, waste.find(" %")) << waste;
    EXPECT_EQ("?", Parameter("param.type"));

    ICList* stocks = page->GetStockList();
    ASSERT_EQ(2, Rows(stocks));
    EXPECT_EQ("1", Cell(stocks, 0, 0));
    EXPECT_EQ("2", Cell(stocks, 0, 1));
    EXPECT_EQ("2", Cell(stocks, 1, 0));
    EXPECT_EQ("1", Cell(stocks, 1, 1));
    EXPECT_NE("", stocks->GetRowAttribute(0, "uid"));
    EXPECT_EQ(0, ListGetSelected(stocks->GetHwnd()));

    // The first stock's one pattern: 2 bars, numbered from 1.
    ICList* cuttings = page->GetCuttingList();
    ASSERT_EQ(1, Rows(cuttings));
    EXPECT_EQ("1", Cell(cuttings, 0, 0));
    EXPECT_EQ("2", Cell(cuttings, 0, 1));
    EXPECT_EQ(FormatLengthText(DProps::GetString(material->GetCuttingRows()[0], "remains", "").c_str(), false),
              Cell(cuttings, 0, 2));
    EXPECT_EQ(DProps::GetString(material->GetCuttingRows()[0], "layout", ""), Cell(cuttings, 0, 3));

    // The second stock: only its own pattern, numbered from 1 again.
    ListSelect(stocks->GetHwnd(), 1, 0, 1);
    Pump();
    ASSERT_EQ(1, Rows(cuttings));
    EXPECT_EQ("1", Cell(cuttings, 0, 0));
    EXPECT_EQ("1", Cell(cuttings, 0, 1));
}

TEST_F(ResultsPage, AnUnusedStockAndUntrackedRemnantsShowDashes)
{
    material->SetProperty("remnants", "0");
    FillOrder(*material);
    ApplyPatterns(*material, {{1, 2, {{1, 2}, {2, 2}}}});
    App().OnAppEvent(kEventSolutionsChanged, 0);
    Pump();
    EXPECT_EQ("-", Parameter("Remnants"));
    ICList* stocks = page->GetStockList();
    ASSERT_EQ(2, Rows(stocks));
    EXPECT_EQ("-", Cell(stocks, 0, 4));
    EXPECT_EQ("0", Cell(stocks, 1, 1));
    for (int column = 2; column <= 6; ++column)
        EXPECT_EQ("-", Cell(stocks, 1, column)) << column;
}

TEST_F(ResultsPage, ButtonsFollowTheResultsAndClearTakesThemAway)
{
    App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    EXPECT_TRUE(Enabled(IDC_RESULTS_CALC));
    for (int id : {IDC_RESULTS_REPORT, IDC_RESULTS_CLEAR, IDC_RESULTS_EDIT, IDC_RESULTS_EXPORT})
        EXPECT_FALSE(Enabled(id)) << id;

    ShowSolved();
    for (int id : {IDC_RESULTS_CALC, IDC_RESULTS_REPORT, IDC_RESULTS_CLEAR, IDC_RESULTS_EDIT, IDC_RESULTS_EXPORT,
                   IDC_RESULTS_EXPORT_CUTTINGS, IDC_RESULTS_EXPORT_FREE})
        EXPECT_TRUE(Enabled(id)) << id;

    Click(IDC_RESULTS_CLEAR);
    EXPECT_FALSE(material->HasCuttings());
    EXPECT_EQ(0, Rows(page->GetParameterList()));
    EXPECT_EQ(0, Rows(page->GetStockList()));
    EXPECT_EQ(0, Rows(page->GetCuttingList()));
    EXPECT_TRUE(Enabled(IDC_RESULTS_CALC));
    for (int id : {IDC_RESULTS_REPORT, IDC_RESULTS_CLEAR, IDC_RESULTS_EDIT, IDC_RESULTS_EXPORT})
        EXPECT_FALSE(Enabled(id)) << id;
}

// Drawing that reaches a list, counted while the list is subclassed.
struct DrawCounter {
    static int count;
    static WNDPROC previous;
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_PAINT || message == WM_NCPAINT || message == WM_PRINT || message == WM_PRINTCLIENT)
            ++count;
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }
    explicit DrawCounter(HWND window) : m_window(window)
    {
        count = 0;
        previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~DrawCounter() { SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous)); }
    HWND m_window;
};
int DrawCounter::count = 0;
WNDPROC DrawCounter::previous = nullptr;

TEST_F(ResultsPage, ListsAreNotDrawnWhileThePageRefillsThem)
{
    // Drawn while their rows came in, a few hundred cuttings kept the window
    // from repainting for seconds after each calculation.
    material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}})}, 1);
    material->AppendRows({RowOf({{"length", "500"}, {"quantity", "200"}}),
                          RowOf({{"length", "400"}, {"quantity", "200"}})}, 2);
    std::vector<PatternSpec> patterns;
    for (long n = 1; n <= 40; ++n)
        patterns.push_back({1, 1, {{1, n % 11 + 1}, {2, 1}}});
    ApplyPatterns(*material, patterns);
    Pump();
    UpdateWindow(host.m_hWnd);
    ICList* cuttings = page->GetCuttingList();
    ASSERT_EQ(40, Rows(cuttings));

    DrawCounter counter(cuttings->GetHwnd());
    page->Refresh();
    EXPECT_EQ(0, DrawCounter::count);
    EXPECT_EQ(40, Rows(cuttings));
    Pump();
    UpdateWindow(cuttings->GetHwnd());
    EXPECT_GE(DrawCounter::count, 1);  // drawn all the same, once the rows are in
}

TEST_F(ResultsPage, ProjectDataChangedFromThePageItselfLeavesItsButtonsAlone)
{
    ShowSolved();
    HWND edit = page->GetDlgItem(IDC_RESULTS_EDIT);
    EnableWindow(edit, FALSE);
    App().OnAppEvent(kEventProjectDataChanged, 0, page);
    EXPECT_FALSE(IsWindowEnabled(edit));
    App().OnAppEvent(kEventProjectDataChanged, 0, nullptr);
    EXPECT_TRUE(IsWindowEnabled(edit));
}

TEST_F(ResultsPage, ACommentOf40LinesIsCutTo32WithANote)
{
    App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    std::string text;
    for (int i = 1; i <= 40; ++i)
        text += (i > 1 ? "\r\n" : "") + std::string("line ") + std::to_string(i);
    HWND edit = page->GetDlgItem(IDC_RESULTS_COMMENT);
    // A multi-line edit tells no change of a text set from outside: the
    // notification typing would send.
    SetWindowTextA(edit, text.c_str());
    page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESULTS_COMMENT, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    Pump();
    EXPECT_EQ(32, SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
    char note[128] = "";
    GetDlgItemTextA(page->m_hWnd, IDC_RESULTS_NOTE, note, sizeof(note));
    EXPECT_STREQ("Max lines: 32", note);
    // Leaving the edit stores the 32 lines in the material.
    page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESULTS_COMMENT, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit));
    const std::string comment = material->GetProperty("comment");
    EXPECT_EQ(0u, comment.find("line 1\r\n"));
    EXPECT_NE(std::string::npos, comment.find("line 32"));
    EXPECT_EQ(std::string::npos, comment.find("line 33"));
    EXPECT_TRUE(App().Document().IsModified());
}

TEST_F(ResultsPage, TheHiddenCommentEditTakesNoCommentAndLeavingItStoresNothing)
{
    // The edit never shows: a long comment wrapped into it again and again
    // would cost seconds for nobody to see.
    material->SetProperty("comment", "Galvanised, cut from the left");
    App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    Pump();
    HWND edit = page->GetDlgItem(IDC_RESULTS_COMMENT);
    ASSERT_FALSE(GetWindowLongA(edit, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(0, GetWindowTextLengthA(edit));
    page->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RESULTS_COMMENT, EN_KILLFOCUS), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ("Galvanised, cut from the left", material->GetProperty("comment"));
}

// ---- Calculating ---------------------------------------------------------------------------------

TEST_F(ResultsPage, CalculateRunsTheSolverAndAppliesTheChosenSolution)
{
    SmallOrder(*material);
    App().Document().UpdateFingerprint(true);
    UiScript script(60000);
    script.OnWindow(kSolutionsCaption, [](HWND window) { SendMessageA(window, WM_COMMAND, IDOK, 0); });
    script.Start();
    Click(IDC_RESULTS_CALC);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(nullptr, page->GetRunningProgress());

    EXPECT_TRUE(material->HasCuttings());
    EXPECT_EQ(1, Rows(page->GetStockList()));
    EXPECT_GT(Rows(page->GetCuttingList()), 0);
    EXPECT_GT(Rows(page->GetParameterList()), 0);
    EXPECT_TRUE(Enabled(IDC_RESULTS_EDIT));
    EXPECT_TRUE(App().Document().IsModified());
    // 13 from the solution applied, 14, then 3 with 1 from the page.
    const std::vector<long> codes = host.Codes();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ((std::vector<long>{kEventSolutionsChanged, kEventProjectDataChanged, kEventCalculationFinished}),
              std::vector<long>(codes.end() - 3, codes.end()));
    EXPECT_EQ(1, host.events.back().argument);
    EXPECT_EQ(page, host.events.back().sender);
}

TEST_F(ResultsPage, BreakLeavesThePreviousResultsAndAsksForNoSolution)
{
    LargeOrder(*material);
    ApplyPatterns(*material, {{1, 1, {{1, 1}}}});
    App().OnAppEvent(kEventSolutionsChanged, 0);
    Pump();
    const PropsList before = material->GetCuttingRows();
    ASSERT_EQ(1u, before.size());
    host.events.clear();

    VisibleDialogWatch watch(host.m_hWnd);
    UiScript script(60000);
    script.OnWindow(kProgressCaption,
                    [](HWND window) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BREAK, BN_CLICKED), 0); });
    script.Start();
    Click(IDC_RESULTS_CALC);
    EXPECT_EQ("", script.Failure());
    EXPECT_FALSE(SawWindow(watch.Seen(), kSolutionsCaption));
    ASSERT_FALSE(host.events.empty());
    EXPECT_EQ(kEventCalculationFinished, host.events.back().code);
    EXPECT_EQ(0, host.events.back().argument);
    for (const RecordedEvent& e : host.events)
        EXPECT_NE(kEventSolutionsChanged, e.code);
    ASSERT_EQ(1u, material->GetCuttingRows().size());
    EXPECT_EQ(DProps::GetString(before[0], "layout", ""), DProps::GetString(material->GetCuttingRows()[0], "layout", ""));
    EXPECT_EQ(1, Rows(page->GetCuttingList()));
}

TEST_F(ResultsPage, AnErrorInTheOrderListsTheWarningsAndCalculatesNothing)
{
    SmallOrder(*material, true, false);
    host.events.clear();
    VisibleDialogWatch watch(host.m_hWnd);
    UiScript script;
    script.OnWindow("Messages", [](HWND window) { SendMessageA(window, WM_COMMAND, IDCANCEL, 0); });
    script.Start();
    Click(IDC_RESULTS_CALC);
    EXPECT_EQ("", script.Failure());
    EXPECT_FALSE(SawWindow(watch.Seen(), kProgressCaption));
    EXPECT_TRUE(host.events.empty());
}

TEST_F(ResultsPage, AScriptTakesTheBestSolutionWithoutAskingAndHearsItWasApplied)
{
    SmallOrder(*material);
    App().SetAutomation(1);
    App().AutomationRequest().Begin();
    VisibleDialogWatch watch(host.m_hWnd);
    // As the script's command does it: the command posted to the page.
    page->PostMessage(WM_COMMAND, IDC_RESULTS_CALC, 0);
    const DWORD start = GetTickCount();
    while (App().HasAutomationRequest() && GetTickCount() - start < 60000) {
        Pump();
        Sleep(10);
    }
    EXPECT_FALSE(App().HasAutomationRequest());
    EXPECT_EQ("0", ScriptAnswer());
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_TRUE(material->HasCuttings());
}

TEST_F(ResultsPage, AScriptBreakStopsTheRunAndTheRequestHearsNothingWasApplied)
{
    LargeOrder(*material);
    App().SetAutomation(1);
    App().AutomationRequest().Begin();
    UiScript script(60000);
    script.Then([] { return UiScript::FindThreadWindow(kProgressCaption, false) != nullptr; },
                [] { App().OnAppEvent(kEventAutomationBreak, 0); }, "the hidden progress dialog");
    script.Start();
    Click(IDC_RESULTS_CALC);
    EXPECT_EQ("", script.Failure());
    EXPECT_FALSE(App().HasAutomationRequest());
    EXPECT_EQ("1", ScriptAnswer());
    EXPECT_FALSE(material->HasCuttings());
    // With nothing running the break changes nothing.
    host.events.clear();
    App().OnAppEvent(kEventAutomationBreak, 0);
    EXPECT_EQ(std::vector<long>{kEventAutomationBreak}, host.Codes());
}

TEST_F(ResultsPage, AScriptRequestIsAnsweredWhenTheOrderHasAnError)
{
    SmallOrder(*material, true, false);
    App().SetAutomation(1);
    App().AutomationRequest().Begin();
    host.events.clear();
    VisibleDialogWatch watch(host.m_hWnd);
    Click(IDC_RESULTS_CALC);
    EXPECT_FALSE(App().HasAutomationRequest());
    EXPECT_EQ("1", ScriptAnswer());
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_TRUE(host.events.empty());
}

// ---- Exports and the layout editor ------------------------------------------------------------------

TEST_F(ResultsPage, TheCuttingsExportListsTheStockBeforeTheMaterialWithItsLengthFormatted)
{
    ShowSolved();
    App().Settings().Set("export.cuttings.separator", ";");
    App().Settings().Set("export.cuttings.fields", "id;blank.id;material;blank.length;copies");
    std::string output;
    UiScript script;
    ReadExportAndClose(script, output);
    script.Start();
    Click(IDC_RESULTS_EXPORT_CUTTINGS);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ("1;1;Steel;" + FormatLengthText("6000", false) + ";2\r\n2;2;Steel;" + FormatLengthText("4000", false) +
                  ";1\r\n",
              output);
}

TEST_F(ResultsPage, SavingAHandEditedLayoutRebuildsTheResultsWithANewCalculationId)
{
    // Parts of 1000: 5 bars of two and one bar of three leave one free.
    material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}})}, 1);
    material->AppendRows({RowOf({{"length", "1000"}, {"quantity", "14"}})}, 2);
    ApplyPatterns(*material, {{1, 5, {{1, 2}}}, {1, 1, {{1, 3}}}});
    material->SetProperty("calculation", "0000ABCD");
    App().OnAppEvent(kEventSolutionsChanged, 0);
    Pump();
    host.events.clear();

    auto item = [](HWND window, int id) { return GetDlgItem(window, id); };
    auto enabled = [item](HWND window, int id) { return IsWindowEnabled(item(window, id)) != FALSE; };
    auto freeSum = [item](HWND window) {
        HWND list = item(window, IDC_LAYOUT_FREE);
        char text[64] = "";
        ListView_GetItemText(list, ListView_GetItemCount(list) - 1, 1, text, sizeof(text));
        return std::string(text);
    };
    HWND editor = nullptr;
    UiScript script;
    script.OnWindow("Edit Patterns", [&](HWND window) {
        editor = window;
        ListSelect(item(window, IDC_LAYOUT_PATTERNS), 0, 0, 1);
        ListSelect(item(window, IDC_LAYOUT_PARTS), 0, 0, 1);
    });
    // Five copies and one free part: one more piece per bar cannot come.
    script.Then([&] { return editor && freeSum(editor) == "1"; },
                [&] {
                    EXPECT_FALSE(enabled(editor, IDC_LAYOUT_PLUS));
                    EXPECT_TRUE(enabled(editor, IDC_LAYOUT_MINUS));
                    EXPECT_FALSE(enabled(editor, IDOK));
                    // The copies row: one copy fewer gives its two parts back.
                    ListSelect(item(editor, IDC_LAYOUT_PARTS), 1, 0, 1);
                },
                "the first pattern's part row");
    script.Then([&] { return enabled(editor, IDC_LAYOUT_MINUS) && !enabled(editor, IDC_LAYOUT_PLUS); },
                [&] { SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_MINUS, BN_CLICKED), 0); },
                "the copies row");
    script.Then([&] { return freeSum(editor) == "3"; },
                [&] {
                    EXPECT_FALSE(enabled(editor, IDOK));
                    ListSelect(item(editor, IDC_LAYOUT_PATTERNS), 1, 0, 1);
                    ListSelect(item(editor, IDC_LAYOUT_PARTS), 0, 0, 1);
                },
                "three free parts");
    for (const char* left : {"2", "1", "0"})
        script.Then([&] { return enabled(editor, IDC_LAYOUT_PLUS); },
                    [&, left] {
                        SendMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_PLUS, BN_CLICKED), 0);
                        EXPECT_EQ(left, freeSum(editor));
                    },
                    "+ on the second pattern's part");
    script.Then([&] { return enabled(editor, IDOK); },
                [&] { SendMessageA(editor, WM_COMMAND, IDOK, 0); }, "Save enabled");
    script.Start();
    Click(IDC_RESULTS_EDIT);
    EXPECT_EQ("", script.Failure());

    const std::string id = material->GetProperty("calculation");
    ASSERT_EQ(8u, id.size());
    for (char c : id)
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')) << id;
    EXPECT_NE("0000ABCD", id);
    EXPECT_EQ(0, material->GetOrphans(""));
    ASSERT_EQ(2u, material->GetCuttingRows().size());
    EXPECT_EQ(std::vector<long>{kEventSolutionsChanged}, host.Codes());
    // The page shows the new patterns: 4 bars of two, 1 of six.
    ICList* cuttings = page->GetCuttingList();
    ASSERT_EQ(2, Rows(cuttings));
}

TEST_F(ResultsPage, CancellingTheEditorChangesNothing)
{
    ShowSolved();
    const std::string id = material->GetProperty("calculation");
    UiScript script;
    script.OnWindow("Edit Patterns", [](HWND window) { SendMessageA(window, WM_COMMAND, IDCANCEL, 0); });
    script.Start();
    Click(IDC_RESULTS_EDIT);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(id, material->GetProperty("calculation"));
    EXPECT_TRUE(host.events.empty());
}

} // namespace

namespace {

TEST_F(ResultsPage, TheExportMenuRunsTheChosenExportOfTheShownMaterial)
{
    ShowSolved();
    App().Settings().Set("export.remnants.separator", ";");
    App().Settings().Set("export.remnants.fields", "id;length;quantity");
    std::string output;
    UiScript script;
    script.ChooseFromMenu(2);
    ReadExportAndClose(script, output);
    script.Start();
    Click(IDC_RESULTS_EXPORT);
    EXPECT_EQ("", script.Failure());
    // Both patterns leave an offcut above 500, each with its bars.
    std::string expected;
    const PropsList& rows = material->GetCuttingRows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string remains = DProps::GetString(rows[i], "remains", "");
        ASSERT_GT(atof(remains.c_str()), 500.0);
        expected += std::to_string(i + 1) + ";" + FormatLengthText(remains.c_str(), false) + ";" +
                    DProps::GetString(rows[i], "copies", "") + "\r\n";
    }
    EXPECT_EQ(expected, output);
}

} // namespace

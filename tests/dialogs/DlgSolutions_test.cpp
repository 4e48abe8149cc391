// The choice of a solution: one row per solution with its statistics, the
// first selected, OK only for a solution with status 0, the chosen index
// handed back, the placement kept for the run.
#include "dialogs/DlgSolutions.h"

#include <commctrl.h>

#include "support/CalculationOrders.h"
#include "support/DialogFixture.h"
#include "dialogs/DialogIds.h"
#include "engine/Cutting.h"
#include "support/DialogDriving.h"
#include "support/KeyPress.h"

namespace {

const char* const kTitle = "Select Solution";

long SelectedRow(HWND dialog)
{
    return static_cast<long>(
        SendDlgItemMessageA(dialog, IDC_SOLUTIONS_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(HWND dialog, long row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(dialog, IDC_SOLUTIONS_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

class SolutionChoice : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
    }
    DCSProject& Material() { return *App().Document().GetProject(0, false); }
    // Runs the current material's calculation to its end.
    void Solve()
    {
        DCSProject& material = Material();
        SmallOrder(material);
        ASSERT_TRUE(material.Calculate(main.m_hWnd));
        const DWORD start = GetTickCount();
        while (material.IsRunning() && GetTickCount() - start < 30000) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        ASSERT_FALSE(material.IsRunning());
        ASSERT_GE(material.GetSolutions().Count(), 1);
    }
};

CUTTING::Layout Solution(std::vector<std::pair<const char*, const char*>> stats, long demand, long unplaced)
{
    CUTTING::Layout layout;
    for (auto& s : stats)
        layout.props.Set(s.first, s.second);
    layout.pieces.push_back(CUTTING::Piece(1, 1000, demand));
    if (unplaced)
        layout.orphans.push_back(CUTTING::Piece(1, 1000, unplaced));
    layout.cuttings.resize(3);
    return layout;
}

} // namespace

TEST(SolutionRows, EachColumnShowsItsStatisticTheWayTheListShowsIt)
{
    struct Case {
        const char* what;
        CUTTING::Layout layout;
        bool remnants;
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        {"complete",
         Solution({{"used", "4"}, {"waste", "12.3456"}, {"remnants", "1500.00000"}, {"shifts", "2"},
                   {"cost", "12345.5"}, {"status", "0"}},
                  120, 0),
         true,
         {"1", "4", "120", "12.35 %", "1500", "2", "12 345.5", "3", "Done"}},
        {"unplaced parts, remnants not tracked, an incomplete status",
         Solution({{"used", "7"}, {"waste", ""}, {"remnants", "800"}, {"shifts", "1"}, {"cost", "10"},
                   {"status", "42"}},
                  120, 2),
         false,
         {"1", "7", "118 of 120", "0.00 %", "-", "1", "10", "3", "Incomplete"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.cells, DlgSolutions::RowCells(0, c.layout, c.remnants, "of"));
    }
}

TEST_F(SolutionChoice, ListsOneRowPerSolutionWithTheFirstSelectedAndHandsBackTheChoice)
{
    Solve();
    const long count = Material().GetSolutions().Count();
    DlgSolutions dialog(&main);
    long rows = -1, selected = -1;
    bool okEnabled = false;
    std::string firstId, firstStatus;
    UiScript script;
    script.OnWindow(kTitle, [&](HWND d) {
        rows = ListRows(d, IDC_SOLUTIONS_LIST);
        selected = SelectedRow(d);
        okEnabled = Enabled(d, IDOK);
        firstId = ListCell(d, IDC_SOLUTIONS_LIST, 0, 0);
        firstStatus = ListCell(d, IDC_SOLUTIONS_LIST, 0, 8);
        SelectRow(d, rows - 1);
        Click(d, IDOK);
    });
    script.Start();
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    // Two passes, four with levelling: never more rows than solutions.
    EXPECT_LE(count, 4);
    EXPECT_EQ(count, rows);
    EXPECT_EQ(0, selected);
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ("1", firstId);
    EXPECT_EQ("Done", firstStatus);
    EXPECT_EQ(count - 1, dialog.GetChosen());
}

TEST_F(SolutionChoice, WithoutSolutionsNothingCanBeChosen)
{
    SmallOrder(Material());
    DlgSolutions dialog(&main);
    long rows = -1;
    bool okEnabled = true;
    UiScript script;
    script.OnWindow(kTitle, [&](HWND d) {
        rows = ListRows(d, IDC_SOLUTIONS_LIST);
        okEnabled = Enabled(d, IDOK);
        Click(d, IDOK);   // refused: OK is disabled
        NMHDR click = {GetDlgItem(d, IDC_SOLUTIONS_LIST), IDC_SOLUTIONS_LIST, static_cast<UINT>(NM_DBLCLK)};
        SendMessageA(d, WM_NOTIFY, IDC_SOLUTIONS_LIST, reinterpret_cast<LPARAM>(&click));
    });
    script.Start();
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(0, rows);
    EXPECT_FALSE(okEnabled);
}

TEST_F(SolutionChoice, ADoubleClickTakesTheChosenRowAndTheNextDialogOpensWhereThisOneWas)
{
    Solve();
    RECT moved = {0, 0, 0, 0}, reopened = {1, 1, 1, 1};
    {
        DlgSolutions dialog(&main);
        UiScript script;
        script.OnWindow(kTitle, [&](HWND d) {
            SetWindowPos(d, nullptr, 40, 50, 700, 420, SWP_NOZORDER);
            GetWindowRect(d, &moved);
            NMHDR click = {GetDlgItem(d, IDC_SOLUTIONS_LIST), IDC_SOLUTIONS_LIST, static_cast<UINT>(NM_DBLCLK)};
            SendMessageA(d, WM_NOTIFY, IDC_SOLUTIONS_LIST, reinterpret_cast<LPARAM>(&click));
        });
        script.Start();
        EXPECT_EQ(1, dialog.DoModal());
        EXPECT_EQ("", script.Failure());
        EXPECT_EQ(0, dialog.GetChosen());
    }
    DlgSolutions dialog(&main);
    UiScript script;
    script.OnWindow(kTitle, [&](HWND d) {
        GetWindowRect(d, &reopened);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(moved.left, reopened.left);
    EXPECT_EQ(moved.top, reopened.top);
    EXPECT_EQ(moved.right, reopened.right);
    EXPECT_EQ(moved.bottom, reopened.bottom);
}

TEST_F(SolutionChoice, InAutomationTheBestSolutionIsTakenWithoutAWindow)
{
    Solve();
    App().SetAutomation(1);
    VisibleDialogWatch watch(main.m_hWnd);
    DlgSolutions dialog(&main);
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ(0, dialog.GetChosen());
    EXPECT_TRUE(watch.Seen().empty());
}

// Enter chooses the selected row, Escape cancels, Tab and Shift+Tab walk the
// list and the buttons and Space presses the focused one.
TEST_F(SolutionChoice, TheKeysChooseOrCancel)
{
    Solve();
    struct Key {
        UINT key;
        bool shift;
    };
    struct Case {
        std::vector<Key> keys;
        std::vector<int> focus;  // after each key but the last
        INT_PTR result;
    };
    const Case cases[] = {
        {{{VK_RETURN, false}}, {}, 1},
        {{{VK_ESCAPE, false}}, {}, 0},
        {{{VK_TAB, false}, {VK_TAB, false}, {VK_TAB, true}, {VK_SPACE, false}}, {IDOK, IDCANCEL, IDOK}, 1},
        {{{VK_TAB, true}, {VK_SPACE, false}}, {IDCANCEL}, 0},
        {{{VK_TAB, false}, {VK_TAB, false}, {VK_TAB, false}, {VK_RETURN, false}},
         {IDOK, IDCANCEL, IDC_SOLUTIONS_LIST},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys.size());
        DlgSolutions dialog(&main);
        int start = 0;
        std::vector<int> focus;
        UiScript script;
        script.OnWindow(kTitle, [&](HWND) {
            start = GetDlgCtrlID(GetFocus());
            for (size_t i = 0; i < c.keys.size(); ++i) {
                PressKey(c.keys[i].key, c.keys[i].shift);
                if (i + 1 < c.keys.size())
                    focus.push_back(GetDlgCtrlID(GetFocus()));
            }
        });
        ExpectClosedByKeys(script, kTitle);
        script.Start();
        EXPECT_EQ(c.result, dialog.DoModal());
        EXPECT_EQ("", script.Failure());
        EXPECT_EQ(IDC_SOLUTIONS_LIST, start);
        EXPECT_EQ(c.focus, focus);
        if (c.result == 1) {
            EXPECT_EQ(0, dialog.GetChosen());
        }
    }
}

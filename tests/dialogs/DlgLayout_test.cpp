// The layout editor's window: what it lists of the material's solution, the
// enable rules as the buttons show them, and that it never touches the
// material.
#include "dialogs/DlgLayout.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

#include "dialogs/DialogIds.h"
#include "document/DCSProject.h"
#include "support/DialogFixture.h"
#include "support/KeyPress.h"
#include "support/SolvedMaterial.h"

namespace {

std::string CellOf(HWND list, int row, int column)
{
    char text[256] = "";
    ListView_GetItemText(list, row, column, text, sizeof(text));
    return text;
}

class LayoutEditor : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        material = App().Document().GetProject(0, false);
    }
    DCSProject* material = nullptr;
};

TEST_F(LayoutEditor, ACompleteSolutionListsEveryPartFreeWithZeroAndCanBeSaved)
{
    material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}})}, 1);
    material->AppendRows({RowOf({{"length", "1500"}, {"quantity", "4"}}), RowOf({{"length", "1000"}, {"quantity", "2"}})},
                         2);
    ApplyPatterns(*material, {{1, 2, {{1, 2}, {2, 1}}}});
    const CUTTING::Layout before = material->GetLayout();

    DlgLayout dialog;
    ASSERT_TRUE(dialog.SetCurrentLayout(DProps()));
    UiScript script;
    script.OnWindow("Edit Patterns", [&](HWND window) {
        HWND patterns = GetDlgItem(window, IDC_LAYOUT_PATTERNS);
        ASSERT_EQ(1, ListView_GetItemCount(patterns));
        EXPECT_EQ("1", CellOf(patterns, 0, 0));
        EXPECT_EQ("1", CellOf(patterns, 0, 1));
        EXPECT_EQ("2", CellOf(patterns, 0, 2));
        // Parts of the selected pattern, then its copies and its offcut.
        HWND parts = GetDlgItem(window, IDC_LAYOUT_PARTS);
        ASSERT_EQ(4, ListView_GetItemCount(parts));
        EXPECT_EQ("1500", CellOf(parts, 0, 0));
        EXPECT_EQ("2", CellOf(parts, 0, 1));
        EXPECT_EQ("Copies", CellOf(parts, 2, 0));
        EXPECT_EQ("2", CellOf(parts, 2, 1));
        EXPECT_EQ("Offcut", CellOf(parts, 3, 0));
        HWND free = GetDlgItem(window, IDC_LAYOUT_FREE);
        ASSERT_EQ(3, ListView_GetItemCount(free));
        EXPECT_EQ("0", CellOf(free, 0, 1));
        EXPECT_EQ("0", CellOf(free, 1, 1));
        EXPECT_EQ("Total", CellOf(free, 2, 0));
        EXPECT_EQ("0", CellOf(free, 2, 1));
        EXPECT_TRUE(Enabled(window, IDOK));
        // A pattern with copies and pieces cannot be removed.
        EXPECT_FALSE(Enabled(window, IDC_LAYOUT_REMOVE));
        // Nothing is free: no part can be added to the pattern.
        EXPECT_FALSE(Enabled(window, IDC_LAYOUT_FREE_PLUS));
        EXPECT_FALSE(Enabled(window, IDC_LAYOUT_PLUS));
        EXPECT_TRUE(Enabled(window, IDC_LAYOUT_MINUS));
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_MINUS, BN_CLICKED), 0);
        // One piece of 1500 fewer per bar: two back on the free list.
        EXPECT_EQ("2", CellOf(free, 2, 1));
        EXPECT_FALSE(Enabled(window, IDOK));
        SendMessageA(window, WM_COMMAND, IDOK, 0);
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    // Enter while parts are free saves nothing: only Cancel ends it.
    EXPECT_EQ(DlgFrame::Cancelled, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(2, dialog.GetEdit().PiecesRemain());
    // The material still has its own layout.
    ASSERT_EQ(before.cuttings.size(), material->GetLayout().cuttings.size());
    EXPECT_EQ(before.cuttings[0].pieces[0].quantity, material->GetLayout().cuttings[0].pieces[0].quantity);
}

TEST_F(LayoutEditor, ANewPatternTakesAFreePartAtOnceAndItsCopiesStopAtTheStocksBars)
{
    // Two bars of 6000 in stock; one holds two parts of 1000, two are free.
    material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "2"}})}, 1);
    material->AppendRows({RowOf({{"length", "1000"}, {"quantity", "4"}})}, 2);
    ApplyPatterns(*material, {{1, 1, {{1, 2}}}});

    DlgLayout dialog;
    ASSERT_TRUE(dialog.SetCurrentLayout(DProps()));
    HWND editor = nullptr;
    auto click = [&](int id) { SendMessageA(editor, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
    auto freeCount = [&](int row) { return CellOf(GetDlgItem(editor, IDC_LAYOUT_FREE), row, 1); };
    UiScript script;
    script.OnWindow("Edit Patterns", [&](HWND window) {
        editor = window;
        EXPECT_EQ("2", freeCount(0));
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_ADD, BN_CLICKED), 0);
    });
    script.ChooseFromMenu(1);
    script.Then([&] { return ListView_GetItemCount(GetDlgItem(editor, IDC_LAYOUT_PATTERNS)) == 2; },
                [&] {
                    HWND patterns = GetDlgItem(editor, IDC_LAYOUT_PATTERNS);
                    EXPECT_EQ(1, ListGetSelected(patterns));
                    EXPECT_EQ("0", CellOf(patterns, 1, 2));
                    // An empty pattern without copies can go again.
                    EXPECT_TRUE(Enabled(editor, IDC_LAYOUT_REMOVE));
                    // A free part fits at once: nothing is taken while it has no copies.
                    ASSERT_TRUE(Enabled(editor, IDC_LAYOUT_FREE_PLUS));
                    click(IDC_LAYOUT_FREE_PLUS);
                    EXPECT_EQ("2", freeCount(0));
                    // The copies row of its one part: a copy takes one free part.
                    ListSelect(GetDlgItem(editor, IDC_LAYOUT_PARTS), 1, 0, 1);
                },
                "the new pattern");
    script.Then([&] { return Enabled(editor, IDC_LAYOUT_PLUS); },
                [&] {
                    click(IDC_LAYOUT_PLUS);
                    EXPECT_EQ("1", freeCount(0));
                    EXPECT_EQ("1", CellOf(GetDlgItem(editor, IDC_LAYOUT_PATTERNS), 1, 2));
                    // Both bars of the stock are used: no third copy, though a part is free.
                    EXPECT_FALSE(Enabled(editor, IDC_LAYOUT_PLUS));
                    EXPECT_FALSE(Enabled(editor, IDOK));
                    EXPECT_FALSE(Enabled(editor, IDC_LAYOUT_REMOVE));
                    SendMessageA(editor, WM_COMMAND, IDCANCEL, 0);
                },
                "+ on the copies");
    script.Start();
    EXPECT_EQ(DlgFrame::Cancelled, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(1u, material->GetLayout().cuttings.size());
}

TEST_F(LayoutEditor, WithoutACurrentMaterialThereIsNothingToEdit)
{
    App().Document().Reset();
    DlgLayout dialog;
    EXPECT_FALSE(dialog.SetCurrentLayout(DProps()));
    EXPECT_EQ(0, dialog.GetEdit().PatternCount());
}

} // namespace

namespace {

// Tab (forward) until the control has the focus, a bounded number of times.
bool TabTo(int id)
{
    for (int i = 0; i < 14 && GetDlgCtrlID(GetFocus()) != id; ++i)
        PressKey(VK_TAB);
    return GetDlgCtrlID(GetFocus()) == id;
}

} // namespace

// Worked from the keyboard alone: one bar of a two-bar pattern is given
// back, a new pattern is cut the same way and saved with Enter. The two are
// one cutting of two bars, not two cuttings of one.
TEST_F(LayoutEditor, APatternBuiltLikeAnotherJoinsItsCopiesWhenSaved)
{
    material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "2"}})}, 1);
    material->AppendRows({RowOf({{"length", "1500"}, {"quantity", "8"}})}, 2);
    ApplyPatterns(*material, {{1, 2, {{1, 4}}}});

    DlgLayout dialog;
    ASSERT_TRUE(dialog.SetCurrentLayout(DProps()));
    HWND editor = nullptr;
    auto rows = [&](int list) { return ListView_GetItemCount(GetDlgItem(editor, list)); };
    UiScript script;
    script.OnWindow("Edit Patterns", [&](HWND window) {
        editor = window;
        ASSERT_EQ(IDC_LAYOUT_PATTERNS, GetDlgCtrlID(GetFocus()));
        // The copies row of the pattern's parts, then one copy less.
        ASSERT_TRUE(TabTo(IDC_LAYOUT_PARTS));
        PressKey(VK_HOME);
        PressKey(VK_DOWN);
        ASSERT_TRUE(TabTo(IDC_LAYOUT_MINUS));
        PressKey(VK_SPACE);
        EXPECT_EQ("1", CellOf(GetDlgItem(window, IDC_LAYOUT_PATTERNS), 0, 2));
        EXPECT_EQ("4", CellOf(GetDlgItem(window, IDC_LAYOUT_FREE), 0, 1));
        // Enter on Add Cutting opens the menu of stock lengths.
        ASSERT_TRUE(TabTo(IDC_LAYOUT_ADD));
        PressKey(VK_RETURN);
    });
    script.ChooseFromMenu(1);
    script.Then([&] { return rows(IDC_LAYOUT_PATTERNS) == 2; },
                [&] {
                    // Four free pieces into the new pattern, then its copies row.
                    ASSERT_TRUE(TabTo(IDC_LAYOUT_FREE));
                    PressKey(VK_HOME);
                    ASSERT_TRUE(TabTo(IDC_LAYOUT_FREE_PLUS));
                    for (int i = 0; i < 4; ++i)
                        PressKey(VK_SPACE);
                    ASSERT_TRUE(TabTo(IDC_LAYOUT_PARTS));
                    PressKey(VK_HOME);
                    PressKey(VK_DOWN);
                },
                "the new pattern");
    // The buttons follow the selection once the dialog has re-checked it.
    script.Then([&] { return Enabled(editor, IDC_LAYOUT_PLUS); },
                [&] {
                    ASSERT_TRUE(TabTo(IDC_LAYOUT_PLUS));
                    PressKey(VK_SPACE);
                    EXPECT_EQ("0", CellOf(GetDlgItem(editor, IDC_LAYOUT_FREE), 1, 1));
                },
                "+ on the copies");
    script.Then([&] { return Enabled(editor, IDOK); },
                [&] {
                    // Enter from a list is the default button, Save.
                    ASSERT_TRUE(TabTo(IDC_LAYOUT_PATTERNS));
                    PressKey(VK_RETURN);
                },
                "Save");
    ExpectClosedByKeys(script, "Edit Patterns");
    script.Start();
    EXPECT_EQ(DlgFrame::Accepted, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    const CUTTING::Layout& saved = dialog.GetLayout();
    ASSERT_EQ(1u, saved.cuttings.size());
    EXPECT_EQ(2, saved.cuttings[0].quantity);
    ASSERT_EQ(1u, saved.cuttings[0].pieces.size());
    EXPECT_EQ(4, saved.cuttings[0].pieces[0].quantity);
}

// The layout editor's window: what it lists of the material's solution, the
// enable rules as the buttons show them, and that it never touches the
// material.
#include "dialogs/DlgLayout.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

#include "dialogs/DialogIds.h"
#include "document/DCSProject.h"
#include "tests/dialogs/DialogFixture.h"
#include "tests/document/SolvedMaterial.h"

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
        ASSERT_TRUE(App().m_document.New("P", "", "Steel"));
        material = App().m_document.GetProject(0, false);
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
    script.OnWindow("Edit Layout", [&](HWND window) {
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
        EXPECT_EQ("Remains", CellOf(parts, 3, 0));
        HWND free = GetDlgItem(window, IDC_LAYOUT_FREE);
        ASSERT_EQ(3, ListView_GetItemCount(free));
        EXPECT_EQ("0", CellOf(free, 0, 1));
        EXPECT_EQ("0", CellOf(free, 1, 1));
        EXPECT_EQ("Summary", CellOf(free, 2, 0));
        EXPECT_EQ("0", CellOf(free, 2, 1));
        EXPECT_TRUE(ItemEnabled(window, IDOK));
        // A pattern with copies and pieces cannot be removed.
        EXPECT_FALSE(ItemEnabled(window, IDC_LAYOUT_REMOVE));
        // Nothing is free: no part can be added to the pattern.
        EXPECT_FALSE(ItemEnabled(window, IDC_LAYOUT_FREE_PLUS));
        EXPECT_FALSE(ItemEnabled(window, IDC_LAYOUT_PLUS));
        EXPECT_TRUE(ItemEnabled(window, IDC_LAYOUT_MINUS));
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_LAYOUT_MINUS, BN_CLICKED), 0);
        // One piece of 1500 fewer per bar: two back on the free list.
        EXPECT_EQ("2", CellOf(free, 2, 1));
        EXPECT_FALSE(ItemEnabled(window, IDOK));
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

TEST_F(LayoutEditor, WithoutACurrentMaterialThereIsNothingToEdit)
{
    App().m_document.Reset();
    DlgLayout dialog;
    EXPECT_FALSE(dialog.SetCurrentLayout(DProps()));
    EXPECT_EQ(0, dialog.GetEdit().PatternCount());
}

} // namespace

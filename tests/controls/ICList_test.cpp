#include "controls/ICList.h"

#include "controls/ICHint.h"
#include "controls/WinUtil.h"
#include "HostDialog.h"
#include "TestWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>

namespace {

DProps Bag(const char* key, const char* value, const char* key2 = nullptr, const char* value2 = nullptr)
{
    DProps bag;
    bag.Set(key, value);
    if (key2)
        bag.Set(key2, value2);
    return bag;
}

// A list of three columns on the host dialog's template list view.
class ICListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(host.Open());
        view = host.GetDlgItem(IDC_LIST_VIEW);
        ASSERT_TRUE(view);
        list = std::make_unique<ICList>(view);
        DProps lengthColumn = Bag("hint", "Length in mm", "unit", "mm");
        ASSERT_TRUE(list->InsertColumn(80, "Name", nullptr));
        ASSERT_TRUE(list->InsertColumn(80, "Length", &lengthColumn));
        ASSERT_TRUE(list->InsertColumn(60, "Count", nullptr));
        PumpWaiting();
    }
    void TearDown() override
    {
        list.reset();
        PumpWaiting();
    }

    std::string Text(long row, long column)
    {
        std::string text;
        EXPECT_TRUE(list->GetCell(row, column, &text, nullptr));
        return text;
    }
    RECT CellRect(long row, long column)
    {
        RECT r = {};
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageW(view, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    void Click(long x, long y)
    {
        // The list view may follow the mouse until the button comes up.
        PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PumpWaiting();
    }

    HostDialog host{IDD_LIST_HOST};
    HWND view = nullptr;
    std::unique_ptr<ICList> list;
};

TEST_F(ICListTest, ColumnsAreAppendedAndCounted)
{
    EXPECT_EQ(3, list->GetColumnCount());
    HWND header = reinterpret_cast<HWND>(SendMessageW(view, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(3, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("mm", list->GetColumnAttribute(1, "unit"));
    EXPECT_EQ("", list->GetColumnAttribute(0, "unit"));

    EXPECT_FALSE(list->InsertColumn(0, "Zero width", nullptr));
    EXPECT_FALSE(list->InsertColumn(50, nullptr, nullptr));
    EXPECT_EQ(3, list->GetColumnCount());
    EXPECT_EQ(3, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

TEST_F(ICListTest, NewRowsGetAFreshIdAndCellBagsFollowIt)
{
    ASSERT_TRUE(list->SetCell(0, 0, "Spar", nullptr));
    const long id = list->GetRowId(0);
    EXPECT_GT(id, 0);
    DProps cell = Bag("hint", "Measured twice");
    ASSERT_TRUE(list->SetCell(0, 1, "1200", &cell));
    EXPECT_EQ(id, list->GetRowId(0)) << "a second column keeps the row's id";
    EXPECT_EQ(1, list->GetRowCount());
    EXPECT_EQ("Spar", Text(0, 0));
    EXPECT_EQ("1200", Text(0, 1));

    DProps read;
    std::string text;
    ASSERT_TRUE(list->GetCell(0, 1, &text, &read));
    EXPECT_EQ("Measured twice", DProps::GetString(read, "hint", ""));

    ASSERT_TRUE(list->SetCell(1, 0, "Rail", nullptr));
    EXPECT_GT(list->GetRowId(1), 0);
    EXPECT_NE(id, list->GetRowId(1));
    EXPECT_EQ(2, list->GetRowCount());
    ASSERT_TRUE(list->SetCell(2, 0, nullptr, nullptr)) << "a null text is the empty text";
    EXPECT_EQ("", Text(2, 0));
    EXPECT_EQ("", Text(1, 2)) << "a cell never written reads as empty";
}

TEST_F(ICListTest, BagsStayWithTheirRowsWhenRowsMove)
{
    DProps first = Bag("tag", "first");
    DProps second = Bag("tag", "second");
    ASSERT_TRUE(list->SetCell(0, 0, "A", &first));
    ASSERT_TRUE(list->SetCell(1, 0, "B", &second));
    SendMessageW(view, LVM_DELETEITEM, 0, 0);
    EXPECT_EQ("second", list->GetRowAttribute(0, "tag"));
    EXPECT_EQ(0, list->FindRow("tag", "second", false));
    EXPECT_EQ(-1, list->FindRow("tag", "first", false));
}

TEST_F(ICListTest, RowsWithoutIdKeepTheirTextButNoBag)
{
    DProps bag = Bag("tag", "lost");
    EXPECT_FALSE(list->SetCellNoId(0, 0, "Loose", &bag));
    EXPECT_EQ(0, list->GetRowCount());
    EXPECT_EQ(1, SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("Loose", Text(0, 0));
    EXPECT_EQ(0, list->GetRowId(0));
    EXPECT_EQ("", list->GetRowAttribute(0, "tag"));

    ASSERT_TRUE(list->SetCell(1, 0, "Kept", nullptr));
    EXPECT_TRUE(list->SetCellNoId(1, 2, "3", &bag)) << "a row with an id takes the bag";
    std::string value;
    EXPECT_EQ(1, list->GetCellAttribute(1, 2, "tag", &value));
    EXPECT_EQ("lost", value);
}

TEST_F(ICListTest, CellAttributesFallBackToTheColumnButRowAttributesDoNot)
{
    DProps own = Bag("hint", "Cut from offcut");
    ASSERT_TRUE(list->SetCell(0, 0, "Spar", nullptr));
    ASSERT_TRUE(list->SetCell(0, 1, "1200", &own));
    ASSERT_TRUE(list->SetCell(1, 0, "Rail", nullptr));
    ASSERT_TRUE(list->SetCell(1, 1, "800", nullptr));

    const struct {
        long row, column;
        const char* key;
        int answer;
        const char* value;
    } cases[] = {
        {0, 1, "hint", 1, "Cut from offcut"},   // the cell's own
        {1, 1, "hint", 2, "Length in mm"},      // the column's, its first key
        {1, 1, "unit", 2, "mm"},
        {1, 1, "colour", 0, ""},                // nobody's
        {0, 0, "hint", 0, ""},                  // a column without bag
        {2, 1, "hint", 0, ""},                  // beyond the counted rows
        {0, 3, "hint", 0, ""},                  // beyond the counted columns
        {-1, 1, "hint", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column) + " " + c.key);
        std::string value;
        EXPECT_EQ(c.answer, list->GetCellAttribute(c.row, c.column, c.key, &value));
        EXPECT_EQ(c.value, value);
    }

    DProps firstCell = Bag("code", "S1");
    ASSERT_TRUE(list->SetCell(2, 0, "Post", &firstCell));
    EXPECT_EQ("S1", list->GetRowAttribute(2, "code"));
    EXPECT_EQ("", list->GetRowAttribute(1, "unit")) << "the column's bag is not the row's";
    EXPECT_EQ(2, list->FindRow("code", "s1", true));
    EXPECT_EQ(-1, list->FindRow("code", "s1", false));
}

TEST_F(ICListTest, ClicksRecordTheCellUnderTheMouse)
{
    ASSERT_TRUE(list->SetCell(0, 0, "Spar", nullptr));
    ASSERT_TRUE(list->SetCell(0, 1, "1200", nullptr));
    ASSERT_TRUE(list->SetCell(1, 0, "Rail", nullptr));
    ASSERT_TRUE(list->SetCell(1, 2, "4", nullptr));
    EXPECT_EQ(-1, list->GetClickedRow());
    EXPECT_EQ(-1, list->GetClickedColumn());

    RECT cell = CellRect(1, 2);
    Click((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    EXPECT_EQ(1, list->GetClickedRow());
    EXPECT_EQ(2, list->GetClickedColumn());

    // The empty area right of the last column.
    RECT last = CellRect(0, 2);
    Click(last.right + 10, (last.top + last.bottom) / 2);
    EXPECT_EQ(-1, list->GetClickedRow());
    EXPECT_EQ(-1, list->GetClickedColumn());

    cell = CellRect(0, 1);
    EXPECT_EQ(std::make_pair(0L, 1L), list->SubItemHitTest(cell.left + 2, cell.top + 2));
    EXPECT_EQ(std::make_pair(-1L, -1L), list->SubItemHitTest(last.right + 10, cell.top + 2));
}

TEST_F(ICListTest, HintsOfCellsAndColumns)
{
    std::unique_ptr<ICHint> hint(ICHint::Create(host.m_hWnd, nullptr));
    const UINT message = ICHint::GetHintMessage();
    ASSERT_NE(0u, message);
    const std::string longHint(300, 'x');
    DProps own = Bag("hint", longHint.c_str());
    ASSERT_TRUE(list->SetCell(0, 0, "Spar", &own));
    ASSERT_TRUE(list->SetCell(0, 1, "1200", nullptr));
    ASSERT_TRUE(list->SetCell(0, 2, "2", nullptr));

    const struct {
        long column;
        LRESULT answer;
        std::string text;
    } cases[] = {
        {0, 1, longHint},        // whole, without the cut of the other controls
        {1, 1, "Length in mm"},  // the column's
        {2, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        RECT r = CellRect(0, c.column);
        ICHintInfo record;
        record.window = view;
        record.data.Set("head", "old");
        record.point = POINT{r.left + 3, (r.top + r.bottom) / 2};
        EXPECT_EQ(c.answer, SendMessageW(view, message, ICHint::QueryParam, reinterpret_cast<LPARAM>(&record)));
        EXPECT_EQ(c.text, DProps::GetString(record.data, "text", ""));
        EXPECT_EQ("", DProps::GetString(record.data, "head", "?"));
    }
    EXPECT_EQ(0, SendMessageW(view, message, ICHint::QueryParam, 0));
}

TEST_F(ICListTest, CheckedMeansStateImageTwo)
{
    SendMessageW(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    ASSERT_TRUE(list->SetCell(0, 0, "A", nullptr));
    ASSERT_TRUE(list->SetCell(1, 0, "B", nullptr));
    ListView_SetCheckState(view, 1, TRUE);
    EXPECT_FALSE(list->IsRowChecked(0));
    EXPECT_TRUE(list->IsRowChecked(1));
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(3);
    SendMessageW(view, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_FALSE(list->IsRowChecked(1));
}

TEST_F(ICListTest, SelectRowClearAndDeleteAllItems)
{
    for (long row = 0; row < 4; ++row)
        ASSERT_TRUE(list->SetCell(row, 0, "row", nullptr));
    EXPECT_EQ(2, list->SelectRow(2));
    EXPECT_EQ(2, ListGetSelected(view));
    EXPECT_EQ(-1, list->SelectRow(9));

    DProps bag = Bag("tag", "x");
    ASSERT_TRUE(list->SetCell(0, 1, "cell", &bag));
    list->Clear();
    EXPECT_EQ(0, list->GetRowCount());
    EXPECT_EQ(0, list->GetColumnCount());
    EXPECT_EQ(4, SendMessageW(view, LVM_GETITEMCOUNT, 0, 0)) << "rows stay";
    EXPECT_EQ("", list->GetColumnAttribute(1, "hint"));
    DProps read;
    std::string text;
    ASSERT_TRUE(list->GetCell(0, 1, &text, &read));
    EXPECT_EQ(0, read.Count());

    list->DeleteAllItems();
    EXPECT_EQ(0, SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
}

TEST_F(ICListTest, DeleteAllRowsKeepsTheColumnsAndForgetsTheRows)
{
    DProps uid = Bag("uid", "41");
    ASSERT_TRUE(list->SetCell(0, 0, "one", &uid));
    ASSERT_EQ(0, list->FindRow("uid", "41", false));

    list->DeleteAllRows();
    EXPECT_EQ(0, SendMessageW(view, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(0, list->GetRowCount());
    EXPECT_EQ(3, list->GetColumnCount());
    EXPECT_EQ("Length in mm", list->GetColumnAttribute(1, "hint"));

    // A refilled row has its own bag, not one left over.
    ASSERT_TRUE(list->SetCell(0, 0, "two", nullptr));
    EXPECT_EQ("", list->GetRowAttribute(0, "uid"));
    EXPECT_EQ(-1, list->FindRow("uid", "41", false));
}

TEST(ICListDetached, OperationsOnADetachedListChangeNothing)
{
    ICList list(nullptr);
    DProps bag = Bag("hint", "h");
    EXPECT_FALSE(list.InsertColumn(50, "Name", &bag));
    EXPECT_FALSE(list.SetCell(0, 0, "x", &bag));
    EXPECT_FALSE(list.SetCellNoId(0, 0, "x", nullptr));
    std::string text;
    EXPECT_FALSE(list.GetCell(0, 0, &text, nullptr));
    EXPECT_EQ(-1, list.SelectRow(0));
    EXPECT_EQ(-1, list.FindRow("hint", "h", false));
    EXPECT_EQ(0, list.GetCellAttribute(0, 0, "hint", &text));
    EXPECT_EQ("", list.GetColumnAttribute(0, "hint"));
    EXPECT_EQ(std::make_pair(-1L, -1L), list.SubItemHitTest(1, 1));
    EXPECT_EQ(0, list.GetColumnCount());
    EXPECT_EQ(0, list.GetRowCount());
}

} // namespace

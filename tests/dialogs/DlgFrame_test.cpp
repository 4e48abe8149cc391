// The dialog frame: column tables, the busy cursor, the validation cycle and
// its label colours, the minimum size, the placement of a run, the shared
// cancel and the locale's texts.
#include "dialogs/DlgFrame.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "appsvc/BusyCursorScope.h"
#include "appsvc/OXRApp.h"
#include "controls/ICList.h"
#include "resource.h"
#include "support/UiScript.h"

namespace {

DlgClassPlacement g_fieldsPlacement;

// A dialog of the frame with two checked fields and a list.
class FieldsDialog : public DlgFrame {
public:
    explicit FieldsDialog(const char* section = "dialog.material") : DlgFrame(IDD_FIELDS, nullptr, section) {}

    BOOL OnInitDialog() override
    {
        DlgFrame::OnInitDialog();
        DProps length;
        length.Set("type", "double");
        length.Set("min", "1");
        length.Set("max.warn", "6000");
        AddField(IDC_LENGTH, IDC_LENGTH_LABEL, length);
        DProps comment;
        comment.Set("type", "text");
        comment.Set("max", "5");
        comment.Set("default", "none");
        AddField(IDC_COMMENT, IDC_COMMENT_LABEL, comment);
        list = WrapList(IDC_FIELD_LIST);
        UsePlacement(&g_fieldsPlacement, 10);
        ValidateAllFields();
        return TRUE;
    }
    void UpdateButtons() override { ++buttonUpdates; }
    void OnSelectionCleared(UINT listId) override { cleared.push_back(listId); }

    using DlgFrame::StoreField;
    using DlgFrame::Text;
    using DlgFrame::Hint;

    ICList* list = nullptr;
    int buttonUpdates = 0;
    std::vector<UINT> cleared;
};

void Type(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

void PumpWaiting()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

TEST(ColumnTable, PanelsTruncateAndDialogsRound)
{
    const std::vector<ColumnSpec> table = {{60, "a", "A"}, {240, "b", "B"}};
    // (300 - 17 - 4) / 300 = 0.93: 55.8 and 223.2.
    EXPECT_EQ((std::vector<long>{55, 223}), ColumnWidths(300, 17, table, ColumnRounding::Truncate));
    EXPECT_EQ((std::vector<long>{56, 223}), ColumnWidths(300, 17, table, ColumnRounding::Nearest));
    // Halves go away from zero: two equal columns share 9 pixels, 4.5 each.
    const std::vector<ColumnSpec> halves = {{1, "a", "A"}, {1, "b", "B"}};
    EXPECT_EQ((std::vector<long>{5, 5}), ColumnWidths(9 + 17 + 4, 17, halves, ColumnRounding::Nearest));
    EXPECT_EQ((std::vector<long>{4, 4}), ColumnWidths(9 + 17 + 4, 17, halves, ColumnRounding::Truncate));
    EXPECT_TRUE(ColumnWidths(300, 17, {}, ColumnRounding::Nearest).empty());
}

TEST(BusyCursor, NestedActionsKeepTheWaitCursorUntilTheOuterEnds)
{
    OXRApp& app = App();
    ASSERT_EQ(0, app.BusyCount());
    {
        BusyCursorScope outer;
        {
            BusyCursorScope inner;
            EXPECT_EQ(2, app.BusyCount());
        }
        EXPECT_EQ(1, app.BusyCount());
    }
    EXPECT_EQ(0, app.BusyCount());
    // An end without a begin leaves the count at 0.
    EndBusyCursor();
    EXPECT_EQ(0, app.BusyCount());
    // An exception on the way out still gives the count back.
    try {
        BusyCursorScope scope;
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(0, app.BusyCount());
}

TEST(LocaleTexts, WrittenLineBreaksBecomeRealOnes)
{
    EXPECT_EQ("a\r\nb\r\nc", LocaleLineBreaks("a\\r\\nb\\r\\nc"));
    EXPECT_EQ("plain", LocaleLineBreaks("plain"));
    DProps section;
    section.Set("key", "Text", "Hint");
    section.Set("empty", "");
    EXPECT_EQ("Text", LocaleText(section, "key", "def"));
    EXPECT_EQ("", LocaleText(section, "empty", "def"));
    EXPECT_EQ("def", LocaleText(section, "missing", "def"));
    EXPECT_EQ("Hint", LocaleHint(section, "key", "def"));
    EXPECT_EQ("def", LocaleHint(section, "empty", "def"));
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create(IDD_FIELDS)); }
    FieldsDialog dialog;
};

TEST_F(FrameTest, EveryFieldStartsCheckedAndTheFormFollowsTheWorstField)
{
    // The length is empty: without "default" an empty double counts as 0,
    // below "min" 1. The empty comment takes its default.
    EXPECT_EQ(0, dialog.GetFieldState(IDC_LENGTH));
    EXPECT_EQ(1, dialog.GetFieldState(IDC_COMMENT));
    EXPECT_FALSE(dialog.IsFormValid());

    struct Case {
        const char* length;
        long state;
    };
    for (const Case& c : {Case{"1200", 1}, Case{"7000", 2}, Case{"0.5", 0}, Case{"1", 1}}) {
        Type(dialog.m_hWnd, IDC_LENGTH, c.length);
        EXPECT_EQ(c.state, dialog.GetFieldState(IDC_LENGTH)) << c.length;
        EXPECT_EQ(c.state != 0, dialog.IsFormValid()) << c.length;
        EXPECT_EQ(static_cast<long>(FieldStateColour(c.state)), dialog.GetTextColour(IDC_LENGTH_LABEL)) << c.length;
    }
    Type(dialog.m_hWnd, IDC_COMMENT, "too long");
    EXPECT_EQ(0, dialog.GetFieldState(IDC_COMMENT));
    EXPECT_FALSE(dialog.IsFormValid());
    EXPECT_GT(dialog.buttonUpdates, 0);
    // A control without a field keeps the normal colour.
    EXPECT_EQ(-1, dialog.GetTextColour(IDOK));
    EXPECT_EQ(-1, dialog.GetFieldState(IDOK));
}

TEST_F(FrameTest, LabelColoursFollowTheFieldState)
{
    EXPECT_EQ(RGB(0, 0, 24), FieldStateColour(1));
    EXPECT_EQ(RGB(30, 70, 30), FieldStateColour(2));
    EXPECT_EQ(RGB(196, 0, 0), FieldStateColour(0));
    // The dialog's colour answer carries the state's colour.
    Type(dialog.m_hWnd, IDC_LENGTH, "0");
    HDC dc = GetDC(dialog.m_hWnd);
    SendMessageA(dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog.m_hWnd, IDC_LENGTH_LABEL)));
    EXPECT_EQ(RGB(196, 0, 0), GetTextColor(dc));
    ReleaseDC(dialog.m_hWnd, dc);
}

TEST_F(FrameTest, StoredFieldsAreNormalised)
{
    Type(dialog.m_hWnd, IDC_LENGTH, "0.25");
    EXPECT_EQ("1.000000", dialog.StoreField(IDC_LENGTH));
    Type(dialog.m_hWnd, IDC_COMMENT, "");
    EXPECT_EQ("none", dialog.StoreField(IDC_COMMENT));
    Type(dialog.m_hWnd, IDC_COMMENT, "  abcdefg ");
    EXPECT_EQ("abcde", dialog.StoreField(IDC_COMMENT));
}

TEST_F(FrameTest, TheWindowCannotBeMadeNarrowerThanAtOpeningNorLowerThan300)
{
    RECT window;
    GetWindowRect(dialog.m_hWnd, &window);
    RECT proposed = {window.left, window.top, window.left + 20, window.top + 20};
    SendMessageA(dialog.m_hWnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(window.right - window.left, proposed.right - proposed.left);
    EXPECT_EQ(300, proposed.bottom - proposed.top);
    RECT wide = {window.left, window.top, window.left + 900, window.top + 700};
    SendMessageA(dialog.m_hWnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&wide));
    EXPECT_EQ(900, wide.right - wide.left);
    EXPECT_EQ(700, wide.bottom - wide.top);
}

TEST_F(FrameTest, ALostSelectionIsLookedAtAfterTheNotification)
{
    ASSERT_NE(nullptr, dialog.list);
    HWND list = dialog.list->GetHwnd();
    dialog.list->InsertColumn(100, "c", nullptr);
    dialog.list->SetCell(0, 0, "row", nullptr);
    ListSelect(list, 0, -1, 0);
    PumpWaiting();
    dialog.cleared.clear();
    ListView_SetItemState(list, 0, 0, LVIS_SELECTED);
    PumpWaiting();
    EXPECT_EQ(std::vector<UINT>{IDC_FIELD_LIST}, dialog.cleared);
    // Deselect then select again before the check: nothing is forgotten.
    dialog.cleared.clear();
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, 0, 0, LVIS_SELECTED);
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    PumpWaiting();
    EXPECT_TRUE(dialog.cleared.empty());
}

TEST(FramePlacement, ASecondOpeningTakesThePlaceOfTheFirst)
{
    RECT moved = {0, 0, 0, 0};
    {
        FieldsDialog first;
        ASSERT_TRUE(first.Create(IDD_FIELDS));
        ShowWindow(first.m_hWnd, SW_SHOW);
        RECT window;
        GetWindowRect(first.m_hWnd, &window);
        SetWindowPos(first.m_hWnd, nullptr, 40, 50, window.right - window.left + 60, 320, SWP_NOZORDER);
        GetWindowRect(first.m_hWnd, &moved);
    }
    FieldsDialog second;
    ASSERT_TRUE(second.Create(IDD_FIELDS));
    RECT now;
    GetWindowRect(second.m_hWnd, &now);
    EXPECT_EQ(moved.right - moved.left, now.right - now.left);
    EXPECT_EQ(moved.bottom - moved.top, now.bottom - now.top);
}

TEST(FramePlacement, AMoveIsStoredInTheDialogsSettingAtOnce)
{
    // A key of the test's own, not one of the program's.
    static const AppSettingKey kTestPosition = {"position.test", "", false};
    DlgClassPlacement placement;
    class Editor : public FieldsDialog {
    public:
        explicit Editor(DlgClassPlacement* p) : m_record(p) {}
        BOOL OnInitDialog() override
        {
            FieldsDialog::OnInitDialog();
            UsePlacement(m_record, 10, &kTestPosition);
            return TRUE;
        }
        DlgClassPlacement* m_record;
    } editor(&placement);
    ASSERT_TRUE(editor.Create(IDD_FIELDS));
    ShowWindow(editor.m_hWnd, SW_SHOW);
    SetWindowPos(editor.m_hWnd, nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT window;
    GetWindowRect(editor.m_hWnd, &window);
    char expected[96];
    snprintf(expected, sizeof(expected), "%ld,%ld,%ld,%ld,%ld", window.left, window.top, window.right,
             window.bottom, placement.placement.state);
    EXPECT_STREQ(expected, GetSetting(App().Settings(), kTestPosition).GetText());
}

TEST(FramePlacement, AStoredPlacementIsReadWithTheStateItWasStoredWith)
{
    static const AppSettingKey kStoredPosition = {"position.stored", "", false};
    const struct {
        const char* stored;
        bool read;
        RECT rectangle;
        long state;
    } cases[] = {
        {"", false, {1, 2, 3, 4}, Placement::Unset},
        {"  ", false, {1, 2, 3, 4}, Placement::Unset},
        {"40,30,860,600,0", true, {40, 30, 860, 600}, Placement::Normal},
        {" 10,20,300,400,2 ", true, {10, 20, 300, 400}, Placement::Maximized},
        {"10,20,300,400", true, {10, 20, 300, 400}, Placement::Normal},
        {"10,20", true, {10, 20, 0, 0}, Placement::Normal},
    };
    for (const auto& c : cases) {
        SetSetting(App().Settings(), kStoredPosition, c.stored);
        Placement placement;
        placement.rectangle = {1, 2, 3, 4};
        EXPECT_EQ(c.read, ReadStoredPlacement(kStoredPosition, placement)) << c.stored;
        EXPECT_EQ(c.rectangle.left, placement.rectangle.left) << c.stored;
        EXPECT_EQ(c.rectangle.top, placement.rectangle.top) << c.stored;
        EXPECT_EQ(c.rectangle.right, placement.rectangle.right) << c.stored;
        EXPECT_EQ(c.rectangle.bottom, placement.rectangle.bottom) << c.stored;
        EXPECT_EQ(c.state, placement.state) << c.stored;
    }
}

TEST(FrameModal, EscapeAndTheCloseBoxGiveTheOpenerZero)
{
    for (UINT message : {0u, 1u}) {
        FieldsDialog dialog;
        UiScript script;
        script.OnWindow("Fields", [message](HWND window) {
            if (message == 0)
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            else
                PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        script.Start();
        EXPECT_EQ(0, dialog.DoModal());
        EXPECT_EQ("", script.Failure());
    }
}

TEST(FrameLocale, AMissingSectionGivesTheDefaults)
{
    FieldsDialog dialog("no.such.section");
    ASSERT_TRUE(dialog.Create(IDD_FIELDS));
    EXPECT_EQ("Default", dialog.Text("ok", "Default"));
    FieldsDialog material;
    ASSERT_TRUE(material.Create(IDD_FIELDS));
    EXPECT_EQ("OK", material.Text("ok", "Default"));
    EXPECT_EQ("en_US", material.GetLanguage());
    // The same language: nothing is read again.
    material.ReloadLocale();
    EXPECT_EQ("en_US", material.GetLanguage());
}

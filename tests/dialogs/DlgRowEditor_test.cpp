// The stock and part editors: rows added, updated, deleted and moved from the
// buttons and the keys, Save enabled exactly while the rows differ from
// those handed over, the status line, the validity of the fields and the
// hook through which the editors see their keys first.
#include "dialogs/DlgBlanks.h"
#include "dialogs/DlgPieces.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "controls/ICPanel.h"
#include "document/DCSProject.h"
#include "foundation/StrUtil.h"
#include "resources/SourceData.h"
#include "support/UiScript.h"
#include "support/UiTestApp.h"

#include "support/DialogDriving.h"
#include "support/KeyPress.h"

namespace {

enum : int {
    kLength = IDC_BLANKS_LENGTH,
    kQuantity = IDC_BLANKS_QUANTITY,
    kKnife = IDC_BLANKS_KNIFE,   // the part editor's label
    kIndent = IDC_BLANKS_INDENT,
    kCost = IDC_BLANKS_COST,     // the part editor's comment
    kComment = IDC_BLANKS_COMMENT,
    kLengthLabel = IDC_BLANKS_LENGTH_TITLE,
    kKnifeLabel = IDC_BLANKS_KNIFE_TITLE,
};

void Type(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

// A key as the application's filter hands it to the hook window: the answer
// says whether the editor took it.
bool Key(HWND dialog, HWND target, UINT message, WPARAM key)
{
    MSG msg = {};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = key;
    return SendMessageA(dialog, UWindowHook::MSG_HOOK_MESSAGE, 0, reinterpret_cast<LPARAM>(&msg)) != 0;
}

// Insert released in an edit: the editor's Add shortcut.
bool InsertIn(HWND dialog, int edit)
{
    HWND window = GetDlgItem(dialog, edit);
    SetFocus(window);
    return Key(dialog, window, WM_KEYUP, VK_INSERT);
}

long Rows(HWND dialog)
{
    return ListRows(dialog, DlgRowEditor::kList);
}

std::string Cell(HWND dialog, long row, long column)
{
    return ListCell(dialog, DlgRowEditor::kList, row, column);
}

long Selected(HWND dialog)
{
    return ListGetSelected(GetDlgItem(dialog, DlgRowEditor::kList));
}

DProps Row(const char* uid, const char* length, const char* quantity, const char* knife = "3")
{
    DProps row;
    row.Set("uid", uid).Set("material", "Steel").Set("length", length).Set("quantity", quantity);
    row.Set("knife", knife).Set("indent", "0").Set("cost", "1").Set("comment", "");
    return row;
}

PropsList ThreeRows()
{
    return {Row("11", "6000", "10"), Row("22", "4000", "5"), Row("33", "3000", "2")};
}

class RowEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Lengths with no decimals and costs with two, as a user may set them.
        App().Settings().Set("length.digits", "0");
        App().Settings().Set("cost.digits", "2");
        App().LoadNumberFormats();
    }
    void TearDown() override { App().SetHookWindow(nullptr); }

    HWND Open(DlgRowEditor& editor)
    {
        EXPECT_TRUE(editor.Create(editor.GetTemplateId()));
        ::ShowWindow(editor.m_hWnd, SW_SHOW);
        return editor.m_hWnd;
    }
    HWND OpenBlanks(DlgBlanks& editor, const PropsList& rows, const char* uid = "", const char* field = nullptr)
    {
        DProps params;
        params.Set("material", "Steel").Set("blank", uid);
        if (field)
            params.Set("field", field);
        EXPECT_TRUE(editor.SetData(params, rows));
        return Open(editor);
    }
};

} // namespace

// ---- Adding ----------------------------------------------------------------------------------

TEST_F(RowEditorTest, InsertInAFieldAddsTheFormAsARowAndEnablesSave)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, {});
    EXPECT_EQ(0, Rows(dialog));
    EXPECT_FALSE(Enabled(dialog, IDOK));
    EXPECT_EQ("No stock rows", WindowText(dialog, DlgRowEditor::kStatus));
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kUpdate));
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kDelete));
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kMoveUp));
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kMoveDown));

    Type(dialog, kLength, "6000");
    Type(dialog, kQuantity, "10");
    Type(dialog, kKnife, "5");
    Type(dialog, kIndent, "10");
    Type(dialog, kCost, "");
    EXPECT_TRUE(InsertIn(dialog, kCost));

    ASSERT_EQ(1, Rows(dialog));
    EXPECT_EQ("1", Cell(dialog, 0, 0));
    EXPECT_EQ("6000", Cell(dialog, 0, 1));
    EXPECT_EQ("10", Cell(dialog, 0, 2));
    EXPECT_EQ(0, Selected(dialog));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    EXPECT_EQ("Stock rows: 1", WindowText(dialog, DlgRowEditor::kStatus));
    // The length edit has the focus again, ready for the next row.
    EXPECT_EQ(GetDlgItem(dialog, kLength), GetFocus());

    ASSERT_EQ(1, editor.GetRows().Count());
    const DProps& row = editor.GetRows().Records()[0];
    EXPECT_EQ("Steel", DProps::GetString(row, "material"));
    EXPECT_EQ("1", DProps::GetString(row, "id"));
    EXPECT_EQ(editor.GetCurrentUid(), DProps::GetString(row, "uid"));
    EXPECT_GT(StrToLong(editor.GetCurrentUid()), 0);
    // An empty cost is valid and takes its default.
    EXPECT_DOUBLE_EQ(1.0, DProps::GetDouble(row, "cost"));
    EXPECT_DOUBLE_EQ(5.0, DProps::GetDouble(row, "knife"));
    EXPECT_TRUE(editor.GetRows().CheckModified());
}

TEST_F(RowEditorTest, AnInvalidFormNeverBecomesARow)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, {});
    Type(dialog, kLength, "0");
    Type(dialog, kQuantity, "10");
    // Below "min" 1: the label shows invalid, Add is disabled, and neither
    // the button nor the keys add a row.
    EXPECT_EQ(static_cast<long>(FieldStateColour(0)), editor.GetTextColour(kLengthLabel));
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kAdd));
    EXPECT_TRUE(InsertIn(dialog, kLength));
    EXPECT_TRUE(Key(dialog, GetDlgItem(dialog, kLength), WM_KEYUP, VK_ADD));
    Click(dialog, DlgRowEditor::kAdd);
    EXPECT_EQ(0, Rows(dialog));
    EXPECT_EQ(0, editor.GetRows().Count());
    EXPECT_FALSE(Enabled(dialog, IDOK));

    // A kerf below 1 is allowed with a warning.
    Type(dialog, kLength, "6000");
    Type(dialog, kKnife, "0.5");
    EXPECT_EQ(static_cast<long>(FieldStateColour(2)), editor.GetTextColour(kKnifeLabel));
    EXPECT_TRUE(Enabled(dialog, DlgRowEditor::kAdd));
    Click(dialog, DlgRowEditor::kAdd);
    EXPECT_EQ(1, Rows(dialog));
}

// ---- Showing, updating, entering ---------------------------------------------------------------

TEST_F(RowEditorTest, OpeningShowsTheNamedRowOrTheFirst)
{
    struct Case {
        const char* uid;
        long selected;
        const char* length;
    };
    for (const Case& c : {Case{"22", 1, "4000"}, Case{"99", 0, "6000"}, Case{"", 0, "6000"}}) {
        DlgBlanks editor(nullptr);
        HWND dialog = OpenBlanks(editor, ThreeRows(), c.uid);
        EXPECT_EQ(c.selected, Selected(dialog)) << c.uid;
        EXPECT_EQ(c.length, WindowText(dialog, kLength)) << c.uid;
        EXPECT_EQ("Stock rows: 3", WindowText(dialog, DlgRowEditor::kStatus));
        // Rows handed over are no change.
        EXPECT_FALSE(Enabled(dialog, IDOK)) << c.uid;
    }
}

TEST_F(RowEditorTest, OpeningByAColumnFocusesItsField)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, ThreeRows(), "33", "5");
    HWND cost = GetDlgItem(dialog, kCost);
    EXPECT_EQ(cost, GetFocus());
    const LRESULT selection = SendMessageA(cost, EM_GETSEL, 0, 0);
    EXPECT_EQ(0, LOWORD(selection));
    EXPECT_EQ(static_cast<WORD>(WindowText(dialog, kCost).size()), HIWORD(selection));
}

TEST_F(RowEditorTest, UpdateStoresTheValueAsTypedNotAsDisplayed)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, ThreeRows(), "22");
    // Lengths show without decimals: a kerf of 2.5 shows as 3 (or 2) but
    // must be cut as 2.5.
    Type(dialog, kKnife, "2.5");
    Type(dialog, kLength, "4000.4");
    Click(dialog, DlgRowEditor::kUpdate);
    DProps row;
    ASSERT_EQ(1, DData::GetRecord(editor.GetRows(), "22", row));
    EXPECT_DOUBLE_EQ(2.5, DProps::GetDouble(row, "knife"));
    EXPECT_DOUBLE_EQ(4000.4, DProps::GetDouble(row, "length"));
    EXPECT_EQ(1, Selected(dialog));
    EXPECT_EQ("2", Cell(dialog, 1, 0));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    // Other keys of the stored row survive.
    EXPECT_EQ("Steel", DProps::GetString(row, "material"));
}

TEST_F(RowEditorTest, EnterSetsOneFieldOfTheCurrentRowWithoutRenumbering)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, ThreeRows(), "33");
    HWND quantity = GetDlgItem(dialog, kQuantity);
    SetFocus(quantity);
    Type(dialog, kQuantity, "7");
    // Enter is taken in every state of the key, so it never reaches Save.
    EXPECT_TRUE(Key(dialog, quantity, WM_KEYDOWN, VK_RETURN));
    EXPECT_TRUE(Key(dialog, quantity, WM_CHAR, '\r'));
    EXPECT_TRUE(Key(dialog, quantity, WM_KEYUP, VK_RETURN));
    EXPECT_EQ("7", Cell(dialog, 2, 2));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    DProps row;
    ASSERT_EQ(2, DData::GetRecord(editor.GetRows(), "33", row));
    EXPECT_EQ("7", DProps::GetString(row, "quantity"));

    // The kerf, entered the same way, keeps its typed precision.
    HWND knife = GetDlgItem(dialog, kKnife);
    SetFocus(knife);
    Type(dialog, kKnife, "2.5");
    EXPECT_TRUE(Key(dialog, knife, WM_KEYUP, VK_RETURN));
    ASSERT_EQ(2, DData::GetRecord(editor.GetRows(), "33", row));
    EXPECT_DOUBLE_EQ(2.5, DProps::GetDouble(row, "knife"));

    // Plain keys and keys of other windows are not the editor's.
    EXPECT_FALSE(Key(dialog, knife, WM_KEYUP, 'A'));
    EXPECT_FALSE(Key(dialog, nullptr, WM_KEYUP, VK_INSERT));
}

// Enter typed in a field sets that field and nothing else; typed anywhere
// else it is the dialog's: on the list it presses Save.
TEST_F(RowEditorTest, EnterOutsideTheFieldsPressesSave)
{
    // The editors hear their keys through the application's filter, which
    // serves the program's main window.
    RecordingMainWindow main;
    ASSERT_TRUE(main.Open());
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, ThreeRows(), "33");
    HWND quantity = GetDlgItem(dialog, kQuantity);
    SetFocus(quantity);
    Type(dialog, kQuantity, "7");
    PressKey(VK_RETURN);
    EXPECT_EQ("7", Cell(dialog, 2, 2));
    ASSERT_TRUE(Enabled(dialog, IDOK));
    EXPECT_TRUE(IsWindowVisible(dialog));

    SetFocus(GetDlgItem(dialog, DlgRowEditor::kList));
    PressKey(VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(dialog));
    // Save's own way out: the editor is no longer the hook window.
    EXPECT_EQ(nullptr, App().HookWindow());
}

// ---- Deleting and moving -------------------------------------------------------------------

TEST_F(RowEditorTest, DeleteSelectsTheRowInItsPlaceOrTheNewLast)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, ThreeRows(), "33");
    HWND list = GetDlgItem(dialog, DlgRowEditor::kList);
    SetFocus(list);
    EXPECT_TRUE(Key(dialog, list, WM_KEYUP, VK_DELETE));
    ASSERT_EQ(2, Rows(dialog));
    EXPECT_EQ(1, Selected(dialog));
    EXPECT_EQ("22", editor.GetCurrentUid());
    EXPECT_EQ("4000", WindowText(dialog, kLength));
    // The Delete key in a field is the field's own.
    HWND length = GetDlgItem(dialog, kLength);
    SetFocus(length);
    EXPECT_FALSE(Key(dialog, length, WM_KEYUP, VK_DELETE));
    EXPECT_EQ(2, Rows(dialog));

    Click(dialog, DlgRowEditor::kDelete);
    Click(dialog, DlgRowEditor::kDelete);
    EXPECT_EQ(0, Rows(dialog));
    EXPECT_EQ("No stock rows", WindowText(dialog, DlgRowEditor::kStatus));
    EXPECT_EQ("", editor.GetCurrentUid());
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kDelete));
    EXPECT_TRUE(Enabled(dialog, IDOK));
}

TEST_F(RowEditorTest, MovingARowAndBackLeavesNothingToSave)
{
    DlgBlanks editor(nullptr);
    HWND dialog = OpenBlanks(editor, ThreeRows(), "33");
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kMoveDown));
    ASSERT_TRUE(Enabled(dialog, DlgRowEditor::kMoveUp));
    Click(dialog, DlgRowEditor::kMoveUp);
    EXPECT_EQ(1, Selected(dialog));
    EXPECT_EQ("3000", Cell(dialog, 1, 1));
    EXPECT_EQ("2", Cell(dialog, 1, 0));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    Click(dialog, DlgRowEditor::kMoveDown);
    EXPECT_EQ(2, Selected(dialog));
    EXPECT_EQ("3000", Cell(dialog, 2, 1));
    EXPECT_FALSE(Enabled(dialog, IDOK));

    // Up at the top does nothing.
    SendMessageA(GetDlgItem(dialog, DlgRowEditor::kList), WM_KEYDOWN, VK_HOME, 0);
    ListSelect(GetDlgItem(dialog, DlgRowEditor::kList), 0, -1, 1);
    EXPECT_EQ("11", editor.GetCurrentUid());
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kMoveUp));
    Click(dialog, DlgRowEditor::kMoveUp);
    EXPECT_EQ("6000", Cell(dialog, 0, 1));
    EXPECT_FALSE(Enabled(dialog, IDOK));
}

// ---- The part editor ----------------------------------------------------------------------------

TEST_F(RowEditorTest, ThePartEditorCountsPartsAndTakesTheMaterialsRows)
{
    DlgPieces refused(nullptr);
    EXPECT_FALSE(refused.SetData(DProps(), nullptr));

    DCSProject material;
    ASSERT_EQ(MaterialNameOk, material.SetMaterial("Steel"));
    DProps a;
    a.Set("length", "1200").Set("quantity", "2").Set("label", "A");
    DProps b;
    b.Set("length", "800").Set("quantity", "3").Set("label", "B");
    ASSERT_TRUE(material.AppendRows({a, b}, RowsPieces));

    DlgPieces editor(nullptr);
    DProps params;
    params.Set("material", "Steel");
    ASSERT_TRUE(editor.SetData(params, &material));
    EXPECT_EQ(&material, editor.GetMaterial());
    HWND dialog = Open(editor);
    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof(caption));
    EXPECT_STREQ("Edit Parts", caption);
    EXPECT_EQ("Part rows: 2 (5)", WindowText(dialog, DlgRowEditor::kStatus));
    EXPECT_EQ("A", WindowText(dialog, kKnife));

    // A label keeps the blanks it was entered with.
    HWND label = GetDlgItem(dialog, kKnife);
    SetFocus(label);
    Type(dialog, kKnife, " B2 ");
    EXPECT_TRUE(Key(dialog, label, WM_KEYUP, VK_RETURN));
    EXPECT_EQ(" B2 ", Cell(dialog, 0, 3));

    // Quantity must be 1 or more for a part.
    Type(dialog, kQuantity, "0");
    EXPECT_FALSE(Enabled(dialog, DlgRowEditor::kAdd));
    // The part editor stores the typed precision.
    Type(dialog, kQuantity, "4");
    Type(dialog, kLength, "1234.56");
    Click(dialog, DlgRowEditor::kAdd);
    ASSERT_EQ(3, editor.GetRows().Count());
    EXPECT_DOUBLE_EQ(1234.56, DProps::GetDouble(editor.GetRows().Records()[2], "length"));
    EXPECT_EQ("Part rows: 3 (9)", WindowText(dialog, DlgRowEditor::kStatus));
}

// ---- Ending -------------------------------------------------------------------------------------

TEST_F(RowEditorTest, SaveAndCancelEndTheModalLoopAndReleaseTheHook)
{
    RecordingMainWindow main;
    ASSERT_TRUE(main.Open());
    for (int button : {IDOK, IDCANCEL}) {
        DlgBlanks editor(nullptr);
        DProps params;
        params.Set("material", "Steel");
        ASSERT_TRUE(editor.SetData(params, ThreeRows()));
        HWND hookSeen = nullptr;
        UiScript script;
        script.OnWindow("Edit Stock", [&](HWND window) {
            hookSeen = App().HookWindow();
            // A real key through the modal loop and the application's filter.
            HWND length = GetDlgItem(window, kLength);
            SetFocus(length);
            SetDlgItemTextA(window, kLength, "2500");
            PostMessageA(length, WM_KEYUP, VK_INSERT, 0xC0000001);
        });
        script.Then([&] { return editor.GetRows().Count() == 4; },
                    [&] { PostMessageA(editor.m_hWnd, WM_COMMAND, button, 0); }, "the added row");
        script.Start();
        const INT_PTR result = editor.DoModal();
        EXPECT_EQ("", script.Failure());
        EXPECT_EQ(button == IDOK ? 1 : 0, result);
        EXPECT_NE(nullptr, hookSeen);
        EXPECT_EQ(nullptr, App().HookWindow());
        EXPECT_TRUE(editor.GetRows().CheckModified());
    }
}

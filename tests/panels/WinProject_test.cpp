// The source data page: the current material's rows in two lists with their
// totals and validity colours, the editors opened from it, rows imported
// from and exported to delimited text, and the events it raises and hears.
#include "panels/WinProject.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "PanelHost.h"
#include "controls/ICPanel.h"
#include "controls/ICStatic.h"
#include "dialogs/DialogIds.h"
#include "dialogs/DlgDelimited.h"
#include "dialogs/DlgExport.h"
#include "dialogs/DlgImport.h"
#include "dialogs/DlgRowEditor.h"
#include "foundation/DAppSettings.h"
#include "foundation/Helper.h"
#include "support/DialogDriving.h"
#include "support/MessageBoxAnswer.h"
#include "support/SolvedMaterial.h"
#include "support/TestFiles.h"
#include "support/UiScript.h"

namespace {

// The save dialog answers with a path of the test's choosing.
class SaveTo : public Helper::SystemCalls {
public:
    BOOL SaveDialog(OPENFILENAMEA* ofn) override
    {
        strncpy(ofn->lpstrFile, path.c_str(), ofn->nMaxFile - 1);
        return TRUE;
    }
    BOOL Execute(SHELLEXECUTEINFOA*) override { return TRUE; }
    std::string path;
};

class SourcePage : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        host.ShowSource();
        for (const char* key : {"import.pieces.separator", "import.pieces.format", "import.pieces.compact",
                                "export.blanks.separator", "export.blanks.format"})
            App().Settings().Set(key, "");
    }

    WinProject& Page() { return *host.source; }
    HWND Item(int id) { return Page().GetDlgItem(id); }
    DCSProject* Current() { return App().Document().GetProject(-1, false); }
    long Rows(int list) { return static_cast<long>(SendMessageA(Item(list), LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int list, long row, long column)
    {
        char text[256] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(Item(list), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::string Title(int id)
    {
        auto* label = dynamic_cast<ICStatic*>(Page().FindControl(id));
        return label ? label->GetText() : "<none>";
    }
    bool Enabled(int id) { return IsWindowEnabled(Item(id)) != FALSE; }
    void Press(int id)
    {
        SendMessageA(Page().m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    // A project of one material with two stock rows and (when asked) two
    // part rows, opened as the application opens a project.
    DCSProject* OpenSteel(bool withParts = true)
    {
        DCSSolution& document = App().Document();
        EXPECT_TRUE(document.New("Garage", "Shelves", "Steel"));
        DCSProject* steel = document.GetProject(0, false);
        steel->AppendRows({RowOf({{"length", "6000"}, {"quantity", "10"}, {"knife", "3"}, {"cost", "12.5"}}),
                           RowOf({{"length", "4000.5"}, {"quantity", "0"}})},
                          RowsBlanks);
        if (withParts)
            steel->AppendRows({RowOf({{"length", "1200"}, {"quantity", "2"}, {"label", "A"}}),
                               RowOf({{"length", "800"}, {"quantity", "3"}, {"label", "B"}})},
                              RowsPieces);
        document.UpdateFingerprint(true);
        App().OnAppEvent(kEventProjectOpened, 0);
        Pump();
        App().SelectMaterial(0);
        host.events.clear();
        return steel;
    }
};

} // namespace

// ---- Showing ------------------------------------------------------------------------------------

TEST_F(SourcePage, ShowsTheCurrentMaterialsRowsTotalsAndValidity)
{
    DCSProject* steel = OpenSteel();
    EXPECT_EQ(steel, Page().GetMaterial());
    EXPECT_EQ("Steel", WindowText(Item(WinProject::kName), 0));
    ASSERT_EQ(2, Rows(WinProject::kStockList));
    EXPECT_EQ("1", Cell(WinProject::kStockList, 0, 0));
    EXPECT_EQ("0", Cell(WinProject::kStockList, 1, 2));
    EXPECT_EQ("Stock (2)", Title(WinProject::kStockTitle));
    EXPECT_EQ("Parts (2:5)", Title(WinProject::kPartTitle));
    EXPECT_TRUE(Enabled(WinProject::kStockExport));
    EXPECT_TRUE(Enabled(WinProject::kPartExport));
    EXPECT_EQ(WinProject::kValidColour, Page().GetLabelColour(WinProject::kStockTitle));
    EXPECT_EQ(WinProject::kValidColour, Page().GetLabelColour(WinProject::kNameLabel));
    EXPECT_EQ(0, ListGetSelected(Item(WinProject::kStockList)));
    EXPECT_EQ(Cell(WinProject::kStockList, 0, 0), "1");
}

TEST_F(SourcePage, AMaterialWithoutPartsShowsTheBareTitleAndNoPartExport)
{
    OpenSteel(false);
    EXPECT_EQ(0, Rows(WinProject::kPartList));
    EXPECT_EQ("Parts", Title(WinProject::kPartTitle));
    EXPECT_FALSE(Enabled(WinProject::kPartExport));
    EXPECT_EQ(WinProject::kInvalidColour, Page().GetLabelColour(WinProject::kPartTitle));
    // Without parts the material has a warning to list.
    EXPECT_TRUE(Enabled(WinProject::kMessages));
}

TEST_F(SourcePage, ANewNumberFormatReformatsTheLists)
{
    OpenSteel();
    App().Settings().Set("length.digits", "2");
    App().Settings().Set("length.zeroes", "1");
    App().LoadNumberFormats();
    App().OnAppEvent(kEventSettingsChanged, 0);
    EXPECT_EQ("4000.50", Cell(WinProject::kStockList, 1, 1));
    App().Settings().Set("length.digits", "0");
    App().LoadNumberFormats();
    App().OnAppEvent(kEventSettingsChanged, 0);
    EXPECT_EQ(std::string::npos, Cell(WinProject::kStockList, 1, 1).find('.'));
}

TEST_F(SourcePage, ClosingTheProjectEmptiesThePage)
{
    OpenSteel();
    App().Document().Reset();
    App().OnAppEvent(kEventProjectClosed, 0);
    EXPECT_EQ(nullptr, Page().GetMaterial());
    EXPECT_EQ(0, Rows(WinProject::kStockList));
    EXPECT_EQ("", WindowText(Item(WinProject::kName), 0));
    EXPECT_FALSE(Enabled(WinProject::kStockEdit));
}

TEST_F(SourcePage, TheListsShowTheirRowsAndKeepTheSelectedOne)
{
    DCSProject* steel = OpenSteel(false);
    PropsList parts;
    for (int i = 0; i < 30; ++i) {
        const std::string length = std::to_string(100 + i);
        const std::string label = "L" + std::to_string(i);
        parts.push_back(RowOf({{"length", length.c_str()}, {"quantity", "1"}, {"label", label.c_str()}}));
    }
    steel->AppendRows(parts, RowsPieces);
    Page().FillLists();
    HWND list = Item(WinProject::kPartList);
    ASSERT_EQ(30, Rows(WinProject::kPartList));
    EXPECT_EQ("25", Cell(WinProject::kPartList, 24, 0));
    EXPECT_EQ("124", Cell(WinProject::kPartList, 24, 1));
    EXPECT_EQ("L24", Cell(WinProject::kPartList, 24, 3));
    EXPECT_EQ("", Cell(WinProject::kPartList, 30, 0));
    EXPECT_EQ(0, ListGetSelected(list));

    // A row selected is the page's selected row.
    ListSelect(list, 24, 0, 1);
    EXPECT_EQ(DProps::GetString(steel->GetPieceRows()[24], "uid"), Page().GetSelectedUid(RowsPieces));
    // A refill keeps the selected row.
    Page().FillLists();
    EXPECT_EQ(24, ListGetSelected(list));
}

// ---- Editing ------------------------------------------------------------------------------------

TEST_F(SourcePage, AnEditorsSavedRowsReplaceTheMaterialsRows)
{
    DCSProject* steel = OpenSteel();
    UiScript script;
    script.OnWindow("Edit Stock", [](HWND editor) {
        SetDlgItemTextA(editor, IDC_BLANKS_LENGTH, "2500");
        SetDlgItemTextA(editor, IDC_BLANKS_QUANTITY, "4");
        HWND length = GetDlgItem(editor, IDC_BLANKS_LENGTH);
        SetFocus(length);
        // Insert released in a field, through the application's filter.
        PostMessageA(length, WM_KEYUP, VK_INSERT, 0xC0000001);
    });
    script.Then([] { return ListRows(UiScript::FindThreadWindow("Edit Stock"), DlgRowEditor::kList) == 3; },
                [] { PostMessageA(UiScript::FindThreadWindow("Edit Stock"), WM_COMMAND, IDOK, 0); },
                "the added row");
    script.Start();
    Press(WinProject::kStockEdit);
    EXPECT_EQ("", script.Failure());
    ASSERT_EQ(3u, steel->GetBlankRows().size());
    EXPECT_EQ("2500", DProps::GetString(steel->GetBlankRows()[2], "length"));
    EXPECT_EQ("Steel", DProps::GetString(steel->GetBlankRows()[2], "material"));
    EXPECT_EQ(3, Rows(WinProject::kStockList));
    // The row edited last is selected.
    EXPECT_EQ(2, ListGetSelected(Item(WinProject::kStockList)));
    EXPECT_EQ("Stock (3)", Title(WinProject::kStockTitle));
    ASSERT_FALSE(host.events.empty());
    EXPECT_EQ(kEventProjectDataChanged, host.events.back().code);
    EXPECT_EQ(&Page(), host.events.back().sender);
}

TEST_F(SourcePage, ACancelledEditorChangesNothingButStillReportsToTheOthers)
{
    DCSProject* steel = OpenSteel();
    UiScript script;
    script.OnWindow("Edit Parts", [](HWND editor) { PostMessageA(editor, WM_COMMAND, IDCANCEL, 0); });
    script.Start();
    Press(WinProject::kPartEdit);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(2u, steel->GetPieceRows().size());
    ASSERT_EQ(1u, host.events.size());
    EXPECT_EQ(kEventProjectDataChanged, host.events[0].code);
    EXPECT_EQ(&Page(), host.events[0].sender);
    EXPECT_EQ(Item(WinProject::kPartList), GetFocus());
}

TEST_F(SourcePage, ADoubleClickOnACellOpensTheEditorAtItsField)
{
    OpenSteel();
    HWND list = Item(WinProject::kStockList);
    RECT cell = {LVIR_BOUNDS, 5, 0, 0};
    SendMessageA(list, LVM_GETSUBITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
    POINT point = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &point);
    SetCursorPos(point.x, point.y);
    ListSelect(list, 1, 0, 1);
    int focused = 0;
    UiScript script;
    script.OnWindow("Edit Stock", [&](HWND editor) {
        focused = GetDlgCtrlID(GetFocus());
        PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    NMHDR click = {list, static_cast<UINT_PTR>(WinProject::kStockList), static_cast<UINT>(NM_DBLCLK)};
    SendMessageA(Page().m_hWnd, WM_NOTIFY, WinProject::kStockList, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ("", script.Failure());
    // Column 5 is the cost.
    EXPECT_EQ(IDC_BLANKS_COST, focused);
}

// ---- Import and export ---------------------------------------------------------------------------

TEST_F(SourcePage, ImportedPartsJoinTheMaterialAndDropItsResults)
{
    DCSProject* steel = OpenSteel();
    ApplyPatterns(*steel, {{1, 1, {{1, 2}, {2, 3}}}});
    ASSERT_FALSE(steel->GetCuttingRows().empty());
    host.events.clear();
    ASSERT_TRUE(Helper::SetClipboardText("6000;10;3\r\n4000;5;3\r\n"));

    UiScript script;
    script.OnWindow("Import Parts", [](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DlgImport::kClipboard, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, DlgImport::kClipboard)));
    });
    script.Then([] { return ListRows(UiScript::FindThreadWindow("Import Parts"), DlgDelimited::kList) == 2; },
                [] { PostMessageA(UiScript::FindThreadWindow("Import Parts"), WM_COMMAND, IDOK, 0); },
                "two rows read");
    script.Start();
    // The first import offers the stored defaults: ";" and the four fields.
    const DProps descriptor = Page().ImportDescriptor(RowsPieces);
    EXPECT_EQ(";", DProps::GetString(descriptor, "field.separator"));
    EXPECT_EQ("1", DProps::GetString(descriptor, "compact"));
    EXPECT_EQ("length;quantity;label;comment", DProps::GetString(descriptor, "format"));
    Press(WinProject::kPartImport);
    EXPECT_EQ("", script.Failure());

    ASSERT_EQ(4u, steel->GetPieceRows().size());
    EXPECT_EQ("4000", DProps::GetString(steel->GetPieceRows()[3], "length"));
    EXPECT_EQ("3", DProps::GetString(steel->GetPieceRows()[3], "label"));
    for (const DProps& row : steel->GetPieceRows())
        EXPECT_EQ("Steel", DProps::GetString(row, "material"));
    EXPECT_TRUE(steel->GetCuttingRows().empty());
    EXPECT_EQ(4, Rows(WinProject::kPartList));
    EXPECT_EQ("Parts (4:20)", Title(WinProject::kPartTitle));
    std::vector<long> codes = host.Codes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(kEventSolutionsChanged, codes.front());
    EXPECT_EQ(kEventProjectDataChanged, codes.back());
    EXPECT_EQ(&Page(), host.events.back().sender);
    EXPECT_EQ(";", App().Settings().Get("import.pieces.separator", "").ToStdString());
    EXPECT_EQ("length;quantity;label;comment", App().Settings().Get("import.pieces.format", "").ToStdString());
    // Import and export keep their own choices.
    EXPECT_EQ("", App().Settings().Get("export.pieces.separator", "").ToStdString());
}

TEST_F(SourcePage, TheLineBreakSeparatorIsOfferedAgainAfterTheSettingsFile)
{
    DCSProject* steel = OpenSteel();
    // One value a line: the dialog takes the line break as the separator.
    ASSERT_TRUE(Helper::SetClipboardText("900\r\n2\r\n700\r\n1\r\n500\r\n3\r\n"));
    UiScript script;
    script.OnWindow("Import Parts", [](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DlgImport::kClipboard, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, DlgImport::kClipboard)));
    });
    script.Then([] { return ListRows(UiScript::FindThreadWindow("Import Parts"), DlgDelimited::kList) == 3; },
                [] { PostMessageA(UiScript::FindThreadWindow("Import Parts"), WM_COMMAND, IDOK, 0); },
                "three rows read");
    script.Start();
    App().Settings().Set("import.pieces.format", "length;quantity");
    Press(WinProject::kPartImport);
    EXPECT_EQ("", script.Failure());
    ASSERT_EQ(5u, steel->GetPieceRows().size());
    EXPECT_EQ("500", DProps::GetString(steel->GetPieceRows()[4], "length"));

    // A settings line loses a bare line break at its end; the escape does not.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "bravik_separator.properties";
    DeleteFileA(path.c_str());
    {
        DAppSettings file;
        file.Load(path.c_str());
        file.Set("import.pieces.separator", App().Settings().Get("import.pieces.separator", "").GetText());
        ASSERT_EQ(2, file.Save(false));
    }
    DAppSettings reread;
    reread.Load(path.c_str());
    DeleteFileA(path.c_str());
    App().Settings().Set("import.pieces.separator", reread.Get("import.pieces.separator", "").GetText());
    EXPECT_EQ("\r", DProps::GetString(Page().ImportDescriptor(RowsPieces), "field.separator"));
}

TEST_F(SourcePage, AnImportThatIsCancelledOrReadsNothingChangesNothing)
{
    DCSProject* steel = OpenSteel();
    for (bool ok : {false, true}) {
        UiScript script;
        script.OnWindow("Import Stock", [ok](HWND dialog) {
            // The text is blank: OK reads no row.
            PostMessageA(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
        });
        script.Start();
        Press(WinProject::kStockImport);
        EXPECT_EQ("", script.Failure());
        EXPECT_EQ(2u, steel->GetBlankRows().size());
        EXPECT_TRUE(host.events.empty());
    }
}

TEST_F(SourcePage, ExportedStockRowsAreWrittenInTheStoredFormat)
{
    OpenSteel();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "bravik_stock_export.txt";
    DeleteFileA(path.c_str());
    SaveTo calls;
    calls.path = path;
    Helper::SystemCalls* previous = Helper::SetSystemCalls(&calls);
    App().Settings().Set("export.blanks.format", "id;length;quantity");
    App().Settings().Set("export.blanks.separator", "|");

    UiScript script;
    script.OnWindow("Export Stock", [](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(DlgExport::kSaveFile, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, DlgExport::kSaveFile)));
    });
    AnswerBox(script, "File", IDCANCEL);
    script.Then([] { return UiScript::FindThreadWindow("File") == nullptr; },
                [] {
                    HWND dialog = UiScript::FindThreadWindow("Export Stock");
                    // A changed separator is kept for the next export by OK.
                    HWND combo = GetDlgItem(dialog, DlgDelimited::kSeparator);
                    SendMessageA(combo, CB_SETCURSEL, 1, 0);
                    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DlgDelimited::kSeparator, CBN_SELCHANGE),
                                 reinterpret_cast<LPARAM>(combo));
                    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                },
                "the File saved box closed");
    script.Start();
    Press(WinProject::kStockExport);
    Helper::SetSystemCalls(previous);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ("1|6000|10\r\n2|4000.5|0\r\n", ReadBytes(path));
    EXPECT_EQ(";", App().Settings().Get("export.blanks.separator", "").ToStdString());
    EXPECT_EQ("id;length;quantity", App().Settings().Get("export.blanks.format", "").ToStdString());
    EXPECT_TRUE(host.events.empty());
    DeleteFileA(path.c_str());
}

// ---- Renaming -------------------------------------------------------------------------------------

TEST_F(SourcePage, RenamingTheMaterialRenamesItsRowsAndTellsTheOthers)
{
    DCSProject* steel = OpenSteel();
    UiScript script;
    script.OnWindow("Material", [](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_MATERIAL_EDIT, "Aluminium");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    script.Start();
    Press(WinProject::kRename);
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ("Aluminium", steel->GetProperty("material"));
    EXPECT_EQ("Aluminium", WindowText(Item(WinProject::kName), 0));
    for (const DProps& row : steel->GetPieceRows())
        EXPECT_EQ("Aluminium", DProps::GetString(row, "material"));
    ASSERT_FALSE(host.events.empty());
    EXPECT_EQ(kEventMaterialEdited, host.events.back().code);
    EXPECT_EQ(nullptr, host.events.back().sender);
}

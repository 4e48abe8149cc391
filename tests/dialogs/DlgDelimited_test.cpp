// The import and export dialogs and the File saved box on real windows: the
// text an export makes and writes, the records an import reads from typed,
// pasted and loaded text, the field order the user builds, and the states
// of their buttons.
#include "dialogs/DlgExport.h"
#include "dialogs/DlgImport.h"
#include "dialogs/DlgOpenFile.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "resources/SourceData.h"
#include "support/TestFiles.h"

#include "support/DialogDriving.h"
#include "support/MessageBoxAnswer.h"

namespace {

long ListRows(HWND dialog)
{
    return ListRows(dialog, DlgDelimited::kList);
}

std::string Cell(HWND dialog, long row, long column)
{
    return ListCell(dialog, DlgDelimited::kList, row, column);
}

// The file dialogs answer with a path of the test's choosing; the shell
// opens nothing and tells what it was asked.
class FakeCalls : public Helper::SystemCalls {
public:
    BOOL OpenDialog(OPENFILENAMEA* ofn) override { return Answer(ofn); }
    BOOL SaveDialog(OPENFILENAMEA* ofn) override { return Answer(ofn); }
    BOOL Execute(SHELLEXECUTEINFOA* info) override
    {
        executed.push_back(std::string(info->lpFile ? info->lpFile : "") + "|" +
                           (info->lpParameters ? info->lpParameters : ""));
        return TRUE;
    }
    BOOL Answer(OPENFILENAMEA* ofn)
    {
        titles.push_back(ofn->lpstrTitle ? ofn->lpstrTitle : "");
        proposed.push_back(ofn->lpstrFile);
        if (path.empty())
            return FALSE;
        strncpy(ofn->lpstrFile, path.c_str(), ofn->nMaxFile - 1);
        return TRUE;
    }
    std::string path;
    std::vector<std::string> titles;
    std::vector<std::string> proposed;
    std::vector<std::string> executed;
};

// The user's pick from the pop-up menus.
template <class Base>
class Picking : public Base {
public:
    using Base::Base;
    long TrackMenu(const std::vector<std::pair<long, std::string>>& items) override
    {
        offered = items;
        return pick;
    }
    long pick = 0;
    std::vector<std::pair<long, std::string>> offered;
};

class ExportWithoutBox : public Picking<DlgExport> {
public:
    using Picking<DlgExport>::Picking;
    void ShowFileSaved(const std::string& path) override { saved.push_back(path); }
    std::vector<std::string> saved;
};

void ChooseSeparator(HWND dialog, long index)
{
    HWND combo = GetDlgItem(dialog, DlgDelimited::kSeparator);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DlgDelimited::kSeparator, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void SelectEntry(HWND dialog, long index)
{
    HWND box = GetDlgItem(dialog, DlgDelimited::kFormatList);
    SendMessageA(box, LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DlgDelimited::kFormatList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
}

long ListColumns(HWND dialog)
{
    HWND header = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, DlgDelimited::kList, LVM_GETHEADER, 0, 0));
    return static_cast<long>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

std::vector<std::string> Entries(HWND dialog)
{
    std::vector<std::string> entries;
    HWND box = GetDlgItem(dialog, DlgDelimited::kFormatList);
    const long count = static_cast<long>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (long i = 0; i < count; ++i) {
        char text[128] = "";
        SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

DProps StockExportDescriptor(const char* format, const char* separator)
{
    DProps d;
    d.Set("format.separator", ";").Set("record.separator", "\r\n").Set("file", "stocks.txt");
    d.Set("fields", "id;length;quantity;knife;indent;cost;comment");
    d.Set("titles", "ID;Length;Quantity;Knife;Indent+;Cost;Comment;\\Empty field");
    d.Set("columns", "60;140;140;140;140;140;320");
    d.Set("field.separator", separator).Set("format", format);
    return d;
}

DProps PartImportDescriptor(const char* format)
{
    DProps d;
    d.Set("format.separator", ";").Set("record.separator", "\r\n").Set("field.separator", ";");
    d.Set("file", "parts.txt").Set("compact", "1");
    d.Set("fields", "length;quantity;label;comment");
    d.Set("titles", "Length;Quantity;Label;Comment;\\Empty field");
    d.Set("columns", "160;160;160;420");
    d.Set("format", format);
    return d;
}

PropsList StockRecords(int count)
{
    PropsList rows;
    for (int i = 1; i <= count; ++i) {
        DProps row;
        row.SetLong("id", i).Set("length", i % 2 ? "6000" : "4000.5").SetLong("quantity", i % 10);
        row.Set("knife", "3").Set("comment", "bar");
        rows.push_back(row);
    }
    return rows;
}

class DelimitedDialogTest : public TempFolderTest {
protected:
    DelimitedDialogTest() : TempFolderTest("bravik_dlgtext_") {}
    void SetUp() override
    {
        TempFolderTest::SetUp();
        previous = Helper::SetSystemCalls(&calls);
    }
    void TearDown() override
    {
        Helper::SetSystemCalls(previous);
        TempFolderTest::TearDown();
    }
    HWND Open(DlgDelimited& dialog)
    {
        EXPECT_TRUE(dialog.Create(dialog.GetTemplateId()));
        ShowWindow(dialog.m_hWnd, SW_SHOW);
        return dialog.m_hWnd;
    }

    FakeCalls calls;
    Helper::SystemCalls* previous = nullptr;
};

} // namespace

// ---- Export ------------------------------------------------------------------------------------

TEST_F(DelimitedDialogTest, ExportWritesTheTextOfTheChosenFormatByteForByte)
{
    ExportWithoutBox dialog(nullptr);
    EXPECT_FALSE(dialog.Setup(StockExportDescriptor("id;length;quantity", "|"), {}));
    ASSERT_TRUE(dialog.Setup(StockExportDescriptor("id;length;quantity", "|"), StockRecords(2)));
    HWND window = Open(dialog);
    // "|" picks the vertical bar.
    EXPECT_EQ(3, SendDlgItemMessageA(window, DlgDelimited::kSeparator, CB_GETCURSEL, 0, 0));
    EXPECT_EQ("1|6000|1\r\n2|4000.5|2\r\n", dialog.GetOutput());
    EXPECT_EQ((std::vector<std::string>{"ID", "Length", "Quantity"}), Entries(window));
    EXPECT_EQ(2, ListRows(window));
    EXPECT_EQ(7, ListColumns(window));
    EXPECT_EQ("bar", Cell(window, 0, 6));
    // Nothing changed yet: OK keeps the old formatting anyway.
    EXPECT_FALSE(Enabled(window, IDOK));

    calls.path = Path("stocks.txt");
    Click(window, DlgExport::kSaveFile);
    EXPECT_EQ("1|6000|1\r\n2|4000.5|2\r\n", ReadBytes(Path("stocks.txt")));
    EXPECT_EQ(std::vector<std::string>{Path("stocks.txt")}, dialog.saved);
    EXPECT_EQ("stocks.txt", calls.proposed.back());

    // Cancelling the file dialog writes nothing.
    calls.path.clear();
    dialog.saved.clear();
    Click(window, DlgExport::kSaveFile);
    EXPECT_TRUE(dialog.saved.empty());
}

TEST_F(DelimitedDialogTest, TheFormatAndTheSeparatorMakeTheTextAndEnableOk)
{
    Picking<DlgExport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(StockExportDescriptor("length;quantity", "."), StockRecords(2)));
    HWND window = Open(dialog);
    // No entry begins with ".": TAB.
    EXPECT_EQ(0, SendDlgItemMessageA(window, DlgDelimited::kSeparator, CB_GETCURSEL, 0, 0));
    EXPECT_EQ("6000\t1\r\n4000.5\t2\r\n", dialog.GetOutput());
    // The stored "." and the TAB shown differ: OK is enabled from the start.
    EXPECT_TRUE(Enabled(window, IDOK));

    ChooseSeparator(window, 1);
    EXPECT_EQ("6000;1\r\n4000.5;2\r\n", dialog.GetOutput());
    EXPECT_EQ(";", DProps::GetString(dialog.GetParams(), "field.separator"));

    // The empty field between the two: an empty column.
    SelectEntry(window, 1);
    dialog.pick = 8;  // the empty field comes after the seven fields
    Click(window, DlgDelimited::kInsert);
    EXPECT_EQ("6000;;1\r\n4000.5;;2\r\n", dialog.GetOutput());
    EXPECT_EQ("length;\\empty;quantity", DProps::GetString(dialog.GetParams(), "format"));
    EXPECT_EQ((std::vector<std::string>{"Length", "\\Empty field", "Quantity"}), Entries(window));
    EXPECT_EQ(1, dialog.GetSelectedEntry());
    // Fields already chosen are not offered again; the empty field always is.
    std::vector<long> offered;
    for (const auto& item : dialog.offered)
        offered.push_back(item.first);
    EXPECT_EQ((std::vector<long>{1, 4, 5, 6, 7, 8}), offered);

    // Typed changes are lost with the next change of the formatting.
    TypeText(window, DlgDelimited::kText, "typed");
    EXPECT_EQ("typed", dialog.GetOutput());
    Click(window, DlgDelimited::kRemove);
    EXPECT_EQ("6000;1\r\n4000.5;2\r\n", dialog.GetOutput());
    EXPECT_EQ(1, dialog.GetSelectedEntry());

    // Moving the last entry down does nothing; up swaps.
    EXPECT_FALSE(Enabled(window, DlgDelimited::kMoveDown));
    Click(window, DlgDelimited::kMoveDown);
    EXPECT_EQ("length;quantity", DProps::GetString(dialog.GetParams(), "format"));
    Click(window, DlgDelimited::kMoveUp);
    EXPECT_EQ("1;6000\r\n2;4000.5\r\n", dialog.GetOutput());
    EXPECT_EQ(0, dialog.GetSelectedEntry());
    EXPECT_FALSE(Enabled(window, DlgDelimited::kMoveUp));

    // Appending at the end; dismissing the menu changes nothing.
    dialog.pick = 0;
    Click(window, DlgDelimited::kAppend);
    EXPECT_EQ(2u, Entries(window).size());
    dialog.pick = 1;
    Click(window, DlgDelimited::kAppend);
    EXPECT_EQ("quantity;length;id", DProps::GetString(dialog.GetParams(), "format"));
    EXPECT_EQ(2, dialog.GetSelectedEntry());
}

TEST_F(DelimitedDialogTest, OkFollowsTheDifferenceFromTheCallersFormatting)
{
    Picking<DlgExport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(StockExportDescriptor("length;quantity", ";"), StockRecords(1)));
    HWND window = Open(dialog);
    EXPECT_FALSE(Enabled(window, IDOK));
    ChooseSeparator(window, 2);
    EXPECT_TRUE(Enabled(window, IDOK));
    ChooseSeparator(window, 1);
    EXPECT_FALSE(Enabled(window, IDOK));
    SelectEntry(window, 1);
    Click(window, DlgDelimited::kMoveUp);
    EXPECT_TRUE(Enabled(window, IDOK));
    Click(window, DlgDelimited::kMoveDown);
    EXPECT_FALSE(Enabled(window, IDOK));
    // With no text there is nothing to save or copy.
    TypeText(window, DlgDelimited::kText, "");
    EXPECT_FALSE(Enabled(window, DlgExport::kSaveFile));
    EXPECT_FALSE(Enabled(window, DlgExport::kClipboard));
}

TEST_F(DelimitedDialogTest, ALargeExportIsWrittenWholeAndAFailedOneLeavesTheOldFile)
{
    ExportWithoutBox dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(StockExportDescriptor("id;length;quantity;knife;comment", ";"), StockRecords(9000)));
    HWND window = Open(dialog);
    const std::string expected = DData::Export(dialog.GetParams(), dialog.GetTable());
    ASSERT_GT(expected.size(), 150000u);
    EXPECT_EQ(expected, dialog.GetOutput());
    calls.path = Path("large.txt");
    Click(window, DlgExport::kSaveFile);
    EXPECT_EQ(expected, ReadBytes(Path("large.txt")));
    EXPECT_EQ(1u, dialog.saved.size());

    // Clipboard: the whole text, trimmed.
    Click(window, DlgExport::kClipboard);
    std::string clip;
    Helper::GetClipboardText(clip);
    std::string trimmed = expected;
    EXPECT_EQ(StrTrim(trimmed), clip);

    // A file that cannot be replaced: an error, and the old bytes stay.
    WriteBytes(Path("locked.txt"), "old");
    HANDLE lock = CreateFileA(Path("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    calls.path = Path("locked.txt");
    dialog.saved.clear();
    const std::string message =
        AnswerBoxShownBy("KORVA Bravik", IDOK, [window] { Click(window, DlgExport::kSaveFile); });
    CloseHandle(lock);
    EXPECT_NE(std::string::npos, message.find("locked.txt")) << message;
    EXPECT_TRUE(dialog.saved.empty());
    EXPECT_EQ("old", ReadBytes(Path("locked.txt")));
}

TEST_F(DelimitedDialogTest, FormatFilesSaveAndLoadTheFieldOrder)
{
    Picking<DlgExport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(StockExportDescriptor("length;quantity;knife;comment", ";"), StockRecords(1)));
    HWND window = Open(dialog);
    dialog.pick = DlgDelimited::kSaveFormat;
    calls.path = Path("order");
    Click(window, DlgDelimited::kFormatFile);
    EXPECT_EQ("length;quantity;knife;comment", ReadBytes(Path("order.fmt")));
    EXPECT_EQ(29u, ReadBytes(Path("order.fmt")).size());
    // An extension in capitals is not "fmt": a second one is added.
    calls.path = Path("upper.FMT");
    Click(window, DlgDelimited::kFormatFile);
    EXPECT_EQ("length;quantity;knife;comment", ReadBytes(Path("upper.FMT.fmt")));

    // A loaded order replaces the chosen one; a foreign key shows as the empty field.
    WriteBytes(Path("foreign.fmt"), "comment;label;length");
    dialog.pick = DlgDelimited::kLoadFormat;
    calls.path = Path("foreign.fmt");
    Click(window, DlgDelimited::kFormatFile);
    EXPECT_EQ("comment;\\empty;length", DProps::GetString(dialog.GetParams(), "format"));
    EXPECT_EQ((std::vector<std::string>{"Comment", "\\Empty field", "Length"}), Entries(window));

    // The 29-byte file reads back into the same order.
    calls.path = Path("order.fmt");
    Click(window, DlgDelimited::kFormatFile);
    EXPECT_EQ("length;quantity;knife;comment", DProps::GetString(dialog.GetParams(), "format"));
    // A file that holds no key changes nothing.
    WriteBytes(Path("empty.fmt"), "");
    calls.path = Path("empty.fmt");
    Click(window, DlgDelimited::kFormatFile);
    EXPECT_EQ("length;quantity;knife;comment", DProps::GetString(dialog.GetParams(), "format"));
}

// ---- Import ------------------------------------------------------------------------------------

TEST_F(DelimitedDialogTest, PastedTextIsReadAtOnce)
{
    Picking<DlgImport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(PartImportDescriptor("length;quantity;label"), ""));
    HWND window = Open(dialog);
    EXPECT_FALSE(Enabled(window, IDOK));
    // The result list always shows every field.
    EXPECT_EQ(4, ListColumns(window));

    ASSERT_TRUE(Helper::SetClipboardText("6000;10;3\r\n4000;5;3\r\n"));
    Click(window, DlgImport::kClipboard);
    EXPECT_EQ(1, SendDlgItemMessageA(window, DlgDelimited::kSeparator, CB_GETCURSEL, 0, 0));
    ASSERT_EQ(2, ListRows(window));
    EXPECT_EQ("4000", Cell(window, 1, 0));
    EXPECT_EQ("3", Cell(window, 1, 2));
    EXPECT_EQ("", Cell(window, 1, 3));
    EXPECT_TRUE(Enabled(window, IDOK));
    ASSERT_EQ(2, dialog.GetTable().Count());
    EXPECT_EQ("10", DProps::GetString(dialog.GetTable().Records()[0], "quantity"));

    // Two lines of one separator each: nothing is detected and the choice stays.
    ChooseSeparator(window, 2);
    ASSERT_TRUE(Helper::SetClipboardText("1000;2\r\n1500;4"));
    Click(window, DlgImport::kClipboard);
    EXPECT_EQ(2, SendDlgItemMessageA(window, DlgDelimited::kSeparator, CB_GETCURSEL, 0, 0));
    EXPECT_EQ("1000;2", Cell(window, 0, 0));

    // Six lines of one value each: one field per line, every three lines
    // (the keys of the format) one record.
    ASSERT_TRUE(Helper::SetClipboardText("10\r\n2\r\n20\r\n3\r\n30\r\n4"));
    Click(window, DlgImport::kClipboard);
    EXPECT_EQ(3, SendDlgItemMessageA(window, DlgDelimited::kSeparator, CB_GETCURSEL, 0, 0));
    ASSERT_EQ(2, ListRows(window));
    EXPECT_EQ("3", Cell(window, 1, 0));
    EXPECT_EQ("30", Cell(window, 1, 1));
    EXPECT_EQ("4", Cell(window, 1, 2));

    // A blank clipboard changes nothing.
    ASSERT_TRUE(Helper::SetClipboardText("  \r\n "));
    Click(window, DlgImport::kClipboard);
    EXPECT_EQ(2, ListRows(window));
}

TEST_F(DelimitedDialogTest, TypingCompactAndTheFormatParseAgain)
{
    Picking<DlgImport> dialog(nullptr);
    DProps descriptor = PartImportDescriptor("length;Quantity;\\empty;comment");
    ASSERT_TRUE(dialog.Setup(descriptor, ""));
    // A key that is not a field becomes the empty field.
    EXPECT_EQ((std::vector<std::string>{"length", "\\empty", "\\empty", "comment"}), dialog.GetFormat().Keys());
    HWND window = Open(dialog);
    TypeText(window, DlgDelimited::kText, "1 200;x;y;long part");
    ASSERT_EQ(1, ListRows(window));
    EXPECT_EQ("1200", Cell(window, 0, 0));
    EXPECT_EQ("", Cell(window, 0, 1));
    EXPECT_EQ("long part", Cell(window, 0, 3));
    EXPECT_TRUE(Enabled(window, IDOK));

    SendDlgItemMessageA(window, DlgImport::kCompact, BM_SETCHECK, BST_UNCHECKED, 0);
    Click(window, DlgImport::kCompact);
    EXPECT_EQ("0", DProps::GetString(dialog.GetParams(), "compact"));
    EXPECT_EQ("1 200", Cell(window, 0, 0));

    SelectEntry(window, 1);
    dialog.pick = 2;  // quantity
    Click(window, DlgDelimited::kInsert);
    EXPECT_EQ("length;quantity;\\empty;\\empty;comment", DProps::GetString(dialog.GetParams(), "format"));
    EXPECT_EQ("x", Cell(window, 0, 1));
    // The line ends before the comment's column: nothing stands in for it.
    EXPECT_EQ("", Cell(window, 0, 3));
}

TEST_F(DelimitedDialogTest, ALargeFileIsImportedWhole)
{
    std::string text;
    for (int i = 1; i <= 10000; ++i)
        text += std::to_string(1000 + i) + "," + std::to_string(i % 7 + 1) + ",L" + std::to_string(i) +
                ",part of the order " + std::to_string(i) + "\r\n";
    ASSERT_GT(text.size(), 140000u);
    WriteBytes(Path("parts.csv"), text);

    Picking<DlgImport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(PartImportDescriptor("length;quantity;label;comment"), ""));
    HWND window = Open(dialog);
    calls.path = Path("parts.csv");
    Click(window, DlgImport::kOpenFile);
    EXPECT_EQ(",", DProps::GetString(dialog.GetParams(), "field.separator"));
    ASSERT_EQ(10000, dialog.GetTable().Count());
    const DProps& last = dialog.GetTable().Records().back();
    EXPECT_EQ("11000", DProps::GetString(last, "length"));
    EXPECT_EQ("part of the order 10000", DProps::GetString(last, "comment"));
    EXPECT_EQ(10000, ListRows(window));
    // The box shows the text's beginning, whole lines of it, and cannot be
    // typed into; the records are those of the whole text all the same.
    HWND box = GetDlgItem(window, DlgDelimited::kText);
    const std::string shown = WindowText(window, DlgDelimited::kText);
    EXPECT_LE(shown.size(), 65535u);
    EXPECT_GT(shown.size(), 65000u);
    EXPECT_EQ(0, text.compare(0, shown.size(), shown));
    EXPECT_EQ("\r\n", shown.substr(shown.size() - 2));
    EXPECT_NE(0, GetWindowLongA(box, GWL_STYLE) & ES_READONLY);
    // A change of the separator reads the whole text again.
    ChooseSeparator(window, 1);
    ChooseSeparator(window, 2);
    EXPECT_EQ(10000, dialog.GetTable().Count());
    EXPECT_EQ("part of the order 10000", DProps::GetString(dialog.GetTable().Records().back(), "comment"));
    // A text put into the box is the source again.
    TypeText(window, DlgDelimited::kText, "5,1,A,x");
    EXPECT_EQ(1, dialog.GetTable().Count());
    EXPECT_EQ(0, GetWindowLongA(box, GWL_STYLE) & ES_READONLY);
    calls.path = Path("parts.csv");
    Click(window, DlgImport::kOpenFile);
    EXPECT_EQ(10000, dialog.GetTable().Count());

    // A file written with bare line feeds reads line by line.
    WriteBytes(Path("unix.txt"), "7;1;A;x\n8;2;B;y\n");
    calls.path = Path("unix.txt");
    Click(window, DlgImport::kOpenFile);
    ASSERT_EQ(2, dialog.GetTable().Count());
    // A short text is shown whole and can be typed into.
    EXPECT_EQ("7;1;A;x\r\n8;2;B;y\r\n", WindowText(window, DlgDelimited::kText));
    EXPECT_EQ(0, GetWindowLongA(box, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ("8", DProps::GetString(dialog.GetTable().Records()[1], "length"));
    EXPECT_EQ("y", DProps::GetString(dialog.GetTable().Records()[1], "comment"));

    // A missing file changes nothing.
    calls.path = Path("none.txt");
    Click(window, DlgImport::kOpenFile);
    EXPECT_EQ(2, dialog.GetTable().Count());
}

TEST_F(DelimitedDialogTest, OkRefusesALineWithoutTheSeparatorAndNamesIt)
{
    Picking<DlgImport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(PartImportDescriptor("length;quantity;label;comment"), ""));
    HWND window = Open(dialog);
    TypeText(window, DlgDelimited::kText, "1000;2;A\r\n1500 4\r\n800;1");
    const std::string message =
        AnswerBoxShownBy("KORVA Bravik", IDOK, [window] { SendMessageA(window, WM_COMMAND, IDOK, 0); });
    EXPECT_NE(std::string::npos, message.find("line 2 (\"1500 4\") has no \";\"")) << message;
    // The dialog stays, so the text or the separator can be mended there.
    EXPECT_TRUE(IsWindowVisible(window));

    TypeText(window, DlgDelimited::kText, "1000;2;A\r\n1500;4\r\n");
    SendMessageA(window, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(2, dialog.GetTable().Count());
}

TEST_F(DelimitedDialogTest, AFileIsReadAsWrittenOrRefusedWithItsReason)
{
    Picking<DlgImport> dialog(nullptr);
    ASSERT_TRUE(dialog.Setup(PartImportDescriptor("length;quantity;label;comment"), ""));
    HWND window = Open(dialog);
    WriteBytes(Path("excel.csv"), "\xEF\xBB\xBF" "6100,2,A\r\n");
    calls.path = Path("excel.csv");
    Click(window, DlgImport::kOpenFile);
    ASSERT_EQ(1, ListRows(window));
    EXPECT_EQ("6100", Cell(window, 0, 0));

    // A binary file that happens to hold separators is no text: told, not shown.
    WriteBytes(Path("picture.csv"), std::string("\x89PNG\r\n\x1A\n\0\0,\0,", 13));
    calls.path = Path("picture.csv");
    const std::string message =
        AnswerBoxShownBy("KORVA Bravik", IDOK, [window] { Click(window, DlgImport::kOpenFile); });
    EXPECT_NE(std::string::npos, message.find("picture.csv")) << message;
    EXPECT_NE(std::string::npos, message.find("not text")) << message;
    EXPECT_EQ("6100,2,A\r\n", WindowText(window, DlgDelimited::kText));
    EXPECT_EQ(1, ListRows(window));
}

// ---- File saved box ----------------------------------------------------------------------------

TEST_F(DelimitedDialogTest, TheFileSavedBoxNamesTheFileAndOpensItOrItsFolder)
{
    WriteBytes(Path("out.txt"), "x");
    DlgOpenFile refused(nullptr);
    DProps none;
    none.Set("file", (root + "\\gone\\out.txt").c_str());
    EXPECT_FALSE(refused.SetParams(none));

    for (int button : {IDC_FILESAVED_OPEN_FILE, IDC_FILESAVED_OPEN_FOLDER, IDCANCEL}) {
        DlgOpenFile box(nullptr);
        DProps params;
        params.Set("file", Path("out.txt").c_str());
        ASSERT_TRUE(box.SetParams(params));
        EXPECT_EQ(root + "\\", DProps::GetString(box.Params(), "path"));
        calls.executed.clear();
        INT_PTR result = -1;
        const std::string message = AnswerBoxShownBy("File", button, [&] { result = box.DoModal(); });
        EXPECT_EQ("File " + Path("out.txt") + " has been saved.", message);
        EXPECT_EQ(button == IDC_FILESAVED_OPEN_FILE ? 1 : button == IDC_FILESAVED_OPEN_FOLDER ? 2 : 0, result);
        EXPECT_EQ(button == IDCANCEL ? 0u : 1u, calls.executed.size());
        if (button == IDC_FILESAVED_OPEN_FOLDER && !calls.executed.empty()) {
            EXPECT_NE(std::string::npos, calls.executed[0].find(root)) << calls.executed[0];
        }
    }

    // A caller's title is the caption.
    DlgOpenFile titled(nullptr);
    DProps params;
    params.Set("file", Path("out.txt").c_str()).Set("title", "Saved");
    ASSERT_TRUE(titled.SetParams(params));
    ASSERT_TRUE(titled.Create(IDD_FILESAVED));
    char caption[64] = "";
    GetWindowTextA(titled.m_hWnd, caption, sizeof(caption));
    EXPECT_STREQ("Saved", caption);
}

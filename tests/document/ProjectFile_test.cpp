#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "document/ChangeMasks.h"
#include "document/DCSSolution.h"
#include "foundation/DSettings.h"
#include "foundation/RecordText.h"
#include "foundation/StrList.h"
#include "foundation/TextBlocks.h"
#include "support/CalculationFixture.h"
#include "tests/document/MaterialFixture.h"
#include "support/SolvedMaterial.h"
#include "support/DocumentProbe.h"
#include "tests/document/TestAppServices.h"
#include "support/TestFiles.h"

namespace {

// Every entry of a's bag equal in b and the other way round, skipping keys.
void ExpectSameBag(const DProps& a, const DProps& b, const std::vector<std::string>& skip, const std::string& where)
{
    auto skipped = [&](const char* key) {
        for (const std::string& s : skip)
            if (s == key)
                return true;
        return false;
    };
    for (int i = 0; i < a.Count(); ++i) {
        const char* key = a.GetKeyAt(i);
        if (!skipped(key)) {
            EXPECT_EQ(std::string(a.GetValueAt(i)), DProps::GetString(b, key, "<absent>")) << where << " " << key;
        }
    }
    for (int i = 0; i < b.Count(); ++i) {
        const char* key = b.GetKeyAt(i);
        // A number the reader sets on every row reads back empty where it was absent.
        if (!skipped(key) && *b.GetValueAt(i) != '\0') {
            EXPECT_GE(a.IndexOf(key), 0) << where << " extra " << key;
        }
    }
}

void ExpectSameRows(const PropsList& a, const PropsList& b, const std::string& where)
{
    ASSERT_EQ(a.size(), b.size()) << where;
    for (size_t i = 0; i < a.size(); ++i)
        ExpectSameBag(a[i], b[i], {}, where + " row " + std::to_string(i));
}

// Everything but the line of one key.
std::string WithoutLine(const std::string& text, const std::string& key)
{
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        end = end == std::string::npos ? text.size() : end + 2;
        const std::string line = text.substr(pos, end - pos);
        if (line.compare(0, key.size() + 1, key + "=") != 0)
            out += line;
        pos = end;
    }
    return out;
}

class ProjectFile : public TempFolderTest {
protected:
    ProjectFile() : TempFolderTest("brvk_") {}

    TestAppServices app;
    DCSSolution doc;

    // Two materials: Steel with an applied solution (remnants, a limit on
    // different lengths and an unplaced part), Wood with rows only; texts with
    // ";", quotes, backslashes and line breaks wherever the user can type them.
    void MakeProject()
    {
        ASSERT_TRUE(doc.New("Plan; A", "First line\r\nsecond; line", "Steel"));
        DCSProject& steel = *doc.GetProject(0, false);
        steel.SetProperty("remnants", "500");
        steel.SetProperty("diversity", "2");
        steel.SetProperty("optimize", "1");
        steel.SetProperty("comment", "two\r\nlines; & more");
        steel.SetProperty("comment.active", "1");
        steel.SetProperty("notes", "note\nhere");
        steel.SetProperty("desc", "Steel desc\r\nover two lines");
        FillOrder(steel);
        SetRowValue(steel, RowsPieces, 2, "orphans", "1");
        // Parts listed in the order of their signatures, as a rebuilt layout lists them.
        ApplyPatterns(steel, {{1, 2, {{2, 2}, {1, 2}}}, {2, 1, {{3, 2}, {2, 2}}}});

        ASSERT_TRUE(doc.AddMaterial("Wood", "R&D; pine"));
        DCSProject& wood = *doc.GetProject(1, false);
        wood.SetProperty("active", "0");
        wood.AppendRows({RowOf({{"length", "2400"}, {"quantity", "3"}, {"comment", "a;b"}})}, 1);
        wood.AppendRows({RowOf({{"length", "600"}, {"quantity", "8"}, {"label", "Shelf; top"}})}, 2);
    }
};

TEST_F(ProjectFile, SaveAndLoadGiveTheSameProject)
{
    MakeProject();
    const std::string path = Path("plan.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    EXPECT_EQ(ProjectFileOk, doc.GetFileResult());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ("Incomplete; Smax=2", DProps::GetString(doc.GetProject(0, false)->GetSummaryRows().at(0), "status"));

    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_TRUE(loaded.GetFileNotes().empty());
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(path, loaded.GetFile());
    EXPECT_EQ(0, loaded.GetCurrent());
    ExpectSameBag(doc.GetProperties(), loaded.GetProperties(), {"app", "time.written"}, "project");
    EXPECT_EQ("Plan; A", loaded.GetName());
    EXPECT_EQ("First line\r\nsecond; line", loaded.GetDesc());
    EXPECT_EQ("1.2.20", DProps::GetString(loaded.GetProperties(), "app"));

    ASSERT_EQ(2, loaded.GetCount(false));
    for (long i = 0; i < 2; ++i) {
        DCSProject& a = *doc.GetProject(i, false);
        DCSProject& b = *loaded.GetProject(i, false);
        const std::string where = DProps::GetString(a.GetProperties(), "material", "");
        // A rebuilt layout gives every material a "cost".
        ExpectSameBag(a.GetProperties(), b.GetProperties(), {"app", "cost"}, where);
        EXPECT_EQ("1.2.20", DProps::GetString(b.GetProperties(), "app"));
        ExpectSameRows(a.GetBlankRows(), b.GetBlankRows(), where + " stock");
        ExpectSameRows(a.GetPieceRows(), b.GetPieceRows(), where + " parts");
        ExpectSameRows(a.GetSummaryRows(), b.GetSummaryRows(), where + " summary");
        ExpectSameRows(a.GetCuttingRows(), b.GetCuttingRows(), where + " cuttings");
        ExpectSameRows(a.GetCuttingPartRows(), b.GetCuttingPartRows(), where + " cutting parts");
        ExpectSameRows(a.GetRemnantRows(), b.GetRemnantRows(), where + " remnants");
        if (!a.GetCuttingRows().empty()) {
            EXPECT_EQ(DProps::GetString(a.GetLayout().props, "cost"), DProps::GetString(b.GetProperties(), "cost")) << where;
            ExpectSameBag(a.GetLayout().props, b.GetLayout().props, {"status", "signature"}, where + " statistics");
        }
        EXPECT_FALSE(b.IsChanged(kChangedAnything)) << where;
    }
    DCSProject& steel = *loaded.GetProject(0, false);
    EXPECT_EQ("two\r\nlines; & more", DProps::GetString(steel.GetProperties(), "comment"));
    EXPECT_EQ("note\nhere", DProps::GetString(steel.GetProperties(), "notes"));
    EXPECT_EQ("Steel desc\r\nover two lines", DProps::GetString(steel.GetProperties(), "desc"));
    EXPECT_EQ("Bar; long", DProps::GetString(steel.GetBlankRows().at(0), "label"));
    EXPECT_EQ("Door \"A\" \\ left", DProps::GetString(steel.GetPieceRows().at(0), "label"));
    EXPECT_EQ("x;y;z", DProps::GetString(steel.GetPieceRows().at(1), "comment"));
    EXPECT_EQ(2u, steel.GetLayout().cuttings.size());
    EXPECT_FALSE(steel.GetRemnantRows().empty());
    EXPECT_EQ("0", DProps::GetString(loaded.GetProject(1, false)->GetProperties(), "active"));
    EXPECT_EQ("Shelf; top", DProps::GetString(loaded.GetProject(1, false)->GetPieceRows().at(0), "label"));
}

TEST_F(ProjectFile, TheFileHoldsEscapedTextsAndWholeSemicolonValues)
{
    MakeProject();
    const std::string path = Path("plan.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(0u, bytes.find("<!--block:#solution-->\r\n[solution]\r\nname=Plan; A;\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("\r\ncomment=two&13&&10&lines; &38& more;\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("\r\nnotes=note&10&here\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("\r\napp=1.2.20 \r\n"));
    // A desc without line breaks is written as typed, so older files read the same.
    EXPECT_NE(std::string::npos, bytes.find("\r\ndesc=R&D; pine;\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("\r\ndesc=Steel desc&13&&10&over two lines\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("<!--Steel:block-->\r\n<!--block:Wood-->\r\n"));
    const std::string last = "<!--Wood:block-->\r\n";
    EXPECT_EQ(bytes.size() - last.size(), bytes.rfind(last));
    // Sections of a material, in order.
    size_t at = bytes.find("<!--block:Steel-->");
    for (const char* s : {"[properties]", "[order.blanks]", "[order.pieces]", "[layout.summary]",
                          "[layout.cuttings]", "[layout.cuttings.parts]"}) {
        const size_t next = bytes.find(s, at);
        ASSERT_NE(std::string::npos, next) << s;
        at = next;
    }
    EXPECT_NE(std::string::npos, bytes.find("\r\nsummary={ "));
    EXPECT_NE(std::string::npos, bytes.find("\r\nblank01={ "));
    EXPECT_NE(std::string::npos, bytes.find("\r\nb001={ "));
    EXPECT_NE(std::string::npos, bytes.find("\r\np003={ "));
}

TEST_F(ProjectFile, TypedTextsReadBackAsTyped)
{
    // Whatever the user can type into a name, a description, a comment or a
    // label comes back from the file as it was typed.
    const char* const texts[] = {
        "A &10& B",           // looks like an escaped line break
        "x&13&y",
        "&38&",
        "R&D",
        "two\r\nlines &10& more",
        "semi;colon;",
        "quote \" and back\\slash",
        "100% & 5 \\n",
        "a&b&c&",
        "=equal=",
        "ends with \\",
        "\"",
        "{ \"a\": \"b\" }, \\\"",
    };
    const std::string path = Path("typed.brvk");
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        DCSSolution saved;
        ASSERT_TRUE(saved.New(text, text, "M"));
        DCSProject& m = *saved.GetProject(0, false);
        for (const char* key : {"desc", "comment", "notes"})
            m.SetProperty(key, text);
        const char* row = text;
        m.AppendRows({RowOf({{"length", "6000"}, {"quantity", "2"}, {"comment", row}})}, 1);
        m.AppendRows({RowOf({{"length", "1000"}, {"quantity", "3"}, {"label", row}, {"comment", row}})}, 2);
        ASSERT_TRUE(saved.Save(path.c_str()));

        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        EXPECT_EQ(text, loaded.GetName());
        EXPECT_EQ(text, loaded.GetDesc());
        ASSERT_EQ(1, loaded.GetCount(false));
        const DCSProject& back = *loaded.GetProject(0, false);
        for (const char* key : {"desc", "comment", "notes"})
            EXPECT_EQ(text, DProps::GetString(back.GetProperties(), key, "")) << key;
        ASSERT_EQ(1u, back.GetBlankRows().size());
        ASSERT_EQ(1u, back.GetPieceRows().size());
        EXPECT_EQ(row, DProps::GetString(back.GetBlankRows()[0], "comment", ""));
        EXPECT_EQ(row, DProps::GetString(back.GetPieceRows()[0], "label", ""));
        EXPECT_EQ(row, DProps::GetString(back.GetPieceRows()[0], "comment", ""));
        EXPECT_FALSE(loaded.IsModified());
    }
}

TEST_F(ProjectFile, RowTextsWithLineBreaksStayOneRow)
{
    // A line break in a label or comment used to end the row's line in the
    // file: the row came back cut, and its rest was read as rows of its own.
    DCSSolution saved;
    ASSERT_TRUE(saved.New("P", "", "M"));
    DCSProject& m = *saved.GetProject(0, false);
    m.AppendRows({RowOf({{"length", "6000"}, {"quantity", "2"}, {"comment", "rack 3\r\nleft"}})}, 1);
    m.AppendRows({RowOf({{"length", "1000"}, {"quantity", "3"}, {"label", "Door\r\nA"}, {"comment", "x\ny"}}),
                  RowOf({{"length", "500"}, {"quantity", "1"}, {"label", "\r\n"}})},
                 2);
    const std::string path = Path("breaks.brvk");
    ASSERT_TRUE(saved.Save(path.c_str()));
    const std::string bytes = ReadBytes(path);
    EXPECT_NE(std::string::npos, bytes.find("\"label\": \"Door\\r\\nA\", \"comment\": \"x\\ny\""));

    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_TRUE(loaded.GetFileNotes().empty());
    const DCSProject& back = *loaded.GetProject(0, false);
    ASSERT_EQ(1u, back.GetBlankRows().size());
    ASSERT_EQ(2u, back.GetPieceRows().size());
    EXPECT_EQ("rack 3\r\nleft", DProps::GetString(back.GetBlankRows()[0], "comment"));
    EXPECT_EQ("Door\r\nA", DProps::GetString(back.GetPieceRows()[0], "label"));
    EXPECT_EQ("x\ny", DProps::GetString(back.GetPieceRows()[0], "comment"));
    EXPECT_EQ("\r\n", DProps::GetString(back.GetPieceRows()[1], "label"));
    EXPECT_EQ("500", DProps::GetString(back.GetPieceRows()[1], "length"));
    EXPECT_FALSE(loaded.IsModified());
}

TEST_F(ProjectFile, TextsKeepTheBlanksAtTheirEnds)
{
    // The reader trims every value: blanks at the ends of a comment, of a
    // material's or the project's desc, or of the project's name, used to be
    // lost. Comments always travel escaped; a desc or name only when it needs
    // to, so that every other one is written as files always held it.
    const struct {
        const char* typed;
        const char* comment;  // the line in the file, after "comment="
        const char* desc;     // after "desc=" and "name="
    } cases[] = {
        {"  indented", "&32&&32&indented", "&32&&32&indented"},
        {"trailing ", "trailing&32&", "trailing&32&"},
        {"\tTab", "&9&Tab", "&9&Tab"},
        {" line\r\n  next ", "&32&line&13&&10&  next&32&", "&32&line&13&&10&  next&32&"},
        {"   ", "&32&&32&&32&", "&32&&32&&32&"},
        {"inner  blanks", "inner  blanks", "inner  blanks"},
        // Texts that would read as escaped are escaped themselves.
        {"&32&x", "&38&32&38&x", "&38&32&38&x"},
        {"x &38&", "x &38&38&38&", "x &38&38&38&"},
        {"R&D", "R&38&D", "R&D"},
        {"&x& and &100&", "&38&x&38& and &38&100&38&", "&x& and &100&"},
    };
    const std::string path = Path("blanks.brvk");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        DCSSolution saved;
        ASSERT_TRUE(saved.New(c.typed, c.typed, "M"));
        for (const char* key : {"comment", "notes", "desc"})
            saved.GetProject(0, false)->SetProperty(key, c.typed);
        ASSERT_TRUE(saved.Save(path.c_str()));
        const std::string bytes = ReadBytes(path);
        const size_t material = bytes.find("<!--block:M-->");
        EXPECT_NE(std::string::npos, bytes.find(std::string("\r\ncomment=") + c.comment + "\r\n", material));
        EXPECT_NE(std::string::npos, bytes.find(std::string("\r\ndesc=") + c.desc + "\r\n", material));
        EXPECT_LT(bytes.find(std::string("\r\ndesc=") + c.desc + "\r\n"), material);
        EXPECT_LT(bytes.find(std::string("\r\nname=") + c.desc + "\r\n"), material);

        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        EXPECT_EQ(c.typed, loaded.GetName());
        EXPECT_EQ(c.typed, loaded.GetDesc());
        const DCSProject& back = *loaded.GetProject(0, false);
        for (const char* key : {"comment", "notes", "desc"})
            EXPECT_EQ(c.typed, DProps::GetString(back.GetProperties(), key, "")) << key;
    }
}

TEST_F(ProjectFile, MaterialNamesTheFileCannotGiveBackAreRefused)
{
    // The reader trims every value and ends it at a line break: these names
    // would come back as another name, or as none at all.
    const char* const names[] = {" ", "Steel ", " Steel", "\tSteel", "Steel\r\nBar", "Steel\nBar", "#solution",
                                 "a-->b"};
    const std::string path = Path("names.brvk");
    for (const char* name : names) {
        SCOPED_TRACE(name);
        DCSSolution project;
        ASSERT_TRUE(project.New("P", "", "M"));
        EXPECT_FALSE(project.AddMaterial(name, nullptr));
        EXPECT_EQ(1, project.GetCount(false));
        EXPECT_FALSE(DCSSolution::MaterialNameFitsFile(name));

        // A material renamed to such a name is not saved without a word.
        // Some of them SetMaterial itself refuses; the file must refuse them all.
        DocumentProbe::Props(*project.GetProject(0, false)).Set("material", name);
        DeleteFileA(path.c_str());
        EXPECT_FALSE(project.Save(path.c_str()));
        EXPECT_EQ(ProjectFileBadName, project.GetFileResult());
        EXPECT_FALSE(project.GetFileNotes().empty());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    }
    for (const char* name : {"Steel", "Steel; 40x40", "R&D \"pine\"", "a<!--b"})
        EXPECT_TRUE(DCSSolution::MaterialNameFitsFile(name)) << name;

    // Two materials renamed to one name: the second would not be read back.
    DCSSolution project;
    ASSERT_TRUE(project.New("P", "", "Steel"));
    ASSERT_TRUE(project.AddMaterial("Wood", nullptr));
    project.GetProject(1, false)->SetProperty("material", "Steel");
    DeleteFileA(path.c_str());
    EXPECT_FALSE(project.Save(path.c_str()));
    EXPECT_EQ(ProjectFileBadName, project.GetFileResult());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
    project.GetProject(1, false)->SetProperty("material", "steel");
    EXPECT_TRUE(project.Save(path.c_str()));
}

TEST_F(ProjectFile, TextsHoldingTheirBlocksEndMarkerAreNotSaved)
{
    // Read back, such a block would end at the typed marker and the rest of
    // the project would be lost without a word.
    const struct {
        const char* what;
        const char* name;
        const char* desc;
        const char* comment;
        const char* label;
        bool saved;
    } cases[] = {
        {"project name", "<!--#solution:block-->", "", "", "", false},
        {"project desc", "P", "see <!--#solution:block--> here", "", "", false},
        {"material comment", "P", "", "a <!--M:block--> b", "", false},
        {"part label", "P", "", "", "<!--M:block-->", false},
        {"another block's marker", "<!--M:block-->", "<!--block:M-->", "<!--#solution:block-->", "<!--N:block-->",
         true},
    };
    const std::string path = Path("markers.brvk");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(path.c_str());
        DCSSolution project;
        ASSERT_TRUE(project.New(c.name, c.desc, "M"));
        DCSProject& m = *project.GetProject(0, false);
        m.SetProperty("comment", c.comment);
        m.AppendRows({RowOf({{"length", "6000"}, {"quantity", "2"}})}, 1);
        m.AppendRows({RowOf({{"length", "1000"}, {"quantity", "3"}, {"label", c.label}})}, 2);
        EXPECT_EQ(c.saved, project.Save(path.c_str()));
        if (!c.saved) {
            EXPECT_EQ(ProjectFileMarkerText, project.GetFileResult());
            EXPECT_FALSE(project.GetFileNotes().empty());
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
            continue;
        }
        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        EXPECT_EQ(c.name, loaded.GetName());
        EXPECT_EQ(c.desc, loaded.GetDesc());
        ASSERT_EQ(1, loaded.GetCount(false));
        const DCSProject& back = *loaded.GetProject(0, false);
        EXPECT_EQ(c.comment, DProps::GetString(back.GetProperties(), "comment", ""));
        ASSERT_EQ(1u, back.GetPieceRows().size());
        EXPECT_EQ(c.label, DProps::GetString(back.GetPieceRows()[0], "label", ""));
    }
}

TEST_F(ProjectFile, ANewProjectIsWrittenByteForByte)
{
    ASSERT_TRUE(doc.New("P", "D", "M"));
    DocumentProbe::Props(doc).Set("time.created", "133000000000000000");
    const std::string path = Path("new.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string expected =
        "<!--block:#solution-->\r\n"
        "[solution]\r\n"
        "name=P\r\n"
        "desc=D\r\n"
        "time=0\r\n"
        "version=1\r\n"
        "file=" + path + "\r\n"
        "time.created=133000000000000000\r\n"
        "app=1.2.20 \r\n"
        "projects=1\r\n"
        "<!--#solution:block-->\r\n"
        "<!--block:M-->\r\n"
        "[properties]\r\n"
        "optimize=0\r\n"
        "level=0\r\n"
        "diversity=0\r\n"
        "status=0\r\n"
        "active=1\r\n"
        "remnants=0\r\n"
        "sort=0\r\n"
        "version=1\r\n"
        "desc=\r\n"
        "comment=\r\n"
        "comment.active=0\r\n"
        "notes=\r\n"
        "notes.active=0\r\n"
        "material=M\r\n"
        "file=" + path + "\r\n"
        "app=1.2.20 \r\n"
        "\r\n[order.blanks]\r\n"
        "\r\n[order.pieces]\r\n"
        "\r\n[layout.summary]\r\n"
        "\r\n[layout.cuttings]\r\n"
        "\r\n[layout.cuttings.parts]\r\n"
        "<!--M:block-->\r\n";
    EXPECT_EQ(expected, ReadBytes(path));

    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    ASSERT_EQ(1, loaded.GetCount(false));
    const DCSProject& m = *loaded.GetProject(0, false);
    EXPECT_TRUE(m.GetBlankRows().empty());
    EXPECT_TRUE(m.GetPieceRows().empty());
    EXPECT_TRUE(m.GetSummaryRows().empty());
    EXPECT_TRUE(m.GetCuttingRows().empty());
}

TEST_F(ProjectFile, SavesOfAnUnchangedProjectDifferOnlyInTheSaveTime)
{
    MakeProject();
    const std::string path = Path("plan.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string first = ReadBytes(path);
    EXPECT_EQ(std::string::npos, first.find("time.written="));
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string second = ReadBytes(path);
    ASSERT_NE(std::string::npos, second.find("\r\ntime.written="));
    EXPECT_EQ(first, WithoutLine(second, "time.written"));

    // Reading adds what the reader always sets (empty kerfs, the rebuilt
    // cost); from then on loading and saving is stable.
    std::string previous;
    for (int round = 0; round < 3; ++round) {
        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        ASSERT_TRUE(loaded.Save(path.c_str()));
        const std::string now = WithoutLine(ReadBytes(path), "time.written");
        if (round > 0) {
            EXPECT_EQ(previous, now) << "round " << round;
        }
        previous = now;
    }
}

TEST_F(ProjectFile, AFailedSaveKeepsTheOldFileAndTheProjectModified)
{
    MakeProject();
    const std::string path = Path("plan.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string before = ReadBytes(path);

    doc.SetName("Changed");
    SetRowValue(*doc.GetProject(0, false), RowsBlanks, 0, "length", "5000");
    ASSERT_TRUE(doc.IsModified());

    // The old file is held open without sharing: it cannot be replaced.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(doc.Save(path.c_str()));
    CloseHandle(held);
    EXPECT_EQ(ProjectFileWriteFailed, doc.GetFileResult());
    EXPECT_EQ(before, ReadBytes(path));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.GetProject(0, false)->IsChanged(kChangedResults));
    EXPECT_EQ(std::vector<std::string>{"plan.brvk"}, Listing(root));

    // A folder that does not exist: nothing is created.
    const std::string nowhere = Path("missing\\plan.brvk");
    EXPECT_FALSE(doc.Save(nowhere.c_str()));
    EXPECT_EQ(std::vector<std::string>{"plan.brvk"}, Listing(root));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(doc.Save(""));
    EXPECT_EQ(ProjectFileNoPath, doc.GetFileResult());
}

// Two instances of the program saving one project: the second save must not
// silently drop what the first wrote. A save over the file the project was
// read from or last written to is refused when another program has changed
// its bytes since, until the caller says to overwrite.
TEST_F(ProjectFile, ASaveOverAFileAnotherProgramChangedWaitsForTheCallersWord)
{
    MakeProject();
    const std::string path = Path("plan.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const struct {
        const char* what;
        std::function<void()> meanwhile;
        bool refused;
    } cases[] = {
        {"another instance saved its changes",
         [&] {
             DCSSolution other;
             ASSERT_TRUE(other.Load(path.c_str()));
             ASSERT_TRUE(other.AddMaterial("Copper", ""));
             ASSERT_TRUE(other.Save(path.c_str()));
         },
         true},
        {"the same bytes written again", [&] { WriteBytes(path, ReadBytes(path)); }, false},
        {"one byte changed, the size kept",
         [&] {
             std::string bytes = ReadBytes(path);
             bytes[bytes.find("name=") + 5] ^= 0x20;
             WriteBytes(path, bytes);
         },
         true},
        {"the file deleted", [&] { DeleteFileA(path.c_str()); }, false},
        {"nothing", [] {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(doc.Save(path.c_str(), true));
        c.meanwhile();
        const std::string theirs = ReadBytes(path);
        doc.SetName(c.what);
        EXPECT_EQ(!c.refused, doc.Save(path.c_str()));
        if (!c.refused)
            continue;
        EXPECT_EQ(ProjectFileChangedOnDisk, doc.GetFileResult());
        ASSERT_EQ(1u, doc.GetFileNotes().size());
        EXPECT_NE(std::string::npos, doc.GetFileNotes()[0].find("by another program"));
        EXPECT_EQ(theirs, ReadBytes(path));
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(std::vector<std::string>{"plan.brvk"}, Listing(root));
        // The user chose to overwrite.
        EXPECT_TRUE(doc.Save(path.c_str(), true));
        EXPECT_NE(std::string::npos, ReadBytes(path).find("name=" + std::string(c.what) + "\r\n"));
        EXPECT_FALSE(doc.IsModified());
    }

    // Saved under another name, the project belongs to that file: the old
    // one may change freely, and a save back over it is a new choice.
    ASSERT_TRUE(doc.Save(Path("copy.brvk").c_str()));
    WriteBytes(path, "changed by someone else");
    doc.SetName("Copied");
    EXPECT_TRUE(doc.Save(Path("copy.brvk").c_str()));
    EXPECT_TRUE(doc.Save(path.c_str()));
}

// A path the program cannot hold is refused with its reason, and nothing is
// written under that name or any other.
TEST_F(ProjectFile, PathsTheProgramCannotHoldAreRefusedWithTheirReason)
{
    MakeProject();
    ASSERT_TRUE(doc.Save(Path("plan.brvk").c_str()));
    const std::string before = ReadBytes(Path("plan.brvk"));
    const std::string longName = Path(std::string(300 - root.size() - 6, 'p') + ".brvk");
    ASSERT_EQ(300u, longName.size());
    const struct {
        const char* what;
        std::string path;
        ProjectFileResult result;
    } cases[] = {
        {"300 characters", longName, ProjectFilePathTooLong},
        {"a character the code page lost", Path("pl?n.brvk"), ProjectFilePathCharacters},
        {"a pattern", Path("p*.brvk"), ProjectFilePathCharacters},
        {"blanks", "   ", ProjectFileNoPath},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(doc.Save(c.path.c_str()));
        EXPECT_EQ(c.result, doc.GetFileResult());
        EXPECT_EQ(std::vector<std::string>{"plan.brvk"}, Listing(root));
        EXPECT_EQ(before, ReadBytes(Path("plan.brvk")));
        // Read as a pattern, "p*.brvk" or "pl?n.brvk" would find plan.brvk.
        DCSSolution other;
        EXPECT_FALSE(other.Load(c.path.c_str()));
        EXPECT_EQ(c.result, other.GetFileResult());
    }
}

// Windows does not replace a read-only file; the project is not saved over
// one either (also under Wine as root), and says why.
TEST_F(ProjectFile, AReadOnlyFileIsLeftAsItIs)
{
    MakeProject();
    const std::string path = Path("plan.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string before = ReadBytes(path);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    doc.SetName("Changed");
    EXPECT_FALSE(doc.Save(path.c_str()));
    EXPECT_EQ(ProjectFileReadOnly, doc.GetFileResult());
    EXPECT_EQ(before, ReadBytes(path));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(std::vector<std::string>{"plan.brvk"}, Listing(root));
}

TEST_F(ProjectFile, NumbersWrittenWithACommaReadBackWithTheReadersSeparator)
{
    const std::string path = Path("comma.brvk");
    WriteBytes(path,
               "<!--block:#solution-->\r\n[solution]\r\nname=C\r\n<!--#solution:block-->\r\n"
               "<!--block:Alu-->\r\n[properties]\r\nmaterial=Alu\r\n\r\n[order.blanks]\r\n"
               "b001={ \"length\": \"6000,50000\", \"quantity\": \"2\", \"knife\": \"2,5\" }\r\n"
               "\r\n[order.pieces]\r\np001={ \"length\": \"1000,25\", \"quantity\": \"3\" }\r\n"
               "<!--Alu:block-->\r\n");
    ASSERT_TRUE(doc.Load(path.c_str()));
    const DCSProject& m = *doc.GetProject(0, false);
    EXPECT_EQ("6000.5", DProps::GetString(m.GetBlankRows().at(0), "length"));
    EXPECT_EQ("2.5", DProps::GetString(m.GetBlankRows().at(0), "knife"));
    EXPECT_EQ("1000.25", DProps::GetString(m.GetPieceRows().at(0), "length"));
}

TEST_F(ProjectFile, AProjectSavedWithACommaReadsBackUnderEitherSeparator)
{
    struct SeparatorGuard {
        ~SeparatorGuard() { NumSetSeparator("."); }
    } guard;
    NumSetSeparator(",");
    DCSSolution saved;
    ASSERT_TRUE(saved.New("P", "", "M"));
    DCSProject& m = *saved.GetProject(0, false);
    m.AppendRows({RowOf({{"length", "6000.5"}, {"quantity", "2"}, {"knife", "2.5"}, {"cost", "12.50"}})}, 1);
    m.AppendRows({RowOf({{"length", "1000,25"}, {"quantity", "3"}, {"label", "1,5 m; top"}})}, 2);
    const std::string path = Path("comma-saved.brvk");
    ASSERT_TRUE(saved.Save(path.c_str()));
    EXPECT_NE(std::string::npos, ReadBytes(path).find("\"length\": \"6000,5\""));

    const struct {
        const char* separator;
        const char* length;
        const char* knife;
        const char* cost;
        const char* part;
    } readers[] = {
        {",", "6000,5", "2,5", "12,50", "1000,25"},
        {".", "6000.5", "2.5", "12.50", "1000.25"},
    };
    for (const auto& r : readers) {
        SCOPED_TRACE(r.separator);
        NumSetSeparator(r.separator);
        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        const DCSProject& back = *loaded.GetProject(0, false);
        ASSERT_EQ(1u, back.GetBlankRows().size());
        ASSERT_EQ(1u, back.GetPieceRows().size());
        EXPECT_EQ(r.length, DProps::GetString(back.GetBlankRows()[0], "length", ""));
        EXPECT_EQ(r.knife, DProps::GetString(back.GetBlankRows()[0], "knife", ""));
        EXPECT_EQ(r.cost, DProps::GetString(back.GetBlankRows()[0], "cost", ""));
        EXPECT_EQ(r.part, DProps::GetString(back.GetPieceRows()[0], "length", ""));
        // Texts are not numbers: a label keeps its comma.
        EXPECT_EQ("1,5 m; top", DProps::GetString(back.GetPieceRows()[0], "label", ""));
        EXPECT_FALSE(loaded.IsModified());
    }
}

TEST_F(ProjectFile, StoredResultsWrittenWithACommaReadWithTheReadersSeparator)
{
    // Under the "," separator the statistics of the result rows are written
    // 87,78125; read under "." with atof that was 87. The application reads
    // numbers in the notation of the separator it set (the run-time's
    // numeric locale follows it), and so does the test.
    struct SeparatorGuard {
        ~SeparatorGuard()
        {
            NumSetSeparator(".");
            setlocale(LC_NUMERIC, "C");
        }
    } guard;
    MakeProject();
    const std::string path = Path("comma-results.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    std::string bytes = ReadBytes(path);
    const size_t begin = bytes.find("[layout.summary]");
    const size_t end = bytes.find("[layout.cuttings.parts]", begin);
    ASSERT_NE(std::string::npos, end);
    size_t commas = 0;
    for (size_t i = begin + 1; i + 1 < end; ++i)
        if (bytes[i] == '.' && isdigit(static_cast<unsigned char>(bytes[i - 1])) &&
            isdigit(static_cast<unsigned char>(bytes[i + 1]))) {
            bytes[i] = ',';
            ++commas;
        }
    ASSERT_GT(commas, 10u);
    WriteBytes(path, bytes);

    const DCSProject& saved = *doc.GetProject(0, false);
    for (const char* separator : {".", ","}) {
        SCOPED_TRACE(separator);
        NumSetSeparator(separator);
        ASSERT_NE(nullptr, setlocale(LC_NUMERIC, *separator == ',' ? "French_Canada.1252" : "C"));
        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        EXPECT_TRUE(loaded.GetFileNotes().empty()) << (loaded.GetFileNotes().empty() ? "" : loaded.GetFileNotes()[0]);
        const DCSProject& back = *loaded.GetProject(0, false);
        ASSERT_EQ(saved.GetSummaryRows().size(), back.GetSummaryRows().size());
        for (size_t r = 0; r < saved.GetSummaryRows().size(); ++r) {
            const DProps& a = saved.GetSummaryRows()[r];
            for (int i = 0; i < a.Count(); ++i) {
                std::string want = a.GetValueAt(i);
                if (*separator == ',' && want.find_first_not_of("0123456789.-") == std::string::npos)
                    for (char& c : want)
                        if (c == '.')
                            c = ',';
                EXPECT_EQ(want, DProps::GetString(back.GetSummaryRows()[r], a.GetKeyAt(i), "<absent>"))
                    << "row " << r << " " << a.GetKeyAt(i);
            }
        }
        // Texts that are not numbers keep their dots and commas.
        EXPECT_EQ("Incomplete; Smax=2", DProps::GetString(back.GetSummaryRows().at(0), "status"));
    }
    // Read as numbers, the fractions are there again.
    NumSetSeparator(".");
    setlocale(LC_NUMERIC, "C");
    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    const DCSProject& back = *loaded.GetProject(0, false);
    size_t fractions = 0;
    for (size_t r = 0; r < saved.GetSummaryRows().size(); ++r)
        for (int i = 0; i < saved.GetSummaryRows()[r].Count(); ++i) {
            const double x = DProps::GetDouble(saved.GetSummaryRows()[r], saved.GetSummaryRows()[r].GetKeyAt(i));
            if (x == std::floor(x))
                continue;
            ++fractions;
            EXPECT_DOUBLE_EQ(x, DProps::GetDouble(back.GetSummaryRows()[r], saved.GetSummaryRows()[r].GetKeyAt(i)));
        }
    EXPECT_GT(fractions, 0u);
}

TEST_F(ProjectFile, ResultsOfPartRowsPastTheLettersComeBack)
{
    // Row letters run out after 125 rows; later rows all share the letter
    // "*". Their parts used to be written under it and lost on reading.
    ASSERT_TRUE(doc.New("P", "", "M"));
    DCSProject& m = *doc.GetProject(0, false);
    m.AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}})}, 1);
    PropsList parts;
    for (int i = 1; i <= 130; ++i)
        parts.push_back(RowOf({{"length", std::to_string(100 + 10 * i).c_str()}, {"quantity", "4"},
                               {"label", ("L" + std::to_string(i)).c_str()}}));
    m.AppendRows(parts, 2);
    ApplyPatterns(m, {{1, 2, {{128, 1}, {129, 2}}}, {1, 1, {{3, 1}, {130, 2}}}});
    ASSERT_EQ(2u, m.GetCuttingRows().size());
    const std::string path = Path("many.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    EXPECT_NE(std::string::npos, ReadBytes(path).find("\"signature\": \"1#(128)1-(129)2-\""));

    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_TRUE(loaded.GetFileNotes().empty());
    const DCSProject& back = *loaded.GetProject(0, false);
    ExpectSameRows(m.GetCuttingRows(), back.GetCuttingRows(), "cuttings");
    ExpectSameRows(m.GetCuttingPartRows(), back.GetCuttingPartRows(), "cutting parts");
    ExpectSameBag(m.GetLayout().props, back.GetLayout().props, {"status", "signature"}, "statistics");
    ASSERT_EQ(2u, back.GetLayout().cuttings.size());
    long placed = 0;
    for (const CUTTING::Blank& pattern : back.GetLayout().cuttings)
        for (const CUTTING::Piece& piece : pattern.pieces)
            placed += piece.quantity * pattern.quantity;
    EXPECT_EQ(2 * 3 + 1 * 3, placed);
    // The texts name the rows past the letters by their numbers.
    const std::string output = DProps::GetString(back.GetCuttingRows().at(0), "output");
    EXPECT_EQ("#128 L128 x 2; #129 L129 x 4", output);
    const std::string group = DProps::GetString(back.GetCuttingPartRows().at(0), "output");
    EXPECT_NE(std::string::npos, group.find("#129 L129 x 2")) << group;
}

// The first line of the Steel block that begins with key and "=", or npos.
size_t SteelLine(const std::string& bytes, const std::string& key)
{
    return bytes.find("\r\n" + key + "=", bytes.find("<!--block:Steel-->"));
}

std::string LineAt(const std::string& bytes, size_t at)
{
    return bytes.substr(at + 2, bytes.find("\r\n", at + 2) - at - 2);
}

TEST_F(ProjectFile, AMaterialNeverCalculatedOpensWithoutWarnings)
{
    // Wood has a sound order and no results: nothing of it is unplaced.
    MakeProject();
    const std::string path = Path("fresh.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    DCSProject& wood = *loaded.GetProject(1, false);
    EXPECT_EQ(0, wood.GetWarnings().Count());
    loaded.SetActive(1, true);
    const std::vector<DProps> warnings = loaded.CollectWarnings(true);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_EQ("Steel", warnings[0].Name());  // its applied solution leaves a part over
    EXPECT_EQ("${calc}", DProps::GetString(warnings[0], "44"));
}

TEST_F(ProjectFile, StoredResultsThatNoLongerFitTheirOrderAreDroppedWithANote)
{
    // The cutting rows name part rows by number: once the rows changed, the
    // same cutting rows rebuild other patterns, or stop early, and every
    // save changed the results again without a word.
    MakeProject();
    const std::string path = Path("misfit.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string good = ReadBytes(path);
    ASSERT_NE(std::string::npos, SteelLine(good, "p003"));

    auto removeFirstPart = [](std::string b) {
        const size_t at = SteelLine(b, "p001");
        return b.erase(at, LineAt(b, at).size() + 2);
    };
    auto swapFirstParts = [](std::string b) {
        const size_t one = SteelLine(b, "p001");
        const size_t two = SteelLine(b, "p002");
        const std::string first = LineAt(b, one).substr(5);
        const std::string second = LineAt(b, two).substr(5);
        b.replace(two + 7, second.size(), first);
        return b.replace(one + 7, first.size(), second);
    };
    auto shortenFirstPart = [](std::string b) {
        const size_t at = b.find("\"length\": \"1500\"", SteelLine(b, "p001"));
        return b.replace(at, 16, "\"length\": \"1400\"");
    };
    auto emptyFirstPattern = [](std::string b) {
        const size_t at = b.find("\"signature\": \"", SteelLine(b, "c001"));
        const size_t end = b.find('"', at + 14);
        return b.replace(at + 14, end - at - 14, "1#");
    };
    const struct {
        const char* what;
        std::function<std::string(std::string)> change;
    } cases[] = {
        {"a part row removed", removeFirstPart},
        {"two part rows moved", swapFirstParts},
        {"a part length changed", shortenFirstPart},
        {"a pattern without parts", emptyFirstPattern},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = c.change(good);
        ASSERT_NE(good, bytes);
        WriteBytes(path, bytes);
        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        ASSERT_EQ(1u, loaded.GetFileNotes().size());
        EXPECT_EQ(0u, loaded.GetFileNotes()[0].find("material \"Steel\": results dropped")) << loaded.GetFileNotes()[0];
        const DCSProject& steel = *loaded.GetProject(0, false);
        EXPECT_TRUE(steel.GetCuttingRows().empty());
        EXPECT_TRUE(steel.GetCuttingPartRows().empty());
        EXPECT_TRUE(steel.GetSummaryRows().empty());
        EXPECT_TRUE(steel.GetLayout().cuttings.empty());
        EXPECT_FALSE(steel.GetPieceRows().empty());  // the order stays
        EXPECT_FALSE(loaded.GetProject(1, false)->GetPieceRows().empty());

        // Saved again, the file holds the order alone and reads without a note.
        ASSERT_TRUE(loaded.Save(path.c_str()));
        DCSSolution again;
        ASSERT_TRUE(again.Load(path.c_str()));
        EXPECT_TRUE(again.GetFileNotes().empty());
        EXPECT_EQ(steel.GetPieceRows().size(), again.GetProject(0, false)->GetPieceRows().size());
    }

    // Untouched, the results come back.
    WriteBytes(path, good);
    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    EXPECT_TRUE(loaded.GetFileNotes().empty());
    EXPECT_EQ(2u, loaded.GetProject(0, false)->GetCuttingRows().size());
}

TEST_F(ProjectFile, StoredResultsWhoseRowsLostKeysAreDroppedWithANote)
{
    // A key cut out of a stored row used to count as agreement: the results
    // came back with blanks where the statistics were.
    MakeProject();
    const std::string path = Path("keys.brvk");
    ASSERT_TRUE(doc.Save(path.c_str()));
    const std::string good = ReadBytes(path);

    // The entry of key cut out of the Steel line of that key.
    auto without = [&good](const char* line, std::vector<const char*> keys) {
        std::string bytes = good;
        const size_t at = SteelLine(bytes, line);
        EXPECT_NE(std::string::npos, at) << line;
        const size_t lineEnd = bytes.find("\r\n", at + 2);
        for (const char* key : keys) {
            const std::string entry = std::string("\"") + key + "\": \"";
            const size_t from = bytes.find(entry, at);
            EXPECT_LT(from, lineEnd) << line << " " << key;
            const size_t to = bytes.find("\", ", from);
            bytes.erase(from, (to < lineEnd ? to + 3 : bytes.find(" }", from)) - from);
        }
        return bytes;
    };
    const struct {
        const char* line;
        std::vector<const char*> keys;
        const char* note;
    } cases[] = {
        {"summary", {"pieces", "cmu"}, "the summary lacks \"pieces\""},
        {"summary", {"cmu"}, "the summary lacks \"cmu\""},
        {"summary", {"used"}, "the summary lacks \"used\""},
        {"summary", {"waste"}, "the summary lacks \"waste\""},
        {"summary", {"remnants"}, "the summary lacks \"remnants\""},
        {"summary", {"cost"}, "the summary lacks \"cost\""},
        {"summary", {"type"}, "the summary is missing"},
        {"blank01", {"used.len"}, "the summary of stock 1 lacks \"used.len\""},
        {"blank02", {"cost.sum"}, "the summary of stock 2 lacks \"cost.sum\""},
        {"blank01", {"blank"}, "summary row 1 lacks \"blank\""},
        {"c001", {"remains"}, "cutting row 1 lacks \"remains\""},
        {"c002", {"blank"}, "cutting row 2 lacks \"blank\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " " + c.note);
        WriteBytes(path, without(c.line, c.keys));
        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        ASSERT_EQ(1u, loaded.GetFileNotes().size());
        EXPECT_EQ(std::string("material \"Steel\": results dropped (") + c.note + ")", loaded.GetFileNotes()[0]);
        const DCSProject& steel = *loaded.GetProject(0, false);
        EXPECT_TRUE(steel.GetCuttingRows().empty());
        EXPECT_TRUE(steel.GetSummaryRows().empty());
        EXPECT_FALSE(steel.GetPieceRows().empty());
    }

    // A key that holds no number is no better than none.
    std::string bytes = good;
    const size_t at = bytes.find("\"cmu\": \"", SteelLine(bytes, "summary"));
    bytes.replace(at, bytes.find('"', at + 9) - at, "\"cmu\": \"n/a");
    WriteBytes(path, bytes);
    DCSSolution loaded;
    ASSERT_TRUE(loaded.Load(path.c_str()));
    ASSERT_EQ(1u, loaded.GetFileNotes().size());
    EXPECT_NE(std::string::npos, loaded.GetFileNotes()[0].find("the summary lacks \"cmu\"")) << loaded.GetFileNotes()[0];
}

// The three lists of result rows as their file form, row by row.
std::vector<std::string> ResultTexts(const DCSProject& m)
{
    std::vector<std::string> texts;
    for (const PropsList* rows : {&m.GetSummaryRows(), &m.GetCuttingRows(), &m.GetCuttingPartRows()}) {
        texts.push_back("--");
        for (const DProps& row : *rows)
            texts.push_back(PropsToJson(&row));
    }
    return texts;
}

// The result sections of the file's material blocks.
std::string ResultSections(const std::string& bytes)
{
    std::string out;
    for (size_t at = bytes.find("[layout.summary]"); at != std::string::npos;
         at = bytes.find("[layout.summary]", at + 1))
        out += bytes.substr(at, bytes.find(":block-->", at) - at);
    return out;
}

TEST_F(ProjectFile, ASolutionSurvivesEveryChangeOfItsOptionsAndAReopen)
{
    // The stored rows were checked against a layout rebuilt under the
    // options as they are at opening: a remnant length changed after the
    // calculation made the statistics differ, and the results were dropped.
    const struct {
        const char* key;
        const char* before;
        const char* after;
    } cases[] = {
        {"remnants", "300", "0"},    {"remnants", "500", "1"},   {"remnants", "0", "300"},
        {"remnants", "300", "2500"}, {"remnants", "300", "-5"},  {"optimize", "0", "1"},
        {"level", "0", "1"},         {"sort", "0", "1"},          {"sort", "0", "2"},
        {"diversity", "0", "2"},
    };
    const std::string path = Path("options.brvk");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.before + " -> " + c.after);
        DCSSolution solved;
        ASSERT_TRUE(solved.New("Options", "", "Steel"));
        DCSProject& steel = *solved.GetProject(0, false);
        steel.SetProperty(c.key, c.before);
        steel.AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}, {"knife", "3"}, {"cost", "12.5"}})}, 1);
        steel.AppendRows({RowOf({{"length", "1700"}, {"quantity", "7"}}), RowOf({{"length", "1130"}, {"quantity", "9"}}),
                          RowOf({{"length", "820"}, {"quantity", "12"}}), RowOf({{"length", "455"}, {"quantity", "10"}}),
                          RowOf({{"length", "2310"}, {"quantity", "5"}})},
                         2);
        ASSERT_TRUE(steel.Calculate(nullptr));
        ASSERT_TRUE(PumpUntil([&] { return !steel.IsRunning(); }));
        ASSERT_GT(steel.GetSolutions().Count(), 0);
        steel.ApplySolution(0);
        ASSERT_TRUE(steel.HasCuttings());

        // As the options page changes it.
        steel.SetProperty(c.key, c.after);
        steel.RefreshResults();
        steel.Refresh(false);
        const std::vector<std::string> before = ResultTexts(steel);
        ASSERT_TRUE(solved.Save(path.c_str()));
        const std::string saved = ReadBytes(path);

        DCSSolution loaded;
        ASSERT_TRUE(loaded.Load(path.c_str()));
        EXPECT_TRUE(loaded.GetFileNotes().empty()) << loaded.GetFileNotes().front();
        const DCSProject& back = *loaded.GetProject(0, false);
        EXPECT_EQ(before, ResultTexts(back));
        EXPECT_EQ(steel.HasRemnants(), back.HasRemnants());
        // The layout carries the statistics that were saved with it.
        for (const char* key : {"used.len", "cmu", "waste", "remnants", "cost"})
            EXPECT_EQ(DProps::GetString(steel.GetSummaryRows().at(0), key),
                      DProps::GetString(back.GetLayout().props, key))
                << key;

        // Saved again, the results are the same bytes.
        ASSERT_TRUE(loaded.Save(path.c_str()));
        EXPECT_EQ(ResultSections(saved), ResultSections(ReadBytes(path)));
    }
}

// ---- Files that are not what they should be --------------------------------------------

const char* const kHead = "<!--block:#solution-->\r\n[solution]\r\nname=N\r\nprojects=2\r\n<!--#solution:block-->\r\n";

std::string MaterialBlock(const char* name, const char* rest = "")
{
    std::string content = std::string("\r\n[properties]\r\nmaterial=") + name + "\r\n" + rest;
    return BlockWrap(content.c_str(), name);
}

const char* const kOrder =
    "\r\n[order.blanks]\r\nb001={ \"length\": \"6000\", \"quantity\": \"4\" }\r\n"
    "\r\n[order.pieces]\r\np001={ \"length\": \"1000\", \"quantity\": \"6\" }\r\n";

std::string HeadUpTo(const char* text)
{
    const std::string head = kHead;
    return head.substr(0, head.find(text));
}

TEST_F(ProjectFile, MalformedFilesFailWholeAndLeaveNothingBehind)
{
    const std::string good = std::string(kHead) + MaterialBlock("A", kOrder) + MaterialBlock("B", kOrder);
    const struct {
        const char* what;
        std::string bytes;  // "<folder>" for a folder, "<none>" for no file at all
        ProjectFileResult result;
    } cases[] = {
        {"no file", "<none>", ProjectFileMissing},
        {"a folder", "<folder>", ProjectFileMissing},
        {"an empty file", "", ProjectFileUnreadable},
        {"cut inside the last block", good.substr(0, good.size() - 30), ProjectFileTruncated},
        {"cut inside a start marker", good.substr(0, good.find("<!--block:B") + 12), ProjectFileTruncated},
        {"cut before a block's end", good.substr(0, good.find("<!--A:block")), ProjectFileTruncated},
        {"blocks without properties", std::string(kHead) + BlockWrap(kOrder, "A"), ProjectFileNoMaterial},
        {"only the project block", kHead, ProjectFileNoMaterial},
        {"a NUL in front", std::string("\0", 1) + good, ProjectFileNoMaterial},
        // Read whole, its markers would become keys of the project, which
        // could then never be saved again.
        {"the project block starting inside a material's",
         "<!--block:A-->\r\n[properties]\r\nmaterial=A\r\n" + HeadUpTo("projects") + "<!--A:block-->\r\n" +
             std::string(kHead).substr(HeadUpTo("projects").size()) + MaterialBlock("B", kOrder),
         ProjectFileMisplacedBlock},
        {"the project block starting inside a material's, unclosed",
         MaterialBlock("A", (std::string(kOrder) + "<!--block:#solution-->\r\n[solution]\r\nname=N\r\n").c_str()) +
             MaterialBlock("B", kOrder),
         ProjectFileMisplacedBlock},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = Path("bad.brvk");
        RemoveTree(path);
        DeleteFileA(path.c_str());
        if (c.bytes == "<folder>")
            CreateDirectoryA(path.c_str(), nullptr);
        else if (c.bytes != "<none>")
            WriteBytes(path, c.bytes);
        doc.Clear();
        EXPECT_FALSE(doc.Load(path.c_str()));
        EXPECT_EQ(c.result, doc.GetFileResult());
        if (c.result == ProjectFileMisplacedBlock) {
            EXPECT_FALSE(doc.GetFileNotes().empty());
        }
        EXPECT_EQ(0, doc.GetCount(false));
        EXPECT_EQ("", doc.GetName());
        EXPECT_EQ("", doc.GetFile());
        EXPECT_EQ(4, doc.GetProperties().Count());
    }
}

TEST_F(ProjectFile, DamagedPartsAreLeftOutAndReported)
{
    const std::string path = Path("damaged.brvk");
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> materials;
        bool noted;
        bool resultsKept;  // of the first material
    } cases[] = {
        {"an empty block stops the reading", std::string(kHead) + MaterialBlock("A", kOrder) +
                                                 "<!--block:E--><!--E:block-->\r\n" + MaterialBlock("B", kOrder),
         {"A"}, true, true},
        {"a block without properties", std::string(kHead) + MaterialBlock("A", kOrder) + BlockWrap(kOrder, "X") +
                                           MaterialBlock("B", kOrder),
         {"A", "B"}, true, true},
        {"a material twice", std::string(kHead) + MaterialBlock("A", kOrder) + MaterialBlock("A", kOrder),
         {"A"}, true, true},
        {"fewer materials than announced", std::string(kHead) + MaterialBlock("A", kOrder), {"A"}, true, true},
        {"the project block last", MaterialBlock("A", kOrder) + MaterialBlock("B", kOrder) + kHead, {"A", "B"},
         false, true},
        {"cutting rows without stock rows",
         std::string(kHead) + MaterialBlock("A", "\r\n[order.pieces]\r\np001={ \"length\": \"1000\", \"quantity\": \"6\" }\r\n"
                                                 "\r\n[layout.summary]\r\nsummary={ \"type\": \"summary\" }\r\n"
                                                 "\r\n[layout.cuttings]\r\nc001={ \"signature\": \"1#a6-\", \"copies\": \"1\", \"blank\": \"1\" }\r\n") +
             MaterialBlock("B", kOrder),
         {"A", "B"}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        doc.Clear();
        ASSERT_TRUE(doc.Load(path.c_str()));
        ASSERT_EQ(static_cast<long>(c.materials.size()), doc.GetCount(false));
        for (size_t i = 0; i < c.materials.size(); ++i)
            EXPECT_EQ(c.materials[i], DProps::GetString(doc.GetProject(static_cast<long>(i), false)->GetProperties(), "material"));
        EXPECT_EQ(c.noted, !doc.GetFileNotes().empty());
        EXPECT_FALSE(doc.IsModified());
        const DCSProject& first = *doc.GetProject(0, false);
        if (!c.resultsKept) {
            EXPECT_TRUE(first.GetCuttingRows().empty());
            EXPECT_TRUE(first.GetSummaryRows().empty());
        }
    }
}

// One bar of 6000 cut into the six parts of 1000 of kOrder, with its summary.
const char* const kSoundResults =
    "\r\n[layout.summary]\r\n"
    "summary={ \"type\": \"summary\", \"used\": \"1\", \"pieces\": \"6\", \"output\": \"6000.00000\", "
    "\"used.len\": \"6000.00000\", \"cmu\": \"100.00000\", \"waste\": \"0.00000\", \"shifts\": \"1\", "
    "\"remnants\": \"0.00000\", \"cost\": \"0.00000\", \"cost.ppu\": \"0.00000\" }\r\n"
    "blank01={ \"blank\": \"1\", \"used\": \"1\", \"pieces\": \"6\", \"output\": \"6000.00000\", "
    "\"used.len\": \"6000.00000\", \"cmu\": \"100.00000\", \"waste\": \"0.00000\", \"shifts\": \"1\", "
    "\"remnants\": \"0.00000\", \"cost.sum\": \"0.00000\", \"cost.ppu\": \"0.00000\" }\r\n"
    "\r\n[layout.cuttings]\r\n"
    "c001={ \"signature\": \"1#a6-\", \"copies\": \"1\", \"blank\": \"1\", \"remains\": \"0\" }\r\n";

TEST_F(ProjectFile, AbsurdCountsInCuttingRowsDropTheResultsInsteadOfHanging)
{
    const char* rows[] = {
        "c001={ \"signature\": \"1#a2-\", \"copies\": \"99999999999\", \"blank\": \"1\" }",
        "c001={ \"signature\": \"1#a2-\", \"copies\": \"-3\", \"blank\": \"1\" }",
        "c001={ \"signature\": \"1#a2-\", \"copies\": \"5\", \"blank\": \"1\" }",  // 4 bars of stock only
        "c001={ \"signature\": \"1#a2000000000-\", \"copies\": \"1\", \"blank\": \"1\" }",
        "c001={ \"signature\": \"1#a7-\", \"copies\": \"1\", \"blank\": \"1\" }",  // 7 x 1000 on 6000
    };
    const std::string path = Path("absurd.brvk");
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        const std::string rest = std::string(kOrder) + "\r\n[layout.summary]\r\nsummary={ \"type\": \"summary\" }\r\n"
                                                       "\r\n[layout.cuttings]\r\n" + row + "\r\n";
        WriteBytes(path, std::string(kHead) + MaterialBlock("A", rest.c_str()));
        doc.Clear();
        ASSERT_TRUE(doc.Load(path.c_str()));
        const DCSProject& m = *doc.GetProject(0, false);
        EXPECT_TRUE(m.GetCuttingRows().empty());
        EXPECT_TRUE(m.GetSummaryRows().empty());
        EXPECT_TRUE(m.GetLayout().cuttings.empty());
        ASSERT_FALSE(doc.GetFileNotes().empty());
    }

    // A sound row of the same file, with the summary it makes, is kept.
    const std::string rest = std::string(kOrder) + kSoundResults;
    WriteBytes(path, std::string(kHead) + MaterialBlock("A", rest.c_str()));
    ASSERT_TRUE(doc.Load(path.c_str()));
    EXPECT_EQ(1u, doc.GetProject(0, false)->GetCuttingRows().size());
}

TEST_F(ProjectFile, PlainIniTextReadsAsProjectAndOneMaterial)
{
    const std::string path = Path("plain.brvk");
    WriteBytes(path, std::string("[solution]\r\nname=Plain\r\n\r\n[properties]\r\nmaterial=Only\r\ncomment=a&13&&10&b\r\n") +
                         kOrder);
    ASSERT_TRUE(doc.Load(path.c_str()));
    EXPECT_EQ("Plain", doc.GetName());
    ASSERT_EQ(1, doc.GetCount(false));
    const DCSProject& m = *doc.GetProject(0, false);
    EXPECT_EQ("Only", DProps::GetString(m.GetProperties(), "material"));
    EXPECT_EQ("1", DProps::GetString(m.GetProperties(), "active"));  // absent in the file
    EXPECT_EQ("a\r\nb", DProps::GetString(m.GetProperties(), "comment"));
    EXPECT_EQ(1u, m.GetBlankRows().size());
    EXPECT_EQ("Only", DProps::GetString(m.GetBlankRows().at(0), "material"));
}

}  // namespace

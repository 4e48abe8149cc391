#include "foundation/PathUtil.h"

#include <gtest/gtest.h>

#include "PairEntries.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Text(const UString& s) { return s.GetText(); }

std::vector<std::string> Strings(const UStringList& list)
{
    std::vector<std::string> items;
    for (const UString& item : list)
        items.push_back(item.GetText());
    return items;
}

std::vector<std::string> Sorted(std::vector<std::string> items)
{
    std::sort(items.begin(), items.end());
    return items;
}

std::wstring CurrentFolder()
{
    wchar_t buffer[MAX_PATH * 2];
    GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    return buffer;
}

class PathFiles : public TempFolderTest {
protected:
    PathFiles() : TempFolderTest("pathutil_test_") {}

    void MakeFolder(const std::string& name) { ASSERT_TRUE(CreateDirectoryA(Path(name).c_str(), nullptr)); }
    void MakeFile(const std::string& name, const std::string& bytes = "x") { WriteBytes(Path(name), bytes); }

    // root\a.txt, root\b.dat, root\sub\c.txt, root\sub\deep\d.txt,
    // root\sub\deep\e.dat, root\list.txt\f.txt (a folder that matches *.txt).
    void MakeTree()
    {
        MakeFile("a.txt");
        MakeFile("b.dat");
        MakeFolder("sub");
        MakeFile("sub\\c.txt");
        MakeFolder("sub\\deep");
        MakeFile("sub\\deep\\d.txt");
        MakeFile("sub\\deep\\e.dat");
        MakeFolder("list.txt");
        MakeFile("list.txt\\f.txt");
    }
};

// ---- Joining, normalising, splitting -------------------------------------------

TEST(PathJoin, PutsOneBackslashBetweenFolderAndName)
{
    const struct {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"D:\\a", "b.txt", "D:\\a\\b.txt"}, {"D:\\a\\", "b.txt", "D:\\a\\b.txt"},
        {"", "b.txt", "b.txt"},             {nullptr, "b.txt", "b.txt"},
        {"D:/a", "x/y", "D:\\a\\x\\y"},     {"D:/a/", "b", "D:\\a\\b"},
        {"D:/a/", "", "D:\\a\\"},           {"D:\\a", nullptr, "D:\\a"},
    };
    for (const auto& c : cases) {
        UString out("old");
        EXPECT_STREQ(c.joined, PathJoin(out, c.folder, c.name)) << c.joined;
        EXPECT_EQ(c.joined, Text(out));
        char buffer[MAX_PATH] = "old";
        EXPECT_STREQ(c.joined, PathJoinBuffer(c.folder, c.name, buffer));
    }
}

TEST(PathJoin, NothingToJoinLeavesTheOutAlone)
{
    UString out("keep");
    EXPECT_STREQ("keep", PathJoin(out, "", nullptr));
    char buffer[MAX_PATH] = "keep";
    EXPECT_STREQ("keep", PathJoinBuffer(nullptr, "", buffer));
}

TEST(PathJoin, TheOutMayBeTheFolder)
{
    UString path("C:/data");
    PathJoin(path, path.GetText(), "x.txt");
    EXPECT_EQ("C:\\data\\x.txt", Text(path));
}

TEST(PathJoin, ABufferPathThatWouldNotFitIsEmpty)
{
    std::string folder(MAX_PATH - 6, 'f');
    char buffer[MAX_PATH];
    EXPECT_STREQ((folder + "\\ab.c").c_str(), PathJoinBuffer(folder.c_str(), "ab.c", buffer));
    EXPECT_STREQ("", PathJoinBuffer(folder.c_str(), "abc.d", buffer));
    EXPECT_EQ(nullptr, PathJoinBuffer("a", "b", nullptr));
}

TEST(PathNormalize, TrimsSegmentsAndSeparators)
{
    const struct {
        const char* path;
        const char* normal;
    } cases[] = {
        {"D:/a/ b /c/", "D:\\a\\b\\c"},
        {"\\\\srv\\share\\", "\\\\srv\\share"},
        {"//srv/share", "\\\\srv\\share"},
        {"  C:\\x\\\\y\\  ", "C:\\x\\y"},
        {"\\temp\\x", "\\temp\\x"},
        {"D:\\", "D:"},
        {"rel\\.\\..\\f.txt", "rel\\.\\..\\f.txt"},
        {"\\\\", ""},
        {"   ", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        UString path(c.path);
        EXPECT_STREQ(c.normal, PathNormalize(path)) << c.path;
        EXPECT_EQ(c.normal, Text(path));
    }
}

TEST(PathSplit, CutsFolderNameAndExtension)
{
    const struct {
        const char* path;
        const char* folder;
        const char* name;
        const char* extension;
        bool result;
    } cases[] = {
        {"D:\\a\\b.txt", "D:\\a", "b.txt", "txt", true},
        {"D:/a/b.tar.gz", "D:\\a", "b.tar.gz", "gz", true},
        {"D:", "D:", "", "", true},
        {"D:\\", "D:", "", "", true},
        {"D:\\a\\", "D:", "a", "", true},
        {"b", "", "b", "", true},
        {"D:\\b.txt", "D:", "b.txt", "txt", true},
        {"\\\\srv\\share\\f.c", "\\\\srv\\share", "f.c", "c", true},
        {"D:\\a\\.profile", "D:\\a", "", "profile", true},
        {".profile", "", "", "profile", false},
        {"D:b.txt", "D:", "b.txt", "txt", true},
        {"", "", "", "", false},
        {"   ", "", "", "", false},
    };
    for (const auto& c : cases) {
        UString folder("x"), name("x"), extension("x");
        EXPECT_EQ(c.result, PathSplit(c.path, &folder, &name, &extension)) << c.path;
        EXPECT_EQ(c.folder, Text(folder)) << c.path;
        EXPECT_EQ(c.name, Text(name)) << c.path;
        EXPECT_EQ(c.extension, Text(extension)) << c.path;
    }
    EXPECT_FALSE(PathSplit(nullptr, nullptr, nullptr, nullptr));
    UString name;
    EXPECT_TRUE(PathSplit("C:\\x\\y.z", nullptr, &name, nullptr));
    EXPECT_EQ("y.z", Text(name));
}

TEST(PathName, BaseAndLastExtension)
{
    const struct {
        const char* path;
        const char* base;
        const char* extension;
        bool result;
    } cases[] = {
        {"D:\\a\\b.tar.gz", "b.tar", "gz", true},
        {"D:\\a\\b", "b", "", true},
        {"D:\\a\\.profile", ".profile", "", true},
        {"b.", "b", "", true},
        {"C:/x/report.sol.scl", "report.sol", "scl", true},
        {"", "", "", false},
    };
    for (const auto& c : cases) {
        UString base("x"), extension("x");
        EXPECT_EQ(c.result, PathName(c.path, &base, &extension)) << c.path;
        EXPECT_EQ(c.base, Text(base)) << c.path;
        EXPECT_EQ(c.extension, Text(extension)) << c.path;
    }
}

// ---- Probing and creating --------------------------------------------------------

TEST_F(PathFiles, PathExistsTellsFilesFoldersAndMisses)
{
    MakeFile("f.txt");
    MakeFolder("d");
    const struct {
        std::string folder;
        const char* name;
        int type;
    } cases[] = {
        {Path("f.txt"), nullptr, 1}, {root, "f.txt", 1},       {root, "d", 2},
        {Path("d\\"), nullptr, 2},   {root + "/d/", nullptr, 2}, {root, "missing", 0},
        {Path("d\\x"), nullptr, 0},  {"C:", nullptr, 2},        {"C:\\", nullptr, 2},
        {"", nullptr, 0},            {"", "\\", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.type, PathExists(c.folder.c_str(), c.name)) << c.folder << " " << (c.name ? c.name : "");
        if (c.name == nullptr) {
            EXPECT_EQ(c.type, PathExistsA(c.folder.c_str())) << c.folder;
        }
    }
    EXPECT_EQ(0, PathExistsA(nullptr));
}

TEST_F(PathFiles, PathExistsGivesWhatItFound)
{
    MakeFile("found.dat", "12345");
    WIN32_FIND_DATAW data{};
    ASSERT_EQ(1, PathExists(root.c_str(), "found.dat", &data));
    EXPECT_STREQ(L"found.dat", data.cFileName);
    EXPECT_EQ(5u, data.nFileSizeLow);
    WIN32_FIND_DATAW untouched{};
    untouched.nFileSizeLow = 77;
    EXPECT_EQ(0, PathExists(root.c_str(), "none", &untouched));
    EXPECT_EQ(77u, untouched.nFileSizeLow);
}

TEST_F(PathFiles, PathCreateDirectoryMakesEveryMissingLevel)
{
    UString normal;
    std::string path = root + "/one/two/three";
    EXPECT_TRUE(PathCreateDirectory(path.c_str(), &normal));
    EXPECT_EQ(Path("one\\two\\three"), Text(normal));
    EXPECT_EQ(2, PathExistsA(Path("one\\two\\three").c_str()));
    EXPECT_TRUE(PathCreateDirectory(path.c_str())) << "already there";

    MakeFile("blocked");
    EXPECT_FALSE(PathCreateDirectory(Path("blocked").c_str()));
    EXPECT_FALSE(PathCreateDirectory(Path("blocked\\below").c_str()));
    EXPECT_FALSE(PathCreateDirectory(""));
    EXPECT_EQ(1, PathExistsA(Path("blocked").c_str()));
}

// ---- Whole files --------------------------------------------------------------------

TEST_F(PathFiles, FileWriteThenFileReadGivesTheSameBytes)
{
    const std::string bytes("a\0b\r\nc\xFF", 7);
    UMemory out;
    out.Append(static_cast<int32_t>(bytes.size()), bytes.data());
    ASSERT_TRUE(FileWrite(Path("bin.dat").c_str(), out));
    EXPECT_EQ(bytes, ReadBytes(Path("bin.dat")));

    UMemory in;
    EXPECT_EQ(7, FileRead(Path("bin.dat").c_str(), in));
    EXPECT_EQ(bytes, std::string(in.GetData(), static_cast<size_t>(in.GetUsed())));

    EXPECT_EQ(3, FileRead(Path("bin.dat").c_str(), in, 3));
    EXPECT_EQ(std::string("a\0b", 3), std::string(in.GetData(), static_cast<size_t>(in.GetUsed())));
    EXPECT_EQ(7, FileRead(Path("bin.dat").c_str(), in, 100));
    EXPECT_EQ(7, in.GetUsed());
}

TEST_F(PathFiles, FileReadOfNothingLeavesTheBufferAlone)
{
    MakeFile("empty.txt", "");
    UMemory buffer;
    buffer.Append(4, "keep");
    EXPECT_EQ(0, FileRead(Path("empty.txt").c_str(), buffer));
    EXPECT_EQ(0, FileRead(Path("missing.txt").c_str(), buffer));
    EXPECT_EQ(0, FileRead(root.c_str(), buffer));
    EXPECT_EQ(0, FileRead(nullptr, buffer));
    EXPECT_EQ("keep", std::string(buffer.GetData(), static_cast<size_t>(buffer.GetUsed())));
}

TEST_F(PathFiles, FileWriteOfNothingMakesAnEmptyFile)
{
    MakeFile("old.txt", "old contents");
    UMemory empty;
    EXPECT_TRUE(FileWrite(Path("old.txt").c_str(), empty));
    EXPECT_EQ("", ReadBytes(Path("old.txt")));
    EXPECT_TRUE(FileWrite(Path("new.txt").c_str(), empty));
    EXPECT_EQ("", ReadBytes(Path("new.txt")));
}

TEST_F(PathFiles, AFailedFileWriteKeepsThePreviousFile)
{
    EXPECT_FALSE(FileWrite(Path("no\\such\\f.txt").c_str(), "abc", 3));
    EXPECT_EQ(0, PathExistsA(Path("no").c_str()));
    EXPECT_FALSE(FileWrite("  ", "abc", 3));

    // Another program holds the file open without letting it be replaced.
    std::string target = Path("held.txt");
    WriteBytes(target, "old contents");
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(FileWrite(target.c_str(), "new", 3));
    UStringList lines;
    lines.push_back(UString("new"));
    EXPECT_FALSE(FileSaveLines(target.c_str(), lines));
    CloseHandle(held);
    EXPECT_EQ("old contents", ReadBytes(target));

    UStringList left;
    PathListFiles(root.c_str(), nullptr, left, true);
    EXPECT_EQ(std::vector<std::string>{target}, Strings(left)) << "no temporary file is left behind";
}

TEST_F(PathFiles, FileLoadLinesCutsAtEveryBreak)
{
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"\r\na", {"", "a"}},
        {"a\r\n\r\n\n\tb\r\n", {"a", "b"}},
        {"a\r\n  b  \r\n", {"a", "  b  "}},
        {std::string("a\0b\n\0c", 6), {"ab", "c"}},
        {"x\r", {"x"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        MakeFile("lines.txt", c.bytes);
        UStringList list;
        list.push_back(UString("stale"));
        EXPECT_EQ(static_cast<long>(c.lines.size()), FileLoadLines(Path("lines.txt").c_str(), list));
        EXPECT_EQ(c.lines, Strings(list)) << c.bytes;
    }
    UStringList list;
    list.push_back(UString("stale"));
    EXPECT_EQ(0, FileLoadLines(Path("missing.txt").c_str(), list));
    EXPECT_TRUE(list.empty());
}

TEST_F(PathFiles, FileSaveLinesEndsEveryLineWithCrLf)
{
    UStringList lines;
    lines.push_back(UString("one"));
    lines.push_back(UString(""));
    lines.push_back(UString("three"));
    EXPECT_TRUE(FileSaveLines(Path("out.txt").c_str(), lines));
    EXPECT_EQ("one\r\n\r\nthree\r\n", ReadBytes(Path("out.txt")));
    EXPECT_TRUE(FileSaveLines(Path("none.txt").c_str(), UStringList()));
    EXPECT_EQ("", ReadBytes(Path("none.txt")));
}

// ---- Key=value files ---------------------------------------------------------------

TEST_F(PathFiles, CommentsCollapseIntoOnePairAtTheFirstCommentsPlace)
{
    MakeFile("layout.sol.scl", "# one\r\nx=1\r\n# two\r\nx=2\r\n");
    UPairList pairs;
    EXPECT_EQ(2, FileLoadPairs(Path("layout.sol.scl").c_str(), pairs));
    EXPECT_EQ((Pairs{{"#", "two"}, {"x", "2"}}), Contents(pairs));

    ASSERT_TRUE(FileSavePairs(Path("saved.scl").c_str(), pairs));
    EXPECT_EQ("# two\r\nx=2\r\n", ReadBytes(Path("saved.scl")));
}

TEST_F(PathFiles, FileLoadPairsReadsEntryLines)
{
    MakeFile("p.txt",
             "  width =  12 \r\n"
             "a=b=c\r\n"
             "flag\r\n"
             "=lonely\r\n"
             "\t\r\n"
             "#   Base layout  \r\n"
             "#\r\n"
             "; note=1\r\n"
             "empty=\r\n");
    UPairList pairs;
    pairs.Set("flag", "before");
    pairs.Set("kept", "yes");
    EXPECT_EQ(8, FileLoadPairs(Path("p.txt").c_str(), pairs));
    EXPECT_EQ((Pairs{{"flag", ""},
                     {"kept", "yes"},
                     {"width", "12"},
                     {"a", "b"},
                     {"", "lonely"},
                     {"#", ""},
                     {"; note", "1"},
                     {"empty", ""}}),
              Contents(pairs));
}

TEST_F(PathFiles, FileLoadPairsUsesTheListsMarker)
{
    MakeFile("p.txt", "; remark\r\n#x=1\r\n");
    UPairList pairs;
    pairs.SetMarker(";");
    EXPECT_EQ(2, FileLoadPairs(Path("p.txt").c_str(), pairs));
    EXPECT_EQ((Pairs{{";", "remark"}, {"#x", "1"}}), Contents(pairs));
    ASSERT_TRUE(FileSavePairs(Path("q.txt").c_str(), pairs));
    EXPECT_EQ("; remark\r\n#x=1\r\n", ReadBytes(Path("q.txt")));
}

TEST_F(PathFiles, FileLoadPairsOfAnythingButAFileChangesNothing)
{
    MakeFolder("folder");
    UPairList pairs;
    pairs.Set("a", "1");
    EXPECT_EQ(0, FileLoadPairs(Path("folder").c_str(), pairs));
    EXPECT_EQ(0, FileLoadPairs(Path("missing.txt").c_str(), pairs));
    EXPECT_EQ(0, FileLoadPairs("", pairs));
    EXPECT_EQ((Pairs{{"a", "1"}}), Contents(pairs));
}

TEST_F(PathFiles, FileSavePairsWritesEveryPairAndRefusesABlankPath)
{
    UPairList pairs;
    pairs.Set("#", "Base layout");
    pairs.Set("x", "1");
    pairs.Set("", "v");
    pairs.Set("#", "again");
    EXPECT_FALSE(FileSavePairs("  ", pairs));
    ASSERT_TRUE(FileSavePairs(Path("s.txt").c_str(), pairs));
    EXPECT_EQ("# again\r\nx=1\r\n=v\r\n", ReadBytes(Path("s.txt")));

    UPairList back;
    EXPECT_EQ(3, FileLoadPairs(Path("s.txt").c_str(), back));
    EXPECT_EQ(Contents(pairs), Contents(back));
}

TEST_F(PathFiles, AByteOrderMarkAtTheStartIsNotPartOfTheFirstKey)
{
    // An editor or a spreadsheet saving a properties or layout file as UTF-8
    // puts EF BB BF before its first line.
    const struct {
        const char* text;
        Pairs pairs;
    } cases[] = {
        {"\xEF\xBB\xBFname=Full\r\nx=1\r\n", {{"name", "Full"}, {"x", "1"}}},
        {"\xEF\xBB\xBF# KORV layout\r\nname=Full\r\n", {{"#", "KORV layout"}, {"name", "Full"}}},
        {"\xEF\xBB\xBF  name = Full\r\n", {{"name", "Full"}}},
        {"\xEF\xBB\xBF\r\nname=Full\r\n", {{"name", "Full"}}},
        // Only at the start of the file: elsewhere the bytes are text.
        {"a=1\r\n\xEF\xBB\xBFname=Full\r\n", {{"a", "1"}, {"\xEF\xBB\xBFname", "Full"}}},
        {"\xEF\xBB\xBF\xEF\xBB\xBFname=Full\r\n", {{"\xEF\xBB\xBFname", "Full"}}},
    };
    for (const auto& c : cases) {
        MakeFile("bom.properties", c.text);
        UPairList pairs;
        FileLoadPairs(Path("bom.properties").c_str(), pairs);
        EXPECT_EQ(c.pairs, Contents(pairs)) << c.text;
    }
}

TEST_F(PathFiles, ManyKeysLoadWithTheirFirstPlaceAndLastValue)
{
    // A properties file of thousands of keys, some given twice in other
    // spellings: a key keeps its first place and takes its last value, and
    // lookups by key find the same pairs as in a short file.
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "key." + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    text += "Key.7=seven\r\nkey.7=again\r\n# one\r\n# two\r\n";
    MakeFile("many.properties", text);
    UPairList pairs;
    EXPECT_EQ(3002, FileLoadPairs(Path("many.properties").c_str(), pairs));
    EXPECT_EQ("again", std::string(pairs.Get("key.7").GetText()));
    EXPECT_EQ(7, pairs.IndexOf("key.7"));
    EXPECT_EQ("seven", std::string(pairs.Get("Key.7").GetText()));
    EXPECT_EQ(3000, pairs.IndexOf("Key.7"));
    EXPECT_EQ(7, pairs.IndexOf("KEY.7", false));
    EXPECT_EQ("two", std::string(pairs.Get("#").GetText()));
    EXPECT_EQ(2999, pairs.IndexOf("key.2999"));

    ASSERT_TRUE(FileSavePairs(Path("saved.properties").c_str(), pairs));
    UPairList back;
    EXPECT_EQ(3002, FileLoadPairs(Path("saved.properties").c_str(), back));
    EXPECT_EQ(Contents(pairs), Contents(back));
}

// ---- Listing and deleting --------------------------------------------------------

TEST_F(PathFiles, PathListFilesWalksMatchingFolders)
{
    MakeTree();
    const struct {
        const char* pattern;
        bool recursive;
        std::vector<std::string> files;
    } cases[] = {
        {nullptr, false, {"a.txt", "b.dat"}},
        {"*.*", true,
         {"a.txt", "b.dat", "sub\\c.txt", "sub\\deep\\d.txt", "sub\\deep\\e.dat", "list.txt\\f.txt"}},
        {"*.txt", false, {"a.txt"}},
        // "sub" does not match, so it is not entered; "list.txt" does.
        {"*.txt", true, {"a.txt", "list.txt\\f.txt"}},
        {"*.none", true, {}},
    };
    for (const auto& c : cases) {
        UStringList list;
        list.push_back(UString("first"));
        std::vector<std::string> expected{"first"};
        for (const std::string& file : c.files)
            expected.push_back(Path(file));
        EXPECT_EQ(static_cast<long>(c.files.size()),
                  PathListFiles(root.c_str(), c.pattern, list, c.recursive));
        EXPECT_EQ(Sorted(expected), Sorted(Strings(list))) << (c.pattern ? c.pattern : "<null>");
        EXPECT_EQ("first", Strings(list).front());
    }
}

TEST_F(PathFiles, PathListFilesPutsAFoldersFilesAtItsPlace)
{
    MakeFolder("x");
    MakeFolder("x\\y");
    MakeFile("x\\y\\1");
    MakeFile("x\\y\\2");
    MakeFile("x\\3");
    UStringList list;
    EXPECT_EQ(3, PathListFiles(Path("x").c_str(), "*", list, true));
    std::vector<std::string> files = Strings(list);
    auto one = std::find(files.begin(), files.end(), Path("x\\y\\1"));
    auto two = std::find(files.begin(), files.end(), Path("x\\y\\2"));
    ASSERT_NE(files.end(), one);
    ASSERT_NE(files.end(), two);
    EXPECT_EQ(1, std::abs(one - two)) << "the files of y stand together";
}

TEST_F(PathFiles, PathListDirsPutsSubfoldersRightAfterTheirFolder)
{
    MakeTree();
    MakeFolder("sub\\deep\\deeper");
    UStringList list;
    EXPECT_EQ(4, PathListDirs(root.c_str(), "*.*", list, true));
    std::vector<std::string> dirs = Strings(list);
    EXPECT_EQ(Sorted({Path("sub"), Path("sub\\deep"), Path("sub\\deep\\deeper"), Path("list.txt")}),
              Sorted(dirs));
    auto sub = std::find(dirs.begin(), dirs.end(), Path("sub"));
    ASSERT_LE(sub + 3, dirs.end());
    EXPECT_EQ(Path("sub\\deep"), sub[1]);
    EXPECT_EQ(Path("sub\\deep\\deeper"), sub[2]);

    UStringList flat;
    EXPECT_EQ(2, PathListDirs(root.c_str(), nullptr, flat, false));
    EXPECT_EQ(Sorted({Path("sub"), Path("list.txt")}), Sorted(Strings(flat)));
}

TEST_F(PathFiles, ListingNothingAddsNothing)
{
    MakeFile("file.txt");
    UStringList list;
    EXPECT_EQ(0, PathListFiles(Path("missing").c_str(), nullptr, list, true));
    EXPECT_EQ(0, PathListFiles(Path("file.txt").c_str(), nullptr, list, true));
    EXPECT_EQ(0, PathListDirs("", nullptr, list, true));
    EXPECT_EQ(0, PathListFiles(nullptr, nullptr, list, false));
    EXPECT_TRUE(list.empty());
}

// Sets the current folder for one test and puts the previous one back.
class CurrentFolderGuard {
public:
    explicit CurrentFolderGuard(const std::string& folder) : m_previous(CurrentFolder())
    {
        EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    }
    ~CurrentFolderGuard() { SetCurrentDirectoryW(m_previous.c_str()); }

private:
    std::wstring m_previous;
};

TEST_F(PathFiles, ListingNeitherNeedsNorMovesTheCurrentFolder)
{
    MakeTree();
    MakeFolder("other");
    MakeFile("other\\only.txt");
    CurrentFolderGuard guard(root);
    const std::wstring before = CurrentFolder();
    // Two walks of relative folders at once, as a calculation thread and the
    // UI may: a walk that moved the current folder would lose the other's.
    std::vector<long> counts(2);
    std::vector<std::vector<std::string>> seen(2);
    std::thread walker([&] {
        for (int i = 0; i < 50; ++i) {
            UStringList list;
            counts[0] += PathListFiles("other", nullptr, list, true);
            if (i == 0)
                seen[0] = Strings(list);
        }
    });
    for (int i = 0; i < 50; ++i) {
        UStringList list;
        counts[1] += PathListFiles("sub", nullptr, list, true);
        if (i == 0)
            seen[1] = Sorted(Strings(list));
    }
    walker.join();
    EXPECT_EQ(50, counts[0]);
    EXPECT_EQ(150, counts[1]);
    EXPECT_EQ(std::vector<std::string>{"other\\only.txt"}, seen[0]);
    EXPECT_EQ(Sorted({"sub\\c.txt", "sub\\deep\\d.txt", "sub\\deep\\e.dat"}), seen[1]);
    EXPECT_EQ(before, CurrentFolder());
}

TEST_F(PathFiles, FileDeleteWithForceRemovesReadOnlyAndHiddenFiles)
{
    MakeFile("plain");
    EXPECT_TRUE(FileDelete(Path("plain").c_str(), false));
    EXPECT_EQ(0, PathExistsA(Path("plain").c_str()));
    EXPECT_FALSE(FileDelete(Path("plain").c_str(), true)) << "already gone";

    MakeFile("locked");
    ASSERT_TRUE(SetFileAttributesA(Path("locked").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(FileDelete(Path("locked").c_str(), false));
    EXPECT_EQ(1, PathExistsA(Path("locked").c_str()));
    EXPECT_TRUE(FileDelete(Path("locked").c_str(), true));
    EXPECT_EQ(0, PathExistsA(Path("locked").c_str()));
    EXPECT_FALSE(FileDelete("", true));
}

TEST_F(PathFiles, PathDeleteTreeEmptiesOrRemovesTheFolder)
{
    MakeTree();
    MakeFile("sub\\deep\\ro.txt");
    SetFileAttributesA(Path("sub\\deep\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    PathDeleteTree(root.c_str(), false);
    EXPECT_EQ(2, PathExistsA(root.c_str()));
    UStringList left;
    PathListFiles(root.c_str(), nullptr, left, true);
    PathListDirs(root.c_str(), nullptr, left, true);
    EXPECT_TRUE(left.empty()) << Strings(left).size();

    MakeTree();
    PathDeleteTree(Path("sub").c_str(), true);
    EXPECT_EQ(0, PathExistsA(Path("sub").c_str()));
    EXPECT_EQ(1, PathExistsA(Path("a.txt").c_str())) << "only the named tree goes";
}

TEST_F(PathFiles, PathDeleteTreeOfNothingTouchesNothing)
{
    MakeFile("a.txt");
    const std::wstring before = CurrentFolder();
    PathDeleteTree("", true);
    PathDeleteTree(nullptr, false);
    PathDeleteTree(Path("missing").c_str(), true);
    EXPECT_EQ(1, PathExistsA(Path("a.txt").c_str()));
    EXPECT_EQ(before, CurrentFolder());
}

// ---- Formatting ---------------------------------------------------------------------

// ---- Paths the program can hold ----------------------------------------------

// The narrow calls would turn a character without an ANSI form into a
// look-alike: "ā" into "a", "α" into "a", "β" into "ß", and so name another
// file. The program's conversion gives "?" for each, which no name holds.
TEST(PathFromWide, CharactersWithoutAnAnsiFormBecomeQuestionMarks)
{
    ASSERT_EQ(1252u, GetACP()) << "the tests run in the code page 1252";
    const struct {
        const wchar_t* wide;
        const char* ansi;
    } cases[] = {
        {L"C:\\plan.brvk", "C:\\plan.brvk"},
        {L"C:\\M\x00FCller\\\x20AC.brvk", "C:\\M\xFCller\\\x80.brvk"},
        {L"C:\\\x0101\x0113x.brvk", "C:\\??x.brvk"},
        {L"C:\\\x03B1\x03B2\x03B3\\\x4E2D.brvk", "C:\\???\\?.brvk"},
        {L"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.ansi, PathFromWide(c.wide));
    EXPECT_EQ("", PathFromWide(nullptr));
}

TEST(PathCheckUsable, RefusesWhatTheCodePageOrMaxPathCannotHold)
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string current = folder;
    const std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'f');  // 259 characters
    const struct {
        const char* what;
        std::string path;
        PathFault fault;
    } cases[] = {
        {"a plain path", "C:\\jobs\\plan.brvk", PathFault::None},
        {"letters of the code page", "C:\\M\xFCller\\\x80.brvk", PathFault::None},
        {"259 characters", longest, PathFault::None},
        {"260 characters", longest + "g", PathFault::TooLong},
        {"300 characters", "C:\\" + std::string(290, 'p') + ".brvk", PathFault::TooLong},
        {"long once made full", std::string(MAX_PATH - current.size(), 'r'), PathFault::TooLong},
        {"a lost character", "C:\\jobs\\??x.brvk", PathFault::LostCharacters},
        {"a pattern", "C:\\jobs\\*.brvk", PathFault::LostCharacters},
        {"nothing", "", PathFault::Empty},
        {"blanks", "  ", PathFault::Empty},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(c.fault), static_cast<int>(PathCheckUsable(c.path.c_str()))) << c.what;
    EXPECT_EQ(static_cast<int>(PathFault::Empty), static_cast<int>(PathCheckUsable(nullptr)));
}

// ---- Whether another program changed a file --------------------------------------

TEST_F(PathFiles, AFileStampTellsChangedBytesFromTheSameBytesWrittenAgain)
{
    const std::string path = Path("plan.brvk");
    const std::string bytes = "first version";
    WriteBytes(path, bytes);
    const FileStamp written = FileStampOf(path.c_str(), bytes.data(), bytes.size());
    const FileStamp read = FileStampRead(path.c_str());
    ASSERT_TRUE(written.known);
    ASSERT_TRUE(read.known);
    EXPECT_EQ(13, read.size);
    EXPECT_EQ(written.time, read.time);
    EXPECT_TRUE(FileStampSameBytes(written, read));

    // Another program writes the same bytes again: a new time, nothing lost.
    Sleep(20);
    WriteBytes(path, bytes);
    EXPECT_TRUE(FileStampSameBytes(written, FileStampRead(path.c_str())));
    // One byte changed, the size kept.
    WriteBytes(path, "first versioN");
    EXPECT_FALSE(FileStampSameBytes(written, FileStampRead(path.c_str())));
    WriteBytes(path, "first version, longer");
    EXPECT_FALSE(FileStampSameBytes(written, FileStampRead(path.c_str())));
    // An empty file is a file like any other.
    WriteBytes(path, "");
    EXPECT_TRUE(FileStampSameBytes(FileStampOf(path.c_str(), "", 0), FileStampRead(path.c_str())));

    EXPECT_FALSE(FileStampRead(Path("none.brvk").c_str()).known);
    EXPECT_FALSE(FileStampSameBytes(FileStamp(), FileStamp()));
}

// ---- Damaged files ---------------------------------------------------------------------

TEST_F(PathFiles, FileLooksBinaryTellsGarbageFromText)
{
    const struct {
        const char* what;
        std::string bytes;
        bool binary;
    } cases[] = {
        {"settings", "length.units=0\r\n# note\r\nhistory=C:\\a|C:\\b\r\n", false},
        {"tabs, form feed and an end mark", "a=\t1\n\f\x1A", false},
        {"letters of the code page", "name=M\xFCller \x80\r\n", false},
        {"empty", "", false},
        {"a NUL", std::string("a=1\r\n\0b=2", 9), true},
        {"garbage", "\x89PNG\r\n\x1A\n\x01\x02\x03", true},
        {"text saved as UTF-16", std::string("a\0=\0001\0", 6), true},
    };
    for (const auto& c : cases) {
        MakeFile("file", c.bytes);
        EXPECT_EQ(c.binary, FileLooksBinary(Path("file").c_str())) << c.what;
    }
    EXPECT_FALSE(FileLooksBinary(Path("none").c_str()));
}

TEST_F(PathFiles, FileSetAsideKeepsEveryDamagedCopy)
{
    const std::string path = Path("Bravik.properties");
    UString keptAs;
    for (int n = 1; n <= 3; ++n) {
        MakeFile("Bravik.properties", "copy " + std::to_string(n));
        ASSERT_TRUE(FileSetAside(path.c_str(), keptAs));
        const std::string expected = n == 1 ? path + ".bad" : path + "." + std::to_string(n) + ".bad";
        EXPECT_EQ(expected, Text(keptAs));
        EXPECT_EQ("copy " + std::to_string(n), ReadBytes(expected));
        EXPECT_EQ("<missing>", ReadBytes(path));
    }
    EXPECT_FALSE(FileSetAside(Path("none").c_str(), keptAs));
    EXPECT_EQ("", Text(keptAs));
}

TEST(FormatTemp, FormatsIntoABufferOfTheCallingThread)
{
    EXPECT_STREQ("7 items in C:\\x", FormatTemp("%d items in %s", 7, "C:\\x"));
    EXPECT_STREQ("", FormatTemp(nullptr));
    EXPECT_STREQ("", FormatTemp("%s", ""));

    const char* mine = FormatTemp("mine %d", 1);
    std::string theirs;
    std::thread([&] { theirs = FormatTemp("theirs %d", 2); }).join();
    EXPECT_STREQ("mine 1", mine) << "another thread's call leaves this one's text";
    EXPECT_EQ("theirs 2", theirs);
}

namespace {

std::atomic<int> g_formattedRight{0};

DWORD WINAPI FormatOnce(LPVOID parameter)
{
    const int i = static_cast<int>(reinterpret_cast<intptr_t>(parameter));
    const std::string tail(300, 'x');
    if ("thread " + std::to_string(i) + tail == FormatTemp("thread %d%s", i, tail.c_str()))
        ++g_formattedRight;
    return 0;
}

} // namespace

TEST(FormatTemp, ThreadsThatFormatAndEndLeaveTheHeapSound)
{
    // Worker threads of the program are system threads that format and end;
    // what each held for its text must go without harming the heap.
    g_formattedRight = 0;
    for (int round = 0; round < 8; ++round) {
        HANDLE threads[8];
        for (int i = 0; i < 8; ++i)
            threads[i] = CreateThread(nullptr, 0, FormatOnce,
                                      reinterpret_cast<LPVOID>(static_cast<intptr_t>(i)), 0, nullptr);
        for (HANDLE thread : threads) {
            ASSERT_NE(nullptr, thread);
            const DWORD ended = WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
            ASSERT_EQ(WAIT_OBJECT_0, ended) << "a formatting thread did not end within 10 s";
        }
    }
    EXPECT_EQ(64, g_formattedRight.load());
    EXPECT_NE(FALSE, HeapValidate(GetProcessHeap(), 0, nullptr));
    std::vector<std::string> blocks;
    for (int i = 0; i < 200; ++i)
        blocks.emplace_back(static_cast<size_t>(100 + i), 'y');
    EXPECT_NE(FALSE, HeapValidate(GetProcessHeap(), 0, nullptr));
}

TEST(FormatTemp, ALongTextIsNeverCut)
{
    std::string long_text(20000, 'q');
    const char* text = FormatTemp("<%s>", long_text.c_str());
    EXPECT_EQ(20002u, strlen(text));
    EXPECT_EQ('>', text[20001]);
}

} // namespace

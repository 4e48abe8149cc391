#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "foundation/DZIP.h"

#include "minizip/zip.h"

namespace {

// One item of an archive the test writes with the zip library itself.
struct Item {
    std::string name;
    std::string data;
    unsigned long attributes = 0;
    bool folder = false;
};

Item Folder(const std::string& name, unsigned long attributes = FILE_ATTRIBUTE_DIRECTORY)
{
    return Item{name, "", attributes, true};
}
Item File(const std::string& name, const std::string& data) { return Item{name, data, 0, false}; }

void WriteArchive(const std::string& path, const std::vector<Item>& items)
{
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr) << path;
    for (const Item& item : items) {
        zip_fileinfo info;
        std::memset(&info, 0, sizeof info);
        info.external_fa = item.attributes;
        ASSERT_EQ(zipOpenNewFileInZip64(zip, item.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                        nullptr, item.folder ? 0 : Z_DEFLATED,
                                        Z_DEFAULT_COMPRESSION, 0),
                  ZIP_OK);
        if (!item.data.empty())
            zipWriteInFileInZip(zip, item.data.data(), static_cast<unsigned>(item.data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

const std::string kPage = "<html><body>Help index, with enough text to be worth packing. "
                          "Help index, with enough text to be worth packing.</body></html>";

class DZIPTest : public TempFolderTest {
protected:
    DZIPTest() : TempFolderTest("dzip") {}

    // pics/ (a folder), pics/a.png and index.html, as the help archive is laid out.
    std::string HelpArchive()
    {
        const std::string path = Path("help.zip");
        WriteArchive(path, {Folder("pics/"), File("pics/a.png", "PNGDATA"), File("index.html", kPage)});
        return path;
    }
};

} // namespace

TEST_F(DZIPTest, ExtractsFoldersAndFilesAndCountsTheFiles)
{
    DZIP zip;
    ASSERT_EQ(zip.Open(HelpArchive().c_str()), 3);
    const std::string target = Path("HELP");
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    EXPECT_EQ(zip.Extract(target.c_str(), -1), 2);
    EXPECT_EQ(ReadBytes(target + "\\pics\\a.png"), "PNGDATA");
    EXPECT_EQ(ReadBytes(target + "\\index.html"), kPage);
    EXPECT_EQ(zip.GetExtractedCount(), 2u);
    EXPECT_EQ(zip.GetUncompressedTotal(), 7u + kPage.size());
    EXPECT_LT(zip.GetCompressedTotal(), zip.GetUncompressedTotal());
    EXPECT_EQ(std::string(zip.GetLastExtracted().GetText()), target + "\\index.html");
}

TEST_F(DZIPTest, FolderItemsAreKnownByAttributeModeOrTrailingSlash)
{
    struct Case {
        const char* label;
        Item folder;
    } cases[] = {
        {"attribute", Folder("pics", FILE_ATTRIBUTE_DIRECTORY)},
        {"unix mode", Folder("pics", 0x41ED0000)},
        {"slash", Folder("pics/", 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = Path(std::string("f") + c.label + ".zip");
        WriteArchive(path, {c.folder, File("pics/a.png", "A")});
        const std::string target = Path(std::string("out ") + c.label);
        CreateDirectoryA(target.c_str(), nullptr);
        DZIP zip(path.c_str());
        EXPECT_EQ(zip.Extract(target.c_str(), -1), 1);
        EXPECT_EQ(ReadBytes(target + "\\pics\\a.png"), "A");
    }
}

TEST_F(DZIPTest, ExtractingOverExistingFilesReplacesThem)
{
    const std::string target = Path("HELP");
    CreateDirectoryA(target.c_str(), nullptr);
    WriteBytes(target + "\\index.html", "old and longer than nothing at all, surely");
    SetFileAttributesA((target + "\\index.html").c_str(), FILE_ATTRIBUTE_READONLY);
    DZIP zip(HelpArchive().c_str());
    EXPECT_EQ(zip.Extract(target.c_str(), -1), 2);
    EXPECT_EQ(ReadBytes(target + "\\index.html"), kPage);
}

TEST_F(DZIPTest, AnIndexExtractsThatItemAlone)
{
    const std::string target = Path("one");
    CreateDirectoryA(target.c_str(), nullptr);
    DZIP zip(HelpArchive().c_str());
    // Item 1 is pics/a.png, whose folder no earlier item made: it is made
    // one level deep for it.
    EXPECT_EQ(zip.Extract(target.c_str(), 1), 1);
    EXPECT_EQ(ReadBytes(target + "\\pics\\a.png"), "PNGDATA");
    EXPECT_EQ(ReadBytes(target + "\\index.html"), "<missing>");
    EXPECT_EQ(zip.Extract(target.c_str(), 7), 0);
}

TEST_F(DZIPTest, AnEmptyFolderMeansTheArchivesOwnFolder)
{
    DZIP zip(HelpArchive().c_str());
    EXPECT_EQ(zip.Extract("", -1), 2);
    EXPECT_EQ(ReadBytes(Path("index.html")), kPage);
}

TEST_F(DZIPTest, ANonArchiveCannotBeOpenedOrExtracted)
{
    const std::string path = Path("not.zip");
    WriteBytes(path, "this is plain text, not an archive");
    DZIP zip;
    EXPECT_EQ(zip.Open(path.c_str()), -1);
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_EQ(zip.Extract(root.c_str(), -1), -1);
    EXPECT_EQ(zip.Open(Path("missing.zip").c_str()), -1);
    EXPECT_EQ(zip.Open(""), 0);
}

TEST_F(DZIPTest, AFailedOpenClosesTheArchiveOpenBefore)
{
    DZIP zip(HelpArchive().c_str());
    ASSERT_TRUE(zip.IsOpen());
    EXPECT_EQ(zip.Open(""), 0);
    EXPECT_TRUE(zip.IsOpen());
    EXPECT_EQ(zip.Open(Path("missing.zip").c_str()), -1);
    EXPECT_FALSE(zip.IsOpen());
    EXPECT_STREQ(zip.GetPath().GetText(), "");
}

TEST_F(DZIPTest, ItemsThatWouldLeaveTheFolderAreLeftOut)
{
    const std::string path = Path("evil.zip");
    WriteArchive(path, {File("../escaped.txt", "x"), File("a/../../escaped2.txt", "x"),
                        File("C:/rooted.txt", "x"), File("/abs.txt", "x"), File("fine.txt", "ok")});
    const std::string target = Path("inner");
    CreateDirectoryA(target.c_str(), nullptr);
    DZIP zip(path.c_str());
    EXPECT_EQ(zip.Extract(target.c_str(), -1), 1);
    EXPECT_EQ(ReadBytes(target + "\\fine.txt"), "ok");
    EXPECT_EQ(ReadBytes(Path("escaped.txt")), "<missing>");
    EXPECT_EQ(ReadBytes(Path("escaped2.txt")), "<missing>");
}

TEST_F(DZIPTest, FindItemIgnoresCase)
{
    DZIP zip(HelpArchive().c_str());
    EXPECT_EQ(zip.FindItem("INDEX.HTML"), 2);
    EXPECT_EQ(zip.FindItem("Pics/A.png"), 1);
    EXPECT_EQ(zip.FindItem("absent"), -1);
    EXPECT_EQ(zip.FindItem(""), -1);
    DZIP closed;
    EXPECT_EQ(closed.FindItem("index.html"), -1);
}

TEST_F(DZIPTest, CreatedArchivesReadBack)
{
    WriteBytes(Path("page.html"), kPage);
    WriteBytes(Path("empty.txt"), "");
    const std::string archive = Path("made.zip");
    {
        DZIP zip;
        EXPECT_EQ(zip.AddFile(Path("page.html").c_str(), nullptr), 0);
        ASSERT_EQ(zip.Create(archive.c_str()), 1);
        EXPECT_TRUE(zip.IsWriting());
        EXPECT_EQ(zip.AddFile(Path("page.html").c_str(), nullptr), 1);
        EXPECT_EQ(zip.AddFile(Path("page.html").c_str(), "docs\\copy.html"), 1);
        EXPECT_EQ(zip.AddFile(Path("empty.txt").c_str(), ""), 1);
        EXPECT_EQ(zip.AddFile(Path("missing.txt").c_str(), nullptr), 0);
        EXPECT_EQ(zip.AddFile("", nullptr), 0);
        zip.Close();
        EXPECT_FALSE(zip.IsOpen());
    }
    DZIP reader;
    ASSERT_EQ(reader.Open(archive.c_str()), 3);
    EXPECT_EQ(reader.FindItem("docs/copy.html"), 1);
    const std::string target = Path("back");
    CreateDirectoryA(target.c_str(), nullptr);
    CreateDirectoryA((target + "\\docs").c_str(), nullptr);
    EXPECT_EQ(reader.Extract(target.c_str(), -1), 3);
    EXPECT_EQ(ReadBytes(target + "\\page.html"), kPage);
    EXPECT_EQ(ReadBytes(target + "\\docs\\copy.html"), kPage);
    EXPECT_EQ(ReadBytes(target + "\\empty.txt"), "");
}

TEST_F(DZIPTest, CreateRefusesAnEmptyPathAndReportsAPlaceItCannotWrite)
{
    DZIP zip;
    EXPECT_EQ(zip.Create(""), 0);
    EXPECT_EQ(zip.Create(Path("no such folder\\x.zip").c_str()), -1);
    EXPECT_FALSE(zip.IsOpen());
}

TEST(DZIPJoinPath, JoinsWithOneBackslash)
{
    struct Case {
        const char* folder;
        const char* name;
        const char* expected;
    } cases[] = {
        {"D:\\h", "a/b.txt", "D:\\h\\a\\b.txt"},
        {"D:\\h\\", "a.txt", "D:\\h\\a.txt"},
        {"D:/h/", "a.txt", "D:\\h\\a.txt"},
        {"", "a/b", "a\\b"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(DZIP::JoinPath(c.folder, c.name).GetText(), c.expected) << c.folder;
}

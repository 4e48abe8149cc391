#include "foundation/DAppSettings.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"

#include <string>

namespace {

class DAppSettingsTest : public TempFolderTest {
protected:
    DAppSettingsTest() : TempFolderTest("appsettings_") {}
    std::string Text(const UString& s) { return s.GetText(); }
};

TEST_F(DAppSettingsTest, AnUnchangedValueLeavesTheObjectCleanAndTheFileAlone)
{
    const std::string path = Path("Bravik.properties");
    WriteBytes(path, "length.units=1\r\n");
    DAppSettings settings;
    ASSERT_EQ(1, settings.Load(path.c_str()));
    WriteBytes(path, "sentinel");
    EXPECT_TRUE(settings.Set("length.units", "1"));
    EXPECT_FALSE(settings.IsDirty());
    EXPECT_EQ(1, settings.Save(false));
    EXPECT_EQ("sentinel", ReadBytes(path));
    // A missing key set to the empty text adds nothing either.
    settings.Set("absent", "");
    EXPECT_FALSE(settings.IsDirty());
    EXPECT_EQ(1, settings.GetEntries().Count());
}

TEST_F(DAppSettingsTest, SaveNowWritesAChangeAtOnce)
{
    const std::string path = Path("p.properties");
    DAppSettings settings;
    EXPECT_EQ(0, settings.Load(path.c_str()));
    settings.Set("b", "2", false);
    EXPECT_TRUE(settings.IsDirty());
    EXPECT_EQ("<missing>", ReadBytes(path));
    settings.Set("a", "1", true);
    EXPECT_FALSE(settings.IsDirty());
    EXPECT_EQ("b=2\r\na=1\r\n", ReadBytes(path));
    // A change keeps the key's place.
    settings.Set("b", "3", true);
    EXPECT_EQ("b=3\r\na=1\r\n", ReadBytes(path));
}

TEST_F(DAppSettingsTest, GetGivesTheDefaultOnlyForAMissingKey)
{
    const std::string path = Path("p.properties");
    WriteBytes(path, "# made by hand\r\nEmpty=\r\nkey=x\r\n");
    DAppSettings settings;
    settings.Load(path.c_str());
    EXPECT_EQ("", Text(settings.Get("empty", "d")));
    EXPECT_EQ("x", Text(settings.Get("KEY", "d")));
    EXPECT_EQ("d", Text(settings.Get("missing", "d")));
}

TEST_F(DAppSettingsTest, LoadingAMissingFileKeepsTheEntries)
{
    DAppSettings settings;
    settings.Set("kept", "1");
    EXPECT_EQ(0, settings.Load(Path("nothing.properties").c_str()));
    EXPECT_EQ("1", Text(settings.Get("kept")));
    EXPECT_EQ(Path("nothing.properties"), Text(settings.GetPath()));
}

TEST_F(DAppSettingsTest, ARepeatedKeyKeepsItsFirstPlaceAndTakesTheLastValue)
{
    const std::string path = Path("p.properties");
    WriteBytes(path, "a=1\r\nb=2\r\na=3\r\n");
    DAppSettings settings;
    EXPECT_EQ(2, settings.Load(path.c_str()));
    EXPECT_EQ("3", Text(settings.Get("a")));
    EXPECT_EQ("a", Text(settings.GetEntries().KeyAt(0)));
    EXPECT_FALSE(settings.IsDirty());
}

TEST_F(DAppSettingsTest, AFileSavedWithAByteOrderMarkReadsItsFirstKeyAsTyped)
{
    // A spreadsheet or an editor saving the file as UTF-8 writes EF BB BF first;
    // the program writes it back without.
    const std::string path = Path("p.properties");
    WriteBytes(path, "\xEF\xBB\xBFlength.units=1\r\nb=2\r\n");
    DAppSettings settings;
    EXPECT_EQ(2, settings.Load(path.c_str()));
    EXPECT_EQ("1", Text(settings.Get("length.units", "default")));
    settings.Set("b", "3", false);
    EXPECT_EQ(2, settings.Save(false));
    EXPECT_EQ("length.units=1\r\nb=3\r\n", ReadBytes(path));
}

TEST_F(DAppSettingsTest, SavingWithoutAPathOrIntoAMissingFolderFailsAndStaysDirty)
{
    DAppSettings noPath;
    noPath.Set("a", "1");
    EXPECT_EQ(0, noPath.Save(true));

    const std::string path = Path("no such folder\\p.properties");
    DAppSettings settings;
    settings.Load(path.c_str());
    settings.Set("a", "1");
    EXPECT_EQ(0, settings.Save(true));
    EXPECT_TRUE(settings.IsDirty());
    EXPECT_EQ("Cannot save settings to file " + path, Text(settings.GetErrorText()));
    // Once the folder is there the next save goes through.
    ASSERT_TRUE(CreateDirectoryA(Path("no such folder").c_str(), nullptr));
    EXPECT_EQ(2, settings.Save(false));
    EXPECT_FALSE(settings.IsDirty());
    EXPECT_EQ("a=1\r\n", ReadBytes(path));
}

// Binary garbage in the settings file would be read as lines of nonsense
// keys: at start it is not read but kept beside under another name, and the
// settings start empty as on a first start. A text file is read as ever.
TEST_F(DAppSettingsTest, ADamagedFileIsSetAsideAtStartAndNotRead)
{
    const std::string path = Path("Bravik.properties");
    const std::string garbage("\x7F" "ELF\x02\x01\x01\0\0\0\0\0=\x03\0>\0\x01\0\0\0\r\nx=1\x90\x91", 26);
    WriteBytes(path, garbage);
    DAppSettings settings;
    UString keptAs;
    bool damaged = false;
    EXPECT_EQ(0, settings.LoadAtStart(path.c_str(), keptAs, damaged));
    EXPECT_TRUE(damaged);
    EXPECT_EQ(path + ".bad", Text(keptAs));
    EXPECT_EQ(garbage, ReadBytes(path + ".bad"));
    EXPECT_EQ(0, settings.GetEntries().Count());
    EXPECT_EQ(path, Text(settings.GetPath()));
    // The defaults the program sets are written as a clean file.
    settings.Set("length.units", "0");
    EXPECT_EQ(2, settings.Save(false));
    EXPECT_EQ("length.units=0\r\n", ReadBytes(path));

    // The clean file is read at the next start.
    DAppSettings next;
    EXPECT_EQ(1, next.LoadAtStart(path.c_str(), keptAs, damaged));
    EXPECT_FALSE(damaged);
    EXPECT_EQ("", Text(keptAs));
    EXPECT_EQ("0", Text(next.Get("length.units", "d")));
}

// A save that fails is said once to the user, not at every later failure.
TEST_F(DAppSettingsTest, AFailedSaveIsHandedOutOnce)
{
    const std::string path = Path("Bravik.properties");
    WriteBytes(path, "a=1\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    DAppSettings settings;
    settings.Load(path.c_str());
    UString text;
    EXPECT_FALSE(settings.TakeFirstFailure(text)) << "nothing failed yet";
    settings.Set("a", "2", true);
    EXPECT_TRUE(settings.IsDirty());
    EXPECT_EQ("a=1\r\n", ReadBytes(path));
    ASSERT_TRUE(settings.TakeFirstFailure(text));
    EXPECT_EQ("Cannot save settings to file " + path, Text(text));
    settings.Set("a", "3", true);
    EXPECT_FALSE(settings.TakeFirstFailure(text));
    // The file can be written again: the change is kept after all.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(2, settings.Save(false));
    EXPECT_EQ("a=3\r\n", ReadBytes(path));
}

} // namespace

// The files the program carries, written into its data folder at start-up.
#include "support/AppRunner.h"

#include "support/TestFiles.h"

#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kDataFiles[] = {"BASE.SOL.SCL", "FULL.SOL.SCL", "LIST.SOL.SCL",
                                  "STYLE.TXT",    "STYLE.MONO.TXT", "META.TXT"};
const char* const kHelpFiles[] = {"index.html", "calculate.html", "project.html", "reports.html",
                                  "help.css",   "pics\\pattern.png", "pics\\page.png"};

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class Installation : public ProgramTest {
protected:
    // Starts the program, lets it stand up and ends it with File > Exit.
    void StartAndExit()
    {
        AppRun app;
        ASSERT_TRUE(app.Start());
        app.Command(32775);
        ASSERT_EQ(0u, app.WaitExit());
    }

    std::string Log() const { return ReadBytes(DataPath("Bravik.log")); }

    // Rewrites the stored setting as an earlier run would have left it.
    void StoreSetting(const std::string& key, const std::string& value)
    {
        std::ifstream in(DataPath("Bravik.properties"), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        const size_t at = text.find(key + "=");
        ASSERT_NE(at, std::string::npos) << text;
        const size_t end = text.find_first_of("\r\n", at);
        text.replace(at, end - at, key + "=" + value);
        WriteBytes(DataPath("Bravik.properties"), text);
    }
};

} // namespace

TEST_F(Installation, TheFirstStartWritesTheDataFilesAndTheHelpPages)
{
    StartAndExit();
    for (const char* name : kDataFiles)
        EXPECT_TRUE(FileExists(DataPath(std::string("DATA\\") + name))) << name;
    // The archive was unpacked and taken away again.
    EXPECT_FALSE(FileExists(DataPath("DATA\\HELP.ZIP")));
    EXPECT_EQ(Listing(DataPath("DATA")).size(), 6u);
    for (const char* name : kHelpFiles)
        EXPECT_TRUE(FileExists(DataPath(std::string("HELP\\") + name))) << name;
    EXPECT_EQ(ReadBytes(DataPath("DATA\\BASE.SOL.SCL")).find("# KORV Base Solution layout\r\n"), 0u);
    EXPECT_NE(ReadBytes(DataPath("HELP\\index.html")).find("<img src=\"pics/pattern.png\""), std::string::npos);

    const std::string log = Log();
    EXPECT_EQ(Count(log, "Resources installed for version 1.2.20.1 "), 1u) << log;
    EXPECT_EQ("1.2.20.1 ", Setting("version"));
}

TEST_F(Installation, ALaterStartOfTheSameBuildWritesNothing)
{
    StartAndExit();
    // A user's edit of an installed layout stays while nothing asks for a
    // new installation.
    WriteBytes(DataPath("DATA\\BASE.SOL.SCL"), "name=Mine\r\n");
    WriteBytes(DataPath("DATA\\own.sol.scl"), "name=Own\r\n");
    StartAndExit();
    EXPECT_EQ(ReadBytes(DataPath("DATA\\BASE.SOL.SCL")), "name=Mine\r\n");
    EXPECT_TRUE(FileExists(DataPath("DATA\\own.sol.scl")));
    EXPECT_EQ(Count(Log(), "Resources "), 1u) << Log();
}

TEST_F(Installation, AMissingHelpFolderBringsBackEverything)
{
    StartAndExit();
    WriteBytes(DataPath("DATA\\own.sol.scl"), "name=Own\r\n");
    WriteBytes(DataPath("DATA\\BASE.SOL.SCL"), "name=Mine\r\n");
    RemoveTree(DataPath("HELP"));
    StartAndExit();
    for (const char* name : kHelpFiles)
        EXPECT_TRUE(FileExists(DataPath(std::string("HELP\\") + name))) << name;
    EXPECT_FALSE(FileExists(DataPath("DATA\\own.sol.scl")));
    EXPECT_EQ(ReadBytes(DataPath("DATA\\BASE.SOL.SCL")).find("# KORV Base Solution layout"), 0u);
    EXPECT_EQ(Count(Log(), "Resources updated for version 1.2.20.1 "), 1u) << Log();
}

TEST_F(Installation, StoredVersionsDecideWhetherToInstallAgain)
{
    struct Case {
        const char* stored;
        bool again;
    } cases[] = {
        {"1.2.21.1", false},  // a later build stays as it is
        {"1.2.20.7", true},   // the last field differs
        {"1.2.19.1", true},   // an earlier build
        {"1.1.300.1", false}, // 300 carries: packs like 1.2.44.1, later than this build
        {"1.2.20.1", false},
    };
    StartAndExit();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteBytes(DataPath("DATA\\BASE.SOL.SCL"), "name=Mine\r\n");
        StoreSetting("version", c.stored);
        StartAndExit();
        const bool installed = ReadBytes(DataPath("DATA\\BASE.SOL.SCL")) != "name=Mine\r\n";
        EXPECT_EQ(installed, c.again);
        // Whatever was decided, the running build is what is stored.
        EXPECT_EQ("1.2.20.1 ", Setting("version"));
    }
}

TEST_F(Installation, AnInstallationThatFailsIsTriedAgainAtTheNextStart)
{
    StartAndExit();
    StoreSetting("version", "1.2.19.1");
    // A file where the folder should be: nothing can be written into it.
    RemoveTree(DataPath("DATA"));
    WriteBytes(DataPath("DATA"), "not a folder");
    StartAndExit();
    EXPECT_EQ("1.2.19.1", Setting("version"));
    EXPECT_NE(Log().find("ERR >> Resources could not all be installed"), std::string::npos) << Log();

    DeleteFileA(DataPath("DATA").c_str());
    StartAndExit();
    EXPECT_EQ("1.2.20.1 ", Setting("version"));
    for (const char* name : kDataFiles)
        EXPECT_TRUE(FileExists(DataPath(std::string("DATA\\") + name))) << name;
}

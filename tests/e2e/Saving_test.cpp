// Scripts that save where saving can go wrong: two instances on one project,
// paths the program cannot hold, read-only targets, the leftovers of killed
// saves, and a settings file that is damaged or cannot be written.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <functional>

#include "document/DCSSolution.h"
#include "support/TestFiles.h"

namespace {

const char* const kDone = "\"\\res\": \"0\" }";
const char* const kFailed = "\"\\res\": \"1\"";

std::string ProgramLog()
{
    return ReadBytes(DataFolder() + "\\Bravik.log");
}

// A script that opens the small project, calculates it and writes a project,
// an export and a report (as HTML and as a page image) to the targets the
// test names.
std::string SaveEverythingScript(const std::string& folder)
{
    return "[vars]\r\ndir=" + folder + "\r\n"
           "[commands]\r\n"
           "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
           "material.props={ \"remnants\": \"100\" }\r\n"
           "material.calculate\r\n"
           "project.export.cuttings={ \"file\": \"${dir}\\remnants.txt\" }\r\n"
           "material.report.build\r\n"
           "material.report.save={ \"file\": \"${dir}\\report.htm\" }\r\n"
           "material.report.save={ \"file\": \"${dir}\\report.png\" }\r\n"
           "project.save={ \"file\": \"${dir}\\job.brvk\" }\r\n";
}

// ---- Two instances on one project ---------------------------------------------------------

// One instance calculates a large project while a second opens the same
// file, adds a material and saves. The first must not then save over the
// second's work without a word: its save fails with the reason in the log,
// and the log holds the lines of both instances.
TEST_F(ScriptTest, TheSecondOfTwoInstancesSavingOneProjectFailsWithItsReason)
{
    const std::string project = MakeOrderProject("job.brvk", true);
    const std::string slow = WriteScript("slow.kvauto",
                                         "[vars]\r\ndir=" + m_files + "\r\n"
                                         "[commands]\r\n"
                                         "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                         "material.calculate\r\n"
                                         "project.save\r\n");
    const std::string quick = WriteScript("quick.kvauto",
                                          "[vars]\r\ndir=" + m_files + "\r\n"
                                          "[commands]\r\n"
                                          "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                          "project.material.add={ \"name\": \"Aluminium\" }\r\n"
                                          "project.save\r\n");
    AppRun first;
    ASSERT_TRUE(first.Launch("\"" + slow + "\""));
    ASSERT_TRUE(WaitFor([&] {
        return ReadBytes(slow + ".log").find("Command \"material.calculate\" started") != std::string::npos;
    }, 60000));
    const ScriptOutcome second = RunScript(quick);
    EXPECT_EQ(0u, second.exitCode) << second.log;
    ASSERT_EQ(STILL_ACTIVE, first.WaitExit(0)) << "the calculation ended before the second instance saved";
    const DWORD firstExit = first.WaitExit(120000);
    const std::string firstLog = ReadBytes(slow + ".log");

    EXPECT_EQ(1u, firstExit) << firstLog;
    EXPECT_NE(std::string::npos, CommandLine(firstLog, 3).find(kFailed)) << CommandLine(firstLog, 3);
    // The file holds the second instance's work, not the first's results.
    DCSSolution saved;
    ASSERT_TRUE(saved.Load(project.c_str()));
    EXPECT_NE(nullptr, saved.FindMaterial("Aluminium"));
    EXPECT_TRUE(saved.FindMaterial("Steel")->GetCuttingRows().empty());

    const std::string log = ProgramLog();
    EXPECT_EQ(2u, CountOf(log, " Build=1.2.20.1 ; System=")) << log;
    EXPECT_EQ(1u, CountOf(log, "Project saved to " + project)) << log;
    EXPECT_NE(std::string::npos, log.find("ERR >> Cannot save the project to " + project + ".\r\n"
                                          "Another program has changed the file since this project was opened "
                                          "or last saved"))
        << log;
    EXPECT_NE(std::string::npos, log.find("WRN >> the file was written at ")) << log;
}

// ---- Paths the program cannot hold ------------------------------------------------------------

// A path of 300 characters was saved under a name with its extension doubled
// while the script went on as if nothing had happened; now it is refused,
// with the reason, and nothing is written anywhere.
TEST_F(ScriptTest, APathTooLongToHoldIsRefusedAndNothingIsWritten)
{
    MakeOrderProject("job.brvk", false);
    const std::string folder = Path(std::string(300 - m_files.size() - 11, 'f'));
    const std::string target = folder + "\\plan.brvk";
    ASSERT_EQ(300u, target.size());
    // Made and removed through the wide calls: the narrow ones that remove
    // the test's folder stop at MAX_PATH.
    const std::wstring wideFolder = L"\\\\?\\" + std::wstring(folder.begin(), folder.end());
    ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));
    struct Remove {
        const std::wstring& folder;
        ~Remove()
        {
            WIN32_FIND_DATAW entry;
            HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
            if (find != INVALID_HANDLE_VALUE) {
                do
                    DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
                while (FindNextFileW(find, &entry));
                FindClose(find);
            }
            RemoveDirectoryW(folder.c_str());
        }
    } remove{wideFolder};
    const std::string script = WriteScript("long.kvauto",
                                           "[vars]\r\ndir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                           "project.save={ \"file\": \"" + target + "\" }\r\n");
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(1u, run.exitCode) << run.log;
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, CommandLine(run.log, 2).find(kFailed)) << CommandLine(run.log, 2);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((wideFolder + L"\\*").c_str(), &entry);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    std::vector<std::wstring> names;
    do
        names.push_back(entry.cFileName);
    while (FindNextFileW(find, &entry));
    FindClose(find);
    EXPECT_EQ(2u, names.size()) << "only . and .. in the folder";
    EXPECT_NE(std::string::npos, ProgramLog().find("ERR >> Cannot save the project to " + target + ".\r\n"
                                                   "The path is too long"))
        << ProgramLog();
}

// ---- Read-only targets ---------------------------------------------------------------------------

// A project, an export and a report whose files are read-only are refused as
// Windows refuses them (Wine running as root would let them be replaced);
// each command fails and each file stays as it was.
TEST_F(ScriptTest, ReadOnlyTargetsAreLeftAsTheyAre)
{
    MakeOrderProject("job.brvk", false);
    const std::string script = WriteScript("all.kvauto", SaveEverythingScript(m_files));
    const ScriptOutcome first = RunScript(script);
    ASSERT_EQ(0u, first.exitCode) << first.log;
    const std::string targets[] = {Path("remnants.txt"), Path("report.htm"), Path("report.png"), Path("job.brvk")};
    for (const std::string& target : targets) {
        ASSERT_TRUE(FileExists(target)) << target;
        // The project stays as it is: it is opened again.
        if (target != Path("job.brvk"))
            WriteBytes(target, "kept: " + target);
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    const std::string job = ReadBytes(Path("job.brvk"));

    const ScriptOutcome second = RunScript(script);
    EXPECT_EQ(1u, second.exitCode) << second.log;
    EXPECT_NE(std::string::npos, CommandLine(second.log, 3).find(kDone)) << CommandLine(second.log, 3);
    for (int n : {4, 6, 7, 8})
        EXPECT_NE(std::string::npos, CommandLine(second.log, n).find(kFailed)) << CommandLine(second.log, n);
    // The page image says why, as the HTML does.
    for (int n : {6, 7})
        EXPECT_NE(std::string::npos, CommandLine(second.log, n).find("(error 6009)")) << CommandLine(second.log, n);
    for (const char* name : {"remnants.txt", "report.htm", "report.png"})
        EXPECT_EQ("kept: " + Path(name), ReadBytes(Path(name)));
    EXPECT_EQ(job, ReadBytes(Path("job.brvk")));
    EXPECT_NE(std::string::npos, ProgramLog().find("ERR >> Cannot save the project to " + Path("job.brvk") +
                                                   ".\r\nThe file is read-only"))
        << ProgramLog();
    for (const std::string& target : targets)
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// ---- Leftovers of killed saves ---------------------------------------------------------------------

// A save that was killed leaves its temporary file beside the target (a
// full-size copy). The next save to the same target removes those of the
// program's own naming that no running save can still be writing; a file of
// a save that may still run, and every other file, stay.
TEST_F(ScriptTest, TheNextSaveRemovesTheLeftoversOfKilledSaves)
{
    MakeOrderProject("job.brvk", false);
    // This test's own process stands for an instance that is saving now.
    const std::string running = std::to_string(GetCurrentProcessId());
    const std::string gone = std::to_string(0x7FFFFFF1);
    std::vector<std::string> kept;
    for (const char* target : {"job.brvk", "remnants.txt", "report.htm", "report.png"}) {
        for (int n = 0; n < 3; ++n)
            WriteBytes(Path(std::string(target) + "." + gone + ".21." + std::to_string(n) + ".tmp"),
                       std::string(100000, 'x'));
        for (const std::string& name : {std::string(target) + "." + running + ".1.0.tmp",
                                        std::string(target) + ".copy.tmp", std::string(target) + "." + gone + ".tmp"}) {
            WriteBytes(Path(name), "x");
            kept.push_back(name);
        }
    }
    const ScriptOutcome run = RunScript(WriteScript("all.kvauto", SaveEverythingScript(m_files)));
    EXPECT_EQ(0u, run.exitCode) << run.log;
    std::vector<std::string> names = Listing(m_files);
    std::vector<std::string> expected = kept;
    for (const char* name : {"job.brvk", "remnants.txt", "report.htm", "report.png", "all.kvauto", "all.kvauto.log"})
        expected.push_back(name);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, names);
}

// ---- The settings file ------------------------------------------------------------------------------

void MakeDataFolder()
{
    SHCreateDirectoryExA(nullptr, DataFolder().c_str(), nullptr);
}

// A settings file of binary garbage was read as lines of nonsense keys. Now
// a copy is kept beside it, and the program starts from the defaults.
TEST_F(ScriptTest, ADamagedSettingsFileIsKeptAsideAndTheDefaultsAreUsed)
{
    MakeOrderProject("job.brvk", false);
    MakeDataFolder();
    const std::string garbage("\x01\x02garbage=\x00\xFF\xFE\r\n\x1B[0m=\x7F\x10", 22);
    WriteBytes(DataPath("Bravik.properties"), garbage);
    const std::string script = WriteScript("open.kvauto", "[vars]\r\ndir=" + m_files + "\r\n"
                                                          "[commands]\r\n"
                                                          "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n");
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(0u, run.exitCode) << run.log;
    EXPECT_EQ(garbage, ReadBytes(DataPath("Bravik.properties.bad")));
    const std::string settings = ReadBytes(DataPath("Bravik.properties"));
    EXPECT_EQ(std::string::npos, settings.find("garbage")) << settings;
    EXPECT_EQ("2", Setting("length.digits"));
    EXPECT_EQ(Path("job"), Setting("history"));
    EXPECT_NE(std::string::npos, ProgramLog().find("WRN >> The settings file " + DataPath("Bravik.properties") +
                                                   " is not a text file; the defaults are used and the file is "
                                                   "kept as " + DataPath("Bravik.properties.bad")))
        << ProgramLog();
}

// A settings file that cannot be written dropped every change of the
// settings without a word. Now it is said once, however often it fails.
TEST_F(ScriptTest, SettingsThatCannotBeSavedAreReportedOnce)
{
    MakeOrderProject("job.brvk", false);
    MakeDataFolder();
    const std::string settings = "length.units=0\r\n";
    WriteBytes(DataPath("Bravik.properties"), settings);
    ASSERT_TRUE(SetFileAttributesA(DataPath("Bravik.properties").c_str(), FILE_ATTRIBUTE_READONLY));
    // Start-up, the opened project and the saved one each save the settings.
    const std::string script = WriteScript("open.kvauto", "[vars]\r\ndir=" + m_files + "\r\n"
                                                          "[commands]\r\n"
                                                          "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                                          "project.save={ \"file\": \"${dir}\\copy.brvk\" }\r\n");
    const ScriptOutcome run = RunScript(script);
    SetFileAttributesA(DataPath("Bravik.properties").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(0u, run.exitCode) << run.log;
    EXPECT_EQ(settings, ReadBytes(DataPath("Bravik.properties")));
    const std::string log = ProgramLog();
    EXPECT_EQ(1u, CountOf(log, "ERR >> The settings cannot be saved to " + DataPath("Bravik.properties") + ".\r\n"
                               "Changes of the settings are lost when the program ends."))
        << log;
}

} // namespace

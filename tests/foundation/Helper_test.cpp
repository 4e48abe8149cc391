#include "foundation/Helper.h"

#include "foundation/DProps.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---- A folder of its own for every test -------------------------------------

bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Stands in for the calls that need a user or a desktop, and records them.
class FakeSystem : public Helper::SystemCalls {
public:
    FakeSystem() { m_previous = Helper::SetSystemCalls(this); }
    ~FakeSystem() override { Helper::SetSystemCalls(m_previous); }

    BOOL OpenDialog(OPENFILENAMEA* ofn) override { return Dialog(ofn, "open"); }
    BOOL SaveDialog(OPENFILENAMEA* ofn) override { return Dialog(ofn, "save"); }
    BOOL Execute(SHELLEXECUTEINFOA* info) override
    {
        ++calls;
        seen = *info;
        seenFile = info->lpFile ? info->lpFile : "<null>";
        seenParameters = info->lpParameters ? info->lpParameters : "<null>";
        seenVerb = info->lpVerb ? info->lpVerb : "<null>";
        info->hProcess = process;
        return executeResult;
    }
    void DebugOutput(const char* text) override { debugLines.push_back(text); }

    // What the dialog does when it is shown.
    std::string choose;          // the path the user picks ("" cancels)
    DWORD chooseFilter = 0;      // the filter the user ends on
    // What it was shown with.
    std::string kind;
    OPENFILENAMEA seenDialog{};
    std::string seenTitle, seenStart, seenFilter;
    int calls = 0;

    BOOL executeResult = TRUE;
    HANDLE process = nullptr;
    SHELLEXECUTEINFOA seen{};
    std::string seenFile, seenParameters, seenVerb;

    std::vector<std::string> debugLines;

private:
    BOOL Dialog(OPENFILENAMEA* ofn, const char* which)
    {
        ++calls;
        kind = which;
        seenDialog = *ofn;
        seenTitle = ofn->lpstrTitle ? ofn->lpstrTitle : "<null>";
        seenStart = ofn->lpstrFile;
        const char* filter = ofn->lpstrFilter;
        seenFilter.clear();
        while (filter && *filter) {
            seenFilter += filter;
            seenFilter += '|';
            filter += strlen(filter) + 1;
        }
        if (choose.empty())
            return FALSE;
        EXPECT_LT(choose.size(), ofn->nMaxFile);
        memcpy(ofn->lpstrFile, choose.c_str(), choose.size() + 1);
        ofn->nFilterIndex = chooseFilter;
        return TRUE;
    }
    Helper::SystemCalls* m_previous;
};

class HelperFiles : public TempFolderTest {
protected:
    HelperFiles() : TempFolderTest("helper_test_") {}
};

// ---- Probing paths -------------------------------------------------------------

TEST_F(HelperFiles, CheckFileTellsFilesFromFoldersAndMisses)
{
    WriteBytes(Path("a.txt"), "abc");
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    FakeSystem fake;
    struct Case {
        std::string path;
        int expected;
    } cases[] = {
        {Path("a.txt"), 1},
        {Path("sub"), 2},
        {Path("sub") + "\\", 2},
        {Path("sub") + "/", 2},
        {"file:///" + Path("sub"), 2},
        {"file:///" + Path("a.txt"), 1},
        {"C:", 2},
        {"C:\\", 2},
        {"c:/", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Helper::CheckFile(c.path.c_str())) << c.path;
    EXPECT_TRUE(fake.debugLines.empty());
    EXPECT_EQ(0, Helper::CheckFile(nullptr));
    EXPECT_EQ(0, Helper::CheckFile(""));
}

TEST_F(HelperFiles, CheckFileReportsAMissOnTheDebuggerOutput)
{
    FakeSystem fake;
    std::string missing = Path("missing.txt");
    EXPECT_EQ(0, Helper::CheckFile(missing.c_str()));
    ASSERT_EQ(1u, fake.debugLines.size());
    std::regex line("Error in Helper::CheckFile\\(\"(.*)\"\\); GetLastError = [1-9][0-9]*");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(fake.debugLines[0], match, line)) << fake.debugLines[0];
    EXPECT_EQ(missing, match[1].str());
}

TEST_F(HelperFiles, CheckFileRejectsPathsBeyondItsLimit)
{
    FakeSystem fake;
    std::string longPath = root + "\\" + std::string(1100, 'x');
    EXPECT_EQ(0, Helper::CheckFile(longPath.c_str()));
    EXPECT_EQ(1u, fake.debugLines.size());
}

TEST(HelperPaths, SplitPathFollowsTheRuntimeRules)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* file;
        const char* extension;
    } cases[] = {
        {"C:\\dir\\name.ext", "C:\\dir\\", "name.ext", "ext"},
        {"name", "", "name", ""},
        {"a/b.c.d", "a/", "b.c.d", "d"},
        {"dir\\.rc", "dir\\", ".rc", "rc"},
        {"C:name.txt", "C:", "name.txt", "txt"},
        {"dir.d\\file", "dir.d\\", "file", ""},
        {"report.", "", "report.", ""},
        {"\\\\server\\share\\x.y", "\\\\server\\share\\", "x.y", "y"},
    };
    for (const Case& c : cases) {
        char folder[Helper::PathBufferSize] = "junk";
        char file[Helper::PathBufferSize] = "junk";
        char extension[Helper::PathBufferSize] = "junk";
        EXPECT_EQ(c.path, Helper::SplitPath(c.path, folder, file, extension));
        EXPECT_STREQ(c.folder, folder) << c.path;
        EXPECT_STREQ(c.file, file) << c.path;
        EXPECT_STREQ(c.extension, extension) << c.path;
    }
}

TEST(HelperPaths, SplitPathEmptiesItsBuffersOnRefusal)
{
    char folder[Helper::PathBufferSize] = "junk";
    char file[Helper::PathBufferSize] = "junk";
    EXPECT_EQ(nullptr, Helper::SplitPath(nullptr, folder, file, nullptr));
    EXPECT_STREQ("", folder);
    EXPECT_STREQ("", file);
    strcpy(folder, "junk");
    EXPECT_EQ(nullptr, Helper::SplitPath("", folder, nullptr, nullptr));
    EXPECT_STREQ("", folder);

    // A folder part that does not fit the buffer is refused, never cut.
    std::string deep = std::string(300, 'd') + "\\name.txt";
    strcpy(folder, "junk");
    strcpy(file, "junk");
    EXPECT_EQ(nullptr, Helper::SplitPath(deep.c_str(), folder, file, nullptr));
    EXPECT_STREQ("", folder);
    EXPECT_STREQ("", file);
}

TEST(HelperPaths, EnsureExtensionAppendsOnlyWhenTheExtensionDiffers)
{
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"a.txt", "txt", "a.txt"},
        {"a.TXT", "txt", "a.TXT.txt"},
        {"report.", "html", "report.html"},
        {"report", "html", "report.html"},
        {"dir.d\\file", "txt", "dir.d\\file.txt"},
        {"a.b.c", "c", "a.b.c"},
        {"", "txt", ""},
        {"a", "", "a"},
        {"a", nullptr, "a"},
        {nullptr, "txt", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Helper::EnsureExtension(c.path, c.extension))
            << (c.path ? c.path : "<null>") << " + " << (c.extension ? c.extension : "<null>");
}

// ---- Creating folders ----------------------------------------------------------

TEST_F(HelperFiles, CreateDirectoriesMakesEveryLevelOfASlashPath)
{
    char before[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    std::string target = Path("a") + "/b/c";
    EXPECT_EQ(2, Helper::CreateDirectories(target.c_str(), nullptr));
    EXPECT_TRUE(IsFolder(Path("a\\b\\c")));
    char after[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(before, after) << "the current folder is left alone";
    EXPECT_EQ(1, Helper::CreateDirectories(target.c_str(), nullptr));
}

TEST_F(HelperFiles, CreateDirectoriesGoesOnPastLevelsThatExist)
{
    ASSERT_TRUE(CreateDirectoryA(Path("a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(Path("a\\b").c_str(), nullptr));
    std::string forward = root;
    for (char& c : forward)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(2, Helper::CreateDirectories((forward + "/a/b/c/d/").c_str(), nullptr));
    EXPECT_TRUE(IsFolder(Path("a\\b\\c\\d")));
}

TEST_F(HelperFiles, CreateDirectoriesMakesOneLevelOfABackslashPath)
{
    EXPECT_EQ(2, Helper::CreateDirectories(Path("one").c_str(), nullptr));
    EXPECT_TRUE(IsFolder(Path("one")));
    FakeSystem quiet;
    EXPECT_EQ(0, Helper::CreateDirectories(Path("x\\y").c_str(), nullptr));
    EXPECT_FALSE(IsFolder(Path("x")));
}

TEST_F(HelperFiles, CreateDirectoriesTakesTheFolderOfAFilePath)
{
    FakeSystem quiet;
    EXPECT_EQ(2, Helper::CreateDirectories("", (Path("made") + "\\file.txt").c_str()));
    EXPECT_TRUE(IsFolder(Path("made")));
    EXPECT_EQ(1, Helper::CreateDirectories(nullptr, (Path("made") + "\\other.txt").c_str()));
    EXPECT_EQ(0, Helper::CreateDirectories(nullptr, "file.txt"));
    EXPECT_EQ(0, Helper::CreateDirectories("", ""));
    EXPECT_EQ(0, Helper::CreateDirectories(nullptr, nullptr));
}

TEST_F(HelperFiles, CreateDirectoriesFailsWhereAFileStandsInTheWay)
{
    WriteBytes(Path("blocker"), "x");
    FakeSystem quiet;
    EXPECT_EQ(0, Helper::CreateDirectories((Path("blocker") + "/b").c_str(), nullptr));
    EXPECT_EQ(0, Helper::CreateDirectories(Path("blocker").c_str(), nullptr));
}

// ---- File information ------------------------------------------------------------

TEST_F(HelperFiles, GetFileInfoDescribesAFile)
{
    WriteBytes(Path("data.csv"), "12345");
    DProps info;
    std::string full = Helper::GetFileInfo(Path("data.csv").c_str(), &info);
    EXPECT_EQ(Path("data.csv"), full);
    EXPECT_EQ(root + "\\", DProps::GetString(info, "path"));
    EXPECT_EQ("data.csv", DProps::GetString(info, "name"));
    EXPECT_EQ("csv", DProps::GetString(info, "extn"));
    EXPECT_EQ(full, DProps::GetString(info, "file"));
    EXPECT_EQ("1", DProps::GetString(info, "type"));
    EXPECT_EQ("5", DProps::GetString(info, "size"));

    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(Path("data.csv").c_str(), GetFileExInfoStandard, &data));
    int64_t time = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                   data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(std::to_string(time), DProps::GetString(info, "time"));
}

TEST_F(HelperFiles, GetFileInfoDescribesFoldersAndDriveRoots)
{
    ASSERT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    DProps info;
    EXPECT_EQ(Path("sub"), Helper::GetFileInfo(Path("sub").c_str(), &info));
    EXPECT_EQ("2", DProps::GetString(info, "type"));
    EXPECT_EQ("sub", DProps::GetString(info, "name"));

    DProps drive;
    EXPECT_EQ("C:\\", Helper::GetFileInfo("C:\\", &drive));
    EXPECT_EQ("2", DProps::GetString(drive, "type"));
    EXPECT_EQ("C:\\", DProps::GetString(drive, "path"));
    EXPECT_EQ("", DProps::GetString(drive, "name"));
    EXPECT_EQ("0", DProps::GetString(drive, "size"));
    EXPECT_EQ("0", DProps::GetString(drive, "time"));
    EXPECT_EQ("C:\\", Helper::GetFileInfo("C:", nullptr));
}

TEST_F(HelperFiles, GetFileInfoOfNothingIsEmptyAndLeavesTheBagAlone)
{
    FakeSystem quiet;
    DProps info;
    EXPECT_EQ("", Helper::GetFileInfo(Path("missing").c_str(), &info));
    EXPECT_EQ("", Helper::GetFileInfo("", &info));
    EXPECT_EQ(0, info.Count());
    WriteBytes(Path("x.bin"), "1");
    EXPECT_EQ(Path("x.bin"), Helper::GetFileInfo(Path("x.bin").c_str(), nullptr));
}

// ---- Whole files -----------------------------------------------------------------

TEST_F(HelperFiles, ReadWholeFileAddsSixteenZeroBytes)
{
    WriteBytes(Path("three"), "a\0c");
    WriteBytes(Path("three"), std::string("a\0c", 3));
    uint32_t length = 99;
    std::unique_ptr<char[]> data(Helper::ReadWholeFile(Path("three").c_str(), &length));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(3u, length);
    EXPECT_EQ(0, memcmp(data.get(), "a\0c", 3));
    for (int i = 3; i < 3 + 16; ++i)
        EXPECT_EQ('\0', data[i]) << i;
}

TEST_F(HelperFiles, ReadWholeFileRefusesNothingAndEmptiness)
{
    WriteBytes(Path("empty"), "");
    uint32_t length = 99;
    EXPECT_EQ(nullptr, Helper::ReadWholeFile(Path("empty").c_str(), &length));
    EXPECT_EQ(0u, length);
    EXPECT_EQ(nullptr, Helper::ReadWholeFile(Path("missing").c_str()));
    EXPECT_EQ(nullptr, Helper::ReadWholeFile(nullptr));
    EXPECT_EQ(nullptr, Helper::ReadWholeFile(root.c_str()));
}

TEST_F(HelperFiles, WriteBufferReplacesTheWholeFile)
{
    std::string target = Path("out.txt");
    WriteBytes(target, "a much longer old text");
    EXPECT_EQ(3, Helper::WriteBuffer(target.c_str(), 3, "new text", false));
    EXPECT_EQ("new", ReadBytes(target));
    EXPECT_EQ(8, Helper::WriteBuffer(target.c_str(), -1, "new text", false));
    EXPECT_EQ("new text", ReadBytes(target));
    EXPECT_EQ(std::vector<std::string>{"out.txt"}, Listing(root)) << "nothing is left beside it";

    EXPECT_EQ(0, Helper::WriteBuffer(target.c_str(), 5, nullptr, false));
    EXPECT_EQ("", ReadBytes(target)) << "null data leaves an empty file";
    EXPECT_EQ(0, Helper::WriteBuffer(nullptr, 3, "abc", false));
    EXPECT_EQ(0, Helper::WriteBuffer("", 3, "abc", false));
}

TEST_F(HelperFiles, WriteBufferAppendsAndCreates)
{
    std::string target = Path("log.txt");
    EXPECT_EQ(3, Helper::WriteBuffer(target.c_str(), -1, "one", true));
    EXPECT_EQ(4, Helper::WriteBuffer(target.c_str(), 4, "|two", true));
    EXPECT_EQ("one|two", ReadBytes(target));
    EXPECT_EQ(0, Helper::WriteBuffer(target.c_str(), 4, nullptr, true));
    EXPECT_EQ("one|two", ReadBytes(target));
}

TEST_F(HelperFiles, AFailedWriteLeavesThePreviousFileAndNoLitter)
{
    // A folder missing under the target: nothing can be written.
    EXPECT_EQ(0, Helper::WriteBuffer(Path("no\\such.txt").c_str(), 3, "abc", false));

    // A folder where the file should go cannot be replaced.
    ASSERT_TRUE(CreateDirectoryA(Path("taken").c_str(), nullptr));
    EXPECT_EQ(0, Helper::WriteBuffer(Path("taken").c_str(), 3, "abc", false));
    EXPECT_TRUE(IsFolder(Path("taken")));

    // A file another program holds open without sharing cannot be replaced.
    std::string target = Path("held.txt");
    WriteBytes(target, "old contents");
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(0, Helper::WriteBuffer(target.c_str(), -1, "new", false));
    CloseHandle(held);
    EXPECT_EQ("old contents", ReadBytes(target));

    std::vector<std::string> expected{"held.txt", "taken"};
    std::vector<std::string> names = Listing(root);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(expected, names);
}

// Two instances of the program start together: one reads the settings
// while the other saves them. The reader holds the file for a moment only;
// the save waits for it instead of failing (and telling the user at exit
// that the settings are lost).
TEST_F(HelperFiles, AFileReadForAMomentIsReplacedOnceTheReaderLetsGo)
{
    const std::string target = Path("settings.txt");
    WriteBytes(target, "old contents");
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::thread reader([held] {
        Sleep(300);
        CloseHandle(held);
    });
    const long written = Helper::WriteBuffer(target.c_str(), -1, "new", false);
    reader.join();
    EXPECT_EQ(3, written) << GetLastError();
    EXPECT_EQ("new", ReadBytes(target));
    EXPECT_EQ(std::vector<std::string>{"settings.txt"}, Listing(root));
}

// Windows refuses to write a read-only file; the program refuses too where
// the system would let it (Wine running as root does), with the system's
// own reason, for a whole file and for an append alike.
TEST_F(HelperFiles, AReadOnlyTargetIsNeitherReplacedNorExtended)
{
    const std::string target = Path("kept.txt");
    WriteBytes(target, "old contents");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    for (bool append : {false, true}) {
        SCOPED_TRACE(append ? "append" : "replace");
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(0, Helper::WriteBuffer(target.c_str(), -1, "new", append));
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_READ_ONLY), GetLastError());
        EXPECT_EQ("old contents", ReadBytes(target));
    }
    DProps options;
    EXPECT_EQ(0, Helper::WriteTextFile(target.c_str(), "new", &options));
    EXPECT_EQ(ERROR_FILE_READ_ONLY, DProps::GetLong(options, "error"));
    EXPECT_EQ("old contents", ReadBytes(target));
    EXPECT_TRUE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(std::vector<std::string>{"kept.txt"}, Listing(root));
}

// A path that the program's code page or MAX_PATH cannot hold is refused as
// it was asked: nothing is written, under that name or any other.
TEST_F(HelperFiles, PathsTheProgramCannotHoldAreNotWritten)
{
    const std::string deep = Path(std::string(120, 'd'));
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    const struct {
        const char* what;
        std::string path;
        DWORD error;
    } cases[] = {
        {"a lost character", Path("pl?n.txt"), ERROR_INVALID_NAME},
        {"a pattern", Path("*.txt"), ERROR_INVALID_NAME},
        {"MAX_PATH characters", deep + "\\" + std::string(MAX_PATH - deep.size() - 1, 'f'), ERROR_FILENAME_EXCED_RANGE},
    };
    WriteBytes(Path("plan.txt"), "old");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(0, Helper::WriteBuffer(c.path.c_str(), -1, "new", false));
        EXPECT_EQ(c.error, GetLastError());
    }
    EXPECT_EQ("old", ReadBytes(Path("plan.txt")));
    EXPECT_TRUE(Listing(deep).empty());
    // One character less is a path the program holds.
    const std::string longest = deep + "\\" + std::string(MAX_PATH - deep.size() - 2, 'f');
    EXPECT_EQ(3, Helper::WriteBuffer(longest.c_str(), -1, "new", false));
    EXPECT_EQ("new", ReadBytes(longest));
}

// Another process than this one that runs now and was started earlier.
DWORD RunningOtherProcess()
{
    DWORD found = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == 0 || entry.th32ProcessID == GetCurrentProcessId())
            continue;
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
            DWORD code = 0;
            if (GetExitCodeProcess(process, &code) && code == STILL_ACTIVE)
                found = entry.th32ProcessID;
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return found;
}

// A process id that names no process: ids are multiples of 4.
const DWORD kGoneProcess = 0x7FFFFFF1;

void SetCreationTime(const std::string& path, WORD year)
{
    SYSTEMTIME parts{};
    parts.wYear = year;
    parts.wMonth = 1;
    parts.wDay = 1;
    FILETIME time;
    SystemTimeToFileTime(&parts, &time);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFileTime(file, &time, &time, &time);
    CloseHandle(file);
}

// A save that was killed leaves its temporary file beside the target; the
// next save to that target removes the leftovers of its own naming that no
// running save can still be writing, and nothing else.
TEST_F(HelperFiles, TheNextSaveRemovesTheLeftoversOfKilledSaves)
{
    const DWORD other = RunningOtherProcess();
    ASSERT_NE(0u, other) << "no other process to stand for a save that runs";
    const std::string self = std::to_string(GetCurrentProcessId());
    auto leftover = [&](DWORD process, const char* rest) {
        return "plan.htm." + std::to_string(process) + rest;
    };
    const struct {
        std::string name;
        bool stale;
        WORD madeIn;  // 0: now
    } files[] = {
        {leftover(kGoneProcess, ".12.0.tmp"), true, 0},
        {leftover(kGoneProcess, ".12.7.TMP"), true, 0},
        {"plan.htm." + self + ".3.4000000.tmp", true, 0},     // this process, no save of it runs
        {leftover(other, ".5.1.tmp"), false, 0},               // a process that may still be writing
        {leftover(other, ".5.2.tmp"), true, 2001},            // made before that process started
        {"plan.htm.bak.tmp", false, 0},
        {leftover(kGoneProcess, ".12.tmp"), false, 0},
        {leftover(kGoneProcess, ".x.1.tmp"), false, 0},
        {leftover(kGoneProcess, ".12.0.tmp.old"), false, 0},
        {"other.htm." + std::to_string(kGoneProcess) + ".12.0.tmp", false, 0},
    };
    for (const auto& f : files) {
        WriteBytes(Path(f.name), std::string(1000, 'x'));
        if (f.madeIn)
            SetCreationTime(Path(f.name), f.madeIn);
    }
    ASSERT_EQ(3, Helper::WriteBuffer(Path("plan.htm").c_str(), -1, "new", false));
    EXPECT_EQ("new", ReadBytes(Path("plan.htm")));
    std::vector<std::string> expected{"plan.htm"};
    for (const auto& f : files)
        if (!f.stale)
            expected.push_back(f.name);
    std::vector<std::string> names = Listing(root);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, names);
}

// Data whose tail cannot be read: the system fails the write part of the way.
class TornData {
public:
    TornData()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_page = info.dwPageSize;
        m_block = static_cast<char*>(VirtualAlloc(nullptr, 2 * m_page, MEM_COMMIT, PAGE_READWRITE));
        memset(m_block, 'n', m_page);
        DWORD old = 0;
        VirtualProtect(m_block + m_page, m_page, PAGE_NOACCESS, &old);
    }
    ~TornData() { VirtualFree(m_block, 0, MEM_RELEASE); }
    const char* Data() const { return m_block; }
    long Length() const { return static_cast<long>(2 * m_page); }

private:
    DWORD m_page;
    char* m_block;
};

TEST_F(HelperFiles, AWriteThatFailsPartWayLeavesThePreviousFile)
{
    TornData torn;
    std::string target = Path("whole.txt");
    WriteBytes(target, "old contents");
    EXPECT_EQ(0, Helper::WriteBuffer(target.c_str(), torn.Length(), torn.Data(), false));
    EXPECT_EQ("old contents", ReadBytes(target));
    EXPECT_EQ(0, Helper::WriteBuffer(target.c_str(), torn.Length(), torn.Data(), true));
    EXPECT_EQ("old contents", ReadBytes(target)) << "a failed append is cut back";
    EXPECT_EQ(std::vector<std::string>{"whole.txt"}, Listing(root));
}

TEST_F(HelperFiles, WriteTextFileWritesUtf8BehindItsMark)
{
    DProps options;
    options.Set("encoding", "utf-8");
    EXPECT_EQ(6, Helper::WriteTextFile(Path("u.txt").c_str(), "abc", &options));
    EXPECT_EQ("\xEF\xBB\xBF"
              "abc",
              ReadBytes(Path("u.txt")));
    EXPECT_EQ(8, Helper::WriteTextFile(Path("e.txt").c_str(), "\xE9\x80", &options));
    EXPECT_EQ("\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC", ReadBytes(Path("e.txt")));
}

TEST_F(HelperFiles, WriteTextFileWritesAnyOtherEncodingUnchanged)
{
    struct Case {
        const char* encoding;
    } cases[] = {{nullptr}, {"UTF-8"}, {"utf8"}, {""}};
    for (const Case& c : cases) {
        DProps options;
        if (c.encoding)
            options.Set("encoding", c.encoding);
        EXPECT_EQ(2, Helper::WriteTextFile(Path("a.txt").c_str(), "\xE9z", &options));
        EXPECT_EQ("\xE9z", ReadBytes(Path("a.txt")));
        EXPECT_EQ(nullptr, options.Get("error", nullptr));
    }
    DProps empty;
    EXPECT_EQ(0, Helper::WriteTextFile(Path("empty.txt").c_str(), "", &empty));
    EXPECT_EQ("", ReadBytes(Path("empty.txt")));
    EXPECT_EQ("0", DProps::GetString(empty, "error")) << "nothing written, nothing failed";
    EXPECT_EQ(1, Helper::WriteTextFile(Path("b.txt").c_str(), "b", nullptr));
    EXPECT_EQ(0, Helper::WriteTextFile("", "b", nullptr));
}

TEST_F(HelperFiles, WriteTextFileReportsTheSystemErrorWhenNothingIsWritten)
{
    ASSERT_TRUE(CreateDirectoryA(Path("taken").c_str(), nullptr));
    DProps options;
    EXPECT_EQ(0, Helper::WriteTextFile(Path("taken").c_str(), "abc", &options));
    EXPECT_GT(DProps::GetLong(options, "error"), 0);

    DProps missing;
    EXPECT_EQ(0, Helper::WriteTextFile(Path("no\\such.txt").c_str(), "abc", &missing));
    EXPECT_GT(DProps::GetLong(missing, "error"), 0);
}

// ---- Time stamps -------------------------------------------------------------------

TEST(HelperTime, TimeStampIsDateAndTimeInTheirFormats)
{
    std::string stamp = Helper::TimeStamp();
    EXPECT_TRUE(std::regex_match(stamp, std::regex("[0-9]{4} [A-Za-z]{3} [0-9]{2} [0-9]{2}\\.[0-9]{2}\\.[0-9]{2}")))
        << stamp;
}

TEST(HelperTime, EachThreadHasItsOwnTimeStampBuffer)
{
    const char* mine = Helper::TimeStamp();
    std::string before = mine;
    const char* theirs = nullptr;
    std::thread other([&] { theirs = Helper::TimeStamp(); });
    other.join();
    EXPECT_NE(mine, theirs);
    EXPECT_EQ(before, std::string(mine));
}

// ---- Shell ---------------------------------------------------------------------------

TEST(HelperShell, ShellOpenHandsTheFileAndItsParametersToTheShell)
{
    struct Case {
        const char* file;
        const char* parameters;
        const char* expectedFile;
        const char* expectedParameters;
    } cases[] = {
        {"C:\\x\\report.html", "", "C:\\x\\report.html", "<null>"},
        {"notepad.exe", "C:\\a b\\c.txt", "notepad.exe", "C:\\a b\\c.txt"},
        {"", "http://example.invalid/", "http://example.invalid/", "<null>"},
        {nullptr, "C:\\y.txt", "C:\\y.txt", "<null>"},
    };
    for (const Case& c : cases) {
        FakeSystem fake;
        EXPECT_EQ(-1, Helper::ShellOpen(c.file, c.parameters)) << "no process handed back";
        EXPECT_EQ(c.expectedFile, fake.seenFile);
        EXPECT_EQ(c.expectedParameters, fake.seenParameters);
        EXPECT_EQ("open", fake.seenVerb);
        EXPECT_EQ(SW_SHOWNORMAL, fake.seen.nShow);
        EXPECT_EQ(static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS), fake.seen.fMask);
        EXPECT_EQ(sizeof(SHELLEXECUTEINFOA), fake.seen.cbSize);
    }
}

TEST(HelperShell, AQuietOpenAsksTheShellToShowNoBoxOfItsOwn)
{
    FakeSystem fake;
    Helper::ShellOpen("C:\\x\\report.nothing", nullptr, true);
    EXPECT_EQ(static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI), fake.seen.fMask);
    Helper::ShellOpen("C:\\x\\report.nothing", nullptr, false);
    EXPECT_EQ(static_cast<ULONG>(SEE_MASK_NOCLOSEPROCESS), fake.seen.fMask);
}

TEST(HelperShell, ShellOpenClosesTheProcessItGetsBack)
{
    FakeSystem fake;
    fake.process = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(259, Helper::ShellOpen("a.txt", nullptr));
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(fake.process, &flags)) << "the handle was closed";

    fake.process = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    fake.executeResult = FALSE;
    EXPECT_EQ(-1, Helper::ShellOpen("a.txt", nullptr));
    CloseHandle(fake.process);
}

// ---- File dialogs ----------------------------------------------------------------------

TEST(HelperDialogs, OpenDialogShowsItsDefaultsAndHandsBackTheChoice)
{
    FakeSystem fake;
    fake.choose = "C:\\work\\chosen.brvk";
    char file[4096] = "start.brvk";
    EXPECT_EQ(file, Helper::OpenFileDialog("C:\\work", nullptr, file, nullptr, nullptr, 4096, nullptr));
    EXPECT_STREQ("C:\\work\\chosen.brvk", file);
    EXPECT_EQ("open", fake.kind);
    EXPECT_EQ("Open File", fake.seenTitle);
    EXPECT_EQ("start.brvk", fake.seenStart);
    EXPECT_EQ("*.*|*.*|", fake.seenFilter);
    EXPECT_EQ(0u, fake.seenDialog.nFilterIndex);
    EXPECT_EQ(4096u, fake.seenDialog.nMaxFile);
    EXPECT_STREQ("C:\\work", fake.seenDialog.lpstrInitialDir);
    EXPECT_EQ(nullptr, fake.seenDialog.lpstrDefExt);
    EXPECT_EQ(nullptr, fake.seenDialog.hwndOwner);
    EXPECT_EQ(static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_ENABLESIZING),
              fake.seenDialog.Flags);
}

TEST(HelperDialogs, SaveDialogTakesTheCallersFilterAndTitle)
{
    FakeSystem fake;
    fake.choose = "C:\\out.csv";
    fake.chooseFilter = 3;
    char file[4096] = "";
    int filter = 1;
    const char filters[] = "Text\0*.txt\0Delimited\0*.csv\0All\0*.*\0";
    EXPECT_EQ(file, Helper::SaveFileDialog(nullptr, &filter, file, nullptr, "Export", 4096, filters));
    EXPECT_EQ("save", fake.kind);
    EXPECT_EQ("Export", fake.seenTitle);
    EXPECT_EQ("Text|*.txt|Delimited|*.csv|All|*.*|", fake.seenFilter);
    EXPECT_EQ(2u, fake.seenDialog.nFilterIndex) << "0-based index + 1";
    EXPECT_EQ(2, filter) << "the chosen filter comes back 0-based";
    EXPECT_STREQ("C:\\out.csv", file);

    FakeSystem other;
    other.choose = "C:\\out.csv";
    other.chooseFilter = 1;
    EXPECT_EQ(file, Helper::SaveFileDialog(nullptr, nullptr, file, nullptr, nullptr, 4096, filters));
    EXPECT_EQ(1u, other.seenDialog.nFilterIndex);
    EXPECT_EQ("Save File", other.seenTitle);
}

TEST(HelperDialogs, CancelAndImpossibleChoicesLeaveTheBufferAlone)
{
    FakeSystem fake;
    char file[16] = "keep.txt";
    int filter = 4;
    EXPECT_EQ(nullptr, Helper::OpenFileDialog(nullptr, &filter, file, nullptr, nullptr, 16, nullptr));
    EXPECT_STREQ("keep.txt", file);
    EXPECT_EQ(4, filter);

    fake.choose = "C:\\a path longer than sixteen.txt";
    EXPECT_EQ(nullptr, Helper::OpenFileDialog(nullptr, nullptr, file, nullptr, nullptr, 16, nullptr));
    EXPECT_STREQ("keep.txt", file);

    int before = fake.calls;
    EXPECT_EQ(nullptr, Helper::OpenFileDialog(nullptr, nullptr, nullptr, nullptr, nullptr, 16, nullptr));
    EXPECT_EQ(before, fake.calls) << "no dialog without a buffer";
}

// ---- Clipboard ---------------------------------------------------------------------------

TEST(HelperClipboard, TextGoesToTheClipboardAndComesBack)
{
    ASSERT_TRUE(Helper::SetClipboardText("first line\r\nsecond"));
    std::string text = "junk";
    EXPECT_EQ(18, Helper::GetClipboardText(text));
    EXPECT_EQ("first line\r\nsecond", text);

    EXPECT_FALSE(Helper::SetClipboardText(""));
    EXPECT_FALSE(Helper::SetClipboardText(nullptr));
    EXPECT_EQ(18, Helper::GetClipboardText(text)) << "an empty text leaves the clipboard alone";
}

TEST(HelperClipboard, NoTextOnTheClipboardGivesNothing)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    std::string text = "junk";
    EXPECT_EQ(0, Helper::GetClipboardText(text));
    EXPECT_EQ("", text);
}

} // namespace

#include "foundation/ULog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// The text with every digit shown as '9', so stamps can be compared by form.
std::string Shape(const std::string& text)
{
    std::string shape = text;
    for (char& c : shape)
        if (c >= '0' && c <= '9')
            c = '9';
    return shape;
}

const std::string kStampShape = "9999.99.99 99:99:99 ";

// A log file in a fresh folder of its own under the temporary folder.
class ULogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        m_folder = std::string(temp) + "ulog_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                   std::to_string(++serial);
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_path = m_folder + "\\Bravik.log";
        // Process ids come round again; a run that was cut short may have
        // left its file behind.
        DeleteFileA(m_path.c_str());
        DeleteFileA((m_folder + "\\other.log").c_str());
    }
    void TearDown() override
    {
        DeleteFileA(m_path.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    // The file as it stands, read while the log may still hold it open.
    std::string Contents() const
    {
        HANDLE file = CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string text;
        char chunk[65536];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
            text.append(chunk, got);
        CloseHandle(file);
        return text;
    }

    void MakeFile(size_t size) const
    {
        HANDLE file = CreateFileA(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const std::string text(size, 'z');
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    bool Exists() const { return GetFileAttributesA(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    // The contents with each line's leading time stamp replaced by its shape.
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const std::string text = Contents();
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    std::string m_folder;
    std::string m_path;
};

} // namespace

// --- Opening ----------------------------------------------------------------------

TEST_F(ULogFile, NewLogIsClosedAndWritesNothing)
{
    ULog log;
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(1, log.GetLevel());
    EXPECT_TRUE(log.IsEnabled());
    EXPECT_STREQ("   ", log.GetDefaultPrefix());
    EXPECT_STREQ("yyyy.MM.dd", log.DateFormat());
    EXPECT_STREQ("HH:mm:ss", log.TimeFormat());
    EXPECT_EQ(0, log.Write("x"));
    EXPECT_EQ(0, log.WriteRaw("x", true));
    EXPECT_EQ(0, log.WriteTimestamp());
}

TEST_F(ULogFile, FailedOpenLeavesTheLogClosed)
{
    ULog log;
    const std::string unreachable = m_folder + "\\no such folder\\x.log";
    EXPECT_FALSE(log.Open(unreachable.c_str(), false));
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(0, log.Write("x"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(unreachable.c_str()));
    EXPECT_FALSE(log.Open(nullptr, false));
    EXPECT_FALSE(Exists());
}

TEST_F(ULogFile, OpenEmptiesTheDefaultPrefixAndKeepsTheName)
{
    ULog log;
    ASSERT_TRUE(log.Open(m_path.c_str(), false));
    EXPECT_STREQ("", log.GetDefaultPrefix());
    EXPECT_STREQ(m_path.c_str(), log.GetFileName());
    log.Write("x");
    EXPECT_EQ(std::vector<std::string>{kStampShape + "x"}, [&] {
        auto lines = Lines();
        for (auto& line : lines)
            line = Shape(line.substr(0, kStampShape.size())) + line.substr(kStampShape.size());
        return lines;
    }());
}

TEST_F(ULogFile, SizeRuleOnOpen)
{
    struct Case { size_t existing; bool createNew; size_t keptBytes; };
    const Case cases[] = {
        {262143, false, 262143}, // one byte short: appended to
        {262144, false, 0},      // the limit: emptied first
        {300000, false, 0},
        {100, true, 0},          // create-new replaces the file
        {0, false, 0},
    };
    for (const Case& c : cases) {
        MakeFile(c.existing);
        {
            ULog log;
            ASSERT_TRUE(log.Open(m_path.c_str(), c.createNew));
            log.Write("x");
        }
        const std::string text = Contents();
        ASSERT_GE(text.size(), c.keptBytes) << c.existing;
        EXPECT_EQ(std::string(c.keptBytes, 'z'), text.substr(0, c.keptBytes)) << c.existing;
        EXPECT_EQ(Shape(kStampShape) + "x\r\n", Shape(text.substr(c.keptBytes))) << c.existing;
    }
}

TEST_F(ULogFile, MissingFileIsCreated)
{
    ULog log;
    ASSERT_TRUE(log.Open(m_path.c_str(), false));
    EXPECT_TRUE(Exists());
    EXPECT_EQ("", Contents());
}

TEST_F(ULogFile, OpenOnAnOpenLogMovesToTheNewFile)
{
    const std::string other = m_folder + "\\other.log";
    ULog log;
    ASSERT_TRUE(log.Open(other.c_str(), false));
    log.Write("first");
    ASSERT_TRUE(log.Open(m_path.c_str(), false));
    log.Write("second");
    log.Close();
    EXPECT_EQ(1u, Lines().size());
    EXPECT_NE(std::string::npos, Contents().find("second"));
    DeleteFileA(other.c_str());
}

// --- Line format ----------------------------------------------------------------------

class ULogLines : public ULogFile {
protected:
    void SetUp() override
    {
        ULogFile::SetUp();
        ASSERT_TRUE(log.Open(m_path.c_str(), false));
    }
    // The file with digits shown as '9'.
    std::string Shaped() const { return Shape(Contents()); }

    ULog log;
};

TEST_F(ULogLines, ErrorLine)
{
    EXPECT_EQ(2, log.Write("x", nullptr, "ERR >> "));
    EXPECT_EQ(kStampShape + "ERR >> x\r\n", Shaped());
}

TEST_F(ULogLines, PrefixTextAndSuffix)
{
    struct Case { const char* text; const char* suffix; const char* prefix; const char* line; };
    const Case cases[] = {
        {"text", "-end", "P:", "P:text-end"},
        {"text", nullptr, nullptr, "text"},
        {"", "only suffix", nullptr, "only suffix"},
        {nullptr, "s", "p ", "p s"},
        {"t", "", "", "t"},
    };
    for (const Case& c : cases) {
        const std::string before = Contents();
        EXPECT_EQ(2, log.Write(c.text, c.suffix, c.prefix));
        EXPECT_EQ(kStampShape + c.line + "\r\n", Shape(Contents().substr(before.size())));
    }
}

TEST_F(ULogLines, EmptyWriteLeavesTheLineOpenForTheNext)
{
    EXPECT_EQ(0, log.Write("", nullptr, "P "));
    EXPECT_EQ(0, log.Write(nullptr, "", "Q "));
    EXPECT_EQ(kStampShape + "P Q ", Shaped());
    log.Write("y");
    EXPECT_EQ(kStampShape + "P Q y\r\n", Shaped());
}

TEST_F(ULogLines, DefaultPrefixStandsInForANullOne)
{
    log.SetDefaultPrefix("D> ");
    log.Write("a");
    log.Write("b", nullptr, "");
    EXPECT_EQ(kStampShape + "D> a\r\n" + kStampShape + "b\r\n", Shaped());
}

TEST_F(ULogLines, RawWrites)
{
    EXPECT_EQ(2, log.WriteRaw("", true)); // a stamp and an empty line
    EXPECT_EQ(3, log.WriteRaw("abc", false));
    EXPECT_EQ(0, log.WriteRaw("", false));
    EXPECT_EQ(0, log.WriteRaw(nullptr, false));
    EXPECT_EQ(2, log.WriteRaw("def", true));
    EXPECT_EQ(kStampShape + "\r\n" + kStampShape + "abcdef\r\n", Shaped());
}

TEST_F(ULogLines, EmptyTimeFormatWritesNoStamp)
{
    log.SetTimeFormat("");
    EXPECT_EQ(0, log.WriteTimestamp());
    log.Write("plain", nullptr, "ERR >> ");
    EXPECT_EQ("ERR >> plain\r\n", Contents());
}

TEST_F(ULogLines, StampFollowsTheLogsFormats)
{
    log.SetDateFormat("dd/MM/yyyy");
    log.SetTimeFormat("HH'h'");
    EXPECT_EQ(15, log.WriteTimestamp());
    EXPECT_EQ("99/99/9999 99h ", Shaped());
}

TEST_F(ULogLines, LevelAndEnabledFlag)
{
    log.SetLevel(0);
    EXPECT_EQ(0, log.Write("a"));
    EXPECT_EQ(0, log.WriteRaw("a", true));
    log.SetLevel(2);
    log.SetEnabled(false);
    EXPECT_EQ(0, log.Write("b"));
    EXPECT_EQ("", Contents());
    // The raw form does not look at the enabled flag; opening sets it again.
    EXPECT_EQ(2, log.WriteRaw("c", true));
    ASSERT_TRUE(log.Open(m_path.c_str(), false));
    EXPECT_TRUE(log.IsEnabled());
    EXPECT_EQ(2, log.Write("d"));
    EXPECT_EQ(kStampShape + "c\r\n" + kStampShape + "d\r\n", Shaped());
}

TEST_F(ULogLines, OpenLineSurvivesCloseAndReopen)
{
    log.Write("", nullptr, "half ");
    log.Close();
    EXPECT_EQ(0, log.Write("lost"));
    ASSERT_TRUE(log.Open(m_path.c_str(), false));
    log.Write("rest");
    EXPECT_EQ(kStampShape + "half rest\r\n", Shaped());
}

TEST_F(ULogLines, WriteTextGoesToTheGivenLog)
{
    EXPECT_EQ(2, ULog::WriteText(&log, "status", "ERR >> "));
    EXPECT_EQ(0, ULog::WriteText(nullptr, "status"));
    EXPECT_EQ(kStampShape + "ERR >> status\r\n", Shaped());
}

TEST_F(ULogLines, LinesOfDifferentThreadsNeverInterleave)
{
    constexpr int kThreads = 6;
    constexpr int kLines = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            const std::string prefix = "T" + std::to_string(t) + " ";
            const std::string text(40 + t * 7, static_cast<char>('a' + t));
            for (int i = 0; i < kLines; ++i)
                log.Write(text.c_str(), ("#" + std::to_string(t)).c_str(), prefix.c_str());
        });
    }
    for (auto& thread : threads)
        thread.join();

    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
    for (const std::string& line : lines) {
        ASSERT_GT(line.size(), kStampShape.size() + 3) << line;
        EXPECT_EQ(kStampShape, Shape(line.substr(0, kStampShape.size()))) << line;
        const int t = line[kStampShape.size() + 1] - '0';
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        const std::string want = "T" + std::to_string(t) + " " +
                                 std::string(40 + t * 7, static_cast<char>('a' + t)) + "#" + std::to_string(t);
        EXPECT_EQ(want, line.substr(kStampShape.size())) << line;
    }
}

// Two instances of the program write one log file, each through its own log:
// every line of both must be in the file, whole, whoever opened it first.
TEST_F(ULogFile, TwoLogsOnOneFileKeepEveryLineOfBoth)
{
    constexpr int kLines = 200;
    ULog first, second;
    ASSERT_TRUE(first.Open(m_path.c_str(), false));
    ASSERT_TRUE(second.Open(m_path.c_str(), false));
    std::vector<std::thread> writers;
    int index = 0;
    for (ULog* log : {&first, &second}) {
        writers.emplace_back([log, index] {
            const std::string text(50 + index * 11, static_cast<char>('p' + index));
            for (int i = 0; i < kLines; ++i)
                log->Write(text.c_str(), nullptr, index == 0 ? "A " : "B ");
        });
        ++index;
    }
    for (auto& writer : writers)
        writer.join();
    first.Close();
    second.Close();

    int seen[2] = {0, 0};
    for (const std::string& line : Lines()) {
        ASSERT_GT(line.size(), kStampShape.size() + 2) << line;
        const int which = line[kStampShape.size()] == 'A' ? 0 : 1;
        EXPECT_EQ((which == 0 ? "A " : "B ") + std::string(50 + which * 11, static_cast<char>('p' + which)),
                  line.substr(kStampShape.size()));
        ++seen[which];
    }
    EXPECT_EQ(kLines, seen[0]);
    EXPECT_EQ(kLines, seen[1]);
}

// --- Time functions ------------------------------------------------------------------------

TEST(FormatDateTime, PiecesAndDefaults)
{
    struct Case { const char* date; const char* time; const char* shape; };
    const std::string tooLong = "'" + std::string(300, 'q') + "'"; // more than 256 bytes of text
    const Case cases[] = {
        {"", "", "9999.99.99 99:99:99"},
        {"", nullptr, "9999.99.99"},
        {nullptr, "", "99:99:99"},
        {nullptr, nullptr, ""},
        {"yyyy.MM.dd", "HH:mm:ss", "9999.99.99 99:99:99"},
        {"dd-MM", "mm", "99-99 99"},
        {tooLong.c_str(), "HH", "99"},     // a failed date leaves no blank
        {"MM", tooLong.c_str(), "99"},     // a failed time leaves the date
    };
    for (const Case& c : cases) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(buffer, FormatDateTime(c.date, c.time, buffer, sizeof buffer));
        EXPECT_EQ(c.shape, Shape(buffer)) << (c.date ? c.date : "(null)") << " / " << (c.time ? c.time : "(null)");
    }
}

TEST(FormatDateTime, NoBufferAndSmallBuffer)
{
    EXPECT_EQ(nullptr, FormatDateTime("", "", nullptr, 100));
    char small[6];
    EXPECT_EQ(small, FormatDateTime("", "", small, sizeof small));
    EXPECT_EQ("9999.", Shape(small));
}

TEST(TimeNowMs, RunsForwardInMilliseconds)
{
    const uint64_t first = TimeNowMs();
    const DWORD ticks = GetTickCount();
    uint64_t now = first;
    // Bounded by the tick count, not by the clock under test.
    while (now < first + 50 && GetTickCount() - ticks < 10000)
        now = TimeNowMs();
    EXPECT_GE(now, first + 50);
    EXPECT_GE(GetTickCount() - ticks, 30u); // 50 of its milliseconds are real ones
}

// The script runner against a window of the test's own that plays the
// application: each command's parameter "do" says how it answers. An
// asynchronous command is answered as the results page answers it, through
// the application's pending request.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/DAutomation.h"
#include "appsvc/OXRApp.h"
#include "foundation/DProps.h"

#include "support/TestFiles.h"

namespace {

// What the window saw and what it still owes.
struct Host {
    std::vector<std::string> executed;
    int breaks = 0;
    long closeCode = -100;
    bool closed = false;
    bool finished = false;
    // Whether an asynchronous command waits for its result, and the result
    // it gets on the next turn of the test's loop ("" while it hangs).
    bool pending = false;
    std::string pendingResult;
    int flakyRuns = 0;
};

Host* g_host = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Host& host = *g_host;
    if (message == DAutomation::kMsgExecute) {
        auto* command = reinterpret_cast<DProps*>(wParam);
        const std::string name = DProps::GetString(command, "\\command");
        const std::string action = DProps::GetString(command, "do");
        host.executed.push_back(name);
        if (action == "ok" || action == "fail") {
            command->Set("\\res", action == "ok" ? "0" : "1");
            const std::string why = DProps::GetString(command, "why");
            if (!why.empty())
                command->Set("\\error", why.c_str());
            return 0;
        }
        if (action == "async.ok" || action == "async.fail" || action == "async.hang" || action == "async.flaky") {
            App().AutomationRequest().Begin();
            host.pending = true;
            host.pendingResult = action == "async.ok"     ? "0"
                                 : action == "async.fail" ? "1"
                                 : action == "async.hang" ? ""
                                 : (++host.flakyRuns < 3 ? "1" : "0");
            return 1;
        }
        return 0; // no such command: it never answers
    }
    if (message == DAutomation::kMsgBreak) {
        ++host.breaks;
        if (host.pending)
            host.pendingResult = "1";
        return 0;
    }
    if (message == DAutomation::kMsgFinished) {
        host.finished = true;
        return 0;
    }
    if (message == DAutomation::kMsgCloseApp) {
        host.closed = true;
        host.closeCode = static_cast<long>(wParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_host = &m_host;
        WNDCLASSA cls = {};
        cls.lpfnWndProc = HostProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "BravikRunnerHost";
        RegisterClassA(&cls);
        m_window = CreateWindowA("BravikRunnerHost", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_window);
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "bravik_runner_test";
        RemoveTree(m_folder);
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
    }

    void TearDown() override
    {
        if (m_window)
            DestroyWindow(m_window);
        App().AutomationRequest().Clear();
        g_host = nullptr;
        RemoveTree(m_folder);
    }

    std::string Script(const std::string& text)
    {
        const std::string path = m_folder + "\\job.kvauto";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Starts the runner and plays the application until the close request
    // arrives (at most ms); the pending result is handed over on the next turn.
    void Run(DAutomation& runner, DWORD ms = 20000)
    {
        ASSERT_TRUE(runner.Start());
        const DWORD start = GetTickCount();
        while (!m_host.closed && GetTickCount() - start < ms) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            if (m_host.pending && !m_host.pendingResult.empty()) {
                App().CompleteAutomationRequest(m_host.pendingResult == "0");
                m_host.pending = false;
            }
            Sleep(5);
        }
        ASSERT_TRUE(m_host.closed) << "no close request";
        runner.StopAndWait();
    }

    std::string LogText(const DAutomation& runner) const { return ReadBytes(runner.GetLogFile()); }

    Host m_host;
    HWND m_window = nullptr;
    std::string m_folder;
};

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

struct ScriptCase {
    const char* name;
    const char* script;
    std::vector<std::string> executed;
    long exitCode;
    bool breaks;
};

class RunnerScripts : public Runner, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(RunnerScripts, RunsTheCommandsAndEndsWithTheirExitCode)
{
    const ScriptCase& c = GetParam();
    DAutomation runner;
    ASSERT_TRUE(runner.Load(m_window, Script(c.script).c_str()));
    Run(runner);
    EXPECT_EQ(c.executed, m_host.executed);
    EXPECT_EQ(c.exitCode, m_host.closeCode);
    EXPECT_EQ(c.exitCode, DProps::GetLong(runner.GetStatus(), "exitCode", -1));
    EXPECT_EQ(c.breaks, m_host.breaks > 0);
    EXPECT_TRUE(m_host.finished);
    const std::string log = LogText(runner);
    EXPECT_EQ(m_host.executed.size(), Count(log, " finished, params={ "));
    EXPECT_NE(std::string::npos, log.find("Script finished: " + m_folder + "\\job.kvauto"));
}

const ScriptCase kScripts[] = {
    {"EveryCommandSucceeds",
     "[commands]\r\nfirst={ \"do\": \"ok\" }\r\nsecond={ \"do\": \"async.ok\" }\r\n",
     {"first", "second"}, kAutomationExitOk, false},
    {"AFinishedCommandFailsAndTheScriptGoesOn",
     "[commands]\r\nfirst={ \"do\": \"fail\" }\r\nsecond={ \"do\": \"ok\" }\r\n",
     {"first", "second"}, kAutomationExitFailed, false},
    {"ACommandNobodyAnswersCountsAsFailed",
     "[commands]\r\nnothing.such\r\nsecond={ \"do\": \"ok\" }\r\n",
     {"nothing.such", "second"}, kAutomationExitFailed, false},
    {"ACommentLineIsRunButAsksForNoAnswer",
     "[commands]\r\n; a note\r\nfirst={ \"do\": \"ok\" }\r\n",
     {";", "first"}, kAutomationExitOk, false},
    {"AFailedCalculationStopsTheScript",
     "[commands]\r\ncalc={ \"do\": \"async.fail\" }\r\nnever={ \"do\": \"ok\" }\r\n",
     {"calc"}, kAutomationExitFailed, false},
    {"RetriesEndAfterThree",
     "[options]\r\non.error=again\r\n[commands]\r\ncalc={ \"do\": \"async.fail\" }\r\nnever={ \"do\": \"ok\" }\r\n",
     {"calc", "calc", "calc", "calc"}, kAutomationExitFailed, false},
    {"ARetryThatSucceedsGoesOn",
     "[commands]\r\ncalc={ \"do\": \"async.flaky\", \"on.error\": \"again\" }\r\nnext={ \"do\": \"ok\" }\r\n",
     {"calc", "calc", "calc", "next"}, kAutomationExitOk, false},
    {"TheCommandsOwnExitOverridesTheScripts",
     "[options]\r\non.error=again\r\n[commands]\r\ncalc={ \"do\": \"async.fail\", \"on.error\": \"$EXIT\" }\r\n"
     "never={ \"do\": \"ok\" }\r\n",
     {"calc"}, kAutomationExitFailed, false},
    {"ATimeOutBreaksTheCommandAndEndsTheScript",
     "[options]\r\ntimeout=1\r\n[commands]\r\ncalc={ \"do\": \"async.hang\" }\r\nnever={ \"do\": \"ok\" }\r\n",
     {"calc"}, kAutomationExitTimeout, true},
    {"TheCommandsTimeOutReplacesTheScripts",
     "[options]\r\ntimeout=0\r\n[commands]\r\ncalc={ \"do\": \"async.hang\", \"timeout\": \"1\" }\r\n",
     {"calc"}, kAutomationExitTimeout, true},
    {"TheEndClosesTheProgramWhateverOnDoneSays",
     "[options]\r\non.done=stay\r\n[commands]\r\nfirst={ \"do\": \"ok\" }\r\n",
     {"first"}, kAutomationExitOk, false},
};

INSTANTIATE_TEST_SUITE_P(, RunnerScripts, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

TEST_F(Runner, LogsEachCommandWithItsParametersAndResult)
{
    DAutomation runner;
    const std::string path = Script("[vars]\r\ndir=C:\\data\r\n[commands]\r\n"
                                    "open={ \"do\": \"ok\", \"file\": \"${dir}\\plan.brvk\" }\r\n"
                                    "calc={ \"do\": \"async.ok\" }\r\n");
    ASSERT_TRUE(runner.Load(m_window, path.c_str()));
    EXPECT_EQ(path + ".log", runner.GetLogFile());
    Run(runner);
    const std::string log = LogText(runner);
    EXPECT_NE(std::string::npos, log.find("Script loaded: " + path));
    EXPECT_NE(std::string::npos,
              log.find("Command #1 finished, params={ \"do\": \"ok\", \"file\": \"C:\\\\data\\\\plan.brvk\", "
                       "\"\\command\": \"open\", \"\\res\": \"0\" }"));
    EXPECT_NE(std::string::npos, log.find("Command \"calc\" started"));
    EXPECT_NE(std::string::npos,
              log.find("Command #2 finished, params={ \"do\": \"async.ok\", \"\\command\": \"calc\", \"\\res\": \"0\" }"));
    EXPECT_LT(log.find("Command #2 finished"), log.find("Script finished"));
}

TEST_F(Runner, LogsATimeOutOnceAndBreaksUntilTheCommandEnds)
{
    DAutomation runner;
    ASSERT_TRUE(runner.Load(m_window, Script("[options]\r\ntimeout=1\r\n[commands]\r\n"
                                             "calc={ \"do\": \"async.hang\" }\r\n").c_str()));
    Run(runner);
    EXPECT_EQ(2, runner.GetErrorState());
    const std::string log = LogText(runner);
    EXPECT_EQ(1u, Count(log, "Timeout for command \"calc\""));
    EXPECT_NE(std::string::npos, log.find("\"\\res\": \"1\""));
}

TEST_F(Runner, ReadsTheScriptsSections)
{
    DAutomation runner;
    const std::string log = m_folder + "\\own.log";
    ASSERT_TRUE(runner.Load(m_window, Script("[options]\r\nlog=" + log + "\r\ntimeout=5\r\ntimeout=9\r\n"
                                             "[commands]\r\n; a note\r\n"
                                             "project.save={ \"file\": \"a.brvk\" }\r\n"
                                             "; another note\r\n"
                                             "PROJECT.SAVE={ \"file\": \"b.brvk\" }\r\n"
                                             "project.calculate\r\n[other]\r\nx=1\r\n"
                                             "[Commands]\r\n\r\n  project.save = { \"file\": \"c.brvk\" } ; last\r\n")
                                          .c_str()));
    EXPECT_EQ(log, runner.GetLogFile());
    EXPECT_EQ(log, DProps::GetString(runner.GetOptions(), "log"));
    // Options stay settings: the first of a key wins.
    EXPECT_EQ("5", DProps::GetString(runner.GetOptions(), "timeout"));
    // Commands are a list: every line under a [commands] header, in order,
    // read as the settings reader reads a line.
    const auto& commands = runner.GetCommands();
    std::vector<std::string> names, files;
    for (const DProps& command : commands) {
        names.push_back(DProps::GetString(command, "\\command"));
        files.push_back(DProps::GetString(command, "file"));
    }
    EXPECT_EQ((std::vector<std::string>{";", "project.save", ";", "PROJECT.SAVE", "project.calculate", "project.save"}),
              names);
    EXPECT_EQ((std::vector<std::string>{"", "a.brvk", "", "b.brvk", "", "c.brvk"}), files);
    ASSERT_EQ(6u, commands.size());
    EXPECT_EQ(1, commands[4].Count());
}

TEST_F(Runner, RunsACommandAsOftenAsItsLineComes)
{
    std::string text = "[commands]\r\n";
    for (int i = 0; i < 198; ++i)
        text += "material.part.add={ \"do\": \"ok\" }\r\n";
    DAutomation runner;
    ASSERT_TRUE(runner.Load(m_window, Script(text).c_str()));
    Run(runner);
    EXPECT_EQ(198u, m_host.executed.size());
    EXPECT_EQ(kAutomationExitOk, m_host.closeCode);
}

// A script in each encoding Windows' editors write, holding a letter of
// code page 1252 (e with acute accent, U+00E9).
struct EncodingCase {
    const char* name;
    std::string bytes;
    const char* error;   // null: loaded, else a part of the loading error
};

std::string Utf16(const std::wstring& text, bool bigEndian, bool mark)
{
    std::string bytes;
    if (mark)
        bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

const std::wstring kWideScript = L"[commands]\r\nadd={ \"name\": \"Caf\u00E9\" }\r\n";

class RunnerEncodings : public Runner, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(RunnerEncodings, ReadsTextInItsEncodingAndRefusesTheRest)
{
    const EncodingCase& c = GetParam();
    const std::string path = m_folder + "\\job.kvauto";
    WriteBytes(path, c.bytes);
    DAutomation runner;
    const bool loaded = runner.Load(m_window, path.c_str());
    if (!c.error) {
        ASSERT_TRUE(loaded) << DProps::GetString(runner.GetStatus(), "error");
        ASSERT_EQ(1u, runner.GetCommands().size());
        EXPECT_EQ("add", DProps::GetString(runner.GetCommands()[0], "\\command"));
        EXPECT_EQ("Caf\xE9", DProps::GetString(runner.GetCommands()[0], "name"));
        return;
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(-1, runner.GetErrorState());
    EXPECT_TRUE(runner.GetCommands().empty());
    const std::string error = DProps::GetString(runner.GetStatus(), "error");
    EXPECT_EQ(0u, error.find("Cannot load file: " + path + ": ")) << error;
    EXPECT_NE(std::string::npos, error.find(c.error)) << error;
    EXPECT_NE(std::string::npos, LogText(runner).find("Cannot load script " + path));
}

const EncodingCase kEncodings[] = {
    {"CodePage", "[commands]\r\nadd={ \"name\": \"Caf\xE9\" }\r\n", nullptr},
    {"Utf8WithMark", "\xEF\xBB\xBF[commands]\r\nadd={ \"name\": \"Caf\xC3\xA9\" }\r\n", nullptr},
    {"Utf16LittleEndianWithMark", Utf16(kWideScript, false, true), nullptr},
    {"Utf16BigEndianWithMark", Utf16(kWideScript, true, true), nullptr},
    {"Utf16WithoutMark", Utf16(kWideScript, false, false), "zero byte"},
    {"ZeroByteInText", std::string("[commands]\r\nadd\0\r\nmore\r\n", 22), "zero byte"},
    {"Utf16HalfACharacter", Utf16(kWideScript, false, true) + "x", "not valid UTF-16"},
    {"Utf16ZeroCharacter", Utf16(kWideScript + std::wstring(1, L'\0'), false, true), "zero byte"},
    {"Utf8Broken", "\xEF\xBB\xBF[commands]\r\nadd={ \"name\": \"Caf\xC3\" }\r\n", "UTF-8"},
    {"NotInTheCodePage", Utf16(L"[commands]\r\nadd={ \"name\": \"\u4E2D\" }\r\n", false, true), "code page"},
};

INSTANTIATE_TEST_SUITE_P(, RunnerEncodings, ::testing::ValuesIn(kEncodings),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

TEST_F(Runner, AScriptWithoutCommandsSaysSoAndEndsWithOne)
{
    for (const char* text : {"[command]\r\nfirst={ \"do\": \"ok\" }\r\n", "[options]\r\ntimeout=1\r\n",
                             "[commands]\r\n\r\n[vars]\r\na=1\r\n"}) {
        m_host = Host();
        DAutomation runner;
        ASSERT_TRUE(runner.Load(m_window, Script(text).c_str())) << text;
        Run(runner);
        EXPECT_TRUE(m_host.executed.empty()) << text;
        EXPECT_EQ(kAutomationExitFailed, m_host.closeCode) << text;
        const std::string log = LogText(runner);
        EXPECT_NE(std::string::npos, log.find("ERR >> The script has no [commands] section, so it runs nothing"))
            << log;
    }
}

TEST_F(Runner, AFailedCommandIsLoggedWithItsReason)
{
    DAutomation runner;
    ASSERT_TRUE(runner.Load(m_window, Script("[commands]\r\n; a note\r\n"
                                             "first={ \"do\": \"fail\", \"why\": \"no such row\" }\r\n"
                                             "second={ \"do\": \"fail\" }\r\n"
                                             "third={ \"do\": \"ok\" }\r\n"
                                             "fourth\r\n"
                                             "fifth={ \"do\": \"async.fail\", \"on.error\": \"again\" }\r\n")
                                          .c_str()));
    Run(runner);
    const std::string log = LogText(runner);
    EXPECT_NE(std::string::npos, log.find("ERR >> Command #2 \"first\" failed: no such row\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("ERR >> Command #3 \"second\" failed: it ended with the result 1")) << log;
    EXPECT_NE(std::string::npos, log.find("ERR >> Command #5 \"fourth\" failed: it gave no result")) << log;
    EXPECT_EQ(4u, Count(log, "ERR >> Command #6 \"fifth\" failed: it ended with the result 1")) << log;
    EXPECT_EQ(0u, Count(log, "ERR >> Command #1 ")) << log;
    EXPECT_EQ(0u, Count(log, "ERR >> Command #4 ")) << log;
}

TEST_F(Runner, ALogThatCannotBeOpenedStopsTheScript)
{
    const std::string log = m_folder + "\\missing folder\\run.log";
    const std::string path = Script("[options]\r\nlog=" + log + "\r\n[commands]\r\nfirst={ \"do\": \"ok\" }\r\n");
    DAutomation runner;
    EXPECT_FALSE(runner.Load(m_window, path.c_str()));
    EXPECT_EQ(-1, runner.GetErrorState());
    EXPECT_EQ("Cannot create the log file " + log, DProps::GetString(runner.GetStatus(), "error"));
}

struct LoadCase {
    const char* name;
    bool window;
    bool file;
    const char* error;
};

class RunnerLoads : public Runner, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(RunnerLoads, RefusesWhatItCannotRun)
{
    const LoadCase& c = GetParam();
    const std::string path = c.file ? Script("") : m_folder + "\\missing.kvauto";
    DAutomation runner;
    EXPECT_FALSE(runner.Load(c.window ? m_window : nullptr, path.c_str()));
    std::string error = c.error;
    if (c.window)
        error += path;
    EXPECT_EQ(error, DProps::GetString(runner.GetStatus(), "error"));
    const std::string log = ReadBytes(path + ".log");
    EXPECT_NE(std::string::npos, log.find("Cannot load script " + path));
    EXPECT_NE(std::string::npos, log.find(error));
}

const LoadCase kLoads[] = {
    {"MissingScript", true, false, "Cannot find file: "},
    {"EmptyScript", true, true, "Cannot load file: "},
    {"NoWindow", false, true, "Incorrect communication window"},
};

INSTANTIATE_TEST_SUITE_P(, RunnerLoads, ::testing::ValuesIn(kLoads),
                         [](const ::testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

TEST_F(Runner, ALogOfAnEarlierRunIsReplaced)
{
    const std::string path = Script("[commands]\r\nfirst={ \"do\": \"ok\" }\r\n");
    std::ofstream(path + ".log") << "an earlier run\r\n";
    DAutomation runner;
    ASSERT_TRUE(runner.Load(m_window, path.c_str()));
    Run(runner);
    EXPECT_EQ(std::string::npos, LogText(runner).find("an earlier run"));
}

} // namespace

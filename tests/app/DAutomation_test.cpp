// The script runner against a window of the test's own that plays the
// application: each command's parameter "do" says how it answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/DAutomation.h"
#include "foundation/DProps.h"

#include "../foundation/TestFiles.h"

namespace {

// What the window saw and what it still owes.
struct Host {
    std::vector<std::string> executed;
    int breaks = 0;
    long closeCode = -100;
    bool closed = false;
    bool finished = false;
    // The asynchronous command waiting for its result, and the result it
    // gets on the next turn of the test's loop ("" while it hangs).
    DProps* pending = nullptr;
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
            return 0;
        }
        if (action == "async.ok" || action == "async.fail" || action == "async.hang" || action == "async.flaky") {
            host.pending = command;
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
                m_host.pending->Set("\\res", m_host.pendingResult.c_str());
                m_host.pending = nullptr;
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
    ASSERT_TRUE(runner.Load(m_window, Script("[options]\r\nlog=" + log + "\r\n[commands]\r\n; a note\r\n"
                                             "project.save={ \"file\": \"a.brvk\" }\r\n"
                                             "PROJECT.SAVE={ \"file\": \"b.brvk\" }\r\n"
                                             "project.calculate\r\n[other]\r\nx=1\r\n").c_str()));
    EXPECT_EQ(log, runner.GetLogFile());
    EXPECT_EQ(log, DProps::GetString(runner.GetOptions(), "log"));
    const auto& commands = runner.GetCommands();
    ASSERT_EQ(3u, commands.size());
    EXPECT_EQ(";", DProps::GetString(commands[0], "\\command"));
    EXPECT_EQ("project.save", DProps::GetString(commands[1], "\\command"));
    EXPECT_EQ("a.brvk", DProps::GetString(commands[1], "file"));
    EXPECT_EQ("project.calculate", DProps::GetString(commands[2], "\\command"));
    EXPECT_EQ(1, commands[2].Count());
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

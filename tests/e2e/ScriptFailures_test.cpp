// A script never waits for a person, and a command that fails says why in
// the script's own log.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"

namespace {

// The reason logged for command n: the text after its "failed: ".
std::string Reason(const std::string& log, int n)
{
    const std::string head = "ERR >> Command #" + std::to_string(n) + " ";
    const size_t at = log.find(head);
    if (at == std::string::npos)
        return "<none>";
    const size_t start = log.find("failed: ", at);
    const size_t end = log.find_first_of("\r\n", at);
    if (start == std::string::npos || start > end)
        return "<none>";
    return log.substr(start + 8, end - start - 8);
}

TEST_F(ScriptTest, EveryFailedCommandSaysWhyInTheScriptsLog)
{
    MakeOrderProject("job.brvk", false);
    const struct {
        const char* command;
        const char* reason;   // a part of the logged reason
    } cases[] = {
        {"project.open={ \"file\": \"${dir}\\nothing.brvk\" }", "nothing.brvk"},
        {"material.part.add={ \"length\": \"500\", \"quantity\": \"1\" }", "no current material"},
        {"project.open={ \"file\": \"${dir}\\job.brvk\" }", nullptr},
        {"project.material.add={ \"name\": \"Steel\" }", "\"Steel\" is there already"},
        {"material.part.add={ \"length\": \"500\" }", "\"quantity\""},
        {"material.report.save={ \"file\": \"${dir}\\report.htm\" }", "no report has been built"},
        {"project.material.del={ \"name\": \"Oak\" }", "no material named \"Oak\""},
        {"project.save", nullptr},
        {"no.such.command", "no command is named \"no.such.command\""},
        {"material.stock.add={ \"length\": \"6000\" }", nullptr},
        {"project.exit", "changes that are not saved"},
    };
    std::string text = "[vars]\r\ndir=" + m_files + "\r\n[commands]\r\n";
    for (const auto& c : cases)
        text += std::string(c.command) + "\r\n";
    const ScriptOutcome run = RunScript(WriteScript("failing.kvauto", text), 60000);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    int n = 0;
    for (const auto& c : cases) {
        ++n;
        const std::string reason = Reason(run.log, n);
        if (!c.reason)
            EXPECT_EQ("<none>", reason) << c.command;
        else
            EXPECT_NE(std::string::npos, reason.find(c.reason)) << c.command << ": " << reason;
    }
}

TEST_F(ScriptTest, AReportOpenedWithNoProgramForItNeverWaits)
{
    MakeOrderProject("job.brvk", false);
    // No program takes files of this extension: the shell would say so in
    // a box of its own and wait for somebody to close it.
    const std::string script =
        WriteScript("open.kvauto", "[vars]\r\ndir=" + m_files + "\r\n[commands]\r\n"
                                   "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                   "material.calculate\r\n"
                                   "material.report.build\r\n"
                                   "material.report.save={ \"file\": \"${dir}\\report.bravikpage\", \"format\": "
                                   "\"html\", \"open\": \"1\" }\r\n");
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(0u, run.exitCode) << run.log;
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, ReadBytes(Path("report.bravikpage")).find("<html"));
}

// The program's main window, which a script keeps hidden.
HWND HiddenMainWindow(const AppRun& run)
{
    struct Search {
        DWORD pid;
        HWND found;
    } search = {run.ProcessId(), nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != s->pid || !GetMenu(window) || WindowText(window).rfind("KORVA Bravik", 0) != 0)
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The program is closed while a script's calculation runs: the calculation's
// request goes with the application, nothing answers the runner's step after
// that, and the program ends without running the rest of the script.
TEST_F(ScriptTest, ClosingTheProgramDuringACalculationEndsTheScriptWithoutAnAnswer)
{
    MakeOrderProject("large.brvk", true);
    const std::string script = WriteScript("closed.kvauto",
                                           "[vars]\r\ndir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\large.brvk\" }\r\n"
                                           "material.calculate\r\n"
                                           "project.save={ \"file\": \"${dir}\\saved.brvk\" }\r\n");
    bool closed = false;
    const ScriptOutcome run = RunScript(script, 60000, [&](AppRun& program) {
        const bool started = WaitFor([&] {
            return ReadBytes(script + ".log").find("Command \"material.calculate\" started") != std::string::npos;
        }, 60000);
        HWND main = started ? HiddenMainWindow(program) : nullptr;
        // The main window's close command, as its close box gives it.
        closed = main && PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    });
    ASSERT_TRUE(closed) << run.log;
    EXPECT_NE(STILL_ACTIVE, run.exitCode) << "the program did not end";
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, CommandLine(run.log, 2).find("\"\\res\": \"-1\"")) << run.log;
    EXPECT_EQ("it ended with the result 3", Reason(run.log, 2)) << run.log;
    EXPECT_EQ(std::string::npos, run.log.find("Command #3")) << run.log;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Path("saved.brvk").c_str()));
    EXPECT_NE(std::string::npos, run.log.find("Script finished: " + script)) << run.log;
}

} // namespace

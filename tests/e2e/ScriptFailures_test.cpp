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

} // namespace

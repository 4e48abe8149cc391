// The program started on a script: loading it, logging every command, and
// ending with the script's exit code without showing a window.
#include "ScriptRun.h"

#include <gtest/gtest.h>

namespace {

TEST_F(ScriptTest, AScriptThatCannotBeLoadedEndsTheProgramWithThree)
{
    const std::string script = Path("missing.kvauto");
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(3u, run.exitCode);
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, run.log.find("Cannot load script " + script));
    EXPECT_NE(std::string::npos, run.log.find("Cannot find file: " + script));
    EXPECT_EQ(std::string::npos, run.log.find("Script finished"));
}

TEST_F(ScriptTest, CommandsNobodyKnowsAreLoggedAndTheScriptEndsWithOne)
{
    const std::string script = WriteScript("unknown.kvauto",
                                           "[options]\r\non.done=$exit\r\n"
                                           "[vars]\r\nname=plan\r\n"
                                           "[commands]\r\n"
                                           "no.such.command={ \"file\": \"${name}.brvk\" }\r\n"
                                           "another.unknown\r\n");
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, run.log.find("Script loaded: " + script));
    EXPECT_EQ("Command #1 finished, params={ \"file\": \"plan.brvk\", \"\\command\": \"no.such.command\", "
              "\"\\res\": \"-1\", \"\\error\": \"no command is named \\\"no.such.command\\\"\" }",
              CommandLine(run.log, 1).substr(0, CommandLine(run.log, 1).find_last_not_of("\r") + 1));
    EXPECT_NE(std::string::npos, CommandLine(run.log, 2).find("\"\\command\": \"another.unknown\""));
    EXPECT_NE(std::string::npos, run.log.find("ERR >> Command #2 \"another.unknown\" failed: no command is named"));
    EXPECT_NE(std::string::npos, run.log.find("Script finished: " + script));
}

} // namespace

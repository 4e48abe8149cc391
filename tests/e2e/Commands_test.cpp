// Scripts of real commands over real projects: opening, calculating and
// saving, a project that is missing, a calculation that runs past its
// time-out, and a project left unsaved at the end.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "document/DCSSolution.h"
#include "support/TestFiles.h"

namespace {

const char* const kDone = "\"\\res\": \"0\" }";
const char* const kFailed = "\"\\res\": \"1\"";

TEST_F(ScriptTest, ADocumentedScriptCalculatesAndSavesAProjectWithoutAWindow)
{
    MakeOrderProject("job.brvk", false);
    const std::string log = Path("own.log");
    const std::string script = WriteScript("job.kvauto",
                                           "[options]\r\n"
                                           "log=" + log + "\r\n"
                                           "timeout=300\r\n"
                                           "on.error=$exit\r\n"
                                           "on.done=$exit\r\n"
                                           "gui=0\r\n"
                                           "[vars]\r\n"
                                           "dir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                           "project.material.activate={ \"pos\": \"1\" }\r\n"
                                           "material.calculate\r\n"
                                           "project.save={ \"file\": \"${dir}\\done.brvk\" }\r\n");
    ScriptOutcome run = RunScript(script);
    run.log = ReadBytes(log);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_FALSE(run.windowShown);
    EXPECT_NE(std::string::npos, run.log.find("Script loaded: " + script));
    EXPECT_EQ(4u, CountOf(run.log, " finished, params="));
    for (int n = 1; n <= 4; ++n)
        EXPECT_NE(std::string::npos, CommandLine(run.log, n).find(kDone)) << CommandLine(run.log, n);
    EXPECT_NE(std::string::npos, run.log.find("Command \"material.calculate\" started"));
    EXPECT_NE(std::string::npos, run.log.find("Script finished: " + script));
    EXPECT_EQ(std::string::npos, run.log.find("WRN >> "));

    // The saved project holds the applied solution.
    DCSSolution saved;
    ASSERT_TRUE(saved.Load(Path("done.brvk").c_str()));
    DCSProject* material = saved.GetProject(0, false);
    ASSERT_NE(nullptr, material);
    EXPECT_FALSE(material->GetCuttingRows().empty());
}

TEST_F(ScriptTest, AMissingProjectFailsItsCommandAndTheScriptGoesOn)
{
    MakeOrderProject("job.brvk", false);
    const std::string script = WriteScript("missing.kvauto",
                                           "[vars]\r\ndir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\nothing.brvk\" }\r\n"
                                           "PROJECT.OPEN={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                           "project.save={ \"file\": \"${dir}\\after.brvk\" }\r\n");
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(run.windowShown);
    EXPECT_NE(std::string::npos, CommandLine(run.log, 1).find(kFailed)) << CommandLine(run.log, 1);
    EXPECT_NE(std::string::npos, run.log.find("ERR >> Command #1 \"project.open\" failed: Cannot open the project"));
    // A command named twice runs twice, each line with its own parameters.
    EXPECT_EQ(3u, CountOf(run.log, " finished, params="));
    EXPECT_NE(std::string::npos, CommandLine(run.log, 2).find(kDone)) << CommandLine(run.log, 2);
    EXPECT_NE(std::string::npos, CommandLine(run.log, 3).find("project.save"));
    EXPECT_TRUE(FileExists(Path("after.brvk")));
    EXPECT_NE(std::string::npos, run.log.find("Script finished"));
}

TEST_F(ScriptTest, AProjectLeftUnsavedDoesNotKeepTheProgramRunning)
{
    MakeOrderProject("job.brvk", false);
    const std::string script = WriteScript("unsaved.kvauto",
                                           "[vars]\r\ndir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                           "material.calculate\r\n");
    const ScriptOutcome run = RunScript(script, 60000);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_FALSE(run.windowShown);
    EXPECT_NE(std::string::npos, CommandLine(run.log, 2).find(kDone)) << CommandLine(run.log, 2);
    EXPECT_NE(std::string::npos, run.log.find("WRN >> "));
    EXPECT_NE(std::string::npos, run.log.find("dropped"));
    // Dropped, not saved.
    DCSSolution project;
    ASSERT_TRUE(project.Load(Path("job.brvk").c_str()));
    EXPECT_TRUE(project.GetProject(0, false)->GetCuttingRows().empty());
}

TEST_F(ScriptTest, ACalculationPastItsTimeOutIsBrokenAndEndsTheScriptWithTwo)
{
    MakeOrderProject("large.brvk", true);
    const std::string script = WriteScript("slow.kvauto",
                                           "[options]\r\ntimeout=1\r\n"
                                           "[vars]\r\ndir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\large.brvk\" }\r\n"
                                           "material.calculate\r\n"
                                           "project.save={ \"file\": \"${dir}\\never.brvk\" }\r\n");
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_FALSE(run.windowShown);
    EXPECT_NE(std::string::npos, run.log.find("Timeout for command \"material.calculate\""));
    EXPECT_NE(std::string::npos, CommandLine(run.log, 2).find(kFailed)) << CommandLine(run.log, 2);
    EXPECT_NE(std::string::npos, run.log.find("ERR >> Command #2 \"material.calculate\" failed: stopped when its time was up"));
    EXPECT_EQ("<missing>", CommandLine(run.log, 3));
    EXPECT_FALSE(FileExists(Path("never.brvk")));
}

} // namespace

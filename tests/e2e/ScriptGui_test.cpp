// A script with a user interface ("gui" 1): opening and saving without a
// file name ask in the file dialogs; without one they fail and nothing
// shows.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "document/DCSSolution.h"
#include "support/TestFiles.h"

namespace {

const char* const kDone = "\"\\res\": \"0\"";
const char* const kFailed = "\"\\res\": \"1\"";

std::string DialogScript(const std::string& folder, const char* gui)
{
    return std::string("[options]\r\ngui=") + gui + "\r\n[vars]\r\ndir=" + folder + "\r\n[commands]\r\n"
           "project.open\r\n"
           "project.save={ \"file\": \"${dir}\\opened.brvk\" }\r\n"
           "project.exit\r\n"
           "project.material.add={ \"name\": \"Pine\" }\r\n"
           "project.save\r\n";
}

TEST_F(ScriptTest, WithAUserInterfaceOpenAndSaveAskForTheirFiles)
{
    MakeOrderProject("job.brvk", false);
    const std::string script = WriteScript("dialogs.kvauto", DialogScript(m_files, "1"));
    bool opened = false;
    bool saved = false;
    const ScriptOutcome run = RunScript(script, 90000, [&](AppRun& program) {
        opened = program.AnswerFileDialog("Open Project", Path("job.brvk"));
        saved = opened && program.AnswerFileDialog("Save Project As...", Path("chosen.brvk"));
    });
    EXPECT_TRUE(opened) << "no open dialog";
    EXPECT_TRUE(saved) << "no save dialog";
    EXPECT_EQ(0u, run.exitCode) << run.log;
    for (int n = 1; n <= 5; ++n)
        EXPECT_NE(std::string::npos, CommandLine(run.log, n).find(kDone)) << CommandLine(run.log, n);

    DCSSolution project;
    ASSERT_TRUE(project.Load(Path("opened.brvk").c_str()));
    EXPECT_EQ("Steel", project.GetProject(0, false)->GetProperty("material"));
    ASSERT_TRUE(project.Load(Path("chosen.brvk").c_str()));
    ASSERT_EQ(1, project.GetCount(false));
    EXPECT_EQ("Pine", project.GetProject(0, false)->GetProperty("material"));
}

TEST_F(ScriptTest, WithoutAUserInterfaceOpenAndSaveWithoutAFileFail)
{
    MakeOrderProject("job.brvk", false);
    const ScriptOutcome run = RunScript(WriteScript("quiet.kvauto", DialogScript(m_files, "0")), 60000);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_NE(std::string::npos, CommandLine(run.log, 1).find(kFailed)) << CommandLine(run.log, 1);
    EXPECT_NE(std::string::npos, CommandLine(run.log, 5).find(kFailed)) << CommandLine(run.log, 5);
    EXPECT_NE(std::string::npos, run.log.find("ERR >> Command #1 \"project.open\" failed: no file named"));
    EXPECT_NE(std::string::npos, run.log.find("ERR >> Command #5 \"project.save\" failed: no file named"));
}

} // namespace

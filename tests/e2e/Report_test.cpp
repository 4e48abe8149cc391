// Scripts that build a material's report and save it as HTML beside the
// saved project, and print it on the PDF queue.
#include "ScriptRun.h"

#include <gtest/gtest.h>

#include "document/DCSSolution.h"
#include "support/TestFiles.h"

namespace {

TEST_F(ScriptTest, AReportIsSavedAsHtmlBesideTheSavedProject)
{
    MakeOrderProject("job.brvk", false);
    const std::string script = WriteScript("report.kvauto",
                                           "[vars]\r\ndir=" + m_files + "\r\n"
                                           "[commands]\r\n"
                                           "project.open={ \"file\": \"${dir}\\job.brvk\" }\r\n"
                                           "material.calculate\r\n"
                                           "material.report.build\r\n"
                                           "material.report.save={ \"file\": \"${dir}\\report.htm\" }\r\n"
                                           "project.save={ \"file\": \"${dir}\\done.brvk\" }\r\n");
    const ScriptOutcome run = RunScript(script);
    EXPECT_EQ(0u, run.exitCode) << run.log;
    EXPECT_FALSE(run.windowShown) << run.shownWindow;
    EXPECT_EQ(5u, CountOf(run.log, " finished, params="));

    const std::string html = ReadBytes(Path("report.htm"));
    EXPECT_NE(std::string::npos, html.find("<html")) << html.substr(0, 200);
    EXPECT_NE(std::string::npos, html.find("Steel"));
    // The stock length the cutting patterns are cut from.
    EXPECT_NE(std::string::npos, html.find("6000"));
    DCSSolution saved;
    ASSERT_TRUE(saved.Load(Path("done.brvk").c_str()));
    ASSERT_NE(nullptr, saved.GetProject(0, false));
    EXPECT_FALSE(saved.GetProject(0, false)->GetCuttingRows().empty());
}

} // namespace

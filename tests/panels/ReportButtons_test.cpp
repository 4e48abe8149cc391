// The Report buttons of the project panel and the results page open the
// report window: the whole project from the panel, the current material
// from the results page.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "PanelHost.h"
#include "panels/PanelIds.h"
#include "reports/OXRReport.h"
#include "support/SolvedMaterial.h"
#include "support/TestFiles.h"
#include "support/UiScript.h"

namespace {

// One small layout of the program's solution class.
const char kLayout[] = "name=Base\r\nclass=solution.cuttings\r\ndraw.size.x=2100\r\ndraw.size.y=2970\r\n"
                       "draw.offset.x=180\r\ndraw.offset.y=100\r\ndraw.spacing=40\r\ndraw.width=1820\r\n"
                       "draw.order=table.general\r\ntable.general.mode=3\r\ntable.general.name=title.general\r\n"
                       "table.general.columns=500,200,200,200,200,200,300\r\n"
                       "table.general.offset.x=180\r\ntable.general.offset.y=-1\r\n";

class ReportButtons : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof(temp), temp);
        folder = std::string(temp) + "bravik-reportbuttons-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA((folder + "\\DATA").c_str(), nullptr);
        WriteBytes(folder + "\\DATA\\BASE.SOL.SCL", kLayout);
        savedData = App().DataFolder();
        savedProgram = App().ProgramFolder();
        savedTemp = App().TempFolder();
        App().SetDataFolder(folder.c_str());
        App().SetProgramFolder(folder.c_str());
        App().SetTempFolder(folder.c_str());
        App().Settings().Set("report.layout", "");
        OpenProject({"Steel", "Oak"});
        FillSolved(*App().Document().GetProject(0, false));
        FillSolved(*App().Document().GetProject(1, false));
        App().SelectMaterial(1);
        Pump();
    }
    void TearDown() override
    {
        AppReport().DeleteCachedFiles();
        App().SetDataFolder(savedData.GetText());
        App().SetProgramFolder(savedProgram.GetText());
        App().SetTempFolder(savedTemp.GetText());
        DeleteFileA((folder + "\\DATA\\BASE.SOL.SCL").c_str());
        RemoveDirectoryA((folder + "\\DATA").c_str());
        RemoveDirectoryA(folder.c_str());
        PanelTest::TearDown();
    }

    std::string folder;
    UString savedData, savedProgram, savedTemp;
};

} // namespace

TEST_F(ReportButtons, OpenTheReportOfTheProjectOrOfTheCurrentMaterial)
{
    struct Case {
        const char* button;
        bool results;
        int id;
        bool wholeProject;
    };
    const Case cases[] = {{"project panel", false, IDC_PROJECT_REPORT, true},
                          {"results page", true, IDC_RESULTS_REPORT, false}};
    for (const Case& c : cases) {
        if (c.results)
            host.ShowResults();
        HWND panel = c.results ? host.results->m_hWnd : host.project->m_hWnd;
        bool shown = false, whole = !c.wholeProject;
        DCSProject* material = nullptr;
        UiScript script;
        script.OnWindow("Reports", [&](HWND window) {
            shown = true;
            whole = AppReport().IsWholeProject();
            material = AppReport().GetMaterial();
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        script.Start();
        SendMessageA(panel, WM_COMMAND, MAKEWPARAM(c.id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(panel, c.id)));
        script.Stop();
        EXPECT_EQ("", script.Failure()) << c.button;
        EXPECT_TRUE(shown) << c.button;
        EXPECT_EQ(c.wholeProject, whole) << c.button;
        EXPECT_EQ(c.wholeProject ? nullptr : App().Document().GetProject(1, false), material) << c.button;
        EXPECT_EQ(nullptr, App().ReportWindow()) << c.button;
    }
}

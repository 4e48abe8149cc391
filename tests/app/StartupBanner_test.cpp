// The application's waiting banner as start-up, opening a project and the
// report build show it: its title and first status, and none in a script.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "appsvc/DlgStartup.h"
#include "appsvc/OXRApp.h"
#include "support/DialogDriving.h"

TEST(StartupBanner, ShowsTheTitleAndTheFirstStatus)
{
    const struct {
        const char* title;
        std::string shown;
    } cases[] = {
        {nullptr, std::string(kAppName) + " " + kDisplayVersion},
        {"Building the report...", "Building the report..."},
    };
    for (const auto& c : cases) {
        std::unique_ptr<DlgStartup> banner = DlgStartup::ShowForApp(nullptr, c.title, "Loading project...");
        ASSERT_NE(nullptr, banner) << c.shown;
        EXPECT_TRUE(banner->IsShown()) << c.shown;
        EXPECT_TRUE(IsWindowVisible(banner->m_hWnd)) << c.shown;
        EXPECT_EQ(c.shown, WindowText(banner->m_hWnd, DlgStartup::IdTitle));
        EXPECT_EQ("Loading project...", WindowText(banner->m_hWnd, DlgStartup::IdStatus)) << c.shown;
    }
}

TEST(StartupBanner, NoneWhileAScriptRuns)
{
    App().SetAutomation(true);
    const std::unique_ptr<DlgStartup> banner = DlgStartup::ShowForApp(nullptr, nullptr, "Loading project...");
    App().SetAutomation(false);
    EXPECT_EQ(nullptr, banner);
}

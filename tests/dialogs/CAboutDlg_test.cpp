// The about box: its title, the program's name and the system information.
#include "dialogs/CAboutDlg.h"

#include "support/DialogFixture.h"
#include "dialogs/DialogIds.h"
#include "foundation/UPairList.h"

namespace {

class AboutBox : public DialogTest {};

} // namespace

TEST_F(AboutBox, ShowsTheProgramAndItsBuildAndSystemLines)
{
    CAboutDlg about;
    std::string title, name, label, block;
    HWND owner = nullptr;
    UiScript script;
    script.OnWindow("About KORVA Bravik", [&](HWND d) {
        name = WindowText(d, IDC_ABOUT_NAME);
        label = WindowText(d, IDC_ABOUT_VERSION_LABEL);
        block = WindowText(d, IDC_ABOUT_VERSION);
        owner = GetWindow(d, GW_OWNER);
        PostMessageA(d, WM_COMMAND, IDOK, 0);
    });
    script.Start();
    EXPECT_EQ(IDOK, about.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ("KORVA Bravik", name);
    EXPECT_EQ("Version", label);
    EXPECT_EQ(main.m_hWnd, owner);
    const std::string build = std::string("Build ") + kBuildVersion + "\r\n";
    EXPECT_EQ(0u, block.find(build)) << block;
    EXPECT_NE(std::string::npos, block.find("\r\nSystem ")) << block;
    EXPECT_TRUE(block.find(" (x64)\r\n") != std::string::npos || block.find(" (x32)\r\n") != std::string::npos)
        << block;
}

TEST_F(AboutBox, EscapeGivesTheClassLibrarysCancel)
{
    CAboutDlg about;
    UiScript script;
    script.OnWindow("About KORVA Bravik", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    script.Start();
    EXPECT_EQ(IDCANCEL, about.DoModal());
}

TEST(AboutVersionBlock, ListsEntriesUpToTheFirstBlankName)
{
    UPairList info;
    EXPECT_EQ("", CAboutDlg::VersionBlock(info));
    info.Set("Build", "1.2.20.1 ");
    info.Set("System", "6.1 (x64)");
    EXPECT_EQ("Build 1.2.20.1 \r\nSystem 6.1 (x64)\r\n", CAboutDlg::VersionBlock(info));
    info.Set("  ", "hidden");
    info.Set("After", "never");
    EXPECT_EQ("Build 1.2.20.1 \r\nSystem 6.1 (x64)\r\n", CAboutDlg::VersionBlock(info));
}

// The header bar: its buttons report to the main window, its tab strip
// follows the events, its enable states follow the document and the recent
// projects, and it keeps Exit at the right edge.
#include "panels/WinControls.h"

#include <gtest/gtest.h>

#include "PanelHost.h"
#include "controls/ICButton.h"
#include "controls/ICTab.h"
#include "panels/PanelIds.h"

namespace {

class HeaderBar : public PanelTest {
protected:
    bool Enabled(int id) { return IsWindowEnabled(host.header->GetDlgItem(id)) != FALSE; }
    long Tab() { return host.header->GetTabs()->GetSelected(); }
    ICButton* Button(int id) { return dynamic_cast<ICButton*>(host.header->FindInBag(id)); }
};

} // namespace

TEST_F(HeaderBar, ButtonsTakeTheirCaptionsAndHintsFromTheLocale)
{
    struct Case {
        int id;
        const char* caption;
        const char* hint;
    };
    const Case cases[] = {
        {IDC_HEADER_OPEN, "Open", "Open a project"},
        {IDC_HEADER_CREATE, "Create", "Create a new project"},
        {IDC_HEADER_SAVE, "Save", "Save the project"},
        // An entry with an empty text: the picture alone.
        {IDC_HEADER_RECENT, "", "Recent projects"},
        {IDC_HEADER_EXIT, "Exit", "Close the program"},
    };
    for (const Case& c : cases) {
        ICButton* button = Button(c.id);
        ASSERT_NE(nullptr, button) << c.id;
        EXPECT_EQ(c.caption, button->GetButtonCaption()) << c.id;
        EXPECT_EQ(c.hint, button->GetHint()) << c.id;
        EXPECT_FALSE(button->GetImageName().empty()) << c.id;
    }
    auto& tabs = host.header->GetTabs()->GetTabs();
    ASSERT_EQ(4u, tabs.size());
    const char* texts[] = {"Data", "Calculation", "Options", "Info"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(texts[i], DProps::GetString(tabs[i], "text", "")) << i;
}

TEST_F(HeaderBar, AButtonPressReachesTheMainWindowAsAPanelCommand)
{
    host.panelCommands.clear();
    SendMessageA(host.header->GetDlgItem(IDC_HEADER_OPEN), BM_CLICK, 0, 0);
    ASSERT_EQ(1u, host.panelCommands.size());
    EXPECT_EQ(static_cast<WPARAM>(kPanelHeader), host.panelCommands[0].first);
    EXPECT_EQ(IDC_HEADER_OPEN, LOWORD(host.panelCommands[0].second));
}

TEST_F(HeaderBar, TheTabFollowsOpeningCalculatingAndMaterialChanges)
{
    EXPECT_FALSE(IsWindowEnabled(host.header->GetTabs()->GetHwnd()));
    App().Document().New("P", "", "Steel");
    App().OnAppEvent(kEventProjectOpened, 0);
    EXPECT_TRUE(IsWindowEnabled(host.header->GetTabs()->GetHwnd()));
    EXPECT_EQ(0, Tab());
    host.panelTabs.clear();
    App().OnAppEvent(kEventCalculationFinished, 1);
    EXPECT_EQ(1, Tab());
    // The main window heard it as a click on the tab.
    EXPECT_EQ(std::vector<long>{1}, host.panelTabs);
    App().OnAppEvent(kEventMaterialsChanged, 0);
    EXPECT_EQ(0, Tab());
    App().OnAppEvent(kEventCalculationFinished, 0);
    App().Document().Reset();
    App().OnAppEvent(kEventProjectClosed, 0);
    EXPECT_EQ(0, Tab());
    EXPECT_FALSE(IsWindowEnabled(host.header->GetTabs()->GetHwnd()));
}

TEST_F(HeaderBar, RecentIsEnabledOnlyWithRecentProjects)
{
    URecentList saved = App().RecentProjects();
    App().RecentProjects() = URecentList();
    host.header->UpdateEnableStates();
    EXPECT_FALSE(Enabled(IDC_HEADER_RECENT));
    App().RecentProjects().AddPath("C:\\plans\\garage.brvk");
    host.header->UpdateEnableStates();
    EXPECT_TRUE(Enabled(IDC_HEADER_RECENT));
    App().RecentProjects() = saved;
}

TEST_F(HeaderBar, SaveFollowsTheModifiedStateAtTheNextEventThatAsksForIt)
{
    OpenProject({"Steel"});
    EXPECT_FALSE(Enabled(IDC_HEADER_SAVE));
    App().Document().SetName("Changed");
    EXPECT_FALSE(Enabled(IDC_HEADER_SAVE));
    // Raised by the bar itself: it has nothing to refresh.
    App().OnAppEvent(kEventProjectDataChanged, 0, host.header);
    EXPECT_FALSE(Enabled(IDC_HEADER_SAVE));
    App().OnAppEvent(kEventProjectDataChanged, 0);
    EXPECT_TRUE(Enabled(IDC_HEADER_SAVE));
    App().Document().SetName("Garage");
    App().OnAppEvent(kEventCurrentMaterialChanged, 0);
    EXPECT_FALSE(Enabled(IDC_HEADER_SAVE));
}

TEST_F(HeaderBar, WideningTheWindowKeepsExitFourPixelsFromTheRightEdge)
{
    for (int width : {900, 1200}) {
        SetWindowPos(host.m_hWnd, nullptr, 0, 0, width, 500, SWP_NOMOVE | SWP_NOZORDER);
        Pump();
        RECT bar, exit, tabs;
        GetClientRect(host.header->m_hWnd, &bar);
        WinGetRectInParent(host.header->GetDlgItem(IDC_HEADER_EXIT), &exit);
        WinGetRectInParent(host.header->GetTabs()->GetHwnd(), &tabs);
        EXPECT_EQ(bar.right - 4, exit.right) << width;
        // The strip starts where the project panel ends and reaches the edge.
        EXPECT_EQ(WinPackedWidth(host.project->GetPreferredSize()), tabs.left) << width;
        EXPECT_GE(tabs.right, bar.right) << width;
    }
}

TEST_F(HeaderBar, ItsPreferredSizeEndsAtSaveAndAtTheTabStrip)
{
    RECT save, tabs;
    WinGetRectInParent(host.header->GetDlgItem(IDC_HEADER_SAVE), &save);
    WinGetRectInParent(host.header->GetTabs()->GetHwnd(), &tabs);
    const long size = host.header->GetPreferredSize();
    EXPECT_EQ(save.right + 4, WinPackedWidth(size));
    EXPECT_EQ(tabs.bottom, WinPackedHeight(size));
}

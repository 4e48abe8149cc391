// The panel frame as the three panels of this library share it: locale
// copies and language markers, the control bag, the native labels' colours,
// Enter and Escape, and events passed with their sender.
#include "dialogs/WinPanel.h"

#include <gtest/gtest.h>

#include "PanelHost.h"
#include "controls/ICButton.h"
#include "controls/ICList.h"
#include "controls/ICTab.h"

#include <commctrl.h>
#include "panels/PanelIds.h"

namespace {

class PanelFrame : public PanelTest {};

} // namespace

TEST_F(PanelFrame, EachPanelCopiesItsSectionAndMarksItsLanguage)
{
    EXPECT_EQ("Current Project", LocaleText(host.header->GetLocale(), "project", ""));
    EXPECT_EQ("Materials", LocaleText(host.project->GetLocale(), "materials", ""));
    EXPECT_EQ("Notes on the calculation", LocaleText(host.info->GetLocale(), "notes", ""));
    for (WinPanel* panel : {static_cast<WinPanel*>(host.header), static_cast<WinPanel*>(host.project),
                            static_cast<WinPanel*>(host.info)})
        EXPECT_EQ("en_US", panel->GetLanguage());
}

TEST_F(PanelFrame, TheHeaderFindsItsButtonsByPositionInTheBag)
{
    const long ids[] = {IDC_HEADER_OPEN, IDC_HEADER_CREATE, IDC_HEADER_SAVE, IDC_HEADER_RECENT, IDC_HEADER_EXIT};
    for (int i = 0; i < 5; ++i) {
        ICControl* control = host.header->BagAt(i);
        ASSERT_NE(nullptr, control) << i;
        EXPECT_EQ(ids[i], control->GetId());
        EXPECT_EQ(control, host.header->FindInBag(ids[i]));
    }
    EXPECT_EQ(nullptr, host.header->BagAt(5));
}

TEST_F(PanelFrame, NativeLabelsAreDrawnOnThePanelsBackground)
{
    HWND label = host.info->GetDlgItem(IDC_INFO_COMMENT_ADD);
    HDC dc = GetDC(host.info->m_hWnd);
    SetBkMode(dc, OPAQUE);
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageA(host.info->m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    LOGBRUSH info = {};
    ASSERT_NE(0, GetObjectA(brush, sizeof(info), &info));
    EXPECT_EQ(0xFFFFFFu, info.lbColor);
    ReleaseDC(host.info->m_hWnd, dc);
}

TEST_F(PanelFrame, EnterAndEscapeNeitherCloseNorHideAPanel)
{
    for (WinPanel* panel : {static_cast<WinPanel*>(host.header), static_cast<WinPanel*>(host.project),
                            static_cast<WinPanel*>(host.info)}) {
        SendMessageA(panel->m_hWnd, WM_COMMAND, IDOK, 0);
        SendMessageA(panel->m_hWnd, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(IsWindowVisible(panel->m_hWnd));
    }
}

TEST_F(PanelFrame, AnEventNoPanelKnowsPassesWithoutEffect)
{
    App().Document().New("P", "", "Steel");
    App().OnAppEvent(kEventProjectOpened, 0);
    const long tab = host.header->GetTabs()->GetSelected();
    const int rows = ListView_GetItemCount(host.project->GetList()->GetHwnd());
    host.panelTabs.clear();
    App().OnAppEvent(kEventReportPageChanged, 0, this);
    EXPECT_EQ(tab, host.header->GetTabs()->GetSelected());
    EXPECT_EQ(rows, ListView_GetItemCount(host.project->GetList()->GetHwnd()));
    EXPECT_TRUE(host.panelTabs.empty());
    ASSERT_FALSE(host.events.empty());
    EXPECT_EQ(this, host.events.back().sender);
}

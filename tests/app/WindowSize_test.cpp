// The main window at the narrowest width a user can drag it to: every tab of
// the header still shows whole.
#include <gtest/gtest.h>

#include "app/OXRWindow.h"
#include "appsvc/OXRApp.h"
#include "controls/ICTab.h"
#include "panels/PanelIds.h"
#include "panels/WinControls.h"

namespace {

BOOL CALLBACK FindHeader(HWND child, LPARAM found)
{
    if (::GetDlgItem(child, IDC_HEADER_TABS)) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(MainWindowSize, TheNarrowestWindowShowsEveryTabWhole)
{
    OXRWindow window;
    ASSERT_TRUE(window.Create(kMainWindowTemplate, nullptr));
    App().SetMainWindow(&window);
    App().m_pMainWnd = &window;
    ASSERT_TRUE(App().Document().New("P", "", "Steel"));
    App().OnAppEvent(kEventProjectOpened, 0);
    ::ShowWindow(window.m_hWnd, SW_SHOWNORMAL);

    // A drag towards a size far too small, from either side: the dragged
    // edges stop, the others stay.
    struct Drag {
        WPARAM edge;
        bool leftMoves;
        bool topMoves;
    };
    for (const Drag drag : {Drag{WMSZ_RIGHT, false, false}, Drag{WMSZ_LEFT, true, false},
                            Drag{WMSZ_TOPLEFT, true, true}, Drag{WMSZ_BOTTOMRIGHT, false, false}}) {
        const WPARAM edge = drag.edge;
        RECT wanted = {400, 300, 460, 340};
        ::SendMessageA(window.m_hWnd, WM_SIZING, edge, reinterpret_cast<LPARAM>(&wanted));
        ASSERT_GT(wanted.right - wanted.left, 60) << edge;
        ASSERT_GT(wanted.bottom - wanted.top, 40) << edge;
        EXPECT_EQ(drag.leftMoves, wanted.left != 400) << edge;
        EXPECT_EQ(drag.leftMoves, wanted.right == 460) << edge;
        EXPECT_EQ(drag.topMoves, wanted.top != 300) << edge;
        EXPECT_EQ(drag.topMoves, wanted.bottom == 340) << edge;
        ::SetWindowPos(window.m_hWnd, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                       wanted.bottom - wanted.top, SWP_NOZORDER);

        HWND header = nullptr;
        ::EnumChildWindows(window.m_hWnd, FindHeader, reinterpret_cast<LPARAM>(&header));
        ASSERT_NE(nullptr, header);
        auto* controls = dynamic_cast<WinControls*>(CWnd::FromHandle(header));
        ASSERT_NE(nullptr, controls);
        ICTab* tabs = controls->GetTabs();
        ASSERT_EQ(4, tabs->GetTabCount());

        RECT main;
        ::GetClientRect(window.m_hWnd, &main);
        RECT placed;
        ::GetWindowRect(tabs->GetHwnd(), &placed);
        ::MapWindowPoints(nullptr, window.m_hWnd, reinterpret_cast<POINT*>(&placed), 2);
        // The strip may reach past the window, but its last tab may not.
        EXPECT_LE(placed.left + tabs->GetNeededWidth(), main.right) << edge;
        const DProps& info = tabs->GetTabs().back();
        EXPECT_EQ("Info", DProps::GetString(info, "text", ""));
        EXPECT_GT(DProps::GetLong(info, "width"), 0);
    }

    App().Document().Reset();
    App().OnAppEvent(kEventProjectClosed, 0);
    App().SetMainWindow(nullptr);
    App().m_pMainWnd = nullptr;
    ::DestroyWindow(window.m_hWnd);
}

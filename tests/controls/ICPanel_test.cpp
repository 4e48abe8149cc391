#include "controls/ICPanel.h"

#include "controls/ICControl.h"
#include "controls/ICTab.h"
#include "GdiCount.h"
#include "HostDialog.h"
#include "TestWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

// How many TrackedControl objects were destroyed, by control id.
std::map<long, int>& Destroyed()
{
    static std::map<long, int> destroyed;
    return destroyed;
}

// A plain wrapped control that tells when it goes.
class TrackedControl : public ICControl {
public:
    TrackedControl(HWND window, long group)
    {
        Attach(window, group, false);
        m_tracked = GetId();
    }
    ~TrackedControl() override { ++Destroyed()[m_tracked]; }

private:
    long m_tracked = 0;
};

// The owner window of the panels: records the panel messages and answers
// WM_PANEL_COMMAND with what the test chooses.
struct OwnerLog {
    LRESULT commandAnswer = 1;
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    std::vector<std::pair<WPARAM, long>> notices;  // panel id, tab
    LRESULT noticeAnswer = 1;
};

OwnerLog& Owner()
{
    static OwnerLog log;
    return log;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PANEL_COMMAND) {
        Owner().commands.emplace_back(wParam, lParam);
        return Owner().commandAnswer;
    }
    if (message == WM_PANEL_NOTIFY) {
        const DProps* bag = reinterpret_cast<const DProps*>(lParam);
        Owner().notices.emplace_back(wParam, DProps::GetLong(bag, "tab", -1));
        return Owner().noticeAnswer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A panel with an Apply button handler of its own, an extra paint step and
// a layout step that both count their calls.
class TestPanel : public ICPanel {
public:
    using ICPanel::ICPanel;

    int applied = 0;
    int extraPaints = 0;
    int layouts = 0;

    BOOL OnInitDialog() override
    {
        ICPanel::OnInitDialog();
        tabs = new ICTab(GetDlgItem(IDC_PANEL_TABS));
        tabs->AddTab("First");
        tabs->AddTab("Second");
        tabs->Layout();
        AddControl(tabs);
        return TRUE;
    }
    void PaintExtra(HDC) override { ++extraPaints; }
    void LayoutControls() override { ++layouts; }
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<TestPanel> map =
            CMessageMapOf<TestPanel>(ICPanel::GetMessageMap()).OnCommand(IDC_PANEL_APPLY, &TestPanel::OnApply);
        return &map;
    }
    void OnApply() { ++applied; }

    ICTab* tabs = nullptr;
};

class ICPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Owner() = OwnerLog();
        Destroyed().clear();
        owner = CreateWindowExA(0, TestWindowClass("KORVA.PanelOwner", OwnerProc), "Owner", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(owner);
        ASSERT_TRUE(host.Open());
        panel = static_cast<TestPanel*>(ICPanel::CreateAsChild(new TestPanel(IDD_PANEL, &host, owner)));
        ASSERT_NE(nullptr, panel);
        PumpWaiting();
    }
    void TearDown() override
    {
        delete panel;
        DestroyWindow(owner);
        PumpWaiting();
    }

    HWND Item(int id) { return panel->GetDlgItem(id); }

    HostDialog host{IDD_PANEL_HOST};
    HWND owner = nullptr;
    TestPanel* panel = nullptr;
};

TEST_F(ICPanelTest, CreatedAsAVisibleChildOfItsParentDialog)
{
    EXPECT_EQ(host.m_hWnd, GetParent(panel->m_hWnd));
    EXPECT_EQ(host.m_hWnd, panel->GetParentWindow());
    EXPECT_TRUE(IsWindowVisible(panel->m_hWnd));
    EXPECT_EQ(IDD_PANEL, panel->GetPanelId());
    EXPECT_EQ(0xE0E0E0u, panel->GetBackColor());
    EXPECT_EQ(panel->tabs, panel->FindControl(IDC_PANEL_TABS));
    EXPECT_EQ(nullptr, panel->FindControl(IDC_PANEL_APPLY));
}

TEST(ICPanelCreation, AMissingTemplateGivesNull)
{
    HostDialog host(IDD_PANEL_HOST);
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(nullptr, ICPanel::CreateAsChild(new ICPanel(4321, &host, nullptr)));
    EXPECT_EQ(nullptr, ICPanel::CreateAsChild(nullptr));
}

TEST_F(ICPanelTest, ClicksReachTheOwnerWhoseZeroEndsThem)
{
    const struct {
        LRESULT answer;
        int applied;
    } cases[] = {{0, 0}, {1, 1}, {7, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        Owner().commandAnswer = c.answer;
        Owner().commands.clear();
        SendMessageA(Item(IDC_PANEL_APPLY), BM_CLICK, 0, 0);
        ASSERT_EQ(1u, Owner().commands.size());
        EXPECT_EQ(static_cast<WPARAM>(IDD_PANEL), Owner().commands[0].first);
        EXPECT_EQ(static_cast<LPARAM>(MAKEWPARAM(IDC_PANEL_APPLY, 0)), Owner().commands[0].second);
        EXPECT_EQ(c.applied, panel->applied);
    }
}

TEST_F(ICPanelTest, WithoutOwnerClicksAndTabChangesAreSwallowed)
{
    HostDialog other(IDD_PANEL_HOST);
    ASSERT_TRUE(other.Open());
    TestPanel* alone = static_cast<TestPanel*>(ICPanel::CreateAsChild(new TestPanel(IDD_PANEL, &other, nullptr)));
    ASSERT_NE(nullptr, alone);
    SendMessageA(alone->GetDlgItem(IDC_PANEL_APPLY), BM_CLICK, 0, 0);
    EXPECT_EQ(0, alone->applied);
    EXPECT_EQ(1, alone->tabs->Select(1, true));
    EXPECT_TRUE(Owner().commands.empty());
    EXPECT_TRUE(Owner().notices.empty());
    delete alone;
}

TEST_F(ICPanelTest, ATabChangeReachesTheOwnerAsPanelNotify)
{
    RECT client;
    GetClientRect(Item(IDC_PANEL_TABS), &client);
    const DProps& second = panel->tabs->GetTabs()[1];
    const long x = DProps::GetLong(panel->tabs->GetStripStyle(), "offset") + DProps::GetLong(second, "pos") + 4;
    SendMessageA(Item(IDC_PANEL_TABS), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, client.bottom / 2));
    ASSERT_EQ(1u, Owner().notices.size());
    EXPECT_EQ(static_cast<WPARAM>(IDD_PANEL), Owner().notices[0].first);
    EXPECT_EQ(1, Owner().notices[0].second);
    EXPECT_TRUE(Owner().commands.empty()) << "a tab change is no click";
    EXPECT_EQ(0, panel->applied);
}

TEST_F(ICPanelTest, BackgroundQueryIsAnsweredWithThePanelColour)
{
    panel->SetBackColor(0x123456);
    BackColorQuery query = {};
    EXPECT_EQ(0, SendMessageW(panel->m_hWnd, WM_QUERY_BACKCOLOR, 0, reinterpret_cast<LPARAM>(&query)));
    EXPECT_EQ(0x123456u, query.colour);
    EXPECT_EQ(1, query.flags);
    EXPECT_EQ(0, SendMessageW(panel->m_hWnd, WM_QUERY_BACKCOLOR, 0, 0));

    // A control on the panel, and one on the host beside the panel, both
    // see the panel's colour behind them.
    EXPECT_EQ(0x123456u, ICControl::GetParentBackgroundColor(panel->m_hWnd, 5, 5));
    EXPECT_EQ(0x123456u, ICControl::GetParentBackgroundColor(host.m_hWnd, 5, 5));
}

TEST_F(ICPanelTest, EraseFillsWithTheColourThenPaintExtraThenBottomLines)
{
    panel->SetBackColor(RGB(0x20, 0x40, 0x60));
    RECT client;
    GetClientRect(panel->m_hWnd, &client);
    const int x = client.right - 4;
    auto pixel = [&](int y) {
        HDC dc = GetDC(panel->m_hWnd);
        COLORREF c = GetPixel(dc, x, y) & 0xFFFFFF;
        ReleaseDC(panel->m_hWnd, dc);
        return c;
    };
    const int extraBefore = panel->extraPaints;
    EXPECT_EQ(1, SendMessageW(panel->m_hWnd, WM_ERASEBKGND, 0, 0));
    EXPECT_EQ(extraBefore + 1, panel->extraPaints);
    EXPECT_EQ(RGB(0x20, 0x40, 0x60), pixel(client.bottom / 2));
    EXPECT_EQ(RGB(0x20, 0x40, 0x60), pixel(client.bottom - 1)) << "no lines without style bit 8";

    panel->SetStyleBits(ICPanel::StyleBottomLines);
    SendMessageW(panel->m_hWnd, WM_ERASEBKGND, 0, 0);
    EXPECT_EQ(0xE7BFC8u, pixel(client.bottom - 1));
    EXPECT_EQ(RGB(0x20, 0x40, 0x60), pixel(client.bottom - 3));
}

TEST_F(ICPanelTest, RepositionSpansTheParentBelowItsOffset)
{
    host.offset = 7;
    RECT hostClient;
    GetClientRect(host.m_hWnd, &hostClient);
    const long height = static_cast<long>(panel->GetClientSize()) >> 16;
    EXPECT_NE(0, panel->Reposition(true));
    EXPECT_EQ(1, host.offsetQueries);
    EXPECT_EQ(1, panel->layouts);
    RECT r;
    GetWindowRect(panel->m_hWnd, &r);
    MapWindowPoints(nullptr, host.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(7, r.top);
    EXPECT_EQ(hostClient.right, r.right);
    EXPECT_EQ(7 + height, r.bottom);
    EXPECT_EQ((height << 16) | hostClient.right, panel->GetClientSize());
    EXPECT_EQ(panel->GetClientSize(), panel->GetPreferredSize());
    EXPECT_EQ(hostClient.right, panel->GetPreferredRect().right);
}

TEST(ICPanelReposition, APanelWithoutParentWindowDoesNotMove)
{
    ICPanel lonely(IDD_PANEL, nullptr, nullptr);
    EXPECT_EQ(0, lonely.Reposition(true));
}

TEST_F(ICPanelTest, GroupsAreShownAndEnabledTogether)
{
    ASSERT_TRUE(panel->AddControl(new TrackedControl(Item(IDC_PANEL_APPLY), 5)));
    ASSERT_TRUE(panel->AddControl(new TrackedControl(Item(IDC_PANEL_RESET), 5)));
    ASSERT_TRUE(panel->AddControl(new TrackedControl(Item(IDC_PANEL_LABEL), 6)));
    // Group 5 is two buttons; the tab strip (group 0) and the label (6) stay.
    EXPECT_EQ(2, panel->ShowGroup(5, false));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PANEL_APPLY)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PANEL_RESET)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_PANEL_LABEL)));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_PANEL_TABS)));
    EXPECT_EQ(0, panel->ShowGroup(5, true)) << "none was visible";
    EXPECT_EQ(4, panel->ShowGroup(0, false)) << "group 0 is every control";
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PANEL_TABS)));

    EXPECT_EQ(0, panel->EnableGroup(6, false));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_PANEL_LABEL)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_PANEL_APPLY)));
    EXPECT_EQ(1, panel->EnableGroup(0, true)) << "only the label was disabled";
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_PANEL_LABEL)));
}

TEST_F(ICPanelTest, ThePanelOwnsItsControlsAndDeletesEachOnce)
{
    EXPECT_FALSE(panel->AddControl(nullptr));
    TrackedControl* apply = new TrackedControl(Item(IDC_PANEL_APPLY), 0);
    ASSERT_TRUE(panel->AddControl(apply));
    ASSERT_TRUE(panel->AddControl(apply)) << "registering again keeps the object";
    EXPECT_EQ(0, Destroyed()[IDC_PANEL_APPLY]);
    EXPECT_EQ(2, panel->GetControlCount());

    // A second window under the same id replaces the first control, which
    // would otherwise belong to nobody.
    HWND twin = CreateWindowExA(0, "BUTTON", "Twin", WS_CHILD | WS_VISIBLE, 0, 100, 40, 20, panel->m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PANEL_APPLY)),
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(twin);
    TrackedControl* second = new TrackedControl(twin, 0);
    ASSERT_TRUE(panel->AddControl(second));
    EXPECT_EQ(1, Destroyed()[IDC_PANEL_APPLY]);
    EXPECT_EQ(second, panel->FindControl(IDC_PANEL_APPLY));
    EXPECT_EQ(2, panel->GetControlCount());

    HWND resetButton = Item(IDC_PANEL_RESET);
    ASSERT_TRUE(panel->AddControl(new TrackedControl(resetButton, 0)));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&ICControl::StaticWindowProc), GetWindowLongPtrW(resetButton, GWLP_WNDPROC));
    delete panel;
    panel = nullptr;
    EXPECT_EQ(2, Destroyed()[IDC_PANEL_APPLY]);
    EXPECT_EQ(1, Destroyed()[IDC_PANEL_RESET]);
}

TEST_F(ICPanelTest, PanelsLeaveNoGdiObjectsBehind)
{
    auto cycle = [&]() {
        TestPanel* p = static_cast<TestPanel*>(ICPanel::CreateAsChild(new TestPanel(IDD_PANEL, &host, owner)));
        ASSERT_NE(nullptr, p);
        p->SetStyleBits(ICPanel::StyleBottomLines);
        p->Reposition(true);
        SendMessageW(p->m_hWnd, WM_ERASEBKGND, 0, 0);
        p->tabs->Layout();
        PumpWaiting();
        delete p;
        PumpWaiting();
    };
    cycle();
    const DWORD before = GdiObjectCount();
    for (int i = 0; i < 5; ++i)
        cycle();
    EXPECT_EQ(before, GdiObjectCount());
}

TEST(ICPanelMessages, NumbersAreFixed)
{
    EXPECT_EQ(0x590u, WM_PANEL_COMMAND);
    EXPECT_EQ(0x591u, WM_PANEL_NOTIFY);
    EXPECT_EQ(0x592u, WM_PANEL_QUERY_OFFSET);
    EXPECT_EQ(0x593u, WM_QUERY_HEADER_SIZE);
    EXPECT_EQ(0x594u, WM_QUERY_WORK_AREA);
    EXPECT_EQ(0x6BDu, WM_QUERY_BACKCOLOR);
    EXPECT_EQ(0x6BEu, WM_CHECK_SELECTION);
    EXPECT_NE(0u, UWindowHook::MSG_HOOK_MESSAGE);
    EXPECT_EQ(UWindowHook::MSG_HOOK_MESSAGE, RegisterWindowMessageA("UWindowHook::MSG_HOOK_MESSAGE"));
}

} // namespace

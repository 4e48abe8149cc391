#include "TestApp.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// --- Command routing ------------------------------------------------------

std::string g_route;

class RoutingParent : public CDialog {
public:
    using CDialog::CDialog;
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<RoutingParent> map = CMessageMapOf<RoutingParent>(CDialog::GetMessageMap())
                                                            .OnCommand(0x8101, &RoutingParent::OnCommandHit)
                                                            .OnCommand(0x8103, &RoutingParent::OnCommandHit)
                                                            .OnCommand(IDC_CHILD_BUTTON, &RoutingParent::OnCommandHit);
        return &map;
    }
    void OnCommandHit() { g_route = "parent"; }
};

class RoutingChild : public CDialog {
public:
    using CDialog::CDialog;
    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<RoutingChild> map = CMessageMapOf<RoutingChild>(CDialog::GetMessageMap())
                                                           .OnCommandRange(0x8100, 0x8100, &RoutingChild::OnOwn)
                                                           .OnCommand(0x8103, &RoutingChild::OnOwnPlain)
                                                           .OnControl(EN_CHANGE, 0x8104, &RoutingChild::OnOwnPlain);
        return &map;
    }
    void OnOwn(UINT) { g_route = "own"; }
    void OnOwnPlain() { g_route = "own"; }
};

struct RouteCase {
    UINT id;
    UINT code;
    const char* expected;
};

class CommandRouting : public ::testing::TestWithParam<RouteCase> {};

TEST_P(CommandRouting, OwnThenParentThenApplication)
{
    RoutingParent parent(IDD_PLAIN);
    ASSERT_TRUE(parent.Create(IDD_PLAIN));
    RoutingChild child(IDD_CHILD, &parent);
    ASSERT_TRUE(child.Create(IDD_CHILD));
    g_route.clear();
    App().commands.clear();
    SendMessageA(child.m_hWnd, WM_COMMAND, MAKEWPARAM(GetParam().id, GetParam().code), 0);
    std::string route = g_route;
    if (!App().commands.empty()) {
        EXPECT_TRUE(route.empty());
        EXPECT_EQ(GetParam().id, App().commands.back());
        route = "app";
    }
    EXPECT_EQ(GetParam().expected, route);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, CommandRouting,
    ::testing::Values(RouteCase{0x8100, 0, "own"},        // own range entry
                      RouteCase{0x8103, 0, "own"},        // own entry wins over the parent's
                      RouteCase{0x8101, 0, "parent"},     // menu command the child leaves
                      RouteCase{0x8101, 1, "parent"},     // the same from an accelerator
                      RouteCase{0x8102, 0, "app"},        // nobody but the application
                      RouteCase{0x8104, EN_CHANGE, "own"}, // control notification entry
                      RouteCase{0x8101, BN_SETFOCUS, ""}, // notifications are not routed on
                      RouteCase{IDC_CHILD_BUTTON, 0, ""}, // control ids stay with their dialog
                      RouteCase{0x8200, 0, ""}));         // handled nowhere

TEST(TopLevelRouting, UnhandledMenuCommandReachesTheApplication)
{
    RoutingParent main(IDD_PLAIN);
    ASSERT_TRUE(main.Create(IDD_PLAIN));
    App().commands.clear();
    SendMessageA(main.m_hWnd, WM_COMMAND, MAKEWPARAM(0x8105, 0), 0);
    EXPECT_EQ(std::vector<UINT>{0x8105}, App().commands);
}

// --- The main loop ----------------------------------------------------------

class MainLoop : public ::testing::Test {
protected:
    void TearDown() override
    {
        App().filter = nullptr;
        App().m_pMainWnd = nullptr;
    }
};

TEST_F(MainLoop, RunFiltersEveryMessageAndEndsWithTheQuitCode)
{
    std::vector<int> codes;
    std::vector<UINT> dispatched;
    ScriptDialog dlg(IDD_PLAIN);
    ASSERT_TRUE(dlg.Create(IDD_PLAIN));
    dlg.onApp = [&](ScriptDialog&, UINT message, WPARAM, LPARAM) {
        dispatched.push_back(message);
        return LRESULT(0);
    };
    App().filter = [&](int code, MSG* msg) {
        if (msg->message == WM_APP + 20 || msg->message == WM_APP + 21) {
            codes.push_back(code);
            return msg->message == WM_APP + 20 ? TRUE : FALSE;
        }
        return FALSE;
    };
    dlg.PostMessage(WM_APP + 20);
    dlg.PostMessage(WM_APP + 21);
    PostQuitMessage(9);
    EXPECT_EQ(9, App().Run());
    EXPECT_EQ((std::vector<int>{CWinApp::FilterMainLoop, CWinApp::FilterMainLoop}), codes);
    EXPECT_EQ(std::vector<UINT>{WM_APP + 21}, dispatched);
}

TEST_F(MainLoop, DestroyingTheMainWindowPostsNoQuit)
{
    auto* main = new TopWindow("Main");
    App().m_pMainWnd = main;
    main->DestroyWindow();
    App().m_pMainWnd = nullptr;
    delete main;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        EXPECT_NE(static_cast<UINT>(WM_QUIT), msg.message);
        DispatchMessageA(&msg);
    }
}

// --- The system's own modal loops -----------------------------------------

const char* const kBoxTitle = "KORVA classlib filter box";
bool g_boxPoked = false;

void CALLBACK PokeBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = FindWindowA(nullptr, kBoxTitle);
    if (box && !g_boxPoked) {
        g_boxPoked = true;
        PostMessageA(box, WM_KEYDOWN, VK_INSERT, 1);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
}

TEST_F(MainLoop, MessageBoxLoopPassesTheFilterThroughTheHook)
{
    CWinApp::InstallFilterHook();
    std::vector<std::pair<int, HWND>> seen;
    App().filter = [&](int code, MSG* msg) {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_INSERT) {
            seen.emplace_back(code, msg->hwnd);
            return TRUE;
        }
        return FALSE;
    };
    g_boxPoked = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, PokeBox);
    int answer = MessageBoxA(nullptr, "Filter test", kBoxTitle, MB_OK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(IDOK, answer);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(MSGF_DIALOGBOX, seen[0].first);
    EXPECT_NE(nullptr, seen[0].second);
}

} // namespace

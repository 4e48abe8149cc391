#include "TestApp.h"
#include "resource.h"
#include "support/KeyPress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

class ModalTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        App().filter = nullptr;
        App().m_pMainWnd = nullptr;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

// --- Ending a modal dialog -------------------------------------------------

class ModalResult : public ModalTest, public ::testing::WithParamInterface<INT_PTR> {};

TEST_P(ModalResult, TimerEndsTheDialogWithTheChosenResult)
{
    TopWindow owner;
    ScriptDialog dlg(IDD_PLAIN, &owner);
    bool ownerDisabled = false;
    bool dialogVisible = false;
    HWND dialogOwner = nullptr;
    dlg.timerMs = 30;
    dlg.onTimer = [&](ScriptDialog& d, UINT_PTR) {
        ownerDisabled = !IsWindowEnabled(owner.m_hWnd);
        dialogVisible = IsWindowVisible(d.m_hWnd) != FALSE;
        dialogOwner = GetWindow(d.m_hWnd, GW_OWNER);
        d.EndDialog(GetParam());
    };
    EXPECT_EQ(GetParam(), dlg.DoModal());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(dialogVisible);
    EXPECT_EQ(owner.m_hWnd, dialogOwner);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
    EXPECT_EQ(owner.m_hWnd, GetActiveWindow());
}

INSTANTIATE_TEST_SUITE_P(Results, ModalResult, ::testing::Values(IDOK, IDCANCEL, 0, 42, -7));

struct KeyCase {
    WPARAM key;
    INT_PTR result;
};

class ModalKeys : public ModalTest, public ::testing::WithParamInterface<KeyCase> {};

// The dialog keys work inside our loop: Escape is Cancel, Enter the default button.
TEST_P(ModalKeys, DialogKeysEndTheDialog)
{
    ScriptDialog dlg(IDD_PLAIN);
    dlg.onInit = [](ScriptDialog& d) {
        HWND edit = d.GetDlgItem(IDC_EDIT);
        SetFocus(edit);
        PostMessageA(edit, WM_KEYDOWN, GetParam().key, 1);
        return FALSE;
    };
    EXPECT_EQ(GetParam().result, dlg.DoModal());
}

INSTANTIATE_TEST_SUITE_P(Keys, ModalKeys,
                         ::testing::Values(KeyCase{VK_ESCAPE, IDCANCEL}, KeyCase{VK_RETURN, IDOK}));

// A button of a dialog inside the modal one (a panel) pressed with Enter:
// the dialog manager tells the outer dialog, whose inner dialog must hear it
// as its own click, and the outer dialog's default button stays unpressed.
TEST_F(ModalTest, EnterOnAButtonOfAnInnerDialogIsThatDialogsClick)
{
    ScriptDialog outer(IDD_PLAIN);
    ScriptDialog inner(IDD_CHILD, &outer);
    outer.timerMs = 30;
    outer.onTimer = [&](ScriptDialog& d, UINT_PTR) {
        ASSERT_TRUE(inner.Create(IDD_CHILD));
        HWND button = inner.GetDlgItem(IDC_CHILD_BUTTON);
        // Moved there as Tab moves, which makes it the default-looking button.
        d.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
        ASSERT_EQ(button, GetFocus());
        PressKey(VK_RETURN);
        EXPECT_EQ(std::vector<UINT>{IDC_CHILD_BUTTON}, inner.clicks);
        EXPECT_EQ(0, std::count(d.clicks.begin(), d.clicks.end(), UINT(IDOK)));
        EXPECT_TRUE(IsWindowVisible(d.m_hWnd));
        PressKey(VK_ESCAPE);
    };
    EXPECT_EQ(IDCANCEL, outer.DoModal());
}

// With the focused control disabled no control has the focus, and the
// system gives the keys to the dialog as system keys: Tab brings the focus
// back, Escape still cancels.
TEST_F(ModalTest, WithoutAFocusTabAndEscapeStillWork)
{
    ScriptDialog dlg(IDD_PLAIN);
    int focusAfterTab = 0;
    // What the system posts for a key pressed without Alt while no window has the focus.
    auto systemKey = [](ScriptDialog& d, WPARAM key) {
        d.PostMessage(WM_SYSKEYDOWN, key, 1);
        d.PostMessage(WM_SYSKEYUP, key, static_cast<LPARAM>(0xC0000001u));
        PumpKeys();
    };
    auto loseFocus = [](ScriptDialog& d, int id) {
        HWND control = d.GetDlgItem(id);
        SetFocus(control);
        EnableWindow(control, FALSE);
        return GetFocus() == nullptr;
    };
    dlg.timerMs = 30;
    dlg.onTimer = [&](ScriptDialog& d, UINT_PTR) {
        ASSERT_TRUE(loseFocus(d, IDC_EDIT));
        systemKey(d, VK_TAB);
        focusAfterTab = GetDlgCtrlID(GetFocus());
        ASSERT_TRUE(loseFocus(d, IDC_BUTTON));
        systemKey(d, VK_ESCAPE);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    // The first control that can take it: the edit is disabled.
    EXPECT_EQ(IDC_BUTTON, focusAfterTab);
}

TEST_F(ModalTest, EndDialogDuringInitialisationNeverShowsTheDialog)
{
    ScriptDialog dlg(IDD_PLAIN);
    dlg.onInit = [](ScriptDialog& d) {
        d.EndDialog(12);
        return TRUE;
    };
    EXPECT_EQ(12, dlg.DoModal());
    EXPECT_TRUE(dlg.shows.empty());
}

TEST_F(ModalTest, MissingTemplateGivesMinusOneAndLeavesTheOwnerEnabled)
{
    TopWindow owner;
    ScriptDialog dlg(4321, &owner);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
}

TEST_F(ModalTest, WithoutParentTheMainWindowOwnsTheDialog)
{
    TopWindow main("Main");
    App().m_pMainWnd = &main;
    ScriptDialog dlg(IDD_PLAIN);
    HWND dialogOwner = nullptr;
    bool mainDisabled = false;
    dlg.onInit = [&](ScriptDialog& d) {
        dialogOwner = GetWindow(d.m_hWnd, GW_OWNER);
        mainDisabled = !IsWindowEnabled(main.m_hWnd);
        d.EndDialog(IDOK);
        return TRUE;
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(main.m_hWnd, dialogOwner);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(IsWindowEnabled(main.m_hWnd));
}

// --- The message filter inside a modal loop --------------------------------

TEST_F(ModalTest, FilterConsumesPostedInsertBeforeTheDialogSeesIt)
{
    int insertSeen = 0;
    int insertCode = -1;
    int f5Seen = 0;
    App().filter = [&](int code, MSG* msg) {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_F5) {
            ++f5Seen;
        }
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_INSERT) {
            ++insertSeen;
            insertCode = code;
            return TRUE;
        }
        return FALSE;
    };
    CWinApp::InstallFilterHook();
    ScriptDialog dlg(IDD_PLAIN);
    dlg.onInit = [](ScriptDialog& d) {
        d.PostMessage(WM_KEYDOWN, VK_INSERT, 0);
        d.PostMessage(WM_KEYDOWN, VK_F5, 0);
        d.PostMessage(WM_APP + 1);
        return TRUE;
    };
    dlg.onApp = [](ScriptDialog& d, UINT message, WPARAM, LPARAM) {
        if (message == WM_APP + 1) {
            d.EndDialog(IDOK);
        }
        return LRESULT(0);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, insertSeen);
    // Once: the hook does not offer it a second time from the dialog keys.
    EXPECT_EQ(1, f5Seen);
    EXPECT_EQ(MSGF_DIALOGBOX, insertCode);
    EXPECT_EQ(std::vector<WPARAM>{VK_F5}, dlg.keys);
}

// --- Nested loops and WM_QUIT ----------------------------------------------

TEST_F(ModalTest, NestedDialogsEndInnerFirstAndRestoreTheirOwners)
{
    TopWindow owner;
    ScriptDialog outer(IDD_PLAIN, &owner);
    std::vector<std::string> events;
    INT_PTR innerResult = -1;
    bool outerDisabled = false;
    bool ownerDisabled = false;
    bool outerEnabledAfter = false;
    bool outerActiveAfter = false;
    outer.timerMs = 20;
    outer.onTimer = [&](ScriptDialog& o, UINT_PTR) {
        ScriptDialog inner(IDD_PLAIN, &o);
        inner.timerMs = 20;
        inner.onTimer = [&](ScriptDialog& i, UINT_PTR) {
            outerDisabled = !IsWindowEnabled(o.m_hWnd);
            ownerDisabled = !IsWindowEnabled(owner.m_hWnd);
            events.push_back("inner ends");
            i.EndDialog(7);
        };
        events.push_back("inner starts");
        innerResult = inner.DoModal();
        events.push_back("inner returned");
        outerEnabledAfter = IsWindowEnabled(o.m_hWnd) != FALSE;
        outerActiveAfter = GetActiveWindow() == o.m_hWnd;
        o.EndDialog(5);
    };
    EXPECT_EQ(5, outer.DoModal());
    EXPECT_EQ(7, innerResult);
    EXPECT_EQ((std::vector<std::string>{"inner starts", "inner ends", "inner returned"}), events);
    EXPECT_TRUE(outerDisabled);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(outerEnabledAfter);
    EXPECT_TRUE(outerActiveAfter);
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
}

TEST_F(ModalTest, OuterDialogEndedFromInnerLoopEndsOnceInnerReturns)
{
    ScriptDialog outer(IDD_PLAIN);
    INT_PTR innerResult = -1;
    bool outerAliveAfterInner = false;
    outer.timerMs = 20;
    outer.onTimer = [&](ScriptDialog& o, UINT_PTR) {
        ScriptDialog inner(IDD_PLAIN, &o);
        inner.timerMs = 20;
        inner.onInit = [&](ScriptDialog&) {
            o.EndDialog(3);
            return TRUE;
        };
        inner.onTimer = [](ScriptDialog& i, UINT_PTR) { i.EndDialog(4); };
        innerResult = inner.DoModal();
        outerAliveAfterInner = o.IsWindow() != FALSE;
    };
    EXPECT_EQ(3, outer.DoModal());
    EXPECT_EQ(4, innerResult);
    EXPECT_TRUE(outerAliveAfterInner);
}

int TakeQuitMessages(WPARAM* code)
{
    int count = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        *code = msg.wParam;
        ++count;
    }
    return count;
}

TEST_F(ModalTest, QuitEndsTheLoopAndIsPostedAgain)
{
    TopWindow owner;
    ScriptDialog dlg(IDD_PLAIN, &owner);
    dlg.timerMs = 20;
    dlg.onTimer = [](ScriptDialog&, UINT_PTR) { PostQuitMessage(33); };
    EXPECT_EQ(0, dlg.DoModal());
    EXPECT_FALSE(dlg.IsWindow());
    EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
    WPARAM code = 0;
    EXPECT_EQ(1, TakeQuitMessages(&code));
    EXPECT_EQ(33u, code);
}

TEST_F(ModalTest, QuitInsideNestedLoopsEndsEveryLoop)
{
    ScriptDialog outer(IDD_PLAIN);
    INT_PTR innerResult = -1;
    bool outerGoesOn = false;
    outer.timerMs = 20;
    outer.onTimer = [&](ScriptDialog& o, UINT_PTR) {
        ScriptDialog inner(IDD_PLAIN, &o);
        inner.onInit = [](ScriptDialog& i) {
            i.PostMessage(WM_APP + 4);
            return TRUE;
        };
        inner.onApp = [](ScriptDialog&, UINT, WPARAM, LPARAM) {
            PostQuitMessage(8);
            return LRESULT(0);
        };
        innerResult = inner.DoModal();
        outerGoesOn = true;
    };
    EXPECT_EQ(0, outer.DoModal());
    EXPECT_EQ(0, innerResult);
    EXPECT_TRUE(outerGoesOn);
    WPARAM code = 0;
    EXPECT_EQ(1, TakeQuitMessages(&code));
    EXPECT_EQ(8u, code);
}

// --- Other threads ----------------------------------------------------------

TEST_F(ModalTest, ServesSendMessageFromAWorkerThread)
{
    ScriptDialog dlg(IDD_PLAIN);
    DWORD uiThread = GetCurrentThreadId();
    DWORD handlerThread = 0;
    LRESULT answer = 0;
    std::thread worker;
    dlg.onInit = [&](ScriptDialog& d) {
        HWND window = d.m_hWnd;
        worker = std::thread([window, &answer] {
            answer = SendMessageA(window, WM_APP + 2, 5, 0);
            PostMessageA(window, WM_APP + 3, 0, 0);
        });
        return TRUE;
    };
    dlg.onApp = [&](ScriptDialog& d, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        if (message == WM_APP + 2) {
            handlerThread = GetCurrentThreadId();
            return static_cast<LRESULT>(wParam * 11);
        }
        if (message == WM_APP + 3) {
            d.EndDialog(IDOK);
        }
        return 0;
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    worker.join();
    EXPECT_EQ(55, answer);
    EXPECT_EQ(uiThread, handlerThread);
}

// --- Showing ----------------------------------------------------------------

class ModalShow : public ModalTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(ModalShow, DialogThatHidesItselfStaysHidden)
{
    ScriptDialog dlg(GetParam());
    bool visibleInLoop = true;
    dlg.timerMs = 50;
    dlg.onInit = [](ScriptDialog& d) {
        d.ShowWindow(SW_HIDE);
        return TRUE;
    };
    dlg.onTimer = [&](ScriptDialog& d, UINT_PTR) {
        visibleInLoop = IsWindowVisible(d.m_hWnd) != FALSE;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_FALSE(visibleInLoop);
    for (BOOL shown : dlg.shows) {
        EXPECT_FALSE(shown);
    }
}

TEST_P(ModalShow, OtherDialogsAreShownAfterInitialisation)
{
    ScriptDialog dlg(GetParam());
    bool visibleInInit = true;
    bool visibleInLoop = false;
    dlg.timerMs = 50;
    dlg.onInit = [&](ScriptDialog& d) {
        visibleInInit = IsWindowVisible(d.m_hWnd) != FALSE;
        return TRUE;
    };
    dlg.onTimer = [&](ScriptDialog& d, UINT_PTR) {
        visibleInLoop = IsWindowVisible(d.m_hWnd) != FALSE;
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_FALSE(visibleInInit);
    EXPECT_TRUE(visibleInLoop);
}

INSTANTIATE_TEST_SUITE_P(Templates, ModalShow, ::testing::Values(IDD_PLAIN, IDD_VISIBLE));

// --- Modeless dialogs -------------------------------------------------------

TEST_F(ModalTest, ModelessDialogsComeFromTemplateIdOrName)
{
    ScriptDialog byId(IDD_VISIBLE);
    ASSERT_TRUE(byId.Create(IDD_VISIBLE));
    EXPECT_TRUE(IsWindowVisible(byId.m_hWnd));
    EXPECT_EQ(&byId, CWnd::FromHandle(byId.m_hWnd));
    byId.EndDialog(IDOK);
    EXPECT_TRUE(byId.IsWindow());
    EXPECT_FALSE(IsWindowVisible(byId.m_hWnd));

    ScriptDialog byName("IDDNAMED");
    ASSERT_TRUE(byName.Create("IDDNAMED"));
    char caption[32] = {};
    GetWindowTextA(byName.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ("Named", caption);
    EXPECT_FALSE(IsWindowVisible(byName.m_hWnd));

    ScriptDialog missing(4321);
    EXPECT_FALSE(missing.Create(4321));
    EXPECT_EQ(nullptr, missing.m_hWnd);
}

TEST_F(ModalTest, ChildDialogLivesInsideItsParent)
{
    ScriptDialog parent(IDD_PLAIN);
    ASSERT_TRUE(parent.Create(IDD_PLAIN));
    ScriptDialog child(IDD_CHILD, &parent);
    ASSERT_TRUE(child.Create(IDD_CHILD));
    EXPECT_EQ(parent.m_hWnd, GetParent(child.m_hWnd));
    EXPECT_TRUE(GetWindowLongA(child.m_hWnd, GWL_STYLE) & WS_CHILD);
    // Deleting the parent's window takes the child's with it; the child
    // object then holds no window.
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, child.m_hWnd);
}

} // namespace

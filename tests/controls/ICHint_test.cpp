#include "controls/ICHint.h"

#include "controls/WinUtil.h"
#include "GdiCount.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

namespace {

// What each test window answers to a hint query, by window; a window absent
// from the map answers nothing.
std::map<HWND, std::string>& Answers()
{
    static std::map<HWND, std::string> answers;
    return answers;
}

// The wParam of the last query each window saw.
std::map<HWND, WPARAM>& QueryParams()
{
    static std::map<HWND, WPARAM> params;
    return params;
}

LRESULT CALLBACK HintTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT hint = ICHint::GetHintMessage();
    if (hint != 0 && message == hint) {
        QueryParams()[window] = wParam;
        auto found = Answers().find(window);
        if (found == Answers().end()) {
            return 0;
        }
        return ICHint::AnswerHint(reinterpret_cast<ICHintInfo*>(lParam), found->second.c_str());
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* TargetClass()
{
    return TestWindowClass("KORVA.HintTarget", HintTargetProc);
}

RECT ScreenRect(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

bool OnScreen(HWND window)
{
    RECT r = ScreenRect(window);
    return r.right > 0 && r.bottom > 0;
}

void CursorTo(HWND window)
{
    RECT r = ScreenRect(window);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::string CurrentText(const ICHint& hint)
{
    return DProps::GetString(hint.GetCurrent().data, "text");
}

class ICHintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Topmost, so that windows of tests running beside this one never
        // come between the cursor and the hinted controls.
        host = CreateWindowExA(WS_EX_TOPMOST, TargetClass(), "Host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 420,
                               300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(host);
        first = Child(10, 10);
        second = Child(10, 100);
        silent = Child(10, 190);
        plain = CreateWindowExA(0, "STATIC", "plain", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 220, 10, 150, 60, host,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(plain);
        Answers()[first] = "First hint";
        Answers()[second] = "Second hint";
        settings.showDelay = 300;
        settings.displayTime = 900;
        hint = ICHint::Create(host, &settings);
        ASSERT_TRUE(hint);
        ASSERT_TRUE(hint->IsWindow());
        PumpWaiting();
    }
    void TearDown() override
    {
        delete hint;
        DestroyWindow(host);
        Answers().clear();
        QueryParams().clear();
        PumpWaiting();
    }
    HWND Child(int x, int y)
    {
        return CreateWindowExA(0, TargetClass(), "", WS_CHILD | WS_VISIBLE, x, y, 180, 80, host, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }

    HWND host = nullptr;
    HWND first = nullptr;
    HWND second = nullptr;
    HWND silent = nullptr;
    HWND plain = nullptr;
    ICHintSettings settings;
    ICHint* hint = nullptr;
};

// ---- Texts and the message --------------------------------------------------------

TEST(ICHintText, LongHintsAreCut)
{
    struct Case {
        size_t length;
        size_t shown;
        bool cut;
    } cases[] = {{0, 0, false}, {10, 10, false}, {196, 196, false}, {197, 196, true}, {200, 196, true}};
    for (const Case& c : cases) {
        std::string text(c.length, 'h');
        std::string shown = ICHint::CutHintText(text);
        EXPECT_EQ(c.shown, shown.size()) << c.length;
        if (c.cut) {
            EXPECT_EQ(std::string(193, 'h') + "...", shown);
        } else {
            EXPECT_EQ(text, shown);
        }
    }
}

TEST_F(ICHintTest, AnswerFillsTheRecord)
{
    ICHintInfo record;
    record.window = first;
    record.data.Set("head", "old head");
    EXPECT_EQ(1, ICHint::AnswerHint(&record, std::string(200, 'a').c_str()));
    EXPECT_EQ(std::string(193, 'a') + "...", DProps::GetString(record.data, "text"));
    EXPECT_EQ("", DProps::GetString(record.data, "head", "absent"));
    EXPECT_EQ("0", DProps::GetString(record.data, "dyna"));
    EXPECT_EQ(0, ICHint::AnswerHint(&record, ""));
    EXPECT_EQ(0, ICHint::AnswerHint(nullptr, "x"));
    // A record for a window that is gone is left alone.
    ICHintInfo stale;
    stale.window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0));
    EXPECT_EQ(0, ICHint::AnswerHint(&stale, "x"));
    EXPECT_EQ("absent", DProps::GetString(stale.data, "text", "absent"));
}

TEST_F(ICHintTest, HintWindowsShareOneRegisteredMessage)
{
    UINT message = ICHint::GetHintMessage();
    ASSERT_NE(0u, message);
    char name[64] = {};
    // Registered messages and clipboard formats share one name table.
    ASSERT_GT(GetClipboardFormatNameA(message, name, sizeof name), 0);
    EXPECT_EQ(0, strncmp(name, "WM_HINT_INFO_", 13)) << name;
    ICHint* other = ICHint::Create(nullptr, nullptr);
    EXPECT_EQ(message, ICHint::GetHintMessage());
    delete other;
    EXPECT_EQ(message, ICHint::GetHintMessage());
}

TEST_F(ICHintTest, CreatedOffScreenAsATopmostToolWindow)
{
    HWND popup = hint->GetSafeHwnd();
    EXPECT_TRUE(IsWindowVisible(popup));
    EXPECT_FALSE(OnScreen(popup));
    LONG ex = GetWindowLongA(popup, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(hint->IsEnabled());
    EXPECT_FALSE(hint->IsShown());
    // Polling is off until the owner enables it.
    CursorTo(first);
    hint->Poll();
    EXPECT_EQ(nullptr, hint->GetCurrent().window);
}

// ---- The registry ----------------------------------------------------------------

TEST_F(ICHintTest, RegistryKeepsHintsOfLiveWindowsOnly)
{
    EXPECT_FALSE(ICHint::SetWindowHint(nullptr, "x"));
    HWND temporary = Child(300, 200);
    ASSERT_TRUE(ICHint::SetWindowHint(temporary, "going"));
    ASSERT_TRUE(ICHint::SetWindowHint(plain, "one"));
    ASSERT_TRUE(ICHint::SetWindowHint(plain, "two"));
    EXPECT_EQ("two", ICHint::GetWindowHint(plain));
    EXPECT_EQ("going", ICHint::GetWindowHint(temporary));
    DestroyWindow(temporary);
    ICHint::PurgeWindowHints();
    EXPECT_EQ("", ICHint::GetWindowHint(temporary));
    EXPECT_EQ("two", ICHint::GetWindowHint(plain));
}

TEST_F(ICHintTest, RegisteredHintOfAWindowThatDoesNotAnswer)
{
    hint->Enable(1000);
    ICHint::SetWindowHint(plain, "Registered hint");
    CursorTo(plain);
    hint->Poll();
    EXPECT_EQ(plain, hint->GetCurrent().window);
    EXPECT_EQ("Registered hint", CurrentText(*hint));
    // The window itself was asked first, with the query's wParam.
    ICHint::SetWindowHint(silent, std::string(250, 'r').c_str());
    CursorTo(silent);
    hint->Poll();
    EXPECT_EQ(1u, QueryParams()[silent]);
    EXPECT_EQ(std::string(193, 'r') + "...", CurrentText(*hint));
}

TEST_F(ICHintTest, DollarEntryLetsAnotherWindowSupplyTheText)
{
    hint->Enable(1000);
    std::string redirect = "$" + std::to_string(reinterpret_cast<uintptr_t>(second));
    ICHint::SetWindowHint(plain, redirect.c_str());
    CursorTo(plain);
    hint->Poll();
    EXPECT_EQ(plain, hint->GetCurrent().window);
    EXPECT_EQ("Second hint", CurrentText(*hint));
    // The supplier learns which window the cursor is over.
    EXPECT_EQ(reinterpret_cast<WPARAM>(plain), QueryParams()[second]);

    // A supplier without a text leaves the entry itself as the hint.
    std::string quiet = "$" + std::to_string(reinterpret_cast<uintptr_t>(silent));
    ICHint::SetWindowHint(plain, quiet.c_str());
    hint->Poll();
    EXPECT_EQ(quiet, CurrentText(*hint));
}

// ---- Showing and hiding --------------------------------------------------------------

TEST_F(ICHintTest, AppearsAfterItsDelayAndHidesAfterItsTime)
{
    hint->Enable(20);
    CursorTo(first);
    ASSERT_TRUE(PumpUntil([&] { return hint->GetCurrent().window == first; }));
    // Found, but still waiting for its delay.
    DWORD showAt = hint->GetCurrent().showTime;
    DWORD hideAt = hint->GetCurrent().hideTime;
    EXPECT_EQ(900u, hideAt - showAt);
    EXPECT_FALSE(hint->IsShown());
    EXPECT_FALSE(OnScreen(hint->GetSafeHwnd()));
    EXPECT_NE(0u, showAt);
    EXPECT_EQ("First hint", CurrentText(*hint));

    ASSERT_TRUE(PumpUntil([&] { return hint->IsShown(); }));
    EXPECT_GE(static_cast<LONG>(GetTickCount() - showAt), 0);
    HWND popup = hint->GetSafeHwnd();
    EXPECT_TRUE(OnScreen(popup));
    POINT cursor;
    GetCursorPos(&cursor);
    RECT r = ScreenRect(popup);
    EXPECT_EQ(cursor.x + 15, r.left);
    EXPECT_EQ(cursor.y + 5, r.top);
    RECT layout = hint->GetLayout();
    EXPECT_EQ(layout.right, r.right - r.left);
    EXPECT_EQ(layout.bottom, r.bottom - r.top);

    // The cursor stays, yet the display time ends it.
    ASSERT_TRUE(PumpUntil([&] { return !hint->IsShown(); }));
    EXPECT_GE(static_cast<LONG>(GetTickCount() - hideAt), 0);
    EXPECT_FALSE(OnScreen(popup));
    EXPECT_TRUE(IsWindowVisible(popup));
    // And it does not come back while the cursor rests on the same spot.
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start > 400; });
    EXPECT_FALSE(hint->IsShown());
    EXPECT_EQ(first, hint->GetCurrent().window);
}

TEST_F(ICHintTest, FollowsTheCursorAndLeavesWithIt)
{
    settings.displayTime = 0;
    delete hint;
    hint = ICHint::Create(host, &settings);
    hint->Enable(20);
    CursorTo(first);
    ASSERT_TRUE(PumpUntil([&] { return hint->IsShown(); }));
    RECT r = ScreenRect(first);
    SetCursorPos(r.left + 20, r.top + 20);
    ASSERT_TRUE(PumpUntil([&] { return ScreenRect(hint->GetSafeHwnd()).left == r.left + 35; }));
    EXPECT_EQ(r.top + 25, ScreenRect(hint->GetSafeHwnd()).top);
    // No display time: still there after the default would have passed.
    EXPECT_EQ(0u, hint->GetCurrent().hideTime);

    CursorTo(silent);
    ASSERT_TRUE(PumpUntil([&] { return !hint->IsShown(); }));
    EXPECT_FALSE(OnScreen(hint->GetSafeHwnd()));
    EXPECT_EQ(nullptr, hint->GetCurrent().window);
    EXPECT_EQ("", CurrentText(*hint));
}

TEST_F(ICHintTest, MovingToAnotherHintSwitchesAtOnce)
{
    hint->Enable(1000);
    CursorTo(first);
    hint->Poll();
    ASSERT_TRUE(PumpUntil([&] {
        hint->Poll();
        return hint->IsShown();
    }));
    CursorTo(second);
    hint->Poll();
    EXPECT_TRUE(hint->IsShown());
    EXPECT_EQ(second, hint->GetCurrent().window);
    EXPECT_EQ("Second hint", CurrentText(*hint));
    EXPECT_EQ(0u, hint->GetCurrent().showTime);
}

TEST_F(ICHintTest, LongerTextsMakeALargerPopup)
{
    hint->Enable(1000);
    CursorTo(first);
    hint->Poll();
    RECT small = hint->GetLayout();
    Answers()[second] = "A considerably longer hint text than the first one";
    CursorTo(second);
    hint->Poll();
    RECT large = hint->GetLayout();
    EXPECT_EQ(0, small.left);
    EXPECT_EQ(0, small.top);
    EXPECT_GT(large.right, small.right);
    EXPECT_EQ(large.bottom, small.bottom);
    // Measured while hidden, the popup waits far off screen at its new size.
    RECT r = ScreenRect(hint->GetSafeHwnd());
    EXPECT_EQ(large.right, r.right - r.left);
    EXPECT_EQ(-(large.right) - 2000, r.left);
}

// A window at the bottom-right corner of the work area with a hint of its own.
TEST_F(ICHintTest, StaysInsideTheWorkAreaNearItsCorner)
{
    RECT area;
    WinGetWorkAreaAt(0, 0, &area);
    HWND corner = CreateWindowExA(WS_EX_TOPMOST, TargetClass(), "", WS_POPUP | WS_VISIBLE, area.right - 40,
                                  area.bottom - 40, 40, 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(corner);
    Answers()[corner] = "A hint that needs some room on the screen";
    hint->Enable(1000);
    SetCursorPos(area.right - 5, area.bottom - 5);
    ASSERT_TRUE(PumpUntil([&] {
        hint->Poll();
        return hint->IsShown();
    }));
    RECT r = ScreenRect(hint->GetSafeHwnd());
    EXPECT_LE(r.right, area.right);
    EXPECT_LE(r.bottom, area.bottom);
    EXPECT_GE(r.left, area.left);
    // Above the cursor.
    EXPECT_LT(r.bottom, area.bottom - 5);
    DestroyWindow(corner);
}

TEST_F(ICHintTest, PaintsItsBackgroundAndBorder)
{
    hint->Enable(1000);
    CursorTo(first);
    ASSERT_TRUE(PumpUntil([&] {
        hint->Poll();
        return hint->IsShown();
    }));
    HWND popup = hint->GetSafeHwnd();
    UpdateWindow(popup);
    PumpWaiting();
    HDC dc = GetDC(popup);
    RECT client;
    GetClientRect(popup, &client);
    EXPECT_EQ(0x8CA0C8u, GetPixel(dc, 0, client.bottom / 2));
    EXPECT_EQ(0x8CA0C8u, GetPixel(dc, client.right / 2, 0));
    EXPECT_EQ(0x5064A0u, GetPixel(dc, client.right - 1, client.bottom / 2));
    EXPECT_EQ(0x5064A0u, GetPixel(dc, client.right / 2, client.bottom - 1));
    EXPECT_EQ(0xF0FFFFu, GetPixel(dc, 1, 1));
    ReleaseDC(popup, dc);
}

TEST_F(ICHintTest, NoGdiObjectsLeftBehind)
{
    settings.showDelay = 0;
    auto cycle = [&] {
        ICHint* h = ICHint::Create(host, &settings);
        h->Enable(1000);
        CursorTo(first);
        h->Poll();
        h->Poll();
        EXPECT_TRUE(h->IsShown());
        RedrawWindow(h->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        CursorTo(second);
        h->Poll();
        RedrawWindow(h->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        CursorTo(silent);
        h->Poll();
        delete h;
        PumpWaiting();
    };
    cycle();
    DWORD before = GdiObjectCount();
    for (int i = 0; i < 10; ++i) {
        cycle();
    }
    EXPECT_EQ(before, GdiObjectCount());
    // The count does see a leak.
    HPEN leak = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(before + 1, GdiObjectCount());
    DeleteObject(leak);
}

} // namespace

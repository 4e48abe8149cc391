#include "controls/ICTab.h"

#include "controls/ICHint.h"
#include "DcFixture.h"
#include "GdiCount.h"
#include "HostDialog.h"
#include "TestWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr COLORREF kPen = RGB(0xFF, 0, 0);
constexpr COLORREF kAround = RGB(0, 0x80, 0);
constexpr COLORREF kBack = RGB(0xFF, 0xFF, 0xC0);
constexpr COLORREF kTab = RGB(0xC0, 0xC0, 0xFF);
constexpr COLORREF kSelected = RGB(0xFF, 0xFF, 0xFF);

long Key(const DProps& bag, const char* key)
{
    return DProps::GetLong(bag, key, -999);
}

LPARAM Point(long x, long y)
{
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// A strip of four tabs on the host dialog's template button.
class ICTabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.Open());
        button = host.GetDlgItem(IDC_TAB_STRIP);
        ASSERT_TRUE(button);
        tab = std::make_unique<ICTab>(button);
        tab->AddTab("Stock", "Stock lengths");
        tab->AddTab("Parts", "Required parts");
        tab->AddTab("Results", "");
        tab->AddTab("Options", "Calculation options");
        tab->Layout();
        PumpWaiting();
        host.notices.clear();
    }
    void TearDown() override
    {
        tab.reset();
        PumpWaiting();
    }

    long Height() const { return tab->GetRect().bottom - tab->GetRect().top; }
    const DProps& At(long i) { return tab->GetTabs()[static_cast<size_t>(i)]; }
    // x of the middle of a tab in client coordinates.
    long MiddleOf(long i)
    {
        return Key(tab->GetStripStyle(), "offset") + Key(At(i), "pos") + Key(At(i), "width") / 2;
    }

    void SetColours()
    {
        DProps& style = tab->GetStripStyle();
        style.SetLong("color.pen", static_cast<long>(kPen));
        style.SetLong("color.brush.around", static_cast<long>(kAround));
        style.SetLong("color.brush.back", static_cast<long>(kBack));
        style.SetLong("color.brush.tab", static_cast<long>(kTab));
        style.SetLong("color.brush.selected", static_cast<long>(kSelected));
        tab->Layout();
    }

    HostDialog host{IDD_TAB_HOST};
    HWND button = nullptr;
    std::unique_ptr<ICTab> tab;
};

TEST_F(ICTabTest, ConstructionClearsTheTemplateTextAndSetsTheDefaults)
{
    char text[32] = "x";
    GetWindowTextA(button, text, sizeof text);
    EXPECT_STREQ("", text);
    const DProps& style = tab->GetStripStyle();
    EXPECT_EQ(4, Key(style, "gap"));
    EXPECT_EQ(0, Key(style, "selected"));
    EXPECT_EQ(20, Key(style, "offset"));
    EXPECT_EQ(1, Key(style, "bottom"));
    EXPECT_TRUE(tab->IsDoubleBuffered());
    EXPECT_EQ(IDC_TAB_STRIP, tab->GetId());
}

TEST_F(ICTabTest, TabsLieSideBySideEachAsWideAsItsCaptionAndTheGaps)
{
    const long g = 4;
    long x = 0;
    for (long i = 0; i < tab->GetTabCount(); ++i) {
        SCOPED_TRACE(i);
        const long textWidth = Key(At(i), "text.width");
        EXPECT_GT(textWidth, 0);
        EXPECT_EQ(1, textWidth % 2) << "caption widths are made odd";
        EXPECT_EQ(textWidth + 4 * g + 2, Key(At(i), "width"));
        EXPECT_EQ((Key(At(i), "width") - textWidth) / 2, Key(At(i), "text.pos"));
        EXPECT_EQ(x, Key(At(i), "pos"));
        x += Key(At(i), "width");
    }
    EXPECT_GT(Key(At(2), "text.width"), Key(At(1), "text.width")) << "Results is longer than Parts";
    const DProps& style = tab->GetStripStyle();
    const long h = Height();
    EXPECT_EQ(g, Key(style, "line.upper"));
    EXPECT_EQ(h - (2 * g + 1), Key(style, "line.base"));
    EXPECT_EQ(h - g, Key(style, "line.lower"));
    EXPECT_EQ(g / 2, Key(style, "line.offs"));
    EXPECT_EQ(tab->GetRect().left + 2 * g + x, Key(style, "line.right"));
}

TEST_F(ICTabTest, LayoutFollowsGapFixedWidthsAndNewCaptions)
{
    tab->GetStripStyle().SetLong("gap", 2);
    tab->GetTabs()[0].SetLong("width", 90);
    const long before = Key(At(1), "width");
    tab->GetTabs()[1].Set("text", "Parts and more parts");
    tab->Layout();
    EXPECT_EQ(90, Key(At(0), "width")) << "a width the owner set stays";
    EXPECT_EQ(90, Key(At(1), "pos"));
    EXPECT_GT(Key(At(1), "width"), before) << "a longer caption widens a laid-out tab";
    EXPECT_EQ(Key(At(1), "text.width") + 4 * 2 + 2, Key(At(1), "width"));
    EXPECT_EQ(1, Key(tab->GetStripStyle(), "line.offs")) << "gaps below 3 offset by 1";
}

TEST_F(ICTabTest, ClickOnTheSecondTabSelectsItAndTellsTheParent)
{
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(MiddleOf(1), Height() / 2));
    EXPECT_EQ(1, tab->GetSelected());
    ASSERT_EQ(1u, host.notices.size());
    const HostNotice& n = host.notices[0];
    EXPECT_EQ(static_cast<UINT>(IDC_TAB_STRIP), n.id);
    EXPECT_EQ(1002u, n.code);
    ASSERT_TRUE(n.hadBag);
    EXPECT_EQ(1, n.tab);
    EXPECT_EQ("tab", n.type);
    EXPECT_EQ("WM_COMMAND", n.msg);
    EXPECT_EQ(IDC_TAB_STRIP, n.bagId);
}

TEST_F(ICTabTest, ClicksOutsideEveryTabDoNothing)
{
    const long right = MiddleOf(3) + Key(At(3), "width");
    const struct {
        long x, y;
        const char* where;
    } cases[] = {
        {5, Height() / 2, "left of the offset"},
        {MiddleOf(1), Height() + 3, "below the control"},
        {MiddleOf(1), -2, "above the control"},
        {right, Height() / 2, "right of the last tab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
        EXPECT_EQ(0, tab->GetSelected());
        EXPECT_TRUE(host.notices.empty());
        EXPECT_EQ(-1, tab->HitTest(c.x, c.y));
    }
    EXPECT_EQ(2, tab->HitTest(MiddleOf(2), 0));
}

TEST_F(ICTabTest, TopLimitsHitsAndSpareTheRaisedSelectedTab)
{
    tab->GetStripStyle().SetLong("top", 6);
    EXPECT_EQ(-1, tab->HitTest(MiddleOf(1), 4));
    EXPECT_EQ(1, tab->HitTest(MiddleOf(1), 6));
    EXPECT_EQ(0, tab->HitTest(MiddleOf(0), 3)) << "the selected tab reaches 3 pixels higher";
    EXPECT_EQ(-1, tab->HitTest(MiddleOf(0), 2));
}

TEST_F(ICTabTest, SelectRefusesIndicesBeyondTheTabs)
{
    EXPECT_EQ(-1, tab->Select(7, true));
    EXPECT_EQ(-1, tab->Select(4, true));
    EXPECT_EQ(-1, tab->Select(-1, true));
    EXPECT_EQ(0, tab->GetSelected());
    EXPECT_TRUE(host.notices.empty());

    EXPECT_EQ(3, tab->Select(3, false));
    EXPECT_EQ(3, tab->GetSelected());
    EXPECT_TRUE(host.notices.empty()) << "the owner's own selection tells nobody";
    EXPECT_EQ(2, tab->Select(2, true));
    ASSERT_EQ(1u, host.notices.size());
    EXPECT_EQ(2, host.notices[0].tab);
}

TEST_F(ICTabTest, CornerColourOfTheOwnerSurvivesLayout)
{
    EXPECT_EQ(0xC3C3C3, Key(tab->GetStripStyle(), "color.tab.corner"));
    EXPECT_EQ(0xFAFAFA, Key(tab->GetStripStyle(), "color.brush.tab"));
    tab->GetStripStyle().SetLong("color.tab.corner", 0x123456);
    tab->GetStripStyle().SetLong("color.brush.tab", 0x654321);
    tab->Layout();
    EXPECT_EQ(0x123456, Key(tab->GetStripStyle(), "color.tab.corner"));
    EXPECT_EQ(0x654321, Key(tab->GetStripStyle(), "color.brush.tab"));
}

TEST_F(ICTabTest, PaintingRaisesTheSelectedTabAndMergesItWithThePageBelow)
{
    SetColours();
    const long h = Height();
    const long upper = Key(tab->GetStripStyle(), "line.upper");
    RECT client;
    GetClientRect(button, &client);
    TestCanvas canvas(client.right, client.bottom);
    ASSERT_TRUE(tab->Paint(canvas.dc(), nullptr));

    // x just inside each tab's left edge, clear of the centred caption.
    auto inside = [&](long i) { return Key(tab->GetStripStyle(), "offset") + Key(At(i), "pos") + 3; };
    EXPECT_EQ(kBack, canvas.At(5, h / 2)) << "strip background";
    EXPECT_EQ(kPen, canvas.At(5, h - 1)) << "base line";
    EXPECT_EQ(kSelected, canvas.At(inside(0), upper - 1)) << "selected tab raised by 3";
    EXPECT_EQ(kBack, canvas.At(inside(1), upper - 1)) << "unselected tab not raised";
    EXPECT_EQ(kTab, canvas.At(inside(1), upper + 3));
    EXPECT_EQ(kPen, canvas.At(inside(1), h - 1)) << "base line under an unselected tab";
    EXPECT_EQ(kSelected, canvas.At(inside(0), h - 1)) << "selected tab open towards the page";
    EXPECT_EQ(kAround, canvas.At(Key(tab->GetStripStyle(), "offset") + Key(At(1), "pos"), upper + 4))
        << "tab outline";

    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(MiddleOf(1), h / 2));
    canvas.Clear();
    ASSERT_TRUE(tab->Paint(canvas.dc(), nullptr));
    EXPECT_EQ(kSelected, canvas.At(inside(1), upper - 1)) << "the clicked tab is raised now";
    EXPECT_EQ(kBack, canvas.At(inside(0), upper - 1));
}

TEST_F(ICTabTest, TheCommentIsDrawnRightOfTheTabsWhenThereIsRoom)
{
    SetColours();
    RECT client;
    GetClientRect(button, &client);
    const long lastRight = MiddleOf(3) + Key(At(3), "width") / 2 + 2;
    // Marks in the comment's area, above the base line.
    auto marks = [&](TestCanvas& canvas) {
        int n = 0;
        for (int y = 0; y < client.bottom - 1; ++y)
            for (int x = lastRight + 10; x < client.right - 5; ++x)
                n += canvas.At(x, y) != kBack;
        return n;
    };
    TestCanvas plain(client.right, client.bottom);
    ASSERT_TRUE(tab->Paint(plain.dc(), nullptr));
    EXPECT_EQ(0, marks(plain));

    tab->GetStripStyle().Set("comment", "Three materials");
    TestCanvas commented(client.right, client.bottom);
    ASSERT_TRUE(tab->Paint(commented.dc(), nullptr));
    EXPECT_GT(marks(commented), 0);
}

TEST_F(ICTabTest, HintsOfTabsAndOfTheComment)
{
    std::unique_ptr<ICHint> hint(ICHint::Create(host.m_hWnd, nullptr));
    const UINT message = ICHint::GetHintMessage();
    ASSERT_NE(0u, message);
    tab->GetStripStyle().Set("comment", "Note");
    tab->GetStripStyle().Set("comment.hint", "About the note");
    RECT client;
    GetClientRect(button, &client);

    const struct {
        long x;
        LRESULT answer;
        const char* text;
    } cases[] = {
        {MiddleOf(1), 1, "Required parts"},
        {MiddleOf(3), 1, "Calculation options"},
        {MiddleOf(2), 0, ""},                        // a tab without hint
        {client.right - 6, 1, "About the note"},     // over the comment
        {5, 0, ""},                                  // nothing there
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        ICHintInfo record;
        record.window = button;
        record.point = POINT{c.x, client.bottom / 2};
        EXPECT_EQ(c.answer, SendMessageA(button, message, ICHint::QueryParam, reinterpret_cast<LPARAM>(&record)));
        if (c.answer) {
            EXPECT_EQ(c.text, DProps::GetString(record.data, "text", ""));
        }
    }
    EXPECT_EQ(0, SendMessageA(button, message, ICHint::QueryParam, 0));
}

TEST_F(ICTabTest, DetachDropsTabsAndCachedObjects)
{
    EXPECT_NE(nullptr, tab->GetCachedObject("pen"));
    tab->Detach();
    EXPECT_EQ(0, tab->GetTabCount());
    EXPECT_EQ(nullptr, tab->GetCachedObject("pen"));
    EXPECT_EQ(nullptr, tab->GetCachedObject("brush.selected"));
}

TEST_F(ICTabTest, LayoutPaintAndDestructionLeaveNoGdiObjectsBehind)
{
    SetColours();
    RECT client;
    GetClientRect(button, &client);
    auto cycle = [&]() {
        ICTab strip(button);
        strip.AddTab("One");
        strip.AddTab("Two");
        for (int i = 0; i < 3; ++i)
            strip.Layout();
        TestCanvas canvas(client.right, client.bottom);
        strip.Paint(canvas.dc(), nullptr);
        strip.Paint(nullptr, nullptr);
    };
    tab.reset();
    cycle();
    const DWORD before = GdiObjectCount();
    for (int i = 0; i < 5; ++i)
        cycle();
    EXPECT_EQ(before, GdiObjectCount());
}

} // namespace

#include "controls/WinUtil.h"

#include "GdiCount.h"
#include "TestWindows.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const char* TestClass()
{
    return TestWindowClass("KORVA.WinUtilTest", DefWindowProcA);
}

long Width(const RECT& r) { return r.right - r.left; }
long Height(const RECT& r) { return r.bottom - r.top; }

HWND MakeTop(int x, int y, int width, int height, DWORD style = WS_OVERLAPPEDWINDOW)
{
    return CreateWindowExA(0, TestClass(), "Test", style, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

HWND MakeChild(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h)
{
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

enum { IdRadio1 = 101, IdRadio2, IdRadio3, IdCheck = 110, IdCombo = 120, IdList = 130, IdLabel = 140 };

// A dialog-like window with the controls the utilities work on.
class WinUtilTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        dialog = MakeTop(100, 100, 500, 400, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        ASSERT_TRUE(dialog);
        for (int i = 0; i < 3; ++i) {
            MakeChild(dialog, "BUTTON", "radio", BS_RADIOBUTTON, IdRadio1 + i, 10, 10 + 25 * i, 100, 20);
        }
        MakeChild(dialog, "BUTTON", "check", BS_CHECKBOX, IdCheck, 10, 90, 100, 20);
        MakeChild(dialog, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, IdCombo, 10, 120, 150, 200);
        list = MakeChild(dialog, WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS, IdList, 200, 10, 250, 100);
        label = MakeChild(dialog, "STATIC", "", 0, IdLabel, 10, 160, 80, 20);
        ASSERT_TRUE(list);
        ASSERT_TRUE(label);
        PumpWaiting();
    }
    void TearDown() override
    {
        if (dialog) {
            DestroyWindow(dialog);
        }
        PumpWaiting();
    }

    HWND dialog = nullptr;
    HWND list = nullptr;
    HWND label = nullptr;
};

bool Checked(HWND dialog, int id)
{
    return (SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) & 1) != 0;
}

// ---- Geometry -------------------------------------------------------------------

TEST_F(WinUtilTest, RectInParentIsInClientCoordinates)
{
    RECT r;
    ASSERT_TRUE(WinGetRectInParent(list, &r));
    EXPECT_EQ(200, r.left);
    EXPECT_EQ(10, r.top);
    EXPECT_EQ(250, Width(r));
    EXPECT_EQ(100, Height(r));
    EXPECT_FALSE(WinGetRectInParent(list, nullptr));
    EXPECT_FALSE(WinGetRectInParent(nullptr, &r));
    HWND orphan = MakeTop(0, 0, 50, 50);
    EXPECT_FALSE(WinGetRectInParent(orphan, &r));
    DestroyWindow(orphan);
}

TEST_F(WinUtilTest, SizeIsPackedHeightOverWidth)
{
    EXPECT_EQ((100L << 16) | 250L, WinGetSize(list));
    EXPECT_EQ(250, WinPackedWidth(WinGetSize(list)));
    EXPECT_EQ(100, WinPackedHeight(WinGetSize(list)));
    EXPECT_EQ(0, WinGetSize(nullptr));
}

TEST_F(WinUtilTest, MatchWidthAndPlaceBeside)
{
    HWND combo = GetDlgItem(dialog, IdCombo);
    RECT before;
    WinGetRectInParent(label, &before);
    ASSERT_TRUE(WinMatchWidth(list, label));
    RECT after;
    WinGetRectInParent(label, &after);
    EXPECT_EQ(250, Width(after));
    EXPECT_EQ(Height(before), Height(after));
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);

    ASSERT_TRUE(WinPlaceBeside(list, combo));
    RECT beside;
    WinGetRectInParent(combo, &beside);
    EXPECT_EQ(450, beside.left);
    EXPECT_EQ(9, beside.top);
    EXPECT_EQ(150, Width(beside));
    EXPECT_FALSE(WinMatchWidth(list, nullptr));
    EXPECT_FALSE(WinPlaceBeside(nullptr, combo));
}

TEST_F(WinUtilTest, WorkAreaOfThePrimaryMonitor)
{
    RECT area;
    long size = WinGetWorkAreaAt(10, 10, &area);
    EXPECT_GT(Width(area), 0);
    EXPECT_GT(Height(area), 0);
    EXPECT_EQ(WinPackSize(Width(area), Height(area)), size);
    // A point off every monitor falls back to the primary one.
    RECT away;
    EXPECT_EQ(size, WinGetWorkAreaAt(-50000, -50000, &away));
    EXPECT_TRUE(EqualRect(&area, &away));
    RECT at;
    EXPECT_EQ(size, WinGetWorkArea(&at, dialog));
    RECT system;
    EXPECT_EQ(0, WinGetWorkArea(&system, nullptr));
    EXPECT_GT(Width(system), 0);
}

TEST_F(WinUtilTest, CursorInClientCoordinates)
{
    ASSERT_TRUE(SetCursorPos(150, 160));
    POINT screen = WinGetClientCursorPos(nullptr);
    EXPECT_EQ(150, screen.x);
    EXPECT_EQ(160, screen.y);
    POINT client = {0, 0};
    ClientToScreen(dialog, &client);
    POINT p = WinGetClientCursorPos(dialog);
    EXPECT_EQ(150 - client.x, p.x);
    EXPECT_EQ(160 - client.y, p.y);
}

TEST_F(WinUtilTest, CenterKeepsTheWindowInsideTheWorkArea)
{
    RECT area;
    WinGetWorkAreaAt(0, 0, &area);
    HWND top = MakeTop(0, 0, 300, 200);
    ASSERT_EQ(1, WinCenter(nullptr, top));
    RECT r;
    GetWindowRect(top, &r);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    EXPECT_NEAR((desk.left + desk.right) / 2, (r.left + r.right) / 2, 1);
    EXPECT_NEAR((desk.top + desk.bottom) / 2, (r.top + r.bottom) / 2, 1);

    // Centred on a reference near the bottom-right corner, it is pulled back in.
    HWND corner = MakeTop(area.right - 50, area.bottom - 50, 40, 40);
    ASSERT_EQ(1, WinCenter(corner, top));
    GetWindowRect(top, &r);
    EXPECT_EQ(area.right, r.right);
    EXPECT_EQ(area.bottom, r.bottom);
    EXPECT_EQ(0, WinCenter(nullptr, nullptr));
    DestroyWindow(corner);
    DestroyWindow(top);
}

TEST_F(WinUtilTest, CenteringAChildUsesItsParentsCoordinates)
{
    ASSERT_EQ(1, WinCenter(nullptr, label));
    RECT r, client;
    WinGetRectInParent(label, &r);
    GetClientRect(dialog, &client);
    RECT frame;
    GetWindowRect(dialog, &frame);
    // Centred on the parent's window rectangle, seen from its client area.
    POINT centre = {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
    ScreenToClient(dialog, &centre);
    EXPECT_NEAR(centre.x, (r.left + r.right) / 2, 1);
    EXPECT_NEAR(centre.y, (r.top + r.bottom) / 2, 1);
}

// ---- Dialog controls ----------------------------------------------------------------

TEST_F(WinUtilTest, RadioGroupChecksOneAndUnchecksTheRest)
{
    const int ids[] = {IdRadio1, IdRadio2, IdRadio3, 0};
    EXPECT_EQ(-1, DlgRadioGet(dialog, ids));
    EXPECT_EQ(3, DlgRadioSet(dialog, 1, ids));
    EXPECT_FALSE(Checked(dialog, IdRadio1));
    EXPECT_TRUE(Checked(dialog, IdRadio2));
    EXPECT_FALSE(Checked(dialog, IdRadio3));
    EXPECT_EQ(1, DlgRadioGet(dialog, ids));
    EXPECT_EQ(3, DlgRadioSet(dialog, 2, ids));
    EXPECT_EQ(2, DlgRadioGet(dialog, ids));
    EXPECT_FALSE(Checked(dialog, IdRadio2));
    // An index past the list leaves nothing checked.
    EXPECT_EQ(3, DlgRadioSet(dialog, 5, ids));
    EXPECT_EQ(-1, DlgRadioGet(dialog, ids));
    EXPECT_EQ(-1, DlgRadioSet(nullptr, 0, ids));
    EXPECT_EQ(-1, DlgRadioSet(dialog, 0, nullptr));
    EXPECT_EQ(-1, DlgRadioGet(nullptr, ids));
}

TEST_F(WinUtilTest, RadioWalkStopsAtAMissingControl)
{
    const int ids[] = {IdRadio1, 999, IdRadio3, 0};
    CheckDlgButton(dialog, IdRadio3, BST_CHECKED);
    EXPECT_EQ(1, DlgRadioSet(dialog, 0, ids));
    EXPECT_TRUE(Checked(dialog, IdRadio1));
    // Beyond the missing control nothing is touched or seen.
    EXPECT_TRUE(Checked(dialog, IdRadio3));
    const int tail[] = {IdRadio2, 999, IdRadio3, 0};
    EXPECT_EQ(-1, DlgRadioGet(dialog, tail));
}

TEST_F(WinUtilTest, CheckBoxModes)
{
    struct Case {
        long mode;
        long expected;
    } cases[] = {{1, 1}, {1, 1}, {2, 0}, {2, 1}, {0, 0}, {0, 0}, {7, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, DlgCheckSet(c.mode, dialog, IdCheck)) << "mode " << c.mode;
        EXPECT_EQ(c.expected, DlgCheckGet(dialog, IdCheck));
    }
    EXPECT_EQ(0, DlgCheckSet(1, dialog, 999));
    EXPECT_EQ(-1, DlgCheckSet(1, nullptr, IdCheck));
    EXPECT_EQ(-1, DlgCheckGet(nullptr, IdCheck));
}

TEST_F(WinUtilTest, ComboAddAndSelectByBeginning)
{
    EXPECT_EQ(0, DlgComboAdd(nullptr, "Alpha", dialog, IdCombo));
    EXPECT_EQ(1, DlgComboAdd("Be", "ta", dialog, IdCombo));
    EXPECT_EQ(2, DlgComboAdd("", "Gamma", dialog, IdCombo));
    EXPECT_EQ(-1, DlgComboAdd("x", "", dialog, IdCombo));
    EXPECT_EQ(-1, DlgComboAdd(nullptr, "y", nullptr, IdCombo));
    char text[32] = {};
    SendDlgItemMessageA(dialog, IdCombo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Beta", text);

    EXPECT_EQ(-1, DlgComboGetSel(dialog, IdCombo));
    EXPECT_EQ(1, DlgComboSelect(dialog, IdCombo, "Be"));
    EXPECT_EQ(1, DlgComboGetSel(dialog, IdCombo));
    EXPECT_EQ(2, DlgComboSelect(dialog, IdCombo, "gam"));
    EXPECT_EQ(-1, DlgComboSelect(dialog, IdCombo, "   "));
    EXPECT_EQ(-1, DlgComboSelect(dialog, IdCombo, nullptr));
    EXPECT_EQ(-1, DlgComboSelect(dialog, IdCombo, "Zeta"));
    EXPECT_EQ(-1, DlgComboGetSel(nullptr, IdCombo));
}

TEST_F(WinUtilTest, EnableChildProcReachesEveryChild)
{
    EnumChildWindows(dialog, EnableChildProc, 0);
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IdCheck)));
    EnumChildWindows(dialog, EnableChildProc, 5);
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IdRadio3)));
    EXPECT_TRUE(DlgRedrawItem(dialog, IdCheck));
    EXPECT_FALSE(DlgRedrawItem(dialog, 999));
    EXPECT_FALSE(DlgRedrawItem(nullptr, IdCheck));
}

// ---- List views -----------------------------------------------------------------

TEST_F(WinUtilTest, RowsCarryTheirIds)
{
    EXPECT_EQ(0, ListInsertColumn(list, 0, 80, "Name"));
    EXPECT_EQ(1, ListInsertColumn(list, 1, 80, ""));
    EXPECT_EQ(0, ListInsertColumn(nullptr, 0, 80, "x"));

    EXPECT_EQ(42, ListSetItem(list, 0, 0, "first", 42));
    long fresh = ListSetItem(list, 1, 0, "second", 0);
    EXPECT_NE(0, fresh);
    EXPECT_NE(42, fresh);
    // No id stored: the row's data reads 0, which is the failure answer.
    EXPECT_EQ(0, ListSetItem(list, 2, 0, "third", -1));
    EXPECT_EQ(3, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    // A cell of an existing row answers that row's id.
    EXPECT_EQ(fresh, ListSetItem(list, 1, 1, "cell", -1));
    EXPECT_EQ(0, ListSetItem(list, 7, 1, "none", -1));
    EXPECT_EQ(0, ListSetItem(nullptr, 0, 0, "x", 5));

    char buffer[64] = {};
    LVITEMA item = {};
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    ASSERT_TRUE(ListGetItem(0, list, 1, &item));
    EXPECT_STREQ("second", buffer);
    EXPECT_EQ(fresh, item.lParam);

    item.mask = LVIF_PARAM;
    item.lParam = 0;
    ASSERT_TRUE(ListGetItem(1, list, 1, &item));
    EXPECT_STREQ("cell", buffer);
    EXPECT_EQ(fresh, item.lParam);

    // Without LVIF_PARAM a cell leaves the caller's item data alone.
    item.mask = 0;
    item.lParam = 7;
    ASSERT_TRUE(ListGetItem(1, list, 0, &item));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(7, item.lParam);
    EXPECT_FALSE(ListGetItem(0, list, 9, &item));
    EXPECT_FALSE(ListGetItem(0, nullptr, 0, &item));
}

TEST_F(WinUtilTest, ItemTextIsCutToTheCallersBuffer)
{
    ListInsertColumn(list, 0, 80, "Name");
    ListSetItem(list, 0, 0, "abcdefghij", 3);
    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    char guard[4] = {'g', 'g', 'g', '\0'};
    LVITEMA item = {};
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    ASSERT_TRUE(ListGetItem(0, list, 0, &item));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_STREQ("ggg", guard);
}

TEST_F(WinUtilTest, SelectionMovesToOneRow)
{
    ListInsertColumn(list, 0, 80, "Name");
    for (int i = 0; i < 30; ++i) {
        ListSetItem(list, i, 0, "row", i + 1);
    }
    EXPECT_EQ(-1, ListGetSelected(list));
    EXPECT_EQ(3, ListSelect(list, 3, 0, 0));
    EXPECT_EQ(3, ListGetSelected(list));
    EXPECT_EQ(3, SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));

    // An index beyond the rows takes the fallback, and only it stays selected.
    EXPECT_EQ(5, ListSelect(list, 99, 5, 0));
    EXPECT_EQ(1, SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    EXPECT_EQ(5, ListGetSelected(list));
    EXPECT_EQ(-1, ListSelect(list, 99, 40, 0));
    EXPECT_EQ(-1, ListSelect(list, -1, -1, 0));
    EXPECT_EQ(5, ListGetSelected(list));

    // Modes 1 and 2 bring the row into view.
    for (long mode : {1L, 2L}) {
        long row = mode == 1 ? 29 : 0;
        EXPECT_EQ(row, ListSelect(list, row, 0, mode));
        RECT bounds = {LVIR_BOUNDS, 0, 0, 0}, client;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
        GetClientRect(list, &client);
        EXPECT_GE(bounds.top, client.top) << "mode " << mode;
        EXPECT_LE(bounds.bottom, client.bottom) << "mode " << mode;
    }
    EXPECT_EQ(-1, ListSelect(nullptr, 0, 0, 0));
    EXPECT_EQ(-1, ListGetSelected(nullptr));
}

// A list view whose rows report a chosen top edge and which records the
// scrolls it is asked for: the list view moves a newly focused row into view
// on its own on some systems, which would hide what ListSelect decides.
// Typing in a list of owner data: the search the list hands its owner.
TEST(ListFindOwnerRow, FindsTheRowAsTypingWould)
{
    const std::vector<std::string> cells = {"10", "12", "120", "Abc", "abd", "7"};
    const auto firstCell = [&cells](long row) { return cells[static_cast<size_t>(row)]; };
    const struct {
        const wchar_t* typed;
        UINT flags;
        int start;
        long row;
    } cases[] = {
        {L"12", LVFI_PARTIAL | LVFI_WRAP, 0, 1},
        {L"12", LVFI_PARTIAL | LVFI_WRAP, 2, 2},   // from the start row on
        {L"12", LVFI_PARTIAL | LVFI_WRAP, 3, 1},   // then from the top
        {L"12", LVFI_PARTIAL, 3, -1},              // unless the search wraps
        {L"ab", LVFI_PARTIAL | LVFI_WRAP, 0, 3},   // case aside
        {L"ABD", LVFI_STRING, 0, 4},
        {L"ab", LVFI_STRING, 0, -1},               // whole texts only
        {L"9", LVFI_PARTIAL | LVFI_WRAP, 0, -1},
        {L"7", LVFI_PARTIAL | LVFI_WRAP, 99, 5},   // a start beyond the rows is the top
        {L"10", LVFI_PARAM, 0, -1},                // no text to look for
    };
    for (const auto& c : cases) {
        NMLVFINDITEMW find = {};
        find.hdr.code = LVN_ODFINDITEMW;
        find.iStart = c.start;
        find.lvfi.flags = c.flags;
        find.lvfi.psz = c.typed;
        EXPECT_EQ(c.row, ListFindOwnerRow(reinterpret_cast<LPARAM>(&find), static_cast<long>(cells.size()), firstCell))
            << "typed " << c.start << "/" << c.flags;
    }
    // The ANSI notification alike.
    NMLVFINDITEMA find = {};
    find.hdr.code = LVN_ODFINDITEMA;
    find.lvfi.flags = LVFI_PARTIAL | LVFI_WRAP;
    find.lvfi.psz = "ab";
    find.iStart = 4;
    EXPECT_EQ(4, ListFindOwnerRow(reinterpret_cast<LPARAM>(&find), 6, firstCell));
    EXPECT_EQ(-1, ListFindOwnerRow(reinterpret_cast<LPARAM>(&find), 0, firstCell));
}

struct ScrollProbe {
    WNDPROC previous = nullptr;
    long rowTop = 0;
    std::vector<LPARAM> scrolls;
};
ScrollProbe* g_scrollProbe = nullptr;

LRESULT CALLBACK ScrollProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == LVM_GETITEMRECT) {
        RECT* r = reinterpret_cast<RECT*>(lParam);
        *r = RECT{0, g_scrollProbe->rowTop, 80, g_scrollProbe->rowTop + 14};
        return TRUE;
    }
    if (message == LVM_SCROLL) {
        g_scrollProbe->scrolls.push_back(lParam);
        return TRUE;
    }
    return CallWindowProcA(g_scrollProbe->previous, window, message, wParam, lParam);
}

TEST_F(WinUtilTest, ScrollingModeCountsARowJustBelowTheListAsBelow)
{
    ListInsertColumn(list, 0, 80, "Name");
    for (int i = 0; i < 30; ++i) {
        ListSetItem(list, i, 0, "row", i + 1);
    }
    RECT client;
    GetClientRect(list, &client);
    ScrollProbe probe;
    g_scrollProbe = &probe;
    probe.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ScrollProbeProc)));

    // A row inside the client area is only made visible.
    probe.rowTop = client.bottom - 1;
    EXPECT_EQ(4, ListSelect(list, 4, 0, 2));
    EXPECT_TRUE(probe.scrolls.empty());

    // A row starting exactly at the bottom edge lies below the client area:
    // the list first scrolls by its top and half the client height.
    probe.rowTop = client.bottom;
    EXPECT_EQ(4, ListSelect(list, 4, 0, 2));
    ASSERT_EQ(1u, probe.scrolls.size());
    EXPECT_EQ(client.bottom + client.bottom / 2, probe.scrolls[0]);

    // Mode 1 never scrolls first.
    probe.scrolls.clear();
    probe.rowTop = client.bottom + 40;
    EXPECT_EQ(4, ListSelect(list, 4, 0, 1));
    EXPECT_TRUE(probe.scrolls.empty());

    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(probe.previous));
    g_scrollProbe = nullptr;
}

TEST_F(WinUtilTest, FontsReachListAndHeader)
{
    HFONT font = CreateFontA(-17, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
    HFONT headFont = CreateFontA(-19, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
    ASSERT_TRUE(ListSetFonts(font, list, headFont));
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(reinterpret_cast<WPARAM>(font), static_cast<WPARAM>(SendMessageA(list, WM_GETFONT, 0, 0)));
    EXPECT_EQ(reinterpret_cast<WPARAM>(headFont), static_cast<WPARAM>(SendMessageA(header, WM_GETFONT, 0, 0)));
    // A null font leaves that one alone.
    ASSERT_TRUE(ListSetFonts(nullptr, list, nullptr));
    EXPECT_EQ(reinterpret_cast<WPARAM>(font), static_cast<WPARAM>(SendMessageA(list, WM_GETFONT, 0, 0)));
    EXPECT_FALSE(ListSetFonts(font, nullptr, headFont));
    DestroyWindow(list);
    DeleteObject(font);
    DeleteObject(headFont);
}

// ---- Texts, activation, enabling ---------------------------------------------------

// Counts WM_SETTEXT reaching a window.
int g_setTexts = 0;
WNDPROC g_labelProc = nullptr;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        ++g_setTexts;
    }
    return CallWindowProcA(g_labelProc, window, message, wParam, lParam);
}

TEST_F(WinUtilTest, SetTextSendsNothingForTheTextShown)
{
    g_labelProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    g_setTexts = 0;
    ASSERT_TRUE(WinSetText("Width", label, false, true));
    EXPECT_EQ(1, g_setTexts);
    ASSERT_TRUE(WinSetText("Width", label, false, true));
    EXPECT_EQ(1, g_setTexts);
    ASSERT_TRUE(WinSetText("", label, true, false));
    EXPECT_EQ(2, g_setTexts);
    EXPECT_EQ(0, GetWindowTextLengthA(label));
    EXPECT_FALSE(WinSetText("x", nullptr, false, false));
    SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_labelProc));
}

TEST_F(WinUtilTest, FittedTextEndsInEllipsis)
{
    const std::string longText = "A rather long caption that cannot fit into eighty pixels";
    ASSERT_TRUE(WinSetText(longText.c_str(), label, true, false));
    std::string shown = WinGetText(0, label, false).ToStdString();
    ASSERT_GT(shown.size(), 3u);
    EXPECT_EQ("...", shown.substr(shown.size() - 3));
    EXPECT_EQ(longText.substr(0, shown.size() - 3), shown.substr(0, shown.size() - 3));
    EXPECT_LT(shown.size(), longText.size());
    // Without fitting the whole text goes in.
    ASSERT_TRUE(WinSetText(longText.c_str(), label, false, false));
    EXPECT_EQ(longText, WinGetText(0, label, false).ToStdString());
}

TEST_F(WinUtilTest, FittingLeavesNoGdiObjectsBehind)
{
    HFONT font = CreateFontA(-13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    WinSetText("A caption long enough to need shortening here", label, true, false);
    DWORD before = GdiObjectCount();
    for (int i = 0; i < 10; ++i) {
        std::string text = "Another caption long enough to be shortened " + std::to_string(i);
        ASSERT_TRUE(WinSetText(text.c_str(), label, true, true));
    }
    PumpWaiting();
    EXPECT_EQ(before, GdiObjectCount());
    DestroyWindow(label);
    DeleteObject(font);
}

TEST_F(WinUtilTest, GetTextTrimsAndBounds)
{
    SetWindowTextA(label, "  padded  ");
    EXPECT_EQ("  padded  ", WinGetText(0, label, false).ToStdString());
    EXPECT_EQ("padded", WinGetText(-3, label, true).ToStdString());
    EXPECT_EQ("  pa", WinGetText(4, label, false).ToStdString());
    EXPECT_EQ("", WinGetText(0, nullptr, true).ToStdString());
    std::string big(1500, 'q');
    SetWindowTextA(label, big.c_str());
    EXPECT_EQ(1024, WinGetText(0, label, false).GetLength());
}

TEST_F(WinUtilTest, EnableChangesOnlyWhatDiffers)
{
    EXPECT_EQ(1, WinEnable(false, list));
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_EQ(1, WinEnable(false, list));
    EXPECT_FALSE(IsWindowEnabled(list));
    EXPECT_EQ(1, WinEnable(true, list));
    EXPECT_TRUE(IsWindowEnabled(list));
    EXPECT_EQ(0, WinEnable(true, nullptr));
}

TEST_F(WinUtilTest, ActivateRestoresAnIconicWindow)
{
    ShowWindow(dialog, SW_MINIMIZE);
    PumpWaiting();
    ASSERT_TRUE(IsIconic(dialog));
    EXPECT_EQ(1, WinActivate(dialog));
    PumpWaiting();
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_EQ(0, WinActivate(nullptr));
}

// ---- Placement -----------------------------------------------------------------------

TEST(PlacementText, FieldsAndState)
{
    struct Case {
        const char* text;
        long state;
        RECT rect;
        long expectedState;
    } cases[] = {
        {"10,20,810,620,2", Placement::StateFromText, {10, 20, 810, 620}, 2},
        {"10,20,810,620", Placement::StateFromText, {10, 20, 810, 620}, 0},
        {"10,20,810,620,2", 0, {10, 20, 810, 620}, 0},
        {"-5,7", 1, {-5, 7, 0, 0}, 1},
        {"", Placement::StateFromText, {0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        Placement p;
        ASSERT_TRUE(p.FromText(c.text, c.state)) << c.text;
        EXPECT_TRUE(EqualRect(&c.rect, &p.rectangle)) << c.text;
        EXPECT_EQ(c.expectedState, p.state) << c.text;
    }
    Placement p;
    EXPECT_FALSE(p.FromText(nullptr, 0));
    EXPECT_EQ(Placement::Unset, p.state);
    EXPECT_EQ("0,0,0,0,-1", p.ToText());
    p.FromText("-10,20,810,620,1", Placement::StateFromText);
    EXPECT_EQ("-10,20,810,620,1", p.ToText());
}

TEST(PlacementClamp, UsableOnlyInsideTheScreen)
{
    RECT screen = {0, 0, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    struct Case {
        RECT stored;
        bool usable;
    } cases[] = {
        {{10, 20, 300, 200}, true},
        {{0, 0, screen.right, screen.bottom}, true},
        {{-1, 20, 300, 200}, false},
        {{10, -1, 300, 200}, false},
        {{10, 20, screen.right + 1, 200}, false},
        {{10, 20, 300, screen.bottom + 1}, false},
        {{10, 20, 10, 200}, false},
        {{10, 200, 300, 100}, false},
    };
    for (const Case& c : cases) {
        Placement p;
        p.rectangle = c.stored;
        RECT out, scr;
        EXPECT_EQ(c.usable, p.ClampToScreen(&out, &scr)) << c.stored.left << "," << c.stored.right;
        EXPECT_TRUE(EqualRect(&screen, &scr));
        if (c.usable) {
            EXPECT_TRUE(EqualRect(&c.stored, &out));
        } else {
            // No fallback yet: the stored rectangle moved to the origin becomes it.
            RECT moved = {0, 0, c.stored.right - c.stored.left, c.stored.bottom - c.stored.top};
            EXPECT_TRUE(EqualRect(&moved, &out));
            EXPECT_TRUE(EqualRect(&moved, &p.fallback));
        }
    }
    Placement p;
    p.rectangle = {-100, 0, 200, 100};
    p.fallback = {5, 6, 105, 106};
    RECT out;
    EXPECT_FALSE(p.ClampToScreen(&out, nullptr));
    RECT fallback = {5, 6, 105, 106};
    EXPECT_TRUE(EqualRect(&fallback, &out));
}

class PlacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = MakeTop(50, 50, 320, 240);
        ASSERT_TRUE(window);
    }
    void TearDown() override
    {
        DestroyWindow(window);
        PumpWaiting();
    }
    HWND window = nullptr;
};

TEST_F(PlacementTest, MaximisedWindowKeepsItsNormalRectangle)
{
    Placement p;
    ASSERT_TRUE(p.FromText("10,20,810,620,2", Placement::StateFromText));
    ASSERT_TRUE(p.Apply(window));
    PumpWaiting();
    EXPECT_TRUE(IsZoomed(window));
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    ASSERT_TRUE(GetWindowPlacement(window, &wp));
    RECT normal = {10, 20, 810, 620};
    EXPECT_TRUE(EqualRect(&normal, &wp.rcNormalPosition))
        << wp.rcNormalPosition.left << "," << wp.rcNormalPosition.top << "," << wp.rcNormalPosition.right << ","
        << wp.rcNormalPosition.bottom;
    EXPECT_EQ(Placement::Maximized, p.state);
}

TEST_F(PlacementTest, NormalWindowTakesTheStoredRectangle)
{
    Placement p;
    p.FromText("30,40,430,340,0", Placement::StateFromText);
    ASSERT_TRUE(p.Apply(window));
    RECT r;
    GetWindowRect(window, &r);
    RECT stored = {30, 40, 430, 340};
    EXPECT_TRUE(EqualRect(&stored, &r));
    EXPECT_EQ(Placement::Normal, p.state);
    EXPECT_FALSE(p.Apply(nullptr));
}

TEST_F(PlacementTest, RectangleLeftOfTheScreenOpensCentred)
{
    Placement p;
    p.FromText("-200,40,200,340,0", Placement::StateFromText);
    ASSERT_TRUE(p.Apply(window));
    RECT r, desk;
    GetWindowRect(window, &r);
    GetWindowRect(GetDesktopWindow(), &desk);
    EXPECT_EQ(320, Width(r));
    EXPECT_EQ(240, Height(r));
    EXPECT_NEAR((desk.left + desk.right) / 2, (r.left + r.right) / 2, 1);
    EXPECT_NEAR((desk.top + desk.bottom) / 2, (r.top + r.bottom) / 2, 1);
    EXPECT_EQ(Placement::Normal, p.state);
}

TEST_F(PlacementTest, RectangleLargerThanTheScreenGoesToTheOrigin)
{
    Placement p;
    std::string text = "-10,-10," + std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN) + 100) + ",500,0";
    p.FromText(text.c_str(), Placement::StateFromText);
    ASSERT_TRUE(p.Apply(window));
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_EQ(320, Width(r));
}

TEST_F(PlacementTest, UnsetPlacementCentresAndRemembers)
{
    Placement p;
    ASSERT_TRUE(p.Apply(window));
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_TRUE(EqualRect(&r, &p.rectangle));
    EXPECT_TRUE(EqualRect(&r, &p.fallback));
    EXPECT_EQ(Placement::Normal, p.state);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    EXPECT_NEAR((desk.left + desk.right) / 2, (r.left + r.right) / 2, 1);
}

TEST_F(PlacementTest, SizeAndMoveTrackTheNormalRectangle)
{
    Placement p;
    // A hidden window is not tracked.
    p.OnSize(window, SIZE_RESTORED);
    EXPECT_EQ(Placement::Unset, p.state);
    ShowWindow(window, SW_SHOWNORMAL);
    PumpWaiting();
    SetWindowPos(window, nullptr, 60, 70, 300, 200, SWP_NOZORDER);
    p.OnSize(window, SIZE_RESTORED);
    EXPECT_EQ(Placement::Normal, p.state);
    RECT normal = {60, 70, 360, 270};
    EXPECT_TRUE(EqualRect(&normal, &p.rectangle));
    EXPECT_EQ("60,70,360,270,0", p.ToText());

    ShowWindow(window, SW_MAXIMIZE);
    PumpWaiting();
    p.OnSize(window, SIZE_MAXIMIZED);
    p.OnMove(window);
    EXPECT_EQ(Placement::Maximized, p.state);
    EXPECT_TRUE(EqualRect(&normal, &p.rectangle));

    ShowWindow(window, SW_RESTORE);
    PumpWaiting();
    p.OnSize(window, SIZE_RESTORED);
    SetWindowPos(window, nullptr, 80, 90, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    p.OnMove(window);
    RECT moved = {80, 90, 380, 290};
    EXPECT_TRUE(EqualRect(&moved, &p.rectangle));

    // Saved and read back, it brings the window to the same place.
    Placement again;
    ASSERT_TRUE(again.FromText(p.ToText().c_str(), Placement::StateFromText));
    SetWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOZORDER);
    ASSERT_TRUE(again.Apply(window));
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_TRUE(EqualRect(&moved, &r));
}

} // namespace

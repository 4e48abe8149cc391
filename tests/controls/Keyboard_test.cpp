// The keyboard of dialogs made of wrapped controls, with keys pressed as a
// user presses them and taken by the loop's dialog manager: Tab and
// Shift+Tab walk the controls, lists included; a list keeps its arrows,
// Home/End and type-ahead; Enter presses the focused button or else the
// default one; Escape cancels; a control that is disabled while it has the
// focus hands it on; a tab strip moves with the arrows; Tab leaves a panel.
#include "classlib/CDialog.h"
#include "controls/ICButton.h"
#include "controls/ICList.h"
#include "controls/ICPanel.h"
#include "controls/ICTab.h"
#include "controls/WinUtil.h"
#include "DcFixture.h"
#include "HostDialog.h"
#include "TestWindows.h"
#include "resource.h"
#include "support/KeyPress.h"
#include "support/UiScript.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <vector>

namespace {

constexpr INT_PTR kStillOpen = -2;

int FocusId()
{
    return GetDlgCtrlID(GetFocus());
}

// A modal dialog whose list and push buttons are all wrapped, recording the
// commands and list notifications it receives.
class KeysDialog : public CDialog {
public:
    KeysDialog() : CDialog(IDD_KEYS) {}

    bool enterNotifies = false;
    std::vector<UINT> commands;
    int listReturns = 0;
    std::unique_ptr<ICList> list;
    std::vector<std::unique_ptr<ICButton>> buttons;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        list = std::make_unique<ICList>(GetDlgItem(IDC_KEYS_LIST));
        list->InsertColumn(200, "Name", nullptr);
        for (const char* name : {"Alpha", "Beta", "Gamma"})
            list->SetCell(list->GetRowCount(), 0, name, nullptr);
        list->SelectRow(0);
        list->SetEnterNotifies(enterNotifies);
        for (int id : {IDC_KEYS_APPLY, IDOK, IDCANCEL})
            buttons.push_back(std::make_unique<ICButton>(GetDlgItem(id), 0, nullptr));
        ::SetFocus(list->GetHwnd());
        return FALSE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (HIWORD(wParam) == BN_CLICKED)
            commands.push_back(LOWORD(wParam));
        return CDialog::OnCommand(wParam, lParam);
    }
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == IDC_KEYS_LIST && header->code == NM_RETURN)
            ++listReturns;
        return CDialog::OnNotify(wParam, lParam, result);
    }
};

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
    }
    // Runs the dialog modally; the action works it from inside its loop.
    INT_PTR Run(KeysDialog& dialog, const std::function<void(HWND)>& action)
    {
        UiScript script;
        DWORD acted = 0;
        script.OnWindow("Keys test", [&](HWND window) {
            action(window);
            acted = GetTickCount();
        });
        // Keys that should have ended the dialog but did not: a failure, not a hang.
        script.Then([&] { return GetTickCount() - acted > 3000; },
                    [&] {
                        ADD_FAILURE() << "the dialog was still open after the keys";
                        dialog.EndDialog(kStillOpen);
                    },
                    "the dialog's end");
        script.Start();
        const INT_PTR result = dialog.DoModal();
        EXPECT_EQ("", script.Failure());
        return result;
    }
};

TEST_F(KeyboardTest, WrappingKeepsTheKeysEachNativeControlTakes)
{
    HostDialog host(IDD_KEYS);
    ASSERT_TRUE(host.Open());
    for (int id : {IDC_KEYS_LIST, IDC_KEYS_APPLY, IDOK, IDCANCEL}) {
        SCOPED_TRACE(id);
        HWND window = host.GetDlgItem(id);
        const LRESULT native = SendMessageW(window, WM_GETDLGCODE, 0, 0);
        std::unique_ptr<ICControl> wrapped;
        if (id == IDC_KEYS_LIST)
            wrapped = std::make_unique<ICList>(window);
        else
            wrapped = std::make_unique<ICButton>(window, 0, nullptr);
        // Never every key: Tab, Enter and Escape stay the dialog's.
        EXPECT_EQ(native, SendMessageW(window, WM_GETDLGCODE, 0, 0));
        EXPECT_EQ(0, native & DLGC_WANTALLKEYS);
    }
    // A strip of tabs takes the arrows besides, to move between its tabs.
    HWND strip = host.GetDlgItem(IDC_KEYS_APPLY);
    const LRESULT native = SendMessageW(strip, WM_GETDLGCODE, 0, 0);
    ICTab tabs(strip);
    EXPECT_EQ(native | DLGC_WANTARROWS, SendMessageW(strip, WM_GETDLGCODE, 0, 0));
}

TEST_F(KeyboardTest, TabAndShiftTabWalkTheListAndTheButtons)
{
    KeysDialog dialog;
    std::vector<int> forward;
    std::vector<int> backward;
    const INT_PTR result = Run(dialog, [&](HWND) {
        forward.push_back(FocusId());
        for (int i = 0; i < 4; ++i) {
            PressKey(VK_TAB);
            forward.push_back(FocusId());
        }
        for (int i = 0; i < 2; ++i) {
            PressKey(VK_TAB, true);
            backward.push_back(FocusId());
        }
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ((std::vector<int>{IDC_KEYS_LIST, IDC_KEYS_APPLY, IDOK, IDCANCEL, IDC_KEYS_LIST}), forward);
    EXPECT_EQ((std::vector<int>{IDCANCEL, IDOK}), backward);
}

TEST_F(KeyboardTest, TheListKeepsItsArrowsHomeEndAndTypeAhead)
{
    KeysDialog dialog;
    std::vector<long> rows;
    Run(dialog, [&](HWND window) {
        HWND list = GetDlgItem(window, IDC_KEYS_LIST);
        PressKey(VK_DOWN);
        rows.push_back(ListGetSelected(list));
        PressKey(VK_END);
        rows.push_back(ListGetSelected(list));
        PressKey(VK_HOME);
        rows.push_back(ListGetSelected(list));
        TypeKeys("g");
        rows.push_back(ListGetSelected(list));
        EXPECT_EQ(IDC_KEYS_LIST, FocusId());
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ((std::vector<long>{1, 2, 0, 2}), rows);
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButtonElseTheDefaultOne)
{
    struct Case {
        int focus;        // 0: the list keeps the focus
        UINT key;
        INT_PTR result;   // how the dialog ends
        UINT command;     // the one command the key gave
    };
    const Case cases[] = {
        {0, VK_RETURN, IDOK, IDOK},
        {IDCANCEL, VK_RETURN, IDCANCEL, IDCANCEL},
        {0, VK_ESCAPE, IDCANCEL, IDCANCEL},
        {IDOK, VK_SPACE, IDOK, IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focus);
        SCOPED_TRACE(c.key);
        KeysDialog dialog;
        const INT_PTR result = Run(dialog, [&](HWND) {
            // The user tabs there: the dialog manager moves the default look too.
            for (int i = 0; c.focus && FocusId() != c.focus && i < 8; ++i)
                PressKey(VK_TAB);
            ASSERT_EQ(c.focus ? c.focus : IDC_KEYS_LIST, FocusId());
            PressKey(c.key);
        });
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(std::vector<UINT>{c.command}, dialog.commands);
    }

    // Enter on a button that does not end the dialog clicks it alone.
    KeysDialog dialog;
    Run(dialog, [&](HWND) {
        PressKey(VK_TAB);
        ASSERT_EQ(IDC_KEYS_APPLY, FocusId());
        PressKey(VK_RETURN);
        EXPECT_EQ(std::vector<UINT>{IDC_KEYS_APPLY}, dialog.commands);
        PressKey(VK_ESCAPE);
    });
}

TEST_F(KeyboardTest, EnterInAListThatWantsItIsTheListsOwn)
{
    KeysDialog dialog;
    dialog.enterNotifies = true;
    const INT_PTR result = Run(dialog, [&](HWND) {
        PressKey(VK_RETURN);
        EXPECT_EQ(1, dialog.listReturns);
        EXPECT_TRUE(dialog.commands.empty());
        // Elsewhere Enter is the dialog's again.
        PressKey(VK_TAB, true);
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(1, dialog.listReturns);
}

TEST_F(KeyboardTest, AButtonDisabledWithTheFocusHandsItToTheNextControl)
{
    KeysDialog dialog;
    const INT_PTR result = Run(dialog, [&](HWND window) {
        PressKey(VK_TAB);
        ASSERT_EQ(IDC_KEYS_APPLY, FocusId());
        WinEnable(false, GetDlgItem(window, IDC_KEYS_APPLY));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_KEYS_APPLY)));
        EXPECT_EQ(IDOK, FocusId());
        // The keys still work from there.
        PressKey(VK_TAB);
        EXPECT_EQ(IDCANCEL, FocusId());
        PressKey(VK_RETURN);
    });
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(KeyboardTest, AFocusedButtonShowsItsFocusFrame)
{
    HostDialog host(IDD_KEYS);
    ASSERT_TRUE(host.Open());
    HWND apply = host.GetDlgItem(IDC_KEYS_APPLY);
    SetWindowPos(apply, nullptr, 0, 0, 90, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ICButton button(apply, 0, nullptr);
    SetFocus(host.GetDlgItem(IDOK));
    TestCanvas unfocused(90, 30);
    ASSERT_TRUE(button.Paint(unfocused.dc(), nullptr));
    SetFocus(apply);
    ASSERT_EQ(apply, GetFocus());
    TestCanvas focused(90, 30);
    ASSERT_TRUE(button.Paint(focused.dc(), nullptr));
    // The frame runs 4 pixels inside the edge; the middle is the same.
    int frame = 0;
    for (int y = 8; y < 22; ++y)
        frame += focused.At(4, y) != unfocused.At(4, y) ? 1 : 0;
    EXPECT_GT(frame, 0);
    EXPECT_EQ(unfocused.At(45, 15), focused.At(45, 15));
}

TEST_F(KeyboardTest, TheArrowsMoveATabStripThatHasTheFocus)
{
    HostDialog host(IDD_TAB_HOST);
    ASSERT_TRUE(host.Open());
    ICTab tabs(host.GetDlgItem(IDC_TAB_STRIP));
    tabs.AddTab("First");
    tabs.AddTab("Second");
    tabs.AddTab("Third");
    tabs.Layout();
    SetActiveWindow(host.m_hWnd);
    SetFocus(tabs.GetHwnd());
    const struct {
        UINT key;
        long selected;
    } steps[] = {{VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_RIGHT, 2}, {VK_LEFT, 1}, {VK_LEFT, 0}, {VK_LEFT, 0}};
    std::vector<long> told;
    for (const auto& s : steps) {
        host.notices.clear();
        PressKey(s.key);
        EXPECT_EQ(s.selected, tabs.GetSelected());
        for (const HostNotice& n : host.notices)
            if (n.code == ICTab::NotifyCode)
                told.push_back(n.tab);
    }
    // The parent hears every move, as it hears a click, and nothing past the ends.
    EXPECT_EQ((std::vector<long>{1, 2, 1, 0}), told);
    EXPECT_EQ(tabs.GetHwnd(), GetFocus());
}

TEST_F(KeyboardTest, TabFromAMultiLineEditLeavesThePanelForTheWholeWindow)
{
    HostDialog host(IDD_KEY_PANEL_HOST);
    ASSERT_TRUE(host.Open());
    ICPanel* panel = ICPanel::CreateAsChild(new ICPanel(IDD_KEY_PANEL, &host, host.m_hWnd));
    ASSERT_NE(nullptr, panel);
    SetActiveWindow(host.m_hWnd);
    SetFocus(panel->GetDlgItem(IDC_KEYS_NOTES));
    ASSERT_EQ(IDC_KEYS_NOTES, FocusId());
    PressKey(VK_TAB);
    EXPECT_EQ(host.GetDlgItem(IDC_KEYS_AFTER), GetFocus());
    PressKey(VK_TAB, true);
    EXPECT_EQ(panel->GetDlgItem(IDC_KEYS_NOTES), GetFocus());
    delete panel;
}

} // namespace

#include "controls/RedrawSuspended.h"

#include "controls/ICList.h"
#include "HostDialog.h"
#include "TestWindows.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>

namespace {

int g_paints = 0;
WNDPROC g_listProc = nullptr;

// Counts the paints that reach the list view.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++g_paints;
    return CallWindowProcW(g_listProc, window, message, wParam, lParam);
}

// The host dialog's list view, shown, with one column and its paints counted.
class RedrawSuspendedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        ASSERT_TRUE(host.Open());
        ShowWindow(host.m_hWnd, SW_SHOW);
        view = host.GetDlgItem(IDC_LIST_VIEW);
        ASSERT_TRUE(view);
        list = std::make_unique<ICList>(view);
        ASSERT_TRUE(list->InsertColumn(80, "Name", nullptr));
        g_listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
        UpdateWindow(host.m_hWnd);
        PumpWaiting();
        g_paints = 0;
    }
    void TearDown() override
    {
        SetWindowLongPtrW(view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
        list.reset();
        PumpWaiting();
    }
    void Fill(int rows)
    {
        list->DeleteAllRows();
        for (int i = 0; i < rows; ++i)
            list->SetCell(i, 0, "row", nullptr);
    }

    HostDialog host{IDD_LIST_HOST};
    HWND view = nullptr;
    std::unique_ptr<ICList> list;
};

TEST_F(RedrawSuspendedTest, AListRefilledInsideTheScopeIsDrawnOnceWholeAfterIt)
{
    {
        RedrawSuspended quiet(view);
        Fill(40);
        UpdateWindow(view);
        PumpWaiting();
        EXPECT_EQ(0, g_paints);
    }
    RECT dirty = {};
    ASSERT_TRUE(GetUpdateRect(view, &dirty, FALSE));
    RECT client = {};
    GetClientRect(view, &client);
    EXPECT_TRUE(EqualRect(&dirty, &client));
    UpdateWindow(view);
    EXPECT_EQ(1, g_paints);
    EXPECT_EQ(40, ListView_GetItemCount(view));

    // Without the scope the list draws as the rows come.
    g_paints = 0;
    Fill(3);
    UpdateWindow(view);
    EXPECT_GE(g_paints, 1);
}

}  // namespace

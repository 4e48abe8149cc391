// The calculation progress dialogs: the current material's run and a
// processor task's run, each ending by itself with 1, stopped with 0, and at
// once with 0 when nothing could start.
#include "dialogs/DlgProgress.h"

#include <commctrl.h>

#include "support/CalculationOrders.h"
#include "support/DialogFixture.h"
#include "dialogs/DialogIds.h"
#include "document/AppEvents.h"
#include "foundation/WindowMessages.h"
#include "support/DialogDriving.h"

namespace {

const char* const kTitle = "Calculating...";

class ProgressDialogs : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        main.events.clear();
    }
    DCSProject& Material(long index) { return *App().Document().GetProject(index, false); }
    // The events the dialog raised itself.
    std::vector<std::pair<long, long>> EventsFrom(const void* sender) const
    {
        std::vector<std::pair<long, long>> out;
        for (const RecordedEvent& e : main.events)
            if (e.sender == sender)
                out.push_back({e.code, e.argument});
        return out;
    }
};

} // namespace

TEST_F(ProgressDialogs, ASmallMaterialRunsToItsEndAndTheDialogClosesWith1)
{
    SmallOrder(Material(0));
    DlgProgress dialog(&main);
    std::string status;
    long range = 0;
    UiScript script;
    script.OnWindow(kTitle, [&](HWND d) {
        range = static_cast<long>(SendDlgItemMessageA(d, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0));
        status = WindowText(d, IDC_PROGRESS_BREAK);
    });
    script.Start();
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_EQ(100, range);
    EXPECT_EQ("Stop", status);
    EXPECT_TRUE(dialog.IsDone());
    EXPECT_FALSE(dialog.IsCancelled());
    EXPECT_EQ(&Material(0), dialog.GetMaterial());
    EXPECT_FALSE(Material(0).IsRunning());
    EXPECT_GE(Material(0).GetSolutions().Count(), 1);
    EXPECT_EQ(100, Material(0).GetProgress());
    // With solutions found the dialog raises no event of its own.
    EXPECT_TRUE(EventsFrom(&dialog).empty());
}

TEST_F(ProgressDialogs, NothingToCalculateEndsAtOnceWith0)
{
    struct Case {
        const char* what;
        bool material, stock, parts;
    };
    for (const Case& c : {Case{"no current material", false, true, true}, Case{"no part rows", true, true, false},
                          Case{"no stock rows", true, false, true}}) {
        SCOPED_TRACE(c.what);
        App().Document().Reset();
        if (c.material) {
            ASSERT_TRUE(App().Document().New("P", "", "Steel"));
            SmallOrder(Material(0), c.parts, c.stock);
        }
        VisibleDialogWatch watch(main.m_hWnd);
        DlgProgress dialog(&main);
        const DWORD start = GetTickCount();
        EXPECT_EQ(0, dialog.DoModal());
        EXPECT_LT(GetTickCount() - start, 900u);
        EXPECT_TRUE(dialog.IsCancelled());
        EXPECT_TRUE(watch.Seen().empty());
        if (c.material) {
            EXPECT_FALSE(Material(0).IsRunning());
            EXPECT_EQ(0, Material(0).GetSolutions().Count());
        } else {
            EXPECT_EQ(nullptr, dialog.GetMaterial());
        }
    }
}

TEST_F(ProgressDialogs, BreakDisablesAtOnceStopsTheRunAndLeavesTheMaterialAsItWas)
{
    LargeOrder(Material(0));
    const std::string before = Material(0).GetContentId();
    const std::string calculation = Material(0).GetProperty("calculation");
    DlgProgress dialog(&main);
    bool runningAtBreak = false, stillShownDisabled = false, enterKeptItOpen = false;
    HWND window = nullptr;
    UiScript script;
    script.OnWindow(kTitle, [&](HWND d) {
        window = d;
        SendMessageA(d, WM_COMMAND, IDOK, 0);
        enterKeptItOpen = IsWindow(d) && IsWindowVisible(d);
        runningAtBreak = Material(0).IsRunning();
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BREAK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_PROGRESS_BREAK)));
    });
    script.Then([&] { return window && !Enabled(window, IDC_PROGRESS_BREAK); },
                [&] { stillShownDisabled = IsWindow(window) && !IsWindowEnabled(window); }, "Break disabled");
    script.Start();
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_TRUE(enterKeptItOpen);
    EXPECT_TRUE(runningAtBreak);
    EXPECT_TRUE(stillShownDisabled);
    EXPECT_TRUE(dialog.IsCancelled());
    EXPECT_TRUE(dialog.IsDone());
    EXPECT_FALSE(Material(0).IsRunning());
    EXPECT_EQ(0, Material(0).GetSolutions().Count());
    EXPECT_EQ(before, Material(0).GetContentId());
    EXPECT_EQ(calculation, Material(0).GetProperty("calculation"));
    EXPECT_EQ(0, App().BusyCount());
}

TEST_F(ProgressDialogs, InAutomationTheDialogStaysHiddenAndAStopRequestEndsIt)
{
    App().SetAutomation(1);
    ASSERT_TRUE(App().Document().AddMaterial("Pine", nullptr));
    SmallOrder(Material(0));
    LargeOrder(Material(1));
    {
        App().Document().SetCurrent(0);
        VisibleDialogWatch watch(main.m_hWnd);
        DlgProgress dialog(&main);
        EXPECT_EQ(1, dialog.DoModal());
        EXPECT_TRUE(watch.Seen().empty());
        EXPECT_GE(Material(0).GetSolutions().Count(), 1);
    }
    {
        App().Document().SetCurrent(1);
        VisibleDialogWatch watch(main.m_hWnd);
        DlgProgress dialog(&main);
        UiScript script;
        script.Then([] { return UiScript::FindThreadWindow(kTitle, false) != nullptr; },
                    [] { SendMessageA(UiScript::FindThreadWindow(kTitle, false), WM_USER, kCalculationStopRequested, 0); },
                    "the hidden dialog");
        script.Start();
        EXPECT_EQ(0, dialog.DoModal());
        EXPECT_EQ("", script.Failure());
        EXPECT_TRUE(watch.Seen().empty());
        EXPECT_EQ(0, Material(1).GetSolutions().Count());
    }
}

TEST_F(ProgressDialogs, ATaskOfTwoMaterialsEndsWith1AndRaisesCalculationFinishedWith1)
{
    ASSERT_TRUE(App().Document().AddMaterial("Pine", nullptr));
    SmallOrder(Material(0));
    SmallOrder(Material(1));
    DlgProgress2 dialog(&main);
    dialog.SetTask(&App().Processor());
    EXPECT_EQ(&App().Processor(), dialog.GetTask());
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_TRUE(dialog.IsDone());
    EXPECT_FALSE(dialog.IsCancelled());
    EXPECT_GE(Material(0).GetSolutions().Count(), 1);
    EXPECT_GE(Material(1).GetSolutions().Count(), 1);
    EXPECT_EQ((std::vector<std::pair<long, long>>{{kEventCalculationFinished, 1}}), EventsFrom(&dialog));
}

TEST_F(ProgressDialogs, ABrokenTaskStillReportsItsEndAndClosesWith0)
{
    LargeOrder(Material(0));
    DlgProgress2 dialog(&main);
    dialog.SetTask(&App().Processor());
    UiScript script;
    script.OnWindow(kTitle, [](HWND d) {
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    EXPECT_EQ(0, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_TRUE(dialog.IsCancelled());
    EXPECT_TRUE(dialog.IsDone());
    EXPECT_TRUE(App().Processor().IsStopped());
    EXPECT_EQ(0, Material(0).GetSolutions().Count());
    EXPECT_EQ((std::vector<std::pair<long, long>>{{kEventCalculationFinished, 1}}), EventsFrom(&dialog));
    EXPECT_EQ(0, App().BusyCount());
}

TEST_F(ProgressDialogs, MinimisingTheDialogMinimisesTheMainWindow)
{
    SmallOrder(Material(0));
    DlgProgress dialog(&main);
    bool mainMinimised = false;
    UiScript script;
    script.OnWindow(kTitle, [&](HWND d) { ShowWindow(d, SW_MINIMIZE); });
    script.Then([&] { return IsIconic(main.m_hWnd) != FALSE; }, [&] { mainMinimised = true; }, "main minimised");
    script.Start();
    EXPECT_EQ(1, dialog.DoModal());
    EXPECT_EQ("", script.Failure());
    EXPECT_TRUE(mainMinimised);
}

TEST_F(ProgressDialogs, ATaskThatDoesNotStartEndsAtOnceWith0)
{
    SmallOrder(Material(0));
    DProcessor idle;   // the base starts nothing
    for (DProcessor* task : {static_cast<DProcessor*>(nullptr), &idle}) {
        DlgProgress2 dialog(&main);
        dialog.SetTask(task);
        const DWORD start = GetTickCount();
        EXPECT_EQ(0, dialog.DoModal());
        EXPECT_LT(GetTickCount() - start, 900u);
        EXPECT_TRUE(EventsFrom(&dialog).empty());
    }
}

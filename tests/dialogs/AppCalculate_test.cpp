// The application's calculation of every active material: the supervisor
// runs under its progress dialog, each material that found solutions takes
// its best one, the findings are listed afterwards; nothing of that after a
// stop, nothing at all without an active material, no window in a script.
#include "appsvc/OXRApp.h"

#include <algorithm>

#include "support/CalculationOrders.h"
#include "support/DialogFixture.h"
#include "dialogs/DialogIds.h"
#include "document/AppEvents.h"
#include "support/DialogDriving.h"
#include "support/MessageBoxAnswer.h"

namespace {

class CalculateAll : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ASSERT_TRUE(App().Document().New("P", "", "Steel"));
        ASSERT_TRUE(App().Document().AddMaterial("Pine", nullptr));
        SmallOrder(Material(0));
        // Stock but no parts: its finding is StatusNoParts.
        SmallOrder(Material(1), false);
        main.events.clear();
    }
    DCSProject& Material(long index) { return *App().Document().GetProject(index, false); }
    // The codes raised from the first kEventCalculationFinished on (the
    // document raises kEventSolutionsChanged as each material applies a
    // solution).
    std::vector<long> CodesFromCalculationFinished() const
    {
        std::vector<long> codes = main.Codes();
        auto first = std::find(codes.begin(), codes.end(), static_cast<long>(kEventCalculationFinished));
        return std::vector<long>(first, codes.end());
    }
};

} // namespace

TEST_F(CalculateAll, TheBestSolutionsAreAppliedAndTheFindingsListedAfterwards)
{
    std::vector<std::string> rows;
    UiScript script;
    script.OnWindow("Messages", [&](HWND d) {
        for (long r = 0; r < ListRows(d, IDC_MESSAGES_LIST); ++r)
            rows.push_back(ListCell(d, IDC_MESSAGES_LIST, r, 0) + "|" + ListCell(d, IDC_MESSAGES_LIST, r, 2));
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    script.Start();
    EXPECT_TRUE(App().Calculate());
    EXPECT_EQ("", script.Failure());
    EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), "Pine|No parts are given"));
    EXPECT_TRUE(Material(0).HasCuttings());
    EXPECT_FALSE(Material(0).GetSummaryRows().empty());
    EXPECT_EQ(1, App().CountReadyMaterials());
    const std::vector<long> codes = CodesFromCalculationFinished();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(kEventCalculationFinished, codes.front());
    EXPECT_EQ(kEventSolutionsChanged, codes[codes.size() - 2]);
    EXPECT_EQ(kEventProjectDataChanged, codes.back());
    EXPECT_EQ(0, App().BusyCount());
}

TEST_F(CalculateAll, InAScriptNoWindowWaitsAndTheSolutionsAreStillApplied)
{
    App().SetAutomation(1);
    VisibleDialogWatch watch(main.m_hWnd);
    EXPECT_TRUE(App().Calculate());
    EXPECT_TRUE(watch.Seen().empty());
    EXPECT_TRUE(Material(0).HasCuttings());
    EXPECT_EQ(kEventProjectDataChanged, main.Codes().back());
}

TEST_F(CalculateAll, AfterABreakNothingIsAppliedNorListedButProjectDataChangedFollows)
{
    LargeOrder(Material(0));
    main.events.clear();
    const std::string before = Material(0).GetContentId();
    VisibleDialogWatch watch(main.m_hWnd);
    UiScript script;
    script.OnWindow("Calculating...", [](HWND d) { PostMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    script.Start();
    EXPECT_TRUE(App().Calculate());
    EXPECT_EQ("", script.Failure());
    EXPECT_TRUE(App().Processor().IsStopped());
    EXPECT_FALSE(Material(0).HasCuttings());
    EXPECT_EQ(before, Material(0).GetContentId());
    EXPECT_EQ((std::vector<long>{kEventCalculationFinished, kEventProjectDataChanged}), CodesFromCalculationFinished());
    EXPECT_EQ(watch.Seen().end(), std::find(watch.Seen().begin(), watch.Seen().end(), "Messages"));
}

TEST_F(CalculateAll, WithoutAnActiveMaterialTheUserIsToldAndNothingRuns)
{
    ASSERT_TRUE(Material(0).SetProperty("active", "0"));
    ASSERT_TRUE(Material(1).SetProperty("active", "0"));
    const std::string notice = AnswerBoxShownBy("KORVA Bravik", IDOK, [] { EXPECT_FALSE(App().Calculate()); });
    EXPECT_EQ("No material is selected.\r\nPlease select at least one material.", notice);
    EXPECT_TRUE(main.events.empty());
    EXPECT_EQ(0, Material(0).GetSolutions().Count());

    // A script is told nothing.
    App().SetAutomation(1);
    VisibleDialogWatch watch(main.m_hWnd);
    EXPECT_FALSE(App().Calculate());
    EXPECT_TRUE(watch.Seen().empty());
}

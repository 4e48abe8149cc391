#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "support/CalculationFixture.h"
#include "tests/document/MaterialFixture.h"

namespace {

bool IsEightUpperHex(const std::string& text)
{
    if (text.size() != 8)
        return false;
    for (char c : text)
        if (!isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'F'))
            return false;
    return true;
}

std::vector<std::string> UsedLengths(const DCSProject& material)
{
    std::vector<std::string> out;
    for (const CUTTING::Layout& layout : material.GetSolutions().Items())
        out.push_back(Val(layout.props, "used.len"));
    return out;
}

// A material with a scripted solver, reporting to a hidden window of this
// thread, under an English locale.
class CalculationTest : public ::testing::Test {
protected:
    TestAppServices app;
    MessageWindow window;
    std::unique_ptr<ScriptedMaterial> material;

    void SetUp() override
    {
        app.SetLocaleText("globals", "project.pass", "Pass");
        app.SetLocaleText("globals", "project.done", "Placed");
        app.SetLocaleText("globals", "project.from", "out of");
        app.SetLocaleText("globals", "project.stop", "Cancelling calculations...");
        app.SetLocaleText("globals", "wait", "Please wait...");
        material.reset(new ScriptedMaterial());
        material->SetMaterial("Steel");
    }

    // Four passes: "level" 1 and a stock kerf.
    void FourPassOrder()
    {
        material->SetProperty("level", "1");
        AddOrder(*material, {{"6000", "0"}}, {{"1000", "5"}, {"500", "4"}}, "3");
    }

    std::vector<MessageWindow::Received> EndMessages() const
    {
        std::vector<MessageWindow::Received> out;
        for (const MessageWindow::Received& r : window.Messages(WM_USER))
            if (r.wParam == kCalculationFinished)
                out.push_back(r);
        return out;
    }

    // Waits for the n-th end message and for the thread to be gone; its lParam.
    LPARAM WaitForEnd(size_t n = 1)
    {
        EXPECT_TRUE(PumpUntil([&] { return EndMessages().size() >= n && !material->IsRunning(); }));
        EXPECT_EQ(n, EndMessages().size());
        return EndMessages().empty() ? -1 : EndMessages().back().lParam;
    }

    LPARAM CalculateToEnd(size_t n = 1)
    {
        EXPECT_TRUE(material->Calculate(window.Handle()));
        return WaitForEnd(n);
    }

    bool WaitForBlockedPass(int pass)
    {
        return PumpUntil([&] { return material->log.blockedInPass.load() == pass; });
    }
};

// ---- Pass planning ----------------------------------------------------------------------

struct PlanCase {
    const char* level;
    std::vector<const char*> kerfs;
    long passes;
    const char* shift;   // of sets 3 and 4
    const char* ratio;
};

TEST(CalculationPlan, PassesFollowTheLevelAndTheMeanKerf)
{
    const PlanCase cases[] = {
        {"1", {"0", "0"}, 2, nullptr, nullptr},
        {"1", {"3", "5", "0"}, 4, "2.00000", "4.00000"},
        {"0", {"3", "5"}, 2, nullptr, nullptr},
        {"2", {"0.00000001"}, 2, nullptr, nullptr},
        {"1", {"1.5"}, 4, "0.75000", "1.50000"},
    };
    TestAppServices app;
    for (const PlanCase& c : cases) {
        DCSProject material;
        material.SetMaterial("Steel");
        material.SetProperty("level", c.level);
        PropsList stock(c.kerfs.size(), RowOf({{"length", "6000"}, {"quantity", "1"}}));
        material.AppendRows(stock, 1);
        // Written after the rows are normalised, so the tiny kerf stays tiny.
        for (size_t i = 0; i < c.kerfs.size(); ++i)
            SetRowValue(material, RowsBlanks, i, "knife", c.kerfs[i]);

        material.PlanPasses();

        const std::string label = std::string("level ") + c.level + ", kerfs " + std::to_string(c.kerfs.size());
        EXPECT_EQ(c.passes, DProps::GetLong(material.GetPasses(), "passes")) << label;
        const PropsList sets = material.GetPassOptions();
        ASSERT_EQ(static_cast<size_t>(c.passes), sets.size()) << label;
        const char* modes[] = {"0", "2", "0", "2"};
        for (size_t i = 0; i < sets.size(); ++i) {
            const DProps& set = sets[i];
            EXPECT_EQ(modes[i], Val(set, "mode")) << label << " set " << i + 1;
            EXPECT_EQ(i < 2 ? "0." : c.shift, Val(set, "shift")) << label << " set " << i + 1;
            EXPECT_EQ(i < 2 ? "0." : c.ratio, Val(set, "ratio")) << label << " set " << i + 1;
            // Every set carries the material's own properties for the solver.
            EXPECT_EQ("Steel", Val(set, "material"));
            EXPECT_EQ(c.level, Val(set, "level"));
        }
    }
}

// ---- What the solver is given ------------------------------------------------------------

TEST_F(CalculationTest, SolverGetsStockRowsAndPartsMergedByLength)
{
    material->AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}, {"cost", "12.5"}, {"knife", "3"},
                                   {"indent", "10"}}),
                          RowOf({{"length", "4000"}, {"quantity", "-2"}}),
                          RowOf({{"length", "3000"}, {"quantity", "5"}})},
                         1);
    AddOrder(*material, {}, {{"1000", "2"}, {"500", "3"}, {"500", "4"}});
    // Set after normalisation: two lengths within the tolerance of each other.
    SetRowValue(*material, RowsPieces, 1, "length", "500.00000001");

    EXPECT_EQ(1, CalculateToEnd());
    ASSERT_EQ(2u, material->log.inputs.size());
    const CUTTING::Layout& input = material->log.inputs[0];

    ASSERT_EQ(3u, input.blanks.size());
    EXPECT_EQ(CUTTING::UnlimitedQuantity, input.blanks[0].quantity);
    EXPECT_EQ(CUTTING::UnlimitedQuantity, input.blanks[1].quantity);
    EXPECT_EQ(5, input.blanks[2].quantity);
    EXPECT_EQ(1, input.blanks[0].id);
    EXPECT_DOUBLE_EQ(6000.0, input.blanks[0].length);
    EXPECT_DOUBLE_EQ(3.0, input.blanks[0].knife);
    EXPECT_DOUBLE_EQ(10.0, input.blanks[0].indent);
    EXPECT_EQ("12.500000", Val(input.blanks[0].props, "cost"));
    EXPECT_EQ("a", Val(input.blanks[0].props, "name"));
    EXPECT_EQ("c", Val(input.blanks[2].props, "name"));

    ASSERT_EQ(2u, input.pieces.size());
    EXPECT_EQ(1, input.pieces[0].id);
    EXPECT_DOUBLE_EQ(1000.0, input.pieces[0].length);
    EXPECT_EQ(2, input.pieces[0].quantity);
    EXPECT_EQ(2, input.pieces[1].id);
    EXPECT_DOUBLE_EQ(500.00000001, input.pieces[1].length);
    EXPECT_EQ(7, input.pieces[1].quantity);
    EXPECT_EQ("b", Val(input.pieces[1].props, "name"));
    EXPECT_DOUBLE_EQ(1.0, input.pieces[1].weight);

    for (size_t i = 0; i < 2; ++i) {
        const DProps& options = material->log.options[i];
        EXPECT_EQ("4", Val(options, "threads"));
        EXPECT_EQ(i == 0 ? "0" : "2", Val(options, "mode"));
        EXPECT_EQ("Steel", Val(options, "material"));
    }
}

TEST_F(CalculationTest, PartsGoLongestFirstAndANegativeSumBecomesNothing)
{
    AddOrder(*material, {{"6000", "1"}}, {{"300", "1"}, {"800", "2"}, {"800", "1"}});
    SetRowValue(*material, RowsPieces, 1, "quantity", "-5");

    CalculateToEnd();
    ASSERT_FALSE(material->log.inputs.empty());
    const CUTTING::Layout& input = material->log.inputs[0];
    ASSERT_EQ(2u, input.pieces.size());
    EXPECT_EQ(2, input.pieces[0].id);
    EXPECT_EQ(0, input.pieces[0].quantity);
    EXPECT_EQ(1, input.pieces[1].id);
    EXPECT_DOUBLE_EQ(300.0, input.pieces[1].length);
}

// ---- A whole calculation ----------------------------------------------------------------

TEST_F(CalculationTest, CompleteRunKeepsRankedSolutionsWithoutDuplicates)
{
    FourPassOrder();
    PassScript first, better, same, failing;
    better.usedLength = 5000.0;
    better.cmu = 95.0;
    same.cost = 10.0;
    failing.succeed = false;
    material->script = {first, better, same, failing};

    EXPECT_EQ(1, CalculateToEnd());
    EXPECT_EQ(1, material->GetResult());

    // Pass 3 repeats pass 1: ranked by used length, then the duplicate dropped.
    EXPECT_EQ((std::vector<std::string>{"5000.00000", "6000.00000"}), UsedLengths(*material));
    for (const CUTTING::Layout& layout : material->GetSolutions().Items())
        EXPECT_EQ("", Val(layout.props, "status"));

    ASSERT_EQ(4u, material->log.options.size());
    EXPECT_EQ("1.50000", Val(material->log.options[2], "shift"));
    EXPECT_EQ("3.00000", Val(material->log.options[3], "ratio"));
    EXPECT_EQ("2", Val(material->log.options[3], "mode"));
    EXPECT_EQ("4", Val(material->GetPasses(), "passes"));
    EXPECT_EQ("4", Val(material->GetPasses(), "pass"));

    EXPECT_EQ("100", Val(material->GetProperties(), "progress"));
    EXPECT_EQ(100, material->GetProgress());
    EXPECT_EQ("10.00000", Val(material->GetProperties(), "cost"));
    EXPECT_TRUE(IsEightUpperHex(Val(material->GetProperties(), "calculation"))) << Val(material->GetProperties(), "calculation");
    const std::string seconds = Val(material->GetProperties(), "time.gone");
    EXPECT_FALSE(seconds.empty());
    EXPECT_EQ(std::string::npos, seconds.find_first_not_of("0123456789")) << seconds;
    EXPECT_NE("<absent>", Val(material->GetProperties(), "time.date"));
    EXPECT_FALSE(Val(material->GetProperties(), "time.date").empty());
    EXPECT_EQ("", material->GetStatusText());
}

TEST_F(CalculationTest, UnplacedPartsOfTheLastGoodPassAreChargedToTheRows)
{
    AddOrder(*material, {{"6000", "1"}}, {{"500", "4"}, {"500", "5"}, {"300", "3"}});
    PassScript short6;
    short6.unplacedLength = 500.0;
    short6.unplacedCount = 6;
    PassScript failing;
    failing.succeed = false;
    material->script = {short6, failing};

    EXPECT_EQ(1, CalculateToEnd());
    EXPECT_EQ("1", Val(material->GetPieceRows()[0], "orphans"));
    EXPECT_EQ("5", Val(material->GetPieceRows()[1], "orphans"));
    EXPECT_EQ("0", Val(material->GetPieceRows()[2], "orphans"));
}

TEST_F(CalculationTest, WhenNoPassSucceedsThereAreNoSolutions)
{
    AddOrder(*material, {{"6000", "1"}}, {{"1000", "5"}});
    PassScript failing;
    failing.succeed = false;
    material->script = {failing};

    EXPECT_EQ(0, CalculateToEnd());
    EXPECT_EQ(0, material->GetResult());
    EXPECT_EQ(0, material->GetSolutions().Count());
    EXPECT_EQ("", Val(material->GetProperties(), "calculation"));
    EXPECT_EQ("100", Val(material->GetProperties(), "progress"));
}

TEST_F(CalculationTest, CalculateNeedsStockAndPartsAndRefusesWhileRunning)
{
    EXPECT_FALSE(material->Calculate(window.Handle()));
    AddOrder(*material, {{"6000", "1"}}, {});
    EXPECT_FALSE(material->Calculate(window.Handle()));
    EXPECT_FALSE(material->IsRunning());
    EXPECT_TRUE(material->log.inputs.empty());

    AddOrder(*material, {}, {{"1000", "5"}});
    PassScript blocking;
    blocking.block = true;
    material->script = {blocking};
    ASSERT_TRUE(material->Calculate(window.Handle()));
    ASSERT_TRUE(WaitForBlockedPass(1));

    MessageWindow other;
    EXPECT_FALSE(material->Calculate(other.Handle()));
    EXPECT_EQ(window.Handle(), material->GetOwner());

    material->StopAndWait();
    EXPECT_FALSE(material->IsRunning());
    // The end message was served during the wait, to the first window only.
    EXPECT_EQ(1u, EndMessages().size());
    EXPECT_EQ(0u, other.Count(WM_USER));
}

// ---- Progress, status text, stop ------------------------------------------------------------

TEST_F(CalculationTest, RunningPassShowsProgressAndStatusThenTheStopLines)
{
    FourPassOrder();
    PassScript holding;
    holding.block = true;
    holding.holdAfterStop = true;
    material->script = {PassScript(), holding};

    EXPECT_EQ(0, material->GetProgress());
    ASSERT_TRUE(material->Calculate(window.Handle()));
    ASSERT_TRUE(WaitForBlockedPass(2));

    // Pass 2 of 4 with the solver at 50 %: (0.5 x 0.25 + 1 x 0.25) x 100.1.
    EXPECT_EQ(38, material->GetProgress());
    // What the panels read changes only when the calculation has ended.
    EXPECT_EQ("<absent>", Val(material->GetProperties(), "progress"));
    EXPECT_EQ("Pass 2...\r\nPlaced 120 out of 200...", material->GetStatusText());

    material->Stop();
    ASSERT_TRUE(PumpUntil([&] { return material->log.sawStop.load(); }));
    EXPECT_EQ("Cancelling calculations...\r\nPlease wait...", material->GetStatusText());

    material->log.release = true;
    material->StopAndWait();
    EXPECT_EQ("", material->GetStatusText());
    // Never calculated before, so back to no progress at all.
    EXPECT_EQ(0, material->GetProgress());
    EXPECT_EQ(0, WaitForEnd());
}

TEST(CalculationTexts, WithoutLocaleTheStatusUsesTheDefaults)
{
    TestAppServices app;
    ScriptedMaterial material;
    AddOrder(material, {{"6000", "1"}}, {{"1000", "5"}});
    PassScript holding;
    holding.block = true;
    holding.holdAfterStop = true;
    material.script = {holding};

    ASSERT_TRUE(material.Calculate(nullptr));
    ASSERT_TRUE(PumpUntil([&] { return material.log.blockedInPass.load() == 1; }));
    EXPECT_EQ("Pass 1...\r\nDone 120 from 200...", material.GetStatusText());
    material.Stop();
    ASSERT_TRUE(PumpUntil([&] { return material.log.sawStop.load(); }));
    EXPECT_EQ("Stopping calculations...\r\nPlease wait...", material.GetStatusText());
    material.log.release = true;
    material.StopAndWait();
    EXPECT_FALSE(material.IsRunning());
}

TEST_F(CalculationTest, StopInThirdPassRestoresTheMaterialAsBefore)
{
    FourPassOrder();
    PassScript short1;
    short1.unplacedLength = 500.0;
    short1.unplacedCount = 1;
    short1.usedLength = 7000.0;
    material->script = {PassScript(), short1, PassScript(), short1};
    ASSERT_EQ(1, CalculateToEnd());

    const std::vector<std::string> solutions = UsedLengths(*material);
    const DProps layoutBefore = material->GetLayout().props;
    const std::string calculation = Val(material->GetProperties(), "calculation");
    const std::string orphans = Val(material->GetPieceRows()[1], "orphans");
    ASSERT_EQ("1", orphans);

    PassScript other;
    other.usedLength = 4000.0;
    PassScript blocking;
    blocking.block = true;
    material->script = {other, other, blocking};
    ASSERT_TRUE(material->Calculate(window.Handle()));
    ASSERT_TRUE(WaitForBlockedPass(3));
    // Pass 3 of 4 at 50 %: (0.125 + 0.5) x 100.1 = 62.56.
    EXPECT_EQ(63, material->GetProgress());

    material->StopAndWait();

    EXPECT_EQ(1, WaitForEnd(2));
    EXPECT_EQ(solutions, UsedLengths(*material));
    EXPECT_TRUE(material->GetLayout().props.Equals(&layoutBefore));
    EXPECT_EQ(calculation, Val(material->GetProperties(), "calculation"));
    EXPECT_EQ("100", Val(material->GetProperties(), "progress"));
    EXPECT_EQ(100, material->GetProgress());
    EXPECT_EQ(orphans, Val(material->GetPieceRows()[1], "orphans"));
    // The pass plan keeps the interrupted pass.
    EXPECT_EQ("3", Val(material->GetPasses(), "pass"));
}

TEST_F(CalculationTest, AStopAskedBeforeTheThreadBeginsIsHonoured)
{
    AddOrder(*material, {{"6000", "1"}}, {{"1000", "5"}});
    // The thread waits for this thread's messages before its first pass.
    ASSERT_TRUE(material->Calculate(window.Handle()));
    material->Stop();

    EXPECT_EQ(0, WaitForEnd());
    EXPECT_TRUE(material->log.inputs.empty());
    EXPECT_EQ(0, material->GetSolutions().Count());
    EXPECT_EQ("<absent>", Val(material->GetProperties(), "progress"));
}

TEST_F(CalculationTest, AGoneOwnerWindowGetsNoMessage)
{
    AddOrder(*material, {{"6000", "1"}}, {{"1000", "5"}});
    MessageWindow gone;
    const HWND handle = gone.Handle();
    gone.Destroy();
    ASSERT_TRUE(material->Calculate(handle));
    ASSERT_TRUE(PumpUntil([&] { return !material->IsRunning(); }));
    material->StopAndWait();
    EXPECT_EQ(1, material->GetResult());
    EXPECT_EQ(0u, gone.Count(WM_USER));
}

// ---- Orphans ------------------------------------------------------------------------------

struct OrphanCase {
    long unplaced500;
    std::vector<const char*> orphans;
    long total;
};

class ComputeOrphansTest : public MaterialFixture {};

TEST_F(ComputeOrphansTest, UnplacedPartsAreChargedFromTheLastRowOfTheirLength)
{
    AddParts({{"500", "4", ""}, {"500", "5", ""}, {"300", "3", ""}});
    const OrphanCase cases[] = {
        {6, {"1", "5", "0"}, 6},
        {3, {"0", "3", "0"}, 3},
        {20, {"4", "5", "0"}, 9},
        {0, {"0", "0", "0"}, 0},
    };
    for (const OrphanCase& c : cases) {
        CUTTING::Layout layout;
        layout.pieces.push_back(CUTTING::Piece(1, 500.0, 9));
        if (c.unplaced500 > 0)
            layout.orphans.push_back(CUTTING::Piece(1, 500.0, c.unplaced500));
        material.SetLayout(layout);
        EXPECT_EQ(c.total, material.ComputeOrphans()) << c.unplaced500;
        for (size_t i = 0; i < c.orphans.size(); ++i)
            EXPECT_EQ(c.orphans[i], Val(Piece(i), "orphans")) << c.unplaced500 << " row " << i;
    }
}

TEST_F(ComputeOrphansTest, WithoutDemandEveryRowIsReset)
{
    AddParts({{"500", "4", ""}});
    SetRowValue(material, RowsPieces, 0, "orphans", "7");
    CUTTING::Layout layout;
    layout.orphans.push_back(CUTTING::Piece(1, 500.0, 2));
    material.SetLayout(layout);
    EXPECT_EQ(0, material.ComputeOrphans());
    EXPECT_EQ("0", Val(Piece(0), "orphans"));
}

// ---- Payload ------------------------------------------------------------------------------

TEST_F(CalculationTest, PayloadIsPassesTimesPartsTimesRowCounts)
{
    AddOrder(*material, {{"6000", "1"}, {"4000", "1"}}, {{"1000", "5"}, {"500", "7"}, {"300", "3"}});
    material->UpdatePayload();
    EXPECT_EQ("0", Val(material->GetProperties(), "payload"));   // before any plan
    material->PlanPasses();
    material->UpdatePayload();
    EXPECT_EQ("180", Val(material->GetProperties(), "payload"));   // 2 x 15 x 3 x 2
}

// A payload asked for from another thread (as the supervisor's) while the
// material calculates waits for the outcome; a stop drops it with the rest.
DWORD WINAPI UpdatePayloadOn(LPVOID material)
{
    static_cast<DCSProject*>(material)->UpdatePayload();
    return 0;
}

TEST_F(CalculationTest, APayloadComputedWhileRunningWaitsForTheOutcome)
{
    AddOrder(*material, {{"6000", "1"}}, {{"1000", "5"}});
    PassScript blocking;
    blocking.block = true;
    material->script = {blocking};
    ASSERT_TRUE(material->Calculate(window.Handle()));
    ASSERT_TRUE(WaitForBlockedPass(1));

    HANDLE other = CreateThread(nullptr, 0, UpdatePayloadOn, material.get(), 0, nullptr);
    ASSERT_NE(nullptr, other);
    // The computation runs on this thread, so it needs this thread's messages.
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(other, 0) == WAIT_OBJECT_0; }));
    CloseHandle(other);
    EXPECT_EQ(10, material->GetPayload());   // 2 passes x 5 parts x 1 part row x 1 stock row
    EXPECT_EQ("<absent>", Val(material->GetProperties(), "payload"));

    material->StopAndWait();
    EXPECT_EQ(0, WaitForEnd());
    EXPECT_EQ("<absent>", Val(material->GetProperties(), "payload"));
    EXPECT_EQ(0, material->GetPayload());

    // Without a calculation the payload is the property at once.
    material->UpdatePayload();
    EXPECT_EQ("10", Val(material->GetProperties(), "payload"));
}

// ---- The real solver --------------------------------------------------------------------------

TEST(CalculationWithSolver, RealPassesFindSolutionsThatPlaceEveryPart)
{
    struct Case {
        const char* level;
        long passes;
    };
    for (const Case& c : {Case{"0", 2}, Case{"1", 4}}) {
        TestAppServices app;
        MessageWindow window;
        DCSProject material;
        material.SetMaterial("Pine");
        material.SetProperty("level", c.level);
        AddOrder(material, {{"6000", "0"}}, {{"1000", "5"}, {"1450", "4"}, {"700", "7"}}, "3");

        ASSERT_TRUE(material.Calculate(window.Handle()));
        ASSERT_TRUE(window.WaitFor(WM_USER));
        ASSERT_TRUE(PumpUntil([&] { return !material.IsRunning(); }));
        EXPECT_EQ(kCalculationFinished, window.Messages(WM_USER)[0].wParam);
        EXPECT_EQ(1, window.Messages(WM_USER)[0].lParam) << c.level;

        EXPECT_EQ(c.passes, DProps::GetLong(material.GetPasses(), "passes"));
        EXPECT_GE(material.GetSolutions().Count(), 1);
        EXPECT_LE(material.GetSolutions().Count(), c.passes);
        for (const CUTTING::Layout& layout : material.GetSolutions().Items()) {
            EXPECT_TRUE(layout.orphans.empty() || CUTTING::SumPieceQuantities(layout.orphans) == 0);
            EXPECT_EQ("", Val(layout.props, "status"));
        }
        for (const DProps& row : material.GetPieceRows())
            EXPECT_EQ("0", Val(row, "orphans"));
        EXPECT_EQ(100, material.GetProgress());
        EXPECT_TRUE(IsEightUpperHex(Val(material.GetProperties(), "calculation")));
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/CalculationFixture.h"
#include "tests/document/MaterialFixture.h"

namespace {

TEST(DCSProjectRecord, NewMaterialHasDefaultsBaselinesAndNoChange)
{
    TestAppServices app;
    DCSProject material;
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"active", "1"}, {"optimize", "0"}, {"level", "0"}, {"diversity", "0"}, {"status", "0"},
        {"remnants", "0"}, {"sort", "0"}, {"version", "1"}, {"desc", ""}, {"comment", ""},
        {"comment.active", "0"}, {"notes", ""}, {"notes.active", "0"}, {"material", "<absent>"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.second, Val(material.GetProperties(), e.first)) << e.first;
    EXPECT_NE(0u, material.GetPropertiesFingerprint());
    EXPECT_NE(0u, material.GetResultsFingerprint());
    for (long mask : {1L, 2L, 4L, 5L, 7L})
        EXPECT_FALSE(material.IsChanged(mask)) << mask;
    // Unnamed and without rows: 102 from the material, 36 and 37 from the order.
    EXPECT_EQ(1, material.GetCheckResult());
    for (const char* code : {"102", "36", "37"})
        EXPECT_GE(material.GetWarnings().IndexOf(code), 0) << code;
}

TEST(DCSProjectRecord, ResetTakesTheGlobalsSectionOfTheLocale)
{
    TestAppServices app;
    app.SetLocaleText("globals", "of", "von");
    DCSProject material;
    EXPECT_EQ("von", Val(material.GetLocaleTexts(), "of"));
    app.SetLocaleText("globals", "of", "de");
    material.Reset();
    EXPECT_EQ("de", Val(material.GetLocaleTexts(), "of"));
}

TEST(DCSProjectRecord, ResetForgetsNameRowsOptionsAndOwner)
{
    TestAppServices app;
    DCSProject material;
    material.SetMaterial("Oak");
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "2"}})}, 1);
    material.SetProperty("optimize", "1");
    // Without part rows nothing starts, but the owner is kept.
    EXPECT_FALSE(material.Calculate(reinterpret_cast<HWND>(0x1234)));
    ASSERT_EQ(reinterpret_cast<HWND>(0x1234), material.GetOwner());
    DocumentProbe::Remnants(material).push_back(DProps());
    material.Reset();
    EXPECT_EQ("<absent>", Val(material.GetProperties(), "material"));
    EXPECT_EQ("0", Val(material.GetProperties(), "optimize"));
    EXPECT_TRUE(material.GetBlankRows().empty());
    EXPECT_TRUE(material.GetRemnantRows().empty());
    EXPECT_EQ(nullptr, material.GetOwner());
    EXPECT_FALSE(material.IsChanged(kChangedAll));
}

// ---- Change tracking ----------------------------------------------------------------

class DCSProjectChanges : public MaterialFixture {
protected:
    void SetUp() override
    {
        MaterialFixture::SetUp();
        AddStock("6000", "2");
        AddParts({{"500", "4", "Door"}});
        material.Refresh(true);
    }
};

TEST_F(DCSProjectChanges, AnEditedTextChangesMasks1And4UntilItIsUndone)
{
    material.SetProperty("desc", "north wall");
    material.UpdateFingerprint(false);
    EXPECT_TRUE(material.IsChanged(kChangedAnything));
    EXPECT_TRUE(material.IsChanged(kChangedRecord));
    EXPECT_FALSE(material.IsChanged(kChangedResults));
    material.SetProperty("desc", "");
    material.UpdateFingerprint(false);
    for (long mask : {1L, 2L, 4L})
        EXPECT_FALSE(material.IsChanged(mask)) << mask;
}

TEST_F(DCSProjectChanges, EachKindOfEditAnswersItsMasks)
{
    struct Case {
        const char* what;
        void (*edit)(DCSProject&);
        bool mask1, mask2, mask4;
    };
    const Case cases[] = {
        {"option", [](DCSProject& m) { m.SetProperty("remnants", "100"); }, true, false, true},
        {"missing option reads 0", [](DCSProject& m) { m.SetProperty("sort", ""); }, true, false, true},
        {"row number", [](DCSProject& m) { SetRowValue(m, RowsPieces, 0, "length", "450"); }, true, true, true},
        {"row label", [](DCSProject& m) { SetRowValue(m, RowsPieces, 0, "label", "Frame"); }, true, false, true},
        {"results", [](DCSProject& m) { DocumentProbe::Cuttings(m).push_back(RowOf({{"signature", "1#a1-"}})); }, true, true, false},
        {"untracked key", [](DCSProject& m) { m.SetProperty("progress", "50"); }, false, false, false},
    };
    for (const Case& c : cases) {
        DCSProject m = material;
        c.edit(m);
        m.Refresh(false);
        EXPECT_EQ(c.mask1, m.IsChanged(kChangedAnything)) << c.what;
        EXPECT_EQ(c.mask2, m.IsChanged(kChangedResults)) << c.what;
        EXPECT_EQ(c.mask4, m.IsChanged(kChangedRecord)) << c.what;
        EXPECT_EQ(c.mask1 || c.mask4, m.IsChanged(kChangedProject)) << c.what;
        m.Refresh(true);
        EXPECT_FALSE(m.IsChanged(kChangedAll)) << c.what << " after a new baseline";
    }
}

TEST(DCSProjectFingerprint, WithoutABaselineNothingCountsAsChanged)
{
    TestAppServices app;
    DCSProject material;
    DocumentProbe::DropBaselines(material);
    material.SetProperty("desc", "x");
    DocumentProbe::Cuttings(material).push_back(RowOf({{"signature", "1#a1-"}}));
    material.UpdateFingerprint(false);
    EXPECT_FALSE(material.IsChanged(kChangedAll));
}

// ---- Bulk operations on the order --------------------------------------------------------

TEST_F(DCSProjectChanges, AppendRowsWithNothingChangesNothing)
{
    DocumentProbe::Summary(material).push_back(RowOf({{"type", "summary"}}));
    DocumentProbe::Solutions(material).Add(CUTTING::Layout());
    app.ClearEvents();
    EXPECT_FALSE(material.AppendRows({}, 2));
    EXPECT_EQ(1, material.GetSolutions().Count());
    EXPECT_EQ(1u, material.GetSummaryRows().size());
    EXPECT_EQ(0, app.CountEvents(13));
}

TEST_F(DCSProjectChanges, AppendRowsDropsTheResultsStampsAndRecounts)
{
    DocumentProbe::Summary(material).push_back(RowOf({{"type", "summary"}}));
    DocumentProbe::Cuttings(material).push_back(RowOf({{"signature", "1#a1-"}}));
    DocumentProbe::CuttingParts(material).push_back(RowOf({{"name", "1"}}));
    DocumentProbe::Remnants(material).push_back(RowOf({{"remnants", "10"}}));
    DocumentProbe::Solutions(material).Add(CUTTING::Layout());
    SetRowValue(material, RowsPieces, 0, "orphans", "3");
    app.ClearEvents();

    EXPECT_TRUE(material.AppendRows({RowOf({{"length", "300"}, {"quantity", "6"}, {"material", "Oak"}})}, 2));
    EXPECT_TRUE(material.GetSummaryRows().empty());
    EXPECT_TRUE(material.GetCuttingRows().empty());
    EXPECT_TRUE(material.GetCuttingPartRows().empty());
    EXPECT_EQ(0, material.GetSolutions().Count());
    EXPECT_EQ(1u, material.GetRemnantRows().size());  // remnants stay until the next apply
    EXPECT_EQ(1, app.CountEvents(13));
    ASSERT_EQ(2u, material.GetPieceRows().size());
    for (const DProps& row : material.GetPieceRows()) {
        EXPECT_EQ("Steel", Val(row, "material"));
        EXPECT_EQ("0", Val(row, "orphans"));
    }
    EXPECT_EQ("2", Val(material.GetPieceRows()[1], "id"));
    EXPECT_EQ(10, DProps::GetLong(material.GetTotals(), "pieces.quantity"));
    EXPECT_TRUE(material.IsChanged(kChangedResults));
}

TEST_F(DCSProjectChanges, AppendRowsOfKind1GoToTheStock)
{
    EXPECT_TRUE(material.AppendRows({RowOf({{"length", "3000"}, {"quantity", "1"}})}, 1));
    EXPECT_EQ(2u, material.GetBlankRows().size());
    EXPECT_EQ(1u, material.GetPieceRows().size());
    EXPECT_EQ(2, DProps::GetLong(material.GetTotals(), "blanks.items"));
}

TEST_F(DCSProjectChanges, SetMaterialStampsEveryRow)
{
    EXPECT_EQ(MaterialNameOk, material.SetMaterial("Oak"));
    EXPECT_EQ("Oak", Val(material.GetProperties(), "material"));
    for (const DProps& row : material.GetBlankRows())
        EXPECT_EQ("Oak", Val(row, "material"));
    for (const DProps& row : material.GetPieceRows())
        EXPECT_EQ("Oak", Val(row, "material"));
    EXPECT_TRUE(material.IsChanged(kChangedRecord));
}

// A name becomes a block name of the project file; these would lose the
// material (or the ones after it) when the file is read back.
TEST_F(DCSProjectChanges, SetMaterialRefusesNamesTheProjectFileCannotHold)
{
    const struct {
        const char* name;
        MaterialNameCheck result;
    } cases[] = {
        {"", MaterialNameEmpty},
        {nullptr, MaterialNameEmpty},
        {"#solution", MaterialNameReserved},
        {"#SOLUTION", MaterialNameReserved},
        {"a-->b", MaterialNameMarker},
        {"-->", MaterialNameMarker},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.result, material.SetMaterial(c.name)) << (c.name ? c.name : "null");
        EXPECT_EQ("Steel", Val(material.GetProperties(), "material"));
        EXPECT_EQ("Steel", Val(material.GetBlankRows()[0], "material"));
    }
    EXPECT_EQ(MaterialNameOk, DCSProject::CheckMaterialName("#solution 2"));
    EXPECT_EQ(MaterialNameOk, DCSProject::CheckMaterialName("a->b"));
}

TEST(DCSProjectRows, FindRowsByTheirNumberNotTheirPosition)
{
    TestAppServices app;
    DCSProject material;
    PropsList rows = {
        RowOf({{"material", "A"}, {"length", "100"}, {"quantity", "1"}}),
        RowOf({{"material", "B"}, {"length", "200"}, {"quantity", "1"}}),
        RowOf({{"material", "A"}, {"length", "300"}, {"quantity", "1"}}),
    };
    material.ReplaceRows(RowsPieces, "", rows);
    material.ReplaceRows(RowsBlanks, "", rows);
    const DProps* found = material.FindPieceRow(2);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("300", Val(*found, "length"));
    ASSERT_NE(nullptr, material.FindBlankRow(1));
    EXPECT_EQ("100", Val(*material.FindBlankRow(1), "length"));
    EXPECT_EQ(nullptr, material.FindPieceRow(3));
    material.ReplaceRows(RowsPieces, "", {});
    EXPECT_EQ(nullptr, material.FindPieceRow(1));
}

TEST(DCSProjectRows, CuttingsAndRemnantsNeedTheirCompanionRows)
{
    TestAppServices app;
    DCSProject material;
    EXPECT_FALSE(material.HasCuttings());
    DocumentProbe::Cuttings(material).push_back(DProps());
    EXPECT_FALSE(material.HasCuttings());
    EXPECT_FALSE(material.HasRemnants());
    DocumentProbe::Summary(material).push_back(DProps());
    EXPECT_TRUE(material.HasCuttings());
    DocumentProbe::Remnants(material).push_back(DProps());
    EXPECT_TRUE(material.HasRemnants());
    DocumentProbe::Cuttings(material).clear();
    EXPECT_FALSE(material.HasCuttings());
    EXPECT_FALSE(material.HasRemnants());
}

TEST_F(DCSProjectChanges, ClearSolutionsKeepsRemnantsAndLayout)
{
    DocumentProbe::Layout(material).cuttings.push_back(MakePattern(1, 2, {CUTTING::Piece(1, 500, 4)}));
    DocumentProbe::Remnants(material).push_back(DProps());
    DocumentProbe::Cuttings(material).push_back(RowOf({{"signature", "1#a4-"}}));
    material.UpdateFingerprint(true);
    app.ClearEvents();
    material.ClearSolutions();
    EXPECT_EQ(1u, material.GetRemnantRows().size());
    EXPECT_EQ(1u, material.GetLayout().cuttings.size());
    EXPECT_TRUE(material.IsChanged(kChangedResults));  // the results changed
    ASSERT_EQ(1u, app.Events().size());
    EXPECT_EQ(13, app.Events()[0].code);
    EXPECT_EQ(0, app.Events()[0].argument);
}

TEST_F(DCSProjectChanges, CopiesShareNothing)
{
    DocumentProbe::Solutions(material).Add(CUTTING::Layout());
    DocumentProbe::Summary(material).push_back(RowOf({{"type", "summary"}}));
    DCSProject copy(material);
    SetRowValue(copy, RowsPieces, 0, "length", "1");
    copy.SetProperty("desc", "copy");
    DocumentProbe::Solutions(copy).Clear();
    EXPECT_EQ("500", Val(material.GetPieceRows()[0], "length"));
    EXPECT_EQ("", Val(material.GetProperties(), "desc"));
    EXPECT_EQ(1, material.GetSolutions().Count());
    EXPECT_EQ("summary", Val(copy.GetSummaryRows()[0], "type"));
    EXPECT_EQ(material.GetPropertiesFingerprint(), copy.GetPropertiesFingerprint());

    DCSProject assigned;
    assigned = material;
    EXPECT_EQ("Steel", Val(assigned.GetProperties(), "material"));
    EXPECT_EQ(1u, assigned.GetBlankRows().size());
}

// A material goes while the project's list of materials changes, and the
// windows that hear an event read that list: it goes without a word.
TEST(DCSProjectRecord, DestructionRaisesNoEvent)
{
    TestAppServices app;
    {
        DCSProject material;
        app.ClearEvents();
    }
    EXPECT_TRUE(app.Events().empty());
}

}  // namespace

namespace {

// A material whose thread has ended hands its result and name to a copy, but
// not its thread handle: the original alone closes that.
TEST(DCSProjectRecord, ACopyTakesTheEndedThreadsResultButNotItsHandle)
{
    TestAppServices app;
    DCSProject material;
    material.SetName("material thread");
    // Something to calculate: the body ends with solutions, so with result 1.
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}})}, 1);
    material.AppendRows({RowOf({{"length", "1000"}, {"quantity", "3"}})}, 2);
    ASSERT_TRUE(material.Start());
    // The calculation hands its snapshot and its outcome to this thread.
    ASSERT_TRUE(PumpUntil([&] { return !material.IsRunning() && material.GetResult() != 0; }, 5000));
    ASSERT_FALSE(material.IsRunning());
    ASSERT_EQ(1, material.GetResult());
    {
        DCSProject copy(material);
        EXPECT_EQ(1, copy.GetResult());
        EXPECT_FALSE(copy.IsRunning());
        DCSProject assigned;
        assigned = material;
        EXPECT_EQ(1, assigned.GetResult());
    }
    // The original can still start again: its handle was neither taken nor closed.
    ASSERT_TRUE(material.Start());
    material.DThread::StopAndWait();
    EXPECT_FALSE(material.IsRunning());
}

}  // namespace

namespace {

// ---- Operations that keep the record whole ----------------------------------------------

TEST_F(DCSProjectChanges, EveryRowOperationEndsInTotalsFingerprintAndWarnings)
{
    struct Case {
        const char* what;
        bool (*change)(DCSProject&);
        long pieces;        // "pieces.quantity" afterwards
        bool numbers;       // IsChanged(kChangedResults) afterwards
    };
    const Case cases[] = {
        {"add", [](DCSProject& m) {
             DProps row = RowOf({{"length", "300"}, {"quantity", "2"}, {"material", "Steel"}});
             return m.AddRow(RowsPieces, row);
         }, 6, true},
        {"update", [](DCSProject& m) {
             DProps row = RowOf({{"uid", DProps::GetString(m.GetPieceRows()[0], "uid").c_str()}, {"quantity", "9"}});
             return m.UpdateRow(RowsPieces, row);
         }, 9, true},
        {"set values", [](DCSProject& m) {
             return m.SetRowValues(RowsPieces, DProps::GetString(m.GetPieceRows()[0], "uid").c_str(),
                                   RowOf({{"quantity", "7"}}));
         }, 7, true},
        {"delete", [](DCSProject& m) { return m.DeleteRow(RowsPieces, DProps(m.GetPieceRows()[0])); }, 0, true},
        {"replace", [](DCSProject& m) {
             return m.ReplaceRows(RowsPieces, "Steel",
                                  {RowOf({{"material", "Steel"}, {"length", "200"}, {"quantity", "11"}})});
         }, 11, true},
        {"move nowhere", [](DCSProject& m) { return !m.MoveRow(RowsPieces, DProps(m.GetPieceRows()[0])); }, 4, false},
    };
    for (const Case& c : cases) {
        DCSProject m = material;
        EXPECT_TRUE(c.change(m)) << c.what;
        EXPECT_EQ(c.pieces, DProps::GetLong(m.GetTotals(), "pieces.quantity")) << c.what;
        EXPECT_EQ(c.numbers, m.IsChanged(kChangedResults)) << c.what;
        // The order check of the material ran again: without part rows, an error.
        EXPECT_EQ(m.GetPieceRows().empty() ? 1 : 0, m.GetCheckResult()) << c.what;
        EXPECT_EQ(m.GetPieceRows().empty(), m.GetWarnings().IndexOf("37") >= 0) << c.what;
    }
}

TEST_F(DCSProjectChanges, SetPropertyTracksTheChangeAndRenamesThroughSetMaterial)
{
    EXPECT_TRUE(material.SetProperty("diversity", "2"));
    EXPECT_EQ("2", material.GetProperty("diversity"));
    EXPECT_TRUE(material.IsChanged(kChangedRecord));
    EXPECT_EQ("fallback", material.GetProperty("absent", "fallback"));

    EXPECT_TRUE(material.SetProperty("material", "Oak"));
    EXPECT_EQ("Oak", Val(material.GetBlankRows()[0], "material"));
    EXPECT_FALSE(material.SetProperty("material", "a-->b"));
    EXPECT_EQ("Oak", material.GetProperty("material"));
    EXPECT_FALSE(material.SetProperty("", "x"));
}

TEST_F(DCSProjectChanges, AnEditedLayoutIsTakenOverAsTheLayoutEditorSavesIt)
{
    SetLayout({MakePattern(1, 1, {CUTTING::Piece(1, 500, 4)})});
    material.ApplySolution(-1);
    const std::string calculation = material.GetProperty("calculation", "none");
    CUTTING::Layout edited = material.GetLayout();
    edited.cuttings[0].pieces[0].quantity = 3;   // one part taken off the bar by hand
    app.ClearEvents();

    material.ApplyEditedLayout(edited);
    EXPECT_EQ(1, app.CountEvents(13));
    ASSERT_EQ(1u, material.GetCuttingRows().size());
    EXPECT_EQ("1#a3-", Val(material.GetCuttingRows()[0], "signature"));
    // Rebuilt from the rows: the part taken off is unplaced and charged to its row.
    EXPECT_EQ(1, CUTTING::SumPieceQuantities(material.GetLayout().orphans));
    EXPECT_EQ("1", Val(material.GetPieceRows()[0], "orphans"));
    EXPECT_NE(calculation, material.GetProperty("calculation"));
    EXPECT_EQ(8u, material.GetProperty("calculation").size());
}

}  // namespace

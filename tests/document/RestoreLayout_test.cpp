#include <gtest/gtest.h>

#include "document/DCSProject.h"
#include "support/SolvedMaterial.h"
#include "support/DocumentProbe.h"
#include "tests/document/TestAppServices.h"

namespace {

class RestoreLayout : public ::testing::Test {
protected:
    TestAppServices app;
    DCSProject material;

    void SetUp() override { material.SetMaterial("Steel"); }

    void Stock(std::initializer_list<const char*> lengths)
    {
        PropsList rows;
        for (const char* l : lengths)
            rows.push_back(RowOf({{"length", l}, {"quantity", "5"}, {"cost", "2"}}));
        material.AppendRows(rows, 1);
    }
    void Parts(std::initializer_list<std::pair<const char*, const char*>> parts)
    {
        PropsList rows;
        for (const auto& p : parts)
            rows.push_back(RowOf({{"length", p.first}, {"quantity", p.second}}));
        material.AppendRows(rows, 2);
    }
    void Cuttings(std::initializer_list<std::pair<const char*, const char*>> rows, const char* blank = "1")
    {
        DocumentProbe::Cuttings(material).clear();
        for (const auto& r : rows)
            DocumentProbe::Cuttings(material).push_back(RowOf({{"signature", r.first}, {"copies", r.second}, {"blank", blank}}));
    }
    long Count(const CUTTING::Blank& pattern, long id)
    {
        const long at = CUTTING::FindPieceById(pattern.pieces, id);
        return at < 0 ? 0 : pattern.pieces[static_cast<size_t>(at)].quantity;
    }
};

TEST_F(RestoreLayout, StockAndDemandAreBuiltAsForACalculationPass)
{
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}, {"knife", "4"}, {"indent", "10"},
                                {"cost", "3.5"}}),
                         RowOf({{"length", "5000"}, {"quantity", "-2"}}),
                         RowOf({{"length", "3000"}, {"quantity", "7"}})},
                        1);
    Parts({{"1000", "1"}, {"500.00000001", "3"}, {"500", "2"}});
    CUTTING::Layout layout;
    material.BuildStockAndDemand(layout);

    ASSERT_EQ(3u, layout.blanks.size());
    EXPECT_EQ(CUTTING::UnlimitedQuantity, layout.blanks[0].quantity);
    EXPECT_EQ(CUTTING::UnlimitedQuantity, layout.blanks[1].quantity);
    EXPECT_EQ(7, layout.blanks[2].quantity);
    EXPECT_DOUBLE_EQ(4.0, layout.blanks[0].knife);
    EXPECT_DOUBLE_EQ(10.0, layout.blanks[0].indent);
    EXPECT_STREQ("3.500000", layout.blanks[0].props.Get("cost"));
    EXPECT_STREQ("a", layout.blanks[0].props.Get("name"));

    // Lengths within the tolerance merge under the id and name of their first row.
    ASSERT_EQ(2u, layout.pieces.size());
    EXPECT_EQ(1, layout.pieces[0].id);
    EXPECT_DOUBLE_EQ(1000.0, layout.pieces[0].length);
    EXPECT_EQ(2, layout.pieces[1].id);
    EXPECT_DOUBLE_EQ(500.00000001, layout.pieces[1].length);
    EXPECT_EQ(5, layout.pieces[1].quantity);
    EXPECT_STREQ("b", layout.pieces[1].props.Get("name"));
}

TEST_F(RestoreLayout, RowsBecomePatternsWithTheirBarCounts)
{
    Stock({"6000"});
    Parts({{"1000", "6"}, {"800", "3"}});
    Cuttings({{"1#a2-b1-", "3"}});
    material.RestoreLayout();

    ASSERT_EQ(1u, material.GetLayout().cuttings.size());
    const CUTTING::Blank& p = material.GetLayout().cuttings[0];
    EXPECT_EQ(3, p.quantity);
    EXPECT_EQ(2, Count(p, 1));
    EXPECT_EQ(1, Count(p, 2));
    EXPECT_EQ("1", DProps::GetString(p.props, "blank"));
    EXPECT_EQ("2.000000", DProps::GetString(p.props, "blank.cost"));
    // The parts shortest first, as a calculation lists them.
    EXPECT_EQ("1#b1-a2-", p.signature);
    // Everything placed: nothing left unplaced, and the material's cost follows the layout.
    EXPECT_EQ(0, CUTTING::SumPieceQuantities(material.GetLayout().orphans));
    EXPECT_EQ(DProps::GetString(material.GetLayout().props, "cost"), DProps::GetString(material.GetProperties(), "cost"));
    EXPECT_FALSE(DProps::GetString(material.GetProperties(), "cost").empty());
}

TEST_F(RestoreLayout, AMissingStockRowFallsBackToTheFirst)
{
    Stock({"6000", "4000"});
    Parts({{"1000", "2"}});
    Cuttings({{"1#a1-", "2"}}, "7");
    material.RestoreLayout();
    ASSERT_EQ(1u, material.GetLayout().cuttings.size());
    EXPECT_EQ(1, material.GetLayout().cuttings[0].id);
    EXPECT_DOUBLE_EQ(6000.0, material.GetLayout().cuttings[0].length);
}

TEST_F(RestoreLayout, DamagedSignaturesRebuildWhatTheyCan)
{
    Stock({"6000"});
    Parts({{"1000", "9"}, {"800", "9"}});

    // A letter without a part row keeps the parts before it.
    Cuttings({{"1#a2-x1-b1-", "1"}});
    material.RestoreLayout();
    ASSERT_EQ(1u, material.GetLayout().cuttings.size());
    EXPECT_EQ(2, Count(material.GetLayout().cuttings[0], 1));
    EXPECT_EQ(0, Count(material.GetLayout().cuttings[0], 2));

    // A signature without parts ends the patterns; unplaced parts count what was rebuilt.
    Cuttings({{"1#b2-", "1"}, {"1#", "1"}, {"1#a1-", "1"}});
    material.RestoreLayout();
    ASSERT_EQ(1u, material.GetLayout().cuttings.size());
    EXPECT_EQ(16, CUTTING::SumPieceQuantities(material.GetLayout().orphans));
}

TEST_F(RestoreLayout, AHandEditedLayoutPlacingMoreThanOrderedComesBackAsItWas)
{
    Stock({"6000"});
    Parts({{"1000", "2"}, {"800", "1"}});
    const struct {
        const char* signature;
        const char* copies;
        long first;
        long second;
        long unplaced;  // below 0: more placed than ordered
        const char* pattern;  // the rebuilt pattern's own signature, shortest part first
    } cases[] = {
        {"1#a4-", "1", 4, 0, -1, "1#a4-"},
        {"1#a2-b3-", "2", 2, 3, -7, "1#b3-a2-"},
        {"1#a2-b1-", "1", 2, 1, 0, "1#b1-a2-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signature);
        Cuttings({{c.signature, c.copies}});
        material.RestoreLayout();
        ASSERT_EQ(1u, material.GetLayout().cuttings.size());
        EXPECT_EQ(c.first, Count(material.GetLayout().cuttings[0], 1));
        EXPECT_EQ(c.second, Count(material.GetLayout().cuttings[0], 2));
        EXPECT_EQ(c.pattern, material.GetLayout().cuttings[0].signature);
        EXPECT_EQ(c.unplaced, CUTTING::SumPieceQuantities(material.GetLayout().orphans));
    }
}

TEST_F(RestoreLayout, NoStockRowsGiveNoPatterns)
{
    Parts({{"1000", "2"}});
    Cuttings({{"1#a2-", "1"}});
    material.RestoreLayout();
    EXPECT_TRUE(material.GetLayout().cuttings.empty());
    EXPECT_EQ(2, CUTTING::SumPieceQuantities(material.GetLayout().orphans));
}

TEST_F(RestoreLayout, RebuiltStatisticsMatchTheAppliedSolution)
{
    material.SetProperty("remnants", "500");
    FillSolved(material);
    const DProps summary = material.GetSummaryRows().at(0);
    DocumentProbe::Layout(material) = CUTTING::Layout();
    material.RestoreLayout();
    for (const char* key : {"used", "cmu", "waste", "remnants", "cost", "used.len", "pieces"})
        EXPECT_EQ(DProps::GetString(summary, key), DProps::GetString(material.GetLayout().props, key)) << key;
    EXPECT_EQ(1, CUTTING::SumPieceQuantities(material.GetLayout().orphans));
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CuttingFixtures.h"
#include "engine/LayoutStats.h"

using namespace CUTTING;

namespace {

// A cutting as the solver leaves it: annotated with its stock.
Blank Cutting(long stock, double length, double knife, std::initializer_list<PartSpec> parts, long bars,
              const char* cost = "1")
{
    Blank b = MakePattern(stock, length, knife, 0, parts, bars);
    b.props.SetLong("blank", stock);
    b.props.Set("blank.cost", cost);
    b.props.SetDouble("blank.length", length, "%.5f");
    b.UpdateSignature(false);
    return b;
}

void ExpectProps(const DProps& bag, const std::vector<std::pair<const char*, const char*>>& expected,
                 const char* where)
{
    for (const auto& e : expected)
        EXPECT_EQ(e.second, Prop(bag, e.first)) << where << ": " << e.first;
}

DProps Options(const char* remnants)
{
    DProps options;
    if (remnants)
        options.Set("remnants", remnants);
    return options;
}

}  // namespace

// ---- Signature and refresh ----------------------------------------------------------

TEST(LayoutSignature, SortedPatternTextsJoined)
{
    Layout a;
    a.cuttings.push_back(Cutting(1, 6000, 0, {{2, 100, 1}, {3, 100, 1}}, 1));
    a.cuttings.push_back(Cutting(1, 6000, 0, {{1, 100, 2}}, 3));
    UpdateSignature(a);
    EXPECT_EQ("1#a2-x3-1#b1-c1-x1", a.signature);
    EXPECT_EQ(a.signature, Prop(a.props, "signature"));

    Layout b;
    b.cuttings = {a.cuttings[1], a.cuttings[0]};
    UpdateSignature(b);
    EXPECT_EQ(a.signature, b.signature);

    Layout empty;
    UpdateSignature(empty);
    EXPECT_EQ("", empty.signature);
}

TEST(LayoutRefresh, FinishesWhenStockOrDemandRunsOut)
{
    struct Case {
        long state;
        long stockLeft;
        long demandLeft;
        bool withCutting;
        long state2;
        long complete;
    };
    const std::vector<Case> cases = {
        {2, 0, 5, true, 3, 1},  {1, 4, 0, true, 3, 1}, {2, 0, 0, false, 3, 0},
        {2, 4, 5, true, 2, 1},  {0, 0, 0, true, 0, 1}, {3, 0, 0, false, 3, 1},
    };
    for (const Case& c : cases) {
        Layout l;
        l.state = c.state;
        l.blanks.push_back(Blank(1, 6000, c.stockLeft));
        l.pieces.emplace_back(1, 1000, c.demandLeft);
        if (c.withCutting)
            l.cuttings.push_back(Cutting(1, 6000, 0, {{1, 1000, 1}}, 1));
        Refresh(l, false);
        EXPECT_EQ(c.state2, l.state) << c.state << "/" << c.stockLeft << "/" << c.demandLeft;
        EXPECT_EQ(c.complete, l.complete) << c.state << "/" << c.stockLeft << "/" << c.demandLeft;
    }
}

TEST(LayoutRefresh, SortsLongestBarsFirstAndWritesTotals)
{
    Layout l;
    l.blanks = {Blank(1, 4000, 5), Blank(2, 6000, 5)};
    l.cuttings.push_back(Cutting(1, 4000, 5, {{1, 1000, 3}}, 2));
    l.cuttings.push_back(Cutting(2, 6000, 5, {{1, 1000, 2}, {2, 2000, 1}}, 1));
    Refresh(l, true);
    ASSERT_EQ(2u, l.cuttings.size());
    EXPECT_EQ(6000.0, l.cuttings[0].length);
    // 4000 bar: 3 x 1000 + 3 kerfs = 3015 used; 6000 bar: 4000 + 3 kerfs = 4015 used.
    ExpectProps(l.props,
                {{"output", "10045"}, {"used", "3"}, {"pieces", "9"}, {"cmu", "71.75000"}, {"waste", "28.25000"},
                 {"shifts", "3"}},
                "layout");
    EXPECT_EQ(6, l.props.Count());
    ExpectProps(l.blanks[0].props,
                {{"blank", "1"}, {"used", "2"}, {"pieces", "6"}, {"cmu", "75.37500"}, {"waste", "24.62500"},
                 {"shifts", "1"}, {"output", "6030.00000"}},
                "stock 1");
    ExpectProps(l.blanks[1].props, {{"blank", "2"}, {"used", "1"}, {"shifts", "2"}, {"output", "4015.00000"}},
                "stock 2");
}

// ---- Applying patterns ----------------------------------------------------------------

TEST(LayoutApply, CutsAsOftenAsDemandAndStockAllow)
{
    struct Case {
        long stock;
        long applied;
        long demand1, demand2, stockLeft;
    };
    const std::vector<Case> cases = {
        {UnlimitedQuantity, 3, 1, 0, UnlimitedQuantity - 3},
        {2, 2, 3, 2, 0},
        {0, 0, 7, 6, 0},
    };
    for (const Case& c : cases) {
        Layout l;
        l.blanks.push_back(Blank(4, 6000, c.stock, 5));
        l.pieces = {Piece(1, 2000, 7), Piece(2, 1500, 6), Piece(3, 900, 0)};
        Blank pattern = MakePattern(4, 6000, 5, 0, {{1, 2000, 2}, {2, 1500, 2}, {3, 900, 0}});
        pattern.quantity = 99;
        EXPECT_EQ(c.applied, ApplyPattern(l, pattern));
        EXPECT_EQ(c.demand1, l.pieces[0].quantity);
        EXPECT_EQ(c.demand2, l.pieces[1].quantity);
        EXPECT_EQ(c.stockLeft, l.blanks[0].quantity);
        EXPECT_EQ(c.applied, pattern.quantity);
        if (c.applied == 0) {
            EXPECT_TRUE(l.cuttings.empty());
            continue;
        }
        ASSERT_EQ(1u, l.cuttings.size());
        EXPECT_EQ(c.applied, l.cuttings[0].quantity);
        EXPECT_EQ(2u, l.cuttings[0].pieces.size());  // the kind with count 0 is gone
        EXPECT_EQ("4#a2-b2-", l.cuttings[0].signature);
    }
}

TEST(LayoutApply, UnknownStockOrEmptyPatternCutsNothing)
{
    Layout l;
    l.blanks.push_back(Blank(1, 6000, 5));
    l.pieces = {Piece(1, 1000, 4)};
    Blank other = MakePattern(2, 6000, 0, 0, {{1, 1000, 1}});
    EXPECT_EQ(0, ApplyPattern(l, other));
    Blank empty(1, 6000, 3);
    EXPECT_EQ(0, ApplyPattern(l, empty));
    EXPECT_EQ(0, empty.quantity);
    // Parts listed but none counted is just as empty: it must not use up bars.
    Blank zeros = MakePattern(1, 6000, 0, 0, {{1, 1000, 0}});
    EXPECT_EQ(0, ApplyPattern(l, zeros));
    EXPECT_EQ(0, zeros.quantity);
    EXPECT_TRUE(l.cuttings.empty());
    EXPECT_EQ(5, l.blanks[0].quantity);
    EXPECT_EQ(4, l.pieces[0].quantity);
}

TEST(LayoutPrune, RemovesEmptyPiecesAndCuttings)
{
    Layout l;
    l.pieces = {Piece(1, 100, 0), Piece(2, 200, 3), Piece(3, 300, 0)};
    RemoveEmptyPieces(l);
    ASSERT_EQ(1u, l.pieces.size());
    EXPECT_EQ(2, l.pieces[0].id);

    std::vector<Blank> list = {Blank(1, 10, 0), Blank(2, 10, 2), Blank(3, 10, -1), Blank(4, 10, 1)};
    EXPECT_EQ(2, RemoveEmptyCuttings(list));
    EXPECT_EQ(2, list[0].id);
    EXPECT_EQ(4, list[1].id);
}

TEST(LayoutMerge, EqualSignaturesJoinTheirBars)
{
    Layout l;
    l.cuttings.push_back(Cutting(2, 6000, 0, {{1, 1000, 2}}, 3));
    l.cuttings.push_back(Cutting(1, 6000, 0, {{2, 500, 1}}, 1));
    l.cuttings.push_back(Cutting(2, 6000, 0, {{1, 1000, 2}}, 4));
    EXPECT_TRUE(MergeEqualPatterns(l, true));
    ASSERT_EQ(2u, l.cuttings.size());
    EXPECT_EQ("1#b1-", l.cuttings[0].signature);  // sorted by stock
    EXPECT_EQ(7, l.cuttings[1].quantity);
    EXPECT_FALSE(MergeEqualPatterns(l, false));
}

TEST(LayoutRemaining, OverproductionCountsNegative)
{
    Layout l;
    l.pieces = {Piece(1, 2000, 5), Piece(2, 1000, 1), Piece(3, 700, 4)};
    l.cuttings.push_back(Cutting(1, 6000, 0, {{1, 2000, 2}, {2, 1000, 1}}, 2));
    l.cuttings.push_back(Cutting(1, 6000, 0, {{3, 700, 3}}, 0));  // no bars: ignored
    l.cuttings.push_back(Cutting(1, 6000, 0, {{9, 50, 1}}, 1));   // unknown kind: ignored

    std::vector<Piece> left;
    EXPECT_EQ(4, RemainingPieces(left, l, nullptr));
    ASSERT_EQ(3u, left.size());
    EXPECT_EQ(1, left[0].quantity);
    EXPECT_EQ(-1, left[1].quantity);
    EXPECT_EQ(4, left[2].quantity);

    const std::vector<Piece> demand = {Piece(1, 2000, 4)};
    EXPECT_EQ(0, RemainingPieces(left, l, &demand));
    ASSERT_EQ(1u, left.size());

    // The result may be the layout's own demand.
    EXPECT_EQ(4, RemainingPieces(l.pieces, l, nullptr));
    EXPECT_EQ(-1, l.pieces[1].quantity);
}

TEST(LayoutStock, ClampSumAndFind)
{
    Layout l;
    l.blanks = {Blank(1, 6000, 2), Blank(2, 4000, 5)};
    l.cuttings.push_back(Cutting(1, 6000, 0, {{1, 100, 1}}, 3));
    l.cuttings.push_back(Cutting(2, 4000, 0, {{1, 100, 1}}, 4));
    l.cuttings.push_back(Cutting(1, 6000, 0, {{2, 100, 1}}, 1));
    l.cuttings.push_back(Cutting(7, 6000, 0, {{2, 100, 1}}, 9));
    EXPECT_EQ(2, ClampToStock(l));
    EXPECT_EQ(2, l.cuttings[0].quantity);
    EXPECT_EQ(4, l.cuttings[1].quantity);
    EXPECT_EQ(0, l.cuttings[2].quantity);
    EXPECT_EQ(9, l.cuttings[3].quantity);
    EXPECT_EQ(2, l.blanks[0].quantity);  // the stock itself is not touched

    EXPECT_EQ(7, SumBlankQuantities(-1, l.blanks));
    EXPECT_EQ(2, SumBlankQuantities(6000 - 5e-8, l.blanks));
    EXPECT_EQ(0, SumBlankQuantities(-1, {}));
    EXPECT_EQ(1, FindBlankById(l.blanks, 2));
    EXPECT_EQ(-1, FindBlankById(l.blanks, 3));
}

// ---- Full statistics ------------------------------------------------------------------

TEST(LayoutSummary, RemnantThresholdDecidesWhatCountsAsStockUsed)
{
    struct Case {
        const char* remnants;
        const char* cutRemnants;
        const char* length;
        const char* lu1;
    };
    const std::vector<Case> cases = {
        {"500", "5970.00000", "12030.00000", "2020.00000"},
        {"2500", "0.00000", "18000.00000", "4010.00000"},
        {"1990", "0.00000", "18000.00000", "4010.00000"},  // equal is not greater
        {"0", "0.00000", "18000.00000", "4010.00000"},
        {nullptr, "0.00000", "18000.00000", "4010.00000"},
    };
    for (const Case& c : cases) {
        Layout l;
        l.cuttings.push_back(Cutting(1, 6000, 5, {{1, 2000, 2}}, 3));
        ComputeSummary(Options(c.remnants), l);
        const char* where = c.remnants ? c.remnants : "missing";
        ExpectProps(l.cuttings[0].props,
                    {{"remnants", c.cutRemnants}, {"length", c.length}, {"LR1", "1990.00000"},
                     {"LRA", "5970.00000"}, {"LU1", c.lu1}, {"Pmin", "2000.00000"}, {"Pmax", "2000.00000"}},
                    where);
        EXPECT_EQ(c.length, Prop(l.props, "used.len")) << where;
        EXPECT_EQ(c.cutRemnants, Prop(l.props, "remnants")) << where;
    }
    Layout l;
    l.cuttings.push_back(Cutting(1, 6000, 5, {{1, 2000, 2}}, 3));
    ComputeSummary(Options("500"), l);
    EXPECT_EQ("6060.00000", Prop(l.cuttings[0].props, "LUA"));
}

TEST(LayoutSummary, TwoStocksEveryKey)
{
    Layout l;
    l.blanks = {Blank(1, 6000, 10, 5), Blank(2, 4000, 10, 5), Blank(3, 3000, 10, 5)};
    l.blanks[0].props.Set("cost", "2");
    l.blanks[1].props.Set("cost", "3");
    l.cuttings.push_back(Cutting(1, 6000, 5, {{1, 2000, 2}}, 3, "2"));
    l.cuttings.push_back(Cutting(2, 4000, 5, {{2, 1500, 2}, {3, 900, 1}}, 1, "3"));
    // A pattern without bars adds nothing but its single length change.
    l.cuttings.push_back(Cutting(1, 6000, 5, {{3, 900, 1}}, 0, "2"));
    l.ComputeSummary(Options("500"));

    ExpectProps(l.props,
                {{"output", "15945.00000"}, {"used.len", "16030.00000"}, {"used", "4"}, {"pieces", "9"},
                 {"cmu", "99.46974"}, {"waste", "0.53026"}, {"shifts", "4"}, {"remnants", "5970.00000"},
                 {"srest", "3447.82903"}, {"cost", "36060.00000"}, {"cost.ppu", "2.26152"}, {"brest", "862.0"}},
                "layout");
    const char* order[] = {"output", "used.len", "used", "pieces", "cmu", "waste", "shifts",
                           "remnants", "srest", "cost", "cost.ppu", "brest"};
    ASSERT_EQ(12, l.props.Count());
    for (int i = 0; i < 12; ++i)
        EXPECT_STREQ(order[i], l.props.GetKeyAt(i));

    ExpectProps(l.cuttings[1].props,
                {{"Pmin", "900.00000"}, {"Pmax", "1500.00000"}, {"LR1", "85.00000"}, {"LRA", "85.00000"},
                 {"LU1", "3915.00000"}, {"LUA", "3915.00000"}, {"shifts", "2.00000"}, {"remnants", "0.00000"},
                 {"layout", "1500, 1500, 900"}},
                "cutting 2");
    EXPECT_EQ(-1, l.cuttings[2].props.IndexOf("Pmin"));

    ExpectProps(l.blanks[0].props,
                {{"blank", "1"}, {"used", "3"}, {"used.len", "12030.00000"}, {"cost.sum", "24060.00000"},
                 {"pieces", "6"}, {"cmu", "100.00000"}, {"waste", "0.00000"}, {"shifts", "1"},
                 {"cost.ppu", "2.00000"}, {"output", "12030.00000"}, {"remnants", "5970.00000"}},
                "stock 1");
    ExpectProps(l.blanks[1].props,
                {{"used", "1"}, {"used.len", "4000.00000"}, {"cost.sum", "12000.00000"}, {"pieces", "3"},
                 {"cmu", "97.87500"}, {"waste", "2.12500"}, {"shifts", "2"}, {"cost.ppu", "3.06513"},
                 {"output", "3915.00000"}, {"remnants", "0.00000"}},
                "stock 2");
    ExpectProps(l.blanks[2].props,
                {{"blank", "3"}, {"used", "0"}, {"cmu", "0.00000"}, {"waste", "100.00000"}, {"cost.ppu", "0.00000"}},
                "stock 3");
}

TEST(LayoutSummary, EmptyLayout)
{
    Layout l;
    l.props.Set("stale", "1");
    ComputeSummary(Options("500"), l);
    ExpectProps(l.props,
                {{"cmu", "0.00000"}, {"waste", "100.00000"}, {"srest", "0.00000"}, {"cost.ppu", "0.00000"},
                 {"brest", "0.0"}, {"used", "0"}, {"used.len", "0.00000"}},
                "empty");
    EXPECT_EQ(-1, l.props.IndexOf("stale"));
}

TEST(LayoutSummary, PminStartsFromTheBarLength)
{
    Layout l;
    Blank c = Cutting(1, 6000, 0, {{1, 2000, 1}}, 1);
    c.props.RemovePrefixed("blank.length", -1);
    l.cuttings.push_back(c);
    ComputeSummary(Options(nullptr), l);
    EXPECT_EQ("0.00000", Prop(l.cuttings[0].props, "Pmin"));
    EXPECT_EQ("2000.00000", Prop(l.cuttings[0].props, "Pmax"));
}

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "CuttingFixtures.h"
#include "engine/Cutting.h"

using namespace CUTTING;

// ---- Records and copies ---------------------------------------------------------

TEST(CuttingRecords, NewRecordsStartEmpty)
{
    Piece p;
    EXPECT_EQ(0, p.id);
    EXPECT_EQ(0.0, p.length);
    EXPECT_EQ(0, p.quantity);
    EXPECT_EQ(1.0, p.weight);
    EXPECT_EQ(0, p.props.Count());

    Blank b;
    EXPECT_EQ(0, b.id);
    EXPECT_EQ(0, b.quantity);
    EXPECT_EQ(0.0, b.knife);
    EXPECT_TRUE(b.pieces.empty());
    EXPECT_TRUE(b.signature.empty());

    Layout l;
    EXPECT_EQ(0, l.number);
    EXPECT_EQ(1, l.complete);
    EXPECT_EQ(0, l.state);
    EXPECT_EQ(0.0, l.score);
}

TEST(CuttingRecords, CopyingALayoutNeverSharesWithTheOriginal)
{
    Layout original;
    original.blanks.push_back(Blank(1, 6000, 10, 5));
    original.pieces.emplace_back(1, 2000, 4);
    Blank cut = MakePattern(1, 6000, 5, 0, {{1, 2000, 2}}, 3);
    cut.props.Set("blank", "1");
    cut.UpdateSignature(true);
    original.cuttings.push_back(cut);
    original.props.Set("cost", "7");

    Layout copy(original);
    copy.cuttings[0].quantity = 9;
    copy.cuttings[0].pieces[0].quantity = 1;
    copy.cuttings[0].pieces[0].props.Set("name", "x");
    copy.cuttings[0].props.Set("blank", "2");
    copy.cuttings[0].UpdateSignature(false);
    copy.props.Set("cost", "8");
    copy.pieces[0].quantity = 0;
    copy.blanks[0].quantity = 1;

    EXPECT_EQ(3, original.cuttings[0].quantity);
    EXPECT_EQ(2, original.cuttings[0].pieces[0].quantity);
    EXPECT_EQ(0, original.cuttings[0].pieces[0].props.Count());
    EXPECT_EQ("1", Prop(original.cuttings[0].props, "blank"));
    EXPECT_EQ("1#a2-", original.cuttings[0].signature);
    EXPECT_EQ("7", Prop(original.props, "cost"));
    EXPECT_EQ(4, original.pieces[0].quantity);
    EXPECT_EQ(10, original.blanks[0].quantity);

    Layout assigned;
    assigned = original;
    assigned.cuttings[0].props.Set("blank", "5");
    EXPECT_EQ("1", Prop(original.cuttings[0].props, "blank"));
    EXPECT_EQ("5", Prop(assigned.cuttings[0].props, "blank"));
    EXPECT_EQ(original.cuttings[0].signature, assigned.cuttings[0].signature);
}

// ---- Merging ----------------------------------------------------------------------

TEST(CuttingMerge, BlankAddPieceMergesByIdAndNeverGoesNegative)
{
    Blank b = MakePattern(1, 6000, 0, 0, {{1, 2000, 2}});
    b.AddPiece(Piece(1, 999, -3));  // same id: merged whatever the length
    ASSERT_EQ(1u, b.pieces.size());
    EXPECT_EQ(0, b.pieces[0].quantity);
    b.AddPiece(Piece(2, 2000, 1));  // same length, other id: a new entry
    ASSERT_EQ(2u, b.pieces.size());
    EXPECT_EQ(2, b.pieces[1].id);
}

TEST(CuttingMerge, LayoutDemandMergesByLengthWithinTolerance)
{
    Layout l;
    l.AddPiece(Piece(1, 2000, 2));
    l.AddPiece(Piece(2, 2000 + 5e-8, 3));
    ASSERT_EQ(1u, l.pieces.size());
    EXPECT_EQ(5, l.pieces[0].quantity);
    l.AddPiece(Piece(3, 2000, -9));
    EXPECT_EQ(0, l.pieces[0].quantity);
    l.AddPiece(Piece(4, 2000 + 1e-6, 1));
    EXPECT_EQ(2u, l.pieces.size());
    l.AddPiece(Piece(5, 1000, 0));
    l.AddPiece(Piece(6, 0, 4));
    EXPECT_EQ(2u, l.pieces.size());
}

TEST(CuttingMerge, LayoutStockMergesById)
{
    Layout l;
    l.AddBlank(Blank(1, 6000, 2));
    l.AddBlank(Blank(1, 5000, 3));
    l.AddBlank(Blank(2, 6000, 0));
    l.AddBlank(Blank(3, 0, 4));
    ASSERT_EQ(1u, l.blanks.size());
    EXPECT_EQ(5, l.blanks[0].quantity);
    EXPECT_EQ(6000.0, l.blanks[0].length);
}

TEST(CuttingMerge, TryAddPieceKeepsThePatternWhenTheBarOverflows)
{
    Blank b = MakePattern(1, 6000, 5, 20, {{1, 2000, 2}});
    EXPECT_TRUE(b.TryAddPiece(Piece(7, 1900, 1)));
    ASSERT_EQ(2u, b.pieces.size());

    Blank before = b;
    EXPECT_FALSE(b.TryAddPiece(Piece(8, 2000, 1)));
    ASSERT_EQ(before.pieces.size(), b.pieces.size());
    EXPECT_EQ(2, b.pieces[0].quantity);

    // An equal length raises the existing entry instead of adding a second one.
    Blank c = MakePattern(1, 6000, 5, 0, {{1, 1000, 1}});
    EXPECT_TRUE(c.TryAddPiece(Piece(9, 1000 + 5e-8, 2)));
    ASSERT_EQ(1u, c.pieces.size());
    EXPECT_EQ(3, c.pieces[0].quantity);

    EXPECT_FALSE(c.TryAddPiece(Piece(3, 100, 0)));
    EXPECT_FALSE(c.TryAddPiece(Piece(3, 0, 1)));
    EXPECT_EQ(1u, c.pieces.size());
}

TEST(CuttingMerge, SetPiecesRenewsTheSignatureAndClearCountsEmptiesIt)
{
    Blank b(2, 6000, 1);
    std::vector<Piece> list{Piece(1, 1000, 1), Piece(3, 500, 2)};
    b.SetPieces(list);
    EXPECT_EQ("2#a1-c2-", b.signature);
    list[0].quantity = 7;
    EXPECT_EQ(1, b.pieces[0].quantity);
    b.ClearCounts();
    EXPECT_EQ(0, b.pieces[1].quantity);
    EXPECT_EQ("2#", b.UpdateSignature(false).signature);
}

TEST(CuttingLists, SumAndFindById)
{
    std::vector<Piece> list{Piece(4, 10, 2), Piece(7, 20, 3), Piece(4, 30, 1)};
    EXPECT_EQ(6, SumPieceQuantities(list));
    EXPECT_EQ(0, SumPieceQuantities({}));
    EXPECT_EQ(0, FindPieceById(list, 4));
    EXPECT_EQ(1, FindPieceById(list, 7));
    EXPECT_EQ(-1, FindPieceById(list, 5));
}

// ---- Signatures -------------------------------------------------------------------

struct SignatureCase {
    long stock;
    std::vector<std::pair<long, long>> parts;  // id, count
    std::string expected;
};

TEST(CuttingSignature, TextForKnownIds)
{
    const std::vector<SignatureCase> cases = {
        {1, {{1, 3}, {4, 2}}, "1#a3-d2-"},
        {3, {{2, 0}, {5, 1}}, "3#e1-"},
        {10, {{26, 1}, {27, 12}}, ":#z1-A12-"},
        {9, {{52, 1}, {53, 1}, {62, 1}}, "9#Z1-01-91-"},
        {0, {{1, 1}}, "0#a1-"},
        {207, {{63, 2}, {125, 1}}, "\xFF#\xC0" "2-\xFE" "1-"},
        {208, {{126, 1}}, "(208)#(126)1-"},
        {-1, {{0, 2}, {-4, 1}}, "(-1)#(0)2-(-4)1-"},
        {1, {}, "1#"},
        {1, {{1, -3}, {2, 2147483647L}, {-2147483647L - 1, 10}}, "1#a-3-b2147483647-(-2147483648)10-"},
        {-2147483647L - 1, {{3, 100}}, "(-2147483648)#c100-"},
    };
    for (const SignatureCase& c : cases) {
        Blank b(c.stock, 6000, 1);
        for (const auto& part : c.parts)
            b.pieces.emplace_back(part.first, 10.0, part.second);
        EXPECT_EQ(c.expected, b.UpdateSignature(false).signature) << "stock " << c.stock;
    }
}

TEST(CuttingSignature, SeventyKindsPlacedOnceGiveSeventyPatterns)
{
    std::set<std::string> seen;
    for (long id = 1; id <= 70; ++id) {
        Blank b(1, 6000, 1);
        b.pieces.emplace_back(id, 50.0, 1);
        seen.insert(b.UpdateSignature(false).signature);
    }
    EXPECT_EQ(70u, seen.size());

    // Kinds far apart, and stocks 256 apart, stay apart as well.
    Blank x(1, 6000, 1), y(257, 6000, 1), z(1, 6000, 1);
    x.pieces.emplace_back(200, 50.0, 1);
    y.pieces.emplace_back(200, 50.0, 1);
    z.pieces.emplace_back(300, 50.0, 1);
    EXPECT_NE(x.UpdateSignature(false).signature, y.UpdateSignature(false).signature);
    EXPECT_NE(x.signature, z.UpdateSignature(false).signature);
}

TEST(CuttingSignature, ReadBackGivesTheIdsAndCounts)
{
    const std::vector<long> stocks = {0, 1, 9, 10, 207, 208, 264, -5};
    const std::vector<long> parts = {1, 26, 27, 52, 53, 62, 63, 125, 126, 1000, 0, -2};
    for (long stock : stocks) {
        Blank b(stock, 6000, 1);
        long count = 1;
        for (long id : parts)
            b.pieces.emplace_back(id, 10.0, count++);
        b.UpdateSignature(false);

        long readStock = -99;
        std::vector<SignatureEntry> entries;
        ASSERT_TRUE(ReadSignature(b.signature, &readStock, &entries)) << b.signature;
        EXPECT_EQ(stock, readStock);
        ASSERT_EQ(parts.size(), entries.size());
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(parts[i], entries[i].id) << b.signature;
            EXPECT_EQ(static_cast<long>(i) + 1, entries[i].count);
        }
    }
}

TEST(CuttingSignature, ReaderCopesWithLegacyAndBrokenTexts)
{
    long stock = 0;
    std::vector<SignatureEntry> entries;
    // The old shared letter names no kind.
    ASSERT_TRUE(ReadSignature("2#*3-b1-", &stock, &entries));
    EXPECT_EQ(2, stock);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(0, entries[0].id);
    EXPECT_EQ(3, entries[0].count);
    EXPECT_EQ(2, entries[1].id);

    EXPECT_TRUE(ReadSignature("", &stock, &entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(ReadSignature("1#", &stock, &entries));
    EXPECT_TRUE(entries.empty());

    for (const char* bad : {"1#a2", "1#a-", "1#-", "1#(12-", "(x)#a1-", "12#a1-", "1#a2b1-", "a1-"}) {
        EXPECT_FALSE(ReadSignature(bad, &stock, &entries)) << bad;
    }

    size_t pos = 0;
    EXPECT_EQ(3, ReadPieceCode("c", &pos));
    EXPECT_EQ(1u, pos);
    EXPECT_EQ(0, ReadPieceCode("c", &pos));
    pos = 0;
    EXPECT_EQ(4711, ReadPieceCode("(4711)2-", &pos));
    EXPECT_EQ(6u, pos);
}

// ---- Per-pattern statistics -------------------------------------------------------

TEST(CuttingStats, TwoBarsWithOneLengthChange)
{
    Blank b = MakePattern(1, 6000, 5, 0, {{1, 2000, 2}}, 2);
    b.fitness = 0.25;
    b.UpdateSignature(true);

    EXPECT_NEAR(4010.0 / 6000.0, b.ratio, 1e-12);
    EXPECT_NEAR(66.833333, b.cmu, 1e-6);
    EXPECT_EQ(1, b.shifts);

    const std::vector<std::pair<const char*, const char*>> expected = {
        {"trash", "3980.00000"}, {"output", "8020.00000"}, {"ratio", "0.66833"},
        {"length", "12000.00000"}, {"used", "2"}, {"pieces", "4"},
        {"cmu", "66.83333"}, {"waste", "33.16667"}, {"shifts", "1.00000"},
        {"remains", "1990.00000"}, {"fitness", "0.25000"}, {"layout", "2000, 2000"},
    };
    ASSERT_EQ(static_cast<int>(expected.size()), b.props.Count());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_STREQ(expected[i].first, b.props.GetKeyAt(static_cast<int>(i)));
        EXPECT_STREQ(expected[i].second, b.props.GetValueAt(static_cast<int>(i))) << expected[i].first;
    }
}

TEST(CuttingStats, ShiftsGrowWithTheBarsOnlyBeyondOneChange)
{
    struct Case {
        long bars;
        std::vector<PartSpec> parts;
        const char* shifts;
        long perBar;
    };
    const std::vector<Case> cases = {
        {2, {{1, 2000, 1}, {2, 1000, 2}}, "4.00000", 2},
        {3, {{1, 2000, 1}, {2, 1000, 1}, {3, 500, 1}}, "9.00000", 3},
        {3, {{1, 2000, 2}}, "1.00000", 1},
        {0, {{1, 2000, 1}, {2, 1000, 1}}, "0.00000", 2},
    };
    for (const Case& c : cases) {
        Blank b(1, 6000, c.bars, 5);
        for (const PartSpec& p : c.parts)
            b.pieces.emplace_back(p.id, p.length, p.quantity);
        b.UpdateStats();
        EXPECT_EQ(c.perBar, b.shifts);
        EXPECT_EQ(c.shifts, Prop(b.props, "shifts"));
    }
}

TEST(CuttingStats, LayoutTextRepeatsPartsAndCutsZeros)
{
    Blank b = MakePattern(1, 6000, 0, 0, {{1, 1500.5, 2}, {2, 700, 0}, {3, 250.25, 1}});
    b.UpdateStats();
    EXPECT_EQ("1500.5, 1500.5, 250.25", Prop(b.props, "layout"));
}

TEST(CuttingStats, BorderBars)
{
    struct Case {
        const char* name;
        Blank bar;
        std::vector<std::pair<const char*, const char*>> expected;
    };
    const std::vector<Case> cases = {
        {"zero-length bar holding parts", MakePattern(1, 0, 5, 0, {{1, 100, 2}}),
         {{"ratio", "0.00000"}, {"cmu", "0.00000"}, {"waste", "100.00000"}}},
        {"empty pattern", MakePattern(1, 6000, 5, 0, {}),
         {{"remains", "6000.00000"}, {"ratio", "0.00000"}, {"layout", ""}, {"pieces", "0"}}},
        {"exact fill", MakePattern(1, 6000, 0, 20, {{1, 2000, 3}}),
         {{"ratio", "1.00000"}, {"remains", "0.00000"}, {"cmu", "100.00000"}, {"waste", "0.00000"}}},
        {"overfull bar", MakePattern(1, 6000, 5, 0, {{1, 2000, 3}}),
         {{"remains", "-15.00000"}, {"ratio", "1.00250"}, {"waste", "0.00000"}}},
    };
    for (Case c : cases) {
        c.bar.UpdateStats();
        for (const auto& e : c.expected)
            EXPECT_EQ(e.second, Prop(c.bar.props, e.first)) << c.name << ": " << e.first;
    }
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/DCSStorage.h"
#include "document/OrderCheck.h"
#include "foundation/DSettings.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"
#include "foundation/StrList.h"
#include "support/DocumentProbe.h"
#include "support/PropsTestHelpers.h"

namespace {

std::string Val(const DProps& row, const char* key)
{
    return DProps::GetString(row, key, "<absent>");
}

// Ids and names of the rows, "id:name" each, in list order.
std::vector<std::string> Numbering(const PropsList& rows)
{
    std::vector<std::string> out;
    for (const DProps& r : rows)
        out.push_back(Val(r, "id") + ":" + Val(r, "name"));
    return out;
}

std::vector<std::string> Column(const PropsList& rows, const char* key)
{
    std::vector<std::string> out;
    for (const DProps& r : rows)
        out.push_back(Val(r, key));
    return out;
}

DProps Stock(const char* material, const char* length, const char* quantity)
{
    DProps row = BagOf({{"length", length}, {"quantity", quantity}});
    if (material)
        row.Set("material", material);
    return row;
}

DProps Part(const char* material, const char* length, const char* quantity, const char* label = "")
{
    DProps row = BagOf({{"length", length}, {"quantity", quantity}, {"label", label}});
    if (material)
        row.Set("material", material);
    return row;
}

// Restores the dot after tests that switch the decimal separator.
class SeparatorGuard {
public:
    explicit SeparatorGuard(const char* separator) { NumSetSeparator(separator); }
    ~SeparatorGuard() { NumSetSeparator("."); }
};

// A storage with one material "A": one stock bar and two part rows, counted
// with a baseline, as after loading a project.
class LoadedStorage : public ::testing::Test {
protected:
    void SetUp() override
    {
        DProps stock = Stock("A", "6000", "2");
        stock.Set("knife", "4");
        stock.Set("cost", "1.5");
        DocumentProbe::Blanks(s).push_back(stock);
        DocumentProbe::Pieces(s).push_back(Part("A", "1200", "3", "Door"));
        DocumentProbe::Pieces(s).push_back(Part("A", "800", "5"));
        s.UpdateTotals(true);
    }
    DCSStorage s;
};

} // namespace

// ---- Renumbering ----------------------------------------------------------------------

TEST(DCSStorageNormalize, NumbersAndLettersPerMaterialInListOrder)
{
    PropsList rows{Stock("A", "100", "1"), Stock("B", "200", "1"), Stock("A", "300", "1")};
    DProps totals;
    EXPECT_EQ(3, DCSStorage::NormalizeRows(rows, totals));
    EXPECT_EQ((std::vector<std::string>{"1:a", "1:a", "2:b"}), Numbering(rows));
    EXPECT_EQ((std::vector<std::string>{"100", "200", "300"}), Column(rows, "length"));
    for (const DProps& r : rows)
        EXPECT_GT(DProps::GetLong(r, "uid"), 0);
    EXPECT_EQ("3", Val(totals, "items"));
    EXPECT_EQ("3", Val(totals, "quantity"));
}

TEST(DCSStorageNormalize, RowsWithoutMaterialAreOneGroup)
{
    PropsList rows{BagOf({{"length", "10"}, {"quantity", "2"}}),
                   BagOf({{"length", "20"}, {"indent", "5"}}),
                   BagOf({{"length", "30"}, {"quantity", "4"}, {"uid", "77"}})};
    DProps totals;
    EXPECT_EQ(3, DCSStorage::NormalizeRows(rows, totals)) << "a row without quantity counts too";
    EXPECT_EQ((std::vector<std::string>{"1:a", "2:b", "3:c"}), Numbering(rows));
    EXPECT_EQ((std::vector<std::string>{"0", "5", "0"}), Column(rows, "indent"));
    EXPECT_EQ("77", Val(rows[2], "uid"));
    EXPECT_NE(Val(rows[0], "uid"), Val(rows[1], "uid"));
    EXPECT_EQ("6", Val(totals, "quantity"));
}

TEST(DCSStorageNormalize, GroupRowsWithoutQuantityAreNotItems)
{
    PropsList rows{Stock("A", "100", "2"), BagOf({{"material", "A"}, {"length", "5"}})};
    DProps totals;
    EXPECT_EQ(1, DCSStorage::NormalizeRows(rows, totals));
    EXPECT_EQ((std::vector<std::string>{"1:a", "2:b"}), Numbering(rows));
    EXPECT_EQ("<absent>", Val(rows[1], "indent")) << "only an unnamed list fills in the trim";
}

TEST(DCSStorageNormalize, RowsMatchingOnlyWithoutCaseOrUnnamedStayUnnumbered)
{
    // "a" is found as the group "A" but its rows are matched exactly; a row
    // without material in a list of named rows belongs to no group either.
    PropsList rows{Stock("A", "100", "1"), Stock("a", "200", "7"), Stock(nullptr, "300", "9")};
    DProps totals;
    EXPECT_EQ(1, DCSStorage::NormalizeRows(rows, totals));
    EXPECT_EQ("1", Val(totals, "quantity"));
    EXPECT_EQ((std::vector<std::string>{"1:a", "<absent>:<absent>", "<absent>:<absent>"}),
              Numbering(rows));
    EXPECT_NE("<absent>", Val(rows[2], "uid")) << "collecting uids gives every row one";
}

TEST(DCSStorageNormalize, EmptyListOnlySetsTotals)
{
    PropsList rows;
    DProps totals = BagOf({{"items", "9"}, {"other", "x"}});
    EXPECT_EQ(0, DCSStorage::NormalizeRows(rows, totals));
    EXPECT_EQ((Entries{{"items", "0"}, {"other", "x"}, {"quantity", "0"}}), EntriesOf(totals));
}

TEST(DCSStorageNormalize, LettersRunOutAtTheStar)
{
    PropsList rows;
    for (int i = 0; i < 130; ++i)
        rows.push_back(Stock("A", "10", "1"));
    DProps totals;
    DCSStorage::NormalizeRows(rows, totals);
    EXPECT_EQ("62:9", Numbering(rows)[61]);
    EXPECT_EQ("126:*", Numbering(rows)[125]);
    EXPECT_EQ("130:*", Numbering(rows)[129]);
}

TEST(DCSStorageNormalize, NumbersTakeTheConfiguredSeparator)
{
    struct Case {
        const char* separator;
        const char* length;
        const char* knife;
        const char* cost;
        const char* wantLength;
        const char* wantKnife;
        const char* wantCost;
    };
    const Case cases[] = {
        {",", "6000.00000", "3.0", "1.5", "6000", "3", "1,5"},
        {".", "12.50000", "2,5", "1,50", "12.5", "2.5", "1.50"},
        {".", "6000", "0.0", "2.00", "6000", "0", "2.00"},
        {",", "7,25", "3.", "10", "7,25", "3,", "10"}, // too short to lose its tail
    };
    for (const Case& c : cases) {
        SeparatorGuard guard(c.separator);
        PropsList rows{BagOf({{"material", "A"},
                              {"length", c.length},
                              {"knife", c.knife},
                              {"cost", c.cost},
                              {"quantity", "1"}})};
        DProps totals;
        DCSStorage::NormalizeRows(rows, totals);
        SCOPED_TRACE(std::string(c.separator) + " " + c.length);
        EXPECT_EQ(c.wantLength, Val(rows[0], "length"));
        EXPECT_EQ(c.wantKnife, Val(rows[0], "knife"));
        EXPECT_EQ(c.wantCost, Val(rows[0], "cost"));
        EXPECT_EQ("<absent>", Val(rows[0], "indent"));
    }
}

// ---- Row operations -------------------------------------------------------------------

TEST(DCSStorageRows, CollectMaterialsAppendsNewNamesIgnoringCase)
{
    PropsList rows{Stock("B", "1", "1"), Stock(nullptr, "1", "1"), Stock("a", "1", "1"),
                   Stock("b", "1", "1"), Stock("C", "1", "1")};
    TextList names{"A"};
    EXPECT_EQ(2, DCSStorage::CollectMaterials(rows, names));
    EXPECT_EQ((TextList{"A", "B", "C"}), names);
}

TEST(DCSStorageRows, CollectRowUidsByGroup)
{
    PropsList rows{Stock("B", "1", "1"), Stock("A", "1", "1"), Stock("B", "1", "1"),
                   Stock("b", "1", "1")};
    rows[0].Set("uid", "10");
    rows[2].Set("uid", "30");
    TextList uids{"stale"};

    EXPECT_EQ(2, DCSStorage::CollectRowUids(uids, "B", rows));
    EXPECT_EQ((TextList{"10", "30"}), uids) << "case-sensitive, in row order";
    for (const DProps& r : rows)
        EXPECT_NE("<absent>", Val(r, "uid"));

    // Every material, in order of first appearance ("b" is the group "B").
    EXPECT_EQ(3, DCSStorage::CollectRowUids(uids, "", rows));
    EXPECT_EQ((TextList{"10", "30", Val(rows[1], "uid")}), uids);

    PropsList unnamed{BagOf({{"length", "1"}}), BagOf({{"uid", "5"}})};
    EXPECT_EQ(2, DCSStorage::CollectRowUids(uids, nullptr, unnamed));
    EXPECT_EQ((TextList{Val(unnamed[0], "uid"), "5"}), uids);
}

TEST(DCSStorageRows, AddRowGivesAUidOnlyWhenItReadsAsZero)
{
    PropsList rows;
    for (const char* uid : {"", "0", "<none>", "42"}) {
        DProps row = Stock("A", "100", "1");
        if (std::string(uid) != "<none>")
            row.Set("uid", uid);
        EXPECT_TRUE(DCSStorage::AddRow(rows, row));
        EXPECT_GT(DProps::GetLong(row, "uid"), 0) << "set in the given row: " << uid;
        EXPECT_EQ(Val(row, "uid"), Val(rows.back(), "uid"));
    }
    EXPECT_EQ("42", Val(rows[3], "uid"));
    EXPECT_EQ((std::vector<std::string>{"1:a", "2:b", "3:c", "4:d"}), Numbering(rows));
}

TEST(DCSStorageRows, UpdateRowCopiesOverTheRowWithItsUid)
{
    PropsList rows{Stock("A", "100", "1"), Stock("A", "200", "2")};
    rows[0].Set("uid", "12");
    rows[1].Set("uid", "34");
    rows[1].Set("comment", "keep");
    DProps change = BagOf({{"uid", "0034"}, {"length", "250.000"}, {"id", "9"}});
    EXPECT_TRUE(DCSStorage::UpdateRow(change, rows));
    EXPECT_EQ("34", Val(change, "uid"));
    EXPECT_EQ("250", Val(rows[1], "length")) << "renumbered and normalised after the copy";
    EXPECT_EQ("2", Val(rows[1], "id"));
    EXPECT_EQ("keep", Val(rows[1], "comment"));

    DProps unknown = BagOf({{"uid", "99"}, {"length", "1"}});
    rows[0].Set("id", "x");
    EXPECT_TRUE(DCSStorage::UpdateRow(unknown, rows));
    EXPECT_EQ("100", Val(rows[0], "length"));
    EXPECT_EQ("1", Val(rows[0], "id")) << "renumbered all the same";
}

TEST(DCSStorageRows, SetRowValuesDoesNotRenumber)
{
    PropsList rows{Stock("A", "100", "1")};
    rows[0].Set("uid", "7");
    EXPECT_FALSE(DCSStorage::SetRowValues(rows, "8", BagOf({{"length", "5"}})));
    EXPECT_TRUE(DCSStorage::SetRowValues(rows, "7", BagOf({{"length", "5.00"}, {"label", "L"}})));
    EXPECT_EQ("5.00", Val(rows[0], "length"));
    EXPECT_EQ("L", Val(rows[0], "label"));
    EXPECT_EQ("<absent>", Val(rows[0], "id"));
}

TEST(DCSStorageRows, DeleteRowRemovesByUidAndRenumbers)
{
    PropsList rows{Stock("A", "1", "1"), Stock("A", "2", "1"), Stock("A", "3", "1")};
    DProps totals;
    DCSStorage::NormalizeRows(rows, totals);
    const DProps second = rows[1];
    EXPECT_TRUE(DCSStorage::DeleteRow(second, rows));
    EXPECT_EQ((std::vector<std::string>{"1", "3"}), Column(rows, "length"));
    EXPECT_EQ((std::vector<std::string>{"1:a", "2:b"}), Numbering(rows));
    EXPECT_TRUE(DCSStorage::DeleteRow(second, rows));
    EXPECT_TRUE(DCSStorage::DeleteRow(BagOf({{"length", "1"}}), rows)) << "no uid matches no row";
    EXPECT_EQ(2u, rows.size());
}

TEST(DCSStorageRows, MoveRowDirections)
{
    struct Case {
        int row;
        const char* direction;
        bool moved;
        const char* order;
    };
    const Case cases[] = {
        {1, "up", true, "213"},   {1, "down", true, "132"}, {1, nullptr, true, "132"},
        {1, "Up", true, "132"},   {0, "up", false, "123"},  {2, "down", false, "123"},
        {2, "up", true, "132"},
    };
    for (const Case& c : cases) {
        PropsList rows{Stock(nullptr, "1", "1"), Stock(nullptr, "2", "1"), Stock(nullptr, "3", "1")};
        DProps totals;
        DCSStorage::NormalizeRows(rows, totals);
        DProps request = BagOf({{"uid", Val(rows[c.row], "uid")}});
        if (c.direction)
            request.Set("direction", c.direction);
        EXPECT_EQ(c.moved, DCSStorage::MoveRow(rows, request)) << c.row << (c.direction ? c.direction : "");
        std::string order;
        for (const DProps& r : rows)
            order += Val(r, "length");
        EXPECT_EQ(c.order, order);
        EXPECT_EQ((std::vector<std::string>{"1:a", "2:b", "3:c"}), Numbering(rows));
    }
    PropsList rows{Stock(nullptr, "1", "1")};
    EXPECT_FALSE(DCSStorage::MoveRow(rows, BagOf({{"uid", "123"}})));
}

TEST(DCSStorageRows, ReplaceRowsOfOneMaterial)
{
    PropsList rows{Stock("A", "1", "1"), Stock("B", "2", "1"), Stock("A", "3", "1")};
    DProps totals;
    DCSStorage::NormalizeRows(rows, totals);
    PropsList fresh{Stock("A", "10", "1"), Stock("A", "30", "1")};
    fresh[1].Set("uid", Val(rows[1], "uid").c_str()); // takes B's place, merged by uid
    EXPECT_TRUE(DCSStorage::ReplaceRows("A", rows, fresh));
    EXPECT_EQ((std::vector<std::string>{"30", "10"}), Column(rows, "length"));
    EXPECT_EQ((std::vector<std::string>{"1:a", "2:b"}), Numbering(rows));

    EXPECT_TRUE(DCSStorage::ReplaceRows("", rows, fresh));
    EXPECT_EQ((std::vector<std::string>{"10", "30"}), Column(rows, "length"));
    EXPECT_FALSE(DCSStorage::ReplaceRows(nullptr, rows, PropsList{}));
    EXPECT_TRUE(rows.empty());
    // Rows of a named material without quantity are not counted.
    EXPECT_FALSE(DCSStorage::ReplaceRows("", rows, PropsList{BagOf({{"material", "A"}})}));
}

TEST(DCSStorageRows, RemoveRowsTakesTheFirstOfEachUid)
{
    PropsList rows{BagOf({{"uid", "1"}, {"n", "x"}}), BagOf({{"uid", "2"}}),
                   BagOf({{"uid", "1"}, {"n", "y"}})};
    EXPECT_TRUE(DCSStorage::RemoveRows(rows, TextList{"1", "9"}));
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("y", Val(rows[1], "n"));
}

TEST(DCSStorageRows, OrderByMaterials)
{
    PropsList rows{Part("C", "1", "1"), Part("B", "2", "1"), Part(nullptr, "3", "1"),
                   Part("A", "4", "1"), Part("B", "5", "1")};
    EXPECT_FALSE(DCSStorage::OrderByMaterials(rows, TextList{}));
    EXPECT_EQ("1", Val(rows[0], "length"));
    EXPECT_TRUE(DCSStorage::OrderByMaterials(rows, TextList{"A", "", "B"}));
    EXPECT_EQ((std::vector<std::string>{"4", "2", "5", "1", "3"}), Column(rows, "length"));
    PropsList none;
    EXPECT_FALSE(DCSStorage::OrderByMaterials(none, TextList{"A"}));
}

TEST(DCSStorageRows, OrderByMaterialsKeepsRowsThatShareAUid)
{
    // A hand-edited or imported file can give two rows one uid; grouping
    // moves rows, it never merges them.
    PropsList rows{Part("B", "1", "1"), Part("A", "2", "1"), Part("C", "3", "1"), Part("C", "4", "1")};
    for (DProps& r : rows)
        r.Set("uid", "7");
    EXPECT_TRUE(DCSStorage::OrderByMaterials(rows, TextList{"A", "B"}));
    EXPECT_EQ((std::vector<std::string>{"2", "1", "3", "4"}), Column(rows, "length"));
    EXPECT_EQ((std::vector<std::string>{"7", "7", "7", "7"}), Column(rows, "uid"));
}

// ---- Totals, fingerprints, check ----------------------------------------------------

TEST(DCSStorageTotals, CountsAndOrdersPartsByStockMaterials)
{
    DCSStorage s;
    EXPECT_EQ(3, s.GetCheckResult());
    DocumentProbe::Blanks(s) = {Stock("A", "6000", "2.5"), Stock("B", "3000", "1"), Stock("A", "5000", "0")};
    DocumentProbe::Pieces(s) = {Part("B", "100", "1"), Part("X", "50", "4"), Part("A", "200", "2"),
                  Part("B", "300", "3")};
    s.UpdateTotals(false);
    EXPECT_EQ((TextList{"A", "B"}), s.GetMaterials());
    EXPECT_EQ("3", Val(s.GetTotals(), "blanks.items"));
    EXPECT_EQ("3", Val(s.GetTotals(), "blanks.quantity")) << "2.5 counts 2";
    EXPECT_EQ((std::vector<std::string>{"200", "100", "300", "50"}), Column(s.GetPieces(), "length"));
    EXPECT_EQ((std::vector<std::string>{"1:a", "1:a", "2:b", "1:a"}), Numbering(s.GetPieces()));
    EXPECT_EQ("4", Val(s.GetTotals(), "pieces.items"));
    EXPECT_EQ("10", Val(s.GetTotals(), "pieces.quantity"));
    // A quantity of bars written 2.5 is no whole number: the check stops
    // the calculation instead of cutting from two bars.
    EXPECT_EQ(CheckError, s.GetCheckResult());
    EXPECT_EQ(1, s.GetWarnings().Count());
    EXPECT_EQ("${blank} #1 (a)", Val(s.GetWarnings(), "3"));
}

TEST(DCSStorageTotals, CheckResultAndWarningsFollowTheRows)
{
    DCSStorage s;
    DocumentProbe::Warnings(s).Set("102", "stale");
    s.UpdateTotals(false);
    EXPECT_EQ(CheckError, s.GetCheckResult());
    EXPECT_EQ((Entries{{"36", "${blanks.list}"}, {"37", "${pieces.list}"}}), EntriesOf(s.GetWarnings()));
}

TEST(DCSStorageTotals, StampMaterialAndRebuildNames)
{
    DCSStorage s;
    DocumentProbe::Blanks(s) = {Stock("A", "1", "1"), Stock("a", "2", "1"), Stock(nullptr, "3", "1")};
    DocumentProbe::Pieces(s) = {Part("B", "1", "1")};
    s.RebuildMaterialNames();
    EXPECT_EQ((TextList{"A"}), s.GetMaterials());
    s.StampMaterial("");
    EXPECT_EQ("B", Val(s.GetPieces()[0], "material"));
    s.StampMaterial("Steel");
    EXPECT_EQ((std::vector<std::string>{"Steel", "Steel", "Steel"}), Column(s.GetBlanks(), "material"));
    EXPECT_EQ("Steel", Val(s.GetPieces()[0], "material"));
}

TEST_F(LoadedStorage, FreshBaselineReportsNoChange)
{
    EXPECT_FALSE(s.NumbersChanged());
    EXPECT_FALSE(s.OrderChanged());
    EXPECT_NE(0u, s.GetNumbersFingerprint());
    EXPECT_NE(0u, s.GetFullFingerprint());
}

TEST_F(LoadedStorage, ChangeFlagsFollowTheKindOfEdit)
{
    struct Case {
        const char* key;
        const char* value;
        bool numbers;
        bool order;
    };
    const Case cases[] = {
        {"length", "1201", true, true},  {"quantity", "4", true, true},
        {"label", "Window", false, true}, {"comment", "x", false, true},
        {"length", "1200.000", false, false}, // the same number written otherwise
    };
    for (const Case& c : cases) {
        const std::string old = DProps::GetString(s.GetPieces()[0], c.key, "");
        DocumentProbe::Pieces(s)[0].Set(c.key, c.value);
        s.UpdateFingerprint(false);
        EXPECT_EQ(c.numbers, s.NumbersChanged()) << c.key << "=" << c.value;
        EXPECT_EQ(c.order, s.OrderChanged()) << c.key << "=" << c.value;
        DocumentProbe::Pieces(s)[0].Set(c.key, old.c_str());
        s.UpdateFingerprint(false);
        EXPECT_FALSE(s.NumbersChanged() || s.OrderChanged()) << "undone: " << c.key;
    }
    DocumentProbe::Blanks(s)[0].Set("cost", "2");
    s.UpdateTotals(false);
    EXPECT_TRUE(s.NumbersChanged());
    s.UpdateTotals(true);
    EXPECT_FALSE(s.NumbersChanged());
}

TEST(DCSStorageFingerprint, NoStoredBaselineReportsNoChange)
{
    DCSStorage s;
    DocumentProbe::Pieces(s) = {Part("A", "1", "1")};
    s.UpdateFingerprint(false);
    EXPECT_FALSE(s.NumbersChanged());
    EXPECT_FALSE(s.OrderChanged());
    EXPECT_EQ(0u, s.GetNumbersFingerprint());
}

TEST(DCSStorageFingerprint, TextsAreTheCrcOfNumbersThenWords)
{
    DCSStorage s;
    DocumentProbe::Blanks(s) = {BagOf({{"length", "6000"}, {"quantity", "2"}, {"knife", "3"}, {"comment", "c1"}})};
    DocumentProbe::Pieces(s) = {BagOf({{"length", "1200.5"}, {"quantity", "3"}, {"label", "L"}})};
    uint32_t numbers = 0, full = 0;
    s.ComputeFingerprints(numbers, full);
    const std::string digits = "6000.0000003.0000000.0000002" "0.000000" "1200.5000003";
    EXPECT_EQ(Crc32(digits.c_str()), numbers);
    EXPECT_EQ(Crc32((digits + "c1" "L").c_str()), full);
}

TEST_F(LoadedStorage, ContentIdIsStableAcrossASaveAndFollowsComments)
{
    const std::string before = s.GetContentId();
    EXPECT_EQ(8u, before.size());
    EXPECT_EQ(std::string::npos, before.find_first_not_of("0123456789ABCDEF"));
    DSettings doc;
    ASSERT_TRUE(s.Write(&doc));
    EXPECT_EQ(before, s.GetContentId());

    uint32_t numbers = 0, full = 0;
    s.ComputeFingerprints(numbers, full);
    std::string both, id;
    StrFormat(both, "%08lX%08lX", (unsigned long)numbers, (unsigned long)full);
    StrFormat(id, "%08lX", (unsigned long)Crc32(both.c_str()));
    EXPECT_EQ(id, before);

    DocumentProbe::Pieces(s)[1].Set("comment", "rush");
    EXPECT_NE(before, s.GetContentId());
    EXPECT_FALSE(s.OrderChanged()) << "the id changes nothing";
}

TEST_F(LoadedStorage, ClearKeepsTotalsWarningsAndCheckResult)
{
    DocumentProbe::Warnings(s).Set("41", "${order}");
    DocumentProbe::CheckResult(s) = 2;
    s.Clear();
    EXPECT_TRUE(s.GetBlanks().empty());
    EXPECT_TRUE(s.GetPieces().empty());
    EXPECT_TRUE(s.GetMaterials().empty());
    EXPECT_EQ(0u, s.GetNumbersFingerprint());
    EXPECT_EQ(0u, s.GetFullFingerprint());
    EXPECT_EQ("1", Val(s.GetTotals(), "blanks.items"));
    EXPECT_EQ("41", std::string(s.GetWarnings().GetKeyAt(0)));
    EXPECT_EQ(2, s.GetCheckResult());
}

TEST_F(LoadedStorage, CopyIsIndependent)
{
    DCSStorage copy(s);
    EXPECT_EQ(s.GetFullFingerprint(), copy.GetFullFingerprint());
    EXPECT_EQ(Column(s.GetPieces(), "uid"), Column(copy.GetPieces(), "uid"));
    DocumentProbe::Pieces(copy)[0].Set("length", "1");
    EXPECT_EQ("1200", Val(s.GetPieces()[0], "length"));
    DCSStorage assigned;
    assigned = s;
    EXPECT_EQ(s.GetContentId(), assigned.GetContentId());
}

// ---- INI sections -----------------------------------------------------------------------

TEST_F(LoadedStorage, WriteAndReadBack)
{
    DocumentProbe::Pieces(s)[0].Set("comment", "say \"hi\" \\ bye");
    DSettings doc;
    ASSERT_TRUE(s.Write(&doc));
    EXPECT_FALSE(s.OrderChanged()) << "the written state is the baseline";

    DProps blanks, pieces;
    ASSERT_TRUE(doc.GetSection("order.blanks", blanks));
    ASSERT_TRUE(doc.GetSection("order.pieces", pieces));
    EXPECT_EQ("b001", std::string(blanks.GetKeyAt(0)));
    EXPECT_EQ((std::vector<std::string>{"p001", "p002"}),
              (std::vector<std::string>{pieces.GetKeyAt(0), pieces.GetKeyAt(1)}));
    EXPECT_EQ(PropsToJson(&s.GetPieces()[1]), std::string(pieces.GetValueAt(1)));

    DSettings reread;
    ASSERT_TRUE(reread.Parse(doc.Write().c_str()));
    DCSStorage back;
    ASSERT_TRUE(back.Read(&reread, nullptr));
    EXPECT_EQ(s.GetContentId(), back.GetContentId());
    EXPECT_EQ(Column(s.GetPieces(), "uid"), Column(back.GetPieces(), "uid"));
    EXPECT_EQ("say \"hi\" \\ bye", Val(back.GetPieces()[0], "comment"));
    EXPECT_EQ("1.5", Val(back.GetBlanks()[0], "cost"));
    EXPECT_FALSE(back.OrderChanged());
    EXPECT_EQ(0, back.GetCheckResult());
}

TEST(DCSStorageIni, ReadTakesEntriesInOrderWhateverTheirKeys)
{
    DSettings doc;
    ASSERT_TRUE(doc.Parse("[order.blanks]\r\n"
                          "x={ \"length\": \"6000.000\", \"quantity\": \"2\", \"material\": \"Old\" }\r\n"
                          "y={ \"length\": \"3000\", \"knife\": \"3.50\", \"cost\": \"1.50\" }\r\n"
                          "[order.pieces]\r\n"
                          "p9={ \"length\": \"100.0\", \"quantity\": \"1\" }\r\n"
                          "p1={ \"quantity\": \"1\" }\r\n"));
    DCSStorage s;
    ASSERT_TRUE(s.Read(&doc, "Steel"));
    ASSERT_EQ(2u, s.GetBlanks().size());
    EXPECT_EQ((std::vector<std::string>{"6000", "3000"}), Column(s.GetBlanks(), "length"));
    EXPECT_EQ((std::vector<std::string>{"", "3.5"}), Column(s.GetBlanks(), "knife"))
        << "set even when the row lacked it";
    EXPECT_EQ((std::vector<std::string>{"", "1.50"}), Column(s.GetBlanks(), "cost"));
    EXPECT_EQ((std::vector<std::string>{"Steel", "Steel"}), Column(s.GetBlanks(), "material"));
    EXPECT_EQ("100", Val(s.GetPieces()[0], "length"));
    EXPECT_EQ("", Val(s.GetPieces()[1], "length")) << "set even when absent";
    EXPECT_EQ("<absent>", Val(s.GetPieces()[1], "knife")) << "a part row has no kerf";
    EXPECT_EQ((std::vector<std::string>{"1:a", "2:b"}), Numbering(s.GetBlanks()));
    EXPECT_FALSE(s.NumbersChanged());
    EXPECT_NE(0u, s.GetNumbersFingerprint());
}

TEST(DCSStorageIni, AbsentSectionsGiveEmptyListsAndNullDocumentsFail)
{
    DCSStorage s;
    DocumentProbe::Blanks(s) = {Stock("A", "1", "1")};
    DSettings doc;
    ASSERT_TRUE(doc.Parse("[other]\r\nk=v\r\n"));
    EXPECT_TRUE(s.Read(&doc, nullptr));
    EXPECT_TRUE(s.GetBlanks().empty());
    EXPECT_TRUE(s.GetPieces().empty());
    EXPECT_FALSE(s.Read(nullptr, "A"));
    EXPECT_FALSE(s.Write(nullptr));
}

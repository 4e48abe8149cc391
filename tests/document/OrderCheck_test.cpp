#include <gtest/gtest.h>

#include <string>

#include "document/DCSStorage.h"
#include "document/OrderCheck.h"
#include "foundation/RecordText.h"
#include "support/DocumentProbe.h"
#include "support/PropsTestHelpers.h"

namespace {

DProps Stock(const char* length, const char* quantity, const char* knife = "0",
             const char* indent = "0", const char* id = "1", const char* name = "a")
{
    return BagOf({{"length", length}, {"quantity", quantity}, {"knife", knife},
                  {"indent", indent}, {"id", id}, {"name", name}});
}

DProps Part(const char* length, const char* quantity, const char* id = "1")
{
    return BagOf({{"length", length}, {"quantity", quantity}, {"id", id}});
}

struct Case {
    const char* what;
    PropsList blanks;
    PropsList pieces;
    int32_t flags;
    Entries findings;
};

} // namespace

TEST(OrderCheck, Findings)
{
    const Case cases[] = {
        {"empty order", {}, {}, CheckError, {{"36", "${blanks.list}"}, {"37", "${pieces.list}"}}},
        {"stock only", {Stock("6000", "1")}, {}, CheckError, {{"37", "${pieces.list}"}}},
        {"parts only", {}, {Part("100", "1")}, CheckError, {{"36", "${blanks.list}"}}},
        {"fine", {Stock("6000", "2")}, {Part("1000", "5")}, 0, {}},
        {"two stocks without length, first named",
         {Stock("0", "1", "0", "0", "1", "a"), Stock("", "1", "0", "0", "2", "b")},
         {Part("10", "1")},
         CheckError,
         {{"31", "${blank} #1 (a)"}}},
        {"missing id and name", {BagOf({{"quantity", "1"}})}, {Part("10", "1")}, CheckError,
         {{"31", "${blank} #? (?)"}}},
        {"not enough material", {Stock("6000", "2")},
         {Part("5000", "2"), Part("3000", "1", "2")}, CheckWarning, {{"41", "${order}"}}},
        {"unlimited stock last", {Stock("6000", "2"), Stock("1000", "0", "0", "0", "2", "b")},
         {Part("5000", "2"), Part("3000", "1", "2")}, 0, {}},
        {"unlimited stock first", {Stock("1000", "0"), Stock("6000", "2", "0", "0", "2", "b")},
         {Part("5000", "2"), Part("3000", "1", "2")}, 0, {}},
        {"part fits no stock", {Stock("6000", "0", "4", "10")}, {Part("5990", "1", "7")},
         CheckWarning, {{"43", "${piece} #7"}}},
        {"part fits exactly", {Stock("6000", "0", "4", "10")}, {Part("5986", "1")}, 0, {}},
        {"the longest stock decides", {Stock("3000", "0"), Stock("6000", "0", "4", "10", "2", "b")},
         {Part("5000", "1")}, 0, {}},
        {"part without length and quantity", {Stock("6000", "1")}, {Part("0", "0", "3")},
         CheckError, {{"31", "${piece} #3"}, {"32", "${piece} #3"}}},
        {"part without quantity that fits nowhere", {Stock("100", "1")}, {Part("200", "", "2")},
         CheckError | CheckWarning, {{"43", "${piece} #2"}, {"32", "${piece} #2"}}},
        {"tiny part is a part, tiny stock is not a stock", {Stock("0.00000001", "1")},
         {Part("0.00000001", "1")}, CheckError, {{"31", "${blank} #1 (a)"}}},
        {"no usable length, no 43", {Stock("10", "1", "5", "5")}, {Part("20", "1")}, CheckWarning,
         {{"41", "${order}"}}},
        {"negative stock is not reported, counts with its sign", {Stock("-100", "1")},
         {Part("50", "1")}, CheckWarning, {{"41", "${order}"}}},
        // Numbers kept as they were typed in an imported file, never read as
        // the number at their start.
        {"a stock length with a unit", {Stock("6000mm", "1"), Stock("6000", "2x", "0", "0", "2", "b")},
         {Part("50", "1")}, CheckError, {{"3", "${blank} #1 (a)"}}},
        {"a kerf with group marks", {Stock("6000", "1", "1,250.5")}, {Part("50", "1")}, CheckError,
         {{"3", "${blank} #1 (a)"}}},
        {"a part quantity with a unit", {Stock("6000", "0")}, {Part("50", "2pcs", "4")}, CheckError,
         {{"3", "${piece} #4"}}},
        {"either decimal mark reads, blanks around too", {Stock("6000,5", "0", " 2.5 ")}, {Part("50.25", "3")},
         0, {}},
    };
    for (const Case& c : cases) {
        DProps warnings;
        EXPECT_EQ(c.flags, CheckOrderRows(c.blanks, c.pieces, warnings)) << c.what;
        EXPECT_EQ(c.findings, EntriesOf(warnings)) << c.what;
    }
}

TEST(OrderCheck, FirstFindingOfACodeStays)
{
    DProps warnings = BagOf({{"31", "${piece} #9"}});
    PropsList blanks{Stock("6000", "1")};
    PropsList pieces{Part("0", "1", "2")};
    EXPECT_EQ(CheckError, CheckOrderRows(blanks, pieces, warnings));
    EXPECT_EQ((Entries{{"31", "${piece} #9"}}), EntriesOf(warnings));
}

TEST(OrderCheck, StorageCheckAddsWithoutClearingOrChangingRows)
{
    DCSStorage s;
    DocumentProbe::Blanks(s) = {Stock("6000", "2")};
    DocumentProbe::Pieces(s) = {Part("5000", "3")};
    DProps warnings = BagOf({{"102", "${project}"}});
    const std::string before = PropsToJson(&s.GetPieces()[0]);
    EXPECT_EQ(CheckWarning, s.CheckOrder(warnings));
    EXPECT_EQ((Entries{{"102", "${project}"}, {"41", "${order}"}}), EntriesOf(warnings));
    EXPECT_EQ(before, PropsToJson(&s.GetPieces()[0]));
    const char* comment = warnings.GetCommentAt(1);
    EXPECT_TRUE(!comment || !*comment);
}

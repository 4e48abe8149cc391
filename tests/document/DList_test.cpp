#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/document/MaterialFixture.h"

namespace {

// A solution marked by its pass number under "pass".
CUTTING::Layout Solution(long pass, std::initializer_list<std::pair<const char*, const char*>> stats,
                         size_t patterns = 1)
{
    CUTTING::Layout layout;
    layout.props.SetLong("pass", pass);
    for (const auto& s : stats)
        layout.props.Set(s.first, s.second);
    for (size_t i = 0; i < patterns; ++i)
        layout.cuttings.push_back(CUTTING::Blank(1, 6000, 1));
    return layout;
}

std::vector<long> Passes(const DList<CUTTING::Layout>& list)
{
    std::vector<long> out;
    for (long i = 0; i < list.Count(); ++i)
        out.push_back(DProps::GetLong(list.GetAt(i)->props, "pass"));
    return out;
}

TEST(DList, GetAtAnswersOnlyInsideTheList)
{
    DList<CUTTING::Layout> list;
    EXPECT_EQ(nullptr, list.GetAt(0));
    list.Add(Solution(1, {}));
    list.Add(Solution(2, {}));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(nullptr, list.GetAt(2));
    ASSERT_NE(nullptr, list.GetAt(1));
    EXPECT_EQ(2, DProps::GetLong(list.GetAt(1)->props, "pass"));
    DList<CUTTING::Layout> copy = list;
    list.Clear();
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(2, copy.Count());
}

struct RankCase {
    const char* what;
    long optimize;
    std::vector<CUTTING::Layout> passes;
    std::vector<long> ranked;
};

class SolutionRanking : public MaterialFixture {};

TEST_F(SolutionRanking, RanksByCostOrUsedLengthWithTheTieBreakers)
{
    const std::vector<RankCase> cases = {
        {"cost decides", 1,
         {Solution(1, {{"cost", "120"}}), Solution(2, {{"cost", "80"}}), Solution(3, {{"cost", "100"}})},
         {2, 3, 1}},
        {"costs 0 stop the comparison", 1,
         {Solution(1, {{"cost", "0"}, {"cmu", "70"}}), Solution(2, {{"cost", "0"}, {"cmu", "90"}})},
         {1, 2}},
        {"costs within the tolerance: higher cmu first", 1,
         {Solution(1, {{"cost", "100.00000001"}, {"cmu", "80"}}), Solution(2, {{"cost", "100"}, {"cmu", "85"}})},
         {2, 1}},
        {"equal cost and cmu: fewer shifts", 1,
         {Solution(1, {{"cost", "50"}, {"cmu", "80"}, {"shifts", "4"}}),
          Solution(2, {{"cost", "50"}, {"cmu", "80"}, {"shifts", "2"}})},
         {2, 1}},
        {"cmu 0 stops the cost ranking", 1,
         {Solution(1, {{"cost", "50"}, {"cmu", "0"}, {"shifts", "4"}}),
          Solution(2, {{"cost", "50"}, {"cmu", "0"}, {"shifts", "2"}})},
         {1, 2}},
        {"used length decides", 0,
         {Solution(1, {{"used.len", "18000"}, {"cost", "1"}}), Solution(2, {{"used.len", "12000"}, {"cost", "9"}})},
         {2, 1}},
        {"equal length, higher cmu first", 0,
         {Solution(1, {{"used.len", "12000"}, {"cmu", "80"}}), Solution(2, {{"used.len", "12000.00000005"}, {"cmu", "90"}})},
         {2, 1}},
        {"shifts 0 and 0 keep the pass order", 0,
         {Solution(1, {{"used.len", "12000"}, {"cmu", "80"}, {"cost", "50"}}),
          Solution(2, {{"used.len", "12000"}, {"cmu", "80"}, {"cost", "40"}})},
         {1, 2}},
        {"equal non-zero shifts: lower cost first", 0,
         {Solution(1, {{"used.len", "12000"}, {"cmu", "80"}, {"shifts", "3"}, {"cost", "50"}}),
          Solution(2, {{"used.len", "12000"}, {"cmu", "80"}, {"shifts", "3"}, {"cost", "40"}})},
         {2, 1}},
        {"other optimize values rank by length", 7,
         {Solution(1, {{"used.len", "18000"}, {"cost", "1"}}), Solution(2, {{"used.len", "12000"}, {"cost", "9"}})},
         {2, 1}},
        {"equals keep the pass order among the rest", 1,
         {Solution(1, {{"cost", "90"}}), Solution(2, {{"cost", "80"}}), Solution(3, {{"cost", "90"}}),
          Solution(4, {{"cost", "80"}})},
         {2, 4, 1, 3}},
    };
    for (const RankCase& c : cases) {
        DocumentProbe::Solutions(material).Clear();
        for (const CUTTING::Layout& l : c.passes)
            DocumentProbe::Solutions(material).Add(l);
        material.SortSolutions(c.optimize);
        EXPECT_EQ(c.ranked, Passes(material.GetSolutions())) << c.what;
    }
}

TEST_F(SolutionRanking, DuplicatesReduceToTheFirstOfThem)
{
    DocumentProbe::Solutions(material).Add(Solution(1, {{"used", "3"}, {"pieces", "12"}, {"cmu", "91.5"}, {"shifts", "2"}}));
    DocumentProbe::Solutions(material).Add(Solution(2, {{"used", "3"}, {"pieces", "12"}, {"cmu", "90.5"}, {"shifts", "2"}}));
    DocumentProbe::Solutions(material).Add(Solution(3, {{"used", "3"}, {"pieces", "12"}, {"cmu", "91.5000001"}, {"shifts", "2"}}));
    DocumentProbe::Solutions(material).Add(Solution(4, {{"used", "3"}, {"pieces", "12"}, {"cmu", "91.5"}, {"shifts", "2"}}, 2));
    material.RemoveDuplicateSolutions();
    // Pass 3 agrees with pass 1 to six decimals; pass 4 has one more pattern.
    EXPECT_EQ((std::vector<long>{1, 2, 4}), Passes(material.GetSolutions()));
}

TEST(SolutionKeyText, JoinsTheStatisticsAndThePatternCount)
{
    CUTTING::Layout layout = Solution(1, {{"used", "3"}, {"pieces", "12"}, {"cmu", "91.5"}, {"remnants", "250"},
                                          {"shifts", "2"}, {"cost.ppu", "1.25"}}, 2);
    EXPECT_EQ("31291.500000250.00000021.2500002", SolutionKey(layout));
}

}  // namespace

// Materials that look as if a calculation had run and a solution had been
// applied: the layout is built from the order rows the way a pass builds it,
// holds hand-made patterns, and carries the engine's statistics.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/DCSProject.h"
#include "engine/LayoutStats.h"
#include "support/AppliedLayout.h"
#include "support/PropsTestHelpers.h"

struct PatternSpec {
    long stock;                      // stock row id
    long bars;
    std::vector<std::pair<long, long>> parts;  // part kind id -> count per bar
};

// The current layout with these patterns, its statistics computed, then applied.
inline void ApplyPatterns(DCSProject& material, const std::vector<PatternSpec>& specs)
{
    CUTTING::Layout layout = material.GetLayout();
    material.BuildStockAndDemand(layout);
    layout.cuttings.clear();
    for (const PatternSpec& spec : specs)
        ASSERT_TRUE(AddPattern(layout, spec.stock, spec.bars, spec.parts));
    ApplyLayout(material, layout);
}

// Stock 6000 (kerf 3, cost 12.5) and 4000, parts of 1500, 1000 and 700.
inline void FillOrder(DCSProject& material)
{
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "10"}, {"knife", "3"}, {"cost", "12.5"},
                                {"label", "Bar; long"}}),
                         RowOf({{"length", "4000"}, {"quantity", "0"}})},
                        1);
    material.AppendRows({RowOf({{"length", "1500"}, {"quantity", "4"}, {"label", "Door \"A\" \\ left"}}),
                         RowOf({{"length", "1000"}, {"quantity", "6"}, {"comment", "x;y;z"}}),
                         RowOf({{"length", "700"}, {"quantity", "3"}})},
                        2);
}

// The order above with a solution: 2 bars 1500x2 + 1000x2 (6000), 1 bar 1000x2 + 700x2 (4000 stock),
// and one 700 left unplaced.
inline void FillSolved(DCSProject& material)
{
    FillOrder(material);
    ApplyPatterns(material, {{1, 2, {{1, 2}, {2, 2}}}, {2, 1, {{2, 2}, {3, 2}}}});
}

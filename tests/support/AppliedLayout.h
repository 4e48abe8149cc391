// A hand-made result applied to a material the way the program applies a
// chosen solution: patterns cut from the material's own stock and part
// kinds, then the unplaced parts, the statistics and the result rows. Used
// by the tests and by the report benchmark.
#pragma once

#include <utility>
#include <vector>

#include "document/DCSProject.h"
#include "engine/LayoutStats.h"

// Adds a pattern: bars bars of stock row stock, each cut into the part kinds
// given with their counts per bar. False, nothing added, when the stock or a
// part kind is not in the layout.
inline bool AddPattern(CUTTING::Layout& layout, long stock, long bars, const std::vector<std::pair<long, long>>& parts)
{
    const long at = CUTTING::FindBlankById(layout.blanks, stock);
    if (at < 0)
        return false;
    CUTTING::Blank pattern = layout.blanks[static_cast<size_t>(at)];
    pattern.quantity = bars;
    for (const auto& p : parts) {
        const long kind = CUTTING::FindPieceById(layout.pieces, p.first);
        if (kind < 0)
            return false;
        pattern.pieces.push_back(CUTTING::Piece(p.first, layout.pieces[static_cast<size_t>(kind)].length, p.second));
    }
    pattern.props.SetLong("blank", stock);
    pattern.props.SetString("blank.cost", DProps::GetString(pattern.props, "cost", ""));
    pattern.UpdateSignature(true);
    layout.cuttings.push_back(pattern);
    return true;
}

// The layout's patterns become the material's applied solution.
inline void ApplyLayout(DCSProject& material, CUTTING::Layout& layout)
{
    CUTTING::RemainingPieces(layout.orphans, layout, nullptr);
    DProps options;
    options.SetString("remnants", DProps::GetString(material.GetProperties(), "remnants", ""));
    CUTTING::ComputeSummary(options, layout);
    layout.props.Set("status", "");
    material.SetLayout(layout);
    material.SetProperty("cost", DProps::GetString(layout.props, "cost", "").c_str());
    material.ApplySolution(-1);
}

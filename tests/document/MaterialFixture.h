// A material named "Steel" under the recording application services, with
// helpers that build order rows and hand-made layouts the way a calculation
// would leave them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/ChangeMasks.h"
#include "document/DCSProject.h"
#include "support/PropsTestHelpers.h"
#include "support/DocumentProbe.h"
#include "tests/document/TestAppServices.h"

struct PartSpec {
    const char* length;
    const char* quantity;
    const char* label;
};

using Texts = std::vector<std::string>;

// Every change mask at once: any change since the baseline.
constexpr long kChangedAll = kChangedAnything | kChangedResults | kChangedRecord;

// A value, "<absent>" for a missing key.
inline std::string Val(const DProps& bag, const char* key)
{
    return DProps::GetString(bag, key, "<absent>");
}

inline CUTTING::Blank MakePattern(long stockId, long bars, std::initializer_list<CUTTING::Piece> parts,
                                  const char* remains = "0.00000")
{
    CUTTING::Blank pattern(stockId, 6000.0, bars);
    for (const CUTTING::Piece& p : parts)
        pattern.pieces.push_back(p);
    pattern.props.SetLong("blank", stockId);
    pattern.props.Set("remains", remains);
    return pattern;
}

class MaterialFixture : public ::testing::Test {
protected:
    TestAppServices app;
    DCSProject material;

    void SetUp() override { material.SetMaterial("Steel"); }

    void AddStock(const char* length, const char* quantity = "0")
    {
        material.AppendRows({RowOf({{"length", length}, {"quantity", quantity}})}, 1);
    }
    void AddParts(const std::vector<PartSpec>& parts)
    {
        PropsList rows;
        for (const PartSpec& p : parts)
            rows.push_back(RowOf({{"length", p.length}, {"quantity", p.quantity}, {"label", p.label}}));
        material.AppendRows(rows, 2);
    }
    // The current layout with one stock entry per stock row and the patterns.
    void SetLayout(std::vector<CUTTING::Blank> patterns)
    {
        CUTTING::Layout layout;
        for (const DProps& row : material.GetBlankRows()) {
            CUTTING::Blank stock(DProps::GetLong(row, "id"), DProps::GetDouble(row, "length"), 10);
            stock.props.Set("name", DProps::GetString(row, "name").c_str());
            layout.blanks.push_back(stock);
        }
        layout.cuttings = std::move(patterns);
        material.SetLayout(layout);
    }
    const DProps& Piece(long i) { return material.GetPieceRows().at(i); }
};

// What the report benchmarks share: a result for the generated order, as a
// calculation leaves one (the parts packed best-fit decreasing onto bars of
// the two stock lengths, applied the way the program applies a chosen
// solution), and drawing every page of a report.
#pragma once

#include <windows.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "document/DCSProject.h"
#include "engine/Cutting.h"
#include "reports/OXRLayout.h"
#include "tests/support/AppliedLayout.h"

constexpr double kPackedKerf = 3.0;

// The parts packed onto bars (kerf 3), longest first, each into the bar
// that it leaves the least room in; every 97th kind keeps one piece back, so
// the result has unplaced parts. Equal bars are counted as one pattern.
inline void ApplyPackedResult(DCSProject& material)
{
    CUTTING::Layout layout = material.GetLayout();
    material.BuildStockAndDemand(layout);
    layout.cuttings.clear();

    struct Item {
        long kind;
        double length;
    };
    std::vector<Item> items;
    for (const CUTTING::Piece& piece : layout.pieces) {
        long count = piece.quantity;
        if (piece.id % 97 == 0)
            --count;
        for (long k = 0; k < count; ++k)
            items.push_back({piece.id, piece.length});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.length > b.length; });

    // Bars of the long stock for long parts, of the short one otherwise.
    struct Bar {
        long stock;
        std::map<long, long> parts;
    };
    std::vector<Bar> bars;
    std::multimap<double, size_t> room;  // free length -> bar
    for (const Item& item : items) {
        const double need = item.length + kPackedKerf;
        auto at = room.lower_bound(need);
        if (at == room.end()) {
            const long stock = item.length > 2000 ? 2 : 1;
            bars.push_back({stock, {}});
            at = room.emplace(stock == 2 ? 12000.0 : 6000.0, bars.size() - 1);
        }
        const size_t bar = at->second;
        const double left = at->first - need;
        room.erase(at);
        bars[bar].parts[item.kind] += 1;
        room.emplace(left, bar);
    }

    std::map<std::pair<long, std::map<long, long>>, long> patterns;
    for (const Bar& bar : bars)
        ++patterns[{bar.stock, bar.parts}];
    for (const auto& pattern : patterns)
        AddPattern(layout, pattern.first.first, pattern.second,
                   std::vector<std::pair<long, long>>(pattern.first.second.begin(), pattern.first.second.end()));
    ApplyLayout(material, layout);
    material.ComputeOrphans();
}

// Every page of one pass, each recorded into its own metafile mapped the
// way a printer's page is; returns the page count.
inline int DrawAllPages(OXRLayout& layout, DCSProject* material)
{
    const int width = static_cast<int>(layout.ParamLong("draw.size.x"));
    const int height = static_cast<int>(layout.ParamLong("draw.size.y"));
    layout.SetProject(material);
    int pages = 0;
    for (bool more = true; more && pages < 100000; ++pages) {
        RECT frame = {0, 0, width * 10, height * 10};
        HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
        if (!dc)
            return -1;
        SetMapMode(dc, MM_ISOTROPIC);
        SetWindowExtEx(dc, width, height, nullptr);
        SetViewportExtEx(dc, width, height, nullptr);
        more = layout.DrawPage(dc, pages, false);
        DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    }
    return pages;
}


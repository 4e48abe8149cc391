#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "LayoutFixture.h"
#include "ReportPass.h"
#include "document/DCSProject.h"
#include "reports/OXRLayoutSolution.h"
#include "support/SolvedMaterial.h"

namespace {

constexpr int kPageWidth = 2100;
constexpr const char* kTwoBlocks = "500,200,200,500,200,200";
constexpr const char* kThreeBlocks = "257,160,180,257,160,180,257,160,180";

// count part rows labelled "part" (lengths 101, 102, ...), two pieces each,
// cut ten kinds to a bar; the last unplaced kinds get no bar.
void FillParts(DCSProject& material, int count, int unplaced)
{
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "0"}})}, 1);
    PropsList parts;
    for (int k = 1; k <= count; ++k)
        parts.push_back(RowOf({{"length", std::to_string(100 + k).c_str()}, {"quantity", "2"}, {"label", "part"}}));
    material.AppendRows(parts, 2);
    std::vector<PatternSpec> patterns;
    for (int k = 1; k <= count - unplaced; ++k) {
        if ((k - 1) % 10 == 0)
            patterns.push_back({1, 1, {}});
        patterns.back().parts.push_back({k, 2});
    }
    ApplyPatterns(material, patterns);
    material.ComputeOrphans();
}

} // namespace

class PartsReport : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        UseShippedLocale();
    }

    OXRLayout* Make(const std::string& cls, const std::string& order, int height, int mode)
    {
        const std::vector<std::string> lines =
            LayoutPageLines("Parts", cls, order, height,
                            {
                                "table.general.mode=3",
                                "table.general.columns=500,200,200,200,200,200,300",
                                "table.general.offset.y=-1",
                                "table.notes.mode=2",
                                "table.notes.columns=1822",
                                "table.notes.offset.y=-1",
                                "table.blanks.mode=2",
                                "table.blanks.name=title.blanks",
                                "table.blanks.columns=394,200,220,200,200,180,200,200",
                                "table.blanks.offset.y=-1",
                                "table.pieces.mode=" + std::to_string(mode),
                                "table.pieces.name=title.pieces",
                                std::string("table.pieces.columns=") + (mode == 2 ? kThreeBlocks : kTwoBlocks),
                                "table.pieces.offset.x=180",
                                "table.pieces.offset.y=-1",
                            });
        return LoadLayoutFile(LayoutPath("parts.sol.scl"), lines, "1");
    }

    std::string Html(OXRLayout* layout)
    {
        layout->SetProject(Material());
        std::string out;
        DProps options;
        layout->WriteHtml(out, &options);
        const std::string& html = out;
        // The parts table alone: from its title on.
        const size_t title = html.find("<br/><b>Parts</b>");
        return title == std::string::npos ? std::string() : html.substr(title);
    }

    // The texts of the parts table's rows, one string per row, cells joined by "|".
    static std::vector<std::string> Rows(const std::string& table)
    {
        std::vector<std::string> rows;
        const size_t data = table.find("</tr>");
        for (size_t at = table.find("<tr", data); at != std::string::npos; at = table.find("<tr", at + 3)) {
            const std::string row = table.substr(at, table.find("</tr>", at) - at);
            std::string cells;
            for (size_t td = row.find("<td"); td != std::string::npos; td = row.find("<td", td + 3)) {
                const size_t open = row.find('>', td) + 1;
                cells += (cells.empty() ? "" : "|") + row.substr(open, row.find("</td>", open) - open);
            }
            rows.push_back(cells);
        }
        return rows;
    }
};

TEST_F(PartsReport, HeaderTitlesCarryTheLengthAndPieceUnitsOnly)
{
    FillSolved(*Material());
    static const struct {
        const char* length;
        const char* pieces;
        const char* cost;
        std::vector<std::string> titles;
    } kCases[] = {
        {"mm", "pcs", "EUR", {">Part<", ">Length, mm<", ">Placed, pcs<"}},
        {"", "", "EUR", {">Part<", ">Length<", ">Placed<"}},
        {"  ", "pcs", "", {">Part<", ">Length<", ">Placed, pcs<"}},
    };
    for (const auto& c : kCases) {
        app.Globals().Set("length.units", c.length);
        app.Globals().Set("pieces.units", c.pieces);
        app.Globals().Set("cost.units", c.cost);
        for (int mode : {1, 2}) {
            OXRLayout* layout = Make("solution.cuttings", "table.general,table.pieces", 2970, mode);
            ASSERT_NE(layout, nullptr);
            const std::string html = Html(layout);
            ASSERT_FALSE(html.empty());
            const std::string header = html.substr(0, html.find("</tr>"));
            for (const std::string& title : c.titles)
                EXPECT_EQ(Count(header, title), mode == 2 ? 3u : 2u) << c.length << " " << mode << " " << title;
            EXPECT_EQ(header.find("EUR"), std::string::npos);
        }
    }
}

TEST_F(PartsReport, BlocksRunDownTheirColumnsAndEndWithEmptyCells)
{
    FillParts(*Material(), 7, 0);
    static const struct {
        int mode;
        std::vector<std::vector<int>> ids;  // per row, the part of each block (0: none)
    } kCases[] = {
        {1, {{1, 5}, {2, 6}, {3, 7}, {4, 0}}},
        {2, {{1, 4, 7}, {2, 5, 0}, {3, 6, 0}}},
    };
    for (const auto& c : kCases) {
        OXRLayout* layout = Make("solution.cuttings", "table.general,table.pieces", 2970, c.mode);
        ASSERT_NE(layout, nullptr);
        const std::string html = Html(layout);
        const std::vector<std::string> rows = Rows(html.substr(0, html.find("</table>")));
        ASSERT_EQ(rows.size(), c.ids.size()) << c.mode << html;
        for (size_t r = 0; r < rows.size(); ++r) {
            std::string expected;
            for (int id : c.ids[r]) {
                const std::string cells =
                    id == 0 ? "||"
                            : "#" + std::to_string(id) + " part|" + FormatLengthText(std::to_string(100 + id).c_str(), false) +
                                  "|" + (c.mode == 1 ? "2 of 2" : "2");
                expected += (expected.empty() ? "" : "|") + cells;
            }
            EXPECT_EQ(rows[r], expected) << c.mode << " row " << r;
        }
        EXPECT_EQ(html.find("(continued)"), std::string::npos);
    }
}

TEST_F(PartsReport, PartsWithUnplacedPiecesAreMarkedAndExplained)
{
    // Part 3 (700) has 2 of 3 placed; part 2 carries the comment x;y;z.
    FillSolved(*Material());
    Material()->ComputeOrphans();
    static const struct {
        int mode;
        const char* part2;
        const char* whole;
    } kCases[] = {{1, ">#2: x;y;z<", ">6 of 6<"}, {2, ">#2<", ">6<"}};
    for (const auto& c : kCases) {
        OXRLayout* layout = Make("solution.cuttings", "table.general,table.pieces", 2970, c.mode);
        ASSERT_NE(layout, nullptr);
        const std::string html = Html(layout);
        EXPECT_NE(html.find(c.part2), std::string::npos) << html;
        EXPECT_NE(html.find(c.whole), std::string::npos) << html;
        EXPECT_NE(html.find(">2 of 3<sup>1</sup><"), std::string::npos) << html;
        EXPECT_NE(html.find("[1] Not all parts are placed"), std::string::npos);
    }
}

TEST_F(PartsReport, BaseLayoutShowsStoredValuesWithoutUnitsOrNote)
{
    app.Globals().Set("length.units", "mm");
    FillSolved(*Material());
    Material()->ComputeOrphans();
    OXRLayout* layout = Make("base.cuttings", "table.general,table.pieces", 2970, 1);
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout);
    EXPECT_NE(html.find(">#2 x;y;z<"), std::string::npos) << html;
    EXPECT_NE(html.find(">Length<"), std::string::npos);
    EXPECT_NE(html.find(">700<"), std::string::npos);
    EXPECT_NE(html.find(">3<"), std::string::npos);
    EXPECT_EQ(html.find("Not all parts"), std::string::npos);
    EXPECT_EQ(html.find("<sup>"), std::string::npos);
}

// On short pages every part is listed exactly once, the pages after the
// first under the continued title, and nothing runs below the foot margin,
// whether or not a stock table measured the row height before.
TEST_F(PartsReport, EveryPartAppearsOnceOverShortPages)
{
    constexpr int kHeight = 800;
    constexpr int kFoot = kHeight - 100;
    FillParts(*Material(), 150, 4);
    static const struct {
        const char* cls;
        const char* order;
        int mode;
    } kCases[] = {
        {"solution.cuttings", "table.general,table.blanks,table.pieces", 1},
        {"solution.cuttings", "table.general,table.blanks,table.pieces", 2},
        {"solution.cuttings", "table.general,table.pieces", 1},
        {"solution.cuttings", "table.general,table.pieces", 2},
        {"base.cuttings", "table.general,table.blanks,table.pieces", 1},
        {"base.cuttings", "table.general,table.pieces", 1},
    };
    for (const auto& c : kCases) {
        OXRLayout* layout = Make(c.cls, c.order, kHeight, c.mode);
        ASSERT_NE(layout, nullptr);
        const std::vector<EmfContent> pages = DrawPages(layout, Material(), kPageWidth, kHeight);
        const std::string label = std::string(c.cls) + " " + c.order + " " + std::to_string(c.mode);
        ASSERT_LT(pages.size(), 200u) << label;
        ASSERT_GE(pages.size(), 3u) << label;
        for (int k = 1; k <= 150; ++k) {
            const std::wstring id = Wide("#" + std::to_string(k) + " part");
            EXPECT_EQ(Seen(pages, id), 1) << label << " part " << k;
        }
        bool started = false;
        for (size_t p = 0; p < pages.size(); ++p) {
            const bool parts = pages[p].Has(L"Parts") || pages[p].Has(L"Parts (continued)");
            if (parts) {
                EXPECT_EQ(pages[p].Has(L"Parts (continued)"), started) << label << " page " << p;
                started = true;
            }
            for (const EmfText& t : pages[p].texts)
                if (t.text.find(L" part") != std::wstring::npos) {
                    EXPECT_LT(t.y, kFoot) << label << " page " << p;
                }
        }
    }
}

TEST_F(PartsReport, AMaterialWithUnplacedPartsKeepsARowFreeOnEveryPage)
{
    // Without unplaced parts a page holds one row more of the table.
    app.Document().AddMaterial("Oak", "");
    auto firstPageParts = [this](long index, int unplaced) {
        DCSProject* material = app.Document().GetProject(index, false);
        FillParts(*material, 90, unplaced);
        OXRLayout* layout = Make("solution.cuttings", "table.blanks,table.pieces", 1200, 1);
        const std::vector<EmfContent> pages = DrawPages(layout, material, kPageWidth, 1200);
        int shown = 0;
        for (int k = 1; k <= 90; ++k)
            shown += Seen({pages[0]}, Wide("#" + std::to_string(k) + " part"));
        return shown;
    };
    const int placed = firstPageParts(0, 0);
    const int unplaced = firstPageParts(1, 1);
    ASSERT_GT(placed, 4);
    EXPECT_EQ(placed - unplaced, 2);
}

TEST_F(PartsReport, LongNotesAreCutOverPagesAndEnd)
{
    constexpr int kHeight = 800;
    FillParts(*Material(), 4, 0);
    std::string notes;
    for (int k = 1; k <= 3000; ++k)
        notes += (k % 40 == 0 ? "\r\n" : " ") + std::string("w") + std::to_string(k);
    Material()->SetProperty("notes", notes.c_str());
    Material()->SetProperty("notes.active", "1");
    OXRLayout* layout = Make("solution.cuttings", "table.general,table.notes,table.pieces", kHeight, 1);
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPages(layout, Material(), kPageWidth, kHeight);
    ASSERT_LT(pages.size(), 200u);
    ASSERT_GE(pages.size(), 3u);
    for (int k = 1; k <= 3000; ++k)
        EXPECT_EQ(Seen(pages, Wide("w" + std::to_string(k))), 1) << k;
    EXPECT_EQ(Seen(pages, L"Notes"), 1);
    EXPECT_GE(Seen(pages, L"Notes (continued)"), 1);
    for (const EmfContent& page : pages) {
        bool words = false;
        for (const EmfText& t : page.texts)
            if (t.text[0] == L'w') {
                words = true;
                EXPECT_LT(t.y, kHeight - 100);
            }
        if (words) {
            EXPECT_EQ(Seen({page}, L"Notes") + Seen({page}, L"Notes (continued)"), 1) << page.All().c_str();
        }
    }
    // The parts table follows the notes once they are done.
    EXPECT_EQ(Seen(pages, L"#4 part"), 1);
}

TEST_F(PartsReport, NotesTallerThanTheRestOfThePageMoveWhole)
{
    FillParts(*Material(), 50, 0);
    std::string notes;
    for (int k = 1; k <= 60; ++k)
        notes += " n" + std::to_string(k);
    Material()->SetProperty("notes", notes.c_str());
    Material()->SetProperty("notes.active", "1");
    OXRLayout* layout = Make("solution.cuttings", "table.general,table.pieces,table.notes", 800, 1);
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPages(layout, Material(), kPageWidth, 800);
    ASSERT_LT(pages.size(), 200u);
    int pagesWithNotes = 0;
    for (const EmfContent& page : pages)
        pagesWithNotes += page.Has(L"n1") || page.Has(L"n60") ? 1 : 0;
    EXPECT_EQ(pagesWithNotes, 1);
    EXPECT_EQ(Seen(pages, L"Notes (continued)"), 0);
    EXPECT_EQ(Seen(pages, L"n60"), 1);
}

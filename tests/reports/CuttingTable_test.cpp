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

// count patterns, each one bar of stock row k (6000) with parts
// parts of 100 each; with distinct, pattern k cuts parts of 100 + k, so no
// two bars are alike.
void FillPatterns(DCSProject& material, int count, int parts, bool distinct = false)
{
    PropsList stock;
    for (int i = 1; i <= count; ++i)
        stock.push_back(RowOf({{"length", "6000"}, {"quantity", "1"}}));
    material.AppendRows(stock, 1);
    PropsList pieces;
    for (int i = 1; i <= (distinct ? count : 1); ++i)
        pieces.push_back(RowOf({{"length", std::to_string(distinct ? 100 + i : 100).c_str()},
                                {"quantity", std::to_string(distinct ? parts : count * parts).c_str()}}));
    material.AppendRows(pieces, 2);
    std::vector<PatternSpec> patterns;
    for (int i = 1; i <= count; ++i)
        patterns.push_back({i, 1, {{distinct ? i : 1, parts}}});
    ApplyPatterns(material, patterns);
}

} // namespace

class CuttingReport : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        app.Globals().Set("no", "#");
    }

    std::vector<std::string> Lines(const std::string& className, const std::string& order, int height, int mode,
                                   const std::string& columns)
    {
        return LayoutPageLines("Cut", className, order, height,
                               {"draw.group.project=(table.material,table.blanks,table.cutting)${projects}",
                                "table.general.mode=3",
                                "table.general.columns=500,200,200,200,200,200,300",
                                "table.general.offset.y=-1",
                                "table.material.mode=2",
                                "table.material.offset.y=-1",
                                "table.blanks.mode=2",
                                "table.blanks.columns=394,200,220,200,200,180,200,200",
                                "table.blanks.offset.y=-1",
                                "table.cutting.mode=" + std::to_string(mode),
                                "table.cutting.name=title.cutting",
                                "table.cutting.columns=" + columns,
                                "table.cutting.offset.x=180",
                                "table.cutting.offset.y=-1"});
    }

    std::vector<std::string> Detailed(const std::string& order, int height, const std::string& cls = "solution.cuttings")
    {
        return Lines(cls, order, height, 1, "194,200,200,200,160,160,686");
    }

    OXRLayout* Make(const std::vector<std::string>& lines, bool whole = false, const char* projects = "1")
    {
        return LoadLayoutFile(LayoutPath("cut.sol.scl"), lines, projects, whole);
    }

    std::string Html(OXRLayout* layout, DCSProject* first)
    {
        layout->SetProject(first);
        std::string out;
        DProps options;
        layout->WriteHtml(out, &options);
        return out;
    }

    std::vector<EmfContent> DrawPass(OXRLayout* layout, DCSProject* first, int height)
    {
        return DrawPages(layout, first, kPageWidth, height);
    }

    static std::string Length(double value) { return FormatLengthText(StrFormatStatic("%f", value).c_str(), false); }
};

TEST_F(CuttingReport, GridPositionsCountTheKerfOfEveryCutBefore)
{
    Material()->AppendRows({RowOf({{"length", "6000"}, {"quantity", "1"}, {"knife", "4"}})}, 1);
    Material()->AppendRows({RowOf({{"length", "1000"}, {"quantity", "1"}}), RowOf({{"length", "500"}, {"quantity", "2"}})},
                           2);
    Material()->SetProperty("sort", "1");
    ApplyPatterns(*Material(), {{1, 1, {{1, 1}, {2, 2}}}});
    OXRLayout* layout = Make(Detailed("table.general,table.cutting", 2970));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    const size_t cut = html.find(">Cut at<");
    const size_t piece = html.find(">Piece<");
    ASSERT_NE(cut, std::string::npos) << html;
    ASSERT_NE(piece, std::string::npos);
    const std::string cuts = html.substr(cut, piece - cut);
    const size_t a = cuts.find(">" + Length(1000) + "<");
    const size_t b = cuts.find(">" + Length(1504) + "<");
    const size_t c = cuts.find(">" + Length(2008) + "<");
    ASSERT_NE(a, std::string::npos) << cuts;
    ASSERT_NE(b, std::string::npos) << cuts;
    ASSERT_NE(c, std::string::npos) << cuts;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    const std::string parts = html.substr(piece, html.find("</table>", piece) - piece);
    EXPECT_EQ(Count(parts, ">" + Length(500) + "<"), 2u) << parts;
    EXPECT_EQ(Count(parts, ">" + Length(1000) + "<"), 1u);
    // The summary: stock with its stored length, kerf formatted, no "(continued)" in HTML.
    EXPECT_NE(html.find(">#1 (6000)<"), std::string::npos);
    EXPECT_NE(html.find(">Cutting 1<"), std::string::npos);
    EXPECT_NE(html.find(">" + FormatLengthText("4", false) + "<"), std::string::npos);
    EXPECT_EQ(html.find("(continued)"), std::string::npos);
}

TEST_F(CuttingReport, SummaryShowsPerBarCountsWithTheirTotalsAndUnitsInTheTitles)
{
    app.Globals().Set("length.units", "mm");
    app.Globals().Set("pieces.units", "pcs");
    FillSolved(*Material());
    OXRLayout* layout = Make(Detailed("table.general,table.cutting", 2970));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    // Pattern 1: two bars of four parts; pattern 2 one bar of four parts.
    EXPECT_NE(html.find(">4 (8)<"), std::string::npos) << html;
    EXPECT_NE(html.find(">Pieces, pcs<"), std::string::npos);
    EXPECT_NE(html.find(">Remains, mm<"), std::string::npos);
    EXPECT_NE(html.find(">Knife, mm<"), std::string::npos);
    EXPECT_NE(html.find(">Cut at, mm<"), std::string::npos);
    EXPECT_NE(html.find(">Piece, mm<"), std::string::npos);
    EXPECT_EQ(html.find("Copies, "), std::string::npos);
    EXPECT_EQ(Count(html, "<br/>"), 2u + 2u);
}

TEST_F(CuttingReport, EveryPatternAppearsOnceOverShortPages)
{
    FillPatterns(*Material(), 30, 11);
    OXRLayout* layout = Make(Detailed("table.general,table.cutting", 800));
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPass(layout, Material(), 800);
    ASSERT_GE(pages.size(), 3u);
    ASSERT_LT(pages.size(), 200u);
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(Seen(pages, L"#" + std::to_wstring(i) + L" (6000)"), 1) << i;
        EXPECT_EQ(Seen(pages, L"Cutting " + std::to_wstring(i)), 1) << i;
    }
    for (const EmfContent& page : pages)
        for (const EmfText& t : page.texts) {
            if (t.text == L"Cut at" || t.text == L"Piece") {
                EXPECT_LT(t.y, 800);
            }
        }
}

TEST_F(CuttingReport, WithoutAStockTableTheGridIsCutInWholePairsOfRows)
{
    FillPatterns(*Material(), 1, 200);
    OXRLayoutSolution* layout =
        dynamic_cast<OXRLayoutSolution*>(Make(Detailed("table.general,table.cutting", 800)));
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPass(layout, Material(), 800);
    EXPECT_EQ(layout->GetRowHeight(), 0);
    ASSERT_GE(pages.size(), 3u);
    ASSERT_LT(pages.size(), 200u);
    int pairs = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
        const int cuts = Seen({pages[p]}, L"Cut at");
        EXPECT_EQ(cuts, Seen({pages[p]}, L"Piece")) << p;
        EXPECT_GT(cuts, 0) << p;
        EXPECT_EQ(pages[p].Has(L"Cutting 1 (continued)"), p > 0) << p;
        pairs += cuts;
    }
    EXPECT_EQ(pairs, 25);
    // Positions go on from page to page: every one from the second part on is shown once.
    // (200 is the count of parts in the general table as well.)
    for (int k = 3; k <= 200; ++k)
        EXPECT_EQ(Seen(pages, Wide(Length(k * 100.0))), 1) << k;
}

TEST_F(CuttingReport, BaseGridTallerThanAPageGoesOnOverPages)
{
    FillPatterns(*Material(), 1, 200);
    OXRLayout* layout = Make(Detailed("table.general,table.cutting", 800, "base.cuttings"));
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPass(layout, Material(), 800);
    ASSERT_GE(pages.size(), 3u);
    ASSERT_LT(pages.size(), 200u);
    int pairs = 0;
    for (size_t p = 0; p < pages.size(); ++p) {
        EXPECT_EQ(Seen({pages[p]}, L"Cut at"), Seen({pages[p]}, L"Piece")) << p;
        pairs += Seen({pages[p]}, L"Cut at");
        for (const EmfText& t : pages[p].texts)
            if (t.text == L"Cut at" || t.text == L"Piece") {
                EXPECT_LT(t.y, 700) << p;
            }
    }
    EXPECT_EQ(pairs, 25);
    // Positions go on from page to page.
    for (int k = 3; k <= 200; ++k)
        EXPECT_EQ(Seen(pages, Wide(Length(k * 100.0))), 1) << k;
    EXPECT_EQ(Seen(pages, L"Cutting 1"), 1);
}

TEST_F(CuttingReport, AfterAStockTableTheGridStillEndsAndShowsEveryPart)
{
    FillPatterns(*Material(), 2, 120);
    OXRLayoutSolution* layout =
        dynamic_cast<OXRLayoutSolution*>(Make(Detailed("table.general,table.blanks,table.cutting", 800)));
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPass(layout, Material(), 800);
    EXPECT_GT(layout->GetRowHeight(), 0);
    ASSERT_LT(pages.size(), 200u);
    int pairs = 0;
    for (const EmfContent& page : pages) {
        EXPECT_EQ(Seen({page}, L"Cut at"), Seen({page}, L"Piece"));
        pairs += Seen({page}, L"Cut at");
    }
    EXPECT_EQ(pairs, 2 * 15);
    EXPECT_EQ(Seen(pages, Wide(Length(12000))), 2);
}

TEST_F(CuttingReport, APatternTallerThanThePageEndsDrawnOnEveryPage)
{
    FillPatterns(*Material(), 3, 20);
    // Not even the summary table fits below the title: each page still
    // places something, and the report ends.
    OXRLayout* layout = Make(Detailed("table.cutting", 200));
    ASSERT_NE(layout, nullptr);
    const std::vector<EmfContent> pages = DrawPass(layout, Material(), 200);
    ASSERT_LT(pages.size(), 200u);
    for (int i = 1; i <= 3; ++i)
        EXPECT_GE(Seen(pages, L"#" + std::to_wstring(i) + L" (6000)"), 1) << i;
    EXPECT_EQ(Seen(pages, Wide(Length(2000))), 3);
    for (const EmfContent& page : pages)
        EXPECT_TRUE(page.All().find(L"(6000)") != std::wstring::npos || page.Has(L"Cut at")) << page.All().c_str();
}

TEST_F(CuttingReport, WholeProjectShowsEachActiveMaterialOnceInDocumentOrder)
{
    app.Document().AddMaterial("Oak", "");
    app.Document().AddMaterial("Pine", "");
    app.Document().AddMaterial("Birch", "");
    for (long k = 0; k < 4; ++k)
        FillPatterns(*app.Document().GetProject(k, false), 4, 12);
    app.Document().SetActive(1, false);
    for (int mode : {1, 2, 3}) {
        const std::string columns = mode == 1 ? "194,200,200,200,160,160,686" : "60,200,130,160,627,627";
        OXRLayout* layout =
            Make(Lines("solution.cuttings", "table.general,draw.group.project", 800, mode, columns), true, "3");
        ASSERT_NE(layout, nullptr);
        DCSProject* first = app.Document().GetProject(0, true);
        const std::string html = Html(layout, first);
        const size_t steel = html.find("<h3>Material Steel 40x40 (square tube)</h3>");
        const size_t pine = html.find("<h3>Material Pine</h3>");
        const size_t birch = html.find("<h3>Material Birch</h3>");
        ASSERT_NE(steel, std::string::npos) << mode;
        ASSERT_NE(pine, std::string::npos) << mode;
        ASSERT_NE(birch, std::string::npos) << mode;
        EXPECT_LT(steel, pine);
        EXPECT_LT(pine, birch);
        EXPECT_EQ(Count(html, "<h3>"), 3u);
        EXPECT_EQ(html.find("Oak"), std::string::npos);

        const std::vector<EmfContent> pages = DrawPass(layout, first, 800);
        ASSERT_LT(pages.size(), 200u);
        std::vector<std::wstring> order;
        for (const EmfContent& page : pages)
            for (const EmfText& t : page.texts)
                if (t.text.rfind(L"Material ", 0) == 0)
                    order.push_back(t.text);
        ASSERT_EQ(order.size(), 3u) << mode;
        EXPECT_EQ(order[0], L"Material Steel 40x40 (square tube)");
        EXPECT_EQ(order[1], L"Material Pine");
        EXPECT_EQ(order[2], L"Material Birch");
    }
}

TEST_F(CuttingReport, AMaterialWithoutResultIsPassedOver)
{
    app.Document().AddMaterial("Pine", "");
    FillPatterns(*app.Document().GetProject(1, false), 2, 3);
    OXRLayout* layout = Make(Detailed("table.general,draw.group.project", 2970), true, "2");
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, app.Document().GetProject(0, true));
    const size_t pine = html.find("<h3>Material Pine</h3>");
    ASSERT_NE(pine, std::string::npos) << html;
    EXPECT_EQ(html.find("Cutting 1"), html.find("Cutting 1", pine));
}

TEST_F(CuttingReport, ListShowsOneRowPerPatternWithItsPartLengths)
{
    app.Globals().Set("length.units", "mm");
    FillSolved(*Material());
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general,table.cutting", 2970, 2, "60,200,140,140,1270"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    for (const char* header : {">No<", ">Blank<", ">Copies<", ">Remains, mm<", ">Formatting<"})
        EXPECT_NE(html.find(header), std::string::npos) << header << html;
    EXPECT_NE(html.find(">Cutting<"), std::string::npos);
    EXPECT_NE(html.find(">#1 (" + FormatLengthText("6000", false) + ")<"), std::string::npos);
    const std::string sep = App().GetListSeparator("list.separator");
    const std::string l1500 = FormatLengthText("1500", false), l1000 = FormatLengthText("1000", false);
    EXPECT_NE(html.find(l1000 + sep + l1000 + sep + l1500 + sep + l1500), std::string::npos) << html;
    const std::string l700 = FormatLengthText("700", false);
    EXPECT_NE(html.find(l700 + sep + l700 + sep + l1000 + sep + l1000), std::string::npos);
    EXPECT_EQ(html.find("(continued)"), std::string::npos);
}

TEST_F(CuttingReport, CompactShowsEveryBarWithItsStoredTexts)
{
    FillSolved(*Material());
    OXRLayout* layout =
        Make(Lines("solution.cuttings", "table.general,table.cutting", 2970, 3, "60,200,130,160,627,627"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    for (const char* header : {">No<", ">Blank<", ">Copies<", ">Remains<", ">FormattingQ<", ">Output<"})
        EXPECT_NE(html.find(header), std::string::npos) << header;
    const PropsList& bars = Material()->GetCuttingPartRows();
    ASSERT_FALSE(bars.empty());
    const size_t table = html.find(">Cutting<");
    ASSERT_NE(table, std::string::npos);
    const std::string rows = html.substr(table);
    EXPECT_EQ(Count(rows, "<tr"), bars.size() + 1);
    UString layoutText(DProps::GetString(bars[0], "layout", "").c_str());
    ASSERT_TRUE(layoutText.HasText(true));
    // Split into words: each word stands in the cell.
    const std::string word = layoutText.ToStdString().substr(0, layoutText.ToStdString().find(' '));
    EXPECT_NE(rows.find(word), std::string::npos) << word;
}

TEST_F(CuttingReport, ListsOverShortPagesShowEveryRowOnce)
{
    FillPatterns(*Material(), 40, 2, true);
    for (int mode : {2, 3}) {
        OXRLayout* layout = Make(Lines("solution.cuttings", "table.general,table.cutting", 800, mode,
                                       "60,200,130,160,627,627"));
        ASSERT_NE(layout, nullptr);
        const std::vector<EmfContent> pages = DrawPass(layout, Material(), 800);
        ASSERT_GE(pages.size(), 2u) << pages[0].All().c_str();
        ASSERT_LT(pages.size(), 200u);
        for (int i = 1; i <= 40; ++i)
            EXPECT_EQ(Seen(pages, L"#" + std::to_wstring(i) + L" (" + Wide(FormatLengthText("6000", false)) + L")"), 1)
                << mode << " " << i;
        for (size_t p = 0; p < pages.size(); ++p)
            EXPECT_EQ(pages[p].Has(L"Cutting (continued)"), p > 0) << p;
    }
}

TEST_F(CuttingReport, BaseListShowsTheStockFormattedAndWholePartLengths)
{
    Material()->AppendRows({RowOf({{"length", "1200.75"}, {"quantity", "1"}})}, 1);
    Material()->AppendRows({RowOf({{"length", "600.25"}, {"quantity", "2"}})}, 2);
    ApplyPatterns(*Material(), {{1, 1, {{1, 2}}}});
    OXRLayout* layout = Make(Lines("base.cuttings", "table.general,table.cutting", 2970, 2, "60,200,140,1270"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    EXPECT_NE(html.find(">1 (" + FormatLengthText("1200.75", false) + ")<"), std::string::npos) << html;
    const std::string sep = App().GetListSeparator("list.separator");
    EXPECT_NE(html.find(">600" + sep + "600<"), std::string::npos) << html;
    EXPECT_EQ(html.find(">Remains"), std::string::npos);
    EXPECT_EQ(html.find("#86CDEA"), std::string::npos);
}

TEST_F(CuttingReport, BaseDetailedTableNumbersStockWithAHashAndShowsNoUnits)
{
    app.Globals().Set("length.units", "mm");
    FillSolved(*Material());
    OXRLayout* layout = Make(Detailed("table.general,table.cutting", 2970, "base.cuttings"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    EXPECT_NE(html.find(">#1 (6000)<"), std::string::npos) << html;
    EXPECT_NE(html.find(">Cutting 1<"), std::string::npos);
    EXPECT_NE(html.find(">Output<"), std::string::npos);
    EXPECT_NE(html.find(">Cut at<"), std::string::npos);
    EXPECT_EQ(html.find(", mm"), std::string::npos);
}

// The layouts and the English texts the program ships.
class ShippedCuttingReport : public CuttingReport {
protected:
    void SetUp() override
    {
        CuttingReport::SetUp();
        UseShippedLocale();
        // Stock 3 of 6000 cut into two parts of 1200 and one of 800.
        Material()->AppendRows({RowOf({{"length", "5000"}, {"quantity", "1"}}), RowOf({{"length", "4000"}, {"quantity", "1"}}),
                                RowOf({{"length", "6000"}, {"quantity", "3"}, {"knife", "5"}})},
                               1);
        Material()->AppendRows({RowOf({{"length", "1200"}, {"quantity", "6"}}), RowOf({{"length", "800"}, {"quantity", "3"}})}, 2);
        Material()->SetProperty("sort", "1");
        ApplyPatterns(*Material(), {{3, 3, {{1, 2}, {2, 1}}}});
    }

    std::string Shipped(const char* file)
    {
        UMemory text;
        EXPECT_TRUE(app.LoadResourceData("INSTALL", file, text));
        WriteBytes(dataFolder + "\\DATA\\cut.sol.scl", text.GetData());
        EXPECT_TRUE(OXRLayout::LoadAll(nullptr));
        OXRLayout* layout = OXRLayout::Registry().GetValueAt(0);
        UPairList extra;
        extra.Set("projects", "1");
        layout->Init(&extra);
        return Html(layout, Material());
    }
};

TEST_F(ShippedCuttingReport, FullLayoutTitlesEachPatternAndLabelsItsGrid)
{
    const std::string html = Shipped("FULL.SOL.SCL");
    for (const char* text : {">Pattern 1<", ">Stock<", ">Copies<", ">Parts<", ">Offcut<", ">Kerf<",
                             ">Parts: Part x Quantity (for all copies)<", ">#3 (6000)<", ">3 (9)<", ">Cut at<",
                             ">Part<"})
        EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_NE(html.find(">" + FormatLengthText("2405", false) + "<"), std::string::npos);
    EXPECT_NE(html.find(">" + FormatLengthText("3210", false) + "<"), std::string::npos);
}

TEST_F(ShippedCuttingReport, ListLayoutShowsThePartLengthsOfEachPattern)
{
    const std::string html = Shipped("LIST.SOL.SCL");
    const std::string sep = App().GetListSeparator("list.separator");
    const std::string l1200 = FormatLengthText("1200", false);
    for (const std::string& text :
         {std::string(">Cutting patterns<"), std::string(">No<"), std::string(">Parts: Length<"),
          ">#3 (" + FormatLengthText("6000", false) + ")<", ">" + l1200 + sep + l1200 + sep + FormatLengthText("800", false) + "<"})
        EXPECT_NE(html.find(text), std::string::npos) << text << html;
}

TEST_F(ShippedCuttingReport, BaseLayoutShowsTheCompactTable)
{
    const std::string html = Shipped("BASE.SOL.SCL");
    for (const char* text : {">Cutting patterns<", ">Parts: Length x Quantity<", ">Parts: Part x Quantity<", ">Offcut<"})
        EXPECT_NE(html.find(text), std::string::npos) << text;
    EXPECT_EQ(html.find(">Cut at<"), std::string::npos);
}

// ---- Part kinds past the row letters ---------------------------------------------------------

namespace {

constexpr int kKinds = 200;
constexpr int kKindsPerPattern = 7;
constexpr double kKerf = 3.0;

// Part kind k (1-based) is 20 + k long: lengths grow with the row id.
double KindLength(int kind) { return 20.0 + kind; }

// kKinds part kinds cut kKindsPerPattern to a bar in row order, one part of
// each: the patterns about kind 125 hold parts on both sides of the last
// row letter, and those after it only parts past it. The kinds of each pattern.
std::vector<std::vector<int>> FillManyKinds(DCSProject& material)
{
    material.AppendRows({RowOf({{"length", "6000"}, {"quantity", "100"}, {"knife", "3"}})}, 1);
    PropsList pieces;
    for (int k = 1; k <= kKinds; ++k)
        pieces.push_back(RowOf({{"length", StrFromLong(static_cast<long>(KindLength(k))).c_str()}, {"quantity", "1"}}));
    material.AppendRows(pieces, 2);
    // Shortest first, so a pattern cuts its kinds in row order.
    material.SetProperty("sort", "0");
    std::vector<std::vector<int>> kinds;
    std::vector<PatternSpec> patterns;
    for (int first = 1; first <= kKinds; first += kKindsPerPattern) {
        std::vector<int> these;
        PatternSpec spec{1, 1, {}};
        for (int k = first; k < first + kKindsPerPattern && k <= kKinds; ++k) {
            these.push_back(k);
            spec.parts.push_back({k, 1});
        }
        kinds.push_back(these);
        patterns.push_back(spec);
    }
    ApplyPatterns(material, patterns);
    return kinds;
}

// Where each part of the pattern ends on the bar, the kerf of every cut before it counted.
std::vector<std::string> ExpectedCuts(const std::vector<int>& kinds)
{
    std::vector<std::string> cuts;
    double position = 0.0;
    for (int kind : kinds) {
        position += KindLength(kind);
        cuts.push_back(FormatLengthText(StrFormatStatic("%f", position).c_str(), false));
        position += kKerf;
    }
    return cuts;
}

// The texts of every grid's cut row in report order: what stands between
// each "Cut at" and the "Piece" after it.
std::vector<std::vector<std::string>> CutRows(const std::vector<std::string>& texts)
{
    std::vector<std::vector<std::string>> rows;
    bool inRow = false;
    for (const std::string& text : texts) {
        if (text == "Cut at") {
            rows.emplace_back();
            inRow = true;
        } else if (text == "Piece") {
            inRow = false;
        } else if (inRow) {
            rows.back().push_back(text);
        }
    }
    return rows;
}

// The texts of the HTML's cells in order, blank ones left out.
std::vector<std::string> HtmlTexts(const std::string& html)
{
    std::vector<std::string> texts;
    for (size_t open = html.find('>'); open != std::string::npos; open = html.find('>', open + 1)) {
        const size_t close = html.find('<', open + 1);
        if (close == std::string::npos)
            break;
        std::string text = html.substr(open + 1, close - open - 1);
        if (StrTrim(text).empty() || text == "&nbsp;")
            continue;
        texts.push_back(text);
    }
    return texts;
}

std::vector<std::string> DrawnTexts(const std::vector<EmfContent>& pages)
{
    std::vector<std::string> texts;
    for (const EmfContent& page : pages)
        for (const EmfText& t : page.texts)
            texts.emplace_back(t.text.begin(), t.text.end());
    return texts;
}

} // namespace

TEST_F(CuttingReport, GridsPastTheRowLettersShowEveryPartOfTheirPattern)
{
    const std::vector<std::vector<int>> kinds = FillManyKinds(*Material());
    ASSERT_EQ(DProps::GetString(Material()->GetPieceRows()[130], "name", ""), "*");
    OXRLayout* layout = Make(Detailed("table.general,table.cutting", 2970));
    ASSERT_NE(layout, nullptr);

    const std::vector<std::vector<std::string>> html = CutRows(HtmlTexts(Html(layout, Material())));
    const std::vector<std::vector<std::string>> paper = CutRows(DrawnTexts(DrawPass(layout, Material(), 2970)));
    ASSERT_EQ(html.size(), kinds.size());
    ASSERT_EQ(paper.size(), kinds.size());
    for (size_t p = 0; p < kinds.size(); ++p) {
        EXPECT_EQ(html[p], ExpectedCuts(kinds[p])) << "pattern " << p + 1;
        EXPECT_EQ(paper[p], ExpectedCuts(kinds[p])) << "pattern " << p + 1;
    }
}

TEST_F(CuttingReport, ListRowsPastTheRowLettersShowEveryPartLength)
{
    const std::vector<std::vector<int>> kinds = FillManyKinds(*Material());
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general,table.cutting", 2970, 2, "60,200,140,140,1270"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout, Material());
    const std::string separator = App().GetListSeparator("list.separator");
    for (const std::vector<int>& pattern : kinds) {
        std::string lengths;
        for (int kind : pattern)
            lengths += (lengths.empty() ? "" : separator) +
                       FormatLengthText(StrFromLong(static_cast<long>(KindLength(kind))).c_str(), false);
        EXPECT_NE(html.find(">" + lengths + "<"), std::string::npos) << lengths;
    }
}

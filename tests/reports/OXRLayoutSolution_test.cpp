#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "LayoutFixture.h"
#include "ReportPass.h"
#include "document/DCSProject.h"
#include "reports/OXRLayoutBaseCutting.h"
#include "reports/OXRLayoutSolution.h"
#include "support/SolvedMaterial.h"

namespace {

constexpr int kPageWidth = 2100;
constexpr int kPageHeight = 2970;

} // namespace

// Reports of real materials through the layout classes the program registers.
class SolutionReport : public LayoutTest {
protected:
    std::vector<std::string> Lines(const std::string& className, const std::string& order)
    {
        return LayoutPageLines(
            "Full", className, order, kPageHeight,
            {"draw.group.project=(table.material,table.notes,table.blanks,table.pieces,table.cutting)${projects}",
             "table.general.mode=3",
             "table.general.name=title.general",
             "table.general.columns=500,200,200,200,200,200,300",
             "table.general.offset.x=180",
             "table.general.offset.y=-1",
             "table.material.mode=2",
             "table.material.columns=1822",
             "table.material.offset.x=180",
             "table.material.offset.y=-1",
             "table.notes.mode=2",
             "table.notes.columns=1822",
             "table.notes.offset.x=180",
             "table.notes.offset.y=-1"});
    }

    OXRLayout* Make(const std::vector<std::string>& lines, bool whole = false, const char* projects = "1")
    {
        return LoadLayoutFile(LayoutPath("full.sol.scl"), lines, projects, whole);
    }

    std::string Html(OXRLayout* layout)
    {
        std::string out;
        DProps options;
        layout->WriteHtml(out, &options);
        return out;
    }

    std::vector<EmfContent> DrawPass(OXRLayout* layout)
    {
        std::vector<EmfContent> pages;
        for (int index = 0; index < 50; ++index) {
            EmfRecorder emf(kPageWidth, kPageHeight, true);
            const bool more = layout->DrawPage(emf.dc(), index, false);
            pages.push_back(emf.Finish());
            if (!more)
                break;
        }
        return pages;
    }
};

TEST_F(SolutionReport, BothShippedClassesAreRegisteredAndACapitalisedClassIsNot)
{
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general"));
    ASSERT_NE(layout, nullptr);
    EXPECT_NE(dynamic_cast<OXRLayoutSolution*>(layout), nullptr);
    layout = Make(Lines("base.cuttings", "table.general"));
    ASSERT_NE(layout, nullptr);
    EXPECT_NE(dynamic_cast<OXRLayoutBaseCutting*>(layout), nullptr);
    WriteLayout(dataFolder + "\\DATA\\full.sol.scl", Lines("Base.Cuttings", "table.general"));
    EXPECT_FALSE(OXRLayout::LoadAll(nullptr));
}

TEST_F(SolutionReport, GeneralTableOfOneSolvedMaterialWithUnplacedParts)
{
    FillSolved(*Material());
    Material()->ComputeOrphans();
    Material()->SetProperty("remnants", "0");
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout);
    EXPECT_NE(html.find("General Information"), std::string::npos) << html;
    EXPECT_NE(html.find("Steel 40x40: square tube"), std::string::npos);
    // One 700 of 13 parts stays unplaced: the quantity text with its marker and the note.
    const std::string quantity = Material()->QuantityText(nullptr, false);
    EXPECT_NE(html.find(quantity), std::string::npos) << quantity;
    EXPECT_NE(html.find("[1] Not all parts are placed"), std::string::npos);
    // Remnants not tracked: a dash whatever the summary holds.
    const DProps& summary = Material()->GetSummaryRows().front();
    const std::string waste = StrFormatStatic("%.2f %%", DProps::GetDouble(summary, "waste"));
    EXPECT_NE(html.find(waste), std::string::npos) << waste;
}

TEST_F(SolutionReport, WholeProjectListsOnlyCalculatedActiveMaterialsInOrder)
{
    app.Document().AddMaterial("Oak", "");
    app.Document().AddMaterial("Pine", "");
    app.Document().SetName("Shop order");
    FillSolved(*Material());
    app.Document().SetActive(1, false);
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general,draw.group.project"), true, "2");
    ASSERT_NE(layout, nullptr);
    layout->SetProject(app.Document().GetProject(0, true));
    const std::string html = Html(layout);
    // Oak is inactive; Pine is active but not calculated: no row in the general table.
    EXPECT_EQ(Count(html, "Steel 40x40: square tube"), 1u);
    EXPECT_EQ(html.find("Oak"), std::string::npos);
    EXPECT_NE(html.find("<h3>Material Steel 40x40 (square tube)</h3>"), std::string::npos) << html;
}

TEST_F(SolutionReport, UnknownItemDrawsNothingAndTheHeadColourDefaults)
{
    FillSolved(*Material());
    OXRLayoutSolution* layout =
        dynamic_cast<OXRLayoutSolution*>(Make(Lines("solution.cuttings", "table.general")));
    ASSERT_NE(layout, nullptr);
    EmfRecorder emf(kPageWidth, kPageHeight, true);
    OXRRenderContext ctx;
    ctx.draw = emf.ctx();
    ctx.x = 180;
    ctx.y = 300;
    ctx.rect = RECT{1, 2, 3, 4};
    EXPECT_FALSE(layout->DrawTable("table.note", ctx, 2));
    EXPECT_TRUE(IsRectEmpty(&ctx.rect));
    EXPECT_EQ(ctx.y, 300);
    EXPECT_EQ(layout->GetHeaderColor(), 0);
    EXPECT_FALSE(layout->DrawTable("table.general", ctx, 3));
    EXPECT_GT(ctx.y, 300);
    EXPECT_FALSE(IsRectEmpty(&ctx.rect));
}

TEST_F(SolutionReport, OneMaterialPageTitleIsTheMaterialLineWithItsActiveComment)
{
    FillSolved(*Material());
    Material()->SetProperty("comment", "Deburr every cut");
    Material()->SetProperty("comment.active", "1");
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general"));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].Has(L"Material Steel 40x40 (square tube)")) << pages[0].All().c_str();
    EXPECT_TRUE(pages[0].Has(L"Deburr")) << pages[0].All().c_str();

    Material()->SetProperty("comment.active", "0");
    pages = DrawPass(layout);
    EXPECT_FALSE(pages[0].Has(L"Deburr"));
}

TEST_F(SolutionReport, WholeProjectTitleIsTheDocumentNameWithItsDescriptionOnPageOne)
{
    FillSolved(*Material());
    app.Document().SetDesc("First line\\nSecond");
    OXRLayout* layout = Make(Lines("solution.cuttings", "table.general"), true);
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    EXPECT_TRUE(pages[0].Has(L"Cutting plan")) << pages[0].All().c_str();
    const EmfText* first = pages[0].Find(L"First");
    const EmfText* second = pages[0].Find(L"Second");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_GT(second->y, first->y);

    app.Document().SetName("Shop order");
    layout->Init(nullptr);
    layout->SetWholeProject(true);
    pages = DrawPass(layout);
    EXPECT_TRUE(pages[0].Has(L"Shop order"));
}

TEST_F(SolutionReport, NotesAreDrawnOnlyWhenActiveAndMoveWholeToTheNextPage)
{
    FillSolved(*Material());
    Material()->SetProperty("notes", "Keep offcuts over 500");
    Material()->SetProperty("notes.active", "0");
    OXRLayoutSolution* layout =
        dynamic_cast<OXRLayoutSolution*>(Make(Lines("solution.cuttings", "table.general,table.notes")));
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(Html(layout).find("Keep offcuts"), std::string::npos);

    Material()->SetProperty("notes.active", "1");
    EXPECT_NE(Html(layout).find("Keep offcuts"), std::string::npos);

    EmfRecorder emf(kPageWidth, kPageHeight, true);
    OXRRenderContext ctx;
    ctx.draw = emf.ctx();
    ctx.x = 180;
    ctx.y = kPageHeight - 20;
    EXPECT_TRUE(layout->DrawTable("table.notes", ctx, 2));
    EXPECT_TRUE(IsRectEmpty(&ctx.rect));
    ctx.y = 300;
    EXPECT_FALSE(layout->DrawTable("table.notes", ctx, 2));
    EXPECT_GT(ctx.y, 300);
}

TEST_F(SolutionReport, BaseCuttingGeneralTableShowsTheLayoutsMaterialOnlyInMono)
{
    app.Document().AddMaterial("Oak", "");
    FillSolved(*Material());
    FillSolved(*app.Document().GetProject(1, false));
    OXRLayout* layout = Make(Lines("base.cuttings", "table.general,draw.group.project"), true, "2");
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout);
    EXPECT_EQ(Count(html, ">Steel 40x40<"), 1u) << html;
    EXPECT_EQ(html.find("#86CDEA"), std::string::npos);
    EXPECT_EQ(html.find("<h3>"), std::string::npos);
    EXPECT_EQ(html.find("Oak"), std::string::npos);
    EXPECT_EQ(html.find("square tube</td>"), std::string::npos);
}

namespace {

// count stock rows of 6000 with the comments S1, S2, ..., each cutting one
// bar of one 100 part; with unusedLast the last stock row cuts nothing.
void FillStock(DCSProject& material, int count, bool unusedLast)
{
    PropsList stock;
    for (int i = 1; i <= count; ++i)
        stock.push_back(RowOf({{"length", "6000"}, {"quantity", "1"}, {"comment", ("S" + std::to_string(i)).c_str()}}));
    material.AppendRows(stock, 1);
    material.AppendRows({RowOf({{"length", "100"}, {"quantity", std::to_string(count).c_str()}})}, 2);
    std::vector<PatternSpec> patterns;
    for (int i = 1; i <= count - (unusedLast ? 1 : 0); ++i)
        patterns.push_back({i, 1, {{1, 1}}});
    ApplyPatterns(material, patterns);
}

std::vector<std::string> StockLines(std::vector<std::string> lines, const char* height)
{
    for (std::string& line : lines)
        if (line.rfind("draw.size.y=", 0) == 0)
            line = std::string("draw.size.y=") + height;
    lines.push_back("table.blanks.mode=2");
    lines.push_back("table.blanks.name=title.blanks");
    lines.push_back("table.blanks.columns=394,200,220,200,200,180,200,200");
    lines.push_back("table.blanks.offset.x=180");
    lines.push_back("table.blanks.offset.y=-1");
    return lines;
}

} // namespace

TEST_F(SolutionReport, StockTableShowsUnusedStockWithZeroAndDashes)
{
    FillStock(*Material(), 2, true);
    Material()->SetProperty("remnants", "0");
    OXRLayout* layout = Make(StockLines(Lines("solution.cuttings", "table.general,table.blanks"), "2970"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout);
    const size_t general = html.find("General Information");
    const size_t stock = html.find(">Blanks<");
    ASSERT_NE(general, std::string::npos);
    ASSERT_NE(stock, std::string::npos) << html;
    EXPECT_LT(general, stock);
    const size_t unused = html.find("S2", stock);
    ASSERT_NE(unused, std::string::npos);
    const std::string row = html.substr(unused, html.find("</tr>", unused) - unused);
    EXPECT_NE(row.find(">0<"), std::string::npos) << row;
    EXPECT_EQ(Count(row, ">-<"), 5u) << row;
    EXPECT_EQ(html.find("(continued)"), std::string::npos);
}

TEST_F(SolutionReport, AStockTableOverShortPagesShowsEveryRowOnceAboveTheFoot)
{
    FillStock(*Material(), 40, false);
    OXRLayoutSolution* layout = dynamic_cast<OXRLayoutSolution*>(
        Make(StockLines(Lines("solution.cuttings", "table.general,table.blanks"), "800")));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    ASSERT_GE(pages.size(), 2u);
    ASSERT_LT(pages.size(), 50u);
    for (int i = 1; i <= 40; ++i) {
        const std::wstring id = L"S" + std::to_wstring(i);
        int seen = 0;
        for (const EmfContent& page : pages)
            seen += page.Has(id) ? 1 : 0;
        EXPECT_EQ(seen, 1) << i;
    }
    for (size_t p = 0; p < pages.size(); ++p) {
        EXPECT_EQ(pages[p].All().find(L"Blanks (continued)") != std::wstring::npos, p > 0) << p;
        for (const EmfText& t : pages[p].texts)
            if (t.text.size() > 1 && t.text[0] == L'S')
                EXPECT_LT(t.y, 800 - 100) << p;
    }
    EXPECT_GT(layout->GetRowHeight(), 0);
}

TEST_F(SolutionReport, AStockTableFirstOnAPageTooShortForOneRowStillMovesOn)
{
    FillStock(*Material(), 3, false);
    OXRLayout* layout = Make(StockLines(Lines("solution.cuttings", "table.blanks"), "330"));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    EXPECT_LT(pages.size(), 50u);
    for (int i = 1; i <= 3; ++i) {
        int seen = 0;
        for (const EmfContent& page : pages)
            seen += page.Has(L"S" + std::to_wstring(i)) ? 1 : 0;
        EXPECT_EQ(seen, 1) << i;
    }
}

TEST_F(SolutionReport, BaseCuttingStockTableNumbersRowsWithAHashAndIsPlainInHtml)
{
    FillStock(*Material(), 2, true);
    OXRLayout* layout = Make(StockLines(Lines("base.cuttings", "table.general,table.blanks"), "2970"));
    ASSERT_NE(layout, nullptr);
    const std::string html = Html(layout);
    EXPECT_NE(html.find(">#1:"), std::string::npos) << html;
    EXPECT_NE(html.find(">6000<"), std::string::npos);
    EXPECT_EQ(html.find("#86CDEA"), std::string::npos);
    const size_t unused = html.find("S2");
    ASSERT_NE(unused, std::string::npos);
    const std::string row = html.substr(unused, html.find("</tr>", unused) - unused);
    EXPECT_EQ(Count(row, ">-<"), 5u) << row;
}

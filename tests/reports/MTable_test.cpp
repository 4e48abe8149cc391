#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ReportCanvas.h"
#include "foundation/UPairList.h"
#include "reports/MTable.h"

namespace {

std::string Text(const UString& text) { return text.GetText(); }

int Height(const RECT& r) { return r.bottom - r.top; }

UPairList Overrides(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    UPairList list;
    for (const auto& p : pairs)
        list.Set(p.first, p.second);
    return list;
}

std::string Html(MTable& table)
{
    DProps options;
    options.Set("format", "html");
    std::string out;
    table.Format(out, options);
    return out;
}

size_t CountOf(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

// ---- Style and columns --------------------------------------------------------------------

TEST(MTableStyle, ScaleDrivesPaddingSpacingAndLineHeight)
{
    struct Case {
        const char* scale;
        const char* padding;
        const char* spacing;
        const char* lineHeight;
        const char* written;
    } cases[] = {
        // The overrides are copied over the defaults, "scale" among them.
        {nullptr, "2", "2", "16", "1.00000"},
        {"0", "2", "2", "16", "0"},
        {"2", "3", "4", "32", "2"},
        {"1.5", "2", "3", "24", "1.5"},
    };
    for (const Case& c : cases) {
        UPairList overrides;
        if (c.scale)
            overrides.Set("scale", c.scale);
        MTable table;
        table.LoadStyle(overrides, "100", nullptr);
        EXPECT_EQ(Text(table.Style().Get("padding")), std::string(c.padding)) << (c.scale ? c.scale : "none");
        EXPECT_EQ(Text(table.Style().Get("spacing")), std::string(c.spacing));
        EXPECT_EQ(Text(table.Style().Get("lineheight")), std::string(c.lineHeight));
        EXPECT_EQ(Text(table.Style().Get("scale")), std::string(c.written));
    }
}

TEST(MTableStyle, ScaleIsReadThroughTheOverridesParent)
{
    UPairList layout;
    layout.Set("scale", "2");
    UPairList overrides;
    overrides.SetParent(&layout);
    MTable table;
    table.LoadStyle(overrides, "100", nullptr);
    EXPECT_EQ(Text(table.Style().Get("spacing")), std::string("4"));
}

TEST(MTableStyle, MonoDefaultsAreWhiteAndOverridesWin)
{
    MTable colour;
    colour.LoadStyle(Overrides({{"color.head", "0x123456"}}), "100", nullptr);
    EXPECT_EQ(Text(colour.Style().Get("color.head")), std::string("0x123456"));
    EXPECT_EQ(Text(colour.Style().Get("color.data.0")), std::string("0xFCFCFC"));
    EXPECT_EQ(Text(colour.Style().Get("color.data.1")), std::string("0xF0F0F0"));
    EXPECT_EQ(colour.Style().IndexOf("mono"), -1);

    MTable mono;
    mono.LoadStyle(Overrides({{"mono", "1"}}), "100", nullptr);
    for (const char* key : {"color.head", "color.data.0", "color.data.1", "color.note"})
        EXPECT_EQ(Text(mono.Style().Get(key)), std::string("0xFFFFFF")) << key;
    EXPECT_EQ(Text(mono.Style().Get("line.bold")), std::string("2"));
    EXPECT_EQ(Text(mono.Style().Get("line.thin")), std::string("1"));
}

TEST(MTableStyle, TheWidthListEndsAtTheFirstPieceWithoutAWidth)
{
    struct Case {
        const char* widths;
        int columns;
    } cases[] = {
        {"500,200,300", 3}, {"500,200,0,300", 2}, {"x,100", 0},   {"", 0},
        {"120", 1},         {"100,,50", 1},       {"100,-5,50", 1},
    };
    for (const Case& c : cases) {
        MTable table;
        EXPECT_EQ(table.LoadStyle(UPairList(), c.widths, nullptr), c.columns > 0) << c.widths;
        EXPECT_EQ(table.ColumnCount(), c.columns) << c.widths;
    }
}

TEST(MTableStyle, LoadingAgainEmptiesGroupsAndTitle)
{
    MTable table;
    table.LoadStyle(UPairList(), "100,100", nullptr);
    table.SetBaseCell(TCell("title"));
    table.AddHeader(0, TCell("h"));
    table.AddRow(0, TCell("d"));
    table.LoadStyle(UPairList(), "100,100", nullptr);
    EXPECT_FALSE(table.BaseCell().HasRuns());
    EXPECT_TRUE(table.Header().cells.empty());
    EXPECT_TRUE(table.Data().cells.empty());
}

// ---- Cells ----------------------------------------------------------------------------------

TEST(MTableCells, DataRowsAlternateTheirColourUnlessMonoOrOwn)
{
    MTable colour;
    colour.LoadStyle(UPairList(), "100,100", nullptr);
    for (int i = 0; i < 6; ++i)
        colour.AddRow(0, TCell("x"));
    TCell own("own");
    own.SetAttr("color.back", "0x0000FF");
    colour.AddRow(0, own);
    const std::vector<TCell>& cells = colour.Data().cells;
    const char* expected[] = {"0xFCFCFC", "0xFCFCFC", "0xF0F0F0", "0xF0F0F0",
                              "0xFCFCFC", "0xFCFCFC", "0x0000FF"};
    for (size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(Text(cells[i].GetAttr("color.back")), std::string(expected[i])) << i;
        EXPECT_EQ(Text(cells[i].GetAttr("type")), std::string("data"));
    }

    MTable mono;
    mono.LoadStyle(Overrides({{"mono", "1"}}), "100", nullptr);
    mono.AddRow(0, TCell("x"));
    EXPECT_FALSE(mono.Data().cells[0].HasAttr("color.back"));
}

TEST(MTableCells, HeaderAndNoteCellsTakeTheirStyleColours)
{
    MTable table;
    table.LoadStyle(Overrides({{"color.head", "0xE7BFC8"}}), "100", nullptr);
    table.AddHeader(0, TCell("h"));
    table.AddNote(0, TCell("n"));
    EXPECT_EQ(Text(table.Header().cells[0].GetAttr("color.back")), std::string("0xE7BFC8"));
    EXPECT_EQ(Text(table.Header().cells[0].GetAttr("type")), std::string("head"));
    EXPECT_EQ(Text(table.Notes().cells[0].GetAttr("color.back")), std::string("0xFFFFFF"));
    EXPECT_EQ(Text(table.Notes().attrs.Get("line.bold")), std::string("0"));
    EXPECT_EQ(Text(table.Notes().attrs.Get("line.thin")), std::string("0"));
}

TEST(MTableCells, SpansFillTheirColumnsWithPlaceholders)
{
    struct Case {
        int before;  // cells already in the row
        int span;
        const char* colspan;
        int placeholders;
    } cases[] = {
        {0, -1, "4", 3}, {1, -1, "3", 2}, {0, 2, "2", 1}, {2, 5, "2", 1},
        {0, 0, "", 0},   {0, 1, "1", 0},  {3, -1, "1", 0},
    };
    for (const Case& c : cases) {
        MTable table;
        table.LoadStyle(UPairList(), "100,200,300,400", nullptr);
        for (int i = 0; i < c.before; ++i)
            table.AddRow(0, TCell("x"));
        table.AddRow(c.span, TCell("span"));
        const std::vector<TCell>& cells = table.Data().cells;
        ASSERT_EQ(cells.size(), static_cast<size_t>(c.before + 1 + c.placeholders))
            << c.before << "/" << c.span;
        EXPECT_EQ(Text(cells[c.before].GetAttr("colspan")), std::string(c.colspan));
        for (int k = 0; k < c.placeholders; ++k) {
            const TCell& filler = cells[c.before + 1 + k];
            EXPECT_EQ(Text(filler.GetAttr("type")), std::string("none"));
            EXPECT_EQ(filler.GetWidth(), 100 * (c.before + 2 + k));
            EXPECT_EQ(Text(filler.GetAttr("colspan")), std::string(""));
        }
    }
}

TEST(MTableCells, WithoutColumnsRowsAreDropped)
{
    MTable table;
    EXPECT_FALSE(table.LoadStyle(UPairList(), "", nullptr));
    table.AddRow(0, TCell("x"));
    table.AddHeader(0, TCell("h"));
    EXPECT_TRUE(table.Data().cells.empty());
    EXPECT_TRUE(table.Header().cells.empty());
    EXPECT_EQ(table.RowsPerColumn(table.Data()), 0);
}

TEST(MTableCells, RowsAreCountedRoundingUp)
{
    MTable table;
    table.LoadStyle(UPairList(), "10,10,10", nullptr);
    for (int i = 0; i < 7; ++i)
        table.AddRow(0, TCell("x"));
    EXPECT_EQ(table.RowsPerColumn(table.Data()), 3);
    table.ClearRows();
    EXPECT_EQ(table.RowsPerColumn(table.Data()), 0);
}

// ---- Measuring and drawing ---------------------------------------------------------------

TEST(MTableDraw, CellsArePlacedInTheirColumnsAndSpanningCellsCoverTheirs)
{
    TestPage page(2000, 2000);
    TestFont font(12);
    MTable table;
    table.LoadStyle(UPairList(), "100,200,300", font);
    table.AddRow(0, TCell("a"));
    table.AddRow(-1, TCell("b"));
    table.AddRow(0, TCell("c"));
    table.Measure(page.ctx());
    const std::vector<TCell>& cells = table.Data().cells;
    // spacing 2 at scale 1
    EXPECT_EQ(cells[0].GetRect().left, 0);
    EXPECT_EQ(cells[1].GetRect().left, 102);
    EXPECT_EQ(cells[1].GetRect().right, 102 + 200 + 2 + 300);
    EXPECT_EQ(cells[2].GetRect().left, 304);
    EXPECT_EQ(cells[3].GetRect().top, cells[0].GetRect().bottom + 2);
    EXPECT_EQ(table.Data().rect.right, 100 + 200 + 300 + 2 * 2);
}

TEST(MTableDraw, HeightSumsTitleGroupsAndSpacing)
{
    TestPage page(2000, 2000);
    TestFont font(12);
    MTable table;
    table.LoadStyle(UPairList(), "100,100", font);
    table.SetBaseCell(TCell("Title"));
    table.AddHeader(0, TCell("h1"));
    table.AddHeader(0, TCell("h2"));
    table.AddRow(0, TCell("d1"));
    table.AddRow(0, TCell("d2"));
    table.AddRow(0, TCell("d3"));
    table.AddNote(-1, TCell("note"));
    table.Measure(page.ctx());
    const int spacing = 2;
    const int expected = Height(table.BaseCell().GetRect()) + spacing + table.Header().rect.bottom +
                         table.Data().rect.bottom + table.Notes().rect.bottom + spacing;
    EXPECT_EQ(Height(table.GetRect()), expected);
    EXPECT_EQ(table.Data().rect.bottom,
              Height(table.Data().cells[0].GetRect()) + spacing + Height(table.Data().cells[2].GetRect()));
}

TEST(MTableDraw, ATableThatDoesNotFitDrawsNothingUnlessForced)
{
    TestFont font(12);
    for (bool force : {false, true}) {
        EmfRecorder emf(600, 60, false);
        UDraw& draw = *emf.ctx();
        MTable table;
        table.LoadStyle(UPairList(), "200,200", font);
        table.AddHeader(0, TCell("Length"));
        table.AddHeader(0, TCell("Count"));
        for (int i = 0; i < 5; ++i) {
            table.AddRow(0, TCell("row"));
            table.AddRow(0, TCell("1"));
        }
        RECT out;
        EXPECT_EQ(table.Draw(&draw, 10, 20, &out, force), !force);
        EXPECT_EQ(out.left, 10);
        EXPECT_EQ(out.top, 20);
        EXPECT_EQ(Height(out), Height(table.GetRect()));
        EmfContent content = emf.Finish();
        EXPECT_EQ(content.Has(L"Length"), force);
        EXPECT_EQ(content.texts.empty(), !force);
    }
}

TEST(MTableDraw, NotesHaveNeitherFrameNorRulesUnlessThePainterAsks)
{
    TestFont font(12);
    auto lines = [&](bool ask) {
        EmfRecorder emf(800, 800, false);
        UDraw& draw = *emf.ctx();
        MTable table;
        table.LoadStyle(UPairList(), "200,200", font);
        if (ask) {
            table.Notes().attrs.Set("line.bold", "1");
            table.Notes().attrs.Set("line.thin", "1");
        }
        table.AddNote(-1, TCell("first note"));
        table.AddNote(-1, TCell("second note"));
        table.Draw(&draw, 0, 0, nullptr, false);
        EmfContent content = emf.Finish();
        EXPECT_TRUE(content.Has(L"first note")) << content.All();
        return content.lines;
    };
    EXPECT_EQ(lines(false), 0);
    // A frame of four edges stroked there and back, and one rule under the
    // first row in each of its two cells.
    EXPECT_EQ(lines(true), 4 * 2 + 2);
}

TEST(MTableDraw, MonoTablesRuleBetweenColumns)
{
    TestFont font(12);
    auto lines = [&](bool mono) {
        EmfRecorder emf(800, 800, false);
        UDraw& draw = *emf.ctx();
        MTable table;
        table.LoadStyle(mono ? Overrides({{"mono", "1"}}) : UPairList(), "200,200", font);
        table.AddRow(0, TCell("a"));
        table.AddRow(0, TCell("b"));
        table.Draw(&draw, 0, 0, nullptr, false);
        return emf.Finish().lines;
    };
    // One row: the frame only, then one vertical rule per cell in mono.
    EXPECT_EQ(lines(false), 8);
    EXPECT_EQ(lines(true), 8 + 2);
}

TEST(MTableDraw, ClearRowsMeasuresAgainForTheNextPage)
{
    TestPage page(2000, 2000);
    TestFont font(12);
    MTable table;
    table.LoadStyle(UPairList(), "100", font);
    table.AddHeader(0, TCell("h"));
    for (int i = 0; i < 4; ++i)
        table.AddRow(0, TCell("row"));
    RECT first;
    table.Draw(page.ctx(), 0, 0, &first, false);
    table.ClearRows();
    EXPECT_EQ(Height(table.GetRect()), 0);
    table.AddRow(0, TCell("row"));
    RECT second;
    table.Draw(page.ctx(), 0, 0, &second, false);
    EXPECT_GT(Height(second), 0);
    EXPECT_LT(Height(second), Height(first));
}

TEST(MTableDraw, WithoutColumnsNothingIsDrawn)
{
    TestPage page(200, 200);
    MTable table;
    table.LoadStyle(UPairList(), "", nullptr);
    RECT out = {1, 2, 3, 4};
    EXPECT_FALSE(table.Draw(page.ctx(), 0, 0, &out, true));
    EXPECT_EQ(out.left, 1);
}

// ---- HTML ----------------------------------------------------------------------------------

TEST(MTableHtml, PercentWidthsAreWholeShares)
{
    MTable table;
    table.LoadStyle(Overrides({{"width", "%"}}), "500,200,300", nullptr);
    table.AddRow(0, TCell("a"));
    table.AddRow(0, TCell("b"));
    table.AddRow(0, TCell("c"));
    const std::string html = Html(table);
    EXPECT_NE(html.find("width=\"50%\""), std::string::npos) << html;
    EXPECT_NE(html.find("width=\"20%\""), std::string::npos);
    EXPECT_NE(html.find("width=\"30%\""), std::string::npos);

    MTable plain;
    plain.LoadStyle(UPairList(), "500,200", nullptr);
    plain.AddRow(0, TCell("a"));
    TCell own("b");
    own.SetAttr("width", "77");
    plain.AddRow(0, own);
    const std::string px = Html(plain);
    EXPECT_NE(px.find("width=\"500\""), std::string::npos) << px;
    EXPECT_NE(px.find("width=\"77\""), std::string::npos);
}

TEST(MTableHtml, ASpanningCellIsOneTdWithItsColspan)
{
    MTable table;
    table.LoadStyle(UPairList(), "100,100,100,100", nullptr);
    table.AddRow(-1, TCell("whole row"));
    const std::string html = Html(table);
    EXPECT_EQ(CountOf(html, "<td"), 1u) << html;
    EXPECT_NE(html.find("colspan=\"4\""), std::string::npos);
}

TEST(MTableHtml, RowClassesAlternateStartingWithRowTwo)
{
    MTable table;
    table.LoadStyle(Overrides({{"class", "width100"}, {"class.row-1", "row-1"}, {"class.row-2", "row-2"}}),
                    "100", nullptr);
    table.AddHeader(0, TCell("Head"));
    table.AddRow(0, TCell("first"));
    table.AddRow(0, TCell("second"));
    const std::string html = Html(table);
    EXPECT_EQ(html.find("\r\n<table class=\"width100\">"), 0u) << html;
    EXPECT_NE(html.find("<tr class=\"row-2\"><td width=\"100\" bgcolor=\"#FCFCFC\">first</td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<tr class=\"row-1\"><td width=\"100\" bgcolor=\"#F0F0F0\">second</td>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<tr class=\"row-2\"><td width=\"100\" bgcolor=\"#86CDEA\"><b>Head</b></td></tr>"),
              std::string::npos)
        << html;
}

TEST(MTableHtml, TheWholeTableInOrder)
{
    MTable table;
    table.LoadStyle(UPairList(), "100,100", nullptr);
    table.SetBaseCell(TCell("Parts & <stock>"));
    table.AddHeader(0, TCell("L"));
    TCell centred("N");
    centred.SetAttr("halign", "1");
    centred.SetAttr("class", "center");
    table.AddHeader(0, centred);
    table.AddRow(0, TCell("a<b"));
    table.AddRow(0, TCell("2"));
    table.AddNote(-1, TCell("note"));
    DProps options;
    options.Set("format", "html");
    std::string out("before");
    table.Format(out, options);
    EXPECT_STREQ(out.c_str(),
                 "before<b>Parts &amp; &lt;stock&gt;</b>\r\n<table>"
                 "\r\n<tr><td width=\"100\" bgcolor=\"#86CDEA\"><b>L</b></td>"
                 "<td class=\"center\" align=\"center\" width=\"100\" bgcolor=\"#86CDEA\"><b>N</b></td></tr>\r\n"
                 "\r\n<tr><td width=\"100\" bgcolor=\"#FCFCFC\">a&lt;b</td>"
                 "<td width=\"100\" bgcolor=\"#FCFCFC\">2</td></tr>\r\n"
                 "</table><i><div style=\"font-size: 80%;\">note</div></i>");
    EXPECT_EQ(DProps::GetString(options, "type"), "plain");
}

TEST(MTableHtml, OnlyTheHtmlFormatWritesAndAnEmptyTableStillHasItsElement)
{
    MTable table;
    table.LoadStyle(UPairList(), "", nullptr);
    table.SetBaseCell(TCell("T"));
    DProps options;
    options.Set("format", "text");
    std::string out;
    table.Format(out, options);
    EXPECT_STREQ(out.c_str(), "");
    EXPECT_EQ(Html(table), "<b>T</b>\r\n<table></table>");
}

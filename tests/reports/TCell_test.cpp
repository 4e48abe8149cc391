#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ReportCanvas.h"
#include "foundation/UPairList.h"
#include "reports/TCell.h"

namespace {

std::string Text(const UString& text) { return text.GetText(); }

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::vector<std::wstring> RunTexts(const TCell& cell)
{
    std::vector<std::wstring> texts;
    for (const TText& run : cell.GetRuns())
        texts.push_back(run.GetW());
    return texts;
}

// Style values as a table hands them down to its cells.
class CellStyle {
public:
    CellStyle(int spacing, int padding, int lineHeight)
    {
        m_style.Set("spacing", std::to_string(spacing).c_str());
        m_style.Set("padding", std::to_string(padding).c_str());
        m_style.Set("lineheight", std::to_string(lineHeight).c_str());
    }
    UPairList* get() { return &m_style; }

private:
    UPairList m_style;
};

UString Html(const TCell& cell, const char* tag, const char* format = "html")
{
    DProps options;
    options.Set("format", format);
    options.Set("tag", tag);
    std::string out;
    cell.WriteHtml(out, options);
    return UString(out.c_str());
}

} // namespace

// ---- Cutting text into runs ------------------------------------------------------------

TEST(TCellRuns, SplittingCutsAtBlanksAndLineEndsKeepingThemAsRuns)
{
    struct Case {
        const char* text;
        bool words;
        std::vector<std::wstring> runs;
    } cases[] = {
        {"ab cd", false, {L"ab", L" ", L"cd"}},
        {"ab\r\ncd", false, {L"ab", L"\r\n", L"cd"}},
        {"ab\r\ncd", true, {L"ab", L"\r", L"\n", L"cd"}},
        {"ab cd", true, {L"ab", L" ", L"cd"}},
        {"a\tb c", true, {L"a", L"\t", L"b", L" ", L"c"}},
    };
    for (const Case& c : cases) {
        TCell cell;
        cell.Clear();
        TText run(nullptr, TText::kNormal, c.text);
        if (c.words)
            cell.AddWords(run, true);
        else
            cell.AddText(run, true);
        EXPECT_EQ(RunTexts(cell), c.runs) << c.text << (c.words ? " (words)" : "");
    }
}

TEST(TCellRuns, PiecesKeepTheFontAndFlagsOfTheGivenRun)
{
    TestFont font(12);
    TCell cell;
    cell.Clear();
    cell.AddText(TText(font, TText::kSuperscript, "x y"), true);
    ASSERT_EQ(cell.GetRuns().size(), 3u);
    for (const TText& run : cell.GetRuns()) {
        EXPECT_EQ(run.GetFont(), font.get());
        EXPECT_EQ(run.GetFlags(), TText::kSuperscript);
    }
}

TEST(TCellRuns, AnEmptyTextAddsOneEmptyRunWithoutFont)
{
    TestFont font(12);
    TCell cell;
    cell.Clear();
    cell.AddText(TText(font, 0, ""), true);
    cell.AddWords(TText(font, 0, ""), true);
    ASSERT_EQ(cell.GetRuns().size(), 2u);
    EXPECT_EQ(cell.GetRuns()[0].GetFont(), nullptr);
    EXPECT_STREQ(cell.GetRuns()[1].GetW(), L"");
}

TEST(TCellRuns, SetTextReplacesTheRunsAndKeepsTheWidthForMinusOne)
{
    TCell cell(UString("old text"), 300);
    cell.SetText(TText(nullptr, 0, "new"), -1, false);
    EXPECT_EQ(RunTexts(cell), std::vector<std::wstring>{L"new"});
    EXPECT_EQ(cell.GetWidth(), 300);
    cell.SetText(TText(nullptr, 0, "w"), 0, false);
    EXPECT_EQ(cell.GetWidth(), 0);
}

TEST(TCellRuns, CharacterReferencesBecomeTheirCharacters)
{
    TText narrow(nullptr, 0, "a &#8805; b");
    EXPECT_STREQ(narrow.GetW(), L"a \x2265 b");
    TText wide(L"&#937;");
    EXPECT_STREQ(wide.GetW(), L"\x03A9");
    // A copy keeps the narrow form that HTML is written from.
    TText copy(TText(nullptr, 0, "plain"));
    EXPECT_STREQ(copy.GetA(), "plain");
}

TEST(TCellRuns, ConstructorsGiveTheRunsTheyName)
{
    EXPECT_EQ(TCell().GetRuns().size(), 1u);
    EXPECT_EQ(RunTexts(TCell(static_cast<const char*>(nullptr))), std::vector<std::wstring>{L""});
    TCell empty(UString(""), 250);
    EXPECT_TRUE(empty.GetRuns().empty());
    EXPECT_EQ(empty.GetRect().right, 250);
    TCell one(120, TText(L"x"));
    EXPECT_EQ(one.GetWidth(), 120);
    EXPECT_EQ(RunTexts(one), std::vector<std::wstring>{L"x"});
}

TEST(TCellRuns, AssignmentTakesAttributesAndParentButAStyleChainKeepsWorking)
{
    CellStyle style(3, 4, 20);
    TCell source("t");
    source.SetParent(style.get());
    source.SetAttr("class", "bold");
    TCell target;
    target = source;
    EXPECT_EQ(Text(target.GetAttr("class")), std::string("bold"));
    EXPECT_EQ(Text(target.GetInherited("padding")), std::string("4"));
}

// ---- Laying the runs out ---------------------------------------------------------------

TEST(TCellMeasure, ACellWithoutRunsMeasuresAsOneBlank)
{
    TestPage page(400, 200);
    TestFont font(14);
    const int blank = page.TextHeight(L" ", font);
    for (int lineHeight : {2, 60}) {
        CellStyle style(2, 5, lineHeight);
        TCell cell;
        cell.Clear();
        cell.SetParent(style.get());
        RECT r;
        ASSERT_TRUE(cell.Measure(page.ctx(), &r, font));
        EXPECT_EQ(Height(r), std::max(blank, lineHeight) + 2 * 5) << lineHeight;
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
    }
}

TEST(TCellMeasure, WithoutWidthTheTextIsNeverBroken)
{
    TestPage page(2000, 200);
    TestFont font(14);
    CellStyle style(2, 3, 10);
    TCell cell;
    cell.Clear();
    cell.SetParent(style.get());
    cell.AddText(TText(nullptr, 0, "one two three four five six"), true);
    RECT r;
    cell.Measure(page.ctx(), &r, font);
    const int text = page.TextWidth(L"one two three four five six", font);
    // Each word and blank is measured alone; the sum may differ from the
    // whole text by kerning, never by a line.
    EXPECT_NEAR(Width(r), text + 2 * 3, 6);
    EXPECT_EQ(Height(r), std::max(page.TextHeight(L"one", font), 10) + 2 * 3);
    for (const TText& run : cell.GetRuns())
        EXPECT_EQ(run.GetRect().top, 0);
}

TEST(TCellMeasure, AnOverflowingWordStartsTheNextLineAndTheBlankStaysBehind)
{
    TestPage page(2000, 400);
    TestFont font(14);
    const int spacing = 2, padding = 3, lineHeight = 4;
    CellStyle style(spacing, padding, lineHeight);
    const int ab = page.TextWidth(L"ab", font);
    const int blank = page.TextWidth(L" ", font);
    const int rowHeight = page.TextHeight(L"ab", font);

    TCell cell;
    cell.Clear();
    cell.SetParent(style.get());
    // Room for "ab" and the blank, not for "cd" as well.
    cell.SetWidth(2 * padding + spacing + ab + blank + 1);
    cell.AddText(TText(nullptr, 0, "ab cd"), true);
    RECT r;
    cell.Measure(page.ctx(), &r, font);

    const std::vector<TText>& runs = cell.GetRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].GetRect().left, spacing);
    EXPECT_EQ(runs[1].GetRect().left, spacing + ab);
    EXPECT_EQ(runs[1].GetRect().top, 0);
    EXPECT_EQ(runs[2].GetRect().left, spacing);
    EXPECT_EQ(runs[2].GetRect().top, rowHeight + spacing);
    EXPECT_EQ(Height(r), 2 * rowHeight + spacing + 2 * padding);
    EXPECT_EQ(r.right, cell.GetWidth());
}

TEST(TCellMeasure, BlanksAtTheStartOfAWrappedLineVanish)
{
    TestPage page(2000, 400);
    TestFont font(14);
    CellStyle style(0, 0, 0);
    const int ab = page.TextWidth(L"ab", font);
    TCell cell;
    cell.Clear();
    cell.SetParent(style.get());
    cell.SetWidth(ab + 1);
    cell.AddText(TText(nullptr, 0, "ab   cd"), true);
    cell.Measure(page.ctx(), nullptr, font);
    const std::vector<TText>& runs = cell.GetRuns();
    ASSERT_EQ(runs.back().GetW(), std::wstring(L"cd"));
    EXPECT_EQ(runs.back().GetRect().left, 0);
    EXPECT_EQ(runs.back().GetRect().top, page.TextHeight(L"ab", font));
}

TEST(TCellMeasure, AWordWiderThanTheCellStaysAloneOnItsLine)
{
    TestPage page(2000, 400);
    TestFont font(14);
    CellStyle style(1, 0, 0);
    TCell cell;
    cell.Clear();
    cell.SetParent(style.get());
    cell.SetWidth(10);
    cell.AddText(TText(nullptr, 0, "enormous tiny"), true);
    RECT r;
    cell.Measure(page.ctx(), &r, font);
    const std::vector<TText>& runs = cell.GetRuns();
    ASSERT_EQ(runs.size(), 3u);
    const int h = page.TextHeight(L"enormous", font);
    EXPECT_EQ(runs[0].GetRect().top, 0);
    EXPECT_EQ(runs[2].GetRect().top, h + 1);
    EXPECT_EQ(runs[2].GetRect().left, 1);
    EXPECT_EQ(Height(r), 2 * h + 1);
}

TEST(TCellMeasure, LineBreaksEndLinesAndTwoInARowLeaveAnEmptyLine)
{
    TestPage page(2000, 400);
    TestFont font(14);
    const int spacing = 2, lineHeight = 40;
    CellStyle style(spacing, 0, lineHeight);

    TCell text;
    text.Clear();
    text.SetParent(style.get());
    text.AddText(TText(nullptr, 0, "one\r\ntwo"), true);
    text.Measure(page.ctx(), nullptr, font);
    EXPECT_EQ(text.GetRuns().back().GetRect().top, lineHeight + spacing);

    TCell words;
    words.Clear();
    words.SetParent(style.get());
    words.AddWords(TText(nullptr, 0, "one\r\ntwo"), true);
    RECT r;
    words.Measure(page.ctx(), &r, font);
    EXPECT_EQ(words.GetRuns().back().GetRect().top, 2 * (lineHeight + spacing));
    EXPECT_EQ(Height(r), 3 * lineHeight + 2 * spacing);
}

TEST(TCellMeasure, ASuperscriptFollowsItsRunRaisedByAFifthOfItsHeight)
{
    TestPage page(2000, 400);
    TestFont font(20);
    TestFont small(10);
    const int spacing = 3;
    CellStyle style(spacing, 0, 0);
    TCell cell;
    cell.Clear();
    cell.SetParent(style.get());
    cell.AddText(TText(nullptr, 0, "m"), false);
    cell.AddText(TText(small, TText::kSuperscript, "2"), false);
    cell.AddText(TText(small, TText::kSubscript, "i"), false);
    cell.Measure(page.ctx(), nullptr, font);
    const std::vector<TText>& runs = cell.GetRuns();
    const int m = page.TextWidth(L"m", font);
    const int fifth = page.TextHeight(L"m", font) / 5;
    EXPECT_EQ(runs[1].GetRect().left, spacing + m + spacing);
    EXPECT_EQ(runs[1].GetShift(), -fifth);
    EXPECT_EQ(runs[2].GetRect().left, runs[1].GetRect().right + spacing);
    EXPECT_EQ(runs[2].GetShift(), fifth);
}

TEST(TCellMeasure, WithoutAnyFontOnlyPaddingAndLineHeightRemain)
{
    TestPage page(400, 200);
    CellStyle style(2, 4, 18);
    TCell cell("text");
    cell.SetParent(style.get());
    RECT r;
    cell.Measure(page.ctx(), &r, nullptr);
    EXPECT_EQ(Height(r), 18 + 8);
}

TEST(TCellMeasure, ATurnedCellSwapsItsSides)
{
    TestPage page(400, 200);
    TestFont font(14);
    CellStyle style(0, 2, 0);
    TCell cell("turned text");
    cell.SetParent(style.get());
    RECT flat;
    cell.Measure(page.ctx(), &flat, font);
    cell.SetAttr("rotate", "1");
    RECT turned;
    cell.Measure(page.ctx(), &turned, font);
    EXPECT_EQ(Width(turned), Height(flat));
    EXPECT_EQ(Height(turned), Width(flat));
    EXPECT_EQ(turned.left, 0);
    EXPECT_EQ(turned.top, 0);
}

// ---- Drawing ---------------------------------------------------------------------------

TEST(TCellDraw, CentredTextStartsHalfTheFreeWidthIn)
{
    TestFont font(14);
    const int spacing = 2, padding = 3;
    CellStyle style(spacing, padding, 0);
    EmfRecorder emf(600, 200, false);
    UDraw& draw = *emf.ctx();

    TCell cell(UString("wide"), 200);
    cell.SetParent(style.get());
    cell.SetAttr("halign", "1");
    cell.Measure(&draw, nullptr, font);
    const int w = Width(cell.GetRuns()[0].GetRect());
    const int cellX = 50, cellY = 20;
    cell.Draw(&draw, cellX, cellY, font);
    EmfContent content = emf.Finish();
    const EmfText* text = content.Find(L"wide");
    ASSERT_NE(text, nullptr) << content.All();
    EXPECT_NEAR(text->x, cellX + padding + (200 - w) / 2, 1);
    EXPECT_NEAR(text->y, cellY + padding, 1);
}

TEST(TCellDraw, RightAlignedTextEndsSpacingBeforeTheEdge)
{
    TestFont font(14);
    CellStyle style(2, 3, 0);
    EmfRecorder emf(600, 200, false);
    UDraw& draw = *emf.ctx();
    TCell cell(UString("end"), 300);
    cell.SetParent(style.get());
    cell.SetAttr("halign", "2");
    cell.Measure(&draw, nullptr, font);
    const int w = Width(cell.GetRuns()[0].GetRect());
    cell.Draw(&draw, 0, 0, font);
    EmfContent content = emf.Finish();
    const EmfText* text = content.Find(L"end");
    ASSERT_NE(text, nullptr) << content.All();
    EXPECT_NEAR(text->x, 3 + 300 - w, 1);
}

TEST(TCellDraw, LineBreakRunsAndEmptyRunsDrawNothing)
{
    TestFont font(14);
    CellStyle style(0, 0, 0);
    EmfRecorder emf(600, 200, false);
    UDraw& draw = *emf.ctx();
    TCell cell;
    cell.SetParent(style.get());
    cell.AddWords(TText(nullptr, 0, "up\r\ndown"), true);
    cell.Measure(&draw, nullptr, font);
    cell.Draw(&draw, 0, 0, font);
    EmfContent content = emf.Finish();
    EXPECT_EQ(content.All(), L"up|down");
    ASSERT_TRUE(content.Has(L"down"));
    EXPECT_GT(content.Find(L"down")->y, content.Find(L"up")->y);
}

TEST(TCellDraw, ATurnedCellDrawsItsTextInsideItsTurnedRectangle)
{
    TestFont font(14);
    CellStyle style(0, 2, 0);
    for (int turns = 1; turns <= 3; ++turns) {
        SCOPED_TRACE(turns);
        EmfRecorder emf(600, 600, false);
        UDraw& draw = *emf.ctx();
        TCell cell("label");
        cell.SetParent(style.get());
        cell.SetAttr("rotate", std::to_string(turns).c_str());
        RECT r;
        cell.Measure(&draw, &r, font);
        OffsetRect(&r, 100, 100);
        cell.Draw(&draw, 100, 100, font);
        EmfContent content = emf.Finish();
        const EmfText* text = content.Find(L"label");
        ASSERT_NE(text, nullptr) << content.All();
        // The start of a turned text is one of the corners of its box.
        EXPECT_GE(text->x, r.left - 1);
        EXPECT_LE(text->x, r.right + 1);
        EXPECT_GE(text->y, r.top - 1);
        EXPECT_LE(text->y, r.bottom + 1);
    }
}

// ---- HTML ----------------------------------------------------------------------------------

TEST(TCellHtml, RunsAreEscapedAndWrappedInTheTag)
{
    struct Case {
        const char* tag;
        const char* klass;
        const char* back;
        const char* expected;
    } cases[] = {
        {"b", nullptr, nullptr, "<b>a&lt;b</b>"},
        {"", nullptr, nullptr, "a&lt;b"},
        {"span", "cap", nullptr, "<span class=\"cap\">a&lt;b</span>"},
        {"td", nullptr, "0xE7BFC8", "<td bgcolor=\"#C8BFE7\">a&lt;b</td>"},
    };
    for (const Case& c : cases) {
        TCell cell("a<b");
        if (c.klass)
            cell.SetAttr("class", c.klass);
        if (c.back)
            cell.SetAttr("color.back", c.back);
        EXPECT_EQ(Text(Html(cell, c.tag)), std::string(c.expected)) << c.tag;
    }
}

TEST(TCellHtml, ScriptRunsGoIntoSupAndSub)
{
    TCell cell;
    cell.Clear();
    cell.AddText(TText(nullptr, 0, "m"), false);
    cell.AddText(TText(nullptr, TText::kSuperscript, "2"), false);
    cell.AddText(TText(nullptr, TText::kSubscript, "x"), false);
    EXPECT_EQ(Text(Html(cell, "")), std::string("m<sup>2</sup><sub>x</sub>"));
    EXPECT_EQ(Text(Html(cell, "b")), std::string("<b>m</b><b><sup>2</sup></b><b><sub>x</sub></b>"));
}

TEST(TCellHtml, TextFormatJoinsTheRunsAndOtherFormatsWriteNothing)
{
    TCell cell;
    cell.Clear();
    cell.AddText(TText(nullptr, 0, "a <b> c"), true);
    EXPECT_EQ(Text(Html(cell, "b", "text")), std::string("a <b> c"));
    EXPECT_EQ(Text(Html(cell, "b", "rtf")), std::string(""));
}

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "LayoutFixture.h"
#include "document/DCSProject.h"

namespace {

constexpr int kPageWidth = 2100;
constexpr int kPageHeight = 2970;
constexpr int kFootMargin = 100;
const std::wstring kNote = L"Continued on the next page...";

bool HasPrefix(const std::wstring& text, const std::wstring& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

int CountPrefix(const EmfContent& page, const std::wstring& prefix)
{
    int n = 0;
    for (const EmfText& t : page.texts)
        n += HasPrefix(t.text, prefix);
    return n;
}

} // namespace

class PagePainter : public LayoutTest {
protected:
    // Draws every page of a pass into metafiles of an A4 page mapped
    // isotropically onto 2100 x 2970 units, as a printer page is.
    std::vector<EmfContent> DrawPass(OXRLayout* layout, bool mono = false)
    {
        std::vector<EmfContent> pages;
        for (int index = 0; index < 50; ++index) {
            EmfRecorder emf(kPageWidth, kPageHeight, true);
            const bool more = layout->DrawPage(emf.dc(), index, mono);
            pages.push_back(emf.Finish());
            if (!more)
                break;
        }
        return pages;
    }

    // Two passes, as a report is built: the second knows the page count.
    std::vector<EmfContent> DrawReport(OXRLayout* layout)
    {
        DrawPass(layout);
        return DrawPass(layout);
    }

    RowsLayout* Layout(const std::string& order, const std::vector<std::string>& extra)
    {
        return MakeLayout(PageLines(order, extra));
    }

    static std::vector<std::string> Table(const std::string& item, int rows, int mode = 1)
    {
        return {item + ".mode=" + std::to_string(mode), item + ".rows=" + std::to_string(rows),
                item + ".columns=900,600", item + ".offset.x=180", item + ".offset.y=-1"};
    }

    static std::vector<std::string> Join(std::vector<std::vector<std::string>> parts)
    {
        std::vector<std::string> all;
        for (auto& part : parts)
            all.insert(all.end(), part.begin(), part.end());
        return all;
    }
};

TEST_F(PagePainter, ATwoPageReportNumbersItsPagesAndNotesTheContinuation)
{
    RowsLayout* layout = Layout("table.a,table.b", Join({Table("table.a", 50), Table("table.b", 40)}));
    ASSERT_NE(layout, nullptr);

    std::vector<EmfContent> first = DrawPass(layout);
    ASSERT_EQ(first.size(), 2u);
    // The first pass does not know the count yet.
    EXPECT_TRUE(first[0].Has(L"Page 1")) << first[0].All();
    EXPECT_TRUE(first[1].Has(L"Page 2"));
    EXPECT_STREQ(layout->Params().Get("pages").GetText(), "2");
    EXPECT_EQ(layout->GetCursor(), 0);

    std::vector<EmfContent> pages = DrawPass(layout);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0].Has(L"Page 1 of 2")) << pages[0].All();
    EXPECT_TRUE(pages[1].Has(L"Page 2 of 2")) << pages[1].All();
    EXPECT_TRUE(pages[0].Has(kNote));
    EXPECT_FALSE(pages[1].Has(kNote));
    EXPECT_TRUE(pages[0].Has(L"Cutting plan"));
    EXPECT_TRUE(pages[1].Has(L"Cutting plan"));

    // Every row is drawn once, the second table going on on page 2.
    EXPECT_EQ(CountPrefix(pages[0], L"table.a row ") + CountPrefix(pages[1], L"table.a row "), 50);
    EXPECT_EQ(CountPrefix(pages[0], L"table.b row ") + CountPrefix(pages[1], L"table.b row "), 40);
    EXPECT_TRUE(pages[1].Has(L"table.b (continued)")) << pages[1].All();
}

TEST_F(PagePainter, NothingOfTheTablesGoesBelowTheFootMargin)
{
    RowsLayout* layout = Layout("table.a", Table("table.a", 200));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawReport(layout);
    ASSERT_GE(pages.size(), 3u);
    TestPage measure(100, 100);
    const int rowText = measure.TextHeight(L"table.a row 1", layout->GetFont("normal"));
    for (size_t p = 0; p < pages.size(); ++p) {
        for (const EmfText& t : pages[p].texts) {
            if (HasPrefix(t.text, L"table.a")) {
                EXPECT_LE(t.y + rowText, kPageHeight - kFootMargin) << p;
            }
        }
        // The note stays on the sheet.
        if (const EmfText* note = pages[p].Find(kNote)) {
            EXPECT_LT(note->y, kPageHeight);
        }
    }
}

TEST_F(PagePainter, AReportThatFitsOnOnePageHasNeitherNumberNorNote)
{
    RowsLayout* layout = Layout("table.a,table.b", Join({Table("table.a", 3), Table("table.b", 2)}));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawReport(layout);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(CountPrefix(pages[0], L"Page"), 0) << pages[0].All();
    EXPECT_FALSE(pages[0].Has(kNote));
    EXPECT_STREQ(layout->Params().Get("pages").GetText(), "1");
    EXPECT_EQ(CountPrefix(pages[0], L"table.b row "), 2);
}

TEST_F(PagePainter, APageBreakEndsThePageAndTwoInARowLeaveAnEmptyPage)
{
    RowsLayout* layout = Layout("table.a,pagebreak,pagebreak,table.b",
                                Join({Table("table.a", 3), Table("table.b", 2)}));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawReport(layout);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(CountPrefix(pages[0], L"table.a row "), 3);
    EXPECT_TRUE(pages[0].Has(L"Page 1 of 3"));
    EXPECT_TRUE(pages[0].Has(kNote));
    EXPECT_EQ(pages[1].All(), L"Cutting plan|Page 2 of 3|" + kNote);
    EXPECT_EQ(CountPrefix(pages[2], L"table.b row "), 2);
    EXPECT_TRUE(pages[2].Has(L"Page 3 of 3"));
    EXPECT_FALSE(pages[2].Has(kNote));
}

TEST_F(PagePainter, ItemsWithoutModeAreSkippedButCountAsTaken)
{
    RowsLayout* layout = Layout("table.off,table.absent,table.a,pagebreak,table.b",
                                Join({Table("table.off", 3, 0), Table("table.a", 2), Table("table.b", 2)}));
    ASSERT_NE(layout, nullptr);
    layout->Params().Set("table.absent.rows", "2");
    std::vector<EmfContent> pages = DrawPass(layout);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(CountPrefix(pages[0], L"table.off"), 0);
    EXPECT_EQ(CountPrefix(pages[0], L"table.absent"), 0);
    // table.a came after two skipped items; table.b opens its page.
    ASSERT_EQ(layout->firstFlags.size(), 2u);
    EXPECT_FALSE(layout->firstFlags[0]);
    EXPECT_TRUE(layout->firstFlags[1]);
}

TEST_F(PagePainter, AnItemCanStandBesideAnEarlierOne)
{
    std::vector<std::string> b = Table("table.b", 2);
    b[3] = "table.b.offset.x=1200";
    b[4] = "table.b.offset.y=${table.a.offset.y}";
    std::vector<std::string> a = Table("table.a", 2);
    a[2] = "table.a.columns=400,300";
    RowsLayout* layout = Layout("table.a,table.b", Join({a, b}));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    ASSERT_EQ(pages.size(), 1u);
    const EmfText* titleA = pages[0].Find(L"table.a");
    const EmfText* titleB = pages[0].Find(L"table.b");
    ASSERT_NE(titleA, nullptr) << pages[0].All();
    ASSERT_NE(titleB, nullptr);
    EXPECT_EQ(titleA->y, titleB->y);
    EXPECT_GT(titleB->x, titleA->x + 900);
}

TEST_F(PagePainter, TheFlowStartsBelowTheTitleAndMovesDownByEachItem)
{
    RowsLayout* layout = Layout("table.a,table.b", Join({Table("table.a", 1), Table("table.b", 1)}));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    const EmfText* title = pages[0].Find(L"Cutting plan");
    const EmfText* a = pages[0].Find(L"table.a");
    const EmfText* b = pages[0].Find(L"table.b");
    ASSERT_TRUE(title && a && b) << pages[0].All();
    EXPECT_LT(title->y, kFootMargin);
    EXPECT_GT(a->y, kFootMargin + 40 - 1);
    EXPECT_GT(b->y, a->y + 40);
    EXPECT_EQ(a->x, b->x);
}

TEST_F(PagePainter, EachRepetitionOfAGroupGoesBelowThePreviousOneOverPages)
{
    // Three repetitions (a report of three materials), the third not
    // fitting on the first page.
    RowsLayout* layout = Layout("table.a,draw.group.m", Join({{"draw.group.m=(table.m,table.n)${projects}",
                                                               "projects=3"},
                                                              Table("table.a", 1), Table("table.m", 30),
                                                              Table("table.n", 2)}));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawReport(layout);
    ASSERT_EQ(pages.size(), 2u);
    // Every title in drawing order stands below the one drawn before it on its page.
    std::vector<std::pair<size_t, int>> places;
    for (size_t p = 0; p < pages.size(); ++p)
        for (const EmfText& t : pages[p].texts)
            if (t.text == L"table.m" || t.text == L"table.n" || t.text == L"table.m (continued)")
                places.push_back({p, t.y});
    ASSERT_GE(places.size(), 6u);
    for (size_t i = 1; i < places.size(); ++i)
        EXPECT_LT(places[i - 1], places[i]) << i;
    EXPECT_EQ(CountPrefix(pages[0], L"table.m row ") + CountPrefix(pages[1], L"table.m row "), 90);
}

TEST_F(PagePainter, TheLogoStandsAtTheRightEndOfTheTitleLine)
{
    app.m_logo.Reset(CreateBitmap(196, 32, 1, 1, nullptr));
    RowsLayout* layout = Layout("table.a", Table("table.a", 1));
    ASSERT_NE(layout, nullptr);
    std::vector<EmfContent> pages = DrawPass(layout);
    app.m_logo.Reset();
    ASSERT_EQ(pages[0].blits.size(), 1u);
    const RECT& r = pages[0].blits[0];
    // Scale 2 on A4: the logo's right edge meets the content column's.
    EXPECT_EQ(r.left, 180 + 1820 - 2 * 196);
    EXPECT_EQ(r.top, 100 - 2 * 32);
    EXPECT_EQ(r.right - r.left, 2 * 196);
}

TEST_F(PagePainter, WithoutMaterialOrDeviceNothingIsDrawn)
{
    RowsLayout* layout = Layout("table.a", Table("table.a", 1));
    ASSERT_NE(layout, nullptr);
    EXPECT_FALSE(layout->DrawPage(nullptr, 0, false));
    layout->SetProject(nullptr);
    EmfRecorder emf(kPageWidth, kPageHeight, true);
    EXPECT_FALSE(layout->DrawPage(emf.dc(), 0, false));
    EXPECT_TRUE(emf.Finish().texts.empty());
    std::string html;
    EXPECT_FALSE(layout->WriteHtml(html, nullptr));
    EXPECT_STREQ(html.c_str(), "");
}

TEST_F(PagePainter, TheCommentIsDrawnInTheContentColumn)
{
    RowsLayout* layout = Layout("table.a", Table("table.a", 1));
    ASSERT_NE(layout, nullptr);
    EmfRecorder emf(kPageWidth, kPageHeight, true);
    RECT out = {};
    EXPECT_FALSE(layout->DrawComment(emf.ctx(), 180, 500, &out));
    ASSERT_TRUE(Material()->SetProperty("comment", "Cut the long bars first"));
    EXPECT_TRUE(layout->DrawComment(emf.ctx(), 180, 500, &out));
    EXPECT_EQ(out.left, 180);
    EXPECT_EQ(out.top, 500);
    EXPECT_EQ(out.right, 180 + 1820);
    EXPECT_TRUE(emf.Finish().Has(L"Cut the long bars first"));
}

// ---- HTML ----------------------------------------------------------------------------------

class HtmlWriter : public PagePainter {};

TEST_F(HtmlWriter, TheWholeReportIsOneDocumentWithoutPageBreaks)
{
    RowsLayout* layout = Layout("table.a,pagebreak,table.b,table.off",
                                Join({Table("table.a", 70), Table("table.b", 2), Table("table.off", 2, 0)}));
    ASSERT_NE(layout, nullptr);
    std::string out("kept|");
    ASSERT_TRUE(layout->WriteHtml(out, nullptr));
    const std::string html = out;
    EXPECT_EQ(html.find("kept|<!DOCTYPE html>\r\n<html><head>\r\n<style>"), 0u) << html.substr(0, 200);
    EXPECT_NE(html.find("<meta charset=\"utf-8\" />"), std::string::npos);
    EXPECT_NE(html.find("<meta http-equiv=\"pragma\""), std::string::npos);
    EXPECT_NE(html.find("</head>\r\n<body>\r\n<h2>Material Steel 40x40 (square tube)</h2>\r\n"),
              std::string::npos);
    EXPECT_NE(html.find("table.a row 70"), std::string::npos);
    EXPECT_EQ(html.find("table.off"), std::string::npos);
    EXPECT_NE(html.find("</table><br/>"), std::string::npos);
    EXPECT_EQ(html.find("pagebreak"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 18), "\r\n</body></html>\r\n");
    EXPECT_STREQ(layout->Params().Get("pages").GetText(), "1");
    EXPECT_EQ(layout->GetCursor(), 0);
    EXPECT_STREQ(layout->GetTitle().GetText(), "Material Steel 40x40 (square tube)");
}

TEST_F(HtmlWriter, TitleAndCommentAreEscaped)
{
    RowsLayout* layout = Layout("table.a", Table("table.a", 1));
    ASSERT_NE(layout, nullptr);
    ASSERT_TRUE(Material()->SetProperty("material", "Flat <10> & co"));
    ASSERT_TRUE(Material()->SetProperty("desc", ""));
    ASSERT_TRUE(Material()->SetProperty("comment", "a < b\r\nnext"));
    std::string out;
    ASSERT_TRUE(layout->WriteHtml(out, nullptr));
    const std::string html = out;
    EXPECT_NE(html.find("<h2>Material Flat &lt;10&gt; &amp; co</h2>"), std::string::npos) << html;
    EXPECT_NE(html.find("<h3>a &lt; b<br>next</h3>"), std::string::npos) << html;
    EXPECT_STREQ(layout->GetTitle().GetText(), "Material Flat <10> & co");
}

TEST_F(HtmlWriter, AWholeProjectReportIsTitledByTheProject)
{
    RowsLayout* layout = Layout("table.a", Table("table.a", 1));
    ASSERT_NE(layout, nullptr);
    layout->SetWholeProject(true);
    app.m_document.SetName("Workshop & Sons");
    app.m_document.SetDesc("Spring order");
    std::string out;
    ASSERT_TRUE(layout->WriteHtml(out, nullptr));
    EXPECT_NE(out.find("<h2>Workshop &amp; Sons</h2>\r\n<h3>Spring order</h3>"), std::string::npos) << out;
    app.m_document.SetName("");
    app.m_document.SetDesc("");
    std::string unnamed;
    layout->WriteHtml(unnamed, nullptr);
    EXPECT_NE(unnamed.find("<h2>Cutting plan</h2>"), std::string::npos);
}

TEST_F(HtmlWriter, TheColourSchemeIsTheOneAskedFor)
{
    RowsLayout* layout = Layout("table.a", Table("table.a", 1));
    ASSERT_NE(layout, nullptr);
    const std::string monoRule = "background-color: #000000;";
    auto write = [&](const char* mono) {
        DProps options;
        if (mono)
            options.Set("mono", mono);
        std::string out;
        layout->WriteHtml(out, &options);
        return out;
    };
    // The last page was drawn in black and white; the HTML asks for colour.
    DrawPass(layout, true);
    EXPECT_EQ(write("0").find(monoRule), std::string::npos);
    EXPECT_NE(write("1").find(monoRule), std::string::npos);
    // Without a choice the layout's own scheme stays.
    DrawPass(layout, false);
    EXPECT_EQ(write(nullptr).find(monoRule), std::string::npos);
}

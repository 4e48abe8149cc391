#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DcFixture.h"
#include "controls/UFont.h"

namespace {

LOGFONTW Describe(HFONT font)
{
    LOGFONTW lf = {};
    EXPECT_NE(0, GetObjectW(font, sizeof(lf), &lf));
    return lf;
}

std::wstring Wide(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

RECT Measure(HDC dc, const std::string& text)
{
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT);
    return r;
}

} // namespace

TEST(FontCreate, FillsTheWholeDescription)
{
    HFONT font = FontCreate("", -13, 700, 2, 1);
    ASSERT_NE(nullptr, font);
    LOGFONTW lf = Describe(font);
    EXPECT_EQ(L"Tahoma", std::wstring(lf.lfFaceName));
    EXPECT_EQ(-13, lf.lfHeight);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(1, lf.lfItalic);
    EXPECT_EQ(1, lf.lfUnderline);
    EXPECT_EQ(0, lf.lfStrikeOut);
    EXPECT_EQ(CLEARTYPE_QUALITY, lf.lfQuality);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
    EXPECT_EQ(0, lf.lfWidth);
    DeleteObject(font);

    font = FontCreate(nullptr, -10, 400, 0, 0);
    EXPECT_EQ(L"Tahoma", std::wstring(Describe(font).lfFaceName));
    EXPECT_EQ(0, Describe(font).lfItalic);
    DeleteObject(font);
}

TEST(FontCreateFromSpec, ReadsFaceSizeAndStyleWords)
{
    struct Case {
        const char* spec;
        const char* defaultFace;
        int defaultHeight;
        bool defaultBold;
        const char* face;
        int height;
        int weight;
        int italic;
        int underline;
    } cases[] = {
        {"Calibri, 11, bold", "Tahoma", -13, false, "Calibri", -11, 700, 0, 0},
        {"Calibri,-12", "Tahoma", -13, false, "Calibri", -12, 400, 0, 0},
        {"  , 9", "Consolas", -13, false, "Consolas", -9, 400, 0, 0},
        {"Arial", "Tahoma", -15, false, "Arial", -15, 400, 0, 0},
        {"Arial, 10, Bold", "Tahoma", -13, false, "Arial", -10, 400, 0, 0},
        {"Arial, 10", "Tahoma", -13, true, "Arial", -10, 700, 0, 0},
        {"Courier New, 8, italic underline", "", -13, false, "Courier New", -8, 400, 1, 1},
        {nullptr, "Tahoma", -12, false, "Tahoma", -12, 400, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec ? c.spec : "(null)");
        HFONT font = FontCreateFromSpec(c.spec, c.defaultFace, c.defaultHeight, c.defaultBold,
                                        false, false);
        ASSERT_NE(nullptr, font);
        LOGFONTW lf = Describe(font);
        EXPECT_EQ(Wide(c.face), std::wstring(lf.lfFaceName));
        EXPECT_EQ(c.height, lf.lfHeight);
        EXPECT_EQ(c.weight, lf.lfWeight);
        EXPECT_EQ(c.italic, lf.lfItalic);
        EXPECT_EQ(c.underline, lf.lfUnderline);
        DeleteObject(font);
    }
    EXPECT_EQ(nullptr, FontCreateFromSpec(", 10, bold", "", -13, false, false, false));
    EXPECT_EQ(nullptr, FontCreateFromSpec("", nullptr, -13, false, false, false));
    HFONT styled = FontCreateFromSpec("Arial, 10", "", -13, false, true, true);
    EXPECT_EQ(1, Describe(styled).lfItalic);
    EXPECT_EQ(1, Describe(styled).lfUnderline);
    DeleteObject(styled);
}

TEST(FontScale, ScalesTheHeightAndCanGiveUpTheSource)
{
    HFONT source = FontCreate("Tahoma", -13, 700, 1, 0);
    HFONT scaled = FontScale(source, 1.5, false);
    ASSERT_NE(nullptr, scaled);
    LOGFONTW lf = Describe(scaled);
    EXPECT_EQ(-20, lf.lfHeight); // -19.5 away from zero
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(1, lf.lfItalic);
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(source));

    HFONT again = FontScale(source, 0.5, true);
    EXPECT_EQ(0u, GetObjectType(source));
    EXPECT_EQ(-7, Describe(again).lfHeight);

    EXPECT_EQ(nullptr, FontScale(nullptr, 2.0, true));
    DeleteObject(scaled);
    DeleteObject(again);
}

TEST(FitTextWithEllipsis, CutsToTheWidthButKeepsTenCharacters)
{
    TestCanvas canvas(400, 40);
    HDC dc = canvas.dc();
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));

    std::string text(40, 'W');
    RECT r = {0, 0, 0, 20};
    r.right = Measure(dc, std::string(20, 'W')).right + Measure(dc, "...").right;
    EXPECT_TRUE(FitTextWithEllipsis(dc, &r, text));
    EXPECT_EQ(std::string(20, 'W') + "...", text);

    // A text that fits stays.
    std::string fits = "short";
    RECT wide = {0, 0, 400, 20};
    EXPECT_FALSE(FitTextWithEllipsis(dc, &wide, fits));
    EXPECT_EQ("short", fits);

    // Nine characters are never cut; ten are kept however narrow the room.
    RECT narrow = {0, 0, 5, 20};
    std::string nine = "WWWWWWWWW";
    EXPECT_FALSE(FitTextWithEllipsis(dc, &narrow, nine));
    EXPECT_EQ("WWWWWWWWW", nine);
    std::string longer = "ABCDEFGHIJKLMNOP";
    EXPECT_TRUE(FitTextWithEllipsis(dc, &narrow, longer));
    EXPECT_EQ("ABCDEFGHIJ...", longer);

    std::string empty;
    EXPECT_FALSE(FitTextWithEllipsis(dc, &narrow, empty));
    EXPECT_FALSE(FitTextWithEllipsis(nullptr, &narrow, longer));
    EXPECT_FALSE(FitTextWithEllipsis(dc, nullptr, longer));
}

// The picture a text leaves when drawn by DrawTextFitWords in a rectangle.
std::vector<COLORREF> Drawn(TestCanvas& canvas, const char* text, const RECT& rect, UINT flags,
                            int* height = nullptr)
{
    canvas.Clear();
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    int h = DrawTextFitWords(canvas.dc(), text, &rect, font, flags);
    if (height)
        *height = h;
    return canvas.Pixels();
}

TEST(DrawTextFitWords, DropsLeadingWordsUntilTheRestFits)
{
    TestCanvas canvas(300, 40);
    HDC dc = canvas.dc();
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    long tail = Measure(dc, "gamma delta").right;
    long all = Measure(dc, "beta gamma delta").right;
    SelectObject(dc, old);
    ASSERT_LT(tail, all);

    RECT r = {10, 5, 10 + tail + 2, 35};
    int height = 0;
    auto cut = Drawn(canvas, "alpha beta gamma delta", r, DT_LEFT, &height);
    EXPECT_GT(height, 0);
    EXPECT_TRUE(Drawn(canvas, "gamma delta", r, DT_LEFT) == cut);
    EXPECT_FALSE(Drawn(canvas, "delta", r, DT_LEFT) == cut);
    EXPECT_FALSE(Drawn(canvas, "", r, DT_LEFT) == cut);

    // Right-aligned: the kept words end at the rectangle's right edge.
    RECT wide = {10, 5, 10 + tail + (all - tail) / 2, 35};
    auto right = Drawn(canvas, "gamma delta", wide, DT_RIGHT);
    EXPECT_TRUE(Drawn(canvas, "alpha beta gamma delta", wide, DT_RIGHT) == right);
    EXPECT_FALSE(Drawn(canvas, "gamma delta", wide, DT_LEFT) == right);

    // Too narrow for any word: the last word is drawn, cut by the rectangle.
    RECT thin = {10, 5, 14, 35};
    auto last = Drawn(canvas, "alpha beta delta", thin, DT_LEFT, &height);
    EXPECT_GT(height, 0);
    EXPECT_TRUE(Drawn(canvas, "delta", thin, DT_LEFT) == last);

    EXPECT_EQ(0, DrawTextFitWords(dc, "", &r, nullptr, 0));
    EXPECT_EQ(0, DrawTextFitWords(nullptr, "text", &r, nullptr, 0));
    // The caller's font is selected back.
    EXPECT_EQ(old, GetCurrentObject(dc, OBJ_FONT));
}

TEST(DrawTextFitWords, CentresTheLineVertically)
{
    TestCanvas canvas(200, 60);
    RECT r = {0, 0, 200, 60};
    Drawn(canvas, "Middle", r, DT_LEFT);
    int top = -1, bottom = -1;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (canvas.At(x, y) != RGB(255, 255, 255)) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
    ASSERT_GE(top, 0);
    EXPECT_GT(top, 10);
    EXPECT_LT(bottom, 50);
}

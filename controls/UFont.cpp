#include "controls/UFont.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/StrUtil.h"

HFONT FontCreate(const char* face, int height, int weight, int italic, int underline)
{
    LOGFONTW lf;
    memset(&lf, 0, sizeof(lf));
    const char* name = face && *face ? face : "Tahoma";
    MultiByteToWideChar(CP_ACP, 0, name, -1, lf.lfFaceName, LF_FACESIZE);
    lf.lfFaceName[LF_FACESIZE - 1] = 0;
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfStrikeOut = 0;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfCharSet = DEFAULT_CHARSET;
    return CreateFontIndirectW(&lf);
}

HFONT FontCreateFromSpec(const char* spec, const char* defaultFace, int defaultHeight,
                         bool defaultBold, bool defaultItalic, bool defaultUnderline)
{
    std::string text = spec ? spec : "";
    std::string face = StrField(text, ",", 0);
    StrTrim(face);
    if (face.empty())
        face = defaultFace ? defaultFace : "";
    if (face.empty())
        return nullptr;
    long size = StrToLong(StrField(text, ",", 1));
    int height = size == 0 ? defaultHeight : -static_cast<int>(labs(size));
    bool bold = text.find("bold") != std::string::npos || defaultBold;
    bool italic = text.find("italic") != std::string::npos || defaultItalic;
    bool underline = text.find("underline") != std::string::npos || defaultUnderline;
    return FontCreate(face.c_str(), height, bold ? 700 : 400, italic, underline);
}

HFONT FontScale(HFONT font, double factor, bool deleteSource)
{
    if (!font)
        return nullptr;
    LOGFONTW lf;
    if (GetObjectW(font, sizeof(lf), &lf) == 0)
        return nullptr;
    lf.lfHeight = RoundToLong(lf.lfHeight * factor);
    lf.lfWidth = 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (deleteSource)
        DeleteObject(font);
    return CreateFontIndirectW(&lf);
}

namespace {

// The rectangle DT_CALCRECT gives the first n bytes of text from rect.
RECT MeasureA(HDC dc, const char* text, int n, const RECT& rect, UINT flags)
{
    RECT r = rect;
    DrawTextA(dc, text, n, &r, flags | DT_CALCRECT);
    return r;
}

} // namespace

bool FitTextWithEllipsis(HDC dc, const RECT* rect, std::string& text)
{
    if (!dc || !rect || text.empty())
        return false;
    int length = static_cast<int>(text.size());
    RECT whole = MeasureA(dc, text.c_str(), length, *rect, 0);
    if (whole.right <= rect->right || length <= 9)
        return false;
    RECT dots = MeasureA(dc, "...", 3, *rect, 0);
    long limit = rect->right - (dots.right - dots.left);
    int n = length;
    for (; n > 10; --n) {
        RECT part = MeasureA(dc, text.c_str(), n, *rect, 0);
        if (part.right <= limit)
            break;
    }
    text = text.substr(0, n) + "...";
    return true;
}

int DrawTextFitWords(HDC dc, const char* text, const RECT* rect, HFONT font, UINT flags)
{
    if (!dc || !text || !*text || !rect)
        return 0;
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;

    std::string line = text;
    RECT measured = *rect;
    DrawTextA(dc, line.c_str(), -1, &measured,
              (flags & ~(DT_VCENTER | DT_WORDBREAK)) | DT_CALCRECT | DT_SINGLELINE);
    long width = rect->right - rect->left;

    std::vector<std::string> words;
    StrSplit(line, words, " ");
    for (size_t k = 1; measured.right - measured.left > width; ++k) {
        std::vector<std::string> rest;
        if (k < words.size())
            rest.assign(words.begin() + k, words.end());
        std::string shorter = StrJoin(rest, " ");
        // The last word stays, cut off by the rectangle, rather than nothing.
        if (shorter.empty())
            break;
        line = shorter;
        measured = *rect;
        DrawTextA(dc, line.c_str(), -1, &measured, flags | DT_CALCRECT | DT_SINGLELINE);
    }

    long h = measured.bottom - measured.top;
    long w = measured.right - measured.left;
    RECT place;
    place.left = rect->left;
    place.top = rect->top + (rect->bottom - rect->top - h) / 2;
    place.right = place.left + w;
    place.bottom = place.top + h;
    if (flags & DT_RIGHT) {
        place.right = rect->right;
        place.left = place.right - w;
    }
    int drawn = 0;
    if (!line.empty())
        drawn = DrawTextA(dc, line.c_str(), -1, &place, flags | DT_SINGLELINE);

    if (oldFont)
        SelectObject(dc, oldFont);
    return drawn;
}

// Drawing targets for the report tests: an off-screen page bound to a UDraw,
// and an enhanced metafile whose text and line records are read back, so
// tests look at what was drawn and where, never at pixels.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/UDraw.h"
#include "controls/UFont.h"

// A font the test owns.
class TestFont {
public:
    explicit TestFont(int height, const char* face = "Calibri", int weight = FW_NORMAL)
        : m_font(FontCreate(face, -height, weight, 0, 0)) {}
    ~TestFont() { if (m_font) DeleteObject(m_font); }
    TestFont(const TestFont&) = delete;
    TestFont& operator=(const TestFont&) = delete;
    HFONT get() const { return m_font; }
    operator HFONT() const { return m_font; }

private:
    HFONT m_font;
};

// A white page of width x height pixels with a UDraw bound to it.
class TestPage {
public:
    TestPage(int width, int height)
    {
        RECT r = {0, 0, width, height};
        m_screen.CreateForRect(r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        m_draw.Attach(m_screen.GetDC(), &r);
    }
    UDraw* ctx() { return &m_draw; }
    HDC dc() const { return m_screen.GetDC(); }

    // The DT_CALCRECT width of a text in the font, as the cells measure it.
    int TextWidth(const wchar_t* text, HFONT font)
    {
        RECT r;
        m_draw.MeasureTextW(text, font, &r);
        return r.right - r.left;
    }
    int TextHeight(const wchar_t* text, HFONT font)
    {
        RECT r;
        m_draw.MeasureTextW(text, font, &r);
        return r.bottom - r.top;
    }

private:
    UScreen m_screen;
    UDraw m_draw;
};

// One text record of a metafile: the text and where it starts, in logical units.
struct EmfText {
    std::wstring text;
    int x = 0;
    int y = 0;
};

// What a metafile holds: its texts in drawing order and how many line
// segments were stroked.
struct EmfContent {
    std::vector<EmfText> texts;
    int lines = 0;
    // Where stretched bitmaps went, and their drawn size.
    std::vector<RECT> blits;

    bool Has(const std::wstring& text) const
    {
        for (const EmfText& t : texts)
            if (t.text == text)
                return true;
        return false;
    }
    const EmfText* Find(const std::wstring& text) const
    {
        for (const EmfText& t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }
    std::wstring All() const
    {
        std::wstring all;
        for (const EmfText& t : texts) {
            if (!all.empty())
                all += L"|";
            all += t.text;
        }
        return all;
    }
};

// An enhanced metafile being recorded. With page units its DC maps
// width x height logical units isotropically onto the frame (the way a
// printer's page is mapped); without, one logical unit is one device pixel.
class EmfRecorder {
public:
    EmfRecorder(int width, int height, bool isotropic)
    {
        HDC screen = GetDC(nullptr);
        const int mmX = GetDeviceCaps(screen, HORZSIZE) * 100;
        const int pxX = GetDeviceCaps(screen, HORZRES);
        const int mmY = GetDeviceCaps(screen, VERTSIZE) * 100;
        const int pxY = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
        // The frame in 0.01 mm for a picture of width x height device pixels.
        RECT frame = {0, 0, MulDiv(width, mmX, pxX), MulDiv(height, mmY, pxY)};
        m_dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
        if (isotropic && m_dc) {
            SetMapMode(m_dc, MM_ISOTROPIC);
            SetWindowExtEx(m_dc, width, height, nullptr);
            SetViewportExtEx(m_dc, width, height, nullptr);
        }
        m_rect = RECT{0, 0, width, height};
        m_draw.Attach(m_dc, &m_rect);
    }
    ~EmfRecorder()
    {
        if (m_dc)
            DeleteEnhMetaFile(CloseEnhMetaFile(m_dc));
    }
    EmfRecorder(const EmfRecorder&) = delete;
    EmfRecorder& operator=(const EmfRecorder&) = delete;

    HDC dc() const { return m_dc; }
    const RECT& rect() const { return m_rect; }
    // A drawing surface bound to the metafile and its whole rectangle.
    UDraw* ctx() { return &m_draw; }

    // Ends the recording and reads the records back.
    EmfContent Finish()
    {
        EmfContent content;
        if (!m_dc)
            return content;
        HENHMETAFILE emf = CloseEnhMetaFile(m_dc);
        m_dc = nullptr;
        EnumEnhMetaFile(nullptr, emf, &EmfRecorder::Collect, &content, nullptr);
        DeleteEnhMetaFile(emf);
        return content;
    }

private:
    static int CALLBACK Collect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
    {
        EmfContent& content = *reinterpret_cast<EmfContent*>(data);
        if (record->iType == EMR_EXTTEXTOUTW) {
            const EMREXTTEXTOUTW* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
            const wchar_t* chars = reinterpret_cast<const wchar_t*>(
                reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
            EmfText t;
            t.text.assign(chars, text->emrtext.nChars);
            t.x = text->emrtext.ptlReference.x;
            t.y = text->emrtext.ptlReference.y;
            if (!t.text.empty())
                content.texts.push_back(t);
        } else if (record->iType == EMR_LINETO) {
            ++content.lines;
        } else if (record->iType == EMR_STRETCHBLT) {
            const EMRSTRETCHBLT* blit = reinterpret_cast<const EMRSTRETCHBLT*>(record);
            content.blits.push_back(RECT{blit->xDest, blit->yDest, blit->xDest + blit->cxDest,
                                         blit->yDest + blit->cyDest});
        }
        return 1;
    }

    HDC m_dc = nullptr;
    RECT m_rect;
    UDraw m_draw;
};

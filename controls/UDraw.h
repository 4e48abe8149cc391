// The drawing layer under the owner-drawn controls and the report pages:
// UDraw draws on a borrowed DC (lines, fills, straight and turned texts,
// stretched bitmaps) and knows the DC's mapping scale; UScreen is an
// off-screen buffer that owns its memory DC and bitmap; free functions scale
// and turn rectangles and save or load .bmp files. UI thread only.
#pragma once

#include <windows.h>

#include "controls/UTrans.h"

// Owns one GDI object (font, pen, brush, bitmap) and deletes it once.
class UGdiObject {
public:
    explicit UGdiObject(HGDIOBJ object = nullptr) : m_object(object) {}
    ~UGdiObject() { Reset(); }
    UGdiObject(const UGdiObject&) = delete;
    UGdiObject& operator=(const UGdiObject&) = delete;
    UGdiObject(UGdiObject&& other) noexcept : m_object(other.Detach()) {}
    UGdiObject& operator=(UGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }

    HGDIOBJ Get() const { return m_object; }
    HGDIOBJ Detach()
    {
        HGDIOBJ object = m_object;
        m_object = nullptr;
        return object;
    }
    void Reset(HGDIOBJ object = nullptr)
    {
        if (m_object && m_object != object)
            DeleteObject(m_object);
        m_object = object;
    }

private:
    HGDIOBJ m_object;
};

// Selects an object into a DC for a scope and selects the previous one back.
class USelect {
public:
    USelect(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_old(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~USelect()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
    }
    USelect(const USelect&) = delete;
    USelect& operator=(const USelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

class UDraw {
public:
    UDraw() = default;
    // Releases nothing: the DC is the caller's.
    virtual ~UDraw() = default;

    // Binds to the DC: transparent background, black text, the scale
    // viewport extent / window extent, and the drawing rectangle (the given
    // one, else the viewport extent).
    void Attach(HDC dc, const RECT* rect = nullptr);

    // An outline from (x, y) along the top and, with a height, down the
    // right, along the bottom and back up the left, in a solid pen.
    void Frame(int x, int y, int width, int height, COLORREF colour, int penWidth = 1);
    void Fill(int x, int y, int width, int height, COLORREF colour);
    // Draws the text (unless measuring) with its left edge at x and its
    // bottom edge at bottomY, one average character wider than measured.
    // Returns height << 16 | width of the rectangle, also given in out.
    int Text(const char* text, int x, int bottomY, HFONT font, RECT* out = nullptr,
             bool measureOnly = false);
    // The DT_CALCRECT size as height << 16 | width.
    int MeasureTextW(const wchar_t* text, HFONT font, RECT* out = nullptr);
    // The text turned clockwise by the angle (degrees, to the nearest 5)
    // about (x, y), which becomes its centre; out receives the four turned
    // corners.
    void TextRotated(HFONT font, const wchar_t* text, double angle, int x, int y,
                     bool measureOnly = false, PointList* out = nullptr);
    // The whole bitmap at (x, y), its size times factor (truncated).
    void Bitmap(HBITMAP bitmap, int x, int y, double factor);

    HDC GetDC() const { return m_dc; }
    const RECT& GetRect() const { return m_rect; }
    double GetScale() const { return m_scale; }

private:
    HDC m_dc = nullptr;
    RECT m_rect = {0, 0, 0, 0};
    double m_scale = 1.0;
};

// An off-screen buffer: a memory DC compatible with the screen and the
// bitmap selected into it, both owned.
class UScreen {
public:
    // Empty; with a window, a buffer of its client area filled with brush.
    explicit UScreen(HWND window = nullptr, HBRUSH brush = nullptr);
    virtual ~UScreen();

    UScreen(const UScreen&) = delete;
    UScreen& operator=(const UScreen&) = delete;

    // Ends the buffer. With keep the off-screen bitmap is returned and is
    // the caller's from then on; otherwise it is deleted and null returned.
    virtual HBITMAP Release(bool keep);

    HDC CreateForWindow(HWND window, HBRUSH brush = nullptr);
    // A buffer of the rectangle's size (the rectangle moved to the origin),
    // filled with brush; null when it cannot be made.
    HDC CreateForRect(const RECT& rect, HBRUSH brush = nullptr);
    // A buffer holding a copy of the bitmap.
    HDC CreateFromBitmap(HBITMAP bitmap);
    // The source rectangle (the whole buffer when null) to the destination's
    // top-left (the origin when null).
    bool BlitTo(const RECT* source, HDC dc, const RECT* destination = nullptr);
    // The whole buffer over the DC at the buffer rectangle with a constant
    // alpha of 0 to 255.
    bool BlendTo(HDC dc, int alpha);
    // Fills the whole buffer from the DC, starting at the rectangle's
    // top-left; false for a rectangle without area.
    bool GrabFrom(const RECT& rect, HDC dc);

    HDC GetDC() const { return m_dc; }
    const RECT& GetRect() const { return m_rect; }

private:
    HDC m_dc = nullptr;
    // While a buffer exists: the bitmap the memory DC had before ours.
    HBITMAP m_held = nullptr;
    RECT m_rect = {0, 0, 0, 0};
};

// Each coordinate times factor, halves away from zero; a factor within 1e-7
// of 1 copies the rectangle.
RECT& RectScale(long left, long top, long right, long bottom, double factor, RECT& out);
// Turns the rectangle by 1, 2 or 3 quarter turns about its top-left corner;
// another code copies it, a null source gives an empty rectangle.
RECT& RectRotate(const RECT* source, RECT& out, int quarterTurns);
// Writes the bitmap as a .bmp file; false on any failure.
bool BitmapSave(HBITMAP bitmap, const char* path);
// Null when the file cannot be read as a bitmap. The caller owns the result.
HBITMAP BitmapLoad(const char* path);

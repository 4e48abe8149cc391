// A white off-screen picture to draw into, with a look at its pixels.
#pragma once

#include <windows.h>

#include <vector>

#include "controls/UDraw.h"

class TestCanvas {
public:
    TestCanvas(int width, int height) : m_width(width), m_height(height)
    {
        RECT r = {0, 0, width, height};
        m_screen.CreateForRect(r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }

    HDC dc() const { return m_screen.GetDC(); }
    RECT Rect() const { return RECT{0, 0, m_width, m_height}; }
    COLORREF At(int x, int y) const { return GetPixel(dc(), x, y); }

    void Clear()
    {
        RECT r = Rect();
        FillRect(dc(), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }

    std::vector<COLORREF> Pixels() const
    {
        std::vector<COLORREF> out;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                out.push_back(At(x, y));
        return out;
    }

    int CountNot(COLORREF colour) const
    {
        int n = 0;
        for (COLORREF c : Pixels())
            n += c != colour;
        return n;
    }

private:
    int m_width;
    int m_height;
    UScreen m_screen;
};

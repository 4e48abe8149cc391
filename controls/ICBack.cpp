#include "controls/ICBack.h"

#include "controls/UDraw.h"
#include "foundation/StrUtil.h"

#include <string>

ICBack::ICBack()
{
    m_doubleBuffer = true;
}

ICBack::~ICBack()
{
    FreeBitmap();
}

void ICBack::FreeBitmap()
{
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_bitmapRect = RECT{0, 0, 0, 0};
}

void ICBack::Detach()
{
    FreeBitmap();
}

bool ICBack::SetImage(HWND window, const DProps& bag)
{
    if (!window || !IsWindow(window))
        return false;
    Attach(window, 0, false);
    m_imageBag = bag;
    std::string name = DProps::GetString(m_imageBag, "rsrc", "");
    if (name.empty())
        return true;
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(ICResourceModule(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (bitmap)
        SetBitmap(bitmap);
    return true;
}

bool ICBack::SetBitmap(HBITMAP bitmap)
{
    if (!bitmap)
        return false;
    BITMAP bm = {};
    if (!HasWindow() || !GetObjectW(bitmap, sizeof bm, &bm)) {
        if (bitmap != m_bitmap)
            DeleteObject(bitmap);
        return false;
    }
    if (bitmap != m_bitmap)
        FreeBitmap();
    m_bitmap = bitmap;
    m_bitmapRect = RECT{0, 0, bm.bmWidth, bm.bmHeight};
    return true;
}

bool ICBack::DrawForeground(HDC dc, const RECT* dirty)
{
    (void)dc;
    (void)dirty;
    return false;
}

bool ICBack::DrawBackground(HDC dc, const RECT* dirty)
{
    (void)dirty;
    if (!dc || !m_bitmap)
        return false;
    RECT client = ClientRect();
    UDraw draw;
    draw.Attach(dc);
    draw.Bitmap(m_bitmap, 0, 0, SafeDivide(static_cast<double>(client.right - client.left),
                                           static_cast<double>(m_bitmapRect.right)));
    return true;
}

LRESULT ICBack::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wParam), nullptr);
        return 1;
    case WM_PAINT: {
        // The picture comes with the background erase that BeginPaint asks
        // for; the region must end valid or the system keeps asking.
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_NCPAINT:
        return 0;
    default:
        return ICControl::WindowProc(window, message, wParam, lParam);
    }
}

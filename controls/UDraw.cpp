#include "controls/UDraw.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

#include "foundation/StrUtil.h"

namespace {

int PackSize(const RECT& r)
{
    unsigned width = static_cast<unsigned>(r.right - r.left) & 0xFFFF;
    unsigned height = static_cast<unsigned>(r.bottom - r.top) & 0xFFFF;
    return static_cast<int>(height << 16 | width);
}

// A memory DC compatible with the screen, deleted at the end of its scope.
class UMemoryDC {
public:
    UMemoryDC()
    {
        HDC screen = ::GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
    }
    ~UMemoryDC()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    UMemoryDC(const UMemoryDC&) = delete;
    UMemoryDC& operator=(const UMemoryDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// A text converted to wide characters, freed at the end of its scope.
class UWideText {
public:
    explicit UWideText(const char* text) : m_text(TextToWide(nullptr, text, 0)) {}
    ~UWideText() { free(m_text); }
    UWideText(const UWideText&) = delete;
    UWideText& operator=(const UWideText&) = delete;
    const wchar_t* Get() const { return m_text; }

private:
    wchar_t* m_text;
};

} // namespace

// ---- UDraw ---------------------------------------------------------------------

void UDraw::Attach(HDC dc, const RECT* rect)
{
    m_dc = dc;
    m_scale = 1.0;
    SIZE viewport = {0, 0};
    if (dc) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, 0);
        // The extents are read in the isotropic mode, so a DC in a fixed
        // mode reads as that mode's scale. A DC that maps by its own extents
        // is read as it is: switching its mode would reset them on some
        // systems and lose the caller's mapping.
        SIZE window = {0, 0};
        int mode = GetMapMode(dc);
        if (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC) {
            GetViewportExtEx(dc, &viewport);
            GetWindowExtEx(dc, &window);
        } else {
            SetMapMode(dc, MM_ISOTROPIC);
            GetViewportExtEx(dc, &viewport);
            GetWindowExtEx(dc, &window);
            if (mode)
                SetMapMode(dc, mode);
        }
        m_scale = SafeDivide(labs(viewport.cx), labs(window.cx));
    }
    if (rect)
        m_rect = *rect;
    else
        m_rect = RECT{0, 0, viewport.cx, labs(viewport.cy)};
}

void UDraw::Frame(int x, int y, int width, int height, COLORREF colour, int penWidth)
{
    if (!m_dc)
        return;
    UGdiObject pen(CreatePen(PS_SOLID, penWidth, colour));
    USelect select(m_dc, pen.Get());
    MoveToEx(m_dc, x, y, nullptr);
    LineTo(m_dc, x + width, y);
    if (height != 0) {
        LineTo(m_dc, x + width, y + height);
        LineTo(m_dc, x, y + height);
    }
    // A wide pen's corner at the start stays open unless the line overshoots.
    LineTo(m_dc, x, y - (penWidth > 1 ? penWidth / 2 : 0));
}

void UDraw::Fill(int x, int y, int width, int height, COLORREF colour)
{
    if (!m_dc)
        return;
    UGdiObject brush(CreateSolidBrush(colour));
    if (!brush.Get())
        return;
    RECT r = {x, y, x + width, y + height};
    FillRect(m_dc, &r, static_cast<HBRUSH>(brush.Get()));
}

int UDraw::Text(const char* text, int x, int bottomY, HFONT font, RECT* out, bool measureOnly)
{
    if (!m_dc || !font || !text || !*text)
        return 0;
    UWideText wide(text);
    if (!wide.Get())
        return 0;
    int length = static_cast<int>(wcslen(wide.Get()));
    USelect select(m_dc, font);
    RECT r = {0, 0, 0, 0};
    DrawTextW(m_dc, wide.Get(), length, &r, DT_CALCRECT);
    if (!measureOnly) {
        long width = r.right - r.left;
        long height = r.bottom - r.top;
        r.left = x;
        r.right = x + width + (length > 0 ? width / length : 0);
        r.bottom = bottomY;
        r.top = bottomY - height;
        DrawTextW(m_dc, wide.Get(), length, &r, 0);
    }
    if (out)
        *out = r;
    return PackSize(r);
}

int UDraw::MeasureTextW(const wchar_t* text, HFONT font, RECT* out)
{
    if (!m_dc || !text)
        return 0;
    USelect select(m_dc, font);
    RECT r = {0, 0, 0, 0};
    DrawTextW(m_dc, text, -1, &r, DT_CALCRECT);
    if (out)
        *out = r;
    return PackSize(r);
}

void UDraw::TextRotated(HFONT font, const wchar_t* text, double angle, int x, int y,
                        bool measureOnly, PointList* out)
{
    if (!m_dc || !font || !text || !*text)
        return;
    double rounded = RoundToMultiple(angle, 5.0);
    LOGFONTW lf;
    if (GetObjectW(font, sizeof(lf), &lf) == 0)
        return;
    lf.lfEscapement = lf.lfOrientation = static_cast<LONG>(-10.0 * rounded);
    UGdiObject turned(CreateFontIndirectW(&lf));
    if (!turned.Get())
        return;
    USelect select(m_dc, turned.Get());

    RECT r = {0, 0, 0, 0};
    DrawTextW(m_dc, text, -1, &r, DT_CALCRECT | DT_VCENTER);
    long width = r.right - r.left;
    long height = r.bottom - r.top;
    double left = -(width / 2);
    double top = -(height / 2);

    UTrans trans;
    trans.SetAngle(rounded * 0.017453292519943295);
    PointList corners;
    FillPointsFromRect(corners, left, top, left + width, top + height);
    TransformPoints(corners, &trans);
    OffsetPoints(x, y, corners);

    if (!measureOnly) {
        const UPoint& start = corners[0];
        TextOutW(m_dc, RoundToLong(start.x), RoundToLong(start.y), text,
                 static_cast<int>(wcslen(text)));
    }
    if (out)
        *out = corners;
}

void UDraw::Bitmap(HBITMAP bitmap, int x, int y, double factor)
{
    if (!m_dc || !bitmap)
        return;
    BITMAP bm;
    if (GetObjectA(bitmap, sizeof(bm), &bm) == 0)
        return;
    UMemoryDC source;
    if (!source.Get())
        return;
    USelect select(source.Get(), bitmap);
    int mode = SetStretchBltMode(m_dc, HALFTONE);
    POINT origin;
    SetBrushOrgEx(m_dc, 0, 0, &origin);
    StretchBlt(m_dc, x, y, static_cast<int>(bm.bmWidth * factor),
               static_cast<int>(bm.bmHeight * factor), source.Get(), 0, 0, bm.bmWidth,
               bm.bmHeight, SRCCOPY);
    SetBrushOrgEx(m_dc, origin.x, origin.y, nullptr);
    if (mode)
        SetStretchBltMode(m_dc, mode);
}

// ---- UScreen -------------------------------------------------------------------

UScreen::UScreen(HWND window, HBRUSH brush)
{
    if (window)
        CreateForWindow(window, brush);
}

UScreen::~UScreen()
{
    // A bitmap kept by an earlier Release is the caller's, not ours.
    if (m_dc)
        Release(false);
}

HBITMAP UScreen::Release(bool keep)
{
    if (!m_dc)
        return nullptr;
    HBITMAP offscreen = static_cast<HBITMAP>(SelectObject(m_dc, m_held));
    DeleteDC(m_dc);
    m_dc = nullptr;
    m_rect = RECT{0, 0, 0, 0};
    if (keep) {
        m_held = offscreen;
        return offscreen;
    }
    if (offscreen)
        DeleteObject(offscreen);
    m_held = nullptr;
    return nullptr;
}

HDC UScreen::CreateForWindow(HWND window, HBRUSH brush)
{
    if (!window)
        return nullptr;
    RECT client;
    if (!GetClientRect(window, &client))
        return nullptr;
    return CreateForRect(client, brush);
}

HDC UScreen::CreateForRect(const RECT& rect, HBRUSH brush)
{
    Release(false);
    m_held = nullptr;
    long width = rect.right - rect.left;
    long height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return nullptr;
    HDC screen = ::GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) {
        if (bitmap)
            DeleteObject(bitmap);
        if (dc)
            DeleteDC(dc);
        return nullptr;
    }
    m_held = static_cast<HBITMAP>(SelectObject(dc, bitmap));
    m_dc = dc;
    m_rect = RECT{0, 0, width, height};
    if (brush)
        FillRect(dc, &m_rect, brush);
    return m_dc;
}

HDC UScreen::CreateFromBitmap(HBITMAP bitmap)
{
    if (!bitmap)
        return nullptr;
    BITMAP bm;
    if (GetObjectA(bitmap, sizeof(bm), &bm) == 0)
        return nullptr;
    if (!CreateForRect(RECT{0, 0, bm.bmWidth, labs(bm.bmHeight)}, nullptr))
        return nullptr;
    UMemoryDC source;
    USelect select(source.Get(), bitmap);
    BitBlt(m_dc, 0, 0, m_rect.right, m_rect.bottom, source.Get(), 0, 0, SRCCOPY);
    return m_dc;
}

bool UScreen::BlitTo(const RECT* source, HDC dc, const RECT* destination)
{
    if (!m_dc || !dc)
        return false;
    RECT s = source ? *source : m_rect;
    return BitBlt(dc, destination ? destination->left : 0, destination ? destination->top : 0,
                  s.right - s.left, s.bottom - s.top, m_dc, s.left, s.top, SRCCOPY) != 0;
}

bool UScreen::BlendTo(HDC dc, int alpha)
{
    if (!m_dc || !dc)
        return false;
    BLENDFUNCTION blend;
    blend.BlendOp = AC_SRC_OVER;
    blend.BlendFlags = 0;
    blend.SourceConstantAlpha = static_cast<BYTE>(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    blend.AlphaFormat = 0;
    long width = m_rect.right - m_rect.left;
    long height = m_rect.bottom - m_rect.top;
    return AlphaBlend(dc, m_rect.left, m_rect.top, width, height, m_dc, 0, 0, width, height,
                      blend) != 0;
}

bool UScreen::GrabFrom(const RECT& rect, HDC dc)
{
    if (!m_dc || !dc || rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0)
        return false;
    return BitBlt(m_dc, 0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, dc,
                  rect.left, rect.top, SRCCOPY) != 0;
}

// ---- Rectangles and bitmap files -------------------------------------------------

RECT& RectScale(long left, long top, long right, long bottom, double factor, RECT& out)
{
    if (factor > 1.0 - 1e-7 && factor < 1.0 + 1e-7) {
        out = RECT{left, top, right, bottom};
        return out;
    }
    out.left = RoundToLong(left * factor);
    out.top = RoundToLong(top * factor);
    out.right = RoundToLong(right * factor);
    out.bottom = RoundToLong(bottom * factor);
    return out;
}

RECT& RectRotate(const RECT* source, RECT& out, int quarterTurns)
{
    if (!source) {
        out = RECT{0, 0, 0, 0};
        return out;
    }
    const long l = source->left, t = source->top, r = source->right, b = source->bottom;
    switch (quarterTurns) {
    case 1:
        out = RECT{l, t - (r - l), l + (b - t), t};
        break;
    case 2:
        out = RECT{2 * l - r, 2 * t - b, l, t};
        break;
    case 3:
        out = RECT{l - (b - t), t, l, t + (r - l)};
        break;
    default:
        out = *source;
        break;
    }
    return out;
}

bool BitmapSave(HBITMAP bitmap, const char* path)
{
    if (!bitmap || !path || !*path)
        return false;
    BITMAP bm;
    if (GetObjectA(bitmap, sizeof(bm), &bm) == 0)
        return false;
    int bits = bm.bmBitsPixel * bm.bmPlanes;
    long width = bm.bmWidth;
    long height = labs(bm.bmHeight);
    if (bits <= 0 || width <= 0 || height <= 0)
        return false;

    // Rows of the device-independent copy are padded to whole 32-bit words,
    // as GetDIBits writes them. Palette formats carry their colour table,
    // which GetDIBits fills in; without room for it the call would write
    // past the header.
    DWORD row = ((static_cast<DWORD>(bits) * width + 31) / 32) * 4;
    size_t colours = bits <= 8 ? (size_t(1) << bits) : 0;
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biSizeImage = row * height;
    if (bits == 8) {
        // The system's static colours: the first and last ten entries.
        PALETTEENTRY entries[20];
        UINT got = GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0,
                                     20, entries);
        auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
        for (UINT i = 0; i < got && i < 20; ++i) {
            RGBQUAD& q = table[i < 10 ? i : 236 + i];
            q.rgbBlue = entries[i].peBlue;
            q.rgbGreen = entries[i].peGreen;
            q.rgbRed = entries[i].peRed;
            q.rgbReserved = 0;
        }
    }
    std::vector<unsigned char> image(static_cast<size_t>(row) * height, 0);
    HDC screen = ::GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), image.data(),
                          reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines == 0)
        return false;

    header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biHeight = labs(header->biHeight);
    if (header->biCompression != BI_RLE8 && header->biCompression != BI_RLE4)
        header->biSizeImage = header->biHeight *
                              ((static_cast<DWORD>(header->biBitCount) * header->biWidth + 31) / 32) * 4;
    DWORD imageSize = header->biSizeImage;
    if (imageSize > image.size())
        return false;

    UWideText widePath(path);
    if (!widePath.Get())
        return false;
    HANDLE file = CreateFileW(widePath.Get(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;

    DWORD headerSize = static_cast<DWORD>(info.size());
    BITMAPFILEHEADER fileHeader;
    memset(&fileHeader, 0, sizeof(fileHeader));
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfSize = imageSize + headerSize + sizeof(BITMAPFILEHEADER);
    fileHeader.bfOffBits = headerSize + sizeof(BITMAPFILEHEADER);

    DWORD written = 0;
    bool ok = WriteFile(file, &fileHeader, sizeof(fileHeader), &written, nullptr) &&
              written == sizeof(fileHeader);
    ok = ok && WriteFile(file, info.data(), headerSize, &written, nullptr) && written == headerSize;
    ok = ok && WriteFile(file, image.data(), imageSize, &written, nullptr) && written == imageSize;
    CloseHandle(file);
    return ok;
}

HBITMAP BitmapLoad(const char* path)
{
    if (!path || !*path)
        return nullptr;
    UWideText widePath(path);
    if (!widePath.Get())
        return nullptr;
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), widePath.Get(), IMAGE_BITMAP,
                                           0, 0, LR_LOADFROMFILE));
}

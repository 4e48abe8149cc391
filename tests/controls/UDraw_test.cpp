#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "DcFixture.h"
#include "controls/UDraw.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = 0x0000FF;   // 0x00BBGGRR
const COLORREF kBlue = 0xFF0000;

HFONT GuiFont()
{
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool InkInside(const TestCanvas& canvas, const RECT& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (canvas.At(x, y) != kWhite)
                return true;
    return false;
}

// A 24-bit bitmap of width x height pixels, each given as 0x00BBGGRR.
HBITMAP MakeDib24(int width, int height, const std::vector<COLORREF>& pixels)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    int stride = ((24 * width + 31) / 32) * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = pixels[y * width + x];
            unsigned char* p = static_cast<unsigned char*>(bits) + y * stride + 3 * x;
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    GdiFlush();
    return bitmap;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    fclose(f);
    return bytes;
}

unsigned long Le32(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<unsigned long>(b[at + 3]) << 24;
}

std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

} // namespace

TEST(UDraw, AttachReadsTheMappingScaleAndLeavesTheModeAlone)
{
    TestCanvas canvas(50, 50);
    HDC dc = canvas.dc();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1000, 1000, nullptr);
    SetViewportExtEx(dc, 500, 500, nullptr);
    SetBkMode(dc, OPAQUE);
    SetTextColor(dc, kRed);

    UDraw draw;
    draw.Attach(dc);
    EXPECT_DOUBLE_EQ(0.5, draw.GetScale());
    EXPECT_EQ(0, draw.GetRect().left);
    EXPECT_EQ(500, draw.GetRect().right);
    EXPECT_EQ(500, draw.GetRect().bottom);
    EXPECT_EQ(MM_ANISOTROPIC, GetMapMode(dc));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc));
    EXPECT_EQ(0u, GetTextColor(dc));

    SIZE extent;
    GetWindowExtEx(dc, &extent);
    EXPECT_EQ(1000, extent.cx); // the caller's mapping stays

    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, 100, 100, nullptr);
    SetViewportExtEx(dc, 300, -300, nullptr);
    RECT given = {1, 2, 30, 40};
    draw.Attach(dc, &given);
    EXPECT_DOUBLE_EQ(3.0, draw.GetScale());
    EXPECT_EQ(40, draw.GetRect().bottom);
    draw.Attach(dc);
    EXPECT_EQ(300, draw.GetRect().bottom); // the magnitude of the extent
    SetMapMode(dc, MM_TEXT);
    draw.Attach(dc);
    EXPECT_EQ(MM_TEXT, GetMapMode(dc));
    EXPECT_GT(draw.GetScale(), 0.0);

    draw.Attach(nullptr, &given);
    EXPECT_DOUBLE_EQ(1.0, draw.GetScale());
    EXPECT_EQ(30, draw.GetRect().right);
}

TEST(UDraw, FillAndFramePaintWhereTheyShould)
{
    TestCanvas canvas(40, 30);
    UDraw draw;
    draw.Attach(canvas.dc());
    draw.Fill(5, 5, 10, 4, kRed);
    EXPECT_EQ(kRed, canvas.At(5, 5));
    EXPECT_EQ(kRed, canvas.At(14, 8));
    EXPECT_EQ(kWhite, canvas.At(15, 8));
    EXPECT_EQ(kWhite, canvas.At(14, 9));

    canvas.Clear();
    draw.Frame(2, 2, 20, 10, kBlue, 1);
    EXPECT_EQ(kBlue, canvas.At(10, 2));  // top
    EXPECT_EQ(kBlue, canvas.At(22, 7));  // right
    EXPECT_EQ(kBlue, canvas.At(10, 12)); // bottom
    EXPECT_EQ(kBlue, canvas.At(2, 7));   // left
    EXPECT_EQ(kWhite, canvas.At(10, 7)); // inside

    canvas.Clear();
    draw.Frame(2, 2, 20, 0, kBlue, 1); // a height of 0 draws the top line only
    EXPECT_EQ(kBlue, canvas.At(10, 2));
    EXPECT_EQ(kWhite, canvas.At(22, 3));
    EXPECT_GT(canvas.CountNot(kWhite), 0);

    UDraw unbound;
    unbound.Fill(0, 0, 5, 5, kRed); // no DC: nothing happens
}

TEST(UDraw, TextSitsOnItsBottomAndIsOneCharacterWider)
{
    TestCanvas canvas(200, 60);
    UDraw draw;
    draw.Attach(canvas.dc());
    RECT measured;
    int packed = draw.Text("Hello", 10, 40, GuiFont(), &measured, true);
    EXPECT_EQ(0, canvas.CountNot(kWhite)); // measuring draws nothing
    long width = measured.right - measured.left;
    long height = measured.bottom - measured.top;
    ASSERT_GT(width, 0);
    EXPECT_EQ(height << 16 | width, packed);
    EXPECT_EQ(packed, draw.MeasureTextW(L"Hello", GuiFont(), nullptr));

    RECT drawn;
    packed = draw.Text("Hello", 10, 40, GuiFont(), &drawn);
    EXPECT_EQ(10, drawn.left);
    EXPECT_EQ(40, drawn.bottom);
    EXPECT_EQ(40 - height, drawn.top);
    EXPECT_EQ(10 + width + width / 5, drawn.right);
    EXPECT_EQ(height << 16 | (drawn.right - drawn.left), packed);
    EXPECT_TRUE(InkInside(canvas, drawn));
    EXPECT_FALSE(InkInside(canvas, RECT{0, 0, 200, drawn.top}));

    EXPECT_EQ(0, draw.Text("", 10, 40, GuiFont()));
    EXPECT_EQ(0, draw.Text("x", 10, 40, nullptr));
    UDraw unbound;
    EXPECT_EQ(0, unbound.Text("x", 10, 40, GuiFont()));
}

TEST(UDraw, TextRotatedTurnsByTheNearestFiveDegreesAboutItsCentre)
{
    TestCanvas canvas(200, 200);
    UDraw draw;
    draw.Attach(canvas.dc());
    HGDIOBJ before = GetCurrentObject(canvas.dc(), OBJ_FONT);

    PointList corners;
    draw.TextRotated(GuiFont(), L"Rotated text", 47.0, 100, 100, true, &corners);
    EXPECT_EQ(0, canvas.CountNot(kWhite));
    ASSERT_EQ(4u, corners.size());
    double dx = corners[1].x - corners[0].x;
    double dy = corners[1].y - corners[0].y;
    EXPECT_NEAR(45.0, std::atan2(dy, dx) * 180.0 / 3.141592653589793, 1e-6);
    double cx = 0, cy = 0;
    for (auto& c : corners) {
        cx += c.second.x / 4;
        cy += c.second.y / 4;
    }
    EXPECT_NEAR(100.0, cx, 1.0);
    EXPECT_NEAR(100.0, cy, 1.0);

    draw.TextRotated(GuiFont(), L"Rotated text", 90.0, 100, 100, false, &corners);
    EXPECT_GT(canvas.CountNot(kWhite), 0);
    RECT box;
    BoundingRect(corners, box);
    EXPECT_LT(box.right - box.left, box.bottom - box.top); // standing upright
    EXPECT_EQ(before, GetCurrentObject(canvas.dc(), OBJ_FONT));
}

TEST(UDraw, BitmapIsStretchedByTheFactor)
{
    HBITMAP bitmap = MakeDib24(2, 2, {kRed, kRed, kRed, kRed});
    ASSERT_NE(nullptr, bitmap);
    TestCanvas canvas(20, 20);
    UDraw draw;
    draw.Attach(canvas.dc());
    draw.Bitmap(bitmap, 3, 4, 2.5); // 5 x 5 pixels
    EXPECT_EQ(kRed, canvas.At(3, 4));
    EXPECT_EQ(kRed, canvas.At(7, 8));
    EXPECT_EQ(kWhite, canvas.At(8, 8));
    EXPECT_EQ(kWhite, canvas.At(7, 9));
    EXPECT_EQ(kWhite, canvas.At(2, 4));
    DeleteObject(bitmap);
}

TEST(UScreen, BufferIsFilledCopiedBlendedAndGrabbed)
{
    UScreen screen;
    EXPECT_EQ(nullptr, screen.GetDC());
    RECT r = {10, 10, 30, 25};
    HBRUSH red = CreateSolidBrush(kRed);
    ASSERT_NE(nullptr, screen.CreateForRect(r, red));
    EXPECT_EQ(0, screen.GetRect().left);
    EXPECT_EQ(20, screen.GetRect().right);
    EXPECT_EQ(15, screen.GetRect().bottom);
    EXPECT_EQ(kRed, GetPixel(screen.GetDC(), 19, 14));

    TestCanvas target(40, 40);
    RECT part = {0, 0, 5, 5};
    RECT at = {30, 30, 0, 0};
    EXPECT_TRUE(screen.BlitTo(&part, target.dc(), &at));
    EXPECT_EQ(kRed, target.At(34, 34));
    EXPECT_EQ(kWhite, target.At(35, 34));
    EXPECT_EQ(kWhite, target.At(0, 0));
    EXPECT_TRUE(screen.BlitTo(nullptr, target.dc()));
    EXPECT_EQ(kRed, target.At(0, 0));
    EXPECT_EQ(kRed, target.At(19, 14));
    EXPECT_EQ(kWhite, target.At(20, 14));

    target.Clear();
    EXPECT_TRUE(screen.BlendTo(target.dc(), 0));
    EXPECT_EQ(kWhite, target.At(5, 5));
    EXPECT_TRUE(screen.BlendTo(target.dc(), 128)); // half red over white
    COLORREF half = target.At(5, 5);
    EXPECT_EQ(255, GetRValue(half));
    EXPECT_NEAR(127, GetGValue(half), 2);
    EXPECT_NEAR(127, GetBValue(half), 2);
    EXPECT_TRUE(screen.BlendTo(target.dc(), 255));
    EXPECT_EQ(kRed, target.At(5, 5));

    // Grabbing takes the DC's content from the rectangle's top-left.
    target.Clear();
    SetPixel(target.dc(), 12, 13, kBlue);
    RECT from = {10, 10, 30, 25};
    EXPECT_TRUE(screen.GrabFrom(from, target.dc()));
    EXPECT_EQ(kBlue, GetPixel(screen.GetDC(), 2, 3));
    EXPECT_EQ(kWhite, GetPixel(screen.GetDC(), 0, 0));
    RECT flat = {10, 10, 30, 10};
    EXPECT_FALSE(screen.GrabFrom(flat, target.dc()));
    DeleteObject(red);
}

TEST(UScreen, ReleaseWithKeepHandsTheBitmapOver)
{
    HBITMAP kept = nullptr;
    HDC dc = nullptr;
    {
        UScreen screen;
        dc = screen.CreateForRect(RECT{0, 0, 8, 8}, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ASSERT_NE(nullptr, dc);
        kept = screen.Release(true);
        ASSERT_NE(nullptr, kept);
        EXPECT_EQ(nullptr, screen.GetDC());
        EXPECT_EQ(0u, GetObjectType(dc));
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(kept));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(kept, 4, 4));

    UScreen copy;
    ASSERT_NE(nullptr, copy.CreateFromBitmap(kept));
    EXPECT_EQ(8, copy.GetRect().right);
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(copy.GetDC(), 7, 7));
    EXPECT_EQ(nullptr, copy.CreateFromBitmap(nullptr));
    EXPECT_EQ(nullptr, copy.Release(false));
    DeleteObject(kept);
}

// Every buffer gives its DC and bitmap back, whichever way it ends.
TEST(UScreen, CreateAndDestroyCyclesLeaveNoGdiObject)
{
    DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    std::vector<HGDIOBJ> made;
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 30, 20, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    for (int round = 0; round < 30; ++round) {
        UScreen screen(window, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ASSERT_NE(nullptr, screen.GetDC());
        made.push_back(screen.GetDC());
        made.push_back(GetCurrentObject(screen.GetDC(), OBJ_BITMAP));
        // A second buffer on the same object gives up the first.
        screen.CreateForRect(RECT{0, 0, 5, 5});
        made.push_back(screen.GetDC());
        made.push_back(GetCurrentObject(screen.GetDC(), OBJ_BITMAP));
        if (round % 2)
            screen.Release(false);
    }
    DestroyWindow(window);
    for (HGDIOBJ object : made)
        EXPECT_EQ(0u, GetObjectType(object));
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

TEST(RectScale, ScalesRoundingHalvesAwayFromZero)
{
    RECT out;
    RectScale(1, 1, 3, 3, 1.5, out);
    EXPECT_EQ(2, out.left);
    EXPECT_EQ(2, out.top);
    EXPECT_EQ(5, out.right); // 4.5
    EXPECT_EQ(5, out.bottom);
    RectScale(-1, -3, 3, 7, 1.0000000001, out);
    EXPECT_EQ(-1, out.left);
    EXPECT_EQ(-3, out.top);
    EXPECT_EQ(7, out.bottom);
    RectScale(-1, -3, 3, 7, 0.5, out);
    EXPECT_EQ(-1, out.left); // -0.5
    EXPECT_EQ(-2, out.top);  // -1.5
    EXPECT_EQ(2, out.right); // 1.5
}

TEST(RectRotate, TurnsAboutTheTopLeftCorner)
{
    struct Case {
        int code;
        RECT expected;
    } cases[] = {
        {1, {10, -10, 20, 10}},
        {2, {-10, 0, 10, 10}},
        {3, {0, 10, 10, 30}},
        {0, {10, 10, 30, 20}},
        {4, {10, 10, 30, 20}},
    };
    RECT source = {10, 10, 30, 20};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        RECT out;
        RectRotate(&source, out, c.code);
        EXPECT_EQ(c.expected.left, out.left);
        EXPECT_EQ(c.expected.top, out.top);
        EXPECT_EQ(c.expected.right, out.right);
        EXPECT_EQ(c.expected.bottom, out.bottom);
    }
    RECT out = {1, 2, 3, 4};
    RectRotate(nullptr, out, 1);
    EXPECT_TRUE(IsRectEmpty(&out));
    EXPECT_EQ(0, out.left);
}

TEST(BitmapSave, ThreePixelRowsArePaddedToTwelveBytes)
{
    const COLORREF a = RGB(1, 2, 3), b = RGB(4, 5, 6), c = RGB(7, 8, 9);
    HBITMAP bitmap = MakeDib24(3, 2, {a, b, c, c, b, a});
    ASSERT_NE(nullptr, bitmap);
    std::string path = TempPath("korva_test_3px.bmp");
    ASSERT_TRUE(BitmapSave(bitmap, path.c_str()));

    std::vector<unsigned char> file = ReadFile(path);
    ASSERT_EQ(14u + 40u + 24u, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(78u, Le32(file, 2));      // file size
    EXPECT_EQ(0u, Le32(file, 6));       // reserved
    EXPECT_EQ(54u, Le32(file, 10));     // offset of the bits
    EXPECT_EQ(40u, Le32(file, 14));     // header size
    EXPECT_EQ(3u, Le32(file, 18));      // width
    EXPECT_EQ(2u, Le32(file, 22));      // height, positive: bottom row first
    EXPECT_EQ(24, file[28]);            // bits per pixel
    EXPECT_EQ(24u, Le32(file, 34));     // image size: 2 rows of 12 bytes
    // Bottom row first, blue-green-red, three padding bytes at the end.
    const unsigned char bottom[12] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0};
    const unsigned char top[12] = {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(bottom[i], file[54 + i]) << i;
        EXPECT_EQ(top[i], file[66 + i]) << i;
    }

    HBITMAP loaded = BitmapLoad(path.c_str());
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(a, PixelOf(loaded, 0, 0));
    EXPECT_EQ(c, PixelOf(loaded, 2, 0));
    EXPECT_EQ(a, PixelOf(loaded, 2, 1));
    DeleteObject(loaded);
    DeleteObject(bitmap);
    DeleteFileA(path.c_str());
}

// Screen-compatible and palette bitmaps come back as they were saved.
TEST(BitmapSave, OtherDepthsRoundTrip)
{
    std::string path = TempPath("korva_test_depth.bmp");

    UScreen screen;
    ASSERT_NE(nullptr, screen.CreateForRect(RECT{0, 0, 5, 3},
                                            static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    SetPixel(screen.GetDC(), 4, 2, kBlue);
    HBITMAP compatible = screen.Release(true);
    ASSERT_TRUE(BitmapSave(compatible, path.c_str()));
    HBITMAP loaded = BitmapLoad(path.c_str());
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(kBlue, PixelOf(loaded, 4, 2));
    EXPECT_EQ(kWhite, PixelOf(loaded, 0, 0));
    DeleteObject(loaded);
    DeleteObject(compatible);

    // One bit per pixel: rows of 4 pixels take a single byte of bits.
    const BYTE rows[4] = {0xA0, 0, 0x50, 0}; // two rows, word-aligned
    HBITMAP mono = CreateBitmap(4, 2, 1, 1, rows);
    ASSERT_TRUE(BitmapSave(mono, path.c_str()));
    std::vector<unsigned char> file = ReadFile(path);
    ASSERT_GE(file.size(), 62u);
    EXPECT_EQ(62u, Le32(file, 10)); // the two-colour table follows the header
    loaded = BitmapLoad(path.c_str());
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(kWhite, PixelOf(loaded, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(loaded, 1, 0));
    EXPECT_EQ(kWhite, PixelOf(loaded, 1, 1));
    DeleteObject(loaded);
    DeleteObject(mono);
    DeleteFileA(path.c_str());
}

TEST(BitmapSave, FailuresWriteNothing)
{
    HBITMAP bitmap = MakeDib24(3, 1, {kRed, kRed, kRed});
    std::string missing = TempPath("korva_no_such_folder\\x.bmp");
    EXPECT_FALSE(BitmapSave(bitmap, missing.c_str()));
    EXPECT_FALSE(BitmapSave(nullptr, TempPath("korva_null.bmp").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TempPath("korva_null.bmp").c_str()));
    EXPECT_EQ(nullptr, BitmapLoad(TempPath("korva_no_such_file.bmp").c_str()));
    DeleteObject(bitmap);
}

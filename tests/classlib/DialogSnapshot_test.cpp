// A dialog made from its template stands as the template lays it out: every
// control with its text, visible, where the dialog units put it. A picture of
// it is kept in the build folder (classlib_dialog.bmp and .png) for a person
// to look at.
#include "TestApp.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;   // bottom-up rows of 24-bit pixels, padded to 4 bytes
    int Stride() const { return (width * 3 + 3) & ~3; }
};

bool Capture(HWND window, Picture* picture)
{
    RECT rc;
    GetWindowRect(window, &rc);
    picture->width = rc.right - rc.left;
    picture->height = rc.bottom - rc.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture->width;
    info.bmiHeader.biHeight = picture->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        // The screen as the display shows it: frame, children and all.
        ok = BitBlt(memory, 0, 0, picture->width, picture->height, screen, rc.left, rc.top, SRCCOPY) != FALSE;
        if (!ok) {
            ok = PrintWindow(window, memory, 0) != FALSE;
        }
        GdiFlush();
        const uint8_t* data = static_cast<const uint8_t*>(bits);
        picture->bgr.assign(data, data + picture->Stride() * picture->height);
        SelectObject(memory, old);
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    if (memory) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return ok;
}

void Put32(std::vector<uint8_t>& out, uint32_t v, bool bigEndian)
{
    for (int i = 0; i < 4; ++i) {
        int shift = bigEndian ? 24 - 8 * i : 8 * i;
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteBmp(const std::string& path, const Picture& p)
{
    std::vector<uint8_t> out = {'B', 'M'};
    uint32_t data = static_cast<uint32_t>(p.bgr.size());
    Put32(out, 54 + data, false);
    Put32(out, 0, false);
    Put32(out, 54, false);
    Put32(out, 40, false);
    Put32(out, static_cast<uint32_t>(p.width), false);
    Put32(out, static_cast<uint32_t>(p.height), false);
    out.insert(out.end(), {1, 0, 24, 0});
    Put32(out, 0, false);
    Put32(out, data, false);
    for (int i = 0; i < 4; ++i) {
        Put32(out, 0, false);
    }
    out.insert(out.end(), p.bgr.begin(), p.bgr.end());
    return WriteFileBytes(path, out);
}

uint32_t PngCrc(const uint8_t* data, size_t size, uint32_t crc = 0xFFFFFFFFu)
{
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body)
{
    Put32(out, static_cast<uint32_t>(body.size()), true);
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, PngCrc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu, true);
}

// A PNG with stored (uncompressed) deflate blocks: no library needed.
bool WritePng(const std::string& path, const Picture& p)
{
    std::vector<uint8_t> raw;
    for (int y = 0; y < p.height; ++y) {
        raw.push_back(0);
        const uint8_t* row = p.bgr.data() + static_cast<size_t>(p.height - 1 - y) * p.Stride();
        for (int x = 0; x < p.width; ++x) {
            raw.insert(raw.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        size_t n = std::min<size_t>(65535, raw.size() - at);
        bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                           static_cast<uint8_t>(~n), static_cast<uint8_t>(~n >> 8)});
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
        if (last) {
            break;
        }
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Put32(z, (b << 16) | a, true);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> head;
    Put32(head, static_cast<uint32_t>(p.width), true);
    Put32(head, static_cast<uint32_t>(p.height), true);
    head.insert(head.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", head);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return WriteFileBytes(path, out);
}

TEST(DialogSnapshot, ControlsStandWhereTheTemplatePutsThemAndThePictureIsKept)
{
    ScriptDialog dlg(IDD_PLAIN);
    ASSERT_TRUE(dlg.Create(IDD_PLAIN));
    SetDlgItemTextA(dlg.m_hWnd, IDC_EDIT, "6000");
    SetWindowPos(dlg.m_hWnd, HWND_TOP, 60, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntil([] { return false; }, 100);

    char caption[64] = {};
    GetWindowTextA(dlg.m_hWnd, caption, sizeof caption);
    EXPECT_STREQ("Class library test", caption);

    // The template's controls in dialog units: x, y, cx, cy.
    struct Control { int id; const char* text; RECT units; } controls[] = {
        {IDC_LABEL, "Stock length:", {7, 9, 60, 8}},
        {IDC_EDIT, "6000", {70, 7, 60, 12}},
        {IDC_BUTTON, "Apply", {7, 30, 50, 14}},
        {IDOK, "OK", {75, 53, 50, 14}},
        {IDCANCEL, "Cancel", {129, 53, 50, 14}},
    };
    RECT client;
    GetClientRect(dlg.m_hWnd, &client);
    for (const auto& c : controls) {
        HWND item = GetDlgItem(dlg.m_hWnd, c.id);
        ASSERT_NE(nullptr, item) << c.id;
        EXPECT_TRUE(IsWindowVisible(item)) << c.id;
        char text[64] = {};
        GetWindowTextA(item, text, sizeof text);
        EXPECT_STREQ(c.text, text);
        RECT expected = {c.units.left, c.units.top, c.units.left + c.units.right, c.units.top + c.units.bottom};
        MapDialogRect(dlg.m_hWnd, &expected);
        RECT actual;
        GetWindowRect(item, &actual);
        MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(expected.left, actual.left) << c.text;
        EXPECT_EQ(expected.top, actual.top) << c.text;
        EXPECT_EQ(expected.right, actual.right) << c.text;
        EXPECT_EQ(expected.bottom, actual.bottom) << c.text;
        EXPECT_LE(actual.right, client.right) << c.text;
        EXPECT_LE(actual.bottom, client.bottom) << c.text;
    }
    EXPECT_EQ(GetDlgItem(dlg.m_hWnd, IDOK), GetDlgItem(dlg.m_hWnd, LOWORD(SendMessageA(dlg.m_hWnd, DM_GETDEFID, 0, 0))));

    Picture picture;
    ASSERT_TRUE(Capture(dlg.m_hWnd, &picture));
    EXPECT_TRUE(WriteBmp("classlib_dialog.bmp", picture));
    EXPECT_TRUE(WritePng("classlib_dialog.png", picture));
}

} // namespace

#include "controls/ICButton.h"

#include "controls/ICHint.h"
#include "controls/UDraw.h"
#include "foundation/StrUtil.h"

namespace {

// One button background at a time: the native face drawn inside it may ask
// the button to erase its background again.
bool g_inButtonBackground = false;

// Text colour of a disabled caption.
const COLORREF kDisabledText = 0x808080;
// How much of the drawing stays when a disabled button is washed with white.
const int kDisabledAlpha = 144;

// A memory DC of its own for a bitmap that is selected into it for a scope.
class BitmapDC {
public:
    BitmapDC(HDC reference, HBITMAP bitmap) : m_dc(CreateCompatibleDC(reference))
    {
        if (m_dc && bitmap)
            m_old = SelectObject(m_dc, bitmap);
    }
    ~BitmapDC()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        if (m_dc)
            DeleteDC(m_dc);
    }
    BitmapDC(const BitmapDC&) = delete;
    BitmapDC& operator=(const BitmapDC&) = delete;

    HDC Get() const { return m_old ? m_dc : nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

// Lightens what is drawn inside the rectangle: the drawing over white at a
// constant alpha.
void Wash(HDC dc, const RECT& area, int alpha)
{
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    UScreen white;
    if (!white.CreateForRect(area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))))
        return;
    UScreen drawing;
    if (!drawing.CreateForRect(area) || !drawing.GrabFrom(area, dc))
        return;
    if (drawing.BlendTo(white.GetDC(), alpha))
        white.BlitTo(nullptr, dc, &area);
}

} // namespace

// ---- ICPicture ------------------------------------------------------------------

void ICPicture::Free()
{
    if (m_image) {
        if (m_isIcon)
            DestroyIcon(static_cast<HICON>(m_image));
        else
            DeleteObject(m_image);
    }
    m_image = nullptr;
    m_isIcon = false;
    m_rect.right = m_rect.left;
    m_rect.bottom = m_rect.top;
}

void ICPicture::MoveTo(int x, int y)
{
    int width = Width();
    int height = Height();
    m_rect.left = x;
    m_rect.top = y;
    m_rect.right = x + width;
    m_rect.bottom = y + height;
}

bool ICPicture::Load(const std::string& name)
{
    Free();
    if (name.empty())
        return false;
    HINSTANCE module = ICResourceModule();
    if (name[0] == 'I') {
        HICON icon = static_cast<HICON>(LoadImageA(module, name.c_str(), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        if (!icon)
            return false;
        int width = 0;
        int height = 0;
        ICONINFO info = {};
        if (GetIconInfo(icon, &info)) {
            BITMAP bm = {};
            if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
                width = bm.bmWidth;
                height = bm.bmHeight;
            } else if (info.hbmMask && GetObjectW(info.hbmMask, sizeof bm, &bm)) {
                // A monochrome icon keeps its picture and mask in one bitmap of
                // twice the height.
                width = bm.bmWidth;
                height = bm.bmHeight / 2;
            }
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
        }
        m_image = icon;
        m_isIcon = true;
        m_rect.right = m_rect.left + width;
        m_rect.bottom = m_rect.top + height;
        return true;
    }
    return TakeBitmap(static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

bool ICPicture::TakeBitmap(HBITMAP bitmap)
{
    if (!bitmap)
        return false;
    BITMAP bm = {};
    if (!GetObjectW(bitmap, sizeof bm, &bm)) {
        DeleteObject(bitmap);
        return false;
    }
    if (bitmap != m_image)
        Free();
    m_image = bitmap;
    m_isIcon = false;
    m_rect.right = m_rect.left + bm.bmWidth;
    m_rect.bottom = m_rect.top + bm.bmHeight;
    UScreen copy;
    if (HDC dc = copy.CreateFromBitmap(bitmap))
        m_transparent = GetPixel(dc, 0, 0);
    return true;
}

void ICPicture::Draw(HDC dc) const
{
    if (!dc || !m_image)
        return;
    if (m_isIcon) {
        DrawIcon(dc, m_rect.left, m_rect.top, static_cast<HICON>(m_image));
        return;
    }
    BitmapDC source(dc, static_cast<HBITMAP>(m_image));
    if (!source.Get())
        return;
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    TransparentBlt(dc, m_rect.left, m_rect.top, Width(), Height(), source.Get(), 0, 0, Width(), Height(),
                   m_transparent);
    if (oldMode)
        SetStretchBltMode(dc, oldMode);
}

void PlacePictureAndText(const RECT& client, ICPicture& picture, RECT& text)
{
    int textWidth = text.right - text.left;
    int textHeight = text.bottom - text.top;
    int b = textWidth > 0 ? 2 : 0;
    int imageX = 0;
    int textX = 0;
    for (int gap = 8; gap >= 5; --gap) {
        imageX = textWidth > 0 ? gap : client.right / 2 - (picture.Width() + b) / 2 + 1;
        textX = imageX + picture.Width() + b;
        if (textX + textWidth <= client.right - 4)
            break;
    }
    picture.MoveTo(imageX < 0 ? 0 : imageX, client.bottom / 2 - picture.Height() / 2);
    int textY = client.bottom / 2 - textHeight / 2;
    text.left = textX;
    text.top = textY;
    text.right = textX + textWidth;
    text.bottom = textY + textHeight;
}

CaptionTemplate SplitCaptionTemplate(const std::string& caption)
{
    return CaptionTemplate{StrField(caption, "#", 0), StrField(caption, "#", 1), StrField(caption, "#", 2)};
}

HFONT WindowFont(HWND window)
{
    return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
}

// ---- ICButton -------------------------------------------------------------------

ICButton::ICButton(HWND window, long group, const char* hint)
{
    Attach(window, group, false);
    if (hint)
        m_hint = hint;
    m_doubleBuffer = true;
}

ICButton::~ICButton()
{
    m_picture.Free();
}

bool ICButton::Attach(HWND window, long group, bool keepSize)
{
    if (!ICControl::Attach(window, group, keepSize))
        return false;
    CaptionTemplate parts = SplitCaptionTemplate(m_caption);
    m_text = parts.text;
    m_imageName = parts.image;
    m_hint = parts.hint;
    m_enabled = IsWindowEnabled(window) != FALSE;
    LoadPicture();
    // The native button must never show the template text.
    SetWindowTextW(window, L"");
    Layout();
    return true;
}

void ICButton::Detach()
{
    m_picture.Free();
}

bool ICButton::LoadPicture()
{
    return m_picture.Load(m_imageName);
}

bool ICButton::SetBitmap(HBITMAP bitmap)
{
    if (!bitmap)
        return false;
    if (!HasWindow()) {
        if (bitmap != m_picture.m_image)
            DeleteObject(bitmap);
        return false;
    }
    bool hadImage = !m_picture.IsEmpty();
    if (!m_picture.TakeBitmap(bitmap))
        return false;
    if (hadImage) {
        m_picture.MoveTo(0, 0);
        Layout();
    }
    return true;
}

void ICButton::SetCaption(const char* text)
{
    std::string caption = text ? text : "";
    if (caption == m_text)
        return;
    m_text = caption;
    m_textRect = RECT{0, 0, 0, 0};
    m_picture.MoveTo(0, 0);
    Layout();
    Paint(nullptr, nullptr);
}

void ICButton::Layout()
{
    RECT client = ClientRect();
    RECT text = {0, 0, 0, 0};
    if (!m_text.empty() && HasWindow()) {
        ICWindowDC dc(m_hWnd);
        if (dc.Get()) {
            USelect font(dc.Get(), WindowFont(m_hWnd));
            DrawTextA(dc.Get(), m_text.c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
        }
    }
    PlacePictureAndText(client, m_picture, text);
    m_textRect = text;
}

bool ICButton::DrawForeground(HDC dc, const RECT* dirty)
{
    (void)dirty;
    if (!dc)
        return false;
    m_picture.Draw(dc);
    RECT client = ClientRect();
    if (!m_text.empty()) {
        USelect font(dc, WindowFont(m_hWnd));
        SetBkMode(dc, TRANSPARENT);
        COLORREF colour = kDisabledText;
        if (m_enabled)
            colour = static_cast<COLORREF>(DProps::GetLong(m_style, "color.text", 0));
        SetTextColor(dc, colour);
        if (!m_picture.IsEmpty()) {
            // The text was measured when the caption was set; the font drawn
            // with now can be wider, so let it run to the edge, not past the
            // measured width.
            RECT area = m_textRect;
            if (area.right < client.right - 2)
                area.right = client.right - 2;
            DrawTextA(dc, m_text.c_str(), -1, &area, DT_SINGLELINE | DT_VCENTER);
        } else {
            RECT area = client;
            DrawTextA(dc, m_text.c_str(), -1, &area, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
    }
    if (!m_enabled) {
        RECT inner = client;
        InflateRect(&inner, -2, -2);
        Wash(dc, inner, kDisabledAlpha);
    }
    // Our face covers the native one, so the button reached with the
    // keyboard draws its own focus frame.
    if (HasWindow() && GetFocus() == m_hWnd && !(SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
        RECT focus = client;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
    return true;
}

bool ICButton::DrawBackground(HDC dc, const RECT* dirty)
{
    if (g_inButtonBackground)
        return true;
    ICFlagScope guard(g_inButtonBackground);
    ICControl::DrawBackground(dc, dirty);
    if (!dc || !HasWindow())
        return true;
    RECT client = ClientRect();
    HRGN region = CreateRoundRectRgn(1, 1, client.right + 1, client.bottom, 3, 3);
    if (region)
        SelectClipRgn(dc, region);
    CallPrevious(m_hWnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    if (region) {
        SelectClipRgn(dc, nullptr);
        DeleteObject(region);
    }
    return true;
}

LRESULT ICButton::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT hintMessage = ICHint::GetHintMessage();
    if (hintMessage && message == hintMessage) {
        ICHint::AnswerHint(reinterpret_cast<ICHintInfo*>(lParam), m_hint.c_str());
        return m_hint.empty() ? 0 : 1;
    }
    switch (message) {
    case WM_ENABLE:
        m_enabled = wParam != 0;
        return 0;
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wParam), nullptr);
        return 1;
    case WM_CHAR:
        if (wParam == VK_RETURN && GetFocus() == window) {
            SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(m_id, 0), reinterpret_cast<LPARAM>(window));
            return 0;
        }
        break;
    default:
        break;
    }
    return ICControl::WindowProc(window, message, wParam, lParam);
}

#include "controls/ICStatic.h"

#include "controls/ICHint.h"
#include "controls/UDraw.h"
#include "controls/UFont.h"
#include "controls/WinUtil.h"
#include "foundation/StrUtil.h"

namespace {

// One label text change at a time: the read-back of the text must not set
// it again.
bool g_inLabelSetText = false;

const COLORREF kDisabledText = 0x808080;

} // namespace

ICStatic::ICStatic(HWND window, UINT flags) : m_flags(flags)
{
    Attach(window, 0, false);
    m_doubleBuffer = true;
}

ICStatic::~ICStatic()
{
    m_picture.Free();
}

bool ICStatic::Attach(HWND window, long group, bool keepSize)
{
    if (!ICControl::Attach(window, group, keepSize))
        return false;
    CaptionTemplate parts = SplitCaptionTemplate(m_caption);
    m_text = parts.text;
    m_imageName = parts.image;
    m_hint = parts.hint;
    m_picture.Load(m_imageName);
    Layout();
    // Unlike a button, a label shows its whole window text.
    m_caption = WinGetText(1024, window, false).GetText();
    m_text = m_caption;
    return true;
}

void ICStatic::Detach()
{
    m_picture.Free();
}

void ICStatic::SetText(const char* text)
{
    std::string value = text ? text : "";
    if (value == m_text)
        return;
    m_caption = value;
    m_text = value;
    m_textRect = RECT{0, 0, 0, 0};
    m_picture.MoveTo(0, 0);
    Layout();
    Paint(nullptr, nullptr);
}

void ICStatic::Layout()
{
    RECT client = ClientRect();
    RECT text = {0, 0, client.right, 0};
    if (!m_text.empty() && HasWindow()) {
        ICWindowDC dc(m_hWnd);
        if (dc.Get()) {
            USelect font(dc.Get(), WindowFont(m_hWnd));
            DrawTextA(dc.Get(), m_text.c_str(), -1, &text, m_flags | DT_CALCRECT | DT_VCENTER);
        }
    } else {
        text = RECT{0, 0, 0, 0};
    }
    if (m_flags & DT_RIGHT) {
        m_picture.m_rect = RECT{0, 0, 0, 0};
    } else {
        PlacePictureAndText(client, m_picture, text);
    }
    m_textRect = client;
    m_textRect.left = 2;
}

bool ICStatic::DrawForeground(HDC dc, const RECT* dirty)
{
    (void)dirty;
    if (!dc)
        return false;
    bool disabled = !HasWindow() || !IsWindowEnabled(m_hWnd);
    if (!m_caption.empty())
        m_text = m_caption;
    m_picture.Draw(dc);
    if (m_text.empty())
        return true;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? kDisabledText : m_textColour);
    HFONT font = WindowFont(m_hWnd);
    if (m_flags & DT_WORDBREAK) {
        DrawTextFitWords(dc, m_text.c_str(), &m_textRect, font, m_flags | DT_VCENTER);
    } else {
        USelect selected(dc, font);
        RECT area = m_textRect;
        DrawTextA(dc, m_text.c_str(), -1, &area, m_flags | DT_END_ELLIPSIS | DT_VCENTER);
    }
    return true;
}

LRESULT ICStatic::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    UINT hintMessage = ICHint::GetHintMessage();
    if (hintMessage && message == hintMessage) {
        ICHint::AnswerHint(reinterpret_cast<ICHintInfo*>(lParam), m_hint.c_str());
        return m_hint.empty() ? 0 : 1;
    }
    switch (message) {
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam), nullptr);
        return 1;
    case WM_SIZE:
        Layout();
        break;
    case WM_SETTEXT: {
        if (g_inLabelSetText) {
            Paint(nullptr, nullptr);
            return 1;
        }
        ICFlagScope guard(g_inLabelSetText);
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        SetText(WinGetText(1024, window, false).GetText());
        return result;
    }
    default:
        break;
    }
    return ICControl::WindowProc(window, message, wParam, lParam);
}

// A push button of a dialog template drawn by us: the native face, a picture
// left of the caption and a disabled look of our own. The template text
// "Caption#IMAGE#Hint" gives caption, picture resource and hover hint.
#pragma once

#include <windows.h>

#include <string>

#include "controls/ICControl.h"

// The picture of a button or label: an icon resource (a name starting with
// 'I', loaded at 32 x 32) or a bitmap resource drawn with the colour of its
// top-left pixel left out. Owns the loaded handle.
class ICPicture {
public:
    ICPicture() = default;
    ~ICPicture() { Free(); }
    ICPicture(const ICPicture&) = delete;
    ICPicture& operator=(const ICPicture&) = delete;

    // Destroys the icon or deletes the bitmap; the rectangle keeps its place
    // and loses its size.
    void Free();
    // Loads the named resource of the program's module in place of the
    // current picture; false for an empty name or a missing resource.
    bool Load(const std::string& name);
    // Takes the bitmap in place of the current picture and reads its
    // transparent colour. The bitmap is ours from here on, also when it is refused.
    bool TakeBitmap(HBITMAP bitmap);
    // Draws at the rectangle's top-left.
    void Draw(HDC dc) const;

    bool IsEmpty() const { return m_image == nullptr; }
    int Width() const { return m_rect.right - m_rect.left; }
    int Height() const { return m_rect.bottom - m_rect.top; }
    // Keeps the size, moves the top-left.
    void MoveTo(int x, int y);

    HANDLE m_image = nullptr;
    bool m_isIcon = false;
    COLORREF m_transparent = 0xFFFFFF;
    RECT m_rect = {0, 0, 0, 0};
};

// Places picture and text side by side in a client area: the picture 8 (down
// to 5) pixels from the left when there is a text, else centred; the text 2
// pixels after the picture; both centred vertically. The text rectangle keeps
// its size.
void PlacePictureAndText(const RECT& client, ICPicture& picture, RECT& text);

// The parts of a template text "Caption#IMAGE#Hint" of a button or label:
// the caption, the picture resource and the hover hint, each empty when the
// text has no such part.
struct CaptionTemplate {
    std::string text;
    std::string image;
    std::string hint;
};
CaptionTemplate SplitCaptionTemplate(const std::string& caption);

// The font a control's window draws its text with.
HFONT WindowFont(HWND window);

class ICButton : public ICControl {
public:
    // Takes over the template button; a non-null hint replaces the template's.
    ICButton(HWND window, long group, const char* hint);
    ~ICButton() override;

    bool Attach(HWND window, long group, bool keepSize) override;
    // Frees the picture only; the window procedure comes back with the object.
    void Detach() override;
    bool DrawForeground(HDC dc, const RECT* dirty) override;
    bool DrawBackground(HDC dc, const RECT* dirty) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Lays out and repaints unless the caption is the same text.
    void SetCaption(const char* text);
    void SetHint(const char* text) { m_hint = text ? text : ""; }
    // Takes the bitmap as the picture (ours from here on, also when refused:
    // a null bitmap or no window).
    bool SetBitmap(HBITMAP bitmap);

    const std::string& GetButtonCaption() const { return m_text; }
    const std::string& GetImageName() const { return m_imageName; }
    const std::string& GetHint() const { return m_hint; }
    const RECT& GetImageRect() const { return m_picture.m_rect; }
    const RECT& GetTextRect() const { return m_textRect; }
    bool HasIcon() const { return !m_picture.IsEmpty() && m_picture.m_isIcon; }
    bool HasBitmap() const { return !m_picture.IsEmpty() && !m_picture.m_isIcon; }
    COLORREF GetTransparentColour() const { return m_picture.m_transparent; }
    bool IsEnabledLook() const { return m_enabled; }

protected:
    void Layout();
    bool LoadPicture();

    ICPicture m_picture;
    std::string m_text;
    RECT m_textRect = {0, 0, 0, 0};
    std::string m_imageName;
    std::string m_hint;
    bool m_enabled = true;
};

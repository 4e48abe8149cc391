// A label of a dialog template drawn by us: its text in a colour of the
// owner's choosing, shortened with "..." or by dropping leading words, with
// an optional picture and hover hint from the template text "Text#IMAGE#Hint".
#pragma once

#include <windows.h>

#include <string>

#include "controls/ICButton.h"
#include "controls/ICControl.h"
#include "foundation/DProps.h"

class ICStatic : public ICControl {
public:
    // flags: DrawText flags of the text; DT_WORDBREAK drops leading words
    // until the text fits one line, DT_RIGHT keeps the picture out.
    ICStatic(HWND window, UINT flags);
    ~ICStatic() override;

    bool Attach(HWND window, long group, bool keepSize) override;
    // Frees the picture only; the window procedure comes back with the object.
    void Detach() override;
    bool DrawForeground(HDC dc, const RECT* dirty) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    using ICControl::SetText;
    // Lays out and repaints unless the text is the same.
    void SetText(const char* text);

    const std::string& GetText() const { return m_text; }
    const std::string& GetImageName() const { return m_imageName; }
    const std::string& GetHint() const { return m_hint; }
    const RECT& GetImageRect() const { return m_picture.m_rect; }
    const RECT& GetTextRect() const { return m_textRect; }
    bool HasPicture() const { return !m_picture.IsEmpty(); }
    UINT GetFlags() const { return m_flags; }
    DProps& GetAttributes() { return m_attributes; }

    // The panels set it right after constructing the label.
    COLORREF m_textColour = 0;

protected:
    void Layout();

    ICPicture m_picture;
    std::string m_text;
    RECT m_textRect = {0, 0, 0, 0};
    std::string m_imageName;
    std::string m_hint;
    UINT m_flags = 0;
    DProps m_attributes;
};

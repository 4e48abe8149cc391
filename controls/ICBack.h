// A static control of a dialog template filled with a bitmap resource
// scaled to the control's width (the about box's picture).
#pragma once

#include <windows.h>

#include "controls/ICControl.h"
#include "foundation/DProps.h"

class ICBack : public ICControl {
public:
    // Detached until SetImage.
    ICBack();
    ~ICBack() override;

    // Frees the bitmap only; the window procedure comes back with the object.
    void Detach() override;
    // Draws nothing: the picture is the background.
    bool DrawForeground(HDC dc, const RECT* dirty) override;
    bool DrawBackground(HDC dc, const RECT* dirty) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Takes over the window and shows the bitmap resource named by the bag's
    // "rsrc" (none for an empty name). False when the window is not a window.
    virtual bool SetImage(HWND window, const DProps& bag);
    // Takes the bitmap (ours from here on, also when it is refused for want
    // of a window); false for a null bitmap or without window.
    bool SetBitmap(HBITMAP bitmap);

    HBITMAP GetBitmap() const { return m_bitmap; }
    const RECT& GetBitmapRect() const { return m_bitmapRect; }
    const DProps& GetImageBag() const { return m_imageBag; }

protected:
    DProps m_imageBag;
    HBITMAP m_bitmap = nullptr;
    RECT m_bitmapRect = {0, 0, 0, 0};

private:
    void FreeBitmap();
};

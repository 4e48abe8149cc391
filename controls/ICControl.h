// Root of the owner-drawn controls: takes over a control that a dialog
// template already created (its GWL_USERDATA and window procedure), paints it
// itself, optionally through an off-screen buffer, and hands every message it
// does not handle to the control's previous procedure. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/DProps.h"
#include "foundation/OBJProps.h"
#include "foundation/WindowMessages.h"

// The record of WM_QUERY_BACKCOLOR; the asker zeroes it before asking.
struct BackColorQuery {
    HWND window;       // the window asking on behalf of its children
    LONG x;            // the asking control's place in that window's client area
    LONG y;
    COLORREF colour;   // written by the answerer
    LONG reserved;     // 0
    LONG flags;        // bit 0 set by the answerer: answered
};

class ICControl : public UBaseObject {
public:
    ICControl();
    // Gives the window its previous procedure back (when it still exists)
    // and deletes the owned GDI object.
    ~ICControl() override;

    ICControl(const ICControl&) = delete;
    ICControl& operator=(const ICControl&) = delete;

    // Takes over the window: id, group key, GWL_USERDATA and procedure.
    // With keepSize, a size stored before attaching is given to the window.
    virtual bool Attach(HWND window, long group, bool keepSize);
    // Restores the previous procedure and forgets the window. Subclasses
    // replace it by the release of their own resources.
    virtual void Detach();
    // Background, then foreground, through a buffer when double buffering is
    // on. A null DC paints through a window DC; a null dirty rectangle means
    // the whole client area.
    virtual bool Paint(HDC dc, const RECT* dirty);
    // The button face as the answer; false for a null record.
    virtual bool FillBackgroundQuery(BackColorQuery* query);
    virtual void SetText(const char* text, bool repaint);
    virtual BOOL Resize(int width, int height, bool redraw);
    virtual void OnSize(int width, int height);
    virtual void StoreCaption(const char* text);
    virtual void AfterPaint(HDC dc);
    // The base lets the wrapped control draw itself with WM_PRINT.
    virtual bool DrawForeground(HDC dc, const RECT* dirty);
    // The base fills with the colour behind the control.
    virtual bool DrawBackground(HDC dc, const RECT* dirty);
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The procedure installed on every wrapped control.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The colour behind point (x, y) of the parent: the first of its
    // descendants that answers WM_QUERY_BACKCOLOR, else the parent itself,
    // else the button face.
    static COLORREF GetParentBackgroundColor(HWND parent, long x, long y);
    static BOOL CALLBACK EnumBackgroundProc(HWND child, LPARAM query);

    HWND GetHwnd() const { return m_hWnd; }
    long GetId() const { return m_id; }
    long GetGroup() const { return m_group; }
    const RECT& GetRect() const { return m_rect; }
    const std::string& GetCaption() const { return m_caption; }
    bool IsDoubleBuffered() const { return m_doubleBuffer; }
    void SetDoubleBuffered(bool on) { m_doubleBuffer = on; }
    DProps& GetStyle() { return m_style; }

protected:
    // The previous procedure's answer (DefWindowProcW when none was recorded).
    LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The client rectangle of the live window, else the stored rectangle
    // moved to the origin.
    RECT ClientRect() const;
    // Takes ownership of a GDI object; the one held before is deleted.
    void SetOwnedObject(HGDIOBJ object);
    HGDIOBJ GetOwnedObject() const { return m_gdiObject; }
    // The window still exists and is ours.
    bool HasWindow() const { return m_hWnd && IsWindow(m_hWnd); }

    long m_id = 0;
    HWND m_hWnd = nullptr;
    WNDPROC m_previous = nullptr;
    HGDIOBJ m_gdiObject = nullptr;
    RECT m_rect = {0, 0, 0, 0};
    std::string m_caption;
    bool m_doubleBuffer = false;
    long m_group = 0;
    DProps m_style;

private:
    // What the base Detach does; the destructor runs it whatever a subclass
    // made of Detach.
    void ReleaseWindow();
};

// Sets a process-wide re-entrancy flag for a scope.
class ICFlagScope {
public:
    explicit ICFlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ICFlagScope() { m_flag = false; }
    ICFlagScope(const ICFlagScope&) = delete;
    ICFlagScope& operator=(const ICFlagScope&) = delete;

private:
    bool& m_flag;
};

// A DC of GetDC (of a window, or of the screen for null), released with the
// scope; take = false gets none.
class ICWindowDC {
public:
    explicit ICWindowDC(HWND window, bool take = true) : m_window(window), m_dc(take ? GetDC(window) : nullptr) {}
    ~ICWindowDC()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    ICWindowDC(const ICWindowDC&) = delete;
    ICWindowDC& operator=(const ICWindowDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The module holding the program's resources: the application's instance,
// else the executable.
HINSTANCE ICResourceModule();

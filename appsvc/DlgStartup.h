// The small modeless waiting banner: a borderless strip with a title line and
// a status line, centred on its parent, that holds the mouse while it is
// shown. Start-up, loading a project, the settings dialog and the report
// build show it; anyone with its window handle changes the status line with
// the registered message "DlgStartup.MSG_STATUS".
#pragma once

#include <windows.h>

#include <memory>

#include "classlib/CDialog.h"
#include "controls/UDraw.h"
#include "resources/resource.h"

class DlgStartup : public CDialog {
public:
    static constexpr int IdStatus = IDC_STARTUP_STATUS;
    static constexpr int IdTitle = IDC_STARTUP_TITLE;
    // wParam a narrow text (null: the empty text), lParam 0, answer 0.
    static UINT GetStatusMessage();

    explicit DlgStartup(CWnd* parent = nullptr);
    ~DlgStartup() override;

    // The application's banner over parent, in its colour and fonts, shown
    // with the title (null: the program's name and version) and the first
    // status; none in automation mode, where nobody looks.
    static std::unique_ptr<DlgStartup> ShowForApp(CWnd* parent, const char* title, const char* status);

    // Creates the window when needed (false when that fails), shows it with
    // the title, takes the focus and the mouse and redraws at once.
    bool Show(const char* title);
    // Hides the window and lets the mouse go when the banner still holds it.
    void Hide();
    // Sends the status text to the banner's window when it exists; 0 otherwise.
    static LRESULT SendStatus(DlgStartup* banner, const char* text);
    LRESULT SendStatus(const char* text) { return SendStatus(this, text); }

    // Set by the owner before the banner is created; the banner does not own them.
    void SetTitleFont(HFONT font) { m_titleFontOverride = font; }
    void SetStatusFont(HFONT font) { m_statusFontOverride = font; }
    void SetBackColor(COLORREF colour) { m_backColor = colour; }
    bool IsShown() const { return m_shown; }

    BOOL OnInitDialog() override;
    const CMessageMap* GetMessageMap() const override;

private:
    LRESULT OnStatus(WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);

    HWND m_titleStatic = nullptr;
    HWND m_statusStatic = nullptr;
    HFONT m_titleFontOverride = nullptr;
    HFONT m_statusFontOverride = nullptr;
    UGdiObject m_titleFont;
    UGdiObject m_statusFont;
    COLORREF m_backColor = 0xF4FDFD;
    CWnd* m_parentWindow = nullptr;
    bool m_shown = false;
    UGdiObject m_backBrush;
    COLORREF m_brushColor = 0;
};

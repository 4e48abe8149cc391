// The report window's page view: shows the report's current page scaled to
// the window (whole page or page width), scrolls it, and follows the
// report's page and layout changes.
#pragma once

#include <windows.h>

#include "classlib/CWnd.h"
#include "controls/UDraw.h"

class DlgReportsView : public CWnd {
public:
    static constexpr long FitWindow = 1;
    static constexpr long FitWidth = 2;
    static constexpr int LineStepX = 10;
    static constexpr int LineStepY = 40;

    DlgReportsView();
    ~DlgReportsView() override;

    // Creates the view as a child of the parent in the rectangle (parent
    // client coordinates).
    bool Create(HWND parent, const RECT& rect, UINT id, COLORREF background);

    // Applies the fit mode (1 whole page, 2 page width); false for another
    // mode. Nothing is fitted while the view has no page.
    bool SetFitMode(long mode);
    void UpdateScrollBars();
    // Fits again and repaints.
    void Refresh();
    // kEventReportLayoutChanged and kEventReportPageChanged: the report's page
    // or layout changed.
    void OnAppEvent(long code);
    void SetBackColor(COLORREF colour);
    void PaintPage(HDC dc);
    void OnHScroll(int request, int thumb);
    void OnVScroll(int request, int thumb);

    long GetFitMode() const { return m_fitMode; }
    double GetZoom() const { return m_zoom; }
    const RECT& GetPageRect() const { return m_pageRect; }
    const RECT& GetDisplayRect() const { return m_display; }
    double GetScrollX() const { return m_scrollX; }
    double GetScrollY() const { return m_scrollY; }
    double GetScrollMaxX() const { return m_scrollMaxX; }
    double GetScrollMaxY() const { return m_scrollMaxY; }
    COLORREF GetContrastColor() const { return m_contrast; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // One direction's scroll request on the position within 0 and max.
    static double Scrolled(double position, double max, int request, int thumb, double line, double page);
    // One scroll request on the bar (SB_HORZ or SB_VERT); a direction
    // without scroll range ignores it.
    void Scroll(int bar, int request, int thumb);
    void TakePageRect();
    void OnResize();

    RECT m_client = {0, 0, 0, 0};
    RECT m_pageRect = {0, 0, 0, 0};
    RECT m_display = {0, 0, 0, 0};
    double m_scrollX = 0;
    double m_scrollY = 0;
    double m_scrollMaxX = 0;
    double m_scrollMaxY = 0;
    bool m_busy = false;
    bool m_fitting = false;
    long m_fitMode = FitWidth;
    int m_marginX = 10;
    int m_marginY = 10;
    COLORREF m_background = 0;
    COLORREF m_contrast = 0;
    UGdiObject m_brush;
    double m_zoom = 1.0;
};

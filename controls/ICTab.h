// A template button turned into a self-drawn strip of tabs: rounded tabs on a
// base line, the selected one raised, an optional comment right of them, a
// hint per tab, and a click that selects a tab and tells the parent which.
// The owner configures the strip by writing keys, then calls Layout.
#pragma once

#include <windows.h>

#include <deque>

#include "controls/ICControl.h"
#include "foundation/DProps.h"
#include "foundation/UMap.h"

class ICTab : public ICControl {
public:
    // The notification code of a tab change (WM_COMMAND to the parent).
    static constexpr UINT NotifyCode = 1002;

    explicit ICTab(HWND window);
    ~ICTab() override;

    // Base attach, the native text cleared, then Layout.
    bool Attach(HWND window, long group, bool keepSize) override;
    // Drops the cached pens and brushes and the tabs.
    void Detach() override;
    bool DrawForeground(HDC dc, const RECT* dirty) override;
    bool DrawBackground(HDC dc, const RECT* dirty) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Pens, brushes, line positions and every tab's geometry, from the
    // strip's keys and the tabs' captions.
    void Layout();
    // -1 for an index that is not a tab; otherwise the index, after
    // selecting it (telling the parent when notify is set) and invalidating.
    long Select(long index, bool notify);
    // The tab under the point (client coordinates), -1 for none.
    long HitTest(long x, long y);
    // The tab whose caption lies under the x coordinate, the tab count for
    // the comment, -1 for neither.
    long HoverTest(long x);

    // Appends a tab with its caption and hint and returns its bag.
    DProps& AddTab(const char* text, const char* hint = nullptr);
    // The tabs in display order; the owner edits them, then calls Layout.
    std::deque<DProps>& GetTabs() { return m_tabs; }
    long GetTabCount() const { return static_cast<long>(m_tabs.size()); }
    DProps& GetStripStyle() { return m_strip; }
    long GetSelected() const { return DProps::GetLong(m_strip, "selected", 0); }
    // The width the strip needs to show every tab whole, as the last Layout
    // measured them: the offset before the first tab, the tabs, and the last
    // tab's outline.
    long GetNeededWidth() const;
    // The cached pen or brush of that name, null when none.
    HGDIOBJ GetCachedObject(const char* name) { return static_cast<HGDIOBJ>(m_gdi.Get(name)); }

protected:
    // Sends the parent WM_COMMAND (id, 1002) with a bag naming the tab.
    void NotifyParent();
    long Style(const char* key, long def) const { return DProps::GetLong(m_strip, key, def); }
    HFONT TabFont() const;

    DProps m_strip;
    std::deque<DProps> m_tabs;
    TGDIMap m_gdi;
};

// The base of every panel: a modeless dialog from a template that lives as a
// child inside another dialog, owns the owner-drawn controls registered with
// it, paints its own flat background, answers its controls' background
// query and reports clicks and tab changes to an owner window.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/CDialog.h"
#include "foundation/DProps.h"
#include "foundation/UMap.h"
#include "foundation/WindowMessages.h"

class ICControl;

// The notification code with which a tab strip tells its parent of a new tab.
constexpr UINT PANEL_NOTIFY_CODE = 1002;

// The message through which the application's filter offers messages to its
// hook window; registered once at start-up.
struct UWindowHook {
    static const UINT MSG_HOOK_MESSAGE;
};

class ICPanel : public CDialog {
public:
    // Bottom edge lines under the panel (the report toolbar's look).
    static constexpr long StyleBottomLines = 8;

    ICPanel(long templateId, CDialog* parent, HWND owner);
    // Deletes every registered control, before the window goes.
    ~ICPanel() override;

    // Creates the panel's window and makes it a child of the stored parent
    // window; the panel is shown. A panel whose window cannot be made is
    // deleted and null returned.
    static ICPanel* CreateAsChild(ICPanel* panel);

    // Registers the control under its control id; the panel owns it from
    // then on. A control registered earlier under that id is deleted. False
    // for null.
    virtual bool AddControl(ICControl* control);
    virtual void Reserved() {}
    // The size the panel wants, height << 16 | width; the base takes the
    // client rectangle and keeps it as the preferred rectangle.
    virtual long GetPreferredSize();
    // Client height << 16 | client width.
    virtual long GetClientSize();
    virtual void UpdateEnableStates() {}
    virtual void ApplyLocale() {}
    // Spans the parent's client width, below the offset the parent gives;
    // then LayoutControls, and with redraw an immediate repaint. 0 when the
    // panel has no parent window.
    virtual long Reposition(bool redraw);
    // Shows or hides the registered controls of a group (all for group 0);
    // how many were visible before.
    virtual long ShowGroup(long group, bool show);
    // Enables or disables the controls of a group (all for group 0); how
    // many were disabled before.
    virtual long EnableGroup(long group, bool enable);
    // Called while erasing, after the fill.
    virtual void PaintExtra(HDC dc) { (void)dc; }
    // Called by Reposition to place the controls.
    virtual void LayoutControls() {}

    // The registered control with that control id, or null.
    ICControl* FindControl(long id);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    const CMessageMap* GetMessageMap() const override;

    LRESULT OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaintMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryBackColorMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnNextDlgCtlMsg(WPARAM wParam, LPARAM lParam);

    long GetPanelId() const { return m_panelId; }
    HWND GetOwnerWindow() const { return m_owner; }
    HWND GetParentWindow() const { return m_parentWindow; }
    COLORREF GetBackColor() const { return m_backColor; }
    void SetBackColor(COLORREF colour) { m_backColor = colour; }
    long GetStyleBits() const { return m_styleBits; }
    void SetStyleBits(long bits) { m_styleBits = bits; }
    const RECT& GetPreferredRect() const { return m_preferred; }
    // The smallest client size the panel's controls need, measured when its
    // window is made; 0 in a direction the panel sets no minimum for.
    SIZE GetMinimumSize() const { return m_minimumSize; }
    long GetControlCount() { return static_cast<long>(m_controls.size()); }

protected:
    // Runs the action on the window of every registered control of the group
    // (every control for group 0); counts the windows it answered true for.
    template <class Action>
    long ForGroup(long group, Action action);

    long m_panelId;
    UMap<long, ICControl*> m_controls;
    COLORREF m_backColor = 0xE0E0E0;
    long m_styleBits = 0;
    HWND m_owner;
    std::string m_name;
    DProps m_style;
    HWND m_parentWindow = nullptr;
    RECT m_preferred = {0, 0, 0, 0};
    SIZE m_minimumSize = {0, 0};
};

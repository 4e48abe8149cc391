// The main window: a modeless dialog that carries the menu, hosts the six
// panels, lays them out, keeps its placement between runs, owns the hover-
// hint window of the whole interface, and is the hub through which header
// buttons become menu commands, tab changes switch pages, application events
// reach the panels and the automation's requests reach the application.
#pragma once

#include <windows.h>

#include <memory>

#include "appsvc/OXRApp.h"
#include "controls/ICHint.h"
#include "controls/UDraw.h"
#include "controls/WinUtil.h"
#include "panels/PanelIds.h"
#include "dialogs/WinPanel.h"

class ICPanel;

// Header bar controls that stand for menu commands.
constexpr UINT kHeaderOpen = IDC_HEADER_OPEN;
constexpr UINT kHeaderCreate = IDC_HEADER_CREATE;
constexpr UINT kHeaderSave = IDC_HEADER_SAVE;
constexpr UINT kHeaderExit = IDC_HEADER_EXIT;
constexpr UINT kHeaderHistory = IDC_HEADER_RECENT;
constexpr long kHeaderTabs = IDC_HEADER_TABS;

constexpr UINT kMainWindowTemplate = IDD_MAINWINDOW;

class OXRWindow : public OXRWindowBase {
public:
    OXRWindow();
    // The hint window goes first, then the brush and the panels.
    ~OXRWindow() override;

    void OnAppEvent(long code, long argument, const void* sender = nullptr) override;
    void UpdateFileMenu() override;
    void RedrawAll();
    // 0 source data, 1 results, 2 options, 3 description; others hide all.
    void ShowWorkPanel(long tab);

    BOOL OnInitDialog() override;
    // Enter in the main window is no command.
    void OnOK() override {}
    const CMessageMap* GetMessageMap() const override;

    // The window placement of the run and the minimum size, computed once.
    static Placement s_placement;
    static long s_minWidth;
    static long s_minHeight;

    HICON m_icon = nullptr;
    // A panel whose window could not be made is null.
    std::unique_ptr<ICPanel> m_header;
    std::unique_ptr<ICPanel> m_project;
    std::unique_ptr<ICPanel> m_sourcePage;
    std::unique_ptr<ICPanel> m_resultsPage;
    std::unique_ptr<ICPanel> m_optionsPage;
    std::unique_ptr<ICPanel> m_infoPage;
    UGdiObject m_backBrush;
    ICHintSettings m_hintSettings;
    // Declared last: it goes first, before the settings it reads and the
    // panels whose controls it hints.
    std::unique_ptr<ICHint> m_hint;

private:
    // The placement stored in the settings, else a size that fits the
    // header bar and the source-data page, centred; the minimum size is
    // measured on the first call.
    void PlaceWindow();
    // A window smaller than the minimum size grows to it (in height at most
    // to 720), else the panels are laid out for the size it has.
    void GrowToMinimumSize();
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnWindowPosChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizing(WPARAM wParam, LPARAM lParam);
    void OnCloseCommand();
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelButton(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryHeaderSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryWorkArea(WPARAM wParam, LPARAM lParam);
    LRESULT OnUserEvent(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    // A test's request for the menu as text (see app/MenuListing.h).
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    // The script runner's messages, handed to the application.
    LRESULT OnAutomation(UINT message, WPARAM wParam, LPARAM lParam);

    void OnSize(UINT type, int width, int height);
    void StorePlacement();
};

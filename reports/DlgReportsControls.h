// The report window's toolbar: print and save, the view's fit buttons, page
// stepping with the page indicator, and the lists of layouts, colour modes
// and printers. Its buttons reach the report window as panel commands; its
// lists act on the application directly.
#pragma once

#include <windows.h>

#include "dialogs/WinPanel.h"

class DlgReportsView;

class DlgReportsControls : public WinPanel {
public:
    // How long the toolbar gives the printer enumeration when the printer
    // list is still empty at opening.
    static constexpr UINT PrinterWaitMs = 1000;

    DlgReportsControls(CDialog* parent, HWND owner);
    ~DlgReportsControls() override;

    void SetView(DlgReportsView* view) { m_view = view; }
    DlgReportsView* GetView() const { return m_view; }

    // kEventReportLayoutChanged and kEventReportPageChanged renew the enable
    // states; kEventPrintersEnumerated fills an empty printer list.
    void OnAppEvent(long code, const void* sender = nullptr) override;
    void UpdateEnableStates() override;
    void ApplyLocale() override;
    // Height << 16 | width: the buttons' row and the lists below it.
    long GetPreferredSize() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // True until the first look at the printers has been taken.
    bool IsWaitingForPrinters() const { return m_waitingForPrinters; }

protected:
    const CMessageMap* GetMessageMap() const override;
    LRESULT OnTimerMsg(WPARAM wParam, LPARAM lParam);

private:
    void FillLayouts();
    void FillColors();
    void OnPrintersEnumerated();
    void ApplyTexts();

    DlgReportsView* m_view = nullptr;
    bool m_waitingForPrinters = false;
};

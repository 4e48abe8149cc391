// A main window that hosts the header bar, the project panel and the
// description page as the program's main window does: it answers their
// size queries, lays them out, and hands every event to them in order with
// its sender.
#pragma once

#include "panels/WinControls.h"
#include "panels/WinInfo.h"
#include "panels/WinSolution.h"
#include "support/UiTestApp.h"

class PanelHost : public RecordingMainWindow {
public:
    ~PanelHost() override
    {
        delete header;
        delete project;
        delete info;
    }

    BOOL OnInitDialog() override
    {
        RecordingMainWindow::OnInitDialog();
        header = static_cast<WinControls*>(ICPanel::CreateAsChild(new WinControls(this)));
        project = static_cast<WinSolution*>(ICPanel::CreateAsChild(new WinSolution(this)));
        info = new WinInfo();
        if (!info->Create(kPanelInfo, this))
            return FALSE;
        ::ShowWindow(info->m_hWnd, SW_SHOW);
        Layout();
        return TRUE;
    }

    void Layout()
    {
        if (!header || !project || !info)
            return;
        header->Reposition(false);
        project->Reposition(false);
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        const long x = WinPackedWidth(project->GetClientSize());
        const long y = WinPackedHeight(header->GetPreferredSize()) + 1;
        ::SetWindowPos(info->m_hWnd, nullptr, x, y, client.right - x, client.bottom - y, SWP_NOZORDER);
    }

    WinControls* header = nullptr;
    WinSolution* project = nullptr;
    WinInfo* info = nullptr;

protected:
    void Forward(long code, long, const void* sender) override
    {
        for (WinPanel* panel : {static_cast<WinPanel*>(header), static_cast<WinPanel*>(project),
                                static_cast<WinPanel*>(info)})
            if (panel && panel->IsWindow())
                panel->OnAppEvent(code, sender);
    }

    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<PanelHost> map = CMessageMapOf<PanelHost>(RecordingMainWindow::GetMessageMap())
                                                        .On(WM_QUERY_HEADER_SIZE, &PanelHost::OnHeaderSize)
                                                        .On(WM_QUERY_WORK_AREA, &PanelHost::OnWorkArea)
                                                        .On(WM_SIZE, &PanelHost::OnSizeMsg);
        return &map;
    }
    LRESULT OnHeaderSize(WPARAM wParam, LPARAM)
    {
        if (wParam != static_cast<WPARAM>(kPanelProject) || !header || !project)
            return 0;
        return WinPackSize(0, WinPackedHeight(header->GetPreferredSize()));
    }
    LRESULT OnWorkArea(WPARAM wParam, LPARAM)
    {
        if (wParam != static_cast<WPARAM>(kPanelProject) || !header || !project)
            return 0;
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        return WinPackSize(WinPackedWidth(project->GetPreferredSize()),
                           client.bottom - WinPackedHeight(header->GetPreferredSize()));
    }
    LRESULT OnSizeMsg(WPARAM, LPARAM)
    {
        Layout();
        return 0;
    }
};

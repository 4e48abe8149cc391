// A main window that hosts the header bar, the project panel, the source
// data page, the results page, the options page and the description page as the program's
// main window does: it answers their size queries, lays them out, and hands
// every event to them in order with its sender.
#pragma once

#include "panels/WinControls.h"
#include "panels/WinInfo.h"
#include "panels/WinOptions.h"
#include "panels/WinProcess.h"
#include "panels/WinProject.h"
#include "panels/WinSolution.h"
#include "dialogs/DlgDelimited.h"
#include "support/UiScript.h"
#include "support/UiTestApp.h"

#include <gtest/gtest.h>

#include <initializer_list>

class PanelHost : public RecordingMainWindow {
public:
    ~PanelHost() override
    {
        delete header;
        delete project;
        delete source;
        delete results;
        delete options;
        delete info;
    }

    BOOL OnInitDialog() override
    {
        RecordingMainWindow::OnInitDialog();
        header = static_cast<WinControls*>(ICPanel::CreateAsChild(new WinControls(this)));
        project = static_cast<WinSolution*>(ICPanel::CreateAsChild(new WinSolution(this)));
        source = new WinProject();
        if (!source->Create(kPanelSource, this))
            return FALSE;
        results = new WinProcess();
        if (!results->Create(kPanelResults, this))
            return FALSE;
        options = new WinOptions();
        if (!options->Create(kPanelOptions, this))
            return FALSE;
        info = new WinInfo();
        if (!info->Create(kPanelInfo, this))
            return FALSE;
        ::ShowWindow(info->m_hWnd, SW_SHOW);
        Layout();
        return TRUE;
    }

    void Layout()
    {
        if (!header || !project || !info || !source || !results || !options)
            return;
        header->Reposition(false);
        project->Reposition(false);
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        const long x = WinPackedWidth(project->GetClientSize());
        const long y = WinPackedHeight(header->GetPreferredSize()) + 1;
        ::SetWindowPos(info->m_hWnd, nullptr, x, y, client.right - x, client.bottom - y, SWP_NOZORDER);
        ::SetWindowPos(source->m_hWnd, nullptr, x, y, client.right - x, client.bottom - y, SWP_NOZORDER);
        ::SetWindowPos(results->m_hWnd, nullptr, x, y, client.right - x, client.bottom - y, SWP_NOZORDER);
        ::SetWindowPos(options->m_hWnd, nullptr, x, y, client.right - x, client.bottom - y, SWP_NOZORDER);
    }
    // The results page in front of the others.
    void ShowResults()
    {
        ::ShowWindow(info->m_hWnd, SW_HIDE);
        ::ShowWindow(source->m_hWnd, SW_HIDE);
        ::ShowWindow(results->m_hWnd, SW_SHOW);
    }
    // The options page in front of the others.
    void ShowOptions()
    {
        ::ShowWindow(info->m_hWnd, SW_HIDE);
        ::ShowWindow(source->m_hWnd, SW_HIDE);
        ::ShowWindow(results->m_hWnd, SW_HIDE);
        ::ShowWindow(options->m_hWnd, SW_SHOW);
    }
    // The source data page in front of the description page.
    void ShowSource()
    {
        ::ShowWindow(info->m_hWnd, SW_HIDE);
        ::ShowWindow(source->m_hWnd, SW_SHOW);
    }

    WinControls* header = nullptr;
    WinSolution* project = nullptr;
    WinProject* source = nullptr;
    WinProcess* results = nullptr;
    WinOptions* options = nullptr;
    WinInfo* info = nullptr;

protected:
    void Forward(long code, long, const void* sender) override
    {
        for (WinPanel* panel : {static_cast<WinPanel*>(header), static_cast<WinPanel*>(project),
                                static_cast<WinPanel*>(source), static_cast<WinPanel*>(results),
                                static_cast<WinPanel*>(options), static_cast<WinPanel*>(info)})
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

// Dispatches what waits in the thread's queue (posted selection checks).
inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A step of the script: the export dialog's output text read into output,
// then the dialog closed.
inline void ReadExportAndClose(UiScript& script, std::string& output)
{
    script.OnWindow("Export", [&output](HWND window) {
        char text[4096] = "";
        GetDlgItemTextA(window, DlgDelimited::kText, text, sizeof(text));
        output = text;
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
}

// A test with the panels standing in a main window over an empty project.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App().Document().Reset();
        App().SetAutomation(0);
        ASSERT_TRUE(host.Open());
        ASSERT_NE(nullptr, host.header);
        ASSERT_NE(nullptr, host.project);
        ASSERT_NE(nullptr, host.info);
    }
    void TearDown() override
    {
        App().Document().Reset();
        App().SetAutomation(0);
    }
    // A project of the named materials as if read from its file, opened as the
    // application does (kEventProjectOpened); the events so far are forgotten.
    void OpenProject(std::initializer_list<const char*> materials)
    {
        DCSSolution& document = App().Document();
        auto it = materials.begin();
        ASSERT_TRUE(document.New("Garage", "Shelves", *it));
        for (++it; it != materials.end(); ++it)
            ASSERT_TRUE(document.AddMaterial(*it, nullptr));
        document.UpdateFingerprint(true);
        App().OnAppEvent(kEventProjectOpened, 0);
        Pump();
        host.events.clear();
        host.panelTabs.clear();
    }

    PanelHost host;
};

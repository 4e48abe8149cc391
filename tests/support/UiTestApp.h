// The application object of the window tests of panels and dialogs: the
// locale, fonts, number formats and system information of a real start, and
// a main window that records the events it is given and the panel messages
// it hears. Header only: each test program builds it with its own resources.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "appsvc/OXRApp.h"
#include "controls/ICPanel.h"
#include "foundation/DAuto.h"

#include <gtest/gtest.h>

// The template of the test main window (each test program's resources).
constexpr UINT kTestMainTemplate = 9000;

// Loads the locale embedded under the name (resource type "LOCALE") with the
// extra text after it, the UI fonts, the number formats and the system
// information into the application.
inline bool SetUpUiApp(OXRApp& app, const char* localeName, const char* extra = "")
{
    UMemory buffer(4096);
    if (!app.LoadResourceData("LOCALE", localeName, buffer))
        return false;
    std::string text = buffer.GetData();
    text += "\r\n";
    text += extra ? extra : "";
    app.Locale().Parse(text.c_str());
    app.LoadLocale("en_US");
    app.CreateUiFonts();
    app.LoadNumberFormats();
    app.LogSystemInfo();
    return true;
}

struct RecordedEvent {
    long code;
    long argument;
    const void* sender;
};

// A main window with nothing in it but what a test puts there.
class RecordingMainWindow : public OXRWindowBase {
public:
    RecordingMainWindow() : OXRWindowBase(kTestMainTemplate) {}

    bool Open()
    {
        if (!Create(kTestMainTemplate) || !IsWindow())
            return false;
        ::ShowWindow(m_hWnd, SW_SHOW);
        App().SetMainWindow(this);
        App().m_pMainWnd = this;
        return true;
    }
    ~RecordingMainWindow() override
    {
        if (GetApp() && App().MainWindow() == this) {
            App().SetMainWindow(nullptr);
            App().m_pMainWnd = nullptr;
        }
    }

    void OnAppEvent(long code, long argument, const void* sender) override
    {
        events.push_back({code, argument, sender});
        Forward(code, argument, sender);
    }
    void UpdateFileMenu() override { ++fileMenuUpdates; }
    void OnOK() override {}
    void OnCancel() override {}

    std::vector<long> Codes() const
    {
        std::vector<long> codes;
        for (const RecordedEvent& e : events)
            codes.push_back(e.code);
        return codes;
    }

    std::vector<RecordedEvent> events;
    int fileMenuUpdates = 0;
    std::vector<std::pair<WPARAM, LPARAM>> panelCommands;
    std::vector<long> panelTabs;

protected:
    // What a panel host does with an event after recording it.
    virtual void Forward(long code, long argument, const void* sender)
    {
        (void)code, (void)argument, (void)sender;
    }

    const CMessageMap* GetMessageMap() const override
    {
        static const CMessageMapOf<RecordingMainWindow> map =
            CMessageMapOf<RecordingMainWindow>(CDialog::GetMessageMap())
                .On(WM_USER, &RecordingMainWindow::OnUserEvent)
                .On(WM_PANEL_COMMAND, &RecordingMainWindow::OnPanelCommand)
                .On(WM_PANEL_NOTIFY, &RecordingMainWindow::OnPanelNotify);
        return &map;
    }
    LRESULT OnUserEvent(WPARAM wParam, LPARAM lParam)
    {
        OnAppEvent(static_cast<long>(wParam), static_cast<long>(lParam), nullptr);
        return 0;
    }
    LRESULT OnPanelCommand(WPARAM wParam, LPARAM lParam)
    {
        panelCommands.push_back({wParam, lParam});
        return 0;
    }
    virtual LRESULT OnPanelNotify(WPARAM, LPARAM lParam)
    {
        const DProps* bag = reinterpret_cast<const DProps*>(lParam);
        panelTabs.push_back(bag ? DProps::GetLong(bag, "tab", -1) : -1);
        return 0;
    }
};

// The main of a window test program: the application object with the
// program's English locale (embedded as "TESTLOCALE"), then every test.
inline int RunUiTests(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    OXRApp app;
    if (!SetUpUiApp(app, "TESTLOCALE"))
        return 2;
    return RUN_ALL_TESTS();
}

// The test program's application object and a dialog whose behaviour each
// test scripts with small functions.
#pragma once

#include "classlib/CDialog.h"
#include "classlib/CWinApp.h"

#include <functional>
#include <vector>

class TestApp : public CWinApp {
public:
    // Consulted first by ProcessMessageFilter when set.
    std::function<BOOL(int, MSG*)> filter;
    // Command ids that reached the application's table (0x8100 to 0x81FF).
    std::vector<UINT> commands;

    BOOL ProcessMessageFilter(int code, MSG* msg) override;
    const CMessageMap* GetMessageMap() const override;
    void OnAppCommand(UINT id) { commands.push_back(id); }
};

TestApp& App();

// Safety net of every modal test: a dialog still open after this long ends
// with kStuck, so a broken loop fails the test instead of hanging it.
constexpr UINT_PTR kSafetyTimer = 99;
constexpr UINT kSafetyMs = 20000;
constexpr INT_PTR kStuck = -99;

class ScriptDialog : public CDialog {
public:
    using CDialog::CDialog;

    // Not 0: a one-shot timer (id 1) of that many ms starts at initialisation.
    UINT timerMs = 0;
    std::function<BOOL(ScriptDialog&)> onInit;
    // One-shot: the timer is killed before this runs.
    std::function<void(ScriptDialog&, UINT_PTR)> onTimer;
    // Messages WM_APP to WM_APP + 0xFF.
    std::function<LRESULT(ScriptDialog&, UINT, WPARAM, LPARAM)> onApp;
    std::vector<WPARAM> keys;   // WM_KEYDOWN that reached the dialog
    std::vector<BOOL> shows;    // WM_SHOWWINDOW's wParam, in order
    std::vector<UINT> clicks;   // ids of the BN_CLICKED commands it received

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const CMessageMap* GetMessageMap() const override;

    LRESULT OnTimerMsg(WPARAM id, LPARAM);
    LRESULT OnKeyDownMsg(WPARAM key, LPARAM);
    LRESULT OnShowWindowMsg(WPARAM show, LPARAM);
};

// A plain visible top-level window to own dialogs.
class TopWindow : public CWnd {
public:
    explicit TopWindow(const char* title = "Owner");
};

// Pumps the thread's messages until the condition holds or the bound has passed.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = 10000);

#include "TestApp.h"

namespace {
TestApp g_app;
}

TestApp& App()
{
    return g_app;
}

BOOL TestApp::ProcessMessageFilter(int code, MSG* msg)
{
    if (filter && filter(code, msg)) {
        return TRUE;
    }
    return CWinApp::ProcessMessageFilter(code, msg);
}

const CMessageMap* TestApp::GetMessageMap() const
{
    static const CMessageMapOf<TestApp> map =
        CMessageMapOf<TestApp>(CWinApp::GetMessageMap()).OnCommandRange(0x8100, 0x81FF, &TestApp::OnAppCommand);
    return &map;
}

BOOL ScriptDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetTimer(kSafetyTimer, kSafetyMs);
    if (timerMs) {
        SetTimer(1, timerMs);
    }
    return onInit ? onInit(*this) : TRUE;
}

BOOL ScriptDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        clicks.push_back(LOWORD(wParam));
    }
    return CDialog::OnCommand(wParam, lParam);
}

LRESULT ScriptDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_APP && message <= WM_APP + 0xFF && onApp) {
        return onApp(*this, message, wParam, lParam);
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

const CMessageMap* ScriptDialog::GetMessageMap() const
{
    static const CMessageMapOf<ScriptDialog> map = CMessageMapOf<ScriptDialog>(CDialog::GetMessageMap())
                                                       .On(WM_TIMER, &ScriptDialog::OnTimerMsg)
                                                       .On(WM_KEYDOWN, &ScriptDialog::OnKeyDownMsg)
                                                       .On(WM_SHOWWINDOW, &ScriptDialog::OnShowWindowMsg);
    return &map;
}

LRESULT ScriptDialog::OnTimerMsg(WPARAM id, LPARAM)
{
    KillTimer(id);
    if (id == kSafetyTimer) {
        EndDialog(kStuck);
    } else if (onTimer) {
        onTimer(*this, id);
    }
    return 0;
}

LRESULT ScriptDialog::OnKeyDownMsg(WPARAM key, LPARAM)
{
    keys.push_back(key);
    return 0;
}

LRESULT ScriptDialog::OnShowWindowMsg(WPARAM show, LPARAM)
{
    shows.push_back(static_cast<BOOL>(show));
    return Default();
}

TopWindow::TopWindow(const char* title)
{
    const char* cls = AfxRegisterWndClass(0, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    CreateEx(0, cls, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300, nullptr);
    SetActiveWindow(m_hWnd);
}

bool PumpUntil(const std::function<bool()>& done, DWORD boundMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > boundMs) {
            return false;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            CWinApp::PumpMessage(msg, CWinApp::FilterMainLoop);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

#include "classlib/CWinApp.h"

#include "classlib/CDialog.h"
#include "foundation/ULog.h"

#include <string>

namespace {

CWinApp* g_app = nullptr;

thread_local HHOOK t_filterHook = nullptr;
// The message our pump hands to IsDialogMessage, which offers it to the
// message filter hook again; the pump has already filtered it.
thread_local bool t_keyingSet = false;
thread_local MSG t_keying;

bool SameMessage(const MSG& a, const MSG& b)
{
    return a.hwnd == b.hwnd && a.message == b.message && a.time == b.time && a.pt.x == b.pt.x &&
           a.pt.y == b.pt.y;
}

BOOL CallFilter(CWinApp* app, int code, MSG* msg)
{
    try {
        return app->ProcessMessageFilter(code, msg);
    } catch (...) {
        AfxLogError("Exception in the message filter");
        return FALSE;
    }
}

LRESULT CALLBACK FilterHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && lParam) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (t_keyingSet && SameMessage(*msg, t_keying)) {
            t_keyingSet = false;
        } else if (CWinApp* app = AfxGetApp()) {
            if (CallFilter(app, code, msg)) {
                return 1;
            }
        }
    }
    return CallNextHookEx(t_filterHook, code, wParam, lParam);
}

// While no control of a dialog has the focus (the one that had it was
// disabled or destroyed) the system hands keys to the active window as
// system keys, which the dialog manager ignores: Tab, Enter and Escape
// pressed without Alt are taken as the plain keys they are, so Tab brings
// the focus back and Escape still closes.
void TakeKeyWithoutFocus(HWND root, MSG& msg)
{
    if (msg.hwnd != root || GetFocus() != nullptr || (msg.lParam & (1L << 29)))
        return;
    if (msg.message != WM_SYSKEYDOWN && msg.message != WM_SYSKEYUP)
        return;
    if (msg.wParam != VK_TAB && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)
        return;
    msg.message = msg.message == WM_SYSKEYDOWN ? WM_KEYDOWN : WM_KEYUP;
}

} // namespace

CWinApp::CWinApp()
{
    if (!g_app) {
        g_app = this;
    }
}

CWinApp::~CWinApp()
{
    if (g_app == this) {
        g_app = nullptr;
    }
}

CWinApp* AfxGetApp()
{
    return g_app;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_exitCode;
}

BOOL CWinApp::ProcessMessageFilter(int, MSG*)
{
    return FALSE;
}

int CWinApp::Run()
{
    InstallFilterHook();
    for (;;) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            m_exitCode = static_cast<int>(msg.wParam);
            break;
        }
        PumpMessage(msg, FilterMainLoop);
    }
    return ExitInstance();
}

void CWinApp::PumpMessage(MSG& msg, int filterCode)
{
    if (CWinApp* app = AfxGetApp()) {
        if (CallFilter(app, filterCode, &msg)) {
            return;
        }
    }
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && dynamic_cast<CDialog*>(CWnd::FromHandle(root))) {
        TakeKeyWithoutFocus(root, msg);
        t_keying = msg;
        t_keyingSet = true;
        BOOL used = IsDialogMessageA(root, &msg);
        t_keyingSet = false;
        if (used) {
            return;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void CWinApp::InstallFilterHook()
{
    if (!t_filterHook) {
        t_filterHook = SetWindowsHookExA(WH_MSGFILTER, &FilterHookProc, nullptr, GetCurrentThreadId());
    }
}

void CWinApp::RemoveFilterHook()
{
    if (t_filterHook) {
        UnhookWindowsHookEx(t_filterHook);
        t_filterHook = nullptr;
    }
}

void AfxLogError(const char* text)
{
    std::string line = std::string("ERR >> ") + (text ? text : "") + "\n";
    OutputDebugStringA(line.c_str());
    if (CWinApp* app = AfxGetApp()) {
        ULog::WriteText(app->GetErrorLog(), text ? text : "", "ERR >> ");
    }
}

int AfxWinMain(HINSTANCE instance, int showCommand)
{
    CWinApp* app = AfxGetApp();
    if (!app) {
        return -1;
    }
    app->m_hInstance = instance;
    app->m_nCmdShow = showCommand;
    CWinApp::InstallFilterHook();
    BOOL started = FALSE;
    try {
        started = app->InitInstance();
    } catch (...) {
        AfxLogError("Exception in the application's start");
    }
    int code = started ? app->Run() : app->ExitInstance();
    CWinApp::RemoveFilterHook();
    return code;
}

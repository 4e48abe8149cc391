// The application object: one global instance of a subclass, built before the
// entry code runs. Its message pump serves the main loop and every modal loop
// of the library; each message passes its message filter first.
#pragma once

#include "classlib/CWnd.h"

class ULog;

class CWinApp : public CCmdTarget {
public:
    // Filter code of the main loop (the modal loops pass MSGF_DIALOGBOX, the
    // system's own loops their MSGF_ codes).
    static constexpr int FilterMainLoop = MSGF_USER;

    CWinApp();
    ~CWinApp() override;

    // The program's start; false ends it without running the loop.
    virtual BOOL InitInstance();
    // After the loop; returns the process exit code (the code of WM_QUIT).
    virtual int ExitInstance();
    // The main loop until WM_QUIT, then ExitInstance.
    virtual int Run();
    // Sees every message of the UI thread's loops first (ours directly, the
    // system's message boxes and menus through a message filter hook);
    // true when it consumed the message. The base consumes nothing.
    virtual BOOL ProcessMessageFilter(int code, MSG* msg);

    // Handles one message taken from the queue: the filter, then the
    // dialog keys of the library dialog it belongs to, then translation and
    // dispatch. Works without an application object too.
    static void PumpMessage(MSG& msg, int filterCode);
    // Puts the message filter hook on the calling thread (once) / takes it off.
    static void InstallFilterHook();
    static void RemoveFilterHook();

    // Where Win32 callbacks log the exceptions they catch; null: debugger only.
    void SetErrorLog(ULog* log) { m_errorLog = log; }
    ULog* GetErrorLog() const { return m_errorLog; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    int m_exitCode = 0;

private:
    ULog* m_errorLog = nullptr;
};

// The one application object, or null when the program has none.
CWinApp* AfxGetApp();
// The entry code: runs InitInstance and the loop of the application object.
int AfxWinMain(HINSTANCE instance, int showCommand);

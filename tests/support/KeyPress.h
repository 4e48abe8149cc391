// Keys pressed as a user presses them: the key's down and up messages are
// posted to the window with the focus (the active window when no control
// has it) and handed through the class library's message pump, the way the
// main loop and every modal loop take a typed key: the application's filter,
// then the dialog manager, then translation into characters and dispatch.
// Only keyboard messages are pumped here; whatever a key posts besides (a
// dialog's end, a selection re-check) waits for the loop that runs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "classlib/CWinApp.h"
#include "support/UiScript.h"

// Holds Shift (or another modifier) down in the thread's key state for its
// life, as the dialog manager reads it for Shift+Tab.
class HeldKey {
public:
    explicit HeldKey(BYTE key) : m_key(key)
    {
        GetKeyboardState(m_state);
        m_saved = m_state[m_key];
        m_state[m_key] = 0x80;
        SetKeyboardState(m_state);
    }
    ~HeldKey()
    {
        GetKeyboardState(m_state);
        m_state[m_key] = m_saved;
        SetKeyboardState(m_state);
    }
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

private:
    BYTE m_key;
    BYTE m_saved = 0;
    BYTE m_state[256] = {};
};

// The keyboard messages waiting in the thread's queue, each taken the way a
// message loop takes it.
inline void PumpKeys()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
        CWinApp::PumpMessage(msg, MSGF_DIALOGBOX);
}

// One press of the virtual key, down and up, handled at once.
inline void PostKeyAndPump(UINT key)
{
    HWND target = GetFocus();
    if (!target)
        target = GetActiveWindow();
    // Repeat count 1 and the scan code; a release also has the previous-
    // state and transition bits (30 and 31) set.
    const UINT down = 1 | ((MapVirtualKeyA(key, 0) & 0xFF) << 16);
    const UINT up = down | 0xC0000000u;
    PostMessageA(target, WM_KEYDOWN, key, static_cast<LPARAM>(down));
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(up));
    PumpKeys();
}

// One press of the virtual key, with Shift held when asked.
inline void PressKey(UINT key, bool shift = false)
{
    if (!shift) {
        PostKeyAndPump(key);
        return;
    }
    HeldKey held(VK_SHIFT);
    PostKeyAndPump(key);
}

// The text typed key by key into the window with the focus (characters as
// the keyboard gives them).
inline void TypeKeys(const char* text)
{
    for (const char* c = text; c && *c; ++c) {
        const SHORT code = VkKeyScanA(*c);
        if (code == -1)
            continue;
        PressKey(LOBYTE(code), (HIBYTE(code) & 1) != 0);
    }
}

// The last step of a script whose keys should close the window titled
// caption: once the earlier steps are done, a window still up after ms
// fails the test and every dialog of the thread is cancelled, so keys that
// miss give a failure, never a hang.
inline void ExpectClosedByKeys(UiScript& script, const std::string& caption, DWORD ms = 3000)
{
    auto since = std::make_shared<DWORD>(0);
    script.Then(
        [caption, since, ms] {
            if (!*since)
                *since = GetTickCount();
            return !UiScript::FindThreadWindow(caption, false) || GetTickCount() - *since > ms;
        },
        [caption] {
            if (UiScript::FindThreadWindow(caption, false)) {
                ADD_FAILURE() << "the keys left \"" << caption << "\" open";
                UiScript::CloseThreadDialogs();
            }
        },
        "the window's end");
}

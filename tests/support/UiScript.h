// Drives modal windows from inside their own message loops: a script of
// steps, each waiting (polled on a thread timer, with a bound) for its
// condition and then acting. A modal dialog, a message box in it and the
// dialog it came from are all served by whichever loop is running, so a
// test can open a dialog with DoModal and still type into it, answer the
// question it asks and close it.
#pragma once

#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class UiScript {
public:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    explicit UiScript(DWORD boundMs = 15000) : m_bound(boundMs) {}
    ~UiScript() { Stop(); }
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // Waits for the condition, then acts.
    UiScript& Then(Condition ready, Action action, const char* what = "step")
    {
        m_steps.push_back({std::move(ready), std::move(action), what ? what : "step"});
        return *this;
    }
    // Waits for a visible, enabled top-level window of this thread with that
    // caption (a window under a modal one is disabled), then acts on it.
    UiScript& OnWindow(const std::string& caption, std::function<void(HWND)> action)
    {
        auto found = std::make_shared<HWND>(nullptr);
        return Then([caption, found] { return (*found = FindThreadWindow(caption)) != nullptr; },
                    [found, action] { action(*found); }, caption.c_str());
    }

    // Waits for a popup menu of this thread and chooses its n-th item (from
    // 1) with the keyboard, as a user would.
    UiScript& ChooseFromMenu(int item)
    {
        return Then([] { return OpenPopupMenu() != nullptr; },
                    [item] {
                        HWND menu = OpenPopupMenu();
                        for (int i = 0; i < item; ++i)
                            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
                        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
                    },
                    "a popup menu");
    }

    // Starts polling; the script runs while some message loop pumps.
    void Start()
    {
        s_current = this;
        m_start = GetTickCount();
        m_timer = SetTimer(nullptr, 0, 15, &UiScript::Tick);
    }
    void Stop()
    {
        if (m_timer)
            KillTimer(nullptr, m_timer);
        m_timer = 0;
        if (s_current == this)
            s_current = nullptr;
    }

    bool Done() const { return m_next >= m_steps.size(); }
    // Empty, or what the script was waiting for when its bound ran out.
    const std::string& Failure() const { return m_failure; }

    // A visible, enabled top-level window of this thread whose caption is the
    // text; with shownOnly false also a hidden or disabled one.
    static HWND FindThreadWindow(const std::string& caption, bool shownOnly = true)
    {
        struct Search {
            const std::string* caption;
            bool shownOnly;
            HWND found;
        } search{&caption, shownOnly, nullptr};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (s->shownOnly && (!IsWindowVisible(window) || !IsWindowEnabled(window)))
                    return TRUE;
                char text[512] = "";
                GetWindowTextA(window, text, sizeof(text));
                if (*s->caption == text) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The popup menu of this thread while one is open, null when none is.
    static HWND OpenPopupMenu()
    {
        HWND found = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                char cls[16] = "";
                GetClassNameA(window, cls, sizeof(cls));
                if (strcmp(cls, "#32768") == 0 && IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(data) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // The static texts of a message box or dialog, joined by "\n".
    static std::string StaticTexts(HWND window)
    {
        std::string texts;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char cls[64] = "";
            GetClassNameA(child, cls, sizeof(cls));
            if (_stricmp(cls, "Static") != 0)
                continue;
            char text[2048] = "";
            GetWindowTextA(child, text, sizeof(text));
            if (!*text)
                continue;
            if (!texts.empty())
                texts += "\n";
            texts += text;
        }
        return texts;
    }

    // Ends every dialog box of this thread that is still up (the bound ran out).
    static void CloseThreadDialogs()
    {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                char cls[64] = "";
                GetClassNameA(window, cls, sizeof(cls));
                if (IsWindowVisible(window) && strcmp(cls, "#32770") == 0) {
                    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                    PostMessageA(window, WM_COMMAND, IDNO, 0);
                }
                return TRUE;
            },
            0);
    }

private:
    struct Step {
        Condition ready;
        Action action;
        std::string what;
    };

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        UiScript* script = s_current;
        if (!script || script->m_busy)
            return;
        script->m_busy = true;
        script->Run();
        script->m_busy = false;
    }

    void Run()
    {
        // Each step acts once; an action may open a loop of its own, which
        // keeps the timer ticking for the steps after it.
        while (m_next < m_steps.size() && m_steps[m_next].ready()) {
            Step& step = m_steps[m_next++];
            m_busy = false;
            step.action();
            m_busy = true;
            m_start = GetTickCount();
        }
        if (m_next < m_steps.size() && GetTickCount() - m_start > m_bound) {
            m_failure = "timed out waiting for: " + m_steps[m_next].what;
            m_next = m_steps.size();
            CloseThreadDialogs();
        }
        if (Done())
            Stop();
    }

    std::vector<Step> m_steps;
    size_t m_next = 0;
    DWORD m_bound;
    DWORD m_start = 0;
    UINT_PTR m_timer = 0;
    bool m_busy = false;
    std::string m_failure;
    static inline UiScript* s_current = nullptr;
};

// The tooltip of the whole user interface: one topmost popup that polls the
// window under the cursor through a registered message and shows its hint
// after a delay, for a limited time, following the mouse. Windows that do not
// answer the message can have a hint registered for them instead. UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/CWnd.h"
#include "foundation/DProps.h"

// Overrides of the hint window's defaults, for the whole window or one hint.
struct ICHintSettings {
    long showDelay = -1;    // ms; negative keeps the default
    long displayTime = -1;  // ms; negative keeps the default, below 1: no limit
    HFONT headFont = nullptr;
    HFONT textFont = nullptr;
};

// What a window is asked with (lParam of the hint message) and fills in.
struct ICHintInfo {
    HWND window = nullptr;
    DProps data;                           // "head", "text", "dyna"
    DWORD showTime = 0;                    // tick count; 0: not pending
    DWORD hideTime = 0;                    // tick count; 0: never
    POINT point = {0, 0};                  // cursor in the window's client coordinates
    const ICHintSettings* settings = nullptr;
};

class ICHint : public CWnd {
public:
    // The timer the owner starts to make the hint poll.
    static constexpr UINT_PTR TimerId = 1;
    // wParam of every query.
    static constexpr WPARAM QueryParam = 1;
    // Longer hints are cut to their first 193 characters and "...".
    static constexpr size_t MaxHintText = 196;

    ICHint(HWND parent, const ICHintSettings* settings);
    ~ICHint() override;

    // A new hint window; the caller deletes it, which destroys the popup.
    static ICHint* Create(HWND parent, const ICHintSettings* settings);

    // The hint message number of the process; 0 until the first hint window
    // exists.
    static UINT GetHintMessage();

    // A control's answer to a query: the text (cut when too long) with an
    // empty head. Returns what the control answers: 1 for a text, else 0.
    static LRESULT AnswerHint(ICHintInfo* record, const char* text);
    // Registers a hint text for a window that does not answer queries; a text
    // "$" + decimal handle makes that window supply the text when asked.
    static bool SetWindowHint(HWND window, const char* text);
    // Forgets the registered hints of windows that no longer exist.
    static void PurgeWindowHints();
    // The registered hint of a window, empty when none.
    static std::string GetWindowHint(HWND window);

    // What the owner does to start it: polling on and the timer (TimerId)
    // every interval ms.
    void Enable(UINT interval);
    // One poll, as the timer runs it.
    void Poll();

    bool IsEnabled() const { return m_enabled; }
    bool IsShown() const { return m_shown; }
    const ICHintInfo& GetCurrent() const { return m_current; }
    // The measured popup size (at the origin).
    RECT GetLayout() const { return m_rcWindow; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The text as it is shown: cut to 193 characters and "..." beyond 196.
    static std::string CutHintText(const std::string& text);

private:
    void Probe(bool& hit);
    bool AskRegistry();
    void Measure();
    void Show();
    void Hide();
    void Position(bool redraw);
    void Paint();
    long ShowDelay() const;
    long DisplayTime() const;
    HFONT HeadFont() const;
    HFONT TextFont() const;

    WPARAM m_queryParam = QueryParam;
    bool m_enabled = false;
    bool m_shown = false;
    COLORREF m_background = 0xF0FFFF;
    long m_x = 0;
    long m_y = 0;
    RECT m_rcWindow = {0, 0, 0, 0};
    RECT m_rcHead = {0, 0, 0, 0};
    RECT m_rcText = {0, 0, 0, 0};
    ICHintInfo m_current;
    ICHintSettings m_defaults;
    UINT_PTR m_timer = 0;
    ICHintInfo m_probe;
};

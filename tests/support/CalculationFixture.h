// What the calculation tests share: a hidden window that records the messages
// it receives, a bounded wait that keeps this thread's messages flowing, and a
// material whose solver follows a script (so a stop can be made to land in a
// chosen pass) while everything else, the threads included, is real.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "document/DCSProject.h"
#include "engine/Solver.h"
#include "foundation/WindowMessages.h"
#include "support/PropsTestHelpers.h"

// Serves this thread's messages until done() holds; false when it did not
// within limitMs.
inline bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 60000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start > limitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// A message-only window of this thread that keeps every message at or above
// WM_USER (which includes the registered ones).
class MessageWindow {
public:
    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    MessageWindow()
    {
        static const bool registered = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"BravikCalculationTestWindow";
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        m_hwnd = CreateWindowExW(0, L"BravikCalculationTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Destroys the window early, so later sends find none.
    void Destroy()
    {
        DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }

    std::vector<Received> Messages(UINT message) const
    {
        std::vector<Received> out;
        for (const Received& r : m_received)
            if (r.message == message)
                out.push_back(r);
        return out;
    }
    size_t Count(UINT message) const { return Messages(message).size(); }
    // Called for every kept message as it arrives, on this thread.
    std::function<void(const Received&)> onReceive;
    // Waits (serving messages) for the n-th message of that kind.
    bool WaitFor(UINT message, size_t n = 1) { return PumpUntil([&] { return Count(message) >= n; }); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message >= WM_USER) {
            self->m_received.push_back({message, wParam, lParam});
            if (self->onReceive)
                self->onReceive(self->m_received.back());
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND m_hwnd = nullptr;
    std::vector<Received> m_received;
};

// One pass of the scripted solver.
struct PassScript {
    bool succeed = true;
    double usedLength = 6000.0;
    double cmu = 90.0;
    double cost = 10.0;
    long shifts = 1;
    double unplacedLength = 0.0;   // with unplacedCount, parts left unplaced
    long unplacedCount = 0;
    bool block = false;            // publish progress, then wait for the stop flag
    bool holdAfterStop = false;    // once stopped, wait for the test's release
};

// What the solver of the last calculation saw, written by the calculation
// thread and read by the test once that thread has ended (or through the
// flags below).
struct SolverLog {
    void Clear()
    {
        inputs.clear();
        options.clear();
        blockedInPass = 0;
        sawStop = false;
        release = false;
    }

    std::vector<CUTTING::Layout> inputs;
    std::vector<DProps> options;
    std::atomic<int> blockedInPass{0};   // the pass (1-based) that blocks
    std::atomic<bool> sawStop{false};
    std::atomic<bool> release{false};
};

class ScriptedSolver : public Solver {
public:
    ScriptedSolver(const std::vector<PassScript>& script, SolverLog& log) : m_script(script), m_log(log) {}

    bool Solve(CUTTING::Layout& layout, DProps& options, const StopFlag* stop) override
    {
        m_log.inputs.push_back(layout);
        m_log.options.push_back(options);
        const size_t call = ++m_calls;
        const PassScript& s = m_script.at(std::min(call, m_script.size()) - 1);
        {
            DAutoLock guard(&m_status.GetLock());
            m_status.SetLong("progress", 50);
            m_status.SetLong("piece.done", 120);
            m_status.SetLong("piece.need", 200);
        }
        if (s.block) {
            m_log.blockedInPass = static_cast<int>(call);
            const DWORD start = GetTickCount();
            while (stop->load() == 0 && GetTickCount() - start < 60000)
                Sleep(1);
            m_log.sawStop = true;
            while (s.holdAfterStop && !m_log.release.load() && GetTickCount() - start < 120000)
                Sleep(1);
            options.SetLong("status", kSolverStopped);
            return false;
        }
        // A solver replaces what the last pass left in the layout.
        layout.cuttings.clear();
        layout.orphans.clear();
        CUTTING::Blank pattern(1, 6000.0, 1);
        pattern.pieces.push_back(layout.pieces.empty() ? CUTTING::Piece(1, 1000.0, 1) : layout.pieces[0]);
        layout.cuttings.push_back(pattern);
        layout.props.SetDouble("used.len", s.usedLength, "%.5f");
        layout.props.SetDouble("cmu", s.cmu, "%.5f");
        layout.props.SetDouble("cost", s.cost, "%.5f");
        layout.props.SetLong("shifts", s.shifts);
        layout.props.SetLong("used", 1);
        layout.props.SetLong("pieces", 1);
        // The solver's own word, which the material must not keep.
        layout.props.Set("status", "0");
        if (s.unplacedCount > 0)
            layout.orphans.push_back(CUTTING::Piece(99, s.unplacedLength, s.unplacedCount));
        options.SetLong("status", s.unplacedCount > 0 ? kSolverPartsLeft : kSolverAllPlaced);
        return s.succeed;
    }

private:
    std::vector<PassScript> m_script;
    SolverLog& m_log;
    size_t m_calls = 0;
};

class ScriptedMaterial : public DCSProject {
public:
    std::vector<PassScript> script{PassScript()};
    SolverLog log;

    // The solver reads the script and the log, which go before the base
    // would stop the thread.
    ~ScriptedMaterial() override { StopAndWait(); }

protected:
    // On the calculation thread, before its first pass.
    Solver* CreateSolver() override
    {
        log.Clear();
        return new ScriptedSolver(script, log);
    }
};

// Stock and part rows of a material that the tests can calculate.
inline void AddOrder(DCSProject& material, std::initializer_list<std::pair<const char*, const char*>> stock,
                     std::initializer_list<std::pair<const char*, const char*>> parts, const char* knife = "0")
{
    PropsList blanks, pieces;
    for (const auto& s : stock)
        blanks.push_back(RowOf({{"length", s.first}, {"quantity", s.second}, {"knife", knife}}));
    for (const auto& p : parts)
        pieces.push_back(RowOf({{"length", p.first}, {"quantity", p.second}}));
    material.AppendRows(blanks, 1);
    material.AppendRows(pieces, 2);
}

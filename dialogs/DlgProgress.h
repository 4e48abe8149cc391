// The modal progress dialogs of a calculation: the UI thread waits in them
// while the work runs on worker threads, sees its progress once a second and
// may stop it. DlgProgress runs the current material's calculation,
// DlgProgress2 a processor task (all active materials at once).
#pragma once

#include <windows.h>

#include <cstdint>

#include "dialogs/DlgFrame.h"

class DCSProject;
class DProcessor;

// What the two dialogs share: texts, the bar, the once-a-second tick that
// ends the dialog after the work has reported its end, Break, Enter doing
// nothing and the minimise rule.
class DlgProgressBase : public DlgFrame {
public:
    static constexpr UINT_PTR TimerId = 1;
    static constexpr UINT TimerPeriod = 1000;

    ~DlgProgressBase() override;

    // The work has reported its end.
    bool IsDone() const { return m_done != 0; }
    // Break has been handled.
    bool IsCancelled() const { return m_cancelled != 0; }

protected:
    explicit DlgProgressBase(CWnd* parent);

    BOOL OnInitDialog() override;
    // Enter must not close the dialog while the work runs.
    void OnOK() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    const CMessageMap* GetMessageMap() const override;

    // Starts the work with this dialog as the window it reports to. False
    // when nothing started: no end will ever be reported.
    virtual bool StartWork() = 0;
    // Renews the bar and the status text from the work.
    virtual void ShowProgress() = 0;

    void SetBarPosition(long position);
    void SetStatusText(const std::string& text);
    // Disables the dialog and the Break button (only what is still enabled)
    // and repaints them at once, so the press shows before the stop's wait.
    void DisableForStop();

    uint8_t m_done = 0;
    uint8_t m_cancelled = 0;
    // A stop is waiting for the work; the tick does not end the dialog then.
    uint8_t m_stopping = 0;
    UINT_PTR m_timer = 0;
    HWND m_bar = nullptr;

private:
    LRESULT OnTimerMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeMinimise(WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColorDefault(WPARAM wParam, LPARAM lParam);
};

// The calculation of the project's current material. Ends with 1 when the
// calculation ended by itself and with 0 when it was stopped or could not
// start. The material's thread reports with WM_USER: wParam
// kCalculationFinished (lParam 1 when the material has solutions) or
// kCalculationStopRequested.
class DlgProgress : public DlgProgressBase {
public:
    explicit DlgProgress(CWnd* parent);

    // The material the dialog runs: the current one when it opened, none
    // when the project had none.
    DCSProject* GetMaterial() const { return m_material; }

protected:
    // Break, Escape, the close box and a stop request.
    void OnCancel() override;
    const CMessageMap* GetMessageMap() const override;
    bool StartWork() override;
    void ShowProgress() override;

private:
    LRESULT OnCalculationMessage(WPARAM wParam, LPARAM lParam);

    DCSProject* m_material = nullptr;
};

// A processor task handed in by the opener before the modal loop (the
// dialog does not own it). Ends with 1 when the task finished by itself and
// with 0 when it was stopped or did not start. The task reports its end with
// "KORV.DProcessor.NOTIFY", wParam ProcessorFinished.
class DlgProgress2 : public DlgProgressBase {
public:
    explicit DlgProgress2(CWnd* parent);

    void SetTask(DProcessor* task) { m_task = task; }
    DProcessor* GetTask() const { return m_task; }

protected:
    // Break, Escape and the close box.
    void OnCancel() override;
    const CMessageMap* GetMessageMap() const override;
    bool StartWork() override;
    void ShowProgress() override;

private:
    LRESULT OnProcessorNotify(WPARAM wParam, LPARAM lParam);
    // The task's "progress" as a position of the bar.
    long TaskProgress() const;

    DProcessor* m_task = nullptr;
};

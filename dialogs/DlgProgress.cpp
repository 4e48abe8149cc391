#include "dialogs/DlgProgress.h"

#include <commctrl.h>

#include "appsvc/BusyCursorScope.h"
#include "appsvc/OXRApp.h"
#include "dialogs/DialogIds.h"
#include "document/AppEvents.h"
#include "document/DCSProject.h"
#include "document/DProcessor.h"
#include "foundation/WindowMessages.h"

namespace {

void RaiseEvent(long code, long argument, const void* sender)
{
    if (OXRApp* app = GetApp())
        app->OnAppEvent(code, argument, sender);
}

long ClampPercent(long value)
{
    return value < 0 ? 0 : (value > 100 ? 100 : value);
}

} // namespace

// ---- What both dialogs share ----------------------------------------------------------

DlgProgressBase::DlgProgressBase(CWnd* parent) : DlgFrame(IDD_PROGRESS, parent, "dialog.progress") {}

DlgProgressBase::~DlgProgressBase()
{
    if (m_timer && IsWindow())
        KillTimer(m_timer);
    m_timer = 0;
}

BOOL DlgProgressBase::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    ::SetWindowTextA(m_hWnd, Text("title", "Processing cutting...").c_str());
    SetFont(IDC_PROGRESS_BREAK, "body");
    SetItemText(IDC_PROGRESS_BREAK, Text("break", "Break"));
    SetFont(IDC_PROGRESS_STATUS, "text");
    m_bar = GetDlgItem(IDC_PROGRESS_BAR);
    if (m_bar)
        ::SendMessageA(m_bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SetBarPosition(1);
    m_done = 0;
    m_cancelled = 0;
    m_stopping = 0;
    if (!StartWork()) {
        // Nothing runs, so no end will be reported: waiting for one would
        // keep the user (or a script) in this dialog for good.
        m_done = 1;
        m_cancelled = 1;
        EndDialog(Cancelled);
        return FALSE;
    }
    m_timer = SetTimer(TimerId, TimerPeriod);
    OXRApp* app = GetApp();
    if (app && app->IsAutomation())
        ShowWindow(SW_HIDE);
    return FALSE;
}

BOOL DlgProgressBase::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_PROGRESS_BREAK)
        OnCancel();
    return DlgFrame::OnCommand(wParam, lParam);
}

void DlgProgressBase::SetBarPosition(long position)
{
    if (m_bar)
        ::SendMessageA(m_bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void DlgProgressBase::SetStatusText(const std::string& text)
{
    // Only a changed text is set, so the line does not flicker every second.
    if (HWND status = GetDlgItem(IDC_PROGRESS_STATUS))
        WinSetText(text.c_str(), status, false, true);
}

void DlgProgressBase::DisableForStop()
{
    const UINT redraw = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME;
    for (HWND window : {m_hWnd, GetDlgItem(IDC_PROGRESS_BREAK)}) {
        if (window && ::IsWindowEnabled(window)) {
            ::EnableWindow(window, FALSE);
            ::RedrawWindow(window, nullptr, nullptr, redraw);
        }
    }
}

const CMessageMap* DlgProgressBase::GetMessageMap() const
{
    static const CMessageMapOf<DlgProgressBase> map =
        CMessageMapOf<DlgProgressBase>(DlgFrame::GetMessageMap())
            .On(WM_TIMER, &DlgProgressBase::OnTimerMsg)
            .On(WM_SIZE, &DlgProgressBase::OnSizeMinimise)
            .On(WM_CTLCOLORSTATIC, &DlgProgressBase::OnCtlColorDefault);
    return &map;
}

LRESULT DlgProgressBase::OnTimerMsg(WPARAM wParam, LPARAM)
{
    if (wParam != TimerId || !IsWindow())
        return Default();
    if (HWND button = GetDlgItem(IDC_PROGRESS_BREAK))
        WinSetText(Text("break", "Break").c_str(), button, false, true);
    ShowProgress();
    // While a stop waits for the work, its end message may already have come
    // in; the dialog closes once the stop is through, as a stopped run.
    if (m_done && !m_stopping) {
        KillTimer(m_timer);
        m_timer = 0;
        EndDialog(m_cancelled ? Cancelled : Accepted);
    }
    return 0;
}

LRESULT DlgProgressBase::OnSizeMinimise(WPARAM wParam, LPARAM)
{
    const LRESULT result = Default();
    if (wParam == SIZE_MINIMIZED) {
        OXRApp* app = GetApp();
        if (HWND main = app ? app->GetMainHwnd() : nullptr)
            ::ShowWindow(main, SW_MINIMIZE);
    }
    return result;
}

LRESULT DlgProgressBase::OnCtlColorDefault(WPARAM, LPARAM)
{
    return Default();
}

// ---- One material ----------------------------------------------------------------------------

DlgProgress::DlgProgress(CWnd* parent) : DlgProgressBase(parent) {}

bool DlgProgress::StartWork()
{
    OXRApp* app = GetApp();
    m_material = app ? app->Document().GetProject(-1, false) : nullptr;
    if (!m_material)
        return false;
    m_material->UpdatePayload();
    return m_material->Calculate(m_hWnd);
}

void DlgProgress::ShowProgress()
{
    if (!m_material)
        return;
    SetBarPosition(m_material->GetProgress());
    SetStatusText(m_material->GetStatusText());
}

void DlgProgress::OnCancel()
{
    {
        BusyCursorScope busy;
        DisableForStop();
        m_stopping = 1;
        // Serves messages while it waits, so the thread's end message gets
        // through and sets the done flag.
        if (m_material)
            m_material->StopAndWait();
        m_stopping = 0;
    }
    m_cancelled = 1;
}

const CMessageMap* DlgProgress::GetMessageMap() const
{
    static const CMessageMapOf<DlgProgress> map =
        CMessageMapOf<DlgProgress>(DlgProgressBase::GetMessageMap()).On(WM_USER, &DlgProgress::OnCalculationMessage);
    return &map;
}

LRESULT DlgProgress::OnCalculationMessage(WPARAM wParam, LPARAM lParam)
{
    if (wParam == kCalculationFinished) {
        if (m_material)
            SetBarPosition(m_material->GetProgress());
        // The final position stays in sight a moment; the thread waits for
        // this answer meanwhile.
        ::Sleep(200);
        m_done = 1;
        if (lParam == 0)
            RaiseEvent(kEventCalculationFinished, 0, this);
        return 0;
    }
    if (wParam == kCalculationStopRequested) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BREAK, BN_CLICKED), 0);
        return 0;
    }
    return Default();
}

// ---- A processor task ------------------------------------------------------------------------

DlgProgress2::DlgProgress2(CWnd* parent) : DlgProgressBase(parent) {}

long DlgProgress2::TaskProgress() const
{
    return m_task ? ClampPercent(DProps::GetLong(m_task->m_props, "progress", 0)) : 0;
}

bool DlgProgress2::StartWork()
{
    if (!m_task || !m_task->Start(m_hWnd))
        return false;
    SetBarPosition(TaskProgress());
    return true;
}

void DlgProgress2::ShowProgress()
{
    if (!m_task)
        return;
    SetBarPosition(TaskProgress());
    SetStatusText(DProps::GetString(m_task->m_props, "status", ""));
}

void DlgProgress2::OnCancel()
{
    m_cancelled = 1;
    BusyCursorScope busy;
    DisableForStop();
    m_stopping = 1;
    if (m_task)
        m_task->Stop(true);
    m_stopping = 0;
}

const CMessageMap* DlgProgress2::GetMessageMap() const
{
    static const CMessageMapOf<DlgProgress2> map =
        CMessageMapOf<DlgProgress2>(DlgProgressBase::GetMessageMap())
            .On(GetProcessorNotifyMessage(), &DlgProgress2::OnProcessorNotify);
    return &map;
}

LRESULT DlgProgress2::OnProcessorNotify(WPARAM wParam, LPARAM)
{
    if (wParam != ProcessorFinished)
        return 0;
    m_done = 1;
    RaiseEvent(kEventCalculationFinished, 1, this);
    return 0;
}

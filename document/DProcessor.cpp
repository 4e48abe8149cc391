// The calculation supervisor: every active material on its own thread, their
// progress combined by the size of their work, one notification at the end.
#include "document/DProcessor.h"

#include <cstdlib>

#include "document/DAppServices.h"
#include "document/DCSSolution.h"
#include "foundation/StrUtil.h"

UINT GetProcessorNotifyMessage()
{
    static const UINT message = RegisterWindowMessageA("KORV.DProcessor.NOTIFY");
    return message;
}

// ---- DProcessor -------------------------------------------------------------------------

DProcessor::DProcessor()
{
    m_props.Set("sleep", "1000");
}

DProcessor::~DProcessor() = default;

bool DProcessor::Start(HWND window)
{
    (void)window;
    return false;
}

bool DProcessor::Stop(bool notify)
{
    (void)notify;
    return false;
}

// ---- OXRProcessor -------------------------------------------------------------------------

OXRProcessor::OXRProcessor(DCSSolution* document) : m_document(document) {}

OXRProcessor::~OXRProcessor()
{
    DThread::StopAndWait();
}

std::string OXRProcessor::Text(const char* key, const char* def) const
{
    return SectionText(m_texts, key, def);
}

template <class F>
void OXRProcessor::ForMaterials(bool activeOnly, F f)
{
    if (GetCurrentThreadId() == m_runThread.load()) {
        for (DCSProject* material : activeOnly ? m_active : m_all)
            f(*material);
        return;
    }
    if (!m_document)
        return;
    const long count = m_document->GetCount(activeOnly);
    for (long i = 0; i < count; ++i) {
        if (DCSProject* material = m_document->GetProject(i, activeOnly))
            f(*material);
    }
}

bool OXRProcessor::Start(HWND window)
{
    // The run in progress keeps its window, its flags and its texts.
    if (IsRunning())
        return false;
    m_stopped = false;
    DAppServices* app = GetAppServices();
    m_language = app->GetLanguage();
    app->GetLocaleSection("processor", m_texts);
    m_window = (window && IsWindow(window)) ? window : nullptr;
    m_all.clear();
    m_active.clear();
    ForMaterials(false, [this](DCSProject& material) { m_all.push_back(&material); });
    ForMaterials(true, [this](DCSProject& material) { m_active.push_back(&material); });
    m_props.Set("progress", "1");
    m_props.Set("status", Text("initializing", "Initializing...").c_str());
    return DThread::Start(THREAD_PRIORITY_NORMAL);
}

bool OXRProcessor::Stop(bool notify)
{
    (void)notify;
    {
        // The supervisor starts the materials under this lock: the stop
        // either finds them all started or keeps every one from starting.
        DAutoLock guard(&m_lock);
        m_stopped = true;
    }
    DAppServices* app = GetAppServices();
    const std::string stopping = app->GetLocaleText("globals", "project.stop", "Suspending calculations...") +
                                 "\r\n" + app->GetLocaleText("globals", "wait", "Please wait...");
    m_props.Set("status", stopping.c_str());
    ForMaterials(false, [](DCSProject& material) { material.StopAndWait(); });
    m_props.Set("status", app->GetLocaleText("globals", "stopped", "Calculations suspended.").c_str());
    return true;
}

void OXRProcessor::PublishProgress()
{
    const long long total = m_payload.load();
    if (total == 0)
        return;
    double weighted = 0.0;
    ForMaterials(true, [&weighted](DCSProject& material) {
        weighted += material.GetProgress() / 100.0 * static_cast<double>(material.GetPayload());
    });
    long percent = RoundToLong(weighted * 100.0 / static_cast<double>(total));
    if (percent < 1)
        percent = 1;
    if (percent > 99)
        percent = 99;
    m_props.SetLong("progress", percent);
    std::string status;
    StrFormat(status, "%s (%ld%% %s)", Text("processing", "Processing").c_str(), percent,
              Text("done", "done").c_str());
    m_props.Set("status", status.c_str());
}

int32_t OXRProcessor::Run()
{
    m_running = true;
    m_result = 0;
    m_threadId = GetCurrentThreadId();
    m_runThread = GetCurrentThreadId();

    {
        DAutoLock guard(&m_lock);
        ForMaterials(true, [this](DCSProject& material) {
            if (m_stopped.load() || material.IsRunning())
                return;
            material.CalculateUnattended();
        });
    }

    m_payload = 0;
    long running = 1;   // so the loop waits one period before it may end
    while (IsRunning() && !IsCancelled()) {
        if (m_payload.load() != 0 && !m_stopped.load())
            PublishProgress();
        ForMaterials(true, [&running](DCSProject& material) { running += material.IsRunning() ? 1 : 0; });
        if (running == 0)
            break;
        running = 0;
        Wait(atoi(m_props.Get("sleep", "")), 1);
        PumpMessage(false);
        if (m_payload.load() == 0) {
            long long total = 0;
            ForMaterials(true, [&total](DCSProject& material) {
                material.UpdatePayload();
                total += material.GetPayload();
            });
            m_payload = total;
        }
    }

    ForMaterials(false, [](DCSProject& material) { material.Stop(); });

    m_result = 0;
    // Sent while the supervisor still counts as running, so that a Start from
    // the window's handler is refused rather than waiting for this thread.
    HWND window = m_window;
    if (window && IsWindow(window))
        SendMessageW(window, GetProcessorNotifyMessage(), ProcessorFinished,
                     reinterpret_cast<LPARAM>(static_cast<DProcessor*>(this)));
    m_runThread = 0;
    m_cancel = false;
    m_running = false;
    return 0;
}

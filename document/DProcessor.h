// Supervisors of work that runs on several threads at once. DProcessor is the
// part a progress dialog drives: a window to notify and a bag it polls.
// OXRProcessor calculates every active material of the project together.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/DProps.h"
#include "foundation/DThread.h"
#include "foundation/WindowMessages.h"

class DCSSolution;

// The registered message "KORV.DProcessor.NOTIFY" through which a processor
// tells its window that it has finished: wParam ProcessorFinished, lParam the
// processor (a DProcessor*).
UINT GetProcessorNotifyMessage();

class DProcessor {
public:
    DProcessor();
    virtual ~DProcessor();

    DProcessor(const DProcessor&) = delete;
    DProcessor& operator=(const DProcessor&) = delete;

    // The base starts nothing and stops nothing: both return false.
    virtual bool Start(HWND window);
    virtual bool Stop(bool notify);

    HWND m_window = nullptr;   // receives the notification; null when none
    DProps m_props;            // "sleep" (polling period, ms), "progress", "status"
};

class DCSProject;

class OXRProcessor : public DProcessor, public DThread {
public:
    explicit OXRProcessor(DCSSolution* document = nullptr);
    // The body reads the document and the bag: it ends before they may go.
    ~OXRProcessor() override;

    // The project whose materials are calculated; the caller keeps it alive
    // for as long as this processor may run.
    void SetDocument(DCSSolution* document) { m_document = document; }
    DCSSolution* GetDocument() const { return m_document; }

    // Starts the supervisor thread for window. False, changing nothing, while
    // a run is still going, and false when the thread could not be made (no
    // notification will come then).
    bool Start(HWND window) override;
    // Stops every material of the project and waits for each (serving this
    // thread's messages); the supervisor then ends by itself. Always true.
    bool Stop(bool notify) override;
    int32_t Run() override;

    // True after Stop, until the next Start.
    bool IsStopped() const { return m_stopped.load(); }

    // One publication of the combined progress: each active material's
    // percentage weighted by its payload, over the total payload, kept within
    // 1..99, with the status line that shows it. Nothing while the total is 0.
    void PublishProgress();

    std::atomic<long long> m_payload{0};   // total payload of the run; 0 until taken
    std::string m_language;                // the application's language at the last start
    DProps m_texts;                        // the locale section "processor" at the last start

private:
    // A text of the section "processor", def when it has none.
    std::string Text(const char* key, const char* def) const;
    // Calls f for every material of the project, or only for the active ones.
    template <class F>
    void ForMaterials(bool activeOnly, F f);

    DCSSolution* m_document;
    std::atomic<bool> m_stopped{false};
    // The project's materials and its active ones as Start found them: the
    // supervisor's thread walks these, never the document, whose materials
    // and their properties are the UI thread's to read.
    std::vector<DCSProject*> m_all;
    std::vector<DCSProject*> m_active;
    std::atomic<uint32_t> m_runThread{0};   // the thread running Run, 0 when none
};

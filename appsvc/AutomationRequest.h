// A script's calculation of the current material, which goes on after the
// command that started it has returned. The application holds it, the
// results page completes it, and its answer waits here until the runner's
// step collects it into its own record: nobody writes into a record that
// may be gone. UI thread only.
#pragma once

#include "foundation/DProps.h"

class DAutomationRequest {
public:
    // A calculation has started; an answer nobody collected goes.
    void Begin();
    bool IsPending() const { return m_pending; }
    // Why the calculation ended without a solution ("\error"); nothing when
    // none is pending.
    void SetError(const char* why);
    bool HasError() const;
    // "\res": "0" when a solution was applied, else "1"; the request is no
    // longer pending. Nothing when none is pending.
    void Complete(bool applied);
    // No request and no answer.
    void Clear();
    // What has been said so far goes into record ("\error" once known,
    // "\res" once complete). True when the request was complete: the answer
    // has then been handed over and is gone from here.
    bool Collect(DProps& record);

private:
    bool m_pending = false;
    // "\error", then "\res", in the order they were given.
    DProps m_answer;
};

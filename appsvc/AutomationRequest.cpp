#include "appsvc/AutomationRequest.h"

namespace {

const char* const kResultKey = "\\res";
const char* const kErrorKey = "\\error";

} // namespace

void DAutomationRequest::Begin()
{
    m_answer.Clear();
    m_pending = true;
}

void DAutomationRequest::SetError(const char* why)
{
    if (m_pending)
        m_answer.Set(kErrorKey, why);
}

bool DAutomationRequest::HasError() const
{
    return m_answer.IndexOf(kErrorKey) >= 0;
}

void DAutomationRequest::Complete(bool applied)
{
    if (!m_pending)
        return;
    m_answer.Set(kResultKey, applied ? "0" : "1");
    m_pending = false;
}

void DAutomationRequest::Clear()
{
    m_answer.Clear();
    m_pending = false;
}

bool DAutomationRequest::Collect(DProps& record)
{
    for (int i = 0; i < m_answer.Count(); ++i)
        record.Set(m_answer.GetKeyAt(i), m_answer.GetValueAt(i));
    const bool complete = !m_pending && m_answer.IndexOf(kResultKey) >= 0;
    if (complete)
        m_answer.Clear();
    return complete;
}

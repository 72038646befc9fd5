#include "engine/CAutoResetEvent.h"

void CAutoResetEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_bSet = true;
    }
    m_condition.notify_one();
}

void CAutoResetEvent::Wait()
{
    std::unique_lock lock(m_mutex);
    m_condition.wait(lock, [this] { return m_bSet; });
    m_bSet = false;
}

bool CAutoResetEvent::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_condition.wait_for(lock, timeout, [this] { return m_bSet; }))
        return false;
    m_bSet = false;
    return true;
}

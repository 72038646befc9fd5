#include "cd/CManualEvent.h"

#include <chrono>

void CManualEvent::Set()
{
    {
        std::lock_guard lock(m_mutex);
        m_bSet = true;
    }
    m_changed.notify_all();
}

void CManualEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_bSet = false;
}

bool CManualEvent::Wait(int milliseconds)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_bSet; });
}

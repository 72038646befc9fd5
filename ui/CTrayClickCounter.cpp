#include "ui/CTrayClickCounter.h"

#include <algorithm>

CTrayClickCounter::CTrayClickCounter(ITrayTimer &timer, int doubleClickMs)
    : m_timer(timer), m_nDoubleClickMs(std::max(doubleClickMs, kMinimumDoubleClickMs))
{
}

void CTrayClickCounter::OnButtonDown()
{
    ++m_nClicks;
    if (!m_bTimerPending) {
        m_timer.Start(m_nDoubleClickMs);
        m_bTimerPending = true;
    }
}

void CTrayClickCounter::OnDoubleClick() { ++m_nClicks; }

int CTrayClickCounter::OnTimerExpired(const std::array<int, 4> &clicks)
{
    m_timer.Stop();
    if (m_nClicks > 2 && !m_bExtendedWait && (clicks[2] != 0 || clicks[3] != 0)) {
        m_timer.Start(m_nDoubleClickMs / 2);
        m_bTimerPending = true;
        m_bExtendedWait = true;
        return kStillWaiting;
    }
    int action = kActionNone;
    if (m_nClicks > 0) {
        const int setting = clicks[static_cast<std::size_t>(std::min(m_nClicks, 4) - 1)];
        action = setting >= kActionPlayPause && setting <= kActionInformation ? setting : kActionNone;
    }
    Reset();
    return action;
}

void CTrayClickCounter::Reset()
{
    if (m_bTimerPending)
        m_timer.Stop();
    m_nClicks = 0;
    m_bTimerPending = false;
    m_bExtendedWait = false;
}

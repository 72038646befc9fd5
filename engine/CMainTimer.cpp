#include "engine/CMainTimer.h"

#include <QCoreApplication>
#include <QEvent>

#include <algorithm>

CMainTimer::CMainTimer(QObject &receiver) : m_receiver(receiver)
{
    m_pause.setSingleShot(true);
    m_pause.setTimerType(Qt::PreciseTimer);
    // When the pause ends the tick is delivered at once: posting it would wake the event loop for one
    // more pass, 50 times a second.
    QObject::connect(&m_pause, &QTimer::timeout, this, [this] { PostTick(Delivery::Now); });
}

CMainTimer::~CMainTimer()
{
    StopMainTimer();
}

bool CMainTimer::StartMainTimer()
{
    if (m_bRunning)
        return false;
    m_bRunning = true;
    m_sinceTick.invalidate();
    PostTick(Delivery::Queued);
    return true;
}

void CMainTimer::StopMainTimer()
{
    m_bRunning = false;
    m_pause.stop();
}

void CMainTimer::TickDone()
{
    if (!m_bRunning || m_pause.isActive())
        return;
    m_pause.start(m_pace == ETickPace::Idle ? kIdlePauseMs : m_pace == ETickPace::Steady ? kSteadyPauseMs : kTickPauseMs);
}

void CMainTimer::Hurry()
{
    m_pace = ETickPace::Fast;
    if (m_bRunning && m_pause.isActive() && m_pause.interval() > kTickPauseMs) {
        m_pause.stop();
        PostTick(Delivery::Queued);
    }
}

void CMainTimer::PostTick(Delivery delivery)
{
    if (!m_bRunning)
        return;
    // After a slower pause a tick stands for the fast ticks that would have come meanwhile, so the
    // receiver's counters (twice a second, once a second) keep their pace; at the fast pace a busy
    // receiver slows everything down, as it always has.
    const bool afterSlowPause = m_pause.interval() > kTickPauseMs;
    const qint64 ms = m_sinceTick.isValid() ? m_sinceTick.restart() : (m_sinceTick.start(), qint64{kTickPauseMs});
    m_nTicksElapsed =
        afterSlowPause ? std::clamp(static_cast<int>((ms + kTickPauseMs / 2) / kTickPauseMs), 1, kIdlePauseMs / kTickPauseMs)
                       : 1;
    const auto type = static_cast<QEvent::Type>(kTickEventType);
    if (delivery == Delivery::Now) {
        QEvent tick(type);
        QCoreApplication::sendEvent(&m_receiver, &tick);
    } else {
        QCoreApplication::postEvent(&m_receiver, new QEvent(type));
    }
}

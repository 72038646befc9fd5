#include "engine/CMainTimer.h"

#include <QCoreApplication>
#include <QEvent>

#include <chrono>
#include <system_error>

CMainTimer::CMainTimer(QObject &receiver) : m_receiver(receiver) {}

CMainTimer::~CMainTimer()
{
    StopMainTimer();
}

bool CMainTimer::StartMainTimer()
{
    if (m_thread.joinable())
        return false;
    m_bRunning = 1;
    try {
        m_thread = std::thread([this] { MainTimerThread(); });
    } catch (const std::system_error &) {
        m_bRunning = 0;
        return false;
    }
    return true;
}

void CMainTimer::StopMainTimer()
{
    if (!m_thread.joinable())
        return;
    m_bRunning = 0;
    m_event.Set();
    for (int i = 0; i < 10 && m_bRunning == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The thread has left its loop or is about to: it waits on nothing but the event just set.
    m_thread.join();
    m_bRunning = 0;
}

void CMainTimer::MainTimerThread()
{
    while (m_bRunning != 0) {
        QCoreApplication::postEvent(&m_receiver, new QEvent(static_cast<QEvent::Type>(kTickEventType)));
        std::this_thread::sleep_for(std::chrono::milliseconds(kTickPauseMs));
        m_event.Wait();
    }
    m_bRunning = 1;
}

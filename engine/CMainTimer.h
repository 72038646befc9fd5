#pragma once
// The main timer of the player: a worker thread that posts the tick event (type 10603) to a receiver
// (the main frame), sleeps 20 ms and then waits until the receiver has run the tick and called
// TickDone. Ticks therefore never queue up: a busy user-interface thread slows the timer down.
//
// Threads: StartMainTimer, StopMainTimer and TickDone are called on the user-interface thread (the
// receiver's thread); MainTimerThread runs on its own thread and only posts, sleeps and waits.
//
// Stop handshake: StopMainTimer clears `running` and sets the event; the thread, leaving its loop,
// sets `running` back to 1 as its acknowledgement. StopMainTimer polls for that up to 10 times 10 ms
// and then joins the thread, so nothing of this object is used after it returns.

#include "engine/CAutoResetEvent.h"

#include <atomic>
#include <thread>

class QObject;

class CMainTimer {
public:
    static constexpr int kTickEventType = 10603; // 0x296B
    static constexpr int kTickPauseMs = 20;

    explicit CMainTimer(QObject &receiver);
    ~CMainTimer();
    CMainTimer(const CMainTimer &) = delete;
    CMainTimer &operator=(const CMainTimer &) = delete;

    // Starts the thread; false when it cannot be created or already runs.
    bool StartMainTimer();
    void StopMainTimer();
    // The receiver's tick handler calls this after OnTick: releases the thread for the next tick.
    void TickDone() { m_event.Set(); }
    bool IsStarted() const { return m_thread.joinable(); }

private:
    void MainTimerThread();

    QObject &m_receiver;
    CAutoResetEvent m_event;
    std::atomic<int> m_bRunning{0};
    std::thread m_thread;
};

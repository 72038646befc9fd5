#pragma once
// The main timer of the player: sends the tick event (type 10603) to a receiver (the main frame)
// and, once the receiver has run the tick and called TickDone, waits 20 ms before the next one.
// Ticks therefore never queue up: a busy user-interface thread slows the timer down.
//
// The pause is a single-shot precise Qt timer on the receiver's thread, so no thread of its own
// wakes between ticks. SetPace lengthens the pause while nothing needs the fast pace (to 100 ms while
// something plays that nothing on screen follows closely, to 500 ms while nothing plays or fades); the
// receiver then learns from TicksElapsed how many fast ticks one slower tick stands for.
//
// Threads: everything here on the user-interface thread (the receiver's thread).

#include "engine/ITickPace.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class CMainTimer : public QObject, public ITickPace {
public:
    static constexpr int kTickEventType = 10603; // 0x296B
    static constexpr int kTickPauseMs = 20;
    static constexpr int kSteadyPauseMs = 100;
    static constexpr int kIdlePauseMs = 500;

    explicit CMainTimer(QObject &receiver);
    ~CMainTimer() override;
    CMainTimer(const CMainTimer &) = delete;
    CMainTimer &operator=(const CMainTimer &) = delete;

    // Posts the first tick; false when the timer already runs.
    bool StartMainTimer();
    // No tick is posted after this returns (one already queued may still arrive).
    void StopMainTimer();
    // The receiver's tick handler calls this after OnTick: arms the pause before the next tick.
    void TickDone();
    bool IsStarted() const { return m_bRunning; }

    // The pace after the next TickDone.
    void SetPace(ETickPace pace) { m_pace = pace; }
    ETickPace Pace() const { return m_pace; }
    // How many fast ticks the tick being handled stands for: 1 at the fast pace, up to 25 after an
    // idle pause.
    int TicksElapsed() const { return m_nTicksElapsed; }
    // Ends a slower pause under way: the next tick is posted at once, at the fast pace.
    void Hurry() override;

private:
    // Queued where the caller may be inside a tick itself (the start, Hurry); at once when a pause ends.
    enum class Delivery { Queued, Now };
    void PostTick(Delivery delivery);

    QObject &m_receiver;
    QTimer m_pause;
    bool m_bRunning = false;
    ETickPace m_pace = ETickPace::Fast;
    int m_nTicksElapsed = 1;
    QElapsedTimer m_sinceTick;
};

#pragma once
// The one-shot timer (id 44) the tray click counter waits on. The window implementation wraps a
// QTimer and calls CTrayClickCounter::OnTimerExpired when it fires; tests fire it by hand.
//
// Threads: user-interface thread only.

class ITrayTimer {
public:
    virtual ~ITrayTimer() = default;

    static constexpr int kTimerId = 44;

    virtual void Start(int milliseconds) = 0; // (re)starts, replacing a pending run
    virtual void Stop() = 0;
};

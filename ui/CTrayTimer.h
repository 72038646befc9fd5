#pragma once
// The tray click timer (id 44) on a single-shot QTimer; `expired` runs when it fires.
//
// Threads: user-interface thread only.

#include "ui/ITrayTimer.h"

#include <QTimer>

#include <functional>

class CTrayTimer : public ITrayTimer {
public:
    explicit CTrayTimer(std::function<void()> expired);
    void Start(int milliseconds) override { m_timer.start(milliseconds); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

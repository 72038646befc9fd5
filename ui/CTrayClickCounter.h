#pragma once
// Counts clicks on the tray icon and decides, when the click timer expires, which of the four click
// actions (settings click1 to click4) to perform: 1 click -> click1, 2 -> click2, 3 -> click3, 4 or more
// -> click4. After three or more clicks the decision is put off once by half a double-click time when a
// triple or quadruple action is set, so that a fourth click can still arrive.
//
// Threads: user-interface thread only.

#include "ui/ITrayTimer.h"

#include <array>

class CTrayClickCounter {
public:
    // Tray click action codes, as the options page stores them.
    enum Action {
        kActionNone = 0,
        kActionPlayPause = 1,
        kActionStop = 2,
        kActionPrevious = 3,
        kActionNext = 4,
        kActionShowHide = 5,
        kActionInformation = 6,
    };
    static constexpr int kStillWaiting = -1;
    static constexpr int kMinimumDoubleClickMs = 250;

    // `doubleClickMs` is the desktop's double-click time; shorter values are raised to 250 ms.
    CTrayClickCounter(ITrayTimer &timer, int doubleClickMs);

    void OnButtonDown();
    void OnDoubleClick();
    // The action to perform now (0..6, values outside 1..6 in the settings give 0), or kStillWaiting
    // when the timer was restarted for the extended wait. `clicks` holds click1..click4.
    int OnTimerExpired(const std::array<int, 4> &clicks);
    // Forgets a sequence in progress (a modal dialog opened, the icon went away).
    void Reset();

    int ClickCount() const { return m_nClicks; }
    bool TimerPending() const { return m_bTimerPending; }
    int DoubleClickMs() const { return m_nDoubleClickMs; }

private:
    ITrayTimer &m_timer;
    int m_nDoubleClickMs;
    int m_nClicks = 0;
    bool m_bTimerPending = false;
    bool m_bExtendedWait = false;
};

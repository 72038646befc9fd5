#pragma once
// What the time counter shows: the shown whole seconds and the text built from them. The widget
// (CTimeCounter) redraws only when ShownSeconds changes.
//
// Modes: 0 elapsed, 1 remaining, 2 the target time while the position bar is dragged.
// Threads: user-interface thread only.

#include <string>

class CCounterState {
public:
    enum Mode { kElapsed = 0, kRemaining = 1, kTarget = 2 };
    static constexpr unsigned kMaxShownSeconds = 35999; // 9:59:59

    // Each returns true when the shown seconds changed.
    bool SetTime(unsigned ms);
    bool SetMode(int mode);
    bool SetLength(unsigned ms);
    // The time at x / width of the length becomes the shown target; returns that time in ms.
    unsigned SetFraction(int x, int width);
    void Reset();

    void SetActive(bool active) { m_bActive = active; }
    void SetOffset(int seconds) { m_nOffsetSeconds = seconds; }
    void SetFrozen(bool frozen) { m_bFrozen = frozen; }

    int Mode() const { return m_nMode; }
    bool Active() const { return m_bActive; }
    unsigned Position() const { return m_nPositionMs; }
    unsigned Length() const { return m_nLengthMs; }
    unsigned ShownSeconds() const { return m_nShownSeconds; }
    bool Negative() const { return m_bNegative; }

    // "<00:00>" stopped, "-03:21-" remaining, "1:02:05" elapsed; also sets the negative flag.
    std::string Text();
    // "Track Elapsed", "Track Remaining" or "Total Elapsed".
    static const char *ToolTip(int mode);

private:
    bool Recompute();

    bool m_bActive = false;
    unsigned m_nLengthMs = 0;
    unsigned m_nPositionMs = 0;
    unsigned m_nShownSeconds = 0;
    int m_nMode = kElapsed;
    bool m_bFrozen = false;
    int m_nOffsetSeconds = 0;
    bool m_bNegative = false;
};

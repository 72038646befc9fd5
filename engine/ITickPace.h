#pragma once
// The pace of the main timer as the engine sees it: the timer may slow down while nothing plays,
// and the engine asks for the fast pace again the moment it starts something that needs it.
//
// Threads: user-interface thread only.

// Fast: every 20 ms, for the displays and fades. Steady: something plays or pauses but nothing on
// screen moves faster than the counter's seconds. Idle: nothing plays, pauses or fades.
enum class ETickPace { Fast, Steady, Idle };

class ITickPace {
public:
    virtual ~ITickPace() = default;
    // The next tick comes at the fast pace, and soon.
    virtual void Hurry() = 0;
};

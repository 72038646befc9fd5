#pragma once
// The timed start and stop, checked by the main timer every 25 ticks (about twice a second).
//
// Threads: user-interface thread only.

class ITimedPlayback {
public:
    virtual ~ITimedPlayback() = default;

    virtual void TimedCheck() = 0;
};

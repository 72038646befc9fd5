#pragma once
// A manual-reset event: stays set until reset; any number of waiters pass while it is set.
// Any thread.

#include <condition_variable>
#include <mutex>

class CManualEvent {
public:
    void Set();
    void Reset();
    // True when the event was or became set within `milliseconds`.
    bool Wait(int milliseconds);

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bSet = false;
};

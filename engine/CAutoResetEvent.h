#pragma once
// An event that releases one waiter and then resets itself. Set before a Wait is not lost: the next
// Wait returns at once.
//
// Threads: any.

#include <chrono>
#include <condition_variable>
#include <mutex>

class CAutoResetEvent {
public:
    void Set();
    // Waits until set, then resets the event.
    void Wait();
    // As Wait, but gives up after `timeout`; true when the event was set.
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_bSet = false;
};

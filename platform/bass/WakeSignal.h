#pragma once
// Wakes the library's update thread. post() may be called from any thread, the device callback
// included: it takes no lock and never allocates (a POSIX semaphore is an atomic count plus, only when
// the update thread sleeps on it, one futex wake). wait() sleeps until a post or a timeout and then
// swallows every post made so far, so a burst of posts costs one wake.
//
// Threads: post() anywhere; wait() on the update thread only.

#include <semaphore.h>

#include <chrono>

namespace melvane::bass {

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal &) = delete;
    WakeSignal &operator=(const WakeSignal &) = delete;

    void post();
    // Returns true when woken by a post, false when `timeout` passed without one.
    bool wait(std::chrono::milliseconds timeout);

private:
    sem_t m_semaphore;
};

} // namespace melvane::bass

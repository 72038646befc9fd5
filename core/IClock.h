#pragma once
// The high-resolution counter the engine measures playing time with, and the random source of random
// play. Ticks count at Frequency() per second. The program uses CSteadyClock; tests drive their own.
//
// Threads: user-interface thread only.

#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;

    virtual std::uint64_t Now() = 0;
    virtual std::uint64_t Frequency() const { return 1000000000u; }
};

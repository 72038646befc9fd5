#include "core/CSteadyClock.h"

#include <chrono>

std::uint64_t CSteadyClock::Now()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

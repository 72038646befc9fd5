#pragma once
// The program's clock: std::chrono::steady_clock in nanoseconds (frequency 1,000,000,000).

#include "core/IClock.h"

class CSteadyClock : public IClock {
public:
    std::uint64_t Now() override;
};

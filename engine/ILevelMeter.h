#pragma once
// The level meter: given the library's level word once per tick (left level in the low 16 bits,
// right in the high 16 bits, 0 to 128 each). The meter animates its bars towards it.
//
// Threads: user-interface thread only.

#include <cstdint>

class ILevelMeter {
public:
    virtual ~ILevelMeter() = default;

    virtual void SetLevel(std::uint32_t level) = 0;
    virtual void EndHoverIfLeft() = 0;
    // Whether the meter needs a level on every fast tick: it is enabled and on screen, or a bar has
    // yet to fall to 0. Otherwise the timer may tick at its steady pace while something plays.
    virtual bool WantsEveryTick() const = 0;
};

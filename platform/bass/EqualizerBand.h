#pragma once
// One equalizer effect slot of a channel: the caller publishes parameters, the mixer picks them up at
// its next block so a change is heard at once.
//
// Threads: publish()/enable()/disable() on the caller's thread (under the library's call lock);
// poll() only on the mixer. Hand-over is a sequence lock on atomics: the mixer never waits; when it
// meets a half-written update it keeps the old coefficients until the next block.

#include "platform/bass/PeakingEq.h"

#include <atomic>
#include <cstdint>

namespace melvane::bass {

class EqualizerBand {
public:
    // Starts at unity gain with fresh filter state.
    void enable();
    void disable();
    bool enabled() const { return m_enabled.load(std::memory_order_acquire); }
    void publish(const BiquadCoefficients &c);

    // Mixer side: picks up published parameters and returns the filter to run, or null when the band
    // is off.
    PeakingEq *prepare();
    // Mixer side: applies the band to `stereo` when enabled.
    void process(float *stereo, std::size_t frames);

private:
    std::atomic<bool> m_enabled{false};
    std::atomic<std::uint32_t> m_sequence{0};
    std::atomic<std::uint32_t> m_generation{0};
    std::atomic<double> m_coefficients[5] = {1.0, 0.0, 0.0, 0.0, 0.0};
    // Mixer-owned.
    PeakingEq m_filter;
    std::uint32_t m_seenSequence = 0;
    std::uint32_t m_seenGeneration = 0;
};

} // namespace melvane::bass

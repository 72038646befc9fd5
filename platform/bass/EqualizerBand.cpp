#include "platform/bass/EqualizerBand.h"

namespace melvane::bass {

void EqualizerBand::enable()
{
    publish(BiquadCoefficients{});
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    m_enabled.store(true, std::memory_order_release);
}

void EqualizerBand::disable()
{
    m_enabled.store(false, std::memory_order_release);
}

void EqualizerBand::publish(const BiquadCoefficients &c)
{
    m_sequence.fetch_add(1, std::memory_order_relaxed); // odd: writing
    // Pairs with the mixer's acquire fence: a mixer that reads any new coefficient then sees the odd
    // sequence and drops the half-written set. The release half of a read-modify-write orders only
    // what comes before it, so without this fence a weakly ordered processor could show a new
    // coefficient first.
    std::atomic_thread_fence(std::memory_order_release);
    m_coefficients[0].store(c.b0, std::memory_order_relaxed);
    m_coefficients[1].store(c.b1, std::memory_order_relaxed);
    m_coefficients[2].store(c.b2, std::memory_order_relaxed);
    m_coefficients[3].store(c.a1, std::memory_order_relaxed);
    m_coefficients[4].store(c.a2, std::memory_order_relaxed);
    m_sequence.fetch_add(1, std::memory_order_release); // even: complete
}

void EqualizerBand::process(float *stereo, std::size_t frames)
{
    if (PeakingEq *filter = prepare())
        filter->process(stereo, frames);
}

PeakingEq *EqualizerBand::prepare()
{
    if (!m_enabled.load(std::memory_order_acquire))
        return nullptr;
    const std::uint32_t generation = m_generation.load(std::memory_order_acquire);
    if (generation != m_seenGeneration) {
        m_filter.clearState();
        m_seenGeneration = generation;
        m_seenSequence = 0;
        m_filter.setCoefficients(BiquadCoefficients{});
    }
    const std::uint32_t before = m_sequence.load(std::memory_order_acquire);
    if (before != m_seenSequence && (before & 1) == 0) {
        BiquadCoefficients c;
        c.b0 = m_coefficients[0].load(std::memory_order_relaxed);
        c.b1 = m_coefficients[1].load(std::memory_order_relaxed);
        c.b2 = m_coefficients[2].load(std::memory_order_relaxed);
        c.a1 = m_coefficients[3].load(std::memory_order_relaxed);
        c.a2 = m_coefficients[4].load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (m_sequence.load(std::memory_order_relaxed) == before) {
            m_filter.setCoefficients(c);
            m_seenSequence = before;
        }
    }
    return &m_filter;
}

} // namespace melvane::bass

#include "platform/bass/FrameRing.h"

#include <algorithm>
#include <cstring>

namespace melvane::bass {

FrameRing::FrameRing(std::size_t capacityFrames)
    : m_data(std::max<std::size_t>(capacityFrames, 1) * 2), m_capacity(std::max<std::size_t>(capacityFrames, 1))
{
}

std::size_t FrameRing::available() const
{
    return static_cast<std::size_t>(m_writePos.load(std::memory_order_acquire) - m_readPos.load(std::memory_order_acquire));
}

std::size_t FrameRing::space() const
{
    return m_capacity - available();
}

std::size_t FrameRing::write(const float *stereo, std::size_t frames)
{
    const std::uint64_t w = m_writePos.load(std::memory_order_relaxed);
    const std::uint64_t r = m_readPos.load(std::memory_order_acquire);
    const std::size_t n = std::min(frames, m_capacity - static_cast<std::size_t>(w - r));
    const std::size_t start = static_cast<std::size_t>(w % m_capacity);
    const std::size_t first = std::min(n, m_capacity - start);
    std::memcpy(&m_data[start * 2], stereo, first * 2 * sizeof(float));
    if (n > first)
        std::memcpy(&m_data[0], stereo + first * 2, (n - first) * 2 * sizeof(float));
    m_writePos.store(w + n, std::memory_order_release);
    return n;
}

std::size_t FrameRing::read(float *stereo, std::size_t frames)
{
    const std::uint64_t r = m_readPos.load(std::memory_order_relaxed);
    const std::uint64_t w = m_writePos.load(std::memory_order_acquire);
    const std::size_t n = std::min(frames, static_cast<std::size_t>(w - r));
    const std::size_t start = static_cast<std::size_t>(r % m_capacity);
    const std::size_t first = std::min(n, m_capacity - start);
    std::memcpy(stereo, &m_data[start * 2], first * 2 * sizeof(float));
    if (n > first)
        std::memcpy(stereo + first * 2, &m_data[0], (n - first) * 2 * sizeof(float));
    m_readPos.store(r + n, std::memory_order_release);
    return n;
}

void FrameRing::reset()
{
    m_readPos.store(0, std::memory_order_release);
    m_writePos.store(0, std::memory_order_release);
}

} // namespace melvane::bass

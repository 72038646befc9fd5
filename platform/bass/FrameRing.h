#pragma once
// A lock-free single-producer/single-consumer ring of stereo float frames.
//
// Threads: write() and space() belong to the producer (the update thread), read() to the consumer
// (the mixer: device callback or manual render). available() may be read by anyone. reset() only
// while neither side can run (the channel is suspended from mixing and its decode lock is held).
// The storage is allocated once, when the channel is created.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace melvane::bass {

class FrameRing {
public:
    explicit FrameRing(std::size_t capacityFrames);

    std::size_t capacity() const { return m_capacity; }
    std::size_t available() const;
    std::size_t space() const;
    // Copies up to `frames` frames in; returns how many fitted.
    std::size_t write(const float *stereo, std::size_t frames);
    // Copies up to `frames` frames out; returns how many there were.
    std::size_t read(float *stereo, std::size_t frames);
    void reset();

private:
    std::vector<float> m_data;
    std::size_t m_capacity;
    std::atomic<std::uint64_t> m_readPos{0};
    std::atomic<std::uint64_t> m_writePos{0};
};

} // namespace melvane::bass

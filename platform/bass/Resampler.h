#pragma once
// Converts a channel's own rate to the output rate with libsoxr; passes samples through untouched
// when the rates are equal, so such channels come out sample-exact.
//
// Threads: used only under the owning channel's decode lock (the update thread while filling, the
// caller while seeking or changing the rate). All buffers are allocated in the constructor.

#include <cstddef>
#include <vector>

struct soxr;

namespace melvane::bass {

class Resampler {
public:
    Resampler(double inputRate, double outputRate, int channels, std::size_t maxInputFrames);
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    bool valid() const { return m_passthrough || m_soxr != nullptr; }
    // The most frames one call to process() or drain() can return.
    std::size_t maxOutputFrames() const { return m_outputCapacity; }
    // Converts up to maxInputFrames frames; the result stays valid until the next call.
    std::size_t process(const float *in, std::size_t frames, const float *&out);
    // After the last input: returns the remaining converted frames, 0 when all are out.
    std::size_t drain(const float *&out);
    // Forgets all state (after a seek).
    void reset();

private:
    soxr *m_soxr = nullptr;
    bool m_passthrough;
    int m_channels;
    std::size_t m_outputCapacity;
    std::vector<float> m_output;
};

} // namespace melvane::bass

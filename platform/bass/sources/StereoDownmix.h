#pragma once
// Folds audio with more than two channels into stereo.
//
// Front left/right go to their side at full weight, the centre and rear/side channels at -3 dB
// (0.7071) in the usual broadcast fold-down, a rear centre at -6 dB to both sides, and the LFE channel
// is dropped. The weights are then scaled so that no output can exceed full scale when every input
// is at full scale: a fold-down must never clip.

#include <cstddef>
#include <vector>

namespace melvane::bass {

class StereoDownmix {
public:
    enum class Speaker { Left, Right, Centre, Lfe, RearLeft, RearRight, RearCentre, SideLeft, SideRight, Unknown };

    explicit StereoDownmix(const std::vector<Speaker> &layout);

    // The layout a WAVE file implies by its channel count when it names no speakers.
    static std::vector<Speaker> DefaultLayout(int channels);

    int inputChannels() const { return static_cast<int>(m_left.size()); }
    float leftGain(int channel) const { return m_left[static_cast<std::size_t>(channel)]; }
    float rightGain(int channel) const { return m_right[static_cast<std::size_t>(channel)]; }

    // `in` holds `frames` frames of inputChannels() samples; `out` receives `frames` stereo frames.
    void process(const float *in, float *out, std::size_t frames) const;

private:
    std::vector<float> m_left;
    std::vector<float> m_right;
};

} // namespace melvane::bass

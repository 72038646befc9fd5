#include "platform/bass/sources/StereoDownmix.h"

#include <algorithm>

namespace melvane::bass {

StereoDownmix::StereoDownmix(const std::vector<Speaker> &layout)
    : m_left(layout.size()), m_right(layout.size())
{
    constexpr float kMinus3dB = 0.70710678f;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        float l = 0, r = 0;
        switch (layout[i]) {
        case Speaker::Left: l = 1; break;
        case Speaker::Right: r = 1; break;
        case Speaker::Centre: l = r = kMinus3dB; break;
        case Speaker::Lfe: break;
        case Speaker::RearLeft:
        case Speaker::SideLeft: l = kMinus3dB; break;
        case Speaker::RearRight:
        case Speaker::SideRight: r = kMinus3dB; break;
        case Speaker::RearCentre: l = r = 0.5f; break;
        case Speaker::Unknown: l = r = 0.5f; break;
        }
        m_left[i] = l;
        m_right[i] = r;
    }
    float sumLeft = 0, sumRight = 0;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        sumLeft += m_left[i];
        sumRight += m_right[i];
    }
    const float peak = std::max(sumLeft, sumRight);
    if (peak > 1.0f) {
        for (std::size_t i = 0; i < layout.size(); ++i) {
            m_left[i] /= peak;
            m_right[i] /= peak;
        }
    }
}

std::vector<StereoDownmix::Speaker> StereoDownmix::DefaultLayout(int channels)
{
    using S = Speaker;
    switch (channels) {
    case 3: return {S::Left, S::Right, S::Centre};
    case 4: return {S::Left, S::Right, S::RearLeft, S::RearRight};
    case 5: return {S::Left, S::Right, S::Centre, S::RearLeft, S::RearRight};
    case 6: return {S::Left, S::Right, S::Centre, S::Lfe, S::RearLeft, S::RearRight};
    case 7: return {S::Left, S::Right, S::Centre, S::Lfe, S::RearCentre, S::SideLeft, S::SideRight};
    case 8: return {S::Left, S::Right, S::Centre, S::Lfe, S::RearLeft, S::RearRight, S::SideLeft, S::SideRight};
    default: break;
    }
    std::vector<Speaker> layout;
    for (int i = 0; i < channels; ++i)
        layout.push_back(i % 2 == 0 ? S::Left : S::Right);
    return layout;
}

void StereoDownmix::process(const float *in, float *out, std::size_t frames) const
{
    const std::size_t n = m_left.size();
    for (std::size_t f = 0; f < frames; ++f) {
        const float *frame = in + f * n;
        float l = 0, r = 0;
        for (std::size_t c = 0; c < n; ++c) {
            l += frame[c] * m_left[c];
            r += frame[c] * m_right[c];
        }
        out[2 * f] = l;
        out[2 * f + 1] = r;
    }
}

} // namespace melvane::bass

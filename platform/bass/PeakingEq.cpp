#include "platform/bass/PeakingEq.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace melvane::bass {

BiquadCoefficients PeakingEq::design(double sampleRate, double centreHz, double bandwidthOctaves, double gainDb)
{
    const double centre = std::clamp(centreHz, 1.0, sampleRate * 0.45);
    const double bandwidth = std::clamp(bandwidthOctaves, 1.0 / 24, 6.0);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2 * std::numbers::pi * centre / sampleRate;
    const double sinW0 = std::sin(w0), cosW0 = std::cos(w0);
    const double alpha = sinW0 * std::sinh(std::numbers::ln2 / 2 * bandwidth * w0 / sinW0);
    const double a0 = 1 + alpha / a;
    BiquadCoefficients c;
    c.b0 = (1 + alpha * a) / a0;
    c.b1 = -2 * cosW0 / a0;
    c.b2 = (1 - alpha * a) / a0;
    c.a1 = -2 * cosW0 / a0;
    c.a2 = (1 - alpha / a) / a0;
    return c;
}

void PeakingEq::clearState()
{
    m_z1[0] = m_z1[1] = m_z2[0] = m_z2[1] = 0;
}

namespace {
// Both sides of a frame at once.
using Pair = double __attribute__((vector_size(16)));

struct Stage {
    Pair b0, b1, b2, a1, a2, z1, z2;
};

inline Pair Splat(double v)
{
    return Pair{v, v};
}
} // namespace

void PeakingEq::process(float *stereo, std::size_t frames)
{
    PeakingEq *self = this;
    processCascade(&self, 1, stereo, frames);
}

void PeakingEq::processCascade(PeakingEq *const *filters, std::size_t count, float *stereo, std::size_t frames)
{
    constexpr std::size_t kMaxStages = 16;
    for (std::size_t first = 0; first < count; first += kMaxStages) {
        const std::size_t n = std::min(count - first, kMaxStages);
        Stage stages[kMaxStages];
        for (std::size_t s = 0; s < n; ++s) {
            const PeakingEq &f = *filters[first + s];
            stages[s] = Stage{Splat(f.m_c.b0), Splat(f.m_c.b1), Splat(f.m_c.b2), Splat(f.m_c.a1), Splat(f.m_c.a2),
                              Pair{f.m_z1[0], f.m_z1[1]}, Pair{f.m_z2[0], f.m_z2[1]}};
        }
        for (std::size_t i = 0; i < frames; ++i) {
            Pair x = {stereo[i * 2], stereo[i * 2 + 1]};
            for (std::size_t s = 0; s < n; ++s) {
                // Transposed direct form II.
                Stage &st = stages[s];
                const Pair y = st.b0 * x + st.z1;
                st.z1 = st.b1 * x - st.a1 * y + st.z2;
                st.z2 = st.b2 * x - st.a2 * y;
                x = y;
            }
            stereo[i * 2] = static_cast<float>(x[0]);
            stereo[i * 2 + 1] = static_cast<float>(x[1]);
        }
        for (std::size_t s = 0; s < n; ++s) {
            PeakingEq &f = *filters[first + s];
            f.m_z1[0] = stages[s].z1[0];
            f.m_z1[1] = stages[s].z1[1];
            f.m_z2[0] = stages[s].z2[0];
            f.m_z2[1] = stages[s].z2[1];
        }
    }
}

} // namespace melvane::bass

#include "PeakingEq.h"

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

void PeakingEq::process(float *stereo, std::size_t frames)
{
    for (std::size_t i = 0; i < frames; ++i) {
        for (int side = 0; side < 2; ++side) {
            // Transposed direct form II.
            const double x = stereo[i * 2 + side];
            const double y = m_c.b0 * x + m_z1[side];
            m_z1[side] = m_c.b1 * x - m_c.a1 * y + m_z2[side];
            m_z2[side] = m_c.b2 * x - m_c.a2 * y;
            stereo[i * 2 + side] = static_cast<float>(y);
        }
    }
}

} // namespace melvane::bass

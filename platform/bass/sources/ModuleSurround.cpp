#include "platform/bass/sources/ModuleSurround.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace melvane::bass {

ModuleSurround::ModuleSurround(int sampleRate)
    : m_matrixDelay(std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kMatrixDelaySeconds * sampleRate))))
    , m_spreadDelay(std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(kSpreadDelaySeconds * sampleRate))))
    , m_lowpassCoefficient(static_cast<float>(
          1.0 - std::exp(-2.0 * std::numbers::pi * std::min(kMatrixLowpassHz, 0.45 * sampleRate) / sampleRate)))
{
}

void ModuleSurround::setMode(Mode mode)
{
    if (mode != m_mode) {
        m_mode = mode;
        reset();
    }
}

void ModuleSurround::reset()
{
    std::fill(m_matrixDelay.begin(), m_matrixDelay.end(), 0.0f);
    std::fill(m_spreadDelay.begin(), m_spreadDelay.end(), 0.0f);
    m_matrixPos = m_spreadPos = 0;
    m_lowpassState = 0;
}

void ModuleSurround::process(float *stereo, std::size_t frames)
{
    if (m_mode == Mode::Matrix) {
        const std::size_t size = m_matrixDelay.size();
        for (std::size_t f = 0; f < frames; ++f) {
            float &l = stereo[2 * f];
            float &r = stereo[2 * f + 1];
            const float delayed = m_matrixDelay[m_matrixPos];
            m_matrixDelay[m_matrixPos] = 0.5f * (l - r);
            m_matrixPos = m_matrixPos + 1 == size ? 0 : m_matrixPos + 1;
            m_lowpassState += m_lowpassCoefficient * (delayed - m_lowpassState);
            const float rear = kMatrixGain * m_lowpassState;
            l += rear;
            r -= rear;
        }
    } else if (m_mode == Mode::Spread) {
        const std::size_t size = m_spreadDelay.size();
        for (std::size_t f = 0; f < frames; ++f) {
            float &l = stereo[2 * f];
            float &r = stereo[2 * f + 1];
            const float delayed = m_spreadDelay[m_spreadPos];
            m_spreadDelay[m_spreadPos] = 0.5f * (l + r);
            m_spreadPos = m_spreadPos + 1 == size ? 0 : m_spreadPos + 1;
            l += kSpreadGain * delayed;
            r -= kSpreadGain * delayed;
        }
    }
}

} // namespace melvane::bass

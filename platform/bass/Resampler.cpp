#include "platform/bass/Resampler.h"

#include <soxr.h>

#include <cmath>

namespace melvane::bass {

Resampler::Resampler(double inputRate, double outputRate, int channels, std::size_t maxInputFrames)
    : m_passthrough(inputRate == outputRate), m_channels(channels)
{
    // soxr may hold back up to its filter length and release it with a later block, so leave room.
    m_outputCapacity = static_cast<std::size_t>(std::ceil(maxInputFrames * outputRate / inputRate)) * 2 + 4096;
    if (m_passthrough)
        return;
    m_output.resize(m_outputCapacity * static_cast<std::size_t>(channels));
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    m_soxr = soxr_create(inputRate, outputRate, static_cast<unsigned>(channels), &error, &io, &quality, nullptr);
    if (error)
        m_soxr = nullptr;
}

Resampler::~Resampler()
{
    if (m_soxr)
        soxr_delete(m_soxr);
}

std::size_t Resampler::process(const float *in, std::size_t frames, const float *&out)
{
    if (m_passthrough) {
        out = in;
        return frames;
    }
    out = m_output.data();
    std::size_t consumed = 0, written = 0;
    while (consumed < frames && written < m_outputCapacity) {
        std::size_t done = 0, produced = 0;
        soxr_process(m_soxr, in + consumed * m_channels, frames - consumed, &done,
                     m_output.data() + written * m_channels, m_outputCapacity - written, &produced);
        consumed += done;
        written += produced;
        if (done == 0 && produced == 0)
            break;
    }
    return written;
}

std::size_t Resampler::drain(const float *&out)
{
    out = m_output.data();
    if (m_passthrough)
        return 0;
    std::size_t produced = 0;
    soxr_process(m_soxr, nullptr, 0, nullptr, m_output.data(), m_outputCapacity, &produced);
    return produced;
}

void Resampler::reset()
{
    if (m_soxr)
        soxr_clear(m_soxr);
}

} // namespace melvane::bass

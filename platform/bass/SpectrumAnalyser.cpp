#include "platform/bass/SpectrumAnalyser.h"

#include <fftw3.h>

#include <cmath>
#include <numbers>

namespace melvane::bass {

SpectrumAnalyser::SpectrumAnalyser()
{
    m_input = fftwf_alloc_real(kMaxSize);
    auto *output = fftwf_alloc_complex(kMaxSize / 2 + 1);
    m_output = output;
    std::size_t size = 512;
    for (Plan &p : m_plans) {
        p.size = size;
        p.window = fftwf_alloc_real(size);
        // The periodic Hann window: its sum is exactly size/2, which fixes the scale below.
        for (std::size_t i = 0; i < size; ++i)
            p.window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size));
        p.plan = fftwf_plan_dft_r2c_1d(static_cast<int>(size), m_input, output, FFTW_ESTIMATE);
        size *= 2;
    }
}

SpectrumAnalyser::~SpectrumAnalyser()
{
    for (Plan &p : m_plans) {
        fftwf_destroy_plan(p.plan);
        fftwf_free(p.window);
    }
    fftwf_free(m_input);
    fftwf_free(m_output);
}

void SpectrumAnalyser::magnitudes(const float *samples, std::size_t stride, std::size_t size, float *out,
                                  std::size_t outStride)
{
    const Plan *plan = &m_plans[2];
    for (const Plan &p : m_plans)
        if (p.size == size)
            plan = &p;
    const std::size_t n = plan->size;
    for (std::size_t i = 0; i < n; ++i)
        m_input[i] = samples[i * stride] * plan->window[i];
    fftwf_execute(plan->plan);
    const auto *bins = static_cast<fftwf_complex *>(m_output);
    // A sine of amplitude A gives |X| = A * sum(window) / 2 = A * n / 4.
    const float scale = 4.0f / static_cast<float>(n);
    for (std::size_t k = 0; k < n / 2; ++k)
        out[k * outStride] = std::hypot(bins[k][0], bins[k][1]) * scale;
}

} // namespace melvane::bass

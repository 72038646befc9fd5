#pragma once
// Magnitude spectra of 512-, 1024- or 2048-point blocks through FFTW with a Hann window, scaled so
// that a full-scale sine centred on a bin reads 1.0.
//
// Threads: plans are made in the constructor (FFTW's planner is not thread-safe); magnitudes() runs
// on the caller's thread under the library's call lock.

#include <cstddef>

typedef struct fftwf_plan_s *fftwf_plan;

namespace melvane::bass {

class SpectrumAnalyser {
public:
    static constexpr std::size_t kMaxSize = 2048;

    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser &) = delete;
    SpectrumAnalyser &operator=(const SpectrumAnalyser &) = delete;

    // `size` is 512, 1024 or 2048. Reads size samples spaced `stride` apart from `samples`, writes
    // size/2 magnitudes to `out`, each `outStride` apart.
    void magnitudes(const float *samples, std::size_t stride, std::size_t size, float *out, std::size_t outStride);

private:
    struct Plan {
        std::size_t size = 0;
        float *window = nullptr;
        fftwf_plan plan = nullptr;
    };
    Plan m_plans[3];
    float *m_input = nullptr;
    void *m_output = nullptr;
};

} // namespace melvane::bass

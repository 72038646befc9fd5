#pragma once
// A peaking-equalizer biquad (the RBJ audio-EQ cookbook design) for stereo frames.
//
// Threads: owned by the mixer; coefficients arrive through an EqualizerBand.

#include <cstddef>

namespace melvane::bass {

struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

class PeakingEq {
public:
    // Bandwidth in octaves. The centre is kept below the Nyquist frequency so any rate stays stable.
    static BiquadCoefficients design(double sampleRate, double centreHz, double bandwidthOctaves, double gainDb);

    void setCoefficients(const BiquadCoefficients &c) { m_c = c; }
    void clearState();
    void process(float *stereo, std::size_t frames);
    // Runs `count` filters one after the other over `stereo`. Same result as calling process() on
    // each in turn, but a frame goes through every filter before the next one, so the filters'
    // feedback paths overlap instead of queueing up.
    static void processCascade(PeakingEq *const *filters, std::size_t count, float *stereo, std::size_t frames);

private:
    BiquadCoefficients m_c;
    double m_z1[2] = {0, 0};
    double m_z2[2] = {0, 0};
};

} // namespace melvane::bass

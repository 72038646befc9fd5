#pragma once
// The two surround processes a music channel can ask for. Both work on the rendered stereo mix.
//
// Matrix (BASS_MUSIC_SURROUND): what a passive matrix decoder would send to the rear speakers - the
// difference signal S = (L - R) / 2 - is delayed by 20 ms, softened by a 7 kHz low-pass, and played
// back through the front pair in opposite polarity (added to the left, subtracted from the right).
// Hard-panned parts gain a diffuse, behind-the-listener ambience; centred (mono) parts are untouched.
//
// Spread (BASS_MUSIC_SURROUND2): a Haas-delay stereo spread (Lauridsen's complementary combs). The
// sum signal M = (L + R) / 2 is delayed by 12 ms and added to the left and subtracted from the right,
// so even centred parts are spread across the stereo image by frequency. The delay sits inside the
// precedence window, so the ear hears width rather than an echo.
//
// The two are audibly different: Matrix leaves mono content alone and acts on stereo differences;
// Spread acts mainly on the centre. Delay lines are allocated at construction for both modes so that
// switching at run time allocates nothing.

#include <cstddef>
#include <vector>

namespace melvane::bass {

class ModuleSurround {
public:
    enum class Mode { Off, Matrix, Spread };

    static constexpr double kMatrixDelaySeconds = 0.020;
    static constexpr double kMatrixLowpassHz = 7000.0;
    static constexpr float kMatrixGain = 0.5f;
    static constexpr double kSpreadDelaySeconds = 0.012;
    static constexpr float kSpreadGain = 0.5f;

    explicit ModuleSurround(int sampleRate);

    Mode mode() const { return m_mode; }
    // Changing the mode clears the delay lines.
    void setMode(Mode mode);
    // Forgets the past (after a change of position).
    void reset();
    // Processes `frames` interleaved stereo frames in place.
    void process(float *stereo, std::size_t frames);

private:
    Mode m_mode = Mode::Off;
    std::vector<float> m_matrixDelay;
    std::vector<float> m_spreadDelay;
    std::size_t m_matrixPos = 0;
    std::size_t m_spreadPos = 0;
    float m_lowpassState = 0;
    float m_lowpassCoefficient = 0;
};

} // namespace melvane::bass

// The equalizer against the real audio library with the manual output: slider positions map to
// levels and gains, switching it off and on while playing removes and re-attaches the nine effects,
// and what is heard is measured on rendered tones.
#include "engine/CEqualizer.h"
#include "platform/bass/bass_render.h"
#include "playlist/CPlayerSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr DWORD kRate = 44100;

struct Tone {
    double hz = 1000;
    std::uint64_t frame = 0;
    static DWORD Proc(HSTREAM, void *buffer, DWORD length, void *user)
    {
        auto *tone = static_cast<Tone *>(user);
        auto *out = static_cast<float *>(buffer);
        for (DWORD i = 0; i < length / (2 * sizeof(float)); ++i, ++tone->frame) {
            const double t = static_cast<double>(tone->frame) / kRate;
            out[2 * i] = out[2 * i + 1] = static_cast<float>(0.05 * std::sin(2 * std::numbers::pi * tone->hz * t));
        }
        return length;
    }
};

class EqualizerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(BASSX_InitManual(kRate));
        settings.eqenable = 1;
        eq.SetAvailable(true);
    }
    void TearDown() override { BASS_Free(); }

    HSTREAM PlayTone(Tone &tone)
    {
        const HSTREAM stream = BASS_StreamCreate(kRate, BASS_SAMPLE_FLOAT, &Tone::Proc, &tone);
        EXPECT_NE(stream, 0u);
        EXPECT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        channel = stream;
        return stream;
    }

    // RMS of the left side over the second half of 0.2 s of output (the filters have settled).
    static double RenderRms()
    {
        std::vector<float> stereo(2 * 8820);
        BASSX_Render(stereo.data(), 8820);
        double sum = 0;
        for (std::size_t i = 4410; i < 8820; ++i)
            sum += static_cast<double>(stereo[2 * i]) * stereo[2 * i];
        return std::sqrt(sum / 4410);
    }

    CPlayerSettings settings;
    std::uint32_t channel = 0;
    CEqualizer eq{settings, [this] { return channel; }};
};

TEST_F(EqualizerTest, EnableToggleRemovesAllBandsAndReattachesWithCurrentLevels)
{
    Tone tone;
    const HSTREAM stream = PlayTone(tone);
    eq.AttachEffects(stream);
    ASSERT_EQ(eq.AttachedCount(), CEqualizer::kBands);
    eq.AttachEffects(stream); // a second attach to the same channel adds nothing
    EXPECT_EQ(eq.AttachedCount(), CEqualizer::kBands);
    const HFX oldBand2 = eq.Handle(2);

    eq.SetEnabled(false);
    EXPECT_EQ(settings.eqenable, 0);
    EXPECT_EQ(eq.AttachedCount(), 0);
    BASS_FXPARAMEQ params{};
    EXPECT_FALSE(BASS_FXGetParameters(oldBand2, &params)) << "the effect was removed from the channel";

    // Levels changed while off are used when switched on again.
    eq.SetLevel(2, -12);
    eq.SetEnabled(true);
    ASSERT_EQ(eq.AttachedCount(), CEqualizer::kBands);
    for (int band = 0; band < CEqualizer::kBands; ++band) {
        ASSERT_TRUE(BASS_FXGetParameters(eq.Handle(band), &params));
        EXPECT_EQ(params.fCenter, CEqualizer::kCentres[band]);
        EXPECT_EQ(params.fGain, band == 2 ? -6.0f : 0.0f);
    }
    // A live change reaches the attached effect.
    eq.SetLevel(2, 10);
    ASSERT_TRUE(BASS_FXGetParameters(eq.Handle(2), &params));
    EXPECT_EQ(params.fGain, 5.0f);
    BASS_StreamFree(stream);
}

TEST_F(EqualizerTest, NothingIsAttachedWhenUnavailableOrDisabled)
{
    Tone tone;
    const HSTREAM stream = PlayTone(tone);
    eq.SetAvailable(false);
    eq.AttachEffects(stream);
    EXPECT_EQ(eq.AttachedCount(), 0);
    eq.SetAvailable(true);
    settings.eqenable = 0;
    eq.AttachEffects(stream);
    EXPECT_EQ(eq.AttachedCount(), 0);
    BASS_StreamFree(stream);
}

// Heard, not assumed: +15 dB on the 1 kHz band raises a 1 kHz tone by about 15 dB and leaves tones at
// the outer bands' centres near unity; Reset Levels makes the response flat again.
TEST_F(EqualizerTest, RenderedTonesFollowTheBandLevels)
{
    struct Case {
        double hz, boostedDb, tolerance;
    };
    for (const Case c : {Case{1000, 15, 1}, Case{80, 0, 1}, Case{14000, 0, 1}}) {
        SCOPED_TRACE(c.hz);
        Tone tone;
        tone.hz = c.hz;
        const HSTREAM stream = PlayTone(tone);
        const double unity = RenderRms();

        eq.AttachEffects(stream);
        ASSERT_EQ(eq.AttachedCount(), CEqualizer::kBands);
        const double flat = RenderRms();
        EXPECT_NEAR(20 * std::log10(flat / unity), 0.0, 0.1) << "nine bands at 0 dB are transparent";

        std::array<int, CEqualizer::kBands> positions{};
        positions[4] = -30;
        eq.ApplySliderPositions(positions);
        EXPECT_NEAR(20 * std::log10(RenderRms() / unity), c.boostedDb, c.tolerance);

        eq.ResetLevels();
        EXPECT_NEAR(20 * std::log10(RenderRms() / unity), 0.0, 0.1);
        BASS_StreamFree(stream);
        eq.ClearHandles();
    }
}

} // namespace

// What the mixer does to a channel: equalizer effects, channel and master volume, pausing the output.

#include "tests/platform/bass/BassTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct EqCase {
    double toneHz;
    float gainDb;
    double expectedDb;
    double tolerance;
};

// One peaking band at 1 kHz, one octave wide, is measured on tones at and far from its centre; the
// change must be heard in the very next block, and removing the band must restore unity.
TEST(Equalizer, ShapesTheToneAndRemovingItRestoresUnity)
{
    for (const EqCase c : {EqCase{1000, 15, 15, 1}, EqCase{1000, -15, -15, 1}, EqCase{1000, 6, 6, 0.5},
                           EqCase{14000, 15, 0, 1}, EqCase{100, 15, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << c.toneHz << " Hz, " << c.gainDb << " dB");
        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        ToneProc tone;
        tone.hz[0] = tone.hz[1] = c.toneHz;
        tone.amplitude[0] = tone.amplitude[1] = 0.05;
        const HSTREAM stream = tone.create();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const std::vector<float> plain = output.render(8820);
        const double unity = SideRms(plain, 0, 4410, 8820);

        const HFX fx = BASS_ChannelSetFX(stream, BASS_FX_PARAMEQ);
        ASSERT_NE(fx, 0u);
        const BASS_FXPARAMEQ band{1000.0f, 12.0f, c.gainDb};
        ASSERT_TRUE(BASS_FXSetParameters(fx, &band));
        const std::vector<float> shaped = output.render(8820);
        EXPECT_NEAR(Db(SideRms(shaped, 0, 4410, 8820) / unity), c.expectedDb, c.tolerance);
        EXPECT_NEAR(Db(SideRms(shaped, 1, 4410, 8820) / unity), c.expectedDb, c.tolerance);
        BASS_FXPARAMEQ readBack{};
        ASSERT_TRUE(BASS_FXGetParameters(fx, &readBack));
        EXPECT_EQ(readBack.fGain, c.gainDb);

        ASSERT_TRUE(BASS_ChannelRemoveFX(stream, fx));
        const std::vector<float> restored = output.render(8820);
        EXPECT_NEAR(Db(SideRms(restored, 0, 4410, 8820) / unity), 0.0, 0.01);
        EXPECT_FALSE(BASS_FXSetParameters(fx, &band)) << "a removed effect's handle is stale";
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        BASS_StreamFree(stream);
    }
}

TEST(Equalizer, RefusesBadParametersAndUnknownEffects)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    const HSTREAM stream = tone.create();
    EXPECT_EQ(BASS_ChannelSetFX(stream, 3), 0u);
    const HFX fx = BASS_ChannelSetFX(stream, BASS_FX_PARAMEQ);
    ASSERT_NE(fx, 0u);
    for (const BASS_FXPARAMEQ bad : {BASS_FXPARAMEQ{1000, 12, 16}, BASS_FXPARAMEQ{1000, 0, 3}, BASS_FXPARAMEQ{20, 12, 3},
                                     BASS_FXPARAMEQ{1000, 12, std::nanf("")}}) {
        EXPECT_FALSE(BASS_FXSetParameters(fx, &bad));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    }
    EXPECT_FALSE(BASS_FXSetParameters(fx, nullptr));
    // An effect belongs to its channel.
    const HSTREAM other = tone.create();
    EXPECT_FALSE(BASS_ChannelRemoveFX(other, fx));
    BASS_StreamFree(other);
    BASS_StreamFree(stream);
    BASS_FXPARAMEQ params{};
    EXPECT_FALSE(BASS_FXGetParameters(fx, &params)) << "freeing the channel frees its effects";
}

TEST(Volume, ChannelAndMasterVolumeScaleTheOutput)
{
    struct Case {
        int channelVolume;
        DWORD masterVolume;
        int pan;
        double left, right;
    };
    for (const Case c : {Case{100, 100, -101, 1, 1}, Case{50, 100, -101, 0.5, 0.5}, Case{100, 25, -101, 0.25, 0.25},
                         Case{50, 50, -101, 0.25, 0.25}, Case{0, 100, -101, 0, 0}, Case{100, 0, -101, 0, 0},
                         Case{100, 100, 50, 0.5, 1}, Case{100, 100, -100, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.channelVolume << " " << c.masterVolume << " " << c.pan);
        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        ToneProc tone;
        const HSTREAM stream = tone.create();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        output.render(1000);
        ASSERT_TRUE(BASS_ChannelSetAttributes(stream, -1, c.channelVolume, c.pan));
        ASSERT_TRUE(BASS_SetVolume(c.masterVolume));
        EXPECT_EQ(BASS_GetVolume(), static_cast<int>(c.masterVolume));
        // The change is heard from the very next frame.
        const std::vector<float> out = output.render(2000);
        for (std::size_t f = 0; f < 2000; f += 97) {
            EXPECT_NEAR(out[f * 2], tone.expected(1000 + f, 0) * c.left, 1e-6) << f;
            EXPECT_NEAR(out[f * 2 + 1], tone.expected(1000 + f, 1) * c.right, 1e-6) << f;
        }
        BASS_StreamFree(stream);
    }
}

TEST(Volume, OutOfRangeValuesAreRefused)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    EXPECT_EQ(BASS_GetVolume(), 100);
    EXPECT_FALSE(BASS_SetVolume(101));
    EXPECT_EQ(BASS_GetVolume(), 100);
    ToneProc tone;
    const HSTREAM stream = tone.create();
    EXPECT_FALSE(BASS_ChannelSetAttributes(stream, -1, 101, -101));
    EXPECT_FALSE(BASS_ChannelSetAttributes(stream, -1, 50, 101));
    EXPECT_FALSE(BASS_ChannelSetAttributes(stream, 50, 50, -101));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    BASS_StreamFree(stream);
}

// Pausing the output stops everything where it is; starting again continues with the next frame.
TEST(Output, PauseStopsProgressAndStartResumes)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    const HSTREAM stream = tone.create();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    output.render(3000);
    const QWORD before = BASS_ChannelGetPosition(stream);
    EXPECT_EQ(before, 3000u * 8);
    ASSERT_TRUE(BASS_Pause());
    std::vector<float> paused(2000, 1.0f);
    EXPECT_EQ(BASSX_Render(paused.data(), 1000), 0u);
    EXPECT_TRUE(std::all_of(paused.begin(), paused.end(), [](float v) { return v == 0.0f; }));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), before);
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_PLAYING}) << "a paused output keeps its channels";
    ASSERT_TRUE(BASS_Start());
    const std::vector<float> resumed = output.render(10);
    EXPECT_EQ(resumed[0], tone.expected(3000, 0));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 3010u * 8);
    BASS_StreamFree(stream);
}

// A stopped channel is silent and inactive; playing it again continues where it was.
TEST(Output, StoppedChannelIsSilentAndResumable)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    const HSTREAM stream = tone.create();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    output.render(500);
    ASSERT_TRUE(BASS_ChannelStop(stream));
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED});
    const std::vector<float> stopped = output.render(500);
    EXPECT_TRUE(std::all_of(stopped.begin(), stopped.end(), [](float v) { return v == 0.0f; }));
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const std::vector<float> again = output.render(1);
    EXPECT_EQ(again[0], tone.expected(500, 0));
    BASS_StreamFree(stream);
}

} // namespace

// What the library reports about the sound being heard: levels and spectra.

#include "tests/platform/bass/BassTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Level, FollowsThePeakOfEachSide)
{
    struct Case {
        double left, right;
        DWORD expectedLeft, expectedRight;
    };
    for (const Case c : {Case{1.0, 1.0, 128, 128}, Case{0.0, 0.0, 0, 0}, Case{1.0, 0.0, 128, 0}, Case{0.0, 0.5, 0, 64},
                         Case{0.25, 0.75, 32, 96}}) {
        SCOPED_TRACE(testing::Message() << c.left << " " << c.right);
        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        ToneProc tone;
        tone.hz[0] = tone.hz[1] = 441; // a peak every 100 frames
        tone.amplitude[0] = c.left;
        tone.amplitude[1] = c.right;
        const HSTREAM stream = tone.create();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        output.render(4410);
        const DWORD level = BASS_ChannelGetLevel(stream);
        EXPECT_EQ(level & 0xFFFF, c.expectedLeft);
        EXPECT_EQ(level >> 16, c.expectedRight);
        BASS_StreamFree(stream);
    }
}

// The level describes the frames just heard, not what has been decoded ahead.
TEST(Level, DescribesWhatIsHeardNotWhatIsBuffered)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    BASS_SetBufferLength(1.0f);
    ToneProc tone;
    tone.amplitude[0] = tone.amplitude[1] = 1.0;
    tone.totalFrames = 22050; // half a second of sound, then the end
    const HSTREAM stream = tone.create();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    output.render(1000);
    EXPECT_EQ(BASS_ChannelGetLevel(stream), 128u | (128u << 16));
    output.render(22050 - 1000 + 2000);
    EXPECT_EQ(BASS_ChannelGetLevel(stream), 0u) << "the sound is over";
    BASS_StreamFree(stream);
}

std::size_t PeakBin(const float *values, std::size_t count, std::size_t stride)
{
    std::size_t best = 0;
    for (std::size_t k = 1; k < count; ++k)
        if (values[k * stride] > values[best * stride])
            best = k;
    return best;
}

TEST(Spectrum, PeaksInTheBinOfTheTone)
{
    struct Case {
        DWORD rate;
        double hz;
    };
    for (const Case c : {Case{44100, 1000}, Case{48000, 1000}, Case{22050, 1000}, Case{44100, 5512.5}}) {
        SCOPED_TRACE(testing::Message() << c.rate << " " << c.hz);
        ManualOutput output(c.rate);
        ASSERT_TRUE(output.ok());
        ToneProc tone;
        tone.rate = static_cast<int>(c.rate);
        tone.hz[0] = tone.hz[1] = c.hz;
        tone.amplitude[0] = tone.amplitude[1] = 1.0;
        const HSTREAM stream = tone.create();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        output.render(8192);
        std::vector<float> fft(1024 + 64, -1.0f);
        EXPECT_EQ(BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT2048), 4096u);
        const double exactBin = c.hz * 2048 / c.rate;
        const std::size_t peak = PeakBin(fft.data(), 1024, 1);
        EXPECT_LE(std::fabs(static_cast<double>(peak) - exactBin), 0.5);
        EXPECT_GT(fft[peak], 0.8f); // a full-scale sine reads about 1.0 (0.85 between two bins)
        EXPECT_LT(fft[peak], 1.05f);
        EXPECT_TRUE(std::all_of(fft.begin() + 1024, fft.end(), [](float v) { return v == -1.0f; }))
            << "wrote past 1024 values";
        BASS_StreamFree(stream);
    }
}

// Per-side spectra come interleaved (left, right, left, ...): a tone on the left only shows in the
// even places.
TEST(Spectrum, IndividualSpectraAreInterleavedBySide)
{
    for (const DWORD length : {DWORD{0x80000011u}, DWORD{BASS_DATA_FFT2048_INDIVIDUAL}}) {
        for (int toneSide = 0; toneSide < 2; ++toneSide) {
            SCOPED_TRACE(testing::Message() << std::hex << length << " side " << toneSide);
            ManualOutput output(44100);
            ASSERT_TRUE(output.ok());
            ToneProc tone;
            tone.hz[0] = tone.hz[1] = 1000;
            tone.amplitude[toneSide] = 1.0;
            tone.amplitude[1 - toneSide] = 0.0;
            const HSTREAM stream = tone.create();
            ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
            output.render(8192);
            std::vector<float> fft(1024 + 64, -1.0f);
            EXPECT_EQ(BASS_ChannelGetData(stream, fft.data(), length), 4096u);
            const std::size_t peak = PeakBin(fft.data() + toneSide, 512, 2);
            EXPECT_LE(std::fabs(static_cast<double>(peak) - 1000.0 * 1024 / 44100), 0.5);
            EXPECT_GT(fft[peak * 2 + static_cast<std::size_t>(toneSide)], 0.8f);
            float quietMax = 0;
            for (std::size_t k = 0; k < 512; ++k)
                quietMax = std::max(quietMax, fft[k * 2 + static_cast<std::size_t>(1 - toneSide)]);
            EXPECT_LT(quietMax, 1e-4f);
            EXPECT_TRUE(std::all_of(fft.begin() + 1024, fft.end(), [](float v) { return v == -1.0f; }));
            BASS_StreamFree(stream);
        }
    }
}

TEST(Spectrum, OfSilenceIsZero)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    tone.amplitude[0] = tone.amplitude[1] = 0;
    const HSTREAM stream = tone.create();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    output.render(4096);
    std::vector<float> fft(1024, -1.0f);
    BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT2048);
    EXPECT_TRUE(std::all_of(fft.begin(), fft.end(), [](float v) { return v == 0.0f; }));
    BASS_StreamFree(stream);
}

} // namespace

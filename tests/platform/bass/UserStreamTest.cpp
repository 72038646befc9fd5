// User streams through the manual output: format handling, resampling, the end after a short
// delivery and the thread the procedure runs on; and, through the real-time output, a procedure that
// blocks.

#include "tests/platform/bass/BassTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>

namespace {

struct FormatCase {
    const char *name;
    int channels;
    bool floatSamples;
};

class UserStreamFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(UserStreamFormat, ComesOutSampleExactAtTheOutputRate)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    tone.channels = GetParam().channels;
    tone.floatSamples = GetParam().floatSamples;
    tone.hz[0] = 441;
    tone.hz[1] = 1323;
    tone.amplitude[1] = 0.25;
    const HSTREAM stream = tone.create();
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const std::vector<float> out = output.render(5000);
    for (std::uint64_t f = 0; f < 5000; ++f) {
        const float left = tone.expected(f, 0);
        const float right = tone.channels == 1 ? left : tone.expected(f, 1);
        ASSERT_EQ(out[f * 2], left) << "frame " << f;
        ASSERT_EQ(out[f * 2 + 1], right) << "frame " << f;
    }
    // The samples handed back describe what was just heard, in the stream's own format and layout.
    if (tone.floatSamples) {
        std::vector<float> data(2048);
        ASSERT_EQ(BASS_ChannelGetData(stream, data.data(), 8192), 8192u);
        const std::size_t frames = 2048 / static_cast<std::size_t>(tone.channels);
        for (std::size_t i = 0; i < frames; ++i)
            ASSERT_EQ(data[i * static_cast<std::size_t>(tone.channels)], out[(5000 - frames + i) * 2]) << i;
    } else {
        std::vector<std::int16_t> data(2048);
        ASSERT_EQ(BASS_ChannelGetData(stream, data.data(), 4096), 4096u);
        const std::size_t frames = 2048 / static_cast<std::size_t>(tone.channels);
        for (std::size_t i = 0; i < frames; ++i)
            for (int side = 0; side < tone.channels; ++side)
                ASSERT_EQ(data[i * static_cast<std::size_t>(tone.channels) + static_cast<std::size_t>(side)],
                          std::lround(out[(5000 - frames + i) * 2 + static_cast<std::size_t>(side)] * 32768.0f))
                    << i;
    }
    BASS_StreamFree(stream);
}

INSTANTIATE_TEST_SUITE_P(Formats, UserStreamFormat,
                         ::testing::Values(FormatCase{"Stereo16", 2, false}, FormatCase{"Mono16", 1, false},
                                           FormatCase{"StereoFloat", 2, true}, FormatCase{"MonoFloat", 1, true}),
                         [](const auto &info) { return std::string(info.param.name); });

struct RateCase {
    int sourceRate;
    int outputRate;
    int channels;
};

class UserStreamResampling : public ::testing::TestWithParam<RateCase> {};

// A sine converted to another rate is compared with the ideal sine at the output rate: at least
// 60 dB signal-to-error, both sides, after the converter has settled.
TEST_P(UserStreamResampling, KeepsTheToneClean)
{
    const RateCase c = GetParam();
    ManualOutput output(static_cast<DWORD>(c.outputRate));
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    tone.rate = c.sourceRate;
    tone.channels = c.channels;
    tone.hz[0] = tone.hz[1] = 1000;
    const HSTREAM stream = tone.create();
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const std::size_t frames = static_cast<std::size_t>(c.outputRate);
    const std::vector<float> out = output.render(frames);
    // Allow for a constant delay of a few output frames; look for the best match.
    double bestSnr = -1e9;
    for (int lag = -4; lag <= 4; ++lag) {
        double signal = 0, error = 0;
        for (std::size_t f = 2000; f < frames - 100; ++f) {
            const double t = (static_cast<double>(f) - lag) / c.outputRate;
            const double ideal = 0.5 * std::sin(2 * std::numbers::pi * 1000 * t);
            for (int side = 0; side < 2; ++side) {
                signal += ideal * ideal;
                error += (out[f * 2 + side] - ideal) * (out[f * 2 + side] - ideal);
            }
        }
        bestSnr = std::max(bestSnr, 10 * std::log10(signal / std::max(error, 1e-30)));
    }
    EXPECT_GE(bestSnr, 60.0);
    BASS_StreamFree(stream);
}

INSTANTIATE_TEST_SUITE_P(Rates, UserStreamResampling,
                         ::testing::Values(RateCase{22050, 44100, 1}, RateCase{44100, 48000, 2},
                                           RateCase{48000, 22050, 2}, RateCase{11025, 44100, 2}));

// A short delivery ends the stream only once everything it delivered has been heard.
TEST(UserStream, StaysActiveUntilItsBufferedAudioIsHeard)
{
    struct Case {
        int sourceRate;
        std::uint64_t frames;
    };
    for (const Case c : {Case{44100, 10000}, Case{44100, 3000}, Case{22050, 7001}}) {
        SCOPED_TRACE(c.sourceRate);
        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        ToneProc tone;
        tone.rate = c.sourceRate;
        tone.totalFrames = c.frames;
        const HSTREAM stream = tone.create();
        ASSERT_NE(stream, 0u);
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const std::size_t heardFrames = static_cast<std::size_t>(c.frames * 44100 / static_cast<std::uint64_t>(c.sourceRate));
        if (c.sourceRate == 44100) {
            output.render(heardFrames - 1);
            // The procedure has long delivered its last frame; one frame is still to be heard.
            EXPECT_EQ(tone.frame, c.frames);
            EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_PLAYING});
            const std::vector<float> last = output.render(1);
            EXPECT_EQ(last[0], tone.expected(c.frames - 1, 0));
            EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED});
        } else {
            output.render(heardFrames - 200);
            EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_PLAYING});
            output.render(400);
            EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED});
        }
        BASS_StreamFree(stream);
    }
}

TEST(UserStream, ProcedureRunsOnlyOnTheLibrarysThread)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    const HSTREAM stream = tone.create();
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    output.render(50000);
    BASS_StreamFree(stream);
    std::lock_guard lock(tone.threadsMutex);
    ASSERT_FALSE(tone.threads.empty());
    for (const std::thread::id id : tone.threads)
        EXPECT_NE(id, std::this_thread::get_id());
}

// A procedure that blocks (a slow disk or drive) holds up only its own stream: another one plays on,
// and is freed at once.
TEST(UserStream, AProcedureThatBlocksHoldsUpOnlyItsOwnStream)
{
    struct Blocking {
        std::mutex mutex;
        std::condition_variable cv;
        bool released = false;
        std::atomic<int> calls{0};
        static DWORD Proc(HSTREAM, void *buffer, DWORD length, void *user)
        {
            auto &b = *static_cast<Blocking *>(user);
            if (b.calls.fetch_add(1) > 0) {
                std::unique_lock lock(b.mutex);
                b.cv.wait(lock, [&] { return b.released; });
            }
            std::memset(buffer, 0, length);
            return length;
        }
    } blocking;
    using Clock = std::chrono::steady_clock;
    ASSERT_TRUE(BASS_Init(-1, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr)) << BASS_ErrorGetCode();
    BASS_SetBufferLength(0.2f);
    const HSTREAM stuck = BASS_StreamCreate(44100, BASS_SAMPLE_FLOAT, &Blocking::Proc, &blocking);
    ToneProc tone;
    const HSTREAM other = tone.create();
    ASSERT_TRUE(stuck != 0 && other != 0);
    ASSERT_TRUE(BASS_StreamPlay(stuck, FALSE, 0));
    ASSERT_TRUE(BASS_StreamPlay(other, FALSE, 0));
    for (const auto until = Clock::now() + std::chrono::seconds(5); blocking.calls < 2 && Clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GE(blocking.calls, 2) << "the procedure blocks";

    const QWORD from = BASS_ChannelGetPosition(other);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const QWORD to = BASS_ChannelGetPosition(other);
    EXPECT_GT(to - from, QWORD{44100 * 8 * 6 / 10}) << "a second later the other stream has played on";
    const auto freeing = Clock::now();
    BASS_StreamFree(other);
    EXPECT_LT(Clock::now() - freeing, std::chrono::milliseconds(500)) << "and is freed at once";
    {
        std::lock_guard lock(blocking.mutex);
        blocking.released = true;
    }
    blocking.cv.notify_all();
    BASS_StreamFree(stuck);
    BASS_Free();
}

// Without a procedure a float stream is still created (the float-support test) and simply ends.
TEST(UserStream, WithoutProcedureIsCreatedAndDeliversNothing)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    for (const DWORD flags : {DWORD{BASS_SAMPLE_FLOAT}, DWORD{0}, DWORD{BASS_SAMPLE_FLOAT | BASS_SAMPLE_MONO}}) {
        const HSTREAM stream = BASS_StreamCreate(44100, flags, nullptr, nullptr);
        ASSERT_NE(stream, 0u) << flags;
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const std::vector<float> out = output.render(256);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.0f; }));
        EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED});
        BASS_StreamFree(stream);
    }
}

TEST(UserStream, RejectsRatesOutsideTheSupportedRange)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    for (const DWORD rate : {DWORD{0}, DWORD{100}, DWORD{100000}}) {
        EXPECT_EQ(BASS_StreamCreate(rate, BASS_SAMPLE_FLOAT, &ToneProc::Proc, &tone), 0u) << rate;
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    }
    for (const DWORD rate : {DWORD{101}, DWORD{99999}}) {
        const HSTREAM stream = BASS_StreamCreate(rate, BASS_SAMPLE_FLOAT, &ToneProc::Proc, &tone);
        EXPECT_NE(stream, 0u) << rate;
        BASS_StreamFree(stream);
    }
}

} // namespace

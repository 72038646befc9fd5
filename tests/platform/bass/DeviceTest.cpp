// The real output through SDL (the dummy driver in tests) and the "No sound" output on its own clock.

#include "tests/platform/bass/BassTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

TEST(Devices, ListStartsWithDefaultAndNoSoundAndEndsWithNull)
{
    ASSERT_NE(BASS_GetDeviceDescription(0), nullptr);
    EXPECT_STREQ(BASS_GetDeviceDescription(0), "Default");
    ASSERT_NE(BASS_GetDeviceDescription(1), nullptr);
    EXPECT_STREQ(BASS_GetDeviceDescription(1), "No sound");
    int count = 2;
    while (BASS_GetDeviceDescription(count) != nullptr && count < 100)
        ++count;
    EXPECT_LT(count, 100);
    EXPECT_EQ(BASS_GetDeviceDescription(count), nullptr);
    EXPECT_EQ(BASS_GetDeviceDescription(-5), nullptr);

    EXPECT_FALSE(BASS_Init(count, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_FALSE(BASS_Init(-7, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr));
}

// Through a device (or no sound at all) playback advances at real time and a short stream ends.
TEST(Devices, StreamsPlayAndEndOnARealClock)
{
    for (const int device : {-1, 0, 1}) {
        SCOPED_TRACE(device);
        ASSERT_TRUE(BASS_Init(device, 22050, BASS_DEVICE_DEFAULT_FLAGS, nullptr)) << BASS_ErrorGetCode();
        ASSERT_TRUE(BASS_Start());
        BASS_SetBufferLength(0.5f);
        ToneProc tone;
        tone.rate = 22050;
        tone.channels = 1;
        tone.totalFrames = 22050 / 4; // a quarter of a second
        const HSTREAM stream = tone.create();
        ASSERT_NE(stream, 0u);
        const auto started = std::chrono::steady_clock::now();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_PLAYING});
        while (BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING &&
               std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED});
        EXPECT_GE(took, 0.2) << "it cannot end before it has been heard";
        EXPECT_LT(took, 3.0);
        {
            std::lock_guard lock(tone.threadsMutex);
            for (const std::thread::id id : tone.threads)
                EXPECT_NE(id, std::this_thread::get_id());
        }
        BASS_StreamFree(stream);
        BASS_Free();
    }
}

TEST(Devices, PauseHoldsTheClock)
{
    ASSERT_TRUE(BASS_Init(1, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr));
    ToneProc tone;
    const HSTREAM stream = tone.create();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    // The no-sound clock runs in real time; on a loaded machine the first heard frame may take a while.
    const auto positionPasses = [stream](QWORD mark) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (BASS_ChannelGetPosition(stream) <= mark && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return BASS_ChannelGetPosition(stream) > mark;
    };
    ASSERT_TRUE(positionPasses(0));
    ASSERT_TRUE(BASS_Pause());
    const QWORD held = BASS_ChannelGetPosition(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), held);
    ASSERT_TRUE(BASS_Start());
    EXPECT_TRUE(positionPasses(held));
    BASS_StreamFree(stream);
    BASS_Free();
}

// The process's context switches so far, all threads together.
long ContextSwitches()
{
    long total = 0;
    for (const auto &task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

// With nothing playing the output goes idle (the device closed, the clock asleep) and comes back
// for the next play: the stream is then heard and ends as before.
TEST(Devices, IdleOutputStopsWakingAndComesBackForTheNextPlay)
{
    for (const int device : {-1, 1}) {
        SCOPED_TRACE(device);
        ASSERT_TRUE(BASS_Init(device, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr)) << BASS_ErrorGetCode();
        std::this_thread::sleep_for(std::chrono::milliseconds(1800)); // a second of silence, and some
        const long before = ContextSwitches();
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        // A running output wakes 20 to 100 times a second; an idle one hardly at all.
        EXPECT_LT(ContextSwitches() - before, 12);

        ToneProc tone;
        tone.totalFrames = 44100 / 4;
        const HSTREAM stream = tone.create();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const auto started = std::chrono::steady_clock::now();
        while (BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING &&
               std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED}) << "heard to its end";
        EXPECT_GT(BASS_ChannelGetPosition(stream), 0u);
        BASS_StreamFree(stream);
        BASS_Free();
    }
}

// A device that is lost (here SDL's disk output writing to a full device) is reported and closed;
// playback holds, and once the output can be written again it is opened and playback goes on.
TEST(Devices, ALostDeviceIsReportedAndOpenedAgainWithBackOff)
{
    TempDir dir;
    const std::string out = dir.file("out.raw");
    std::filesystem::create_symlink("/dev/full", out);
    const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    const auto waitFor = [](auto done, double seconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done();
    };

    ASSERT_TRUE(BASS_Init(-1, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr)) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_Start());
    ToneProc tone;
    const HSTREAM stream = tone.create();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    EXPECT_TRUE(waitFor([] { return BASS_IsOutputLost() != FALSE; }, 3.0)) << "writes fail: the device is lost";
    const QWORD lostAt = BASS_ChannelGetPosition(stream);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const QWORD held = BASS_ChannelGetPosition(stream);
    // Only each reopen that fails again mixes a little; real time would have played two seconds.
    EXPECT_LT(held - lostAt, QWORD{44100 / 2 * 8}) << "playback holds while the device is lost";

    std::filesystem::remove(out); // the next reopen writes a plain file
    EXPECT_TRUE(waitFor([] { return BASS_IsOutputLost() == FALSE; }, 8.0)) << "opened again";
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelGetPosition(stream) > held + 44100 / 2 * 8; }, 3.0))
        << "playback goes on";
    EXPECT_GT(std::filesystem::file_size(out), 0u);
    BASS_StreamFree(stream);
    BASS_Free();
    setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    unsetenv("SDL_DISKAUDIOFILE");
}

} // namespace

#pragma once
// What the fake visual plug-in (FakeVisual.cpp) records and how a test steers it: the test loads the
// same library file itself, so the host's copy and the test's share these globals
// (FakeVisualControl()).

#include <atomic>
#include <cstdint>

struct FakeVisualState {
    static constexpr int kTimes = 64;

    // Steering.
    std::atomic<int> renderResult{20};
    std::atomic<int> failInit{0};
    std::atomic<int> closeBox{0}; // the user closes the window: Dispatch reports it destroyed

    // Records.
    std::atomic<int> inits{0};
    std::atomic<int> quits{0};
    std::atomic<int> renders{0};
    std::atomic<int> closesPosted{0};
    std::atomic<int> renderNice{-100};
    std::atomic<std::uint64_t> windowThread{0};
    std::atomic<std::uint64_t> renderThread{0};
    std::atomic<std::uint64_t> quitThread{0};
    std::atomic<std::int64_t> renderTimesNs[kTimes]{};
    // The VisInfo handed to Init.
    std::atomic<const void *> level{nullptr}, sampleRate{nullptr}, samples{nullptr}, fft{nullptr}, module{nullptr};
    std::atomic<int> sampleBytes{0}, fftCount{0};
    std::atomic<const char *> mainWindow{nullptr};

    void Reset(int result)
    {
        renderResult = result;
        failInit = closeBox = inits = quits = renders = closesPosted = 0;
        renderNice = -100;
    }
};

using FakeVisualControlFn = FakeVisualState *(*)();

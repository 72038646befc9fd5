#pragma once
// Helpers for driving the audio library through its public interface with the manual output.

#include "platform/bass/bass.h"
#include "platform/bass/bass_render.h"

#include <cmath>
#include <cstdint>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

// Initialises the manual output for a test and frees the library afterwards.
class ManualOutput {
public:
    explicit ManualOutput(DWORD rate = 44100);
    ~ManualOutput();
    bool ok() const { return m_ok; }
    // Renders `frames` stereo frames and returns them.
    std::vector<float> render(std::size_t frames);

private:
    bool m_ok;
};

// A user stream's procedure producing per-side sines, counted in source frames, in the stream's
// format; it records the threads it ran on.
struct ToneProc {
    int rate = 44100;
    int channels = 2;
    bool floatSamples = true;
    double hz[2] = {1000, 1000};
    double amplitude[2] = {0.5, 0.5};
    std::uint64_t totalFrames = 0; // 0: endless
    std::uint64_t frame = 0;
    std::mutex threadsMutex;
    std::vector<std::thread::id> threads;

    // The exact sample the procedure delivers for `frame` on `side` (as the library should read it).
    float expected(std::uint64_t frame, int side) const;
    DWORD flags() const { return (floatSamples ? BASS_SAMPLE_FLOAT : 0u) | (channels == 1 ? BASS_SAMPLE_MONO : 0u); }
    HSTREAM create();
    static DWORD Proc(HSTREAM, void *buffer, DWORD length, void *user);
};

// Root-mean-square of one side of stereo frames [begin, end).
double SideRms(const std::vector<float> &stereo, int side, std::size_t begin, std::size_t end);
double Db(double ratio);

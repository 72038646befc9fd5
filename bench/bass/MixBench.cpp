// Prints how fast the library mixes through the manual output: user streams at the output rate
// (no conversion) against the same streams at 22050 Hz (converted), with and without nine
// equalizer bands, as multiples of real time and as CPU milliseconds (all threads of the process)
// per audio second. The first row is the baseline for the ratios. The tone procedure's own cost
// (one sine per frame) is printed as well, to be subtracted by eye.

#include "platform/bass/bass.h"
#include "platform/bass/bass_render.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>
#include <vector>

namespace {

struct Tone {
    double phase = 0;
    double step = 0;
};

DWORD ToneProc(HSTREAM, void *buffer, DWORD length, void *user)
{
    auto *tone = static_cast<Tone *>(user);
    auto *out = static_cast<float *>(buffer);
    for (DWORD i = 0; i < length / 8; ++i) {
        out[i * 2] = out[i * 2 + 1] = static_cast<float>(0.3 * std::sin(tone->phase));
        tone->phase += tone->step;
    }
    return length;
}

double CpuNow()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Result {
    double speed = 0;     // times real time
    double cpuPerSec = 0; // CPU milliseconds per audio second
};

// CPU milliseconds that ToneProc alone spends per audio second of `streams` streams at `rate`.
double ToneCost(int streams, DWORD rate)
{
    Tone tone;
    tone.step = 0.01;
    std::vector<float> buffer(4096 * 2);
    const double cpu0 = CpuNow();
    for (DWORD done = 0; done < rate * 5; done += 4096)
        ToneProc(0, buffer.data(), 4096 * 8, &tone);
    return 1000.0 * (CpuNow() - cpu0) / 5.0 * streams;
}

Result Run(int streams, DWORD sourceRate, int bands, double seconds)
{
    constexpr DWORD kRate = 44100;
    BASSX_InitManual(kRate);
    BASS_SetBufferLength(0.5f);
    std::vector<Tone> tones(static_cast<std::size_t>(streams));
    std::vector<HSTREAM> handles;
    for (Tone &t : tones) {
        t.step = 2 * std::numbers::pi * (200.0 + 50.0 * static_cast<double>(handles.size())) / sourceRate;
        const HSTREAM h = BASS_StreamCreate(sourceRate, BASS_SAMPLE_FLOAT, &ToneProc, &t);
        for (int b = 0; b < bands; ++b) {
            const HFX fx = BASS_ChannelSetFX(h, BASS_FX_PARAMEQ);
            const BASS_FXPARAMEQ p{80.0f * static_cast<float>(1 << b), 12.0f, 3.0f};
            BASS_FXSetParameters(fx, &p);
        }
        BASS_StreamPlay(h, FALSE, 0);
        handles.push_back(h);
    }
    std::vector<float> out(4096 * 2);
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = CpuNow();
    for (std::size_t done = 0; done < frames; done += 4096)
        BASSX_Render(out.data(), 4096);
    const double cpu = CpuNow() - cpu0;
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (HSTREAM h : handles)
        BASS_StreamFree(h);
    BASS_Free();
    return Result{seconds / took, 1000.0 * cpu / seconds};
}

} // namespace

int main()
{
    struct Case {
        const char *name;
        int streams;
        DWORD rate;
        int bands;
    };
    const Case cases[] = {{"1 stream 44100 Hz (baseline)", 1, 44100, 0}, {"1 stream 22050 Hz (soxr)", 1, 22050, 0},
                          {"1 stream 44100 Hz + 9 EQ bands", 1, 44100, 9}, {"8 streams 44100 Hz", 8, 44100, 0},
                          {"8 streams 22050 Hz + 9 EQ bands", 8, 22050, 9}};
    double baseline = 0;
    std::printf("%-36s %12s %8s %14s %14s\n", "case", "x real time", "ratio", "CPU ms/audio s", "of it tones");
    for (const Case &c : cases) {
        const Result r = Run(c.streams, c.rate, c.bands, 20.0);
        if (baseline == 0)
            baseline = r.speed;
        std::printf("%-36s %12.1f %8.2f %14.3f %14.3f\n", c.name, r.speed, r.speed / baseline, r.cpuPerSec,
                    ToneCost(c.streams, c.rate));
    }
    return 0;
}

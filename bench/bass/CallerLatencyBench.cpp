// Prints how long the caller's thread (the user-interface thread in the player) is held by opening
// and seeking file streams whose decoders are slow to open or seek: a 20-minute 320 kbit/s MP3 (its
// whole-file scan for the exact length and seek index) and a 20-minute GSM 6.10 WAV (whose seeks
// decode from the start), beside a PCM WAV of the same audio as the baseline, and how long after
// each seek the new place is heard through the manual output. Goal: every call returns within a
// millisecond or two whatever the file, the slow work being done on the update thread.

#include "platform/bass/bass.h"
#include "platform/bass/bass_render.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Figures {
    double openMs = 0;
    double seekMs = 0;
    double heardAfterSeekMs = 0;
};

Figures Measure(const std::string &path)
{
    Figures f;
    auto start = std::chrono::steady_clock::now();
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    f.openMs = MsSince(start);
    if (stream == 0) {
        std::printf("cannot open %s (error %d)\n", path.c_str(), BASS_ErrorGetCode());
        return f;
    }
    BASS_StreamPlay(stream, FALSE, 0);
    std::vector<float> out(2 * 4096);
    BASSX_Render(out.data(), 4096); // the first fill has happened: the file is open for reading
    start = std::chrono::steady_clock::now();
    BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 15 * 60.0f));
    f.seekMs = MsSince(start);
    BASSX_Render(out.data(), 4096); // waits for the update thread's seek
    f.heardAfterSeekMs = MsSince(start);
    BASS_StreamFree(stream);
    return f;
}

} // namespace

int main()
{
    TempDir dir;
    const std::string pcm = dir.file("long.wav");
    const std::string mp3 = dir.file("long.mp3");
    const std::string gsm = dir.file("long-gsm.wav");
    const std::string quiet = " 2>/dev/null";
    if (std::system(("sox -n -r 44100 -c 2 -b 16 " + pcm + " synth 1200 sine 440 vol 0.5" + quiet).c_str()) != 0 ||
        std::system(("lame --quiet -b 320 " + pcm + " " + mp3 + quiet).c_str()) != 0 ||
        std::system(("sox " + pcm + " -r 8000 -c 1 -e gsm-full-rate " + gsm + quiet).c_str()) != 0) {
        std::printf("could not make the files (sox, lame)\n");
        return 1;
    }
    if (!BASSX_InitManual(44100)) {
        std::printf("manual output failed\n");
        return 1;
    }
    BASS_SetBufferLength(2.0f);
    std::printf("%-24s %10s %10s %18s\n", "file (20 min)", "open ms", "seek ms", "heard after ms");
    const Figures base = Measure(pcm);
    for (const auto &[name, path] : {std::pair{"PCM WAV (baseline)", pcm}, std::pair{"MP3 320 kbit/s", mp3},
                                     std::pair{"GSM 6.10 WAV", gsm}}) {
        const Figures f = path == pcm ? base : Measure(path);
        std::printf("%-24s %10.2f %10.2f %18.1f   open x%.1f, seek x%.1f of the baseline\n", name, f.openMs, f.seekMs,
                    f.heardAfterSeekMs, f.openMs / base.openMs, f.seekMs / base.seekMs);
    }
    BASS_Free();
    return 0;
}

// melvane-play: plays files one after another through Melvane's audio library, or a short built-in
// tune (--demo) through a user stream. The type of each file is decided by its content.
//
// Threads: main thread only, except the demo's stream procedure, which the library calls on its
// update thread; the two share nothing but the synthesiser state the procedure owns.

#include "platform/bass/bass.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameSearch.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/io/CFileDescriptor.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Kind { Unknown, Stream, Music };

Kind kindOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> head(1084, 0);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    auto at = [&](std::size_t offset, const char *magic) {
        const std::size_t n = std::strlen(magic);
        return got >= offset + n && std::memcmp(head.data() + offset, magic, n) == 0;
    };
    if (CRiffChunkWalker::IsRiffWave(reinterpret_cast<const std::uint8_t *>(head.data()), got))
        return Kind::Stream;
    for (const char *magic : {"M.K.", "4CHN", "FLT4", "6CHN", "8CHN", "FLT8"})
        if (at(1080, magic))
            return Kind::Music;
    if (at(44, "SCRM") || at(0, "Extended Module: ") || at(0, "IMPM"))
        return Kind::Music;
    // MPEG audio as the audio library finds it: a confirmed frame after any ID3v2 tags.
    const CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!file.valid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Kind::Unknown;
    const CByteReader reader = CByteReader::FromFd(file.get(), static_cast<std::uint64_t>(st.st_size));
    return CMpegFrameSearch::FindFirstFrame(reader) ? Kind::Stream : Kind::Unknown;
}

// A few seconds of a plucked arpeggio over C, A minor, F and G, with a soft bass.
struct DemoSynth {
    static constexpr int kRate = 44100;
    static constexpr double kNoteSeconds = 0.18;
    std::uint64_t frame = 0;
    std::uint64_t totalFrames = static_cast<std::uint64_t>(kRate * kNoteSeconds * 32) + kRate / 2;

    static double noteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

    float sampleAt(std::uint64_t f) const
    {
        static const int chords[4][4] = {{60, 64, 67, 72}, {57, 60, 64, 69}, {53, 57, 60, 65}, {55, 59, 62, 67}};
        const double t = static_cast<double>(f) / kRate;
        const int step = static_cast<int>(t / kNoteSeconds);
        const int chord = std::min(step / 8, 3);
        const double noteT = t - step * kNoteSeconds;
        const int note = chords[chord][(step % 8) < 4 ? step % 4 : 3 - step % 4] + 12;
        double v = 0;
        if (step < 32) {
            const double hz = noteHz(note);
            const double env = std::exp(-noteT * 9.0);
            v += 0.30 * env * (std::sin(2 * std::numbers::pi * hz * noteT) + 0.3 * std::sin(4 * std::numbers::pi * hz * noteT));
        }
        const double chordT = t - chord * 8 * kNoteSeconds;
        const double bassHz = noteHz(chords[chord][0] - 12);
        v += 0.20 * std::exp(-chordT * 1.5) * std::sin(2 * std::numbers::pi * bassHz * chordT);
        return static_cast<float>(v);
    }
};

DWORD demoProc(HSTREAM, void *buffer, DWORD length, void *user)
{
    auto *synth = static_cast<DemoSynth *>(user);
    auto *out = static_cast<float *>(buffer);
    const DWORD frames = length / 8;
    DWORD written = 0;
    for (; written < frames && synth->frame < synth->totalFrames; ++written, ++synth->frame) {
        const float v = synth->sampleAt(synth->frame);
        out[written * 2] = v;
        out[written * 2 + 1] = v;
    }
    return written * 8;
}

void usage()
{
    std::fprintf(stderr, "usage: melvane-play FILE... [--device N] [--float] [--seconds S] [--demo]\n");
}

// Waits until the channel ends or `limit` seconds pass, printing the elapsed time once a second.
void follow(DWORD channel, double limit)
{
    const auto start = std::chrono::steady_clock::now();
    int shown = -1;
    for (;;) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (BASS_ChannelIsActive(channel) != BASS_ACTIVE_PLAYING || (limit > 0 && elapsed >= limit)) {
            std::printf("  ended after %.1f s\n", elapsed);
            return;
        }
        if (static_cast<int>(elapsed) != shown) {
            shown = static_cast<int>(elapsed);
            const DWORD level = BASS_ChannelGetLevel(channel);
            std::printf("  %02d:%02d  level %3u/%3u\n", shown / 60, shown % 60, level & 0xFFFF, level >> 16);
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

int main(int argc, char **argv)
{
    int device = -1;
    bool useFloat = false, demo = false;
    double seconds = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--device" && i + 1 < argc)
            device = std::atoi(argv[++i]);
        else if (arg == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (arg == "--float")
            useFloat = true;
        else if (arg == "--demo")
            demo = true;
        else if (arg == "--help" || arg == "-h" || (arg.size() > 1 && arg[0] == '-')) {
            usage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        } else
            files.push_back(arg);
    }
    if (files.empty() && !demo) {
        usage();
        return 2;
    }
    if (!BASS_Init(device, 44100, BASS_DEVICE_DEFAULT_FLAGS, nullptr)) {
        std::fprintf(stderr, "cannot open audio device %d (error %d)\n", device, BASS_ErrorGetCode());
        return 1;
    }
    BASS_Start();
    const char *name = BASS_GetDeviceDescription(device < 0 ? 0 : device);
    std::printf("output: %s\n", name ? name : "?");
    int failures = 0;
    if (demo) {
        DemoSynth synth;
        const HSTREAM stream = BASS_StreamCreate(DemoSynth::kRate, BASS_SAMPLE_FLOAT, &demoProc, &synth);
        if (!stream || !BASS_StreamPlay(stream, FALSE, 0)) {
            std::fprintf(stderr, "demo: cannot play (error %d)\n", BASS_ErrorGetCode());
            ++failures;
        } else {
            std::printf("playing the demo tune\n");
            follow(stream, seconds);
        }
        BASS_StreamFree(stream); // the procedure is never called after this returns
    }
    const DWORD flags = useFloat ? BASS_SAMPLE_FLOAT : 0;
    for (const std::string &file : files) {
        const Kind kind = kindOf(file);
        DWORD channel = 0;
        if (kind == Kind::Stream) {
            channel = BASS_StreamCreateFile(FALSE, file.c_str(), 0, 0, flags);
            if (channel)
                BASS_StreamPlay(channel, FALSE, 0);
        } else if (kind == Kind::Music) {
            channel = BASS_MusicLoad(FALSE, file.c_str(), 0, 0, (useFloat ? BASS_MUSIC_FLOAT : 0) | 0x120);
            if (channel)
                BASS_MusicPlayEx(channel, 0, -1, TRUE);
        } else {
            std::printf("skipping %s: not a file this player knows\n", file.c_str());
            ++failures;
            continue;
        }
        if (!channel) {
            std::printf("skipping %s: cannot open it (error %d)\n", file.c_str(), BASS_ErrorGetCode());
            ++failures;
            continue;
        }
        std::printf("playing %s (%s)\n", file.c_str(), kind == Kind::Music ? "module" : "stream");
        follow(channel, seconds);
        if (kind == Kind::Music)
            BASS_MusicFree(channel);
        else
            BASS_StreamFree(channel);
    }
    BASS_Free();
    return failures == 0 ? 0 : 1;
}

// Prints what real-time playback through the library costs: the CPU share of one core (user + system
// time of the whole process, from getrusage) while the output device pulls audio at real time. Run it
// with SDL's dummy driver (set here when SDL_AUDIODRIVER is not set), which consumes at the device's
// rate without a sound card. Three kinds of playback, each for the same stretch of time:
//   - a 320 kbit/s MP3 file stream (the library's own libmpg123 decoder),
//   - FLAC through a user stream whose STREAMPROC runs libFLAC's stream decoder,
//   - Ogg Vorbis through a user stream whose STREAMPROC runs libvorbisfile.
// Each figure is printed beside a reference measured for another player on this kind of machine and
// the goal of 0.7 times that reference. Usage: bench_bass_playback_cpu [seconds per kind, default 20].

#include "platform/bass/bass.h"
#include "tests/support/TempDir.h"

#include <FLAC/stream_decoder.h>
#include <vorbis/vorbisfile.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// libFLAC's stream decoder feeding float stereo frames to a STREAMPROC.
class FlacFeeder {
public:
    explicit FlacFeeder(const std::string &path)
    {
        m_decoder = FLAC__stream_decoder_new();
        FLAC__stream_decoder_init_file(m_decoder, path.c_str(), &FlacFeeder::Write, nullptr, &FlacFeeder::Error, this);
        m_pending.resize(2 * 65536);
    }
    ~FlacFeeder() { FLAC__stream_decoder_delete(m_decoder); }
    FlacFeeder(const FlacFeeder &) = delete;
    FlacFeeder &operator=(const FlacFeeder &) = delete;

    static DWORD Proc(HSTREAM, void *buffer, DWORD length, void *user)
    {
        auto *self = static_cast<FlacFeeder *>(user);
        auto *out = static_cast<float *>(buffer);
        const std::size_t wanted = length / 8;
        std::size_t done = 0;
        while (done < wanted) {
            if (self->m_begin == self->m_end) {
                self->m_begin = self->m_end = 0;
                if (FLAC__stream_decoder_get_state(self->m_decoder) == FLAC__STREAM_DECODER_END_OF_STREAM
                    || !FLAC__stream_decoder_process_single(self->m_decoder) || self->m_begin == self->m_end)
                    break;
            }
            const std::size_t n = std::min(wanted - done, (self->m_end - self->m_begin) / 2);
            std::memcpy(out + 2 * done, self->m_pending.data() + self->m_begin, n * 2 * sizeof(float));
            self->m_begin += 2 * n;
            done += n;
        }
        return static_cast<DWORD>(done * 8);
    }

private:
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                                const FLAC__int32 *const buffer[], void *user)
    {
        auto *self = static_cast<FlacFeeder *>(user);
        const unsigned frames = frame->header.blocksize;
        if (self->m_pending.size() < 2 * std::size_t{frames})
            self->m_pending.resize(2 * std::size_t{frames});
        const float scale = 1.0f / float(1u << (frame->header.bits_per_sample - 1));
        const unsigned right = frame->header.channels > 1 ? 1 : 0;
        float *out = self->m_pending.data();
        for (unsigned i = 0; i < frames; ++i) {
            out[2 * i] = float(buffer[0][i]) * scale;
            out[2 * i + 1] = float(buffer[right][i]) * scale;
        }
        self->m_begin = 0;
        self->m_end = 2 * std::size_t{frames};
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }
    static void Error(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus, void *) {}

    FLAC__StreamDecoder *m_decoder = nullptr;
    std::vector<float> m_pending;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

// libvorbisfile feeding float stereo frames to a STREAMPROC.
class VorbisFeeder {
public:
    explicit VorbisFeeder(const std::string &path) { m_open = ov_fopen(path.c_str(), &m_file) == 0; }
    ~VorbisFeeder()
    {
        if (m_open)
            ov_clear(&m_file);
    }
    VorbisFeeder(const VorbisFeeder &) = delete;
    VorbisFeeder &operator=(const VorbisFeeder &) = delete;

    bool open() const { return m_open; }

    static DWORD Proc(HSTREAM, void *buffer, DWORD length, void *user)
    {
        auto *self = static_cast<VorbisFeeder *>(user);
        auto *out = static_cast<float *>(buffer);
        const long wanted = static_cast<long>(length / 8);
        long done = 0;
        while (done < wanted) {
            float **pcm = nullptr;
            int section = 0;
            const long got = ov_read_float(&self->m_file, &pcm, static_cast<int>(wanted - done), &section);
            if (got <= 0)
                break;
            const int right = ov_info(&self->m_file, section)->channels > 1 ? 1 : 0;
            for (long i = 0; i < got; ++i) {
                out[2 * (done + i)] = pcm[0][i];
                out[2 * (done + i) + 1] = pcm[right][i];
            }
            done += got;
        }
        return static_cast<DWORD>(done * 8);
    }

private:
    OggVorbis_File m_file {};
    bool m_open = false;
};

struct Figure {
    const char *name;
    double reference; // per cent of one core
    double measured = 0;
};

// Plays for `seconds` of wall time, from creating the stream to freeing it, and returns the CPU share.
double Play(double seconds, const std::function<HSTREAM()> &create)
{
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuSeconds();
    const HSTREAM handle = create();
    if (handle == 0 || !BASS_StreamPlay(handle, FALSE, 0)) {
        std::fprintf(stderr, "cannot play: error %d\n", BASS_ErrorGetCode());
        return -1;
    }
    const auto until = wall0 + std::chrono::duration<double>(seconds);
    // Like a player's timer, but slow enough not to count: is the track still playing?
    while (std::chrono::steady_clock::now() < until && BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    BASS_StreamFree(handle);
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    return 100.0 * cpu / wall;
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 20.0;
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    TempDir dir;
    const std::string wav = dir.file("music.wav");
    const std::string mp3 = dir.file("music.mp3");
    const std::string flac = dir.file("music.flac");
    const std::string ogg = dir.file("music.ogg");
    const std::string length = std::to_string(static_cast<int>(seconds) + 5);
    if (RunCommand("sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth " + length
                   + " pinknoise sine 220-880 gain -8 2>/dev/null") != 0
        || RunCommand("lame --quiet -b 320 '" + wav + "' '" + mp3 + "'") != 0
        || RunCommand("flac --silent -f -o '" + flac + "' '" + wav + "'") != 0
        || RunCommand("oggenc --quiet -q 5 -o '" + ogg + "' '" + wav + "'") != 0) {
        std::fprintf(stderr, "cannot generate the files (sox, lame, flac and oggenc are needed)\n");
        return 1;
    }
    if (!BASS_Init(-1, kRate, 0, nullptr)) {
        std::fprintf(stderr, "BASS_Init failed: %d\n", BASS_ErrorGetCode());
        return 1;
    }
    // The idle cost of an initialised library with nothing playing.
    Figure idle{"idle (initialised, nothing playing)", 0};
    {
        const auto wall0 = std::chrono::steady_clock::now();
        const double cpu0 = CpuSeconds();
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(seconds, 5.0)));
        idle.measured = 100.0 * (CpuSeconds() - cpu0)
            / std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    }

    Figure figures[] = {{"MP3 320 kbit/s (file stream, libmpg123)", 0.83},
                        {"FLAC (user stream, libFLAC)", 0.70},
                        {"Ogg Vorbis q5 (user stream, libvorbisfile)", 0.83}};
    figures[0].measured = Play(seconds, [&] { return BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, BASS_SAMPLE_FLOAT); });
    {
        FlacFeeder feeder(flac);
        figures[1].measured = Play(seconds, [&] { return BASS_StreamCreate(kRate, BASS_SAMPLE_FLOAT, &FlacFeeder::Proc, &feeder); });
    }
    {
        VorbisFeeder feeder(ogg);
        if (!feeder.open()) {
            std::fprintf(stderr, "libvorbisfile cannot open the Ogg file\n");
            return 1;
        }
        figures[2].measured = Play(seconds, [&] { return BASS_StreamCreate(kRate, BASS_SAMPLE_FLOAT, &VorbisFeeder::Proc, &feeder); });
    }
    BASS_Free();

    std::printf("Real-time playback on SDL's '%s' driver, %.0f s each: CPU share of one core (user + system)\n",
                std::getenv("SDL_AUDIODRIVER"), seconds);
    std::printf("%-44s %9s %11s %9s %10s\n", "playback", "measured", "reference", "ratio", "goal 0.7x");
    std::printf("%-44s %8.3f%%\n", idle.name, idle.measured);
    for (const Figure &f : figures)
        std::printf("%-44s %8.3f%% %10.2f%% %9.2f %9.2f%%  %s\n", f.name, f.measured, f.reference,
                    f.measured / f.reference, 0.7 * f.reference, f.measured <= 0.7 * f.reference ? "met" : "missed");
    return 0;
}

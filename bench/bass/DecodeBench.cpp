// Prints, for each kind of file the library plays, how fast it is decoded and mixed through the
// library's offline render path against the bare decoder library on the same file in the same run:
// times real time, CPU milliseconds per audio second, and the library's overhead over the bare decoder.
// Files are generated in a temporary folder: a 60 s 320 kbit/s MP3 (sox + lame), the same audio as a
// 16-bit WAV and as FLAC (played through a user stream whose STREAMPROC runs libFLAC's stream
// decoder), and a generated XM module. Goal: overhead <= 15 %, real-time MP3 playback <= 2 % of a core.

#include "platform/bass/bass.h"
#include "platform/bass/bass_render.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <FLAC/stream_decoder.h>
#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <sndfile.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Cost {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double audioSeconds = 0;
};

double CpuNow()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Runs `work`, which returns the audio seconds it produced.
Cost Measure(const std::function<double()> &work)
{
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = CpuNow();
    Cost cost;
    cost.audioSeconds = work();
    cost.cpuSeconds = CpuNow() - cpu0;
    cost.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    return cost;
}

// Plays `handle` (already created) through the manual output until it has been heard to its end.
double RenderToEnd(DWORD handle, bool music, double maxSeconds)
{
    if (music)
        BASS_MusicPlayEx(handle, 0, -1, TRUE);
    else
        BASS_StreamPlay(handle, FALSE, 0);
    std::vector<float> block(2 * 1024);
    std::size_t frames = 0;
    while (BASS_ChannelIsActive(handle) == BASS_ACTIVE_PLAYING && frames < maxSeconds * kRate) {
        frames += BASSX_Render(block.data(), 1024);
    }
    return double(frames) / kRate;
}

double BareMpg123(const std::string &path)
{
    mpg123_handle *mh = mpg123_new(nullptr, nullptr);
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_FLOAT, 0);
    mpg123_open(mh, path.c_str());
    long rate = 0;
    int channels = 0, encoding = 0;
    mpg123_getformat(mh, &rate, &channels, &encoding);
    std::vector<unsigned char> buffer(4096 * 8);
    std::size_t bytes = 0, got = 0;
    while (mpg123_read(mh, buffer.data(), buffer.size(), &got) == MPG123_OK)
        bytes += got;
    bytes += got;
    mpg123_close(mh);
    mpg123_delete(mh);
    return double(bytes) / (4.0 * channels * double(rate));
}

double BareSndfile(const std::string &path)
{
    SF_INFO info {};
    SNDFILE *file = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> buffer(4096 * static_cast<std::size_t>(info.channels));
    sf_count_t frames = 0, got;
    while ((got = sf_readf_float(file, buffer.data(), 4096)) > 0)
        frames += got;
    sf_close(file);
    return double(frames) / info.samplerate;
}

double BareOpenmpt(const std::string &bytes)
{
    openmpt_module *module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent,
                                                                nullptr, openmpt_error_func_ignore, nullptr, nullptr,
                                                                nullptr, nullptr);
    openmpt_module_ctl_set_text(module, "play.at_end", "stop");
    std::vector<float> buffer(2 * 1024);
    std::size_t frames = 0, got;
    while ((got = openmpt_module_read_interleaved_float_stereo(module, kRate, 1024, buffer.data())) > 0)
        frames += got;
    openmpt_module_destroy(module);
    return double(frames) / kRate;
}

// libFLAC's stream decoder feeding a small FIFO of float stereo frames.
class FlacFeeder {
public:
    explicit FlacFeeder(const std::string &path)
    {
        m_decoder = FLAC__stream_decoder_new();
        FLAC__stream_decoder_init_file(m_decoder, path.c_str(), &FlacFeeder::Write, nullptr, &FlacFeeder::Error, this);
        m_fifo.reserve(2 * 65536);
    }
    ~FlacFeeder() { FLAC__stream_decoder_delete(m_decoder); }

    // Fills up to `frames` stereo float frames; fewer only at the end.
    std::size_t fill(float *out, std::size_t frames)
    {
        while (m_fifo.size() - m_read < 2 * frames) {
            if (FLAC__stream_decoder_get_state(m_decoder) == FLAC__STREAM_DECODER_END_OF_STREAM
                || !FLAC__stream_decoder_process_single(m_decoder))
                break;
        }
        const std::size_t n = std::min(2 * frames, m_fifo.size() - m_read);
        std::memcpy(out, m_fifo.data() + m_read, n * sizeof(float));
        m_read += n;
        if (m_read == m_fifo.size()) {
            m_fifo.clear();
            m_read = 0;
        }
        return n / 2;
    }

    static DWORD Proc(HSTREAM, void *buffer, DWORD length, void *user)
    {
        auto *self = static_cast<FlacFeeder *>(user);
        return static_cast<DWORD>(self->fill(static_cast<float *>(buffer), length / 8) * 8);
    }

private:
    static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                                const FLAC__int32 *const buffer[], void *user)
    {
        auto *self = static_cast<FlacFeeder *>(user);
        if (self->m_read > 0) {
            self->m_fifo.erase(self->m_fifo.begin(), self->m_fifo.begin() + static_cast<std::ptrdiff_t>(self->m_read));
            self->m_read = 0;
        }
        const float scale = 1.0f / float(1u << (frame->header.bits_per_sample - 1));
        const unsigned right = frame->header.channels > 1 ? 1 : 0;
        for (unsigned i = 0; i < frame->header.blocksize; ++i) {
            self->m_fifo.push_back(float(buffer[0][i]) * scale);
            self->m_fifo.push_back(float(buffer[right][i]) * scale);
        }
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }
    static void Error(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus, void *) {}

    FLAC__StreamDecoder *m_decoder = nullptr;
    std::vector<float> m_fifo;
    std::size_t m_read = 0;
};

double BareFlac(const std::string &path)
{
    FlacFeeder feeder(path);
    std::vector<float> buffer(2 * 4096);
    std::size_t frames = 0, got;
    while ((got = feeder.fill(buffer.data(), 4096)) > 0)
        frames += got;
    return double(frames) / kRate;
}

std::string BenchSong()
{
    ModuleSong song;
    song.channels = 8;
    song.samples = {ModuleSample::Square(1024, 64), ModuleSample::Sine(2048, 128)};
    for (int p = 0; p < 8; ++p) {
        ModulePattern pattern(64, 8);
        for (int row = 0; row < 64; row += 2)
            for (int ch = 0; ch < 8; ++ch) {
                pattern.at(row, ch).note = static_cast<std::uint8_t>(25 + (p * 3 + ch * 5 + row) % 48);
                pattern.at(row, ch).instrument = static_cast<std::uint8_t>(1 + (ch + row / 2) % 2);
            }
        song.patterns.push_back(pattern);
        song.orders.push_back(p);
    }
    return ModuleWriter::Xm(song);
}

void Print(const char *name, const Cost &library, const Cost &bare)
{
    auto row = [](const char *what, const Cost &c) {
        std::printf("  %-8s %7.1f s audio  %8.1fx real time  %7.3f ms CPU per audio second\n", what, c.audioSeconds,
                    c.audioSeconds / c.wallSeconds, 1000.0 * c.cpuSeconds / c.audioSeconds);
    };
    std::printf("%s\n", name);
    row("library", library);
    row("bare", bare);
    const double overhead = (library.cpuSeconds / library.audioSeconds) / (bare.cpuSeconds / bare.audioSeconds) - 1.0;
    std::printf("  overhead of the library over the bare decoder: %+.1f %% (goal <= 15 %%)\n", 100.0 * overhead);
}

} // namespace

int main()
{
    TempDir dir;
    const std::string wav = dir.file("music.wav");
    const std::string mp3 = dir.file("music.mp3");
    const std::string flac = dir.file("music.flac");
    const std::string xm = dir.file("music.xm");
    if (RunCommand("sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth 60 pinknoise sine 220-880 gain -8 2>/dev/null") != 0
        || RunCommand("lame --quiet -b 320 '" + wav + "' '" + mp3 + "'") != 0
        || RunCommand("flac --silent -f -o '" + flac + "' '" + wav + "'") != 0 || !ModuleWriter::Save(xm, BenchSong())) {
        std::fprintf(stderr, "cannot generate the files (sox, lame and flac are needed)\n");
        return 1;
    }
    if (!BASSX_InitManual(kRate)) {
        std::fprintf(stderr, "BASSX_InitManual failed: %d\n", BASS_ErrorGetCode());
        return 1;
    }

    Cost mp3Library = Measure([&] {
        HSTREAM h = BASS_StreamCreateFile(FALSE, mp3.c_str(), 0, 0, BASS_SAMPLE_FLOAT);
        const double seconds = RenderToEnd(h, false, 70);
        BASS_StreamFree(h);
        return seconds;
    });
    Cost mp3Bare = Measure([&] { return BareMpg123(mp3); });
    Print("MP3 320 kbit/s (libmpg123)", mp3Library, mp3Bare);

    Cost wavLibrary = Measure([&] {
        HSTREAM h = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, BASS_SAMPLE_FLOAT);
        const double seconds = RenderToEnd(h, false, 70);
        BASS_StreamFree(h);
        return seconds;
    });
    Cost wavBare = Measure([&] { return BareSndfile(wav); });
    Print("WAV 16-bit (libsndfile)", wavLibrary, wavBare);

    const std::string xmBytes = BenchSong();
    Cost xmLibrary = Measure([&] {
        HMUSIC h = BASS_MusicLoad(FALSE, xm.c_str(), 0, 0, BASS_MUSIC_FLOAT | 0x120);
        const double seconds = RenderToEnd(h, true, 600);
        BASS_MusicFree(h);
        return seconds;
    });
    Cost xmBare = Measure([&] { return BareOpenmpt(xmBytes); });
    Print("XM module, 8 channels (libopenmpt)", xmLibrary, xmBare);

    Cost flacLibrary = Measure([&] {
        FlacFeeder feeder(flac);
        HSTREAM h = BASS_StreamCreate(kRate, BASS_SAMPLE_FLOAT, &FlacFeeder::Proc, &feeder);
        const double seconds = RenderToEnd(h, false, 70);
        BASS_StreamFree(h);
        return seconds;
    });
    Cost flacBare = Measure([&] { return BareFlac(flac); });
    Print("FLAC through a user stream (libFLAC)", flacLibrary, flacBare);

    std::printf("Estimated CPU share of real-time MP3 playback: %.3f %% of one core (goal <= 2 %%)\n",
                100.0 * mp3Library.cpuSeconds / mp3Library.audioSeconds);
    BASS_Free();
    return 0;
}

// Files played through the library's public calls and its device-less output: what would be heard
// equals what the decoder gives directly.

#include "platform/bass/sources/Mpg123Source.h"
#include "platform/bass/sources/OpenMptModuleSource.h"
#include "platform/bass/sources/SndfileSource.h"
#include "tests/platform/bass/sources/SourceTestSupport.h"
#include "platform/bass/bass.h"
#include "platform/bass/bass_render.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

namespace melvane::bass::test {
namespace {

constexpr int kOutputRate = 44100;

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASSX_InitManual(kOutputRate)) << BASS_ErrorGetCode(); }
    void TearDown() override { BASS_Free(); }

    static std::vector<float> Render(std::size_t frames)
    {
        std::vector<float> out(2 * frames);
        for (std::size_t done = 0; done < frames;) {
            const DWORD n = static_cast<DWORD>(std::min<std::size_t>(1024, frames - done));
            EXPECT_EQ(BASSX_Render(out.data() + 2 * done, n), n);
            done += n;
        }
        return out;
    }

    static std::vector<float> ToStereo(const std::vector<float> &samples, int channels)
    {
        if (channels == 2)
            return samples;
        std::vector<float> stereo;
        for (float v : samples) {
            stereo.push_back(v);
            stereo.push_back(v);
        }
        return stereo;
    }

    TempDir dir;
};

// Streams at the output rate come out sample for sample as decoded (channel volume 100, no effects).
TEST_F(EndToEndTest, FileStreamsAtTheOutputRateAreHeardExactly)
{
    const std::string wav = dir.file("tone.wav");
    const std::string mp3 = dir.file("tone.mp3");
    const std::string monoMp3 = dir.file("mono.mp3");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + Quoted(wav) + " synth 2 sine 300-900 sine 500 gain -4"), 0);
    ASSERT_EQ(RunCommand("lame --quiet -b 192 " + Quoted(wav) + " " + Quoted(mp3)), 0);
    ASSERT_EQ(RunCommand("lame --quiet -m m -b 96 " + Quoted(wav) + " " + Quoted(monoMp3)), 0);

    for (const std::string &path : {wav, mp3, monoMp3}) {
        SCOPED_TRACE(path);
        int error = 0;
        std::unique_ptr<AudioSource> direct;
        if (path == wav)
            direct = SndfileSource::Open(path.c_str(), error);
        else
            direct = Mpg123Source::Open(path.c_str(), error);
        ASSERT_NE(direct, nullptr);
        const std::vector<float> expected = ToStereo(DecodeFrames(*direct, 44100), direct->channels());

        const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, BASS_SAMPLE_FLOAT);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const std::vector<float> heard = Render(44100);
        const Difference d = MaxDifference(heard, expected);
        EXPECT_LE(d.maxAbs, 1e-6) << "at sample " << d.at;
        EXPECT_GT(Rms(heard), 0.1);
        BASS_StreamFree(stream);
    }
}

// A WAV at 22050 Hz is converted to the 44100 Hz output; against sox's very-high-quality conversion
// of the same file the signal-to-difference ratio is at least 60 dB.
TEST_F(EndToEndTest, ConvertedStreamIsCloseToSoxConversion)
{
    const std::string wav = dir.file("low.wav");
    const std::string raw = dir.file("low.raw");
    ASSERT_EQ(RunCommand("sox -n -r 22050 -c 2 -b 16 " + Quoted(wav) + " synth 2 sine 440 sine 1000 gain -6"), 0);
    ASSERT_EQ(RunCommand("sox " + Quoted(wav) + " -t f32 -r 44100 " + Quoted(raw) + " rate -v"), 0);
    const std::vector<float> expected = ReadFloatRaw(raw);

    const HSTREAM stream = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, BASS_SAMPLE_FLOAT);
    ASSERT_NE(stream, 0u);
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const std::vector<float> heard = Render(44100);
    // Leave out the first and last 50 ms, where the two converters start up differently.
    double signal = 0, noise = 0;
    for (std::size_t i = 2 * 2205; i < 2 * (44100 - 2205); ++i) {
        signal += double(expected[i]) * expected[i];
        noise += (double(heard[i]) - expected[i]) * (double(heard[i]) - expected[i]);
    }
    const double snr = 10 * std::log10(signal / std::max(noise, 1e-30));
    EXPECT_GE(snr, 60.0);
    BASS_StreamFree(stream);
}

ModuleSong ThreeOrderSong()
{
    ModuleSong song;
    song.samples = {ModuleSample::Square(256, 32), ModuleSample::Sine(512, 64)};
    for (int p = 0; p < 3; ++p) {
        ModulePattern pattern(64, 4);
        for (int row = 0; row < 64; row += 8)
            for (int ch = 0; ch < 4; ++ch) {
                pattern.at(row, ch).note = static_cast<std::uint8_t>(37 + p * 7 + ch * 3);
                pattern.at(row, ch).instrument = static_cast<std::uint8_t>(1 + (ch + p) % 2);
            }
        song.patterns.push_back(pattern);
        song.orders.push_back(p);
    }
    return song;
}

// A module through BASS_MusicLoad sounds exactly as the module source renders it at the output rate;
// BASS_MusicPlayEx(handle, n, -1, FALSE) is then heard from order n, and the position says so.
TEST_F(EndToEndTest, ModuleIsHeardExactlyAndFromTheChosenOrder)
{
    const std::string path = dir.file("song.xm");
    ASSERT_TRUE(ModuleWriter::Save(path, ModuleWriter::Xm(ThreeOrderSong())));
    const DWORD flags = BASS_MUSIC_FLOAT | 0x120;

    int error = 0;
    auto direct = OpenMptModuleSource::Open(path.c_str(), error, kOutputRate);
    ASSERT_NE(direct, nullptr);
    direct->setFlags(flags);
    const std::vector<float> expected = DecodeFrames(*direct, 30000, OpenMptModuleSource::kChunkFrames);

    const HMUSIC music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, flags);
    ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_MusicGetLength(music, FALSE), 3u);
    ASSERT_TRUE(BASS_MusicPlayEx(music, 0, static_cast<int>(flags), TRUE));
    const std::vector<float> heard = Render(30000);
    const Difference d = MaxDifference(heard, expected);
    EXPECT_LE(d.maxAbs, 1e-6) << "at sample " << d.at;
    EXPECT_EQ(BASS_ChannelGetPosition(music) & 0xFFFF, 0u);

    for (DWORD order : {2u, 1u}) {
        ASSERT_TRUE(BASS_MusicPlayEx(music, order, -1, FALSE));
        const std::vector<float> after = Render(20000);
        EXPECT_EQ(BASS_ChannelGetPosition(music) & 0xFFFF, order);

        auto fresh = OpenMptModuleSource::Open(path.c_str(), error, kOutputRate);
        fresh->setFlags(flags);
        ASSERT_TRUE(fresh->setOrder(static_cast<int>(order)));
        const std::vector<float> start = DecodeFrames(*fresh, 20000, OpenMptModuleSource::kChunkFrames);
        // The voices sounding before the jump fade out over the first millisecond or so.
        const std::vector<float> a(after.begin() + 2 * 64, after.end());
        const std::vector<float> b(start.begin() + 2 * 64, start.end());
        const Difference dd = MaxDifference(a, b);
        EXPECT_LE(dd.maxAbs, 1e-6) << "order " << order << " at sample " << dd.at;
    }
    BASS_MusicFree(music);
}

// A WAVE file whose header was never finalised (data size 0, as a cut-off recording or extraction
// leaves it) plays the samples it holds; MPEG audio inside a WAVE file plays. ffmpeg judges both.
TEST_F(EndToEndTest, UnfinishedAndMpegWavesPlayWhatTheyHold)
{
    const std::string tone = dir.file("tone.wav");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + Quoted(tone) + " synth 1 sine 300-900 sine 500 gain -4"), 0);
    const auto unfinished = [&](const std::string &name, bool riffSizeToo) {
        std::ifstream in(tone, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes.replace(bytes.find("data") + 4, 4, std::string(4, '\0'));
        if (riffSizeToo)
            bytes.replace(4, 4, std::string("\x24\0\0\0", 4));
        const std::string path = dir.file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    const auto encoded = [&](const std::string &name, const std::string &codec) {
        const std::string path = dir.file(name);
        EXPECT_EQ(RunCommand("ffmpeg -v error -y -i " + Quoted(tone) + " -c:a " + codec + " -f wav " + Quoted(path)), 0);
        return path;
    };
    struct Case {
        std::string path;
        double tolerance; // decoders of the same MPEG data differ by rounding
    };
    for (const Case &c : {Case{unfinished("nosize.wav", false), 0}, Case{unfinished("cutoff.wav", true), 0},
                          Case{encoded("layer3.wav", "libmp3lame -b:a 128k"), 1e-4},
                          Case{encoded("layer2.wav", "mp2 -b:a 192k"), 1e-4}}) {
        SCOPED_TRACE(c.path);
        const std::string raw = c.path + ".raw";
        ASSERT_EQ(RunCommand("ffmpeg -v error -y -i " + Quoted(c.path) + " -f f32le " + Quoted(raw)), 0);
        const std::vector<float> expected = ReadFloatRaw(raw);
        ASSERT_GT(expected.size(), 2u * 40000);
        const HSTREAM stream = BASS_StreamCreateFile(FALSE, c.path.c_str(), 0, 0, BASS_SAMPLE_FLOAT);
        ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const std::vector<float> heard = Render(expected.size() / 2 + 4410);
        const Difference d = MaxDifference(heard, expected);
        EXPECT_LE(d.maxAbs, c.tolerance) << "at sample " << d.at;
        EXPECT_GT(Rms(heard, expected.size() - 8820, expected.size()), 0.1) << "heard to the end";
        EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED}) << "and no further";
        BASS_StreamFree(stream);
    }
}

} // namespace
} // namespace melvane::bass::test

// WAV decoding checked against sox's own decode of the same files.

#include "platform/bass/sources/SndfileSource.h"
#include "platform/bass/sources/SourceFactory.h"
#include "tests/platform/bass/sources/SourceTestSupport.h"
#include "platform/bass/bass.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>

namespace melvane::bass::test {
namespace {

struct WavCase {
    const char *name;
    const char *encoding;  // sox output options
    int rate;
    int channels;
    int blockFrames;  // frames per codec block (0: sample by sample)
};

const WavCase kCases[] = {
    {"pcm8_mono", "-b 8 -e unsigned-integer", 22050, 1, 0},
    {"pcm8_stereo", "-b 8 -e unsigned-integer", 11025, 2, 0},
    {"pcm16_mono", "-b 16 -e signed-integer", 44100, 1, 0},
    {"pcm16_stereo", "-b 16 -e signed-integer", 44100, 2, 0},
    {"pcm24_stereo", "-b 24 -e signed-integer", 48000, 2, 0},
    {"pcm32_stereo", "-b 32 -e signed-integer", 96000, 2, 0},
    {"float32_stereo", "-b 32 -e floating-point", 44100, 2, 0},
    {"ima_adpcm_stereo", "-e ima-adpcm", 44100, 2, 1017},
    {"ima_adpcm_mono", "-e ima-adpcm", 22050, 1, 1017},
    {"ms_adpcm_stereo", "-e ms-adpcm", 32000, 2, 1012},
    {"mulaw_mono", "-e u-law", 8000, 1, 0},
    {"alaw_stereo", "-e a-law", 8000, 2, 0},
    {"gsm_mono", "-e gsm-full-rate", 8000, 1, 320},
};
constexpr double kSeconds = 1.3;

class SndfileSourceTest : public ::testing::TestWithParam<WavCase> {
protected:
    void SetUp() override
    {
        const WavCase &c = GetParam();
        path = dir.file(std::string(c.name) + ".wav");
        // A different tone on each channel, so that swapped or merged channels show.
        const std::string tones = c.channels == 2 ? "sine 300-1200 sine 770" : "sine 440-1800";
        ASSERT_EQ(RunCommand("sox -n -r " + std::to_string(c.rate) + " -c " + std::to_string(c.channels) + " "
                             + c.encoding + " " + Quoted(path) + " synth " + std::to_string(kSeconds) + " " + tones + " gain -3"),
                  0);
    }

    TempDir dir;
    std::string path;
};

// Every sample equals sox's decode to float. Both decoders implement the same fixed algorithms
// (table look-ups for the log codecs, the standard ADPCM and GSM 6.10 decoders), so the only
// difference allowed is float rounding of the integer scaling: 1e-6 of full scale, thirty times below
// one 16-bit step and far below any wrong table or predictor. The length is exactly what sox
// generated; sox's decoder may add the padding of the last codec block, which we leave out.
TEST_P(SndfileSourceTest, MatchesSox)
{
    const WavCase &c = GetParam();
    int error = -1;
    auto source = SndfileSource::Open(path.c_str(), error);
    ASSERT_NE(source, nullptr) << "error " << error;
    EXPECT_EQ(error, BASS_OK);
    EXPECT_EQ(source->sampleRate(), c.rate);
    EXPECT_EQ(source->channels(), c.channels);
    const std::vector<float> ours = DecodeAll(*source, 333);

    const std::string raw = dir.file("sox.raw");
    ASSERT_EQ(RunCommand("sox " + Quoted(path) + " -t f32 " + Quoted(raw)), 0);
    const std::vector<float> judge = ReadFloatRaw(raw);
    const std::size_t generated = static_cast<std::size_t>(kSeconds * c.rate + 1e-6) * static_cast<std::size_t>(c.channels);
    EXPECT_EQ(ours.size(), generated);
    EXPECT_EQ(source->lengthFrames() * static_cast<std::uint64_t>(c.channels), generated);
    EXPECT_GE(judge.size(), ours.size());
    EXPECT_LE(judge.size(), ours.size() + static_cast<std::size_t>(c.blockFrames * c.channels));
    const Difference d = MaxDifference(ours, judge);
    EXPECT_LE(d.maxAbs, 1e-6) << "at sample " << d.at;
    EXPECT_GT(Rms(ours), 0.1);
}

TEST_P(SndfileSourceTest, SeekLandsOnTheFrame)
{
    const WavCase &c = GetParam();
    int error = -1;
    auto source = SndfileSource::Open(path.c_str(), error);
    ASSERT_NE(source, nullptr);
    const std::vector<float> whole = DecodeAll(*source);
    const std::size_t ch = static_cast<std::size_t>(c.channels);
    const std::size_t total = whole.size() / ch;
    for (std::size_t target : {total / 2 + 3, std::size_t(0), std::size_t(1017), total - 300}) {
        ASSERT_TRUE(source->seek(target)) << target;
        const std::vector<float> part = DecodeFrames(*source, 300, 64);
        ASSERT_EQ(part.size(), 300 * ch);
        const std::vector<float> expected(whole.begin() + static_cast<std::ptrdiff_t>(target * ch),
                                          whole.begin() + static_cast<std::ptrdiff_t>((target + 300) * ch));
        EXPECT_LE(MaxDifference(part, expected).maxAbs, 1e-6) << "seek to " << target;
    }
    EXPECT_FALSE(source->seek(total + 1));
}

TEST_P(SndfileSourceTest, FactoryChoosesWavByContent)
{
    // The factory looks at the bytes, not the name.
    const std::string renamed = dir.file("looks_like.mp3");
    std::filesystem::copy_file(path, renamed);
    int error = -1;
    auto source = SourceFactory::OpenFileStream(renamed.c_str(), error);
    ASSERT_NE(source, nullptr) << "error " << error;
    EXPECT_EQ(source->channels(), GetParam().channels);
    EXPECT_EQ(source->sampleRate(), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SndfileSourceTest, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A plain 16-bit WAVE file (no speaker mask) of `channels` channels; `value(frame, channel)`.
template <typename F>
void WritePlainWav(const std::string &path, int channels, int frames, F value)
{
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames * channels * 2);
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(static_cast<std::uint16_t>(channels));
    u32(44100);
    u32(static_cast<std::uint32_t>(44100 * channels * 2));
    u16(static_cast<std::uint16_t>(channels * 2));
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(value(f, c))));
}

struct Routing {
    double left;
    double right;
};

// Each of the six channels of a 5.1 file, alone, must land where a listener expects it: fronts and
// rears on their side, the centre equally on both, the LFE nowhere; rears 3 dB below the fronts.
// Checked for a file that names its speakers (sox writes WAVE_FORMAT_EXTENSIBLE with a mask) and for
// one that does not (plain WAVE, the usual order assumed).
TEST(SndfileDownmixTest, SixChannelsComeOutStereoAndWellPlaced)
{
    TempDir dir;
    const Routing expected[6] = {{1, 0}, {0, 1}, {0.7071, 0.7071}, {0, 0}, {0.7071, 0}, {0, 0.7071}};
    for (bool named : {true, false}) {
        std::vector<Routing> measured;
        for (int k = 0; k < 6; ++k) {
            const std::string path = dir.file("six_" + std::to_string(named) + std::to_string(k) + ".wav");
            if (named) {
                std::string remix;
                for (int c = 0; c < 6; ++c)
                    remix += c == k ? " 1" : " 0";
                ASSERT_EQ(RunCommand("sox -n -r 44100 -c 6 -b 16 " + Quoted(path) + " synth 0.3 sine 440 gain -6 remix" + remix), 0);
            } else {
                WritePlainWav(path, 6, 13230, [k](int f, int c) {
                    return c == k ? 16000.0 * std::sin(2 * M_PI * 440.0 * f / 44100.0) : 0.0;
                });
            }
            int error = -1;
            auto source = SourceFactory::OpenFileStream(path.c_str(), error);
            ASSERT_NE(source, nullptr) << path << " error " << error;
            ASSERT_EQ(source->channels(), 2);
            const std::vector<float> out = DecodeAll(*source);
            ASSERT_EQ(out.size(), 2u * 13230);
            measured.push_back({ChannelRms(out, 0), ChannelRms(out, 1)});
        }
        const double front = measured[0].left;
        ASSERT_GT(front, 0.01);
        for (int k = 0; k < 6; ++k) {
            SCOPED_TRACE("named=" + std::to_string(named) + " channel " + std::to_string(k));
            EXPECT_NEAR(measured[k].left / front, expected[k].left, 0.01);
            EXPECT_NEAR(measured[k].right / front, expected[k].right, 0.01);
        }
    }
}

// All six channels at full scale in phase: the fold-down must not exceed full scale.
TEST(SndfileDownmixTest, FullScaleInputDoesNotClip)
{
    TempDir dir;
    const std::string path = dir.file("loud.wav");
    WritePlainWav(path, 6, 4410, [](int f, int) { return 32767.0 * std::sin(2 * M_PI * 100.0 * f / 44100.0); });
    int error = -1;
    auto source = SourceFactory::OpenFileStream(path.c_str(), error);
    ASSERT_NE(source, nullptr);
    const std::vector<float> out = DecodeAll(*source);
    float peak = 0;
    for (float v : out)
        peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, 1.0f);
    EXPECT_GT(peak, 0.5f);
}

// A recording that was cut short claims more data than the file holds: the samples that are there
// play, and the length says how many.
TEST(SndfileTruncationTest, ShortDataChunkPlaysWhatIsThere)
{
    TempDir dir;
    const std::string full = dir.file("full.wav");
    WritePlainWav(full, 2, 1000, [](int f, int c) { return (f * 7 + c * 1000) % 20000 - 10000; });
    std::string bytes = ReadWholeFile(full);
    bytes.resize(44 + 400 * 4);
    const std::string cut = dir.file("cut.wav");
    std::ofstream(cut, std::ios::binary) << bytes;

    int error = -1;
    auto source = SourceFactory::OpenFileStream(cut.c_str(), error);
    ASSERT_NE(source, nullptr) << "error " << error;
    EXPECT_EQ(source->lengthFrames(), 400u);
    const std::vector<float> out = DecodeAll(*source);
    ASSERT_EQ(out.size(), 800u);
    for (int f = 0; f < 400; ++f)
        for (int c = 0; c < 2; ++c)
            ASSERT_EQ(out[static_cast<std::size_t>(2 * f + c)], ((f * 7 + c * 1000) % 20000 - 10000) / 32768.0f);
}

} // namespace
} // namespace melvane::bass::test

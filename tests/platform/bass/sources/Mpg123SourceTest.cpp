// MPEG audio decoding checked against two outside decoders: ffmpeg (its own MPEG decoder) and the
// mpg123 command-line program.

#include "platform/bass/sources/Mpg123Source.h"
#include "platform/bass/sources/SourceFactory.h"
#include "tests/platform/bass/sources/SourceTestSupport.h"
#include "platform/bass/bass.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace melvane::bass::test {
namespace {

struct MpegCase {
    const char *name;
    const char *make;  // shell command; %W is the source WAV, %O the output file
    const char *soxTone;  // sox arguments making the WAV
    int rate;
    int channels;
};

const MpegCase kCases[] = {
    {"layer3_stereo_cbr", "lame --quiet -b 192 %W %O", "-r 44100 -c 2 %W synth 3 sine 300-3000 sine 500 gain -4", 44100, 2},
    {"layer3_mono_cbr", "lame --quiet -m m -b 96 %W %O", "-r 44100 -c 1 %W synth 2.5 sine 1000 gain -3", 44100, 1},
    {"layer3_joint_vbr_48k", "lame --quiet -V 2 %W %O", "-r 48000 -c 2 %W synth 2 pinknoise gain -8", 48000, 2},
    {"layer3_mpeg2_22k", "lame --quiet -b 64 %W %O", "-r 22050 -c 2 %W synth 2 sine 200-2000 sine 700 gain -4", 22050, 2},
    {"layer3_mpeg25_8k_mono", "lame --quiet -m m -b 16 %W %O", "-r 8000 -c 1 %W synth 2 sine 440 gain -3", 8000, 1},
    {"layer3_id3v2_tag", "lame --quiet -b 128 --tt Title --ta Artist --id3v2-only --pad-id3v2-size 3000 %W %O",
     "-r 44100 -c 2 %W synth 2 sine 600 sine 900 gain -4", 44100, 2},
    {"layer2_stereo_48k", "ffmpeg -v error -y -i %W -c:a mp2 -b:a 192k -f mp2 %O", "-r 48000 -c 2 %W synth 2.5 sine 440-4400 sine 330 gain -4", 48000, 2},
    {"layer2_mono_mpeg2_24k", "ffmpeg -v error -y -i %W -c:a mp2 -b:a 64k -f mp2 %O", "-r 24000 -c 1 %W synth 2 sine 1500 gain -3", 24000, 1},
};

std::string Expand(std::string text, const std::string &wav, const std::string &out)
{
    for (std::size_t at; (at = text.find("%W")) != std::string::npos;)
        text.replace(at, 2, Quoted(wav));
    for (std::size_t at; (at = text.find("%O")) != std::string::npos;)
        text.replace(at, 2, Quoted(out));
    return text;
}

class Mpg123SourceTest : public ::testing::TestWithParam<MpegCase> {
protected:
    void SetUp() override
    {
        const MpegCase &c = GetParam();
        const std::string wav = dir.file("in.wav");
        path = dir.file(std::string(c.name) + ".mpa");
        ASSERT_EQ(RunCommand(Expand(std::string("sox -n ") + c.soxTone, wav, path)), 0);
        ASSERT_EQ(RunCommand(Expand(c.make, wav, path)), 0);
    }

    TempDir dir;
    std::string path;
};

// Both judges must agree with us on every sample and on the length. mpg123's program uses the same
// library, so it must match to float rounding (1e-6); ffmpeg's decoder is independent and is allowed
// 1e-4 of full scale (it agrees to within 3e-6 on layer 3 and 4e-5 on layer 2), far below any
// decoding or alignment fault (a one-sample shift of these tones differs by more than 1e-2).
TEST_P(Mpg123SourceTest, MatchesOutsideDecoders)
{
    const MpegCase &c = GetParam();
    int error = -1;
    auto source = Mpg123Source::Open(path.c_str(), error);
    ASSERT_NE(source, nullptr) << "error " << error;
    EXPECT_EQ(error, BASS_OK);
    EXPECT_EQ(source->sampleRate(), c.rate);
    EXPECT_EQ(source->channels(), c.channels);
    const std::vector<float> ours = DecodeAll(*source, 777);

    const std::string ffRaw = dir.file("ff.raw");
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -i " + Quoted(path) + " -f f32le " + Quoted(ffRaw)), 0);
    const std::vector<float> ff = ReadFloatRaw(ffRaw);
    const std::string mpRaw = dir.file("mp.raw");
    ASSERT_EQ(RunCommand("mpg123 -q -e f32 -s " + Quoted(path) + " > " + Quoted(mpRaw)), 0);
    const std::vector<float> mp = ReadFloatRaw(mpRaw);

    ASSERT_GT(ours.size(), 0u);
    EXPECT_EQ(ours.size(), ff.size());
    EXPECT_EQ(ours.size(), mp.size());
    EXPECT_EQ(source->lengthFrames() * static_cast<std::uint64_t>(c.channels), ff.size());
    const Difference vsFfmpeg = MaxDifference(ours, ff);
    EXPECT_LE(vsFfmpeg.maxAbs, 1e-4) << "at sample " << vsFfmpeg.at;
    const Difference vsMpg123 = MaxDifference(ours, mp);
    EXPECT_LE(vsMpg123.maxAbs, 1e-6) << "at sample " << vsMpg123.at;
    // The content is really there (not silence matching silence).
    EXPECT_GT(Rms(ours), 0.05);
}

// A seek lands exactly on the requested frame: what follows equals the same stretch of a full decode.
TEST_P(Mpg123SourceTest, SeekLandsOnTheFrame)
{
    const MpegCase &c = GetParam();
    int error = -1;
    auto source = Mpg123Source::Open(path.c_str(), error);
    ASSERT_NE(source, nullptr);
    const std::vector<float> whole = DecodeAll(*source);
    const std::size_t ch = static_cast<std::size_t>(c.channels);
    const std::size_t total = whole.size() / ch;
    for (std::size_t target : {std::size_t(0), std::size_t(1), std::size_t(1151), total / 3, total / 2 + 17, total - 500}) {
        ASSERT_TRUE(source->seek(target)) << target;
        const std::vector<float> part = DecodeFrames(*source, 400, 128);
        ASSERT_EQ(part.size(), 400 * ch) << target;
        const std::vector<float> expected(whole.begin() + static_cast<std::ptrdiff_t>(target * ch),
                                          whole.begin() + static_cast<std::ptrdiff_t>((target + 400) * ch));
        EXPECT_LE(MaxDifference(part, expected).maxAbs, 1e-6) << "seek to " << target;
    }
    EXPECT_FALSE(source->seek(total + 1000));
    // After a refused seek the stream still plays from a good position.
    ASSERT_TRUE(source->seek(total - 10));
    EXPECT_EQ(DecodeAll(*source).size(), 10 * ch);
}

TEST_P(Mpg123SourceTest, FactoryChoosesMpegByContent)
{
    int error = -1;
    auto source = SourceFactory::OpenFileStream(path.c_str(), error);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(error, BASS_OK);
    EXPECT_EQ(source->sampleRate(), GetParam().rate);
}

INSTANTIATE_TEST_SUITE_P(Files, Mpg123SourceTest, ::testing::ValuesIn(kCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace melvane::bass::test

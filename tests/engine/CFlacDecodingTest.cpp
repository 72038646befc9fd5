// FLAC playback through the stream decoder, judged against flac -d.
#include "tests/engine/DecoderFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace decoder_test;

namespace {

struct FlacCase {
    const char *name;
    int rate, channels, bits;
};

class FlacFormats : public ::testing::TestWithParam<FlacCase> {};

TEST_P(FlacFormats, SixteenBitAndFloatDeliveryMatchFlacTool)
{
    const FlacCase &c = GetParam();
    TempDir dir;
    const std::string flac = MakeFlac(dir, c.name, c.rate, c.channels, c.bits, 1.37);
    ASSERT_FALSE(flac.empty());
    const std::string reference = FlacReference(dir, flac);
    ASSERT_FALSE(reference.empty());

    // Sample i of the file, widened from the tool's output.
    std::vector<std::int32_t> samples;
    if (c.bits == 24) {
        samples = AsInt24(reference);
    } else if (c.bits == 16) {
        for (std::int16_t s : AsInt16(reference))
            samples.push_back(s);
    } else {
        for (char s : reference)
            samples.push_back(static_cast<signed char>(s));
    }
    ASSERT_NEAR(static_cast<double>(samples.size()), 1.37 * c.rate * c.channels, c.channels);

    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    for (int floatOutput : {0, 1}) {
        SCOPED_TRACE(floatOutput ? "float" : "16-bit");
        decoder->m_bFloatOutput = floatOutput;
        CPlaylistEntry entry;
        entry.m_strPath = flac;
        entry.m_nType = kTypeFlac;
        g_created = {};
        ASSERT_NE(decoder->CreateDecodedStream(entry, 0), 0u);
        EXPECT_EQ(g_created.rate, static_cast<DWORD>(c.rate));
        EXPECT_EQ(g_created.flags, (floatOutput ? 0x100u : 0u) | (c.channels == 1 ? 0x2u : 0u));
        EXPECT_EQ(g_created.user, decoder.get());

        // An odd chunk so that fills end inside frames.
        const Drained out = Drain(*decoder, floatOutput ? 4 * 3001 : 2 * 3001);
        if (floatOutput) {
            const std::vector<float> got = AsFloat(out.bytes);
            ASSERT_EQ(got.size(), samples.size());
            const float scale = c.bits == 8 ? 128.0f : c.bits == 24 ? 8388608.0f : 32768.0f;
            for (std::size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i], static_cast<float>(samples[i]) / scale) << "value " << i;
        } else {
            const std::vector<std::int16_t> got = AsInt16(out.bytes);
            ASSERT_EQ(got.size(), samples.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                const std::int32_t s = samples[i];
                const std::int32_t expected = c.bits == 24 ? s >> 8 : c.bits == 8 ? s * 256 : s;
                ASSERT_EQ(got[i], expected) << "value " << i;
            }
        }
        EXPECT_TRUE(out.changedRows.empty());
        decoder->Close();
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, FlacFormats,
                         ::testing::Values(FlacCase{"stereo16", 44100, 2, 16}, FlacCase{"mono16", 48000, 1, 16},
                                           FlacCase{"stereo24", 44100, 2, 24}, FlacCase{"mono8", 22050, 1, 8},
                                           FlacCase{"stereo8", 11025, 2, 8}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(FlacDecoding, SeekReopensAtStartSecondTimesRate)
{
    TempDir dir;
    const std::string flac = MakeFlac(dir, "long", 44100, 2, 16, 62.5);
    ASSERT_FALSE(flac.empty());
    const std::vector<std::int16_t> reference = AsInt16(FlacReference(dir, flac, 60ull * 44100));
    ASSERT_EQ(reference.size(), 2u * 110250);

    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    CPlaylistEntry entry;
    entry.m_strPath = flac;
    entry.m_nType = kTypeFlac;
    // Play a little first, as a seek during playback would.
    ASSERT_NE(decoder->CreateDecodedStream(entry, 0), 0u);
    std::vector<char> scratch(8192);
    ASSERT_EQ(decoder->Fill(scratch.data(), 8192), 8192u);
    EXPECT_TRUE(decoder->CanSeek());

    ASSERT_NE(decoder->CreateDecodedStream(entry, 60), 0u);
    EXPECT_EQ(AsInt16(Drain(*decoder, 4 * 1000).bytes), reference);

    // A start past the end cannot be reached: no stream.
    EXPECT_EQ(decoder->CreateDecodedStream(entry, 63), 0u);
    EXPECT_EQ(decoder->Type(), 0);
}

// One damaged frame in the middle: playback goes on to the end of the file, as flac -d -F does, with
// silence in place of the damaged frame, so that the rest keeps its time.
TEST(FlacDecoding, DamagedFrameDoesNotEndTheTrack)
{
    TempDir dir;
    const std::string flac = MakeFlac(dir, "damaged", 44100, 2, 16, 4.0);
    ASSERT_FALSE(flac.empty());
    const std::string intact = FlacReference(dir, flac);
    ASSERT_FALSE(intact.empty());
    struct Damage {
        const char *name;
        double where; // fraction of the file
        int bytes;
    };
    const Damage cases[] = {{"checksum", 0.5, 2}, {"run of bytes", 0.4, 64}};
    for (const Damage &d : cases) {
        SCOPED_TRACE(d.name);
        const std::string path = dir.file(std::string("hurt-") + (d.bytes > 2 ? "run" : "sum") + ".flac");
        std::string bytes = ReadWholeFile(flac);
        const std::size_t at = static_cast<std::size_t>(static_cast<double>(bytes.size()) * d.where);
        for (int i = 0; i < d.bytes; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(bytes[at + static_cast<std::size_t>(i)] ^ 0x5A);
        WriteWholeFile(path, bytes);

        auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
        CPlaylistEntry entry;
        entry.m_strPath = path;
        entry.m_nType = kTypeFlac;
        ASSERT_NE(decoder->CreateDecodedStream(entry, 0), 0u);
        const std::vector<std::int16_t> got = AsInt16(Drain(*decoder, 4 * 1024).bytes);
        const std::vector<std::int16_t> whole = AsInt16(intact);
        ASSERT_EQ(got.size(), whole.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < got.size(); ++i)
            if (got[i] != whole[i]) {
                ++differing;
                ASSERT_EQ(got[i], 0) << "what was damaged is silence, at sample " << i;
            }
        EXPECT_GT(differing, 0u);
        EXPECT_LE(differing, 2u * 2 * 4608) << "no more than the damaged frames";
        const std::size_t head = static_cast<std::size_t>(static_cast<double>(whole.size()) * (d.where - 0.1));
        EXPECT_TRUE(std::equal(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(head), got.begin()));
        const std::size_t tail = whole.size() / 4;
        EXPECT_TRUE(std::equal(whole.end() - static_cast<std::ptrdiff_t>(tail), whole.end(),
                               got.end() - static_cast<std::ptrdiff_t>(tail)))
            << "the audio after the damage is the file's own";
    }
}

TEST(FlacDecoding, UnplayableFilesAreRefusedAtOpen)
{
    TempDir dir;
    struct Refused {
        const char *name;
        std::string path;
    };
    std::vector<Refused> cases;
    // 6 channels and 32 bits are valid FLAC that the player does not play.
    cases.push_back({"six channels", MakeFlac(dir, "six", 44100, 6, 16, 0.5)});
    const std::string wide = MakeFlac(dir, "wide", 44100, 2, 32, 0.5);
    if (!wide.empty()) // flac before 1.4 cannot write 32-bit files
        cases.push_back({"32 bits", wide});
    cases.push_back({"Ogg Vorbis file", MakeOgg(dir, "vorbis", 44100, 2, 0.5)});
    cases.push_back({"missing file", dir.file("absent.flac")});
    {
        const std::string text = dir.file("text.flac");
        ASSERT_EQ(RunCommand("echo 'not audio at all' > '" + text + "'"), 0);
        cases.push_back({"text file", text});
    }

    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    for (const Refused &r : cases) {
        SCOPED_TRACE(r.name);
        ASSERT_FALSE(r.path.empty());
        CPlaylistEntry entry;
        entry.m_strPath = r.path;
        entry.m_nType = kTypeFlac;
        g_created = {};
        EXPECT_EQ(decoder->Open(r.path, kTypeFlac, 0, 0), 0);
        EXPECT_EQ(decoder->CreateDecodedStream(entry, 0), 0u);
        EXPECT_EQ(g_created.calls, 0);
        EXPECT_EQ(decoder->Type(), 0);
        char buffer[64];
        EXPECT_EQ(decoder->Fill(buffer, sizeof buffer), 0u);
    }
}

} // namespace

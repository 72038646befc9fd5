// Ogg Vorbis playback through the stream decoder, judged against oggdec.
#include "tests/engine/DecoderFixtures.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>

#include <cmath>
#include <fstream>
#include <memory>

using namespace decoder_test;

namespace {

struct VorbisCase {
    const char *name;
    int rate, channels;
};

class VorbisFormats : public ::testing::TestWithParam<VorbisCase> {};

TEST_P(VorbisFormats, DeliveryMatchesOggdecAndStreamHasFileFormat)
{
    const VorbisCase &c = GetParam();
    TempDir dir;
    const std::string ogg = MakeOgg(dir, c.name, c.rate, c.channels, 1.61);
    ASSERT_FALSE(ogg.empty());
    const std::vector<std::int16_t> reference = AsInt16(OggReference(dir, ogg));
    ASSERT_NEAR(static_cast<double>(reference.size()), 1.61 * c.rate * c.channels, c.channels);

    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    CPlaylistEntry entry;
    entry.m_strPath = ogg;
    entry.m_nType = kTypeOgg;
    for (int floatOutput : {0, 1}) {
        SCOPED_TRACE(floatOutput ? "float" : "16-bit");
        decoder->m_bFloatOutput = floatOutput;
        g_created = {};
        ASSERT_NE(decoder->CreateDecodedStream(entry, 0), 0u);
        EXPECT_EQ(g_created.rate, static_cast<DWORD>(c.rate));
        EXPECT_EQ(g_created.flags, (floatOutput ? 0x100u : 0u) | (c.channels == 1 ? 0x2u : 0u));
        EXPECT_EQ(decoder->StreamRate(), c.rate);
        EXPECT_TRUE(decoder->CanSeek());

        // Chunks that are no multiple of the decoder's 4096-byte block.
        const Drained out = Drain(*decoder, 4 * 1777 * c.channels);
        if (!floatOutput) {
            EXPECT_EQ(AsInt16(out.bytes), reference); // oggdec reads the same way: bit-exact
        } else {
            // Float samples are the decoder's own; rounded to 16 bits as oggdec does they must give
            // its output: within half a step, or clipped at full scale.
            const std::vector<float> got = AsFloat(out.bytes);
            ASSERT_EQ(got.size(), reference.size());
            for (std::size_t i = 0; i < got.size(); ++i) {
                const double scaled = got[i] * 32768.0;
                if (scaled >= 32767.0 || scaled <= -32768.0)
                    continue;
                ASSERT_LE(std::fabs(scaled - reference[i]), 0.5 + 1e-3) << "value " << i;
            }
        }
        decoder->Close();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, VorbisFormats,
                         ::testing::Values(VorbisCase{"stereo44100", 44100, 2}, VorbisCase{"mono22050", 22050, 1},
                                           VorbisCase{"stereo48000", 48000, 2}),
                         [](const auto &info) { return std::string(info.param.name); });

// Rewrites the sample rate in the identification header and fixes the page checksum, so that the
// file is valid Ogg that claims another rate.
std::string WithClaimedRate(const TempDir &dir, const std::string &ogg, std::uint32_t rate)
{
    std::string bytes = ReadWholeFile(ogg);
    const std::size_t id = bytes.find("\x01vorbis");
    if (id == std::string::npos || bytes.compare(0, 4, "OggS") != 0)
        return "";
    for (int i = 0; i < 4; ++i)
        bytes[id + 12 + i] = static_cast<char>((rate >> (8 * i)) & 0xFF);
    auto *data = reinterpret_cast<unsigned char *>(bytes.data());
    const int segments = data[26];
    long bodyLength = 0;
    for (int i = 0; i < segments; ++i)
        bodyLength += data[27 + i];
    ogg_page page{data, 27 + segments, data + 27 + segments, bodyLength};
    ogg_page_checksum_set(&page);
    const std::string path = dir.file("rate" + std::to_string(rate) + ".ogg");
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(VorbisDecoding, UnplayableFilesAreRefused)
{
    TempDir dir;
    const std::string ogg = MakeOgg(dir, "base", 44100, 2, 0.5);
    ASSERT_FALSE(ogg.empty());
    // The patching itself is sound: the same rewrite with the true rate still plays.
    const std::string sameRate = WithClaimedRate(dir, ogg, 44100);
    ASSERT_EQ(ReadWholeFile(sameRate), ReadWholeFile(ogg));

    struct Refused {
        const char *name;
        std::string path;
    };
    const Refused cases[] = {
        {"0 Hz", WithClaimedRate(dir, ogg, 0)},
        {"100000 Hz", WithClaimedRate(dir, ogg, 100000)},
        {"100 Hz", WithClaimedRate(dir, ogg, 100)},
        {"six channels", MakeOgg(dir, "six", 44100, 6, 0.5)},
        {"FLAC file", MakeFlac(dir, "flac", 44100, 2, 16, 0.5)},
        {"missing file", dir.file("absent.ogg")},
    };
    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    for (const Refused &r : cases) {
        SCOPED_TRACE(r.name);
        ASSERT_FALSE(r.path.empty());
        CPlaylistEntry entry;
        entry.m_strPath = r.path;
        entry.m_nType = kTypeOgg;
        g_created = {};
        EXPECT_EQ(decoder->CreateDecodedStream(entry, 0), 0u);
        EXPECT_EQ(g_created.calls, 0);
        EXPECT_EQ(decoder->Type(), 0);
    }
    // The edges of the accepted range play.
    for (std::uint32_t rate : {101u, 99999u}) {
        CPlaylistEntry entry;
        entry.m_strPath = WithClaimedRate(dir, ogg, rate);
        entry.m_nType = kTypeOgg;
        g_created = {};
        EXPECT_NE(decoder->CreateDecodedStream(entry, 0), 0u) << rate;
        EXPECT_EQ(g_created.rate, rate);
    }
}

TEST(VorbisDecoding, SeekStartsAtTheSecondAsked)
{
    TempDir dir;
    const std::string ogg = MakeOgg(dir, "seek", 44100, 2, 4.3);
    ASSERT_FALSE(ogg.empty());
    const std::vector<std::int16_t> reference = AsInt16(OggReference(dir, ogg));
    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    CPlaylistEntry entry;
    entry.m_strPath = ogg;
    entry.m_nType = kTypeOgg;
    ASSERT_NE(decoder->CreateDecodedStream(entry, 2), 0u);
    const std::vector<std::int16_t> got = AsInt16(Drain(*decoder, 8192).bytes);
    const std::size_t skip = 2u * 2 * 44100;
    ASSERT_EQ(got.size(), reference.size() - skip);
    // A seek decodes from a page boundary; the overlap may round a sample differently from a
    // continuous decode, never by more than one step.
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_LE(std::abs(got[i] - reference[skip + i]), 1) << "value " << i;
}

} // namespace

// The shared format readers on bytes built by hand from the MPEG audio, ID3v2 and RIFF layouts.
#include "platform/formats/CByteReader.h"
#include "platform/formats/CId3v2Tag.h"
#include "platform/formats/CMpegFrameHeader.h"
#include "platform/formats/CMpegFrameSearch.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "tests/support/ByteWriters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const std::uint8_t *Bytes(const std::string &s)
{
    return reinterpret_cast<const std::uint8_t *>(s.data());
}

// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, stereo: 417 bytes a frame.
constexpr std::uint32_t kFrameWord = 0xFFFB9064;
std::string Frame()
{
    return Be32(kFrameWord) + std::string(413, '\0');
}

TEST(MpegFrameHeader, DecodesTheStandardTables)
{
    struct Case {
        std::uint32_t word;
        bool accepted;
        int layer = 0, versionBits = 0;
        std::uint32_t rate = 0, kbps = 0;
        int channels = 0;
        std::uint32_t frameLength = 0, samples = 0;
    };
    const Case cases[] = {
        {0xFFFB9064, true, 3, 3, 44100, 128, 2, 417, 1152}, // 144 * 128000 / 44100
        {0xFFFB92C0, true, 3, 3, 44100, 128, 1, 418, 1152}, // padded, mono
        {0xFFFDA400, true, 2, 3, 48000, 192, 2, 576, 1152}, // Layer II
        {0xFFFF1800, true, 1, 3, 32000, 32, 2, 48, 384},    // Layer I: 12 * 32000 / 32000 * 4
        {0xFFFFE000, true, 1, 3, 44100, 448, 2, 484, 384},  // (12 * 448000 / 44100) * 4
        {0xFFFFE200, true, 1, 3, 44100, 448, 2, 488, 384},  // Layer I padding is a four-byte slot
        {0xFFF38000, true, 3, 2, 22050, 64, 2, 208, 576},   // MPEG-2 Layer III: 72 * 64000 / 22050
        {0xFFF51000, true, 2, 2, 22050, 8, 2, 52, 1152},    // MPEG-2 Layer II: 144 * 8000 / 22050
        {0xFFE328C0, true, 3, 0, 8000, 16, 1, 144, 576},    // MPEG-2.5 Layer III
        {0xFFE5EA00, true, 2, 0, 8000, 160, 2, CMpegFrameHeader::kMaxFrameBytes, 1152}, // the longest frame
        {0xFFEB9000, false}, // reserved version
        {0xFFF99000, false}, // reserved layer
        {0xFFFBF000, false}, // bit-rate index 15
        {0xFFFB0000, false}, // free format
        {0xFFFB9C00, false}, // reserved sample rate
        {0xFFFB9002, false}, // reserved emphasis
        {0xFFDB9000, false}, // one sync bit missing
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.word);
        const std::string bytes = Be32(c.word);
        const auto header = CMpegFrameHeader::Parse(Bytes(bytes));
        ASSERT_EQ(header.has_value(), c.accepted);
        if (!header)
            continue;
        EXPECT_EQ(header->Layer(), c.layer);
        EXPECT_EQ(header->VersionBits(), c.versionBits);
        EXPECT_EQ(header->SampleRate(), c.rate);
        EXPECT_EQ(header->Bitrate(), c.kbps * 1000);
        EXPECT_EQ(header->Channels(), c.channels);
        EXPECT_EQ(header->FrameLength(), c.frameLength);
        EXPECT_EQ(header->SamplesPerFrame(), c.samples);
        EXPECT_LE(header->FrameLength(), CMpegFrameHeader::kMaxFrameBytes);
    }
}

TEST(Id3v2Size, SizeFromTheHeader)
{
    struct Case {
        const char *name;
        std::string bytes;
        std::uint64_t size;
    };
    std::string highBit = Id3v2Tag(100);
    highBit[8] = '\x80';
    std::string badVersion = Id3v2Tag(100);
    badVersion[3] = '\xFF';
    const Case cases[] = {
        {"version 2.3", Id3v2Tag(1000), 1010},
        {"largest body", Id3v2Header(0).substr(0, 6) + "\x7F\x7F\x7F\x7F", CId3v2Tag::kMaxSize - 10},
        {"version 2.4 with a footer", Id3v2Tag(1000, 4, 0x10), 1020},
        {"footer flag outside version 2.4", Id3v2Tag(1000, 3, 0x10), 1010},
        {"size byte with its high bit", highBit, 0},
        {"version byte 0xFF", badVersion, 0},
        {"header cut short", Id3v2Tag(100).substr(0, 9), 0},
        {"no tag", Frame(), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CId3v2Tag::Size(Bytes(c.bytes), c.bytes.size()), c.size);
    }
}

TEST(MpegFrameSearch, FindsTheFirstConfirmedFrame)
{
    const std::string id3v1 = "TAG" + std::string(125, 'x');
    struct Case {
        const char *name;
        std::string bytes;
        std::optional<std::uint64_t> offset;
    };
    const Case cases[] = {
        {"frames from the start", Frame() + Frame(), 0},
        {"after an ID3v2 tag", Id3v2Tag(300) + Frame() + Frame(), 310},
        {"after two ID3v2 tags", Id3v2Tag(300) + Id3v2Tag(20) + Frame() + Frame(), 340},
        {"after junk", std::string(5000, 'j') + Frame() + Frame(), 5000},
        {"a false sync before the audio", Be32(kFrameWord) + std::string(100, 'j') + Frame() + Frame(), 104},
        {"a single frame to the end", Frame(), 0},
        {"a single frame to an ID3v1 tag", Frame() + id3v1, 0},
        {"a single frame short of the end", Frame() + "x", std::nullopt},
        {"successor of another sample rate", Frame() + Be32(0xFFFB9464) + std::string(413, '\0'), std::nullopt},
        {"audio beyond the search window", std::string(CMpegFrameSearch::kSearchWindow + 1, 'j') + Frame() + Frame(), std::nullopt},
        {"an ID3v2 tag claiming more than the file", Id3v2Tag(3000).substr(0, 10) + Frame(), std::nullopt},
        {"nothing", std::string(3, '\xFF'), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = CMpegFrameSearch::FindFirstFrame(CByteReader::FromMemory(Bytes(c.bytes), c.bytes.size()));
        ASSERT_EQ(found.has_value(), c.offset.has_value());
        if (!found)
            continue;
        EXPECT_EQ(found->offset, *c.offset);
        EXPECT_EQ(found->header.Word(), kFrameWord);
        EXPECT_EQ(found->audioEnd, c.bytes.size() - (c.bytes.ends_with(id3v1) ? id3v1.size() : 0));
    }
}

std::string FormatChunk(std::uint32_t size = 16, std::uint16_t channels = 2)
{
    std::string body = Le16(1) + Le16(channels) + Le32(44100) + Le32(44100 * 2 * channels) + Le16(2 * channels) + Le16(16);
    body.resize(size, '\0');
    return "fmt " + Le32(size) + body;
}

TEST(RiffChunkWalker, WalksToTheFormatAndTheData)
{
    struct Case {
        const char *name;
        std::string bytes;
        bool sound;
        std::uint64_t dataAt = 0;
        std::uint64_t dataInFile = 0;
        std::uint16_t bits = 16;
        std::optional<std::uint32_t> fact = std::nullopt;
    };
    const std::string data = RiffChunk("data", std::string(400, '\1'));
    const Case cases[] = {
        {"plain", RiffWave(FormatChunk() + data), true, 44, 400},
        {"list, odd junk and fact chunks first",
         RiffWave(RiffChunk("LIST", "INFOabc") + FormatChunk() + RiffChunk("JUNK", "x") + RiffChunk("fact", Le32(100)) + data), true,
         44 + 16 + 10 + 12, 400, 16, 100},
        {"oldest format chunk of 14 bytes", RiffWave(FormatChunk(14) + data), true, 42, 400, 0},
        {"data claiming more than the file", RiffWave(FormatChunk() + "data" + Le32(0xFFFFFFF0u) + std::string(300, '\1')), true, 44, 300},
        {"data size never finalised", RiffWave(FormatChunk() + "data" + Le32(0) + std::string(300, '\1')), true, 44, 300},
        {"data before the format", RiffWave(data + FormatChunk()), false},
        {"no data", RiffWave(FormatChunk()), false},
        {"format chunk too small", RiffWave(FormatChunk(12) + data), false},
        {"format chunk absurd", RiffWave("fmt " + Le32(0x00100000) + std::string(0x00100000, '\0') + data), false},
        {"chunk before the data past the end", RiffWave(FormatChunk() + "LIST" + Le32(0xFFFFFFF0u) + data), false},
        {"not WAVE", "RIFF" + Le32(100) + "AVI " + FormatChunk() + data, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto layout = CRiffChunkWalker::Walk(CByteReader::FromMemory(Bytes(c.bytes), c.bytes.size()));
        ASSERT_EQ(layout.has_value(), c.sound);
        if (!layout)
            continue;
        EXPECT_EQ(layout->format.tag, 1);
        EXPECT_EQ(layout->format.channels, 2);
        EXPECT_EQ(layout->format.sampleRate, 44100u);
        EXPECT_EQ(layout->format.bytesPerSecond, 176400u);
        EXPECT_EQ(layout->format.bitsPerSample, c.bits);
        EXPECT_EQ(layout->dataAt, c.dataAt);
        EXPECT_EQ(layout->DataInFile(c.bytes.size()), c.dataInFile);
        EXPECT_EQ(layout->factFrames, c.fact);
    }
}

} // namespace

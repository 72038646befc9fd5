// Files that are missing, empty, cut short, not audio, or hostile: every opener refuses them with the
// right error code and without reading much or hanging (the suite's timeout catches a hang).

#include "platform/bass/sources/SourceFactory.h"
#include "tests/platform/bass/sources/SourceTestSupport.h"
#include "platform/bass/bass.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/TempDir.h"
#include "platform/formats/CMpegFrameSearch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <random>

namespace melvane::bass::test {
namespace {

std::string FormatChunk(std::uint32_t declaredSize = 16, std::uint16_t tag = 1)
{
    std::string fmt = "fmt " + Le32(declaredSize);
    const std::uint16_t fields[] = {tag, 2};
    for (std::uint16_t v : fields)
        fmt += std::string{char(v & 0xFF), char(v >> 8)};
    fmt += Le32(44100) + Le32(44100 * 4);
    fmt += std::string{4, 0} + std::string{16, 0};
    return fmt;
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

struct BadCase {
    const char *name;
    std::function<std::string(const std::string &mp3, const std::string &wav)> content;  // empty optional: no file
    bool exists;
    int streamError;
    int moduleError;
};

class BadInputTest : public ::testing::TestWithParam<BadCase> {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const std::string wav = dir->file("tone.wav");
        const std::string mp3 = dir->file("tone.mp3");
        ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + Quoted(wav) + " synth 1 sine 440 sine 550 gain -3"), 0);
        ASSERT_EQ(RunCommand("lame --quiet -b 128 " + Quoted(wav) + " " + Quoted(mp3)), 0);
        goodWav = new std::string(ReadWholeFile(wav));
        goodMp3 = new std::string(ReadWholeFile(mp3));
    }
    static void TearDownTestSuite()
    {
        delete dir;
        delete goodWav;
        delete goodMp3;
    }

    static TempDir *dir;
    static std::string *goodWav;
    static std::string *goodMp3;
};
TempDir *BadInputTest::dir = nullptr;
std::string *BadInputTest::goodWav = nullptr;
std::string *BadInputTest::goodMp3 = nullptr;

const BadCase kBadCases[] = {
    {"missing", nullptr, false, BASS_ERROR_FILEOPEN, BASS_ERROR_FILEOPEN},
    {"empty", [](auto &, auto &) { return std::string(); }, true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"garbage", [](auto &, auto &) { return RandomBytes(1 << 20, 7); }, true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"text", [](auto &, auto &) { return std::string(5000, 'a'); }, true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    // Cut inside the first frame: no frame can be confirmed.
    {"truncated_mp3", [](auto &mp3, auto &) { return mp3.substr(0, 200); }, true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"truncated_wav_header", [](auto &, auto &wav) { return wav.substr(0, 30); }, true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    // An ID3v2 tag claiming 200 MB in a small file.
    {"id3v2_claims_too_much", [](auto &mp3, auto &) { return Id3v2Header(200u << 20 & 0x0FFFFFFF) + mp3; }, true,
     BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    // Real audio hidden behind more junk than the bounded search looks through.
    {"audio_beyond_search_window",
     [](auto &mp3, auto &) { return Id3v2Header(16) + std::string(16, '\0') + std::string(CMpegFrameSearch::kSearchWindow + 4096, '\0') + mp3; },
     true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"riff_not_wave", [](auto &, auto &) { return std::string("RIFF\x10\0\0\0AVI LIST\0\0\0\0", 20) + RandomBytes(4000, 3); },
     true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"wav_format_chunk_absurd",
     [](auto &, auto &) { return RiffWave(FormatChunk(0x7FFFFFF0u) + "data" + Le32(400) + std::string(400, 0)); },
     true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"wav_chunk_before_data_absurd",
     [](auto &, auto &) {
         return RiffWave(FormatChunk() + "LIST" + Le32(0xFFFFFFF0u) + "INFO" + "data" + Le32(400) + std::string(400, 0));
     },
     true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"wav_format_chunk_too_small",
     [](auto &, auto &) { return RiffWave("fmt " + Le32(4) + "abcd" + "data" + Le32(400) + std::string(400, 0)); },
     true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"wav_data_before_format",
     [](auto &, auto &) { return RiffWave("data" + Le32(400) + std::string(400, 0) + FormatChunk()); }, true,
     BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    {"wav_without_data", [](auto &, auto &) { return RiffWave(FormatChunk()); }, true, BASS_ERROR_FILEFORM, BASS_ERROR_FILEFORM},
    // A well-formed WAVE file whose sample format nobody here decodes.
    {"wav_unknown_encoding",
     [](auto &, auto &) { return RiffWave(FormatChunk(16, 0x1234) + "data" + Le32(4000) + std::string(4000, 0)); },
     true, BASS_ERROR_FORMAT, BASS_ERROR_FILEFORM},
    // Good audio files are not modules, and the module opener says so.
    {"mp3_as_module", [](auto &mp3, auto &) { return mp3; }, true, BASS_OK, BASS_ERROR_FILEFORM},
    {"wav_as_module", [](auto &, auto &wav) { return wav; }, true, BASS_OK, BASS_ERROR_FILEFORM},
};

TEST_P(BadInputTest, RefusedWithTheRightError)
{
    const BadCase &c = GetParam();
    const std::string path = dir->file(std::string(c.name) + ".bin");
    if (c.exists)
        std::ofstream(path, std::ios::binary) << c.content(*goodMp3, *goodWav);

    int error = -12345;
    auto stream = SourceFactory::OpenFileStream(path.c_str(), error);
    EXPECT_EQ(stream != nullptr, c.streamError == BASS_OK);
    EXPECT_EQ(error, c.streamError);

    error = -12345;
    auto module = SourceFactory::OpenModule(path.c_str(), error);
    EXPECT_EQ(module, nullptr);
    EXPECT_EQ(error, c.moduleError);
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputTest, ::testing::ValuesIn(kBadCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(BadInputFolderTest, FolderIsNotAFile)
{
    TempDir dir;
    int error = 0;
    EXPECT_EQ(SourceFactory::OpenFileStream(dir.path().c_str(), error), nullptr);
    EXPECT_EQ(error, BASS_ERROR_FILEOPEN);
    error = 0;
    EXPECT_EQ(SourceFactory::OpenModule(dir.path().c_str(), error), nullptr);
    EXPECT_EQ(error, BASS_ERROR_FILEOPEN);
    error = 0;
    EXPECT_EQ(SourceFactory::OpenFileStream(nullptr, error), nullptr);
    EXPECT_EQ(error, BASS_ERROR_FILEOPEN);
}

} // namespace
} // namespace melvane::bass::test

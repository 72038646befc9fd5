// The ID3v1 tag at the end of an MP3 file. Each input is appended to one second of silent MPEG-1 Layer III
// frames (32 kbit/s, 32 kHz, mono), so the file is always MPEG audio and its last 128 bytes are the
// fuzzer's (or, for short inputs, partly the frames').

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> SilentFrames()
{
    constexpr std::size_t kFrameBytes = 144; // 144 x 32000 / 32000
    constexpr std::size_t kFrames = 30;      // 4320 bytes: a little over one second
    std::vector<std::uint8_t> frames(kFrameBytes * kFrames, 0);
    for (std::size_t i = 0; i < kFrames; ++i) {
        std::uint8_t *header = frames.data() + i * kFrameBytes;
        header[0] = 0xFF;
        header[1] = 0xFB; // MPEG-1, Layer III, no CRC
        header[2] = 0x18; // 32 kbit/s, 32 kHz, no padding
        header[3] = 0xC0; // mono
    }
    return frames;
}

bool IsGenre(const std::string &genre)
{
    if (genre.empty())
        return true;
    for (std::int32_t i = 0; i < CGenreTable::kCount; ++i)
        if (CGenreTable::Name(i) == genre)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::vector<std::uint8_t> audio = SilentFrames();
    static FuzzInputFile file;
    file.Write(audio.data(), audio.size(), data, size);

    CTrackInfo info(file.path());
    FUZZ_CHECK(info.Read(nullptr) == kTypeMpeg);
    CheckTexts(info);

    std::vector<std::uint8_t> whole(audio);
    whole.insert(whole.end(), data, data + size);
    const std::uint8_t *tag = whole.data() + whole.size() - 128;
    const bool tagged = std::memcmp(tag, "TAG", 3) == 0;
    FUZZ_CHECK(info.HasId3v1() == tagged);
    if (!tagged) {
        FUZZ_CHECK(info.GetArtist().empty() && info.GetAlbum().empty() && info.GetComment().empty());
        return 0;
    }
    // 30 ISO-8859-1 bytes become at most 60 bytes of UTF-8, with no control characters and no trailing blank.
    for (const std::string *text : {&info.GetArtist(), &info.GetAlbum(), &info.GetComment()}) {
        FUZZ_CHECK(text->size() <= 60);
        for (unsigned char c : *text)
            FUZZ_CHECK(c >= 0x20);
        FUZZ_CHECK(text->empty() || text->back() != ' ');
    }
    FUZZ_CHECK(info.GetYear() >= 0 && info.GetYear() <= 9999);
    FUZZ_CHECK(IsGenre(info.GetGenre()));
    FUZZ_CHECK(info.GetGenre().empty() == (tag[127] >= CGenreTable::kCount));
    return 0;
}

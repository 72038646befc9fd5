// Truncated, corrupted and hostile files of every type: the reader must return a sane result and never
// read out of bounds (the sanitizer build checks that), hang or allocate without bound.

#include "tests/tags/TagFixtures.h"
#include "core/CPlaylistEntry.h"
#include "tags/CTextCodec.h"
#include "tags/CTrackInfo.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

void ExpectSane(const std::string &path, std::size_t size)
{
    CTrackInfo info(path);
    const std::int32_t type = info.Read(nullptr);
    EXPECT_EQ(type, info.GetType());
    EXPECT_GE(type, kTypeUnknown);
    EXPECT_LE(type, kTypeFlac);
    for (const std::string *text : {&info.GetTitle(), &info.GetArtist(), &info.GetAlbum(), &info.GetGenre(),
                                    &info.GetComment()})
        EXPECT_TRUE(CTextCodec::IsValidUtf8(*text));
    if (type != kTypeUnknown) {
        EXPECT_EQ(info.GetSize(), size);
        EXPECT_FALSE(info.GetTitle().empty());
    }
    if (type == kTypeWav) {
        EXPECT_LE(info.GetChannels(), 2);
    }
    if (type == kTypeMpeg) {
        // No MPEG stream is slower than 8 kbit/s, so the length cannot exceed that of the file at 8 kbit/s;
        // a file shorter than a second still shows 1 s.
        EXPECT_LE(info.GetLength(), std::max<std::uint64_t>(1, size * 8 / 8000));
        EXPECT_GT(info.GetBitrate(), 0);
    }
}

std::vector<std::pair<std::string, std::string>> ValidFixtures(TagFixtures &fx)
{
    EXPECT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 1.5).empty());
    std::vector<std::pair<std::string, std::string>> files;
    auto add = [&](const std::string &name, const std::string &command) {
        const std::string path = fx.Make(name, command);
        EXPECT_FALSE(path.empty()) << name;
        if (!path.empty())
            files.emplace_back(name, ReadWholeFile(path));
    };
    add("cbr.mp3", "lame --quiet -b 128 tone.wav OUT");
    add("vbr.mp3", "lame --quiet -V 4 tone.wav OUT");
    add("l2.mp2", "ffmpeg -loglevel error -i tone.wav -c:a mp2 -f mp2 OUT");
    add("a.ogg", "oggenc -Q -t T tone.wav -o OUT");
    add("a.flac", "flac -s tone.wav -o OUT && metaflac --set-tag=TITLE=x --set-tag=ARTIST=y OUT");
    add("a.wav", "cp tone.wav OUT");
    add("ima.wav", "sox tone.wav -e ima-adpcm OUT");
    files.emplace_back("tagged.mp3", TagFixtures::Id3v2(5000, '\xFF') + files.front().second +
                                         TagFixtures::Id3v1("t", "a", "b", "1999", "c", 3));
    files.emplace_back("a.mod", TagFixtures::ModBytes("mod", "M.K.", 4));
    files.emplace_back("a.s3m", TagFixtures::S3mBytes("s3m"));
    files.emplace_back("a.xm", TagFixtures::XmBytes("xm"));
    files.emplace_back("a.it", TagFixtures::ItBytes("it"));
    return files;
}

TEST(CTrackInfoBadInput, TruncatedFilesOfEveryType)
{
    TagFixtures fx;
    for (const auto &[name, bytes] : ValidFixtures(fx)) {
        const std::size_t cuts[] = {0, 1, 3, 4, 9, 10, 11, 12, 16, 20, 28, 43, 44, 47, 48, 60, 126, 127, 128,
                                    500, 1083, 1084, 4095, 4096, 4100, bytes.size() / 2, bytes.size() - 1};
        for (std::size_t cut : cuts) {
            if (cut > bytes.size())
                continue;
            SCOPED_TRACE(name + " cut at " + std::to_string(cut));
            ExpectSane(fx.Write("cut-" + name, bytes.substr(0, cut)), cut);
        }
    }
}

TEST(CTrackInfoBadInput, CorruptedFilesOfEveryType)
{
    TagFixtures fx;
    std::mt19937 random(20240607);
    for (const auto &[name, original] : ValidFixtures(fx)) {
        for (int round = 0; round < 40; ++round) {
            std::string bytes = original;
            // Flip bytes in the headers, where the parsers look, and a few anywhere.
            const std::size_t headerSpan = std::min<std::size_t>(bytes.size(), 5200);
            for (int k = 0; k < 1 + round % 8; ++k) {
                std::size_t at = random() % (k % 3 == 2 ? bytes.size() : headerSpan);
                bytes[at] = static_cast<char>(random());
            }
            SCOPED_TRACE(name + " round " + std::to_string(round));
            ExpectSane(fx.Write("bad-" + name, bytes), bytes.size());
        }
    }
}

TEST(CTrackInfoBadInput, HostileHeaders)
{
    TagFixtures fx;
    const std::string frame = std::string("\xFF\xFB\x90\x64", 4) + std::string(413, '\0');
    std::string xingZero = std::string("\xFF\xFB\x90\x64", 4) + std::string(32, '\0') + "Xing" +
                           std::string("\0\0\0\x03", 4) + std::string(8, '\0');
    xingZero.resize(417, '\0');
    std::string xingHuge = xingZero;
    xingHuge.replace(44, 8, "\x00\x00\x00\x01\xFF\xFF\xFF\xFF");
    const std::string cases[] = {
        std::string(4096, '\xFF'),                               // sync bits everywhere
        std::string(9000, '\xFF'),
        "ID3\x03\x00\x00\x7F\x7F\x7F\x7F" + frame + frame,       // tag size far beyond the end
        "ID3\x03\x00\x00\xFF\xFF\xFF\xFF" + frame,               // sizes with the high bits set
        "ID3",                                                   // nothing after the marker
        frame,                                                   // a single frame: no following header
        frame + frame + frame,
        xingZero + frame + frame,                                // Xing with zero frames and bytes
        xingHuge + frame + frame,                                // Xing claiming 4 GiB in one frame
        "RIFF\xFF\xFF\xFF\xFFWAVE" + std::string(200, '\xFF'),
        "RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00" + std::string(16, '\0') + "fact" +
            std::string("\xFF\xFF\xFF\xFF", 4) + std::string(100, 'd'),
        "RIFF\x00\x00\x00\x00WAVE" + std::string(200, '\0'),     // chunks of length 0 forever
        "fLaC" + std::string(4, '\xFF') + std::string(100, '\0'), // block length beyond the end
        std::string("fLaC\x00\x00\x00\x22", 8) + std::string(34, '\0') + std::string("\x84\xFF\xFF\xFF", 4) +
            std::string(8, '\xFF'),                              // comment block claiming 16 MiB
        "OggS" + std::string(200, '\0'),
        "OggS\x00\x02" + std::string(300, '\xFF'),
        std::string(1080, '\0') + "M.K.",                        // module header without patterns
        std::string(44, '\0') + "SCRM",
        "Extended Module: " + std::string(50, '\xFF'),
        "IMPM" + std::string(300, '\xFF'),
    };
    int i = 0;
    for (const std::string &bytes : cases) {
        SCOPED_TRACE(i);
        ExpectSane(fx.Write("hostile" + std::to_string(i++), bytes), bytes.size());
    }
}

} // namespace

// Type detection by content, module titles and the WMA plug-in query.

#include "tests/tags/TagFixtures.h"
#include "tags/CTrackInfo.h"
#include "tags/IWmaInfoReader.h"
#include "core/CPlaylistEntry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// `size` bytes of filler (never a magic number) with `magic` written at `offset`.
std::string BytesWithMagic(std::size_t size, std::size_t offset, const std::string &magic)
{
    std::string b(size, '\x11');
    b.replace(offset, magic.size(), magic);
    return b;
}

struct MagicCase {
    const char *name;      // the file name; extensions deliberately lie
    std::string bytes;
    std::int32_t type;
    std::int32_t channels; // 0: not checked
};

TEST(CTrackInfoDetect, MagicNumbersDecideTheTypeInTheirOrder)
{
    TagFixtures fx;
    const std::string mk = BytesWithMagic(2000, 1080, "M.K.");
    const std::vector<MagicCase> cases = {
        {"a.mp3", BytesWithMagic(2000, 1080, "M.K."), kTypeMod4, 4},
        {"b.ogg", BytesWithMagic(1084, 1080, "4CHN"), kTypeMod4, 4},
        {"c.wav", BytesWithMagic(5000, 1080, "FLT4"), kTypeMod4, 4},
        {"d.it", BytesWithMagic(2000, 1080, "6CHN"), kTypeMod6, 6},
        {"e.xm", BytesWithMagic(2000, 1080, "8CHN"), kTypeMod8, 8},
        {"f.s3m", BytesWithMagic(2000, 1080, "FLT8"), kTypeMod8, 8},
        // A file far shorter than a MOD header with "SCRM" at 44 is an S3M module.
        {"g.mp3", BytesWithMagic(100, 44, "SCRM"), kTypeS3m, 0},
        {"h.mod", BytesWithMagic(400, 0, "Extended Module: "), kTypeXm, 0},
        {"i.mod", BytesWithMagic(400, 0, "IMPM"), kTypeIt, 0},
        {"j.flac", BytesWithMagic(400, 0, "RIFF").replace(8, 4, "WAVE"), kTypeWav, 0},
        // Earlier tests win over later ones.
        {"k", BytesWithMagic(2000, 0, "IMPM").replace(1080, 4, "M.K."), kTypeMod4, 4},
        {"l", BytesWithMagic(400, 0, "Extended Module: ").replace(44, 4, "SCRM"), kTypeS3m, 0},
        {"m", BytesWithMagic(400, 0, "RIFF").replace(8, 4, "WAVE").replace(44, 4, "SCRM"), kTypeS3m, 0},
        {"n", BytesWithMagic(2000, 44, "SCRM").replace(1080, 4, "6CHN"), kTypeMod6, 6},
        // Magic numbers cut off by the end of the file, or one byte off, do not count.
        {"o", mk.substr(0, 1083), kTypeUnknown, 0},
        {"p", BytesWithMagic(2000, 1081, "M.K."), kTypeUnknown, 0},
        {"q", BytesWithMagic(47, 44, "SCR"), kTypeUnknown, 0},
        {"r", std::string("Extended Module:"), kTypeUnknown, 0},
        {"s", BytesWithMagic(400, 0, "RIFF").replace(8, 4, "AVI "), kTypeUnknown, 0},
        {"t", std::string(), kTypeUnknown, 0},
    };
    for (const MagicCase &c : cases) {
        SCOPED_TRACE(c.name);
        CTrackInfo info(fx.Write(c.name, c.bytes));
        EXPECT_EQ(info.DetectType(0), c.type);
        EXPECT_EQ(info.GetType(), c.type);
        if (c.channels != 0) {
            EXPECT_EQ(info.GetChannels(), c.channels);
        }
        EXPECT_EQ(info.GetSize(), c.bytes.size());
    }
}

TEST(CTrackInfoDetect, EncodedFilesAreRecognisedByContentNotByName)
{
    TagFixtures fx;
    const std::string wav = fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 1.5);
    ASSERT_FALSE(wav.empty());
    struct Case {
        const char *name;
        std::string command;
        std::int32_t type;
    } cases[] = {
        {"mpeg.wav", "lame --quiet -b 128 tone.wav OUT", kTypeMpeg},
        {"vorbis.flac", "oggenc -Q tone.wav -o OUT", kTypeOgg},
        {"flac.mp3", "flac -s tone.wav -o OUT", kTypeFlac},
        {"wave.ogg", "cp tone.wav OUT", kTypeWav},
        {"layer2.it", "ffmpeg -loglevel error -i tone.wav -c:a mp2 -b:a 192k -f mp2 OUT", kTypeMpeg},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = fx.Make(c.name, c.command);
        ASSERT_FALSE(path.empty());
        CTrackInfo info(path);
        EXPECT_EQ(info.Read(nullptr), c.type);
    }
}

TEST(CTrackInfoDetect, FlacBehindAnId3v2TagIsFound)
{
    // libFLAC skips an ID3v2 tag in front of the stream; the reader must look where the tag ends, also when
    // that lies beyond the first bytes it reads.
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 22050 -c 1 -b 16", 2).empty());
    const std::string flac = ReadWholeFile(fx.Make("plain.flac", "flac -s tone.wav -o OUT"));
    ASSERT_FALSE(flac.empty());
    const std::pair<const char *, std::string> cases[] = {
        {"short", TagFixtures::Id3v2(100, '\0')},
        {"longer than the first read", TagFixtures::Id3v2(6000, 'x')},
    };
    for (const auto &[name, tags] : cases) {
        SCOPED_TRACE(name);
        CTrackInfo info(fx.Write("t.mp3", tags + flac));
        EXPECT_EQ(info.Read(nullptr), kTypeFlac);
        EXPECT_EQ(info.GetFrequency(), 22050);
        EXPECT_EQ(info.GetLength(), 2u);
    }
}

TEST(CTrackInfoDetect, ModuleTitlesComeFromTheirHeaders)
{
    TagFixtures fx;
    struct Case {
        const char *name;
        std::string bytes;
        std::int32_t type;
        std::string title;
    } cases[] = {
        // Zero bytes inside a MOD title are skipped; trailing blanks are cut.
        {"m.mod", TagFixtures::ModBytes(std::string("AB\0CD  ", 7), "M.K.", 4), kTypeMod4, "ABCD"},
        {"m20.mod", TagFixtures::ModBytes("twenty characters!!!", "8CHN", 8), kTypeMod8, "twenty characters!!!"},
        {"s.s3m", TagFixtures::S3mBytes("a title of twenty-eight byte"), kTypeS3m, "a title of twenty-eight byte"},
        {"x.xm", TagFixtures::XmBytes("Extended song   "), kTypeXm, "Extended song"},
        {"i.it", TagFixtures::ItBytes("Impulse title of 26 chars."), kTypeIt, "Impulse title of 26 chars."},
        // Bytes that are not UTF-8 are read as ISO-8859-1.
        {"l.it", TagFixtures::ItBytes("Caf\xE9"), kTypeIt, "Caf\xC3\xA9"},
        // No title: the file name without folder and extension.
        {"Nameless Tune.s3m", TagFixtures::S3mBytes(""), kTypeS3m, "Nameless Tune"},
        {"blank.mod", TagFixtures::ModBytes("    ", "6CHN", 6), kTypeMod6, "blank"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CTrackInfo info(fx.Write(c.name, c.bytes));
        info.DetectType(0);
        info.ReadTitle("");
        EXPECT_EQ(info.GetType(), c.type);
        EXPECT_EQ(info.GetTitle(), c.title);
    }
}

// Stands in for the WMA decoder binding: answers with a prepared record and notes how it was asked.
class FakeWmaReader : public IWmaInfoReader {
public:
    bool ReadInfo(const std::string &path, WmaInfo &info) override
    {
        ++calls;
        lastPath = path;
        const WmaInfo zero{};
        recordWasCleared = std::memcmp(&info, &zero, sizeof info) == 0;
        if (accept)
            info = answer;
        return accept;
    }

    bool accept = true;
    WmaInfo answer{};
    int calls = 0;
    std::string lastPath;
    bool recordWasCleared = false;
};

void PutUtf16(std::uint16_t *target, const std::u16string &text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        target[i] = static_cast<std::uint16_t>(text[i]);
}

std::string AsfHeaderObject()
{
    return std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
}

TEST(CTrackInfoDetect, WmaFieldsComeFromThePluginRecord)
{
    TagFixtures fx;
    FakeWmaReader wma;
    PutUtf16(wma.answer.artist, u"Artist \u00C5");
    PutUtf16(wma.answer.title, u"Title \U0001F3B5");
    PutUtf16(wma.answer.album, u"Album");
    PutUtf16(wma.answer.genre, u"Genre");
    PutUtf16(wma.answer.comment, u"not taken");
    wma.answer.year = 2004;
    wma.answer.bitrate = 192;
    wma.answer.sampleRate = 48000;
    wma.answer.length = 217;
    wma.answer.fileSize = 12345;
    wma.answer.channels = 2;
    // A text filling its whole array has no terminator and must not run past it.
    for (auto &unit : wma.answer.genre)
        unit = u'g';

    const std::string path = fx.Write("song.WMA", AsfHeaderObject() + std::string(3000 - 16, '\x30'));
    CTrackInfo info(path);
    EXPECT_EQ(info.Read(&wma), kTypeWma);
    EXPECT_EQ(wma.calls, 1);
    EXPECT_TRUE(wma.recordWasCleared);
    EXPECT_EQ(wma.lastPath, path); // the path is passed unchanged (file names are case-sensitive here)
    EXPECT_EQ(info.GetArtist(), "Artist \xC3\x85");
    EXPECT_EQ(info.GetTitle(), "Title \xF0\x9F\x8E\xB5");
    EXPECT_EQ(info.GetAlbum(), "Album");
    EXPECT_EQ(info.GetGenre(), std::string(128, 'g'));
    EXPECT_EQ(info.GetComment(), "");
    EXPECT_EQ(info.GetYear(), 2004);
    EXPECT_EQ(info.GetBitrate(), 192);
    EXPECT_EQ(info.GetFrequency(), 48000);
    EXPECT_EQ(info.GetLength(), 217u);
    EXPECT_EQ(info.GetChannels(), 2);
    EXPECT_EQ(info.GetSize(), 3000u); // the reader measures the file itself
}

// The plug-in is asked only about a file that begins with an ASF header object, after the modules,
// WAV and Ogg Vorbis checks and before FLAC and MPEG; a file it refuses is not taken for anything else.
TEST(CTrackInfoDetect, WmaPluginIsAskedOnlyAboutAsfFiles)
{
    TagFixtures fx;
    const std::string wav = fx.Tone("t.wav", "-r 22050 -c 1 -b 16", 1.0);
    ASSERT_FALSE(wav.empty());
    const std::string ogg = fx.Make("t.ogg", "oggenc -Q t.wav -o OUT");
    const std::string flac = fx.Make("t.flac", "flac -s t.wav -o OUT");
    const std::string mp3 = fx.Make("t.mp3", "lame --quiet t.wav OUT");
    const std::string mod = fx.Write("t.mod", TagFixtures::ModBytes("x", "M.K.", 4));
    const std::string asf = fx.Write("t.wma", AsfHeaderObject() + std::string(2000, '\0'));
    struct Case {
        std::string path;
        bool accept;
        std::int32_t type;
        int calls;
    } cases[] = {
        {mod, true, kTypeMod4, 0}, {wav, true, kTypeWav, 0},   {ogg, true, kTypeOgg, 0},
        {flac, true, kTypeFlac, 0}, {mp3, true, kTypeMpeg, 0}, {asf, true, kTypeWma, 1},
        {asf, false, kTypeUnknown, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path + (c.accept ? " accepted" : " refused"));
        FakeWmaReader wma;
        wma.accept = c.accept;
        wma.answer.length = 1;
        CTrackInfo info(c.path);
        EXPECT_EQ(info.Read(&wma), c.type);
        EXPECT_EQ(wma.calls, c.calls);
    }
}

} // namespace

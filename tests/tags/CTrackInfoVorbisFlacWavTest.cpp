// Ogg Vorbis and FLAC comments and stream data (judged by vorbiscomment, metaflac and ffprobe), and WAV
// headers (judged by ffprobe).

#include "tests/tags/Ffprobe.h"
#include "tests/tags/TagFixtures.h"
#include "core/CPlaylistEntry.h"
#include "tags/CTrackInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// Comments in the order they are written; lower-case keys are not taken and later ones win.
const char *const kComments[] = {
    "TITLE=First title", "title=lower case title", "ARTIST=The Artist", "Album=Mixed Case", "ALBUM=The Album",
    "GENRE=Ambient", "DATE=1997-05-06", "COMMENT=not read", "TITLE=Second title", "artist=lower artist",
};

TEST(CTrackInfoVorbis, CommentsAndStreamDataAgreeWithTheTools)
{
    struct Case {
        const char *source;
        double seconds;
    } cases[] = {{"-r 44100 -c 2 -b 16", 4.6}, {"-r 22050 -c 1 -b 16", 2.2}, {"-r 48000 -c 2 -b 24", 1.2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", c.source, c.seconds).empty());
        std::string setTags = "vorbiscomment -w";
        for (const char *comment : kComments)
            setTags += std::string(" -t '") + comment + "'";
        const std::string path = fx.Make("song.ogg", "oggenc -Q tone.wav -o OUT && " + setTags + " OUT");
        ASSERT_FALSE(path.empty());
        // The tool agrees that the comments are there as written.
        ASSERT_EQ(RunCommand("vorbiscomment -l '" + path + "' > '" + fx.Path("list.txt") + "'"), 0);
        EXPECT_NE(ReadWholeFile(fx.Path("list.txt")).find("title=lower case title"), std::string::npos);

        const Ffprobe probe(path, fx.Folder());
        CTrackInfo info(path);
        ASSERT_EQ(info.Read(nullptr), kTypeOgg);
        EXPECT_EQ(info.GetTitle(), "Second title");
        EXPECT_EQ(info.GetArtist(), "The Artist");
        EXPECT_EQ(info.GetAlbum(), "The Album");
        EXPECT_EQ(info.GetGenre(), "Ambient");
        EXPECT_EQ(info.GetYear(), 1997);
        EXPECT_EQ(info.GetComment(), "");
        EXPECT_EQ(info.GetFrequency(), probe.sampleRate());
        EXPECT_EQ(info.GetChannels(), probe.channels());
        EXPECT_EQ(info.GetLength(), static_cast<std::uint32_t>(std::floor(probe.duration())));
        EXPECT_EQ(info.GetVorbisInfo().bitrateNominal, probe.streamBitRate());
        // The average over the audio packets: more than nothing, less than the whole file's average.
        EXPECT_GT(info.GetBitrate(), 0);
        EXPECT_LE(info.GetBitrate(), probe.formatBitRate() / 1000);
    }
}

TEST(CTrackInfoFlac, CommentsAndStreamDataAgreeWithMetaflac)
{
    struct Case {
        const char *source;
        double seconds;
    } cases[] = {{"-r 44100 -c 2 -b 16", 3.7}, {"-r 48000 -c 1 -b 24", 2.5}, {"-r 8000 -c 2 -b 8", 0.6}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", c.source, c.seconds).empty());
        std::string setTags = "metaflac";
        for (const char *comment : kComments)
            setTags += std::string(" '--set-tag=") + comment + "'";
        const std::string path = fx.Make("song.flac", "flac -s tone.wav -o OUT && " + setTags + " OUT");
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(RunCommand("metaflac --show-total-samples --show-sample-rate --show-channels '" + path +
                             "' > '" + fx.Path("info.txt") + "'"),
                  0);
        std::istringstream numbers(ReadWholeFile(fx.Path("info.txt")));
        std::uint64_t samples = 0, rate = 0, channels = 0;
        numbers >> samples >> rate >> channels;
        ASSERT_GT(rate, 0u);

        CTrackInfo info(path);
        ASSERT_EQ(info.Read(nullptr), kTypeFlac);
        EXPECT_EQ(info.GetTitle(), "Second title");
        EXPECT_EQ(info.GetArtist(), "The Artist");
        EXPECT_EQ(info.GetAlbum(), "The Album");
        EXPECT_EQ(info.GetGenre(), "Ambient");
        EXPECT_EQ(info.GetYear(), 1997);
        EXPECT_EQ(info.GetComment(), "");
        EXPECT_EQ(static_cast<std::uint64_t>(info.GetFrequency()), rate);
        EXPECT_EQ(static_cast<std::uint64_t>(info.GetChannels()), channels);
        EXPECT_EQ(info.GetFlacInfo().totalSamples, samples);
        EXPECT_EQ(info.GetLength(), samples / rate);
        const std::uint64_t size = std::filesystem::file_size(path);
        EXPECT_EQ(info.GetSize(), size);
        // Whole seconds, so a file under one second has no bit rate.
        EXPECT_EQ(static_cast<std::uint64_t>(info.GetBitrate()), samples / rate ? size / (samples / rate) * 8 / 1000 : 0);
    }
}

TEST(CTrackInfoFlac, DateWithoutLeadingDigitsIsZero)
{
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 1 -b 16", 1.0).empty());
    for (const char *date : {"DATE=abc", "DATE=", "DATE= 1999", "DATE=99999999999"}) {
        SCOPED_TRACE(date);
        const std::string path =
            fx.Make("d.flac", std::string("rm -f OUT && flac -s tone.wav -o OUT && metaflac '--set-tag=") + date + "' OUT");
        ASSERT_FALSE(path.empty());
        CTrackInfo info(path);
        ASSERT_EQ(info.Read(nullptr), kTypeFlac);
        EXPECT_EQ(info.GetYear(), std::string(date) == "DATE=99999999999" ? 2147483647 : 0);
    }
}

TEST(CTrackInfoWav, LengthRateAndChannelsAgreeWithFfprobe)
{
    struct Case {
        const char *name;
        std::string command;
        bool known; // false: more than two channels, reset to unknown
    } cases[] = {
        {"s16.wav", "sox -R -n -r 44100 -c 2 -b 16 OUT synth 3.5 pinknoise", true},
        {"u8.wav", "sox -R -n -r 8000 -c 1 -b 8 OUT synth 2.0 pinknoise", true},
        // IMA ADPCM carries a "fact" chunk between the format and the data.
        {"ima.wav", "sox -R -n -r 22050 -c 1 -e ima-adpcm OUT synth 3.3 pinknoise", true},
        {"ima2.wav", "sox -R -n -r 44100 -c 2 -e ima-adpcm OUT synth 4.1 pinknoise", true},
        // ffmpeg writes a LIST chunk before the data.
        {"list.wav", "ffmpeg -loglevel error -f lavfi -i anoisesrc=d=2.5:r=32000 -ac 2 OUT", true},
        // Shorter than a second: at least one second.
        {"short.wav", "sox -R -n -r 44100 -c 1 -b 16 OUT synth 0.4 pinknoise", true},
        {"six.wav", "sox -R -n -r 44100 -c 6 -b 16 OUT synth 1.5 pinknoise", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        const std::string path = fx.Make(c.name, c.command);
        ASSERT_FALSE(path.empty());
        const Ffprobe probe(path, fx.Folder());
        CTrackInfo info(path);
        const std::int32_t type = info.Read(nullptr);
        if (!c.known) {
            EXPECT_EQ(type, kTypeUnknown);
            EXPECT_EQ(info.GetChannels(), 0);
            EXPECT_EQ(info.GetLength(), 0u);
            continue;
        }
        ASSERT_EQ(type, kTypeWav);
        EXPECT_EQ(info.GetFrequency(), probe.sampleRate());
        EXPECT_EQ(info.GetChannels(), probe.channels());
        EXPECT_EQ(info.GetBitrate(), probe.streamBitRate() / 1000);
        EXPECT_EQ(info.GetLength(), std::max<std::uint32_t>(1, static_cast<std::uint32_t>(probe.duration())));
        EXPECT_EQ(info.GetTitle(), std::filesystem::path(c.name).stem().string());
    }
}

// Headers written byte by byte: a canonical 44-byte header with the given fields, then `dataBytes`.
std::string WavBytes(std::uint32_t formatLength, std::uint16_t channels, std::uint32_t rate,
                     std::uint32_t bytesPerSecond, std::uint32_t dataLength, std::size_t dataBytes)
{
    std::string b = "RIFF" + Le32(static_cast<std::uint32_t>(36 + dataBytes)) + "WAVEfmt " + Le32(formatLength);
    b += Le16(1) + Le16(channels) + Le32(rate) + Le32(bytesPerSecond) + Le16(4) + Le16(16);
    if (formatLength > 16 && formatLength < 1024)
        b += std::string(formatLength - 16, '\0');
    b += "data" + Le32(dataLength) + std::string(dataBytes, '\x01');
    return b;
}

TEST(CTrackInfoWav, BrokenHeadersBecomeUnknown)
{
    TagFixtures fx;
    struct Case {
        const char *name;
        std::string bytes;
        std::int32_t type;
        std::uint32_t length;
    } cases[] = {
        {"ok", WavBytes(16, 2, 44100, 176400, 352800, 352800), kTypeWav, 2},
        // A sound header with little audio is a WAV however short, as the audio library plays it.
        {"tiny", WavBytes(16, 2, 44100, 176400, 80, 80).substr(0, 126), kTypeWav, 1},
        {"header only", WavBytes(16, 2, 44100, 176400, 80, 80).substr(0, 44), kTypeUnknown, 0},
        {"nodata", WavBytes(16, 2, 44100, 176400, 0, 0), kTypeUnknown, 0},
        // A data size never finalised: the audio runs to the end of the file.
        {"unfinished", WavBytes(16, 2, 44100, 176400, 0, 400), kTypeWav, 1},
        {"norate", WavBytes(16, 2, 44100, 0, 400, 400), kTypeUnknown, 0},
        {"three", WavBytes(16, 3, 44100, 264600, 529200, 529200), kTypeUnknown, 0},
        // A header that claims more data than the file holds is measured by the file.
        {"streamed", WavBytes(16, 1, 8000, 16000, 0xFFFFFFFF, 48000), kTypeWav, 3},
        // A format chunk claiming 4 GiB leaves no room for data.
        {"hugefmt", WavBytes(0xFFFFFFF0, 2, 44100, 176400, 400, 400), kTypeUnknown, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CTrackInfo info(fx.Write(c.name, c.bytes));
        EXPECT_EQ(info.Read(nullptr), c.type);
        EXPECT_EQ(info.GetLength(), c.length);
    }
}

} // namespace

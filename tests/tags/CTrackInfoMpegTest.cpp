// MPEG audio: frame scan, Xing lengths and ID3v1 tags, judged by ffprobe and TagLib.

#include "tests/tags/Ffprobe.h"
#include "tests/tags/TagFixtures.h"
#include "core/CPlaylistEntry.h"
#include "tags/CGenreTable.h"
#include "platform/formats/CMpegFrameHeader.h"
#include "tags/CTrackInfo.h"

#include <gtest/gtest.h>
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

struct EncodeCase {
    const char *name;
    const char *source;    // sox output format of the tone
    const char *command;   // turns tone.wav into OUT
    std::int32_t version;  // raw header field
    std::int32_t layer;    // raw header field
    bool vbr;
};

TEST(CTrackInfoMpeg, TechnicalFieldsAgreeWithFfprobe)
{
    const EncodeCase cases[] = {
        {"cbr128.mp3", "-r 44100 -c 2 -b 16", "lame --quiet -b 128 tone.wav OUT", 3, 1, false},
        {"cbr320.mp3", "-r 48000 -c 2 -b 16", "lame --quiet -b 320 tone.wav OUT", 3, 1, false},
        {"mpeg2.mp3", "-r 22050 -c 1 -b 16", "lame --quiet -b 64 -m m tone.wav OUT", 2, 1, false},
        {"mpeg25.mp3", "-r 11025 -c 1 -b 16", "lame --quiet -b 32 -m m tone.wav OUT", 0, 1, false},
        {"layer2.mp2", "-r 44100 -c 2 -b 16",
         "ffmpeg -loglevel error -i tone.wav -c:a mp2 -b:a 192k -f mp2 OUT", 3, 2, false},
        {"vbr.mp3", "-r 44100 -c 2 -b 16", "lame --quiet -V 2 tone.wav OUT", 3, 1, true},
        {"vbr22.mp3", "-r 22050 -c 1 -b 16", "lame --quiet -V 5 tone.wav OUT", 2, 1, true},
    };
    for (const EncodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", c.source, 7.3).empty());
        const std::string path = fx.Make(c.name, c.command);
        ASSERT_FALSE(path.empty());
        const Ffprobe probe(path, fx.Folder());
        ASSERT_TRUE(probe.ok());

        CTrackInfo info(path);
        ASSERT_EQ(info.Read(nullptr), kTypeMpeg);
        EXPECT_EQ(info.GetFrequency(), probe.sampleRate());
        EXPECT_EQ(info.GetChannels(), probe.channels());
        EXPECT_NEAR(info.GetLength(), probe.duration(), 1.0);
        EXPECT_EQ(info.GetMpegVersion(), c.version);
        EXPECT_EQ(info.GetMpegLayer(), c.layer);
        EXPECT_EQ(info.IsVbr(), c.vbr);
        EXPECT_EQ(info.GetChannelMode() == "Mono", probe.channels() == 1);
        if (c.vbr) {
            // The Xing average against ffprobe's average over the whole file (which counts the tag frame).
            EXPECT_NEAR(info.GetBitrate(), probe.formatBitRate() / 1000.0, probe.formatBitRate() / 1000.0 * 0.05);
        } else {
            EXPECT_EQ(info.GetBitrate(), probe.streamBitRate() / 1000);
        }
        // Frame count: frames of 1152 (576 for MPEG-2 Layer III) samples in ffprobe's duration.
        const double samplesPerFrame = (c.layer == 1 && c.version != 3) ? 576.0 : 1152.0;
        EXPECT_NEAR(info.GetMpegFrames(), probe.duration() * probe.sampleRate() / samplesPerFrame, 3.0);
    }
}

// Sound effects shorter than a second are MPEG audio too; their length shows as 1 s.
TEST(CTrackInfoMpeg, FilesShorterThanASecondAreMpegOfOneSecond)
{
    const EncodeCase cases[] = {
        {"short128.mp3", "-r 44100 -c 2 -b 16", "lame --quiet -b 128 tone.wav OUT", 3, 1, false},
        {"shortvbr.mp3", "-r 44100 -c 1 -b 16", "lame --quiet -V 4 tone.wav OUT", 3, 1, true},
        {"short.mp2", "-r 48000 -c 2 -b 16", "ffmpeg -loglevel error -i tone.wav -c:a mp2 -b:a 192k -f mp2 OUT", 3, 2,
         false},
    };
    for (const EncodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", c.source, 0.3).empty());
        const std::string path = fx.Make(c.name, c.command);
        ASSERT_FALSE(path.empty());
        const Ffprobe probe(path, fx.Folder());
        ASSERT_TRUE(probe.ok());
        ASSERT_LT(probe.duration(), 1.0);
        CTrackInfo info(path);
        EXPECT_EQ(info.Read(nullptr), kTypeMpeg);
        EXPECT_EQ(info.GetLength(), 1u);
        EXPECT_EQ(info.GetMpegLayer(), c.layer);
    }
}

// Walks a file frame by frame with the header's own frame lengths; ffprobe's packet sizes must match.
TEST(CTrackInfoMpeg, FrameLengthsMatchFfprobePackets)
{
    const EncodeCase cases[] = {
        {"l3.mp3", "-r 44100 -c 2 -b 16", "lame --quiet -b 128 tone.wav OUT", 3, 1, false},
        {"l3m2.mp3", "-r 22050 -c 1 -b 16", "lame --quiet -b 40 -m m tone.wav OUT", 2, 1, false},
        {"l3m25.mp3", "-r 8000 -c 1 -b 16", "lame --quiet -b 16 -m m tone.wav OUT", 0, 1, false},
        {"l2.mp2", "-r 32000 -c 2 -b 16", "ffmpeg -loglevel error -i tone.wav -c:a mp2 -b:a 96k -f mp2 OUT", 3, 2, false},
    };
    for (const EncodeCase &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", c.source, 2.0).empty());
        // -t: no Xing/Info frame, so every packet is an audio frame.
        std::string command = c.command;
        if (command.rfind("lame", 0) == 0)
            command.insert(5, "-t ");
        const std::string path = fx.Make(c.name, command);
        ASSERT_FALSE(path.empty());
        ASSERT_EQ(RunCommand("ffprobe -v error -show_entries packet=size -of csv=p=0 '" + path + "' > '" +
                             fx.Path("sizes.txt") + "'"),
                  0);
        std::istringstream sizes(ReadWholeFile(fx.Path("sizes.txt")));
        const std::string bytes = ReadWholeFile(path);
        const long rate = Ffprobe(path, fx.Folder()).sampleRate();
        std::size_t offset = 0;
        int frames = 0;
        for (std::string line; std::getline(sizes, line) && !line.empty(); ++frames) {
            ASSERT_LE(offset + 4, bytes.size());
            const auto *p = reinterpret_cast<const unsigned char *>(bytes.data() + offset);
            const auto header = CMpegFrameHeader::Parse(p);
            ASSERT_TRUE(header.has_value());
            ASSERT_EQ(header->FrameLength(), std::stoul(line)) << "frame " << frames;
            EXPECT_EQ(header->SampleRate(), static_cast<std::uint32_t>(rate));
            offset += header->FrameLength();
        }
        EXPECT_GT(frames, 2);
    }
}

TEST(CTrackInfoMpeg, Id3v2TagLongerThanTheFirstFrameIsSkipped)
{
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 6.0).empty());
    const std::string plain = fx.Make("plain.mp3", "lame --quiet -b 128 tone.wav OUT");
    ASSERT_FALSE(plain.empty());
    // Tag bodies of sync-like bytes, longer than one frame and longer than the 4096 bytes first read.
    for (std::uint32_t body : {1000u, 6000u, 70000u}) {
        SCOPED_TRACE(body);
        const std::string path = fx.Write("tagged" + std::to_string(body) + ".mp3",
                                          TagFixtures::Id3v2(body, '\xFF') + ReadWholeFile(plain));
        const Ffprobe probe(path, fx.Folder());
        CTrackInfo info(path);
        ASSERT_EQ(info.Read(nullptr), kTypeMpeg);
        EXPECT_EQ(info.GetBitrate(), 128);
        EXPECT_EQ(info.GetFrequency(), 44100);
        EXPECT_NEAR(info.GetLength(), probe.duration(), 1.0);
    }
}

TEST(CTrackInfoMpeg, Id3v1FieldsAreReadAsLatin1)
{
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 1 -b 16", 1.0).empty());
    const std::string audio = ReadWholeFile(fx.Make("audio.mp3", "lame --quiet -b 64 tone.wav OUT"));
    ASSERT_FALSE(audio.empty());
    struct Case {
        const char *file;
        std::string tag;
        std::string title, artist, album, comment, genre;
        std::int32_t year;
        bool judgeWithTagLib; // TagLib reads ID3v1 as ISO-8859-1 too; compare the texts it gives
    } cases[] = {
        {"latin.mp3", TagFixtures::Id3v1("Caf\xE9 del Mar", "Bj\xF6rk", "\xC6on", "1999", "Nice", 17),
         "Caf\xC3\xA9 del Mar", "Bj\xC3\xB6rk", "\xC3\x86on", "Nice", "Rock", 1999, true},
        {"synth.mp3", TagFixtures::Id3v1("T   ", "A", "B", "2010", "C", 147), "T", "A", "B", "C", "Synthpop", 2010,
         true},
        {"first.mp3", TagFixtures::Id3v1("X", "", "", "0000", "", 0), "X", "", "", "", "Blues", 0, true},
        {"g148.mp3", TagFixtures::Id3v1("X", "", "", "", "", 148), "X", "", "", "", "", 0, false},
        {"g255.mp3", TagFixtures::Id3v1("X", "", "", "19x9", "", 255), "X", "", "", "", "", 19, false},
        // A control byte ends a field; ID3v1.1 keeps a track number after a zero in the comment.
        {"ctrl.mp3", TagFixtures::Id3v1("AB\x01" "CD", "Q\tR", "", "", std::string("Track\0", 6) +
                                                                   std::string(22, '\0') + "\x05", 8),
         "AB", "Q", "", "Track", "Jazz", 0, false},
        // A title of blanks falls back to the file name, even inside a folder name with a dot.
        {"All Blanks.mp3", TagFixtures::Id3v1(std::string(30, ' '), "Someone", "", "", "", 12), "All Blanks",
         "Someone", "", "", "Other", 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = fx.Write(c.file, audio + c.tag);
        CTrackInfo info(path);
        ASSERT_EQ(info.Read(nullptr), kTypeMpeg);
        EXPECT_TRUE(info.HasId3v1());
        EXPECT_EQ(info.GetTitle(), c.title);
        EXPECT_EQ(info.GetArtist(), c.artist);
        EXPECT_EQ(info.GetAlbum(), c.album);
        EXPECT_EQ(info.GetComment(), c.comment);
        EXPECT_EQ(info.GetGenre(), c.genre);
        EXPECT_EQ(info.GetYear(), c.year);
        if (c.judgeWithTagLib) {
            TagLib::MPEG::File file(path.c_str());
            const TagLib::ID3v1::Tag *tag = file.ID3v1Tag();
            ASSERT_NE(tag, nullptr);
            EXPECT_EQ(info.GetTitle(), tag->title().to8Bit(true));
            EXPECT_EQ(info.GetArtist(), tag->artist().to8Bit(true));
            EXPECT_EQ(info.GetAlbum(), tag->album().to8Bit(true));
            EXPECT_EQ(info.GetComment(), tag->comment().to8Bit(true));
            EXPECT_EQ(static_cast<unsigned>(info.GetYear()), tag->year());
        }
    }
    // Without a tag the title is the file name and nothing else is set.
    std::filesystem::create_directories(fx.Path("folder.v2"));
    CTrackInfo bare(fx.Write("folder.v2/No Tag", audio));
    ASSERT_EQ(bare.Read(nullptr), kTypeMpeg);
    EXPECT_FALSE(bare.HasId3v1());
    EXPECT_EQ(bare.GetTitle(), "No Tag");
    EXPECT_EQ(bare.GetArtist(), "");
}

// The judge is ffmpeg reading files that carry each genre byte. We keep the classic spellings of the
// ID3v1 and Winamp lists; ffmpeg has corrected five of them (TagLib many more).
const std::map<int, std::pair<std::string, std::string>> kRespelledByFfmpeg = {
    {67, {"Psychadelic", "Psychedelic"}}, {85, {"Bebob", "Bebop"}},      {123, {"A capella", "A Cappella"}},
    {129, {"Hardcore", "Hardcore Techno"}}, {146, {"JPop", "Jpop"}},
};

TEST(CGenreTable, NamesAgreeWithFfmpegThroughId3v1Files)
{
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 32000 -c 1 -b 16", 1.5).empty());
    const std::string audio = ReadWholeFile(fx.Make("audio.mp3", "lame --quiet -b 32 tone.wav OUT"));
    ASSERT_FALSE(audio.empty());
    for (int i = 0; i < CGenreTable::kCount; ++i)
        fx.Write("g" + std::to_string(i) + ".mp3",
                 audio + TagFixtures::Id3v1("t", "", "", "", "", static_cast<std::uint8_t>(i)));
    // One ffmpeg run lists the tags of all inputs in order.
    std::string inputs;
    for (int i = 0; i < CGenreTable::kCount; ++i)
        inputs += " -i g" + std::to_string(i) + ".mp3";
    RunCommand("cd '" + fx.Folder() + "' && ffmpeg -hide_banner" + inputs +
               " 2>&1 | sed -n 's/^ *genre *: //p' > genres.txt");
    std::istringstream names(ReadWholeFile(fx.Path("genres.txt")));
    std::string line;
    int i = 0;
    for (; std::getline(names, line); ++i) {
        SCOPED_TRACE(i);
        ASSERT_LT(i, CGenreTable::kCount);
        const auto respelled = kRespelledByFfmpeg.find(i);
        if (respelled != kRespelledByFfmpeg.end()) {
            EXPECT_EQ(line, respelled->second.second);
            line = respelled->second.first;
        }
        EXPECT_EQ(std::string(CGenreTable::Name(i)), line);
        EXPECT_EQ(CGenreTable::Find(line), i);
        CTrackInfo info(fx.Path("g" + std::to_string(i) + ".mp3"));
        ASSERT_EQ(info.Read(nullptr), kTypeMpeg);
        EXPECT_EQ(info.GetGenre(), line);
    }
    EXPECT_EQ(i, CGenreTable::kCount);
    EXPECT_EQ(CGenreTable::Name(147), "Synthpop");
    for (std::int32_t bad : {-1, 148, 255, 100000})
        EXPECT_EQ(CGenreTable::Name(bad), "");
    EXPECT_EQ(CGenreTable::Find("No Such Genre"), -1);
}

} // namespace

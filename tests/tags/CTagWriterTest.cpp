// The tag writers, judged by TagLib (ID3v1), vorbiscomment and ogginfo (Ogg Vorbis) and metaflac (FLAC);
// the audio before and after each rewrite is compared through ffmpeg's decode.

#include "tests/tags/TagFixtures.h"
#include "tags/CTagWriter.h"

#include <gtest/gtest.h>

#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

std::string DecodedMd5(TagFixtures &fx, const std::string &path)
{
    return fx.Output("ffmpeg -v error -i '" + path + "' -f md5 -");
}

std::string Lines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &line : lines)
        out += line + "\n";
    return out;
}

std::string Tagged(TagFixtures &fx, const std::string &name, const std::string &tool,
                   const std::vector<std::string> &comments)
{
    std::string command;
    if (tool == "ogg") {
        command = "oggenc -Q tone.wav -o OUT";
        for (const std::string &c : comments)
            command += " -c '" + c + "'";
    } else {
        command = "flac -s tone.wav -o OUT" + std::string(comments.empty() ? "" : " && metaflac");
        for (const std::string &c : comments)
            command += " '--set-tag=" + c + "'";
        command += comments.empty() ? "" : " OUT";
    }
    return fx.Make(name, command);
}

const CTagFields kFields{"The Artist", "A Title", "An Album", "Ambient", "1997", "line one\r\nline two"};

TEST(CTagWriterId3v1, TagLibReadsWhatWasWrittenAndTheAudioStays)
{
    struct Case {
        const char *name;
        CTagFields fields;
        bool startTagged;
        bool hadTagFlag; // the reader's word, possibly stale
        const char *title, *artist, *comment;
        unsigned year;
        int genreByte;
        std::string yearBytes;
    } cases[] = {
        {"plain", kFields, false, false, "A Title", "The Artist", "line one\r\nline two", 1997, 26, "1997"},
        {"rewrite", kFields, true, true, "A Title", "The Artist", "line one\r\nline two", 1997, 26, "1997"},
        {"latin1", {"Café Ölund", "Niño", "", "Synthpop", "0", ""}, false, false, "Niño", "Café Ölund", "", 0, 147,
         std::string(4, '\0')},
        {"long texts fill the field", {std::string(40, 'a'), std::string(31, 't'), "", "no such genre", "abc", ""},
         true, true, "tttttttttttttttttttttttttttttt", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "", 0, 255, std::string(4, '\0')},
        {"short year", {"", "T", "", "Blues", "12", "c"}, false, false, "T", "", "c", 12, 0, std::string("12\0\0", 4)},
        {"stale flag: said tagged", kFields, false, true, "A Title", "The Artist", "line one\r\nline two", 1997, 26,
         "1997"},
        {"stale flag: said untagged", kFields, true, false, "A Title", "The Artist", "line one\r\nline two", 1997, 26,
         "1997"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 1.5).empty());
        const std::string path = fx.Make("song.mp3", c.startTagged ? "lame --silent --id3v1-only --tt Old tone.wav OUT"
                                                                   : "lame --silent tone.wav OUT");
        ASSERT_FALSE(path.empty());
        const std::string before = ReadWholeFile(path);
        const std::size_t audioBytes = before.size() - (c.startTagged ? 128 : 0);
        ASSERT_EQ(c.startTagged, before.compare(audioBytes, 3, "TAG") == 0);

        ASSERT_TRUE(CTagWriter::WriteId3v1(path, c.fields, c.hadTagFlag));
        // Writing twice changes nothing more: the tag is rewritten, never appended again.
        ASSERT_TRUE(CTagWriter::WriteId3v1(path, c.fields, true));
        const std::string after = ReadWholeFile(path);
        ASSERT_EQ(after.size(), audioBytes + 128);
        EXPECT_EQ(after.substr(0, audioBytes), before.substr(0, audioBytes));
        EXPECT_EQ(after.substr(audioBytes + 93, 4), c.yearBytes);
        EXPECT_EQ(static_cast<unsigned char>(after.back()), c.genreByte);

        TagLib::MPEG::File file(path.c_str());
        ASSERT_TRUE(file.hasID3v1Tag());
        TagLib::ID3v1::Tag *tag = file.ID3v1Tag();
        EXPECT_EQ(tag->title().to8Bit(true), c.title);
        EXPECT_EQ(tag->artist().to8Bit(true), c.artist);
        EXPECT_EQ(tag->comment().to8Bit(true), c.comment);
        EXPECT_EQ(tag->year(), c.year);
        if (c.genreByte != 255) {
            EXPECT_EQ(tag->genre().to8Bit(true), c.fields.genre);
        }
    }
}

TEST(CTagWriterVorbis, VorbiscommentReadsTheNewListAndTheAudioStays)
{
    const std::string big(9000, 'x'); // the comment header then needs more pages than before
    struct Case {
        const char *name;
        std::vector<std::string> existing;
        CTagFields fields;
        std::vector<std::string> expected;
    } cases[] = {
        {"known fields replaced whatever their case, others kept after them",
         {"title=lower", "TRACKNUMBER=3", "Artist=Old", "DATE=1990", "COMMENT=old", "PERFORMER=P"},
         kFields,
         {"ARTIST=The Artist", "TITLE=A Title", "ALBUM=An Album", "GENRE=Ambient", "DATE=1997",
          "COMMENT=line one\nline two", "TRACKNUMBER=3", "PERFORMER=P"}},
        {"empty fields are left out", {"TITLE=Old", "TRACKNUMBER=3"}, {"", "", "", "", "", ""}, {"TRACKNUMBER=3"}},
        {"a header growing over several pages", {"TRACKNUMBER=3"}, {"", "T", "", "", "", big},
         {"TITLE=T", "COMMENT=" + big, "TRACKNUMBER=3"}},
        {"and shrinking back", {"COMMENT=" + big, "TRACKNUMBER=3"}, {"", "T", "", "", "", ""},
         {"TITLE=T", "TRACKNUMBER=3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 2.5).empty());
        const std::string path = Tagged(fx, "song.ogg", "ogg", c.existing);
        ASSERT_FALSE(path.empty());
        const std::string audio = DecodedMd5(fx, path);
        const std::string vendor = fx.Output("ogginfo '" + path + "' | grep Vendor");

        std::string error;
        ASSERT_TRUE(CTagWriter::WriteVorbisComments(path, c.fields, &error)) << error;
        EXPECT_EQ(fx.Output("vorbiscomment -l '" + path + "'"), Lines(c.expected));
        EXPECT_EQ(DecodedMd5(fx, path), audio);
        EXPECT_EQ(fx.Output("ogginfo '" + path + "' | grep Vendor"), vendor);
        // ogginfo warns of gaps in the page numbers and of damaged pages.
        EXPECT_EQ(fx.Output("ogginfo '" + path + "' | grep -c -i -e warn -e error || true"), "0\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fx.Folder()), {}), 3) << "temporary file left";
    }
}

TEST(CTagWriterFlac, MetaflacReadsTheNewListAndTheAudioStays)
{
    const std::string big(20000, 'x'); // more than the 8192 bytes of padding flac leaves
    struct Case {
        const char *name;
        std::vector<std::string> existing;
        const char *prepare; // metaflac arguments applied before the write
        CTagFields fields;
        std::vector<std::string> expected;
    } cases[] = {
        {"comment block replaced; lower-case keys kept",
         {"title=lower", "TRACKNUMBER=7", "TITLE=Old", "COMMENT=old"},
         "",
         kFields,
         {"ARTIST=The Artist", "TITLE=A Title", "ALBUM=An Album", "GENRE=Ambient", "DATE=1997",
          "COMMENT=line one\nline two", "title=lower", "TRACKNUMBER=7"}},
        {"no comment block, padding", {}, "--remove --block-type=VORBIS_COMMENT", {"A", "T", "", "", "", ""},
         {"ARTIST=A", "TITLE=T"}},
        {"no comment block, no padding", {}, "--remove --block-type=VORBIS_COMMENT,PADDING --dont-use-padding",
         {"A", "T", "", "", "", ""}, {"ARTIST=A", "TITLE=T"}},
        {"more than the padding holds", {"TRACKNUMBER=7"}, "", {"", "T", "", "", "", big},
         {"TITLE=T", "COMMENT=" + big, "TRACKNUMBER=7"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 2.5).empty());
        const std::string path = Tagged(fx, "song.flac", "flac", c.existing);
        ASSERT_FALSE(path.empty());
        if (*c.prepare) {
            ASSERT_EQ(RunCommand("metaflac " + std::string(c.prepare) + " '" + path + "'"), 0);
        }
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        const std::string audio = DecodedMd5(fx, path);

        ASSERT_TRUE(CTagWriter::WriteFlacComments(path, c.fields));
        EXPECT_EQ(fx.Output("metaflac --export-tags-to=- '" + path + "'"), Lines(c.expected));
        EXPECT_EQ(DecodedMd5(fx, path), audio);
        EXPECT_EQ(RunCommand("flac -s -t '" + path + "'"), 0);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fx.Folder()), {}), 3) << "temporary file left";
    }
}

TEST(CTagWriterBadInput, NothingIsWrittenAndTheFileStaysAsItWas)
{
    struct Case {
        const char *name;
        const char *make; // command making OUT; empty for a file that does not exist
        std::int32_t type;
        const char *lastError; // Ogg Vorbis only
    } cases[] = {
        {"missing mp3", "", 7, ""},
        {"missing ogg", "", 9, ""},
        {"missing flac", "", 11, ""},
        {"empty ogg", "(true > OUT)", 9, "Input truncated or empty."},
        {"noise as ogg", "(head -c 9000 /dev/urandom > OUT)", 9, "Input is not an Ogg bitstream."},
        {"ogg cut after its first page", "(oggenc -Q tone.wav -o - | head -c 58 > OUT)", 9,
         "EOF before end of vorbis headers."},
        {"ogg holding flac", "ffmpeg -v error -i tone.wav -c:a flac -f ogg OUT", 9,
         "Ogg bitstream does not contain vorbis data."},
        {"ogg with a damaged comment header",
         "(oggenc -Q tone.wav -o - | python3 -c \"import sys; b=bytearray(sys.stdin.buffer.read()); "
         "b[58+28:58+36]=b'garbage!'; sys.stdout.buffer.write(b)\" > OUT)",
         9, ""},
        {"noise as flac", "(head -c 9000 /dev/urandom > OUT)", 11, ""},
        {"wav as flac", "cp tone.wav OUT", 11, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 1.0).empty());
        const std::string path = *c.make ? fx.Make("file", c.make) : fx.Path("file");
        ASSERT_FALSE(path.empty());
        const std::string before = ReadWholeFile(path);
        std::string error;
        const bool wrote = c.type == 9 ? CTagWriter::WriteVorbisComments(path, kFields, &error)
                                       : CTagWriter::Write(path, c.type, kFields, false);
        EXPECT_FALSE(wrote);
        EXPECT_EQ(std::filesystem::exists(path), *c.make != 0);
        EXPECT_EQ(ReadWholeFile(path), before);
        if (*c.lastError) {
            EXPECT_EQ(error, c.lastError);
        } else if (c.type == 9 && *c.make) {
            EXPECT_FALSE(error.empty());
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fx.Folder()), {}), *c.make ? 2 : 1);
    }
}

} // namespace

// `melvane-info --set` changes the named fields and keeps the others, in each writable format; the
// tools of each format judge the file afterwards, and melvane-info prints the file's line again.
// oggenc writes its keys in lower case: they must be read as the fields they are, or a write would
// drop them unseen.

#include "tests/tags/TagFixtures.h"

#include <gtest/gtest.h>

namespace {

const std::string kTool = MELVANE_BINARY_DIR "/tools/melvane-info";
// Where the build puts the decoder plug-in (beside the program), for Windows Media files.
const std::string kWithPlugIn = "LD_LIBRARY_PATH=" MELVANE_BINARY_DIR "/app ";

TEST(MelvaneInfoSet, NamedFieldsChangeAndTheOthersStay)
{
    struct Case {
        const char *name;
        const char *make;
        const char *judge;
        const char *expected;
    } cases[] = {
        {"song.ogg", "oggenc -Q tone.wav -o OUT -a Artist -l Album -G Rock -d 1990 -c TRACKNUMBER=4",
         "vorbiscomment -l", "TITLE=New\nDATE=2001\nTRACKNUMBER=4\nARTIST=Artist\nALBUM=Album\nGENRE=Rock\n"},
        {"song.flac",
         "flac -s tone.wav -o OUT && metaflac --set-tag=ARTIST=Artist --set-tag=ALBUM=Album --set-tag=GENRE=Rock "
         "--set-tag=DATE=1990 --set-tag=TRACKNUMBER=4 OUT",
         "metaflac --export-tags-to=-", "ARTIST=Artist\nTITLE=New\nALBUM=Album\nGENRE=Rock\nDATE=2001\nTRACKNUMBER=4\n"},
        {"song.mp3", "lame --silent --id3v1-only --ta Artist --tl Album --tg Rock --ty 1990 tone.wav OUT",
         "ffprobe -v error -show_entries format_tags=artist,title,album,genre,date -of default=nw=1",
         "TAG:title=New\nTAG:artist=Artist\nTAG:album=Album\nTAG:date=2001\nTAG:genre=Rock\n"},
        {"song.wma",
         "ffmpeg -v error -i tone.wav -c:a wmav2 -metadata artist=Artist -metadata album=Album -metadata genre=Rock "
         "-metadata WM/Year=1990 OUT",
         "ffprobe -v error -show_entries format_tags=artist,title,album,genre,WM/Year -of default=nw=1",
         "TAG:title=New\nTAG:artist=Artist\nTAG:album=Album\nTAG:genre=Rock\nTAG:WM/Year=2001\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 1.0).empty());
        const std::string path = fx.Make(c.name, c.make);
        ASSERT_FALSE(path.empty());
        const std::string line = fx.Output(kWithPlugIn + "'" + kTool + "' --set TITLE=New --set YEAR=2001 '" + path + "'");
        EXPECT_NE(line.find("\tNew\tArtist\tAlbum\tRock\t2001\t"), std::string::npos) << line;
        const std::string tags = fx.Output(std::string(c.judge) + " '" + path + "'");
        // Vorbis writers put the known fields first, so compare as sets of lines where the order is the tool's.
        auto sorted = [](std::string text) {
            std::vector<std::string> lines;
            for (std::size_t at; (at = text.find('\n')) != std::string::npos; text.erase(0, at + 1))
                lines.push_back(text.substr(0, at));
            std::sort(lines.begin(), lines.end());
            return lines;
        };
        EXPECT_EQ(sorted(tags), sorted(c.expected));
    }
    EXPECT_EQ(RunCommand("'" + kTool + "' --set NOPE=1 x >/dev/null 2>&1"), 2);
}

} // namespace

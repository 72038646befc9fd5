// A tag rewrite killed at any moment leaves the old file or the new one: `melvane-info --set` is killed
// after a range of delays while it rewrites a whole file (an Ogg Vorbis file, a FLAC file whose padding
// cannot hold the new comment), and each time the file must decode to the same audio and carry either
// the old tags or the new ones.

#include "tests/tags/TagFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kTool = MELVANE_BINARY_DIR "/tools/melvane-info";

TEST(CTagWriterKill, AKilledRewriteLeavesTheOldFileOrTheNew)
{
    struct Case {
        const char *name;
        const char *make;
        const char *listTags;
    } cases[] = {
        {"song.ogg", "oggenc -Q tone.wav -o OUT -c TITLE=Old", "vorbiscomment -l"},
        {"song.flac", "flac -s tone.wav -o OUT && metaflac --set-tag=TITLE=Old OUT && metaflac --remove "
                      "--block-type=PADDING --dont-use-padding OUT",
         "metaflac --export-tags-to=-"},
    };
    const std::string comment(30000, 'c');
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 20).empty());
        const std::string pristine = fx.Make(std::string("pristine-") + c.name, c.make);
        ASSERT_FALSE(pristine.empty());
        const std::string audio = fx.Output("ffmpeg -v error -i '" + pristine + "' -f md5 -");
        const std::string oldTags = "TITLE=Old\n";
        const std::string newTags = "TITLE=New\nCOMMENT=" + comment + "\n";
        const std::string path = fx.Path(c.name);
        int sawOld = 0, sawNew = 0;
        for (const char *delay :
             {"0.001", "0.002", "0.003", "0.004", "0.006", "0.008", "0.01", "0.015", "0.02", "0.04", "1"}) {
            SCOPED_TRACE(delay);
            std::filesystem::copy_file(pristine, path, std::filesystem::copy_options::overwrite_existing);
            RunCommand("timeout -s KILL " + std::string(delay) + " '" + kTool + "' --set TITLE=New --set COMMENT=" +
                       comment + " '" + path + "' >/dev/null 2>&1");
            EXPECT_EQ(fx.Output("ffmpeg -v error -i '" + path + "' -f md5 -"), audio);
            const std::string tags = fx.Output(std::string(c.listTags) + " '" + path + "'");
            EXPECT_TRUE(tags == oldTags || tags == newTags) << tags.substr(0, 200);
            sawOld += tags == oldTags;
            sawNew += tags == newTags;
        }
        // The last delay lets the rewrite finish; a later write cleans up what killed ones left behind.
        EXPECT_GT(sawNew, 0);
        ASSERT_EQ(RunCommand("'" + kTool + "' --set TITLE=Again '" + path + "' >/dev/null"), 0);
        std::vector<std::string> left;
        for (const auto &entry : std::filesystem::directory_iterator(fx.Folder()))
            if (entry.path().filename().string().rfind(c.name, 0) == 0 && entry.path() != path)
                left.push_back(entry.path().filename().string());
        EXPECT_TRUE(left.empty()) << left.front();
        std::printf("%s: %d kills left the old file, %d the new one\n", c.name, sawOld, sawNew);
    }
}

} // namespace

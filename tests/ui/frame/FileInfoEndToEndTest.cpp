// The real program under a private X server: Ctrl+I opens the tag window of the current Ogg Vorbis,
// FLAC or Windows Media entry, a new title is typed and saved, and the file (judged by vorbiscomment,
// metaflac or ffprobe), its audio (decoded by oggdec, flac or ffmpeg) and the saved playlist show it;
// while the file plays, the file changes only once playback stopped (at the next tick). With
// MELVANE_SCREENSHOT_DIR set, the windows are kept as PNGs.
#include "tests/support/AsfFixtures.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/XDesktop.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

std::string Quoted(const std::string &path)
{
    return "'" + path + "'";
}

// The sandboxed program and the hands that open its tag window.
class TagWindowRun {
protected:
    std::string Tags() const { return CommandOutput(m_strListTags + Quoted(file)); }
    // The player writes at its next tick after playback stopped.
    bool WaitForTag(const std::string &line) const
    {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (Tags().find(line) != std::string::npos)
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    void Keep(XDesktop &x, unsigned long window, const std::string &name)
    {
        const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR");
        if (!folder.isEmpty() && !name.empty())
            EXPECT_TRUE(x.Screenshot(window, folder.toStdString() + "/" + name + ".png"));
    }
    // Ctrl+I in the main window, then the title typed over in the tag window and saved.
    void EditTitle(XDesktop &x, const std::string &caption, const std::string &title, const std::string &shot)
    {
        const unsigned long main = x.WaitForWindow("Melvane");
        ASSERT_NE(main, 0u);
        x.Focus(main);
        x.Key("i", true);
        const unsigned long dialog = x.WaitForWindow(caption);
        ASSERT_NE(dialog, 0u) << "Ctrl+I opens " << caption;
        x.Focus(dialog);
        Keep(x, dialog, shot);
        x.Key("Tab"); // from Artist to Title, which is then selected
        x.Type(title);
        x.Key("Return");
        EXPECT_TRUE(x.WaitUntilGone(caption));
        Keep(x, main, shot.empty() ? shot : shot + "-list");
    }

    ProgramSandbox box{ProgramSandbox::Display::X11};
    std::string file;
    std::string m_strListTags;
};

struct Format {
    const char *name;
    std::string (*encode)(const TempDir &, const std::string &, const std::string &);
    const char *setTitle; // followed by the file
    const char *listTags; // prints KEY=value lines
    const char *decode;   // exits with 0 when the audio decodes
    const char *caption;
};

const Format kFormats[] = {
    {"ogg", &EncodeOgg, "vorbiscomment -w -t TITLE=Before -t TRACKNUMBER=4 ", "vorbiscomment -l ",
     "oggdec -Q -o /dev/null ", "Ogg Vorbis File Information"},
    {"flac", &EncodeFlac, "metaflac --set-tag=TITLE=Before --set-tag=TRACKNUMBER=4 ", "metaflac --export-tags-to=- ",
     "flac -s -t ", "FLAC File Information"},
};

class FileInfoEndToEnd : public TagWindowRun, public testing::TestWithParam<Format> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(box.Ready());
        m_strListTags = GetParam().listTags;
        ToneSpec tone;
        tone.seconds = 30; // still playing while the window is up
        const std::string wav = MakeToneWav(box.Dir(), "tone", tone);
        file = GetParam().encode(box.Dir(), "song", wav);
        ASSERT_FALSE(file.empty());
        ASSERT_EQ(RunCommand(GetParam().setTitle + Quoted(file)), 0);
    }
};

TEST_P(FileInfoEndToEnd, SavedTitleReachesTheFileAndThePlaylist)
{
    ASSERT_TRUE(box.Start({"-add", QString::fromStdString(file)}));
    ASSERT_TRUE(box.WaitUntilRunning());
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    EditTitle(x, GetParam().caption, "After Edit", std::string("info-") + GetParam().name);
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    const std::string tags = Tags();
    EXPECT_NE(tags.find("TITLE=After Edit\n"), std::string::npos) << tags;
    EXPECT_EQ(tags.find("TITLE=Before"), std::string::npos) << tags;
    EXPECT_NE(tags.find("TRACKNUMBER=4\n"), std::string::npos) << "other comments survive: " << tags;
    EXPECT_EQ(RunCommand(GetParam().decode + Quoted(file)), 0) << "the audio still decodes";
    EXPECT_NE(ReadWholeFile(box.DefaultPlaylist()).find("After Edit"), std::string::npos)
        << ReadWholeFile(box.DefaultPlaylist());
}

TEST_P(FileInfoEndToEnd, ThePlayingFileIsWrittenOncePlaybackStops)
{
    ASSERT_TRUE(box.Start({QString::fromStdString(file)})); // a plain path plays at once
    ASSERT_TRUE(box.WaitUntilRunning());
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    EditTitle(x, GetParam().caption, "While Playing", "");
    EXPECT_EQ(box.Ctl({"status"}), "Playing");
    EXPECT_NE(Tags().find("TITLE=Before\n"), std::string::npos) << "nothing written while it plays";
    EXPECT_EQ(box.Ctl({"metadata", "xesam:title"}), "While Playing") << "the player shows the saved title";

    box.Ctl({"stop"});
    ASSERT_TRUE(box.WaitFor({"status"}, "Stopped"));
    EXPECT_TRUE(WaitForTag("TITLE=While Playing\n")) << "written once stopped: " << Tags();
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    EXPECT_EQ(RunCommand(GetParam().decode + Quoted(file)), 0);
    EXPECT_NE(Tags().find("TRACKNUMBER=4\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Formats, FileInfoEndToEnd, testing::ValuesIn(kFormats),
                         [](const auto &info) { return std::string(info.param.name); });

// Windows Media attributes are written through the decoder plug-in, which keeps them until it closes
// the file (another entry opens, or the player exits).
class WmaFileInfoEndToEnd : public TagWindowRun, public testing::Test {};

TEST_F(WmaFileInfoEndToEnd, ThePlayingFileGetsItsTitleThroughThePlugInOnceClosed)
{
    ASSERT_TRUE(box.Ready());
    file = box.Dir().file("song.wma");
    asf_fixture::Spec spec;
    spec.seconds = 30;
    spec.tags = {{"title", "Before"}, {"artist", "The Test Bench"}};
    ASSERT_TRUE(asf_fixture::Make(file, spec));
    m_strListTags = "ffprobe -v error -show_entries format_tags=title,artist -of default=nw=1 ";

    ASSERT_TRUE(box.Start({QString::fromStdString(file)}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    EditTitle(x, "Windows Media Audio File Information", "After Edit", "info-wma");
    EXPECT_NE(Tags().find("TAG:title=Before\n"), std::string::npos) << "nothing written while it plays";
    EXPECT_EQ(box.Ctl({"metadata", "xesam:title"}), "After Edit");
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    EXPECT_NE(Tags().find("TAG:title=After Edit\n"), std::string::npos) << Tags();
    EXPECT_NE(Tags().find("TAG:artist=The Test Bench\n"), std::string::npos) << Tags();
    EXPECT_EQ(RunCommand("ffmpeg -v error -i " + Quoted(file) + " -f null -"), 0) << "the audio still decodes";
}

} // namespace

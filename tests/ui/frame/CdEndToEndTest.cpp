// The real program given a CD image on its command line, as a user who ripped a disc would start it:
// "melvane -cd disc.cue 2". Track 2 and then track 3 are heard exactly as the image holds them (every
// sample and no gap, through SDL's disk driver), the tab shows the tracks named from the sheet's CD-Text, and a check box
// cleared in the list with the keyboard is in cd.ini after the program ended. With
// MELVANE_SCREENSHOT_DIR set, the window is kept as a PNG.
#include "platform/registry/CRegistryHive.h"
#include "tests/support/CapturedAudio.h"
#include "tests/support/CdImage.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/XDesktop.h"

#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>


namespace {

TEST(CdEndToEnd, ImageTrackFromTheCommandLineIsHeardExactlyAndTheListIsSaved)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    CdImage image;
    ASSERT_TRUE(image.Create(box.Dir().path().string(),
                             {{{150, "Opening"}, {225, "Second Song"}, {150, "Coda"}}, "Rip", "The Band"}));
    const std::string captured = box.Dir().file("heard.raw");
    box.CaptureAudioTo(captured);
    ASSERT_TRUE(box.Start({"-cd", QString::fromStdString(image.cuePath), "2"}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    EXPECT_EQ(box.Ctl({"metadata", "title"}), "Second Song");

    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    const unsigned long main = x.WaitForWindow("Melvane");
    ASSERT_NE(main, 0u);
    x.Focus(main);
    QThread::msleep(300);
    x.Key("space"); // the row of the playing track 2: its check box goes off
    QThread::msleep(300);
    if (const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR"); !folder.isEmpty())
        EXPECT_TRUE(x.Screenshot(main, folder.toStdString() + "/cd-image-tab.png"));
    // Track 2 lasts 3 s; track 3 follows it. The disk driver keeps time only roughly on a busy machine
    // (and the start may take a while): wait until the capture holds track 2 and the first second of
    // track 3, looking every half second.
    const std::string joined = image.trackBytes[1] + image.trackBytes[2].substr(0, 44100 * 4);
    const std::uintmax_t wanted = joined.size() / 2 * sizeof(float);
    std::ptrdiff_t joinedAt = -1;
    for (int i = 0; i < 60 && joinedAt < 0; ++i) {
        QThread::msleep(500);
        std::error_code error;
        if (std::filesystem::file_size(captured, error) >= wanted && !error)
            joinedAt = captured_audio::FindExactPcm16(captured_audio::ReadFloats(captured), joined);
    }
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    const std::vector<float> heard = captured_audio::ReadFloats(captured);
    ASSERT_GT(heard.size(), image.trackBytes[1].size() / 2) << "at least a track's worth was played";
    // Track 3 follows with no gap: its first second comes straight after the last sample of track 2.
    EXPECT_GE(joinedAt, 0) << "every sample of track 2, then of track 3, is heard as the image holds it";

    const std::string ini = ReadWholeFile(box.DataFolder() + "/cd.ini");
    EXPECT_NE(ini.find("\r\nartist=The Band\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\ntitle=Rip\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\n0=Opening\r\n1=Second Song\r\n2=Coda\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\norder=0 2\r\n"), std::string::npos) << "track 2 left out: " << ini;
    const auto images = box.Setting("cdimage0");
    ASSERT_TRUE(images.has_value());
    EXPECT_EQ(images->text, image.cuePath) << "the image stays listed as a drive";
}

} // namespace

namespace {

// A second start hands its "-cd" line to the running program; a CD track playing at exit plays again
// at the next start when "Remember last playback position" is on and the same disc is in the drive.
TEST(CdEndToEnd, ForwardedImageTrackAndTheResumeOfACdTrack)
{
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    CdImage image;
    ASSERT_TRUE(image.Create(box.Dir().path().string(),
                             {{{150, "Opening"}, {1500, "Long Song"}, {1500, "Coda"}}, "Rip", "The Band"}));
    std::filesystem::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\nlastpos=dword:00000001\nautoplay0=dword:00000001\n";
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    ASSERT_EQ(box.StartSecond({"-cd", QString::fromStdString(image.cuePath), "3"}), 0);
    ASSERT_TRUE(box.WaitFor({"metadata", "title"}, "Coda")) << "the forwarded track plays";
    EXPECT_TRUE(box.WaitFor({"status"}, "Playing"));
    QThread::msleep(2500);
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    const auto tab = box.Setting("lasttab");
    const auto index = box.Setting("lastindex");
    ASSERT_TRUE(tab && index);
    EXPECT_EQ(tab->dword, 1u) << "drive D's tab";
    EXPECT_EQ(index->dword, 3u) << "its track 3";

    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitFor({"metadata", "title"}, "Coda")) << "the same disc is there: its track plays again";
    EXPECT_TRUE(box.WaitFor({"status"}, "Playing"));
    EXPECT_GE(box.Ctl({"position"}).toDouble(), 1.0) << "from where it was";
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    // Another disc in the image's place: nothing of the old one is resumed.
    CdImage other;
    ASSERT_TRUE(other.Create(box.Dir().path().string(), {{{300, "New"}, {300, "Disc"}, {600, "Here"}}, "B", "C"}));
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    QThread::msleep(1500);
    EXPECT_NE(box.Ctl({"metadata", "title"}), "Here");
    EXPECT_NE(box.Ctl({"status"}), "Playing");
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
}

} // namespace

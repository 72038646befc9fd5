// "Extract Audio" in the real program, used with the keyboard as a user would, on a CD image listed as
// its drive: Alt+C, X opens the dialog with the disc's tracks and the FLAC plug-in chosen last time;
// track 2 unchecked with Down and Space; Return extracts. The progress window closes by itself; the
// files are on disk under the disc's names, decode (flac -d) to the image's sectors, joined the
// playlist, and the settings hold the choices. With MELVANE_SCREENSHOT_DIR set, the dialog is kept as
// a PNG.
#include "platform/registry/CRegistryHive.h"
#include "tests/support/CdImage.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/XDesktop.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(ExtractEndToEnd, ChosenTracksBecomeFlacFilesInThePlaylist)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    CdImage image;
    CdImageDisc disc;
    disc.title = "Live Disc";
    disc.performer = "The Band";
    disc.tracks = {{450, "Opening", "", false}, {300, "Second", "", false}, {375, "Guest / Closing", "", false}};
    std::filesystem::create_directories(box.Dir().file("disc"));
    ASSERT_TRUE(image.Create(box.Dir().file("disc"), disc));
    const std::string out = box.Dir().file("music");
    std::filesystem::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\ncdimagecount=dword:00000001\ncdimage0=sz:" << image.cuePath
        << "\nextractdir=sz:" << out << "\nextractenc=sz:FLACOUT.SO\nextractadd=dword:00000001\n";
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    const unsigned long main = x.WaitForWindow("Melvane");
    ASSERT_NE(main, 0u);
    x.Focus(main);
    x.AltKey("c");
    x.Key("x");
    const unsigned long dialog = x.WaitForWindow("Extract Audio");
    ASSERT_NE(dialog, 0u) << "Alt+C, X opens the extraction";
    x.Focus(dialog);
    x.Key("Down");
    x.Key("space");
    if (const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR"); !folder.isEmpty()) {
        EXPECT_TRUE(x.Screenshot(dialog, folder.toStdString() + "/extract-audio.png"));
    }
    x.Key("Return");
    EXPECT_TRUE(x.WaitUntilGone("Extract Audio"));
    EXPECT_TRUE(x.WaitUntilGone("Extracting Audio", 20000));
    const std::string folder = out + "/The Band - Live Disc/";
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    const std::vector<std::string> files = {folder + "01 - Opening.flac", folder + "03 - Guest - Closing.flac"};
    EXPECT_FALSE(std::filesystem::exists(folder + "02 - Second.flac")) << "unchecked";
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(CommandOutput("flac -s -d -c --force-raw-format --endian=little --sign=signed '" + files[i] + "'") ==
                    image.trackBytes[i == 0 ? 0 : 2])
            << files[i];
    }
    EXPECT_EQ(CommandOutput("metaflac --show-tag=ARTIST --show-tag=TITLE '" + files[1] + "'"),
              "ARTIST=Guest\nTITLE=Closing\n");
    EXPECT_EQ(ProgramSandbox::PlaylistPaths(box.DefaultPlaylist()), files);
    const auto encoder = box.Setting("extractenc");
    ASSERT_TRUE(encoder.has_value());
    EXPECT_EQ(encoder->text, "flacout.so");
}

} // namespace

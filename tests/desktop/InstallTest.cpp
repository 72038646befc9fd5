// `cmake --install` into a temporary prefix puts the program's desktop files where desktops look,
// judged by desktop-file-validate, appstreamcli, man, update-mime-database and xdg-mime (through GIO's
// MIME database); the installed program, started through its link, plays a WMA file through the
// plug-in installed beside it.
#include "tests/support/AsfFixtures.h"
#include "tests/support/CdImage.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// Width and height from a PNG file's header.
[[maybe_unused]] std::pair<int, int> PngSize(const std::string &path)
{
    const std::string data = ReadWholeFile(path);
    if (data.size() < 24 || data.compare(1, 3, "PNG") != 0)
        return {0, 0};
    auto be32 = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(data[at + i]);
        return value;
    };
    return {be32(16), be32(20)};
}

TEST(InstallTest, DesktopFindsEntryIconsAndPlaylistType)
{
#ifndef MELVANE_INSTALL_RULES
    GTEST_SKIP() << "cmake/Install.cmake is not part of this build";
#else
    TempDir dir;
    const std::string prefix = dir.file("prefix");
    ASSERT_EQ(RunCommand("cmake --install '" MELVANE_BINARY_DIR "' --prefix '" + prefix + "' > /dev/null"), 0);

    const std::string share = prefix + "/share";
    const std::string desktop = share + "/applications/melvane.desktop";
    ASSERT_TRUE(fs::exists(desktop));
    EXPECT_EQ(RunCommand("desktop-file-validate '" + desktop + "'"), 0);
    EXPECT_TRUE(fs::exists(share + "/icons/hicolor/scalable/apps/melvane.svg"));
    EXPECT_TRUE(fs::exists(share + "/icons/hicolor/symbolic/apps/melvane-symbolic.svg"));
    EXPECT_EQ(RunCommand("appstreamcli validate --no-net '" + share + "/metainfo/org.example.melvane.metainfo.xml'"), 0);
    for (const char *page : {"melvane", "melvane-info", "melvane-cd", "melvane-remote"})
        EXPECT_EQ(RunCommand("man -l '" + share + "/man/man1/" + page + ".1.gz' > /dev/null"), 0) << page;
    if (RunCommand("command -v rsvg-convert > /dev/null") == 0) {
        for (int size : {16, 32, 48, 128}) {
            const std::string folder = std::to_string(size) + "x" + std::to_string(size);
            EXPECT_EQ(PngSize(share + "/icons/hicolor/" + folder + "/apps/melvane.png"), std::make_pair(size, size));
        }
    }
    const std::string program = prefix + "/lib/melvane";
    EXPECT_TRUE(fs::is_directory(program + "/visuals"));
    EXPECT_TRUE(fs::is_directory(program + "/encoders"));
    // The CD tool, linked from bin, extracts through the encoder plug-ins of the installed encoders/.
    for (const char *encoder : {"asfout.so", "flacout.so", "oggout.so"})
        EXPECT_TRUE(fs::exists(program + "/encoders/" + encoder)) << encoder;
    CdImage image;
    CdImageDisc disc;
    disc.tracks = {{150, "Installed", "", false}};
    disc.title = "Prefix Disc";
    ASSERT_TRUE(image.Create(dir.path().string(), disc));
    EXPECT_EQ(RunCommand("XDG_DATA_HOME='" + dir.file("data") + "' XDG_CONFIG_HOME='" + dir.file("config") + "' '" +
                         prefix + "/bin/melvane-cd' --extract '" + dir.file("ripped") + "' --encoder flacout '" +
                         image.cuePath + "' > /dev/null 2>&1"),
              0);
    EXPECT_EQ(CommandOutput("flac -s -d -c --force-raw-format --endian=little --sign=signed '" +
                            dir.file("ripped/Prefix Disc/01 - Installed.flac") + "'"),
              image.trackBytes[0]);
    // The remote host, linked from bin, finds its plug-in beside it and its button map in share.
    EXPECT_TRUE(fs::exists(program + "/mv_remote.so"));
    EXPECT_EQ(RunCommand("'" + prefix + "/bin/melvane-remote' --list | grep -q 'KEY_PLAY *play'"), 0);
    if (fs::exists(program + "/melvane")) {
        EXPECT_TRUE(fs::is_symlink(prefix + "/bin/melvane"));
        EXPECT_TRUE(fs::equivalent(prefix + "/bin/melvane", program + "/melvane"));
        // Started through the link, the program finds its decoder plug-in beside itself in this prefix.
        ProgramSandbox box;
        ASSERT_TRUE(box.Ready());
        box.UseProgram(prefix + "/bin/melvane");
        const std::string wma = box.Dir().file("named.wma");
        asf_fixture::Spec spec;
        spec.tags = {{"title", "From The Prefix"}};
        ASSERT_TRUE(asf_fixture::Make(wma, spec));
        ASSERT_TRUE(box.Start({QString::fromStdString(wma)}));
        EXPECT_TRUE(box.WaitFor({"status"}, "Playing"));
        EXPECT_EQ(box.Ctl({"metadata", "title"}), "From The Prefix");
        EXPECT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    }

    // With the installed share folder first, the desktop knows .vpl files as our playlist type.
    ASSERT_EQ(RunCommand("update-mime-database '" + share + "/mime' > /dev/null 2>&1"), 0);
    const std::string playlist = dir.file("list.vpl");
    std::ofstream(playlist) << "#Melvane playlist\n";
    const std::string result = dir.file("type.txt");
    ASSERT_EQ(RunCommand("XDG_DATA_DIRS='" + share + ":/usr/share' XDG_DATA_HOME='" + share +
                         "' XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype '" + playlist + "' > '" + result + "'"),
              0);
    EXPECT_EQ(ReadWholeFile(result), "audio/x-melvane-playlist\n");
#endif
}

} // namespace

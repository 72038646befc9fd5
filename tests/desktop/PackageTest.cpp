// scripts/package builds the Debian package, lintian finds no errors in it, and the program unpacked
// from it into a throw-away root (dpkg -x) runs from there as a new user meets it: it plays a file
// (what SDL's disk driver captured is the file), reads a Windows Media file through its plug-in (as
// does its melvane-info) and opens the visual plug-ins of its own visuals/ folder.
#include "tests/support/AsfFixtures.h"
#include "tests/support/CapturedAudio.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/XDesktop.h"

#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

bool Have(const char *tool)
{
    return RunCommand(std::string("command -v ") + tool + " > /dev/null") == 0;
}

// Runs `command`, prints what it said (the judges' verdicts belong in the test log) and gives its status.
int RunAndShow(const std::string &command, const std::string &log)
{
    const int status = RunCommand(command + " > '" + log + "' 2>&1");
    std::cout << "$ " << command << "\n" << ReadWholeFile(log);
    return status;
}

TEST(PackageTest, TheUnpackedPackagePlaysAndFindsItsPlugins)
{
#ifndef MELVANE_INSTALL_RULES
    GTEST_SKIP() << "cmake/Install.cmake is not part of this build";
#else
    if (kSanitized)
        GTEST_SKIP() << "packages are made from the optimised build; a sanitizer build's stripped binaries lose "
                        "the names its leak suppressions need";
    for (const char *tool : {"dpkg-deb", "lintian", "cpack", "appstreamcli"})
        if (!Have(tool))
            GTEST_SKIP() << tool << " is missing";
    TempDir dir;
    const std::string log = dir.file("log.txt");

    std::string deb = CommandOutput("'" MELVANE_SOURCE_DIR "/scripts/package' --build-dir '" MELVANE_BINARY_DIR
                                    "' --output '" + dir.file("out") + "' 2> '" + log + "'");
    while (!deb.empty() && deb.back() == '\n')
        deb.pop_back();
    ASSERT_TRUE(fs::exists(deb)) << ReadWholeFile(log);
    EXPECT_TRUE(std::regex_match(fs::path(deb).filename().string(), std::regex(R"(melvane_\d+\.\d+_amd64\.deb)")))
        << deb;
    EXPECT_EQ(RunAndShow("lintian --fail-on error '" + deb + "'", log), 0) << "lintian found errors";
    const std::string depends = CommandOutput("dpkg-deb -f '" + deb + "' Depends");
    for (const char *library : {"libqt6widgets6", "libsdl2-2.0-0", "libavcodec59", "libx11-6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " is read from the binaries: " << depends;

    const std::string root = dir.file("root");
    ASSERT_EQ(RunCommand("dpkg -x '" + deb + "' '" + root + "'"), 0);
    EXPECT_EQ(RunAndShow("desktop-file-validate '" + root + "/usr/share/applications/melvane.desktop'", log), 0);
    const std::string metainfo = root + "/usr/share/metainfo/org.example.melvane.metainfo.xml";
    EXPECT_EQ(RunAndShow("appstreamcli validate --no-net '" + metainfo + "'", log), 0);

    const std::string wma = dir.file("beeps.wma");
    ASSERT_TRUE(asf_fixture::Make(wma, {}));
    const std::string line = CommandOutput("'" + root + "/usr/bin/melvane-info' '" + wma + "'");
    EXPECT_EQ(line.substr(0, wma.size() + 4), wma + "\t10\t") << "melvane-info reads WMA through the package's plug-in";
    for (const char *encoder : {"asfout.so", "flacout.so", "oggout.so"})
        EXPECT_TRUE(fs::exists(root + "/usr/lib/melvane/encoders/" + encoder)) << encoder << " in the package";

    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    box.UseProgram(root + "/usr/bin/melvane");
    const std::string tone = box.Dir().file("tone.wav");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 " + tone + " synth 20 sine 441 2>/dev/null"), 0);
    // The three visual plug-ins were open at the last exit, so they open again at the start.
    fs::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\nvisualcount=dword:00000003\nvis0=sz:freqbars.so\n"
           "vis1=sz:oscilloscope.so\nvis2=sz:levelmeter.so\n";
    const std::string captured = box.Dir().file("heard.raw");
    box.CaptureAudioTo(captured);

    ASSERT_TRUE(box.Start({QString::fromStdString(tone)}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    std::error_code ec;
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(box.Program().processId()) + "/exe", ec),
              fs::path(root + "/usr/lib/melvane/melvane"))
        << "the unpacked program runs, not the build tree's";
    EXPECT_EQ(box.StartSecond({"-add", QString::fromStdString(wma)}), 0);
    XDesktop desktop(box.DisplayName().toStdString());
    ASSERT_TRUE(desktop.Open());
    for (const char *title : {"Spectrum Analyser", "Oscilloscope", "VU Meter"})
        EXPECT_NE(desktop.WaitForWindow(title), 0u) << title << " from the package's visuals/ folder";
    QThread::msleep(2000);
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    // The Windows Media file joins the list only when the package's mv_asfin.so identified it.
    EXPECT_EQ(ProgramSandbox::PlaylistPaths(box.DefaultPlaylist()), (std::vector<std::string>{tone, wma}));

    EXPECT_GT(captured_audio::FirstSoundMatchesFile(captured, tone, box.Dir().file("reference.raw")), 0.99)
        << "what is heard is the file";
#endif
}

} // namespace

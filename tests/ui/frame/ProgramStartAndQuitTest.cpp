// The real program started the ways a user or a desktop starts it, over a named playlist and over the
// default one, then ended the ways a user or a session ends it; the playlist files and the settings
// left on disk are what a user would check. And with the settings a new user has, it is heard.
#include "platform/registry/CRegistryHive.h"
#include "tests/support/CapturedAudio.h"
#include "tests/support/ProgramSandbox.h"

#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <vector>

namespace {

using QuitBy = ProgramSandbox::QuitBy;

std::string MakeTone(const ProgramSandbox &box, const std::string &name, int hz, double seconds = 20)
{
    const std::string path = box.Dir().file(name);
    const int status = RunCommand("sox -n -r 44100 -c 2 " + path + " synth " + std::to_string(seconds) + " sine " +
                                  std::to_string(hz) + " 2>/dev/null");
    return status == 0 ? path : std::string();
}

// Starts the program, waits until it is up, lets it settle and ends it the given way.
void RunOnce(ProgramSandbox &box, const QStringList &arguments, QuitBy quit, const std::string &folder = {})
{
    ASSERT_TRUE(box.Start(arguments, folder));
    ASSERT_TRUE(box.WaitUntilRunning()) << arguments.join(' ').toStdString();
    QThread::msleep(500);
    EXPECT_TRUE(box.Quit(quit)) << "ended in order by " << ProgramSandbox::Name(quit);
}

// The entries of a saved playlist as absolute paths (entries beside the list are stored relative to it).
std::vector<std::string> SavedEntries(const std::string &listFile)
{
    std::vector<std::string> paths = ProgramSandbox::PlaylistPaths(listFile);
    const std::string folder = std::filesystem::path(listFile).parent_path().string();
    for (std::string &path : paths) {
        if (!path.empty() && path.front() != '/')
            path = folder + "/" + path;
    }
    return paths;
}

std::string SettingText(const ProgramSandbox &box, const std::string &name)
{
    const auto value = box.Setting(name);
    return value ? value->text : std::string("<missing>");
}

TEST(ProgramStartAndQuit, StartFormsKeepTheUsersPlaylist)
{
    struct Case {
        const char *name;
        bool namedList; // over party.vpl made current by a first run; else over default.vpl
        QuitBy quit;
        // arguments given the file names a, b, c (in the list) and d, e (new)
        std::function<QStringList(const std::vector<std::string> &)> arguments;
        std::vector<int> expected; // indices into {a, b, c, d, e}
        bool relative = false;     // started in the files' folder with bare names
    };
    auto q = [](const std::string &s) { return QString::fromStdString(s); };
    const Case cases[] = {
        {"nothing", true, QuitBy::Sigterm, [](auto &) { return QStringList{}; }, {0, 1, 2}},
        {"a file", true, QuitBy::Sigint, [&](auto &f) { return QStringList{q(f[3])}; }, {0, 1, 2, 3}},
        {"-add", true, QuitBy::Sighup, [&](auto &f) { return QStringList{"-add", q(f[3])}; }, {0, 1, 2, 3}},
        {"several files", true, QuitBy::WindowClose, [&](auto &f) { return QStringList{q(f[3]), q(f[4])}; },
         {0, 1, 2, 3, 4}},
        {"a relative path", true, QuitBy::Sigterm, [](auto &) { return QStringList{"d.wav"}; }, {0, 1, 2, 3}, true},
        {"a missing file", true, QuitBy::Sigint, [](auto &) { return QStringList{"/nowhere/x.wav"}; }, {0, 1, 2}},
        {"a file over default.vpl", false, QuitBy::Sigterm, [&](auto &f) { return QStringList{q(f[3])}; },
         {0, 1, 2, 3}},
        {"nothing over default.vpl", false, QuitBy::Sighup, [](auto &) { return QStringList{}; }, {0, 1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ProgramSandbox box(ProgramSandbox::Display::X11);
        ASSERT_TRUE(box.Ready());
        std::vector<std::string> files;
        for (const char *name : {"a", "b", "c", "d", "e"})
            files.push_back(MakeTone(box, std::string(name) + ".wav", 300, 2));
        const std::string party = box.Dir().file("party.vpl");
        // A first run builds the user's list: a, b, c, saved to party.vpl or to default.vpl.
        if (c.namedList) {
            ASSERT_TRUE(WriteWholeFile(party, "#Melvane playlist\n"));
        }
        ASSERT_TRUE(box.Start(c.namedList ? QStringList{"-vpl", q(party)} : QStringList{q(files[0])}));
        ASSERT_TRUE(box.WaitUntilRunning());
        QThread::msleep(1200);
        for (int i = c.namedList ? 0 : 1; i < 3; ++i)
            ASSERT_EQ(box.StartSecond({"-add", q(files[static_cast<std::size_t>(i)])}), 0);
        QThread::msleep(300);
        ASSERT_TRUE(box.Quit(QuitBy::Sigterm));
        const std::string listFile = c.namedList ? party : box.DefaultPlaylist();
        ASSERT_EQ(SavedEntries(listFile), (std::vector<std::string>{files[0], files[1], files[2]}));

        RunOnce(box, c.arguments(files), c.quit, c.relative ? box.Dir().path().string() : std::string());
        std::vector<std::string> expected;
        for (int i : c.expected)
            expected.push_back(files[static_cast<std::size_t>(i)]);
        EXPECT_EQ(SavedEntries(listFile), expected);
        if (c.namedList) {
            EXPECT_EQ(SettingText(box, "lastvpl"), "party.vpl") << "the settings were saved too";
            EXPECT_FALSE(std::filesystem::exists(box.DefaultPlaylist())) << "nothing saved beside the user's list";
        }
    }
}

// A playlist named relative to another folder is found there and remembered with that folder.
TEST(ProgramStartAndQuit, RelativePlaylistIsRememberedWithItsFolder)
{
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    const std::string a = MakeTone(box, "a.wav", 300, 2);
    std::filesystem::create_directories(box.Dir().file("lists"));
    const std::string list = box.Dir().file("lists/mine.vpl");
    ASSERT_TRUE(WriteWholeFile(list, "#Melvane playlist\n"));
    RunOnce(box, {"-vpl", "mine.vpl"}, QuitBy::Sigterm, box.Dir().file("lists"));
    EXPECT_EQ(SettingText(box, "lastvpl"), "mine.vpl");
    EXPECT_EQ(SettingText(box, "lastvpldir"), box.Dir().file("lists") + "/");
}

TEST(ProgramStartAndQuit, WithDefaultSettingsTheFileIsHeard)
{
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    const std::string tone = MakeTone(box, "tone.wav", 441, 5);
    const std::string captured = box.Dir().file("heard.raw");
    box.CaptureAudioTo(captured);
    ASSERT_TRUE(box.Start({QString::fromStdString(tone)}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    QThread::msleep(2500);
    // The Windows Media plug-in (and the decoding libraries behind it) is loaded only for such files.
    const std::string maps = ReadWholeFile("/proc/" + std::to_string(box.Program().processId()) + "/maps");
    EXPECT_NE(maps.find("melvane"), std::string::npos);
    EXPECT_EQ(maps.find("mv_asfin"), std::string::npos);
    ASSERT_TRUE(box.Quit(QuitBy::Sigterm));

    ASSERT_GT(captured_audio::ReadFloats(captured).size(), 44100u) << "at least half a second was played";
    EXPECT_GT(captured_audio::FirstSoundMatchesFile(captured, tone, box.Dir().file("reference.raw")), 0.99)
        << "what is heard is the file";
}

// The volume set in one run is stored at exit and heard in the next.
TEST(ProgramStartAndQuit, OutputVolumeIsKeptForTheNextRun)
{
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Stopped"));
    box.Ctl({"volume", "0.4"});
    ASSERT_TRUE(box.WaitFor({"volume"}, "0.400000"));
    ASSERT_TRUE(box.Quit(QuitBy::Sigterm));
    const auto stored = box.Setting("volume");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->dword, 40u);

    const std::string tone = MakeTone(box, "tone.wav", 441, 5);
    const std::string captured = box.Dir().file("heard.raw");
    box.CaptureAudioTo(captured);
    ASSERT_TRUE(box.Start({QString::fromStdString(tone)}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    EXPECT_EQ(box.Ctl({"volume"}), "0.400000");
    QThread::msleep(1500);
    ASSERT_TRUE(box.Quit(QuitBy::Sigterm));
    const std::vector<float> heard = captured_audio::ReadFloats(captured);
    const std::size_t first = captured_audio::FirstSound(heard);
    ASSERT_LT(first + 44100, heard.size()) << "the tone is heard";
    const std::string reference = box.Dir().file("reference.raw");
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -i " + tone + " -f f32le -ac 2 -ar 44100 " + reference), 0);
    const std::vector<float> expected = captured_audio::ReadFloats(reference);
    const auto peak = [](const std::vector<float> &samples, std::size_t from) {
        float p = 0;
        for (std::size_t i = from; i < from + 44100; ++i)
            p = std::max(p, std::fabs(samples[i]));
        return p;
    };
    EXPECT_NEAR(peak(heard, first) / peak(expected, 0), 0.4f, 0.01f) << "the file at 40 %";
}

// A WAVE file whose header was never finalised and one holding MP3 audio are heard as ffmpeg decodes
// them, with their length shown.
TEST(ProgramStartAndQuit, UnfinishedAndMp3WavesAreHeard)
{
    for (const bool mp3 : {false, true}) {
        SCOPED_TRACE(mp3 ? "MP3 in WAVE" : "data size 0");
        ProgramSandbox box;
        ASSERT_TRUE(box.Ready());
        const std::string tone = MakeTone(box, "tone.wav", 441, 3);
        const std::string file = box.Dir().file("odd.wav");
        if (mp3) {
            ASSERT_EQ(RunCommand("ffmpeg -v error -y -i " + tone + " -c:a libmp3lame -b:a 128k -f wav " + file), 0);
        } else {
            std::ifstream in(tone, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            bytes.replace(bytes.find("data") + 4, 4, std::string(4, '\0'));
            std::ofstream(file, std::ios::binary) << bytes;
        }
        const std::string captured = box.Dir().file("heard.raw");
        box.CaptureAudioTo(captured);
        ASSERT_TRUE(box.Start({QString::fromStdString(file)}));
        ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
        EXPECT_EQ(box.Ctl({"metadata", "mpris:length"}), "3000000");
        QThread::msleep(2000);
        ASSERT_TRUE(box.Quit(QuitBy::Sigterm));

        EXPECT_GT(captured_audio::FirstSoundMatchesFile(captured, file, box.Dir().file("reference.raw")), 0.99)
            << "what is heard is the file";
    }
}

} // namespace

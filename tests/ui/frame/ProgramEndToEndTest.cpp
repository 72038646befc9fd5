// The real program, started as a desktop would start it: its own XDG folders, SDL's dummy output, an
// offscreen display and a private D-Bus session. Second starts, function-key messages (posted the
// way the keyboard hook posts them) and playerctl drive it; playerctl and the saved playlist judge it.
#include "platform/ipc/CIpcClient.h"
#include "platform/ipc/CRuntimeDir.h"
#include "plugins/include/mv_messages.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ProgramSandbox.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(box.Ready());
        for (int i = 1; i <= 6; ++i) {
            const std::string path = box.Dir().file("t" + std::to_string(i) + ".wav");
            ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 " + path + " synth 30 sine " + std::to_string(200 * i) +
                                 " 2>/dev/null"),
                      0);
            files.push_back(path);
        }
    }

    void Start(const QStringList &arguments) { ASSERT_TRUE(box.Start(arguments)); }
    // A second start: it must hand its line over and end with 0.
    int StartAndWait(const QStringList &arguments) { return box.StartSecond(arguments); }
    QString Ctl(const QStringList &arguments) { return box.Ctl(arguments); }
    bool WaitFor(const QStringList &arguments, const QString &expected, int timeoutMs = 8000)
    {
        return box.WaitFor(arguments, expected, timeoutMs);
    }
    QString Url(int i) { return "file://" + QString::fromStdString(files[static_cast<std::size_t>(i)]); }
    bool PostKey(std::uint64_t key)
    {
        CIpcRecord record;
        record.message = MV_WM_PLAYER_KEY;
        record.wParam = key;
        const CIpcClient client(CRuntimeDir::For(box.RuntimeFolder().c_str(), geteuid()).Path(),
                                MV_WINDOW_CLASS_NAME);
        return client.Post(record);
    }
    void QuitAndWait() { EXPECT_TRUE(box.Quit(ProgramSandbox::QuitBy::Mpris)); }
    std::vector<std::string> SavedPaths() { return ProgramSandbox::PlaylistPaths(box.DefaultPlaylist()); }

    ProgramSandbox box;
    std::vector<std::string> files;
};

TEST_F(ProgramTest, SecondStartsForwardTheirCommandLines)
{
    Start({});
    ASSERT_TRUE(WaitFor({"status"}, "Stopped"));
    EXPECT_EQ(StartAndWait({}), 0) << "a start with no arguments raises the first one and ends";
    EXPECT_EQ(box.Program().state(), QProcess::Running);

    QThread::msleep(1200); // more than a second after the last forwarded line
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(StartAndWait({QString::fromStdString(files[static_cast<std::size_t>(i)])}), 0) << i;
    EXPECT_TRUE(WaitFor({"status"}, "Playing")) << "the first of the five plays";
    EXPECT_EQ(Ctl({"metadata", "xesam:url"}), Url(0));

    ASSERT_TRUE(WaitFor({"stop"}, "") && WaitFor({"status"}, "Stopped"));
    QThread::msleep(1200);
    ASSERT_EQ(StartAndWait({"-add", QString::fromStdString(files[5])}), 0);
    QThread::msleep(500);
    EXPECT_EQ(Ctl({"status"}), "Stopped") << "-add appends without playing";

    QuitAndWait();
    const std::vector<std::string> expected(files.begin(), files.end());
    EXPECT_EQ(SavedPaths(), expected) << "one replaced list, four appended entries, then the -add";
}

TEST_F(ProgramTest, FunctionKeysAndPlayerctlDriveTransport)
{
    Start({QString::fromStdString(files[0])}); // a plain path plays at start
    ASSERT_TRUE(WaitFor({"status"}, "Playing"));
    QThread::msleep(1200);
    ASSERT_EQ(StartAndWait({"-add", QString::fromStdString(files[1])}), 0);
    ASSERT_EQ(StartAndWait({"-add", QString::fromStdString(files[2])}), 0);

    ASSERT_TRUE(PostKey(0x76)); // F7 stop
    EXPECT_TRUE(WaitFor({"status"}, "Stopped"));
    ASSERT_TRUE(PostKey(0x74)); // F5 play
    EXPECT_TRUE(WaitFor({"status"}, "Playing"));
    ASSERT_TRUE(PostKey(0x75)); // F6 pause
    EXPECT_TRUE(WaitFor({"status"}, "Paused"));
    ASSERT_TRUE(PostKey(0x75)); // F6 resumes
    EXPECT_TRUE(WaitFor({"status"}, "Playing"));
    const QString before = Ctl({"metadata", "xesam:url"});
    ASSERT_TRUE(PostKey(0x79)); // F10 next
    QElapsedTimer timer;
    timer.start();
    while (Ctl({"metadata", "xesam:url"}) == before && timer.elapsed() < 5000)
        QThread::msleep(100);
    EXPECT_NE(Ctl({"metadata", "xesam:url"}), before) << "F10 skips";

    Ctl({"pause"});
    EXPECT_TRUE(WaitFor({"status"}, "Paused"));
    Ctl({"play"});
    EXPECT_TRUE(WaitFor({"status"}, "Playing"));
    const QString now = Ctl({"metadata", "xesam:url"});
    Ctl({"next"});
    timer.restart();
    while (Ctl({"metadata", "xesam:url"}) == now && timer.elapsed() < 5000)
        QThread::msleep(100);
    EXPECT_NE(Ctl({"metadata", "xesam:url"}), now) << "playerctl next skips";
    QuitAndWait();
}

// Files the tag reader and the audio library read alike since they share their format readers: an MP3
// behind two ID3v2 tags and 5000 bytes of junk, and a WAV holding a few samples, join the playlist
// and the MP3 plays.
TEST_F(ProgramTest, FilesTheAudioLibraryPlaysJoinThePlaylist)
{
    ToneSpec tone;
    tone.seconds = 3.5;
    const std::string wav = MakeToneWav(box.Dir(), "tone", tone);
    const std::string mp3 = EncodeMp3(box.Dir(), "tone", wav);
    ASSERT_FALSE(mp3.empty());
    auto read = [](const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string tagged = box.Dir().file("tagged.mp3");
    std::ofstream(tagged, std::ios::binary) << Id3v2Tag(600) + Id3v2Tag(30) + std::string(5000, 'j') + read(mp3);
    const std::string tiny = box.Dir().file("tiny.wav");
    std::ofstream(tiny, std::ios::binary) << read(wav).substr(0, 44 + 400);

    Start({QString::fromStdString(tagged)});
    ASSERT_TRUE(WaitFor({"status"}, "Playing"));
    EXPECT_EQ(Ctl({"metadata", "xesam:url"}), "file://" + QString::fromStdString(tagged));
    const long long lengthUs = Ctl({"metadata", "mpris:length"}).toLongLong();
    EXPECT_TRUE(lengthUs == 3000000 || lengthUs == 4000000) << lengthUs;
    QThread::msleep(1200);
    ASSERT_EQ(StartAndWait({"-add", QString::fromStdString(tiny)}), 0);
    QuitAndWait();
    EXPECT_EQ(SavedPaths(), (std::vector<std::string>{tagged, tiny}));
}

// A sound device lost while playing (its writes fail) holds playback and its time; once the device can
// be written again the program goes on by itself where it held, and what follows is heard.
TEST_F(ProgramTest, PlaybackHoldsWhileTheDeviceIsLostAndGoesOnWhenItComesBack)
{
    const std::string out = box.Dir().file("out.raw");
    std::filesystem::create_symlink("/dev/full", out);
    box.CaptureAudioTo(out);
    Start({QString::fromStdString(files[0])});
    ASSERT_TRUE(WaitFor({"status"}, "Playing"));
    QThread::msleep(2500);
    const double lostAt = Ctl({"position"}).toDouble();
    QThread::msleep(3000);
    const double held = Ctl({"position"}).toDouble();
    EXPECT_LT(held - lostAt, 2.0) << "the time holds with the sound (real time would add 3 s)";
    EXPECT_EQ(Ctl({"status"}), "Playing");

    std::filesystem::remove(out); // the device can be written again
    QElapsedTimer timer;
    timer.start();
    while (Ctl({"position"}).toDouble() < held + 1.5 && timer.elapsed() < 20000)
        QThread::msleep(200);
    EXPECT_GE(Ctl({"position"}).toDouble(), held + 1.5) << "playback went on";
    QuitAndWait();
    // Float stereo frames of the 200 Hz tone, heard after the device came back.
    std::vector<float> samples(std::filesystem::file_size(out) / sizeof(float));
    std::ifstream(out, std::ios::binary).read(reinterpret_cast<char *>(samples.data()),
                                             static_cast<std::streamsize>(samples.size() * sizeof(float)));
    const auto loud = std::count_if(samples.begin(), samples.end(), [](float v) { return std::fabs(v) > 0.1f; });
    EXPECT_GT(loud, 2 * 44100) << "over a second of the tone was written";
}

// A file opened from outside while a track plays with Stop at Track End set plays afresh: the stop
// was meant for the track that played, so the list goes on after the new file.
TEST_F(ProgramTest, AFileOpenedWhilePlayingDropsAStopAtTrackEnd)
{
    const std::string shortFile = box.Dir().file("short.wav");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 " + shortFile + " synth 3 sine 660 2>/dev/null"), 0);
    Start({QString::fromStdString(files[0])});
    ASSERT_TRUE(WaitFor({"status"}, "Playing"));
    ASSERT_TRUE(PostKey(0x7A)); // F11 stop at track end
    QThread::msleep(1200);
    ASSERT_EQ(StartAndWait({QString::fromStdString(shortFile)}), 0);
    ASSERT_TRUE(WaitFor({"metadata", "xesam:url"}, "file://" + QString::fromStdString(shortFile)));
    QThread::msleep(1200);
    ASSERT_EQ(StartAndWait({"-add", QString::fromStdString(files[1])}), 0);
    EXPECT_TRUE(WaitFor({"metadata", "xesam:url"}, Url(1), 8000)) << "the added file follows the opened one";
    EXPECT_EQ(Ctl({"status"}), "Playing");
    QuitAndWait();
}

} // namespace

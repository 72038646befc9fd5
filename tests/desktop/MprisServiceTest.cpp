// The media-player service on a private session bus, judged by playerctl and gdbus.
#include "tests/support/PrivateBus.h"

#include "desktop/CMprisService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FakePlayer : public IMprisPlayer {
public:
    Status status = Status::Stopped;
    Track track;
    std::int64_t positionUs = 0;
    double volume = 0.5;
    std::vector<std::string> calls;

    Status PlaybackStatus() override { return status; }
    Track CurrentTrack() override { return track; }
    std::int64_t PositionUs() override { return positionUs; }
    double Volume() override { return volume; }
    bool CanGoNext() override { return true; }
    bool CanGoPrevious() override { return true; }
    bool CanPlay() override { return true; }
    bool CanSeek() override { return track.valid; }
    void Play() override { calls.push_back("Play"); }
    void Pause() override { calls.push_back("Pause"); }
    void PlayPause() override { calls.push_back("PlayPause"); }
    void Stop() override { calls.push_back("Stop"); }
    void Next() override { calls.push_back("Next"); }
    void Previous() override { calls.push_back("Previous"); }
    void SeekTo(std::int64_t us) override { calls.push_back("SeekTo " + std::to_string(us)); }
    void SetVolume(double v) override { calls.push_back("SetVolume " + std::to_string(v)); }
    void OpenFile(const std::string &path) override { calls.push_back("OpenFile " + path); }
    void Raise() override { calls.push_back("Raise"); }
    void Quit() override { calls.push_back("Quit"); }
};

IMprisPlayer::Track SampleTrack()
{
    IMprisPlayer::Track track;
    track.valid = true;
    track.row = 3;
    track.title = "Caf\xC3\xA9 & Cr\xC3\xA8me";
    track.artist = "The Artist";
    track.album = "First Album";
    track.lengthUs = 225'000'000;
    track.path = "/music/a b.mp3";
    return track;
}

class MprisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.IsRunning());
        ASSERT_TRUE(service.Register(bus.Connect(QStringLiteral("mpris-test"))));
    }

    std::string Playerctl(const QStringList &arguments)
    {
        const PrivateBus::Result result =
            bus.Run(QStringLiteral("playerctl"), QStringList{QStringLiteral("-p"), QStringLiteral("melvane")} + arguments);
        return result.exitCode == 0 ? result.out.toStdString() : "<failed>";
    }

    std::string Gdbus(const QString &method, const QStringList &arguments)
    {
        const PrivateBus::Result result = bus.Run(
            QStringLiteral("gdbus"), QStringList{QStringLiteral("call"), QStringLiteral("--session"),
                                                 QStringLiteral("--dest"), QString::fromLatin1(CMprisService::kServiceName),
                                                 QStringLiteral("--object-path"),
                                                 QString::fromLatin1(CMprisService::kObjectPath),
                                                 QStringLiteral("--method"), method} +
                                         arguments);
        return result.exitCode == 0 ? result.out.toStdString() : "<failed>";
    }

    std::string GetProperty(const char *interface, const char *name)
    {
        return Gdbus(QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                     {QString::fromLatin1(interface), QString::fromLatin1(name)});
    }

    PrivateBus bus;
    FakePlayer player;
    CMprisService service{player};
};

TEST_F(MprisTest, PlayerctlReadsStatusAndMetadata)
{
    struct Case {
        IMprisPlayer::Status status;
        bool withTrack;
        const char *statusText;
        const char *metadata;
    };
    const Case cases[] = {
        {IMprisPlayer::Status::Playing, true, "Playing",
         "'/org/mpris/MediaPlayer2/melvane/row3'|Caf\xC3\xA9 & Cr\xC3\xA8me|The Artist|First Album|225000000"},
        {IMprisPlayer::Status::Paused, true, "Paused", nullptr},
        {IMprisPlayer::Status::Stopped, false, "Stopped", "'/org/mpris/MediaPlayer2/TrackList/NoTrack'||||"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.statusText);
        player.status = c.status;
        player.track = c.withTrack ? SampleTrack() : IMprisPlayer::Track();
        EXPECT_EQ(Playerctl({QStringLiteral("status")}), c.statusText);
        if (c.metadata) {
            EXPECT_EQ(Playerctl({QStringLiteral("metadata"), QStringLiteral("--format"),
                                 QStringLiteral("{{mpris:trackid}}|{{xesam:title}}|{{xesam:artist}}|{{xesam:album}}|"
                                                "{{mpris:length}}")}),
                      c.metadata);
        }
    }
    // A CD track has an object path of its own, distinct from playlist row 3.
    player.track = SampleTrack();
    player.track.cdDrive = 2;
    EXPECT_EQ(Playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:trackid")}),
              "'/org/mpris/MediaPlayer2/melvane/cd2/track3'");

    player.status = IMprisPlayer::Status::Paused; // playerctl extrapolates a playing position
    player.positionUs = 61'500'000;
    player.volume = 0.75;
    EXPECT_EQ(Playerctl({QStringLiteral("position")}), "61.500000");
    EXPECT_EQ(Playerctl({QStringLiteral("volume")}), "0.750000");
    EXPECT_EQ(Playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")}), "file:///music/a%20b.mp3");
}

TEST_F(MprisTest, CommandsReachThePlayerAfterTheirChecks)
{
    player.status = IMprisPlayer::Status::Playing;
    player.track = SampleTrack();
    player.positionUs = 20'000'000;
    struct Case {
        QStringList arguments;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {{QStringLiteral("play")}, {"Play"}},
        {{QStringLiteral("pause")}, {"Pause"}},
        {{QStringLiteral("play-pause")}, {"PlayPause"}},
        {{QStringLiteral("stop")}, {"Stop"}},
        {{QStringLiteral("next")}, {"Next"}},
        {{QStringLiteral("previous")}, {"Previous"}},
        {{QStringLiteral("volume"), QStringLiteral("0.25")}, {"SetVolume 0.250000"}},
        {{QStringLiteral("position"), QStringLiteral("10")}, {"SeekTo 10000000"}},   // SetPosition
        {{QStringLiteral("position"), QStringLiteral("5+")}, {"SeekTo 25000000"}},   // Seek forward
        {{QStringLiteral("position"), QStringLiteral("30-")}, {"SeekTo 0"}},         // clamped at the start
        {{QStringLiteral("position"), QStringLiteral("300")}, {}},                   // beyond the track: ignored
        {{QStringLiteral("position"), QStringLiteral("250+")}, {"Next"}},            // past the end: next track
        {{QStringLiteral("open"), QStringLiteral("file:///music/x.ogg")}, {"OpenFile /music/x.ogg"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        player.calls.clear();
        Playerctl(c.arguments);
        EXPECT_EQ(player.calls, c.calls);
    }
}

TEST_F(MprisTest, GdbusSeesIdentityAndCheckedRequests)
{
    player.track = SampleTrack();
    EXPECT_EQ(GetProperty(CMprisService::kRootInterface, "Identity"), "(<'Melvane'>,)");
    EXPECT_EQ(GetProperty(CMprisService::kRootInterface, "DesktopEntry"), "(<'melvane'>,)");
    EXPECT_EQ(GetProperty(CMprisService::kRootInterface, "CanRaise"), "(<true>,)");
    EXPECT_EQ(GetProperty(CMprisService::kRootInterface, "CanQuit"), "(<true>,)");
    EXPECT_NE(GetProperty(CMprisService::kRootInterface, "SupportedMimeTypes").find("'audio/x-it'"), std::string::npos);
    EXPECT_EQ(GetProperty(CMprisService::kPlayerInterface, "Rate"), "(<1.0>,)");
    EXPECT_EQ(GetProperty(CMprisService::kPlayerInterface, "CanControl"), "(<true>,)");

    struct Case {
        const char *method;
        QStringList arguments;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"org.mpris.MediaPlayer2.Raise", {}, {"Raise"}},
        {"org.mpris.MediaPlayer2.Quit", {}, {"Quit"}},
        // A position for a track that is no longer current is dropped.
        {"org.mpris.MediaPlayer2.Player.SetPosition",
         {QStringLiteral("objectpath '/org/mpris/MediaPlayer2/melvane/row4'"), QStringLiteral("int64 1000000")},
         {}},
        {"org.mpris.MediaPlayer2.Player.SetPosition",
         {QStringLiteral("objectpath '/org/mpris/MediaPlayer2/melvane/row3'"), QStringLiteral("int64 -5")},
         {}},
        {"org.freedesktop.DBus.Properties.Set",
         {QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Volume"), QStringLiteral("<1.7>")},
         {"SetVolume 1.000000"}},
        {"org.freedesktop.DBus.Properties.Set",
         {QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Volume"), QStringLiteral("<-0.2>")},
         {"SetVolume 0.000000"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.method);
        player.calls.clear();
        EXPECT_NE(Gdbus(QString::fromLatin1(c.method), c.arguments), "<failed>");
        EXPECT_EQ(player.calls, c.calls);
    }
}

TEST_F(MprisTest, ChangesAreSignalledOnlyWhenTheyHappen)
{
    QProcess monitor;
    monitor.setProcessEnvironment(bus.Environment());
    monitor.start(QStringLiteral("gdbus"), {QStringLiteral("monitor"), QStringLiteral("--session"),
                                            QStringLiteral("--dest"), QString::fromLatin1(CMprisService::kServiceName)});
    QString seen;
    auto waitFor = [&](const QString &text) {
        QElapsedTimer clock;
        clock.start();
        while (!seen.contains(text) && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            monitor.waitForReadyRead(20);
            seen += QString::fromUtf8(monitor.readAllStandardOutput());
        }
        return seen.contains(text);
    };
    ASSERT_TRUE(waitFor(QStringLiteral("Monitoring")));
    // gdbus subscribes after printing its banner; give the match rule a moment to reach the daemon.
    bus.Run(QStringLiteral("gdbus"), {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                                      QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                                      QStringLiteral("org.freedesktop.DBus.GetId")});

    player.status = IMprisPlayer::Status::Playing;
    player.track = SampleTrack();
    service.Update();
    ASSERT_TRUE(waitFor(QStringLiteral("'PlaybackStatus': <'Playing'>")));
    EXPECT_TRUE(seen.contains(QStringLiteral("'xesam:album': <'First Album'>")));
    EXPECT_TRUE(seen.contains(QStringLiteral("'mpris:trackid': <objectpath '/org/mpris/MediaPlayer2/melvane/row3'>")));

    service.Update(); // nothing changed: no signal
    player.volume = 0.2;
    service.Update();
    ASSERT_TRUE(waitFor(QStringLiteral("'Volume': <0.2")));
    player.positionUs = 42'000'000;
    service.NotifySeeked();
    ASSERT_TRUE(waitFor(QStringLiteral("Seeked (int64 42000000,)")));

    EXPECT_EQ(seen.count(QStringLiteral("PropertiesChanged")), 2);
    const QString volumeSignal = seen.section(QStringLiteral("PropertiesChanged"), 2, 2);
    EXPECT_FALSE(volumeSignal.contains(QStringLiteral("Metadata")));
    monitor.kill();
    monitor.waitForFinished(2000);
}

} // namespace

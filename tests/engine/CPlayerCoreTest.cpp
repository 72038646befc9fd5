// The player core without a window: start-up from each kind of start request, resume state at
// shut-down, the main timer's tick event, the playing row followed across a change-over, and
// playback as the media-player service reads and changes it.
#include "tests/engine/EngineRig.h"
#include "tests/support/ManualOutput.h"
#include "tests/support/PlayerCoreRig.h"

#include <QCoreApplication>
#include <QEvent>

#include <gtest/gtest.h>
#include <thread>
#include <chrono>

namespace {

using engine_test::MakeFlac;
using engine_test::MakeWav;

TEST(PlayerCore, StartRequestsSelectResumeAndPlay)
{
    TempDir dir;
    const std::vector<std::string> files = {MakeWav(dir, "a", 8.0), MakeWav(dir, "b", 8.0), MakeWav(dir, "c", 8.0)};
    const std::string extra = MakeWav(dir, "extra", 1.0);
    struct Case {
        const char *name;
        CStartRequest::Kind kind;
        bool autoPlay;
        int lastduration;
        int selected, playing;
        int elapsedAtLeastMs; // 0: nothing was sought
    };
    const Case cases[] = {
        {"resume without auto-play", CStartRequest::Kind::Resume, false, 4, 1, -1, 0},
        {"resume with auto-play fades in at the stored time", CStartRequest::Kind::Resume, true, 4, 1, 1, 4000},
        {"a played file joins the playlist and plays", CStartRequest::Kind::PlayFile, true, 0, 3, 3, 0},
        {"a CD start neither resumes nor plays the playlist", CStartRequest::Kind::Cd, true, 4, 0, -1, 0},
    };
    {
        FakeMessageBox messageBox;
        CTrackInfoIdentifier identifier;
        CPlayerDoc saved(identifier, messageBox);
        saved.SetDataFolder(dir.file("data"));
        ASSERT_EQ(saved.AddFiles(files), 3);
        saved.SaveAtExit(); // the default playlist every start below loads
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PlayerCoreRig rig;
        rig.doc.SetDataFolder(dir.file("data"));
        rig.doc.lastpos = 1;
        rig.doc.lastindex = 1;
        rig.doc.lastduration = c.lastduration;
        CStartRequest request;
        request.kind = c.kind;
        request.autoPlay = c.autoPlay;
        request.path = extra;
        ASSERT_TRUE(rig.Start(request));
        EXPECT_TRUE(rig.core->Initialised());
        EXPECT_EQ(rig.doc.EntryCount(), c.kind == CStartRequest::Kind::PlayFile ? 4 : 3);
        EXPECT_EQ(rig.doc.State().m_nCurrent, c.selected);
        EXPECT_EQ(rig.doc.State().m_nPlaying, c.playing);
        EXPECT_EQ(rig.Engine().IsPlaying(), c.playing >= 0);
        EXPECT_GE(rig.Engine().ElapsedMs(), static_cast<unsigned>(c.elapsedAtLeastMs));
        EXPECT_EQ(rig.Engine().FadeIn() != 0, c.elapsedAtLeastMs != 0);
        EXPECT_TRUE(rig.messageBox.m_texts.empty());
    }
}

TEST(PlayerCore, ShutDownKeepsWhereToResume)
{
    TempDir dir;
    const std::vector<std::string> files = {MakeWav(dir, "a", 8.0), MakeWav(dir, "b", 8.0)};
    for (const bool playing : {true, false}) {
        SCOPED_TRACE(playing ? "playing" : "stopped");
        PlayerCoreRig rig;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(rig.Add(files), 2);
        rig.doc.UserFocused(1);
        if (playing) {
            rig.core->PlayIndex(1);
            rig.Ticks(160); // 3.2 s
        }
        rig.core->ShutDown();
        EXPECT_EQ(rig.doc.lastindex, 1);
        EXPECT_EQ(rig.doc.lastduration, playing ? 3 : 0);
        EXPECT_FALSE(rig.Engine().IsPlaying());
        rig.core->ShutDown(); // a second call changes nothing
        EXPECT_EQ(rig.doc.lastindex, 1);
    }
}

TEST(PlayerCore, TickEventsRunTheTickAndThePlayingRowIsFollowed)
{
    int argc = 1;
    char name[] = "tests";
    char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    TempDir dir;
    const std::vector<std::string> files = {MakeWav(dir, "a", 0.4), MakeWav(dir, "b", 0.4)};
    PlayerCoreRig rig;
    rig.doc.gapless = 0;
    ASSERT_TRUE(rig.Start());
    ASSERT_EQ(rig.Add(files), 2);
    std::vector<int> rowsSeen;
    int ticks = 0;
    QObject::connect(rig.core.get(), &CPlayerCore::playingRowChanged, [&] { rowsSeen.push_back(rig.doc.State().m_nPlaying); });
    QObject::connect(rig.core.get(), &CPlayerCore::tickDone, [&] { ++ticks; });
    rig.core->PlayIndex(0);
    QEvent tick(static_cast<QEvent::Type>(CMainTimer::kTickEventType));
    for (int i = 0; i < 150 && rig.Engine().IsPlaying(); ++i) {
        rig.clock.AdvanceMs(20);
        ManualOutput::Render(rig.renderBuffer, 882);
        QCoreApplication::sendEvent(rig.core.get(), &tick);
    }
    EXPECT_GT(ticks, 20) << "each tick event ran the tick";
    EXPECT_EQ(rowsSeen, (std::vector<int>{0, 1, -1})) << "started, moved on in list order, ended";
    EXPECT_EQ(rig.core->PlayOrder().PlaylistHistory(), (std::deque<std::string>{files[0], files[1]}))
        << "the real play order recorded both";
    rig.core->ShutDown();
    const int before = ticks;
    QCoreApplication::sendEvent(rig.core.get(), &tick);
    EXPECT_EQ(ticks, before) << "no tick after the shut-down";
}

TEST(PlayerCore, MediaServiceReadsAndChangesPlayback)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 10.0);
    PlayerCoreRig rig;
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(rig.core->CurrentTrack().valid) << "an empty playlist has no track";
    ASSERT_EQ(rig.Add({a}), 1);
    rig.doc.UserFocused(0);

    IMprisPlayer::Track track = rig.core->CurrentTrack();
    EXPECT_TRUE(track.valid);
    EXPECT_EQ(track.path, a);
    EXPECT_EQ(track.lengthUs, 10'000'000);
    EXPECT_EQ(rig.core->PlaybackStatus(), IMprisPlayer::Status::Stopped);
    rig.core->SeekTo(5'000'000);
    EXPECT_EQ(rig.core->PositionUs(), 0) << "nothing is sought while stopped";

    rig.core->PlayIndex(0);
    EXPECT_EQ(rig.core->PlaybackStatus(), IMprisPlayer::Status::Playing);
    rig.core->SeekTo(5'000'000);
    rig.Tick();
    EXPECT_GE(rig.core->PositionUs(), 5'000'000);
    EXPECT_LT(rig.core->PositionUs(), 6'000'000);
    rig.core->TogglePause();
    EXPECT_EQ(rig.core->PlaybackStatus(), IMprisPlayer::Status::Paused);

    rig.core->SetVolume(0.25);
    EXPECT_EQ(rig.volumeSlider.position, 25);
    rig.Tick();
    EXPECT_DOUBLE_EQ(rig.core->Volume(), 0.25);
    EXPECT_EQ(BASS_GetVolume(), 25u) << "the tick applied the slider to the output";
}

} // namespace

// With no row selected, the end of a track goes on from the row that played, wherever the cursor is,
// and so does a gapless change-over.
TEST(PlayerCore, WithNothingSelectedTheOrderGoesOnFromThePlayingRow)
{
    TempDir dir;
    struct Case {
        int cursor; // where the cursor is left once the selection is cleared; -1: where it was
        bool gaplessFlac;
    };
    for (const Case c : {Case{-1, false}, Case{3, false}, Case{0, true}}) {
        SCOPED_TRACE(testing::Message() << "cursor " << c.cursor << (c.gaplessFlac ? ", gapless FLAC" : ""));
        std::vector<std::string> files;
        for (const char *name : {"a", "b", "c", "d"})
            files.push_back(c.gaplessFlac ? MakeFlac(dir, name, 1.0) : MakeWav(dir, name, 0.3));
        PlayerCoreRig rig;
        rig.doc.gapless = c.gaplessFlac ? 1 : 0;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(rig.Add(files), 4);
        rig.core->PlayIndex(1);
        std::vector<int> rows{rig.doc.State().m_nPlaying};
        for (int i = 0; i < 200 && rig.Engine().IsPlaying(); ++i) {
            for (int row = 0; row < 4; ++row)
                rig.doc.UserSelected(row, false);
            if (c.cursor >= 0)
                rig.doc.UserFocused(c.cursor);
            rig.Tick();
            if (rig.doc.State().m_nPlaying != rows.back())
                rows.push_back(rig.doc.State().m_nPlaying);
        }
        EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, -1}));
    }
}

// Playing a chosen row (Jump to Track, a double-click, the tray's playlist items) stops what plays first,
// so a Stop at Track End given for the old track does not stop the chosen one.
TEST(PlayerCore, PlayingAChosenRowEndsAStopAtTrackEnd)
{
    TempDir dir;
    std::vector<std::string> files;
    for (const char *name : {"a", "b", "c", "d"})
        files.push_back(MakeWav(dir, name, 0.3));
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        PlayerCoreRig rig;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(rig.Add(files), 4);
        rig.core->PlayIndex(0);
        rig.Ticks(3);
        rig.core->PlayOrder().ToggleStopAfterEntry();
        if (paused)
            rig.Engine().TogglePause();
        rig.core->PlayIndex(2);
        EXPECT_FALSE(rig.core->PlayOrder().StopAfterEntry());
        for (int i = 0; i < 100 && rig.doc.State().m_nPlaying == 2; ++i)
            rig.Tick();
        EXPECT_EQ(rig.doc.State().m_nPlaying, 3) << "the chosen track was followed by the next";
    }
}

// A file added while the last entry plays is joined to it gaplessly, as long as the decoder has not
// yet reached the end of the playing file: the same stream goes on into it.
TEST(PlayerCore, AFileAddedWhileTheLastPlaysJoinsGaplessly)
{
    TempDir dir;
    const std::string first = MakeFlac(dir, "a", 1.0);
    const std::string added = MakeFlac(dir, "b", 1.0);
    struct Case {
        bool realTime; // the SDL dummy output and the steady clock, as the program plays
        int bassbuffer; // 0.5 s steps from 0.5 s
        int addAfterMs;
    };
    // With the 0.5 s buffer the decoder reaches the end of the first file after 0.5 s; with 2 s at
    // once, and the stream then waits for what may follow until the first file has been heard out.
    for (const Case c : {Case{false, 0, 20}, Case{false, 0, 200}, Case{true, 3, 300}, Case{true, 3, 700}}) {
        SCOPED_TRACE(testing::Message() << c.bassbuffer << " " << c.addAfterMs);
        PlayerCoreRig::Options options;
        options.manualOutput = !c.realTime;
        options.testClock = !c.realTime;
        PlayerCoreRig rig(options);
        rig.doc.gapless = 1;
        rig.doc.bassbuffer = c.bassbuffer;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(rig.Add({first}), 1);
        rig.core->PlayIndex(0);
        const std::uint32_t stream = rig.Engine().StreamHandle();
        ASSERT_NE(stream, 0u);
        const auto tickFor = [&](int ms) {
            for (int t = 0; t < ms; t += 20) {
                if (c.realTime)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                rig.Tick();
            }
        };
        tickFor(c.addAfterMs);
        ASSERT_EQ(rig.Add({added}), 1);
        for (int i = 0; i < 200 && rig.doc.State().m_nPlaying == 0; ++i)
            tickFor(20);
        EXPECT_EQ(rig.doc.State().m_nPlaying, 1);
        EXPECT_EQ(rig.Engine().StreamHandle(), stream) << "no new stream: no gap";
    }
}

// The main timer's tick driven in step with the manual output: fades, the module fade, clip
// correction, seeking, the end of a channel, gapless take-over and a whole playlist played through.
#include "tests/engine/EngineRig.h"

#include "platform/bass/bass_render.h"
#include "tags/CTrackInfo.h"
#include "tests/support/MediaFixtures.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace engine_test;

namespace {

TEST(PlaybackEngineTick, FadeOutReachesSilenceAfter500TicksAndStops)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 20.0);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({a}), 1);
    rig.engine->Play();
    rig.Ticks(10);
    const float full = rig.Render(2205);
    ASSERT_GT(full, 0.2f);
    rig.engine->ToggleFadeOut();
    rig.Ticks(250);
    const float half = rig.Render(2205);
    EXPECT_GT(half, full * 0.3f);
    EXPECT_LT(half, full * 0.7f) << "half way the volume is about 50";
    rig.Ticks(248); // 498 ticks: volume 1 / 5 = 0
    EXPECT_TRUE(rig.engine->IsPlaying());
    EXPECT_EQ(rig.Render(2205), 0.0f);
    rig.Tick();
    EXPECT_TRUE(rig.engine->IsPlaying());
    rig.Tick();
    EXPECT_FALSE(rig.engine->IsPlaying()) << "stopped exactly at tick 500";
    EXPECT_EQ(rig.doc.State().m_nPlaying, -1);
}

TEST(PlaybackEngineTick, FadeOutCancelledByTheCommandOrByPauseRestoresFullVolume)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 20.0);
    for (bool byPause : {false, true}) {
        SCOPED_TRACE(byPause ? "pause and resume" : "command again");
        EngineRig rig;
        rig.Start();
        ASSERT_EQ(rig.Add({a}), 1);
        rig.engine->Play();
        rig.Ticks(10);
        const float full = rig.Render(2205);
        rig.engine->ToggleFadeOut();
        rig.Ticks(400);
        ASSERT_LT(rig.Render(2205), full * 0.3f);
        if (byPause) {
            rig.engine->TogglePause();
            rig.Ticks(5);
            rig.engine->TogglePause();
        } else {
            rig.engine->ToggleFadeOut();
        }
        EXPECT_EQ(rig.engine->FadeOut(), 0);
        rig.Ticks(200);
        EXPECT_TRUE(rig.engine->IsPlaying());
        EXPECT_NEAR(rig.Render(2205), full, full * 0.05f);
    }
}

TEST(PlaybackEngineTick, FadeInRisesOverItsTicks)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 10.0);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({a}), 1);
    rig.engine->SetFadeIn(100);
    rig.engine->Play();
    EXPECT_LT(rig.Render(2205), 0.01f) << "starts at volume 0";
    rig.Ticks(50);
    EXPECT_EQ(rig.engine->FadeIn(), 50);
    rig.Ticks(50);
    EXPECT_EQ(rig.engine->FadeIn(), 0);
    const float full = rig.Render(2205);
    rig.engine->StopPlayback();
    rig.engine->Play();
    rig.Ticks(5);
    EXPECT_NEAR(rig.Render(2205), full, full * 0.05f) << "the next entry starts at full volume";
}

TEST(PlaybackEngineTick, PaceIsFastOnlyWhileSomethingFollowsEveryTick)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 0.5);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({a}), 1);
    rig.meter.wantsEveryTick = false;
    EXPECT_EQ(rig.engine->NeededPace(), ETickPace::Idle);
    rig.engine->Play();
    EXPECT_EQ(rig.engine->NeededPace(), ETickPace::Steady);
    struct Case { const char *what; bool meter, visuals; int fadeIn; ETickPace pace; };
    for (const Case c : {Case{"meter on screen", true, false, 0, ETickPace::Fast},
                         Case{"visual plug-in", false, true, 0, ETickPace::Fast},
                         Case{"fade-in", false, false, 10, ETickPace::Fast}}) {
        rig.meter.wantsEveryTick = c.meter;
        rig.visuals.active = c.visuals;
        rig.engine->SetFadeIn(c.fadeIn);
        EXPECT_EQ(rig.engine->NeededPace(), c.pace) << c.what;
        rig.meter.wantsEveryTick = rig.visuals.active = false;
        rig.engine->SetFadeIn(0);
    }
    rig.engine->TogglePause();
    EXPECT_EQ(rig.engine->NeededPace(), ETickPace::Steady) << "paused, the counter blinks once a second";
    rig.engine->TogglePause();
    // At the steady pace each tick stands for five fast ones; the end of the entry is still noticed.
    for (int i = 0; i < 40 && rig.engine->IsPlaying(); ++i) {
        rig.Render(4410);
        rig.engine->OnTick(5);
    }
    EXPECT_FALSE(rig.engine->IsPlaying());
    EXPECT_EQ(rig.engine->NeededPace(), ETickPace::Idle);
}

TEST(PlaybackEngineTick, LoopingModuleFadesThreeSecondsPastItsLengthThenTheNextStarts)
{
    TempDir dir;
    const std::string mod = MakeModule(dir, "loop", 2, true);
    const std::string next = MakeWav(dir, "next", 5.0);
    EngineRig rig;
    rig.doc.looping = 2;
    rig.Start();
    ASSERT_EQ(rig.Add({mod, next}), 2);
    ASSERT_TRUE(rig.doc.EntryAt(0).m_bLoops);
    ASSERT_EQ(rig.doc.EntryAt(0).m_nDuration, 6) << "two orders of 3 s";
    rig.engine->Play();
    ASSERT_NE(rig.engine->MusicHandle(), 0u);

    int ticks = 0;
    while (rig.engine->ModuleFade() == 0 && ticks < 1000) {
        rig.Tick();
        ++ticks;
    }
    // Elapsed time passes 9 s (length + 3 s) on the tick after 9.0 s was reached.
    EXPECT_GE(ticks, 450);
    EXPECT_LE(ticks, 502);
    EXPECT_GT(rig.Render(2205), 0.01f) << "the module looped instead of ending";
    const int fadeStart = ticks;
    while (rig.engine->CurrentEntry().m_strPath == mod && ticks < fadeStart + 600) {
        rig.Tick();
        ++ticks;
    }
    EXPECT_GE(ticks - fadeStart, 499);
    EXPECT_LE(ticks - fadeStart, 505) << "the fade lasts 500 ticks and the end is noticed soon after";
    EXPECT_EQ(rig.engine->CurrentEntry().m_strPath, next);
    EXPECT_EQ(rig.doc.State().m_nPlaying, 1);
    rig.Ticks(10);
    EXPECT_GT(rig.Render(2205), 0.1f) << "the next entry is heard at full volume";
}

TEST(PlaybackEngineTick, ClipCorrectionStepsOnceThenWaitsForTheGuard)
{
    TempDir dir;
    const std::string loud = MakeModule(dir, "loud", 4, false, 64, 8);
    EngineRig rig;
    rig.doc.mixing2 = 100;
    rig.doc.modlevels = 0;
    rig.doc.autocorrect = 1;
    rig.Start();
    rig.doc.bassbuffer = 3; // the guard lasts bassbuffer + 1 ticks
    ASSERT_EQ(rig.Add({loud}), 1);
    rig.engine->Play();
    ASSERT_EQ(rig.engine->ModuleAmplify(), 100);
    std::vector<int> amplify;
    std::vector<bool> clipped;
    for (int i = 0; i < 40; ++i) {
        rig.Tick();
        amplify.push_back(rig.engine->ModuleAmplify());
        const std::uint32_t level = rig.engine->Level();
        clipped.push_back((level & 0xFFFF) > 127 || (level >> 16) > 127);
    }
    int steps = 0;
    int lastStep = -100;
    for (int i = 1; i < 40; ++i) {
        const int drop = amplify[static_cast<std::size_t>(i - 1)] - amplify[static_cast<std::size_t>(i)];
        ASSERT_GE(drop, 0);
        ASSERT_LE(drop, 1) << "one step at a time";
        if (drop == 1) {
            EXPECT_TRUE(clipped[static_cast<std::size_t>(i)]) << "a step only when the level clips";
            EXPECT_GE(i - lastStep, 4) << "no step while the guard runs (tick " << i << ")";
            lastStep = i;
            ++steps;
        }
    }
    EXPECT_GE(steps, 2) << "a module that keeps clipping keeps losing amplification";
    EXPECT_EQ(rig.doc.EntryAt(0).m_nMixing, rig.engine->ModuleAmplify() + 1);
    EXPECT_EQ(rig.engine->CurrentEntry().m_nMixing, rig.engine->ModuleAmplify() + 1);

    // With correction off, or a quiet module, the amplification stays.
    EngineRig quiet;
    quiet.doc.modlevels = 0;
    quiet.doc.mixing2 = 100;
    quiet.doc.autocorrect = 0;
    quiet.Start();
    ASSERT_EQ(quiet.Add({loud}), 1);
    quiet.engine->Play();
    quiet.Ticks(40);
    EXPECT_EQ(quiet.engine->ModuleAmplify(), 100);
    EXPECT_EQ(quiet.doc.EntryAt(0).m_nMixing, 0);
}

TEST(PlaybackEngineTick, ModuleSeekLandsAtTheStartOfTheOrder)
{
    TempDir dir;
    const std::string mod = MakeModule(dir, "m", 4, false);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({mod}), 1);
    rig.engine->Play();
    rig.Ticks(5);
    // Orders start at 0, 3, 6 and 9 s by construction of the song.
    struct Case {
        int seconds, step, order;
        unsigned shownMs;
    };
    const Case cases[] = {{4, 0, 1, 3000}, {8, 0, 2, 6000}, {9, 0, 3, 9000}, {11, 0, 3, 9000},
                          {2, 0, 0, 0},    {0, 1, 1, 3000}, {0, -1, 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.seconds) + " " + std::to_string(c.step));
        rig.engine->SetPosition(c.seconds, c.step);
        EXPECT_EQ(BASS_ChannelGetPosition(rig.engine->MusicHandle()) & 0xFFFF, static_cast<QWORD>(c.order));
        EXPECT_EQ(rig.engine->ElapsedMs(), c.shownMs);
        EXPECT_EQ(rig.counter.time, c.shownMs);
        EXPECT_EQ(rig.positionBar.position, c.shownMs);
        rig.Ticks(2);
    }
    // A time past the entry's duration is ignored.
    rig.engine->SetPosition(13, 0);
    EXPECT_LE(rig.engine->ElapsedMs(), 9000u + 100u);
}

TEST(PlaybackEngineTick, StreamSeeksSetTheElapsedTime)
{
    TempDir dir;
    const std::string wav = MakeWav(dir, "w", 8.0);
    const std::string mp3 = MakeMp3(dir, "m", 8.0);
    const std::string flac = MakeFlac(dir, "f", 8.0);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({wav, mp3, flac}), 3);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        rig.doc.UserFocused(row);
        rig.engine->Play();
        rig.Ticks(10);
        const HSTREAM before = rig.engine->StreamHandle();
        rig.engine->SetPosition(5, 0);
        EXPECT_EQ(rig.engine->ElapsedMs(), 5000u);
        EXPECT_EQ(rig.counter.time, 5000u);
        EXPECT_TRUE(rig.engine->IsPlaying());
        if (row == 2) {
            EXPECT_NE(rig.engine->StreamHandle(), before) << "a FLAC seek reopens the decoded stream";
            EXPECT_EQ(rig.decoder.Type(), kTypeFlac);
        } else {
            EXPECT_EQ(rig.engine->StreamHandle(), before);
            // What is heard next starts at 5 s (the library counts from the seek).
            rig.Render(441);
            const double heard = BASS_ChannelBytes2Seconds(before, BASS_ChannelGetPosition(before));
            EXPECT_NEAR(heard, 5.0, 0.3);
        }
        rig.Ticks(50);
        EXPECT_EQ(rig.engine->ElapsedMs(), 6000u) << "the counter goes on from the new time";
        rig.Ticks(200);
        EXPECT_EQ(rig.doc.State().m_nPlaying, row + 1 < 3 ? row + 1 : -1) << "the shortened rest ended";
    }
}

TEST(PlaybackEngineTick, EndOfChannelFollowsStopAfterRepeatTrackAndThePlayOrder)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 0.5);
    const std::string b = MakeWav(dir, "b", 0.5);
    enum Rule { kStopAfter, kRepeat, kNext, kEnd };
    for (Rule rule : {kStopAfter, kRepeat, kNext, kEnd}) {
        SCOPED_TRACE(rule);
        EngineRig rig;
        rig.Start();
        ASSERT_EQ(rig.Add({a, b}), 2);
        rig.playOrder.stopAfter = rule == kStopAfter;
        rig.doc.repeattrack = rule == kRepeat ? 1 : 0;
        rig.playOrder.answerNext = rule != kEnd;
        rig.engine->Play();
        const HSTREAM first = rig.engine->StreamHandle();
        int ticks = 0;
        while (BASS_ChannelIsActive(first) == BASS_ACTIVE_PLAYING && ticks < 200) {
            rig.Tick();
            ++ticks;
        }
        rig.Ticks(2); // the end is seen on the next second tick
        switch (rule) {
        case kStopAfter:
            EXPECT_FALSE(rig.engine->IsPlaying());
            EXPECT_FALSE(rig.playOrder.stopAfter) << "the flag is one-shot";
            EXPECT_EQ(rig.playOrder.selectNextCalls, 0);
            break;
        case kRepeat:
            EXPECT_TRUE(rig.engine->IsPlaying());
            EXPECT_EQ(rig.engine->StreamHandle(), first);
            EXPECT_EQ(BASS_ChannelIsActive(first), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
            EXPECT_LE(rig.engine->ElapsedMs(), 1000u);
            EXPECT_EQ(rig.playOrder.selectNextCalls, 0);
            break;
        case kNext:
            EXPECT_TRUE(rig.engine->IsPlaying());
            EXPECT_EQ(rig.engine->CurrentEntry().m_strPath, b);
            EXPECT_EQ(rig.doc.State().m_nPlaying, 1);
            EXPECT_EQ(rig.playOrder.selectNextCalls, 1);
            break;
        case kEnd:
            EXPECT_FALSE(rig.engine->IsPlaying());
            EXPECT_EQ(rig.playOrder.selectNextCalls, 1);
            break;
        }
    }
}

// A change-over reported by the decoder just before the playback it belongs to ended (a stop, an MP3
// started instead) is not taken over by the next tick.
TEST(PlaybackEngineTick, AChangeOverReportedBeforeTheEndOfItsPlaybackIsDropped)
{
    TempDir dir;
    const std::string a = MakeFlac(dir, "a", 0.5);
    const std::string b = MakeFlac(dir, "b", 3.0);
    const std::string c = MakeMp3(dir, "c", 3.0);
    for (const bool thenMp3 : {false, true}) {
        SCOPED_TRACE(thenMp3 ? "an MP3 started" : "stopped");
        EngineRig rig;
        rig.Start();
        ASSERT_EQ(rig.Add({a, b, c}), 3);
        rig.engine->Play();
        for (int i = 0; i < 100 && rig.decoder.ReportedRow() < 0; ++i)
            rig.Render(441); // the decoder runs ahead; no tick takes the report
        ASSERT_EQ(rig.decoder.ReportedRow(), 1);
        if (thenMp3) {
            rig.doc.UserFocused(2);
            rig.engine->Play();
        } else {
            rig.engine->StopPlayback();
        }
        rig.Ticks(3);
        EXPECT_EQ(rig.doc.State().m_nPlaying, thenMp3 ? 2 : -1);
        EXPECT_EQ(rig.engine->CurrentEntry().m_strPath, thenMp3 ? c : a);
    }
}

TEST(PlaybackEngineTick, GaplessTakeOverMakesTheReportedRowPlaying)
{
    TempDir dir;
    const std::string a = MakeFlac(dir, "a", 1.0);
    const std::string b = MakeFlac(dir, "b", 3.0);
    for (int bassbuffer : {0, 2}) {
        EngineRig rig;
        rig.doc.bassbuffer = bassbuffer;
        rig.Start();
        rig.doc.bassbuffer = bassbuffer;
        ASSERT_EQ(rig.Add({a, b}), 2);
        rig.engine->Play();
        const HSTREAM stream = rig.engine->StreamHandle();
        int ticks = 0;
        while (rig.engine->CurrentEntry().m_strPath == a && ticks < 150) {
            rig.Tick();
            ++ticks;
        }
        EXPECT_EQ(rig.engine->StreamHandle(), stream) << "one stream carries both files";
        EXPECT_EQ(rig.engine->CurrentEntry().m_strPath, b);
        EXPECT_EQ(rig.doc.State().m_nPlaying, 1);
        EXPECT_EQ(rig.doc.State().m_nCurrent, 1);
        EXPECT_TRUE(rig.doc.State().IsSelected(1));
        EXPECT_FALSE(rig.doc.State().IsSelected(0));
        EXPECT_EQ(rig.doc.State().m_aPlayed[1], 1);
        EXPECT_EQ(rig.playOrder.history, (std::vector<std::string>{a, b}));
        EXPECT_EQ(rig.counter.offset, 0);
        EXPECT_EQ(rig.engine->TrackLengthMs(), 3000);
        EXPECT_EQ(rig.decoder.ReportedRow(), -1);
        EXPECT_LE(rig.engine->ElapsedMs(), 1000u) << "the counter restarts for the new entry";
    }
}

// The decoder reaches the end of a file up to a buffer length before it is heard; the entry on show
// changes when the next file's first frame is heard. So, with the 2 s buffer, a file shorter than the
// buffer is still shown and recorded, and Stop at Track End or Repeat Track chosen after the decoder
// went on acts where the entry on show ends.
TEST(PlaybackEngineTick, AChangeOverIsTakenOverWhenItIsHeard)
{
    TempDir dir;
    const std::string a = MakeFlac(dir, "a", 1.0);
    const std::string b = MakeFlac(dir, "b", 0.3);
    const std::string c = MakeFlac(dir, "c", 3.0);
    enum Late { kNothing, kStopAtTrackEnd, kRepeatTrack };
    for (const Late late : {kNothing, kStopAtTrackEnd, kRepeatTrack}) {
        SCOPED_TRACE(late);
        EngineRig rig;
        rig.doc.bassbuffer = 3;
        rig.Start();
        rig.doc.bassbuffer = 3;
        ASSERT_EQ(rig.Add({a, b, c}), 3);
        rig.engine->Play();
        // Nothing is heard while the update thread decodes ahead, however slowly it runs.
        for (int waited = 0; rig.decoder.ReportedRow() < 0 && waited < 1000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(rig.decoder.ReportedRow(), 1) << "the decoder went on to b long before a is heard out";
        int ticks = 0;
        if (late == kStopAtTrackEnd)
            rig.playOrder.stopAfter = true;
        if (late == kRepeatTrack)
            rig.doc.repeattrack = 1;
        std::vector<std::pair<int, std::string>> shown; // tick, entry on show from then on
        for (; ticks < 200 && rig.engine->IsPlaying(); ++ticks) {
            if (shown.empty() || shown.back().second != rig.engine->CurrentEntry().m_strPath)
                shown.emplace_back(ticks, rig.engine->CurrentEntry().m_strPath);
            if (late == kRepeatTrack && ticks == 70)
                break;
            rig.Tick();
        }
        switch (late) {
        case kNothing:
            ASSERT_EQ(shown.size(), 3u);
            EXPECT_EQ(shown[1].second, b);
            EXPECT_NEAR(shown[1].first, 50, 3) << "b is shown when heard, 1 s in";
            EXPECT_NEAR(shown[2].first, 65, 3) << "c 0.3 s later";
            EXPECT_EQ(rig.playOrder.history, (std::vector<std::string>{a, b, c}));
            EXPECT_EQ(rig.doc.State().m_aPlayed[1], 1);
            break;
        case kStopAtTrackEnd:
            EXPECT_EQ(shown.size(), 1u);
            EXPECT_FALSE(rig.engine->IsPlaying());
            EXPECT_NEAR(ticks, 50, 3) << "stopped where a ends";
            EXPECT_EQ(rig.playOrder.history, std::vector<std::string>{a});
            break;
        case kRepeatTrack:
            EXPECT_EQ(shown.size(), 1u);
            EXPECT_EQ(rig.engine->CurrentEntry().m_strPath, a);
            EXPECT_LE(rig.engine->ElapsedMs(), 1000u) << "a started again";
            EXPECT_TRUE(rig.engine->IsPlaying());
            break;
        }
    }
}

TEST(PlaybackEngineTick, BusyPeriodDoesNotLoseElapsedTime)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 20.0);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({a}), 1);
    rig.engine->Play();
    rig.Ticks(50);
    EXPECT_EQ(rig.engine->ElapsedMs(), 1000u);
    // The user-interface thread is busy for 3 s: no ticks, but the output goes on.
    rig.clock.AdvanceMs(3000);
    rig.Render(3 * 44100);
    rig.Ticks(2);
    EXPECT_EQ(rig.engine->ElapsedMs(), 4000u);
    // While paused the time stands still, however long the pause.
    rig.engine->TogglePause();
    rig.Ticks(100);
    rig.clock.AdvanceMs(5000);
    rig.Ticks(2);
    rig.engine->TogglePause();
    rig.Ticks(2);
    EXPECT_EQ(rig.engine->ElapsedMs(), 4000u);
    EXPECT_GT(rig.counter.blinks, 0) << "the counter blinks while paused";
}

TEST(PlaybackEngineTick, ScreenSaverStartsAndPausesPlayback)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 20.0);
    for (int mode : {1, 2, 3}) {
        SCOPED_TRACE(mode);
        EngineRig rig;
        rig.doc.scrsave = mode;
        rig.Start();
        ASSERT_EQ(rig.Add({a}), 1);
        rig.Ticks(60);
        EXPECT_FALSE(rig.engine->IsPlaying());
        rig.screenSaver.active = true;
        rig.Ticks(51);
        ASSERT_TRUE(rig.engine->IsPlaying());
        EXPECT_TRUE(rig.engine->SaverStarted());
        rig.screenSaver.active = false;
        rig.Tick();
        EXPECT_EQ(rig.engine->IsPlaying(), mode != 3);
        EXPECT_EQ(rig.engine->IsPaused(), mode == 2);
        EXPECT_FALSE(rig.engine->SaverStarted());
    }
}

TEST(PlaybackEngineTick, VisualDataFollowsTheHeardSound)
{
    TempDir dir;
    // A 1 kHz tone at half the output rate: the buffers hold it as heard, at the output rate.
    ToneSpec tone;
    tone.rate = 22050;
    tone.channels = 1;
    tone.seconds = 5.0;
    tone.synth = "sine 1000";
    const std::string mono = MakeToneWav(dir, "mono", tone);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({mono}), 1);
    rig.engine->Play();
    rig.visuals.active = true;
    rig.Ticks(20);
    const std::int16_t *samples = rig.engine->SampleBuffer();
    int peak = 0;
    for (int i = 0; i < 2048; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    EXPECT_GT(peak, 8000) << "samples of the playing tone";
    const float *spectrum = rig.engine->SpectrumBuffer();
    float strongest = 0.0f;
    int strongestPair = -1;
    for (int i = 0; i < 1024; i += 2) {
        EXPECT_EQ(spectrum[i], spectrum[i + 1]) << "a mono entry fills both halves of each pair";
        if (spectrum[i] > strongest) {
            strongest = spectrum[i];
            strongestPair = i / 2;
        }
    }
    EXPECT_GT(strongest, 0.01f);
    const int rate = *rig.engine->VisualRatePointer();
    EXPECT_EQ(rate, rig.engine->OutputFrequency());
    // Pair p holds bin 2p of a 2048-point transform.
    EXPECT_NEAR(strongestPair, 1000.0 * 2048 / rate / 2, 1.5);
    EXPECT_NE(rig.meter.level, 0u);
    rig.engine->StopPlayback();
    rig.Tick();
    EXPECT_EQ(rig.meter.level, 0u);
    EXPECT_TRUE(std::all_of(samples, samples + 2048, [](std::int16_t v) { return v == 0; })) << "cleared at the stop";
    EXPECT_TRUE(std::all_of(spectrum, spectrum + 1024, [](float v) { return v == 0.0f; }));
}

TEST(PlaybackEngineTick, PlaylistOfThreeFilesPlaysInOrderAndStopsAtTheEnd)
{
    TempDir dir;
    const std::vector<std::string> files = {MakeWav(dir, "one", 0.7), MakeMp3(dir, "two", 1.0),
                                            MakeOgg(dir, "three", 1.0)};
    EngineRig rig;
    rig.doc.gapless = 0;
    rig.Start();
    ASSERT_EQ(rig.Add(files), 3);
    rig.engine->Play();
    std::vector<int> rowsHeard;
    int ticks = 0;
    while (rig.engine->IsPlaying() && ticks < 500) {
        const int row = rig.doc.State().m_nPlaying;
        if (rowsHeard.empty() || rowsHeard.back() != row)
            rowsHeard.push_back(row);
        rig.Tick();
        ++ticks;
    }
    EXPECT_EQ(rowsHeard, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(rig.engine->IsPlaying());
    EXPECT_EQ(rig.doc.State().m_nPlaying, -1);
    EXPECT_EQ(rig.doc.State().m_nCurrent, 2) << "the cursor stays on the last row";
    EXPECT_EQ(rig.playOrder.history, files);
    // About the sum of the lengths (2.7 s = 135 ticks) plus each end's latency.
    EXPECT_GE(ticks, 130);
    EXPECT_LE(ticks, 200);
}

} // namespace

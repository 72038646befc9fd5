// The playback engine's set-up and transport against the real audio library (manual output or the
// SDL dummy driver) and the real playlist document; windows, play order and clock are fakes.
#include "tests/engine/EngineRig.h"

#include "platform/bass/bass_render.h"
#include "tests/support/ModuleWriter.h"
#include "tags/CTrackInfo.h"

#include <filesystem>

#include <gtest/gtest.h>

using namespace engine_test;

namespace {

BOOL AlwaysFails(int, DWORD, DWORD, void *)
{
    return FALSE;
}

TEST(PlaybackEngineInit, FrequencyAndBufferSettingsAreCorrectedAndStored)
{
    struct Case {
        int bassfreq, bassbuffer;
        int frequency, storedFreq, storedBuffer;
    };
    const Case cases[] = {
        {0, 0, 22050, 0, 0}, {1, 1, 44100, 1, 1}, {2, 2, 48000, 2, 2},
        {5, 3, 44100, 1, 3}, {-1, 7, 44100, 1, 3}, {44100, -2, 44100, 1, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bassfreq);
        EngineRig rig;
        rig.doc.bassfreq = c.bassfreq;
        rig.doc.bassbuffer = c.bassbuffer;
        rig.Start();
        EXPECT_EQ(rig.engine->OutputFrequency(), c.frequency);
        EXPECT_EQ(rig.doc.bassfreq, c.storedFreq);
        EXPECT_EQ(rig.doc.bassbuffer, c.storedBuffer);
        BASS_INFO info{};
        info.size = sizeof(info);
        BASS_GetInfo(&info);
        EXPECT_EQ(info.freq, static_cast<DWORD>(c.frequency)) << "the output really runs at that rate";
        EXPECT_TRUE(rig.messageBox.m_texts.empty());
    }
}

TEST(PlaybackEngineInit, UnavailableDeviceFallsBackToTheDefaultAt22050ForThisRunOnly)
{
    EngineRig rig(false); // the real BASS_Init on SDL's dummy driver
    rig.doc.bassdev = 57;
    rig.doc.bassfreq = 2;
    rig.Start();
    EXPECT_EQ(rig.doc.bassfreq, 2) << "one failed open must not store the fallback rate for good";
    EXPECT_EQ(rig.engine->OutputFrequency(), 22050);
    BASS_INFO info{};
    info.size = sizeof(info);
    BASS_GetInfo(&info);
    EXPECT_EQ(info.freq, 22050u);
    EXPECT_TRUE(rig.messageBox.m_texts.empty());
}

BOOL OnlyTheSilentClock(int device, DWORD freq, DWORD flags, void *window)
{
    return device == BASS_DEVICE_NOSOUND ? BASS_Init(device, freq, flags, window) : FALSE;
}

// Without any output the message is shown once; the silent clock runs when the library has it, and a
// good file is never offered for removal because nothing could be opened.
TEST(PlaybackEngineInit, NoOutputShowsTheMessageAndNeverBlamesTheFile)
{
    TempDir dir;
    const std::string wav = MakeWav(dir, "good.wav", 0.5);
    for (const auto init : {&AlwaysFails, &OnlyTheSilentClock}) {
        const bool silentClock = init == &OnlyTheSilentClock;
        SCOPED_TRACE(silentClock ? "silent clock" : "nothing at all");
        EngineRig rig(init);
        rig.doc.bassfloat = 1;
        CPlaybackEngine &engine = *rig.engine;
        engine.InitAudio();
        engine.SetInitialised(true);
        ASSERT_EQ(rig.messageBox.m_texts.size(), 1u);
        EXPECT_EQ(rig.messageBox.m_texts[0], "Could not initialize BASS system.  ");
        if (!silentClock) {
            EXPECT_FALSE(engine.FloatSupported());
            EXPECT_FALSE(engine.FloatOutput());
            EXPECT_EQ(rig.doc.bassfloat, 0);
            EXPECT_EQ(engine.Volume(), 100) << "no library volume: the slider shows 100";
        }
        CTrackInfo info(wav);
        info.Read(nullptr);
        EXPECT_EQ(engine.OpenEntry(info), silentClock);
        EXPECT_EQ(rig.messageBox.m_texts.size(), 1u) << "no question about removing a good file";
        engine.ShutDown();
        BASS_Free();
    }
}

TEST(PlaybackEngineInit, FloatTestAndDeviceListAreTakenFromTheLibrary)
{
    EngineRig rig;
    rig.doc.bassfloat = 1;
    rig.Start();
    EXPECT_TRUE(rig.engine->FloatSupported());
    EXPECT_TRUE(rig.engine->FloatOutput());
    EXPECT_EQ(rig.decoder.m_bFloatOutput.load(), 1) << "the decoder delivers what the engine expects";
    std::vector<std::string> expected;
    for (int i = 0; BASS_GetDeviceDescription(i); ++i)
        expected.emplace_back(BASS_GetDeviceDescription(i));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(rig.engine->DeviceNames(), expected);

    // A second set-up (after the options changed the output) does not list the devices again.
    BASS_Free();
    rig.engine->InitAudio();
    EXPECT_EQ(rig.engine->DeviceNames(), expected);
    EXPECT_TRUE(rig.engine->EffectsAvailable()) << "the library reports effects level 9";
    EXPECT_TRUE(rig.equalizer.available);
}

TEST(PlaybackEngineInit, EqualizerAvailabilityRule)
{
    struct Case {
        std::uint32_t dsver;
        bool floatOutput, usable;
    };
    const Case cases[] = {{0, false, false}, {7, false, false}, {8, false, true}, {8, true, false},
                          {9, true, true},   {9, false, true}};
    for (const Case &c : cases)
        EXPECT_EQ(CPlaybackEngine::EffectsUsable(c.dsver, c.floatOutput), c.usable) << c.dsver << " " << c.floatOutput;
}

TEST(PlaybackEngineOpen, EachKindOfFileOpensItsChannelKind)
{
    TempDir dir;
    const std::vector<std::string> files = {MakeWav(dir, "w", 1.0), MakeMp3(dir, "m", 1.0),
                                            MakeFlac(dir, "f", 1.0), MakeOgg(dir, "o", 1.0),
                                            MakeModule(dir, "x", 2, false)};
    for (const auto &f : files)
        ASSERT_FALSE(f.empty());
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add(files), 5);
    struct Expect {
        std::int32_t type;
        bool music, decoded;
    };
    const Expect expect[] = {{kTypeWav, false, false}, {kTypeMpeg, false, false}, {kTypeFlac, false, true},
                             {kTypeOgg, false, true},  {kTypeXm, true, false}};
    for (int row = 0; row < 5; ++row) {
        SCOPED_TRACE(files[static_cast<std::size_t>(row)]);
        rig.doc.UserFocused(row);
        rig.engine->Play();
        ASSERT_TRUE(rig.engine->IsPlaying());
        EXPECT_EQ(rig.engine->CurrentEntry().m_nType, expect[row].type);
        EXPECT_EQ(rig.engine->MusicHandle() != 0, expect[row].music);
        EXPECT_EQ(rig.engine->StreamHandle() != 0, !expect[row].music);
        EXPECT_EQ(rig.decoder.Type() != 0, expect[row].decoded);
        EXPECT_EQ(rig.doc.State().m_nPlaying, row);
        EXPECT_EQ(rig.doc.State().m_aPlayed[static_cast<std::size_t>(row)], 1);
        EXPECT_TRUE(rig.doc.State().IsSelected(row));
        EXPECT_EQ(rig.playOrder.history.back(), files[static_cast<std::size_t>(row)]);
        EXPECT_EQ(rig.equalizer.attached.back(), rig.engine->MusicHandle() ? rig.engine->MusicHandle()
                                                                           : rig.engine->StreamHandle());
        EXPECT_EQ(rig.engine->CurrentRate(), 44100);
        // Something is heard: the channel really plays.
        rig.Render(44100 / 4);
        EXPECT_GT(rig.Render(4410), 0.05f);
    }
    EXPECT_TRUE(rig.messageBox.m_texts.empty());
}

TEST(PlaybackEngineOpen, ModuleLevelsComeFromTheEntryOrTheSettings)
{
    TempDir dir;
    const std::string mod = MakeModule(dir, "x", 1, false);
    ASSERT_FALSE(mod.empty());
    struct Case {
        int modlevels, mixing, panning, amplify, pansep;
    };
    // mixing2/panning2 are 40/30 for XM (codes 4 to 6); the entry stores value + 1.
    const Case cases[] = {{0, 81, 21, 40, 30}, {1, 81, 21, 80, 20}, {1, 0, 0, 40, 30}, {1, 102, 1, 40, 0}};
    for (const Case &c : cases) {
        EngineRig rig;
        rig.doc.mixing1 = 11;
        rig.doc.mixing2 = 40;
        rig.doc.panning2 = 30;
        rig.doc.modlevels = c.modlevels;
        rig.Start();
        ASSERT_EQ(rig.Add({mod}), 1);
        CTrackInfo info(mod);
        info.Read(nullptr);
        CPlaylistEntry entry;
        info.CopyToEntry(entry);
        entry.m_nMixing = c.mixing;
        entry.m_nPanning = c.panning;
        info.CopyFromEntry(entry);
        ASSERT_TRUE(rig.engine->OpenEntry(info));
        EXPECT_EQ(rig.engine->ModuleAmplify(), c.amplify) << c.modlevels << " " << c.mixing;
        EXPECT_EQ(rig.engine->ModulePanSep(), c.pansep) << c.modlevels << " " << c.panning;
    }
}

TEST(PlaybackEngineOpen, MissingFileOffersRemovalAndKeepsTheCursorOnTheRow)
{
    TempDir dir;
    std::vector<std::string> files;
    for (const char *name : {"a", "b", "c"})
        files.push_back(MakeWav(dir, name, 0.5));
    struct Case {
        int row;
        CMessageBox::Answer answer;
        int count, cursor;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {1, CMessageBox::kAnswerYes, 2, 1, {files[0], files[2]}},
        {2, CMessageBox::kAnswerYes, 2, 1, {files[0], files[1]}},
        {1, CMessageBox::kAnswerNo, 3, 1, {files[0], files[1], files[2]}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.row);
        EngineRig rig;
        rig.Start();
        ASSERT_EQ(rig.Add(files), 3);
        // The file goes after it entered the list.
        const std::string gone = files[static_cast<std::size_t>(c.row)];
        const std::string kept = gone + ".kept";
        std::filesystem::rename(gone, kept);
        rig.messageBox.m_answer = c.answer;
        rig.doc.UserFocused(c.row);
        rig.engine->Play();
        std::filesystem::rename(kept, gone);
        ASSERT_EQ(rig.messageBox.m_texts.size(), 1u);
        EXPECT_EQ(rig.messageBox.m_texts[0], "File not found.\nRemove from playlist?  ");
        EXPECT_FALSE(rig.engine->IsPlaying());
        EXPECT_EQ(rig.engine->MusicHandle() | rig.engine->StreamHandle(), 0u);
        ASSERT_EQ(rig.doc.EntryCount(), c.count);
        for (int i = 0; i < c.count; ++i)
            EXPECT_EQ(rig.doc.EntryAt(i).m_strPath, c.left[static_cast<std::size_t>(i)]);
        EXPECT_EQ(rig.doc.State().m_nCurrent, c.cursor);
        EXPECT_EQ(rig.status.updates, c.answer == CMessageBox::kAnswerYes ? 1 : 0);
    }
}

TEST(PlaybackEngineOpen, UndecodableFileGivesTheSecondPromptAndNoPromptDuringStartUp)
{
    for (bool initialised : {true, false}) {
        SCOPED_TRACE(initialised);
        TempDir dir;
        const std::string flac = MakeFlac(dir, "f", 0.5);
        const std::string wav = MakeWav(dir, "w", 0.5);
        EngineRig rig;
        rig.engine->InitAudio();
        rig.engine->SetInitialised(initialised);
        ASSERT_EQ(rig.Add({wav, flac}), 2);
        // Both files are damaged after they were identified.
        for (const std::string &path : {wav, flac}) {
            std::string bytes = ReadWholeFile(path);
            std::fill(bytes.begin(), bytes.end(), '\x55');
            ASSERT_TRUE(ModuleWriter::Save(path, bytes));
        }
        rig.messageBox.m_answer = CMessageBox::kAnswerYes;
        rig.engine->Play();
        EXPECT_FALSE(rig.engine->IsPlaying());
        if (initialised) {
            ASSERT_EQ(rig.messageBox.m_texts.size(), 1u);
            EXPECT_EQ(rig.messageBox.m_texts[0], "Unable to load music file.\nRemove from playlist?  ");
            ASSERT_EQ(rig.doc.EntryCount(), 1);
            rig.engine->Play();
            ASSERT_EQ(rig.messageBox.m_texts.size(), 2u) << "a decoded stream that fails asks the same";
            EXPECT_EQ(rig.messageBox.m_texts[1], rig.messageBox.m_texts[0]);
            EXPECT_EQ(rig.doc.EntryCount(), 0);
            EXPECT_TRUE(rig.engine->CurrentEntry().m_strPath.empty());
        } else {
            EXPECT_TRUE(rig.messageBox.m_texts.empty());
            EXPECT_EQ(rig.doc.EntryCount(), 2);
        }
    }
}

TEST(PlaybackEngineTransport, PlayWhilePausedResumesTheSameEntryWhereItWas)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 3.0);
    const std::string b = MakeWav(dir, "b", 3.0);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({a, b}), 2);
    rig.engine->Play();
    const HSTREAM stream = rig.engine->StreamHandle();
    rig.Ticks(50); // one second
    rig.engine->TogglePause();
    ASSERT_TRUE(rig.engine->IsPaused());
    const QWORD before = BASS_ChannelGetPosition(stream);
    EXPECT_EQ(rig.Render(4410), 0.0f) << "a paused output is silent";
    rig.Ticks(25);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), before) << "nothing advances while paused";
    const unsigned elapsed = rig.engine->ElapsedMs();
    rig.doc.UserFocused(1); // the cursor moved meanwhile: Play still resumes
    rig.engine->Play();
    EXPECT_FALSE(rig.engine->IsPaused());
    EXPECT_EQ(rig.engine->StreamHandle(), stream);
    EXPECT_EQ(rig.engine->CurrentEntry().m_strPath, a);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), before);
    EXPECT_EQ(rig.engine->ElapsedMs(), elapsed);
    EXPECT_GT(rig.Render(4410), 0.05f);
    EXPECT_GT(BASS_ChannelGetPosition(stream), before);
}

TEST(PlaybackEngineTransport, MuteThenVolumeSliderSetsTheVolumeAndEndsTheMute)
{
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(BASS_GetVolume(), 100);
    rig.engine->ToggleMute();
    EXPECT_EQ(BASS_GetVolume(), 0);
    EXPECT_EQ(rig.engine->SavedVolume(), 100);
    rig.volumeSlider.position = 60;
    rig.Tick();
    EXPECT_EQ(BASS_GetVolume(), 60);
    EXPECT_EQ(rig.engine->SavedVolume(), 0);
    EXPECT_EQ(rig.engine->Volume(), 60);
    // Mute and unmute return to the slider's volume.
    rig.engine->ToggleMute();
    EXPECT_EQ(BASS_GetVolume(), 0);
    rig.Tick();
    EXPECT_EQ(BASS_GetVolume(), 0) << "an unchanged slider keeps the mute";
    rig.engine->ToggleMute();
    EXPECT_EQ(BASS_GetVolume(), 60);
}

TEST(PlaybackEngineTransport, StopPlaybackResetsStateAndRestartsAPausedOutput)
{
    TempDir dir;
    const std::string a = MakeWav(dir, "a", 2.0);
    EngineRig rig;
    rig.Start();
    ASSERT_EQ(rig.Add({a}), 1);
    rig.engine->Play();
    rig.Ticks(30);
    rig.engine->TogglePause();
    rig.engine->ToggleFadeOut();
    rig.playOrder.stopAfter = true;
    rig.engine->StopPlayback();
    EXPECT_FALSE(rig.engine->IsPlaying());
    EXPECT_FALSE(rig.engine->IsPaused());
    EXPECT_EQ(rig.engine->FadeOut(), 0);
    EXPECT_EQ(rig.engine->ElapsedMs(), 0u);
    EXPECT_EQ(rig.doc.State().m_nPlaying, -1);
    EXPECT_FALSE(rig.playOrder.stopAfter);
    EXPECT_FALSE(rig.counter.active);
    // The output runs again, so the next Play is heard at once.
    rig.engine->Play();
    EXPECT_TRUE(rig.engine->IsPlaying());
    rig.Render(4410);
    EXPECT_GT(rig.Render(4410), 0.05f);
}

} // namespace

// The output volume of one run is the next run's: a mute is not kept, the volume before it is, and a
// slider move the timer has not applied yet counts.
TEST(PlaybackEngineInit, OutputVolumeIsKeptAcrossRuns)
{
    struct Case {
        int stored;
        int slider; // -1: left alone
        bool ticked; // the timer applied the slider before the exit
        bool mutedAtExit;
        int storedAfter;
    };
    for (const Case c : {Case{40, -1, false, false, 40}, Case{40, 75, true, false, 75}, Case{100, 5, false, false, 5},
                         Case{0, 30, true, true, 30}, Case{60, -1, false, true, 60}}) {
        SCOPED_TRACE(testing::Message() << c.stored << " " << c.slider << (c.mutedAtExit ? " muted" : ""));
        EngineRig rig;
        rig.doc.volume = c.stored;
        rig.Start();
        EXPECT_EQ(BASS_GetVolume(), c.stored);
        EXPECT_EQ(rig.volumeSlider.position, c.stored);
        if (c.slider >= 0)
            rig.volumeSlider.position = c.slider;
        if (c.ticked)
            rig.Tick();
        if (c.mutedAtExit)
            rig.engine->ToggleMute();
        rig.engine->ShutDown();
        EXPECT_EQ(rig.doc.volume, c.storedAfter);
    }
}

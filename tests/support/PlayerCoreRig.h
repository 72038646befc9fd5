#pragma once
// The player core as the program builds it (real document, track reader, engine, decoder, play order,
// equalizer and timed playback), with the window's displays, the message box and the screen saver
// replaced by fakes and the main timer left to the test. By default the engine runs on the manual
// output and a test clock: each Tick advances the clock by 20 ms, renders 20 ms and runs the core's
// tick, as the main timer would. A window under test attaches its own displays over the fakes.

#include "core/CStartRequest.h"
#include "engine/CPlayerCore.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTrackInfoIdentifier.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>
#include <vector>

struct PlayerCoreRig {
    struct Options {
        bool manualOutput = true; // 44100 Hz and short buffers; false: BASS_Init (SDL's dummy driver) and the settings' defaults
        bool testClock = true;    // false: the steady clock
        CTimedPlayback::WallClock wallClock;
    };

    PlayerCoreRig() : PlayerCoreRig(Options{}) {}
    explicit PlayerCoreRig(const Options &options);
    ~PlayerCoreRig();

    // The start-up the view runs: output, start request, checks and auto-play.
    bool Start(const CStartRequest &request = CStartRequest{});
    int Add(const std::vector<std::string> &paths) { return doc.AddFiles(paths); }
    // One main-timer tick: 20 ms of test clock and of rendered output, then the core's tick.
    void Tick();
    void Ticks(int count);
    CPlaybackEngine &Engine() { return core->Engine(); }

    // The document's data folder until a test sets its own; the CD side keeps it for cd.ini.
    TempDir dataDir;
    FakeMessageBox messageBox{CMessageBox::kAnswerNo};
    CTrackInfoIdentifier identifier;
    CPlayerDoc doc{identifier, messageBox};
    TestClock clock;
    FakeScreenSaver screenSaver;
    FakeCounter counter;
    FakePositionBar positionBar;
    FakeMeter meter;
    FakeVolumeSlider volumeSlider;
    FakeStatus status;
    std::unique_ptr<CPlayerCore> core;
    const Options options;
    std::vector<float> renderBuffer;
};

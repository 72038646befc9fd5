#pragma once
// The playback engine alone, wired to the real playlist document, stream decoder and audio library,
// with the shared fakes of tests/support for the displays, message box, clock and screen saver, and
// fakes of its own for the play order and the equalizer, so the engine's part of each rule can be
// seen. Tests of the player as a whole use tests/support/PlayerCoreRig. Tests drive time: each Tick
// advances the test clock by 20 ms, renders 20 ms of the manual output and runs OnTick.

#include "engine/CDocGaplessPlaylist.h"
#include "core/CMessageBox.h"
#include "engine/CPlaybackEngine.h"
#include "engine/CStreamDecoder.h"
#include "engine/IEqualizer.h"
#include "engine/IPlayOrder.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/IEntryIdentifier.h"
#include "tests/support/FakeDisplays.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>
#include <vector>

namespace engine_test {

class FakeEqualizer : public IEqualizer {
public:
    std::vector<std::uint32_t> attached;
    int clears = 0;
    bool available = false;
    void AttachEffects(std::uint32_t channel) override { attached.push_back(channel); }
    void RemoveEffects(std::uint32_t) override {}
    void ClearHandles() override { ++clears; }
    void SetAvailable(bool a) override { available = a; }
};

// Identifies files with the real track reader.
class ReaderIdentifier : public IEntryIdentifier {
public:
    bool Identify(const std::string &path, CPlaylistEntry &entry) override;
};

// The play order in its simplest form: list order over the document's rows, no selection rules.
class FakePlayOrder : public IPlayOrder {
public:
    explicit FakePlayOrder(CPlayerDoc &doc) : m_doc(doc) {}
    bool SelectNext() override;
    void NextTrack() override;
    void RecordPlayed(const std::string &path) override { history.push_back(path); }
    bool StopAfterEntry() const override { return stopAfter; }
    void ClearStopAfterEntry() override { stopAfter = false; }

    std::vector<std::string> history;
    bool stopAfter = false;
    bool answerNext = true; // false: SelectNext reports the end of the list
    int selectNextCalls = 0;
    ITransport *transport = nullptr;

private:
    CPlayerDoc &m_doc;
};

struct EngineRig {
    // `manual`: the library's manual output at the engine's frequency; else BASS_Init (SDL dummy).
    explicit EngineRig(bool manual = true);
    // The output opened by `initAudio` (nothing is rendered by Tick).
    explicit EngineRig(CPlaybackEngine::AudioInitFn initAudio);
    ~EngineRig();

    // Adds files to the playlist through the real reader; returns how many were added.
    int Add(const std::vector<std::string> &paths);
    // Initialises the output and marks start-up as finished.
    void Start();
    // One main-timer tick: 20 ms of clock and of rendered output, then OnTick.
    void Tick();
    void Ticks(int count);
    // Renders `frames` frames of the manual output; returns the peak absolute sample.
    float Render(std::uint32_t frames);

    ReaderIdentifier identifier;
    FakeMessageBox messageBox{CMessageBox::kAnswerNo};
    CPlayerDoc doc;
    CDocGaplessPlaylist gapless;
    CStreamDecoder decoder;
    TestClock clock;
    FakeCounter counter;
    FakePositionBar positionBar;
    FakeMeter meter;
    FakeStatus status;
    FakeVolumeSlider volumeSlider;
    FakeEqualizer equalizer;
    FakeScreenSaver screenSaver;
    FakeVisuals visuals;
    FakePlayOrder playOrder;
    std::unique_ptr<CPlaybackEngine> engine;
    bool manual;
    std::vector<float> renderBuffer;
};

// Fixtures (empty string when the tool failed).
std::string MakeWav(const TempDir &dir, const std::string &name, double seconds, int rate = 44100, int channels = 2);
std::string MakeMp3(const TempDir &dir, const std::string &name, double seconds);
std::string MakeFlac(const TempDir &dir, const std::string &name, double seconds);
std::string MakeOgg(const TempDir &dir, const std::string &name, double seconds);
// An XM whose orders each last exactly 3 s (25 rows at speed 6, tempo 125). `loops`: the last row
// jumps back to order 0. `volume` 0 to 64 of the square-wave sample on all four channels.
std::string MakeModule(const TempDir &dir, const std::string &name, int orders, bool loops, int volume = 32,
                       int channels = 4);

} // namespace engine_test

#pragma once
// The playback engine of the main view: sets up the audio output from the settings, opens the entry
// at the list cursor as one channel (module music, file stream, or a user stream fed by the stream
// decoder), starts, pauses, seeks and stops it, applies volume, mute and the three fades, and runs
// the main timer's tick: levels and visual data, elapsed time, clip correction of modules, fades,
// the screen-saver rule, the end of a channel and the take-over of a gapless change-over.
//
// Threads: everything here runs on the user-interface thread (command handlers and OnTick). The
// stream decoder's procedure runs on the audio library's update thread; the only state it shares with
// the engine is the decoder's change-over report, playback serial and flags, which are atomics.
//
// Time: a stream's elapsed time is read from the position the library has made heard, and a
// module's is measured with the injected clock; neither is counted in ticks, so a busy user-interface
// thread that delays ticks does not make the counter lag, and a device that holds holds the counter.
//
// Per tick nothing is allocated: the sample, float and spectrum buffers are fixed members.

#include "engine/IPlaybackControls.h"
#include "engine/ITickPace.h"
#include "engine/ITransport.h"
#include "core/CPlaylistEntry.h"
#include "platform/bass/bass.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CCdPlayback;
class CDocGaplessPlaylist;
class CMessageBox;
class CPlayerDoc;
class CStreamDecoder;
class CTrackInfo;
class IClock;
class ICounterDisplay;
class IEqualizer;
class ILevelMeter;
class IPlayOrder;
class IPositionBar;
class IScreenSaver;
class ITickPace;
class IStatusText;
class ITimedPlayback;
class IVisualHost;
class IVolumeSlider;
class IWmaInfoReader;

// What the engine drives but does not own. Every pointer must be set except `gapless` (no settings
// snapshot for the decoder), `cd`, `timed` (no timed playback), `wma` (Windows Media files not refreshed
// through the plug-in) and `window` (handed to the library's init unchanged).
struct PlaybackEngineLinks {
    CPlayerDoc *doc = nullptr;
    CStreamDecoder *decoder = nullptr;
    CMessageBox *messageBox = nullptr;
    IClock *clock = nullptr;
    ICounterDisplay *counter = nullptr;
    IPositionBar *positionBar = nullptr;
    ILevelMeter *meter = nullptr;
    IStatusText *status = nullptr;
    IVolumeSlider *volumeSlider = nullptr;
    IEqualizer *equalizer = nullptr;
    IScreenSaver *screenSaver = nullptr;
    IVisualHost *visuals = nullptr;
    ITimedPlayback *timed = nullptr;
    CDocGaplessPlaylist *gapless = nullptr;
    IWmaInfoReader *wma = nullptr;
    CCdPlayback *cd = nullptr; // null: CD tracks do not play
    void *window = nullptr;
};

class CPlaybackEngine : public ITransport, public IPlaybackControls {
public:
    using AudioInitFn = BOOL (*)(int device, DWORD freq, DWORD flags, void *window);
    using OrderTimes = std::array<std::uint16_t, 256>;

    static constexpr int kFadeTicks = 500;
    // After a module's amplification is stepped down, the level is judged again only once the
    // audio rendered ahead at the old level has been heard (0.4 s).
    static constexpr int kClipGuardTicks = 20;
    static constexpr std::uint32_t kSampleBytes = 4096;
    static constexpr std::uint32_t kSpectrumValues = 1024;

    // `initAudio` opens the output (BASS_Init when null; tests pass one that opens the manual output).
    explicit CPlaybackEngine(const PlaybackEngineLinks &links, AudioInitFn initAudio = nullptr);
    ~CPlaybackEngine() override;
    CPlaybackEngine(const CPlaybackEngine &) = delete;
    CPlaybackEngine &operator=(const CPlaybackEngine &) = delete;

    // The play order is made after the engine (it holds the engine as its transport).
    void SetPlayOrder(IPlayOrder *playOrder) { m_pPlayOrder = playOrder; }
    // The displays a window attaches in place of those the engine was made with; none may be null.
    void SetDisplays(ICounterDisplay &counter, IPositionBar &positionBar, ILevelMeter &meter,
                     IVolumeSlider &volumeSlider, IStatusText &status);
    void SetVisualHost(IVisualHost &visuals) { m_links.visuals = &visuals; }
    // Told when playback starts, so that an idle main timer returns to its fast pace at once.
    void SetTickPace(ITickPace *pace) { m_pTickPace = pace; }

    // --- operations of the view --------------------------------------------------------------
    void InitAudio();
    // Frees the current channel and opens `info`'s entry. `askToRemove`: a file that is missing or
    // does not load offers to remove the entry at the list cursor (once start-up has finished).
    // True when a channel is open.
    bool OpenEntry(const CTrackInfo &info, bool askToRemove = true);
    void Play() override;
    void StopPlayback() override;
    void TogglePause() override;
    void ToggleFadeOut() override;
    void ToggleMute() override;
    void SetPosition(int seconds, int orderStep) override;
    // While nothing plays: the entry chosen in the list after an add or a drop becomes the current
    // track the displays describe; an empty entry (the list was emptied) clears it.
    void ShowEntry(const CPlaylistEntry &entry);
    void ApplyModuleSettings(const CPlaylistEntry &entry);
    // An information window edited `entry`: while it plays, its texts (and a module's levels and loop
    // flag) become the playing entry's; while nothing plays it becomes the entry the displays describe.
    void EntryEdited(const CPlaylistEntry &entry);
    // One tick of the main timer; `elapsedTicks` > 1 after an idle pause that stood for that many.
    void OnTick(int elapsedTicks = 1);
    // Nothing plays, is paused or fades: the main timer may slow down.
    bool IsIdle() const { return m_bPlaying == 0 && m_bPaused == 0 && m_nFadeIn == 0 && m_nFadeOut == 0 && m_nModuleFade == 0; }
    // The pace the main timer needs after this tick: fast while a fade runs, a visual plug-in is fed
    // or the level meter is followed on screen; steady while something else plays or pauses.
    ETickPace NeededPace() const;
    // The module flag bits derived from the settings; called whenever they change.
    void ComputeModuleFlags();
    // At exit: stops and frees the channel, restores a muted volume, closes the output.
    void ShutDown();
    // Frees the channel and closes the decoder, whatever it had open (the CD drives are about to be
    // listed anew and the reader with them). Call it stopped.
    void CloseChannel();
    // The CD track that plays as the user knows it: its drive letter and track number, 0 when no CD
    // track plays. Unlike the reader's, it stays when a change-over to the next track failed and the
    // track is only playing out.
    char PlayingCdDrive() const;
    int PlayingCdTrack() const;
    // New output settings: stops what plays, closes the output and opens it again from the settings.
    void RestartOutput();
    // Set at the end of start-up: from then on, failures to open offer to remove the entry.
    void SetInitialised(bool initialised) { m_bInitialised = initialised ? 1 : 0; }
    // A pending fade-in (the resumed entry at start-up fades in over `ticks` ticks).
    void SetFadeIn(int ticks) { m_nFadeIn = ticks; }

    // --- ITransport ----------------------------------------------------------------------------
    bool IsPlaying() const override { return m_bPlaying != 0; }
    unsigned ElapsedMs() const override { return m_nElapsedMs; }
    std::string PlayingPath() const override { return m_CurrentEntry.m_strPath; }
    int PlayingDuration() const override { return m_CurrentEntry.m_nDuration; }
    bool HalfTick() const override { return m_bHalfTick != 0; }
    std::uint64_t CounterNow() const override;
    int VolumeSliderPosition() const override;
    void SetVolumeSliderPosition(int position) override;
    int SavedVolume() const override { return m_nSavedVolume; }

    // --- state for the view, the visual host and tests ----------------------------------------
    HMUSIC MusicHandle() const { return m_hMusic; }
    HSTREAM StreamHandle() const { return m_hStream; }
    bool IsPaused() const override { return m_bPaused != 0; }
    bool FloatOutput() const { return m_bFloatOutput != 0; }
    bool FloatSupported() const { return m_bFloatSupported != 0; }
    bool EffectsAvailable() const { return m_bDx8Effects != 0; }
    int OutputFrequency() const { return m_nOutputFrequency; }
    int Volume() const { return m_nVolume; }
    int FadeIn() const { return m_nFadeIn; }
    int FadeOut() const { return m_nFadeOut; }
    int ModuleFade() const { return m_nModuleFade; }
    int ModuleAmplify() const { return m_nModuleAmplify; }
    int ModulePanSep() const { return m_nModulePanSep; }
    int ClipGuard() const { return m_nClipGuard; }
    // Whether the audio output device was found lost at the last check (once a second); the library
    // opens it again by itself and the status text says so meanwhile.
    bool OutputLost() const { return m_bOutputLost; }
    unsigned TickCounter() const { return m_nTickCounter; }
    int TrackLengthMs() const { return m_nTrackLengthMs; }
    std::uint32_t Level() const { return m_nLevel; }
    const std::uint32_t *LevelPointer() const { return &m_nLevel; }
    const int *SampleRatePointer() const { return &m_nCurrentRate; }
    int CurrentRate() const { return m_nCurrentRate; }
    const CPlaylistEntry &CurrentEntry() const { return m_CurrentEntry; }
    const OrderTimes &CurrentOrderTimes() const { return m_OrderTimes; }
    // The output device names (index = device number), listed at the first InitAudio.
    const std::vector<std::string> &DeviceNames() const { return m_aDevices; }
    std::uint32_t EffectsVersion() const { return m_nDsVersion; }
    const std::int16_t *SampleBuffer() const { return m_aSamples.data(); }
    const float *SpectrumBuffer() const { return m_aSpectrum.data(); }
    // The rate in Hz of the samples and spectra in the buffers above (the output's mixing rate).
    const std::int32_t *VisualRatePointer() const { return &m_nVisualRate; }
    bool SaverStarted() const { return m_bSaverStarted != 0; }

    // Whether the equalizer may be used with an output of effects level `dsver`: not below 8, and at
    // exactly 8 only without float output.
    static bool EffectsUsable(std::uint32_t dsver, bool floatOutput) { return dsver > 8 || (dsver == 8 && !floatOutput); }
    // The BASS flags of a module entry of `type`: surround, ramping and 0x120.
    std::uint32_t ModulePlayFlags(std::int32_t type) const;

private:
    bool AskToRemove(const char *text);
    void SetChannelVolumes(int volume);
    void ResetDisplays();
    // The change-overs whose first byte has been heard; false when playback ended or restarted there.
    bool TakeOverHeardChanges();
    // The heard time of the file on show in a stream (a file stream's position is its own, a decoded
    // stream's counts from where the file on show began); false for module music.
    bool HeardElapsedMs(unsigned &ms) const;
    void TakeOverChangedRow(int row, std::uint64_t startByte);
    // A CD change-over: the entry of `track` on drive `letter` becomes the playing one.
    bool TakeOverCdTrack(char letter, int track);
    void EndOfChannel();
    void CheckSaverStart();
    void CheckSaverEnd();
    std::uint64_t Now();

    PlaybackEngineLinks m_links;
    AudioInitFn m_pInitAudio;
    IPlayOrder *m_pPlayOrder = nullptr;
    char m_cCdDrive = 0; // the drive of the CD track Play opens

    HMUSIC m_hMusic = 0;
    HSTREAM m_hStream = 0;
    int m_bPlaying = 0;
    int m_bPaused = 0;
    int m_bFloatOutput = 0;
    int m_bFloatSupported = 1;
    int m_nOutputFrequency = 44100;
    int m_nVolume = 100;
    int m_nSavedVolume = 0;
    int m_nModuleAmplify = 50;
    int m_nModulePanSep = 50;
    std::uint32_t m_nModuleSurround1 = 0;
    std::uint32_t m_nModuleSurround2 = 0;
    std::uint32_t m_nModuleRamping1 = 0;
    std::uint32_t m_nModuleRamping2 = 0;
    int m_nFadeIn = 0;
    int m_nModuleFade = 0;
    int m_nFadeOut = 0;
    unsigned m_nTickCounter = 0;
    ITickPace *m_pTickPace = nullptr;
    int m_bHalfTick = 0;
    int m_nClipGuard = 0;
    std::uint64_t m_nElapsedCounts = 0;
    std::uint64_t m_nLastCount = 0;
    std::uint64_t m_nCounterFrequency = 1;
    unsigned m_nElapsedMs = 0;
    // A stream's time is read from what is heard: the stream byte at which the file on show began,
    // and that file's time there (0 and 0 but for a decoded stream after a seek or a change-over).
    std::uint64_t m_nFileStartByte = 0;
    unsigned m_nFileStartMs = 0;
    int m_nTrackLengthMs = 0;
    std::uint32_t m_nLevel = 0;
    int m_nCurrentRate = 0;
    std::int32_t m_nVisualRate = 0;
    OrderTimes m_OrderTimes{};
    CPlaylistEntry m_CurrentEntry;
    int m_bDx8Effects = 0;
    int m_bSaverRunning = 0;
    int m_bSaverStarted = 0;
    int m_bInitialised = 0;
    bool m_bOutputOpen = false;
    bool m_bOutputLost = false;
    bool m_bDevicesListed = false;
    std::uint32_t m_nDsVersion = 0;
    std::vector<std::string> m_aDevices;

    std::array<std::int16_t, kSampleBytes / 2> m_aSamples{};
    std::array<float, kSampleBytes / 2> m_aFloatSamples{};
    std::array<float, kSpectrumValues> m_aSpectrum{};
};

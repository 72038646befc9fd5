#pragma once
// The player without a window: owns the playback engine, the stream decoder and its gapless
// playlist, the play order, the transport commands, the daily timed playback, the equalizer logic and
// the main timer, and wires them together. The window attaches its displays and its visual host
// (until then the engine draws on stand-ins); the main window, the media-player service and tests
// reach playback through this class.
//
// Start-up, in this order: OpenOutput (the audio output from the settings), then the window
// initialises its equalizer window, then ApplyStartRequest (gapless snapshot, the Windows Media
// plug-in, the start request's playlist or file), then Begin (counter, main timer and library
// checks, auto-play or resume, the initialised flag).
// Shut-down (ShutDown): main timer, resume state, channel and output, the Windows Media plug-in.
//
// The main timer's tick event (type 10603) is received here: OnTick runs the engine's tick, then the
// timer is released for the next one and tickDone follows.
//
// Threads: user-interface thread only, except the main timer's own thread, which only posts.

#include "core/CSteadyClock.h"
#include "core/CStartRequest.h"
#include "engine/CCdPlayback.h"
#include "engine/CDeferredTagWriter.h"
#include "engine/CDetachedDisplays.h"
#include "engine/CDocGaplessPlaylist.h"
#include "engine/CEqualizer.h"
#include "engine/CMainTimer.h"
#include "engine/CPlayOrder.h"
#include "engine/CPlaybackEngine.h"
#include "engine/CStreamDecoder.h"
#include "engine/CTimedPlayback.h"
#include "engine/CTransportCommands.h"
#include "engine/IMprisPlayer.h"
#include "engine/IPlaybackControls.h"
#include "engine/ITimedPlayback.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

class CMessageBox;
class CPlayerDoc;
class CTrackInfoIdentifier;
class IClock;
class ICdTabs;
class IScreenSaver;

class CPlayerCore : public QObject, public IPlaybackControls, public ITimedPlayback {
    Q_OBJECT

public:
    static constexpr const char *kNoCounterMessage = "High resolution counter not detected.  ";
    static constexpr const char *kNoTimerMessage = "Could not initialize main timer.  ";
    static constexpr const char *kOldLibraryMessage = "Melvane requires BASS library v1.8 or higher.  ";
    static constexpr unsigned kMinimumLibraryVersion = 0x00080001;
    static constexpr int kResumeFadeTicks = 100;
    // The CD image's path, then why it gives no disc ("names the data file ..., which is missing").
    static constexpr const char *kCdImageMessage = "The CD image %s %s.  ";

    struct Services {
        CPlayerDoc *doc = nullptr;
        CMessageBox *messageBox = nullptr;
        IScreenSaver *screenSaver = nullptr;         // required: the engine asks it once a second
        CTrackInfoIdentifier *identifier = nullptr; // gets the WMA binding once the plug-in loads
        std::string programFolder;                   // where mv_asfin.so is looked for
        CPlaybackEngine::AudioInitFn initAudio = nullptr;
        bool startMainTimer = true;         // tests drive OnTick themselves
        CTimedPlayback::WallClock wallClock; // the timed playback's time of day; empty: the system's
        IClock *clock = nullptr;             // the engine's elapsed-time clock; null: the steady clock
        bool findCdDrives = true;            // real CD drives besides the images of `cdimages`
        std::string configFolder;            // where cdplayer.ini is read; empty: none
    };

    // What a window shows playback on; every member must be set.
    struct Displays {
        ICounterDisplay *counter = nullptr;
        IPositionBar *positionBar = nullptr;
        ILevelMeter *meter = nullptr;
        IVolumeSlider *volumeSlider = nullptr;
        IStatusText *status = nullptr;
    };

    explicit CPlayerCore(const Services &services);
    ~CPlayerCore() override;
    CPlayerCore(const CPlayerCore &) = delete;
    CPlayerCore &operator=(const CPlayerCore &) = delete;

    void AttachDisplays(const Displays &displays);
    // Back to the stand-ins (the window is going).
    void DetachDisplays();
    // Null: no visual plug-in is hosted.
    void AttachVisualHost(IVisualHost *visuals);
    // The window's CD tabs, for a "-cd" start and the resume of a CD track; null: none.
    void AttachCdTabs(ICdTabs *tabs) { m_pCdTabs = tabs; }

    void OpenOutput();
    void ApplyStartRequest(const CStartRequest &request);
    // False when start-up must end the process (a message was shown).
    bool Begin(const CStartRequest &request);
    // Safe to call more than once.
    void ShutDown();
    bool Initialised() const { return m_bInitialised; }
    bool IsShutDown() const { return m_bShutDown; }

    void OnTick();
    // How many of the main timer's fast ticks the last tick stood for (more than 1 when idle).
    int TicksElapsed() const { return m_timer.TicksElapsed(); }
    // Plays the playlist entry `index` (tray menu, list double-click, a file opened from outside).
    void PlayIndex(int index);
    // Opens the CD image `path` as a drive (what plays from a CD stops first; see
    // CCdPlayback::OpenImage). The drive index, or -1 after a message when the image gives no disc.
    int OpenCdImage(const std::string &path);
    // Opens the audio output again from the settings (the options changed it); what played goes on
    // from the same second, paused when it was.
    void RestartOutput();

    CPlayerDoc &Doc() { return m_doc; }
    CPlaybackEngine &Engine() { return *m_engine; }
    const CPlaybackEngine &Engine() const { return *m_engine; }
    CPlayOrder &PlayOrder() { return *m_order; }
    CTransportCommands &Transport() { return *m_transport; }
    CEqualizer &Equalizer() { return m_equalizer; }
    CStreamDecoder &Decoder() { return m_decoder; }
    CCdPlayback &Cd() { return *m_cd; }
    const CCdPlayback &Cd() const { return *m_cd; }
    // Saves edited tags; those of the playing file wait until the decoder closes it.
    CDeferredTagWriter &TagWriter() { return *m_tagWriter; }
    IScreenSaver *ScreenSaver() const { return m_services.screenSaver; }
    bool WmaAvailable() const { return m_bWmaAvailable; }

    // Playback as the media-player service reports and changes it.
    IMprisPlayer::Status PlaybackStatus() const;
    // The playing entry, or the one at the cursor while stopped; invalid when there is none.
    IMprisPlayer::Track CurrentTrack() const;
    std::int64_t PositionUs() const;
    double Volume() const; // 0..1
    // Within the playing entry; nothing while stopped.
    void SeekTo(std::int64_t positionUs);
    // The slider's new position; the next tick applies it to the output and ends a mute.
    void SetVolume(double volume);

    // IPlaybackControls
    void TogglePause() override { m_engine->TogglePause(); }
    void ToggleFadeOut() override { m_engine->ToggleFadeOut(); }
    void ToggleMute() override { m_engine->ToggleMute(); }
    bool IsPaused() const override { return m_engine->IsPaused(); }
    // ITimedPlayback
    void TimedCheck() override;

signals:
    // The playing row moved (a tick's change-over or end, or PlayIndex): the list repaints.
    void playingRowChanged();
    void tickDone();
    // A drive's disc record changed (a refresh, a list's write-back), or with -1 the drive list.
    void cdDriveChanged(int drive);

protected:
    bool event(QEvent *event) override;

private:
    void SelectRow(int row);
    // The "-cd" start and the resume of a CD track; true when a CD tab was shown with what to play.
    bool ApplyCdStart(const CStartRequest &request);
    // A drive's record changed: a CD track that is gone from it stops playing.
    void OnCdDriveChanged(int drive);

    CPlayerDoc &m_doc;
    CMessageBox &m_messageBox;
    Services m_services;
    CSteadyClock m_steadyClock;
    CDetachedDisplays m_detached;
    CDocGaplessPlaylist m_gapless;
    std::unique_ptr<CCdPlayback> m_cd; // before the decoder, which reads from it until it goes
    CStreamDecoder m_decoder;
    CEqualizer m_equalizer;
    std::unique_ptr<CPlaybackEngine> m_engine;
    std::unique_ptr<CPlayOrder> m_order;
    std::unique_ptr<CTransportCommands> m_transport;
    std::unique_ptr<CTimedPlayback> m_timed;
    std::unique_ptr<CDeferredTagWriter> m_tagWriter; // the decoder's close hook
    CMainTimer m_timer;
    ICdTabs *m_pCdTabs = nullptr;
    bool m_bCdStartReady = false; // a "-cd" start found its drive (and track)
    bool m_bInitialised = false;
    bool m_bShutDown = false;
    bool m_bWmaAvailable = false;
};

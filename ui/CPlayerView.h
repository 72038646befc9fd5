#pragma once
// The main view: the form inside the main window. It owns the playback engine, the play order, the
// stream decoder, the displays (counter, position bar, level meter, volume slider) and the playlist
// list control, lays them out, and gives the engine its display links by handing it the widgets.
//
// Start-up (InitialUpdate): audio output, displays, the playlist and the command line, then the
// main timer, the audio library version check, auto-play or resume, and the initialised flag.
// Shut-down (ShutDown): main timer, resume state, channel, output, equalizer settings - in that order.
//
// The view also owns the graphic equalizer (its logic and its modeless window, made hidden and
// initialised once the output is open) and the daily timed start and stop, which the engine checks
// through this view (the timed playback needs the engine and the play order, made after the engine).
//
// The main timer's tick event (type 10603) is received here: OnTick runs the engine's tick, then the
// timer is released for the next one and tickDone tells the main window (tray tip, media service).
//
// Threads: user-interface thread only, except the main timer's own thread, which only posts.

#include "engine/CDocGaplessPlaylist.h"
#include "engine/CEqualizer.h"
#include "engine/CMainTimer.h"
#include "engine/CPlayOrder.h"
#include "engine/CPlaybackEngine.h"
#include "core/CStartRequest.h"
#include "core/CSteadyClock.h"
#include "engine/CStreamDecoder.h"
#include "engine/CTimedPlayback.h"
#include "engine/CTransportCommands.h"
#include "engine/IPlaybackControls.h"
#include "engine/IStatusText.h"
#include "engine/ITimedPlayback.h"
#include "engine/IVisualHost.h"

#include <QWidget>

#include <memory>
#include <string>

class CEqualizerDlg;
class CMessageBox;
class CPlayerDoc;
class CTrackInfoIdentifier;
class IScreenSaver;
class CPlaylistCtrl;
class QLabel;

class CPlayerView : public QWidget,
                    public IStatusText,
                    public IPlaybackControls,
                    public IVisualHost,
                    public ITimedPlayback {
    Q_OBJECT

public:
    static constexpr const char *kNoCounterMessage = "High resolution counter not detected.  ";
    static constexpr const char *kNoTimerMessage = "Could not initialize main timer.  ";
    static constexpr const char *kOldLibraryMessage = "Melvane requires BASS library v1.8 or higher.  ";
    static constexpr unsigned kMinimumLibraryVersion = 0x00080001;
    static constexpr int kResumeFadeTicks = 100;

    struct Services {
        CPlayerDoc *doc = nullptr;
        CMessageBox *messageBox = nullptr;
        IScreenSaver *screenSaver = nullptr;      // required: the engine asks it once a second
        CTrackInfoIdentifier *identifier = nullptr; // gets the WMA binding once the plug-in loads
        std::string programFolder;                   // where mv_asfin.so is looked for
        CPlaybackEngine::AudioInitFn initAudio = nullptr;
        bool startMainTimer = true; // tests drive OnTick themselves
        CTimedPlayback::WallClock wallClock; // the timed playback's time of day; empty: the system's
    };

    CPlayerView(const Services &services, QWidget *parent = nullptr);
    ~CPlayerView() override;

    // The view's initial update. False when start-up must end the process (a message was shown).
    bool InitialUpdate(const CStartRequest &request);
    // The order of the view's window destruction; safe to call more than once.
    void ShutDown();
    bool Initialised() const { return m_bInitialised; }

    void OnTick();
    // Plays the playlist entry `index` (tray menu, list double-click, a file opened from outside).
    void PlayIndex(int index);

    CPlaybackEngine &Engine() { return *m_engine; }
    CPlayOrder &PlayOrder() { return *m_order; }
    CTransportCommands &Transport() { return *m_transport; }
    CEqualizer &Equalizer() { return m_equalizer; }
    CEqualizerDlg &EqualizerDialog() { return *m_eqDlg; }
    // The Graphic Equalizer command: shows or hides the equalizer window.
    void ToggleEqualizer();
    bool EqualizerVisible() const;
    CPlayerDoc &Doc() { return m_doc; }
    CPlaylistCtrl *ListControl() const;
    bool WmaAvailable() const { return m_bWmaAvailable; }
    // The summary text of the status bar: file count and total duration.
    QString SummaryText() const;
    // The composed window title ("" when the playlist is unnamed).
    std::string ComposedTitle() const;

    // IStatusText
    void UpdateStatusText() override;
    // IPlaybackControls
    void TogglePause() override { m_engine->TogglePause(); }
    void ToggleFadeOut() override { m_engine->ToggleFadeOut(); }
    void ToggleMute() override { m_engine->ToggleMute(); }
    bool IsPaused() const override { return m_engine->IsPaused(); }
    // IVisualHost: no visual plug-ins are hosted yet.
    bool AnyVisualActive() override { return false; }
    // ITimedPlayback
    void TimedCheck() override;

signals:
    void statusTextChanged(const QString &summary);
    void titleChanged(const QString &title);
    void tickDone();

protected:
    bool event(QEvent *event) override;

private:
    void BuildDisplays();
    void ApplyStartRequest(const CStartRequest &request);
    void SelectRow(int row);

    struct Displays;

    CPlayerDoc &m_doc;
    CMessageBox &m_messageBox;
    Services m_services;
    CSteadyClock m_clock;
    CDocGaplessPlaylist m_gapless;
    CStreamDecoder m_decoder;
    std::unique_ptr<Displays> m_displays;
    CEqualizer m_equalizer;
    std::unique_ptr<CPlaybackEngine> m_engine;
    std::unique_ptr<CPlayOrder> m_order;
    std::unique_ptr<CTransportCommands> m_transport;
    std::unique_ptr<CTimedPlayback> m_timed;
    // Destroyed before the equalizer it drives (a Qt child would outlive the members).
    std::unique_ptr<CEqualizerDlg> m_eqDlg;
    CMainTimer m_timer;
    bool m_bInitialised = false;
    bool m_bShutDown = false;
    bool m_bWmaAvailable = false;
};

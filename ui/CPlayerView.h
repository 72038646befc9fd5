#pragma once
// The main view: the form inside the main window. It shows the player core's playback on its displays
// (counter, position bar, level meter, volume slider), which it attaches to the core, holds the
// playlist list control and the graphic equalizer's modeless window, and lays them out.
//
// Start-up (InitialUpdate): the core's audio output, the equalizer window (hidden, initialised once
// the output is open), the core's start request, the status and title, then the core's checks and
// auto-play. Shut-down (ShutDown): the list's columns, the core, the equalizer window's settings.
//
// Threads: user-interface thread only.

#include "core/CStartRequest.h"
#include "engine/CPlayerCore.h"
#include "engine/IStatusText.h"

#include <QWidget>

#include <memory>
#include <string>

class CEqualizerDlg;
class CFileInfoCommand;
class CQtFileInfoWindows;
class CTrackInfoIdentifier;
class CMessageBox;
class CPlayerDoc;
class CPlaylistCtrl;

class CPlayerView : public QWidget, public IStatusText {
    Q_OBJECT

public:
    static constexpr const char *kOutputLostText = " Sound output lost: trying to reconnect... ";

    // The view's displays are attached to `core` until the view goes; the core outlives the view.
    CPlayerView(CPlayerCore &core, CMessageBox &messageBox, QWidget *parent = nullptr);
    ~CPlayerView() override;

    // The view's initial update. False when start-up must end the process (a message was shown).
    bool InitialUpdate(const CStartRequest &request);
    // The order of the view's window destruction; safe to call more than once.
    void ShutDown();
    bool Initialised() const { return m_core.Initialised(); }

    // Plays the playlist entry `index` (tray menu, list double-click, a file opened from outside).
    void PlayIndex(int index) { m_core.PlayIndex(index); }

    // The counter's mode: 0 track elapsed, 1 track remaining; stored in the setting `display`.
    void SetCounterMode(int mode);

    CPlayerCore &Core() { return m_core; }
    CEqualizerDlg &EqualizerDialog() { return *m_eqDlg; }
    // The Graphic Equalizer command: shows or hides the equalizer window.
    void ToggleEqualizer();
    bool EqualizerVisible() const;
    CPlaylistCtrl *ListControl() const;
    // The summary text of the status bar: file count and total duration.
    QString SummaryText() const;
    // The composed window title ("" when the playlist is unnamed).
    std::string ComposedTitle() const;

    // IStatusText
    void UpdateStatusText() override;

signals:
    void statusTextChanged(const QString &summary);
    void titleChanged(const QString &title);

private:
    void BuildDisplays();

    struct Displays;

    CPlayerCore &m_core;
    CPlayerDoc &m_doc;
    CMessageBox &m_messageBox;
    std::unique_ptr<Displays> m_displays;
    // Destroyed before the core's equalizer it drives (a Qt child would outlive the view's members).
    std::unique_ptr<CEqualizerDlg> m_eqDlg;
    // The File Information command (the list's request, the menu item, Ctrl+I).
    std::unique_ptr<CTrackInfoIdentifier> m_rereader;
    std::unique_ptr<CQtFileInfoWindows> m_infoWindows;
    std::unique_ptr<CFileInfoCommand> m_infoCommand;
    bool m_bShutDown = false;
};

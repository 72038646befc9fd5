#pragma once
// The main view: the form inside the main window. It shows the player core's playback on its displays
// (counter, position bar, level meter, volume slider), which it attaches to the core, holds the
// playlist list control and the graphic equalizer's modeless window, and lays them out.
//
// Below the displays, a tab strip: the playlist, then one CD track list per drive ("Drive D:", ...),
// rebuilt when the drive list changes (a CD image opened) and refilled when a drive's disc changes.
// The tab on show is the play order's list; the status text follows it.
//
// Start-up (InitialUpdate): the core's audio output, the equalizer window (hidden, initialised once
// the output is open), the core's start request, the status and title, then the core's checks and
// auto-play. Shut-down (ShutDown): the list's columns, the core, the equalizer window's settings.
//
// Threads: user-interface thread only.

#include "core/CStartRequest.h"
#include "engine/CPlayerCore.h"
#include "engine/ICdTabs.h"
#include "engine/IStatusText.h"

#include <QList>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class CEqualizerDlg;
class CFileInfoCommand;
class CQtFileInfoWindows;
class CTrackInfoIdentifier;
class CMessageBox;
class CPlayerDoc;
class CCdListCtrl;
class CPlaylistCtrl;
class QAction;
class QTabWidget;

class CPlayerView : public QWidget, public IStatusText, public ICdTabs {
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

    // The drive index of the CD tab on show, -1 on the playlist tab.
    int CurrentCdDrive() const;
    // The list of drive `drive`, null when there is none.
    CCdListCtrl *CdList(int drive) const;
    CCdListCtrl *CurrentCdList() const { return CdList(CurrentCdDrive()); }
    // Tab 0 is the playlist, tab d + 1 drive d.
    void ShowTab(int index);
    int TabCount() const;
    // The next tab (playlist, each drive, the playlist again); nothing without a CD drive.
    void NextTab();
    // Plays row `row` of the CD tab on show (a double-click, Enter).
    void PlayCdRow(int row);
    // Plays track `track` of drive `drive` on its tab (the tray's drive menus, a forwarded "-cd");
    // false when the disc has no such audio track.
    bool PlayCdTrack(int drive, int track);
    // The window's disc commands for the CD lists' menus.
    void SetCdDiscActions(const QList<QAction *> &actions);

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
    // ICdTabs
    bool ShowCdTrack(int drive, int track, bool check) override;

signals:
    // The tab on show changed: the drive index of a CD tab, -1 for the playlist.
    void cdTabShown(int drive);
    void statusTextChanged(const QString &summary);
    void titleChanged(const QString &title);

private:
    void BuildDisplays();
    void BuildCdTabs();
    void OnTabChanged(int index);
    void OnCdChanged(int drive);
    void ApplyListAppearance();

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
    QTabWidget *m_tabs = nullptr;
    std::vector<CCdListCtrl *> m_cdLists;
    QList<QAction *> m_discActions;
    bool m_bRebuildingTabs = false;
    bool m_bShutDown = false;
};

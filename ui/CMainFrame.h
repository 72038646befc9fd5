#pragma once
// The main window: menus, toolbar and accelerators whose actions all carry their command id and go
// through one command router (Execute), which function-key messages, tray clicks, the tray menu and
// the media-player service reuse; the two-pane status bar; the tray icon with its click counting and
// menu; command lines forwarded by a second start; the keyboard hook; the window placement; the
// visual plug-ins (the Visuals menus, their start and stop, the keys their windows forward).
//
// The visual host is the window's: it lists the plug-ins at the first activation, restarts those that
// ran at the last exit, and at the close stores the running ones and waits until all have ended.
//
// The program also works with no tray at all: every tray action is reachable from the menus, and
// minimise-to-tray falls back to a plain minimise when the desktop has no tray.
//
// Threads: user-interface thread only. Records from other processes arrive through a socket notifier
// on this thread.

#include "platform/io/CDynamicLibrary.h"
#include "ui/CFreedbDialog.h"
#include "ui/CPlayerView.h"
#include "ui/CTrayClickCounter.h"
#include "ui/CTrayPlaylistMenu.h"
#include "ui/CTrayTimer.h"
#include "engine/IForwardTarget.h"
#include "engine/IMprisPlayer.h"
#include "vis/CVisualHost.h"

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <map>
#include <memory>
#include <string>

class CFileAssociations;
class CFreedbAutoQuery;
class CIpcRecord;
class CMessageBox;
class CIpcServer;
class CQtFileDialogs;
class CRegistry;
class IDesktopServices;
class QAction;
class QLabel;
class QMenu;
class QSocketNotifier;
class QTimer;

// Command ids of the main window besides the transport commands of PlayerCommands.h.
namespace FrameCommand {
inline constexpr int kNewPlaylist = 57600;
inline constexpr int kOpenPlaylist = 57601;
inline constexpr int kSavePlaylist = 57603;
inline constexpr int kSavePlaylistAs = 57604;
inline constexpr int kAbout = 57664;
inline constexpr int kExit = 57665;
inline constexpr int kAddFiles = 32771;
inline constexpr int kAddFolder = 32772;
inline constexpr int kFileInformation = 32796;
inline constexpr int kDiscInformation = 32896;
inline constexpr int kEqualizer = 32851;
inline constexpr int kShowHide = 32853;
inline constexpr int kTimerPlayback = 32881;
inline constexpr int kJumpToTrack = 32895;
inline constexpr int kTrackElapsed = 32794;
inline constexpr int kTrackRemaining = 32795;
inline constexpr int kNoVisuals = 32909;
inline constexpr int kOptions = 32797;
// The disc commands of the CD tab (also in its track list's menu) and the CD images.
inline constexpr int kQueryFreedb = 32910;
inline constexpr int kExtractAudio = 32911;
inline constexpr int kOpenCdImage = 32912;
inline constexpr int kCheckAllTracks = 32913;
// Key only: the next tab (the keyboard hook's and the remote's alternative F8).
inline constexpr int kNextTab = 32914;
// Start or stop visual plug-in 0 to 31.
inline constexpr int kFirstVisual = 36501;
inline constexpr int kLastVisual = kFirstVisual + CVisualHost::kMaxSlots - 1;
} // namespace FrameCommand

class CMainFrame : public QMainWindow, public IForwardTarget, public IMprisPlayer {
    Q_OBJECT

public:
    static constexpr int kMinimumWidth = 516;
    static constexpr int kMinimumHeight = 360;
    static constexpr const char *kSummaryPrototype = "0000 files, 000h 00m 00s   ";
    static constexpr const char *kHideText = "Hide Melvane";
    static constexpr const char *kShowText = "Show Melvane";

    struct Options {
        CPlayerCore *core = nullptr;       // required; outlives the window
        CMessageBox *messageBox = nullptr; // required
        CRegistry *registry = nullptr;
        CFileAssociations *associations = nullptr; // null: the options offer no file types
        std::string runtimeDir;        // empty: no IPC server (no second start can reach us)
        std::string programFolder;     // where mv_hook.so and the visuals/ folder are looked for
        std::string visualsFolder;     // empty: visuals/ in the program folder
        int doubleClickMs = 0;         // 0: the desktop's double-click interval
    };

    CMainFrame(const Options &options, QWidget *parent = nullptr);
    ~CMainFrame() override;

    // The view's initial update, then the forwarding timestamp. False when the process must end.
    bool InitialUpdate(const CStartRequest &request);
    // First activation: keyboard hook, tray icon, and showing as the settings ask.
    void FirstActivation(bool maximised);
    // The desktop's services (media-player service, forwarded command lines); null detaches them.
    void SetDesktopServices(IDesktopServices *services) { m_desktop = services; }

    // The command router: every menu item, key, tray click and media-service call ends here.
    // False when `id` is unknown or its item is disabled.
    bool Execute(int id);
    // The enabled/checked state `id` has in the menus now.
    bool IsCommandEnabled(int id) const;
    // A WM_PLAYER_KEY message.
    void OnPlayerKey(std::uint64_t keyCode, std::int64_t alternative);
    // A key pressed in a visual plug-in's window: the main window's shortcut for it, if any.
    bool OnForwardedKey(std::uint64_t virtualKey, std::int64_t modifiers);
    // Handles one record from another process; the result goes back to a sender.
    std::int64_t HandleRecord(const CIpcRecord &record);

    // Tray: an activation of the icon and the expiry of the click timer.
    void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void OnTrayTimer();
    // The tray menu as it would be shown now (rebuilt on every call).
    QMenu *TrayMenu();
    CTrayClickCounter &ClickCounter() { return m_clicks; }
    bool TrayShown() const { return m_bTrayShown; }

    // Show/hide toggle (command 32853, tray action 5).
    void ToggleShowHide();
    // Close: view shut-down, placement, icon; then the application quits. Safe to call twice.
    void CloseFrame();

    // The drive index of the CD tab on show, or -1 on the playlist tab.
    int CurrentCdDrive() const;
    // The disc information sheet for `drive`; true when its "Save" changed the shown drive's record.
    bool ShowDiscInfo(int drive);
    // The freedb query of `drive`'s disc; its answer replaces the drive's record.
    bool QueryFreedb(int drive);
    // The drive "Extract Audio" works on: the CD tab on show, else the first drive with an audio disc;
    // -1 when there is none.
    int ExtractDrive() const;
    // "Extract Audio" for `drive`: the track choice, then the extraction with its progress window.
    // True when every chosen track was extracted.
    bool ExtractAudio(int drive);
    // Where the disc information sheet opens next (left, top).
    int m_nDiscInfoX = 0;
    int m_nDiscInfoY = 0;

    CPlayerView &View() { return *m_view; }
    CVisualHost &Visuals() { return *m_visuals; }
    QAction *Action(int id) const;
    QString SummaryText() const;

    // IForwardTarget
    void ShowHidden() override;
    void OpenCdTrack(char driveLetter, int track) override;
    void OpenCdDevice(const std::string &device) override;
    void OpenCdImage(const std::string &path, int track) override;
    void AppendFile(const std::string &path) override;
    void OpenFile(const std::string &path, bool isPlaylist) override;

    // IMprisPlayer
    Status PlaybackStatus() override;
    Track CurrentTrack() override;
    std::int64_t PositionUs() override;
    double Volume() override;
    bool CanGoNext() override;
    bool CanGoPrevious() override;
    bool CanPlay() override;
    bool CanSeek() override;
    void Play() override;
    void Pause() override;
    void PlayPause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    void SeekTo(std::int64_t positionUs) override;
    void SetVolume(double volume) override;
    void OpenFile(const std::string &path) override;
    void Raise() override;
    void Quit() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QAction *AddCommand(QMenu *menu, int id, const QString &text, const QString &key = {}, bool checkable = false);
    void BuildMenus();
    void BuildVisualsMenu();
    void BuildToolBar();
    void BuildStatusBar();
    void UpdateCommandStates();
    void UpdateTray();
    void RunTrayAction(int action);
    void StartIpc();
    void LoadKeyHook();
    void FreeKeyHook();
    void AddTrayIcon();
    // minimizetray changed in the options: the icon comes or goes (a hidden window is shown first).
    void OnTrayOptionChanged();
    void RestorePlacement();
    void SavePlacement();
    // The disc commands; each is enabled in IsCommandEnabled.
    void OnDiscInformation();
    void OnQueryFreedb();
    void OnExtractAudio();
    CFreedbDialog::Account FreedbAccountNow() const;
    // "Open CD Image...": the chosen image becomes a drive with its tab on show.
    void OnOpenCdImage();
    // The one information command of the tab on show: File Information or Disc Information.
    void SwapInformationCommand(bool disc);
    void AddCdDriveMenus(QMenu &menu);
    // Rows of the list on show: the playlist's entries or the CD tab's tracks.
    int ListOnShowCount() const;

    CPlayerCore &m_core;
    CPlayerDoc &m_doc;
    Options m_options;
    CPlayerView *m_view = nullptr;
    std::unique_ptr<CQtFileDialogs> m_fileDialogs;
    IDesktopServices *m_desktop = nullptr;
    std::map<int, QAction *> m_actions;
    std::unique_ptr<CVisualHost> m_visuals;
    QMenu *m_visualsMenu = nullptr;
    bool m_bVisualsListed = false;
    QLabel *m_summary = nullptr;

    std::unique_ptr<CIpcServer> m_ipc;
    QSocketNotifier *m_ipcNotifier = nullptr;

    QSystemTrayIcon *m_tray = nullptr;
    std::unique_ptr<QMenu> m_trayMenu;
    CTrayTimer m_trayTimer;
    CTrayClickCounter m_clicks;
    CTrayPlaylistMenu m_trayPlaylist;
    bool m_bTrayShown = false;
    bool m_bStartedHidden = false;
    bool m_bClosed = false;
    unsigned m_nTicks = 0;
    std::string m_strTip;

    std::unique_ptr<CFreedbAutoQuery> m_autoQuery;
    QTimer *m_mediaPoll = nullptr; // about once a second: discs in and out, image files changed

    CDynamicLibrary m_hookLibrary;
    bool m_bHookInstalled = false;
};

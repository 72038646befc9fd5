#include "ui/CMainFrame.h"

#include "ui/CAboutDialog.h"
#include "ui/CCdListCtrl.h"
#include "ui/CAppIcon.h"
#include "ui/CDiscInfoSheet.h"
#include "ui/CExtractDialog.h"
#include "ui/CExtractProgressDialog.h"
#include "ui/CForwardedKey.h"
#include "ui/CFreedbAutoQuery.h"
#include "ui/CFreedbDialog.h"
#include "ui/CModalDialogGuard.h"
#include "ui/CJumpDlg.h"
#include "ui/CPlayerKeyMap.h"
#include "ui/CQtFileDialogs.h"
#include "ui/CTimerDlg.h"
#include "ui/COptionsSheet.h"
#include "ui/CTrayTipText.h"
#include "cd/CEncoderHost.h"
#include "core/IDesktopServices.h"
#include "engine/IScreenSaver.h"
#include "engine/PlayerCommands.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CPlayerSettings.h"
#include "ui/CPlaylistCtrl.h"
#include "plugins/include/mv_hook.h"
#include "platform/ipc/CIpcServer.h"
#include "plugins/include/mv_messages.h"

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace cmd = PlayerCommand;
namespace fc = FrameCommand;

CMainFrame::CMainFrame(const Options &options, QWidget *parent)
    : QMainWindow(parent), m_core(*options.core), m_doc(options.core->Doc()), m_options(options), m_fileDialogs(std::make_unique<CQtFileDialogs>(this)),
      m_trayTimer([this] { OnTrayTimer(); }),
      m_clicks(m_trayTimer, options.doubleClickMs > 0 ? options.doubleClickMs
                                                      : QGuiApplication::styleHints()->mouseDoubleClickInterval())
{
    setWindowTitle(QStringLiteral("Melvane"));
    setWindowIcon(CAppIcon::Icon());
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    m_view = new CPlayerView(m_core, *options.messageBox, this);
    const CPlaybackEngine &engine = m_core.Engine();
    const VisualFeed feed{engine.LevelPointer(), engine.VisualRatePointer(), engine.SampleBuffer(),
                          engine.SpectrumBuffer()};
    m_visuals = std::make_unique<CVisualHost>(
        options.visualsFolder.empty() ? options.programFolder + "/visuals" : options.visualsFolder, feed,
        options.runtimeDir);
    m_core.AttachVisualHost(m_visuals.get());
    setCentralWidget(m_view);
    m_doc.SetFileDialogs(m_fileDialogs.get());
    m_view->ListControl()->Editor().SetFileDialogs(m_fileDialogs.get());

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    RestorePlacement();

    m_autoQuery = std::make_unique<CFreedbAutoQuery>(m_core.Cd(), [this] { return FreedbAccountNow(); }, this);
    m_core.Cd().SetAutoQuery([this](int drive, const CDiscRecord &copy) { m_autoQuery->Start(drive, copy); });

    connect(m_view, &CPlayerView::statusTextChanged, m_summary, [this](const QString &text) {
        m_summary->setText(text);
        m_summary->setMinimumWidth(m_summary->fontMetrics().horizontalAdvance(text) + 8);
    });
    connect(m_view, &CPlayerView::titleChanged, this, [this](const QString &title) { setWindowTitle(title); });
    connect(&m_core, &CPlayerCore::tickDone, this, [this] {
        if (m_desktop)
            m_desktop->OnTick();
        m_nTicks += static_cast<unsigned>(m_core.TicksElapsed());
        if (m_nTicks >= 5) {
            m_nTicks = 0;
            UpdateCommandStates();
            UpdateTray();
        }
    });

    connect(m_view, &CPlayerView::cdTabShown, this, [this](int drive) {
        SwapInformationCommand(drive >= 0);
        UpdateCommandStates();
    });
    m_view->SetCdDiscActions({m_actions.at(fc::kDiscInformation), m_actions.at(fc::kQueryFreedb),
                              m_actions.at(fc::kExtractAudio), m_actions.at(fc::kCheckAllTracks)});
    SwapInformationCommand(m_view->CurrentCdDrive() >= 0);
    m_mediaPoll = new QTimer(this);
    m_mediaPoll->setInterval(1000);
    connect(m_mediaPoll, &QTimer::timeout, this, [this] {
        if (!m_bClosed && m_core.Cd().DriveCount() > 0)
            m_core.Cd().PollMedia();
    });
    m_mediaPoll->start();

    if (!options.runtimeDir.empty())
        StartIpc();
}

CMainFrame::~CMainFrame()
{
    m_core.Cd().SetAutoQuery({});
    m_autoQuery.reset();
    m_visuals->StopAll();
    m_core.AttachVisualHost(nullptr);
    FreeKeyHook();
    m_view->ListControl()->Editor().SetFileDialogs(nullptr);
    m_doc.SetFileDialogs(nullptr);
}

// --- construction -------------------------------------------------------------------------------

QAction *CMainFrame::AddCommand(QMenu *menu, int id, const QString &text, const QString &key, bool checkable)
{
    auto *action = new QAction(text, this);
    action->setData(id);
    if (!key.isEmpty())
        action->setShortcut(QKeySequence(key));
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    if (menu)
        menu->addAction(action);
    else
        addAction(action); // key only: the action still needs a widget for its shortcut
    m_actions[id] = action;
    return action;
}

void CMainFrame::BuildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(file, fc::kNewPlaylist, QStringLiteral("&New Playlist"), QStringLiteral("Ctrl+N"));
    AddCommand(file, fc::kOpenPlaylist, QStringLiteral("&Open Playlist..."), QStringLiteral("Ctrl+O"));
    AddCommand(file, fc::kSavePlaylist, QStringLiteral("&Save Playlist"), QStringLiteral("Ctrl+S"));
    AddCommand(file, fc::kSavePlaylistAs, QStringLiteral("Save Playlist &As..."));
    file->addSeparator();
    AddCommand(file, fc::kAddFiles, QStringLiteral("Add &File(s)..."), QStringLiteral("Ctrl+A"));
    AddCommand(file, fc::kAddFolder, QStringLiteral("Add Fol&der..."), QStringLiteral("Ctrl+L"));
    file->addSeparator();
    AddCommand(file, fc::kFileInformation, QStringLiteral("File &Information..."), QStringLiteral("Ctrl+I"));
    AddCommand(file, fc::kDiscInformation, QStringLiteral("Disc &Information..."))->setVisible(false);
    AddCommand(nullptr, fc::kNextTab, QString());
    file->addSeparator();
    AddCommand(file, fc::kExit, QStringLiteral("E&xit"));

    QMenu *play = menuBar()->addMenu(QStringLiteral("&Play"));
    QMenu *volume = nullptr;
    for (const cmd::Entry &entry : cmd::kPlayerCommands) {
        const QString text = QString::fromUtf8(entry.menuText.data(), static_cast<qsizetype>(entry.menuText.size()));
        const QString key = QString::fromUtf8(entry.key.data(), static_cast<qsizetype>(entry.key.size()));
        const bool checkable = entry.id == cmd::kPause || entry.id == cmd::kStopAtTrackEnd || entry.id == cmd::kMute ||
                               entry.id == cmd::kRandomPlay || entry.id == cmd::kRepeatTrack ||
                               entry.id == cmd::kRepeatPlaylist;
        QMenu *menu = play;
        if (cmd::SetVolumeLevel(entry.id) >= 0) {
            if (!volume) {
                play->addSeparator();
                volume = play->addMenu(QStringLiteral("Set &Volume"));
            }
            menu = volume;
        } else if (text.isEmpty()) {
            menu = nullptr;
        }
        AddCommand(menu, entry.id, text, key, checkable);
        if (entry.id == cmd::kNextTrack || entry.id == cmd::kMute)
            play->addSeparator();
    }

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    AddCommand(view, fc::kEqualizer, QStringLiteral("Graphic &Equalizer..."), QStringLiteral("Ctrl+G"), true);
    AddCommand(view, fc::kTimerPlayback, QStringLiteral("&Timer Playback..."), QStringLiteral("Ctrl+B"));
    AddCommand(view, fc::kJumpToTrack, QStringLiteral("&Jump to Track..."), QStringLiteral("Ctrl+T"));
    view->addSeparator();
    AddCommand(view, fc::kTrackElapsed, QStringLiteral("Track E&lapsed"), {}, true);
    AddCommand(view, fc::kTrackRemaining, QStringLiteral("Track &Remaining"), {}, true);
    view->addSeparator();
    AddCommand(view, fc::kShowHide, QString::fromLatin1(kHideText));
    view->addSeparator();
    AddCommand(view, fc::kOptions, QStringLiteral("O&ptions..."), QStringLiteral("Ctrl+P"));

    QMenu *cd = menuBar()->addMenu(QStringLiteral("&CD"));
    AddCommand(cd, fc::kOpenCdImage, QStringLiteral("Open CD &Image..."));
    cd->addSeparator();
    AddCommand(cd, fc::kQueryFreedb, QStringLiteral("&Query freedb"));
    AddCommand(cd, fc::kExtractAudio, QStringLiteral("E&xtract Audio..."));
    AddCommand(cd, fc::kCheckAllTracks, QStringLiteral("&Check All Tracks"));

    m_visualsMenu = menuBar()->addMenu(QStringLiteral("V&isuals"));
    AddCommand(m_visualsMenu, fc::kNoVisuals, QStringLiteral("None found"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    AddCommand(help, fc::kAbout, QStringLiteral("&About Melvane..."));

    for (QMenu *menu : {file, play, view, cd, m_visualsMenu})
        connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
    UpdateCommandStates();
}

void CMainFrame::BuildVisualsMenu()
{
    if (m_bVisualsListed)
        return;
    m_bVisualsListed = true;
    if (m_visuals->Discover() == 0)
        return;
    QAction *none = m_actions.at(fc::kNoVisuals);
    m_actions.erase(fc::kNoVisuals);
    m_visualsMenu->removeAction(none);
    delete none;
    for (int slot = 0; slot < m_visuals->Count(); ++slot)
        AddCommand(m_visualsMenu, fc::kFirstVisual + slot, QString::fromStdString(m_visuals->Name(slot)), {}, true);
}

void CMainFrame::BuildToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    const struct {
        int id;
        QStyle::StandardPixmap icon;
    } buttons[] = {
        {fc::kOpenPlaylist, QStyle::SP_DialogOpenButton}, {fc::kSavePlaylist, QStyle::SP_DialogSaveButton},
        {cmd::kPreviousTrack, QStyle::SP_MediaSkipBackward}, {cmd::kPlay, QStyle::SP_MediaPlay},
        {cmd::kPause, QStyle::SP_MediaPause}, {cmd::kStop, QStyle::SP_MediaStop},
        {cmd::kNextTrack, QStyle::SP_MediaSkipForward}, {cmd::kMute, QStyle::SP_MediaVolumeMuted},
        {fc::kFileInformation, QStyle::SP_FileDialogInfoView}, {fc::kDiscInformation, QStyle::SP_DriveCDIcon},
    };
    for (const auto &button : buttons) {
        QAction *action = m_actions.at(button.id);
        action->setIcon(style()->standardIcon(button.icon));
        action->setToolTip(action->text().remove(QLatin1Char('&')));
        // The two information commands share one place; the one for the tab on show is visible.
        if (button.id == cmd::kPreviousTrack || button.id == fc::kFileInformation)
            bar->addSeparator();
        bar->addAction(action);
    }
}

void CMainFrame::BuildStatusBar()
{
    auto *message = new QLabel;
    m_summary = new QLabel(QString::fromLatin1(kSummaryPrototype));
    m_summary->setMinimumWidth(m_summary->fontMetrics().horizontalAdvance(m_summary->text()) + 8);
    statusBar()->addWidget(message, 1);
    statusBar()->addPermanentWidget(m_summary);
}

void CMainFrame::RestorePlacement()
{
    const int w = std::max(kMinimumWidth, static_cast<int>(m_doc.width));
    const int h = std::max(kMinimumHeight, static_cast<int>(m_doc.height));
    move(std::max(0, static_cast<int>(m_doc.xpos)), std::max(0, static_cast<int>(m_doc.ypos)));
    resize(w, h);
}

void CMainFrame::SavePlacement()
{
    if (!isMaximized() && !isMinimized()) {
        const QRect frame = geometry();
        m_doc.xpos = std::max(0, x());
        m_doc.ypos = std::max(0, y());
        m_doc.width = frame.width();
        m_doc.height = frame.height();
    }
    m_doc.maximize = isMaximized() ? 1 : 0;
}

// --- start and end --------------------------------------------------------------------------------

bool CMainFrame::InitialUpdate(const CStartRequest &request)
{
    // Every drive's disc is read once at start (unknown discs go to freedb when autoquery is on).
    m_core.Cd().RefreshAll();
    if (!m_view->InitialUpdate(request))
        return false;
    UpdateCommandStates();
    return true;
}

void CMainFrame::FirstActivation(bool maximised)
{
    BuildVisualsMenu();
    m_visuals->Restart(m_doc.vis);
    UpdateCommandStates();
    if (m_doc.keyhook)
        LoadKeyHook();
    if (m_doc.minimizetray)
        AddTrayIcon();
    if (m_doc.minimizestart) {
        // Without a notification area a hidden window could never be reached again.
        if (m_bTrayShown && QSystemTrayIcon::isSystemTrayAvailable()) {
            m_bStartedHidden = true; // only the tray icon remains
        } else {
            showMinimized();
        }
    } else if (maximised) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    CloseFrame();
    event->accept();
}

void CMainFrame::CloseFrame()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    m_view->ShutDown();
    SavePlacement();
    m_doc.vis = m_visuals->RunningFileNames();
    m_visuals->StopAll();
    m_trayTimer.Stop();
    m_mediaPoll->stop();
    if (m_tray)
        m_tray->hide();
    m_bTrayShown = false;
    if (m_ipcNotifier)
        m_ipcNotifier->setEnabled(false);
    hide();
    QCoreApplication::quit();
}

void CMainFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_doc.minimizetray &&
        QSystemTrayIcon::isSystemTrayAvailable()) {
        // Minimise to the tray: the icon stays, the window goes.
        AddTrayIcon();
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                hide();
                setWindowState(windowState() & ~Qt::WindowMinimized);
            }
        });
    }
}

// --- the command router ---------------------------------------------------------------------------

bool CMainFrame::IsCommandEnabled(int id) const
{
    if (const auto state = m_core.Transport().UpdateState(id))
        return state->enabled;
    switch (id) {
    case fc::kSavePlaylist:
    case fc::kSavePlaylistAs: return m_doc.CanSavePlaylist();
    case fc::kFileInformation:
    case fc::kJumpToTrack: return m_doc.EntryCount() > 0;
    case fc::kEqualizer: return m_core.Engine().EffectsAvailable();
    case fc::kNoVisuals: return false;
    case fc::kDiscInformation:
    case fc::kQueryFreedb: {
        const int drive = CurrentCdDrive();
        return drive >= 0 && m_core.Cd().Record(drive).m_nDiscId != 0;
    }
    case fc::kExtractAudio: return ExtractDrive() >= 0;
    case fc::kCheckAllTracks: return m_view->CurrentCdList() && m_view->CurrentCdList()->RowCount() > 0;
    case fc::kOpenCdImage: return true;
    case fc::kNextTab: return m_core.Cd().DriveCount() > 0;
    default: return true;
    }
}

void CMainFrame::UpdateCommandStates()
{
    for (auto &[id, action] : m_actions) {
        if (const auto state = m_core.Transport().UpdateState(id)) {
            action->setEnabled(state->enabled);
            if (action->isCheckable())
                action->setChecked(state->checked);
        } else {
            action->setEnabled(IsCommandEnabled(id));
        }
    }
    for (int slot = 0; slot < m_visuals->Count(); ++slot) {
        if (QAction *visual = Action(fc::kFirstVisual + slot))
            visual->setChecked(m_visuals->IsRunning(slot));
    }
    if (QAction *equalizer = Action(fc::kEqualizer))
        equalizer->setChecked(m_view->EqualizerVisible());
    // The mode in force; while the position bar is dragged, the one it goes back to.
    if (QAction *elapsed = Action(fc::kTrackElapsed))
        elapsed->setChecked(m_doc.display != 1);
    if (QAction *remaining = Action(fc::kTrackRemaining))
        remaining->setChecked(m_doc.display == 1);
    if (QAction *showHide = Action(fc::kShowHide))
        showHide->setText(QString::fromLatin1(isVisible() && !isMinimized() ? kHideText : kShowText));
}

QAction *CMainFrame::Action(int id) const
{
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

bool CMainFrame::Execute(int id)
{
    if (m_bClosed)
        return false;
    if (m_core.Transport().UpdateState(id)) {
        const bool done = m_core.Transport().Execute(id);
        UpdateCommandStates();
        return done;
    }
    if (const auto tray = CTrayPlaylistMenu::Decode(id)) {
        if (tray->drive != 0)
            return m_view->PlayCdTrack(tray->drive - 1, tray->number);
        const int index = m_trayPlaylist.IndexForCommand(id);
        if (index < 0)
            return false;
        m_view->PlayIndex(index);
        return true;
    }
    if (id >= fc::kFirstVisual && id <= fc::kLastVisual) {
        if (id - fc::kFirstVisual >= m_visuals->Count())
            return false;
        m_visuals->Toggle(id - fc::kFirstVisual);
        UpdateCommandStates();
        return true;
    }
    if (!IsCommandEnabled(id))
        return false;
    switch (id) {
    case fc::kNewPlaylist: m_doc.OnNewPlaylist(); break;
    case fc::kOpenPlaylist: m_doc.OnOpenPlaylist(); break;
    case fc::kSavePlaylist: m_doc.OnSavePlaylist(); break;
    case fc::kSavePlaylistAs: m_doc.OnSavePlaylistAs(); break;
    case fc::kAddFiles: m_view->ListControl()->AddFiles(); break;
    case fc::kAddFolder: m_view->ListControl()->AddFolder(); break;
    case fc::kFileInformation: {
        const bool playingEntry = m_core.Engine().IsPlaying() && m_doc.State().m_nPlaying >= 0;
        m_view->ListControl()->ShowFileInformation(playingEntry ? m_doc.State().m_nPlaying : m_doc.State().m_nCurrent);
        break;
    }
    case fc::kJumpToTrack: {
        CJumpDlg jump(m_doc, this);
        connect(&jump, &CJumpDlg::rowChosen, this, [this](int row) { m_view->PlayIndex(row); });
        jump.exec();
        break;
    }
    case fc::kEqualizer: m_view->ToggleEqualizer(); break;
    case fc::kTrackElapsed:
    case fc::kTrackRemaining:
        m_view->SetCounterMode(id == fc::kTrackRemaining ? 1 : 0);
        UpdateCommandStates();
        break;
    case fc::kTimerPlayback: {
        IScreenSaver *saver = m_core.ScreenSaver();
        CTimerDlg timer(m_doc, saver && saver->IsDetectable(), this);
        timer.exec();
        break;
    }
    case fc::kShowHide: ToggleShowHide(); break;
    case fc::kOptions: {
        COptionsSheet::Links links;
        links.core = &m_core;
        links.messageBox = m_options.messageBox;
        links.associations = m_options.associations;
        links.trayChanged = [this] { OnTrayOptionChanged(); };
        links.registry = m_options.registry;
        links.hasCdDrive = m_core.Cd().DriveCount() > 0;
        COptionsSheet sheet(links, this);
        sheet.exec();
        break;
    }
    case fc::kDiscInformation: OnDiscInformation(); break;
    case fc::kQueryFreedb: OnQueryFreedb(); break;
    case fc::kExtractAudio: OnExtractAudio(); break;
    case fc::kCheckAllTracks: m_view->CurrentCdList()->CheckAll(); break;
    case fc::kOpenCdImage: OnOpenCdImage(); break;
    case fc::kNextTab: m_view->NextTab(); break;
    case fc::kAbout: {
        m_doc.m_bModalOpen = true;
        CAboutDialog about(m_core.WmaAvailable(), this);
        about.exec();
        m_doc.m_bModalOpen = false;
        break;
    }
    case fc::kExit: CloseFrame(); break;
    default: return false;
    }
    UpdateCommandStates();
    return true;
}

void CMainFrame::OnPlayerKey(std::uint64_t keyCode, std::int64_t alternative)
{
    const PlayerKeyAction action = CPlayerKeyMap::Map(keyCode, alternative);
    switch (action.kind) {
    case PlayerKeyAction::Kind::Command: Execute(action.commandId); break;
    case PlayerKeyAction::Kind::OpenPlaylist: Execute(fc::kOpenPlaylist); break;
    case PlayerKeyAction::Kind::NextTab: Execute(fc::kNextTab); break;
    case PlayerKeyAction::Kind::None: break;
    }
}

bool CMainFrame::OnForwardedKey(std::uint64_t virtualKey, std::int64_t modifiers)
{
    const QKeySequence sequence = CForwardedKey::Sequence(virtualKey, modifiers);
    if (sequence.isEmpty())
        return false;
    for (const auto &[id, action] : m_actions) {
        if (action->shortcut() == sequence)
            return Execute(id);
    }
    return false;
}

// --- other processes ------------------------------------------------------------------------------

void CMainFrame::StartIpc()
{
    m_ipc = std::make_unique<CIpcServer>(m_options.runtimeDir, MV_WINDOW_CLASS_NAME,
                                         [this](const CIpcRecord &record) { return HandleRecord(record); });
    if (!m_ipc->Listen()) {
        m_ipc.reset();
        return;
    }
    m_ipcNotifier = new QSocketNotifier(m_ipc->Fd(), QSocketNotifier::Read, this);
    connect(m_ipcNotifier, &QSocketNotifier::activated, this, [this] { m_ipc->ProcessPending(); });
}

std::int64_t CMainFrame::HandleRecord(const CIpcRecord &record)
{
    if (m_bClosed)
        return 0;
    switch (record.message) {
    case MV_WM_COPYDATA:
        return m_desktop && m_desktop->OnCopyData(record.dwData, record.data) ? 1 : 0;
    case MV_WM_PLAYER_KEY:
        OnPlayerKey(record.wParam, record.lParam);
        return 1;
    case MV_WM_KEYDOWN:
        return OnForwardedKey(record.wParam, record.lParam) ? 1 : 0;
    case MV_WM_PLAYER_RAISE:
        if (isMinimized())
            showNormal();
        if (isVisible()) {
            raise();
            activateWindow();
        }
        return 1;
    case MV_WM_PLAYER_IS_ACTIVE:
        // Hidden to the tray or minimised, the window is never the one the user works in.
        return isVisible() && !isMinimized() && isActiveWindow() ? 1 : 0;
    default:
        return 0;
    }
}

int CMainFrame::CurrentCdDrive() const
{
    return m_view->CurrentCdDrive();
}

void CMainFrame::SwapInformationCommand(bool disc)
{
    QAction *file = m_actions.at(fc::kFileInformation);
    QAction *discInfo = m_actions.at(fc::kDiscInformation);
    file->setVisible(!disc);
    discInfo->setVisible(disc);
    // Ctrl+I belongs to the one on show.
    file->setShortcut(disc ? QKeySequence() : QKeySequence(QStringLiteral("Ctrl+I")));
    discInfo->setShortcut(disc ? QKeySequence(QStringLiteral("Ctrl+I")) : QKeySequence());
}

void CMainFrame::OnOpenCdImage()
{
    m_doc.m_bModalOpen = true;
    const std::string folder = m_doc.cdimages.empty()
                                   ? m_doc.m_strPlaylistDir
                                   : std::filesystem::path(m_doc.cdimages.back()).parent_path().string();
    const std::string path = m_fileDialogs->OpenCdImageFile(folder);
    m_doc.m_bModalOpen = false;
    if (!path.empty())
        OpenCdImage(path, 0);
}

void CMainFrame::OnDiscInformation()
{
    ShowDiscInfo(CurrentCdDrive());
}

void CMainFrame::OnQueryFreedb()
{
    QueryFreedb(CurrentCdDrive());
}

CFreedbDialog::Account CMainFrame::FreedbAccountNow() const
{
    if (!m_options.registry)
        return {};
    return {CPlayerSettings::ReadFreedbServer(*m_options.registry), CPlayerSettings::ReadFreedbEmail(*m_options.registry)};
}

bool CMainFrame::ShowDiscInfo(int drive)
{
    CCdPlayback &cd = m_core.Cd();
    if (drive < 0 || drive >= cd.DriveCount())
        return false;
    CModalDialogGuard guard(m_doc);
    CDiscInfoSheet::Links links;
    links.messageBox = m_options.messageBox;
    links.drives = &cd.Discs().Drives();
    links.account = FreedbAccountNow();
    links.x = &m_nDiscInfoX;
    links.y = &m_nDiscInfoY;
    CDiscInfoSheet sheet(cd.Record(drive), links, this);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    if (!cd.SaveEdited(drive, sheet.Record()))
        return false;
    UpdateCommandStates();
    return drive == CurrentCdDrive();
}

bool CMainFrame::QueryFreedb(int drive)
{
    CCdPlayback &cd = m_core.Cd();
    if (drive < 0 || drive >= cd.DriveCount() || cd.Record(drive).m_nDiscId == 0)
        return false;
    CModalDialogGuard guard(m_doc);
    CFreedbDialog freedb(FreedbAccountNow(), m_options.messageBox, this);
    CDiscRecord copy = cd.Record(drive);
    if (!freedb.Query(copy) || cd.Record(drive).m_nDiscId != copy.m_nDiscId)
        return false;
    cd.SetRecord(drive, copy);
    return true;
}

int CMainFrame::ExtractDrive() const
{
    const CCdPlayback &cd = m_core.Cd();
    const int current = CurrentCdDrive();
    if (current >= 0)
        return cd.Record(current).m_nDiscId != 0 ? current : -1;
    for (int drive = 0; drive < cd.DriveCount(); ++drive)
        if (cd.Record(drive).m_nDiscId != 0)
            return drive;
    return -1;
}

void CMainFrame::OnExtractAudio()
{
    ExtractAudio(ExtractDrive());
}

bool CMainFrame::ExtractAudio(int drive)
{
    CCdPlayback &cd = m_core.Cd();
    if (drive < 0 || drive >= cd.DriveCount() || cd.Record(drive).m_nDiscId == 0)
        return false;
    CModalDialogGuard guard(m_doc);
    // Loaded for this command only; unloaded when it ends, whatever happened.
    CEncoderHost encoders;
    encoders.Discover(m_options.programFolder + "/" MV_ENCODER_FOLDER);
    CExtractDialog choice(cd.Record(drive), encoders,
                          {m_doc.extractdir, m_doc.extractadd != 0, m_doc.extractenc}, this);
    if (choice.exec() != QDialog::Accepted)
        return false;
    const CExtractDialog::Choices chosen = choice.Chosen();
    m_doc.extractadd = chosen.addToPlaylist ? 1 : 0;
    m_doc.extractdir = chosen.folder;
    m_doc.extractenc = chosen.encoder;
    if (drive >= cd.DriveCount() || choice.Record().m_nDiscId != cd.Record(drive).m_nDiscId)
        return false; // the disc changed while the dialog was open
    m_core.Engine().StopPlayback();
    EncoderBinding binding;
    const int encoder = choice.EncoderIndex();
    if (encoder >= 0)
        encoders.Bind(encoder, binding); // a plug-in lacking an export is refused by the worker
    CExtractProgressDialog progress(cd.Discs().Drives(), choice.Record(), chosen.folder,
                                    encoder >= 0 ? &binding : nullptr,
                                    [this](const std::string &path) {
                                        if (m_doc.extractadd)
                                            AppendFile(path);
                                    },
                                    this);
    progress.exec();
    UpdateCommandStates();
    return progress.Result() == CExtractWorker::Outcome::kDone;
}

void CMainFrame::ShowHidden()
{
    if (!isVisible() && !isMinimized())
        ToggleShowHide();
}

void CMainFrame::OpenCdTrack(char driveLetter, int track)
{
    const int drive = m_core.Cd().DriveIndex(driveLetter);
    if (drive >= 0 && track > 0 && track < 100)
        m_view->PlayCdTrack(drive, track);
}

void CMainFrame::OpenCdDevice(const std::string &device)
{
    const int drive = m_core.Cd().DriveIndexOfDevice(device);
    if (drive < 0)
        return;
    const CCdListCtrl *list = m_view->CdList(drive);
    if (!list || list->RowCount() == 0 || !m_view->PlayCdTrack(drive, list->TrackNumber(0)))
        m_view->ShowTab(drive + 1);
}

void CMainFrame::OpenCdImage(const std::string &path, int track)
{
    const int drive = m_core.OpenCdImage(path);
    if (drive < 0)
        return;
    if (track > 0 && track < 100 && m_view->PlayCdTrack(drive, track))
        return;
    m_view->ShowTab(drive + 1);
}

void CMainFrame::AppendFile(const std::string &path)
{
    const int before = m_doc.EntryCount();
    if (m_doc.AddFiles({path}) == 0)
        return;
    if (m_doc.State().SelectedCount() == 0)
        m_doc.SelectOnly(before);
    m_view->ListControl()->scrollToBottom();
}

void CMainFrame::OpenFile(const std::string &path, bool isPlaylist)
{
    m_doc.OpenFromCommandLine(path, isPlaylist, 0, 0);
}

void CMainFrame::ToggleShowHide()
{
    if (!isVisible() || isMinimized()) {
        if (!isVisible())
            show();
        if (isMinimized())
            showNormal();
        raise();
        activateWindow();
    } else if (m_doc.minimizetray && QSystemTrayIcon::isSystemTrayAvailable()) {
        AddTrayIcon();
        hide();
    } else {
        showMinimized();
    }
    m_bStartedHidden = false;
    UpdateCommandStates();
}

// --- keyboard hook --------------------------------------------------------------------------------

void CMainFrame::LoadKeyHook()
{
    const std::string path = m_options.programFolder + "/mv_hook.so";
    MvInstallHookFn install = nullptr;
    if (m_hookLibrary.Load(path) && m_hookLibrary.Resolve("InstallHook", install) && install() != 0) {
        m_bHookInstalled = true;
        return;
    }
    m_doc.keyhook = 0;
    FreeKeyHook();
}

void CMainFrame::FreeKeyHook()
{
    if (m_bHookInstalled) {
        MvRemoveHookFn remove = nullptr;
        if (m_hookLibrary.Resolve("RemoveHook", remove))
            remove();
        m_bHookInstalled = false;
    }
    m_hookLibrary.Unload();
}

// --- tray -----------------------------------------------------------------------------------------

void CMainFrame::AddTrayIcon()
{
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(CAppIcon::Icon(), this);
        m_trayMenu = std::make_unique<QMenu>();
        m_tray->setContextMenu(m_trayMenu.get());
        connect(m_trayMenu.get(), &QMenu::aboutToShow, this, [this] { TrayMenu(); });
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            OnTrayActivated(reason);
        });
        TrayMenu();
    }
    m_tray->show();
    m_bTrayShown = true;
    m_strTip.clear();
    UpdateTray();
}

void CMainFrame::OnTrayOptionChanged()
{
    if (m_doc.minimizetray) {
        AddTrayIcon();
        return;
    }
    // Without the icon a window hidden to the tray could not be brought back.
    if (!isVisible())
        ShowHidden();
    if (m_tray)
        m_tray->hide();
    m_bTrayShown = false;
}

void CMainFrame::OnTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (m_doc.m_bModalOpen)
        return;
    if (reason == QSystemTrayIcon::Trigger)
        m_clicks.OnButtonDown();
    else if (reason == QSystemTrayIcon::DoubleClick)
        m_clicks.OnDoubleClick();
}

void CMainFrame::OnTrayTimer()
{
    const int action = m_clicks.OnTimerExpired({m_doc.click1, m_doc.click2, m_doc.click3, m_doc.click4});
    if (action != CTrayClickCounter::kStillWaiting)
        RunTrayAction(action);
}

void CMainFrame::RunTrayAction(int action)
{
    switch (action) {
    case CTrayClickCounter::kActionPlayPause: PlayPause(); break;
    case CTrayClickCounter::kActionStop: Execute(cmd::kStop); break;
    case CTrayClickCounter::kActionPrevious: Execute(cmd::kPreviousTrack); break;
    case CTrayClickCounter::kActionNext: Execute(cmd::kNextTrack); break;
    case CTrayClickCounter::kActionShowHide: Execute(fc::kShowHide); break;
    case CTrayClickCounter::kActionInformation:
        Execute(CurrentCdDrive() >= 0 ? fc::kDiscInformation : fc::kFileInformation);
        break;
    default: break;
    }
}

QMenu *CMainFrame::TrayMenu()
{
    if (!m_trayMenu)
        m_trayMenu = std::make_unique<QMenu>();
    QMenu &menu = *m_trayMenu;
    // clear() drops the actions but not the submenus it made; they would pile up with every open.
    qDeleteAll(menu.findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly));
    menu.clear();
    UpdateCommandStates();
    CPlaybackEngine &engine = m_core.Engine();
    const bool playing = engine.IsPlaying();
    for (int id : {cmd::kPlay, cmd::kPause, cmd::kStop, cmd::kPreviousTrack, cmd::kNextTrack})
        menu.addAction(m_actions.at(id));
    menu.addSeparator();

    QMenu *playlist = menu.addMenu(QStringLiteral("Playlist"));
    const int count = m_doc.EntryCount();
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->availableGeometry().height() : 768;
    const int itemHeight = std::max(1, playlist->fontMetrics().height() + 6);
    const int current = playing && m_doc.State().m_nPlaying >= 0 ? m_doc.State().m_nPlaying : m_doc.State().m_nCurrent;
    const auto &items = m_trayPlaylist.Build(
        count, current, CTrayPlaylistMenu::FittingItems(screenHeight, 4, itemHeight),
        [this](int i) { return m_doc.GetEntry(i); }, true);
    for (const CTrayPlaylistMenu::Item &item : items) {
        QString text = QString::fromStdString(item.text);
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        QAction *action = playlist->addAction(text);
        action->setCheckable(item.checked);
        action->setChecked(item.checked && playing && item.index == m_doc.State().m_nPlaying);
        const int id = item.command;
        connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    }
    playlist->setEnabled(count > 0);
    QMenu *visuals = menu.addMenu(QStringLiteral("Visuals"));
    for (int slot = 0; slot < m_visuals->Count(); ++slot)
        visuals->addAction(m_actions.at(fc::kFirstVisual + slot));
    if (m_visuals->Count() == 0) {
        visuals->addAction(QStringLiteral("None found"))->setEnabled(false);
        visuals->setEnabled(false);
    }
    AddCdDriveMenus(menu);
    menu.addSeparator();
    if (CurrentCdDrive() >= 0)
        menu.addAction(m_actions.at(fc::kDiscInformation));
    menu.addAction(m_actions.at(fc::kFileInformation));
    menu.addAction(m_actions.at(fc::kOptions));
    menu.addAction(m_actions.at(fc::kShowHide));
    menu.addSeparator();
    menu.addAction(m_actions.at(fc::kExit));

    int defaultId = 0;
    switch (m_doc.click2) {
    case 1: defaultId = playing && !engine.IsPaused() ? cmd::kPause : cmd::kPlay; break;
    case 2: defaultId = cmd::kStop; break;
    case 3: defaultId = cmd::kPreviousTrack; break;
    case 4: defaultId = cmd::kNextTrack; break;
    case 5: defaultId = fc::kShowHide; break;
    case 6: defaultId = fc::kFileInformation; break;
    default: break;
    }
    menu.setDefaultAction(defaultId ? m_actions.at(defaultId) : nullptr);
    return &menu;
}

void CMainFrame::AddCdDriveMenus(QMenu &menu)
{
    const CCdPlayback &cd = m_core.Cd();
    for (int d = 0; d < cd.DriveCount(); ++d) {
        QMenu *drive = menu.addMenu(QStringLiteral("Drive %1:").arg(QLatin1Char(cd.DriveLetter(d))));
        const CDiscRecord &record = cd.Record(d);
        const bool playingHere = m_core.Engine().IsPlaying() && cd.PlayingDrive() == cd.DriveLetter(d);
        int items = 0;
        for (int t = 1; t <= 99; ++t) {
            const int length = record.m_nLength[static_cast<std::size_t>(t)];
            if (length <= 0)
                continue;
            QString text = QString::fromStdString(CTrayPlaylistMenu::CdTrackText(
                t, length, record.m_strArtist, record.m_strTitle[static_cast<std::size_t>(t)], true));
            text.replace(QLatin1Char('\t'), QLatin1Char(' '));
            QAction *action = drive->addAction(text);
            action->setCheckable(true);
            action->setChecked(playingHere && cd.PlayingTrack() == t);
            const int id = CTrayPlaylistMenu::CdTrackCommand(d + 1, t);
            connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
            ++items;
        }
        drive->setEnabled(items > 0);
    }
}

void CMainFrame::UpdateTray()
{
    if (!m_tray || !m_bTrayShown)
        return;
    CPlaybackEngine &engine = m_core.Engine();
    CTrayTipText::Input input;
    const CPlaylistEntry &entry = engine.CurrentEntry();
    input.valid = engine.IsPlaying() && !entry.m_strPath.empty();
    input.state = !engine.IsPlaying() ? CTrayTipText::State::Stopped
                  : engine.IsPaused() ? CTrayTipText::State::Paused
                                      : CTrayTipText::State::Playing;
    input.elapsedSeconds = static_cast<int>(engine.ElapsedMs() / 1000);
    input.lengthSeconds = entry.m_nDuration;
    input.artist = entry.m_strArtist;
    input.title = entry.m_strTitle;
    if (entry.m_nType == kTypeCdTrack && input.title.empty())
        input.title = "Track " + entry.m_strPath;
    const std::string tip = CTrayTipText::Build(input, CTrayTipText::kLargeTip);
    if (tip != m_strTip) {
        m_strTip = tip;
        m_tray->setToolTip(QString::fromStdString(tip));
    }
}

QString CMainFrame::SummaryText() const
{
    return m_summary->text();
}

// --- the media-player service ---------------------------------------------------------------------

IMprisPlayer::Status CMainFrame::PlaybackStatus()
{
    return m_core.PlaybackStatus();
}

IMprisPlayer::Track CMainFrame::CurrentTrack()
{
    return m_core.CurrentTrack();
}

std::int64_t CMainFrame::PositionUs()
{
    return m_core.PositionUs();
}

double CMainFrame::Volume()
{
    return m_core.Volume();
}

bool CMainFrame::CanGoNext() { return ListOnShowCount() > 0; }
bool CMainFrame::CanGoPrevious() { return ListOnShowCount() > 0; }
bool CMainFrame::CanPlay() { return ListOnShowCount() > 0; }

int CMainFrame::ListOnShowCount() const
{
    const CCdListCtrl *list = m_view->CurrentCdList();
    return list ? list->RowCount() : m_doc.EntryCount();
}
bool CMainFrame::CanSeek() { return m_core.Engine().IsPlaying(); }

void CMainFrame::Play()
{
    Execute(m_core.Engine().IsPaused() ? cmd::kPause : cmd::kPlay);
}

void CMainFrame::Pause()
{
    if (m_core.Engine().IsPlaying() && !m_core.Engine().IsPaused())
        Execute(cmd::kPause);
}

void CMainFrame::PlayPause()
{
    Execute(m_core.Engine().IsPlaying() ? cmd::kPause : cmd::kPlay);
}

void CMainFrame::Stop() { Execute(cmd::kStop); }
void CMainFrame::Next() { Execute(cmd::kNextTrack); }
void CMainFrame::Previous() { Execute(cmd::kPreviousTrack); }

void CMainFrame::SeekTo(std::int64_t positionUs)
{
    m_core.SeekTo(positionUs);
}

void CMainFrame::SetVolume(double volume)
{
    m_core.SetVolume(volume);
}

void CMainFrame::OpenFile(const std::string &path)
{
    OpenFile(path, false);
}

void CMainFrame::Raise()
{
    ShowHidden();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void CMainFrame::Quit()
{
    // After the reply to the caller has gone out.
    QTimer::singleShot(0, this, [this] { Execute(fc::kExit); });
}

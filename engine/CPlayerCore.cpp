#include "engine/CPlayerCore.h"

#include "core/CMessageBox.h"
#include "cd/CCdioDevice.h"
#include "engine/ICdTabs.h"
#include "engine/ICdTrackList.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTrackInfoIdentifier.h"
#include "platform/bass/bass.h"

#include <QEvent>

#include <algorithm>
#include <cmath>

CPlayerCore::CPlayerCore(const Services &services)
    : m_doc(*services.doc), m_messageBox(*services.messageBox), m_services(services), m_gapless(*services.doc),
      m_cd(std::make_unique<CCdPlayback>(
          *services.doc,
          CCdDriveList(services.findCdDrives ? CCdDriveList::FindDevices() : std::vector<std::string>{},
                       services.doc->cdimages),
          CCdDiscs::Folders{services.programFolder.empty() ? std::string() : services.programFolder + "/",
                            services.doc->DataFolder(),
                            services.configFolder.empty() ? std::string() : services.configFolder + "/"})),
      m_decoder(&m_gapless, m_cd.get()), m_equalizer(*services.doc), m_timer(*this)
{
    PlaybackEngineLinks links;
    links.doc = &m_doc;
    links.decoder = &m_decoder;
    links.messageBox = &m_messageBox;
    links.clock = services.clock ? services.clock : &m_steadyClock;
    links.counter = &m_detached;
    links.positionBar = &m_detached;
    links.meter = &m_detached;
    links.status = &m_detached;
    links.volumeSlider = &m_detached;
    links.equalizer = &m_equalizer;
    links.screenSaver = services.screenSaver;
    links.visuals = &m_detached;
    links.timed = this;
    links.gapless = &m_gapless;
    links.cd = m_cd.get();
    m_engine = std::make_unique<CPlaybackEngine>(links, services.initAudio);
    m_order = std::make_unique<CPlayOrder>(m_doc, *m_engine);
    m_engine->SetPlayOrder(m_order.get());
    m_engine->SetTickPace(&m_timer);
    m_transport = std::make_unique<CTransportCommands>(*m_order, *m_engine, *this, m_doc);
    m_timed = std::make_unique<CTimedPlayback>(m_doc, *m_engine, *m_engine, *m_order, services.wallClock);
    m_equalizer.SetChannelSource([this]() -> std::uint32_t {
        return m_engine->MusicHandle() ? m_engine->MusicHandle() : m_engine->StreamHandle();
    });

    m_tagWriter = std::make_unique<CDeferredTagWriter>(*m_engine, &m_decoder.WmaBinding());
    m_decoder.m_onFileClosed = [this](const std::string &path) { m_tagWriter->FileClosed(path); };

    m_cd->SetListener([this](int drive) { OnCdDriveChanged(drive); });
    connect(&m_doc, &CPlayerDoc::playEntryRequested, this, [this](int index) { PlayIndex(index); });
    connect(&m_doc, &CPlayerDoc::playlistEmptied, this, [this] { m_engine->ShowEntry(CPlaylistEntry()); });
}

CPlayerCore::~CPlayerCore()
{
    ShutDown();
    m_decoder.m_onFileClosed = nullptr; // the writer goes first
}

void CPlayerCore::AttachDisplays(const Displays &displays)
{
    m_engine->SetDisplays(*displays.counter, *displays.positionBar, *displays.meter, *displays.volumeSlider,
                          *displays.status);
}

void CPlayerCore::DetachDisplays()
{
    m_engine->SetDisplays(m_detached, m_detached, m_detached, m_detached, m_detached);
}

void CPlayerCore::AttachVisualHost(IVisualHost *visuals)
{
    m_engine->SetVisualHost(visuals ? *visuals : m_detached);
}

void CPlayerCore::OpenOutput()
{
    m_engine->InitAudio();
}

void CPlayerCore::SelectRow(int row)
{
    if (row < 0 || row >= m_doc.EntryCount())
        return;
    m_doc.SelectOnly(row);
}

void CPlayerCore::ApplyStartRequest(const CStartRequest &request)
{
    m_gapless.Refresh();
    if (!m_services.programFolder.empty() && m_decoder.OfferWmaPlugin(m_services.programFolder)) {
        m_bWmaAvailable = true;
        if (m_services.identifier)
            m_services.identifier->SetWmaBinding(&m_decoder.WmaBinding());
    }

    switch (request.kind) {
    case CStartRequest::Kind::Resume:
    case CStartRequest::Kind::Cd:
        m_doc.LoadPlaylist();
        m_doc.RebuildRows();
        if (ApplyCdStart(request)) {
            if (request.kind == CStartRequest::Kind::Resume && request.autoPlay && m_doc.lastduration != 0)
                m_engine->SetFadeIn(kResumeFadeTicks);
        } else if (request.kind == CStartRequest::Kind::Resume && m_doc.lastpos != 0 && m_doc.lasttab == 0) {
            if (m_doc.lastindex >= 0 && m_doc.lastindex < m_doc.EntryCount())
                SelectRow(m_doc.lastindex);
            if (request.autoPlay && m_doc.lastduration != 0)
                m_engine->SetFadeIn(kResumeFadeTicks);
        }
        break;
    case CStartRequest::Kind::Playlist:
        m_doc.m_strPlaylistDir = request.playlistFolder;
        m_doc.m_strPlaylistName = request.playlistName;
        m_doc.LoadPlaylist();
        m_doc.RebuildRows();
        break;
    case CStartRequest::Kind::AddFile:
    case CStartRequest::Kind::PlayFile:
        // The file joins the current playlist, which is loaded first: a list of just this file would
        // be saved over the user's playlist at exit.
        m_doc.LoadPlaylist();
        m_doc.RebuildRows();
        if (m_doc.AddFiles({request.path}) > 0)
            SelectRow(m_doc.EntryCount() - 1);
        break;
    }
    if (!request.alsoAdd.empty())
        m_doc.AddFiles(request.alsoAdd);
}

bool CPlayerCore::Begin(const CStartRequest &request)
{
    const IClock &clock = m_services.clock ? *m_services.clock : m_steadyClock;
    if (clock.Frequency() == 0) {
        m_messageBox.Show(kNoCounterMessage);
        return false;
    }
    if (m_services.startMainTimer && !m_timer.StartMainTimer()) {
        m_messageBox.Show(kNoTimerMessage);
        return false;
    }
    if (BASS_GetVersion() < kMinimumLibraryVersion) {
        m_messageBox.Show(kOldLibraryMessage);
        return false;
    }
    // A "-cd" start asks for a CD track: without its drive (or track) there is nothing to play, and
    // the playlist's cursor entry is not what was asked for.
    if (request.autoPlay && (request.kind != CStartRequest::Kind::Cd || m_bCdStartReady)) {
        m_engine->Play();
        if (m_engine->FadeIn() != 0)
            m_engine->SetPosition(m_doc.lastduration, 0);
    }
    m_engine->SetInitialised(true);
    m_bInitialised = true;
    return true;
}

void CPlayerCore::OnCdDriveChanged(int drive)
{
    const char playing = m_cd->PlayingDrive();
    if (drive >= 0 && playing != 0 && playing == m_cd->DriveLetter(drive)) {
        const CDiscRecord &record = m_cd->Record(drive);
        const int track = m_cd->PlayingTrack();
        // The disc was taken out (or another one put in without that track): its reads would fail.
        if (record.m_nDiscId == 0 || track <= 0 || track >= CDiscRecord::kSlots ||
            record.m_nLength[static_cast<std::size_t>(track)] <= 0) {
            m_engine->StopPlayback();
            m_engine->CloseChannel();
            emit playingRowChanged();
        }
    }
    emit cdDriveChanged(drive);
}

bool CPlayerCore::ApplyCdStart(const CStartRequest &request)
{
    if (!m_pCdTabs)
        return false;
    if (request.kind == CStartRequest::Kind::Cd) {
        int drive = -1;
        if (!request.cdImage.empty())
            drive = OpenCdImage(request.cdImage);
        else if (!request.cdDevice.empty())
            drive = m_cd->DriveIndexOfDevice(request.cdDevice);
        else if (request.driveLetter != 0)
            drive = m_cd->DriveIndex(request.driveLetter);
        m_bCdStartReady = drive >= 0 && m_pCdTabs->ShowCdTrack(drive, request.track, false);
        return m_bCdStartReady;
    }
    // The resume of a CD track: the same disc must be in the same drive, with that track.
    if (m_doc.lastpos == 0 || m_doc.lasttab == 0)
        return false;
    const int drive = static_cast<int>(m_doc.lasttab) - 1;
    const int track = static_cast<int>(m_doc.lastindex);
    if (drive < 0 || drive >= m_cd->DriveCount() || track < 0 || track > 99)
        return false;
    const CDiscRecord &record = m_cd->Record(drive);
    if (record.m_nDiscId == 0 || record.m_nDiscId != m_doc.lastdisc || track == 0 ||
        record.m_nLength[static_cast<std::size_t>(track)] <= 0)
        return false;
    return m_pCdTabs->ShowCdTrack(drive, track, true);
}

int CPlayerCore::OpenCdImage(const std::string &path)
{
    if (m_cd->PlayingDrive() != 0) {
        m_engine->StopPlayback();
        m_engine->CloseChannel();
    }
    auto report = [this, &path](const std::string &why) {
        std::string text = kCdImageMessage;
        text.replace(text.find("%s"), 2, path);
        text.replace(text.find("%s"), 2, why);
        m_messageBox.Show(text);
    };
    const int drive = m_cd->OpenImage(path);
    if (drive < 0) {
        report("cannot be added: every drive letter is taken");
        return -1;
    }
    const CDiscRecord &record = m_cd->Record(drive);
    if (record.m_nDiscId == 0) {
        const std::string why = CCdioDevice::DescribeImageFailure(path);
        m_cd->RemoveImage(drive); // no dead drive is kept for it
        report(why);
        return -1;
    }
    // libcdio ends a CUE sheet's disc where its data file ends, even before the last track's start.
    std::int32_t end = 0;
    for (int i = 0; i <= std::clamp(record.m_nTocTracks, 0, 100); ++i)
        end = std::max(end, record.m_nOffset[static_cast<std::size_t>(i)]);
    const std::string shortImage = CCdioDevice::DescribeShortImage(path, static_cast<std::uint32_t>(end));
    if (!shortImage.empty())
        report(shortImage);
    return drive;
}

void CPlayerCore::PlayIndex(int index)
{
    if (index < 0 || index >= m_doc.EntryCount())
        return;
    // A chosen row starts afresh: a paused entry would only resume, and what was set for the track
    // that played (Stop at Track End) ends with it.
    if (m_engine->IsPlaying())
        m_engine->StopPlayback();
    SelectRow(index);
    m_engine->Play();
    emit playingRowChanged();
}

void CPlayerCore::RestartOutput()
{
    const bool playing = m_engine->IsPlaying();
    const int row = m_doc.State().m_nPlaying;
    const int seconds = static_cast<int>(m_engine->ElapsedMs() / 1000);
    const bool paused = m_engine->IsPaused();
    m_engine->RestartOutput();
    if (!playing || row < 0)
        return;
    PlayIndex(row);
    if (seconds > 0)
        m_engine->SetPosition(seconds, 0);
    if (paused)
        m_engine->TogglePause();
}

void CPlayerCore::TimedCheck()
{
    m_timed->TimedCheck();
}

void CPlayerCore::OnTick()
{
    const int playing = m_doc.State().m_nPlaying;
    m_engine->OnTick(m_timer.TicksElapsed());
    m_tagWriter->Flush();
    if (playing != m_doc.State().m_nPlaying)
        emit playingRowChanged();
    emit tickDone();
}

bool CPlayerCore::event(QEvent *event)
{
    if (event->type() == static_cast<QEvent::Type>(CMainTimer::kTickEventType)) {
        if (!m_bShutDown)
            OnTick();
        m_timer.SetPace(m_bShutDown ? ETickPace::Idle : m_engine->NeededPace());
        m_timer.TickDone();
        return true;
    }
    return QObject::event(event);
}

void CPlayerCore::ShutDown()
{
    if (m_bShutDown)
        return;
    m_bShutDown = true;
    m_timer.StopMainTimer();
    ICdTrackList *cdTab = m_order->CdTabOnShow();
    const char cdDrive = m_cd->PlayingDrive();
    if (m_engine->IsPlaying() && cdDrive != 0 && m_cd->DriveIndex(cdDrive) >= 0) {
        const int drive = m_cd->DriveIndex(cdDrive);
        m_doc.lastduration = std::max(0, static_cast<int>(m_engine->ElapsedMs() / 1000));
        m_doc.lastindex = m_cd->PlayingTrack();
        m_doc.lasttab = drive + 1;
        m_doc.lastdisc = m_cd->Record(drive).m_nDiscId;
    } else if (m_engine->IsPlaying()) {
        m_doc.lastduration = std::max(0, static_cast<int>(m_engine->ElapsedMs() / 1000));
        m_doc.lastindex = std::max(0, m_doc.State().m_nPlaying);
        m_doc.lasttab = 0;
    } else if (cdTab && cdTab->FirstSelectedRow() >= 0 && m_cd->DriveIndex(cdTab->DriveLetter()) >= 0) {
        const int drive = m_cd->DriveIndex(cdTab->DriveLetter());
        m_doc.lastindex = cdTab->TrackNumber(cdTab->FirstSelectedRow());
        m_doc.lasttab = drive + 1;
        m_doc.lastdisc = m_cd->Record(drive).m_nDiscId;
    } else {
        m_doc.lastindex = std::max(0, m_doc.State().m_nCurrent);
        m_doc.lasttab = 0;
    }
    m_engine->ShutDown(); // closes the playing file: tags kept back for it are written now
    m_tagWriter->Flush();
    m_decoder.FreeWmaPlugin();
    if (m_services.identifier)
        m_services.identifier->SetWmaBinding(nullptr);
}

IMprisPlayer::Status CPlayerCore::PlaybackStatus() const
{
    if (!m_engine->IsPlaying())
        return IMprisPlayer::Status::Stopped;
    return m_engine->IsPaused() ? IMprisPlayer::Status::Paused : IMprisPlayer::Status::Playing;
}

IMprisPlayer::Track CPlayerCore::CurrentTrack() const
{
    IMprisPlayer::Track track;
    CPlaylistEntry entry;
    int row = -1;
    if (m_engine->IsPlaying()) {
        entry = m_engine->CurrentEntry();
        row = m_doc.State().m_nPlaying;
    } else if (m_doc.GetEntry(m_doc.State().m_nCurrent, entry)) {
        row = m_doc.State().m_nCurrent;
    } else {
        return track;
    }
    track.valid = true;
    track.row = std::max(0, row);
    if (m_engine->IsPlaying() && m_engine->PlayingCdDrive() != 0) {
        // A CD track has no file: it is named by its drive and number.
        track.cdDrive = m_cd->DriveIndex(m_engine->PlayingCdDrive()) + 1;
        track.row = m_engine->PlayingCdTrack();
        entry.m_strPath.clear();
    }
    track.title = entry.m_strTitle;
    track.artist = entry.m_strArtist;
    track.album = entry.m_strAlbum;
    track.lengthUs = static_cast<std::int64_t>(entry.m_nDuration) * 1000000;
    track.path = entry.m_strPath;
    return track;
}

std::int64_t CPlayerCore::PositionUs() const
{
    return static_cast<std::int64_t>(m_engine->ElapsedMs()) * 1000;
}

double CPlayerCore::Volume() const
{
    return m_engine->VolumeSliderPosition() / 100.0;
}

void CPlayerCore::SeekTo(std::int64_t positionUs)
{
    if (m_engine->IsPlaying())
        m_engine->SetPosition(static_cast<int>(positionUs / 1000000), 0);
}

void CPlayerCore::SetVolume(double volume)
{
    m_engine->SetVolumeSliderPosition(static_cast<int>(std::lround(volume * 100.0)));
}

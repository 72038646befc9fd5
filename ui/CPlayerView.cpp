#include "ui/CPlayerView.h"

#include "ui/CEqualizerDlg.h"
#include "core/CMessageBox.h"
#include "engine/ICounterDisplay.h"
#include "engine/ILevelMeter.h"
#include "engine/IPositionBar.h"
#include "engine/IVolumeSlider.h"
#include "ui/CLevelMeter.h"
#include "ui/CPositionBar.h"
#include "ui/CStatusTextFormat.h"
#include "ui/CTimeCounter.h"
#include "ui/CToolTipSlider.h"
#include "ui/CTrayTipText.h"
#include "ui/CPlaylistCtrl.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTrackInfoIdentifier.h"
#include "platform/bass/bass.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

struct CPlayerView::Displays {
    CTimeCounter *counter = nullptr;
    CPositionBar *position = nullptr;
    CLevelMeter *meter = nullptr;
    CToolTipSlider *volume = nullptr;
    CPlaylistCtrl *list = nullptr;
};

CPlayerView::CPlayerView(const Services &services, QWidget *parent)
    : QWidget(parent), m_doc(*services.doc), m_messageBox(*services.messageBox), m_services(services),
      m_gapless(*services.doc), m_decoder(&m_gapless, nullptr), m_displays(std::make_unique<Displays>()),
      m_equalizer(*services.doc), m_timer(*this)
{
    BuildDisplays();

    PlaybackEngineLinks links;
    links.doc = &m_doc;
    links.decoder = &m_decoder;
    links.messageBox = &m_messageBox;
    links.clock = &m_clock;
    links.counter = m_displays->counter;
    links.positionBar = m_displays->position;
    links.meter = m_displays->meter;
    links.status = this;
    links.volumeSlider = m_displays->volume;
    links.equalizer = &m_equalizer;
    links.screenSaver = services.screenSaver;
    links.visuals = this;
    links.timed = this;
    links.gapless = &m_gapless;
    m_engine = std::make_unique<CPlaybackEngine>(links, services.initAudio);
    m_order = std::make_unique<CPlayOrder>(m_doc, *m_engine);
    m_engine->SetPlayOrder(m_order.get());
    m_transport = std::make_unique<CTransportCommands>(*m_order, *m_engine, *this, m_doc);
    m_timed = std::make_unique<CTimedPlayback>(m_doc, *m_engine, *m_engine, *m_order, services.wallClock);
    m_equalizer.SetChannelSource([this]() -> std::uint32_t {
        return m_engine->MusicHandle() ? m_engine->MusicHandle() : m_engine->StreamHandle();
    });
    m_eqDlg = std::make_unique<CEqualizerDlg>(m_doc, m_equalizer, this);

    connect(&m_doc, &CPlayerDoc::totalsChanged, this, [this] { UpdateStatusText(); });
    connect(&m_doc, &CPlayerDoc::playEntryRequested, this, [this](int index) { PlayIndex(index); });
    connect(&m_doc, &CPlayerDoc::captionChanged, this,
            [this] { emit titleChanged(QString::fromStdString(CTrayTipText::WindowTitle(ComposedTitle()))); });
}

CPlayerView::~CPlayerView()
{
    ShutDown();
}

void CPlayerView::BuildDisplays()
{
    Displays &d = *m_displays;
    d.counter = new CTimeCounter;
    d.counter->ApplySettings(m_doc);
    d.position = new CPositionBar;
    d.position->AttachCounter(d.counter);
    d.meter = new CLevelMeter;
    d.meter->SetColours(m_doc.meter1, m_doc.meter2);
    d.meter->SetMeterEnabled(m_doc.enablemeter != 0);
    d.volume = new CToolTipSlider(CToolTipSlider::kVolume);
    d.volume->setMaximumWidth(120);
    d.list = new CPlaylistCtrl(m_doc, m_messageBox);
    connect(d.list, &CPlaylistCtrl::playRequested, this, [this](int row) { PlayIndex(row); });
    connect(d.list, &CPlaylistCtrl::currentEntryChosen, this,
            [this](int row) { m_engine->ShowEntry(m_doc.GetEntry(row)); });
    connect(&m_doc, &CPlayerDoc::playlistEmptied, this, [this] { m_engine->ShowEntry(CPlaylistEntry()); });
    connect(d.position, &CPositionBar::seekRequested, this, [this](int seconds) {
        if (m_engine->IsPlaying())
            m_engine->SetPosition(seconds, 0);
    });

    auto *top = new QHBoxLayout;
    auto *middle = new QVBoxLayout;
    middle->addWidget(d.meter, 1);
    middle->addWidget(d.position);
    top->addWidget(d.counter);
    top->addLayout(middle, 1);
    top->addWidget(d.volume);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(d.list, 1);
}

CPlaylistCtrl *CPlayerView::ListControl() const
{
    return m_displays->list;
}

void CPlayerView::SelectRow(int row)
{
    if (row < 0 || row >= m_doc.EntryCount())
        return;
    m_doc.SelectOnly(row);
}

bool CPlayerView::InitialUpdate(const CStartRequest &request)
{
    m_engine->InitAudio();
    m_eqDlg->Initialise();
    m_gapless.Refresh();
    if (!m_services.programFolder.empty() && m_decoder.LoadWmaPlugin(m_services.programFolder)) {
        m_bWmaAvailable = true;
        m_displays->list->Editor().SetWmaAvailable(true);
        if (m_services.identifier)
            m_services.identifier->SetWmaBinding(&m_decoder.WmaBinding());
    }

    ApplyStartRequest(request);
    UpdateStatusText();
    emit titleChanged(QString::fromStdString(CTrayTipText::WindowTitle(ComposedTitle())));

    if (m_clock.Frequency() == 0) {
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
    // A "-cd" start asks for a CD track; with no drive known there is nothing to play, and the
    // playlist's cursor entry is not what was asked for.
    if (request.autoPlay && request.kind != CStartRequest::Kind::Cd) {
        m_engine->Play();
        if (m_engine->FadeIn() != 0)
            m_engine->SetPosition(m_doc.lastduration, 0);
    }
    m_engine->SetInitialised(true);
    m_bInitialised = true;
    return true;
}

void CPlayerView::ApplyStartRequest(const CStartRequest &request)
{
    switch (request.kind) {
    case CStartRequest::Kind::Resume:
    case CStartRequest::Kind::Cd:
        m_doc.LoadPlaylist();
        m_doc.RebuildRows();
        // No CD drives are known, so only a playlist item can be resumed.
        if (request.kind == CStartRequest::Kind::Resume && m_doc.lastpos != 0 && m_doc.lasttab == 0) {
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

void CPlayerView::PlayIndex(int index)
{
    if (index < 0 || index >= m_doc.EntryCount())
        return;
    if (m_engine->IsPaused())
        m_engine->StopPlayback(); // a paused entry would only resume
    SelectRow(index);
    m_engine->Play();
    m_displays->list->viewport()->update();
}

void CPlayerView::TimedCheck()
{
    m_timed->TimedCheck();
}

void CPlayerView::ToggleEqualizer()
{
    m_eqDlg->ToggleVisible();
}

bool CPlayerView::EqualizerVisible() const
{
    return m_eqDlg->isVisible();
}

void CPlayerView::OnTick()
{
    const int playing = m_doc.State().m_nPlaying;
    m_engine->OnTick();
    if (playing != m_doc.State().m_nPlaying)
        m_displays->list->viewport()->update();
    emit tickDone();
}

bool CPlayerView::event(QEvent *event)
{
    if (event->type() == static_cast<QEvent::Type>(CMainTimer::kTickEventType)) {
        if (!m_bShutDown)
            OnTick();
        m_timer.TickDone();
        return true;
    }
    return QWidget::event(event);
}

void CPlayerView::ShutDown()
{
    if (m_bShutDown)
        return;
    m_bShutDown = true;
    m_timer.StopMainTimer();
    if (m_engine->IsPlaying()) {
        m_doc.lastduration = std::max(0, static_cast<int>(m_engine->ElapsedMs() / 1000));
        m_doc.lastindex = std::max(0, m_doc.State().m_nPlaying);
        m_doc.lasttab = 0;
    } else {
        m_doc.lastindex = std::max(0, m_doc.State().m_nCurrent);
    }
    m_displays->list->SaveColumnLayout();
    m_engine->ShutDown();
    m_eqDlg->SaveState();
    m_eqDlg->hide();
    m_decoder.FreeWmaPlugin();
    if (m_services.identifier)
        m_services.identifier->SetWmaBinding(nullptr);
}

void CPlayerView::UpdateStatusText()
{
    emit statusTextChanged(SummaryText());
}

QString CPlayerView::SummaryText() const
{
    return QString::fromStdString(CStatusTextFormat::Format(m_doc.TotalCount(), m_doc.TotalSize(), m_doc.TotalDuration()));
}

std::string CPlayerView::ComposedTitle() const
{
    return m_doc.m_strPlaylistName.empty() ? std::string() : m_doc.m_strPlaylistName + " - Melvane";
}

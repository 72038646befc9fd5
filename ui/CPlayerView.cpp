#include "ui/CPlayerView.h"

#include "core/CMessageBox.h"
#include "ui/CCdListCtrl.h"
#include "ui/CEqualizerDlg.h"
#include "ui/CFileInfoCommand.h"
#include "ui/CQtFileInfoWindows.h"
#include "ui/CLevelMeter.h"
#include "ui/CPlaylistCtrl.h"
#include "ui/CPositionBar.h"
#include "ui/CStatusTextFormat.h"
#include "ui/CTimeCounter.h"
#include "ui/CToolTipSlider.h"
#include "ui/CTrayTipText.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTrackInfoIdentifier.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

struct CPlayerView::Displays {
    CTimeCounter *counter = nullptr;
    CPositionBar *position = nullptr;
    CLevelMeter *meter = nullptr;
    CToolTipSlider *volume = nullptr;
    CPlaylistCtrl *list = nullptr;
};

CPlayerView::CPlayerView(CPlayerCore &core, CMessageBox &messageBox, QWidget *parent)
    : QWidget(parent), m_core(core), m_doc(core.Doc()), m_messageBox(messageBox),
      m_displays(std::make_unique<Displays>())
{
    BuildDisplays();

    CPlayerCore::Displays displays;
    displays.counter = m_displays->counter;
    displays.positionBar = m_displays->position;
    displays.meter = m_displays->meter;
    displays.volumeSlider = m_displays->volume;
    displays.status = this;
    m_core.AttachDisplays(displays);
    m_eqDlg = std::make_unique<CEqualizerDlg>(m_doc, m_core.Equalizer(), this);
    m_rereader = std::make_unique<CTrackInfoIdentifier>();
    m_infoWindows = std::make_unique<CQtFileInfoWindows>(m_doc, this);
    m_infoCommand = std::make_unique<CFileInfoCommand>(
        m_doc, *m_infoWindows, m_core.TagWriter(), *m_rereader, m_core.Engine(),
        [this](const CPlaylistEntry &entry) { m_core.Engine().EntryEdited(entry); });
    connect(m_displays->list, &CPlaylistCtrl::fileInfoRequested, this, [this](int row) { m_infoCommand->Run(row); });

    connect(&m_doc, &CPlayerDoc::totalsChanged, this, [this] { UpdateStatusText(); });
    connect(&m_doc, &CPlayerDoc::captionChanged, this,
            [this] { emit titleChanged(QString::fromStdString(CTrayTipText::WindowTitle(ComposedTitle()))); });
    connect(m_displays->counter, &CTimeCounter::modeToggled, this, [this](int mode) { m_doc.display = mode; });
    connect(&m_core, &CPlayerCore::playingRowChanged, this, [this] { m_displays->list->viewport()->update(); });
    connect(m_displays->list, &CPlaylistCtrl::fontAndColoursChanged, this, [this] { ApplyListAppearance(); });

    BuildCdTabs();
    connect(&m_core, &CPlayerCore::cdDriveChanged, this, &CPlayerView::OnCdChanged);
    m_core.AttachCdTabs(this);
}

CPlayerView::~CPlayerView()
{
    ShutDown();
    m_core.AttachCdTabs(nullptr);
    m_core.PlayOrder().ShowPlaylistTab();
    m_core.DetachDisplays();
}

// --- CD tabs --------------------------------------------------------------------------------------

void CPlayerView::BuildCdTabs()
{
    const int shown = CurrentCdDrive();
    m_bRebuildingTabs = true;
    m_core.PlayOrder().ShowPlaylistTab();
    m_tabs->setCurrentIndex(0);
    for (CCdListCtrl *list : m_cdLists) {
        m_tabs->removeTab(m_tabs->indexOf(list));
        delete list;
    }
    m_cdLists.clear();
    const CCdPlayback &cd = m_core.Cd();
    for (int d = 0; d < cd.DriveCount(); ++d) {
        auto *list = new CCdListCtrl(m_core, d);
        list->SetDiscActions(m_discActions);
        connect(list, &CCdListCtrl::playRequested, this, [this](int row) { PlayCdRow(row); });
        connect(list, &CCdListCtrl::rowsChanged, this, [this] { UpdateStatusText(); });
        connect(list, &CCdListCtrl::fontAndColoursChanged, this, [this] { ApplyListAppearance(); });
        m_cdLists.push_back(list);
        const int tab = m_tabs->addTab(list, QStringLiteral("Drive %1:").arg(QLatin1Char(cd.DriveLetter(d))));
        m_tabs->setTabToolTip(tab, QString::fromStdString(cd.Discs().Drives().Drives()[static_cast<std::size_t>(d)].source));
    }
    m_bRebuildingTabs = false;
    if (shown >= 0 && shown < static_cast<int>(m_cdLists.size()))
        ShowTab(shown + 1);
    else
        OnTabChanged(0);
}

void CPlayerView::OnCdChanged(int drive)
{
    if (drive < 0) {
        BuildCdTabs();
        return;
    }
    CCdListCtrl *list = CdList(drive);
    if (list && !list->WritingBack())
        list->Fill();
    if (drive == CurrentCdDrive())
        UpdateStatusText();
}

void CPlayerView::ApplyListAppearance()
{
    m_displays->list->ApplyFontAndColours();
    for (CCdListCtrl *list : m_cdLists)
        list->ApplyFontAndColours();
}

void CPlayerView::SetCdDiscActions(const QList<QAction *> &actions)
{
    m_discActions = actions;
    for (CCdListCtrl *list : m_cdLists)
        list->SetDiscActions(actions);
}

int CPlayerView::CurrentCdDrive() const
{
    const int index = m_tabs ? m_tabs->currentIndex() : 0;
    return index >= 1 && index <= static_cast<int>(m_cdLists.size()) ? index - 1 : -1;
}

CCdListCtrl *CPlayerView::CdList(int drive) const
{
    return drive >= 0 && drive < static_cast<int>(m_cdLists.size()) ? m_cdLists[static_cast<std::size_t>(drive)]
                                                                   : nullptr;
}

int CPlayerView::TabCount() const
{
    return m_tabs->count();
}

void CPlayerView::ShowTab(int index)
{
    if (index < 0 || index >= m_tabs->count())
        return;
    if (index == m_tabs->currentIndex())
        OnTabChanged(index);
    else
        m_tabs->setCurrentIndex(index);
}

void CPlayerView::NextTab()
{
    if (m_cdLists.empty())
        return;
    ShowTab((m_tabs->currentIndex() + 1) % m_tabs->count());
}

void CPlayerView::OnTabChanged(int index)
{
    if (m_bRebuildingTabs)
        return;
    CCdListCtrl *list = index >= 1 ? CdList(index - 1) : nullptr;
    if (list) {
        m_core.PlayOrder().ShowCdTab(*list);
        list->setFocus();
    } else
        m_core.PlayOrder().ShowPlaylistTab();
    UpdateStatusText();
    emit cdTabShown(list ? index - 1 : -1);
}

bool CPlayerView::ShowCdTrack(int drive, int track, bool check)
{
    CCdListCtrl *list = CdList(drive);
    if (!list)
        return false;
    ShowTab(drive + 1);
    if (track == 0)
        return true;
    const int row = list->Rows().RowOfTrack(track);
    if (row < 0)
        return false;
    list->SelectAndFocus(row);
    if (check && !list->IsChecked(row))
        list->SetRowChecked(row, true);
    return true;
}

void CPlayerView::PlayCdRow(int row)
{
    CCdListCtrl *list = CurrentCdList();
    if (!list || row < 0 || row >= list->RowCount())
        return;
    CPlaybackEngine &engine = m_core.Engine();
    if (engine.IsPlaying())
        engine.StopPlayback();
    list->SelectAndFocus(row);
    engine.Play();
}

bool CPlayerView::PlayCdTrack(int drive, int track)
{
    CCdListCtrl *list = CdList(drive);
    if (!list || list->Rows().RowOfTrack(track) < 0)
        return false;
    CPlaybackEngine &engine = m_core.Engine();
    if (engine.IsPlaying())
        engine.StopPlayback();
    ShowCdTrack(drive, track, false);
    engine.Play();
    return true;
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
            [this](int row) { m_core.Engine().ShowEntry(m_doc.GetEntry(row)); });
    connect(d.position, &CPositionBar::seekRequested, this, [this](int seconds) {
        if (m_core.Engine().IsPlaying())
            m_core.Engine().SetPosition(seconds, 0);
    });

    auto *top = new QHBoxLayout;
    auto *middle = new QVBoxLayout;
    middle->addWidget(d.meter, 1);
    middle->addWidget(d.position);
    top->addWidget(d.counter);
    top->addLayout(middle, 1);
    top->addWidget(d.volume);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(d.list, QStringLiteral("Playlist"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &CPlayerView::OnTabChanged);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(m_tabs, 1);
}

CPlaylistCtrl *CPlayerView::ListControl() const
{
    return m_displays->list;
}

bool CPlayerView::InitialUpdate(const CStartRequest &request)
{
    m_core.OpenOutput();
    m_eqDlg->Initialise();
    m_core.ApplyStartRequest(request);
    if (m_core.WmaAvailable()) {
        m_displays->list->Editor().SetWmaAvailable(true);
        m_rereader->SetWmaBinding(&m_core.Decoder().WmaBinding());
        m_infoWindows->SetWmaReader(&m_core.Decoder().WmaBinding());
    }
    UpdateStatusText();
    emit titleChanged(QString::fromStdString(CTrayTipText::WindowTitle(ComposedTitle())));
    return m_core.Begin(request);
}

void CPlayerView::ToggleEqualizer()
{
    m_eqDlg->ToggleVisible();
}

bool CPlayerView::EqualizerVisible() const
{
    return m_eqDlg->isVisible();
}

void CPlayerView::SetCounterMode(int mode)
{
    m_doc.display = mode == 1 ? 1 : 0;
    m_displays->counter->SetMode(m_doc.display);
}

void CPlayerView::ShutDown()
{
    if (m_bShutDown)
        return;
    m_bShutDown = true;
    m_displays->list->SaveColumnLayout();
    if (!m_cdLists.empty())
        m_doc.cdcolumn0 = m_cdLists.front()->horizontalHeader()->sectionSize(0);
    m_core.ShutDown();
    m_rereader->SetWmaBinding(nullptr);
    m_infoWindows->SetWmaReader(nullptr);
    m_eqDlg->SaveState();
    m_eqDlg->hide();
}

void CPlayerView::UpdateStatusText()
{
    emit statusTextChanged(SummaryText());
}

QString CPlayerView::SummaryText() const
{
    if (m_core.Engine().OutputLost())
        return QString::fromLatin1(kOutputLostText);
    if (const CCdListCtrl *list = CurrentCdList()) {
        const int drive = CurrentCdDrive();
        return QString::fromStdString(CStatusTextFormat::FormatCd(
            list->RowCount(), static_cast<std::uint32_t>(std::max(0, m_core.Cd().Record(drive).m_nDiscLength))));
    }
    return QString::fromStdString(CStatusTextFormat::Format(m_doc.TotalCount(), m_doc.TotalSize(), m_doc.TotalDuration()));
}

std::string CPlayerView::ComposedTitle() const
{
    return m_doc.m_strPlaylistName.empty() ? std::string() : m_doc.m_strPlaylistName + " - Melvane";
}

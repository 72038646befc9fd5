#include "ui/CPlayerView.h"

#include "core/CMessageBox.h"
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
#include <QVBoxLayout>

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
}

CPlayerView::~CPlayerView()
{
    ShutDown();
    m_core.DetachDisplays();
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(d.list, 1);
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
    return QString::fromStdString(CStatusTextFormat::Format(m_doc.TotalCount(), m_doc.TotalSize(), m_doc.TotalDuration()));
}

std::string CPlayerView::ComposedTitle() const
{
    return m_doc.m_strPlaylistName.empty() ? std::string() : m_doc.m_strPlaylistName + " - Melvane";
}

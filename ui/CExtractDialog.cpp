#include "ui/CExtractDialog.h"

#include "cd/CEncoderHost.h"
#include "cd/CExtractWorker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CExtractDialog::CExtractDialog(const CDiscRecord &record, CEncoderHost &encoders, const Choices &choices, QWidget *parent)
    : QDialog(parent), m_record(record), m_encoders(encoders)
{
    setWindowTitle(QStringLiteral("Extract Audio"));
    auto *layout = new QVBoxLayout(this);

    m_tracks = new QTreeWidget(this);
    m_tracks->setHeaderLabels({QStringLiteral("Track"), QStringLiteral("Title"), QStringLiteral("Duration")});
    m_tracks->setRootIsDecorated(false);
    m_tracks->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tracks->setAllColumnsShowFocus(true);
    m_tracks->header()->setStretchLastSection(false);
    m_tracks->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_tracks->setColumnWidth(0, 55);
    m_tracks->setColumnWidth(2, 71);
    m_tracks->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    m_tracks->setMinimumSize(420, 220);
    layout->addWidget(m_tracks);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Output format:"), this), 0, 0);
    m_formats = new QComboBox(this);
    grid->addWidget(m_formats, 0, 1);
    m_configure = new QPushButton(QStringLiteral("Con&figure..."), this);
    grid->addWidget(m_configure, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Output folder:"), this), 1, 0);
    m_folder = new QLineEdit(QString::fromStdString(choices.folder), this);
    grid->addWidget(m_folder, 1, 1);
    m_browse = new QPushButton(QStringLiteral("&Browse..."), this);
    grid->addWidget(m_browse, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    m_add = new QCheckBox(QStringLiteral("Add extracted tracks to current playlist"), this);
    m_add->setChecked(choices.addToPlaylist);
    layout->addWidget(m_add);

    auto *buttons = new QDialogButtonBox(this);
    m_extract = buttons->addButton(QStringLiteral("&Extract"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_extract->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_formats->addItem(QStringLiteral("Windows PCM"));
    for (int i = 0; i < m_encoders.Count(); ++i)
        m_formats->addItem(QString::fromStdString(m_encoders.At(i).name));
    m_formats->setCurrentIndex(0);
    for (int i = 0; i < m_encoders.Count(); ++i)
        if (QString::fromStdString(m_encoders.At(i).fileName).compare(QString::fromStdString(choices.encoder),
                                                                      Qt::CaseInsensitive) == 0)
            m_formats->setCurrentIndex(i + 1);
    OnFormatChanged();
    connect(m_formats, &QComboBox::currentIndexChanged, this, &CExtractDialog::OnFormatChanged);
    connect(m_configure, &QPushButton::clicked, this, &CExtractDialog::OnConfigure);
    connect(m_browse, &QPushButton::clicked, this, &CExtractDialog::OnBrowse);

    int rows = 0;
    for (int t = 1; t <= 99 && rows < m_record.m_nAudioTracks; ++t) {
        if (m_record.m_nLength[static_cast<std::size_t>(t)] == 0)
            continue;
        auto *item = new QTreeWidgetItem(m_tracks);
        item->setText(0, QString::number(t));
        item->setText(1, QString::fromStdString(m_record.m_strTitle[static_cast<std::size_t>(t)]));
        item->setText(2, FormatFrames(CExtractWorker::TrackFrames(m_record, t)));
        item->setTextAlignment(2, Qt::AlignCenter);
        item->setToolTip(1, item->text(1));
        item->setData(0, Qt::UserRole, t);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, m_record.m_bChecked[static_cast<std::size_t>(t)] ? Qt::Checked : Qt::Unchecked);
        ++rows;
    }
    if (QTreeWidgetItem *first = m_tracks->topLevelItem(0)) {
        m_tracks->setCurrentItem(first);
        first->setSelected(true);
    }
    m_tracks->setFocus();
    connect(m_tracks, &QTreeWidget::itemChanged, this, &CExtractDialog::OnTrackChanged);
    m_bInitialised = true;
    OnTrackChanged();
}

QString CExtractDialog::FormatFrames(std::uint32_t frames)
{
    const std::uint32_t seconds = frames / 75;
    return QStringLiteral("%1:%2.%3")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % 75, 2, 10, QLatin1Char('0'));
}

void CExtractDialog::OnTrackChanged()
{
    if (!m_bInitialised)
        return;
    bool any = false;
    for (int i = 0; i < m_tracks->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_tracks->topLevelItem(i);
        const bool checked = item->checkState(0) == Qt::Checked;
        m_record.m_bChecked[static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt())] = checked ? 1 : 0;
        any = any || checked;
    }
    m_extract->setEnabled(any);
}

void CExtractDialog::OnFormatChanged()
{
    m_configure->setEnabled(m_formats->currentIndex() > 0);
}

void CExtractDialog::OnBrowse()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Choose the base output folder for extracted audio files:"), m_folder->text());
    if (folder.isEmpty())
        return;
    m_folder->setText(folder);
    m_folder->setCursorPosition(static_cast<int>(folder.size()));
}

void CExtractDialog::OnConfigure()
{
    if (const int index = EncoderIndex(); index >= 0)
        m_encoders.Configure(index, static_cast<std::uintptr_t>(winId()));
}

int CExtractDialog::EncoderIndex() const
{
    return m_formats->currentIndex() - 1;
}

CExtractDialog::Choices CExtractDialog::Chosen() const
{
    Choices choices;
    choices.folder = m_folder->text().toStdString();
    choices.addToPlaylist = m_add->isChecked();
    if (const int index = EncoderIndex(); index >= 0)
        choices.encoder = m_encoders.At(index).fileName;
    return choices;
}

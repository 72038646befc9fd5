#include "ui/CDiscInfo2.h"

#include "cd/CDiscRecord.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

CDiscInfo2::CDiscInfo2(CDiscRecord &record, QWidget *parent) : QWidget(parent), m_record(record)
{
    auto *layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("tracks"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Track"), QStringLiteral("Title"), QStringLiteral("Duration")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->setColumnWidth(0, 51);
    m_list->setColumnWidth(2, 71);
    m_list->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    m_list->headerItem()->setTextAlignment(2, Qt::AlignCenter);
    layout->addWidget(m_list, 1);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("track"));
    layout->addWidget(m_label);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("tracktitle"));
    m_title->installEventFilter(this);
    layout->addWidget(m_title);
    m_extt = new QPlainTextEdit(this);
    m_extt->setObjectName(QStringLiteral("extt"));
    m_extt->setTabChangesFocus(true);
    m_extt->setMaximumHeight(90);
    m_extt->installEventFilter(this);
    layout->addWidget(m_extt);

    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *item) { ShowTrack(item ? m_list->indexOfTopLevelItem(item) : -1); });
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (m_nTrack <= 0)
            return;
        m_record.m_strTitle[m_nTrack] = text.toStdString();
        if (QTreeWidgetItem *item = m_list->currentItem())
            item->setText(1, text);
    });
    connect(m_extt, &QPlainTextEdit::textChanged, this, [this] {
        if (m_nTrack > 0)
            m_record.m_strExtt[m_nTrack] = CDiscRecord::Escape(m_extt->toPlainText().toStdString());
    });
    Load();
}

void CDiscInfo2::Load()
{
    {
        const QSignalBlocker blocker(m_list);
        m_list->clear();
        int rows = 0;
        for (int t = 1; t < 100 && rows < m_record.m_nAudioTracks; ++t) {
            if (m_record.m_nLength[t] == 0)
                continue;
            auto *item = new QTreeWidgetItem(
                QStringList{QString::number(t), QString::fromStdString(m_record.m_strTitle[t]),
                            QString::fromStdString(CDiscRecord::DurationText(m_record.TrackFrames(t)))});
            item->setData(0, Qt::UserRole, t);
            item->setTextAlignment(0, Qt::AlignCenter);
            item->setTextAlignment(2, Qt::AlignCenter);
            item->setToolTip(1, item->text(1));
            m_list->addTopLevelItem(item);
            ++rows;
        }
    }
    m_nTrack = 0;
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    ShowTrack(m_list->topLevelItemCount() > 0 ? 0 : -1);
}

void CDiscInfo2::ShowTrack(int row)
{
    QTreeWidgetItem *item = row >= 0 ? m_list->topLevelItem(row) : nullptr;
    m_nTrack = item ? item->data(0, Qt::UserRole).toInt() : 0;
    const QSignalBlocker t(m_title), e(m_extt);
    if (m_nTrack <= 0) {
        m_label->clear();
        m_title->clear();
        m_extt->clear();
        return;
    }
    m_label->setText(QStringLiteral("Track %1:").arg(m_nTrack));
    m_title->setText(QString::fromStdString(m_record.m_strTitle[m_nTrack]));
    std::string extt = m_record.m_strExtt[m_nTrack];
    CDiscRecord::Unescape(extt);
    m_extt->setPlainText(QString::fromStdString(extt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void CDiscInfo2::MoveTo(int row)
{
    if (row < 0 || row >= m_list->topLevelItemCount())
        return;
    m_list->setCurrentItem(m_list->topLevelItem(row));
    m_title->selectAll();
}

void CDiscInfo2::SelectTrack(int track)
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (m_list->topLevelItem(row)->data(0, Qt::UserRole).toInt() == track) {
            MoveTo(row);
            m_title->setFocus();
            return;
        }
    }
}

bool CDiscInfo2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_extt && key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
        m_extt->insertPlainText(QStringLiteral("\t"));
        return true;
    }
    if (watched != m_title)
        return QWidget::eventFilter(watched, event);
    const int rows = m_list->topLevelItemCount();
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    if (rows == 0)
        return QWidget::eventFilter(watched, event);
    switch (key->key()) {
    case Qt::Key_Down: MoveTo(std::min(row + 1, rows - 1)); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: MoveTo((row + 1) % rows); return true;
    case Qt::Key_Up: MoveTo(row <= 0 ? rows - 1 : row - 1); return true;
    default: return QWidget::eventFilter(watched, event);
    }
}

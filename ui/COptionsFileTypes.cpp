#include "ui/COptionsFileTypes.h"

#include "playlist/CFileAssociations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

QCheckBox *COptionsFileTypes::AddCheck(const char *name, const char *text)
{
    auto *box = new QCheckBox(QString::fromLatin1(text), this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

namespace {

std::int32_t &ClickSetting(CPlayerSettings &settings, int click)
{
    std::int32_t *const clicks[] = {&settings.click1, &settings.click2, &settings.click3, &settings.click4};
    return *clicks[click];
}

std::int32_t ClickSetting(const CPlayerSettings &settings, int click)
{
    const std::int32_t clicks[] = {settings.click1, settings.click2, settings.click3, settings.click4};
    return clicks[click];
}

} // namespace

COptionsFileTypes::COptionsFileTypes(const CPlayerSettings &current, CFileAssociations *associations,
                                     bool wmaAvailable, bool hasCdDrive, QWidget *parent)
    : QWidget(parent), m_current(current), m_pAssociations(associations)
{
    auto *layout = new QVBoxLayout(this);
    auto *start = new QHBoxLayout;
    start->addWidget(new QLabel(QStringLiteral("Start playback on:"), this));
    m_autoplay0 = AddCheck("autoplay0", "program start");
    m_autoplay1 = AddCheck("autoplay1", "playlist / CD open");
    start->addWidget(m_autoplay0);
    start->addWidget(m_autoplay1);
    start->addStretch(1);
    layout->addLayout(start);
    m_lastpos = AddCheck("lastpos", "Remember last playback position on program exit");
    m_keyhook = AddCheck("keyhook", "Enable background monitoring of function keys");
    layout->addWidget(m_lastpos);
    layout->addWidget(m_keyhook);

    auto *types = new QGroupBox(QStringLiteral("Registered Filetypes"), this);
    auto *typesLayout = new QVBoxLayout(types);
    m_types = new QTreeWidget(types);
    m_types->setObjectName(QStringLiteral("filetypes"));
    m_types->setHeaderLabels({QStringLiteral("Type"), QStringLiteral("Description")});
    m_types->setRootIsDecorated(false);
    m_types->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_types->setAllColumnsShowFocus(true);
    for (int row = 0; associations && row < CFileAssociations::kRowCount; ++row) {
        if ((row == CFileAssociations::kRowWma && !wmaAvailable) || (row == CFileAssociations::kRowCd && !hasCdDrive))
            continue;
        const CFileAssociations::RowInfo &info = CFileAssociations::Info(row);
        auto *item = new QTreeWidgetItem(m_types, {QString::fromLatin1(info.type), QString::fromLatin1(info.description)});
        item->setData(0, Qt::UserRole, row);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    m_types->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    typesLayout->addWidget(m_types);
    layout->addWidget(types, 1);

    auto *tray = new QGroupBox(QStringLiteral("System Tray"), this);
    auto *trayLayout = new QVBoxLayout(tray);
    m_minimizetray = AddCheck("minimizetray", "Minimize to system tray");
    m_minimizestart = AddCheck("minimizestart", "Minimize on startup");
    trayLayout->addWidget(m_minimizetray);
    trayLayout->addWidget(m_minimizestart);
    auto *clicks = new QFormLayout;
    const char *clickTexts[] = {"Single Click:", "Double Click:", "Triple Click:", "Quadruple Click:"};
    for (int i = 0; i < 4; ++i) {
        m_clicks[i] = new QComboBox(tray);
        m_clicks[i]->setObjectName(QStringLiteral("click") + QString::number(i + 1));
        for (const char *action : kClickActions)
            m_clicks[i]->addItem(QString::fromLatin1(action));
        clicks->addRow(QString::fromLatin1(clickTexts[i]), m_clicks[i]);
    }
    trayLayout->addLayout(clicks);
    layout->addWidget(tray);
}

void COptionsFileTypes::showEvent(QShowEvent *event)
{
    Initialise();
    QWidget::showEvent(event);
}

void COptionsFileTypes::Initialise()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    m_autoplay0->setChecked(m_current.autoplay0 != 0);
    m_autoplay1->setChecked(m_current.autoplay1 != 0);
    m_lastpos->setChecked(m_current.lastpos != 0);
    m_keyhook->setChecked(m_current.keyhook != 0);
    m_minimizetray->setChecked(m_current.minimizetray != 0);
    m_minimizestart->setChecked(m_current.minimizestart != 0);
    for (int i = 0; i < 4; ++i) {
        const int action = ClickSetting(m_current, i);
        m_clicks[i]->setCurrentIndex(action >= 0 && action < m_clicks[i]->count() ? action : 0);
    }
    for (int i = 0; i < m_types->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_types->topLevelItem(i);
        const bool associated = m_pAssociations->IsAssociated(item->data(0, Qt::UserRole).toInt());
        item->setData(1, Qt::UserRole, associated);
        item->setCheckState(0, associated ? Qt::Checked : Qt::Unchecked);
    }
    if (m_types->topLevelItemCount() > 0)
        m_types->setCurrentItem(m_types->topLevelItem(0));
}

void COptionsFileTypes::Read(COptionsChoices &choices) const
{
    choices.setupOpened = m_bInitialised;
    if (!m_bInitialised)
        return;
    choices.settings.autoplay0 = m_autoplay0->isChecked() ? 1 : 0;
    choices.settings.autoplay1 = m_autoplay1->isChecked() ? 1 : 0;
    choices.settings.lastpos = m_lastpos->isChecked() ? 1 : 0;
    choices.settings.keyhook = m_keyhook->isChecked() ? 1 : 0;
    choices.settings.minimizetray = m_minimizetray->isChecked() ? 1 : 0;
    choices.settings.minimizestart = m_minimizestart->isChecked() ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        ClickSetting(choices.settings, i) = m_clicks[i]->currentIndex();
    choices.fileTypes.clear();
    for (int i = 0; i < m_types->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_types->topLevelItem(i);
        choices.fileTypes.push_back({item->data(0, Qt::UserRole).toInt(), item->data(1, Qt::UserRole).toBool(),
                                     item->checkState(0) == Qt::Checked});
    }
}

#include "ui/COptionsFreeDB.h"

#include "cd/CFreedbSites.h"
#include "playlist/CPlayerSettings.h"
#include "ui/CFreedbDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

COptionsFreeDB::COptionsFreeDB(const COptionsChoices::Freedb &current, CRegistry *registry, QWidget *parent)
    : QWidget(parent), m_current(current), m_pRegistry(registry)
{
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("freedb_email"));
    form->addRow(QStringLiteral("email address"), m_email);
    auto *serverRow = new QHBoxLayout;
    m_server = new QComboBox(this);
    m_server->setObjectName(QStringLiteral("freedb_server"));
    m_server->setEditable(true);
    m_server->setInsertPolicy(QComboBox::NoInsert);
    m_server->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_server->setMinimumContentsLength(36);
    m_server->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto *refresh = new QPushButton(QStringLiteral("Refresh List"), this);
    refresh->setObjectName(QStringLiteral("refreshlist"));
    serverRow->addWidget(m_server, 1);
    serverRow->addWidget(refresh);
    form->addRow(QStringLiteral("freedb server"), serverRow);
    layout->addLayout(form);
    m_autoquery = new QCheckBox(QStringLiteral("Automatically query freedb for unrecognized discs"), this);
    m_autoquery->setObjectName(QStringLiteral("autoquery"));
    layout->addWidget(m_autoquery);
    layout->addStretch(1);
    connect(refresh, &QPushButton::clicked, this, &COptionsFreeDB::RefreshList);
}

void COptionsFreeDB::showEvent(QShowEvent *event)
{
    Initialise();
    QWidget::showEvent(event);
}

void COptionsFreeDB::Initialise()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    std::vector<std::string> servers;
    std::string email, server;
    if (m_pRegistry) {
        servers = CPlayerSettings::ReadFreedbServers(*m_pRegistry);
        email = CPlayerSettings::ReadFreedbEmail(*m_pRegistry);
        server = CPlayerSettings::ReadFreedbServer(*m_pRegistry);
    }
    for (const std::string &s : servers)
        m_server->addItem(QString::fromStdString(s));
    if (m_server->count() == 0)
        m_server->addItem(QString::fromLatin1(CFreedbSites::kDefaultServer));
    m_email->setText(QString::fromStdString(email));
    const QString configured = QString::fromStdString(server);
    int index = configured.isEmpty() ? 0 : m_server->findText(configured);
    if (index < 0) {
        m_server->addItem(configured);
        index = m_server->count() - 1;
    }
    m_server->setCurrentIndex(index);
    m_server->lineEdit()->setCursorPosition(0);
    m_autoquery->setChecked(m_current.autoquery);
}

void COptionsFreeDB::Read(COptionsChoices::Freedb &choices) const
{
    choices.opened = m_bInitialised;
    if (!m_bInitialised)
        return;
    choices.email = m_email->text().toStdString();
    choices.server = m_server->currentText().toStdString();
    choices.autoquery = m_autoquery->isChecked();
}

void COptionsFreeDB::RefreshList()
{
    Initialise();
    CFreedbDialog freedb({m_server->currentText().toStdString(), m_email->text().toStdString()}, nullptr, this);
    std::vector<std::string> lines;
    if (!freedb.GetSiteList(lines))
        return;
    const std::vector<std::string> servers = CFreedbSites::ServersFromSiteList(lines);
    if (m_pRegistry)
        CPlayerSettings::WriteFreedbServers(*m_pRegistry, servers); // failures are ignored
    const QString shown = m_server->currentText();
    m_server->clear();
    for (const std::string &s : servers)
        m_server->addItem(QString::fromStdString(s));
    // The server in use stays chosen when the new list has it; otherwise the list's first.
    const int index = m_server->findText(shown);
    m_server->setCurrentIndex(index >= 0 ? index : 0);
    if (m_server->count() == 0)
        m_server->setEditText(shown);
    m_server->lineEdit()->setCursorPosition(0);
}

#include "ui/COptionsSheet.h"

#include "ui/CModalDialogGuard.h"
#include "ui/COptionsBass.h"
#include "ui/COptionsFileTypes.h"
#include "ui/COptionsFreeDB.h"
#include "engine/CPlayerCore.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

COptionsSheet::COptionsSheet(const Links &links, QWidget *parent)
    : QDialog(parent), m_links(links), m_apply(*links.core, *links.messageBox, links.associations, links.trayChanged)
{
    setWindowTitle(QString::fromLatin1(kCaption));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    const COptionsChoices current = m_apply.Current();
    const CPlaybackEngine &engine = links.core->Engine();
    m_general = new COptionsBass(current.settings, engine.DeviceNames(), engine.FloatSupported(), links.hasCdDrive, m_tabs);
    m_setup = new COptionsFileTypes(current.settings, links.associations, links.core->WmaAvailable(), links.hasCdDrive,
                                    m_tabs);
    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_tabs->addTab(m_setup, QStringLiteral("Setup"));
    if (links.hasCdDrive) {
        m_freedb = new COptionsFreeDB(current.freedb, links.registry, m_tabs);
        m_tabs->addTab(m_freedb, QStringLiteral("freedb"));
    }
    m_apply.SetRegistry(links.registry);
    layout->addWidget(m_tabs);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);
}

int COptionsSheet::exec()
{
    CModalDialogGuard guard(m_links.core->Doc());
    return QDialog::exec();
}

void COptionsSheet::accept()
{
    COptionsChoices choices = m_apply.Current();
    m_general->Read(choices.settings);
    m_setup->Read(choices);
    if (m_freedb)
        m_freedb->Read(choices.freedb);
    m_result = m_apply.Apply(choices);
    QDialog::accept();
}

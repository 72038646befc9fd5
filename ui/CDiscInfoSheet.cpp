#include "ui/CDiscInfoSheet.h"

#include "cd/CFreedbEntry.h"
#include "cd/CdQueries.h"
#include "core/CMessageBox.h"
#include "ui/CDiscInfo1.h"
#include "ui/CDiscInfo2.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CDiscInfoSheet::CDiscInfoSheet(const CDiscRecord &record, Links links, QWidget *parent)
    : QDialog(parent), m_record(record), m_links(std::move(links))
{
    setWindowTitle(QStringLiteral("Disc Information (Drive %1:)").arg(QChar::fromLatin1(m_record.m_cDrive)));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_general = new CDiscInfo1(m_record, m_tabs);
    m_tracks = new CDiscInfo2(m_record, m_tabs);
    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_tabs->addTab(m_tracks, QStringLiteral("Tracks"));
    layout->addWidget(m_tabs, 1);

    auto *row = new QHBoxLayout;
    m_save = new QPushButton(QStringLiteral("Save"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cdText = new QPushButton(QStringLiteral("Get CD-Text"), this);
    m_retrieve = new QPushButton(QStringLiteral("Retrieve Data"), this);
    m_submit = new QPushButton(QStringLiteral("Submit Data"), this);
    // The three disc buttons are a sixth wider than "Save" and as high.
    const QSize save = m_save->sizeHint();
    for (QPushButton *button : {m_cdText, m_retrieve, m_submit}) {
        button->setAutoDefault(false);
        button->setMinimumSize(std::max(save.width() * 7 / 6, button->sizeHint().width()), save.height());
        row->addWidget(button);
    }
    row->addStretch(1);
    row->addWidget(m_save);
    row->addWidget(cancel);
    // Enter saves, as in any sheet (the title edit of the Tracks page uses Enter to go on).
    m_save->setDefault(true);
    cancel->setAutoDefault(false);
    layout->addLayout(row);
    m_cdText->setEnabled(m_record.m_bCdText != 0 && m_links.drives);

    connect(m_save, &QPushButton::clicked, this, &CDiscInfoSheet::accept);
    connect(cancel, &QPushButton::clicked, this, &CDiscInfoSheet::reject);
    connect(m_cdText, &QPushButton::clicked, this, &CDiscInfoSheet::OnGetCdText);
    connect(m_retrieve, &QPushButton::clicked, this, &CDiscInfoSheet::OnRetrieveData);
    connect(m_submit, &QPushButton::clicked, this, &CDiscInfoSheet::OnSubmitData);
    resize(480, 400);
    m_general->ArtistEdit()->setFocus(); // the first field of the first page, as a sheet opens
    if (m_links.x && m_links.y && *m_links.x >= 0 && *m_links.y >= 0)
        move(*m_links.x, *m_links.y);
}

void CDiscInfoSheet::done(int result)
{
    if (m_links.x && m_links.y) {
        const QPoint at = pos();
        const bool onScreen = at.x() >= 0 && at.y() >= 0;
        *m_links.x = onScreen ? at.x() : 0;
        *m_links.y = onScreen ? at.y() : 0;
    }
    QDialog::done(result);
}

void CDiscInfoSheet::Reload()
{
    m_general->Load();
    m_tracks->Load();
}

void CDiscInfoSheet::OnGetCdText()
{
    // CD-Text clears the texts only once it has found some, so the copy stays as it was otherwise.
    CDiscRecord copy = m_record;
    if (m_links.drives && ReadCdText(*m_links.drives, copy)) {
        m_record = copy;
        Reload();
        return;
    }
    m_links.messageBox->Show(kNoCdText, CMessageBox::kOk, CMessageBox::kIconInformation);
}

void CDiscInfoSheet::OnRetrieveData()
{
    CFreedbDialog freedb(m_links.account, m_links.messageBox, this);
    CDiscRecord copy = m_record;
    if (freedb.Query(copy)) {
        m_record = copy;
        Reload();
    }
}

void CDiscInfoSheet::OnSubmitData()
{
    const CFreedbEntry::Built built = CFreedbEntry::BuildXmcdEntry(m_record);
    switch (built.missing) {
    case CFreedbEntry::Missing::DiscTitle:
        m_links.messageBox->Show("Please supply a Disc Title.  ", CMessageBox::kOk, CMessageBox::kIconWarning);
        m_tabs->setCurrentWidget(m_general);
        m_general->TitleEdit()->setFocus();
        return;
    case CFreedbEntry::Missing::Year:
        m_links.messageBox->Show("Please supply a Disc Year.  ", CMessageBox::kOk, CMessageBox::kIconWarning);
        m_tabs->setCurrentWidget(m_general);
        m_general->YearEdit()->setFocus();
        return;
    case CFreedbEntry::Missing::Genre:
        m_links.messageBox->Show("Please supply a Disc Genre.  ", CMessageBox::kOk, CMessageBox::kIconWarning);
        m_tabs->setCurrentWidget(m_general);
        m_general->GenreBox()->setFocus();
        return;
    case CFreedbEntry::Missing::TrackTitle:
        m_links.messageBox->Show("Please supply a title for Track " + std::to_string(built.track) + ".  ",
                                 CMessageBox::kOk, CMessageBox::kIconWarning);
        m_tabs->setCurrentWidget(m_tracks);
        m_tracks->SelectTrack(built.track);
        return;
    case CFreedbEntry::Missing::None: break;
    }
    CFreedbDialog freedb(m_links.account, m_links.messageBox, this);
    freedb.Submit(m_record, built.body);
}

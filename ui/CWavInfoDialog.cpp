#include "ui/CWavInfoDialog.h"

#include "info/CWavInfo.h"
#include "tags/CTrackInfo.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

CWavInfoDialog::CWavInfoDialog(const std::string &path, CPlayerDoc &doc, QWidget *parent)
    : CInfoDialog(doc, "WAV File Information", path, parent)
{
    CTrackInfo info(path);
    info.Read(nullptr);
    m_strInfo = CWavInfo::Read(path).Text();

    auto *row = new QHBoxLayout;
    auto *fields = new QVBoxLayout;
    auto *form = new QFormLayout;
    m_artist = AddEdit(form, "*Artist:", info.GetArtist(), kTextLimit);
    m_title = AddEdit(form, "*Title:", info.GetTitle(), kTextLimit);
    fields->addLayout(form);
    fields->addWidget(new QLabel(QString::fromLatin1(kNote), this));
    fields->addStretch(1);
    row->addLayout(fields, 1);

    auto *group = new QGroupBox(QStringLiteral("WAV Info"), this);
    FillColumns(group, m_strInfo);
    row->addWidget(group);
    Body()->addLayout(row);
    m_artist->setFocus();
}

std::string CWavInfoDialog::Artist() const
{
    return m_artist->text().toStdString();
}

std::string CWavInfoDialog::Title() const
{
    return m_title->text().toStdString();
}

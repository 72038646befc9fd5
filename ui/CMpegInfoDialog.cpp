#include "ui/CMpegInfoDialog.h"

#include "info/CGenreList.h"
#include "info/CMpegInfo.h"
#include "tags/CTrackInfo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>

CMpegInfoDialog::CMpegInfoDialog(const std::string &path, CPlayerDoc &doc, QWidget *parent)
    : CInfoDialog(doc, "MPEG File Information", path, parent)
{
    CTrackInfo info(path);
    info.Read(nullptr);
    const CTagFields fields = CMpegInfo::Fields(info);
    m_strInfo = CMpegInfo::Text(info);

    auto *row = new QHBoxLayout;
    auto *form = new QFormLayout;
    m_artist = AddEdit(form, "Artist:", fields.artist, CMpegInfo::kTextLimit);
    m_title = AddEdit(form, "Title:", fields.title, CMpegInfo::kTextLimit);
    m_album = AddEdit(form, "Album:", fields.album, CMpegInfo::kTextLimit);
    m_comment = AddEdit(form, "Comment:", fields.comment, CMpegInfo::kTextLimit);
    m_year = AddEdit(form, "Year:", fields.year, CMpegInfo::kYearLimit);
    m_genre = new QComboBox(this);
    for (const std::string &name : CGenreList::Sorted(true))
        m_genre->addItem(QString::fromStdString(name));
    m_genre->setCurrentText(QString::fromStdString(fields.genre));
    form->addRow(QStringLiteral("Genre:"), m_genre);
    row->addLayout(form, 1);

    auto *group = new QGroupBox(QStringLiteral("MPEG Info"), this);
    FillColumns(group, m_strInfo);
    row->addWidget(group);
    Body()->addLayout(row);
    m_artist->setFocus();
}

CTagFields CMpegInfoDialog::Fields() const
{
    CTagFields out;
    out.artist = m_artist->text().toStdString();
    out.title = m_title->text().toStdString();
    out.album = m_album->text().toStdString();
    out.comment = m_comment->text().toStdString();
    out.year = m_year->text().toStdString();
    out.genre = m_genre->currentText().toStdString();
    return out;
}

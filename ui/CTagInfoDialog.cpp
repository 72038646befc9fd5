#include "ui/CTagInfoDialog.h"

#include "info/CGenreList.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

CTagInfoDialog::CTagInfoDialog(const std::string &path, CTagInfo::Format format, CPlayerDoc &doc,
                               IWmaInfoReader *wma, const std::optional<CTagFields> &pending, QWidget *parent)
    : CInfoDialog(doc, {}, path, parent), m_info(CTagInfo::Read(path, format, wma, pending))
{
    setWindowTitle(QString::fromStdString(m_info.Caption()));
    const CTagFields &fields = m_info.fields;
    auto *row = new QHBoxLayout;
    auto *form = new QFormLayout;
    m_artist = AddEdit(form, "Artist:", fields.artist, 0);
    m_title = AddEdit(form, "Title:", fields.title, 0);
    m_album = AddEdit(form, "Album:", fields.album, 0);
    m_genre = new QComboBox(this);
    m_genre->setEditable(true);
    m_genre->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string &name : CGenreList::Sorted(false))
        m_genre->addItem(QString::fromStdString(name));
    m_genre->setCurrentText(QString::fromStdString(fields.genre));
    form->addRow(QStringLiteral("Genre:"), m_genre);
    m_year = AddEdit(form, "Year:", fields.year, 0);
    QString comment = QString::fromStdString(fields.comment);
    comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_comment = new QPlainTextEdit(comment, this);
    m_comment->setTabChangesFocus(true);
    m_comment->setMaximumHeight(m_comment->fontMetrics().lineSpacing() * 5);
    form->addRow(QStringLiteral("Comment:"), m_comment);
    row->addLayout(form, 1);

    auto *group = new QGroupBox(QString::fromStdString(m_info.GroupCaption()), this);
    FillColumns(group, m_info.Labels(), m_info.Values());
    row->addWidget(group);
    Body()->addLayout(row);
    m_artist->setFocus();
}

CTagFields CTagInfoDialog::Fields() const
{
    CTagFields out;
    out.artist = m_artist->text().toStdString();
    out.title = m_title->text().toStdString();
    out.album = m_album->text().toStdString();
    out.genre = m_genre->currentText().toStdString();
    out.year = m_year->text().toStdString();
    out.comment = m_comment->toPlainText().toStdString();
    return out;
}

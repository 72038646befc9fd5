#include "ui/CDiscInfo1.h"

#include "cd/CDiscRecord.h"
#include "tags/CGenreTable.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString Shown(const std::string &text)
{
    return QString::fromStdString(text);
}

// The stored text shown in a text box: escapes undone, line breaks as the box keeps them.
QString Unescaped(std::string text)
{
    CDiscRecord::Unescape(text);
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

CDiscInfo1::CDiscInfo1(CDiscRecord &record, QWidget *parent) : QWidget(parent), m_record(record)
{
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_artist = new QLineEdit(this);
    m_artist->setObjectName(QStringLiteral("artist"));
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_genre = new QComboBox(this);
    m_genre->setObjectName(QStringLiteral("genre"));
    m_genre->setEditable(true);
    m_genre->setInsertPolicy(QComboBox::NoInsert);
    for (std::int32_t i = 0; i < CGenreTable::kCount; ++i) {
        const std::string_view name = CGenreTable::Name(i);
        m_genre->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    m_year = new QLineEdit(this);
    m_year->setObjectName(QStringLiteral("year"));
    m_year->setMaximumWidth(60);
    form->addRow(QStringLiteral("Artist:"), m_artist);
    form->addRow(QStringLiteral("Title:"), m_title);
    form->addRow(QStringLiteral("Genre:"), m_genre);
    form->addRow(QStringLiteral("Year:"), m_year);
    layout->addLayout(form);
    m_extd = new QPlainTextEdit(this);
    m_extd->setObjectName(QStringLiteral("extd"));
    m_extd->setTabChangesFocus(true);
    m_extd->installEventFilter(this);
    layout->addWidget(m_extd, 1);

    connect(m_artist, &QLineEdit::textEdited, this, [this](const QString &t) { m_record.m_strArtist = t.toStdString(); });
    connect(m_title, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_record.m_strDiscTitle = t.toStdString(); });
    connect(m_year, &QLineEdit::textEdited, this, [this](const QString &t) { m_record.m_strYear = t.toStdString(); });
    connect(m_genre, &QComboBox::currentTextChanged, this,
            [this](const QString &t) { m_record.m_strGenre = t.toStdString(); });
    connect(m_extd, &QPlainTextEdit::textChanged, this,
            [this] { m_record.m_strExtd = CDiscRecord::Escape(m_extd->toPlainText().toStdString()); });
    Load();
}

void CDiscInfo1::Load()
{
    const QSignalBlocker a(m_artist), t(m_title), g(m_genre), y(m_year), e(m_extd);
    m_artist->setText(Shown(m_record.m_strArtist));
    m_title->setText(Shown(m_record.m_strDiscTitle));
    const int genre = CGenreTable::Find(m_record.m_strGenre);
    if (genre >= 0 && !m_record.m_strGenre.empty()) {
        m_genre->setCurrentIndex(genre);
    } else {
        m_genre->setCurrentIndex(-1);
        m_genre->setEditText(Shown(m_record.m_strGenre));
    }
    m_year->setText(Shown(m_record.m_strYear.substr(0, 4)));
    m_extd->setPlainText(Unescaped(m_record.m_strExtd));
}

bool CDiscInfo1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_extd && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
            m_extd->insertPlainText(QStringLiteral("\t"));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

#include "ui/CInfoDialog.h"

#include "playlist/CPlayerDoc.h"
#include "ui/CDialogPosition.h"
#include "ui/CModalDialogGuard.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CInfoDialog::CInfoDialog(CPlayerDoc &doc, const std::string &caption, const std::string &path, QWidget *parent)
    : QDialog(parent), m_doc(doc)
{
    setWindowTitle(QString::fromStdString(caption));
    auto *layout = new QVBoxLayout(this);
    m_pathEdit = new QLineEdit(QString::fromStdString(path), this);
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setFocusPolicy(Qt::ClickFocus); // the first Tab stop is the first field to edit
    m_pathEdit->setCursorPosition(0);
    layout->addWidget(m_pathEdit);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);

    auto *buttons = new QDialogButtonBox(this);
    m_saveButton = buttons->addButton(QStringLiteral("Save"), QDialogButtonBox::AcceptRole);
    m_cancelButton = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_saveButton->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CInfoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CInfoDialog::reject);

    move(doc.xinfo, doc.yinfo);
    m_nOpenedX = doc.xinfo;
    m_nOpenedY = doc.yinfo;
}

QLineEdit *CInfoDialog::AddEdit(QFormLayout *form, const char *label, const std::string &text, int limit)
{
    auto *edit = new QLineEdit(this);
    if (limit > 0)
        edit->setMaxLength(limit);
    edit->setText(QString::fromStdString(text));
    form->addRow(QString::fromUtf8(label), edit);
    return edit;
}

void CInfoDialog::FillColumns(QGroupBox *group, const std::string &text)
{
    std::string labels, values;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        labels += (tab == std::string::npos ? line : line.substr(0, tab)) + '\n';
        values += (tab == std::string::npos ? std::string() : line.substr(tab + 1)) + '\n';
        start = end + 1;
    }
    FillColumns(group, labels, values);
}

void CInfoDialog::FillColumns(QGroupBox *group, const std::string &labels, const std::string &values)
{
    auto *grid = new QGridLayout(group);
    const QStringList left = QString::fromStdString(labels).split(QLatin1Char('\n'));
    const QStringList right = QString::fromStdString(values).split(QLatin1Char('\n'));
    for (int i = 0; i < std::max(left.size(), right.size()); ++i) {
        const QString label = i < left.size() ? left[i] : QString();
        const QString value = i < right.size() ? right[i] : QString();
        if (label.isEmpty() && value.isEmpty())
            continue;
        auto *l = new QLabel(label, group);
        auto *v = new QLabel(value, group);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(l, i, 0);
        grid->addWidget(v, i, 1);
    }
    grid->setColumnStretch(1, 1);
}

void CInfoDialog::showEvent(QShowEvent *event)
{
    // The buttons were made before the window's own fields: Tab reaches them after the last field.
    QWidget *last = nullptr;
    for (QWidget *w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain())
        if (w != m_saveButton && w != m_cancelButton && (w->focusPolicy() & Qt::TabFocus) && isAncestorOf(w))
            last = w;
    if (last) {
        setTabOrder(last, m_saveButton);
        setTabOrder(m_saveButton, m_cancelButton);
    }
    QDialog::showEvent(event);
}

int CInfoDialog::exec()
{
    const CModalDialogGuard guard(m_doc);
    return QDialog::exec();
}

void CInfoDialog::done(int result)
{
    const QPoint at = pos();
    if (CDialogPosition::Store(at.x(), at.y(), m_nOpenedX, m_nOpenedY, m_doc.xinfo, m_doc.yinfo)) {
        m_nOpenedX = m_doc.xinfo;
        m_nOpenedY = m_doc.yinfo;
    }
    QDialog::done(result);
}

#include "ui/CJumpDlg.h"

#include "ui/CDialogPosition.h"
#include "ui/CModalDialogGuard.h"
#include "playlist/CPlayerDoc.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

CJumpDlg::CJumpDlg(CPlayerDoc &doc, QWidget *parent) : QDialog(parent), m_doc(doc), m_list(doc)
{
    setWindowTitle(QStringLiteral("Jump to Track"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Search for:"), this);
    m_edit = new QLineEdit(this);
    label->setBuddy(m_edit);
    m_listBox = new QListWidget(this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(label);
    layout->addWidget(m_edit);
    layout->addWidget(m_listBox);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CJumpDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CJumpDlg::reject);
    connect(m_edit, &QLineEdit::textChanged, this, &CJumpDlg::OnFilterChanged);
    connect(m_listBox, &QListWidget::currentRowChanged, this, [this](int index) { m_list.Select(index); });
    connect(m_listBox, &QListWidget::itemDoubleClicked, this, &CJumpDlg::accept);
    m_edit->installEventFilter(this);

    FillList();
    move(doc.xjump, doc.yjump);
    m_nOpenedX = doc.xjump;
    m_nOpenedY = doc.yjump;
}

void CJumpDlg::FillList()
{
    const QSignalBlocker blocker(m_listBox);
    m_listBox->clear();
    for (const CJumpList::Line &line : m_list.Lines()) {
        auto *item = new QListWidgetItem(QString::fromStdString(line.text), m_listBox);
        item->setData(Qt::UserRole, line.row);
    }
    ShowSelection();
}

void CJumpDlg::ShowSelection()
{
    const QSignalBlocker blocker(m_listBox);
    m_listBox->setCurrentRow(m_list.Selected());
    if (QListWidgetItem *item = m_listBox->currentItem())
        m_listBox->scrollToItem(item);
}

void CJumpDlg::OnFilterChanged(const QString &text)
{
    m_list.SetFilter(text.toStdString());
    FillList();
}

bool CJumpDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            if (key == Qt::Key_Down)
                m_list.SelectNext();
            else
                m_list.SelectPrevious();
            ShowSelection();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int CJumpDlg::exec()
{
    const CModalDialogGuard guard(m_doc);
    return QDialog::exec();
}

void CJumpDlg::done(int result)
{
    const QPoint at = pos();
    if (CDialogPosition::Store(at.x(), at.y(), m_nOpenedX, m_nOpenedY, m_doc.xjump, m_doc.yjump)) {
        m_nOpenedX = m_doc.xjump;
        m_nOpenedY = m_doc.yjump;
    }
    QDialog::done(result);
    if (result == QDialog::Accepted && ChosenRow() >= 0)
        emit rowChosen(ChosenRow());
}

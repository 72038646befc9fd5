#include "ui/CFreedbDialog.h"

#include "cd/CFreedbSites.h"
#include "ui/CMatchesDialog.h"
#include "ui/CSubmitDialog.h"
#include "core/CMessageBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

CFreedbDialog::CFreedbDialog(Account account, CMessageBox *messageBox, QWidget *parent)
    : QDialog(parent), m_account(std::move(account)), m_pMessageBox(messageBox)
{
    const std::string server = m_account.server.empty() ? std::string(CFreedbSites::kDefaultServer) : m_account.server;
    const QString host = QUrl(QString::fromStdString(server)).host();
    setWindowTitle(host.isEmpty() ? QStringLiteral("freedb") : host);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    top->addWidget(picture, 0, Qt::AlignTop);
    auto *group = new QGroupBox(QStringLiteral("Status"), this);
    auto *groupLayout = new QVBoxLayout(group);
    m_status = new QLabel(group);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_status->setMinimumWidth(280);
    groupLayout->addWidget(m_status);
    top->addWidget(group, 1);
    layout->addLayout(top);
    auto *buttons = new QDialogButtonBox(this);
    // The window's OK is never offered: it closes by itself on success.
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_cancel->setText(QStringLiteral("Cancel"));
    layout->addWidget(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &CFreedbDialog::reject);

    CFreedbWorker::Hooks hooks;
    hooks.status = [this](const std::string &text) {
        QMetaObject::invokeMethod(
            this, [this, t = QString::fromStdString(text)] { m_status->setText(t); }, Qt::QueuedConnection);
    };
    hooks.ask = [this](const CFreedbWorker::Question &question) {
        QMetaObject::invokeMethod(this, [this, question] { OnQuestion(question); }, Qt::QueuedConnection);
    };
    hooks.finished = [this] { QMetaObject::invokeMethod(this, [this] { OnFinished(); }, Qt::QueuedConnection); };
    m_worker = std::make_unique<CFreedbWorker>(m_account.server, m_account.email, std::move(hooks));
}

CFreedbDialog::~CFreedbDialog()
{
    // The worker's hooks post to this window: it ends before the window goes.
    m_worker.reset();
}

QString CFreedbDialog::StatusText() const
{
    return m_status->text();
}

bool CFreedbDialog::GetSiteList(std::vector<std::string> &lines)
{
    m_worker->StartSiteList();
    exec();
    m_worker->Wait();
    if (!m_worker->Succeeded())
        return false;
    lines = m_worker->SiteLines();
    return true;
}

bool CFreedbDialog::Query(CDiscRecord &record)
{
    m_worker->StartQuery(record);
    exec();
    m_worker->Wait();
    if (!m_worker->Succeeded())
        return false;
    record = m_worker->Record();
    return true;
}

bool CFreedbDialog::Submit(const CDiscRecord &record, const std::string &body)
{
    if (!CFreedbClient::IsValidEmail(m_account.email)) {
        if (m_pMessageBox)
            m_pMessageBox->Show(kEmailRequired, CMessageBox::kOk, CMessageBox::kIconWarning);
        return false;
    }
    m_worker->StartSubmit(record, body);
    exec();
    m_worker->Wait();
    return m_worker->Succeeded();
}

void CFreedbDialog::reject()
{
    if (m_worker->Active()) {
        m_status->setText(QString::fromLatin1(kAborting));
        m_worker->Cancel();
        return; // the worker closes the window when it has stopped
    }
    QDialog::reject();
}

void CFreedbDialog::OnFinished()
{
    if (m_worker->KeepOpen()) {
        m_cancel->setText(QStringLiteral("Close"));
        return;
    }
    done(m_worker->Succeeded() ? QDialog::Accepted : QDialog::Rejected);
}

void CFreedbDialog::OnQuestion(const CFreedbWorker::Question &question)
{
    CFreedbWorker::Answer answer;
    if (question.kind == CFreedbWorker::Question::Kind::Matches) {
        CMatchesDialog matches(question.lines, this);
        if (matches.exec() == QDialog::Accepted) {
            answer.index = matches.Selected();
            answer.confirmed = answer.index >= 0;
        }
    } else if (m_pMessageBox) {
        CSubmitDialog submit(question.lines, *m_pMessageBox, this);
        if (submit.exec() == QDialog::Accepted)
            answer = submit.Choice();
    }
    m_worker->Reply(answer);
}

#include "ui/CFreedbAutoQuery.h"

#include "engine/CCdPlayback.h"
#include "ui/CMatchesDialog.h"

#include <QWidget>

CFreedbAutoQuery::CFreedbAutoQuery(CCdPlayback &cd, std::function<CFreedbDialog::Account()> account,
                                   QWidget *window)
    : m_cd(cd), m_account(std::move(account)), m_pWindow(window)
{
}

CFreedbAutoQuery::~CFreedbAutoQuery()
{
    // Each worker posts to this object: they end before it goes.
    m_running.clear();
}

void CFreedbAutoQuery::Start(int drive, const CDiscRecord &copy)
{
    m_running.erase(drive);
    const unsigned serial = ++m_nSerial;
    const CFreedbDialog::Account account = m_account ? m_account() : CFreedbDialog::Account{};
    CFreedbWorker::Hooks hooks;
    hooks.ask = [this, drive, serial](const CFreedbWorker::Question &question) {
        QMetaObject::invokeMethod(
            this, [this, drive, serial, question] { Ask(drive, serial, question); }, Qt::QueuedConnection);
    };
    hooks.finished = [this, drive, serial] {
        QMetaObject::invokeMethod(this, [this, drive, serial] { Finished(drive, serial); }, Qt::QueuedConnection);
    };
    Run run{serial, std::make_unique<CFreedbWorker>(account.server, account.email, std::move(hooks))};
    CFreedbWorker &worker = *run.worker;
    m_running[drive] = std::move(run);
    worker.StartQuery(copy);
}

void CFreedbAutoQuery::Ask(int drive, unsigned serial, const CFreedbWorker::Question &question)
{
    const auto found = m_running.find(drive);
    if (found == m_running.end() || found->second.serial != serial)
        return;
    CFreedbWorker::Answer answer;
    if (question.kind == CFreedbWorker::Question::Kind::Matches) {
        CMatchesDialog matches(question.lines, m_pWindow);
        if (matches.exec() == QDialog::Accepted) {
            answer.index = matches.Selected();
            answer.confirmed = answer.index >= 0;
        }
    }
    // The look-up may have been replaced while the user chose.
    const auto still = m_running.find(drive);
    if (still != m_running.end() && still->second.serial == serial)
        still->second.worker->Reply(answer);
}

void CFreedbAutoQuery::Finished(int drive, unsigned serial)
{
    const auto found = m_running.find(drive);
    if (found == m_running.end() || found->second.serial != serial)
        return;
    std::unique_ptr<CFreedbWorker> worker = std::move(found->second.worker);
    m_running.erase(found);
    worker->Wait();
    if (worker->Succeeded())
        m_cd.TakeQueried(drive, worker->Record());
}

#pragma once
// The freedb progress window: a status line and Cancel, over a CFreedbWorker that does the network
// work on its own thread, so the window never blocks. It runs one operation modally: the site list,
// a query and read (several matches bring up "Possible matches"), or a submission (after "Submit
// Disc Information"). When the worker succeeds, or the user cancelled it or one of those choosers,
// the window closes by itself; when it fails, Cancel becomes "Close" and the window stays open on
// the last status. Cancel while the worker runs shows "Aborting connection..." and ends the exchange.
//
// Threads: user-interface thread only; the worker's reports arrive as queued calls.

#include "cd/CDiscRecord.h"
#include "cd/CFreedbWorker.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class CMessageBox;
class QLabel;
class QPushButton;

class CFreedbDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *kAborting = "Aborting connection...";
    static constexpr const char *kEmailRequired = "A valid email address is required for freedb data submissions.  ";

    struct Account {
        std::string server; // empty: the built-in server
        std::string email;
    };

    // `messageBox` answers the submission's questions; it may be null for the site list and queries.
    CFreedbDialog(Account account, CMessageBox *messageBox, QWidget *parent = nullptr);
    ~CFreedbDialog() override;

    // Each runs the window modally and returns whether the operation succeeded.
    bool GetSiteList(std::vector<std::string> &lines);
    // On success `record` becomes the worker's copy with the entry's texts.
    bool Query(CDiscRecord &record);
    // `body` from CFreedbEntry::BuildXmcdEntry.
    bool Submit(const CDiscRecord &record, const std::string &body);

    // Shorter network limits (the tests).
    void SetTimeouts(long connectMs, long totalMs) { m_worker->SetTimeouts(connectMs, totalMs); }

    QString StatusText() const;
    QPushButton *CancelButton() const { return m_cancel; }

    void reject() override;

private:
    void OnFinished();
    void OnQuestion(const CFreedbWorker::Question &question);

    Account m_account;
    CMessageBox *m_pMessageBox;
    QLabel *m_status = nullptr;
    QPushButton *m_cancel = nullptr;
    std::unique_ptr<CFreedbWorker> m_worker;
};

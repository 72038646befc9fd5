#pragma once
// The freedb look-up of discs that no local source knew (setting `autoquery`): each runs on a
// CFreedbWorker of its own without a window, on the copy of the record the refresh handed over, and
// its answer replaces the drive's record when the drive still holds that disc. When several entries
// match, "Possible matches" asks the user. A new look-up for a drive ends the one still running.
//
// Threads: user-interface thread; the workers' reports arrive as queued calls.

#include "cd/CDiscRecord.h"
#include "cd/CFreedbWorker.h"
#include "ui/CFreedbDialog.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>

class CCdPlayback;
class QWidget;

class CFreedbAutoQuery : public QObject {
    Q_OBJECT
public:
    // `account` is read at each start (the options may have changed it); `window` parents the
    // matches dialog.
    CFreedbAutoQuery(CCdPlayback &cd, std::function<CFreedbDialog::Account()> account, QWidget *window);
    ~CFreedbAutoQuery() override;

    void Start(int drive, const CDiscRecord &copy);
    int Running() const { return static_cast<int>(m_running.size()); }

private:
    struct Run {
        unsigned serial = 0;
        std::unique_ptr<CFreedbWorker> worker;
    };
    void Finished(int drive, unsigned serial);
    void Ask(int drive, unsigned serial, const CFreedbWorker::Question &question);

    CCdPlayback &m_cd;
    std::function<CFreedbDialog::Account()> m_account;
    QWidget *m_pWindow;
    std::map<int, Run> m_running;
    unsigned m_nSerial = 0;
};

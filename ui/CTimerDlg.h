#pragma once
// The modal "Timer Playback" dialog (Ctrl+B): a daily start time and stop time, each with its check
// box, and the screen-saver rule (start when the saver starts; continue, pause or stop when it ends),
// whose controls are enabled only when a screen saver can be followed. OK stores `timer`, `timeroff`
// and `scrsave` (times packed as CTimedPlayback describes, so 00:00:00 is stored as 1).
//
// Threads: user-interface thread only.

#include <QDialog>
#include <QTime>

#include <functional>

class CPlayerDoc;
class QButtonGroup;
class QCheckBox;
class QRadioButton;
class QTimeEdit;

class CTimerDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 147;
    static constexpr int kCommandId = 32881; // Ctrl+B

    // `now` gives the local time shown by a picker whose time is off (default: the current time).
    CTimerDlg(CPlayerDoc &doc, bool saverDetectable, QWidget *parent = nullptr,
              std::function<QTime()> now = {});

    // Runs the dialog with the document's modal flag raised.
    int exec() override;
    void accept() override;

    QCheckBox *StartBox() const { return m_startBox; }
    QCheckBox *StopBox() const { return m_stopBox; }
    QTimeEdit *StartTime() const { return m_startTime; }
    QTimeEdit *StopTime() const { return m_stopTime; }
    QCheckBox *SaverBox() const { return m_saverBox; }
    QRadioButton *SaverRadio(int rule) const; // rule 1 continue, 2 pause, 3 stop

private:
    void LoadTime(std::int32_t packed, QCheckBox *box, QTimeEdit *picker, const QTime &now);
    void UpdateSaverRadios();

    CPlayerDoc &m_doc;
    QCheckBox *m_startBox = nullptr;
    QCheckBox *m_stopBox = nullptr;
    QTimeEdit *m_startTime = nullptr;
    QTimeEdit *m_stopTime = nullptr;
    QCheckBox *m_saverBox = nullptr;
    QButtonGroup *m_saverGroup = nullptr;
};

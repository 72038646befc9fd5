#pragma once
// The "Tracks" page of the disc information sheet: the disc's audio tracks (number, title, duration
// MM:SS.FF), and for the chosen track ("Track N:") its title and extended text. Title edits show in
// the list at once. In the title edit Down goes to the next track (stopping at the last), Enter to
// the next (wrapping to the first) and Up to the previous (wrapping to the last), selecting the new
// title for overtyping; Ctrl+Tab in the extended text types a TAB. Object names: tracks, track,
// tracktitle, extt.
//
// Threads: user-interface thread only.

#include <QWidget>

class CDiscRecord;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

class CDiscInfo2 : public QWidget {
    Q_OBJECT
public:
    CDiscInfo2(CDiscRecord &record, QWidget *parent = nullptr);

    // Rebuilds the list from the record and selects the first row.
    void Load();
    // Makes the row of `track` current and puts the focus on its title.
    void SelectTrack(int track);
    int CurrentTrack() const { return m_nTrack; }

    QTreeWidget *List() const { return m_list; }
    QLabel *TrackLabel() const { return m_label; }
    QLineEdit *TitleEdit() const { return m_title; }
    QPlainTextEdit *ExttEdit() const { return m_extt; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowTrack(int row);
    void MoveTo(int row);

    CDiscRecord &m_record;
    QTreeWidget *m_list = nullptr;
    QLabel *m_label = nullptr;
    QLineEdit *m_title = nullptr;
    QPlainTextEdit *m_extt = nullptr;
    int m_nTrack = 0;
};

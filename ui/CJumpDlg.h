#pragma once
// The modal "Jump to Track" dialog (Ctrl+T): a "Search for:" edit filtering the playlist's lines as
// the user types (CJumpList), the list, OK and Cancel. Up and Down in the edit move the selection
// with wrap-around. The window opens at xjump/yjump and stores a changed position when it closes.
// On OK with a line selected it emits rowChosen(row); the frame then plays that row.
//
// Threads: user-interface thread only.

#include "engine/CJumpList.h"

#include <QDialog>

class CPlayerDoc;
class QLineEdit;
class QListWidget;

class CJumpDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 149;
    static constexpr int kCommandId = 32895;  // Ctrl+T
    static constexpr int kNextLineId = 32898; // Down
    static constexpr int kPrevLineId = 32897; // Up

    explicit CJumpDlg(CPlayerDoc &doc, QWidget *parent = nullptr);

    // Runs the dialog with the document's modal flag raised.
    int exec() override;
    void done(int result) override;

    // The playlist row of the selected line; -1 when none.
    int ChosenRow() const { return m_list.ChosenRow(); }

    QLineEdit *SearchEdit() const { return m_edit; }
    QListWidget *ListBox() const { return m_listBox; }

signals:
    void rowChosen(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnFilterChanged(const QString &text);
    void FillList();
    void ShowSelection();

    CPlayerDoc &m_doc;
    CJumpList m_list;
    QLineEdit *m_edit = nullptr;
    QListWidget *m_listBox = nullptr;
    int m_nOpenedX = 0;
    int m_nOpenedY = 0;
};

#pragma once
// "Submit Disc Information": before a submission the user either updates one of the disc's existing
// freedb entries (the list, like the matches) or creates a new entry in one of the eleven categories
// (those that already hold an entry for the disc are not offered). With existing entries the first is
// selected and the update choice is made; without, only a new entry can be chosen. OK with a new
// entry and no category keeps the dialog open with a message.
//
// Threads: user-interface thread only.

#include "cd/CFreedbWorker.h"

#include <QDialog>

#include <string>
#include <vector>

class CMessageBox;
class QComboBox;
class QRadioButton;
class QTreeWidget;

class CSubmitDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Submit Disc Information";
    static constexpr const char *kNoCategoryMessage = "Please select a category for the new entry.  ";

    CSubmitDialog(const std::vector<std::string> &existing, CMessageBox &messageBox, QWidget *parent = nullptr);

    void accept() override;
    // The choice once accepted.
    CFreedbWorker::Answer Choice() const { return m_choice; }

private:
    void UpdateEnabled();

    CMessageBox &m_messageBox;
    QRadioButton *m_update = nullptr;
    QRadioButton *m_create = nullptr;
    QTreeWidget *m_entries = nullptr;
    QComboBox *m_category = nullptr;
    CFreedbWorker::Answer m_choice;
};

#pragma once
// The disc information sheet, "Disc Information (Drive X:)": the pages "General" and "Tracks" edit a
// copy of a drive's disc record, which "Get CD-Text" (when the drive may read it) and "Retrieve Data"
// (freedb) replace, and which "Submit Data" sends to freedb after the submission body's checks, taking
// the user to the first missing field. "Save" accepts the copy, "Cancel" drops it; the caller
// decides where a saved copy goes. The sheet opens where it was last closed.
//
// Threads: user-interface thread only.

#include "cd/CDiscRecord.h"
#include "ui/CFreedbDialog.h"

#include <QDialog>

class CDiscInfo1;
class CDiscInfo2;
class CMessageBox;
class ICdDeviceOpener;
class QPushButton;
class QTabWidget;

class CDiscInfoSheet : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *kNoCdText = "No CD-Text information found.  ";

    struct Links {
        CMessageBox *messageBox = nullptr;        // required
        const ICdDeviceOpener *drives = nullptr;  // for CD-Text; null: none
        CFreedbDialog::Account account;
        int *x = nullptr; // the remembered position (left, top); null: not remembered
        int *y = nullptr;
    };

    CDiscInfoSheet(const CDiscRecord &record, Links links, QWidget *parent = nullptr);

    const CDiscRecord &Record() const { return m_record; }
    QTabWidget *Tabs() const { return m_tabs; }
    CDiscInfo1 *GeneralPage() const { return m_general; }
    CDiscInfo2 *TracksPage() const { return m_tracks; }
    QPushButton *CdTextButton() const { return m_cdText; }
    QPushButton *RetrieveButton() const { return m_retrieve; }
    QPushButton *SubmitButton() const { return m_submit; }
    QPushButton *SaveButton() const { return m_save; }

    void OnGetCdText();
    void OnRetrieveData();
    void OnSubmitData();

    void done(int result) override;

private:
    void Reload();

    CDiscRecord m_record;
    Links m_links;
    QTabWidget *m_tabs = nullptr;
    CDiscInfo1 *m_general = nullptr;
    CDiscInfo2 *m_tracks = nullptr;
    QPushButton *m_cdText = nullptr;
    QPushButton *m_retrieve = nullptr;
    QPushButton *m_submit = nullptr;
    QPushButton *m_save = nullptr;
};

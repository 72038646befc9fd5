#pragma once
// Raises the document's modal-dialog flag for as long as it lives (tray clicks wait while a modal
// dialog is up) and puts back the value it found, so nested dialogs keep the flag raised.
//
// Threads: user-interface thread only.

class CPlayerDoc;

class CModalDialogGuard {
public:
    explicit CModalDialogGuard(CPlayerDoc &doc);
    ~CModalDialogGuard();
    CModalDialogGuard(const CModalDialogGuard &) = delete;
    CModalDialogGuard &operator=(const CModalDialogGuard &) = delete;

private:
    CPlayerDoc &m_doc;
    bool m_bWasOpen;
};

#pragma once
// The options page "freedb" (offered only with a CD drive, a CD image counting as one): the e-mail
// address sent to the freedb server, the server (chosen from the stored server list or typed),
// "Refresh List" to fetch the server list from the server shown, and whether unknown discs are
// looked up by themselves. It reads the registry the first time it is shown; a page never shown
// reports itself unopened. "Refresh List" stores the new list at once; the address and server are
// written when the sheet is confirmed. Object names: freedb_email, freedb_server, refreshlist,
// autoquery.
//
// Threads: user-interface thread only.

#include "engine/COptionsChoices.h"

#include <QWidget>

class CRegistry;
class QCheckBox;
class QComboBox;
class QLineEdit;

class COptionsFreeDB : public QWidget {
    Q_OBJECT
public:
    COptionsFreeDB(const COptionsChoices::Freedb &current, CRegistry *registry, QWidget *parent = nullptr);

    bool Initialised() const { return m_bInitialised; }
    void Initialise();
    void Read(COptionsChoices::Freedb &choices) const;
    // Fetches the site list from the server shown and replaces the stored list; nothing changes when
    // that fails.
    void RefreshList();

    QComboBox *ServerBox() const { return m_server; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    COptionsChoices::Freedb m_current;
    CRegistry *m_pRegistry;
    bool m_bInitialised = false;
    QLineEdit *m_email = nullptr;
    QComboBox *m_server = nullptr;
    QCheckBox *m_autoquery = nullptr;
};

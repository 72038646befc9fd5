#pragma once
// The options page "Setup": when playback starts by itself, resuming the last position, function-key
// monitoring, the registered file types (a list with check boxes, one row per type: checked when the
// type is associated with the program now), the tray and the actions of one to four tray clicks.
// The page reads the settings and the associations the first time it is shown; a page never shown
// reports itself unopened and changes nothing. Controls carry their setting's name as object name;
// the file-type list is "filetypes".
//
// Threads: user-interface thread only.

#include "engine/COptionsChoices.h"

#include <QWidget>

class CFileAssociations;
class QCheckBox;
class QComboBox;
class QTreeWidget;

class COptionsFileTypes : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kClickActions[] = {
        "[No Action]", "Play/Pause", "Stop", "Previous Track", "Next Track", "Show/Hide Melvane",
        "View File/Disc Information"};

    // The WMA row is offered only with the Windows Media plug-in, the CD row only with a CD drive;
    // without `associations` the list stays empty.
    COptionsFileTypes(const CPlayerSettings &current, CFileAssociations *associations, bool wmaAvailable,
                      bool hasCdDrive, QWidget *parent = nullptr);

    bool Initialised() const { return m_bInitialised; }
    // Fills the controls (once); showing the page does it.
    void Initialise();
    void Read(COptionsChoices &choices) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QCheckBox *AddCheck(const char *name, const char *text);

    CPlayerSettings m_current;
    CFileAssociations *m_pAssociations;
    bool m_bInitialised = false;
    QCheckBox *m_autoplay0 = nullptr;
    QCheckBox *m_autoplay1 = nullptr;
    QCheckBox *m_lastpos = nullptr;
    QCheckBox *m_keyhook = nullptr;
    QTreeWidget *m_types = nullptr;
    QCheckBox *m_minimizetray = nullptr;
    QCheckBox *m_minimizestart = nullptr;
    QComboBox *m_clicks[4] = {};
};

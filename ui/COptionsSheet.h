#pragma once
// The modal options sheet "Melvane Options" (Ctrl+P): the pages "General" and "Setup", and "freedb"
// when there is a CD drive (a CD image counts as one). The settings
// change only when the user confirms with OK; COptionsApply then applies the pages' choices.
//
// Threads: user-interface thread only.

#include "engine/COptionsApply.h"

#include <QDialog>

#include <functional>

class CFileAssociations;
class CMessageBox;
class CPlayerCore;
class COptionsBass;
class COptionsFileTypes;
class COptionsFreeDB;
class CRegistry;
class QTabWidget;

class COptionsSheet : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Melvane Options";

    struct Links {
        CPlayerCore *core = nullptr;            // required
        CMessageBox *messageBox = nullptr;      // required
        CFileAssociations *associations = nullptr;
        CRegistry *registry = nullptr;          // the freedb account and server list; null: not kept
        bool hasCdDrive = false;
        std::function<void()> trayChanged; // minimizetray changed
    };

    explicit COptionsSheet(const Links &links, QWidget *parent = nullptr);

    // Runs the sheet with the document's modal flag raised.
    int exec() override;
    void accept() override;

    QTabWidget *Tabs() const { return m_tabs; }
    COptionsBass *GeneralPage() const { return m_general; }
    COptionsFileTypes *SetupPage() const { return m_setup; }
    COptionsFreeDB *FreedbPage() const { return m_freedb; } // null without a CD drive
    // What the last OK did.
    const COptionsApply::Result &LastResult() const { return m_result; }

private:
    Links m_links;
    COptionsApply m_apply;
    QTabWidget *m_tabs = nullptr;
    COptionsBass *m_general = nullptr;
    COptionsFileTypes *m_setup = nullptr;
    COptionsFreeDB *m_freedb = nullptr;
    COptionsApply::Result m_result;
};

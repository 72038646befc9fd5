#pragma once
// The common frame of the file information windows: caption, the read-only path at the top, the
// window's own content, "Save" (the default button) and "Cancel", and the position shared by all of
// them (xinfo, yinfo), taken when the window opens and stored when it closes ((0, 0) when partly off
// the top or left). While one is up the document's modal flag is raised.
//
// Threads: user-interface thread only.

#include <QDialog>

#include <string>

class CPlayerDoc;
class QBoxLayout;
class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;

class CInfoDialog : public QDialog {
    Q_OBJECT
public:
    int exec() override;
    void done(int result) override;

    QLineEdit *PathEdit() const { return m_pathEdit; }
    QPushButton *SaveButton() const { return m_saveButton; }

    // Lines of "label\tvalue" as two aligned columns inside `group`.
    static void FillColumns(QGroupBox *group, const std::string &text);
    // The same from a labels column and a values column, one line each.
    static void FillColumns(QGroupBox *group, const std::string &labels, const std::string &values);

protected:
    void showEvent(QShowEvent *event) override;

    CInfoDialog(CPlayerDoc &doc, const std::string &caption, const std::string &path, QWidget *parent);

    // Where the subclass puts its controls, between the path and the buttons.
    QBoxLayout *Body() const { return m_body; }
    // A line edit labelled `label` in `form`, accepting at most `limit` characters (0: no limit).
    QLineEdit *AddEdit(QFormLayout *form, const char *label, const std::string &text, int limit);

private:
    CPlayerDoc &m_doc;
    QLineEdit *m_pathEdit = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QBoxLayout *m_body = nullptr;
    int m_nOpenedX = 0;
    int m_nOpenedY = 0;
};

#pragma once
// "Possible matches": the entries a freedb query found for the disc, one row each showing the
// category and the title ("category discid title" lines). The first row is selected when it opens;
// OK (or a double click) takes the selected row.
//
// Threads: user-interface thread only.

#include <QDialog>

#include <string>
#include <vector>

class QTreeWidget;

class CMatchesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Possible matches";

    explicit CMatchesDialog(const std::vector<std::string> &lines, QWidget *parent = nullptr);

    // The selected row, -1 when none.
    int Selected() const;

    // Fills a two-column list (category, title) with match lines; shared with the submission dialog.
    static void FillList(QTreeWidget *list, const std::vector<std::string> &lines);
    static QTreeWidget *MakeList(QWidget *parent);

private:
    QTreeWidget *m_list = nullptr;
};

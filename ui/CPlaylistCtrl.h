#pragma once
// The playlist list control: a table view over CPlaylistModel that shows the document's rows with the
// chosen columns, keeps the view's selection and focus in step with the document's positional state,
// and offers the user's editing: adding files and folders and drops from the file manager (the
// rules are CPlaylistEditor's), removing, moving rows by dragging (with a 50 ms auto-scroll outside
// the rows), sorting by a header click (a second click reverses), showing and hiding columns, font
// and colours, and the key and context-menu commands.
//
// Rows have one fixed height and no per-row widgets, so 10000 rows scroll and sort at once.
// Threads: user-interface thread only.

#include "playlist/CPlaylistEditor.h"

#include <QPoint>
#include <QTableView>
#include <QTimer>

#include <string>
#include <vector>

class CMessageBox;
class CPlayerDoc;
class CPlaylistModel;

class CPlaylistCtrl : public QTableView {
    Q_OBJECT

public:
    static constexpr int kAutoScrollStep = 16;
    static constexpr int kAutoScrollMs = 50;
    static constexpr int kDefaultWidth = 100; // shown for stored widths below 16

    CPlaylistCtrl(CPlayerDoc &doc, CMessageBox &messageBox, QWidget *parent = nullptr);
    ~CPlaylistCtrl() override;

    CPlaylistModel &Model() { return *m_pModel; }
    CPlaylistEditor &Editor() { return m_editor; }

    // Column layout from the settings (ids in order, widths), and back into them.
    void ApplyColumnLayout();
    void SaveColumnLayout();
    bool IsColumnShown(int column) const;
    // Shows a hidden column as the last one with its stored width, or stores the width of a shown one
    // and hides it.
    void ToggleColumn(int column);

    // Settings-derived font (vplfont, vplsize points, vplbold, vplitalic) and colours (vplcolour, vplback).
    void ApplyFontAndColours();

    // Files dropped from the file manager (the drop event's paths).
    void DropPaths(const std::vector<std::string> &paths);
    // File information for `row`: a file that cannot be opened is offered for removal, else
    // fileInfoRequested(row) asks for the dialog of its type.
    void ShowFileInformation(int row);
    // The entry of `row` changed (after an information dialog): its cells are read again.
    void RefreshRow(int row);

    // Row dragging, as the mouse drives it (positions in viewport coordinates).
    void BeginRowDrag(int row);
    void DragMoveTo(const QPoint &pos);
    void EndRowDrag();
    bool RowDragging() const { return m_bDragging; }
    int DropTarget() const { return m_nDropTarget; }
    int AutoScrollStep() const { return m_nScrollStep; }
    int ContextRow() const { return m_nContextRow; }

public slots:
    void AddFiles();
    void AddFolder();
    void RemoveSelected();
    void Refresh();
    void SortBy(int column);
    void ShowColumnMenu(const QPoint &globalPos);
    void ShowListMenu(const QPoint &globalPos);
    void ChooseFont();
    void ChooseTextColour();
    void ChooseBackgroundColour();

signals:
    void playRequested(int row);
    void fileInfoRequested(int row);
    // After adding to a list without a selection: the entry to make current when nothing plays.
    void currentEntryChosen(int row);
    // Font or colours changed: the CD track lists take the same.
    void fontAndColoursChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void SyncSelectionFromDoc();
    void OnSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void FocusRow(int row);
    void OnAutoScroll();
    void ShowColumn(int column);
    void HideColumn(int column);

    CPlayerDoc &m_doc;
    CMessageBox &m_messageBox;
    CPlaylistModel *m_pModel = nullptr;
    CPlaylistEditor m_editor;
    bool m_bSyncing = false;

    bool m_bDragging = false;
    int m_nDropTarget = -1;
    int m_nScrollStep = 0;
    QTimer m_scrollTimer;
    int m_nPressRow = -1;
    int m_nContextRow = -1;
};

#pragma once
// The CD track list of one drive's tab: a table of the disc's audio tracks in the disc record's play
// order, one check box per track (the tracks that play), with the columns track number, title and
// duration. Sorting by a header click (a second click on the same column reverses), dragging a row to
// another place (with a 50 ms auto-scroll above and below the rows) and the check boxes write the
// order and the selection back into the drive's record, which the player saves in cd.ini; so the
// disc plays in the order shown, and only the checked tracks. Its menu offers the disc commands the
// window hands it, Check All, and the font and colours it shares with the playlist.
//
// The rows themselves are CCdTrackRows; this class shows them and is the play order's view of the
// tab (ICdTrackList).
//
// Threads: user-interface thread only.

#include "cd/CCdTrackRows.h"
#include "engine/ICdTrackList.h"

#include <QList>
#include <QTableWidget>
#include <QTimer>

#include <array>

class CCdPlayback;
class CPlaybackEngine;
class CPlayerCore;
class CPlayerDoc;
class QAction;

class CCdListCtrl : public QTableWidget, public ICdTrackList {
    Q_OBJECT

public:
    static constexpr int kAutoScrollMs = 50;

    CCdListCtrl(CPlayerCore &core, int drive, QWidget *parent = nullptr);

    int Drive() const { return m_nDrive; }
    // True while the list writes its rows back into the record (the record's change is its own).
    bool WritingBack() const { return m_bBusy; }
    const CCdTrackRows &Rows() const { return m_rows; }

    // Rebuilds the rows from the drive's record; the first row is selected. Empty without a disc.
    void Fill();
    // Column 0 track, 1 title, 2 duration; the selected track stays selected.
    void SortBy(int column);
    void CheckAll();
    void SetRowChecked(int row, bool checked);
    void ApplyFontAndColours();
    // The window's disc commands, shown first in the list's menu.
    void SetDiscActions(const QList<QAction *> &actions) { m_discActions = actions; }

    // Row dragging as the mouse drives it (positions in viewport coordinates).
    void BeginRowDrag(int row);
    void DragMoveTo(const QPoint &pos);
    void EndRowDrag();
    bool RowDragging() const { return m_bDragging; }
    int DropTarget() const { return m_nDropTarget; }
    int AutoScrollStep() const { return m_nScrollStep; }

    // ICdTrackList
    int RowCount() const override { return m_rows.Count(); }
    bool IsChecked(int row) const override;
    int TrackNumber(int row) const override;
    char DriveLetter() const override;
    int FirstSelectedRow() const override;
    void SelectAndFocus(int row) override;
    bool IsPlayed(int row) const override;
    void SetPlayed(int row, bool played) override;
    void ClearPlayed() override { m_played.fill(false); }
    char PlayingDrive() const override;
    int PlayingTrack() const override;

signals:
    void playRequested(int row);
    // The rows' order or check boxes changed and were written back.
    void rowsChanged();
    void fontAndColoursChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void ShowRows();
    void WriteBack();
    void OnItemChanged(QTableWidgetItem *item);
    void OnAutoScroll();
    void ShowMenu(const QPoint &globalPos);

    CCdPlayback &m_cd;
    const CPlaybackEngine &m_engine;
    CPlayerDoc &m_doc;
    int m_nDrive;
    CCdTrackRows m_rows;
    std::array<bool, kMaxRows> m_played{};
    QList<QAction *> m_discActions;
    bool m_bBusy = false;

    bool m_bDragging = false;
    int m_nDragRow = -1;
    int m_nDropTarget = -1;
    int m_nScrollStep = 0;
    int m_nPressRow = -1;
    QTimer m_scrollTimer;
};

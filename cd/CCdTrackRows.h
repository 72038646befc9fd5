#pragma once
// The rows of a CD track list, without a window: one row per audio track of a disc record in its
// play order, each with its check box; sorting by a column (a stable exchange sort, reversed when the
// same column is sorted again), moving a row, checking all, and writing the order and check boxes
// back into the record. The list control shows these rows; tests drive them alone.
//
// Columns: 0 track number, 1 title ("Untitled" when empty), 2 duration (m:ss).
// Threads: whichever thread owns it (the UI thread for the list control).

#include "cd/CDiscRecord.h"

#include <string>
#include <vector>

class CCdTrackRows {
public:
    static constexpr const char *kUntitled = "Untitled";

    struct Row {
        int track = 0;
        bool checked = false;
        std::string title; // the record's title, empty when it has none
        int seconds = 0;
    };

    // Rebuilds the rows from the play order (at most the record's audio track count, tracks with a
    // length only). Forgets the last sorted column.
    void Fill(const CDiscRecord &record);
    void Clear();

    int Count() const { return static_cast<int>(m_rows.size()); }
    const Row &At(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    // The row showing `track`, or -1.
    int RowOfTrack(int track) const;

    // The cell texts of `row` in `column`.
    std::string Text(int row, int column) const;
    static std::string DurationText(int seconds);

    // Sorts by column 0, 1 (case-insensitive) or 2; the same column again reverses the rows. Needs at
    // least two rows. False when nothing was done.
    bool SortBy(int column);
    int SortedColumn() const { return m_nSortColumn; }
    // Moves row `from` to position `to` (the rows between shift by one). False when nothing moved.
    bool Move(int from, int to);
    void SetChecked(int row, bool checked);
    void CheckAll();

    // The play order (the rows' tracks in order) and the check boxes into `record`.
    void WriteBack(CDiscRecord &record) const;

private:
    std::vector<Row> m_rows;
    int m_nSortColumn = -1;
};

#pragma once
// The positional state of the playlist: which row is current, which plays, how the list was last
// sorted, which entries random play has already played, how many rows are shown and which rows are
// selected. Only the document writes it (as it renumbers entries, and through its positional
// operations for the engine, the play order and the list control). m_nCurrent is the focused row (the one the next Play
// starts from).
//
// Threads: user-interface thread only.

#include <array>
#include <cstdint>
#include <vector>

class CPlaylistState {
public:
    static constexpr int kMaxRows = 10000;

    CPlaylistState();

    std::int32_t m_nCurrent = 0;
    std::int32_t m_nPlaying = -1;       // -1 when nothing plays
    std::int32_t m_nSortColumn = -1;    // column id of the last sort, -1 when no sort applies
    bool m_bSortDescending = false;
    std::array<std::int32_t, kMaxRows> m_aPlayed{}; // 1 = played in this pass of random play
    std::int32_t m_nRowCount = 0;       // rows shown; equals the entry count after every operation
    bool m_bBusy = false;               // set while Remove or Refresh run; they refuse to start again

    // Rows outside 0 to m_nRowCount-1 are never selected.
    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    void DeselectAll();
    int SelectedCount() const { return m_nSelectedCount; }
    // The first selected row after `after` (-1 searches from the top), or -1.
    int NextSelected(int after) const;
    std::vector<int> SelectedRows() const;
    // Keeps the selection flags with their rows when one row moves from `from` to `to`.
    void MoveRow(int from, int to);

    void ClearPlayedFlags();
    // What every renumbering operation ends with: all flags cleared, then the playing entry marked.
    void ClearPlayedAndMarkPlaying();

private:
    std::vector<std::uint8_t> m_aSelected;
    int m_nSelectedCount = 0;
};

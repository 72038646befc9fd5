#include "playlist/CPlaylistState.h"

#include <algorithm>

CPlaylistState::CPlaylistState() : m_aSelected(kMaxRows, 0) {}

bool CPlaylistState::IsSelected(int row) const
{
    return row >= 0 && row < m_nRowCount && m_aSelected[row] != 0;
}

void CPlaylistState::SetSelected(int row, bool selected)
{
    if (row < 0 || row >= m_nRowCount || (m_aSelected[row] != 0) == selected)
        return;
    m_aSelected[row] = selected ? 1 : 0;
    m_nSelectedCount += selected ? 1 : -1;
}

void CPlaylistState::DeselectAll()
{
    std::fill(m_aSelected.begin(), m_aSelected.end(), 0);
    m_nSelectedCount = 0;
}

int CPlaylistState::NextSelected(int after) const
{
    for (int row = std::max(after + 1, 0); row < m_nRowCount; ++row) {
        if (m_aSelected[row])
            return row;
    }
    return -1;
}

std::vector<int> CPlaylistState::SelectedRows() const
{
    std::vector<int> rows;
    rows.reserve(m_nSelectedCount);
    for (int row = 0; row < m_nRowCount; ++row) {
        if (m_aSelected[row])
            rows.push_back(row);
    }
    return rows;
}

void CPlaylistState::MoveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= kMaxRows || to >= kMaxRows || from == to)
        return;
    auto base = m_aSelected.begin();
    if (from < to)
        std::rotate(base + from, base + from + 1, base + to + 1);
    else
        std::rotate(base + to, base + from, base + from + 1);
}

void CPlaylistState::ClearPlayedFlags()
{
    m_aPlayed.fill(0);
}

void CPlaylistState::ClearPlayedAndMarkPlaying()
{
    ClearPlayedFlags();
    if (m_nPlaying >= 0 && m_nPlaying < kMaxRows)
        m_aPlayed[m_nPlaying] = 1;
}

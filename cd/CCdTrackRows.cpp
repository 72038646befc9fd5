#include "cd/CCdTrackRows.h"

#include <algorithm>
#include <utility>

namespace {

std::string Folded(const std::string &text)
{
    std::string folded = text;
    for (char &c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

} // namespace

void CCdTrackRows::Fill(const CDiscRecord &record)
{
    Clear();
    const int positions = std::clamp(record.m_nAudioTracks, 0, CDiscRecord::kSlots);
    for (int i = 0; i < positions; ++i) {
        const int track = record.m_nOrder[static_cast<std::size_t>(i)];
        if (track <= 0 || track >= CDiscRecord::kSlots)
            continue;
        const auto t = static_cast<std::size_t>(track);
        if (record.m_nLength[t] <= 0)
            continue;
        m_rows.push_back({track, record.m_bChecked[t] != 0, record.m_strTitle[t], record.m_nLength[t]});
    }
}

void CCdTrackRows::Clear()
{
    m_rows.clear();
    m_nSortColumn = -1;
}

int CCdTrackRows::RowOfTrack(int track) const
{
    for (int r = 0; r < Count(); ++r) {
        if (At(r).track == track)
            return r;
    }
    return -1;
}

std::string CCdTrackRows::DurationText(int seconds)
{
    seconds = std::max(seconds, 0);
    const int s = seconds % 60;
    return std::to_string(seconds / 60) + ":" + (s < 10 ? "0" : "") + std::to_string(s);
}

std::string CCdTrackRows::Text(int row, int column) const
{
    if (row < 0 || row >= Count())
        return {};
    const Row &r = At(row);
    switch (column) {
    case 0: return std::to_string(r.track);
    case 1: return r.title.empty() ? kUntitled : r.title;
    case 2: return DurationText(r.seconds);
    default: return {};
    }
}

bool CCdTrackRows::SortBy(int column)
{
    const int n = Count();
    if (n < 2 || column < 0 || column > 2)
        return false;
    if (column == m_nSortColumn) {
        for (int i = 0; i < n / 2; ++i)
            std::swap(m_rows[static_cast<std::size_t>(i)], m_rows[static_cast<std::size_t>(n - 1 - i)]);
        return true;
    }
    auto after = [column](const Row &a, const Row &b) {
        switch (column) {
        case 0: return a.track > b.track;
        case 1: return Folded(a.title) > Folded(b.title);
        default: return a.seconds > b.seconds;
        }
    };
    // Adjacent swaps of rows strictly out of order only: rows with equal keys keep their order.
    for (int pass = 0; pass < n - 1; ++pass) {
        bool swapped = false;
        for (int i = 0; i < n - 1 - pass; ++i) {
            auto &a = m_rows[static_cast<std::size_t>(i)];
            auto &b = m_rows[static_cast<std::size_t>(i + 1)];
            if (after(a, b)) {
                std::swap(a, b);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }
    m_nSortColumn = column;
    return true;
}

bool CCdTrackRows::Move(int from, int to)
{
    const int n = Count();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return false;
    Row moved = std::move(m_rows[static_cast<std::size_t>(from)]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(moved));
    return true;
}

void CCdTrackRows::SetChecked(int row, bool checked)
{
    if (row >= 0 && row < Count())
        m_rows[static_cast<std::size_t>(row)].checked = checked;
}

void CCdTrackRows::CheckAll()
{
    for (Row &row : m_rows)
        row.checked = true;
}

void CCdTrackRows::WriteBack(CDiscRecord &record) const
{
    for (int i = 0; i < Count() && i < CDiscRecord::kSlots; ++i) {
        const Row &row = At(i);
        record.m_nOrder[static_cast<std::size_t>(i)] = row.track;
        record.m_bChecked[static_cast<std::size_t>(row.track)] = row.checked ? 1 : 0;
    }
    // A track the rows leave out (one without a length) must not stay behind as a second entry.
    for (int i = Count(); i < CDiscRecord::kSlots; ++i)
        record.m_nOrder[static_cast<std::size_t>(i)] = 0;
}

#include "playlist/CPlaylistSorter.h"

#include "playlist/CTextCompare.h"
#include "playlist/PlaylistColumn.h"

#include <numeric>
#include <utility>

namespace {

// Insertion sort over every h-th element for h in Knuth's sequence, largest gap first.
template <typename Before>
void ShellSort(std::uint16_t *items, int count, Before before)
{
    int h = 1;
    while (3 * h + 1 < count)
        h = 3 * h + 1;
    for (; h > 0; h /= 3) {
        for (int j = h; j < count; ++j) {
            for (int k = j; k >= h && before(items[k], items[k - h]); k -= h)
                std::swap(items[k], items[k - h]);
        }
    }
}

std::uint32_t NumberKey(const CPlaylistEntry &entry, int column)
{
    switch (column) {
    case kColumnYear: return static_cast<std::uint32_t>(entry.m_nYear);
    case kColumnType: return CPlaylistSorter::TypeSortKey(entry.m_nType);
    case kColumnBitrate: return static_cast<std::uint32_t>(entry.m_nBitrate);
    case kColumnFrequency: return static_cast<std::uint32_t>(entry.m_nFrequency);
    case kColumnChannels: return static_cast<std::uint32_t>(entry.m_nChannels);
    case kColumnFilesize: return entry.m_nSize;
    case kColumnDuration: return static_cast<std::uint32_t>(entry.m_nDuration);
    default: return 0;
    }
}

std::string_view TextKey(const CPlaylistEntry &entry, int column)
{
    switch (column) {
    case kColumnFilename: return CPlaylistSorter::FileName(entry.m_strPath);
    case kColumnArtist: return entry.m_strArtist;
    case kColumnTitle: return entry.m_strTitle;
    case kColumnAlbum: return entry.m_strAlbum;
    case kColumnGenre: return entry.m_strGenre;
    case kColumnFilepath: return entry.m_strPath;
    default: return {};
    }
}

int CompareNumbers(std::uint32_t a, std::uint32_t b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

} // namespace

std::uint32_t CPlaylistSorter::TypeSortKey(std::int32_t type)
{
    // Indexed by type code: WAV (8) goes last among the file types, OGG and FLAC before WMA.
    static constexpr std::uint32_t kKeys[] = {0, 1, 2, 3, 4, 5, 6, 7, 11, 8, 10, 9, 12};
    if (type >= 0 && type < static_cast<std::int32_t>(std::size(kKeys)))
        return kKeys[type];
    return static_cast<std::uint32_t>(type);
}

std::string_view CPlaylistSorter::FileName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool CPlaylistSorter::IsTextColumn(int column)
{
    return column == kColumnFilename || (column >= kColumnArtist && column <= kColumnGenre) ||
           column == kColumnFilepath;
}

int CPlaylistSorter::Compare(const CPlaylistEntry &a, const CPlaylistEntry &b, int column)
{
    if (!IsPlaylistColumn(column))
        return 0;
    if (IsTextColumn(column))
        return CTextCompare::Compare(TextKey(a, column), TextKey(b, column));
    return CompareNumbers(NumberKey(a, column), NumberKey(b, column));
}

void CPlaylistSorter::BuildKeys(const CPlaylistEntry *entries, int count, int column)
{
    m_bText = IsTextColumn(column);
    m_textKeys.clear();
    m_numberKeys.clear();
    if (m_bText) {
        m_textKeys.reserve(count);
        for (int i = 0; i < count; ++i)
            m_textKeys.push_back(CTextCompare::FoldKey(TextKey(entries[i], column)));
    } else {
        m_numberKeys.reserve(count);
        for (int i = 0; i < count; ++i)
            m_numberKeys.push_back(NumberKey(entries[i], column));
    }
}

int CPlaylistSorter::CompareKeys(std::uint16_t a, std::uint16_t b) const
{
    if (m_bText) {
        const int c = m_textKeys[a].compare(m_textKeys[b]);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return CompareNumbers(m_numberKeys[a], m_numberKeys[b]);
}

std::vector<std::uint16_t> CPlaylistSorter::Sort(const CPlaylistEntry *entries, int count, int column,
                                                 bool descending)
{
    std::vector<std::uint16_t> order(count > 0 ? count : 0);
    std::iota(order.begin(), order.end(), std::uint16_t{0});
    if (count < 2 || !IsPlaylistColumn(column))
        return order;

    BuildKeys(entries, count, column);
    if (descending)
        ShellSort(order.data(), count, [this](std::uint16_t x, std::uint16_t y) { return CompareKeys(x, y) > 0; });
    else
        ShellSort(order.data(), count, [this](std::uint16_t x, std::uint16_t y) { return CompareKeys(x, y) < 0; });

    // A Shell sort is not stable: restore the previous order inside every run of equal keys.
    int start = 0;
    while (start < count) {
        int end = start + 1;
        while (end < count && CompareKeys(order[end - 1], order[end]) == 0)
            ++end;
        if (end - start > 1)
            ShellSort(order.data() + start, end - start, [](std::uint16_t x, std::uint16_t y) { return x < y; });
        start = end;
    }
    m_textKeys.clear();
    m_numberKeys.clear();
    return order;
}

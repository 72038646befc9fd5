#pragma once
// Sorting the playlist by one column.
//
// The order is a Shell sort with Knuth's gaps (1, 4, 13, 40, ...) followed by a stabilising pass:
// every run of neighbours that compare equal is sorted again by the entries' positions before the
// sort, ascending whatever the direction, so equal keys keep their previous relative order both
// ways. The sorter works on a list of 16-bit pre-sort numbers rather than on the entries, so that
// the document can compute the order without holding its lock and then rearrange the entries in
// one short step.
//
// Column comparisons: Filename (the path after the last '/'), Artist, Title, Album, Genre and
// Filepath compare as case-insensitive text (CTextCompare, empty first); Year, Type (by the type's
// sort key), Bitrate, Frequency, Channels, Filesize and Duration compare as unsigned 32-bit numbers,
// so a negative value sorts after every positive one.

#include "core/CPlaylistEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CPlaylistSorter {
public:
    // The order of the sorted list: element i is the pre-sort position of the entry that goes to
    // position i. `count` is at most 10000 (the numbers are 16-bit); an invalid column or fewer than
    // two entries give the identity order.
    std::vector<std::uint16_t> Sort(const CPlaylistEntry *entries, int count, int column, bool descending);

    // Negative, 0 or positive as `a` sorts before, equal to or after `b` in `column` (ascending).
    static int Compare(const CPlaylistEntry &a, const CPlaylistEntry &b, int column);

    // The rank of a type code when sorting by type: MOD 4, 6, 8 channels, S3M, XM, IT, MP3, OGG,
    // FLAC, WMA, WAV, CD track. Unknown codes rank by their own value.
    static std::uint32_t TypeSortKey(std::int32_t type);
    // The file name part of a path: the text after the last '/', or the whole path.
    static std::string_view FileName(std::string_view path);
    static bool IsTextColumn(int column);

private:
    void BuildKeys(const CPlaylistEntry *entries, int count, int column);
    int CompareKeys(std::uint16_t a, std::uint16_t b) const;

    bool m_bText = false;
    std::vector<std::string> m_textKeys;
    std::vector<std::uint32_t> m_numberKeys;
};

#include "playlist/CPlaylistSorter.h"
#include "playlist/PlaylistColumn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<int> Sorted(CPlaylistSorter &sorter, const std::vector<CPlaylistEntry> &entries, int column, bool descending)
{
    const std::vector<std::uint16_t> order = sorter.Sort(entries.data(), static_cast<int>(entries.size()), column, descending);
    return std::vector<int>(order.begin(), order.end());
}

TEST(CPlaylistSorter, TypeOrderPutsModulesFirstAndWavLast)
{
    const std::int32_t scrambled[] = {kTypeWav, kTypeFlac, kTypeIt, kTypeMod8, kTypeOgg, kTypeMpeg,
                                      kTypeS3m, kTypeWma, kTypeMod4, kTypeXm, kTypeMod6};
    std::vector<CPlaylistEntry> entries;
    for (std::int32_t type : scrambled) {
        CPlaylistEntry e;
        e.m_nType = type;
        entries.push_back(e);
    }
    CPlaylistSorter sorter;
    std::vector<std::int32_t> types;
    for (int i : Sorted(sorter, entries, kColumnType, false))
        types.push_back(entries[i].m_nType);
    const std::vector<std::int32_t> expected = {kTypeMod4, kTypeMod6, kTypeMod8, kTypeS3m, kTypeXm, kTypeIt,
                                                kTypeMpeg, kTypeOgg, kTypeFlac, kTypeWma, kTypeWav};
    EXPECT_EQ(types, expected);
}

// Numbers compare as unsigned 32-bit: 0 (unknown) first, negative values after every positive one.
TEST(CPlaylistSorter, NumbersCompareUnsigned)
{
    struct Field {
        int column;
        void (*set)(CPlaylistEntry &, std::int32_t);
    };
    const Field fields[] = {
        {kColumnYear, [](CPlaylistEntry &e, std::int32_t v) { e.m_nYear = v; }},
        {kColumnBitrate, [](CPlaylistEntry &e, std::int32_t v) { e.m_nBitrate = v; }},
        {kColumnFrequency, [](CPlaylistEntry &e, std::int32_t v) { e.m_nFrequency = v; }},
        {kColumnChannels, [](CPlaylistEntry &e, std::int32_t v) { e.m_nChannels = v; }},
        {kColumnFilesize, [](CPlaylistEntry &e, std::int32_t v) { e.m_nSize = static_cast<std::uint32_t>(v); }},
        {kColumnDuration, [](CPlaylistEntry &e, std::int32_t v) { e.m_nDuration = v; }},
    };
    const std::int32_t values[] = {2001, -5, 0, 1999, -1, 2147483647, 7};
    const std::vector<std::int32_t> ascending = {0, 7, 1999, 2001, 2147483647, -5, -1};
    for (const Field &f : fields) {
        SCOPED_TRACE(f.column);
        std::vector<CPlaylistEntry> entries(std::size(values));
        for (std::size_t i = 0; i < entries.size(); ++i)
            f.set(entries[i], values[i]);
        CPlaylistSorter sorter;
        std::vector<std::int32_t> got;
        for (int i : Sorted(sorter, entries, f.column, false))
            got.push_back(values[i]);
        EXPECT_EQ(got, ascending);
        got.clear();
        for (int i : Sorted(sorter, entries, f.column, true))
            got.push_back(values[i]);
        EXPECT_EQ(got, std::vector<std::int32_t>(ascending.rbegin(), ascending.rend()));
    }
}

TEST(CPlaylistSorter, TextColumnsReadTheirOwnField)
{
    // Each column sees a different order of the same three entries.
    std::vector<CPlaylistEntry> entries(3);
    const char *paths[] = {"/z/b.mp3", "/a/C.mp3", "/m/a.mp3"};
    const char *artists[] = {"beta", "", "Alpha"};
    const char *titles[] = {"x", "Y", "w"};
    const char *albums[] = {"2", "3", "1"};
    const char *genres[] = {"Rock", "pop", "Jazz"};
    for (int i = 0; i < 3; ++i) {
        entries[i].m_strPath = paths[i];
        entries[i].m_strArtist = artists[i];
        entries[i].m_strTitle = titles[i];
        entries[i].m_strAlbum = albums[i];
        entries[i].m_strGenre = genres[i];
    }
    struct Case {
        int column;
        std::vector<int> ascending;
    };
    const Case cases[] = {
        {kColumnFilename, {2, 0, 1}}, // a, b, C
        {kColumnFilepath, {1, 2, 0}}, // /a, /m, /z
        {kColumnArtist, {1, 2, 0}},   // empty first
        {kColumnTitle, {2, 0, 1}},
        {kColumnAlbum, {2, 0, 1}},
        {kColumnGenre, {2, 1, 0}},
    };
    CPlaylistSorter sorter;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(Sorted(sorter, entries, c.column, false), c.ascending);
        EXPECT_EQ(Sorted(sorter, entries, c.column, true), std::vector<int>(c.ascending.rbegin(), c.ascending.rend()));
    }
    EXPECT_EQ(CPlaylistSorter::FileName("no-slash.ogg"), "no-slash.ogg");
    EXPECT_EQ(CPlaylistSorter::FileName("/dir/"), "");
}

TEST(CPlaylistSorter, InvalidColumnsAndShortListsKeepTheOrder)
{
    std::vector<CPlaylistEntry> entries(4);
    for (int i = 0; i < 4; ++i)
        entries[i].m_nYear = 4 - i;
    CPlaylistSorter sorter;
    for (int column : {0, 14, -1}) {
        EXPECT_EQ(Sorted(sorter, entries, column, false), (std::vector<int>{0, 1, 2, 3}));
        EXPECT_EQ(CPlaylistSorter::Compare(entries[0], entries[1], column), 0);
    }
    std::vector<CPlaylistEntry> one(1);
    EXPECT_EQ(Sorted(sorter, one, kColumnYear, false), std::vector<int>{0});
}

// The result must equal a stable sort: ascending by the column, and descending by the column with
// equal keys still in their previous order. std::stable_sort is the judge, over every column, lengths
// around the Shell sort gaps, and few distinct keys so that long runs of equal keys occur.
TEST(CPlaylistSorter, MatchesAStableSortInBothDirections)
{
    std::mt19937 random(42);
    const char *words[] = {"", "a", "A", "b", "\xC3\xA4", "B b", "c"};
    const std::int32_t numbers[] = {0, 1, 2, -1, 2000, 44100};
    for (int n : {2, 3, 4, 5, 13, 14, 41, 122, 1000, 10000}) {
        std::vector<CPlaylistEntry> entries(n);
        for (CPlaylistEntry &e : entries) {
            auto word = [&]() { return std::string(words[random() % std::size(words)]); };
            auto number = [&]() { return numbers[random() % std::size(numbers)]; };
            e.m_strPath = "/" + word() + "/" + word();
            e.m_strArtist = word();
            e.m_strTitle = word();
            e.m_strAlbum = word();
            e.m_strGenre = word();
            e.m_nYear = number();
            e.m_nType = static_cast<std::int32_t>(random() % 13);
            e.m_nBitrate = number();
            e.m_nFrequency = number();
            e.m_nChannels = number();
            e.m_nSize = static_cast<std::uint32_t>(number());
            e.m_nDuration = number();
        }
        CPlaylistSorter sorter;
        for (int column = kFirstPlaylistColumn; column <= kLastPlaylistColumn; ++column) {
            SCOPED_TRACE(testing::Message() << "n=" << n << " column=" << column);
            std::vector<int> expected(n);
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                return CPlaylistSorter::Compare(entries[a], entries[b], column) < 0;
            });
            ASSERT_EQ(Sorted(sorter, entries, column, false), expected);
            std::iota(expected.begin(), expected.end(), 0);
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                return CPlaylistSorter::Compare(entries[a], entries[b], column) > 0;
            });
            ASSERT_EQ(Sorted(sorter, entries, column, true), expected);
        }
    }
}

} // namespace

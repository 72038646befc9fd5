#include "playlist/CPlayerDoc.h"
#include "playlist/PlaylistColumn.h"
#include "tests/support/PlaylistFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

class PlayerDocTest : public testing::Test {
public:
    PlayerDocTest() : m_doc(m_identifier, m_messages), m_rows(m_doc) {}

    static std::string PathOf(int n) { return "/music/" + std::to_string(n) + ".mp3"; }

    // Adds entries 0 to count-1 named by PathOf, each known to the fake identifier.
    void AddNumbered(int count)
    {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            m_identifier.AddFile(PathOf(i));
            paths.push_back(PathOf(i));
        }
        ASSERT_EQ(m_doc.AddFiles(paths), count);
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < m_doc.TotalCount(); ++i)
            paths.push_back(m_doc.EntryAt(i).m_strPath);
        return paths;
    }

    std::vector<std::string> PathsOf(std::initializer_list<int> numbers) const
    {
        std::vector<std::string> paths;
        for (int n : numbers)
            paths.push_back(PathOf(n));
        return paths;
    }

    void Select(std::initializer_list<int> rows)
    {
        DeselectAll(m_doc);
        for (int row : rows)
            m_doc.UserSelected(row, true);
    }

    // The invariants every operation keeps: rows shown = entries, the view's rows follow the signals,
    // and the played flags hold exactly the playing entry.
    void ExpectConsistent()
    {
        const CPlaylistState &state = m_doc.State();
        EXPECT_EQ(state.m_nRowCount, m_doc.TotalCount());
        EXPECT_EQ(m_doc.EntryCount(), m_doc.TotalCount());
        EXPECT_EQ(m_rows.m_rows, Paths());
        EXPECT_TRUE(m_rows.m_errors.empty()) << testing::PrintToString(m_rows.m_errors);
        int flagged = 0;
        for (int i = 0; i < CPlaylistState::kMaxRows; ++i)
            flagged += state.m_aPlayed[i];
        EXPECT_EQ(flagged, state.m_nPlaying >= 0 ? 1 : 0);
        if (state.m_nPlaying >= 0) {
            EXPECT_EQ(state.m_aPlayed[state.m_nPlaying], 1);
        }
    }

    FakeIdentifier m_identifier;
    FakeMessageBox m_messages;
    CPlayerDoc m_doc;
    RowRecorder m_rows;
};

TEST_F(PlayerDocTest, SameColumnTwiceReversesAndAnotherColumnStartsAscending)
{
    const int years[] = {1990, 2005, 1970, 2020};
    const char *artists[] = {"d", "b", "c", "a"};
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        m_identifier.AddFile(PathOf(i));
        m_identifier.m_files[PathOf(i)].m_nYear = years[i];
        m_identifier.m_files[PathOf(i)].m_strArtist = artists[i];
        paths.push_back(PathOf(i));
    }
    m_doc.AddFiles(paths);
    EXPECT_EQ(m_doc.State().m_nSortColumn, -1);

    m_doc.Sort(kColumnYear);
    EXPECT_EQ(Paths(), PathsOf({2, 0, 1, 3}));
    EXPECT_EQ(m_doc.State().m_nSortColumn, kColumnYear);
    EXPECT_FALSE(m_doc.State().m_bSortDescending);
    m_doc.Sort(kColumnYear);
    EXPECT_EQ(Paths(), PathsOf({3, 1, 0, 2}));
    EXPECT_TRUE(m_doc.State().m_bSortDescending);
    m_doc.Sort(kColumnYear);
    EXPECT_EQ(Paths(), PathsOf({2, 0, 1, 3}));

    m_doc.Sort(kColumnYear); // descending again, then another column
    m_doc.Sort(kColumnArtist);
    EXPECT_EQ(Paths(), PathsOf({3, 1, 2, 0}));
    EXPECT_FALSE(m_doc.State().m_bSortDescending);
    EXPECT_EQ(m_doc.State().m_nSortColumn, kColumnArtist);
    ExpectConsistent();

    // Adding a row ends the sort order: the same column sorts ascending again.
    m_identifier.AddFile(PathOf(9));
    m_doc.AddFiles({PathOf(9)});
    EXPECT_EQ(m_doc.State().m_nSortColumn, -1);
    m_doc.Sort(kColumnArtist);
    EXPECT_FALSE(m_doc.State().m_bSortDescending);
    ExpectConsistent();
}

TEST_F(PlayerDocTest, EqualKeysKeepTheirPreviousOrderBothWays)
{
    // Genres: entries 0, 2, 4 are "Rock", 1 and 3 "Jazz".
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        m_identifier.AddFile(PathOf(i));
        m_identifier.m_files[PathOf(i)].m_strGenre = i % 2 == 0 ? "Rock" : "jazz";
        m_identifier.m_files[PathOf(i)].m_nYear = 10 - i;
        paths.push_back(PathOf(i));
    }
    m_doc.AddFiles(paths);
    m_doc.Sort(kColumnGenre);
    EXPECT_EQ(Paths(), PathsOf({1, 3, 0, 2, 4}));
    m_doc.Sort(kColumnGenre);
    EXPECT_EQ(Paths(), PathsOf({0, 2, 4, 1, 3}));
    // The previous order is the one just made, not the order of adding.
    m_doc.Sort(kColumnYear); // 4, 3, 2, 1, 0
    m_doc.Sort(kColumnGenre);
    EXPECT_EQ(Paths(), PathsOf({3, 1, 4, 2, 0}));
    m_doc.Sort(kColumnGenre);
    EXPECT_EQ(Paths(), PathsOf({4, 2, 0, 3, 1}));
    ExpectConsistent();
}

// After a renumbering operation the playing entry is still the one marked playing, and the next-up
// index of the gapless change-over still points at its entry.
TEST_F(PlayerDocTest, PlayingAndNextUpFollowTheirEntries)
{
    struct Case {
        const char *name;
        std::function<void(PlayerDocTest &)> run;
    };
    const Case cases[] = {
        {"sort", [](PlayerDocTest &t) { t.m_doc.Sort(kColumnFilepath); t.m_doc.Sort(kColumnFilepath); }},
        {"remove above", [](PlayerDocTest &t) { t.Select({0, 2, 3}); t.m_doc.RemoveSelected(); }},
        {"remove below", [](PlayerDocTest &t) { t.Select({8, 9}); t.m_doc.RemoveSelected(); }},
        {"move up over it", [](PlayerDocTest &t) { t.Select({7, 8}); t.m_doc.MoveSelected(1); }},
        {"move down over it", [](PlayerDocTest &t) { t.Select({0, 1}); t.m_doc.MoveSelected(9); }},
        {"move it", [](PlayerDocTest &t) { t.Select({4}); t.m_doc.MoveSelected(0); }},
        {"move next-up", [](PlayerDocTest &t) { t.Select({6, 5}); t.m_doc.MoveSelected(9); }},
        {"refresh dropping some", [](PlayerDocTest &t) {
             t.m_identifier.m_files.erase(PathOf(0));
             t.m_identifier.m_files.erase(PathOf(9));
             t.m_doc.Refresh();
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_doc.Clear();
        m_rows.m_rows.clear();
        AddNumbered(10);
        m_doc.MarkPlaying(4);
        m_doc.SetNextIndex(5);
        m_doc.ClearPlayedAndMarkPlaying();
        c.run(*this);
        ASSERT_GE(m_doc.State().m_nPlaying, 0);
        EXPECT_EQ(m_doc.EntryAt(m_doc.State().m_nPlaying).m_strPath, PathOf(4));
        ASSERT_GE(m_doc.NextIndex(), 0);
        EXPECT_EQ(m_doc.EntryAt(m_doc.NextIndex()).m_strPath, PathOf(5));
        ExpectConsistent();
    }
}

TEST_F(PlayerDocTest, RemovingThePlayingEntryLeavesNothingPlaying)
{
    AddNumbered(6);
    m_doc.MarkPlaying(3);
    m_doc.SetNextIndex(3);
    Select({1, 3});
    m_doc.RemoveSelected();
    EXPECT_EQ(m_doc.State().m_nPlaying, -1);
    EXPECT_EQ(m_doc.NextIndex(), -1);
    EXPECT_EQ(Paths(), PathsOf({0, 2, 4, 5}));
    // The first removed row becomes current and is the only selected row.
    EXPECT_EQ(m_doc.State().m_nCurrent, 1);
    EXPECT_EQ(m_doc.State().SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(m_rows.m_lastCurrent, 1);
    ExpectConsistent();
}

TEST_F(PlayerDocTest, RemoveReportsRangesBottomUpAndPicksTheCurrentRow)
{
    AddNumbered(10);
    Select({2, 7, 8, 9});
    m_doc.RemoveSelected();
    EXPECT_EQ(m_rows.m_removed, (std::vector<std::pair<int, int>>{{7, 9}, {2, 2}}));
    EXPECT_EQ(Paths(), PathsOf({0, 1, 3, 4, 5, 6}));
    EXPECT_EQ(m_doc.State().m_nCurrent, 2);
    ExpectConsistent();

    // When the first removed row was the last one, the new last row becomes current.
    Select({5});
    m_doc.RemoveSelected();
    EXPECT_EQ(m_doc.State().m_nCurrent, 4);
    EXPECT_EQ(m_rows.m_nEmptied, 0);

    // Nothing selected: nothing happens.
    DeselectAll(m_doc);
    m_rows.m_removed.clear();
    m_doc.RemoveSelected();
    EXPECT_TRUE(m_rows.m_removed.empty());
    EXPECT_EQ(m_doc.TotalCount(), 5);

    // Removing everything shows the empty state.
    Select({0, 1, 2, 3, 4});
    m_doc.RemoveSelected();
    EXPECT_EQ(m_doc.TotalCount(), 0);
    EXPECT_EQ(m_rows.m_nEmptied, 1);
    EXPECT_EQ(m_doc.State().SelectedCount(), 0);
    ExpectConsistent();
}

TEST_F(PlayerDocTest, MovedBlocksKeepTheirOrderAndLandBesideTheDropRow)
{
    struct Case {
        std::vector<int> selected;
        int target;
        std::vector<std::string> expected;
        int focused;
    };
    const Case cases[] = {
        {{6, 7}, 2, PathsOf({0, 1, 6, 7, 2, 3, 4, 5, 8, 9}), 3},  // up: just above the drop row
        {{1, 2}, 6, PathsOf({0, 3, 4, 5, 6, 1, 2, 7, 8, 9}), 6},  // down: just below it
        {{1, 4}, 8, PathsOf({0, 2, 3, 5, 6, 7, 8, 1, 4, 9}), 8},  // scattered, down
        {{5, 8}, 1, PathsOf({0, 5, 8, 1, 2, 3, 4, 6, 7, 9}), 2},  // scattered, up
        {{9}, 0, PathsOf({9, 0, 1, 2, 3, 4, 5, 6, 7, 8}), 0},
        {{0}, 9, PathsOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 0}), 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.target);
        m_doc.Clear();
        m_rows.m_rows.clear();
        AddNumbered(10);
        DeselectAll(m_doc);
        for (int row : c.selected)
            m_doc.UserSelected(row, true);
        m_doc.MoveSelected(c.target);
        EXPECT_EQ(Paths(), c.expected);
        EXPECT_EQ(m_doc.State().m_nCurrent, c.focused);
        EXPECT_EQ(m_rows.m_lastCurrent, c.focused);
        // The moved entries are the selected rows now.
        std::vector<std::string> selectedPaths;
        for (int row : m_doc.State().SelectedRows())
            selectedPaths.push_back(m_doc.EntryAt(row).m_strPath);
        std::vector<std::string> movedPaths;
        for (int row : c.selected)
            movedPaths.push_back(PathOf(row));
        EXPECT_EQ(selectedPaths, movedPaths);
        ExpectConsistent();
    }
}

TEST_F(PlayerDocTest, DropOnASelectedRowOrOutsideDoesNothing)
{
    AddNumbered(5);
    for (int target : {1, -1, 5}) {
        Select({1, 3});
        m_rows.m_nMoves = 0;
        m_doc.MoveSelected(target);
        EXPECT_EQ(Paths(), PathsOf({0, 1, 2, 3, 4}));
        EXPECT_EQ(m_rows.m_nMoves, 0);
        EXPECT_EQ(m_doc.State().SelectedRows(), (std::vector<int>{1, 3}));
    }
}

TEST_F(PlayerDocTest, LimitMessageOnceAndTheRestOfTheBatchSkipped)
{
    std::vector<std::string> first;
    for (int i = 0; i < 9999; ++i) {
        m_identifier.AddFile(PathOf(i));
        first.push_back(PathOf(i));
    }
    EXPECT_EQ(m_doc.AddFiles(first), 9999);
    EXPECT_TRUE(m_messages.m_texts.empty());

    std::vector<std::string> batch = {PathOf(10000), PathOf(10001), PathOf(10002), PathOf(10003)};
    for (const std::string &p : batch)
        m_identifier.AddFile(p);
    m_identifier.m_nCalls = 0;
    EXPECT_EQ(m_doc.AddFiles(batch), 1);
    EXPECT_EQ(m_doc.TotalCount(), 10000);
    EXPECT_EQ(m_doc.EntryAt(9999).m_strPath, PathOf(10000));
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(m_messages.m_texts[0], "Limit of 10000 playlist files reached.  ");
    EXPECT_EQ(m_messages.m_buttons[0], CMessageBox::kOk);
    EXPECT_EQ(m_identifier.m_nCalls, 1); // the skipped files are not even read

    // A full list refuses the next batch with one more message, and AppendEntry refuses too.
    EXPECT_EQ(m_doc.AddFiles({PathOf(10001), PathOf(10002)}), 0);
    EXPECT_EQ(m_messages.m_texts.size(), 2u);
    EXPECT_FALSE(m_doc.AppendEntry(m_identifier.m_files[PathOf(1)]));
    EXPECT_EQ(m_doc.TotalCount(), 10000);
    ExpectConsistent();
}

TEST_F(PlayerDocTest, AddingListsDuplicatesAndSkipsUnknownFilesSilently)
{
    m_identifier.AddFile("/a.ogg", kTypeOgg);
    m_identifier.AddFile("/zero.bin", kTypeUnknown);
    EXPECT_EQ(m_doc.AddFiles({"/a.ogg", "/missing.mp3", "/a.ogg", "/zero.bin"}), 2);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/a.ogg", "/a.ogg"}));
    EXPECT_TRUE(m_messages.m_texts.empty());
    ExpectConsistent();
}

TEST_F(PlayerDocTest, ClearSavesOnlyAListWithEntries)
{
    int saves = 0;
    bool result = true;
    m_doc.SetPlaylistSaver([&]() { ++saves; return result; });
    m_doc.Clear();
    EXPECT_EQ(saves, 0);

    AddNumbered(3);
    m_doc.MarkPlaying(1);
    m_doc.SetNextIndex(2);
    result = false; // a failed save does not stop the clearing
    m_doc.Clear();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(m_doc.TotalCount(), 0);
    EXPECT_EQ(m_doc.State().m_nPlaying, -1);
    EXPECT_EQ(m_doc.NextIndex(), -1);
    EXPECT_EQ(m_doc.GetEntry(0), CPlaylistEntry()); // the slots are blank again
    m_doc.Clear();
    EXPECT_EQ(saves, 1);
    ExpectConsistent();
}

TEST_F(PlayerDocTest, NextGaplessIndexAdvancesOnlyPastTheEndingEntry)
{
    AddNumbered(3);
    struct Case {
        int next;
        std::string path;
        bool repeat;
        bool cdTab;
        int result;
        int nextAfter;
    };
    const Case cases[] = {
        {0, PathOf(0), false, false, 1, 1},
        {1, "/MUSIC/1.MP3", false, false, 2, 2},  // paths match case-insensitively
        {2, PathOf(2), false, false, -1, 2},      // past the end without repeat: kept for a file added later
        {2, PathOf(2), true, false, 0, 0},        // wraps with repeat
        {1, PathOf(0), true, false, -1, 1},       // another entry ends: no successor, index kept
        {0, PathOf(0), false, true, -1, -1},      // the CD tab is shown
        {3, PathOf(2), true, false, -1, -1},      // index past the entries
        {-1, PathOf(0), true, false, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.next << " " << c.path);
        m_doc.SetNextIndex(c.next);
        m_doc.SetRepeatList(c.repeat);
        m_doc.SetCdTabShown(c.cdTab);
        EXPECT_EQ(m_doc.NextGaplessIndex(c.path), c.result);
        EXPECT_EQ(m_doc.NextIndex(), c.nextAfter);

        m_doc.SetNextIndex(c.next);
        CPlaylistEntry entry;
        EXPECT_EQ(m_doc.NextGaplessEntry(c.path, entry), c.result);
        EXPECT_EQ(entry.m_strPath, c.result >= 0 ? PathOf(c.result) : "");
    }
}

TEST_F(PlayerDocTest, RefreshRereadsEntriesKeepsModuleLoopsAndDropsLostFiles)
{
    m_identifier.AddFile("/a.it", kTypeIt);
    m_identifier.AddFile("/b.mp3", kTypeMpeg);
    m_identifier.AddFile("/c.xm", kTypeXm);
    m_identifier.AddFile("/d.mp3", kTypeMpeg);
    m_doc.AddFiles({"/a.it", "/b.mp3", "/c.xm", "/d.mp3"});
    // Loop flags found while playing, which a fresh read of the file does not know.
    const CPlaylistState &state = m_doc.State();
    m_doc.MarkPlaying(2);
    {
        std::vector<CPlaylistEntry> entries;
        for (int i = 0; i < 4; ++i)
            entries.push_back(m_doc.EntryAt(i));
        entries[0].m_bLoops = true;
        entries[2].m_bLoops = true;
        m_doc.Clear();
        for (const CPlaylistEntry &e : entries)
            m_doc.AppendEntry(e);
        m_doc.RebuildRows();
        m_doc.MarkPlaying(2);
    }
    // The files changed on disk: new titles, b.mp3 is gone, d.mp3 now claims to loop.
    m_identifier.m_files["/a.it"].m_strTitle = "new a";
    m_identifier.m_files["/c.xm"].m_strTitle = "new c";
    m_identifier.m_files.erase("/b.mp3");
    m_identifier.m_files["/d.mp3"].m_bLoops = true;
    m_doc.Refresh();

    ASSERT_EQ(Paths(), (std::vector<std::string>{"/a.it", "/c.xm", "/d.mp3"}));
    EXPECT_EQ(m_doc.EntryAt(0).m_strTitle, "new a");
    EXPECT_TRUE(m_doc.EntryAt(0).m_bLoops);
    EXPECT_TRUE(m_doc.EntryAt(1).m_bLoops);
    EXPECT_EQ(m_doc.EntryAt(1).m_strTitle, "new c");
    EXPECT_TRUE(m_doc.EntryAt(2).m_bLoops); // not a module: the fresh entry counts
    EXPECT_EQ(state.m_nPlaying, 1);
    EXPECT_EQ(state.m_nCurrent, 1);
    EXPECT_EQ(state.SelectedRows(), std::vector<int>{1});
    ExpectConsistent();

    // The playing file vanished: nothing is marked playing, the row that took its place is current.
    m_identifier.m_files.erase("/c.xm");
    m_doc.Refresh();
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/a.it", "/d.mp3"}));
    EXPECT_EQ(state.m_nPlaying, -1);
    EXPECT_EQ(state.m_nCurrent, 1);

    // Every file gone: empty list and the empty state.
    m_identifier.m_files.clear();
    m_doc.Refresh();
    EXPECT_EQ(m_doc.TotalCount(), 0);
    EXPECT_EQ(m_rows.m_nEmptied, 1);
    ExpectConsistent();
}

TEST_F(PlayerDocTest, TotalsSumDurationsAndSizesWithoutOverflow)
{
    const std::uint32_t sizes[] = {0xF0000000u, 0xF0000000u, 0xF0000000u, 12345u};
    const std::int32_t durations[] = {100, 200, 300, 4};
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        m_identifier.AddFile(PathOf(i), kTypeFlac, durations[i]);
        m_identifier.m_files[PathOf(i)].m_nSize = sizes[i];
        paths.push_back(PathOf(i));
    }
    m_doc.AddFiles(paths);
    EXPECT_EQ(m_doc.TotalCount(), 4);
    EXPECT_EQ(m_doc.TotalDuration(), 604u);
    EXPECT_EQ(m_doc.TotalSize(), 3ull * 0xF0000000ull + 12345ull);
    Select({1});
    m_doc.RemoveSelected();
    EXPECT_EQ(m_doc.TotalDuration(), 404u);
    EXPECT_EQ(m_doc.TotalSize(), 2ull * 0xF0000000ull + 12345ull);
}

TEST_F(PlayerDocTest, RenumberingClearsRandomPlayMarks)
{
    AddNumbered(6);
    auto markSome = [this]() {
        for (int i = 0; i < 6; ++i)
            m_doc.MarkPlayed(i);
        m_doc.MarkPlaying(2);
    };
    markSome();
    m_doc.Sort(kColumnDuration);
    ExpectConsistent();
    markSome();
    Select({5});
    m_doc.MoveSelected(0);
    ExpectConsistent();
    markSome();
    Select({5});
    m_doc.RemoveSelected();
    ExpectConsistent();
    markSome();
    m_doc.Refresh();
    ExpectConsistent();
    m_doc.MarkPlaying(-1);
    m_doc.ClearPlayedAndMarkPlaying();
    ExpectConsistent();
}

// A long random mix of operations; after each one the rows a view rebuilt from the signals must
// equal the entries, and the playing mark must stay on its entry unless that entry was removed.
TEST_F(PlayerDocTest, RandomEditsKeepRowsAndMarksInStep)
{
    std::mt19937 random(1234);
    int nextFile = 0;
    for (int step = 0; step < 400; ++step) {
        const int count = m_doc.TotalCount();
        const int op = static_cast<int>(random() % 6);
        const int playing = m_doc.State().m_nPlaying;
        const std::string playingPath = playing >= 0 ? m_doc.EntryAt(playing).m_strPath : "";
        bool playingRemoved = false;
        if (op == 0 || count < 3) {
            std::vector<std::string> paths;
            const int n = 1 + static_cast<int>(random() % 5);
            for (int i = 0; i < n; ++i) {
                const std::string path = PathOf(nextFile++);
                if (random() % 4 != 0)
                    m_identifier.AddFile(path, static_cast<std::int32_t>(1 + random() % 11),
                                         static_cast<std::int32_t>(random() % 4));
                paths.push_back(path);
            }
            m_doc.AddFiles(paths);
        } else if (op == 1) {
            DeselectAll(m_doc);
            for (int row = 0; row < count; ++row)
                m_doc.UserSelected(row, random() % 3 == 0);
            playingRemoved = playing >= 0 && m_doc.State().IsSelected(playing);
            m_doc.RemoveSelected();
        } else if (op == 2) {
            DeselectAll(m_doc);
            for (int row = 0; row < count; ++row)
                m_doc.UserSelected(row, random() % 4 == 0);
            m_doc.MoveSelected(static_cast<int>(random() % count));
        } else if (op == 3) {
            m_doc.Sort(1 + static_cast<int>(random() % 13));
        } else if (op == 4) {
            m_doc.MarkPlaying(static_cast<int>(random() % count));
            m_doc.ClearPlayedAndMarkPlaying();
            continue;
        } else {
            // Every listed file is still known, so a refresh keeps them all.
            const std::vector<std::string> before = Paths();
            m_doc.Refresh();
            EXPECT_EQ(Paths(), before);
        }
        SCOPED_TRACE(testing::Message() << "step " << step << " op " << op);
        ExpectConsistent();
        if (playing >= 0 && !playingRemoved) {
            ASSERT_GE(m_doc.State().m_nPlaying, 0);
            EXPECT_EQ(m_doc.EntryAt(m_doc.State().m_nPlaying).m_strPath, playingPath);
        } else if (playingRemoved) {
            EXPECT_EQ(m_doc.State().m_nPlaying, -1);
        }
        if (HasFailure())
            break;
    }
}

} // namespace

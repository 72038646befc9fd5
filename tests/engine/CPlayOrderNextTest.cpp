// Next-track selection on the playlist tab: list order, a selected subset, random play without
// repetition, the end of the list, and the random row search itself.

#include "tests/engine/PlayOrderFakes.h"

#include <algorithm>
#include <set>

namespace {

class PlayOrderNextTest : public PlayOrderFixture {};

TEST_F(PlayOrderNextTest, RandomPlayPlaysEveryRowOncePerPassThenStartsOver)
{
    Fill(5);
    m_doc.random = 1;
    struct Case {
        std::uint64_t seed;
        bool halfTick;
    };
    for (const Case c : {Case{1, false}, Case{1, true}, Case{77, false}, Case{123456789, true},
                         Case{0xDEADBEEF, false}, Case{42, true}}) {
        SCOPED_TRACE("seed " + std::to_string(c.seed) + " halfTick " + std::to_string(c.halfTick));
        ResetPlayback();
        m_transport.m_nCounter = c.seed;
        m_transport.m_bCounterRuns = true;
        m_transport.m_bHalfTick = c.halfTick;

        m_doc.UserSelected(0, true);
        m_transport.Play(); // the first track of the first pass: row 0
        for (int pass = 0; pass < 3; ++pass) {
            for (int k = (pass == 0 ? 1 : 0); k < 5; ++k) {
                m_order.NextTrack();
                m_transport.m_bHalfTick = !m_transport.m_bHalfTick;
            }
            const auto firstPlayed = m_transport.m_playedRows.end() - 5;
            std::set<int> rows(firstPlayed, m_transport.m_playedRows.end());
            EXPECT_EQ(rows, (std::set<int>{0, 1, 2, 3, 4})) << "pass " << pass;
            for (int row = 0; row < 5; ++row)
                EXPECT_EQ(m_doc.State().m_aPlayed[row], 1) << "pass " << pass << " row " << row;
        }
        // The next pick clears the marks: only the row that now plays is flagged.
        m_order.NextTrack();
        int flagged = 0;
        for (int row = 0; row < 5; ++row)
            flagged += m_doc.State().m_aPlayed[row];
        EXPECT_EQ(flagged, 1);
        EXPECT_EQ(m_doc.State().m_aPlayed[m_doc.State().m_nPlaying], 1);
        EXPECT_EQ(m_transport.m_nPlayCalls, 16);
    }
}

TEST_F(PlayOrderNextTest, RandomRowSearchesFromTheCounterRowInTheHalfTickDirection)
{
    struct Case {
        const char *name;
        std::vector<int> played;
        std::uint64_t counter;
        bool halfTick;
        int expected;
    };
    const std::vector<Case> cases = {
        {"start row free", {}, 25, false, 5},
        {"down past played rows", {3, 4}, 13, false, 5},
        {"up past played rows", {3, 4}, 13, true, 2},
        {"up finds none, then down", {0, 1, 2, 3}, 3, true, 4},
        {"down finds none, then up", {6, 7, 8, 9}, 7, false, 5},
        {"only the last row left", {0, 1, 2, 3, 4, 5, 6, 7, 8}, 4, true, 9},
    };
    Fill(10);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_doc.ClearPlayedFlags();
        for (int row : c.played)
            m_doc.MarkPlayed(row);
        m_transport.m_nCounter = c.counter;
        m_transport.m_bHalfTick = c.halfTick;
        EXPECT_EQ(m_order.RandomRow(0), c.expected);
        std::vector<int> nowFlagged;
        for (int row = 0; row < 10; ++row) {
            if (State().m_aPlayed[row])
                nowFlagged.push_back(row);
        }
        std::vector<int> expectedFlagged = c.played;
        expectedFlagged.push_back(c.expected);
        std::sort(expectedFlagged.begin(), expectedFlagged.end());
        EXPECT_EQ(nowFlagged, expectedFlagged);
    }
}

TEST_F(PlayOrderNextTest, RandomRowStartsANewPassAtTheCounterRowWhenAllArePlayed)
{
    Fill(4);
    m_doc.ClearPlayedFlags();
    for (int row = 0; row < 4; ++row)
        m_doc.MarkPlayed(row);
    m_doc.MarkPlayed(7); // beyond the list: cleared with the rest
    m_transport.m_nCounter = 10;
    EXPECT_EQ(m_order.RandomRow(0), 2);
    EXPECT_EQ(PlayedFlagCount(10), 1);
    EXPECT_EQ(State().m_aPlayed[2], 1);
}

TEST_F(PlayOrderNextTest, RandomRowAmongSelectedRowsIsTheCounterModuloAndFlagsNothing)
{
    Fill(10);
    for (const auto &[counter, n, expected] : {std::tuple{17u, 5, 2}, std::tuple{4u, 5, 4}, std::tuple{99u, 1, 0},
                                              std::tuple{1000003u, 7, 1000003 % 7}}) {
        m_transport.m_nCounter = counter;
        EXPECT_EQ(m_order.RandomRow(n), expected) << counter << " mod " << n;
    }
    EXPECT_EQ(PlayedFlagCount(10), 0);
}

TEST_F(PlayOrderNextTest, EmptyListHasNoNextAndNoRandomRow)
{
    EXPECT_FALSE(m_order.SelectNext());
    EXPECT_EQ(m_order.RandomRow(0), -1);
    m_order.NextTrack();
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
}

TEST_F(PlayOrderNextTest, ThreeSelectedRowsPlayInListOrderAndStopAfterTheLastUnlessRepeatList)
{
    Fill(10);
    for (const bool repeatList : {false, true}) {
        SCOPED_TRACE(repeatList ? "repeatlist" : "no repeatlist");
        ResetPlayback();
        m_doc.SetRepeatList(repeatList);
        for (int row : {2, 5, 7})
            m_doc.UserSelected(row, true);
        m_doc.UserFocused(2);
        m_transport.Play();

        // The engine's end-of-channel rule, eight times at most.
        for (int k = 0; k < 8 && m_transport.IsPlaying(); ++k) {
            if (m_order.SelectNext())
                m_transport.Play();
            else
                m_transport.StopPlayback();
        }
        if (repeatList) {
            EXPECT_EQ(m_transport.m_playedRows, (std::vector<int>{2, 5, 7, 2, 5, 7, 2, 5, 7}));
            EXPECT_TRUE(m_transport.IsPlaying());
        } else {
            EXPECT_EQ(m_transport.m_playedRows, (std::vector<int>{2, 5, 7}));
            EXPECT_FALSE(m_transport.IsPlaying());
            EXPECT_EQ(m_transport.m_nStopCalls, 1);
        }
        EXPECT_EQ(m_doc.State().SelectedRows(), (std::vector<int>{2, 5, 7})); // the selection stays
    }
}

TEST_F(PlayOrderNextTest, SelectedSubsetWhileStoppedMovesOnFromTheCursor)
{
    Fill(10);
    SelectOnly({2, 5, 7});
    m_doc.UserFocused(5);
    m_order.NextTrack();
    EXPECT_EQ(State().m_nCurrent, 7);
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
    EXPECT_FALSE(m_order.SelectNext()); // past the last selected row: back to the first, no next
    EXPECT_EQ(State().m_nCurrent, 2);
}

TEST_F(PlayOrderNextTest, RandomAmongSelectedRowsNeverRepeatsThePlayingRow)
{
    Fill(10);
    m_doc.random = 1;
    SelectOnly({1, 4, 8});
    m_doc.UserFocused(4);
    m_transport.Play();
    // The counter picks k = counter % 3 among rows 1, 4, 8. A pick of the playing row takes the next
    // selected row instead, wrapping from the last to the first.
    struct Case {
        std::uint64_t counter;
        int expected;
    };
    for (const Case c : {Case{1, 8}, Case{5, 1}, Case{3, 4}}) {
        m_transport.m_nCounter = c.counter;
        ASSERT_TRUE(m_order.SelectNext());
        EXPECT_EQ(State().m_nCurrent, c.expected) << "counter " << c.counter;
        m_transport.Play();
    }
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 4, 8}));
}

TEST_F(PlayOrderNextTest, SingleRowCasesMoveTheCursorAsTheListAndPlaybackSay)
{
    struct Case {
        const char *name;
        int playingRow;          // -1: stopped
        std::string playingPath; // empty: the path of the playing row
        int selected;            // -1: no row selected
        int cursor;
        bool repeatList;
        int expectedCursor;
        bool expectedResult;
    };
    const std::vector<Case> cases = {
        {"stopped: one down", -1, "", 1, 1, false, 2, true},
        {"stopped at the end", -1, "", 4, 4, false, 4, false},
        {"stopped at the end, repeat list", -1, "", 4, 4, true, 0, true},
        {"playing row selected: one down", 2, "", 2, 2, false, 3, true},
        {"list changed under the playing row", 2, "/music/elsewhere.mp3", 2, 2, false, 2, true},
        {"same path in other case is the same entry", 2, "/MUSIC/TRACK2.MP3", 2, 2, false, 3, true},
        {"user selected another row", 2, "", 0, 0, false, 0, true},
        {"playing the last row", 4, "", 4, 4, false, 4, false},
        {"playing the last row, repeat list", 4, "", 4, 4, true, 0, true},
        {"no row selected: the cursor stays", -1, "", -1, 3, false, 3, true},
    };
    Fill(5);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_doc.SetRepeatList(c.repeatList);
        m_transport.m_bPlaying = c.playingRow >= 0;
        m_doc.MarkPlaying(c.playingRow);
        m_transport.m_strPath = c.playingPath.empty() && c.playingRow >= 0 ? PathOf(c.playingRow) : c.playingPath;
        DeselectAll(m_doc);
        if (c.selected >= 0)
            m_doc.UserSelected(c.selected, true);
        m_doc.UserFocused(c.cursor);
        EXPECT_EQ(m_order.SelectNext(), c.expectedResult);
        EXPECT_EQ(State().m_nCurrent, c.expectedCursor);
        EXPECT_EQ(SelectedRows(), std::vector<int>{c.expectedCursor});
    }
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
}

TEST_F(PlayOrderNextTest, NextTrackPlaysOnlyWhileSomethingPlays)
{
    Fill(5);
    SelectOnly({1});
    m_doc.UserFocused(1);
    m_order.NextTrack();
    EXPECT_EQ(State().m_nCurrent, 2);
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
    EXPECT_FALSE(m_transport.IsPlaying());

    PlayRow(2);
    m_order.NextTrack();
    EXPECT_EQ(State().m_nPlaying, 3);
    EXPECT_EQ(m_transport.m_strPath, PathOf(3));

    PlayRow(4);
    m_order.NextTrack(); // no next without repeat-list: the last row keeps playing
    EXPECT_EQ(m_transport.m_playedRows, (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(State().m_nCurrent, 4);
}

TEST_F(PlayOrderNextTest, SelectionChangesAreMarkedBusyAndTheNewRowIsFocused)
{
    Fill(5);
    SelectOnly({1});
    m_doc.UserFocused(1);
    std::vector<bool> busyAtSelection;
    std::vector<int> focused;
    QObject::connect(&m_doc, &CPlayerDoc::selectionChanged, [&] { busyAtSelection.push_back(m_order.ListBusy()); });
    QObject::connect(&m_doc, &CPlayerDoc::currentRowChanged, [&](int row) { focused.push_back(row); });
    ASSERT_TRUE(m_order.SelectNext());
    EXPECT_EQ(busyAtSelection, std::vector<bool>{true});
    EXPECT_EQ(focused, std::vector<int>{2});
    EXPECT_FALSE(m_order.ListBusy());
}

TEST_F(PlayOrderNextTest, StopAtTrackEndEndsPlaybackOnceAndClearsItself)
{
    Fill(3);
    PlayRow(0);
    m_order.ToggleStopAfterEntry();
    EXPECT_TRUE(m_order.StopAfterEntry());
    EndOfChannel();
    EXPECT_FALSE(m_transport.IsPlaying());
    EXPECT_FALSE(m_order.StopAfterEntry());
    PlayRow(0);
    EndOfChannel(); // without the flag the list goes on
    EXPECT_EQ(State().m_nPlaying, 1);
    m_order.ToggleStopAfterEntry();
    m_order.ToggleStopAfterEntry();
    EXPECT_FALSE(m_order.StopAfterEntry());
}

} // namespace

// Previous-track selection and the play history on the playlist tab, rewind and fast forward with
// their press guard, and volume steps.

#include "tests/engine/PlayOrderFakes.h"

#include <cctype>

namespace {

using Seek = FakeTransport::Seek;

class PlayOrderPreviousTest : public PlayOrderFixture {
protected:
    std::vector<std::string> History() const
    {
        return {m_order.PlaylistHistory().begin(), m_order.PlaylistHistory().end()};
    }
};

TEST_F(PlayOrderPreviousTest, ListOrderGoesOneRowUpAndPlaysOnlyWhilePlaying)
{
    struct Case {
        const char *name;
        int playingRow; // -1: stopped
        std::vector<int> selected;
        int cursor;
        int expectedCursor;
        bool expectPlay;
    };
    const std::vector<Case> cases = {
        {"stopped: one up from the selected row", -1, {3}, 3, 2, false},
        {"stopped, nothing selected: one up from the cursor", -1, {}, 3, 2, false},
        {"playing: the row before the playing one", 4, {4}, 4, 3, true},
        {"another row selected: still the row before the playing one", 3, {5}, 5, 2, true},
        {"playing row 0, a lower row selected: one up from the selection", 0, {3}, 3, 2, true},
        {"first row selected: nothing before it", -1, {0}, 0, 0, false},
        {"playing the first row: nothing before it", 0, {0}, 0, 0, false},
    };
    Fill(6);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.playingRow >= 0) {
            PlayRow(c.playingRow);
        } else {
            m_transport.StopPlayback();
        }
        SelectOnly({});
        for (int row : c.selected)
            m_doc.UserSelected(row, true);
        m_doc.UserFocused(c.cursor);
        const int playsBefore = m_transport.m_nPlayCalls;
        const std::vector<std::string> historyBefore = History();

        m_order.SelectPrevious();
        EXPECT_EQ(State().m_nCurrent, c.expectedCursor);
        EXPECT_EQ(SelectedRows(), std::vector<int>{c.expectedCursor});
        EXPECT_EQ(m_transport.m_nPlayCalls - playsBefore, c.expectPlay ? 1 : 0);
        if (c.expectPlay) {
            EXPECT_EQ(State().m_nPlaying, c.expectedCursor);
        }
        EXPECT_EQ(History(), historyBefore) << "going back must not record the entry again";
        EXPECT_TRUE(m_order.HistoryEnabled());
    }
}

TEST_F(PlayOrderPreviousTest, SelectedRowsGoUpWithinTheSelectionAndWrapToItsBottom)
{
    struct Case {
        const char *name;
        std::vector<int> selected;
        int playingRow; // -1: stopped
        int cursor;
        int expectedCursor;
    };
    const std::vector<Case> cases = {
        {"the selected row above the playing one", {1, 3, 5}, 5, 5, 3},
        {"above the playing one even with the cursor elsewhere", {1, 3, 5}, 5, 1, 3},
        {"playing an unselected row: the selected row above it", {1, 3, 5}, 7, 7, 5},
        {"stopped: the selected row above the cursor", {1, 3, 5}, -1, 5, 3},
        {"top of the selection wraps to its last row", {1, 3, 5}, 1, 1, 5},
        {"wraps to the last row of the list when it is selected", {1, 3, 9}, 1, 1, 9},
    };
    Fill(10);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.playingRow >= 0)
            PlayRow(c.playingRow);
        else
            m_transport.StopPlayback();
        SelectOnly({});
        for (int row : c.selected)
            m_doc.UserSelected(row, true);
        m_doc.UserFocused(c.cursor);
        m_order.SelectPrevious();
        EXPECT_EQ(State().m_nCurrent, c.expectedCursor);
        EXPECT_EQ(SelectedRows(), c.selected);
        if (c.playingRow >= 0) {
            EXPECT_EQ(State().m_nPlaying, c.expectedCursor);
        }
    }
}

TEST_F(PlayOrderPreviousTest, RandomPreviousWalksTheHistorySkippingThePlayingAndRemovedPaths)
{
    Fill(6);
    m_doc.random = 1;
    for (int row : {0, 1, 3, 4})
        PlayRow(row);
    ASSERT_EQ(History(), (std::vector<std::string>{PathOf(0), PathOf(1), PathOf(3), PathOf(4)}));

    SelectOnly({3});
    m_doc.RemoveSelected(); // track3 leaves the list; the playing track4 moves up to row 3
    ASSERT_EQ(State().m_nPlaying, 3);

    m_order.SelectPrevious(); // skips track4 (plays), drops track3 (gone), finds track1
    EXPECT_EQ(State().m_nCurrent, 1);
    EXPECT_EQ(m_transport.PlayingPath(), PathOf(1));
    EXPECT_EQ(History(), std::vector<std::string>{PathOf(0)});

    m_order.SelectPrevious();
    EXPECT_EQ(m_transport.PlayingPath(), PathOf(0));
    EXPECT_TRUE(History().empty());

    // An empty history falls back to a random unplayed row: rows 0, 1 and 3 are flagged, the
    // counter points at row 2.
    m_transport.m_nCounter = 7;
    m_transport.m_bHalfTick = false;
    m_order.SelectPrevious();
    EXPECT_EQ(State().m_nCurrent, 2);
    EXPECT_EQ(m_transport.PlayingPath(), PathOf(2));

    // Paths match without regard to case.
    std::string upper = PathOf(4);
    for (char &ch : upper)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    m_order.RecordPlayed(upper);
    m_order.SelectPrevious();
    EXPECT_EQ(m_transport.PlayingPath(), PathOf(4));
    EXPECT_EQ(State().m_nPlaying, 3);
}

TEST_F(PlayOrderPreviousTest, HistoryKeepsTheTenMostRecentPaths)
{
    Fill(12);
    for (int row = 0; row < 12; ++row)
        PlayRow(row);
    std::vector<std::string> expected;
    for (int row = 2; row < 12; ++row)
        expected.push_back(PathOf(row));
    EXPECT_EQ(History(), expected);
    m_order.RecordPlayed(""); // nothing to record
    EXPECT_EQ(History(), expected);
}

TEST_F(PlayOrderPreviousTest, RewindDependsOnTheElapsedTime)
{
    struct Case {
        const char *name;
        int playingRow;
        unsigned elapsedMs;
        bool repeatTrack;
        std::vector<Seek> expectedSeeks;
        int expectedPlayingRow;
    };
    // Durations: row 0 3 s, row 1 60 s, row 2 40 s.
    const std::vector<Case> cases = {
        {"7 s: back to 2 s", 2, 7000, false, {{2, -1}}, 2},
        {"exactly 5 s: back to 0", 2, 5000, false, {{0, -1}}, 2},
        {"3 s: restart", 2, 3000, false, {{0, -1}}, 2},
        {"1 s: restart", 2, 1000, false, {{0, -1}}, 2},
        {"0.5 s: previous track, 5 s before its end", 2, 500, false, {{55, 0}}, 1},
        {"0.5 s with repeat track: 5 s before this track's end", 2, 500, true, {{35, 0}}, 2},
        {"previous track shorter than 5 s: from its start", 1, 500, false, {}, 0},
        {"repeat track shorter than 5 s: restart, never before 0", 0, 500, true, {{0, 0}}, 0},
        {"first row: nothing before it", 0, 500, false, {}, 0},
    };
    Fill(3, {3, 60, 40});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_doc.repeattrack = c.repeatTrack ? 1 : 0;
        PlayRow(c.playingRow);
        m_transport.m_nElapsedMs = c.elapsedMs;
        m_transport.m_seeks.clear();
        m_nowMs += 1000;
        m_order.Rewind();
        EXPECT_EQ(m_transport.m_seeks, c.expectedSeeks);
        EXPECT_EQ(State().m_nPlaying, c.expectedPlayingRow);
    }
}

TEST_F(PlayOrderPreviousTest, FastForwardSeeksOrMovesOnNearTheEnd)
{
    struct Case {
        const char *name;
        int playingRow;
        unsigned elapsedMs;
        bool repeatTrack;
        bool repeatList;
        std::vector<Seek> expectedSeeks;
        int expectedPlayingRow;
    };
    const std::vector<Case> cases = {
        {"10 s: on to 15 s", 2, 10000, false, false, {{15, +1}}, 2},
        {"54 s of 60: on to 59 s", 2, 54000, false, false, {{59, +1}}, 2},
        {"55 s of 60: next track", 2, 55000, false, false, {}, 3},
        {"last 5 s with repeat track: back to the start", 2, 58000, true, false, {{0, 0}}, 2},
        {"last row, no repeat list: keeps playing", 4, 58000, false, false, {}, 4},
        {"last row with repeat list: the first row", 4, 58000, false, true, {}, 0},
    };
    Fill(5);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_doc.repeattrack = c.repeatTrack ? 1 : 0;
        m_doc.SetRepeatList(c.repeatList);
        PlayRow(c.playingRow);
        m_transport.m_nElapsedMs = c.elapsedMs;
        m_transport.m_seeks.clear();
        m_nowMs += 1000;
        m_order.FastForward();
        EXPECT_EQ(m_transport.m_seeks, c.expectedSeeks);
        EXPECT_EQ(State().m_nPlaying, c.expectedPlayingRow);
        EXPECT_TRUE(m_transport.IsPlaying());
    }
}

TEST_F(PlayOrderPreviousTest, PressesWithin40MsOfTheLastCarriedOutOneAreDropped)
{
    Fill(3);
    PlayRow(1);
    m_transport.m_nElapsedMs = 20000;
    struct Press {
        std::uint64_t atMs;
        bool rewind;
        bool playing;
        bool expectSeek;
    };
    const std::uint64_t t = m_nowMs;
    const std::vector<Press> presses = {
        {t, true, true, true},
        {t + 39, false, true, false},  // 39 ms after the first
        {t + 40, false, true, true},   // 40 ms: carried out
        {t + 79, true, true, false},   // 39 ms after the one before
        {t + 100, true, false, false}, // nothing plays: ignored and not counted as a press
        {t + 110, true, true, true},   // 70 ms after the last one carried out
        {t + 200, false, true, true},
    };
    for (const Press &p : presses) {
        SCOPED_TRACE("press at +" + std::to_string(p.atMs - t));
        m_nowMs = p.atMs;
        m_transport.m_bPlaying = p.playing;
        m_transport.m_seeks.clear();
        if (p.rewind)
            m_order.Rewind();
        else
            m_order.FastForward();
        EXPECT_EQ(m_transport.m_seeks.size(), p.expectSeek ? 1u : 0u);
    }
}

TEST_F(PlayOrderPreviousTest, VolumeStepsStayInRangeAndStartFromTheSavedVolumeWhileMuted)
{
    struct Case {
        int slider;
        int saved; // 0: not muted
        int step;
        int expected; // -1: the slider is left alone
    };
    const std::vector<Case> cases = {
        {50, 0, +1, 51}, {50, 0, -1, 49}, {100, 0, +1, -1}, {99, 0, +1, 100}, {0, 0, -1, -1},
        {1, 0, -1, 0},   {20, 70, +1, 71}, {20, 70, -1, 69}, {0, 100, +1, -1}, {90, 1, -1, 0},
    };
    Fill(1);
    for (const Case &c : cases) {
        SCOPED_TRACE("slider " + std::to_string(c.slider) + " saved " + std::to_string(c.saved) + " step " +
                     std::to_string(c.step));
        m_transport.m_nSlider = c.slider;
        m_transport.m_nSavedVolume = c.saved;
        m_transport.m_sliderSets.clear();
        m_order.VolumeStep(c.step);
        if (c.expected < 0) {
            EXPECT_TRUE(m_transport.m_sliderSets.empty());
        } else {
            EXPECT_EQ(m_transport.m_sliderSets, std::vector<int>{c.expected});
        }
    }
}

} // namespace

// The play order on a CD tab: checked tracks only, the playing track skipped, random play without
// repetition over the checked tracks, previous by list order and by the track-number history.

#include "tests/engine/PlayOrderFakes.h"

#include <set>

namespace {

class PlayOrderCdTest : public PlayOrderFixture {
protected:
    PlayOrderCdTest() : m_cd({1, 2, 3, 4, 5, 6}) {}

    void SetUp() override
    {
        m_order.ShowCdTab(m_cd);
        m_transport.m_pCd = &m_cd;
    }

    void PlayCdRow(int row)
    {
        m_cd.SelectAndFocus(row);
        m_transport.Play();
        ASSERT_EQ(m_cd.m_playingTrack, m_cd.TrackNumber(row));
    }

    FakeCdList m_cd;
};

TEST_F(PlayOrderCdTest, NextWalksDownToTheNextCheckedTrackThatIsNotPlaying)
{
    struct Case {
        const char *name;
        int playingRow; // -1: stopped
        char playingDrive;
        int selected;
        bool repeatList;
        int expectedRow; // -1: no next
    };
    // Rows 2 and 4 (tracks 3 and 5) are unchecked.
    const std::vector<Case> cases = {
        {"playing: skips the playing and unchecked tracks", 1, 'D', 1, false, 3},
        {"playing the last checked track, no repeat", 5, 'D', 5, false, -1},
        {"playing the last checked track, repeat list", 5, 'D', 5, true, 0},
        {"stopped: starts one row below the selection", -1, 0, 0, false, 1},
        {"stopped below an unchecked row", -1, 0, 1, false, 3},
        {"stopped, nothing selected: the first checked row", -1, 0, -1, false, 0},
    };
    m_cd.m_checked = {true, true, false, true, false, true};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_doc.SetRepeatList(c.repeatList);
        if (c.playingRow >= 0) {
            PlayCdRow(c.playingRow);
        } else {
            m_transport.m_bPlaying = false;
            m_cd.m_playingTrack = 0;
        }
        m_cd.m_selected = c.selected;
        m_cd.m_focused = c.selected;
        EXPECT_EQ(m_order.SelectNext(), c.expectedRow >= 0);
        if (c.expectedRow >= 0) {
            EXPECT_EQ(m_cd.m_selected, c.expectedRow);
            EXPECT_EQ(m_cd.m_focused, c.expectedRow);
        }
    }
}

TEST_F(PlayOrderCdTest, ThePlayingTrackIsOnlySkippedOnItsOwnDrive)
{
    m_cd.m_selected = 0;
    m_cd.m_playingTrack = 1;
    m_transport.m_bPlaying = true;
    for (const auto &[drive, expectedRow] : {std::pair{'D', 1}, std::pair{'E', 0}}) {
        m_cd.m_playingDrive = drive;
        m_cd.m_selected = 0;
        ASSERT_TRUE(m_order.SelectNext());
        EXPECT_EQ(m_cd.m_selected, expectedRow) << "playing drive " << drive;
    }
}

TEST_F(PlayOrderCdTest, NoCheckedTrackMeansNoNextEvenWithRepeatList)
{
    m_cd.m_checked.assign(6, false);
    m_doc.SetRepeatList(true);
    for (const int random : {0, 1}) {
        m_doc.random = random;
        EXPECT_FALSE(m_order.SelectNext()) << "random " << random;
        EXPECT_EQ(m_cd.m_nSelectCalls, 0);
    }
    FakeCdList empty({});
    m_order.ShowCdTab(empty);
    EXPECT_FALSE(m_order.SelectNext());
    EXPECT_EQ(m_order.RandomRow(0), -1);
}

TEST_F(PlayOrderCdTest, RandomPlayCoversTheCheckedTracksOnceThenAvoidsTheLastOne)
{
    m_cd.m_checked = {true, false, true, true, false, true};
    m_doc.random = 1;
    m_transport.m_nCounter = 99;
    m_transport.m_bCounterRuns = true;
    PlayCdRow(0);
    for (int k = 0; k < 3; ++k) {
        m_order.NextTrack();
        m_transport.m_bHalfTick = !m_transport.m_bHalfTick;
    }
    EXPECT_EQ(std::set<int>(m_transport.m_playedRows.begin(), m_transport.m_playedRows.end()),
              (std::set<int>{0, 2, 3, 5}));
    EXPECT_EQ(m_transport.m_playedRows.size(), 4u);

    // All checked tracks played: the marks start over with the just-played row marked, so the next
    // pick is another checked track.
    for (int k = 0; k < 20; ++k) {
        const int last = m_transport.m_playedRows.back();
        m_cd.ClearPlayed();
        for (int row : {0, 2, 3, 5})
            m_cd.SetPlayed(row, true);
        m_cd.m_selected = last;
        m_order.NextTrack();
        const int now = m_transport.m_playedRows.back();
        EXPECT_NE(now, last);
        EXPECT_TRUE(m_cd.IsChecked(now));
        EXPECT_EQ(m_cd.PlayedCount(), 2);
        EXPECT_TRUE(m_cd.IsPlayed(last));
    }
}

TEST_F(PlayOrderCdTest, RandomNewPassSearchesBelowTheSelectionFirstThenAbove)
{
    struct Case {
        std::vector<bool> checked;
        int selected;
        int expected;
    };
    const std::vector<Case> cases = {
        {{true, true, true, true, true, true}, 2, 3},
        {{true, true, true, false, false, false}, 2, 1},
        {{false, false, true, false, false, false}, 2, 2}, // the only checked track plays again
        {{true, false, false, false, false, false}, -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("selected " + std::to_string(c.selected));
        m_cd.m_checked = c.checked;
        for (int row = 0; row < 6; ++row)
            m_cd.SetPlayed(row, true);
        m_cd.m_selected = c.selected;
        m_transport.m_nCounter = 4;
        EXPECT_EQ(m_order.RandomRow(0), c.expected);
        EXPECT_TRUE(m_cd.IsPlayed(c.expected));
    }
}

TEST_F(PlayOrderCdTest, PreviousInListOrderGoesUpToTheNearestCheckedTrack)
{
    struct Case {
        int selected;
        bool playing;
        int expectedRow; // -1: nothing happens
    };
    m_cd.m_checked = {true, true, false, true, false, true};
    for (const Case c : {Case{5, true, 3}, Case{3, false, 1}, Case{1, true, 0}, Case{0, true, -1},
                         Case{-1, false, -1}}) {
        SCOPED_TRACE("selected " + std::to_string(c.selected));
        if (c.playing)
            PlayCdRow(c.selected);
        else
            m_transport.m_bPlaying = false;
        m_cd.m_selected = c.selected;
        m_cd.m_nSelectCalls = 0;
        const int playsBefore = m_transport.m_nPlayCalls;
        const std::size_t historyBefore = m_order.CdHistory().size();
        m_order.SelectPrevious();
        if (c.expectedRow < 0) {
            EXPECT_EQ(m_cd.m_nSelectCalls, 0);
            EXPECT_EQ(m_transport.m_nPlayCalls, playsBefore);
            continue;
        }
        EXPECT_EQ(m_cd.m_selected, c.expectedRow);
        EXPECT_EQ(m_transport.m_nPlayCalls - playsBefore, c.playing ? 1 : 0);
        EXPECT_EQ(m_order.CdHistory().size(), historyBefore);
    }
}

TEST_F(PlayOrderCdTest, RandomPreviousWalksTheTrackHistory)
{
    m_doc.random = 1;
    for (int row : {0, 2, 4, 5})
        PlayCdRow(row);
    EXPECT_EQ(std::vector<int>(m_order.CdHistory().begin(), m_order.CdHistory().end()),
              (std::vector<int>{1, 3, 5, 6}));
    m_order.RecordPlayed("not a track"); // ignored on a CD tab
    m_order.RecordPlayed("9");           // a track this disc does not have
    m_order.RecordPlayed("6");           // the playing track

    m_order.SelectPrevious(); // skips 6, drops 9, skips 6 again, finds track 5
    EXPECT_EQ(m_cd.m_playingTrack, 5);
    m_order.SelectPrevious();
    EXPECT_EQ(m_cd.m_playingTrack, 3);
    EXPECT_EQ(std::vector<int>(m_order.CdHistory().begin(), m_order.CdHistory().end()), std::vector<int>{1});
    EXPECT_TRUE(m_order.PlaylistHistory().empty());
}

TEST_F(PlayOrderCdTest, TrackHistoryKeepsTheTenMostRecent)
{
    for (int track = 1; track <= 14; ++track)
        m_order.RecordCdPlayed(track);
    std::vector<int> expected;
    for (int track = 5; track <= 14; ++track)
        expected.push_back(track);
    EXPECT_EQ(std::vector<int>(m_order.CdHistory().begin(), m_order.CdHistory().end()), expected);
}

TEST_F(PlayOrderCdTest, TheTabOnShowDecidesWhetherThePlaylistGivesGaplessSuccessors)
{
    m_order.ShowPlaylistTab();
    Fill(3);
    m_doc.SetNextIndex(0);
    EXPECT_EQ(m_doc.NextGaplessIndex(PathOf(0)), 1);
    m_order.ShowCdTab(m_cd);
    EXPECT_EQ(m_doc.NextGaplessIndex(PathOf(1)), -1);
    EXPECT_EQ(m_order.CdTabOnShow(), &m_cd);
    m_order.ShowPlaylistTab();
    m_doc.SetNextIndex(1);
    EXPECT_EQ(m_doc.NextGaplessIndex(PathOf(1)), 2);
    EXPECT_EQ(m_order.CdTabOnShow(), nullptr);
}

} // namespace

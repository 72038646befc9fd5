// The timed start and stop against a wall clock the test sets.
#include "tests/engine/PlayOrderFakes.h"
#include "engine/CTimedPlayback.h"

namespace {

class TimedPlaybackTest : public PlayOrderFixture {
protected:
    TimeOfDay now{};
    FakeControls controls;
    CTimedPlayback timed{m_doc, m_transport, controls, m_order, [this] { return now; }};
};

TEST_F(TimedPlaybackTest, StartFiresOnlyInItsSecondIncludingMidnight)
{
    Fill(3);
    m_doc.timer = CTimedPlayback::Pack({0, 0, 0});
    now = {23, 59, 59};
    timed.TimedCheck();
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
    now = {0, 0, 0};
    timed.TimedCheck();
    EXPECT_EQ(m_transport.m_nPlayCalls, 1);
    EXPECT_TRUE(m_transport.IsPlaying());
    timed.TimedCheck(); // the second check within the same second: already playing
    EXPECT_EQ(m_transport.m_nPlayCalls, 1);

    // 0 is off, even at midnight.
    ResetPlayback();
    m_doc.timer = 0;
    timed.TimedCheck();
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
}

TEST_F(TimedPlaybackTest, TimedStartWhilePausedResumesAndStopEndsPlayback)
{
    Fill(2);
    PlayRow(1);
    controls.m_bPaused = true;
    m_doc.timer = CTimedPlayback::Pack({8, 15, 0});
    m_doc.timeroff = CTimedPlayback::Pack({9, 0, 0});
    now = {8, 15, 0};
    const int before = m_transport.m_nPlayCalls;
    timed.TimedCheck();
    EXPECT_EQ(m_transport.m_nPlayCalls, before + 1) << "Play is what resumes a paused playback";
    EXPECT_EQ(State().m_nCurrent, 1) << "without random play the paused entry is resumed";

    controls.m_bPaused = false;
    now = {9, 0, 0};
    timed.TimedCheck();
    EXPECT_EQ(m_transport.m_nStopCalls, 1);
    EXPECT_FALSE(m_transport.IsPlaying());
}

} // namespace

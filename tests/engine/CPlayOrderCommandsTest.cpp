// The transport command table, the routing of each command id and the menu-state rules.

#include "tests/engine/PlayOrderFakes.h"

#include "engine/CTransportCommands.h"
#include "engine/PlayerCommands.h"

#include <functional>
#include <set>

namespace {

namespace cmd = PlayerCommand;

TEST(PlayerCommandTableTest, IdsKeysAndTextsAreTheProgramsOwn)
{
    struct Expected {
        int id;
        const char *key;
        const char *menuText;
    };
    // The program's command ids and accelerators, written out independently of the table.
    const std::vector<Expected> expected = {
        {32773, "F5", "Play"},
        {32790, "F6", "Pause"},
        {32774, "F7", "Stop"},
        {32775, "F9", "Previous Track"},
        {32776, "F10", "Next Track"},
        {32820, "F11", "Stop at Track End"},
        {32821, "F12", "Volume Fade Out"},
        {32888, "F2", "Mute Volume"},
        {32890, "F3", ""},
        {32891, "F4", ""},
        {32892, "Left", ""},
        {32893, "Right", ""},
        {32809, "Ctrl+H", "Random Play"},
        {32807, "Ctrl+J", "Repeat Track"},
        {32906, "Ctrl+K", "Repeat Playlist"},
        {32856, "", "100%"},
        {32861, "", "50%"},
        {32866, "", "0%"},
    };
    for (const Expected &e : expected) {
        const cmd::Entry *entry = cmd::Find(e.id);
        ASSERT_NE(entry, nullptr) << e.id;
        EXPECT_EQ(entry->key, e.key) << e.id;
        EXPECT_EQ(entry->menuText, e.menuText) << e.id;
    }

    std::set<int> ids;
    std::set<std::string_view> keys;
    int withKey = 0;
    for (const cmd::Entry &entry : cmd::kPlayerCommands) {
        EXPECT_TRUE(ids.insert(entry.id).second) << "duplicate id " << entry.id;
        if (!entry.key.empty()) {
            ++withKey;
            EXPECT_TRUE(keys.insert(entry.key).second) << "duplicate key " << entry.key;
        }
        EXPECT_FALSE(entry.key.empty() && entry.menuText.empty()) << "unreachable command " << entry.id;
    }
    EXPECT_EQ(withKey, 15);
    for (int id = 32856; id <= 32866; ++id)
        EXPECT_NE(cmd::Find(id), nullptr) << id;
    EXPECT_EQ(cmd::Find(32855), nullptr);
    EXPECT_EQ(cmd::Find(32867), nullptr);
    EXPECT_EQ(cmd::Find(57664), nullptr);
}

class TransportCommandsTest : public PlayOrderFixture {
public:
    TransportCommandsTest() { Fill(5); }

    FakeControls m_controls;
    CTransportCommands m_commands{m_order, m_transport, m_controls, m_doc};
};

TEST_F(TransportCommandsTest, EachCommandReachesItsOperation)
{
    struct Case {
        int id;
        const char *what;
        std::function<bool(TransportCommandsTest &)> happened;
    };
    // Each case starts with row 2 playing at 20 s of 60, cursor and selection on row 2, slider 50,
    // not muted, all toggles off.
    const std::vector<Case> cases = {
        {cmd::kPlay, "Play", [](auto &t) { return t.m_transport.m_nPlayCalls == 2; }},
        {cmd::kPause, "TogglePause", [](auto &t) { return t.m_controls.m_nPause == 1; }},
        {cmd::kStop, "StopPlayback", [](auto &t) { return t.m_transport.m_nStopCalls == 1; }},
        {cmd::kPreviousTrack, "SelectPrevious", [](auto &t) { return t.State().m_nPlaying == 1; }},
        {cmd::kNextTrack, "NextTrack", [](auto &t) { return t.State().m_nPlaying == 3; }},
        {cmd::kStopAtTrackEnd, "stop after entry", [](auto &t) { return t.m_order.StopAfterEntry(); }},
        {cmd::kFadeOut, "ToggleFadeOut", [](auto &t) { return t.m_controls.m_nFade == 1; }},
        {cmd::kMute, "ToggleMute", [](auto &t) { return t.m_controls.m_nMute == 1; }},
        {cmd::kVolumeDown, "VolumeStep(-1)", [](auto &t) { return t.m_transport.m_nSlider == 49; }},
        {cmd::kVolumeUp, "VolumeStep(+1)", [](auto &t) { return t.m_transport.m_nSlider == 51; }},
        {cmd::kRewind, "Rewind",
         [](auto &t) { return t.m_transport.m_seeks == std::vector<FakeTransport::Seek>{{15, -1}}; }},
        {cmd::kFastForward, "FastForward",
         [](auto &t) { return t.m_transport.m_seeks == std::vector<FakeTransport::Seek>{{25, +1}}; }},
        {cmd::kRandomPlay, "random", [](auto &t) { return t.m_doc.random == 1; }},
        {cmd::kRepeatTrack, "repeattrack", [](auto &t) { return t.m_doc.repeattrack == 1; }},
        {cmd::kRepeatPlaylist, "repeatlist",
         [](auto &t) { return t.m_doc.repeatlist == 1 && t.m_doc.RepeatList(); }},
        {cmd::kSetVolume100, "Set Volume 100%", [](auto &t) { return t.m_transport.m_nSlider == 100; }},
        {cmd::kSetVolume100 + 3, "Set Volume 70%", [](auto &t) { return t.m_transport.m_nSlider == 70; }},
        {cmd::kSetVolume0, "Set Volume 0%", [](auto &t) { return t.m_transport.m_nSlider == 0; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TransportCommandsTest &t = *this;
        t.m_transport = FakeTransport();
        t.m_transport.m_pDoc = &m_doc;
        t.m_transport.m_pOrder = &m_order;
        t.m_controls = FakeControls();
        m_doc.random = 0;
        m_doc.repeattrack = 0;
        m_doc.SetRepeatList(false);
        m_order.ClearStopAfterEntry();
        m_nowMs += 1000;
        PlayRow(2);
        m_transport.m_nElapsedMs = 20000;
        m_transport.m_nSlider = 50;

        EXPECT_TRUE(m_commands.Execute(c.id));
        EXPECT_TRUE(c.happened(t));
        // Nothing else was touched.
        const int otherCalls = m_controls.m_nPause + m_controls.m_nFade + m_controls.m_nMute +
                               m_transport.m_nStopCalls + (m_transport.m_nPlayCalls - 1);
        EXPECT_EQ(otherCalls, 1 - (c.id == cmd::kStopAtTrackEnd || c.id == cmd::kVolumeDown ||
                                           c.id == cmd::kVolumeUp || c.id == cmd::kRewind ||
                                           c.id == cmd::kFastForward || c.id == cmd::kRandomPlay ||
                                           c.id == cmd::kRepeatTrack || c.id == cmd::kRepeatPlaylist ||
                                           cmd::SetVolumeLevel(c.id) >= 0));
    }
}

TEST_F(TransportCommandsTest, SetVolumeEndsAMuteFirst)
{
    m_transport.m_nSavedVolume = 80;
    m_transport.m_nSlider = 80;
    ASSERT_TRUE(m_commands.Execute(cmd::kSetVolume100 + 6));
    EXPECT_EQ(m_controls.m_nMute, 1);
    EXPECT_EQ(m_transport.m_sliderSets, std::vector<int>{40});
}

TEST_F(TransportCommandsTest, TogglesFlipBackAndStopClearsStopAtTrackEnd)
{
    for (int id : {cmd::kRandomPlay, cmd::kRepeatTrack, cmd::kRepeatPlaylist}) {
        ASSERT_TRUE(m_commands.Execute(id));
        EXPECT_TRUE(m_commands.UpdateState(id)->checked) << id;
        ASSERT_TRUE(m_commands.Execute(id));
        EXPECT_FALSE(m_commands.UpdateState(id)->checked) << id;
    }
    EXPECT_EQ(m_doc.random, 0);
    EXPECT_EQ(m_doc.repeattrack, 0);
    EXPECT_FALSE(m_doc.RepeatList());

    PlayRow(0);
    ASSERT_TRUE(m_commands.Execute(cmd::kStopAtTrackEnd));
    EXPECT_TRUE(m_commands.UpdateState(cmd::kStopAtTrackEnd)->checked);
    ASSERT_TRUE(m_commands.Execute(cmd::kStop));
    EXPECT_FALSE(m_order.StopAfterEntry());
}

TEST_F(TransportCommandsTest, MenuStateFollowsPlaybackAndSettings)
{
    struct Case {
        int id;
        bool enabledStopped;
        bool enabledPlaying;
    };
    const std::vector<Case> cases = {
        {cmd::kPlay, true, true},           {cmd::kStop, true, true},
        {cmd::kPreviousTrack, true, true},  {cmd::kNextTrack, true, true},
        {cmd::kPause, false, true},         {cmd::kStopAtTrackEnd, false, true},
        {cmd::kRewind, false, true},        {cmd::kFastForward, false, true},
        {cmd::kMute, true, true},           {cmd::kRandomPlay, true, true},
        {cmd::kSetVolume100 + 2, true, true},
    };
    for (const bool playing : {false, true}) {
        m_transport.m_bPlaying = playing;
        for (const Case &c : cases) {
            const auto state = m_commands.UpdateState(c.id);
            ASSERT_TRUE(state.has_value()) << c.id;
            EXPECT_EQ(state->enabled, playing ? c.enabledPlaying : c.enabledStopped) << c.id << " playing " << playing;
        }
    }
    EXPECT_FALSE(m_commands.UpdateState(32000).has_value());
    EXPECT_FALSE(m_commands.Execute(32000));

    m_transport.m_bPlaying = true;
    m_controls.m_bPaused = true;
    EXPECT_TRUE(m_commands.UpdateState(cmd::kPause)->checked);
    m_controls.m_bPaused = false;
    EXPECT_FALSE(m_commands.UpdateState(cmd::kPause)->checked);
    m_transport.m_nSavedVolume = 60;
    EXPECT_TRUE(m_commands.UpdateState(cmd::kMute)->checked);
    m_transport.m_nSavedVolume = 0;
    EXPECT_FALSE(m_commands.UpdateState(cmd::kMute)->checked);
    m_order.ToggleStopAfterEntry();
    EXPECT_TRUE(m_commands.UpdateState(cmd::kStopAtTrackEnd)->checked);
}

TEST_F(TransportCommandsTest, DisabledCommandsDoNothingWhileStopped)
{
    m_transport.m_bPlaying = false;
    m_transport.m_nElapsedMs = 20000;
    m_transport.m_nDuration = 60;
    for (int id : {cmd::kPause, cmd::kStopAtTrackEnd, cmd::kRewind, cmd::kFastForward}) {
        m_nowMs += 1000;
        EXPECT_TRUE(m_commands.Execute(id)) << id;
    }
    EXPECT_EQ(m_controls.m_nPause, 0);
    EXPECT_FALSE(m_order.StopAfterEntry());
    EXPECT_TRUE(m_transport.m_seeks.empty());
    EXPECT_EQ(m_transport.m_nPlayCalls, 0);
}

} // namespace

#include "tests/platform/ipc/IpcServerFixture.h"
#include "tools/remote/CRemotePlugin.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

struct Posted {
    std::uint64_t key;
    std::int64_t alternative;
    bool operator==(const Posted &) const = default;
};

class MvRemoteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_RUNTIME_DIR", temp.path().c_str(), 1);
        ASSERT_TRUE(CRuntimeDir::FromEnvironment().Prepare());
        std::string why;
        ASSERT_TRUE(plugin.Load(MV_REMOTE_PATH, why)) << why;
    }
    // A player that answers the focus question with `active`.
    void StartPlayer(std::int64_t active = 0)
    {
        player.reset();
        player = std::make_unique<IpcServerFixture>(CRuntimeDir::FromEnvironment().Path(),
                                                    [active](const CIpcRecord &record) {
                                                        return record.message == 0x86A4u ? active : 0;
                                                    });
        ASSERT_TRUE(player->Listening());
        player->Run();
    }
    // What one HandleKey call posted: nothing when it answered 0; the call must post exactly when it says so.
    std::optional<Posted> Press(bool programmable, std::uint16_t key, std::uint16_t eventType)
    {
        const std::size_t before = player->Records().size();
        const int handled = plugin.HandleKey(programmable, key, eventType);
        const std::vector<CIpcRecord> records = player->WaitForRecords(before + (handled ? 1 : 0));
        EXPECT_EQ(records.size(), before + (handled ? 1 : 0)) << key;
        if (!handled || records.size() <= before)
            return std::nullopt;
        EXPECT_EQ(records.back().message, 0x86A2u);
        return Posted{records.back().wParam, records.back().lParam};
    }

    TempDir temp;
    CRemotePlugin plugin;
    std::unique_ptr<IpcServerFixture> player;
};

TEST_F(MvRemoteTest, EachButtonPostsItsFunctionKeyAndOnlyVolumeAndSeekRepeat)
{
    StartPlayer();
    const std::map<std::uint16_t, Posted> buttons = {
        {25, {0x73, 0}}, {26, {0x72, 0}}, {27, {0x71, 0}}, {30, {0x78, 0}}, {31, {0x79, 0}}, {32, {0x78, 0}},
        {33, {0x79, 0}}, {35, {0x7B, 1}}, {36, {0x7A, 1}}, {37, {0x74, 0}}, {38, {0x75, 0}}, {39, {0x76, 0}},
    };
    const std::set<std::uint16_t> repeating = {25, 26, 35, 36};
    for (std::uint16_t code = 0; code < 64; ++code) {
        const auto found = buttons.find(code);
        const std::optional<Posted> expected =
            found == buttons.end() ? std::nullopt : std::optional<Posted>(found->second);
        EXPECT_EQ(Press(false, code, 1), expected) << "pressed " << code;
        EXPECT_EQ(Press(false, code, 2), repeating.count(code) ? expected : std::nullopt) << "held " << code;
        EXPECT_EQ(Press(false, code, 0), std::nullopt) << code;
        EXPECT_EQ(Press(false, code, 3), std::nullopt) << code;
    }
    EXPECT_EQ(plugin.WhatKeysDoYouWant(), 210);
}

TEST_F(MvRemoteTest, ProgrammableFunctionsHaveTheirNamesAndPostOnPressOnly)
{
    StartPlayer();
    const std::vector<std::pair<std::string, Posted>> functions = {
        {"Stop at Track End", {0x7A, 0}}, {"Volume Fade Out", {0x7B, 0}}, {"Toggle Current Tab", {0x77, 1}}};
    for (std::uint16_t index = 0; index < functions.size(); ++index) {
        ASSERT_NE(plugin.EnumerateProgrammableFunction(index), nullptr);
        EXPECT_STREQ(plugin.EnumerateProgrammableFunction(index), functions[index].first.c_str());
        EXPECT_EQ(Press(true, index, 1), functions[index].second) << index;
        EXPECT_EQ(Press(true, index, 2), std::nullopt) << "a held function acts once: " << index;
    }
    EXPECT_EQ(plugin.EnumerateProgrammableFunction(3), nullptr);
    EXPECT_EQ(plugin.EnumerateProgrammableFunction(0xFFFF), nullptr);
    EXPECT_EQ(Press(true, 3, 1), std::nullopt);
    EXPECT_EQ(Press(true, 37, 1), std::nullopt) << "a button code is no function index";
}

TEST_F(MvRemoteTest, FocusFollowsThePlayersAnswerAndWithoutAPlayerEveryCallIsZero)
{
    StartPlayer(1);
    EXPECT_EQ(plugin.AreYouInFocus(), 1);
    StartPlayer(0); // a player whose window is hidden, minimised or not active
    EXPECT_EQ(plugin.AreYouInFocus(), 0);
    const std::vector<CIpcRecord> questions = player->Records();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].message, 0x86A4u);

    player.reset(); // the player quits
    EXPECT_EQ(plugin.AreYouInFocus(), 0);
    EXPECT_EQ(plugin.HandleKey(false, 37, 1), 0);
    EXPECT_EQ(plugin.HandleKey(false, 25, 2), 0);
    EXPECT_EQ(plugin.HandleKey(true, 0, 1), 0);
    EXPECT_EQ(plugin.WhatKeysDoYouWant(), 210) << "the plug-in's own answer needs no player";
}

} // namespace

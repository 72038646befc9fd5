#include "desktop/CInstanceGuard.h"

#include "tests/platform/ipc/IpcServerFixture.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

class CInstanceGuardTest : public ::testing::Test {
protected:
    std::string dir() const { return temp.file("run"); }
    TempDir temp;
};

TEST_F(CInstanceGuardTest, FirstGoesOnStarterStopsSilentlyRunnerGetsTheCommandLine)
{
    CInstanceGuard first(dir());
    EXPECT_TRUE(first.CheckSingleInstance(""));
    EXPECT_EQ(first.Result(), CInstanceGuard::Outcome::GoOn);
    EXPECT_TRUE(first.HoldsAtom());

    // The first has no window yet: a second start ends without a word.
    CInstanceGuard early(dir());
    EXPECT_FALSE(early.CheckSingleInstance("/music/early.mp3"));
    EXPECT_EQ(early.Result(), CInstanceGuard::Outcome::Starting);
    EXPECT_FALSE(early.HoldsAtom());

    // The first's frame exists: its socket listens and the atom goes.
    IpcServerFixture window(dir(), [](const CIpcRecord &) { return 1; });
    ASSERT_TRUE(window.Listening());
    first.ReleaseAtom();
    window.Run();

    const std::string line = "-add \"/music/My Band/01 – Ünïcode.mp3\"";
    CInstanceGuard second(dir());
    EXPECT_FALSE(second.CheckSingleInstance(line));
    EXPECT_EQ(second.Result(), CInstanceGuard::Outcome::Forwarded);
    EXPECT_TRUE(second.Delivered());
    EXPECT_FALSE(second.HoldsAtom());

    const std::vector<CIpcRecord> got = window.WaitForRecords(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, MV_WM_PLAYER_RAISE);
    EXPECT_EQ(got[1].message, 0x004Au);
    EXPECT_EQ(got[1].dwData, 0x028AF024u);
    ASSERT_EQ(got[1].data.size(), 512u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(got[1].data.data())), line);
    EXPECT_TRUE(std::all_of(got[1].data.begin() + line.size(), got[1].data.end(), [](auto b) { return b == 0; }));
}

TEST_F(CInstanceGuardTest, HungRunnerDoesNotHangTheSecondStart)
{
    ASSERT_TRUE(CRuntimeDir(dir()).Prepare());
    IpcServerFixture window(dir()); // listening, never answering
    ASSERT_TRUE(window.Listening());
    CInstanceGuard second(dir(), std::chrono::milliseconds(200));
    EXPECT_FALSE(second.CheckSingleInstance("x.mp3"));
    EXPECT_EQ(second.Result(), CInstanceGuard::Outcome::Forwarded);
    EXPECT_FALSE(second.Delivered());
}

TEST_F(CInstanceGuardTest, UnsafeRuntimeFolderIsNotTrusted)
{
    ASSERT_EQ(mkdir(dir().c_str(), 0777), 0);
    ASSERT_EQ(chmod(dir().c_str(), 0777), 0);
    CInstanceGuard guard(dir());
    EXPECT_TRUE(guard.CheckSingleInstance(""));
    EXPECT_EQ(guard.Result(), CInstanceGuard::Outcome::Unguarded);
    EXPECT_FALSE(guard.HoldsAtom());
}

TEST(CInstanceGuardBlockTest, CommandLineIsCutInsideTheBlockOnACharacterBoundary)
{
    const std::string a(600, 'a');
    const struct {
        std::string line;
        std::size_t kept; // bytes of the line that fit
    } cases[] = {
        {"", 0},
        {"/music/a.mp3", 12},
        {a.substr(0, 511), 511},
        {a, 511},
        {a.substr(0, 510) + "é", 510},       // 2-byte character across the end: left out
        {a.substr(0, 509) + "é", 511},       // ends exactly at the end
        {a.substr(0, 509) + "€x", 509},      // 3-byte character across the end
        {a.substr(0, 508) + "🎵", 508},      // 4-byte character across the end
        {a.substr(0, 507) + "🎵" + a, 511}, // ends exactly at the end
    };
    for (const auto &c : cases) {
        const CInstanceGuard::Block block = CInstanceGuard::MakeForwardBlock(c.line);
        const std::size_t length = strnlen(block.data(), block.size());
        EXPECT_EQ(length, c.kept) << c.line.size();
        EXPECT_EQ(std::string(block.data(), length), c.line.substr(0, c.kept));
        EXPECT_TRUE(std::all_of(block.begin() + length, block.end(), [](char b) { return b == 0; }));
    }
}

} // namespace

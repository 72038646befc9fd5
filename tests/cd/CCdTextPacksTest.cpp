// The CD-Text pack walker on hand-made packs. The builder that images go through is checked by the
// image tests (sheets with CD-Text) and by the fuzz target, which walks built packs back.
#include "cd/CCdTextPacks.h"
#include "cd/CDiscRecord.h"

#include <gtest/gtest.h>

namespace {

struct Pack {
    std::uint8_t type;
    std::uint8_t track;
    const char *text; // 12 bytes, '|' stands for a 0 byte
    bool doubleByte = false;
};

std::vector<std::uint8_t> Reply(const std::vector<Pack> &packs)
{
    std::vector<std::uint8_t> reply(4, 0);
    std::uint8_t sequence = 0;
    for (const Pack &p : packs) {
        std::uint8_t bytes[18] = {p.type, p.track, sequence++, static_cast<std::uint8_t>(p.doubleByte ? 0x80 : 0)};
        for (int i = 0; i < 12 && p.text[i]; ++i)
            bytes[4 + i] = p.text[i] == '|' ? 0 : static_cast<std::uint8_t>(p.text[i]);
        reply.insert(reply.end(), bytes, bytes + 18);
    }
    const std::size_t length = reply.size() - 2;
    reply[0] = static_cast<std::uint8_t>(length >> 8);
    reply[1] = static_cast<std::uint8_t>(length);
    return reply;
}

struct WalkCase {
    const char *name;
    std::vector<Pack> packs;
    std::string artist, discTitle;
    std::vector<std::pair<int, std::string>> titles;
};

TEST(CCdTextPacksTest, WalkerRules)
{
    const WalkCase cases[] = {
        {"disc and track titles", {{0x80, 0, "Album|One|Tw"}, {0x80, 2, "o|Three|"}}, "", "Album",
         {{1, "One"}, {2, "Two"}, {3, "Three"}}},
        {"title of track 3 across two packs", {{0x80, 3, "A long title"}, {0x80, 3, " of three|Fo"}, {0x80, 4, "ur|"}},
         "", "", {{3, "A long title of three"}, {4, "Four"}}},
        {"double-byte pack drops the partial string", {{0x80, 1, "Partial titl"}, {0x80, 1, "xxxxxxxxxxxx", true},
                                                       {0x80, 2, "Two|"}}, "", "", {{1, ""}, {2, "Two"}}},
        {"performers go in front of titles", {{0x80, 0, "Disc|T1|T2|"}, {0x81, 0, "Band|P1|P2|"}}, "Band", "Disc",
         {{1, "P1 - T1"}, {2, "P2 - T2"}}},
        {"performer without a title stands alone", {{0x81, 1, "Solo|"}}, "", "", {{1, "Solo"}}},
        {"zero bytes on an empty string do not count a track", {{0x80, 1, "||One|Two|"}}, "", "", {{1, "One"}, {2, "Two"}}},
        {"track above 100 is the disc", {{0x80, 101, "Disc|"}, {0x81, 120, "Artist|"}}, "Artist", "Disc", {}},
        {"other pack types are dropped", {{0x82, 1, "Songwriter|"}, {0x8F, 0, "xxxxxxxxxxx|"}}, "", "", {{1, ""}}},
        {"a later block overwrites titles", {{0x80, 1, "First|"}, {0x80, 1, "Second|"}}, "", "", {{1, "Second"}}},
        {"track number 100 is a track", {{0x80, 100, "Hundred|"}}, "", "", {{100, "Hundred"}}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.name);
        CDiscRecord record;
        const std::vector<std::uint8_t> reply = Reply(c.packs);
        CCdTextPacks::Walk(reply.data(), reply.size(), record);
        EXPECT_EQ(record.m_strArtist, c.artist);
        EXPECT_EQ(record.m_strDiscTitle, c.discTitle);
        for (const auto &[track, title] : c.titles)
            EXPECT_EQ(record.m_strTitle[track], title) << "track " << track;
    }
}

TEST(CCdTextPacksTest, HostileHeadersReadOnlyWhatIsThere)
{
    std::vector<std::uint8_t> reply = Reply({{0x80, 1, "One|Two|Thre"}});
    reply[0] = 0xFF; // claims 65,533 bytes of packs
    reply[1] = 0xFF;
    CDiscRecord record;
    CCdTextPacks::Walk(reply.data(), reply.size(), record);
    EXPECT_EQ(record.m_strTitle[1], "One");
    EXPECT_EQ(record.m_strTitle[2], "Two");
    EXPECT_EQ(record.m_strTitle[3], "");
    reply.resize(4 + 10); // a torn pack is not read
    CDiscRecord torn;
    CCdTextPacks::Walk(reply.data(), reply.size(), torn);
    EXPECT_EQ(torn.m_strTitle[1], "");
    reply[0] = 0;
    reply[1] = 1; // length below 2
    CCdTextPacks::Walk(reply.data(), reply.size(), torn);
    CCdTextPacks::Walk(reply.data(), 3, torn);
    EXPECT_EQ(torn.m_strTitle[1], "");
}

} // namespace

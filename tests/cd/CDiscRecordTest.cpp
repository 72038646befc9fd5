// The local CD database: section keys, cd.ini reading rules, the order string, saving, Unescape.
#include "cd/CDiscRecord.h"

#include "tests/support/CdImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// A record of a disc with `tracks` audio tracks, all selected in disc order.
CDiscRecord Disc(int tracks, std::uint32_t id = 0x7A0B5C09)
{
    CDiscRecord r;
    r.m_nDiscId = id;
    r.m_nFirstTrack = 1;
    r.m_nTocTracks = r.m_nAudioTracks = tracks;
    for (int t = 1; t <= tracks; ++t) {
        r.m_nLength[t] = 60 + t;
        r.m_bChecked[t] = 1;
        r.m_nOrder[t - 1] = t;
    }
    return r;
}

std::vector<int> Order(const CDiscRecord &r)
{
    std::vector<int> out;
    for (int i = 0; i < CDiscRecord::kSlots && r.m_nOrder[i]; ++i)
        out.push_back(r.m_nOrder[i]);
    return out;
}

std::vector<int> Checked(const CDiscRecord &r)
{
    std::vector<int> out;
    for (int t = 1; t < CDiscRecord::kSlots; ++t)
        if (r.m_bChecked[t])
            out.push_back(t);
    return out;
}

TEST(CDiscRecordTest, SectionKeysHaveNoLeadingZeros)
{
    EXPECT_EQ(CDiscRecord::SectionKey(0x0A0B0C03), "A0B0C03");
    EXPECT_EQ(CDiscRecord::SectionKey(0x7A0B5C09), "7A0B5C09");
    CDiscRecord r = Disc(3, 0x0A0B0C03);
    EXPECT_FALSE(r.ReadSection("<0A0B0C03>\ntitle=Padded\n", '<', '>', CDiscRecord::SectionKey(r.m_nDiscId)));
    EXPECT_TRUE(r.ReadSection("<a0b0c03>\ntitle=Lower\n<A0B0C03>\ntitle=Right\n", '<', '>',
                              CDiscRecord::SectionKey(r.m_nDiscId)));
    EXPECT_EQ(r.m_strDiscTitle, "Right");
}

struct OrderCase {
    const char *name;
    int tracks;
    const char *value;
    std::vector<int> order, checked;
    const char *savedBack;
};

TEST(CDiscRecordTest, OrderValues)
{
    const OrderCase cases[] = {
        {"named tracks first and selected", 3, "2 0", {3, 1, 2}, {1, 3}, "2 0"},
        {"a track named twice is taken once", 3, "1 1 0", {2, 1, 3}, {1, 2}, "1 0"},
        {"garbage and out-of-range tokens are ignored", 3, "x 7 -1  00 2", {3, 1, 2}, {3}, "2"},
        {"empty value: nothing selected", 2, "", {1, 2}, {}, ""},
        {"all in reverse", 4, "3 2 1 0", {4, 3, 2, 1}, {1, 2, 3, 4}, "3 2 1 0"},
        {"a number with trailing letters counts", 3, "2abc", {3, 1, 2}, {3}, "2"},
    };
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(c.name);
        CDiscRecord r = Disc(c.tracks);
        r.ParseOrder(c.value);
        EXPECT_EQ(Order(r), c.order);
        EXPECT_EQ(Checked(r), c.checked);
        EXPECT_EQ(r.OrderString(), c.savedBack);
    }
}

struct KeyCase {
    const char *line;
    int track;       // title index expected to change, -1 none
    int extt;        // extended-text index expected to change, -1 none
    const char *value;
};

TEST(CDiscRecordTest, KeysOfASection)
{
    const KeyCase cases[] = {
        {"0=First", 1, -1, "First"},     {"01=Second", 2, -1, "Second"}, {"00=Nothing", -1, -1, ""},
        {"98=Last", 99, -1, "Last"},     {"99=Beyond", 100, -1, "Beyond"}, {"100=Out", -1, -1, ""},
        {"extt0=Notes", -1, 1, "Notes"}, {"extt99=Far", -1, 100, "Far"},  {"Extt1=Case", -1, -1, ""},
        {"2=a=b", 3, -1, "a=b"},         {"nokeyhere", -1, -1, ""},          {"extt100=Out", -1, -1, ""},
    };
    for (const KeyCase &c : cases) {
        SCOPED_TRACE(c.line);
        CDiscRecord r = Disc(3);
        ASSERT_TRUE(r.ReadSection(std::string("<7A0B5C09>\r\n") + c.line + "\r\n", '<', '>', "7A0B5C09"));
        for (int t = 0; t < CDiscRecord::kSlots; ++t) {
            EXPECT_EQ(r.m_strTitle[t], t == c.track ? c.value : "") << "title " << t;
            EXPECT_EQ(r.m_strExtt[t], t == c.extt ? c.value : "") << "extt " << t;
        }
    }
    CDiscRecord r = Disc(3);
    ASSERT_TRUE(r.ReadSection("<7A0B5C09>\nARTIST=A\nTitle=T\ngenre=G\nyEaR=1999\nextd=E\n[Other]\n0=not ours\n",
                              '<', '>', "7A0B5C09"));
    EXPECT_EQ(r.m_strArtist + r.m_strDiscTitle + r.m_strGenre + r.m_strYear + r.m_strExtd, "ATG1999E");
    EXPECT_EQ(r.m_strTitle[1], "") << "a [ line ends the section";
    ASSERT_TRUE(r.ReadSection("<7A0B5C09>\norder=2 0\norder=1\n", '<', '>', "7A0B5C09"));
    EXPECT_EQ(Order(r), (std::vector<int>{2, 1, 3})) << "a second order value replaces the first";
    EXPECT_EQ(Checked(r), (std::vector<int>{2}));
    EXPECT_TRUE(Disc(1).ReadSection("[12345]\n", '[', ']', "12345"));
    EXPECT_FALSE(Disc(1).ReadSection("<>7A0B5C09>\n", '<', '>', "7A0B5C09"));
}

TEST(CDiscRecordTest, SaveWritesTheSectionAndKeepsTheOthers)
{
    TempDir dir;
    CDiscRecord r = Disc(3);
    r.m_strUserFolder = dir.path().string() + "/data/";
    r.m_strArtist = "Artist";
    r.m_strDiscTitle = "Disc";
    r.m_strTitle[1] = "One";
    r.m_strTitle[3] = "Three\r\n<1234>\ntitle=Hijack"; // a line break must not start a section
    r.m_strExtt[1] = "Notes";
    r.ParseOrder("0 2");
    ASSERT_TRUE(std::filesystem::create_directories(r.m_strUserFolder));
    ASSERT_TRUE(WriteTextFile(r.m_strUserFolder + "cd.ini",
                              "stray line\n<7A0B5C09>\n0=Old title\n<1234>\ntitle=Kept\r\n0=x\n\n[55]\n0=y\n"));
    ASSERT_TRUE(r.Save());
    EXPECT_EQ(ReadWholeFile(r.m_strUserFolder + "cd.ini"),
              "<7A0B5C09>\r\nartist=Artist\r\ntitle=Disc\r\ngenre=\r\nyear=\r\nextd=\r\nextt0=Notes\r\n0=One\r\n"
              "1=\r\n2=Three <1234> title=Hijack\r\norder=0 2\r\n\r\n<1234>\r\ntitle=Kept\r\n0=x\r\n\r\n[55]\r\n0=y\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(r.m_strUserFolder), {}), 1)
        << "no temporary file is left";

    CDiscRecord back = Disc(3);
    back.m_strUserFolder = r.m_strUserFolder;
    ASSERT_TRUE(back.Lookup(CDiscRecord::kUserCdIni, nullptr));
    EXPECT_EQ(back.m_strTitle[1], "One");
    EXPECT_EQ(back.m_strTitle[3], "Three <1234> title=Hijack");
    EXPECT_EQ(back.m_strExtt, r.m_strExtt);
    EXPECT_EQ(Order(back), Order(r));
    EXPECT_EQ(Checked(back), Checked(r));

    CDiscRecord none = Disc(1, 0);
    none.m_strUserFolder = dir.path().string() + "/new/melvane/";
    EXPECT_FALSE(none.Save());
    EXPECT_FALSE(std::filesystem::exists(none.m_strUserFolder)) << "nothing is saved for no disc";
    CDiscRecord one = Disc(1);
    one.m_strUserFolder = none.m_strUserFolder;
    ASSERT_TRUE(one.Save()) << "a missing data folder is created";
    EXPECT_EQ(ReadWholeFile(one.m_strUserFolder + "cd.ini"),
              "<7A0B5C09>\r\nartist=\r\ntitle=\r\ngenre=\r\nyear=\r\nextd=\r\n0=\r\norder=0\r\n\r\n");
}

TEST(CDiscRecordTest, Unescape)
{
    const std::pair<const char *, const char *> cases[] = {
        {"a\\\\b", "a\\b"},     {"line\\nnext", "line\r\nnext"}, {"\\tx", "\tx"}, {"\\q stays", "\\q stays"},
        {"trailing\\", "trailing\\"}, {"\\\\n", "\\n"},          {"", ""},       {"\\n\\t\\\\", "\r\n\t\\"},
    };
    for (const auto &[in, out] : cases) {
        std::string text = in;
        CDiscRecord::Unescape(text);
        EXPECT_EQ(text, out) << in;
    }
}

} // namespace

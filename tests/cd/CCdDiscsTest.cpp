// The refresh of a drive on generated images: numbers against the image's own layout, the lookup
// chain in its order, the freedb seam, saving at refresh, the media poll; and melvane-cd on the same.
#include "cd/CCdDiscs.h"

#include "tests/support/CdImage.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

std::uint32_t DiscIdFromFrames(const std::vector<std::uint32_t> &frames)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i)
        for (char c : std::to_string(frames[i] / 75))
            sum += static_cast<unsigned>(c - '0');
    return (sum % 255) << 24 | (frames.back() / 75 - frames.front() / 75) << 8 | static_cast<unsigned>(frames.size() - 1);
}

class CCdDiscsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CdImageDisc disc;
        disc.title = "Sheet Title";
        disc.performer = "Sheet Artist";
        disc.tracks = {{900, "Alpha", "Singer", false}, {450, "Beta", "", false}, {150, "", "", true},
                       {1200, "Delta", "", false}};
        ASSERT_TRUE(m_image.Create(m_dir.path().string(), disc));
        for (const char *f : {"/program/", "/user/", "/system/"})
            std::filesystem::create_directories(m_dir.path().string() + f);
        m_folders = {m_dir.path().string() + "/program/", m_dir.path().string() + "/user/",
                     m_dir.path().string() + "/system/"};
        m_key = CDiscRecord::SectionKey(DiscIdFromFrames(m_image.startFrames));
    }

    TempDir m_dir;
    CdImage m_image;
    CCdDiscs::Folders m_folders;
    std::string m_key;
};

TEST_F(CCdDiscsTest, RefreshReadsNumbersAndCdText)
{
    for (const std::string &sheet : {m_image.cuePath, m_image.tocPath}) {
        SCOPED_TRACE(sheet);
        CCdDiscs discs(CCdDriveList({}, {sheet}), m_folders);
        int refreshed = -1;
        discs.SetRefreshed([&](int d) { refreshed = d; });
        discs.RefreshDrive(0);
        EXPECT_EQ(refreshed, 0);
        const CDiscRecord &r = discs.Record(0);
        EXPECT_EQ(CDiscRecord::SectionKey(r.m_nDiscId), m_key);
        EXPECT_EQ(r.m_nTocTracks, 4);
        EXPECT_EQ(r.m_nAudioTracks, 3);
        EXPECT_EQ(r.m_nFirstTrack, 1);
        EXPECT_EQ(r.m_nDiscLength, (900 + 450 + 1200) / 75);
        EXPECT_EQ(r.m_nLength[1], 12);
        EXPECT_EQ(r.m_nLength[3], 0);
        EXPECT_EQ(r.m_nLength[4], 16);
        for (int i = 0; i <= 4; ++i)
            EXPECT_EQ(r.m_nOffset[i], static_cast<std::int32_t>(m_image.startFrames[i]));
        EXPECT_EQ((std::vector<int>{r.m_nOrder[0], r.m_nOrder[1], r.m_nOrder[2], r.m_nOrder[3]}),
                  (std::vector<int>{1, 2, 4, 0}));
        EXPECT_EQ(r.m_strArtist, "Sheet Artist");
        EXPECT_EQ(r.m_strDiscTitle, "Sheet Title");
        EXPECT_EQ(r.m_strTitle[1], "Singer - Alpha");
        EXPECT_EQ(r.m_strTitle[2], "Beta");
        EXPECT_EQ(r.m_strTitle[4], "Delta");
    }
}

TEST_F(CCdDiscsTest, LookupChainOrderAndSaving)
{
    const std::string user = m_folders.user + "cd.ini", program = m_folders.program + "cd.ini";
    ASSERT_TRUE(WriteTextFile(program, "<" + m_key + ">\ntitle=From program\n0=P1\norder=3 0\n"));
    CCdDiscs discs(CCdDriveList({}, {m_image.cuePath}), m_folders);
    int queries = 0;
    discs.SetAutoQuery([&](int, const CDiscRecord &) { ++queries; });
    discs.SetAutoQueryEnabled(true);
    discs.RefreshDrive(0);
    EXPECT_EQ(discs.Record(0).m_strDiscTitle, "From program");
    EXPECT_EQ(discs.Record(0).m_strTitle[1], "P1");
    EXPECT_EQ(discs.Record(0).m_strArtist, "") << "a found section is not mixed with CD-Text";
    EXPECT_EQ(discs.Record(0).OrderString(), "3 0");
    EXPECT_EQ(queries, 0);
    EXPECT_FALSE(std::filesystem::exists(user));

    // The next refresh saves the record first; from then on the user's file wins.
    discs.RefreshDrive(0);
    EXPECT_TRUE(ReadWholeFile(user).find("title=From program\r\n") != std::string::npos);
    EXPECT_EQ(ReadWholeFile(program), "<" + m_key + ">\ntitle=From program\n0=P1\norder=3 0\n")
        << "the program's cd.ini is never written";
    CDiscRecord edited = discs.Record(0);
    edited.m_strDiscTitle = "Edited";
    discs.SetRecord(0, edited);
    discs.SaveAll();
    discs.RefreshDrive(0);
    EXPECT_EQ(discs.Record(0).m_strDiscTitle, "Edited");
}

TEST_F(CCdDiscsTest, FreedbSeamAndCdPlayerIni)
{
    // Without CD-Text (a plain sheet) and without cd.ini sections: freedb when asked, else cdplayer.ini.
    CdImageDisc plain;
    plain.tracks = {{300, "", "", false}, {300, "", "", false}};
    CdImage image;
    const std::string folder = m_dir.path().string() + "/plain";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(image.Create(folder, plain));
    std::uint32_t identity = 0;
    for (std::size_t i = 0; i + 1 < image.startFrames.size(); ++i) {
        const std::uint32_t f = image.startFrames[i];
        identity += (f / 4500) << 16 | (f / 75 % 60) << 8 | f % 75;
    }
    identity += image.startFrames.back() - image.startFrames.front();
    ASSERT_TRUE(WriteTextFile(m_folders.system + "cdplayer.ini",
                              "[" + CDiscRecord::SectionKey(identity) + "]\r\nartist=Old player\r\n0=Old one\r\n"));

    const struct {
        bool on, answer;
        const char *artist;
        int queries;
    } cases[] = {{false, true, "Old player", 0}, {true, true, "freedb", 1}, {true, false, "Old player", 1}};
    for (const auto &c : cases) {
        CCdDiscs discs(CCdDriveList({}, {image.cuePath}), m_folders);
        int queries = 0;
        // The query answers later, off the refresh; the copy it gets holds no cdplayer.ini texts.
        std::vector<std::pair<int, CDiscRecord>> started;
        discs.SetAutoQuery([&](int drive, const CDiscRecord &copy) {
            ++queries;
            EXPECT_EQ(copy.m_strArtist, "");
            started.emplace_back(drive, copy);
        });
        discs.SetAutoQueryEnabled(c.on);
        discs.RefreshDrive(0);
        for (auto &[drive, copy] : started) {
            CDiscRecord other = copy;
            other.m_nDiscId ^= 1;
            other.m_strArtist = "another disc";
            EXPECT_FALSE(discs.TakeQueried(drive, other)) << "an answer for a disc no longer in the drive";
            copy.m_strArtist = "freedb";
            if (c.answer) {
                EXPECT_TRUE(discs.TakeQueried(drive, copy));
                EXPECT_FALSE(discs.TakeQueried(drive, copy)) << "an answer is taken once";
            }
        }
        EXPECT_EQ(discs.Record(0).m_strArtist, c.artist);
        EXPECT_EQ(queries, c.queries);
        if (std::string(c.artist) == "Old player") {
            EXPECT_EQ(discs.Record(0).m_strTitle[1], "Old one");
        }
    }
}

TEST_F(CCdDiscsTest, LateFreedbAnswerKeepsTheUsersEdits)
{
    CdImageDisc plain;
    plain.tracks = {{300, "", "", false}};
    CdImage image;
    const std::string folder = m_dir.path().string() + "/late";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(image.Create(folder, plain));
    CCdDiscs discs(CCdDriveList({}, {image.cuePath}), m_folders);
    std::vector<CDiscRecord> started;
    discs.SetAutoQuery([&](int, const CDiscRecord &copy) { started.push_back(copy); });
    discs.SetAutoQueryEnabled(true);
    discs.RefreshDrive(0);
    ASSERT_EQ(started.size(), 1u);
    CDiscRecord edited = discs.Record(0);
    edited.m_strDiscTitle = "Typed by the user";
    discs.SetRecord(0, edited);
    started[0].m_strDiscTitle = "From freedb";
    EXPECT_FALSE(discs.TakeQueried(0, started[0]));
    EXPECT_EQ(discs.Record(0).m_strDiscTitle, "Typed by the user");
}

TEST_F(CCdDiscsTest, NoDiscAndMediaChanges)
{
    const std::string cue = m_dir.file("moving.cue");
    CCdDiscs discs(CCdDriveList({}, {cue}), m_folders);
    EXPECT_EQ(discs.PollMedia(), 0) << "the first poll only takes note";
    discs.RefreshDrive(0);
    EXPECT_EQ(discs.Record(0).m_nDiscId, 0u);
    EXPECT_EQ(discs.Record(0).m_nTocTracks, 0);
    EXPECT_EQ(discs.PollMedia(), 0);
    std::filesystem::copy_file(m_image.cuePath, cue);
    EXPECT_EQ(discs.PollMedia(), 1);
    EXPECT_EQ(CDiscRecord::SectionKey(discs.Record(0).m_nDiscId), m_key);
    EXPECT_EQ(discs.PollMedia(), 0);
    std::filesystem::remove(cue);
    EXPECT_EQ(discs.PollMedia(), 1);
    EXPECT_EQ(discs.Record(0).m_nDiscId, 0u);
    EXPECT_TRUE(ReadWholeFile(m_folders.user + "cd.ini").find("<" + m_key + ">") == 0)
        << "the record that was in the slot is saved";

    // A corrupt or truncated sheet is no disc, and nothing is written for it.
    for (const char *text : {"FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 99:99:99\n", "TRACK",
                             "FILE \"missing.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", ""}) {
        const std::string bad = m_dir.file("bad.cue");
        ASSERT_TRUE(WriteTextFile(bad, text));
        CCdDiscs badDiscs(CCdDriveList({}, {bad}), m_folders);
        badDiscs.RefreshDrive(0);
        EXPECT_EQ(badDiscs.Record(0).m_nAudioTracks == 0, badDiscs.Record(0).m_nDiscId == 0u) << text;
    }
}

TEST_F(CCdDiscsTest, DriveLettersFromDAtMostFour)
{
    const CCdDriveList drives({"/dev/srX"}, {m_image.cuePath, m_image.tocPath, m_image.cuePath, "/a.cue", "/b.cue"});
    ASSERT_EQ(drives.Count(), 4);
    EXPECT_EQ(std::string({drives.Drives()[0].letter, drives.Drives()[1].letter, drives.Drives()[2].letter,
                           drives.Drives()[3].letter}),
              "DEFG");
    EXPECT_FALSE(drives.Drives()[0].image);
    EXPECT_EQ(drives.IndexOfSource(m_image.tocPath), 2) << "the same image is listed once";
    EXPECT_EQ(drives.OpenDevice('H'), nullptr);

    // A drive listed under one of its names is found under another (/dev/cdrom and /dev/sr0).
    const std::string device = m_dir.file("sr9"), link = m_dir.file("cdrom");
    ASSERT_TRUE(WriteTextFile(device, ""));
    std::filesystem::create_symlink(device, link);
    EXPECT_EQ(CCdDriveList({link}, {}).IndexOfSource(device), 0);
    EXPECT_EQ(CCdDriveList({device}, {}).IndexOfSource(link), 0);
}

std::string RunTool(const std::string &command)
{
    std::string out;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

TEST_F(CCdDiscsTest, ToolPrintsTheDiscAndItsTracks)
{
    const std::string env = "XDG_DATA_HOME='" + m_dir.path().string() + "/user-data' XDG_CONFIG_HOME='" +
                            m_dir.path().string() + "/config' ";
    const std::string out = RunTool(env + MELVANE_CD_TOOL " '" + m_image.tocPath + "'");
    char id[16];
    std::snprintf(id, sizeof id, "%08x", DiscIdFromFrames(m_image.startFrames));
    EXPECT_NE(out.find(std::string("Disc id ") + id + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("01 address 150 length 900 audio\n"), std::string::npos) << out;
    EXPECT_NE(out.find("03 address 1500 length 0 audio control 2 (not playable)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("AA address " + std::to_string(m_image.startFrames.back()) + "\n"), std::string::npos);
    EXPECT_NE(out.find("Title: Sheet Title\n"), std::string::npos) << out;
    EXPECT_NE(out.find("01 Singer - Alpha\n"), std::string::npos) << out;
    for (int track : {2, 4})
        EXPECT_TRUE(RunTool(env + MELVANE_CD_TOOL " '" + m_image.cuePath + "' --track " + std::to_string(track) +
                        " --raw") == m_image.trackBytes[track - 1])
            << "track " << track;
    EXPECT_EQ(RunTool(env + MELVANE_CD_TOOL " '" + m_image.cuePath + "' --track 3 --raw"), "");
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() / "user-data")) << "the tool writes nothing";
}

} // namespace

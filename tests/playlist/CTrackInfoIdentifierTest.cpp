// The real identifier on generated WAV files, judged by soxi.

#include "playlist/CPlaylistFile.h"
#include "playlist/CTrackInfoIdentifier.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

std::string CommandOutput(const std::string &command)
{
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        return out;
    std::array<char, 256> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe.get()))
        out += buffer.data();
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

// What soxi says about a file: duration in whole seconds (rounded down), rate, channels.
struct SoxInfo {
    int seconds = 0, rate = 0, channels = 0;
};

SoxInfo Soxi(const std::string &path)
{
    SoxInfo info;
    info.seconds = static_cast<int>(std::stod(CommandOutput("soxi -D '" + path + "'")));
    info.rate = std::stoi(CommandOutput("soxi -r '" + path + "'"));
    info.channels = std::stoi(CommandOutput("soxi -c '" + path + "'"));
    return info;
}

class TrackInfoIdentifierTest : public testing::Test {
public:
    void SetUp() override
    {
        ASSERT_EQ(RunCommand("sox -n -r 22050 -c 1 '" + m_dir.file("music/one.wav") + "' synth 3.5 sine 440 2>/dev/null"), 0);
        ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 '" + m_dir.file("two.wav") + "' synth 2 sine 220 2>/dev/null"), 0);
    }

    std::vector<CPlaylistEntry> Load(const std::string &name, const std::string &text)
    {
        {
            std::ofstream out(m_dir.file(name), std::ios::binary);
            out << text;
        }
        CPlaylistFile file(m_identifier);
        std::vector<CPlaylistEntry> entries;
        file.Load(m_dir.file(name), 10000, entries);
        return entries;
    }

    TempDir m_dir;
    bool m_made = std::filesystem::create_directories(m_dir.path() / "music");
    CTrackInfoIdentifier m_identifier;
};

TEST_F(TrackInfoIdentifierTest, IdentifiesFilesByContent)
{
    const std::string one = m_dir.file("music/one.wav");
    const SoxInfo sox = Soxi(one);
    CPlaylistEntry entry;
    ASSERT_TRUE(m_identifier.Identify(one, entry));
    EXPECT_EQ(entry.m_nType, kTypeWav);
    EXPECT_EQ(entry.m_strPath, one);
    EXPECT_EQ(entry.m_nDuration, sox.seconds);
    EXPECT_EQ(entry.m_nFrequency, sox.rate);
    EXPECT_EQ(entry.m_nChannels, sox.channels);
    EXPECT_EQ(entry.m_nSize, std::filesystem::file_size(one));
    EXPECT_EQ(entry.m_strTitle, "one"); // no tags: the file name

    // The same reader is reused: nothing of the previous file may stick.
    std::ofstream(m_dir.file("text.wav")) << "not a wave file";
    CPlaylistEntry other;
    EXPECT_FALSE(m_identifier.Identify(m_dir.file("text.wav"), other));
    EXPECT_FALSE(m_identifier.Identify(m_dir.file("missing.wav"), other));
    ASSERT_TRUE(m_identifier.Identify(m_dir.file("two.wav"), other));
    EXPECT_EQ(other.m_nChannels, Soxi(m_dir.file("two.wav")).channels);
    EXPECT_EQ(other.m_strTitle, "two");
}

TEST_F(TrackInfoIdentifierTest, ExtendedM3uLoadsOnlyItsPaths)
{
    const auto entries = Load("list.m3u", "#EXTM3U\r\n#EXTINF:3,Someone - One\r\nmusic/one.wav\r\n"
                                          "#EXTINF:2,Two\r\n" + m_dir.file("two.wav") + "\r\n\r\nmissing.wav\r\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].m_strPath, m_dir.file("music/one.wav"));
    EXPECT_EQ(entries[0].m_nDuration, Soxi(m_dir.file("music/one.wav")).seconds);
    EXPECT_EQ(entries[1].m_strPath, m_dir.file("two.wav"));
    EXPECT_EQ(entries[1].m_nFrequency, Soxi(m_dir.file("two.wav")).rate);
}

TEST_F(TrackInfoIdentifierTest, VplLinesUseTheirFieldsAndTheFileOnlyForWhatIsMissing)
{
    const std::string h = "#Melvane playlist\r\n";
    const SoxInfo one = Soxi(m_dir.file("music/one.wav"));
    const struct {
        const char *name;
        std::string line;
        int type; // 0: the line is dropped
        std::string title;
        int duration;
        int frequency;
    } cases[] = {
        // No file at all: TYPE and TIME are enough.
        {"type and time without the file", "gone.wav\x01NAME=Kept\x01TYPE=8\x01TIME=77\x01" "FREQ=8000", 8, "Kept", 77, 8000},
        {"type without time or name on a missing MP3", "gone.mp3\x01TYPE=7", 7, "gone", 0, 0},
        // A WAV's length is read from the file; the reader refuses a WAV it cannot measure.
        {"type without time on a missing WAV: dropped", "gone.wav\x01TYPE=8\x01NAME=x", 0, "", 0, 0},
        {"no type: identified from the file, line fields dropped", "music/one.wav\x01NAME=Dropped\x01TIME=77", 8,
         "one", one.seconds, one.rate},
        {"no type and no file: dropped", "gone.wav\x01NAME=x\x01TIME=77", 0, "", 0, 0},
        {"type given, length computed from the file", "music/one.wav\x01TYPE=8\x01NAME=Mine", 8, "Mine",
         one.seconds, one.rate},
        {"unknown type: the content decides, line fields stay", "music/one.wav\x01TYPE=99\x01NAME=Mine\x01TIME=5", 8,
         "Mine", 5, one.rate},
        {"unknown type on a file that is no music: dropped", "list.vpl\x01TYPE=0\x01NAME=x", 0, "", 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto entries = Load("list.vpl", h + c.line + "\r\n");
        ASSERT_EQ(entries.size(), c.type != 0 ? 1u : 0u);
        if (c.type == 0)
            continue;
        EXPECT_EQ(entries[0].m_nType, c.type);
        EXPECT_EQ(entries[0].m_strTitle, c.title);
        EXPECT_EQ(entries[0].m_nDuration, c.duration);
        EXPECT_EQ(entries[0].m_nFrequency, c.frequency);
    }
}

} // namespace

// A long M3U is identified on several threads: the list holds what one reader finds, file by file, in
// the M3U's order, and the room left still bounds it.
TEST_F(TrackInfoIdentifierTest, LongM3uListsWhatOneReaderFindsInOrder)
{
    std::ofstream(m_dir.file("junk.wav")) << "not a wave file";
    const std::string kinds[] = {m_dir.file("music/one.wav"), m_dir.file("two.wav"), m_dir.file("junk.wav"),
                                 m_dir.file("missing.wav")};
    std::string text;
    std::vector<std::string> paths;
    for (int i = 0; i < 1500; ++i) {
        // Copies under names of their own, so that every line names another file.
        const std::string &kind = kinds[(i * 7) % 4];
        std::string path = m_dir.file("many/" + std::to_string(i) + ".wav");
        std::filesystem::create_directories(m_dir.path() / "many");
        if (std::filesystem::exists(kind))
            std::filesystem::copy_file(kind, path);
        text += path + "\n";
        paths.push_back(path);
    }
    std::vector<CPlaylistEntry> expected;
    for (const std::string &path : paths) {
        CPlaylistEntry entry;
        if (m_identifier.Identify(path, entry) && entry.m_nType != 0)
            expected.push_back(entry);
    }
    ASSERT_GT(expected.size(), 600u);
    ASSERT_LT(expected.size(), 900u);
    for (const int room : {10000, 700}) {
        SCOPED_TRACE(room);
        {
            std::ofstream(m_dir.file("long.m3u"), std::ios::binary) << text;
        }
        CPlaylistFile file(m_identifier);
        std::vector<CPlaylistEntry> entries;
        file.Load(m_dir.file("long.m3u"), room, entries);
        const std::size_t wanted = std::min<std::size_t>(expected.size(), static_cast<std::size_t>(room));
        ASSERT_EQ(entries.size(), wanted);
        for (std::size_t i = 0; i < wanted; ++i) {
            ASSERT_EQ(entries[i].m_strPath, expected[i].m_strPath) << i;
            ASSERT_EQ(entries[i].m_nDuration, expected[i].m_nDuration) << i;
            ASSERT_EQ(entries[i].m_nChannels, expected[i].m_nChannels) << i;
            ASSERT_EQ(entries[i].m_strTitle, expected[i].m_strTitle) << i;
        }
    }
}

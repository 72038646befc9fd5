#include "playlist/CPlayerDoc.h"
#include "playlist/CPlaylistFile.h"
#include "playlist/ICdTrackPlayer.h"
#include "tests/support/PlaylistFakes.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class FakeCdPlayer : public ICdTrackPlayer {
public:
    void PlayCdTrack(char driveLetter, int track) override { m_calls.push_back(std::string(1, driveLetter) + std::to_string(track)); }
    std::vector<std::string> m_calls;
};

class PlayerDocFilesTest : public testing::Test {
public:
    PlayerDocFilesTest() : m_doc(m_identifier, m_messages), m_rows(m_doc)
    {
        m_doc.SetDataFolder(m_data.path().string());
        m_doc.SetFileDialogs(&m_dialogs);
        m_dialogs.m_onShow = [this] { m_modalWhileUp = m_doc.m_bModalOpen; };
        m_doc.SetCdTrackPlayer(&m_cd);
        QObject::connect(&m_doc, &CPlayerDoc::playEntryRequested, [this](int index) { m_played.push_back(index); });
        QObject::connect(&m_doc, &CPlayerDoc::captionChanged, [this]() { ++m_captions; });
    }

    std::string Music(const std::string &name)
    {
        const std::string path = m_dir.file(name);
        m_identifier.AddFile(path, kTypeMpeg, static_cast<std::int32_t>(name.size()));
        return path;
    }

    void AddMusic(std::initializer_list<const char *> names)
    {
        std::vector<std::string> paths;
        for (const char *name : names)
            paths.push_back(Music(name));
        ASSERT_EQ(m_doc.AddFiles(paths), static_cast<int>(paths.size()));
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < m_doc.TotalCount(); ++i)
            paths.push_back(m_doc.EntryAt(i).m_strPath);
        return paths;
    }

    // The paths stored in a playlist file, read back by the file code alone.
    std::vector<std::string> PathsIn(const std::string &file)
    {
        FakeIdentifier any;
        CPlaylistFile reader(any);
        std::vector<CPlaylistEntry> entries;
        reader.Load(file, 10000, entries);
        std::vector<std::string> paths;
        for (const CPlaylistEntry &e : entries)
            paths.push_back(e.m_strPath);
        return paths;
    }

    void WriteFile(const std::string &path, const std::string &text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    TempDir m_data;
    TempDir m_dir;
    FakeIdentifier m_identifier;
    FakeMessageBox m_messages;
    CPlayerDoc m_doc;
    RowRecorder m_rows;
    FakeFileDialogs m_dialogs;
    bool m_modalWhileUp = false;
    FakeCdPlayer m_cd;
    std::vector<int> m_played;
    int m_captions = 0;
};

TEST_F(PlayerDocFilesTest, TheCurrentPlaylistIsTheLastPlaylistSetting)
{
    WriteFile(m_dir.file("a.vpl"), "#Melvane playlist\r\n");
    m_doc.OpenPlaylist(m_dir.file("a.vpl"));
    EXPECT_EQ(m_doc.lastvpl, "a.vpl");
    EXPECT_EQ(m_doc.lastvpldir, m_dir.path().string() + "/");
    m_doc.lastvpl = "b.vpl";
    EXPECT_EQ(m_doc.PlaylistFilePath(), m_dir.file("b.vpl"));
    m_doc.lastvpl.clear();
    EXPECT_EQ(m_doc.PlaylistFilePath(), m_data.file("default.vpl"));
}

TEST_F(PlayerDocFilesTest, ClearSavesAnUnnamedListToTheDefaultPlaylist)
{
    m_doc.Clear(); // empty: nothing is written
    EXPECT_FALSE(fs::exists(m_data.file("default.vpl")));

    AddMusic({"a.mp3", "b.mp3"});
    const std::vector<std::string> before = Paths();
    m_doc.Clear();
    EXPECT_EQ(PathsIn(m_data.file("default.vpl")), before);
    EXPECT_EQ(m_doc.TotalCount(), 0);

    // At the next start the default playlist comes back.
    FakeMessageBox messages;
    CPlayerDoc next(m_identifier, messages);
    next.SetDataFolder(m_data.path().string());
    next.LoadPlaylist();
    ASSERT_EQ(next.TotalCount(), 2);
    EXPECT_EQ(next.EntryAt(1).m_strPath, before[1]);
    EXPECT_EQ(next.EntryAt(1).m_nDuration, 5); // from the file's fields
}

TEST_F(PlayerDocFilesTest, AnM3uListIsSavedAsVplUnderItsNewName)
{
    const std::string a = Music("a.mp3");
    const std::string m3u = "#EXTM3U\n#EXTINF:1,x\na.mp3\n";
    const struct {
        const char *name, *savedAs;
    } cases[] = {{"party.m3u", "party.vpl"}, {"LIST.VPL", "LIST.vpl"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(m_dir.file(c.name), m3u);
        m_doc.OpenPlaylist(m_dir.file(c.name));
        ASSERT_EQ(Paths(), std::vector<std::string>{a});
        EXPECT_EQ(m_doc.m_strPlaylistName, c.name);
        const int captions = m_captions;
        ASSERT_TRUE(m_doc.SavePlaylist());
        EXPECT_EQ(m_doc.m_strPlaylistName, c.savedAs);
        EXPECT_GT(m_captions, captions);
        EXPECT_EQ(PathsIn(m_dir.file(c.savedAs)), std::vector<std::string>{a});
        EXPECT_EQ(ReadWholeFile(m_dir.file(c.name)), m3u); // the M3U is never written
        m_doc.OnNewPlaylist();
    }
}

TEST_F(PlayerDocFilesTest, OpenSavesTheOldListAndLoadsTheNewOne)
{
    AddMusic({"a.mp3"});
    ASSERT_TRUE(m_doc.SavePlaylistAs(m_dir.file("first.vpl")));
    AddMusic({"b.mp3"});
    const std::string c = Music("c.mp3");
    WriteFile(m_dir.file("second.vpl"), "#Melvane playlist\r\nc.mp3\x01TYPE=7\r\n");

    m_dialogs.m_answer = m_dir.file("second.vpl");
    m_doc.OnOpenPlaylist();
    EXPECT_EQ(m_dialogs.m_calls, std::vector<std::string>{"open " + m_dir.path().string() + "/ first.vpl"});
    EXPECT_TRUE(m_modalWhileUp);
    EXPECT_FALSE(m_doc.m_bModalOpen);
    EXPECT_EQ(PathsIn(m_dir.file("first.vpl")), (std::vector<std::string>{m_dir.file("a.mp3"), m_dir.file("b.mp3")}));
    EXPECT_EQ(Paths(), std::vector<std::string>{c});
    EXPECT_EQ(m_rows.m_rows, std::vector<std::string>{c});
    EXPECT_EQ(m_doc.m_strPlaylistName, "second.vpl");
    EXPECT_TRUE(m_rows.m_errors.empty());

    // Cancelling the dialog changes nothing.
    m_dialogs.m_answer.clear();
    m_doc.OnOpenPlaylist();
    EXPECT_EQ(Paths(), std::vector<std::string>{c});
    EXPECT_EQ(m_doc.m_strPlaylistName, "second.vpl");
}

TEST_F(PlayerDocFilesTest, AMissingPlaylistLeavesAnEmptyUnnamedList)
{
    AddMusic({"a.mp3"});
    m_doc.OpenPlaylist(m_dir.file("missing.vpl"));
    EXPECT_EQ(m_doc.TotalCount(), 0);
    EXPECT_EQ(m_doc.m_strPlaylistName, "");
    EXPECT_EQ(PathsIn(m_data.file("default.vpl")), std::vector<std::string>{m_dir.file("a.mp3")});
}

TEST_F(PlayerDocFilesTest, SaveCommands)
{
    m_doc.OnSavePlaylist(); // empty list: no dialog, no file
    EXPECT_TRUE(m_dialogs.m_calls.empty());
    EXPECT_FALSE(m_doc.CanSavePlaylist());

    AddMusic({"a.mp3"});
    EXPECT_TRUE(m_doc.CanSavePlaylist());
    // Unnamed: Save behaves as Save As.
    m_dialogs.m_answer = m_dir.file("mine.vpl");
    m_doc.OnSavePlaylist();
    ASSERT_EQ(m_dialogs.m_calls.size(), 1u);
    EXPECT_TRUE(m_modalWhileUp);
    EXPECT_EQ(m_doc.m_strPlaylistName, "mine.vpl");
    EXPECT_EQ(PathsIn(m_dir.file("mine.vpl")), std::vector<std::string>{m_dir.file("a.mp3")});

    // Named: Save writes at once.
    AddMusic({"b.mp3"});
    m_doc.OnSavePlaylist();
    EXPECT_EQ(m_dialogs.m_calls.size(), 1u);
    EXPECT_EQ(PathsIn(m_dir.file("mine.vpl")).size(), 2u);

    // Save As into a folder that does not exist reports the failure.
    EXPECT_FALSE(m_doc.SavePlaylistAs(m_dir.file("no/such/x.vpl")));
    EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{"Unable to save playlist.  "});
    EXPECT_EQ(m_messages.m_buttons, std::vector<CMessageBox::Buttons>{CMessageBox::kOk});
}

TEST_F(PlayerDocFilesTest, CommandLinePlaylistAndMusicFile)
{
    AddMusic({"old.mp3"});
    m_doc.SavePlaylistAs(m_dir.file("old.vpl"));
    AddMusic({"old2.mp3"});
    const std::string n = Music("new.mp3");
    WriteFile(m_dir.file("new.vpl"), "#Melvane playlist\nnew.mp3\x01TYPE=7\x01TIME=9\n");

    m_doc.OpenFromCommandLine(m_dir.file("new.vpl"), true, 0, 0);
    EXPECT_EQ(PathsIn(m_dir.file("old.vpl")).size(), 2u); // saved before it was replaced
    EXPECT_EQ(Paths(), std::vector<std::string>{n});
    EXPECT_EQ(m_rows.m_rows, std::vector<std::string>{n});
    EXPECT_EQ(m_doc.m_strPlaylistName, "new.vpl");
    EXPECT_TRUE(m_played.empty());

    const std::string song = Music("song.mp3");
    const int captions = m_captions;
    m_doc.OpenFromCommandLine(song, false, 0, 0);
    EXPECT_EQ(Paths(), std::vector<std::string>{song});
    EXPECT_EQ(m_doc.m_strPlaylistName, "");
    EXPECT_EQ(m_played, std::vector<int>{0});
    EXPECT_EQ(m_doc.State().m_nCurrent, 0);
    EXPECT_TRUE(m_doc.State().IsSelected(0));
    EXPECT_GT(m_captions, captions);
    EXPECT_TRUE(m_rows.m_errors.empty());

    // The new, unnamed list goes to the default playlist; new.vpl keeps what it had.
    m_doc.Clear();
    EXPECT_EQ(PathsIn(m_data.file("default.vpl")), std::vector<std::string>{song});
    EXPECT_EQ(PathsIn(m_dir.file("new.vpl")), std::vector<std::string>{n});

    // A file that is no music leaves an empty list and plays nothing.
    m_doc.OpenFromCommandLine(m_dir.file("nothing.txt"), false, 0, 0);
    EXPECT_EQ(m_doc.TotalCount(), 0);
    EXPECT_EQ(m_played, std::vector<int>{0});
}

// An open from another process replaces the list only with something that can be read.
TEST_F(PlayerDocFilesTest, AnOpenThatCannotBeReadKeepsTheList)
{
    AddMusic({"keep1.mp3", "keep2.mp3"});
    m_doc.SavePlaylistAs(m_dir.file("party.vpl"));
    const std::vector<std::string> before = Paths();
    WriteFile(m_dir.file("notes.txt"), "not music");
    const std::string a = Music("a.mp3");
    const std::string b = Music("b.mp3");
    struct Row {
        std::string path;
        bool isPlaylist;
        const char *message;
    };
    const Row rows[] = {
        {m_dir.file("missing.mp3"), false, CPlayerDoc::kMusicOpenFailedMessage},
        {m_dir.file("notes.txt"), false, CPlayerDoc::kMusicOpenFailedMessage},
        {"a.mp3", false, CPlayerDoc::kMusicOpenFailedMessage}, // relative: the sender's folder is unknown
        {a + " " + b, false, CPlayerDoc::kMusicOpenFailedMessage}, // two files on one line
        {a.substr(0, a.size() - 2), false, CPlayerDoc::kMusicOpenFailedMessage}, // cut short
        {m_dir.file("missing.vpl"), true, CPlayerDoc::kPlaylistOpenFailedMessage},
        {"party.vpl", true, CPlayerDoc::kPlaylistOpenFailedMessage},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        m_messages.m_texts.clear();
        EXPECT_FALSE(m_doc.OpenFromCommandLine(row.path, row.isPlaylist, 0, 0));
        EXPECT_EQ(Paths(), before);
        EXPECT_EQ(m_doc.m_strPlaylistName, "party.vpl");
        EXPECT_EQ(m_messages.m_texts, std::vector<std::string>{row.message});
    }
    EXPECT_TRUE(m_played.empty());
    EXPECT_TRUE(m_doc.OpenFromCommandLine(a, false, 0, 0));
    EXPECT_EQ(Paths(), std::vector<std::string>{a});
    EXPECT_EQ(PathsIn(m_dir.file("party.vpl")), before) << "the replaced list was saved first";
}

TEST_F(PlayerDocFilesTest, CommandLineCdTrackGoesToTheCdSide)
{
    AddMusic({"a.mp3"});
    m_doc.OpenFromCommandLine("", false, 'e', 3);
    m_doc.OpenFromCommandLine("", false, 'D', 99);
    m_doc.OpenFromCommandLine("", false, 'D', 100);
    EXPECT_EQ(m_cd.m_calls, (std::vector<std::string>{"E3", "D99"}));
    EXPECT_EQ(m_doc.TotalCount(), 1); // the playlist is not touched
}

TEST_F(PlayerDocFilesTest, DroppingAPlaylistReplacesTheList)
{
    const std::string a = Music("a.mp3");
    const std::string b = Music("b.mp3");
    WriteFile(m_dir.file("list.vpl"), "#Melvane playlist\r\na.mp3\x01TYPE=7\r\n");
    WriteFile(m_dir.file("ext.m3u"), "#EXTM3U\r\nb.mp3\r\n");
    WriteFile(m_dir.file("plain.m3u"), "b.mp3\r\n");
    AddMusic({"c.mp3"});

    EXPECT_FALSE(m_doc.DropPlaylistFile({m_dir.file("plain.m3u"), m_dir.file("list.vpl")}));
    EXPECT_FALSE(m_doc.DropPlaylistFile({a}));
    EXPECT_FALSE(m_doc.DropPlaylistFile({m_dir.file("missing")}));
    EXPECT_EQ(m_doc.TotalCount(), 1);

    EXPECT_TRUE(m_doc.DropPlaylistFile({m_dir.file("list.vpl"), m_dir.file("ext.m3u")}));
    EXPECT_EQ(Paths(), std::vector<std::string>{a});
    EXPECT_EQ(m_doc.m_strPlaylistName, "list.vpl");
    EXPECT_TRUE(m_doc.DropPlaylistFile({m_dir.file("ext.m3u")}));
    EXPECT_EQ(Paths(), std::vector<std::string>{b});
    EXPECT_EQ(m_doc.m_strPlaylistName, "ext.m3u");
    EXPECT_EQ(PathsIn(m_dir.file("list.vpl")), std::vector<std::string>{a}); // saved on replacement
}

TEST_F(PlayerDocFilesTest, TheExitSaveHappensOnceAndWritesEvenAnEmptyList)
{
    m_doc.SaveAtExit();
    EXPECT_EQ(ReadWholeFile(m_data.file("default.vpl")), "#Melvane playlist\r\n");
    AddMusic({"a.mp3"});
    m_doc.SaveAtExit(); // the second request (window close after session end) writes nothing
    EXPECT_EQ(ReadWholeFile(m_data.file("default.vpl")), "#Melvane playlist\r\n");
}

TEST_F(PlayerDocFilesTest, LoadingStopsAtTheListLimit)
{
    std::string text = "#Melvane playlist\n";
    for (int i = 0; i < 20; ++i)
        text += "/m/" + std::to_string(i) + ".mp3\x01TYPE=7\n";
    WriteFile(m_dir.file("l.vpl"), text);
    std::vector<std::string> paths;
    for (int i = 0; i < CPlayerDoc::kMaxPlaylistEntries - 5; ++i) {
        paths.push_back("/x/" + std::to_string(i));
        m_identifier.AddFile(paths.back());
    }
    m_doc.AddFiles(paths);
    m_doc.m_strPlaylistDir = m_dir.path().string();
    m_doc.m_strPlaylistName = "l.vpl";
    m_doc.LoadPlaylist();
    EXPECT_EQ(m_doc.TotalCount(), CPlayerDoc::kMaxPlaylistEntries);
    EXPECT_EQ(m_doc.EntryAt(CPlayerDoc::kMaxPlaylistEntries - 1).m_strPath, "/m/4.mp3");
    EXPECT_TRUE(m_messages.m_texts.empty());
}

} // namespace

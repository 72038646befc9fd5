// What a user's playlist file holds after one run of the document over it: opened, perhaps touched,
// saved at exit, then read again by a fresh document. One row per way a playlist used to be lost.
#include "playlist/CPlayerDoc.h"
#include "playlist/CPlaylistFile.h"
#include "tests/support/PlaylistFakes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// A process id that no process has now: a child that has already ended.
pid_t EndedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// The path part of each entry line of a playlist file.
std::vector<std::string> StoredPaths(const std::string &file)
{
    std::vector<std::string> paths;
    std::istringstream in(ReadWholeFile(file));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        paths.push_back(line.substr(0, line.find('\x01')));
    }
    return paths;
}

struct RoundTrip {
    FakeIdentifier identifier;
    FakeMessageBox messages;
    TempDir dir;
    std::string list;      // the playlist file the run opens
    std::string before;    // its bytes before the run
    std::vector<std::string> loadedPaths; // what the run's document showed
    std::vector<std::string> reloaded;    // what a fresh document shows after the run

    std::string Music(const std::string &name)
    {
        fs::create_directories(fs::path(dir.file(name)).parent_path());
        WriteFile(dir.file(name), "music");
        identifier.AddFile(dir.file(name));
        return dir.file(name);
    }
};

struct Case {
    const char *name;
    std::function<void(RoundTrip &)> arrange;        // writes the playlist file, sets `list`
    std::function<void(RoundTrip &, CPlayerDoc &)> act; // what the user does in the run
    std::function<void(RoundTrip &)> check;
};

const std::string kHeader = "#Melvane playlist\r\n";

const Case kCases[] = {
    {"ByteOrderMarkBeforeTheHeader",
     [](RoundTrip &t) {
         t.Music("a.mp3");
         t.list = t.dir.file("bom.vpl");
         WriteFile(t.list, "\xEF\xBB\xBF" + kHeader + "a.mp3\x01TYPE=7\r\n");
     },
     nullptr,
     [](RoundTrip &t) {
         EXPECT_EQ(t.loadedPaths, std::vector<std::string>{t.dir.file("a.mp3")});
         EXPECT_EQ(t.reloaded, t.loadedPaths);
     }},
    {"HeaderInOtherLetterCaseIsNotOverwritten",
     [](RoundTrip &t) {
         t.Music("a.mp3");
         t.list = t.dir.file("case.vpl");
         WriteFile(t.list, "#MELVANE PLAYLIST\r\na.mp3\x01TYPE=7\r\n");
     },
     nullptr,
     [](RoundTrip &t) {
         EXPECT_TRUE(t.loadedPaths.empty()) << "read as a list of file names, none of which exists";
         EXPECT_EQ(ReadWholeFile(t.list), t.before);
     }},
    {"HeaderWithATrailingBlankIsNotOverwritten",
     [](RoundTrip &t) {
         t.list = t.dir.file("blank.vpl");
         WriteFile(t.list, "#Melvane playlist \r\n/gone/a.mp3\x01TYPE=7\x01NAME=x\r\n");
     },
     nullptr, [](RoundTrip &t) { EXPECT_EQ(ReadWholeFile(t.list), t.before); }},
    {"AnUnreadableFileIsReplacedOnceTheUserAddsToTheList",
     [](RoundTrip &t) {
         t.list = t.dir.file("changed.vpl");
         WriteFile(t.list, "#melvane playlist\r\n/gone/a.mp3\r\n");
     },
     [](RoundTrip &t, CPlayerDoc &doc) { doc.AddFiles({t.Music("b.mp3")}); },
     [](RoundTrip &t) { EXPECT_EQ(t.reloaded, std::vector<std::string>{t.dir.file("b.mp3")}); }},
    {"TagsLongerThanALineAreCutNotLost",
     [](RoundTrip &t) {
         t.Music("long.mp3");
         t.list = t.dir.file("long.vpl");
         WriteFile(t.list, kHeader);
     },
     [](RoundTrip &t, CPlayerDoc &doc) {
         CPlaylistEntry entry = t.identifier.m_files[t.dir.file("long.mp3")];
         entry.m_strTitle = std::string(20000, 't');
         entry.m_strArtist = std::string(9000, 'a') + "\xC3\xA4"; // a two-byte character across the cut
         entry.m_strAlbum = std::string(3000, 'b');
         entry.m_strGenre = std::string(3000, 'g');
         ASSERT_TRUE(doc.AppendEntry(entry));
         doc.InsertNewRows();
     },
     [](RoundTrip &t) {
         ASSERT_EQ(t.reloaded, std::vector<std::string>{t.dir.file("long.mp3")});
         CPlayerDoc again(t.identifier, t.messages);
         again.OpenPlaylist(t.list);
         ASSERT_EQ(again.EntryCount(), 1);
         const CPlaylistEntry e = again.GetEntry(0);
         EXPECT_EQ(e.m_strTitle, std::string(CPlaylistFile::kMaxFieldBytes, 't'));
         EXPECT_EQ(e.m_strArtist, std::string(CPlaylistFile::kMaxFieldBytes, 'a'));
         EXPECT_EQ(e.m_strGenre.size(), CPlaylistFile::kMaxFieldBytes);
     }},
    {"NamesAPlaylistCannotHoldAreRefusedWhenAdded",
     [](RoundTrip &t) {
         t.list = t.dir.file("odd.vpl");
         WriteFile(t.list, kHeader);
     },
     [](RoundTrip &t, CPlayerDoc &doc) {
         const int added = doc.AddFiles({t.Music("line\nbreak.mp3"), t.Music("carriage\rreturn.mp3"),
                                         t.Music("mark\x01.mp3"), t.Music("plain.mp3")});
         EXPECT_EQ(added, 1);
         EXPECT_EQ(t.messages.m_texts, std::vector<std::string>{CPlayerDoc::kUnstorableMessage});
     },
     [](RoundTrip &t) { EXPECT_EQ(t.reloaded, std::vector<std::string>{t.dir.file("plain.mp3")}); }},
    {"ALinkedPlaylistKeepsItsEntriesBesideTheRealFile",
     [](RoundTrip &t) {
         t.Music("real/sub/a.mp3");
         fs::create_directories(t.dir.path() / "elsewhere");
         WriteFile(t.dir.file("real/list.vpl"), kHeader + "sub/a.mp3\r\n");
         fs::create_symlink(t.dir.path() / "real/list.vpl", t.dir.path() / "elsewhere/link.vpl");
         t.list = t.dir.file("elsewhere/link.vpl");
     },
     nullptr,
     [](RoundTrip &t) {
         EXPECT_EQ(t.loadedPaths, std::vector<std::string>{t.dir.file("real/sub/a.mp3")});
         EXPECT_EQ(t.reloaded, t.loadedPaths);
         EXPECT_TRUE(fs::is_symlink(t.list));
         EXPECT_EQ(StoredPaths(t.dir.file("real/list.vpl")), std::vector<std::string>{"sub/a.mp3"});
     }},
    {"AFailedSaveAsKeepsThePreviousFileCurrent",
     [](RoundTrip &t) {
         t.Music("a.mp3");
         t.list = t.dir.file("kept.vpl");
         WriteFile(t.list, kHeader + "a.mp3\r\n");
     },
     [](RoundTrip &t, CPlayerDoc &doc) {
         doc.AddFiles({t.Music("b.mp3")});
         EXPECT_FALSE(doc.SavePlaylistAs(t.dir.file("no/such/folder/new.vpl")));
         EXPECT_EQ(doc.PlaylistFilePath(), t.list);
         EXPECT_EQ(t.messages.m_texts, std::vector<std::string>{CPlayerDoc::kSaveFailedMessage});
     },
     [](RoundTrip &t) {
         EXPECT_EQ(t.reloaded, (std::vector<std::string>{t.dir.file("a.mp3"), t.dir.file("b.mp3")}));
     }},
    {"TemporaryFilesOfEndedSavesAreRemoved",
     [](RoundTrip &t) {
         t.Music("a.mp3");
         t.list = t.dir.file("tidy.vpl");
         WriteFile(t.list, kHeader + "a.mp3\r\n");
         const std::string dead = std::to_string(EndedProcessId());
         WriteFile(t.list + ".tmp" + dead + ".0", std::string(4096, 'x'));
         WriteFile(t.list + ".tmp" + dead, "older name");
         WriteFile(t.list + ".tmp-Ab3dE9", "older name");
         // Another program's file and a save of a process that still runs are left alone.
         WriteFile(t.dir.file("tidy.vpl.txt"), "mine");
         WriteFile(t.list + ".tmp1.0", "a running writer");
     },
     nullptr,
     [](RoundTrip &t) {
         std::vector<std::string> names;
         for (const auto &item : fs::directory_iterator(t.dir.path()))
             if (item.is_regular_file())
                 names.push_back(item.path().filename().string());
         std::sort(names.begin(), names.end());
         EXPECT_EQ(names, (std::vector<std::string>{"a.mp3", "tidy.vpl", "tidy.vpl.tmp1.0", "tidy.vpl.txt"}));
         EXPECT_EQ(t.reloaded, std::vector<std::string>{t.dir.file("a.mp3")});
     }},
};

std::vector<std::string> Paths(const CPlayerDoc &doc)
{
    std::vector<std::string> paths;
    for (int i = 0; i < doc.TotalCount(); ++i)
        paths.push_back(doc.EntryAt(i).m_strPath);
    return paths;
}

class PlaylistRoundTrip : public testing::TestWithParam<Case> {};

TEST_P(PlaylistRoundTrip, WhatWasThereIsThereAfterTheRun)
{
    const Case &c = GetParam();
    RoundTrip t;
    c.arrange(t);
    t.before = ReadWholeFile(t.list);
    {
        CPlayerDoc doc(t.identifier, t.messages);
        doc.SetDataFolder(t.dir.file("data"));
        doc.OpenPlaylist(t.list);
        t.loadedPaths = Paths(doc);
        if (c.act)
            c.act(t, doc);
        doc.SaveAtExit();
    }
    CPlayerDoc next(t.identifier, t.messages);
    next.SetDataFolder(t.dir.file("data"));
    next.OpenPlaylist(t.list);
    t.reloaded = Paths(next);
    c.check(t);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlaylistRoundTrip, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

} // namespace

#include "playlist/CPlaylistFile.h"
#include "tests/support/PlaylistFakes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const std::string kSoh = "\x01";

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Folder(const TempDir &dir)
{
    return dir.path().string() + "/";
}

// An entry with every field set, so that a lost or swapped field shows.
CPlaylistEntry FullEntry(const std::string &path)
{
    CPlaylistEntry e;
    e.m_strPath = path;
    e.m_nType = kTypeXm;
    e.m_strTitle = "Tïtle = with equals";
    e.m_nDuration = 321;
    e.m_nChannels = 32;
    e.m_strArtist = "Ärtist";
    e.m_strAlbum = "Album";
    e.m_strGenre = "Trance";
    e.m_nBitrate = 999;
    e.m_nFrequency = 48000;
    e.m_nYear = 1997;
    e.m_nSize = 4000000000u; // above 2^31: written and read back unsigned
    e.m_bLoops = true;
    e.m_nMixing = 51;
    e.m_nPanning = 77;
    return e;
}

std::vector<CPlaylistEntry> Load(IEntryIdentifier &identifier, const std::string &path, int room = 10000)
{
    CPlaylistFile file(identifier);
    std::vector<CPlaylistEntry> out;
    file.Load(path, room, out);
    return out;
}

TEST(CPlaylistFile, WritesTheDocumentedLineLayout)
{
    TempDir dir;
    CPlaylistEntry song;
    song.m_strPath = Folder(dir) + "Rock/song.mp3";
    song.m_strTitle = "Song";
    song.m_strArtist = "Band";
    song.m_nType = kTypeMpeg;
    song.m_nBitrate = 128;
    song.m_nFrequency = 44100;
    song.m_nChannels = 2;
    song.m_nSize = 3456789;
    song.m_nDuration = 216;
    CPlaylistEntry elsewhere;
    elsewhere.m_strPath = "/elsewhere/x.it";
    elsewhere.m_nType = kTypeIt;
    elsewhere.m_bLoops = true;
    elsewhere.m_nMixing = -3; // only positive levels are stored
    elsewhere.m_nPanning = 0;
    const std::vector<CPlaylistEntry> entries{song, elsewhere};

    const std::string path = dir.file("list.vpl");
    ASSERT_TRUE(CPlaylistFile::Save(path, entries.data(), 2));
    EXPECT_EQ(ReadWholeFile(path), "#Melvane playlist\r\n"
                                   "Rock/song.mp3" + kSoh + "NAME=Song" + kSoh + "ATST=Band" + kSoh + "TYPE=7" +
                                       kSoh + "RATE=128" + kSoh + "FREQ=44100" + kSoh + "CHNL=2" + kSoh +
                                       "SIZE=3456789" + kSoh + "TIME=216\r\n"
                                   "/elsewhere/x.it" + kSoh + "TYPE=6" + kSoh + "LOOP=1\r\n");
}

TEST(CPlaylistFile, RoundTripKeepsEveryFieldWithoutOpeningFiles)
{
    TempDir dir;
    std::vector<CPlaylistEntry> entries{FullEntry(Folder(dir) + "sub/a.xm"), FullEntry("/abs/b.xm")};
    entries[1].m_nType = kTypeCdTrack;
    entries[1].m_bLoops = false;
    entries[1].m_nYear = -44;
    const std::string path = dir.file("list.vpl");
    ASSERT_TRUE(CPlaylistFile::Save(path, entries.data(), 2));

    FakeIdentifier identifier; // knows no file: every field must come from the playlist itself
    EXPECT_EQ(Load(identifier, path), entries);
    EXPECT_EQ(identifier.m_nCalls, 0);
}

struct LineCase {
    const char *name;
    std::string line;
    bool accepted;
    std::function<void(PlaylistLine &)> expect; // edits a blank line into the expected result
};

TEST(CPlaylistFile, ParsesFieldsByTheReadingRules)
{
    const std::string folder = "/music/";
    const std::vector<LineCase> cases = {
        {"channels above 64 are limited", "a.mod" + kSoh + "CHNL=100", true,
         [](PlaylistLine &l) { l.entry.m_nChannels = 64; }},
        {"zero or negative channels leave the count unset", "a.mod" + kSoh + "CHNL=0" + kSoh + "CHNL=-4", true,
         [](PlaylistLine &) {}},
        {"any LOOP value sets the flag", "a.mod" + kSoh + "LOOP=0", true,
         [](PlaylistLine &l) { l.entry.m_bLoops = true; }},
        {"LOOP without a value is too short to count", "a.mod" + kSoh + "LOOP=", true, [](PlaylistLine &) {}},
        {"an empty YEAR is ignored, later fields still count", "a.mp3" + kSoh + "YEAR=" + kSoh + "RATE=64", true,
         [](PlaylistLine &l) { l.entry.m_nBitrate = 64; }},
        {"numbers take the leading digits with a sign", "a.mp3" + kSoh + "YEAR=-12abc" + kSoh + "FREQ=+8000Hz", true,
         [](PlaylistLine &l) {
             l.entry.m_nYear = -12;
             l.entry.m_nFrequency = 8000;
         }},
        {"text that is no number reads as 0", "a.mp3" + kSoh + "RATE=fast" + kSoh + "TYPE=x", true,
         [](PlaylistLine &l) { l.hasType = true; }},
        {"TIME 0 leaves the duration to the file", "a.mp3" + kSoh + "TIME=0" + kSoh + "TYPE=7", true,
         [](PlaylistLine &l) {
             l.hasType = true;
             l.type = 7;
         }},
        {"sizes above 2^31 stay unsigned, huge ones saturate", "a.mp3" + kSoh + "SIZE=4294967295" + kSoh + "PEAK=99999999999", true,
         [](PlaylistLine &l) {
             l.entry.m_nSize = 4294967295u;
             l.entry.m_nMixing = 2147483647;
         }},
        {"a repeated key overwrites, unknown and lower-case keys are ignored",
         "a.mp3" + kSoh + "NAME=one" + kSoh + "name=two" + kSoh + "XXXX=3" + kSoh + "NAME=four", true,
         [](PlaylistLine &l) { l.entry.m_strTitle = "four"; }},
        {"the fifth character is not checked", "a.mp3" + kSoh + "ATST:Band" + kSoh + "PANN=5", true,
         [](PlaylistLine &l) {
             l.entry.m_strArtist = "Band";
             l.entry.m_nPanning = 5;
         }},
        {"fields may come in any order", "a.mp3" + kSoh + "TIME=5" + kSoh + "NAME=n" + kSoh + "ALBM=al" + kSoh + "GENR=g",
         true,
         [](PlaylistLine &l) {
             l.entry.m_nDuration = 5;
             l.entry.m_strTitle = "n";
             l.entry.m_strAlbum = "al";
             l.entry.m_strGenre = "g";
         }},
        {"an empty line names nothing", "", false, nullptr},
        {"a line starting with the field mark names nothing", kSoh + "TYPE=7", false, nullptr},
        {"a zero byte makes the line unusable", std::string("a.mp3\0x", 7), false, nullptr},
    };
    for (const LineCase &c : cases) {
        SCOPED_TRACE(c.name);
        PlaylistLine got;
        ASSERT_EQ(CPlaylistFile::ParseLine(c.line, folder, got), c.accepted);
        if (!c.accepted)
            continue;
        PlaylistLine want;
        want.entry.m_strPath = "/music/" + c.line.substr(0, c.line.find('\x01'));
        c.expect(want);
        EXPECT_EQ(got.entry, want.entry);
        EXPECT_EQ(got.hasType, want.hasType);
        EXPECT_EQ(got.type, want.type);
    }
}

TEST(CPlaylistFile, ResolvesPathsAgainstThePlaylistFolder)
{
    const struct {
        std::string text, folder, want;
    } cases[] = {
        {"a.mp3", "/m/", "/m/a.mp3"},
        {"sub/../b/./a.mp3", "/m/", "/m/b/a.mp3"},
        {"/abs/a.mp3", "/m/", "/abs/a.mp3"},
        {"../up.mp3", "/m/list/", "/m/up.mp3"},
        {"a//b.mp3", "/m/", "/m/a/b.mp3"},
        {"/x/./y/..", "/m/", "/x/"},
        {"rel.mp3", "", "rel.mp3"}, // no folder known: left as it is
    };
    for (const auto &c : cases)
        EXPECT_EQ(CPlaylistFile::ResolvePath(c.text, c.folder), c.want) << c.text;
}

TEST(CPlaylistFile, StoresOnlyPathsBelowTheExactFolderAsRelative)
{
    const struct {
        std::string path, stored;
    } cases[] = {
        {"/m/list/a.mp3", "a.mp3"},
        {"/m/list/sub/a.mp3", "sub/a.mp3"},
        {"/m/listing/a.mp3", "/m/listing/a.mp3"}, // same beginning, other folder
        {"/M/LIST/a.mp3", "/M/LIST/a.mp3"},       // the prefix test is case-sensitive
        {"/m/a.mp3", "/m/a.mp3"},
    };
    for (const auto &c : cases) {
        CPlaylistEntry e;
        e.m_strPath = c.path;
        e.m_nType = kTypeMpeg;
        std::string line;
        ASSERT_TRUE(CPlaylistFile::FormatLine(e, "/m/list/", line));
        EXPECT_EQ(line, c.stored + kSoh + "TYPE=7");
    }
}

TEST(CPlaylistFile, RelativeEntriesFollowTheFolderWhenItMoves)
{
    TempDir dir;
    const fs::path before = dir.path() / "before";
    fs::create_directories(before / "sub");
    std::vector<CPlaylistEntry> entries{FullEntry((before / "sub/a.xm").string()), FullEntry("/other/b.xm")};
    ASSERT_TRUE(CPlaylistFile::Save((before / "list.vpl").string(), entries.data(), 2));
    const fs::path after = dir.path() / "moved/again";
    fs::create_directories(after.parent_path());
    fs::rename(before, after);

    FakeIdentifier identifier;
    const auto loaded = Load(identifier, (after / "list.vpl").string());
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].m_strPath, (after / "sub/a.xm").string());
    EXPECT_EQ(loaded[1].m_strPath, "/other/b.xm");
}

TEST(CPlaylistFile, LinesWithoutAUsableTypeAreIdentifiedFromTheirFiles)
{
    TempDir dir;
    const std::string f = Folder(dir);
    FakeIdentifier identifier;
    identifier.AddFile(f + "known.mp3", kTypeMpeg, 60);
    identifier.AddFile(f + "known.ogg", kTypeOgg, 90);
    WriteFile(dir.file("l.vpl"), "#Melvane playlist\n"
                                 "known.mp3" + kSoh + "NAME=from the line" + kSoh + "TIME=5\n"  // no TYPE
                                 "missing.mp3" + kSoh + "NAME=gone\n"                          // no TYPE, no file
                                 "known.ogg" + kSoh + "TYPE=99" + kSoh + "NAME=kept\n"          // bad TYPE, file decides
                                 "missing.ogg" + kSoh + "TYPE=0" + kSoh + "NAME=gone\n"         // bad TYPE, no file
                                 "cd.cda" + kSoh + "TYPE=12" + kSoh + "TIME=200\n");            // accepted as given
    const auto loaded = Load(identifier, dir.file("l.vpl"));
    ASSERT_EQ(loaded.size(), 3u);
    // Without TYPE the line's fields are dropped: the file's title and length count.
    EXPECT_EQ(loaded[0].m_strTitle, "title of " + f + "known.mp3");
    EXPECT_EQ(loaded[0].m_nDuration, 60);
    // With a TYPE the file only fills what the line left open.
    EXPECT_EQ(loaded[1].m_nType, kTypeOgg);
    EXPECT_EQ(loaded[1].m_strTitle, "kept");
    EXPECT_EQ(loaded[1].m_nDuration, 90);
    EXPECT_EQ(loaded[2].m_nType, kTypeCdTrack);
    EXPECT_EQ(loaded[2].m_strPath, f + "cd.cda");
    EXPECT_EQ(loaded[2].m_nDuration, 200);
}

TEST(CPlaylistFile, AnyOtherFirstLineMakesAnM3uList)
{
    TempDir dir;
    const std::string f = Folder(dir);
    FakeIdentifier identifier;
    identifier.AddFile(f + "rel/a.mp3");
    identifier.AddFile("/abs/b.ogg", kTypeOgg);
    identifier.AddFile(f + "c.mp3");
    const std::string vplBody = "c.mp3" + kSoh + "TYPE=7\r\n";
    const struct {
        const char *name;
        std::string text;
        std::vector<std::string> want;
    } cases[] = {
        {"extended M3U", "#EXTM3U\r\n#EXTINF:12,Band - Song\r\nrel/a.mp3\r\n\r\n/abs/b.ogg\n#comment\n",
         {f + "rel/a.mp3", "/abs/b.ogg"}},
        {"plain list without a final line end", "/abs/b.ogg\nrel/a.mp3", {"/abs/b.ogg", f + "rel/a.mp3"}},
        // A header in other letter case is no header: each whole line is taken as a file name.
        {"header in other case", "#melvane playlist\r\n" + vplBody, {}},
        {"header with a trailing blank", "#Melvane playlist \r\n" + vplBody, {}},
        {"the real header", "#Melvane playlist\r\n" + vplBody, {f + "c.mp3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.file("l.m3u"), c.text);
        std::vector<std::string> got;
        for (const CPlaylistEntry &e : Load(identifier, dir.file("l.m3u")))
            got.push_back(e.m_strPath);
        EXPECT_EQ(got, c.want);
    }
}

TEST(CPlaylistFile, StopsAtTheRoomLeft)
{
    TempDir dir;
    std::string text = "#Melvane playlist\r\n";
    for (int i = 0; i < 10001; ++i)
        text += "/m/" + std::to_string(i) + ".mp3" + kSoh + "TYPE=7" + kSoh + "TIME=1\r\n";
    WriteFile(dir.file("big.vpl"), text);
    FakeIdentifier identifier;
    const auto all = Load(identifier, dir.file("big.vpl"));
    ASSERT_EQ(all.size(), 10000u);
    EXPECT_EQ(all.back().m_strPath, "/m/9999.mp3");
    const auto some = Load(identifier, dir.file("big.vpl"), 3);
    ASSERT_EQ(some.size(), 3u);
    EXPECT_EQ(some[2].m_strPath, "/m/2.mp3");

    // The writer keeps at most 10000 entries too.
    std::vector<CPlaylistEntry> many(10001, FullEntry("/m/x.xm"));
    ASSERT_TRUE(CPlaylistFile::Save(dir.file("out.vpl"), many.data(), 10001));
    const std::string written = ReadWholeFile(dir.file("out.vpl"));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 10001);
}

TEST(CPlaylistFile, SkipsOverlongAndBinaryLinesAndReadsOn)
{
    TempDir dir;
    std::string text = "#Melvane playlist\n";
    text += std::string(CPlaylistFile::kMaxLineBytes + 10, 'x') + kSoh + "TYPE=7\n";
    text += "/ok/1.mp3" + kSoh + "TYPE=7\n";
    text += std::string("\0\xff\xfe/bin.mp3\x01TYPE=7\n", 19);
    text += std::string(100, '\x01') + "\n"; // only field marks: no path
    text += "/ok/2.mp3" + kSoh + "TYPE=7"; // the last line has no line end
    WriteFile(dir.file("bad.vpl"), text);
    FakeIdentifier identifier;
    const auto loaded = Load(identifier, dir.file("bad.vpl"));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].m_strPath, "/ok/1.mp3");
    EXPECT_EQ(loaded[1].m_strPath, "/ok/2.mp3");
    // A line exactly at the limit still counts.
    const std::string longPath = "/" + std::string(CPlaylistFile::kMaxLineBytes - 7 - 1, 'p');
    WriteFile(dir.file("limit.vpl"), "#Melvane playlist\n" + longPath + kSoh + "TYPE=7\r\n");
    const auto atLimit = Load(identifier, dir.file("limit.vpl"));
    ASSERT_EQ(atLimit.size(), 1u);
    EXPECT_EQ(atLimit[0].m_strPath, longPath);
}

TEST(CPlaylistFile, TextsCannotBreakTheLineAndUnstorablePathsAreLeftOut)
{
    TempDir dir;
    std::vector<CPlaylistEntry> entries(3, FullEntry("/m/a.xm"));
    entries[0].m_strTitle = "two\r\nlines\x01" "and a mark";
    entries[1].m_strPath = "/m/new\nline.xm";
    entries[2].m_strPath = "/m/c.xm";
    ASSERT_TRUE(CPlaylistFile::Save(dir.file("l.vpl"), entries.data(), 3));
    FakeIdentifier identifier;
    const auto loaded = Load(identifier, dir.file("l.vpl"));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].m_strTitle, "two  lines and a mark");
    EXPECT_EQ(loaded[0].m_strArtist, entries[0].m_strArtist);
    EXPECT_EQ(loaded[1].m_strPath, "/m/c.xm");
}

TEST(CPlaylistFile, SavedNamesEndInVpl)
{
    const struct {
        std::string path, want;
    } cases[] = {
        {"/m/party.m3u", "/m/party.vpl"},  {"/m/list.VPL", "/m/list.vpl"}, {"/m/list.vpl", "/m/list.vpl"},
        {"/m/list.m3u8", "/m/list.vpl"},   {"/m/noext", "/m/noext.vpl"},   {"/m.d/noext", "/m.d/noext.vpl"},
        {"/m/.hidden", "/m/.hidden.vpl"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CPlaylistFile::VplPath(c.path), c.want) << c.path;
}

// The name of every file left in `dir`, to find leftover temporary files.
std::vector<std::string> FileNames(const fs::path &dir)
{
    std::vector<std::string> names;
    for (const auto &item : fs::directory_iterator(dir))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CPlaylistFile, AFailedWriteLeavesTheOldPlaylistWhole)
{
    TempDir dir;
    const std::string path = dir.file("list.vpl");
    std::vector<CPlaylistEntry> old(3, FullEntry("/m/old.xm"));
    ASSERT_TRUE(CPlaylistFile::Save(path, old.data(), 3));
    const std::string before = ReadWholeFile(path);

    // A file-size limit below the new playlist's size makes the write fail part-way (root ignores
    // folder permissions, but not this limit).
    std::vector<CPlaylistEntry> big(2000, FullEntry("/m/new.xm"));
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved2 = CPlaylistFile::Save(path, big.data(), 2000);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved2);
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"list.vpl"});

    // Without the limit the same save replaces the file, keeping its permissions.
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(CPlaylistFile::Save(path, big.data(), 2000));
    FakeIdentifier identifier;
    EXPECT_EQ(Load(identifier, path).size(), 2000u);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(FileNames(dir.path()), std::vector<std::string>{"list.vpl"});

    // A folder that does not exist: failure, nothing created.
    EXPECT_FALSE(CPlaylistFile::Save(dir.file("nowhere/list.vpl"), big.data(), 1));
}

TEST(CPlaylistFile, SavingThroughALinkKeepsTheLink)
{
    TempDir dir;
    fs::create_directories(dir.path() / "real");
    const std::vector<CPlaylistEntry> one{FullEntry("/m/a.xm")};
    ASSERT_TRUE(CPlaylistFile::Save(dir.file("real/list.vpl"), one.data(), 1));
    fs::create_symlink(dir.path() / "real/list.vpl", dir.path() / "link.vpl");
    const std::vector<CPlaylistEntry> two(2, FullEntry("/m/b.xm"));
    ASSERT_TRUE(CPlaylistFile::Save(dir.file("link.vpl"), two.data(), 2));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.vpl"));
    FakeIdentifier identifier;
    EXPECT_EQ(Load(identifier, dir.file("real/list.vpl")).size(), 2u);
}

TEST(CPlaylistFile, UnreadableFilesLoadNothing)
{
    TempDir dir;
    FakeIdentifier identifier;
    CPlaylistFile file(identifier);
    std::vector<CPlaylistEntry> out;
    EXPECT_EQ(file.Load(dir.file("missing.vpl"), 10000, out), CPlaylistFile::Format::Unreadable);
    EXPECT_EQ(file.Load(dir.path().string(), 10000, out), CPlaylistFile::Format::Unreadable); // a folder
    WriteFile(dir.file("empty.vpl"), "");
    EXPECT_EQ(file.Load(dir.file("empty.vpl"), 10000, out), CPlaylistFile::Format::M3u);
    EXPECT_TRUE(out.empty());
}

} // namespace

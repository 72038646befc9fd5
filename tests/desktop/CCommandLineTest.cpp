#include "desktop/CCommandLine.h"
#include "ui/CPlayerKeyMap.h"
#include "engine/PlayerCommands.h"

#include <gtest/gtest.h>

namespace {

using Kind = CStartRequest::Kind;

TEST(CCommandLineTest, FirstInstanceForms)
{
    const struct {
        const char *text;
        bool autoplay0, autoplay1;
        Kind kind;
        const char *path, *folder, *name;
        char drive;
        int track;
        bool autoPlay;
        const char *image = "";
        const char *device = "";
    } cases[] = {
        {"", false, true, Kind::Resume, "", "", "", 0, 0, false},
        {"", true, false, Kind::Resume, "", "", "", 0, 0, true},
        {"/music/a.mp3", false, false, Kind::PlayFile, "/music/a.mp3", "", "", 0, 0, true},
        {"\"/music/a b.mp3\"", false, false, Kind::PlayFile, "/music/a b.mp3", "", "", 0, 0, true},
        {"-add \"/music/a b.ogg\"", false, true, Kind::AddFile, "/music/a b.ogg", "", "", 0, 0, false},
        {"-add /m/x.flac", true, false, Kind::AddFile, "/m/x.flac", "", "", 0, 0, true},
        {"-add", false, false, Kind::AddFile, "", "", "", 0, 0, false},
        {"-vpl \"/lists/my list.vpl\"", false, true, Kind::Playlist, "/lists/my list.vpl", "/lists/", "my list.vpl",
         0, 0, true},
        {"-vpl mix.m3u", false, false, Kind::Playlist, "mix.m3u", "", "mix.m3u", 0, 0, false},
        {"-cd \"d:\\track05.cda\"", false, false, Kind::Cd, "", "", "", 'D', 5, true},
        {"-cd e:/Music/Track 12.CDA", false, false, Kind::Cd, "", "", "", 'E', 12, true},
        {"-cd \"d:\\audio.cda\"", false, false, Kind::Cd, "", "", "", 'D', 0, false},
        {"-cd d:/track05.wav", false, true, Kind::Cd, "", "", "", 'D', 0, true},
        {"-cd", false, false, Kind::Cd, "", "", "", 0, 0, false},
        {"-CD d:/track05.cda", false, false, Kind::PlayFile, "-CD d:/track05.cda", "", "", 0, 0, true},
        // A CD image keeps its letter case; the track after it plays.
        {"-cd /Rips/Disc.cue 2", false, false, Kind::Cd, "", "", "", 0, 2, true, "/Rips/Disc.cue"},
        {"-cd \"/my rips/a.TOC\"", false, false, Kind::Cd, "", "", "", 0, 0, false, "/my rips/a.TOC"},
        {"-cd \"/my rips/a.toc\" 11", false, false, Kind::Cd, "", "", "", 0, 11, true, "/my rips/a.toc"},
        {"-cd /r/x.cue", false, true, Kind::Cd, "", "", "", 0, 0, true, "/r/x.cue"},
        // A desktop's autoplay names the drive by its device; the letter is found from it later.
        {"-cd cdda://sr0/", false, false, Kind::Cd, "", "", "", 0, 0, false, "", "/dev/sr0"},
        {"-cd CDDA://sr1", false, true, Kind::Cd, "", "", "", 0, 0, true, "", "/dev/sr1"},
        {"-cd /dev/cdrom", false, false, Kind::Cd, "", "", "", 0, 0, false, "", "/dev/cdrom"},
        {"-cd cdda://../etc/", false, false, Kind::Cd, "", "", "", 'C', 0, false, "", ""},
    };
    for (const auto &c : cases) {
        const CStartRequest r = CCommandLine::Parse(c.text, c.autoplay0, c.autoplay1);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.path, c.path);
        EXPECT_EQ(r.playlistFolder, c.folder);
        EXPECT_EQ(r.playlistName, c.name);
        EXPECT_EQ(r.driveLetter, c.drive);
        EXPECT_EQ(r.track, c.track);
        EXPECT_EQ(r.autoPlay, c.autoPlay);
        EXPECT_EQ(r.cdImage, c.image);
        EXPECT_EQ(r.cdDevice, c.device);
    }
}

TEST(CCommandLineTest, ArgumentsJoinSoThatQuoteRemovalGivesThePathBack)
{
    const struct {
        std::vector<std::string> arguments;
        const char *line;
        const char *path; // what the receiving side takes from it
    } cases[] = {
        {{}, "", ""},
        {{"/m/a.mp3"}, "/m/a.mp3", "/m/a.mp3"},
        {{"/m/My Band/a b.mp3"}, "\"/m/My Band/a b.mp3\"", "/m/My Band/a b.mp3"},
        {{"-add", "/m/tab\there.mp3"}, "-add \"/m/tab\there.mp3\"", "/m/tab\there.mp3"},
        {{"-vpl", "/l/x y.vpl"}, "-vpl \"/l/x y.vpl\"", "/l/x y.vpl"},
    };
    for (const auto &c : cases) {
        const std::string line = CCommandLine::Join(c.arguments);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(CCommandLine::Parse(line, false, false).path, c.path) << line;
    }
}

TEST(CCommandLineTest, EachFileOfAStartIsALineWithAnAbsolutePath)
{
    using Lines = std::vector<std::string>;
    const struct {
        Lines arguments;
        Lines lines;
    } cases[] = {
        {{}, {""}},
        {{"a.mp3"}, {"/home/u/a.mp3"}},
        {{"../x/a b.mp3", "/m/c.ogg"}, {"\"/home/x/a b.mp3\"", "/m/c.ogg"}},
        {{"-add", "a.mp3", "b.mp3"}, {"-add /home/u/a.mp3", "-add /home/u/b.mp3"}},
        {{"-vpl", "l.vpl", "a.mp3"}, {"-vpl /home/u/l.vpl", "/home/u/a.mp3"}},
        {{"-add"}, {"-add"}},
        {{"-cd", "D:\\Track01.cda"}, {"-cd D:\\Track01.cda"}},
        {{"-cd", "rips/a b.cue", "3"}, {"-cd \"/home/u/rips/a b.cue\" 3"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CCommandLine::Lines(c.arguments, "/home/u"), c.lines) << CCommandLine::Join(c.arguments);

    const CStartRequest request =
        CCommandLine::Parse(CCommandLine::Lines({"a.mp3", "b b.mp3"}, "/m"), false, false);
    EXPECT_EQ(request.kind, CStartRequest::Kind::PlayFile);
    EXPECT_EQ(request.path, "/m/a.mp3");
    EXPECT_EQ(request.alsoAdd, Lines{"/m/b b.mp3"});
}

TEST(CPlayerKeyMapTest, FunctionKeysAndTheirAlternatives)
{
    using namespace PlayerCommand;
    using K = PlayerKeyAction::Kind;
    const struct {
        std::uint64_t key;
        PlayerKeyAction plain, alternative;
    } table[] = {
        {0x71, {K::Command, kMute}, {K::Command, kMute}},
        {0x72, {K::Command, kVolumeDown}, {K::Command, kVolumeDown}},
        {0x73, {K::Command, kVolumeUp}, {K::Command, kVolumeUp}},
        {0x74, {K::Command, kPlay}, {K::Command, kPlay}},
        {0x75, {K::Command, kPause}, {K::Command, kPause}},
        {0x76, {K::Command, kStop}, {K::Command, kStop}},
        {0x77, {K::OpenPlaylist, 0}, {K::NextTab, 0}},
        {0x78, {K::Command, kPreviousTrack}, {K::Command, kPreviousTrack}},
        {0x79, {K::Command, kNextTrack}, {K::Command, kNextTrack}},
        {0x7A, {K::Command, kStopAtTrackEnd}, {K::Command, kRewind}},
        {0x7B, {K::Command, kFadeOut}, {K::Command, kFastForward}},
        {0x70, {K::None, 0}, {K::None, 0}},
        {0x7C, {K::None, 0}, {K::None, 0}},
        {0x10000000074, {K::None, 0}, {K::None, 0}},
    };
    for (const auto &row : table) {
        for (const auto &[second, expected] : {std::pair{0, row.plain}, std::pair{1, row.alternative}}) {
            const PlayerKeyAction got = CPlayerKeyMap::Map(row.key, second);
            EXPECT_EQ(got.kind, expected.kind) << std::hex << row.key << " " << second;
            EXPECT_EQ(got.commandId, expected.commandId) << std::hex << row.key << " " << second;
        }
    }
}

} // namespace

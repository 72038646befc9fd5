// Module songs read through CTrackInfo as the playlist reads them: type from the content, title, length,
// channel count, loop flag and order start times, for real files of all six module kinds. Times are worked
// out by hand: a row lasts speed x 25000 / tempo units of 1/10000 s (0.12 s at speed 6, tempo 125).

#include "core/CPlaylistEntry.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"
#include "tags/CTrackInfo.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct Kind {
    const char *name;
    std::int32_t type;
    int channels;  // as written
    bool letters;  // S3M and IT name their commands with letters
    std::function<std::string(const ModuleSong &)> write;

    ModuleCell Jump(int order) const { return Cell(0xB, 'B', order); }
    ModuleCell Tempo(int tempo) const { return Cell(0xF, 'T', tempo); }
    ModuleCell Cell(int number, char letter, int param) const
    {
        return {0, 0, static_cast<std::uint8_t>(letters ? letter : number), static_cast<std::uint8_t>(param)};
    }
};

const Kind kKinds[] = {
    {"MOD", kTypeMod4, 4, false, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"MOD6", kTypeMod6, 6, false, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"MOD8", kTypeMod8, 8, false, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"S3M", kTypeS3m, 5, true, [](const ModuleSong &s) { return ModuleWriter::S3m(s); }},
    {"XM", kTypeXm, 7, false, [](const ModuleSong &s) { return ModuleWriter::Xm(s); }},
    {"IT", kTypeIt, 6, true, [](const ModuleSong &s) { return ModuleWriter::It(s); }},
};

// Three 64-row patterns played in the order 0, 1, 2, 1; notes on channels 0 and 2 only.
ModuleSong FourOrderSong(const Kind &kind)
{
    ModuleSong song;
    song.title = "Four orders";
    song.channels = kind.channels;
    for (int p = 0; p < 3; ++p) {
        ModulePattern pattern(64, kind.channels);
        pattern.at(0, 0) = {49, 1, 0, 0};
        pattern.at(16, 2) = {52, 1, 0, 0};
        song.patterns.push_back(pattern);
    }
    song.orders = {0, 1, 2, 1};
    return song;
}

// The channel count the reader reports: MOD from its magic, S3M and XM from the header, IT the
// channels that carry a note in the rows played.
int ExpectedChannels(const Kind &kind) { return kind.type == kTypeIt ? 2 : kind.channels; }

CTrackInfo ReadSong(const TempDir &dir, const Kind &kind, const ModuleSong &song)
{
    // The extension says nothing: the type comes from the content.
    const std::string path = dir.file(std::string(kind.name) + ".bin");
    EXPECT_TRUE(ModuleWriter::Save(path, kind.write(song)));
    CTrackInfo info(path);
    EXPECT_EQ(info.Read(nullptr), kind.type);
    return info;
}

}  // namespace

TEST(CTrackInfoModuleTest, SongThatEndsByItself)
{
    TempDir dir;
    for (const Kind &kind : kKinds) {
        SCOPED_TRACE(kind.name);
        CTrackInfo info = ReadSong(dir, kind, FourOrderSong(kind));
        EXPECT_EQ(info.GetTitle(), "Four orders");
        EXPECT_EQ(info.GetLength(), 30u);  // 4 x 64 rows x 0.12 s = 30.72 s
        EXPECT_EQ(info.GetChannels(), ExpectedChannels(kind));
        EXPECT_FALSE(info.GetLoops());
        EXPECT_FALSE(info.IsLoopingModule());
        const CTrackInfo::OrderTimes &times = info.GetOrderTimes();
        EXPECT_EQ(times[0], 0);
        EXPECT_EQ(times[1], 7);   // 7.68 s
        EXPECT_EQ(times[2], 15);  // 15.36 s
        EXPECT_EQ(times[3], 23);  // 23.04 s
        EXPECT_EQ(times[4], 0);

        CPlaylistEntry entry;
        info.CopyToEntry(entry);
        EXPECT_EQ(entry.m_nType, kind.type);
        EXPECT_EQ(entry.m_nDuration, 30);
        EXPECT_EQ(entry.m_nChannels, ExpectedChannels(kind));
        EXPECT_FALSE(entry.m_bLoops);
    }
}

TEST(CTrackInfoModuleTest, SongThatJumpsBackLoops)
{
    TempDir dir;
    for (const Kind &kind : kKinds) {
        SCOPED_TRACE(kind.name);
        ModuleSong song = FourOrderSong(kind);
        // Tempo 250 from the first row halves every row; order 2 jumps back to order 1 on its row 31.
        song.patterns[0].at(0, 1) = kind.Tempo(250);
        song.patterns[2].at(31, 1) = kind.Jump(1);
        CTrackInfo info = ReadSong(dir, kind, song);
        EXPECT_EQ(info.GetLength(), 9u);  // (64 + 64 + 32) rows x 0.06 s = 9.6 s
        EXPECT_TRUE(info.GetLoops());
        EXPECT_TRUE(info.IsLoopingModule());
        const CTrackInfo::OrderTimes &times = info.GetOrderTimes();
        EXPECT_EQ(times[1], 3);  // 3.84 s
        EXPECT_EQ(times[2], 7);  // 7.68 s
        EXPECT_EQ(times[3], 0);  // never reached

        CPlaylistEntry entry;
        info.CopyToEntry(entry);
        EXPECT_TRUE(entry.m_bLoops);
        EXPECT_EQ(entry.m_nDuration, 9);
    }
}

TEST(CTrackInfoModuleTest, GivenLengthAndRereadKeepTheSongTimes)
{
    TempDir dir;
    for (const Kind &kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::string path = dir.file(std::string(kind.name) + ".bin");
        ASSERT_TRUE(ModuleWriter::Save(path, kind.write(FourOrderSong(kind))));
        // A caller that restores an entry passes its length: nothing is simulated.
        CTrackInfo given(path);
        given.DetectType(0);
        EXPECT_EQ(given.ReadLength(77), 77u);
        EXPECT_EQ(given.GetOrderTimes()[1], 0);
        // Reading the same object again after a reset gives the same song, not a sum of two runs.
        CTrackInfo info(path);
        info.Read(nullptr);
        info.Reset();
        EXPECT_EQ(info.Read(nullptr), kind.type);
        EXPECT_EQ(info.GetLength(), 30u);
        EXPECT_EQ(info.GetOrderTimes()[3], 23);
    }
}

TEST(CTrackInfoModuleTest, XmRestartPositionMarksTheSongLooping)
{
    TempDir dir;
    const Kind &xm = kKinds[4];
    ModuleSong song = FourOrderSong(xm);
    song.restart = 2;
    CTrackInfo info = ReadSong(dir, xm, song);
    EXPECT_EQ(info.GetLength(), 30u);
    EXPECT_TRUE(info.IsLoopingModule());
}

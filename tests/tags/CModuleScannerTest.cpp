// Module song simulation: lengths, order start times, loops and channels of generated modules, worked out
// by hand from the timing rules (a row lasts speed x 25000 / tempo units of 1/10000 s, so 64 rows at
// speed 6, tempo 125 last 7.68 s), and compared with libopenmpt for songs that end by themselves.

#include "tags/CModuleScanner.h"
#include "tags/CModuleSimulator.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// One module format as the tests drive it: how to write a song and how each effect is spelled.
struct Format {
    std::string name;
    std::int32_t type;
    int channels;
    std::function<std::string(const ModuleSong &)> write;
    bool letters;  // S3M and IT name their commands with letters

    ModuleCell Speed(int x) const { return Effect(0xF, 'A', x); }
    ModuleCell Tempo(int x) const { return Effect(0xF, 'T', x); }
    ModuleCell Jump(int order) const { return Effect(0xB, 'B', order); }
    ModuleCell Break(int row) const { return Effect(0xD, 'C', row); }
    ModuleCell Loop(int x) const { return letters ? Effect(0, 'S', 0xB0 | x) : Effect(0xE, 0, 0x60 | x); }
    ModuleCell Delay(int x) const { return letters ? Effect(0, 'S', 0xE0 | x) : Effect(0xE, 0, 0xE0 | x); }

    ModuleCell Effect(int number, char letter, int param) const
    {
        ModuleCell cell;
        cell.effect = static_cast<std::uint8_t>(letters ? letter : number);
        cell.param = static_cast<std::uint8_t>(param);
        return cell;
    }
};

std::vector<Format> AllFormats()
{
    return {
        {"MOD", 1, 4, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }, false},
        {"MOD6", 2, 6, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }, false},
        {"MOD8", 3, 8, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }, false},
        {"S3M", 4, 4, [](const ModuleSong &s) { return ModuleWriter::S3m(s); }, true},
        {"XM", 5, 4, [](const ModuleSong &s) { return ModuleWriter::Xm(s, true); }, false},
        {"XM-plain", 5, 4, [](const ModuleSong &s) { return ModuleWriter::Xm(s, false); }, false},
        {"IT", 6, 4, [](const ModuleSong &s) { return ModuleWriter::It(s); }, true},
    };
}

const Format &FormatNamed(const std::string &name)
{
    static const std::vector<Format> formats = AllFormats();
    for (const Format &format : formats)
        if (format.name == name)
            return format;
    throw std::invalid_argument(name);
}

// `patterns` 64-row patterns, each starting with a note on channel 0 so that the song is heard.
ModuleSong MakeSong(const Format &format, int patterns, std::vector<int> orders)
{
    ModuleSong song;
    song.channels = format.channels;
    for (int p = 0; p < patterns; ++p) {
        ModulePattern pattern(64, format.channels);
        pattern.at(0, 0) = {49, 1, 0, 0};
        song.patterns.push_back(pattern);
    }
    song.orders = std::move(orders);
    return song;
}

// Puts an effect into a cell without disturbing its note.
void Put(ModuleSong &song, int pattern, int row, int channel, const ModuleCell &effect)
{
    ModuleCell &cell = song.patterns.at(static_cast<std::size_t>(pattern)).at(row, channel);
    cell.effect = effect.effect;
    cell.param = effect.param;
}

ModuleScanResult ScanBytes(const std::string &bytes, std::int32_t type)
{
    TempDir dir;
    const std::string path = dir.file("song.mod");
    EXPECT_TRUE(ModuleWriter::Save(path, bytes));
    return CModuleScanner::Scan(path, type);
}

ModuleScanResult ScanSong(const Format &format, const ModuleSong &song)
{
    return ScanBytes(format.write(song), format.type);
}

// Units of 1/10000 s for `rows` rows at a speed and tempo.
std::uint64_t Rows(int rows, int speed = 6, int tempo = 125)
{
    return static_cast<std::uint64_t>(rows) * (static_cast<std::uint64_t>(speed) * 25000 / static_cast<std::uint64_t>(tempo));
}
std::uint32_t Seconds(std::uint64_t units) { return static_cast<std::uint32_t>(units / 10000); }

}  // namespace

TEST(CModuleScannerTest, PlainSongGivesLengthAndOrderStartTimes)
{
    for (const Format &format : AllFormats()) {
        SCOPED_TRACE(format.name);
        const ModuleScanResult result = ScanSong(format, MakeSong(format, 2, {0, 1, 0}));
        EXPECT_EQ(result.lengthSeconds, 23u);  // 3 x 7.68 s
        EXPECT_EQ(result.orderTimes[0], 0);
        EXPECT_EQ(result.orderTimes[1], 7);   // 7.68 s
        EXPECT_EQ(result.orderTimes[2], 15);  // 15.36 s
        EXPECT_EQ(result.orderTimes[3], 0);
        EXPECT_FALSE(result.loops);
    }
}

TEST(CModuleScannerTest, HeaderSpeedAndTempo)
{
    struct Case {
        int speed, tempo;
        std::uint32_t seconds;
    };
    const Case cases[] = {
        {3, 150, Seconds(Rows(128, 3, 150))},  // 500 units a row: 6.4 s
        {12, 60, Seconds(Rows(128, 12, 60))},  // 5000 units a row: 64 s
        {0, 0, Seconds(Rows(128))},            // 0 means 6 / 125
        {0, 250, Seconds(Rows(128, 6, 250))},
    };
    for (const char *name : {"S3M", "XM", "IT"}) {
        const Format &format = FormatNamed(name);
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(name) + " speed " + std::to_string(c.speed) + " tempo " + std::to_string(c.tempo));
            ModuleSong song = MakeSong(format, 1, {0, 0});
            song.speed = c.speed;
            song.tempo = c.tempo;
            EXPECT_EQ(ScanSong(format, song).lengthSeconds, c.seconds);
        }
    }
}

TEST(CModuleScannerTest, EffectsThatMoveTime)
{
    struct Case {
        std::string what;
        std::vector<int> orders;
        std::function<void(const Format &, ModuleSong &)> edit;
        std::uint64_t units;
        std::array<std::uint16_t, 3> orderTimes;
        bool loops;
    };
    const std::vector<Case> cases = {
        {"speed 3 from the first row", {0, 1, 2}, [](const Format &f, ModuleSong &s) { Put(s, 0, 0, 1, f.Speed(3)); },
         Rows(192, 3), {0, 3, 7}, false},
        {"speed 12 from row 32", {0, 1}, [](const Format &f, ModuleSong &s) { Put(s, 0, 32, 2, f.Speed(12)); },
         Rows(32) + Rows(96, 12), {0, 11, 0}, false},
        {"tempo 250", {0, 1, 2}, [](const Format &f, ModuleSong &s) { Put(s, 0, 0, 1, f.Tempo(250)); },
         Rows(192, 6, 250), {0, 3, 7}, false},
        {"tempo 64 on the last row", {0}, [](const Format &f, ModuleSong &s) { Put(s, 0, 63, 3, f.Tempo(64)); },
         Rows(63) + Rows(1, 6, 64), {0, 0, 0}, false},
        {"speed 0 ends the song", {0, 1}, [](const Format &f, ModuleSong &s) { Put(s, 1, 32, 1, f.Speed(0)); },
         Rows(64 + 32), {0, 7, 0}, false},
        {"jump forward over an order", {0, 1, 2}, [](const Format &f, ModuleSong &s) { Put(s, 0, 10, 1, f.Jump(2)); },
         Rows(11 + 64), {0, 0, 1}, false},
        {"jump past the order list ends", {0, 1, 2}, [](const Format &f, ModuleSong &s) { Put(s, 1, 10, 1, f.Jump(9)); },
         Rows(64 + 11), {0, 7, 0}, false},
        {"jump back to the start loops", {0, 1, 2}, [](const Format &f, ModuleSong &s) { Put(s, 2, 31, 1, f.Jump(0)); },
         Rows(64 + 64 + 32), {0, 7, 15}, true},
        {"jump to the current order loops", {0, 1}, [](const Format &f, ModuleSong &s) { Put(s, 1, 0, 1, f.Jump(1)); },
         Rows(65), {0, 7, 0}, true},
        {"break to row 16", {0, 1}, [](const Format &f, ModuleSong &s) { Put(s, 0, 31, 1, f.Break(16)); },
         Rows(32 + 48), {0, 0, 0}, false},
        {"break row 70 counts as row 0", {0, 1}, [](const Format &f, ModuleSong &s) { Put(s, 0, 31, 1, f.Break(70)); },
         Rows(32 + 64), {0, 3, 0}, false},
        {"break in the last order ends", {0, 1}, [](const Format &f, ModuleSong &s) { Put(s, 1, 5, 1, f.Break(0)); },
         Rows(64 + 6), {0, 7, 0}, false},
        {"rows skipped by a break are not played", {0, 1},
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 0, 1, f.Break(40));
             Put(s, 1, 20, 2, f.Speed(1));  // skipped: would shorten the song
             Put(s, 1, 40, 3, f.Tempo(250));
         },
         Rows(1) + Rows(24, 6, 250), {0, 0, 0}, false},
        {"pattern loop twice", {0},
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 8, 1, f.Loop(0));
             Put(s, 0, 15, 1, f.Loop(2));
         },
         Rows(64 + 2 * 8), {0, 0, 0}, false},
        {"pattern loop from row 0 rewrites the order's start", {0, 1},
         [](const Format &f, ModuleSong &s) { Put(s, 1, 31, 1, f.Loop(1)); },
         Rows(64 + 64 + 32), {0, 11, 0}, false},
        {"pattern delay of 3 rows", {0}, [](const Format &f, ModuleSong &s) { Put(s, 0, 0, 1, f.Delay(3)); },
         Rows(67), {0, 0, 0}, false},
        {"delay uses the speed of its row", {0, 1},
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 10, 1, f.Speed(12));
             Put(s, 0, 10, 2, f.Delay(15));
         },
         Rows(10) + Rows(54 + 15, 12) + Rows(64, 12), {0, 17, 0}, false},
    };
    for (const Format &format : AllFormats()) {
        for (const Case &c : cases) {
            SCOPED_TRACE(format.name + ": " + c.what);
            ModuleSong song = MakeSong(format, 3, c.orders);
            c.edit(format, song);
            const ModuleScanResult result = ScanSong(format, song);
            EXPECT_EQ(result.lengthSeconds, Seconds(c.units));
            for (std::size_t i = 0; i < c.orderTimes.size(); ++i)
                EXPECT_EQ(result.orderTimes[i], c.orderTimes[i]) << "order " << i;
            EXPECT_EQ(result.loops, c.loops);
        }
    }
}

TEST(CModuleScannerTest, ItTempoSlideMovesByLowNibbleTimesSpeed)
{
    const Format &it = FormatNamed("IT");
    struct Case {
        std::vector<int> params;  // T parameters on rows 0, 1, ...
        std::uint64_t units;
    };
    const Case cases[] = {
        {{0x05}, Rows(64, 6, 95)},                                   // 125 - 5 x 6
        {{0x15}, Rows(64, 6, 155)},                                  // 125 + 5 x 6
        {{0x15, 0x15}, Rows(1, 6, 155) + Rows(63, 6, 185)},          // applied on each row
        {{0x0F, 0x0F}, Rows(1, 6, 35) + Rows(63, 6, 32)},            // never below 32
        {{0x80, 0x1F, 0x1F}, Rows(1, 6, 128) + Rows(1, 6, 218) + Rows(62, 6, 255)},  // never above 255
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.params));
        ModuleSong song = MakeSong(it, 1, {0});
        for (std::size_t row = 0; row < c.params.size(); ++row)
            Put(song, 0, static_cast<int>(row), 1, it.Tempo(c.params[row]));
        EXPECT_EQ(ScanSong(it, song).lengthSeconds, Seconds(c.units));
    }
    // S3M has no slide: a tempo below 32 is ignored.
    const Format &s3m = FormatNamed("S3M");
    ModuleSong song = MakeSong(s3m, 1, {0});
    Put(song, 0, 0, 1, s3m.Tempo(0x15));
    EXPECT_EQ(ScanSong(s3m, song).lengthSeconds, Seconds(Rows(64)));
}

TEST(CModuleScannerTest, OrderListMarkersAndMissingPatterns)
{
    struct Case {
        std::string format;
        std::vector<int> orders;
        std::uint64_t units;
        std::array<std::uint16_t, 5> orderTimes;
    };
    // Pattern 0 breaks at row 31 (32 rows); pattern 1 plays 64 rows; pattern 9 does not exist.
    const Case cases[] = {
        {"S3M", {0, 254, 1, 255, 1}, Rows(32 + 64), {0, 0, 3, 0, 0}},
        {"IT", {0, 254, 1, 255, 1}, Rows(32 + 64), {0, 0, 3, 0, 0}},
        {"S3M", {0, 9, 1}, Rows(32 + 32 + 64), {0, 3, 7, 0, 0}},  // keeps the previous pattern
        {"S3M", {1, 9, 0}, Rows(64 + 64 + 32), {0, 7, 15, 0, 0}},
        {"IT", {0, 9, 1}, Rows(32), {0, 0, 0, 0, 0}},  // ends the song
        {"XM", {0, 9, 1}, Rows(32 + 64 + 64), {0, 3, 11, 0, 0}},  // an empty 64-row pattern
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format + " " + testing::PrintToString(c.orders));
        const Format &format = FormatNamed(c.format);
        ModuleSong song = MakeSong(format, 2, c.orders);
        Put(song, 0, 31, 1, format.Break(0));
        const ModuleScanResult result = ScanSong(format, song);
        EXPECT_EQ(result.lengthSeconds, Seconds(c.units));
        for (std::size_t i = 0; i < c.orderTimes.size(); ++i)
            EXPECT_EQ(result.orderTimes[i], c.orderTimes[i]) << "order " << i;
    }
}

TEST(CModuleScannerTest, ModRowsAreFourBytesPerChannelApart)
{
    // A break on the last channel of row 10: read with the wrong row size it would land elsewhere.
    for (const char *name : {"MOD", "MOD6", "MOD8"}) {
        SCOPED_TRACE(name);
        const Format &format = FormatNamed(name);
        ModuleSong song = MakeSong(format, 2, {0, 1});
        Put(song, 0, 10, format.channels - 1, format.Break(0));
        Put(song, 1, 5, format.channels - 1, format.Speed(3));
        EXPECT_EQ(ScanSong(format, song).lengthSeconds, Seconds(Rows(11) + Rows(5) + Rows(59, 3)));
        // Read as another channel count, the same bytes give another length.
        const ModuleScanResult other = ScanBytes(format.write(song), format.type == 3 ? 1 : 3);
        EXPECT_NE(other.lengthSeconds, Seconds(Rows(11) + Rows(5) + Rows(59, 3)));
    }
}

TEST(CModuleScannerTest, XmAndItRowCountsComeFromPatternHeaders)
{
    for (const char *name : {"XM", "XM-plain", "IT"}) {
        SCOPED_TRACE(name);
        const Format &format = FormatNamed(name);
        ModuleSong song = MakeSong(format, 0, {0, 1, 0});
        for (int rows : {32, 100}) {
            ModulePattern pattern(rows, format.channels);
            pattern.at(0, 0) = {49, 1, 0, 0};
            song.patterns.push_back(pattern);
        }
        const ModuleScanResult result = ScanSong(format, song);
        EXPECT_EQ(result.lengthSeconds, Seconds(Rows(32 + 100 + 32)));
        EXPECT_EQ(result.orderTimes[1], Seconds(Rows(32)));
        EXPECT_EQ(result.orderTimes[2], Seconds(Rows(132)));
    }
}

TEST(CModuleScannerTest, ChannelCounts)
{
    {
        const Format &mod = FormatNamed("MOD8");
        EXPECT_EQ(ScanSong(mod, MakeSong(mod, 1, {0})).channels, 0);  // known from the magic
    }
    for (int channels : {4, 6, 13}) {
        SCOPED_TRACE(channels);
        Format s3m = FormatNamed("S3M");
        s3m.channels = channels;
        EXPECT_EQ(ScanSong(s3m, MakeSong(s3m, 1, {0})).channels, channels);
        Format xm = FormatNamed("XM");
        xm.channels = channels;
        EXPECT_EQ(ScanSong(xm, MakeSong(xm, 1, {0})).channels, channels);
    }
    // IT: channels 0, 2 and 5 carry notes in played rows; channel 7's note lies in rows a break skips,
    // and channel 6 only has an effect.
    Format it = FormatNamed("IT");
    it.channels = 8;
    ModuleSong song = MakeSong(it, 2, {0, 1});
    song.patterns[0].at(3, 2) = {50, 1, 0, 0};
    song.patterns[0].at(4, 2) = {50, 1, 0, 0};  // remembered note and mask
    Put(song, 0, 5, 6, it.Break(20));
    song.patterns[0].at(40, 7) = {49, 1, 0, 0};
    song.patterns[1].at(10, 7) = {49, 1, 0, 0};  // also skipped: the break enters pattern 1 at row 20
    song.patterns[1].at(30, 5) = {60, 1, 0, 0};
    EXPECT_EQ(ScanSong(it, song).channels, 3);
}

TEST(CModuleScannerTest, XmRestartPositionLoopsWhateverThePatterns)
{
    const Format &xm = FormatNamed("XM");
    for (int restart : {0, 1, 3}) {
        SCOPED_TRACE(restart);
        ModuleSong song = MakeSong(xm, 1, {0, 0, 0, 0});
        song.restart = restart;
        const ModuleScanResult result = ScanSong(xm, song);
        EXPECT_EQ(result.loops, restart != 0);
        EXPECT_EQ(result.lengthSeconds, Seconds(Rows(256)));
    }
}

TEST(CModuleScannerTest, UnreadableDataLeavesLengthZero)
{
    struct Case {
        std::string format;
        std::function<std::string(const std::string &)> damage;
    };
    // The default sample is 256 bytes at the end of each file; XM also has 303 bytes of instrument header.
    const Case cases[] = {
        {"MOD", [](const std::string &b) { return b.substr(0, 1084 + 2 * 1024 - 20); }},
        {"MOD8", [](const std::string &b) { return b.substr(0, 1084 + 2 * 2048 - 20); }},
        {"MOD", [](const std::string &b) { return b.substr(0, 1000); }},
        {"S3M", [](const std::string &b) { return b.substr(0, b.size() - 256 - 20); }},
        {"S3M", [](const std::string &b) { return b.substr(0, 90); }},
        {"XM", [](const std::string &b) { return b.substr(0, b.size() - 256 - 303 - 20); }},
        {"XM-plain", [](const std::string &b) { return b.substr(0, b.size() - 256 - 303 - 20); }},
        {"XM", [](const std::string &b) { return b.substr(0, 60 + 276 + 5); }},
        {"XM", [](std::string b) { b[60 + 276 + 4] = 1; return b; }},  // unknown packing type
        {"IT", [](const std::string &b) { return b.substr(0, b.size() - 256 - 20); }},
        {"IT", [](const std::string &b) { return b.substr(0, 150); }},
    };
    for (const Case &c : cases) {
        const Format &format = FormatNamed(c.format);
        ModuleSong song = MakeSong(format, 2, {0, 1});
        const std::string whole = format.write(song);
        SCOPED_TRACE(c.format + " of " + std::to_string(whole.size()) + " bytes");
        ASSERT_GT(ScanBytes(whole, format.type).lengthSeconds, 0u);
        const ModuleScanResult result = ScanBytes(c.damage(whole), format.type);
        EXPECT_EQ(result.lengthSeconds, 0u);
        EXPECT_EQ(result.orderTimes[1], 0);
    }
    EXPECT_EQ(CModuleScanner::Scan("/nonexistent/song.it", 6).lengthSeconds, 0u);
}

TEST(CModuleScannerTest, LoopsThatFeedEachOtherStopAtTheRowLimit)
{
    // Two loop ends share one counter, so each clears the other's count and the song never ends.
    for (const char *name : {"XM", "IT"}) {
        SCOPED_TRACE(name);
        const Format &format = FormatNamed(name);
        ModuleSong song = MakeSong(format, 1, {0});
        Put(song, 0, 10, 1, format.Loop(2));
        Put(song, 0, 20, 1, format.Loop(3));
        const ModuleScanResult result = ScanSong(format, song);
        EXPECT_TRUE(result.loops);
        EXPECT_EQ(result.lengthSeconds, Seconds(Rows(static_cast<int>(CModuleSimulator::kMaxRows))));
    }
}

namespace {

double OpenMptSeconds(const std::string &bytes)
{
    int error = 0;
    std::unique_ptr<openmpt_module, void (*)(openmpt_module *)> module(
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr, &error,
                                           nullptr, nullptr),
        openmpt_module_destroy);
    return module ? openmpt_module_get_duration_seconds(module.get()) : -1.0;
}

}  // namespace

TEST(CModuleScannerTest, AgreesWithLibopenmptOnSongsThatEnd)
{
    struct Song {
        std::string what;
        std::function<void(const Format &, ModuleSong &)> edit;
    };
    // Break rows stay below 10, where decimal and binary readings agree.
    const std::vector<Song> songs = {
        {"plain", [](const Format &, ModuleSong &) {}},
        {"speed and tempo changes",
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 0, 1, f.Speed(4));
             Put(s, 1, 16, 1, f.Tempo(90));
             Put(s, 2, 40, 2, f.Speed(9));
         }},
        {"jump forward", [](const Format &f, ModuleSong &s) { Put(s, 2, 20, 1, f.Jump(4)); }},
        {"breaks", [](const Format &f, ModuleSong &s) {
             Put(s, 0, 12, 1, f.Break(5));
             Put(s, 2, 50, 3, f.Break(0));
         }},
        {"pattern loop", [](const Format &f, ModuleSong &s) {
             Put(s, 1, 4, 1, f.Loop(0));
             Put(s, 1, 20, 1, f.Loop(3));
         }},
        {"pattern delay", [](const Format &f, ModuleSong &s) {
             Put(s, 0, 2, 1, f.Delay(8));
             Put(s, 2, 30, 1, f.Delay(15));
         }},
        {"slow", [](const Format &f, ModuleSong &s) {
             Put(s, 0, 0, 1, f.Speed(31));
             Put(s, 0, 0, 2, f.Tempo(33));
         }},
    };
    for (const Format &format : AllFormats()) {
        for (const Song &s : songs) {
            SCOPED_TRACE(format.name + ": " + s.what);
            ModuleSong song = MakeSong(format, 3, {0, 1, 2, 1, 0});
            s.edit(format, song);
            const std::string bytes = format.write(song);
            const ModuleScanResult result = ScanBytes(bytes, format.type);
            const double judge = OpenMptSeconds(bytes);
            ASSERT_GT(judge, 0.0);
            EXPECT_FALSE(result.loops);
            EXPECT_NEAR(static_cast<double>(result.lengthSeconds), judge, 1.0);
        }
    }
}

// Module lengths judged by libopenmpt (openmpt_module_get_duration_seconds) for songs whose jumps, breaks,
// pattern loops and delays interact; the plainer cases are in CModuleScannerTest. Where our rules differ
// from libopenmpt on purpose, each case states the difference it expects and why.

#include "tags/CModuleScanner.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <functional>
#include <memory>

namespace {

struct Format {
    const char *name;
    std::int32_t type;
    int channels;
    bool letters;           // S3M and IT name their commands with letters
    bool decimalBreakRows;  // libopenmpt reads the break row of MOD, S3M and XM as two decimal digits
    std::function<std::string(const ModuleSong &)> write;

    ModuleCell Speed(int x) const { return Cell(0xF, 'A', x); }
    ModuleCell Tempo(int x) const { return Cell(0xF, 'T', x); }
    ModuleCell Jump(int order) const { return Cell(0xB, 'B', order); }
    ModuleCell Break(int row) const { return Cell(0xD, 'C', row); }
    ModuleCell Loop(int x) const { return letters ? Cell(0, 'S', 0xB0 | x) : Cell(0xE, 0, 0x60 | x); }
    ModuleCell Delay(int x) const { return letters ? Cell(0, 'S', 0xE0 | x) : Cell(0xE, 0, 0xE0 | x); }
    ModuleCell Cell(int number, char letter, int param) const
    {
        return {0, 0, static_cast<std::uint8_t>(letters ? letter : number), static_cast<std::uint8_t>(param)};
    }
};

const Format kFormats[] = {
    {"MOD", 1, 4, false, true, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"MOD6", 2, 6, false, true, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"MOD8", 3, 8, false, true, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"S3M", 4, 4, true, true, [](const ModuleSong &s) { return ModuleWriter::S3m(s); }},
    {"XM", 5, 4, false, true, [](const ModuleSong &s) { return ModuleWriter::Xm(s, true); }},
    {"XM-plain", 5, 4, false, true, [](const ModuleSong &s) { return ModuleWriter::Xm(s, false); }},
    {"IT", 6, 4, true, false, [](const ModuleSong &s) { return ModuleWriter::It(s); }},
};

// Four 64-row patterns in the order 0, 1, 2, 3, each with a note on its first row.
ModuleSong MakeSong(const Format &format)
{
    ModuleSong song;
    song.channels = format.channels;
    for (int p = 0; p < 4; ++p) {
        ModulePattern pattern(64, format.channels);
        pattern.at(0, 0) = {49, 1, 0, 0};
        song.patterns.push_back(pattern);
    }
    song.orders = {0, 1, 2, 3};
    return song;
}

void Put(ModuleSong &song, int pattern, int row, int channel, const ModuleCell &effect)
{
    ModuleCell &cell = song.patterns.at(static_cast<std::size_t>(pattern)).at(row, channel);
    cell.effect = effect.effect;
    cell.param = effect.param;
}

// Seconds of `rows` rows at a speed and tempo.
double Rows(int rows, int speed = 6, int tempo = 125) { return rows * (speed * 2.5 / tempo); }

double OpenMptSeconds(const std::string &bytes)
{
    int error = 0;
    std::unique_ptr<openmpt_module, void (*)(openmpt_module *)> module(
        openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr, &error,
                                           nullptr, nullptr),
        openmpt_module_destroy);
    return module ? openmpt_module_get_duration_seconds(module.get()) : -1.0;
}

struct Case {
    std::string what;
    std::function<void(const Format &, ModuleSong &)> edit;
    // Our length minus libopenmpt's, in seconds (0 where the two agree).
    std::function<double(const Format &)> difference;
    bool loops;
};

double Same(const Format &) { return 0.0; }

}  // namespace

TEST(CModuleJudgeTest, LengthsAgainstLibopenmpt)
{
    const std::vector<Case> cases = {
        // libopenmpt ends a song when it reaches a row it has played, which is where we stop too.
        {"jump back to the first order",
         [](const Format &f, ModuleSong &s) { Put(s, 2, 40, 1, f.Jump(0)); }, Same, true},
        {"jump to the order being played",
         [](const Format &f, ModuleSong &s) { Put(s, 1, 63, 1, f.Jump(1)); }, Same, true},
        // Order 0 jumps over order 1 to order 2, which jumps back to order 1. We stop at that jump (the
        // song loops from there on), while libopenmpt plays order 1, which it has not heard yet, and stops
        // when order 2 comes round again: its length has order 1's 64 rows more.
        {"jump back to an order a forward jump skipped",
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 63, 1, f.Jump(2));
             Put(s, 2, 63, 1, f.Jump(1));
         },
         [](const Format &) { return -Rows(64); }, true},
        {"jump and break on one row enter the target order at the break row",
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 20, 1, f.Jump(2));
             Put(s, 0, 20, 2, f.Break(5));
         },
         Same, false},
        // libopenmpt plays 4-channel "M.K." files with its ProTracker compatibility, and there it
        // entered the next pattern at its first row for this break (libopenmpt 0.6), 9 rows more than the
        // break row asks for. We honour the break row in every format.
        {"break to a row below ten",
         [](const Format &f, ModuleSong &s) {
             Put(s, 1, 10, 3, f.Break(9));
             Put(s, 2, 63, 2, f.Break(0));
         },
         [](const Format &f) { return f.type == 1 ? -Rows(9) : 0.0; }, false},
        // The break row is a plain binary number for us: 0x10 is row 16. libopenmpt reads MOD, S3M and XM
        // break rows as two decimal digits (row 10), so there it plays 6 rows more of the next pattern.
        // Speed 31 at tempo 32 makes each row 2.42 s, so the difference is well above the rounding.
        {"break parameter 0x10 at a slow speed",
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 0, 1, f.Speed(31));
             Put(s, 0, 0, 2, f.Tempo(32));
             Put(s, 0, 7, 3, f.Break(0x10));
         },
         [](const Format &f) { return f.decimalBreakRows ? -Rows(6, 31, 32) : 0.0; }, false},
        {"pattern loop with a pattern delay inside",
         [](const Format &f, ModuleSong &s) {
             Put(s, 1, 8, 1, f.Loop(0));
             Put(s, 1, 10, 2, f.Delay(4));
             Put(s, 1, 15, 1, f.Loop(2));
         },
         Same, false},
        {"pattern loops in two patterns, one from row 0",
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 7, 1, f.Loop(1));
             Put(s, 2, 32, 3, f.Loop(0));
             Put(s, 2, 40, 3, f.Loop(3));
         },
         Same, false},
        {"speed and tempo change inside a pattern loop",
         [](const Format &f, ModuleSong &s) {
             Put(s, 1, 0, 1, f.Loop(0));
             Put(s, 1, 4, 2, f.Speed(3));
             Put(s, 1, 6, 3, f.Tempo(200));
             Put(s, 1, 11, 1, f.Loop(1));
         },
         Same, false},
        {"pattern delay and tempo on a break row",
         [](const Format &f, ModuleSong &s) {
             Put(s, 0, 30, 1, f.Tempo(80));
             Put(s, 0, 30, 2, f.Delay(6));
             Put(s, 0, 30, 3, f.Break(2));
         },
         Same, false},
    };
    for (const Format &format : kFormats) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(format.name) + ": " + c.what);
            ModuleSong song = MakeSong(format);
            c.edit(format, song);
            const std::string bytes = format.write(song);
            const double judge = OpenMptSeconds(bytes);
            ASSERT_GT(judge, 0.0);
            TempDir dir;
            const std::string path = dir.file("song");
            ASSERT_TRUE(ModuleWriter::Save(path, bytes));
            const ModuleScanResult result = CModuleScanner::Scan(path, format.type);
            EXPECT_EQ(result.loops, c.loops);
            // Our length is cut to whole seconds.
            const double expected = judge + c.difference(format);
            EXPECT_LE(result.lengthSeconds, expected + 1e-6);
            EXPECT_GT(result.lengthSeconds, expected - 1.0);
        }
    }
}

// The module fixture writers, judged by libopenmpt: it must load each file, read back the cells we
// wrote, find the song's title, orders and row counts, and play audible sound.

#include "tests/support/ModuleWriter.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

using Module = std::unique_ptr<openmpt_module, void (*)(openmpt_module *)>;

Module Load(const std::string &bytes)
{
    int error = 0;
    return Module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr,
                                                     &error, nullptr, nullptr),
                  openmpt_module_destroy);
}

std::string Metadata(openmpt_module *module, const char *key)
{
    const char *text = openmpt_module_get_metadata(module, key);
    std::string value = text ? text : "";
    openmpt_free_string(text);
    return value;
}

}  // namespace

TEST(ModuleWriterTest, LibopenmptLoadsPlaysAndReadsBackEachFormat)
{
    struct Case {
        std::string type;
        int channels;
        std::function<std::string(const ModuleSong &)> write;
        bool rowCountsKept;  // MOD and S3M patterns always hold 64 rows
    };
    const Case cases[] = {
        {"mod", 4, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }, false},
        {"mod", 6, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }, false},
        {"mod", 8, [](const ModuleSong &s) { return ModuleWriter::Mod(s); }, false},
        {"s3m", 8, [](const ModuleSong &s) { return ModuleWriter::S3m(s); }, false},
        {"xm", 6, [](const ModuleSong &s) { return ModuleWriter::Xm(s, true); }, true},
        {"xm", 6, [](const ModuleSong &s) { return ModuleWriter::Xm(s, false); }, true},
        {"it", 5, [](const ModuleSong &s) { return ModuleWriter::It(s); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type + " with " + std::to_string(c.channels) + " channels");
        ModuleSong song;
        song.title = "Fixture " + c.type;
        song.channels = c.channels;
        song.samples = {ModuleSample::Square(300, 40), ModuleSample::Sine(400, 64)};
        ModulePattern first(c.rowCountsKept ? 32 : 64, c.channels);
        ModulePattern second(64, c.channels);
        for (int row = 0; row < first.rows; row += 4)
            first.at(row, row / 4 % c.channels) = {static_cast<std::uint8_t>(40 + row / 4), 1, 0, 0};
        for (int row = 0; row < 64; row += 8) {
            second.at(row, c.channels - 1) = {55, 2, 0, 0};
            second.at(row + 1, c.channels - 1) = {55, 2, 0, 0};  // repeated note and instrument (IT remembers)
        }
        song.patterns = {first, second};
        song.orders = {0, 1, 1, 0};
        const std::string bytes = c.write(song);

        Module module = Load(bytes);
        ASSERT_TRUE(module);
        EXPECT_EQ(Metadata(module.get(), "type"), c.type);
        EXPECT_EQ(Metadata(module.get(), "title"), song.title);
        EXPECT_GE(openmpt_module_get_num_orders(module.get()), 4);
        EXPECT_EQ(openmpt_module_get_num_patterns(module.get()), 2);
        EXPECT_EQ(openmpt_module_get_pattern_num_rows(module.get(), 0), first.rows);
        EXPECT_EQ(openmpt_module_get_pattern_num_rows(module.get(), 1), 64);
        for (int p = 0; p < 2; ++p) {
            const ModulePattern &pattern = song.patterns[static_cast<std::size_t>(p)];
            for (int row = 0; row < pattern.rows; ++row) {
                for (int ch = 0; ch < c.channels; ++ch) {
                    const ModuleCell &cell = pattern.at(row, ch);
                    const int note = openmpt_module_get_pattern_row_channel_command(module.get(), p, row, ch,
                                                                                     OPENMPT_MODULE_COMMAND_NOTE);
                    const int instrument = openmpt_module_get_pattern_row_channel_command(
                        module.get(), p, row, ch, OPENMPT_MODULE_COMMAND_INSTRUMENT);
                    EXPECT_EQ(note != 0, cell.note != 0) << "pattern " << p << " row " << row << " channel " << ch;
                    EXPECT_EQ(instrument, cell.instrument) << "pattern " << p << " row " << row << " channel " << ch;
                }
            }
        }
        // Notes keep their distance: two cells a fifth apart read back a fifth apart.
        const int low = openmpt_module_get_pattern_row_channel_command(module.get(), 0, 0, 0, OPENMPT_MODULE_COMMAND_NOTE);
        const int high = openmpt_module_get_pattern_row_channel_command(module.get(), 0, 4 * c.channels, 0,
                                                                        OPENMPT_MODULE_COMMAND_NOTE);
        EXPECT_EQ(high - low, c.channels);
        const double rowSeconds = 6 * 2.5 / 125;
        EXPECT_NEAR(openmpt_module_get_duration_seconds(module.get()), (2 * first.rows + 2 * 64) * rowSeconds, 0.01);

        std::vector<float> left(48000), right(48000);
        const std::size_t frames = openmpt_module_read_float_stereo(module.get(), 48000, 48000, left.data(), right.data());
        EXPECT_EQ(frames, 48000u);
        float peak = 0;
        for (float v : left)
            peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.05f);
    }
}

TEST(ModuleWriterTest, HeaderSpeedTempoAndRestartReachLibopenmpt)
{
    ModuleSong song;
    song.patterns = {ModulePattern(64, 4)};
    song.patterns[0].at(0, 0) = {49, 1, 0, 0};
    song.orders = {0, 0};
    song.speed = 3;
    song.tempo = 150;
    song.restart = 1;
    const double expected = 128 * 3 * 2.5 / 150;
    for (const std::string &bytes : {ModuleWriter::S3m(song), ModuleWriter::Xm(song), ModuleWriter::It(song)}) {
        Module module = Load(bytes);
        ASSERT_TRUE(module);
        SCOPED_TRACE(Metadata(module.get(), "type"));
        EXPECT_NEAR(openmpt_module_get_duration_seconds(module.get()), expected, 0.01);
        EXPECT_EQ(openmpt_module_get_current_speed(module.get()), 3);
        EXPECT_EQ(openmpt_module_get_current_tempo(module.get()), 150);
    }
    // XM keeps the restart position at byte 66.
    const std::string xm = ModuleWriter::Xm(song);
    EXPECT_EQ(static_cast<unsigned char>(xm[66]), 1);
}

// The module information window's facts, judged by libopenmpt (counts, sample and instrument names,
// message) on modules written by the test writers; the title write-back judged by libopenmpt and by the
// bytes around the field.

#include "tests/tags/TagFixtures.h"
#include "info/CModuleInfo.h"
#include "core/CPlaylistEntry.h"
#include "tests/support/ModuleWriter.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.hpp>

#include <fstream>

namespace {

ModuleSong Song(int channels)
{
    ModuleSong song;
    song.title = "old title";
    song.channels = channels;
    song.orders = {0, 1, 0};
    song.patterns = {ModulePattern(64, channels), ModulePattern(64, channels)};
    song.patterns[0].at(0, 0) = {49, 1, 0, 0};
    song.samples = {ModuleSample::Square(400, 40), ModuleSample::Sine(300, 30)};
    song.samples[0].name = "square one";
    song.samples[1].name = "sine two";
    return song;
}

openmpt::module Load(const std::string &bytes)
{
    return openmpt::module(std::vector<char>(bytes.begin(), bytes.end()));
}

std::string WithItMessage(std::string it, const std::string &message, bool terminated)
{
    const std::size_t offset = it.size();
    it += message + (terminated ? std::string(1, '\0') : std::string());
    it[46] = static_cast<char>(it[46] | 1);
    it[54] = static_cast<char>(message.size() & 0xFF);
    it[55] = static_cast<char>(message.size() >> 8);
    for (int i = 0; i < 4; ++i)
        it[56 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    return it;
}

TEST(CModuleInfo, HeaderFactsAgreeWithLibopenmpt)
{
    const ModuleSong song = Song(4);
    struct Case {
        std::int32_t type;
        std::string bytes;
        const char *tracker;
        const char *caption;
        std::uint32_t orders; // the header's count: S3M and IT count the end marker the writers add
    } cases[] = {
        {kTypeMod4, ModuleWriter::Mod(song), "Snd/Noise/Protracker", "MOD File Information", 3},
        {kTypeS3m, ModuleWriter::S3m(song), "Scream Tracker 3.20", "S3M File Information", 4},
        {kTypeXm, ModuleWriter::Xm(song), "FastTracker v2.00   ", "XM File Information", 3},
        {kTypeIt, WithItMessage(ModuleWriter::It(song), "line one\rline two", true), "Impulse Tracker 2.14",
         "IT File Information", 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caption);
        TagFixtures fx;
        const std::string path = fx.Write("song", c.bytes);
        openmpt::module judge = Load(c.bytes);
        const CModuleInfo info = CModuleInfo::Read(path, c.type, 200, 4, c.bytes.size());
        EXPECT_EQ(CModuleInfo::Caption(c.type), c.caption);
        EXPECT_EQ(info.tracker, c.tracker);
        EXPECT_EQ(info.orders, c.orders);
        EXPECT_EQ(static_cast<std::uint32_t>(judge.get_num_orders()), 3u);
        EXPECT_EQ(info.patterns, static_cast<std::uint32_t>(judge.get_num_patterns()));
        const std::vector<std::string> names = judge.get_sample_names();
        ASSERT_EQ(info.samples.size(), c.type <= kTypeMod8 ? 31u : names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(info.samples[i].name, names[i]) << i;
            EXPECT_EQ(info.samples[i].looped, i < song.samples.size()) << i;
        }
        EXPECT_EQ(info.samples[0].size, 400u);
        EXPECT_EQ(info.instruments, judge.get_instrument_names());
        const std::string message = judge.get_metadata("message_raw");
        EXPECT_EQ(info.message.empty(), message.empty());
        if (c.type == kTypeIt) {
            EXPECT_EQ(info.message, "line one\r\nline two");
        }
        // Six lines: tracker, length, size, orders [patterns], channels, instruments [samples].
        EXPECT_EQ(info.infoText, info.tracker + "\n3 min 20 sec\n" + std::to_string(c.bytes.size()) + " bytes\n" +
                                     std::to_string(info.orders) + " [" + std::to_string(info.patterns) +
                                     " patterns]\n4\n" + std::to_string(judge.get_num_instruments()) + " [" +
                                     std::to_string(info.sampleCount) + " samples]");
    }
}

TEST(CModuleInfo, DamagedAndShortHeadersReadAsZeroOrEmpty)
{
    const std::string it = ModuleWriter::It(Song(4));
    struct Case {
        const char *name;
        std::int32_t type;
        std::string bytes;
        const char *message;
    } cases[] = {
        {"IT message without terminator, cut by the file's end", kTypeIt,
         WithItMessage(it, "no end", false), "no end"},
        {"IT message length past the end", kTypeIt,
         WithItMessage(it, "short", false).substr(0, it.size() + 3), "sho"},
        {"IT header only", kTypeIt, it.substr(0, 60), ""},
        {"S3M of 50 bytes", kTypeS3m, ModuleWriter::S3m(Song(4)).substr(0, 50), ""},
        {"XM of 100 bytes", kTypeXm, ModuleWriter::Xm(Song(4)).substr(0, 100), ""},
        {"MOD of 25 bytes", kTypeMod4, ModuleWriter::Mod(Song(4)).substr(0, 25), ""},
        {"empty file", kTypeXm, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        const CModuleInfo info = CModuleInfo::Read(fx.Write("m", c.bytes), c.type, 45, 0, c.bytes.size());
        EXPECT_EQ(info.message, c.message);
        EXPECT_NE(info.infoText.find("\n45 sec\n"), std::string::npos);
        for (const CModuleSampleRow &row : info.samples)
            EXPECT_LE(row.name.size(), 52u);
    }
}

TEST(CModuleInfo, TitleIsWrittenIntoItsFieldOnly)
{
    const ModuleSong song = Song(4);
    struct Case {
        std::int32_t type;
        std::string bytes;
        std::size_t offset;
        std::size_t written;
    } cases[] = {
        {kTypeMod4, ModuleWriter::Mod(song), 0, 19},
        {kTypeS3m, ModuleWriter::S3m(song), 0, 27},
        {kTypeXm, ModuleWriter::Xm(song), 17, 20},
        {kTypeIt, ModuleWriter::It(song), 4, 25},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        TagFixtures fx;
        std::string bytes = c.bytes;
        bytes[c.offset + c.written] = c.type == kTypeXm ? bytes[c.offset + c.written] : 'Z'; // must survive
        const std::string path = fx.Write("song", bytes);
        const std::string title = "A much longer new title than any field holds";
        ASSERT_EQ(CModuleInfo::TitleLimit(c.type), static_cast<int>(c.written));
        ASSERT_TRUE(CModuleInfo::WriteTitle(path, c.type, title));
        const std::string after = ReadWholeFile(path);
        ASSERT_EQ(after.size(), bytes.size());
        EXPECT_EQ(after.substr(0, c.offset), bytes.substr(0, c.offset));
        EXPECT_EQ(after.substr(c.offset, c.written), title.substr(0, c.written));
        EXPECT_EQ(after.substr(c.offset + c.written), bytes.substr(c.offset + c.written));
        // Shorter titles are padded with zero bytes, and libopenmpt reads them back.
        const std::string clean = fx.Write("clean", c.bytes);
        ASSERT_TRUE(CModuleInfo::WriteTitle(clean, c.type, "Neu"));
        EXPECT_EQ(Load(ReadWholeFile(clean)).get_metadata("title"), "Neu");
    }
    TagFixtures fx;
    EXPECT_FALSE(CModuleInfo::WriteTitle(fx.Path("missing.it"), kTypeIt, "x"));
    EXPECT_FALSE(std::ifstream(fx.Path("missing.it")).good());
}

TEST(CModuleInfo, LengthText)
{
    const std::pair<std::uint32_t, const char *> cases[] = {{200, "3 min 20 sec"}, {45, "45 sec"}, {60, "1 min 0 sec"},
                                                            {59, "59 sec"}, {0, "0 sec"}};
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(CModuleInfo::LengthText(seconds), text) << seconds;
}

} // namespace

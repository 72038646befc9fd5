// The change-over from one Ogg Vorbis or FLAC file to the next inside a single stream.
#include "tests/engine/DecoderFixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

using namespace decoder_test;

namespace {

// Files shared by the cases of this file (made once).
class GaplessFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir;
        s_flacA = MakeFlac(*s_dir, "a", 44100, 2, 16, 1.2345);
        s_flacB = MakeFlac(*s_dir, "b", 44100, 2, 16, 0.9876);
        s_flac48 = MakeFlac(*s_dir, "c48", 48000, 2, 16, 0.5);
        s_flacMono = MakeFlac(*s_dir, "mono", 44100, 1, 16, 0.5);
        s_oggA = MakeOgg(*s_dir, "oa", 44100, 2, 1.1111);
        s_oggB = MakeOgg(*s_dir, "ob", 44100, 2, 0.7777);
        s_oggLong = MakeOgg(*s_dir, "olong", 44100, 2, 6.0); // several audio pages
        s_rawFlacA = FlacReference(*s_dir, s_flacA);
        s_rawFlacB = FlacReference(*s_dir, s_flacB);
        s_rawOggA = OggReference(*s_dir, s_oggA);
        s_rawOggB = OggReference(*s_dir, s_oggB);
        s_rawOggLong = OggReference(*s_dir, s_oggLong);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override
    {
        for (const std::string *s : {&s_flacA, &s_flacB, &s_flac48, &s_flacMono, &s_oggA, &s_oggB, &s_oggLong, &s_rawOggLong, &s_rawFlacA,
                                     &s_rawFlacB, &s_rawOggA, &s_rawOggB})
            ASSERT_FALSE(s->empty());
        m_decoder = std::make_unique<CStreamDecoder>(&m_playlist, nullptr, &RecordStreamCreate);
    }
    // Starts the first entry, as the engine does, and drains the stream.
    Drained PlayFromFirst(std::uint32_t chunk)
    {
        m_playlist.nextIndex = 0;
        EXPECT_NE(m_decoder->CreateDecodedStream(m_playlist.entries.at(0), 0), 0u);
        return Drain(*m_decoder, chunk);
    }

    static TempDir *s_dir;
    static std::string s_flacA, s_flacB, s_flac48, s_flacMono, s_oggA, s_oggB, s_oggLong, s_rawOggLong;
    static std::string s_rawFlacA, s_rawFlacB, s_rawOggA, s_rawOggB;
    FakePlaylist m_playlist;
    std::unique_ptr<CStreamDecoder> m_decoder;
};

TempDir *GaplessFiles::s_dir;
std::string GaplessFiles::s_flacA, GaplessFiles::s_flacB, GaplessFiles::s_flac48, GaplessFiles::s_flacMono,
    GaplessFiles::s_oggA, GaplessFiles::s_oggB, GaplessFiles::s_rawFlacA, GaplessFiles::s_rawFlacB,
    GaplessFiles::s_rawOggA, GaplessFiles::s_rawOggB, GaplessFiles::s_oggLong, GaplessFiles::s_rawOggLong;

TEST_F(GaplessFiles, SameFormatFilesJoinSampleExactly)
{
    struct Case {
        const char *name;
        std::vector<std::pair<std::string, int>> files;
        std::string expected;
        std::uint32_t chunk;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {"two FLAC", {{s_flacA, kTypeFlac}, {s_flacB, kTypeFlac}}, s_rawFlacA + s_rawFlacB, 4 * 4410, {1}},
        {"two Ogg", {{s_oggA, kTypeOgg}, {s_oggB, kTypeOgg}}, s_rawOggA + s_rawOggB, 4 * 4410, {1}},
        {"Ogg then FLAC", {{s_oggA, kTypeOgg}, {s_flacA, kTypeFlac}}, s_rawOggA + s_rawFlacA, 4 * 999, {1}},
        {"FLAC, Ogg, FLAC in small fills",
         {{s_flacB, kTypeFlac}, {s_oggB, kTypeOgg}, {s_flacA, kTypeFlac}},
         s_rawFlacB + s_rawOggB + s_rawFlacA,
         4 * 64,
         {1, 2}},
        // The 48000 Hz file needs a stream of its own: the stream ends after the two that match.
        {"48000 Hz not joined",
         {{s_flacA, kTypeFlac}, {s_flacB, kTypeFlac}, {s_flac48, kTypeFlac}},
         s_rawFlacA + s_rawFlacB,
         4 * 4410,
         {1}},
        {"mono not joined to stereo", {{s_flacA, kTypeFlac}, {s_flacMono, kTypeFlac}}, s_rawFlacA, 4 * 4410, {}},
        {"Windows Media entry not joined", {{s_flacA, kTypeFlac}, {s_flacB, kTypeWma}}, s_rawFlacA, 4 * 4410, {}},
        {"vanished next file", {{s_flacA, kTypeFlac}, {s_dir->file("gone.flac"), kTypeFlac}}, s_rawFlacA, 4 * 4410, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_playlist.entries.clear();
        for (const auto &[path, type] : c.files)
            m_playlist.Add(path, type);
        const Drained out = PlayFromFirst(c.chunk);
        ASSERT_EQ(out.bytes.size(), c.expected.size());
        EXPECT_TRUE(out.bytes == c.expected) << "first differing byte "
                                             << std::mismatch(out.bytes.begin(), out.bytes.end(), c.expected.begin()).first -
                                                    out.bytes.begin();
        EXPECT_EQ(out.changedRows, c.rows);
        // The stream has ended: nothing more comes, and a file of another format is not left open.
        char tail[16];
        EXPECT_EQ(m_decoder->Fill(tail, sizeof tail), 0u);
    }
}

TEST_F(GaplessFiles, FloatDeliveryJoinsToo)
{
    m_playlist.Add(s_flacA, kTypeFlac);
    m_playlist.Add(s_flacB, kTypeFlac);
    m_decoder->m_bFloatOutput = 1;
    const Drained out = PlayFromFirst(8 * 1000);
    std::vector<float> expected;
    for (std::int16_t s : AsInt16(s_rawFlacA + s_rawFlacB))
        expected.push_back(s / 32768.0f);
    EXPECT_EQ(AsFloat(out.bytes), expected);
    EXPECT_EQ(out.changedRows, std::vector<int>{1});
}

TEST_F(GaplessFiles, RepeatListWrapsToTheFirstRow)
{
    m_playlist.Add(s_flacA, kTypeFlac);
    m_playlist.Add(s_flacB, kTypeFlac);
    m_playlist.repeatList = true;
    m_playlist.nextIndex = 1;
    CPlaylistEntry second = m_playlist.entries[1];
    ASSERT_NE(m_decoder->CreateDecodedStream(second, 0), 0u);
    std::vector<char> buffer(s_rawFlacB.size() + 4000);
    ASSERT_EQ(m_decoder->Fill(buffer.data(), static_cast<std::uint32_t>(buffer.size())), buffer.size());
    EXPECT_EQ(std::string(buffer.data(), buffer.size()), s_rawFlacB + s_rawFlacA.substr(0, 4000));
    EXPECT_EQ(m_decoder->ReportedRow(), 0);
    EXPECT_EQ(m_decoder->Path(), s_flacA);
}

TEST_F(GaplessFiles, SettingsThatForbidChangeOver)
{
    struct Case {
        const char *name;
        bool gapless, random, repeatTrack, stopAfter;
    };
    const Case cases[] = {
        {"gapless off", false, false, false, false},
        {"random", true, true, false, false},
        {"repeat track", true, false, true, false},
        {"stop after entry", true, false, false, true},
    };
    m_playlist.Add(s_flacA, kTypeFlac);
    m_playlist.Add(s_flacB, kTypeFlac);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        m_playlist.gapless = c.gapless;
        m_playlist.random = c.random;
        m_playlist.repeatTrack = c.repeatTrack;
        m_decoder->m_bStopAfterEntry = c.stopAfter;
        const Drained out = PlayFromFirst(4 * 4410);
        EXPECT_TRUE(out.bytes == s_rawFlacA);
        EXPECT_TRUE(out.changedRows.empty());
    }
    // And with all of them cleared the same list does join (the cases above are not vacuous).
    m_playlist.gapless = true;
    m_playlist.random = m_playlist.repeatTrack = false;
    m_decoder->m_bStopAfterEntry = 0;
    EXPECT_EQ(PlayFromFirst(4 * 4410).bytes.size(), s_rawFlacA.size() + s_rawFlacB.size());
}

// A truncated file ends where its audio ends; a FLAC frame damaged in the middle is skipped or
// silenced and the file plays on to its end (Ogg ends at the damaged page).
TEST_F(GaplessFiles, DamagedFileEndsCleanlyAndTheNextFollows)
{
    struct Case {
        const char *name;
        std::string source, reference;
        int type;
        bool truncate; // else overwrite a stretch in the middle
    };
    const Case cases[] = {
        {"truncated FLAC", s_flacA, s_rawFlacA, kTypeFlac, true},
        {"corrupt FLAC", s_flacA, s_rawFlacA, kTypeFlac, false},
        {"truncated Ogg", s_oggLong, s_rawOggLong, kTypeOgg, true},
        {"corrupt Ogg", s_oggLong, s_rawOggLong, kTypeOgg, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = ReadWholeFile(c.source);
        // Three quarters in: past the Vorbis set-up headers (which fill much of a small Ogg file).
        const std::size_t middle = bytes.size() * 3 / 4;
        if (c.truncate) {
            bytes.resize(middle);
        } else {
            for (std::size_t i = 0; i < 1000; ++i)
                bytes[middle + i] = static_cast<char>((i * 7919u + 13u) >> 3);
        }
        const std::string damaged = s_dir->file("damaged" + std::string(c.type == kTypeOgg ? ".ogg" : ".flac"));
        std::ofstream(damaged, std::ios::binary | std::ios::trunc) << bytes;

        m_playlist.entries.clear();
        m_playlist.Add(damaged, c.type);
        m_playlist.Add(s_flacB, kTypeFlac);
        const Drained out = PlayFromFirst(4 * 4410);
        // Some audio of the damaged file, all of it as the tool decodes the intact file, no noise
        // after the damage, then the whole next file.
        ASSERT_GT(out.bytes.size(), s_rawFlacB.size());
        const std::size_t played = out.bytes.size() - s_rawFlacB.size();
        EXPECT_GT(played, 0u);
        EXPECT_EQ(played % 4, 0u);
        if (c.type == kTypeFlac && !c.truncate) {
            EXPECT_LE(played, c.reference.size());
            EXPECT_GE(played + 2u * 4u * 4608u, c.reference.size()) << "no more than the damaged frames are lost";
            const std::size_t intact = middle * 9 / 10 / 4 * 4; // well before the damage, in decoded bytes
            EXPECT_TRUE(out.bytes.compare(0, std::min(intact, played), c.reference, 0, std::min(intact, played)) == 0);
        } else {
            EXPECT_LT(played, c.reference.size());
            EXPECT_TRUE(out.bytes.compare(0, played, c.reference, 0, played) == 0);
        }
        EXPECT_TRUE(out.bytes.compare(played, std::string::npos, s_rawFlacB) == 0);
        EXPECT_EQ(out.changedRows, std::vector<int>{1});
    }
}

} // namespace

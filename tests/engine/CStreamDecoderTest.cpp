// The decoder object itself: close hook, CD change-over through the source interface.
#include "tests/engine/DecoderFixtures.h"

#include "engine/ICdTrackSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace decoder_test;

namespace {

TEST(StreamDecoder, CloseHookSeesEachClosedOggAndFlacFile)
{
    TempDir dir;
    const std::string ogg = MakeOgg(dir, "hook", 44100, 2, 0.3);
    const std::string flac = MakeFlac(dir, "hookf", 44100, 2, 16, 0.3);
    ASSERT_FALSE(ogg.empty() || flac.empty());
    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr, &RecordStreamCreate);
    std::vector<std::string> closed;
    decoder->m_onFileClosed = [&](const std::string &path) { closed.push_back(path); };

    ASSERT_EQ(decoder->Open(ogg, kTypeOgg, 0, 0), kTypeOgg);
    ASSERT_EQ(decoder->Open(flac, kTypeFlac, 0, 0), kTypeFlac); // reopening closes the Ogg file
    decoder->Close();
    ASSERT_EQ(decoder->Open(ogg, kTypeOgg, 0, 0), kTypeOgg);
    decoder->Close();
    decoder->Close(); // nothing open: no call
    EXPECT_EQ(closed, (std::vector<std::string>{ogg, flac, ogg}));
    EXPECT_EQ(decoder->Type(), 0);
    EXPECT_TRUE(decoder->Path().empty());
}

// A CD "drive" whose tracks are runs of a known byte pattern.
class FakeCd : public ICdTrackSource {
public:
    std::vector<std::uint32_t> trackBytes{0, 6000, 5000, 7000}; // index = track number
    std::vector<int> checked{0, 1, 0, 1};
    int playing = 0, opens = 0, closes = 0;
    std::uint32_t position = 0;
    char letter = 0;

    static unsigned char Byte(int track, std::uint32_t i) { return static_cast<unsigned char>(track * 31 + i * 7); }

    bool Open(char driveLetter, int track, int, bool) override
    {
        ++opens;
        if (track <= 0 || track >= static_cast<int>(trackBytes.size()))
            return false;
        if (driveLetter)
            letter = driveLetter;
        playing = track;
        position = 0;
        return true;
    }
    char OpenDriveLetter() const override { return letter; }
    std::uint32_t Read(void *buffer, std::uint32_t length) override
    {
        auto *out = static_cast<unsigned char *>(buffer);
        std::uint32_t n = 0;
        while (n < length && position < trackBytes[playing])
            out[n++] = Byte(playing, position++);
        return n;
    }
    void Close() override
    {
        ++closes;
        playing = 0;
    }
    int NextGaplessTrack() override
    {
        for (int t = playing + 1; t < static_cast<int>(trackBytes.size()); ++t)
            if (checked[t])
                return t;
        return -1;
    }
};

TEST(StreamDecoder, CdTrackPlaysAsFixedFormatStreamAndChangesOverToNextCheckedTrack)
{
    FakeCd cd;
    FakePlaylist playlist; // supplies the settings only
    auto decoder = std::make_unique<CStreamDecoder>(&playlist, &cd, &RecordStreamCreate);
    CPlaylistEntry entry;
    entry.m_strPath = "1";
    entry.m_nType = kTypeCdTrack;
    g_created = {};
    ASSERT_NE(decoder->CreateDecodedStream(entry, 0, 'E'), 0u);
    EXPECT_EQ(g_created.rate, 44100u);
    EXPECT_EQ(g_created.flags, 0u);
    EXPECT_EQ(cd.letter, 'E');

    const Drained out = Drain(*decoder, 1000);
    std::string expected;
    for (int track : {1, 3})
        for (std::uint32_t i = 0; i < cd.trackBytes[track]; ++i)
            expected += static_cast<char>(FakeCd::Byte(track, i));
    EXPECT_TRUE(out.bytes == expected);
    // Track 2 is not checked; the report names the drive, so the take-over finds the tab.
    EXPECT_EQ(out.changedRows, std::vector<int>{CStreamDecoder::CdReport('E', 3)});
    EXPECT_EQ(decoder->Path(), "3");

    // With repeat track on, the track simply ends.
    playlist.repeatTrack = true;
    ASSERT_NE(decoder->CreateDecodedStream(entry, 0), 0u);
    EXPECT_EQ(Drain(*decoder, 1000).bytes.size(), cd.trackBytes[1]);
    // Every close of the decoder tells the CD side that no track plays.
    const int closes = cd.closes;
    decoder->Close();
    EXPECT_EQ(cd.closes, closes + 1);
    // Without a CD source a CD track does not open.
    CStreamDecoder noCd(&playlist, nullptr, &RecordStreamCreate);
    EXPECT_EQ(noCd.Open("1", kTypeCdTrack, 0, 'D'), 0);
}

} // namespace

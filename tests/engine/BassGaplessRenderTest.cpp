// End to end through the audio library: a user stream fed by the decoder, changed over gaplessly,
// rendered by the library's manual output exactly as it would be heard.
#include "tests/engine/DecoderFixtures.h"

#include "platform/bass/bass_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace decoder_test;

namespace {

TEST(BassGaplessRender, TwoFlacFilesAreHeardBackToBackWithoutGap)
{
    TempDir dir;
    const std::string a = MakeFlac(dir, "a", 44100, 2, 16, 0.8123);
    const std::string b = MakeFlac(dir, "b", 44100, 2, 16, 0.6543);
    ASSERT_FALSE(a.empty() || b.empty());
    const std::vector<std::int16_t> expected = AsInt16(FlacReference(dir, a) + FlacReference(dir, b));
    ASSERT_FALSE(expected.empty());

    ASSERT_TRUE(BASSX_InitManual(44100));
    for (int floatOutput : {1, 0}) {
        SCOPED_TRACE(floatOutput ? "float stream" : "16-bit stream");
        FakePlaylist playlist;
        playlist.Add(a, kTypeFlac);
        playlist.Add(b, kTypeFlac);
        auto decoder = std::make_unique<CStreamDecoder>(&playlist, nullptr); // the real BASS_StreamCreate
        decoder->m_bFloatOutput = floatOutput;
        const HSTREAM stream = decoder->CreateDecodedStream(playlist.entries[0], 0);
        ASSERT_NE(stream, 0u);
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));

        std::vector<float> heard;
        std::vector<float> block(2 * 1024);
        const std::size_t limit = expected.size() + 2 * 44100; // a second beyond the end at most
        while (heard.size() < limit && BASS_ChannelIsActive(stream) != BASS_ACTIVE_STOPPED) {
            const DWORD frames = BASSX_Render(block.data(), 1024);
            ASSERT_GT(frames, 0u);
            heard.insert(heard.end(), block.begin(), block.begin() + 2 * frames);
        }
        EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_STOPPED));
        EXPECT_EQ(decoder->ReportedRow(), 1);
        ASSERT_GE(heard.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_NEAR(heard[i], expected[i] / 32768.0f, 1e-6f) << "value " << i;
        // Nothing but silence after the two files: no sample repeated or added.
        for (std::size_t i = expected.size(); i < heard.size(); ++i)
            ASSERT_EQ(heard[i], 0.0f) << "value " << i;
        BASS_StreamFree(stream);
    }
    BASS_Free();
}

} // namespace

// The three plug-ins' drawing from given buffers, pixel by pixel, without a window.
#include "plugins/visuals/freqbars/CSpectrumBars.h"
#include "plugins/visuals/levelmeter/CNeedleMeter.h"
#include "plugins/visuals/levelmeter/MeterArtwork.h"
#include "plugins/visuals/oscilloscope/CWaveTrace.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

int SpectrumPixel(const CSpectrumBars &bars, int x, int y) { return bars.Image()[y * CSpectrumBars::kImageWidth + x]; }
int TracePixel(const CWaveTrace &trace, int x, int y) { return trace.Image()[y * CWaveTrace::kImageWidth + x]; }

TEST(SpectrumBarsTest, PaletteBlendsFromBaseToPeak)
{
    CSpectrumBars bars(1024);
    bars.SetColours(0x00FFFF, 0x0000FF); // yellow to red, as Windows colour values
    EXPECT_EQ(bars.Palette()[0], 0x000000u);
    EXPECT_EQ(bars.Palette()[1], 0xFFFE00u);
    EXPECT_EQ(bars.Palette()[128], 0xFF7F00u);
    EXPECT_EQ(bars.Palette()[255], 0xFF0000u);
}

TEST(SpectrumBarsTest, FullScaleBarsHaveTheirHeightAndShading)
{
    // Every value 1.0 gives level 4096; the first frame's bars are half of it. H = 240: centre row 119.
    CSpectrumBars bars(1024);
    const std::vector<float> loud(1024, 1.0f);
    bars.Render(loud.data(), 320, 240);
    EXPECT_EQ(bars.Bars()[0], 2048);
    const struct {
        int x, y, index;
    } pixels[] = {{1, 59, 0},   {1, 60, 125},  {1, 118, 1}, {1, 119, 0}, {1, 120, 1}, {1, 178, 125},
                  {1, 179, 0},  {3, 60, 125},  {4, 60, 0},  {0, 60, 0},  {5, 60, 125}, {313, 60, 125},
                  {317, 60, 0}, {317, 178, 0}};
    for (const auto &p : pixels)
        EXPECT_EQ(SpectrumPixel(bars, p.x, p.y), p.index) << p.x << "," << p.y;
}

TEST(SpectrumBarsTest, SilenceLetsEveryBarFallBy64UntilZero)
{
    CSpectrumBars bars(8);
    const std::vector<float> loud(8, 1.0f), quiet(8, 0.00005f);
    bars.Render(loud.data(), 320, 240);
    bars.Render(loud.data(), 320, 240); // (2048 + 4096) / 2
    ASSERT_EQ(bars.Bars()[3], 3072);
    for (int expected = 3072 - 64; expected >= 0; expected -= 64) {
        bars.Render(quiet.data(), 320, 240);
        EXPECT_EQ(bars.Bars()[3], expected);
    }
    bars.Render(quiet.data(), 320, 240);
    EXPECT_EQ(bars.Bars()[3], 0);
    for (int y = 0; y < 240; ++y)
        EXPECT_EQ(SpectrumPixel(bars, 1, y), 0);
}

TEST(SpectrumBarsTest, WindowWidthDecidesTheNumberOfBarPairs)
{
    const struct {
        int width, pairs;
    } cases[] = {{241, 60}, {240, 59}, {320, 79}, {1024, 255}};
    for (const auto &c : cases) {
        CSpectrumBars bars(1024);
        const std::vector<float> loud(1024, 1.0f);
        bars.Render(loud.data(), c.width, 240);
        std::set<int> upper, lower;
        for (int x = 0; x < CSpectrumBars::kImageWidth; ++x) {
            if (SpectrumPixel(bars, x, 100) != 0)
                upper.insert(x / 4);
            if (SpectrumPixel(bars, x, 140) != 0)
                lower.insert(x / 4);
        }
        EXPECT_EQ(static_cast<int>(upper.size()), c.pairs) << c.width;
        EXPECT_EQ(upper, lower) << c.width;
    }
}

TEST(SpectrumBarsTest, BarsUseTheEvenValueAboveAndTheOddBelow)
{
    // Value pair 0 (left 1.0, right silent) feeds only the first bar's upper half.
    CSpectrumBars bars(1024);
    std::vector<float> fft(1024, 0.0f);
    fft[0] = 1.0f;
    bars.Render(fft.data(), 320, 240);
    EXPECT_EQ(SpectrumPixel(bars, 1, 100), 39);
    EXPECT_EQ(SpectrumPixel(bars, 1, 140), 0);
    EXPECT_EQ(SpectrumPixel(bars, 5, 100), 0);
}

TEST(WaveTraceTest, SilenceDrawsFlatLinesAtAQuarterAndThreeQuarters)
{
    CWaveTrace trace;
    const std::vector<std::int16_t> silence(2048, 0);
    trace.Render(silence.data(), 1024, 320, 240);
    for (int x = 0; x < 320; ++x) {
        EXPECT_EQ(TracePixel(trace, x, 60), 255);
        EXPECT_EQ(TracePixel(trace, x, 180), 255);
        EXPECT_EQ(TracePixel(trace, x, 61), 0);
    }
    EXPECT_EQ(TracePixel(trace, 320, 60), 0);
}

TEST(WaveTraceTest, FullScaleSampleReachesAQuarterOfTheHeight)
{
    // H = 241: upper centre 60, lower 180, scale 32768 / 60.
    const struct {
        std::int16_t left, right;
        int leftRow, rightRow;
    } cases[] = {{-32768, -32768, 120, 240}, {32767, 32767, 0, 120}, {-16384, 16384, 90, 150}};
    for (const auto &c : cases) {
        CWaveTrace trace;
        std::vector<std::int16_t> samples(2048, 0);
        samples[2 * 5] = c.left;
        samples[2 * 5 + 1] = c.right;
        trace.Render(samples.data(), 1024, 320, 241);
        EXPECT_EQ(TracePixel(trace, 5, c.leftRow), 255) << c.left;
        EXPECT_EQ(TracePixel(trace, 5, c.rightRow), 255) << c.right;
    }
}

TEST(WaveTraceTest, StepsAreJoinedByFadingColumns)
{
    // Two frames, 0 then full negative, in a window two columns wide: y1 = 60, y2 = 120, 60 steps.
    CWaveTrace trace;
    std::vector<std::int16_t> samples(2048, 0);
    samples[2] = -32768;
    trace.Render(samples.data(), 1024, 2, 241);
    const struct {
        int x, y, index;
    } pixels[] = {{0, 60, 255}, {0, 61, 250}, {0, 120, 4}, {0, 121, 0}, {1, 120, 255},
                  {1, 119, 250}, {1, 60, 4},  {1, 59, 0},  {0, 90, 31 * 255 / 61}};
    for (const auto &p : pixels)
        EXPECT_EQ(TracePixel(trace, p.x, p.y), p.index) << p.x << "," << p.y;
}

TEST(WaveTraceTest, TinyWindowsDrawNothing)
{
    // Heights below 5 rows have no quarter to scale to.
    const std::vector<std::int16_t> samples(2048, 1000);
    for (int height : {0, 1, 2, 3, 4}) {
        CWaveTrace trace;
        trace.Render(samples.data(), 1024, 320, height);
        int lit = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 320; ++x)
                lit += TracePixel(trace, x, y) != 0;
        EXPECT_EQ(lit, 0) << height;
    }
}

TEST(WaveTraceTest, PaletteScalesTheTraceColour)
{
    CWaveTrace trace;
    trace.SetColour(0x0080FF); // orange: red FF, green 80
    EXPECT_EQ(trace.Palette()[255], 0xFF8000u);
    EXPECT_EQ(trace.Palette()[51], 0x331900u);
    EXPECT_EQ(trace.Palette()[0], 0u);
}

TEST(NeedleMeterTest, NeedleMovesHalfWayUpAndFallsByTwoThenOne)
{
    const struct {
        int previous, level, next;
    } cases[] = {{0, 100, 50}, {50, 100, 75}, {75, 100, 88}, {88, 100, 94}, {99, 100, 100}, {100, 100, 100},
                 {128, 0, 126}, {66, 0, 64},   {65, 0, 63},   {64, 0, 63},   {1, 0, 0},     {0, 0, 0},
                 {120, 200, 128}, {0, 128, 64}, {127, 128, 128}, {70, 60, 68}};
    for (const auto &c : cases)
        EXPECT_EQ(CNeedleMeter::Move(c.previous, c.level), c.next) << c.previous << " " << c.level;
}

TEST(NeedleMeterTest, LevelWordDrivesBothNeedles)
{
    CNeedleMeter meter;
    meter.BuildFaces(0xFFAAAA);
    const int left[] = {50, 75, 88, 94, 97, 99, 100, 100};
    for (int expected : left) {
        meter.Render(100u | (128u << 16));
        EXPECT_EQ(meter.Position(0), expected);
    }
    EXPECT_EQ(meter.Position(1), 128);
    int frames = 0;
    while (meter.Position(1) > 64) {
        meter.Render(0);
        ++frames;
    }
    EXPECT_EQ(frames, 32);
    meter.Render(0);
    EXPECT_EQ(meter.Position(1), 63);
}

TEST(NeedleMeterTest, OnlyTheCurrentNeedleDiffersFromTheFace)
{
    CNeedleMeter meter;
    meter.BuildFaces(0xFFAAAA);
    const std::vector<std::uint8_t> face(meter.Image(0), meter.Image(0) + 144 * 80 * 3);
    for (std::uint32_t level : {128u, 128u, 128u, 40u, 0u}) {
        meter.Render(level);
        const int position = meter.Position(0);
        std::vector<std::uint8_t> expected = face;
        for (int e = 0; e < MeterArtwork::kNeedleCount[position]; ++e) {
            const std::uint32_t entry = MeterArtwork::kNeedle[position][e];
            const int darkness = static_cast<int>(entry >> 16);
            for (int c = 0; c < 3; ++c) {
                std::uint8_t &v = expected[(entry & 0xFFFF) * 3 + c];
                v = static_cast<std::uint8_t>(darkness == 255 ? 0 : v - darkness * v / 256);
            }
        }
        EXPECT_EQ(std::vector<std::uint8_t>(meter.Image(0), meter.Image(0) + expected.size()), expected) << position;
    }
}

TEST(NeedleMeterTest, ArtworkFitsItsFormat)
{
    const std::vector<std::uint8_t> mask =
        CNeedleMeter::DecodeMask(MeterArtwork::kMaskRle, MeterArtwork::kMaskRleSize, MeterArtwork::kPixels);
    int marked = 0;
    for (std::uint8_t m : mask)
        marked += m != 0;
    EXPECT_GT(marked, 500);
    for (int p = 0; p < MeterArtwork::kPositions; ++p) {
        EXPECT_GT(MeterArtwork::kNeedleCount[p], 20) << p;
        EXPECT_LE(MeterArtwork::kNeedleCount[p], MeterArtwork::kMaxNeedlePixels) << p;
    }
    // The needle sweeps: position 0 leans left, 128 right.
    EXPECT_LT((MeterArtwork::kNeedle[0][0] & 0xFFFF) % 144, 72u);
    EXPECT_GT((MeterArtwork::kNeedle[128][0] & 0xFFFF) % 144, 72u);
}

TEST(NeedleMeterTest, MaskCodeIsDecodedWithinItsBounds)
{
    const struct {
        std::vector<std::uint8_t> code;
        std::vector<std::uint8_t> mask;
    } cases[] = {
        {{0, 3, 5, 255, 2}, {0, 0, 0, 5, 255, 255, 0, 0}},
        {{7, 0}, {7, 0, 0, 0, 0, 0, 0, 0}},             // a run without its count
        {{255, 200, 9}, {255, 255, 255, 255, 255, 255, 255, 255}}, // a run longer than the mask
        {{}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CNeedleMeter::DecodeMask(c.code.data(), c.code.size(), 8), c.mask);
}

TEST(NeedleMeterTest, RightFaceIsTheLeftMirrored)
{
    // Black tint: each component is the grey itself; the mask is the same on both faces.
    CNeedleMeter meter;
    meter.BuildFaces(0x000000);
    const std::vector<std::uint8_t> mask =
        CNeedleMeter::DecodeMask(MeterArtwork::kMaskRle, MeterArtwork::kMaskRleSize, MeterArtwork::kPixels);
    int compared = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 144; ++x) {
            const int i = y * 144 + x;
            if (mask[i] != 0)
                continue;
            ++compared;
            ASSERT_EQ(meter.Image(0)[i * 3], MeterArtwork::kFace[i]);
            ASSERT_EQ(meter.Image(1)[i * 3], MeterArtwork::kFace[y * 144 + 143 - x]);
        }
    EXPECT_GT(compared, 5000);
}

} // namespace

// Texts and pixels of the counter, meter, sliders and status text, driven without a window.
#include "ui/CCounterState.h"
#include "ui/CMeterBars.h"
#include "ui/CStatusTextFormat.h"
#include "ui/CToolTipSlider.h"

#include <gtest/gtest.h>

#include <vector>

TEST(StatusTextFormat, PlaylistAndCdTexts)
{
    struct Case { int count; std::uint64_t bytes; std::uint32_t seconds; const char *text; };
    const Case cases[] = {
        {3, 12ull * 1048576 + 78643, 665, " 3 files (12.07Mb) : 0h 11m 05s "},
        {1, 0, 0, " 1 file (0.00Mb) : 0h 00m 00s "},
        {2, 1048575999ull, 40000, " 2 files (999.99Mb) : 11h 06m 40s "},
        {2, 1048576000ull, 59, " 2 files (0.97Gb) : 0h 00m 59s "},
        {7, 5ull << 30, 3600, " 7 files (5.00Gb) : 1h 00m 00s "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CStatusTextFormat::Format(c.count, c.bytes, c.seconds), c.text);
    EXPECT_EQ(CStatusTextFormat::FormatCd(12, 2712), " 12 tracks : 0h 45m 12s ");
    EXPECT_EQ(CStatusTextFormat::FormatCd(1, 61), " 1 track : 0h 01m 01s ");
}

TEST(CounterState, TextsForEachMode)
{
    struct Case { bool active; int mode; unsigned length; unsigned position; int offset; const char *text; };
    const Case cases[] = {
        {false, 0, 0, 0, 0, "<00:00>"},
        {true, 1, 300000, 99000, 0, "-03:21-"},
        {true, 0, 4000000, 3725999, 0, "1:02:05"},
        {true, 0, 43200000, 43200000, 0, "9:59:59"},         // 12 h, clamped
        {true, 1, 43200000, 0, 0, "-9:59:59-"},
        {true, 1, 60000, 50000, 2, "-00:12-"},               // gapless offset adds in remaining mode
        {true, 0, 60000, 0, 1, "-00:01-"},                   // and subtracts below zero in elapsed mode
        {true, 0, 60000, 5000, 1, "00:04"},
        {true, 1, 60000, 90000, 0, "-00:00-"},               // remaining never below 0
        {false, 1, 60000, 0, 0, "<01:00>"},
    };
    for (const Case &c : cases) {
        CCounterState state;
        state.SetActive(c.active);
        state.SetLength(c.length);
        state.SetMode(c.mode);
        state.SetTime(c.position);
        state.SetOffset(c.offset);
        EXPECT_EQ(state.Text(), c.text) << c.mode << " " << c.position;
    }
}

TEST(CounterState, TargetModeRedrawRuleFreezeAndTips)
{
    CCounterState state;
    state.SetActive(true);
    state.SetLength(600000);
    state.SetMode(CCounterState::kTarget);
    EXPECT_EQ(state.SetFraction(50, 100), 300000u);
    state.SetOffset(3); // the offset does not apply to the target
    EXPECT_EQ(state.Text(), "<05:00>");

    state.SetMode(CCounterState::kElapsed);
    EXPECT_TRUE(state.SetTime(1000));
    EXPECT_FALSE(state.SetTime(1999)); // same second: no redraw
    EXPECT_TRUE(state.SetTime(2000));
    state.SetFrozen(true);
    EXPECT_FALSE(state.SetTime(9000));
    EXPECT_EQ(state.Position(), 2000u);
    state.Reset();
    EXPECT_TRUE(state.SetTime(9000));

    EXPECT_STREQ(CCounterState::ToolTip(0), "Track Elapsed");
    EXPECT_STREQ(CCounterState::ToolTip(1), "Track Remaining");
    EXPECT_STREQ(CCounterState::ToolTip(2), "Total Elapsed");
}

TEST(ToolTipSlider, TipTexts)
{
    struct Case { CToolTipSlider::Kind kind; int position; const char *text; };
    const Case cases[] = {
        {CToolTipSlider::kGain, 3, "Gain: -1.5dB"},  {CToolTipSlider::kGain, -4, "Gain: +2.0dB"},
        {CToolTipSlider::kGain, 1, "Gain: -0.5dB"},  {CToolTipSlider::kGain, 0, "Gain: +0.0dB"},
        {CToolTipSlider::kGain, -1, "Gain: +0.5dB"}, {CToolTipSlider::kGain, 30, "Gain: -15.0dB"},
        {CToolTipSlider::kVolume, 75, "Volume: 75%"}, {CToolTipSlider::kMixing, 50, "Mixing: 50"},
        {CToolTipSlider::kPanning, 0, "Panning: 0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CToolTipSlider::TipText(c.kind, c.position), c.text);
}

TEST(MeterBars, ColourTable)
{
    // meter1 green, meter2 red (0x00BBGGRR); the table holds 0xAARRGGBB.
    const auto table = CMeterBars::ColourTable(0x00FF00, 0x0000FF);
    EXPECT_EQ(table[0], 0xFF000000u);
    EXPECT_EQ(table[1], 0xFF000000u);
    EXPECT_EQ(table[2], 0xFF02FD00u);   // i = 1: red 255/127 = 2, green 255 - 255/127 = 253
    EXPECT_EQ(table[3], 0xFF017E00u);   // halved
    EXPECT_EQ(table[254], 0xFFFF0000u); // i = 127: meter2 exactly
    EXPECT_EQ(table[255], 0xFF7F0000u);
    const auto blue = CMeterBars::ColourTable(0x400000, 0x400000);
    EXPECT_EQ(blue[128], 0xFF000040u);
}

TEST(MeterBars, RiseAndFallRules)
{
    struct Case { int clientWidth; bool enabled; std::uint32_t level; std::vector<int> leftSteps; };
    // Level 128 is 255 (the whole bar); the bar rises halfway per tick and reaches its target.
    const Case rise{300, true, 128, {127, 191, 223, 239, 247, 251, 253, 255}};
    CMeterBars bars;
    bars.SetClientWidth(rise.clientWidth);
    for (int expected : rise.leftSteps) {
        EXPECT_TRUE(bars.SetLevel(rise.level | 64u << 16, true));
        EXPECT_EQ(bars.LeftShown(), expected);
    }
    EXPECT_EQ(bars.RightShown(), 128);
    EXPECT_FALSE(bars.SetLevel(rise.level | 64u << 16, true)); // nothing moved: no redraw

    // A disabled meter falls to 0 whatever the level: by 4 from 129 up, then by 2 on wide meters,
    // by 4 while above 3 on narrow ones.
    for (const auto &[width, ticks] : {std::pair{300, 96}, std::pair{200, 65}}) {
        CMeterBars meter;
        meter.SetClientWidth(width);
        while (meter.LeftShown() < 255)
            meter.SetLevel(128, true);
        int count = 0;
        int last = meter.LeftShown();
        while (meter.SetLevel(0x00800080, false)) {
            ++count;
            EXPECT_LT(meter.LeftShown(), last);
            EXPECT_TRUE(last - meter.LeftShown() == 4 || last - meter.LeftShown() <= 2) << last;
            last = meter.LeftShown();
        }
        EXPECT_EQ(meter.LeftShown(), 0);
        EXPECT_EQ(count, ticks) << width;
    }
}

// The columns reported as changed between two levels are exactly those whose pixels differ.
TEST(MeterBars, ChangedColumnsAreTheDifferingPixels)
{
    CMeterBars bars;
    bars.SetClientWidth(110);
    const auto render = [&](int left) {
        CMeterBars at = bars;
        while (at.LeftShown() != left && at.SetLevel(static_cast<std::uint32_t>(left / 2), true)) {
        }
        std::vector<std::uint8_t> image(CMeterBars::kImageWidth * CMeterBars::kImageHeight, 0);
        at.Render(image.data(), CMeterBars::kImageWidth);
        return std::make_pair(at.LeftShown(), image);
    };
    const std::pair<int, int> levels[] = {{0, 100}, {100, 0}, {40, 42}, {50, 50}, {0, 254}, {90, 91}};
    for (const auto &[from, to] : levels) {
        SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
        const auto [a, imageA] = render(from);
        const auto [b, imageB] = render(to);
        int first = -1, last = -1;
        for (int x = 0; x < CMeterBars::kImageWidth; ++x)
            for (int line = 0; line < CMeterBars::kImageHeight; ++line)
                if (imageA[static_cast<std::size_t>(line) * CMeterBars::kImageWidth + x] !=
                    imageB[static_cast<std::size_t>(line) * CMeterBars::kImageWidth + x]) {
                    first = first < 0 ? x : first;
                    last = x;
                }
        const auto [from_x, to_x] = bars.ChangedColumns(a, b);
        if (first < 0) {
            EXPECT_EQ(from_x, to_x);
        } else {
            EXPECT_LE(from_x, first);
            EXPECT_GT(to_x, last);
            EXPECT_LE(to_x - from_x, last - first + 4) << "no more than the changed segments";
        }
    }
}

TEST(MeterBars, RenderedPixels)
{
    CMeterBars bars;
    bars.SetClientWidth(110); // bar width 103: 25 segments, columns 104 to 106 cleared
    EXPECT_EQ(bars.BarWidth(), 103);
    while (bars.SetLevel(50 | 128u << 16, true)) { // left 100, right 255
    }
    std::vector<std::uint8_t> image(CMeterBars::kImageWidth * CMeterBars::kImageHeight, 0xAA);
    bars.Render(image.data(), CMeterBars::kImageWidth);
    const auto at = [&](int line, int x) { return image[static_cast<std::size_t>(line) * CMeterBars::kImageWidth + x]; };
    struct Px { int line; int x; int index; };
    const Px expected[] = {
        {4, 4, 2},     {4, 6, 2},    {4, 7, 0},      // left bar, segment 0 lit
        {10, 40, 2 * (9 * 508 / 103) + 2},          // segment 9: lit (index 90 <= 100)
        {17, 48, 2 * (11 * 508 / 103) + 3},         // segment 11: index 110 > 100, unlit
        {17, 100, 2 * (24 * 508 / 103) + 3},        // last segment unlit
        {22, 100, 2 * (24 * 508 / 103) + 2},        // right bar full: lit
        {35, 4, 2},    {22, 104, 0}, {35, 106, 0},  // after the last segment: cleared
        {3, 4, 0xAA},  {18, 4, 0xAA}, {36, 4, 0xAA}, {22, 107, 0xAA}, // outside the bars: untouched
    };
    for (const Px &p : expected)
        EXPECT_EQ(at(p.line, p.x), p.index) << p.line << "," << p.x;
}

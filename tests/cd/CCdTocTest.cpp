// TOC rules: audio test, lengths, sector ranges, the disc id against a second computation. The media
// identity is checked through the cdplayer.ini lookup in CCdDiscsTest.
#include "cd/CCdToc.h"
#include "tests/cd/CdFakes.h"

#include <gtest/gtest.h>

namespace {

struct RangeCase {
    const char *name;
    int first;
    std::vector<std::uint32_t> frames;
    std::vector<int> controls;
    int track;
    int offset;
    bool ok;
    std::uint32_t length;
    std::int32_t start, end;
};

TEST(CCdTocTest, LengthsAndSectorRanges)
{
    const RangeCase cases[] = {
        {"first track at 00:02:00", 1, {150, 15150, 30000}, {}, 1, 0, true, 15000, 0, 15000},
        {"second track", 1, {150, 15150, 30000}, {}, 2, 0, true, 14850, 15000, 29850},
        {"offset into the second track", 1, {150, 15150, 30000}, {}, 2, 10, true, 14850, 15750, 29850},
        // Audio before track 1's index point belongs to track 1, and its end is not cut.
        {"first track with a pre-gap", 1, {300, 15150, 30000}, {}, 1, 0, true, 15000, 0, 15000},
        {"data track", 1, {150, 15150, 30000}, {4, 0}, 1, 0, false, 0, 0, 0},
        {"copy-permitted track", 1, {150, 15150, 30000}, {0, 2}, 2, 0, false, 0, 0, 0},
        {"pre-emphasis track", 1, {150, 15150, 30000}, {1}, 1, 0, false, 0, 0, 0},
        {"above the last track", 1, {150, 15150, 30000}, {}, 3, 0, false, 0, 0, 0},
        {"track 0", 1, {150, 15150, 30000}, {}, 0, 0, false, 0, 0, 0},
        {"disc starting at track 3", 3, {150, 15150, 30000}, {}, 4, 0, true, 14850, 15000, 29850},
        {"offset past the end", 1, {150, 15150, 30000}, {}, 2, 1000, true, 14850, 90000, 29850},
    };
    for (const RangeCase &c : cases) {
        SCOPED_TRACE(c.name);
        const CCdToc toc = MakeToc(c.first, c.frames, c.controls);
        EXPECT_EQ(toc.GetTrackLength(c.track), c.length);
        std::int32_t start = -1, end = -1;
        EXPECT_EQ(toc.GetSectorRange(c.track, c.offset, start, end), c.ok);
        if (c.ok) {
            EXPECT_EQ(start, c.start);
            EXPECT_EQ(end, c.end);
        }
    }
}

// The CDDB id worked out the long way: digit sums through decimal text.
std::uint32_t IndependentDiscId(const std::vector<std::uint32_t> &frames)
{
    const std::size_t n = frames.size() - 1;
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (char c : std::to_string(frames[i] / 75))
            sum += static_cast<unsigned>(c - '0');
    const unsigned seconds = frames[n] / 75 - frames[0] / 75;
    char text[16];
    std::snprintf(text, sizeof text, "%02x%04x%02zx", sum % 255, seconds, n);
    return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
}

TEST(CCdTocTest, DiscIdMatchesASecondComputation)
{
    const std::vector<std::vector<std::uint32_t>> discs = {
        {150, 15150, 30000},
        {150, 18765, 33912, 52001, 77777, 101010, 150000, 212345, 250000, 333333},
        {32, 99},
        {183, 4500 * 79 + 74},
    };
    for (const auto &frames : discs) {
        const CCdToc toc = MakeToc(1, frames, {4, 2, 1});
        EXPECT_EQ(ComputeDiscId(toc), IndependentDiscId(frames)) << frames.size() - 1 << " tracks";
    }
    std::vector<std::uint32_t> ninetyNine;
    for (std::uint32_t i = 0; i <= 99; ++i)
        ninetyNine.push_back(150 + i * 3333);
    EXPECT_EQ(ComputeDiscId(MakeToc(1, ninetyNine)), IndependentDiscId(ninetyNine));
    EXPECT_EQ(ComputeDiscId(CCdToc()), 0u);
}

} // namespace

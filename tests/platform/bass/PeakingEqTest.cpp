// The equalizer runs every band of a channel over a frame before the next frame. This checks that
// against a plain one-band-at-a-time biquad written here (transposed direct form II in doubles, each
// side on its own), over blocks of uneven sizes so that state carried between calls is covered too.

#include "platform/bass/PeakingEq.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace {

using melvane::bass::BiquadCoefficients;
using melvane::bass::PeakingEq;

struct ReferenceBiquad {
    BiquadCoefficients c;
    double z1[2] = {0, 0};
    double z2[2] = {0, 0};

    void run(std::vector<float> &stereo)
    {
        for (std::size_t i = 0; i < stereo.size(); ++i) {
            const int side = static_cast<int>(i % 2);
            const double x = stereo[i];
            const double y = c.b0 * x + z1[side];
            z1[side] = c.b1 * x - c.a1 * y + z2[side];
            z2[side] = c.b2 * x - c.a2 * y;
            stereo[i] = static_cast<float>(y);
        }
    }
};

std::vector<float> TestSignal(std::size_t frames)
{
    // Different material on each side so that a mix-up of the sides shows.
    std::vector<float> stereo(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        stereo[i * 2] = static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 97 * t) + 0.2 * std::sin(2 * std::numbers::pi * 5003 * t));
        stereo[i * 2 + 1] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 1201 * t) * ((i / 300) % 2 ? 1 : -1));
    }
    return stereo;
}

TEST(PeakingEq, CascadeMatchesBandsAppliedOneAfterAnother)
{
    const std::size_t bandCounts[] = {1, 2, 9, 16, 20};
    const std::size_t blocks[] = {1, 7, 1024, 300, 2, 2000};
    for (std::size_t count : bandCounts) {
        SCOPED_TRACE(count);
        std::vector<PeakingEq> filters(count);
        std::vector<ReferenceBiquad> reference(count);
        std::vector<PeakingEq *> pointers;
        for (std::size_t b = 0; b < count; ++b) {
            const double centre = 80.0 * std::pow(2.0, static_cast<double>(b % 9));
            const double gain = (b % 2 ? -1.0 : 1.0) * (3.0 + static_cast<double>(b));
            const BiquadCoefficients c = PeakingEq::design(44100, centre, 1.0, gain);
            filters[b].setCoefficients(c);
            reference[b].c = c;
            pointers.push_back(&filters[b]);
        }
        std::size_t total = 0;
        for (std::size_t n : blocks)
            total += n;
        const std::vector<float> input = TestSignal(total);
        std::size_t at = 0;
        double worst = 0;
        for (std::size_t n : blocks) {
            std::vector<float> mine(input.begin() + static_cast<std::ptrdiff_t>(at * 2),
                                    input.begin() + static_cast<std::ptrdiff_t>((at + n) * 2));
            std::vector<float> expected = mine;
            PeakingEq::processCascade(pointers.data(), count, mine.data(), n);
            for (ReferenceBiquad &r : reference)
                r.run(expected);
            for (std::size_t i = 0; i < mine.size(); ++i)
                worst = std::max(worst, static_cast<double>(std::fabs(mine[i] - expected[i])));
            at += n;
        }
        // The cascade keeps doubles between bands where the reference rounds to float after each.
        EXPECT_LT(worst, 1e-4);
    }
}

TEST(PeakingEq, SingleBandProcessIsTheCascadeOfOne)
{
    PeakingEq filter;
    ReferenceBiquad reference;
    reference.c = PeakingEq::design(48000, 1000, 2.0, 12.0);
    filter.setCoefficients(reference.c);
    std::vector<float> mine = TestSignal(5000);
    std::vector<float> expected = mine;
    filter.process(mine.data(), 2000);
    filter.process(mine.data() + 4000, 3000);
    reference.run(expected);
    for (std::size_t i = 0; i < mine.size(); ++i)
        ASSERT_FLOAT_EQ(mine[i], expected[i]) << i;
    // A boost of 12 dB at the centre really shows: the 1201 Hz side is not at 1000 Hz, but close.
    double in = 0, out = 0;
    const std::vector<float> original = TestSignal(5000);
    for (std::size_t i = 8001; i < 10000; i += 2) {
        in += original[i] * original[i];
        out += mine[i] * mine[i];
    }
    EXPECT_GT(out, 4 * in);
}

} // namespace

// Float WAV files may hold any bit pattern. NaN and infinite samples must come out as silence: passed on,
// they would stay in the equalizer's filter state and silence the channel for the rest of the track.

#include "platform/bass/sources/SndfileSource.h"
#include "tests/platform/bass/sources/SourceTestSupport.h"
#include "platform/bass/bass.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

namespace melvane::bass::test {
namespace {

std::string Le(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// An IEEE float WAV (format tag 3) of `frames` frames with `channels` channels, each sample taken from
// `pattern` in turn, stored as 32-bit floats or 64-bit doubles.
std::string FloatWav(int channels, int bits, const std::vector<double> &pattern, std::size_t frames)
{
    std::string data;
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i) {
        const double v = pattern[i % pattern.size()];
        if (bits == 32) {
            const float f = static_cast<float>(v);
            std::uint32_t u;
            std::memcpy(&u, &f, 4);
            data += Le(u, 4);
        } else {
            std::uint64_t u;
            std::memcpy(&u, &v, 8);
            data += Le(u, 8);
        }
    }
    const int block = channels * bits / 8;
    const std::string fmt = Le(3, 2) + Le(static_cast<std::uint64_t>(channels), 2) + Le(8000, 4) +
                            Le(8000u * static_cast<std::uint64_t>(block), 4) + Le(static_cast<std::uint64_t>(block), 2) +
                            Le(static_cast<std::uint64_t>(bits), 2);
    const std::string body = "WAVEfmt " + Le(16, 4) + fmt + "fact" + Le(4, 4) + Le(frames, 4) + "data" +
                             Le(data.size(), 4) + data;
    return "RIFF" + Le(body.size(), 4) + body;
}

}  // namespace

TEST(SndfileNonFiniteTest, NanAndInfinityPlayAsSilence)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // Seven values per cycle, so that every channel of every layout meets each of them.
    const std::vector<double> pattern = {0.5, nan, inf, -inf, -0.25, 0.125, -nan};
    struct Case {
        int channels, bits;
    };
    for (const Case c : {Case{1, 32}, Case{2, 32}, Case{1, 64}, Case{6, 32}}) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.bits) + " bits");
        TempDir dir;
        const std::string path = dir.file("odd.wav");
        {
            const std::string bytes = FloatWav(c.channels, c.bits, pattern, 700);
            std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        int error = -1;
        std::unique_ptr<SndfileSource> source = SndfileSource::Open(path.c_str(), error);
        ASSERT_TRUE(source) << error;
        const std::vector<float> out = DecodeAll(*source, 256);
        ASSERT_EQ(out.size(), 700u * static_cast<std::size_t>(source->channels()));
        for (float v : out)
            ASSERT_TRUE(std::isfinite(v));
        if (c.channels > 2)
            continue;  // folded down: only finiteness is defined sample by sample
        // Finite samples pass unchanged; the others are zero.
        for (std::size_t i = 0; i < out.size(); ++i) {
            const double in = pattern[i % pattern.size()];
            EXPECT_EQ(out[i], std::isfinite(in) ? static_cast<float>(in) : 0.0f) << "sample " << i;
        }
    }
}

}  // namespace melvane::bass::test

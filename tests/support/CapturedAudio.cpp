#include "tests/support/CapturedAudio.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace captured_audio {

std::vector<float> ReadFloats(const std::string &path)
{
    const std::string bytes = ReadWholeFile(path);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

std::size_t FirstSound(const std::vector<float> &samples, float threshold)
{
    std::size_t first = 0;
    while (first < samples.size() && std::fabs(samples[first]) < threshold)
        ++first;
    return first;
}

Match BestMatch(const std::vector<float> &heard, std::size_t start, std::size_t window,
                const std::vector<float> &reference, std::size_t lagFrom, std::size_t lagTo)
{
    Match best;
    if (start + window > heard.size())
        return best;
    for (std::size_t lag = lagFrom & ~std::size_t{1}; lag <= lagTo && lag + window <= reference.size(); lag += 2) {
        double xy = 0, xx = 0, yy = 0;
        for (std::size_t i = 0; i < window; ++i) {
            const double x = heard[start + i], y = reference[lag + i];
            xy += x * y;
            xx += x * x;
            yy += y * y;
        }
        const double correlation = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
        if (correlation > best.correlation)
            best = {static_cast<std::ptrdiff_t>(lag), correlation};
    }
    return best;
}

double FirstSoundMatchesFile(const std::string &captured, const std::string &path, const std::string &scratch)
{
    if (RunCommand("ffmpeg -v error -y -i '" + path + "' -f f32le -ac 2 -ar 44100 '" + scratch + "' </dev/null") != 0)
        return 0;
    const std::vector<float> heard = ReadFloats(captured);
    const std::vector<float> expected = ReadFloats(scratch);
    const std::size_t window = 4410 * 2;
    return BestMatch(heard, FirstSound(heard), window, expected, 0, 44100 * 2).correlation;
}

std::ptrdiff_t FindExactPcm16(const std::vector<float> &heard, const std::string &pcm)
{
    const std::size_t count = pcm.size() / 2;
    std::vector<float> want(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto lo = static_cast<unsigned char>(pcm[2 * i]);
        const auto hi = static_cast<unsigned char>(pcm[2 * i + 1]);
        want[i] = static_cast<float>(static_cast<std::int16_t>(lo | hi << 8)) / 32768.0f;
    }
    if (count == 0 || heard.size() < count)
        return -1;
    for (std::size_t start = 0; start + count <= heard.size(); start += 2) {
        if (heard[start] != want[0] || heard[start + 1] != want[1])
            continue;
        if (std::equal(want.begin(), want.end(), heard.begin() + static_cast<std::ptrdiff_t>(start)))
            return static_cast<std::ptrdiff_t>(start);
    }
    return -1;
}

} // namespace captured_audio

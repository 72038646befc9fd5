#include "tests/platform/bass/sources/SourceTestSupport.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace melvane::bass::test {

std::vector<float> ReadFloatRaw(const std::string &path)
{
    const std::string bytes = ReadWholeFile(path);
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
    return samples;
}

std::vector<float> ReadS16Raw(const std::string &path)
{
    const std::string bytes = ReadWholeFile(path);
    std::vector<float> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::int16_t v;
        std::memcpy(&v, bytes.data() + 2 * i, 2);
        samples[i] = v / 32768.0f;
    }
    return samples;
}

std::vector<float> DecodeFrames(AudioSource &source, std::size_t frames, std::size_t block)
{
    const std::size_t channels = static_cast<std::size_t>(source.channels());
    std::vector<float> all;
    std::vector<float> buffer(block * channels);
    while (all.size() < frames * channels) {
        const std::size_t want = std::min(block, frames - all.size() / channels);
        const std::size_t got = source.read(buffer.data(), want);
        all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got * channels));
        if (got < want)
            break;
    }
    return all;
}

std::vector<float> DecodeAll(AudioSource &source, std::size_t block)
{
    return DecodeFrames(source, std::size_t(-1) / 16, block);
}

Difference MaxDifference(const std::vector<float> &a, const std::vector<float> &b)
{
    Difference d;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double diff = std::fabs(double(a[i]) - double(b[i]));
        if (diff > d.maxAbs) {
            d.maxAbs = diff;
            d.at = i;
        }
    }
    return d;
}

double Rms(const std::vector<float> &samples, std::size_t begin, std::size_t end)
{
    end = std::min(end, samples.size());
    if (begin >= end)
        return 0;
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(end - begin));
}

double ChannelRms(const std::vector<float> &stereo, int channel)
{
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < stereo.size(); i += 2, ++count)
        sum += double(stereo[i]) * stereo[i];
    return count ? std::sqrt(sum / double(count)) : 0;
}

std::string Quoted(const std::string &path)
{
    std::string out = "'";
    for (char c : path) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

} // namespace melvane::bass::test

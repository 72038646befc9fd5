#include "tests/platform/bass/BassTestSupport.h"

#include <cstring>

ManualOutput::ManualOutput(DWORD rate) : m_ok(BASSX_InitManual(rate) != FALSE) {}

ManualOutput::~ManualOutput()
{
    BASS_Free();
}

std::vector<float> ManualOutput::render(std::size_t frames)
{
    std::vector<float> out(frames * 2, -9.0f);
    BASSX_Render(out.data(), static_cast<DWORD>(frames));
    return out;
}

float ToneProc::expected(std::uint64_t f, int side) const
{
    const double v = amplitude[side] * std::sin(2 * std::numbers::pi * hz[side] * static_cast<double>(f) / rate);
    if (floatSamples)
        return static_cast<float>(v);
    return static_cast<float>(static_cast<std::int16_t>(std::lround(v * 32767.0))) / 32768.0f;
}

HSTREAM ToneProc::create()
{
    return BASS_StreamCreate(static_cast<DWORD>(rate), flags(), &ToneProc::Proc, this);
}

DWORD ToneProc::Proc(HSTREAM, void *buffer, DWORD length, void *user)
{
    auto *self = static_cast<ToneProc *>(user);
    {
        std::lock_guard lock(self->threadsMutex);
        self->threads.push_back(std::this_thread::get_id());
    }
    const std::size_t sampleBytes = self->floatSamples ? 4 : 2;
    const std::size_t frameBytes = sampleBytes * static_cast<std::size_t>(self->channels);
    std::size_t frames = length / frameBytes;
    if (self->totalFrames)
        frames = std::min<std::size_t>(frames, self->totalFrames - self->frame);
    auto *bytes = static_cast<unsigned char *>(buffer);
    for (std::size_t i = 0; i < frames; ++i, ++self->frame) {
        for (int side = 0; side < self->channels; ++side) {
            const float v = self->expected(self->frame, side);
            unsigned char *at = bytes + (i * static_cast<std::size_t>(self->channels) + static_cast<std::size_t>(side)) * sampleBytes;
            if (self->floatSamples) {
                std::memcpy(at, &v, 4);
            } else {
                const auto s = static_cast<std::int16_t>(std::lround(v * 32768.0f));
                std::memcpy(at, &s, 2);
            }
        }
    }
    return static_cast<DWORD>(frames * frameBytes);
}

double SideRms(const std::vector<float> &stereo, int side, std::size_t begin, std::size_t end)
{
    double sum = 0;
    for (std::size_t i = begin; i < end; ++i)
        sum += static_cast<double>(stereo[i * 2 + side]) * stereo[i * 2 + side];
    return std::sqrt(sum / static_cast<double>(end - begin));
}

double Db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

#include "tests/support/ManualOutput.h"

#include "platform/bass/bass_render.h"

#include <algorithm>
#include <cmath>

namespace ManualOutput {

namespace {
int g_initCount = 0;
} // namespace

BOOL Init(int, DWORD freq, DWORD, void *)
{
    ++g_initCount;
    return BASSX_InitManual(freq);
}

int InitCount()
{
    return g_initCount;
}

float Render(std::vector<float> &buffer, std::uint32_t frames)
{
    buffer.resize(static_cast<std::size_t>(frames) * 2);
    BASSX_Render(buffer.data(), frames);
    float peak = 0.0f;
    for (float v : buffer)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

} // namespace ManualOutput

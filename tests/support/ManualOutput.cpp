#include "tests/support/ManualOutput.h"

#include "platform/bass/bass_render.h"

#include <algorithm>
#include <cmath>

namespace ManualOutput {

BOOL Init(int, DWORD freq, DWORD, void *)
{
    return BASSX_InitManual(freq);
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

#pragma once
// The audio library's manual output for rigs that render the mix themselves: an init function to
// hand the engine in place of BASS_Init, and a renderer that reports the peak it produced.

#include "platform/bass/bass.h"

#include <cstdint>
#include <vector>

namespace ManualOutput {

// Opens the manual output at `freq`; the other arguments are those of BASS_Init and are ignored.
BOOL Init(int device, DWORD freq, DWORD flags, void *window);
// How often Init opened the output in this process.
int InitCount();
// Renders `frames` stereo frames into `buffer` (resized); returns the peak absolute sample.
float Render(std::vector<float> &buffer, std::uint32_t frames);

} // namespace ManualOutput

#pragma once
// The player's visualisation buffers as the visual host hands them to plug-ins: fixed buffers of the
// engine, rewritten by the user-interface thread on every tick while a plug-in runs and cleared when
// playback stops. The host only passes the pointers on; it never writes through them.

#include <cstdint>

struct VisualFeed {
    const std::uint32_t *level = nullptr; // the level word: low 16 bits left, high 16 bits right
    const std::int32_t *sampleRate = nullptr; // Hz of the samples and spectra below
    const std::int16_t *samples = nullptr; // 4096 bytes: 1024 interleaved left/right frames
    const float *fft = nullptr;            // 1024 floats: 512 left/right magnitude pairs
};

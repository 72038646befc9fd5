#pragma once
// The VU meter's built-in artwork, generated at build time by MakeMeterArtwork (artwork/): a grey-level
// face, a run-length coded marking mask and, per needle position, the needle's pixels.

#include <cstddef>
#include <cstdint>

namespace MeterArtwork {

inline constexpr int kWidth = 144;
inline constexpr int kHeight = 80;
inline constexpr int kPixels = kWidth * kHeight;
inline constexpr int kPositions = 129;
inline constexpr int kMaxNeedlePixels = 186;

// One grey value per pixel, rows from the top: 0 shows the chosen face colour, 255 white.
extern const std::uint8_t kFace[kPixels];
// kPixels mask values, coded: 0 or 255 followed by a count stands for that many of that value, any
// other byte for itself. 255 makes a pixel black, another non-zero value m darkens it by m / 256.
extern const std::uint8_t kMaskRle[];
extern const std::size_t kMaskRleSize;
// Per position: pixel index (low 16 bits) and darkness (bits 16 to 23) of each needle pixel.
extern const std::uint32_t kNeedle[kPositions][kMaxNeedlePixels];
extern const std::uint8_t kNeedleCount[kPositions];

} // namespace MeterArtwork

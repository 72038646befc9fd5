#pragma once
// Plays a CModuleSong row by row in units of 1/10000 s: a row lasts speed x 25000 / tempo units.
// Records the start second of each order position (at its row 0), the total length, whether the song
// ended on a backward jump, and (when asked) the channels that carry a note in the rows played.

#include "tags/CModuleScanner.h"
#include "tags/CModuleSong.h"

class CModuleSimulator {
public:
    // A song whose pattern loops feed each other can run forever, so the rows played are capped. Without
    // loops a song plays each order once: at most 256 orders of at most 256 rows. A pattern loop repeats
    // its rows at most 16 times (a loop count of 15 plus the first pass), so even a song that loops every
    // pattern whole stays within 256 x 256 x 16 rows; only loops that feed each other go past it.
    static constexpr std::uint64_t kMaxRows = 256 * 256 * 16;

    static ModuleScanResult Run(const CModuleSong &song);
};

#pragma once
// Plays a CModuleSong row by row in units of 1/10000 s: a row lasts speed x 25000 / tempo units.
// Records the start second of each order position (at its row 0), the total length, whether the song
// ended on a backward jump, and (when asked) the channels that carry a note in the rows played.

#include "CModuleScanner.h"
#include "CModuleSong.h"

class CModuleSimulator {
public:
    // A song whose pattern loops feed each other can run forever; no real song plays this many rows.
    static constexpr std::uint64_t kMaxRows = 4'000'000;

    static ModuleScanResult Run(const CModuleSong &song);
};

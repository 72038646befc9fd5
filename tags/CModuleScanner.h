#pragma once
// Simulates a tracker module's song row by row to find its length, the start time of each order
// position and whether it loops, without rendering any sound.

#include <array>
#include <cstdint>
#include <string>

struct ModuleScanResult {
    std::uint32_t lengthSeconds = 0;              // 0 when the pattern data could not be read
    std::array<std::uint16_t, 256> orderTimes{};  // start second of each order position
    std::int32_t channels = 0;                    // 0 = leave the caller's value (MOD: known from the magic)
    bool loops = false;                           // ended on a backward jump, or XM restart position set
};

class CModuleScanner {
public:
    // `type` is the playlist type code, 1 to 6.
    static ModuleScanResult Scan(const std::string &path, std::int32_t type);
};

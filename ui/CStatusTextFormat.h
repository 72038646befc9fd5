#pragma once
// The status-bar summary of the playlist or of a CD track list:
//   " 3 files (12.07Mb) : 0h 11m 05s "    " 12 tracks : 0h 45m 12s "
// Sizes from 1000 MiB on are shown in Gb (the value shifted by 10 bits first).

#include <cstdint>
#include <string>

class CStatusTextFormat {
public:
    static std::string Format(int count, std::uint64_t totalBytes, std::uint32_t totalSeconds);
    static std::string FormatCd(int tracks, std::uint32_t totalSeconds);
    // "0h 11m 05s " (hours unpadded).
    static std::string DurationText(std::uint32_t seconds);
};

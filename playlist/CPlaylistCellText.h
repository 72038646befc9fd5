#pragma once
// The texts of the playlist's cells, computed from an entry as the list shows them. Zero or empty
// fields give an empty cell. Every text is cut to 255 characters.

#include "core/CPlaylistEntry.h"

#include <cstdint>
#include <string>

class CPlaylistCellText {
public:
    static constexpr std::size_t kMaxCellChars = 255;

    // The text of column id 1 to 13 for `entry`; empty for any other id.
    static std::string Text(const CPlaylistEntry &entry, int column);
    // "488.2 Kb" below 1,024,000 bytes, "4.76 Mb" from there on (integer arithmetic throughout).
    static std::string SizeText(std::uint32_t bytes);
    // "0:59", "12:34", "1:02:05"; limited to 9:59:59; "+" appended when `loops` is set.
    static std::string DurationText(std::int32_t seconds, bool loops);
    // The short name of a type code ("MOD", "MP3", ...); empty for CD tracks and unknown codes.
    static const char *TypeText(std::int32_t type);
    // Cuts `text` to kMaxCellChars characters without splitting a UTF-8 sequence.
    static std::string Cut(std::string text);
};

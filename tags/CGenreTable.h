#pragma once
// The 148 ID3v1 genre names: the standard list (0 to 79) followed by the Winamp extensions (80 to 147).
// Shared by the tag reader and the tag editors.

#include <cstdint>
#include <string_view>

class CGenreTable {
public:
    static constexpr std::int32_t kCount = 148;

    // The name of genre `index`; empty for an index outside 0 to 147.
    static std::string_view Name(std::int32_t index);
    // The index of the genre named `name` (exact spelling), or -1.
    static std::int32_t Find(std::string_view name);
};

#pragma once
// The descriptive attributes and header facts of an ASF file, read and written with TagLib's ASF
// support. Texts go to and from the UTF-16 arrays of a WmaInfo record.
//
// Any thread; one call at a time per file.

#include "plugins/include/mv_asfin.h"

#include <string>

class CAsfAttributes {
public:
    // Fills the texts, year, codec name, length, bit rate, file size, protected and variable-bit-rate
    // fields of `info` from the file's header; fields whose attribute is absent are left as they are.
    // False when the file is not an ASF file TagLib can read.
    static bool Read(const std::string &path, WmaInfo &info);

    // Writes "Title", "Author", "WM/AlbumTitle", "WM/Genre", "WM/Year" (empty when the year is 0) and
    // "Description" from `info` into the file. The audio is left untouched and the file is replaced
    // only by a completely written copy. False when nothing was written.
    static bool Write(const std::string &path, const WmaInfo &info);

    // The text of a fixed zero-terminated UTF-16 array (up to `units` code units) and back. Copying
    // in stops at the array's end, never inside a surrogate pair.
    static std::u16string FromArray(const std::uint16_t *array, std::size_t units);
    static void ToArray(const std::u16string &text, std::uint16_t *array, std::size_t units);
};

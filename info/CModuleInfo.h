#pragma once
// What the information window of a tracker module shows, read from the module's own header: captions,
// the six-line information text, the sample and instrument lists and the song message (IT); and the
// title written back into the module's title field.
//
// Offsets and counts come from untrusted files: every read is checked, and what a short or damaged
// file lacks reads as zero or empty. User-interface thread; each call opens and closes the file.

#include <cstdint>
#include <string>
#include <vector>

struct CModuleSampleRow {
    std::string name;
    std::uint32_t size = 0; // bytes
    bool is16Bit = false;
    bool looped = false;
};

class CModuleInfo {
public:
    // Reads `path` as a module of playlist type `type` (1 to 6). `seconds` and `channels` come from the
    // track reader, which also measured the size.
    static CModuleInfo Read(const std::string &path, std::int32_t type, std::uint32_t seconds, std::int32_t channels,
                            std::uint64_t fileSize);

    // Window and group captions ("MOD File Information", "MOD Info", ...) and the title edit's limit.
    static std::string Caption(std::int32_t type);
    static std::string GroupCaption(std::int32_t type);
    static int TitleLimit(std::int32_t type);
    // "3 min 20 sec" for 200 seconds, "45 sec" for 45.
    static std::string LengthText(std::uint32_t seconds);

    // Writes `title` (UTF-8, stored as ISO-8859-1, cut to the title limit) into the module's title field,
    // padded with zero bytes; the field's last byte of a MOD, S3M or IT title stays. False when the file
    // cannot be opened for writing or is locked by another writer; it is then unchanged.
    static bool WriteTitle(const std::string &path, std::int32_t type, const std::string &title);

    std::int32_t type = 0;
    std::string tracker;
    std::uint32_t orders = 0;
    std::uint32_t patterns = 0;
    std::uint32_t instrumentCount = 0; // as the header says (8-bit)
    std::uint32_t sampleCount = 0;     // as the header says (8-bit); XM: counted in the instrument headers
    std::string infoText;
    std::vector<CModuleSampleRow> samples;
    std::vector<std::string> instruments;
    std::string message; // CR LF line breaks; empty when the module has none
};

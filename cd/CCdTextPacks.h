#pragma once
// CD-Text packs: the walker that turns a drive's raw packs into disc and track texts, and the builder
// that turns texts parsed from a CUE sheet or cdrdao TOC file back into packs, so that images go
// through the same walker as drives.
//
// Pack layout (18 bytes, after a 4-byte header): type (0x80 title, 0x81 performer), track number of
// the pack's first character in bits 0-6 of byte 1, sequence number, flags (bit 7: double-byte text),
// 12 text bytes (strings end with a 0 byte and may run over packs), 2 CRC bytes (not checked).
//
// Pure functions; any thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CDiscRecord;

class CCdTextPacks {
public:
    static constexpr std::size_t kPackBytes = 18;
    static constexpr std::uint8_t kTitle = 0x80;
    static constexpr std::uint8_t kPerformer = 0x81;

    // Walks the packs of `reply` (header included) into `record`'s disc title, artist and track
    // titles; the record's texts are not cleared here. A header length larger than the reply is cut
    // to the packs that are really there.
    static void Walk(const std::uint8_t *reply, std::size_t size, CDiscRecord &record);

    // Texts by track number (0 = the disc), up to 99 tracks.
    struct Texts {
        std::array<std::string, 100> title;
        std::array<std::string, 100> performer;
        int lastTrack = 0;
    };
    // A reply (header and packs) that Walk reads back as `texts`. Empty when there is no text at all.
    static std::vector<std::uint8_t> Build(const Texts &texts);
};

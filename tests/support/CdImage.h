#pragma once
// A CD image generated for a test: tone tracks made by sox as raw CD audio (44.1 kHz, 16-bit stereo
// little-endian) in one BIN file, with a CUE sheet and a cdrdao TOC file describing it. The expected
// addresses are worked out here from the lengths, independently of the player's TOC code.

#include <cstdint>
#include <string>
#include <vector>

struct CdImageTrack {
    std::uint32_t sectors = 75; // 1/75 s each, 2352 bytes
    std::string title;
    std::string performer;
    bool copyPermitted = false;  // FLAGS DCP / COPY: not playable
};

struct CdImageDisc {
    std::vector<CdImageTrack> tracks;
    std::string title;
    std::string performer;
};

class CdImage {
public:
    // Writes disc.bin, disc.cue and disc.toc in `folder`. False when sox failed.
    bool Create(const std::string &folder, const CdImageDisc &disc);

    std::string binPath, cuePath, tocPath;
    std::string bin;                          // the whole BIN file
    std::vector<std::string> trackBytes;      // each track's bytes
    std::vector<std::uint32_t> startFrames;   // MSF address in frames of each track, lead-out last
};

// Writes `text` to `path`; false on failure.
bool WriteTextFile(const std::string &path, const std::string &text);

#pragma once
// Folder and file names of extracted tracks, made from the disc record's texts (docs/extraction.md).
//
// Cleaning: control characters (below 32, and 127) and | : * ? " < > become '_', '\' and '/' become '-',
// leading dots become '_' (so "..", "." and hidden names cannot come out), every other byte stays
// (bytes 128-255 are UTF-8 and valid in names). A cleaned name therefore never holds a separator and is
// never "." or "..": whatever the texts, every folder and file lands inside the chosen base folder.
//
// Plain functions of their arguments; any thread.

#include <cstdint>
#include <string>

class CDiscRecord;

class CExtractNames {
public:
    static constexpr std::size_t kFolderCut = 196;   // a disc folder path of 196 or more bytes is cut to 196
    static constexpr std::size_t kFileCut = 252;     // a file path (without extension) over 251 bytes is cut to 252
    static constexpr std::size_t kMinNameBytes = 8;  // a cut never leaves less of the name itself

    static std::string Clean(const std::string &text);

    // The disc folder inside `base` (which ends with '/'): "Artist - Title", "Title", or
    // "Untitled Disc (ID)" from the record's texts (unescaped here), cut and without trailing dots.
    // No trailing '/'.
    static std::string DiscFolder(const std::string &base, const CDiscRecord &record);
    // The path of track `track` inside `folder` (which ends with '/') without extension:
    // "NN - Title" or "NN - Untitled Track", cut, without trailing dots.
    static std::string TrackPath(const std::string &folder, int track, const std::string &title);

    // The disc id in upper-case hexadecimal without leading zeros.
    static std::string DiscId(std::uint32_t id);

    // Cuts `path` to `limit` bytes at a character boundary, but keeps at least the first
    // kMinNameBytes bytes (whole characters) after `prefixLength`.
    static std::string Cut(const std::string &path, std::size_t prefixLength, std::size_t limit);
    static void RemoveTrailingDots(std::string &name, std::size_t prefixLength);
};

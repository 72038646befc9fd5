#pragma once
// The bytes of the file layouts tests build by hand: little- and big-endian values, ID3v2 tag headers
// and tags, RIFF/WAVE files and their chunks.

#include <cstdint>
#include <string>

std::string Le16(std::uint16_t value);
std::string Le32(std::uint32_t value);
std::string Be32(std::uint32_t value);

// The ten-byte header of an ID3v2 tag announcing `bodySize` bytes (28 bits, syncsafe).
std::string Id3v2Header(std::uint32_t bodySize, std::uint8_t version = 3, std::uint8_t flags = 0);
// The header followed by `bodySize` bytes of `fill`.
std::string Id3v2Tag(std::uint32_t bodySize, std::uint8_t version = 3, std::uint8_t flags = 0, char fill = '\0');

// "RIFF", the size, "WAVE", then `chunks`.
std::string RiffWave(const std::string &chunks);
// A chunk: `id` (four characters), the body's size, the body and the pad byte an odd size needs.
std::string RiffChunk(const char *id, const std::string &body);

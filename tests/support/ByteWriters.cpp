#include "tests/support/ByteWriters.h"

std::string Le16(std::uint16_t value)
{
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(std::uint32_t value)
{
    return Le16(static_cast<std::uint16_t>(value & 0xFFFF)) + Le16(static_cast<std::uint16_t>(value >> 16));
}

std::string Be32(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 8) & 0xFF),
            static_cast<char>(value & 0xFF)};
}

std::string Id3v2Header(std::uint32_t bodySize, std::uint8_t version, std::uint8_t flags)
{
    std::string b = "ID3";
    b += static_cast<char>(version);
    b += '\0';
    b += static_cast<char>(flags);
    for (int shift = 21; shift >= 0; shift -= 7)
        b += static_cast<char>((bodySize >> shift) & 0x7F);
    return b;
}

std::string Id3v2Tag(std::uint32_t bodySize, std::uint8_t version, std::uint8_t flags, char fill)
{
    return Id3v2Header(bodySize, version, flags) + std::string(bodySize, fill);
}

std::string RiffWave(const std::string &chunks)
{
    return "RIFF" + Le32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

std::string RiffChunk(const char *id, const std::string &body)
{
    return std::string(id, 4) + Le32(static_cast<std::uint32_t>(body.size())) + body + std::string(body.size() % 2, '\0');
}

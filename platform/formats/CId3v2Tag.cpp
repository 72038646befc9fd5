#include "platform/formats/CId3v2Tag.h"

#include <cstring>

std::uint64_t CId3v2Tag::Size(const std::uint8_t *p, std::size_t size)
{
    if (size < kHeaderSize || std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF)
        return 0;
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80)
        return 0;
    const std::uint64_t body = std::uint64_t{p[6]} << 21 | std::uint64_t{p[7]} << 14 | std::uint64_t{p[8]} << 7 | p[9];
    const bool footer = p[3] >= 4 && (p[5] & 0x10) != 0;
    return kHeaderSize + body + (footer ? kHeaderSize : 0);
}

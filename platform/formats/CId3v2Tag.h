#pragma once
// The size of an ID3v2 tag from its ten-byte header: "ID3", two version bytes below 0xFF, a flags
// byte and a 28-bit size in four bytes below 0x80 each. A header breaking any of these is no tag (its
// bytes are then audio or junk to whoever reads on). Version 2.4's footer flag adds the ten bytes of
// the footer.

#include <cstddef>
#include <cstdint>

class CId3v2Tag {
public:
    static constexpr std::size_t kHeaderSize = 10;
    static constexpr std::uint64_t kMaxSize = kHeaderSize + 0x0FFFFFFFu + kHeaderSize;

    // Bytes of the whole tag (header, body and footer) at `p`, 0 when `p` holds no tag header.
    static std::uint64_t Size(const std::uint8_t *p, std::size_t size);
};

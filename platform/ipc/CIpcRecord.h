#pragma once
// One message between processes, the stand-in for a window message with its WM_COPYDATA payload, and
// its wire format. Every field has a fixed size and the payload is bounded, so a reader never needs to
// trust a length it has not checked.
//
// Request: 40-byte header, then cbData payload bytes. All integers little-endian.
//   0 u32 magic "MVIP"   4 u32 kind (1 post, 2 send)   8 u32 message   12 u32 cbData
//  16 u64 wParam         24 i64 lParam                 32 u64 dwData
// Reply to a send: 16 bytes: u32 magic "MVIR", u32 zero, i64 the handler's result.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class CIpcRecord {
public:
    static constexpr std::size_t kHeaderSize = 40;
    static constexpr std::size_t kReplySize = 16;
    // The largest payload a record may carry; larger records are refused by both ends.
    static constexpr std::size_t kMaxData = 64 * 1024;

    enum class Parse { Incomplete, Complete, Invalid };

    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    std::uint64_t dwData = 0;
    std::vector<std::uint8_t> data; // cbData is data.size()

    // The request bytes, or nothing when the payload is larger than kMaxData.
    std::optional<std::vector<std::uint8_t>> Encode(bool wantsReply) const;

    // Reads one request from the front of `bytes`. Complete: `out`, `wantsReply` and `consumed` are
    // set. Incomplete: more bytes are needed. Invalid: the stream cannot be trusted any further.
    static Parse Decode(std::span<const std::uint8_t> bytes, CIpcRecord &out, bool &wantsReply,
                        std::size_t &consumed);

    static std::vector<std::uint8_t> EncodeReply(std::int64_t result);
    static std::optional<std::int64_t> DecodeReply(std::span<const std::uint8_t> bytes);
};

#include "platform/ipc/CIpcRecord.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kRequestMagic = 0x5049564D; // "MVIP"
constexpr std::uint32_t kReplyMagic = 0x5249564D;   // "MVIR"
constexpr std::uint32_t kKindPost = 1;
constexpr std::uint32_t kKindSend = 2;

void Put(std::uint8_t *to, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        to[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t Get(const std::uint8_t *from, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<std::uint64_t>(from[i]) << (8 * i);
    return value;
}

} // namespace

std::optional<std::vector<std::uint8_t>> CIpcRecord::Encode(bool wantsReply) const
{
    if (data.size() > kMaxData)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(kHeaderSize + data.size());
    std::uint8_t *p = bytes.data();
    Put(p + 0, kRequestMagic, 4);
    Put(p + 4, wantsReply ? kKindSend : kKindPost, 4);
    Put(p + 8, message, 4);
    Put(p + 12, data.size(), 4);
    Put(p + 16, wParam, 8);
    Put(p + 24, static_cast<std::uint64_t>(lParam), 8);
    Put(p + 32, dwData, 8);
    std::copy(data.begin(), data.end(), bytes.begin() + kHeaderSize);
    return bytes;
}

CIpcRecord::Parse CIpcRecord::Decode(std::span<const std::uint8_t> bytes, CIpcRecord &out, bool &wantsReply,
                                     std::size_t &consumed)
{
    // Judge every header field as soon as it has arrived, so garbage is refused without waiting for more.
    if (bytes.size() >= 4 && Get(bytes.data(), 4) != kRequestMagic)
        return Parse::Invalid;
    std::uint32_t kind = 0;
    if (bytes.size() >= 8) {
        kind = static_cast<std::uint32_t>(Get(bytes.data() + 4, 4));
        if (kind != kKindPost && kind != kKindSend)
            return Parse::Invalid;
    }
    if (bytes.size() < kHeaderSize)
        return Parse::Incomplete;
    const std::uint64_t cbData = Get(bytes.data() + 12, 4);
    if (cbData > kMaxData)
        return Parse::Invalid;
    if (bytes.size() < kHeaderSize + cbData)
        return Parse::Incomplete;

    out.message = static_cast<std::uint32_t>(Get(bytes.data() + 8, 4));
    out.wParam = Get(bytes.data() + 16, 8);
    out.lParam = static_cast<std::int64_t>(Get(bytes.data() + 24, 8));
    out.dwData = Get(bytes.data() + 32, 8);
    out.data.assign(bytes.begin() + kHeaderSize, bytes.begin() + kHeaderSize + cbData);
    wantsReply = kind == kKindSend;
    consumed = kHeaderSize + cbData;
    return Parse::Complete;
}

std::vector<std::uint8_t> CIpcRecord::EncodeReply(std::int64_t result)
{
    std::vector<std::uint8_t> bytes(kReplySize, 0);
    Put(bytes.data(), kReplyMagic, 4);
    Put(bytes.data() + 8, static_cast<std::uint64_t>(result), 8);
    return bytes;
}

std::optional<std::int64_t> CIpcRecord::DecodeReply(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() != kReplySize || Get(bytes.data(), 4) != kReplyMagic || Get(bytes.data() + 4, 4) != 0)
        return std::nullopt;
    return static_cast<std::int64_t>(Get(bytes.data() + 8, 8));
}

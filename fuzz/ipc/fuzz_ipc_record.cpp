// Any byte stream a local peer may write at the player's socket: records are read one after another
// as the server does, and each one read must survive a round trip through the encoder.

#include "platform/ipc/CIpcRecord.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::span<const std::uint8_t> rest(data, size);
    for (;;) {
        CIpcRecord record;
        bool wantsReply = false;
        std::size_t consumed = 0;
        if (CIpcRecord::Decode(rest, record, wantsReply, consumed) != CIpcRecord::Parse::Complete)
            break;
        if (consumed > rest.size() || record.data.size() > CIpcRecord::kMaxData)
            std::abort();
        const auto again = record.Encode(wantsReply);
        if (!again || again->size() != consumed || !std::equal(again->begin(), again->end(), rest.begin()))
            std::abort();
        rest = rest.subspan(consumed);
    }
    CIpcRecord::DecodeReply(std::span<const std::uint8_t>(data, size < 16 ? size : 16));
    return 0;
}

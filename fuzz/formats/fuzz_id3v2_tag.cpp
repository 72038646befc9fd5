// The ID3v2 size reader: a size only for a well-formed header, never more than the format can say.

#include "fuzz/tags/FuzzCheck.h"
#include "platform/formats/CId3v2Tag.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint64_t tag = CId3v2Tag::Size(data, size);
    if (tag == 0)
        return 0;
    FUZZ_CHECK(size >= CId3v2Tag::kHeaderSize && std::memcmp(data, "ID3", 3) == 0);
    FUZZ_CHECK(data[3] != 0xFF && data[4] != 0xFF && ((data[6] | data[7] | data[8] | data[9]) & 0x80) == 0);
    FUZZ_CHECK(tag >= CId3v2Tag::kHeaderSize && tag <= CId3v2Tag::kMaxSize);
    // The footer counts only in version 2.4 and only with its flag.
    const std::uint64_t body = std::uint64_t{data[6]} << 21 | std::uint64_t{data[7]} << 14 | std::uint64_t{data[8]} << 7 | data[9];
    FUZZ_CHECK(tag - body - CId3v2Tag::kHeaderSize == ((data[3] >= 4 && (data[5] & 0x10)) ? CId3v2Tag::kHeaderSize : 0));
    return 0;
}

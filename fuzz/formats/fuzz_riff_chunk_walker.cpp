// The RIFF chunk walker. Every input of twelve bytes or more is made a RIFF/WAVE file (the magic is
// written over bytes 0 to 3 and 8 to 11), so the fuzzer spends its time in the chunk walk.

#include "fuzz/tags/FuzzCheck.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CRiffChunkWalker.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size >= 12) {
        std::memcpy(bytes.data(), "RIFF", 4);
        std::memcpy(bytes.data() + 8, "WAVE", 4);
    }
    FUZZ_CHECK(CRiffChunkWalker::IsRiffWave(bytes.data(), size) == (size >= 12));
    const auto layout = CRiffChunkWalker::Walk(CByteReader::FromMemory(bytes.data(), size));
    if (!layout)
        return 0;
    // The format chunk lies inside the file, before the data, at a plausible size.
    FUZZ_CHECK(layout->formatAt >= 20 && layout->formatAt + layout->formatSize <= size);
    FUZZ_CHECK(layout->formatSize >= CRiffChunkWalker::kMinFormatChunk && layout->formatSize <= CRiffChunkWalker::kMaxFormatChunk);
    FUZZ_CHECK(layout->formatAt + layout->formatSize < layout->dataAt && layout->dataAt <= size);
    FUZZ_CHECK(std::memcmp(bytes.data() + layout->dataAt - 8, "data", 4) == 0);
    FUZZ_CHECK(std::memcmp(bytes.data() + layout->formatAt - 8, "fmt ", 4) == 0);
    // What the file holds of the data, never more.
    FUZZ_CHECK(layout->DataInFile(size) <= size - layout->dataAt && (layout->dataSize == 0 || layout->DataInFile(size) <= layout->dataSize));
    return 0;
}

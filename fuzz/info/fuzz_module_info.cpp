// The module information window's reader on arbitrary bytes, read as each module type in turn (the
// first byte picks none: every type sees the same file). Whatever the bytes, the lists stay bounded,
// every text is UTF-8 and the message has no CR without its LF.

#include "fuzz/tags/FuzzCheck.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "info/CModuleInfo.h"
#include "tags/CTextCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzInputFile file;
    file.Write(data, size);
    for (std::int32_t type = 1; type <= 6; ++type) {
        const CModuleInfo info = CModuleInfo::Read(file.path(), type, 0, 0, size);
        FUZZ_CHECK(info.samples.size() <= 256 * 256);
        FUZZ_CHECK(info.instruments.size() <= 255);
        FUZZ_CHECK(info.sampleCount <= 255 && info.instrumentCount <= 255);
        FUZZ_CHECK(CTextCodec::IsValidUtf8(info.infoText) && CTextCodec::IsValidUtf8(info.message));
        for (const CModuleSampleRow &row : info.samples)
            FUZZ_CHECK(CTextCodec::IsValidUtf8(row.name) && row.name.size() <= 2 * 28);
        for (std::size_t i = 0; i < info.message.size(); ++i)
            FUZZ_CHECK(info.message[i] != '\r' || (i + 1 < info.message.size() && info.message[i + 1] == '\n'));
    }
    return 0;
}

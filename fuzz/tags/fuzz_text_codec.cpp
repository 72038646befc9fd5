// The text conversions between files and the program: whatever the bytes, Utf8ToUtf16 stays inside its
// array and terminates when there is room, valid UTF-8 comes back as its first whole characters (all of it when it fits) through
// Utf16ToUtf8, and every conversion gives valid UTF-8 (or ISO-8859-1 bytes no longer than the text).
// The first input byte chooses the array's size (0 to 255 units).

#include "fuzz/tags/FuzzCheck.h"
#include "tags/CTextCodec.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t units = data[0];
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);

    constexpr std::uint16_t kGuard = 0xBEEF;
    std::vector<std::uint16_t> buffer(units + 1, kGuard);
    CTextCodec::Utf8ToUtf16(text, buffer.data(), units);
    FUZZ_CHECK(buffer[units] == kGuard);
    std::size_t used = 0;
    while (used < units && buffer[used] != 0)
        ++used;
    const std::string back = CTextCodec::Utf16ToUtf8(buffer.data(), units);
    FUZZ_CHECK(CTextCodec::IsValidUtf8(back));
    if (CTextCodec::IsValidUtf8(text) && text.find('\0') == std::string::npos) {
        // Whole characters only: what came back begins the text, and is all of it when it fitted.
        std::size_t needed = 0;
        for (unsigned char c : text)
            needed += (c & 0xC0) != 0x80 ? (c >= 0xF0 ? 2 : 1) : 0;
        FUZZ_CHECK(text.compare(0, back.size(), back) == 0);
        if (needed < units)
            FUZZ_CHECK(back == text);
    }
    FUZZ_CHECK(text.find('\0') != std::string::npos || text.empty() || used > 0 || units == 0 || units == 1);

    FUZZ_CHECK(CTextCodec::Utf8ToLatin1(text).size() <= text.size());
    FUZZ_CHECK(CTextCodec::IsValidUtf8(CTextCodec::Utf8OrLatin1(text)));
    FUZZ_CHECK(CTextCodec::IsValidUtf8(CTextCodec::Latin1ToUtf8(text)));
    return 0;
}

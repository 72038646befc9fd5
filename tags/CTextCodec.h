#pragma once
// Conversions of the texts found in audio files into the program's UTF-8 strings.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CTextCodec {
public:
    // Each byte is one ISO-8859-1 character.
    static std::string Latin1ToUtf8(std::string_view bytes);
    // Each character as one ISO-8859-1 byte; characters that have none become '?', and so do bytes that
    // are not UTF-8.
    static std::string Utf8ToLatin1(std::string_view text);
    // UTF-16 code units up to the first zero or `count`; unpaired surrogates become U+FFFD.
    static std::string Utf16ToUtf8(const std::uint16_t *units, std::size_t count);
    // `text` as UTF-16 code units into `units`, at most `count` of them, zero-terminated when there is
    // room (a character whose units do not fit is left out); bytes that are not UTF-8 become U+FFFD.
    static void Utf8ToUtf16(std::string_view text, std::uint16_t *units, std::size_t count);
    // `bytes` unchanged when they are valid UTF-8, else read as ISO-8859-1 (old taggers wrote that).
    static std::string Utf8OrLatin1(std::string_view bytes);
    static bool IsValidUtf8(std::string_view bytes);
    // The value of the leading decimal digits, 0 when there are none; saturates at INT32_MAX.
    static std::int32_t LeadingNumber(std::string_view text);
    // `text` without its trailing blanks.
    static std::string TrimRight(std::string_view text);
};

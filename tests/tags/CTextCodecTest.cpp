// Text conversions, judged by iconv.

#include "tags/CTextCodec.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <vector>

namespace {

// Converts with glibc's iconv; false when the input is not valid in `from`.
bool Iconv(const char *from, const std::string &in, std::string &out)
{
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string input = in;
    std::vector<char> buffer(in.size() * 4 + 16);
    char *src = input.data();
    std::size_t srcLeft = input.size();
    char *dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.assign(buffer.data(), dst);
    return ok;
}

TEST(CTextCodec, Latin1AgreesWithIconvForEveryByte)
{
    std::string all;
    for (int i = 1; i < 256; ++i)
        all += static_cast<char>(i);
    std::string expected;
    ASSERT_TRUE(Iconv("ISO-8859-1", all, expected));
    EXPECT_EQ(CTextCodec::Latin1ToUtf8(all), expected);
    EXPECT_TRUE(CTextCodec::IsValidUtf8(expected));
}

TEST(CTextCodec, Utf16AgreesWithIconv)
{
    const std::vector<std::vector<std::uint16_t>> texts = {
        {'A', 0x00E9, 0x20AC, 0xD83C, 0xDFB5, 'z'}, // BMP and a surrogate pair
        {0x4E2D, 0x6587},
        {0xFFFD, 0x0001, 0x07FF, 0x0800, 0xFFFF},
    };
    for (const auto &units : texts) {
        std::string le;
        for (std::uint16_t u : units)
            le += std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        std::string expected;
        ASSERT_TRUE(Iconv("UTF-16LE", le, expected));
        EXPECT_EQ(CTextCodec::Utf16ToUtf8(units.data(), units.size()), expected);
    }
    // Stops at a zero and at the array's end; unpaired surrogates become U+FFFD.
    const std::uint16_t stop[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(CTextCodec::Utf16ToUtf8(stop, 4), "ab");
    EXPECT_EQ(CTextCodec::Utf16ToUtf8(stop, 1), "a");
    const std::uint16_t lone[] = {0xD800, 'x', 0xDC00};
    EXPECT_EQ(CTextCodec::Utf16ToUtf8(lone, 3), "\xEF\xBF\xBDx\xEF\xBF\xBD");
    const std::uint16_t cut[] = {'y', 0xD83C};
    EXPECT_EQ(CTextCodec::Utf16ToUtf8(cut, 2), "y\xEF\xBF\xBD");
}

TEST(CTextCodec, Utf8ValidityAgreesWithIconv)
{
    const std::string samples[] = {
        "plain",         "caf\xC3\xA9",     "\xF0\x9F\x8E\xB5", "\xE2\x82",      "\xC0\xAF",
        "\xED\xA0\x80",  "\xFF",             "a\x80",         "\xE0\x9F\xBF",
        "\xEF\xBF\xBF",  std::string("\0x", 2), "\xC2",          "\xF0\x8F\xBF\xBF",
    };
    for (const std::string &s : samples) {
        SCOPED_TRACE(s);
        std::string ignored;
        const bool valid = Iconv("UTF-8", s, ignored);
        EXPECT_EQ(CTextCodec::IsValidUtf8(s), valid);
        const std::string converted = CTextCodec::Utf8OrLatin1(s);
        EXPECT_TRUE(CTextCodec::IsValidUtf8(converted));
        if (valid) {
            EXPECT_EQ(converted, s);
        }
    }
    // glibc's iconv lets code points past U+10FFFF through; UTF-8 ends there.
    EXPECT_FALSE(CTextCodec::IsValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_TRUE(CTextCodec::IsValidUtf8("\xF4\x8F\xBF\xBF"));
}

TEST(CTextCodec, LeadingNumberAndTrim)
{
    const std::pair<std::string, std::int32_t> numbers[] = {
        {"1999", 1999}, {"2003-05-01", 2003}, {"", 0}, {"abc", 0}, {" 12", 0},
        {"-5", 0},      {"0042", 42},         {"2147483647", 2147483647}, {"99999999999999999999", 2147483647},
    };
    for (const auto &[text, value] : numbers)
        EXPECT_EQ(CTextCodec::LeadingNumber(text), value) << text;
    EXPECT_EQ(CTextCodec::TrimRight("a b  "), "a b");
    EXPECT_EQ(CTextCodec::TrimRight("   "), "");
    EXPECT_EQ(CTextCodec::TrimRight(" x"), " x");
}

} // namespace

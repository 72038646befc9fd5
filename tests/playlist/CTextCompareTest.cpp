#include "playlist/CTextCompare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

struct TextCase {
    const char *a;
    const char *b;
    int expected; // sign
};

TEST(CTextCompare, OrdersCaseInsensitivelyWithEmptyFirst)
{
    const TextCase cases[] = {
        {"abc", "ABC", 0},
        {"", "", 0},
        {"", "a", -1},
        {"", " ", -1},
        {"a", "", 1},
        {"a", "B", -1},          // byte order would put 'B' first
        {"Zebra", "apple", 1},
        {"_x", "ax", -1},        // letters compare as lower case, so '_' (0x5F) sorts before them
        {"abc", "abcd", -1},
        {"ABCD", "abc", 1},
        {"track 10", "Track 9", -1}, // text, not numbers
        {"\xC3\x84pfel", "\xC3\xA4PFEL", 0},                  // Äpfel / äPFEL
        {"\xCE\xA9mega", "\xCF\x89MEGA", 0},                  // Ωmega / ωMEGA
        {"\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6\xD0\xA3\xD0\x9A", 0}, // Жук / жУК
        {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", 0},           // Deseret capital and small long I
        {"\xC3\xA9t\xC3\xA9", "ete", 1},                      // é after e
        {"z", "\xC3\xA4", -1},                                // ä (U+00E4) after z
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(Sign(CTextCompare::Compare(c.a, c.b)), c.expected);
        EXPECT_EQ(Sign(CTextCompare::Compare(c.b, c.a)), -c.expected);
        EXPECT_EQ(CTextCompare::EqualNoCase(c.a, c.b), c.expected == 0);
    }
}

TEST(CTextCompare, InvalidBytesHaveAStableOrderOfTheirOwn)
{
    const TextCase cases[] = {
        {"\xFF", "\xFE", 1},
        {"\xC3", "\xC3\xA4", 1},         // a cut sequence is one odd byte (U+DCC3), after U+00E4
        {"\xC3" "a", "\xC3" "b", -1},       // ...and the text after it still counts
        {"a\xFF", "A\xFF", 0},
        {"\xC0\xAF", "/", 1},            // an overlong '/' is not a '/'
        {"\xED\xA0\x80", "\xED\xA0\x80", 0}, // encoded surrogate: three odd bytes, equal to itself
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.a)) + " | " + testing::PrintToString(std::string(c.b)));
        EXPECT_EQ(Sign(CTextCompare::Compare(c.a, c.b)), c.expected);
        EXPECT_EQ(Sign(CTextCompare::Compare(c.b, c.a)), -c.expected);
    }
    std::size_t pos = 0;
    EXPECT_EQ(CTextCompare::NextCodePoint("\xC3", pos), char32_t{0xDCC3});
    EXPECT_EQ(pos, 1u);
}

// Sorting compares folded keys, matching uses Compare: both must agree on every pair, including
// texts with odd bytes and mixed case.
TEST(CTextCompare, FoldedKeysOrderLikeCompare)
{
    const std::string alphabet[] = {"a", "A", "b", "B", "_", " ", "\xC3\xA4", "\xC3\x84", "\xFF", "\xC3", "\xE2\x82\xAC", "z",
                                   "\xF0\x9F\x98\x80", "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", "\xED\x9F\xBF", "\xEE\x80\x80"};
    std::mt19937 random(7);
    auto make = [&]() {
        std::string s;
        const int length = static_cast<int>(random() % 5);
        for (int i = 0; i < length; ++i)
            s += alphabet[random() % std::size(alphabet)];
        return s;
    };
    for (int i = 0; i < 5000; ++i) {
        const std::string a = make();
        const std::string b = make();
        const int byKey = Sign(CTextCompare::FoldKey(a).compare(CTextCompare::FoldKey(b)));
        ASSERT_EQ(byKey, Sign(CTextCompare::Compare(a, b))) << testing::PrintToString(a) << " vs " << testing::PrintToString(b);
    }
}

} // namespace

#pragma once
// Case-insensitive comparison of UTF-8 text, as the playlist uses it for sorting and for matching
// paths. Both texts are read as Unicode code points, each is case-folded (simple folding), and the
// folded code points are compared in order; a text that is a prefix of the other sorts first, so
// empty text sorts before everything. Bytes that are not valid UTF-8 each stand for one code point
// of their own (U+DC80 to U+DCFF), so any byte string has a fixed, total order.

#include <string>
#include <string_view>

class CTextCompare {
public:
    // Negative, 0 or positive as `a` sorts before, equal to or after `b`.
    static int Compare(std::string_view a, std::string_view b);
    static bool EqualNoCase(std::string_view a, std::string_view b) { return Compare(a, b) == 0; }

    // The folded code points of `text`, written as UTF-8 (odd bytes as the three-byte form of their
    // stand-in code point). UTF-8 keeps code point order under byte comparison, so comparing two keys
    // as plain byte strings gives the same order as Compare, and a sort folds each text only once.
    static std::string FoldKey(std::string_view text);

    // Reads the code point at `pos` and moves `pos` past it (one byte for an invalid sequence).
    static char32_t NextCodePoint(std::string_view text, std::size_t &pos);
    static char32_t Fold(char32_t codePoint);
};

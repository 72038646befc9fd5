#include "playlist/CTextCompare.h"

#include <QChar>

char32_t CTextCompare::NextCodePoint(std::string_view text, std::size_t &pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const char32_t invalid = 0xDC00 + lead;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        ++pos;
        return invalid;
    }
    if (pos + length > text.size()) {
        ++pos;
        return invalid;
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return invalid;
        }
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past the Unicode range are not valid UTF-8.
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return invalid;
    }
    pos += length;
    return value;
}

char32_t CTextCompare::Fold(char32_t codePoint)
{
    if (codePoint < 0x80)
        return (codePoint >= 'A' && codePoint <= 'Z') ? codePoint + ('a' - 'A') : codePoint;
    return QChar::toCaseFolded(codePoint);
}

int CTextCompare::Compare(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = Fold(NextCodePoint(a, i));
        const char32_t cb = Fold(NextCodePoint(b, j));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

std::string CTextCompare::FoldKey(std::string_view text)
{
    std::string key;
    key.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char32_t c = Fold(NextCodePoint(text, pos));
        if (c < 0x80) {
            key.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            key.push_back(static_cast<char>(0xC0 | (c >> 6)));
            key.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            key.push_back(static_cast<char>(0xE0 | (c >> 12)));
            key.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            key.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            key.push_back(static_cast<char>(0xF0 | (c >> 18)));
            key.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            key.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            key.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return key;
}

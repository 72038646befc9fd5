#include "cd/CFreedbEntry.h"

#include "cd/CDiscRecord.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

// Length of the UTF-8 sequence at `i`, or 0 when it is not a valid one (overlong forms, surrogates
// and code points above U+10FFFF are invalid).
std::size_t SequenceLength(std::string_view s, std::size_t i, char32_t *code = nullptr)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    std::size_t n;
    char32_t c;
    if (b < 0x80) {
        n = 1;
        c = b;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if ((n == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    if (code)
        *code = c;
    return n;
}

bool IsValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = SequenceLength(s, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// The number after a key's prefix (TTITLE12 gives 12), or -1.
int KeyNumber(std::string_view key, std::string_view prefix)
{
    if (key.substr(0, prefix.size()) != prefix || key.size() == prefix.size() || key.size() > prefix.size() + 3)
        return -1;
    int n = 0;
    for (char c : key.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

std::string CFreedbEntry::DecodeText(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string CFreedbEntry::DropControls(std::string_view utf8)
{
    const std::string text = DecodeText(utf8);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        const std::size_t n = SequenceLength(text, i, &c);
        if (!(c < 32 || (c >= 127 && c <= 159)))
            out.append(text, i, n);
        i += n;
    }
    return out;
}

std::string CFreedbEntry::UnescapeToBlanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 't' || next == 'n' || next == '\\') {
                out.push_back(next == '\\' ? '\\' : ' ');
                ++i;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

void CFreedbEntry::Parse(std::string_view entryText, CDiscRecord &record)
{
    record.Clear(false);
    std::string title, year, genre, extd;
    std::array<std::string, CDiscRecord::kSlots> titles, extts;
    while (!entryText.empty()) {
        std::size_t end = entryText.find('\n');
        std::string_view line = entryText.substr(0, end);
        entryText.remove_prefix(end == std::string_view::npos ? entryText.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0 || line[0] == '#')
            continue;
        const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        int n;
        if (key == "DTITLE")
            title += value;
        else if (key == "DYEAR")
            year += value;
        else if (key == "DGENRE")
            genre += value;
        else if (key == "EXTD")
            extd += value;
        else if ((n = KeyNumber(key, "TTITLE")) >= 0 && n < 99)
            titles[n + 1] += value;
        else if ((n = KeyNumber(key, "EXTT")) >= 0 && n < 99)
            extts[n + 1] += value;
    }
    // Fields are decoded and unescaped once joined: a continuation line may cut a character or an
    // escape in two.
    title = UnescapeToBlanks(DecodeText(title));
    const std::size_t split = title.find(" / ");
    if (split != std::string::npos && split > 0) {
        record.m_strArtist = title.substr(0, split);
        record.m_strDiscTitle = title.substr(split + 3);
    } else {
        record.m_strArtist = record.m_strDiscTitle = title;
    }
    record.m_strYear = DecodeText(year);
    record.m_strGenre = UnescapeToBlanks(DecodeText(genre));
    record.m_strExtd = DecodeText(extd);
    for (int t = 1; t < CDiscRecord::kSlots; ++t) {
        record.m_strTitle[t] = UnescapeToBlanks(DecodeText(titles[t]));
        record.m_strExtt[t] = DecodeText(extts[t]);
    }
}

std::string CFreedbEntry::FormatField(std::string_view key, std::string_view value, bool keepEscapes)
{
    std::string text = DropControls(value);
    if (!keepEscapes) {
        std::string doubled;
        for (char c : text) {
            doubled.push_back(c);
            if (c == '\\')
                doubled.push_back('\\');
        }
        text = std::move(doubled);
    }
    const std::size_t piece = key.size() < 79 ? 79 - key.size() : 1; // 80 with the '='
    std::string out;
    std::size_t i = 0;
    do {
        // Whole characters only, so a piece never ends inside a UTF-8 sequence.
        std::size_t end = i, chars = 0;
        while (end < text.size() && chars < piece) {
            end += SequenceLength(text, end);
            ++chars;
        }
        out.append(key).append("=").append(text, i, end - i).append("\r\n");
        i = end;
    } while (i < text.size());
    return out;
}

CFreedbEntry::Built CFreedbEntry::BuildXmcdEntry(const CDiscRecord &record)
{
    Built built;
    const int tracks = std::min(record.m_nTocTracks, CDiscRecord::kSlots - 2);
    std::string &b = built.body;
    b = "# xmcd\r\n#\r\n# Track frame offsets:\r\n";
    for (int i = 0; i < tracks; ++i)
        b += "#\t" + std::to_string(record.m_nOffset[i]) + "\r\n";
    b += "#\r\n# Disc length: " + std::to_string(record.m_nOffset[tracks] / 75) + " seconds\r\n#\r\n";
    b += "# Revision: 0\r\n# Submitted via: " + std::string(kClientName) + " " + kClientVersion + "\r\n#\r\n";
    char id[16];
    std::snprintf(id, sizeof id, "%08x", record.m_nDiscId);
    b += "DISCID=" + std::string(id) + "\r\n";

    const auto noSlash = [](std::string s) {
        for (std::size_t p; (p = s.find(" / ")) != std::string::npos;)
            s.replace(p, 3, "/");
        return s;
    };
    const std::string title = noSlash(DropControls(record.m_strDiscTitle));
    if (title.empty())
        return {Missing::DiscTitle, 0, {}};
    const std::string artist = record.m_strArtist.empty() ? title : noSlash(DropControls(record.m_strArtist));
    b += FormatField("DTITLE", artist + " / " + title, false);
    const std::string year = record.m_strYear.substr(0, 4);
    if (std::atoi(year.c_str()) < 1)
        return {Missing::Year, 0, {}};
    b += FormatField("DYEAR", year, false);
    if (DropControls(record.m_strGenre).empty())
        return {Missing::Genre, 0, {}};
    b += FormatField("DGENRE", record.m_strGenre, false);
    for (int t = 1; t <= tracks; ++t) {
        const std::string key = "TTITLE" + std::to_string(t - 1);
        if (record.m_nLength[t] == 0) {
            b += FormatField(key, "Data Track", false);
            continue;
        }
        if (DropControls(record.m_strTitle[t]).empty())
            return {Missing::TrackTitle, t, {}};
        b += FormatField(key, record.m_strTitle[t], false);
    }
    b += FormatField("EXTD", record.m_strExtd, true);
    for (int t = 1; t <= tracks; ++t)
        b += FormatField("EXTT" + std::to_string(t - 1), record.m_strExtt[t], true);
    b += "PLAYORDER=\r\n";
    return built;
}

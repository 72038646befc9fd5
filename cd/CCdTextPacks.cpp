#include "cd/CCdTextPacks.h"

#include "cd/CDiscRecord.h"

#include <algorithm>

void CCdTextPacks::Walk(const std::uint8_t *reply, std::size_t size, CDiscRecord &record)
{
    if (!reply || size < 4)
        return;
    const int length = (reply[0] << 8 | reply[1]) - 2;
    if (length <= 0)
        return;
    const std::size_t available = std::min<std::size_t>(static_cast<std::size_t>(length), size - 4);
    const std::size_t packs = available / kPackBytes;
    std::string text;
    for (std::size_t p = 0; p < packs; ++p) {
        const std::uint8_t *pack = reply + 4 + p * kPackBytes;
        if (pack[3] & 0x80) {
            text.clear();
            continue;
        }
        int track = pack[1] & 0x7F;
        for (int b = 4; b < 16; ++b) {
            if (pack[b] != 0) {
                text.push_back(static_cast<char>(pack[b]));
                continue;
            }
            if (text.empty())
                continue;
            const bool disc = track == 0 || track > 100;
            if (pack[0] == kTitle) {
                (disc ? record.m_strDiscTitle : record.m_strTitle[track]) = text;
            } else if (pack[0] == kPerformer) {
                if (disc)
                    record.m_strArtist = text;
                else if (!record.m_strTitle[track].empty())
                    record.m_strTitle[track] = text + " - " + record.m_strTitle[track];
                else
                    record.m_strTitle[track] = text;
            }
            text.clear();
            ++track;
        }
    }
}

// Strings of one pack type, track after track; a track without text starts a fresh pack at the
// next track with text, because the walker skips empty strings without counting a track.
static void BuildType(std::uint8_t type, const std::array<std::string, 100> &strings, int lastTrack,
                      std::vector<std::uint8_t> &out, std::uint8_t &sequence)
{
    std::uint8_t pack[CCdTextPacks::kPackBytes] = {};
    int used = 0; // text bytes in the pack being built
    bool open = false;
    auto flush = [&] {
        if (!open)
            return;
        out.insert(out.end(), pack, pack + CCdTextPacks::kPackBytes);
        open = false;
        used = 0;
    };
    auto start = [&](int track) {
        std::fill(std::begin(pack), std::end(pack), std::uint8_t{0});
        pack[0] = type;
        pack[1] = static_cast<std::uint8_t>(track & 0x7F);
        pack[2] = sequence++;
        open = true;
        used = 0;
    };
    int expected = -1; // track the next byte of an open pack would belong to
    for (int t = 0; t <= lastTrack && t < 100; ++t) {
        // Text bytes that would read back wrongly (a 0 byte ends the string early) are dropped.
        std::string s;
        for (char c : strings[t])
            if (c != 0)
                s.push_back(c);
        if (s.empty())
            continue;
        if (open && expected != t)
            flush();
        s.push_back('\0');
        for (char c : s) {
            if (!open)
                start(t);
            pack[4 + used++] = static_cast<std::uint8_t>(c);
            if (used == 12)
                flush();
        }
        expected = t + 1;
    }
    flush();
}

std::vector<std::uint8_t> CCdTextPacks::Build(const Texts &texts)
{
    std::vector<std::uint8_t> out(4, 0);
    std::uint8_t sequence = 0;
    BuildType(kTitle, texts.title, texts.lastTrack, out, sequence);
    BuildType(kPerformer, texts.performer, texts.lastTrack, out, sequence);
    if (out.size() == 4)
        return {};
    const std::size_t length = out.size() - 4 + 2;
    if (length > 0xFFFF)
        out.resize(4 + (0xFFFF - 2) / kPackBytes * kPackBytes);
    const std::size_t stored = out.size() - 4 + 2;
    out[0] = static_cast<std::uint8_t>(stored >> 8);
    out[1] = static_cast<std::uint8_t>(stored & 0xFF);
    return out;
}

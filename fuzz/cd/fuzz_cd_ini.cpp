// cd.ini and cdplayer.ini text from untrusted files, with the order values in it: any text must read
// without a crash, and what a section gave, saved and read back, must come back as it was.

#include "cd/CDiscRecord.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

CDiscRecord Disc()
{
    CDiscRecord r;
    r.m_nDiscId = 0x7A0B5C09;
    r.m_nFirstTrack = 1;
    r.m_nTocTracks = r.m_nAudioTracks = 99;
    for (int t = 1; t <= 99; ++t) {
        r.m_nLength[t] = t;
        r.m_bChecked[t] = 1;
        r.m_nOrder[t - 1] = t;
    }
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string key = CDiscRecord::SectionKey(0x7A0B5C09);
    CDiscRecord brackets = Disc();
    brackets.ReadSection(text, '[', ']', "12345");
    CDiscRecord first = Disc();
    if (!first.ReadSection("<" + key + ">\n" + text, '<', '>', key))
        std::abort();

    const std::string saved = first.SaveText(text);
    CDiscRecord second = Disc();
    if (!second.ReadSection(saved, '<', '>', key))
        std::abort();
    for (int t = 1; t <= 99; ++t)
        if (second.m_strTitle[t] != first.m_strTitle[t] || second.m_strExtt[t] != first.m_strExtt[t])
            std::abort();
    if (second.m_strArtist != first.m_strArtist || second.m_strDiscTitle != first.m_strDiscTitle ||
        second.m_strGenre != first.m_strGenre || second.m_strYear != first.m_strYear ||
        second.m_strExtd != first.m_strExtd || second.m_nOrder != first.m_nOrder ||
        second.m_bChecked != first.m_bChecked)
        std::abort();
    return 0;
}

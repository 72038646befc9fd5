// CD-Text replies from untrusted drives and sheets: any bytes must walk without a crash, and the
// titles a walk found, built back into packs, must walk back to the same titles.

#include "cd/CCdTextPacks.h"
#include "cd/CDiscRecord.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    CDiscRecord first;
    CCdTextPacks::Walk(data, size, first);

    CCdTextPacks::Texts texts;
    texts.lastTrack = 99;
    texts.title[0] = first.m_strDiscTitle;
    texts.performer[0] = first.m_strArtist;
    for (int t = 1; t <= 99; ++t)
        texts.title[t] = first.m_strTitle[t];
    const std::vector<std::uint8_t> reply = CCdTextPacks::Build(texts);
    CDiscRecord second;
    CCdTextPacks::Walk(reply.data(), reply.size(), second);
    if (second.m_strDiscTitle != first.m_strDiscTitle || second.m_strArtist != first.m_strArtist)
        std::abort();
    for (int t = 1; t <= 99; ++t)
        if (second.m_strTitle[t] != first.m_strTitle[t])
            std::abort();
    return 0;
}

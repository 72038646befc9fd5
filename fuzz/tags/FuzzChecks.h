#pragma once
// Checks that every reading of a file must pass whatever the bytes were. A failed check stops the
// fuzzer with the input that caused it.

#include "fuzz/tags/FuzzCheck.h"
#include "tags/CGenreTable.h"
#include "tags/CTextCodec.h"
#include "core/CPlaylistEntry.h"
#include "tags/CTrackInfo.h"

#include <cstdio>
#include <cstdlib>

// Texts are UTF-8 for the list and the windows; a genre is one of the table's names or empty.
inline void CheckTexts(const CTrackInfo &info)
{
    FUZZ_CHECK(CTextCodec::IsValidUtf8(info.GetTitle()));
    FUZZ_CHECK(CTextCodec::IsValidUtf8(info.GetArtist()));
    FUZZ_CHECK(CTextCodec::IsValidUtf8(info.GetAlbum()));
    FUZZ_CHECK(CTextCodec::IsValidUtf8(info.GetGenre()));
    FUZZ_CHECK(CTextCodec::IsValidUtf8(info.GetComment()));
    // A recognised file always has a title: its name stands in for a missing one. (A WAV file whose
    // header is refused is reset to unknown with every field, the title included, cleared.)
    if (info.GetType() != 0)
        FUZZ_CHECK(!info.GetTitle().empty());
}

// Module results: an order cannot start after the song has ended.
inline void CheckOrderTimes(const CTrackInfo::OrderTimes &times, std::uint32_t lengthSeconds)
{
    for (std::uint16_t start : times)
        FUZZ_CHECK(start <= lengthSeconds);
}

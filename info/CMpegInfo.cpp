#include "info/CMpegInfo.h"

#include "info/CGenreList.h"
#include "tags/CTrackInfo.h"

#include <algorithm>

std::string CMpegInfo::Text(const CTrackInfo &info)
{
    const std::uint32_t seconds = info.GetLength();
    std::string out = "Length:\t";
    if (seconds >= 60)
        out += std::to_string(seconds / 60) + " min ";
    out += std::to_string(seconds % 60) + " sec\nFilesize:\t" + std::to_string(info.GetSize()) + " bytes\nFrames:\t" +
           std::to_string(info.GetMpegFrames()) + "\nType:\t";
    switch (info.GetMpegVersion()) {
    case 3: out += "MPEG 1 "; break;
    case 2: out += "MPEG 2 "; break;
    case 0: out += "MPEG 2.5 "; break;
    default: break;
    }
    switch (info.GetMpegLayer()) {
    case 3: out += "Layer 1"; break;
    case 2: out += "Layer 2"; break;
    case 1: out += "Layer 3"; break;
    default: break;
    }
    out += "\nSamp:\t" + std::to_string(info.GetFrequency()) + " Hz\nBitrate:\t" + std::to_string(info.GetBitrate());
    out += info.IsVbr() ? " kbps [VBR]\nMode:\t" : " kbps\nMode:\t";
    return out + info.GetChannelMode();
}

CTagFields CMpegInfo::Fields(const CTrackInfo &info)
{
    const std::vector<std::string> genres = CGenreList::Sorted(true);
    CTagFields out;
    out.genre = genres.front();
    if (!info.HasId3v1())
        return out;
    out.title = info.GetTitle();
    out.artist = info.GetArtist();
    out.album = info.GetAlbum();
    out.comment = info.GetComment();
    if (info.GetYear() != 0)
        out.year = std::to_string(info.GetYear());
    if (std::find(genres.begin(), genres.end(), info.GetGenre()) != genres.end())
        out.genre = info.GetGenre();
    return out;
}

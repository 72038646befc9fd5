#include "playlist/CPlaylistCellText.h"

#include "playlist/CPlaylistSorter.h"
#include "playlist/PlaylistColumn.h"

#include <algorithm>

namespace {

std::string NumberOrEmpty(std::int32_t value, const char *suffix)
{
    return value == 0 ? std::string() : std::to_string(value) + suffix;
}

} // namespace

std::string CPlaylistCellText::SizeText(std::uint32_t bytes)
{
    std::string text;
    if (bytes < 1024000u) {
        text = std::to_string(bytes / 1024) + "." + std::to_string(((bytes % 1024) * 100 / 1024) / 10) + " Kb";
    } else {
        const std::uint32_t k = bytes / 1024;
        const std::uint32_t hundredths = (k % 1024) * 100 / 1024;
        text = std::to_string(k / 1024) + ".";
        text += static_cast<char>('0' + hundredths / 10);
        text += static_cast<char>('0' + hundredths % 10);
        text += " Mb";
    }
    return text;
}

std::string CPlaylistCellText::DurationText(std::int32_t seconds, bool loops)
{
    const int t = std::clamp(seconds, 0, 35999);
    std::string text;
    int rest = t;
    if (t >= 3600) {
        text += static_cast<char>('0' + t / 3600);
        text += ':';
        rest = t % 3600;
        if (rest < 600)
            text += '0';
    }
    if (rest >= 600)
        text += static_cast<char>('0' + rest / 600);
    text += static_cast<char>('0' + (rest / 60) % 10);
    text += ':';
    text += static_cast<char>('0' + (rest % 60) / 10);
    text += static_cast<char>('0' + rest % 10);
    if (loops)
        text += '+';
    return text;
}

const char *CPlaylistCellText::TypeText(std::int32_t type)
{
    switch (type) {
    case kTypeMod4:
    case kTypeMod6:
    case kTypeMod8: return "MOD";
    case kTypeS3m: return "S3M";
    case kTypeXm: return "XM";
    case kTypeIt: return "IT";
    case kTypeMpeg: return "MP3";
    case kTypeWav: return "WAV";
    case kTypeOgg: return "OGG";
    case kTypeWma: return "WMA";
    case kTypeFlac: return "FLAC";
    default: return "";
    }
}

std::string CPlaylistCellText::Cut(std::string text)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (chars == kMaxCellChars) {
            text.resize(i);
            break;
        }
        ++chars;
    }
    return text;
}

std::string CPlaylistCellText::Text(const CPlaylistEntry &entry, int column)
{
    switch (column) {
    case kColumnFilename: return Cut(std::string(CPlaylistSorter::FileName(entry.m_strPath)));
    case kColumnArtist: return Cut(entry.m_strArtist);
    case kColumnTitle: return Cut(entry.m_strTitle);
    case kColumnAlbum: return Cut(entry.m_strAlbum);
    case kColumnGenre: return Cut(entry.m_strGenre);
    case kColumnYear: return NumberOrEmpty(entry.m_nYear, "");
    case kColumnType: return TypeText(entry.m_nType);
    case kColumnBitrate: return NumberOrEmpty(entry.m_nBitrate, " kbps");
    case kColumnFrequency: return NumberOrEmpty(entry.m_nFrequency, " Hz");
    case kColumnChannels: return NumberOrEmpty(entry.m_nChannels, "");
    case kColumnFilesize: return entry.m_nSize == 0 ? std::string() : SizeText(entry.m_nSize);
    case kColumnDuration:
        return entry.m_nDuration == 0 ? std::string()
                                      : DurationText(entry.m_nDuration, IsModuleType(entry.m_nType) && entry.m_bLoops);
    case kColumnFilepath: return Cut(entry.m_strPath);
    default: return {};
    }
}

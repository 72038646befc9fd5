#include "playlist/IEntryIdentifier.h"

#include <utility>

bool IEntryIdentifier::Complete(CPlaylistEntry &entry, std::int32_t type)
{
    if (type >= kTypeMod4 && type <= kTypeCdTrack) {
        entry.m_nType = type;
        return true;
    }
    CPlaylistEntry fromFile;
    if (!Identify(entry.m_strPath, fromFile) || fromFile.m_nType == kTypeUnknown)
        return false;
    KeepKnownFields(entry, fromFile);
    entry = std::move(fromFile);
    return true;
}

void IEntryIdentifier::KeepKnownFields(const CPlaylistEntry &line, CPlaylistEntry &fromFile)
{
    fromFile.m_strPath = line.m_strPath;
    if (!line.m_strTitle.empty())
        fromFile.m_strTitle = line.m_strTitle;
    if (line.m_nDuration != 0)
        fromFile.m_nDuration = line.m_nDuration;
    if (line.m_nChannels != 0)
        fromFile.m_nChannels = line.m_nChannels;
    if (!line.m_strArtist.empty())
        fromFile.m_strArtist = line.m_strArtist;
    if (!line.m_strAlbum.empty())
        fromFile.m_strAlbum = line.m_strAlbum;
    if (!line.m_strGenre.empty())
        fromFile.m_strGenre = line.m_strGenre;
    if (line.m_nBitrate != 0)
        fromFile.m_nBitrate = line.m_nBitrate;
    if (line.m_nFrequency != 0)
        fromFile.m_nFrequency = line.m_nFrequency;
    if (line.m_nYear != 0)
        fromFile.m_nYear = line.m_nYear;
    if (line.m_nSize != 0)
        fromFile.m_nSize = line.m_nSize;
    if (line.m_bLoops)
        fromFile.m_bLoops = true;
    if (line.m_nMixing != 0)
        fromFile.m_nMixing = line.m_nMixing;
    if (line.m_nPanning != 0)
        fromFile.m_nPanning = line.m_nPanning;
}

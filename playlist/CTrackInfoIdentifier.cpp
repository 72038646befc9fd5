#include "playlist/CTrackInfoIdentifier.h"

#include "core/CPlaylistEntry.h"

#include <memory>
#include <utility>

bool CTrackInfoIdentifier::Identify(const std::string &path, CPlaylistEntry &entry)
{
    m_reader.Reset();
    m_reader.SetPath(path);
    if (m_reader.Read(m_pWma) == kTypeUnknown)
        return false;
    m_reader.CopyToEntry(entry);
    return true;
}

std::unique_ptr<IEntryIdentifier> CTrackInfoIdentifier::CloneForWorker() const
{
    return std::make_unique<CTrackInfoIdentifier>(m_pWma);
}

bool CTrackInfoIdentifier::Complete(CPlaylistEntry &entry, std::int32_t type)
{
    if (type < kTypeMod4 || type > kTypeCdTrack)
        return IEntryIdentifier::Complete(entry, type);

    m_reader.Reset();
    m_reader.SetPath(entry.m_strPath);
    m_reader.DetectType(type);
    m_reader.ReadTitle(entry.m_strTitle);
    m_reader.ReadLength(entry.m_nDuration > 0 ? static_cast<std::uint32_t>(entry.m_nDuration) : 0);
    CPlaylistEntry fromFile;
    m_reader.CopyToEntry(fromFile);
    // A module's length scan also finds its channels and whether it loops; the line's values win.
    // The reader gives up on a file whose length it had to read and could not (type 0 then).
    if (fromFile.m_nType == kTypeUnknown)
        return false;
    KeepKnownFields(entry, fromFile);
    entry = std::move(fromFile);
    return true;
}

#include "cd/CCdDiscs.h"

#include "cd/CCdReader.h"

#include <algorithm>

CCdDiscs::CCdDiscs(CCdDriveList drives, Folders folders)
    : m_drives(std::move(drives)), m_folders(std::move(folders))
{
    for (const CCdDriveList::Drive &drive : m_drives.Drives()) {
        CDiscRecord record;
        record.m_strProgramFolder = m_folders.program;
        record.m_strUserFolder = m_folders.user;
        record.m_strSystemFolder = m_folders.system;
        record.m_cDrive = drive.letter;
        record.m_bCdText = drive.cdText ? 1 : 0;
        m_records.push_back(record);
    }
    m_tokens.assign(m_records.size(), 0);
    m_revisions.assign(m_records.size(), 0);
    m_queryRevision.assign(m_records.size(), ~std::uint64_t(0));
}

void CCdDiscs::SetRecord(int drive, const CDiscRecord &record)
{
    if (drive >= 0 && drive < Count()) {
        m_records[drive] = record;
        ++m_revisions[drive];
    }
}

bool CCdDiscs::ReadDisc(CDiscRecord &record, CDiscRecord *unknown) const
{
    record.Clear(true);
    CCdReader reader(m_drives);
    if (!reader.OpenDrive(record.m_cDrive))
        return false;
    record.m_nTocTracks = reader.GetTrackCount();
    record.m_nFirstTrack = reader.GetFirstTrack();
    // Lengths by track number up to the last track (a disc may start above track 1), addresses by
    // TOC entry up to the lead-out.
    const int lastTrack = std::min(record.m_nFirstTrack + record.m_nTocTracks - 1, CDiscRecord::kSlots - 1);
    std::uint32_t frames = 0;
    int next = 0;
    for (int t = 0; t <= std::max(lastTrack, record.m_nTocTracks) && t < CDiscRecord::kSlots; ++t) {
        if (t <= record.m_nTocTracks)
            record.m_nOffset[t] = static_cast<std::int32_t>(reader.GetEntryAddress(t));
        const std::uint32_t length = reader.GetTrackLength(t);
        if (length == 0)
            continue;
        frames += length;
        record.m_nLength[t] = static_cast<std::int32_t>(length / 75);
        record.m_nOrder[next++] = t;
        record.m_bChecked[t] = 1;
        ++record.m_nAudioTracks;
    }
    const std::uint32_t discId = reader.GetDiscId();
    reader.Close();
    if (record.m_nAudioTracks == 0) {
        record.m_nTocTracks = 0;
        return false;
    }
    record.m_nDiscLength = static_cast<std::int32_t>(frames / 75);
    record.m_nDiscId = discId;
    if (record.Lookup(CDiscRecord::kUserCdIni, &m_drives) || record.Lookup(CDiscRecord::kProgramCdIni, &m_drives))
        return false;
    if (unknown)
        *unknown = record;
    record.Lookup(CDiscRecord::kCdPlayerIni, &m_drives);
    return true;
}

void CCdDiscs::RefreshDrive(int drive)
{
    if (drive < 0 || drive >= Count())
        return;
    CDiscRecord record = m_records[drive];
    record.Save();
    CDiscRecord unknown;
    const bool query = ReadDisc(record, &unknown) && m_bAutoQuery && m_autoQuery;
    m_records[drive] = record;
    m_queryRevision[drive] = ++m_revisions[drive];
    if (m_refreshed)
        m_refreshed(drive);
    if (query)
        m_autoQuery(drive, unknown);
}

bool CCdDiscs::TakeQueried(int drive, const CDiscRecord &record)
{
    if (drive < 0 || drive >= Count() || record.m_nDiscId == 0 || m_records[drive].m_nDiscId != record.m_nDiscId ||
        m_revisions[drive] != m_queryRevision[drive])
        return false;
    m_records[drive] = record;
    m_queryRevision[drive] = ~std::uint64_t(0);
    ++m_revisions[drive];
    if (m_refreshed)
        m_refreshed(drive);
    return true;
}

void CCdDiscs::RefreshAll()
{
    for (int d = 0; d < Count(); ++d)
        RefreshDrive(d);
}

void CCdDiscs::SaveAll() const
{
    for (const CDiscRecord &record : m_records)
        record.Save();
}

int CCdDiscs::PollMedia()
{
    int refreshed = 0;
    for (int d = 0; d < Count(); ++d) {
        const std::uint64_t token = m_drives.MediaToken(m_drives.Drives()[d].letter);
        if (m_bPolled && token != m_tokens[d]) {
            m_tokens[d] = token;
            RefreshDrive(d);
            ++refreshed;
        }
        m_tokens[d] = token;
    }
    m_bPolled = true;
    return refreshed;
}

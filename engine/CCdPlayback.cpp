#include "engine/CCdPlayback.h"

#include "playlist/CPlayerDoc.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

CCdPlayback::CCdPlayback(CPlayerDoc &doc, CCdDriveList drives, CCdDiscs::Folders folders)
    : m_doc(doc), m_folders(std::move(folders)), m_discs(std::make_unique<CCdDiscs>(std::move(drives), m_folders)),
      m_reader(std::make_unique<CCdReader>(m_discs->Drives()))
{
    m_discs->SetRefreshed([this](int drive) { Changed(drive); });
    m_discs->SetAutoQueryEnabled(doc.autoquery != 0);
    m_reader->SetPriority(doc.cdpriority);
    TakeSnapshot();
}

void CCdPlayback::SetAutoQuery(CCdDiscs::AutoQuery query)
{
    m_autoQuery = std::move(query);
    m_discs->SetAutoQuery(m_autoQuery);
}

void CCdPlayback::SetAutoQueryEnabled(bool on)
{
    m_discs->SetAutoQueryEnabled(on);
}

CCdPlayback::~CCdPlayback()
{
    m_reader->Close();
}

char CCdPlayback::DriveLetter(int drive) const
{
    return drive >= 0 && drive < DriveCount() ? m_discs->Drives().Drives()[drive].letter : 0;
}

void CCdPlayback::SetRecord(int drive, const CDiscRecord &record)
{
    if (drive < 0 || drive >= DriveCount())
        return;
    m_discs->SetRecord(drive, record);
    Changed(drive);
}

bool CCdPlayback::SaveEdited(int drive, const CDiscRecord &edited)
{
    if (drive < 0 || drive >= DriveCount())
        return false;
    if (Record(drive).m_nDiscId != edited.m_nDiscId) {
        edited.Save();
        return false;
    }
    SetRecord(drive, edited);
    return true;
}

void CCdPlayback::RefreshAll()
{
    m_discs->RefreshAll();
}

void CCdPlayback::RefreshDrive(int drive)
{
    m_discs->RefreshDrive(drive);
}

int CCdPlayback::PollMedia()
{
    return m_discs->PollMedia();
}

void CCdPlayback::ReplaceDrives(CCdDriveList drives)
{
    m_reader->Close();
    m_discs->SaveAll();
    // The reader holds the old list as its opener: it goes first.
    m_reader.reset();
    const bool autoQuery = m_discs->AutoQueryEnabled();
    m_discs = std::make_unique<CCdDiscs>(std::move(drives), m_folders);
    m_discs->SetRefreshed([this](int drive) { Changed(drive); });
    m_discs->SetAutoQuery(m_autoQuery);
    m_discs->SetAutoQueryEnabled(autoQuery);
    m_reader = std::make_unique<CCdReader>(m_discs->Drives());
    m_reader->SetPriority(m_doc.cdpriority);
    m_cLastDrive = 0;
    m_discs->RefreshAll();
    TakeSnapshot();
    if (m_listener)
        m_listener(-1);
}

int CCdPlayback::OpenImage(const std::string &path)
{
    std::error_code error;
    const std::string canonical = std::filesystem::weakly_canonical(path, error).string();
    const std::string source = error || canonical.empty() ? path : canonical;
    const int known = m_discs->Drives().IndexOfSource(source);
    if (known >= 0) {
        RefreshDrive(known);
        return known;
    }
    std::vector<std::string> devices;
    for (const CCdDriveList::Drive &drive : m_discs->Drives().Drives()) {
        if (!drive.image)
            devices.push_back(drive.source);
    }
    std::vector<std::string> images = m_doc.cdimages;
    images.push_back(source);
    while (images.size() > CPlayerSettings::kMaxCdImages)
        images.erase(images.begin());
    m_doc.cdimages = images;
    ReplaceDrives(CCdDriveList(devices, images));
    return m_discs->Drives().IndexOfSource(source);
}

void CCdPlayback::RemoveImage(int drive)
{
    if (drive < 0 || drive >= DriveCount() || !m_discs->Drives().Drives()[static_cast<std::size_t>(drive)].image)
        return;
    const std::string source = m_discs->Drives().Drives()[static_cast<std::size_t>(drive)].source;
    std::vector<std::string> devices;
    std::vector<std::string> images;
    for (const CCdDriveList::Drive &d : m_discs->Drives().Drives()) {
        if (!d.image)
            devices.push_back(d.source);
    }
    for (const std::string &image : m_doc.cdimages) {
        std::error_code error;
        const std::string canonical = std::filesystem::weakly_canonical(image, error).string();
        if ((error ? image : canonical) != source)
            images.push_back(image);
    }
    m_doc.cdimages = images;
    ReplaceDrives(CCdDriveList(devices, images));
}

void CCdPlayback::Changed(int drive)
{
    TakeSnapshot();
    if (m_listener)
        m_listener(drive);
}

void CCdPlayback::TakeSnapshot()
{
    std::array<Snapshot, CCdDriveList::kMaxDrives> fresh{};
    for (int d = 0; d < DriveCount() && d < CCdDriveList::kMaxDrives; ++d) {
        const CDiscRecord &record = m_discs->Record(d);
        fresh[d].letter = DriveLetter(d);
        fresh[d].order = record.m_nOrder;
        fresh[d].checked = record.m_bChecked;
        fresh[d].length = record.m_nLength;
    }
    std::lock_guard lock(m_snapshotMutex);
    m_snapshot = fresh;
}

bool CCdPlayback::TrackEntry(char letter, int track, CPlaylistEntry &entry) const
{
    const int drive = DriveIndex(letter);
    if (drive < 0 || track <= 0 || track >= CDiscRecord::kSlots)
        return false;
    const CDiscRecord &record = m_discs->Record(drive);
    if (record.m_nLength[track] <= 0)
        return false;
    entry = CPlaylistEntry();
    entry.m_nType = kTypeCdTrack;
    entry.m_strPath = std::to_string(track);
    entry.m_strTitle = record.m_strTitle[track];
    entry.m_strArtist = record.m_strArtist;
    entry.m_strAlbum = record.m_strDiscTitle;
    entry.m_strGenre = record.m_strGenre;
    entry.m_nYear = std::atoi(record.m_strYear.c_str());
    entry.m_nDuration = record.m_nLength[track];
    entry.m_nChannels = 2;
    entry.m_nFrequency = 44100;
    entry.m_nBitrate = 1411;
    return true;
}

int CCdPlayback::DriveIndexOfDevice(const std::string &path) const
{
    const int drive = m_discs->Drives().IndexOfSource(path);
    return drive >= 0 && !m_discs->Drives().Drives()[static_cast<std::size_t>(drive)].image ? drive : -1;
}

bool CCdPlayback::Open(char driveLetter, int track, int startSeconds, bool floatOutput)
{
    const char letter = driveLetter ? driveLetter : m_cLastDrive;
    if (letter == 0 || DriveIndex(letter) < 0)
        return false;
    if (!m_reader->Start(letter, track, startSeconds, floatOutput))
        return false;
    m_cLastDrive = letter;
    m_nPlayingTrack.store(track, std::memory_order_release);
    m_cPlayingDrive.store(letter, std::memory_order_release);
    return true;
}

std::uint32_t CCdPlayback::Read(void *buffer, std::uint32_t length)
{
    return m_reader->Read(buffer, length);
}

void CCdPlayback::Close()
{
    m_reader->Close();
    m_cPlayingDrive.store(0, std::memory_order_release);
    m_nPlayingTrack.store(0, std::memory_order_release);
}

int CCdPlayback::NextGaplessTrack()
{
    const char letter = PlayingDrive();
    const int track = PlayingTrack();
    if (letter == 0 || track == 0)
        return -1;
    const bool wrap = m_doc.RepeatList();
    std::lock_guard lock(m_snapshotMutex);
    for (const Snapshot &drive : m_snapshot) {
        if (drive.letter == letter)
            return NextInOrder(drive.order, drive.checked, drive.length, track, wrap);
    }
    return -1;
}

int CCdPlayback::NextInOrder(const std::array<std::int32_t, CDiscRecord::kSlots> &order,
                             const std::array<std::int32_t, CDiscRecord::kSlots> &checked,
                             const std::array<std::int32_t, CDiscRecord::kSlots> &length, int track, bool wrap)
{
    auto playable = [&](int t) { return t > 0 && t < CDiscRecord::kSlots && checked[t] != 0 && length[t] > 0; };
    int count = 0;
    while (count < CDiscRecord::kSlots && order[count] != 0)
        ++count;
    const int at = static_cast<int>(std::find(order.begin(), order.begin() + count, track) - order.begin());
    if (at == count)
        return -1;
    for (int i = at + 1; i < count; ++i)
        if (playable(order[i]))
            return order[i];
    if (!wrap)
        return -1;
    for (int i = 0; i <= at; ++i)
        if (playable(order[i]))
            return order[i];
    return -1;
}

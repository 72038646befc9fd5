#include "cd/CCdToc.h"

int CCdToc::GetTrackCount() const
{
    if (FirstTrack == 0 || LastTrack < FirstTrack || LastTrack > 99)
        return 0;
    return LastTrack - FirstTrack + 1;
}

std::uint32_t CCdToc::GetEntryAddress(int index) const
{
    if (index < 0 || index > GetTrackCount() || index >= kMaxEntries)
        return 0;
    const CdTocEntry &e = TrackData[index];
    return e.m * 4500u + e.s * 75u + e.f;
}

std::uint32_t CCdToc::GetEntrySeconds(int index) const
{
    if (index < 0 || index > GetTrackCount() || index >= kMaxEntries)
        return 0;
    return TrackData[index].m * 60u + TrackData[index].s;
}

bool CCdToc::IsAudioEntry(int index) const
{
    return index >= 0 && index < GetTrackCount() && (TrackData[index].control & 0x0F) == 0;
}

std::uint32_t CCdToc::GetTrackLength(int track) const
{
    const int i = track - FirstTrack;
    if (GetTrackCount() == 0 || track < FirstTrack || track > LastTrack || !IsAudioEntry(i))
        return 0;
    const std::uint32_t start = track == FirstTrack ? 150 : GetEntryAddress(i);
    const std::uint32_t end = GetEntryAddress(i + 1);
    return end > start ? end - start : 0;
}

bool CCdToc::GetSectorRange(int track, int offsetSeconds, std::int32_t &startLba, std::int32_t &endLba) const
{
    const int i = track - FirstTrack;
    if (GetTrackCount() == 0 || track < FirstTrack || track > LastTrack || !IsAudioEntry(i))
        return false;
    const std::int64_t offset = 75LL * (offsetSeconds < 0 ? 0 : offsetSeconds);
    const std::int64_t next = GetEntryAddress(i + 1);
    std::int64_t start, end;
    if (track == FirstTrack) {
        // The first track begins at sector 0 and ends where the next entry begins, so audio before
        // its index point is played and none of its end is lost.
        start = offset;
        end = next - 150;
    } else {
        start = GetEntryAddress(i) + offset - 150;
        end = next - 150;
    }
    if (end < 0)
        end = 0;
    startLba = static_cast<std::int32_t>(start > INT32_MAX ? INT32_MAX : start);
    endLba = static_cast<std::int32_t>(end);
    return true;
}

static std::uint32_t DigitSum(std::uint32_t n)
{
    std::uint32_t sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

std::uint32_t CCdToc::ComputeDiscId() const
{
    const int n = GetTrackCount();
    if (n == 0)
        return 0;
    std::uint32_t sum = 0;
    for (int i = 0; i < n; ++i)
        sum += DigitSum(GetEntrySeconds(i));
    const std::uint32_t first = GetEntrySeconds(0), leadOut = GetEntrySeconds(n);
    const std::uint32_t t = leadOut > first ? leadOut - first : 0;
    return ((sum % 255) << 24) | ((t & 0xFFFF) << 8) | static_cast<std::uint32_t>(n);
}

std::uint32_t CCdToc::ComputeMediaIdentity() const
{
    const int n = GetTrackCount();
    if (n == 0)
        return 0;
    std::uint32_t id = 0;
    for (int i = 0; i < n; ++i) {
        const CdTocEntry &e = TrackData[i];
        id += (static_cast<std::uint32_t>(e.m) << 16) + (static_cast<std::uint32_t>(e.s) << 8) + e.f;
    }
    if (n < 3)
        id += GetEntryAddress(n) - GetEntryAddress(0);
    return id;
}

void CCdToc::SetEntry(int index, std::uint8_t trackNumber, std::uint32_t frames, std::uint8_t control)
{
    if (index < 0 || index >= kMaxEntries)
        return;
    CdTocEntry &e = TrackData[index];
    e.trackNumber = trackNumber;
    e.control = control;
    e.adr = 1;
    e.m = static_cast<std::uint8_t>(frames / 4500);
    e.s = static_cast<std::uint8_t>(frames / 75 % 60);
    e.f = static_cast<std::uint8_t>(frames % 75);
}

std::uint32_t ComputeDiscId(const CCdToc &toc)
{
    return toc.ComputeDiscId();
}

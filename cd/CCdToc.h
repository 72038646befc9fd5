#pragma once
// A disc's table of contents in MSF form, as a drive (or a CD image) reports it, and everything that is
// worked out from it alone: the audio test, track lengths, sector ranges, the disc id and the media
// identity. Entry i describes track FirstTrack + i; entry LastTrack - FirstTrack + 1 is the lead-out.
//
// Addresses in frames include the 2-second lead-in: M * 4500 + S * 75 + F; the logical sector number
// (LBA) of an address is that value minus 150.
//
// A value type without threads of its own; any thread may use its copy.

#include <array>
#include <cstdint>

struct CdTocEntry {
    std::uint8_t control = 0; // 0 plain audio; 1 pre-emphasis, 2 copy permitted, 4 data, 8 four channels
    std::uint8_t adr = 1;
    std::uint8_t trackNumber = 0;
    std::uint8_t m = 0, s = 0, f = 0;
};

class CCdToc {
public:
    static constexpr int kMaxEntries = 100; // 99 tracks and the lead-out

    std::uint8_t FirstTrack = 0;
    std::uint8_t LastTrack = 0;
    std::array<CdTocEntry, kMaxEntries> TrackData{};

    // LastTrack - FirstTrack + 1; 0 for an empty or malformed table.
    int GetTrackCount() const;
    // Address in frames of entry `index` (0-based; the lead-out at index = track count); 0 outside.
    std::uint32_t GetEntryAddress(int index) const;
    // Whole seconds (M * 60 + S) of entry `index`.
    std::uint32_t GetEntrySeconds(int index) const;
    // Only a control field of 0 is playable audio.
    bool IsAudioEntry(int index) const;
    // Length in frames of track `track`: 0 outside FirstTrack..LastTrack and for tracks that are not
    // audio. The disc's first track counts from frame 150 (sector 0), so audio before it belongs to it.
    std::uint32_t GetTrackLength(int track) const;
    // Sectors [startLba, endLba) of an audio track, starting `offsetSeconds` into it. False for a track
    // outside the table or one that is not audio. startLba may lie at or past endLba (nothing to read).
    bool GetSectorRange(int track, int offsetSeconds, std::int32_t &startLba, std::int32_t &endLba) const;
    // The freedb (CDDB) disc id over all tracks, data tracks included.
    std::uint32_t ComputeDiscId() const;
    // The number the old CD player keyed cdplayer.ini with (docs/cd.md gives the formula).
    std::uint32_t ComputeMediaIdentity() const;

    // Sets entry `index` from an address in frames.
    void SetEntry(int index, std::uint8_t trackNumber, std::uint32_t frames, std::uint8_t control);
};

// The disc id of a table (the CDDB id): see CCdToc::ComputeDiscId.
std::uint32_t ComputeDiscId(const CCdToc &toc);

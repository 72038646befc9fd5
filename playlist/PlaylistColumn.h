#pragma once
// Playlist column ids, shared by sorting, the list control's columns and the stored column layout.

#include <cstdint>

enum PlaylistColumn : std::int32_t {
    kColumnFilename = 1,
    kColumnArtist = 2,
    kColumnTitle = 3,
    kColumnAlbum = 4,
    kColumnGenre = 5,
    kColumnYear = 6,
    kColumnType = 7,
    kColumnBitrate = 8,
    kColumnFrequency = 9,
    kColumnChannels = 10,
    kColumnFilesize = 11,
    kColumnDuration = 12,
    kColumnFilepath = 13,
};

inline constexpr std::int32_t kFirstPlaylistColumn = kColumnFilename;
inline constexpr std::int32_t kLastPlaylistColumn = kColumnFilepath;

inline constexpr bool IsPlaylistColumn(std::int32_t column)
{
    return column >= kFirstPlaylistColumn && column <= kLastPlaylistColumn;
}

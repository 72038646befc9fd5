#pragma once
// One playlist track. A value type: always copied, never shared. Zero or empty means unknown.

#include <cstdint>
#include <string>

// File-type codes of playlist entries. Codes below 7 are tracker modules.
enum PlaylistType : std::int32_t {
    kTypeUnknown = 0,
    kTypeMod4 = 1,
    kTypeMod6 = 2,
    kTypeMod8 = 3,
    kTypeS3m = 4,
    kTypeXm = 5,
    kTypeIt = 6,
    kTypeMpeg = 7,
    kTypeWav = 8,
    kTypeOgg = 9,
    kTypeWma = 10,
    kTypeFlac = 11,
    kTypeCdTrack = 12,
};

inline constexpr bool IsModuleType(std::int32_t type) { return type >= kTypeMod4 && type <= kTypeIt; }

class CPlaylistEntry {
public:
    CPlaylistEntry() = default;
    CPlaylistEntry(const CPlaylistEntry &) = default;
    CPlaylistEntry &operator=(const CPlaylistEntry &) = default;
    // Declared so that sorting and removal move strings instead of copying them (the virtual
    // destructor would otherwise suppress the implicit moves).
    CPlaylistEntry(CPlaylistEntry &&) noexcept = default;
    CPlaylistEntry &operator=(CPlaylistEntry &&) noexcept = default;
    virtual ~CPlaylistEntry() = default;

    bool operator==(const CPlaylistEntry &) const = default;

    std::string m_strPath;       // full path as added (UTF-8)
    std::int32_t m_nType = 0;    // PlaylistType
    std::string m_strTitle;
    std::int32_t m_nDuration = 0; // whole seconds
    std::int32_t m_nChannels = 0; // module channel count at most 64
    std::string m_strArtist;
    std::string m_strAlbum;
    std::string m_strGenre;
    std::int32_t m_nBitrate = 0;   // kbit/s
    std::int32_t m_nFrequency = 0; // Hz
    std::int32_t m_nYear = 0;
    std::uint32_t m_nSize = 0;     // bytes
    bool m_bLoops = false;         // module loops back at its end (types 1 to 6)
    std::int32_t m_nMixing = 0;    // per-track module amplification + 1; 0 = not set
    std::int32_t m_nPanning = 0;   // per-track module pan separation + 1; 0 = not set
};

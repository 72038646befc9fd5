#pragma once
// What the stream decoder needs from the playlist document for a gapless change-over.
//
// Threads: every call comes from the audio library's update thread, inside the stream procedure,
// while the user-interface thread may be editing the playlist. The document keeps its entry array,
// count, next-up index and these settings consistent for such a reader.

#include "core/CPlaylistEntry.h"

#include <string>

class IGaplessPlaylist {
public:
    virtual ~IGaplessPlaylist() = default;

    // The settings `gapless`, `random` and `repeattrack` (`repeatlist` is applied by NextGaplessEntry).
    virtual bool GaplessEnabled() = 0;
    virtual bool RandomEnabled() = 0;
    virtual bool RepeatTrackEnabled() = 0;
    // The row that follows the playing entry `path`, or -1, with that row's entry copied into `out`,
    // in one step so that the list cannot change between finding the row and reading it (the
    // document's NextGaplessEntry). `out` is reused from call to call, so assigning into it keeps
    // its string capacity.
    virtual int NextGaplessEntry(const std::string &path, CPlaylistEntry &out) = 0;
};

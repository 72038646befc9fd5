#pragma once
// The playlist document seen by the stream decoder during a gapless change-over.
//
// Threads: the IGaplessPlaylist calls come from the audio library's update thread. The settings
// `gapless`, `random` and `repeattrack` are plain members of the document that the user-interface
// thread changes at any time, so the update thread never reads them there: Refresh (user-interface
// thread) copies them into atomics here. The playback engine calls it on every tick and before it
// starts a channel, so a change reaches the decoder within one tick (20 ms) - well before the end of
// the buffer that is playing. The playlist rows themselves come from the document's locked readers.

#include "engine/IGaplessPlaylist.h"

#include <atomic>

class CPlayerDoc;

class CDocGaplessPlaylist : public IGaplessPlaylist {
public:
    explicit CDocGaplessPlaylist(CPlayerDoc &doc);

    // User-interface thread: takes the current settings.
    void Refresh();

    bool GaplessEnabled() override { return m_bGapless.load(std::memory_order_relaxed); }
    bool RandomEnabled() override { return m_bRandom.load(std::memory_order_relaxed); }
    bool RepeatTrackEnabled() override { return m_bRepeatTrack.load(std::memory_order_relaxed); }
    int NextGaplessEntry(const std::string &path, CPlaylistEntry &out) override;

private:
    CPlayerDoc &m_doc;
    std::atomic<bool> m_bGapless{false};
    std::atomic<bool> m_bRandom{false};
    std::atomic<bool> m_bRepeatTrack{false};
};

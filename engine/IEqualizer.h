#pragma once
// The graphic equalizer as the playback engine uses it: its effects live on the current channel and
// are attached anew to every channel the engine opens.
//
// Threads: user-interface thread only.

#include <cstdint>

class IEqualizer {
public:
    virtual ~IEqualizer() = default;

    // Adds the band effects to `channel` when the equalizer is enabled and available.
    virtual void AttachEffects(std::uint32_t channel) = 0;
    // Removes the band effects from `channel` and forgets their handles.
    virtual void RemoveEffects(std::uint32_t channel) = 0;
    // Forgets the handles without library calls: the channel they belonged to was freed.
    virtual void ClearHandles() = 0;
    // Whether the equalizer may be used (decided by InitAudio from the output's effects level).
    virtual void SetAvailable(bool available) = 0;
};

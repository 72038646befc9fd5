#pragma once
// What the play order asks of the playback engine. The engine implements it; the play order's
// tests use a fake. User-interface thread only.

#include <cstdint>
#include <string>

class ITransport {
public:
    virtual ~ITransport() = default;

    virtual void Play() = 0;
    virtual void StopPlayback() = 0;
    virtual void SetPosition(int seconds, int orderStep) = 0;

    // A channel was started and not stopped (`playing`).
    virtual bool IsPlaying() const = 0;
    // Elapsed playing time of the entry, whole seconds in milliseconds.
    virtual unsigned ElapsedMs() const = 0;
    // The playing entry's path and duration in seconds (`m_CurrentEntry`).
    virtual std::string PlayingPath() const = 0;
    virtual int PlayingDuration() const = 0;
    // `m_bHalfTick`, which picks the direction of the random search.
    virtual bool HalfTick() const = 0;
    // The high-resolution counter, the random source of random play.
    virtual std::uint64_t CounterNow() const = 0;

    // The volume slider (0 to 100); the main timer applies a changed position and ends a mute.
    virtual int VolumeSliderPosition() const = 0;
    virtual void SetVolumeSliderPosition(int position) = 0;
    // The output volume saved at mute; 0 when not muted.
    virtual int SavedVolume() const = 0;
};

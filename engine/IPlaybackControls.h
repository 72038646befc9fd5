#pragma once
// The engine's operations that the transport commands call besides those of ITransport: pause,
// fade-out and mute. The playback engine implements it next to ITransport; the command tests use a
// fake.
//
// Threads: user-interface thread only.

class IPlaybackControls {
public:
    virtual ~IPlaybackControls() = default;

    // Pauses or resumes the whole output; the engine ignores it while nothing plays.
    virtual void TogglePause() = 0;
    // Starts a fade-out, or cancels the one in progress.
    virtual void ToggleFadeOut() = 0;
    // Mutes the output (saving its volume) or restores the saved volume.
    virtual void ToggleMute() = 0;

    virtual bool IsPaused() const = 0;
};

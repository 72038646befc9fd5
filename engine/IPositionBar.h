#pragma once
// The position bar under the counter as the playback engine drives it.
//
// Threads: user-interface thread only.

class IPositionBar {
public:
    virtual ~IPositionBar() = default;

    // The playing entry's length and the elapsed time, both in milliseconds.
    virtual void SetLength(unsigned ms) = 0;
    virtual void SetPosition(unsigned ms) = 0;
    // Back to the start with no length (nothing plays).
    virtual void Reset() = 0;
    virtual void EndHoverIfLeft() = 0;
};

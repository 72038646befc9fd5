#pragma once
// The elapsed-time counter as the playback engine drives it. The widget formats and draws the text;
// the engine only hands it times and states.
//
// Threads: user-interface thread only.

class ICounterDisplay {
public:
    virtual ~ICounterDisplay() = default;

    // The time to show, in milliseconds (ignored by the widget while it is frozen).
    virtual void SetTime(unsigned ms) = 0;
    // Position 0, not frozen, gapless offset 0.
    virtual void Reset() = 0;
    // The playing entry's length in milliseconds (for the remaining-time mode).
    virtual void SetLength(unsigned ms) = 0;
    // Seconds subtracted from the shown time after a gapless change-over (the new file reaches the
    // output about one buffer length after the decoder switched); 0 clears it.
    virtual void SetOffset(int seconds) = 0;
    // Something plays (the engine's `playing` flag).
    virtual void SetActive(bool active) = 0;
    // Redraws the text; with `blink` the text alternates between visible and hidden (while paused).
    virtual void Redraw(bool blink) = 0;
    // Rebuilds the tool tip after a seek.
    virtual void UpdateTip() = 0;
    // Ends the hover highlight when the mouse has left the control (checked once a second).
    virtual void EndHoverIfLeft() = 0;
};

#pragma once
// The volume slider of the main view (0 to 100). The user moves it; the main timer applies a changed
// position to the output and ends a mute.
//
// Threads: user-interface thread only.

class IVolumeSlider {
public:
    virtual ~IVolumeSlider() = default;

    virtual int Position() const = 0;
    virtual void SetPosition(int position) = 0;
    // Rebuilds the tool tip ("Volume: N%").
    virtual void UpdateTip() = 0;
};

#pragma once
// Whether a screen saver runs. The desktop implementation asks the session's screen-saver service.
//
// Threads: user-interface thread only.

class IScreenSaver {
public:
    virtual ~IScreenSaver() = default;

    // A screen-saver service answered at start-up, so its state can be followed.
    virtual bool IsDetectable() = 0;
    virtual bool IsActive() = 0;
};

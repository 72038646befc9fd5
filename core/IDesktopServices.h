#pragma once
// What the desktop adds to the main window: the media-player service, which hears of every tick of the
// main timer, and the handler of command lines forwarded by a second start. The application (the
// composition root, in desktop/) implements it and hands it to the frame, so the user interface needs
// no desktop code.
//
// Threads: user-interface thread only.

#include <cstdint>
#include <span>

class IDesktopServices {
public:
    virtual ~IDesktopServices() = default;

    // After every tick of the main timer: services watching the player report what changed.
    virtual void OnTick() = 0;
    // A WM_COPYDATA record from another process: true when it carried a forwarded command line.
    virtual bool OnCopyData(std::uint64_t dwData, std::span<const std::uint8_t> data) = 0;
};

#pragma once
// The status text of the main window (entry count, size and total duration), rebuilt on request.
//
// Threads: user-interface thread only.

class IStatusText {
public:
    virtual ~IStatusText() = default;

    virtual void UpdateStatusText() = 0;
};

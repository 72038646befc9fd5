#pragma once
// The CD tabs of the window as the player core uses them at start-up (a "-cd" start, the resume of a
// CD track) and for a CD image opened from outside. The view implements it.
//
// Threads: user-interface thread only.

class ICdTabs {
public:
    virtual ~ICdTabs() = default;

    // Shows drive `drive`'s tab (0-based) with its track list filled; with a `track`, selects and
    // focuses that track's row, checking it when `check` is set. False when there is no such drive,
    // or a track was asked for that the disc does not have.
    virtual bool ShowCdTrack(int drive, int track, bool check) = 0;
};

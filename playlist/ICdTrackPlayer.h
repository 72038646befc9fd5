#pragma once
// How the document hands a CD track named on the command line to the CD side: the drive with the
// letter shows its track list and plays the track. The CD code implements it.
//
// Threads: user-interface thread only.

class ICdTrackPlayer {
public:
    virtual ~ICdTrackPlayer() = default;

    // `driveLetter` is an upper-case drive letter ('D', 'E', ...); `track` is 1 to 99.
    virtual void PlayCdTrack(char driveLetter, int track) = 0;
};

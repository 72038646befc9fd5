#pragma once
// What a forwarded command line may ask of the running program. The main frame implements it over the
// window, the document and the view.
//
// Threads: user-interface thread only.

#include <string>

class IForwardTarget {
public:
    virtual ~IForwardTarget() = default;

    // Show the main window again when it is neither visible nor minimised (hidden to the tray).
    virtual void ShowHidden() = 0;
    // Show the tab of CD drive `driveLetter` and play `track` (1..99) when the drive exists and the
    // track is an audio track of its disc; otherwise nothing.
    virtual void OpenCdTrack(char driveLetter, int track) = 0;
    // Show the tab of the real CD drive whose device is `device` and play the disc from its first
    // audio track; nothing when no drive has that device.
    virtual void OpenCdDevice(const std::string &device) = 0;
    // Open the CD image `path` as a drive (a message when it gives no disc), show its tab and play
    // `track` when it is not 0.
    virtual void OpenCdImage(const std::string &path, int track) = 0;
    // The document's add operation: append the file when it is playable and there is room.
    virtual void AppendFile(const std::string &path) = 0;
    // The document's open operation: a playlist file replaces the playlist, a plain file becomes its
    // only entry and plays.
    virtual void OpenFile(const std::string &path, bool isPlaylist) = 0;
};

#pragma once
// What the command line of the first instance asks the view's initial update to do.

#include <string>
#include <vector>

struct CStartRequest {
    enum class Kind {
        Resume,   // nothing given: load the current playlist and resume the last item
        Cd,       // -cd: load the current playlist, then show a CD drive and maybe a track
        Playlist, // -vpl: load this playlist file in place of the current one
        AddFile,  // -add: append this file
        PlayFile, // a plain path: append this file and play it
    };

    Kind kind = Kind::Resume;
    std::string path;           // Playlist, AddFile, PlayFile: double quotes removed
    std::string playlistFolder; // Playlist: the path up to and including its last '/'
    std::string playlistName;   // Playlist: the path after its last '/'
    char driveLetter = 0;       // Cd: upper-case drive letter, 0 when none was given
    int track = 0;              // Cd: track to select and play, 0 when none was given
    std::string cdImage;        // Cd: a CD image to open as a drive (then driveLetter is 0)
    std::string cdDevice;       // Cd: a drive named by its device, as a desktop's autoplay names it
    bool autoPlay = false;      // start playing the item at the cursor at the end of start-up
    std::vector<std::string> alsoAdd; // further files of the same start, appended after the above
};

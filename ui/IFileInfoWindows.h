#pragma once
// The file information windows as the File Information command sees them: each runs modally for one
// file and gives back what the user saved, or nothing when the window was cancelled. The program's
// implementation shows the dialogs; tests answer from a script.
//
// Threads: user-interface thread only.

#include "core/CPlaylistEntry.h"
#include "info/CTagInfo.h"
#include "tags/CTagFields.h"

#include <optional>
#include <string>

// What the WAV window saves: texts kept only in the playlist.
struct CWavEdit {
    std::string artist;
    std::string title;
};

// What the module window saves. `title` goes into the file when it differs from `openedTitle`; the
// rest stays in the playlist. Levels are the slider positions + 1.
struct CModuleEdit {
    std::string title;
    std::string openedTitle;
    std::string artist;
    bool loops = false;
    std::int32_t mixing = 0;
    std::int32_t panning = 0;
};

class IFileInfoWindows {
public:
    virtual ~IFileInfoWindows() = default;

    virtual std::optional<CTagFields> ShowMpeg(const std::string &path) = 0;
    virtual std::optional<CWavEdit> ShowWav(const std::string &path) = 0;
    // `pending`: texts saved for the playing file and not yet written; shown instead of the file's.
    virtual std::optional<CTagFields> ShowTags(const std::string &path, CTagInfo::Format format,
                                               const std::optional<CTagFields> &pending) = 0;
    virtual std::optional<CModuleEdit> ShowModule(const CPlaylistEntry &entry) = 0;
};

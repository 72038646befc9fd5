#pragma once
// The system's file dialogs for playlists, as the document needs them. The main window supplies the
// Qt implementation; tests answer with a chosen path. An empty result means the user cancelled.
//
// Open: titled "Open Playlist", filters "Melvane playlists (*.vpl)" and "Winamp playlists (*.m3u)".
// Save: titled "Save Playlist", filter "Playlist files (*.vpl)", default suffix "vpl", no overwrite
// prompt. Both start in `folder` with `name` proposed and leave the process's directory alone.
//
// Threads: user-interface thread only; both calls block until the dialog closes.

#include <string>

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;

    virtual std::string OpenPlaylistFile(const std::string &folder, const std::string &name) = 0;
    virtual std::string SavePlaylistFile(const std::string &folder, const std::string &name) = 0;
};

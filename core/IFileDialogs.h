#pragma once
// The system's file dialogs, as the document and the playlist editor need them. The main window
// supplies the Qt implementation; tests answer with a chosen path. An empty result means the user
// cancelled. None of them changes the process's working folder.
//
// Open playlist: titled "Open Playlist", filters "Melvane playlists (*.vpl)" and "Winamp playlists
// (*.m3u)". Save playlist: titled "Save Playlist", filter "Playlist files (*.vpl)", default suffix
// "vpl", no overwrite prompt. Both start in `folder` with `name` proposed.
// Music files: titled "Add File(s)", several existing files, one filter per (name, pattern) pair
// (patterns separated by ';'), starting in `folder`.
// CD image: titled "Open CD Image", filters "CD images (*.cue *.toc)" and "All files (*)", starting
// in `folder`.
// Folder: titled "Choose a folder to add to the current playlist:", starting in `folder`.
//
// Threads: user-interface thread only; every call blocks until the dialog closes.

#include <string>
#include <utility>
#include <vector>

class IFileDialogs {
public:
    using Filters = std::vector<std::pair<std::string, std::string>>;

    virtual ~IFileDialogs() = default;

    virtual std::string OpenPlaylistFile(const std::string &folder, const std::string &name) = 0;
    virtual std::string SavePlaylistFile(const std::string &folder, const std::string &name) = 0;
    virtual std::vector<std::string> OpenMusicFiles(const std::string &folder, const Filters &filters) = 0;
    virtual std::string ChooseFolder(const std::string &folder) = 0;
    virtual std::string OpenCdImageFile(const std::string &folder) = 0;
};

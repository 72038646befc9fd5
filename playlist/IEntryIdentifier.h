#pragma once
// How the playlist identifies a file when it enters the list or is refreshed. The program's
// implementation resets the track information reader, sets the path, identifies the file (WMA
// through the decoder plug-in binding) and copies the reader's entry; the duration is computed from
// the file when no tag gives it. Tests supply a fake that answers from a table.
//
// Threads: user-interface thread only (called by the document while it adds or refreshes).

#include "playlist/CPlaylistEntry.h"

#include <string>

class IEntryIdentifier {
public:
    virtual ~IEntryIdentifier() = default;

    // Fills `entry` from the file at `path`. True when the file opened and was identified with a
    // non-zero type; on false `entry` holds nothing useful and the file does not enter the list.
    virtual bool Identify(const std::string &path, CPlaylistEntry &entry) = 0;
};

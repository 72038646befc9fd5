#pragma once
// How the playlist identifies a file when it enters the list or is refreshed. The program's
// implementation resets the track information reader, sets the path, identifies the file (WMA
// through the decoder plug-in binding) and copies the reader's entry; the duration is computed from
// the file when no tag gives it. Tests supply a fake that answers from a table.
//
// Threads: user-interface thread only (called by the document while it adds or refreshes); a clone
// made by CloneForWorker is used on one worker thread while the user-interface thread waits.

#include "core/CPlaylistEntry.h"

#include <cstdint>
#include <memory>
#include <string>

class IEntryIdentifier {
public:
    virtual ~IEntryIdentifier() = default;

    // Fills `entry` from the file at `path`. True when the file opened and was identified with a
    // non-zero type; on false `entry` holds nothing useful and the file does not enter the list.
    virtual bool Identify(const std::string &path, CPlaylistEntry &entry) = 0;

    // Completes an entry read from a playlist file line. `entry` holds the path and the line's
    // fields (empty or zero where the line said nothing); `type` is the line's TYPE value. A type of 1
    // to 12 is taken as given without reading the file; any other value lets the file's content
    // decide. What the line left open (title, duration, ...) is read from the file; what the line
    // gives stays. True when the entry has a type afterwards.
    // The default, for identifiers without a reader of their own, takes a valid type as given and
    // otherwise fills the gaps from Identify.
    virtual bool Complete(CPlaylistEntry &entry, std::int32_t type);

    // An identifier of the same kind for another thread, which may then identify files while this
    // one does; null (the default) when identifying must stay on one thread.
    virtual std::unique_ptr<IEntryIdentifier> CloneForWorker() const { return nullptr; }

protected:
    // Copies every field that `line` knows (non-empty text, non-zero number, the loop flag when set)
    // over `fromFile`, keeping the path of `line`; the type stays the file's.
    static void KeepKnownFields(const CPlaylistEntry &line, CPlaylistEntry &fromFile);
};

#pragma once
// The File Information command for one playlist row: opens the window for the entry's type (module,
// MPEG, WAV, or the tag window of Ogg Vorbis, FLAC and Windows Media), then carries out its Save:
// tags go to the file (kept back while the file plays), the module title into the module, and the
// entry is refreshed in the playlist and handed to the engine when it plays (or nothing plays).
// No widgets: the windows come through IFileInfoWindows.
//
// Threads: user-interface thread only.

#include "info/CTagInfo.h"

#include <cstdint>
#include <functional>
#include <optional>

class CDeferredTagWriter;
class CPlayerDoc;
class CPlaylistEntry;
class IEntryIdentifier;
class IFileInfoWindows;
class ITransport;

class CFileInfoCommand {
public:
    enum class Window { None, Module, Mpeg, Wav, Tags };

    // The window for playlist type `type`; None for CD tracks and unknown types.
    static Window WindowFor(std::int32_t type);
    // The tag window's format for `type` (Ogg Vorbis, FLAC, WMA).
    static std::optional<CTagInfo::Format> TagFormat(std::int32_t type);

    using EntryEdited = std::function<void(const CPlaylistEntry &entry)>;

    // `identifier` reads a written file again; `entryEdited` receives the edited entry when it plays,
    // or when nothing plays and no row is marked playing (the engine's EntryEdited).
    CFileInfoCommand(CPlayerDoc &doc, IFileInfoWindows &windows, CDeferredTagWriter &writer,
                     IEntryIdentifier &identifier, const ITransport &transport, EntryEdited entryEdited);

    // Shows the window for `row` (whose file the caller found readable). True when the entry changed.
    bool Run(int row);

private:
    // The entry read again from its file after a write; `entry` unchanged when it no longer reads.
    void ReadAgain(CPlaylistEntry &entry);

    CPlayerDoc &m_doc;
    IFileInfoWindows &m_windows;
    CDeferredTagWriter &m_writer;
    IEntryIdentifier &m_identifier;
    const ITransport &m_transport;
    EntryEdited m_entryEdited;
};

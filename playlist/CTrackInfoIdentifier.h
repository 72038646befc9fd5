#pragma once
// The program's identifier: the track information reader decides what a file is, by its content.
// One reader is kept and reset for every file, so identifying many files allocates little.
//
// The WMA decoder binding is passed in (null until the decoder plug-in is loaded: WMA files are then
// not identified) and may be changed at any time between calls.
//
// Threads: user-interface thread only, like the document that calls it; clones on worker threads.

#include "playlist/IEntryIdentifier.h"
#include "tags/CTrackInfo.h"

class IWmaInfoReader;

class CTrackInfoIdentifier : public IEntryIdentifier {
public:
    explicit CTrackInfoIdentifier(IWmaInfoReader *wma = nullptr) : m_pWma(wma) {}

    void SetWmaBinding(IWmaInfoReader *wma) { m_pWma = wma; }

    bool Identify(const std::string &path, CPlaylistEntry &entry) override;
    // With a valid type nothing is read that the line already gives: a line with a type, a title and
    // a duration does not open its file.
    bool Complete(CPlaylistEntry &entry, std::int32_t type) override;
    // A reader of its own over the same WMA binding, whose information query is serialised.
    std::unique_ptr<IEntryIdentifier> CloneForWorker() const override;

private:
    IWmaInfoReader *m_pWma;
    CTrackInfo m_reader;
};

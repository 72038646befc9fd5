#pragma once
// What the playback engine and its tick ask of the play order. User-interface thread only.

#include <string>

class ICdTrackList;

class IPlayOrder {
public:
    virtual ~IPlayOrder() = default;

    // Moves the cursor to the entry that should play next; false when there is none.
    virtual bool SelectNext() = 0;
    // SelectNext, then Play when something plays.
    virtual void NextTrack() = 0;
    // Appends to the play history (paths on the playlist tab) when recording is enabled, keeping
    // at most the most recent items.
    virtual void RecordPlayed(const std::string &pathOrTrack) = 0;
    // The one-shot stop-after-this-entry flag.
    virtual bool StopAfterEntry() const = 0;
    virtual void ClearStopAfterEntry() = 0;
    // The CD tab on show, or null on the playlist tab.
    virtual ICdTrackList *CdTabOnShow() const { return nullptr; }
};

#pragma once
// The document's CD side: the drive list with one disc record per drive, the refresh that fills a
// record when a disc goes in (disc id, lengths, the lookup chain: user cd.ini, program cd.ini with
// CD-Text, then freedb when `autoquery` is on, then cdplayer.ini), saving records into the user
// cd.ini, and the once-a-second media poll that triggers refreshes.
//
// UI thread only. The freedb query of an unknown disc runs elsewhere (off this thread): the refresh
// hands it a copy of the record through SetAutoQuery, and its answer comes back through TakeQueried.

#include "cd/CCdDriveList.h"
#include "cd/CDiscRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CCdDiscs {
public:
    struct Folders {
        std::string program; // folder of the executable (its cd.ini is read only)
        std::string user;    // the data folder (its cd.ini is the one written)
        std::string system;  // the configuration folder (cdplayer.ini, read only)
    };

    CCdDiscs(CCdDriveList drives, Folders folders);

    const CCdDriveList &Drives() const { return m_drives; }
    int Count() const { return m_drives.Count(); }
    const CDiscRecord &Record(int drive) const { return m_records[drive]; }
    // Replaces a drive's record (after sorting, dragging, the disc sheet or a freedb query).
    void SetRecord(int drive, const CDiscRecord &record);

    // The freedb query a refresh starts when `autoquery` is on and neither cd.ini nor CD-Text knew
    // the disc: it gets the drive and a copy of the record as it stood before the old CD player's
    // file was read, and returns at once.
    using AutoQuery = std::function<void(int drive, const CDiscRecord &copy)>;
    void SetAutoQuery(AutoQuery query) { m_autoQuery = std::move(query); }
    void SetAutoQueryEnabled(bool on) { m_bAutoQuery = on; }
    bool AutoQueryEnabled() const { return m_bAutoQuery; }
    // A finished query's record replaces the drive's whole record when the drive still holds that
    // disc and its record was not changed since the refresh that started the query; false (nothing
    // changes) otherwise, so a late answer never undoes the user's edits or a newer refresh.
    bool TakeQueried(int drive, const CDiscRecord &record);

    // Called with the drive index after its record was rebuilt by a refresh.
    void SetRefreshed(std::function<void(int)> refreshed) { m_refreshed = std::move(refreshed); }

    // Saves what the slot held, reads the disc again and stores the new record.
    void RefreshDrive(int drive);
    void RefreshAll();
    // Saves every drive's record (at exit).
    void SaveAll() const;
    // Looks at each drive's media and refreshes those that changed since the last poll; returns
    // how many were refreshed. The first poll only takes note.
    int PollMedia();

    // Fills `record` from the disc in drive `letter` (TOC, lengths, order, lookup chain) without
    // touching the slots. Records with disc id 0 when there is no audio disc. When neither cd.ini nor
    // CD-Text knew the disc, `unknown` (when given) receives the record before cdplayer.ini was read,
    // and true is returned.
    bool ReadDisc(CDiscRecord &record, CDiscRecord *unknown = nullptr) const;

private:
    CCdDriveList m_drives;
    Folders m_folders;
    std::vector<CDiscRecord> m_records;
    std::vector<std::uint64_t> m_tokens;
    std::vector<std::uint64_t> m_revisions;     // by drive: counts every change of the record
    std::vector<std::uint64_t> m_queryRevision; // by drive: the revision a running query answers
    bool m_bPolled = false;
    bool m_bAutoQuery = false;
    AutoQuery m_autoQuery;
    std::function<void(int)> m_refreshed;
};

#pragma once
// The player's CD side: the drives (real ones and the user's CD images) with one disc record each,
// the reader that streams the playing track, and which drive and track play. It is the stream
// decoder's CD source and names the entry of a CD track for the engine (disc artist, track title,
// length from the disc record).
//
// Records change only through SetRecord, RefreshDrive, PollMedia and ReplaceDrives, which also keep
// the gapless snapshot (play order, check marks and lengths of every drive) that the update thread
// reads during a change-over, and tell the listener.
//
// Threads: user-interface thread, except Open, Read, Close and NextGaplessTrack (the stream
// decoder's, see ICdTrackSource) and PlayingDrive/PlayingTrack (any thread). The snapshot is guarded
// by one mutex that is held only to copy a few hundred integers.

#include "cd/CCdDiscs.h"
#include "cd/CCdReader.h"
#include "core/CPlaylistEntry.h"
#include "engine/ICdTrackSource.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CPlayerDoc;

class CCdPlayback : public ICdTrackSource {
public:
    // `drives` lists the drives; `folders` are where the disc database files live.
    CCdPlayback(CPlayerDoc &doc, CCdDriveList drives, CCdDiscs::Folders folders);
    ~CCdPlayback() override;
    CCdPlayback(const CCdPlayback &) = delete;
    CCdPlayback &operator=(const CCdPlayback &) = delete;

    const CCdDiscs &Discs() const { return *m_discs; }
    CCdDiscs &Discs() { return *m_discs; }
    int DriveCount() const { return m_discs->Count(); }
    char DriveLetter(int drive) const;
    int DriveIndex(char letter) const { return m_discs->Drives().IndexOf(letter); }
    // The real drive whose device is `path` (any of its names), or -1.
    int DriveIndexOfDevice(const std::string &path) const;
    const CDiscRecord &Record(int drive) const { return m_discs->Record(drive); }

    // Replaces a drive's record (sorting, dragging, the disc sheet, a freedb query).
    void SetRecord(int drive, const CDiscRecord &record);
    // A record edited in the disc information sheet: it replaces the drive's record when the drive
    // still holds that disc (true); otherwise the disc was changed meanwhile and the texts go
    // straight into the user cd.ini under the old disc's id, the new disc's record left alone.
    bool SaveEdited(int drive, const CDiscRecord &edited);
    // Reads every drive's disc (start-up) or one drive's again.
    void RefreshAll();
    void RefreshDrive(int drive);
    // The once-a-second look at the drives' media; refreshes those that changed.
    int PollMedia();
    // A new drive list (an image was opened); the caller has stopped CD playback. Saves and rebuilds
    // every record.
    void ReplaceDrives(CCdDriveList drives);
    // The freedb query of unknown discs (`autoquery`), kept across new drive lists, and its answer.
    void SetAutoQuery(CCdDiscs::AutoQuery query);
    void SetAutoQueryEnabled(bool on);
    bool TakeQueried(int drive, const CDiscRecord &record) { return m_discs->TakeQueried(drive, record); }
    // Adds the CD image `path` as a drive after the others, kept in the setting `cdimages` (cdimage0..3;
    // the oldest image gives way when four are listed), and reads its disc; an image listed already is
    // read again. The caller has stopped CD playback. The drive index, or -1 when no letter is left.
    int OpenImage(const std::string &path);
    // Takes the CD image of drive `drive` off the drive list and the setting; nothing for a real drive.
    void RemoveImage(int drive);
    // Called on the user-interface thread with the drive index after its record changed (-1: the
    // drive list itself changed).
    void SetListener(std::function<void(int)> listener) { m_listener = std::move(listener); }

    // The entry of `track` on drive `letter` (type 12, the track number as path); false when the
    // drive has no such audio track.
    bool TrackEntry(char letter, int track, CPlaylistEntry &entry) const;

    // The playing CD track: drive letter (0 none) and track number (0 none).
    char PlayingDrive() const { return m_cPlayingDrive.load(std::memory_order_acquire); }
    int PlayingTrack() const { return m_nPlayingTrack.load(std::memory_order_acquire); }
    // The reader priority (setting `cdpriority`).
    void SetPriority(int index) { m_reader->SetPriority(index); }

    // ICdTrackSource
    bool Open(char driveLetter, int track, int startSeconds, bool floatOutput) override;
    std::uint32_t Read(void *buffer, std::uint32_t length) override;
    void Close() override;
    int NextGaplessTrack() override;
    char OpenDriveLetter() const override { return PlayingDrive(); }

    // The next checked audio track after `track` in the play order `order` (0-ended), wrapping to
    // the first one with `wrap`; -1 when there is none.
    static int NextInOrder(const std::array<std::int32_t, CDiscRecord::kSlots> &order,
                           const std::array<std::int32_t, CDiscRecord::kSlots> &checked,
                           const std::array<std::int32_t, CDiscRecord::kSlots> &length, int track, bool wrap);

private:
    struct Snapshot {
        char letter = 0;
        std::array<std::int32_t, CDiscRecord::kSlots> order{}, checked{}, length{};
    };
    void TakeSnapshot();
    void Changed(int drive);

    CPlayerDoc &m_doc;
    CCdDiscs::Folders m_folders;
    std::unique_ptr<CCdDiscs> m_discs;
    std::unique_ptr<CCdReader> m_reader;
    std::function<void(int)> m_listener;
    CCdDiscs::AutoQuery m_autoQuery;

    std::mutex m_snapshotMutex;
    std::array<Snapshot, CCdDriveList::kMaxDrives> m_snapshot;

    std::atomic<char> m_cPlayingDrive{0};
    std::atomic<int> m_nPlayingTrack{0};
    char m_cLastDrive = 0; // the drive opened last: a seek (letter 0) reopens it
};

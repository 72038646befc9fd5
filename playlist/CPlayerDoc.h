#pragma once
// The document's playlist: up to 10000 entries in list order, the positional state the list control
// shows, and every operation that edits the list (adding, removing, moving, sorting, refreshing,
// clearing), plus the next-up index the gapless change-over follows.
//
// Threads. Everything runs on the user-interface thread except EntryCount, GetEntry,
// NextGaplessIndex and NextGaplessEntry, which the audio library's update thread calls during a
// gapless change-over. One mutex, m_mutex, guards the entry array, m_nEntryCount, m_nNextIndex, the
// CD-tab flag and the repeat-list flag:
//  - the user-interface thread takes it only to write them (copy one slot, compact the array after
//    a removal, apply a finished sort order, swap in a fresh array), never while it identifies
//    files, compares entries for a sort, shows a message box or emits a signal; it reads the array
//    and the count without the lock, as it is their only writer;
//  - the update thread takes it to read the count, step m_nNextIndex and copy one entry; nothing
//    else happens under the lock, so neither side waits for more than a few microseconds
//    (a 10000-entry compaction or reordering is the longest hold).
//
// Change reports. Row changes are announced with Qt signals in about-to/done pairs, emitted
// synchronously on the user-interface thread, so a QAbstractItemModel over the document forwards
// them one to one to its begin/end calls. The model shows State().m_nRowCount rows; the document
// moves m_nRowCount between the about-to and the done signal of each pair:
//  - rowsAboutToBeInserted/rowsInserted(first, last): entries appended at the end;
//  - rowsAboutToBeRemoved/rowsRemoved(first, last): one contiguous range of the rows before the
//    removal; several ranges come bottom-up, so each range is still numbered as before;
//  - rowAboutToBeMoved/rowMoved(from, to): one row moved so that it ends at row `to` (for a Qt
//    beginMoveRows the destination row is `to` when moving up and `to + 1` when moving down);
//  - rowsAboutToBeReset/rowsReset: all rows rebuilt (sort, refresh, clear).
// For insertions, moves and resets the entries change between the pair; for removals the entries are
// compacted before the first pair, and the ranges then bring the row count down to the entry count.
// After each operation selectionChanged tells the control to re-read the selection and
// currentRowChanged(row) to focus that row and scroll it into view.

#include "playlist/CPlayerSettings.h"
#include "core/CPlaylistEntry.h"
#include "playlist/CPlaylistSorter.h"
#include "playlist/CPlaylistState.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CMessageBox;
class ICdTrackPlayer;
class IEntryIdentifier;
class IFileDialogs;

// The settings record is a base, so every setting is a member of the document (doc.bassdev, ...).
class CPlayerDoc : public QObject, public CPlayerSettings {
    Q_OBJECT

public:
    static constexpr int kMaxPlaylistEntries = 10000;

    CPlayerDoc(IEntryIdentifier &identifier, CMessageBox &messageBox, QObject *parent = nullptr);
    ~CPlayerDoc() override;
    CPlayerDoc(const CPlayerDoc &) = delete;
    CPlayerDoc &operator=(const CPlayerDoc &) = delete;

    // --- any thread ---------------------------------------------------------------------------
    int EntryCount() const;
    // A copy of the entry at `index`, or a blank entry when there is none (any more).
    CPlaylistEntry GetEntry(int index) const;
    // Copies the entry at `index` into `out` (assignment, so `out` keeps its string capacity);
    // false when there is no such entry.
    bool GetEntry(int index, CPlaylistEntry &out) const;
    // The row that follows the playing entry `path` for a gapless change-over, or -1. Advances
    // m_nNextIndex when the entry there is `path` (compared case-insensitively), wrapping to 0 with
    // repeat-list on; -1 when the index is invalid, the CD tab is shown or the entry is another one.
    int NextGaplessIndex(const std::string &path);
    // NextGaplessIndex and GetEntry in one locked step, so the list cannot change between them.
    int NextGaplessEntry(const std::string &path, CPlaylistEntry &out);

    // --- user-interface thread ----------------------------------------------------------------
    // The entry at `index` without a copy; only for the user-interface thread, index 0 to count-1.
    const CPlaylistEntry &EntryAt(int index) const { return m_aEntries[static_cast<std::size_t>(index)]; }

    // Copies `entry` into the next free slot. The caller checks the limit first; a full list refuses
    // the entry (false), and so does a path no playlist file can carry (CPlaylistFile::CanStorePath). Rows for new entries appear with InsertNewRows.
    bool AppendEntry(const CPlaylistEntry &entry);
    // Shows rows for entries appended since the last row change; adding rows ends any sort order.
    void InsertNewRows();
    // Deletes all rows and shows one per entry again.
    void RebuildRows();

    // Identifies and appends each path in order, skipping files that are not identified. When the
    // list is full and a path remains, the limit message is shown once and the rest is skipped.
    // Paths no playlist file could store are skipped with kUnstorableMessage shown once.
    // Returns the number of entries added.
    int AddFiles(const std::vector<std::string> &paths);
    void RemoveSelected();
    // Moves the selected rows to the drop row `target` (nothing when the drop row is selected).
    void MoveSelected(int target);
    // Sorts by column id 1 to 13; the same column again reverses the direction.
    void Sort(int column);
    // Identifies every entry again; entries whose files no longer load are dropped.
    void Refresh();
    // Saves a non-empty list first (result ignored), then empties it.
    void Clear();

    // Totals for the status text.
    int TotalCount() const { return m_nEntryCount; }
    std::uint32_t TotalDuration() const;  // seconds, 32-bit sum
    std::uint64_t TotalSize() const;      // bytes

    void ClearPlayedFlags();
    // Clears the played flags and marks the playing entry: the end of every renumbering.
    void ClearPlayedAndMarkPlaying();

    // Stores a module's amplification + 1 in the entry at `index` (clip correction while it plays),
    // only when that entry still has `path`; false otherwise.
    bool SetEntryMixing(int index, const std::string &path, std::int32_t mixing);
    // Puts `entry` in the slot at `index` when that slot still holds an entry of the same path (an
    // information window edited it): entryChanged(index), and totalsChanged when its duration or size
    // differ. False, with nothing changed, when the slot holds another file by now.
    bool ReplaceEntry(int index, const CPlaylistEntry &entry);

    // The next-up index of the gapless change-over; the view sets it to the entry that becomes
    // current. It follows its entry when the list is reordered and becomes -1 when it is removed.
    void SetNextIndex(int index);
    int NextIndex() const;
    // Set by the view while a CD tab is on show: the playlist then gives no gapless successor.
    void SetCdTabShown(bool shown);
    // Changes the `repeatlist` setting. The gapless change-over reads a copy of it under the lock
    // from the update thread, so the user-interface thread changes it only through here (and calls
    // it once after loading the settings).
    void SetRepeatList(bool on);
    bool RepeatList() const;

    // Writes the playlist to its file (the playlist-file code supplies the writer); false on failure.
    // Without a saver set, WritePlaylistFile is the writer; tests set their own to count saves.
    bool SavePlaylist();
    void SetPlaylistSaver(std::function<bool()> saver) { m_saver = std::move(saver); }

    // --- playlist files (user-interface thread) -----------------------------------------------
    // The current playlist file: its name and its folder (with a trailing '/'), both empty for an
    // unnamed playlist, which lives in the default playlist of the data folder. They are the
    // settings lastvpl and lastvpldir, under the names the playlist code uses.
    std::string &m_strPlaylistName = lastvpl;
    std::string &m_strPlaylistDir = lastvpldir;
    // Raised while a modal dialog of the document or the view is up (tray clicks wait for it).
    bool m_bModalOpen = false;

    static constexpr const char *kDefaultPlaylistName = "default.vpl";
    static constexpr const char *kSaveFailedMessage = "Unable to save playlist.  ";
    static constexpr const char *kMusicOpenFailedMessage = "Unable to load music file.  ";
    static constexpr const char *kPlaylistOpenFailedMessage = "Unable to load playlist.  ";
    // Shown once by AddFiles when some names hold a line break or the byte 0x01, or are too long.
    static constexpr const char *kUnstorableMessage =
        "Some files were not added: a playlist cannot store their names.  ";

    // The program's data folder with a trailing '/': $XDG_DATA_HOME/melvane/ (~/.local/share/melvane/
    // when the variable is unset), created on first use; the executable's folder when that fails.
    const std::string &DataFolder();
    // Replaces the data folder (tests, or a start-up option); created when missing.
    void SetDataFolder(std::string folder);
    // The default playlist when the playlist is unnamed, else the folder and name of its file.
    std::string PlaylistFilePath();
    // Appends the entries of the current playlist file (at most up to 10000 in all); the caller
    // rebuilds the rows. A file that cannot be opened leaves the playlist unnamed.
    void LoadPlaylist();
    // The writer behind SavePlaylist: a named playlist not ending in ".vpl" is renamed to ".vpl"
    // first (party.m3u saves as party.vpl), then the whole list is written. An empty list writes the
    // header only. The old file stays as it was when the write fails.
    bool WritePlaylistFile();

    // File menu commands. Save and Save As are enabled only while CanSavePlaylist().
    void OnNewPlaylist();
    void OnOpenPlaylist();
    void OnSavePlaylist();
    void OnSavePlaylistAs();
    bool CanSavePlaylist() const { return m_nEntryCount > 0; }
    // What Open does with the path its dialog gave: saves and clears the old list, loads `path`.
    void OpenPlaylist(const std::string &path);
    // What Save As does with the path its dialog gave; a failed save shows kSaveFailedMessage and
    // keeps the previous file current.
    bool SavePlaylistAs(const std::string &path);

    // A file, playlist or CD track from the command line or a second instance. With a drive letter
    // the CD side plays `track` (0: shows the drive only; 100 and up: ignored). Otherwise, once the
    // absolute `path` is known to be a readable playlist or identified music, the old list is saved
    // and cleared; a playlist is loaded and becomes the current one; a music file becomes the only
    // entry of a new unnamed list and playEntryRequested(0) asks the view to play it. Anything else
    // keeps the list, shows kPlaylistOpenFailedMessage or kMusicOpenFailedMessage and gives false.
    bool OpenFromCommandLine(const std::string &path, bool isPlaylist, char driveLetter, int track);
    // Files dropped on the list: when the first one's first line is exactly the .vpl header or
    // "#EXTM3U", it replaces the playlist and true is returned (the rest of the drop is ignored);
    // false leaves the files to be added as music.
    bool DropPlaylistFile(const std::vector<std::string> &paths);
    // The save at exit: the playlist to its file or the default playlist, exactly once however
    // often it is called (session end and window close may both ask). Settings are the caller's.
    void SaveAtExit();

    void SetFileDialogs(IFileDialogs *dialogs) { m_pFileDialogs = dialogs; }
    void SetCdTrackPlayer(ICdTrackPlayer *player) { m_pCdTrackPlayer = player; }

    // --- positional state (user-interface thread) -----------------------------------------------
    // Read-only from outside; the operations below are its only writers, and each reports what it
    // changed so the list control follows.
    const CPlaylistState &State() const { return m_state; }
    // Selects `row` alone and makes it current: selectionChanged, then currentRowChanged(row).
    void SelectOnly(int row);
    // Makes `row` the current row: currentRowChanged(row).
    void MakeCurrent(int row);
    // Moves a single selection from row `from` to row `to`, which becomes current (rows outside the
    // list are ignored): selectionChanged. The caller reports the current row with MakeCurrent.
    void StepSelection(int from, int to);
    // `row` now plays (-1: nothing plays); a playing row is selected and marked played in this pass
    // of random play: selectionChanged.
    void MarkPlaying(int row);
    // Marks `row` played in this pass of random play; nothing shows it, so nothing is reported.
    void MarkPlayed(int row);
    // Removes the entry at `row` alone, whatever else is selected.
    void RemoveRow(int row);
    // The user's own selection and focus, written by the list control, which already shows them:
    // nothing is reported.
    void UserSelected(int row, bool selected);
    void UserFocused(int row);

    static std::string LimitMessage();

signals:
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void rowAboutToBeMoved(int from, int to);
    void rowMoved(int from, int to);
    void rowsAboutToBeReset();
    void rowsReset();
    // The entry at `row` was replaced: its cells are out of date.
    void entryChanged(int row);
    void selectionChanged();
    void currentRowChanged(int row);
    // The last entry went and nothing plays: the view shows its empty, no-track state.
    void playlistEmptied();
    // Count, duration or size changed: the status text is out of date.
    void totalsChanged();
    // The view plays the entry at `index` (a music file opened from the command line).
    void playEntryRequested(int index);
    // The current playlist's name changed: the window caption is out of date.
    void captionChanged();

private:
    // Under m_mutex: the step of NextGaplessIndex.
    int AdvanceNextIndexLocked(const std::string &path);
    // Index that `index` gets after entries are renumbered by `newIndex` (-1 for removed ones).
    static int Renumber(int index, const std::vector<int> &newIndex);
    // Folder (absolute, trailing '/') and name of the current playlist from a file path.
    void SetPlaylistPath(const std::string &path);

    IEntryIdentifier &m_identifier;
    CMessageBox &m_messageBox;
    std::function<bool()> m_saver;
    IFileDialogs *m_pFileDialogs = nullptr;
    ICdTrackPlayer *m_pCdTrackPlayer = nullptr;
    std::string m_strDataFolder;
    bool m_bSavedAtExit = false;
    // The current file held lines but gave no entry: an unchanged empty list does not overwrite it.
    bool m_bKeepUnreadFile = false;

    mutable std::mutex m_mutex;
    std::vector<CPlaylistEntry> m_aEntries; // always kMaxPlaylistEntries constructed slots
    std::int32_t m_nEntryCount = 0;
    std::int32_t m_nNextIndex = -1;
    bool m_bCdTabShown = false;
    bool m_bRepeatList = false;

    CPlaylistState m_state;
    CPlaylistSorter m_sorter;
};

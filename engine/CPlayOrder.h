#pragma once
// Which entry plays: next and previous in list order, among the selected rows or at random without
// repetition; the play histories that "previous" walks back in random play; repeat of a track or of
// the list; stop at track end; rewind, fast forward and volume steps; and the random, repeat-track
// and repeat-list toggles.
//
// It works on the list on show: the playlist tab (the document's entries and positional state) or
// one CD tab (an ICdTrackList). The view tells it which tab is shown. Starting, stopping and seeking
// are asked of the playback engine through ITransport.
//
// Decisions worth knowing:
//  - Random search direction: with the engine's half-tick toggle at 0 the search for an unplayed row
//    goes down the list (towards higher rows) from the start row, at 1 up the list; when that finds
//    nothing, the other direction is searched from the same start.
//  - Each history keeps the 10 most recent items; recording an 11th drops the oldest.
//  - The 40 ms guard of rewind and fast forward counts from the last press that was carried out, so
//    a held key still moves about every 40 ms instead of being swallowed for as long as it repeats.
//  - A random pick among two or more selected rows flags nothing; the engine flags the row that
//    starts playing.
//
// Threads: user-interface thread only.

#include "engine/IPlayOrder.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

class CPlayerDoc;
class ICdTrackList;
class ITransport;

class CPlayOrder : public IPlayOrder {
public:
    static constexpr int kMaxHistory = 10;
    // Rewind and fast forward presses closer together than this are dropped.
    static constexpr std::uint64_t kSeekGuardMs = 40;
    static constexpr unsigned kSeekStepMs = 5000;
    static constexpr int kSliderMaximum = 100;

    // Milliseconds of a monotonic clock; the default reads std::chrono::steady_clock.
    using TickSource = std::function<std::uint64_t()>;

    CPlayOrder(CPlayerDoc &doc, ITransport &transport, TickSource tickMs = {});
    CPlayOrder(const CPlayOrder &) = delete;
    CPlayOrder &operator=(const CPlayOrder &) = delete;

    // The tab on show. Also tells the document whether the playlist may give gapless successors.
    void ShowPlaylistTab();
    void ShowCdTab(ICdTrackList &list);
    ICdTrackList *CdTabOnShow() const override { return m_pCdList; }

    // IPlayOrder
    bool SelectNext() override;
    void NextTrack() override;
    // Appends to the history of the tab on show while recording is enabled: a path on the playlist
    // tab, a track number in decimal on a CD tab (text that is no number is ignored there).
    void RecordPlayed(const std::string &pathOrTrack) override;
    bool StopAfterEntry() const override { return m_bStopAfterEntry; }
    void ClearStopAfterEntry() override { m_bStopAfterEntry = false; }

    // Moves the cursor back and, when something plays, plays that entry without recording it.
    void SelectPrevious();
    // n > 0: a pick among n selected rows. n = 0: an unplayed row of the list on show, flagged as
    // played; when every row has been played the flags start over. -1 when the list is empty.
    int RandomRow(int n);
    void RecordCdPlayed(int track);

    void ToggleStopAfterEntry() { m_bStopAfterEntry = !m_bStopAfterEntry; }
    void Rewind();
    void FastForward();
    // +1 or -1 on the volume slider, starting from the saved volume while muted.
    void VolumeStep(int step);

    void ToggleRandom();
    void ToggleRepeatTrack();
    void ToggleRepeatList();

    // Set while the play order changes the list's selection: the list's own selection handler
    // ignores those changes.
    bool ListBusy() const { return m_bListBusy; }
    bool HistoryEnabled() const { return m_bHistoryEnabled; }
    const std::deque<std::string> &PlaylistHistory() const { return m_PlaylistHistory; }
    const std::deque<int> &CdHistory() const { return m_CdHistory; }

private:
    bool SelectNextInPlaylist();
    bool SelectNextOnCd(ICdTrackList &list);
    void SelectPreviousInPlaylist();
    bool SelectPreviousOnCd(ICdTrackList &list);
    // Among two or more selected rows: a random one, but not the one that plays (or the cursor).
    int RandomSelectedRow();
    int RandomPlaylistRow(std::uint64_t counter);
    int RandomCdRow(ICdTrackList &list, std::uint64_t counter);
    // Plays the row now at the cursor without recording it in the history.
    void PlayWithoutHistory();
    // True when the press may be carried out; records its time then.
    bool SeekPressAllowed();
    bool IsPlayingCdRow(const ICdTrackList &list, int row) const;

    CPlayerDoc &m_doc;
    ITransport &m_transport;
    TickSource m_tickMs;
    ICdTrackList *m_pCdList = nullptr;

    std::deque<std::string> m_PlaylistHistory;
    std::deque<int> m_CdHistory;
    bool m_bHistoryEnabled = true;
    bool m_bStopAfterEntry = false;
    bool m_bListBusy = false;
    std::optional<std::uint64_t> m_lastSeekPressMs;
};

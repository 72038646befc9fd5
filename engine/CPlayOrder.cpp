#include "engine/CPlayOrder.h"

#include "engine/ICdTrackList.h"
#include "engine/ITransport.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTextCompare.h"

#include <algorithm>
#include <charconv>
#include <chrono>

namespace {

std::uint64_t SteadyMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The first row from `start` stepping by `dir` (+1 down, -1 up) inside 0..count-1 that `wanted`
// accepts, or -1.
template <typename Pred>
int SearchRows(int start, int dir, int count, Pred wanted)
{
    for (int row = start; row >= 0 && row < count; row += dir) {
        if (wanted(row))
            return row;
    }
    return -1;
}

} // namespace

CPlayOrder::CPlayOrder(CPlayerDoc &doc, ITransport &transport, TickSource tickMs)
    : m_doc(doc), m_transport(transport), m_tickMs(tickMs ? std::move(tickMs) : TickSource(SteadyMs))
{
}

void CPlayOrder::ShowPlaylistTab()
{
    m_pCdList = nullptr;
    m_doc.SetCdTabShown(false);
}

void CPlayOrder::ShowCdTab(ICdTrackList &list)
{
    m_pCdList = &list;
    m_doc.SetCdTabShown(true);
}

// --- next ---------------------------------------------------------------------------------------

bool CPlayOrder::SelectNext()
{
    return m_pCdList ? SelectNextOnCd(*m_pCdList) : SelectNextInPlaylist();
}

void CPlayOrder::NextTrack()
{
    if (SelectNext() && m_transport.IsPlaying())
        m_transport.Play();
}

bool CPlayOrder::SelectNextInPlaylist()
{
    const int count = m_doc.EntryCount();
    if (count <= 0)
        return false;
    const CPlaylistState &state = m_doc.State();
    const bool playing = m_transport.IsPlaying();
    const bool repeatList = m_doc.repeatlist != 0;
    bool result = true;
    m_bListBusy = true;

    int current = state.m_nCurrent;
    if (state.SelectedCount() < 2) {
        int sel = state.NextSelected(-1);
        if (sel >= 0) {
            if (m_doc.random != 0) {
                current = RandomRow(0);
            } else if (!playing) {
                ++current;
            } else if (sel == state.m_nPlaying) {
                // The row still marked playing may hold another entry now (the list changed under
                // it); then that row is the next one to play.
                if (!CTextCompare::EqualNoCase(m_doc.EntryAt(sel).m_strPath, m_transport.PlayingPath()))
                    current = sel;
                else
                    ++current;
            } else {
                current = sel; // the user chose another row
            }
        } else {
            sel = 0;
            // Nothing selected: the order goes on from the row that plays (which, when the list changed
            // under it, holds the next entry itself).
            const int row = state.m_nPlaying;
            if (playing && row >= 0) {
                if (m_doc.random != 0)
                    current = RandomRow(0);
                else if (row < count && !CTextCompare::EqualNoCase(m_doc.EntryAt(row).m_strPath, m_transport.PlayingPath()))
                    current = row;
                else
                    current = row + 1;
            }
        }
        if (current >= count) {
            if (repeatList) {
                current = 0;
            } else {
                current = count - 1;
                result = false;
            }
        }
        current = std::max(current, 0);
        m_doc.StepSelection(sel, current);
    } else if (m_doc.random != 0) {
        current = RandomSelectedRow();
    } else {
        const int after = playing ? state.m_nPlaying : state.m_nCurrent;
        current = state.NextSelected(after);
        if (current < 0) {
            current = state.NextSelected(-1);
            result = repeatList;
        }
    }

    m_doc.MakeCurrent(current);
    m_bListBusy = false;
    return result;
}

bool CPlayOrder::SelectNextOnCd(ICdTrackList &list)
{
    const int count = std::min(list.RowCount(), ICdTrackList::kMaxRows);
    if (count <= 0)
        return false;
    m_bListBusy = true;
    int row = -1;
    if (m_doc.random != 0) {
        row = RandomRow(0);
    } else {
        const int first = list.FirstSelectedRow();
        const int start = std::max(m_transport.IsPlaying() ? first : first + 1, 0);
        row = SearchRows(start, +1, count,
                         [&](int r) { return list.IsChecked(r) && !IsPlayingCdRow(list, r); });
    }
    if (row < 0 && m_doc.repeatlist != 0)
        row = SearchRows(0, +1, count, [&](int r) { return list.IsChecked(r); });
    // With no checked track at all there is nothing to play, even with repeat-list on.
    if (row >= 0)
        list.SelectAndFocus(row);
    m_bListBusy = false;
    return row >= 0;
}

int CPlayOrder::RandomSelectedRow()
{
    const CPlaylistState &state = m_doc.State();
    const std::vector<int> rows = state.SelectedRows();
    const int n = static_cast<int>(rows.size());
    if (n == 0)
        return state.m_nCurrent;
    const int k = RandomRow(n);
    const int avoid = m_transport.IsPlaying() ? state.m_nPlaying : state.m_nCurrent;
    if (rows[k] != avoid)
        return rows[k];
    return k + 1 < n ? rows[k + 1] : rows[0];
}

// --- previous -----------------------------------------------------------------------------------

void CPlayOrder::SelectPrevious()
{
    if (m_pCdList) {
        if (SelectPreviousOnCd(*m_pCdList) && m_transport.IsPlaying())
            PlayWithoutHistory();
        return;
    }
    SelectPreviousInPlaylist();
}

void CPlayOrder::SelectPreviousInPlaylist()
{
    const int count = m_doc.EntryCount();
    if (count <= 0)
        return;
    const CPlaylistState &state = m_doc.State();
    const bool random = m_doc.random != 0;
    const int selected = state.SelectedCount();
    m_bListBusy = true;

    int above = -1;
    for (int row = std::min(state.m_nPlaying, count) - 1; row >= 0; --row) {
        if (state.IsSelected(row)) {
            above = row;
            break;
        }
    }

    int current = state.m_nCurrent;
    if (above >= 0 && selected >= 2 && !random) {
        current = above;
    } else if (selected < 2) {
        const int first = state.NextSelected(-1);
        if (!random) {
            // With no row selected the cursor row stands in for the selection.
            const int start = first >= 0 ? first : state.m_nCurrent;
            if (start <= 0) {
                if (state.m_nCurrent != 0)
                    m_doc.MakeCurrent(0);
                m_bListBusy = false;
                return; // nothing before the first row
            }
            current = state.m_nPlaying < 1 ? start - 1 : state.m_nPlaying - 1;
        } else {
            const std::string playingPath = m_transport.PlayingPath();
            int found = -1;
            while (found < 0 && !m_PlaylistHistory.empty()) {
                const std::string path = std::move(m_PlaylistHistory.back());
                m_PlaylistHistory.pop_back();
                if (CTextCompare::EqualNoCase(path, playingPath))
                    continue;
                for (int row = 0; row < count; ++row) {
                    if (CTextCompare::EqualNoCase(m_doc.EntryAt(row).m_strPath, path)) {
                        found = row;
                        break;
                    }
                }
                // A path no longer in the list is dropped and the next older one is tried.
            }
            current = found >= 0 ? found : RandomRow(0);
        }
        current = std::clamp(current, 0, count - 1);
        m_doc.StepSelection(first, current);
    } else if (!random) {
        // Two or more rows selected and none above the playing one: the nearest selected row above
        // the cursor, else wrap to the bottom of the selection.
        int row = -1;
        for (int r = std::min(state.m_nCurrent, count) - 1; r >= 0; --r) {
            if (state.IsSelected(r)) {
                row = r;
                break;
            }
        }
        if (row < 0) {
            const std::vector<int> rows = state.SelectedRows();
            row = rows.back();
        }
        current = row;
    } else {
        current = RandomSelectedRow();
    }

    m_doc.MakeCurrent(current);
    m_bListBusy = false;
    if (m_transport.IsPlaying())
        PlayWithoutHistory();
}

bool CPlayOrder::SelectPreviousOnCd(ICdTrackList &list)
{
    const int count = std::min(list.RowCount(), ICdTrackList::kMaxRows);
    if (count <= 0)
        return false;
    int row = -1;
    if (m_doc.random == 0) {
        const int first = list.FirstSelectedRow();
        if (first <= 0)
            return false;
        row = SearchRows(std::min(first, count) - 1, -1, count, [&](int r) { return list.IsChecked(r); });
    } else {
        const int playingTrack = list.PlayingTrack();
        while (row < 0 && !m_CdHistory.empty()) {
            const int track = m_CdHistory.back();
            m_CdHistory.pop_back();
            if (track == playingTrack)
                continue;
            row = SearchRows(0, +1, count, [&](int r) { return list.TrackNumber(r) == track; });
        }
        if (row < 0)
            row = RandomRow(0);
    }
    if (row < 0)
        return false;
    m_bListBusy = true;
    list.SelectAndFocus(row);
    m_bListBusy = false;
    return true;
}

void CPlayOrder::PlayWithoutHistory()
{
    m_bHistoryEnabled = false;
    m_transport.Play();
    m_bHistoryEnabled = true;
}

// --- random -------------------------------------------------------------------------------------

int CPlayOrder::RandomRow(int n)
{
    const std::uint64_t counter = m_transport.CounterNow();
    if (n > 0)
        return static_cast<int>(counter % static_cast<std::uint64_t>(n));
    if (n < 0)
        return -1;
    return m_pCdList ? RandomCdRow(*m_pCdList, counter) : RandomPlaylistRow(counter);
}

int CPlayOrder::RandomPlaylistRow(std::uint64_t counter)
{
    const int count = std::min(m_doc.EntryCount(), CPlaylistState::kMaxRows);
    if (count <= 0)
        return -1;
    const CPlaylistState &state = m_doc.State();
    const int start = static_cast<int>(counter % static_cast<std::uint64_t>(count));
    const int dir = m_transport.HalfTick() ? -1 : +1;
    auto unplayed = [&](int row) { return state.m_aPlayed[row] == 0; };
    int row = SearchRows(start, dir, count, unplayed);
    if (row < 0)
        row = SearchRows(start, -dir, count, unplayed);
    if (row < 0) {
        m_doc.ClearPlayedFlags(); // every row has been played: a new pass begins
        row = start;
    }
    m_doc.MarkPlayed(row);
    return row;
}

int CPlayOrder::RandomCdRow(ICdTrackList &list, std::uint64_t counter)
{
    const int count = std::min(list.RowCount(), ICdTrackList::kMaxRows);
    if (count <= 0)
        return -1;
    const int start = static_cast<int>(counter % static_cast<std::uint64_t>(count));
    const int dir = m_transport.HalfTick() ? -1 : +1;
    auto candidate = [&](int row) { return list.IsChecked(row) && !list.IsPlayed(row); };
    int row = SearchRows(start, dir, count, candidate);
    if (row < 0)
        row = SearchRows(start, -dir, count, candidate);
    if (row < 0) {
        // A new pass; the first selected row (the one just played) is marked so that it does not
        // come again at once. The rows after it are tried first, then those before it.
        list.ClearPlayed();
        const int first = std::min(list.FirstSelectedRow(), count - 1);
        if (first >= 0)
            list.SetPlayed(first, true);
        row = SearchRows(first + 1, +1, count, candidate);
        if (row < 0 && first > 0)
            row = SearchRows(first - 1, -1, count, candidate);
        // The only checked track is the one just played: it plays again.
        if (row < 0 && first >= 0 && list.IsChecked(first))
            row = first;
    }
    if (row >= 0)
        list.SetPlayed(row, true);
    return row;
}

// --- history ------------------------------------------------------------------------------------

void CPlayOrder::RecordPlayed(const std::string &pathOrTrack)
{
    if (!m_bHistoryEnabled || pathOrTrack.empty())
        return;
    if (m_pCdList) {
        int track = 0;
        const char *end = pathOrTrack.data() + pathOrTrack.size();
        const auto [ptr, ec] = std::from_chars(pathOrTrack.data(), end, track);
        if (ec == std::errc() && ptr == end)
            RecordCdPlayed(track);
        return;
    }
    m_PlaylistHistory.push_back(pathOrTrack);
    while (static_cast<int>(m_PlaylistHistory.size()) > kMaxHistory)
        m_PlaylistHistory.pop_front();
}

void CPlayOrder::RecordCdPlayed(int track)
{
    if (!m_bHistoryEnabled || track <= 0)
        return;
    m_CdHistory.push_back(track);
    while (static_cast<int>(m_CdHistory.size()) > kMaxHistory)
        m_CdHistory.pop_front();
}

// --- rewind, fast forward, volume ---------------------------------------------------------------

bool CPlayOrder::SeekPressAllowed()
{
    const std::uint64_t now = m_tickMs();
    if (m_lastSeekPressMs && now >= *m_lastSeekPressMs && now - *m_lastSeekPressMs < kSeekGuardMs)
        return false;
    m_lastSeekPressMs = now;
    return true;
}

void CPlayOrder::Rewind()
{
    if (!m_transport.IsPlaying() || !SeekPressAllowed())
        return;
    const unsigned elapsed = m_transport.ElapsedMs();
    if (elapsed >= kSeekStepMs) {
        m_transport.SetPosition(static_cast<int>((elapsed - kSeekStepMs) / 1000), -1);
    } else if (elapsed < 1000) {
        if (m_doc.repeattrack != 0) {
            // A track shorter than the step restarts instead of seeking before its start.
            m_transport.SetPosition(std::max(m_transport.PlayingDuration() - 5, 0), 0);
            return;
        }
        const std::string before = m_transport.PlayingPath();
        SelectPrevious();
        // Rewinding across the start of a track continues 5 s before the end of the previous one.
        const int duration = m_transport.PlayingDuration();
        if (m_transport.IsPlaying() && !CTextCompare::EqualNoCase(m_transport.PlayingPath(), before) &&
            duration >= 5)
            m_transport.SetPosition(duration - 5, 0);
    } else {
        m_transport.SetPosition(0, -1);
    }
}

void CPlayOrder::FastForward()
{
    if (!m_transport.IsPlaying() || !SeekPressAllowed())
        return;
    const std::uint64_t elapsed = m_transport.ElapsedMs();
    const std::uint64_t durationMs = static_cast<std::uint64_t>(std::max(m_transport.PlayingDuration(), 0)) * 1000;
    if (elapsed + kSeekStepMs < durationMs)
        m_transport.SetPosition(static_cast<int>((elapsed + kSeekStepMs) / 1000), +1);
    else if (m_doc.repeattrack != 0)
        m_transport.SetPosition(0, 0);
    else
        NextTrack();
}

void CPlayOrder::VolumeStep(int step)
{
    const int saved = m_transport.SavedVolume();
    const int value = saved != 0 ? saved : m_transport.VolumeSliderPosition();
    if (step > 0 && value < kSliderMaximum)
        m_transport.SetVolumeSliderPosition(value + 1);
    else if (step < 0 && value >= 1)
        m_transport.SetVolumeSliderPosition(value - 1);
}

// --- toggles ------------------------------------------------------------------------------------

void CPlayOrder::ToggleRandom()
{
    m_doc.random = m_doc.random != 0 ? 0 : 1;
}

void CPlayOrder::ToggleRepeatTrack()
{
    m_doc.repeattrack = m_doc.repeattrack != 0 ? 0 : 1;
}

void CPlayOrder::ToggleRepeatList()
{
    // Through the document: the gapless change-over reads its own copy of the setting.
    m_doc.SetRepeatList(m_doc.repeatlist == 0);
}

// --- helpers ------------------------------------------------------------------------------------

bool CPlayOrder::IsPlayingCdRow(const ICdTrackList &list, int row) const
{
    const int track = list.PlayingTrack();
    return track != 0 && list.PlayingDrive() == list.DriveLetter() && list.TrackNumber(row) == track;
}


#pragma once
// Fakes and a fixture for driving the play order with a real playlist document: a transport that
// behaves like the engine where the play order depends on it (Play starts the row at the cursor,
// marks it played and selected and records it in the history; StopPlayback clears stop-at-track-end),
// a CD track list, and pause/fade/mute controls that only count calls.

#include "engine/CPlayOrder.h"
#include "engine/ICdTrackList.h"
#include "engine/IPlaybackControls.h"
#include "engine/ITransport.h"
#include "playlist/CPlayerDoc.h"
#include "tests/support/PlaylistFakes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class FakeCdList : public ICdTrackList {
public:
    // One row per track number, all checked.
    explicit FakeCdList(std::vector<int> tracks, char drive = 'D')
        : m_tracks(std::move(tracks)), m_checked(m_tracks.size(), true), m_played(m_tracks.size(), false),
          m_drive(drive)
    {
    }

    int RowCount() const override { return static_cast<int>(m_tracks.size()); }
    bool IsChecked(int row) const override { return m_checked.at(row); }
    int TrackNumber(int row) const override { return m_tracks.at(row); }
    char DriveLetter() const override { return m_drive; }
    int FirstSelectedRow() const override { return m_selected; }
    void SelectAndFocus(int row) override
    {
        m_selected = row;
        m_focused = row;
        ++m_nSelectCalls;
    }
    bool IsPlayed(int row) const override { return m_played.at(row); }
    void SetPlayed(int row, bool played) override { m_played.at(row) = played; }
    void ClearPlayed() override { m_played.assign(m_played.size(), false); }
    char PlayingDrive() const override { return m_playingDrive; }
    int PlayingTrack() const override { return m_playingTrack; }

    int PlayedCount() const
    {
        int n = 0;
        for (bool played : m_played)
            n += played ? 1 : 0;
        return n;
    }

    std::vector<int> m_tracks;
    std::vector<bool> m_checked;
    std::vector<bool> m_played;
    char m_drive;
    int m_selected = -1;
    int m_focused = -1;
    int m_nSelectCalls = 0;
    char m_playingDrive = 0;
    int m_playingTrack = 0;
};

class FakeTransport : public ITransport {
public:
    struct Seek {
        int seconds;
        int orderStep;
        bool operator==(const Seek &) const = default;
    };

    void Play() override
    {
        ++m_nPlayCalls;
        if (m_pCd) {
            const int row = m_pCd->m_focused;
            if (row < 0 || row >= m_pCd->RowCount())
                return;
            m_pCd->m_playingDrive = m_pCd->m_drive;
            m_pCd->m_playingTrack = m_pCd->TrackNumber(row);
            m_pCd->SetPlayed(row, true);
            Start("cd " + std::to_string(m_pCd->m_playingTrack), 240, row);
            if (m_pOrder)
                m_pOrder->RecordPlayed(std::to_string(m_pCd->m_playingTrack));
            return;
        }
        const int row = m_pDoc->State().m_nCurrent;
        if (row < 0 || row >= m_pDoc->EntryCount())
            return;
        const CPlaylistEntry &entry = m_pDoc->EntryAt(row);
        m_pDoc->MarkPlaying(row);
        Start(entry.m_strPath, entry.m_nDuration, row);
        if (m_pOrder)
            m_pOrder->RecordPlayed(entry.m_strPath);
    }

    void StopPlayback() override
    {
        ++m_nStopCalls;
        m_bPlaying = false;
        if (m_pDoc)
            m_pDoc->MarkPlaying(-1);
        if (m_pOrder)
            m_pOrder->ClearStopAfterEntry();
    }

    void SetPosition(int seconds, int orderStep) override { m_seeks.push_back({seconds, orderStep}); }
    bool IsPlaying() const override { return m_bPlaying; }
    unsigned ElapsedMs() const override { return m_nElapsedMs; }
    std::string PlayingPath() const override { return m_strPath; }
    int PlayingDuration() const override { return m_nDuration; }
    bool HalfTick() const override { return m_bHalfTick; }

    // With m_bCounterRuns each reading steps a 64-bit LCG, so successive random picks differ as
    // they do with a real clock; otherwise the counter stays at m_nCounter.
    std::uint64_t CounterNow() const override
    {
        const std::uint64_t value = m_nCounter;
        if (m_bCounterRuns)
            m_nCounter = m_nCounter * 6364136223846793005ULL + 1442695040888963407ULL;
        return m_bCounterRuns ? value >> 33 : value;
    }

    int VolumeSliderPosition() const override { return m_nSlider; }
    void SetVolumeSliderPosition(int position) override
    {
        m_nSlider = position;
        m_sliderSets.push_back(position);
    }
    int SavedVolume() const override { return m_nSavedVolume; }

    void Start(std::string path, int duration, int row)
    {
        m_bPlaying = true;
        m_strPath = std::move(path);
        m_nDuration = duration;
        m_nElapsedMs = 0;
        m_playedRows.push_back(row);
    }

    CPlayerDoc *m_pDoc = nullptr;
    CPlayOrder *m_pOrder = nullptr;
    FakeCdList *m_pCd = nullptr; // set while a CD tab is on show

    bool m_bPlaying = false;
    unsigned m_nElapsedMs = 0;
    std::string m_strPath;
    int m_nDuration = 0;
    bool m_bHalfTick = false;
    mutable std::uint64_t m_nCounter = 0;
    bool m_bCounterRuns = false;
    int m_nSlider = 100;
    int m_nSavedVolume = 0;

    int m_nPlayCalls = 0;
    int m_nStopCalls = 0;
    std::vector<Seek> m_seeks;
    std::vector<int> m_sliderSets;
    std::vector<int> m_playedRows; // row of every successful Play, in order
};

class FakeControls : public IPlaybackControls {
public:
    void TogglePause() override { ++m_nPause; }
    void ToggleFadeOut() override { ++m_nFade; }
    void ToggleMute() override { ++m_nMute; }
    bool IsPaused() const override { return m_bPaused; }

    int m_nPause = 0, m_nFade = 0, m_nMute = 0;
    bool m_bPaused = false;
};

// A playlist of `n` MPEG entries "/music/track<i>.mp3" with the given durations (60 s by default),
// a fake transport wired like the engine, and the play order under test with a hand-driven clock.
class PlayOrderFixture : public testing::Test {
public:
    PlayOrderFixture()
    {
        m_transport.m_pDoc = &m_doc;
        m_transport.m_pOrder = &m_order;
    }

    static std::string PathOf(int i) { return "/music/track" + std::to_string(i) + ".mp3"; }

    void Fill(int n, const std::vector<int> &durations = {})
    {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i) {
            const int duration = i < static_cast<int>(durations.size()) ? durations[i] : 60;
            m_identifier.AddFile(PathOf(i), kTypeMpeg, duration);
            paths.push_back(PathOf(i));
        }
        ASSERT_EQ(m_doc.AddFiles(paths), n);
    }

    const CPlaylistState &State() const { return m_doc.State(); }

    void SelectOnly(std::initializer_list<int> rows)
    {
        DeselectAll(m_doc);
        for (int row : rows)
            m_doc.UserSelected(row, true);
    }

    // Puts the cursor on `row`, selects only it and starts it as the engine would.
    void PlayRow(int row)
    {
        SelectOnly({row});
        m_doc.UserFocused(row);
        m_transport.Play();
        ASSERT_TRUE(m_transport.IsPlaying());
        ASSERT_EQ(State().m_nPlaying, row);
    }

    // Nothing plays, nothing is selected or flagged, the cursor is on row 0, no calls recorded.
    void ResetPlayback()
    {
        m_transport.StopPlayback();
        m_transport.m_nPlayCalls = m_transport.m_nStopCalls = 0;
        m_transport.m_playedRows.clear();
        m_transport.m_seeks.clear();
        DeselectAll(m_doc);
        m_doc.ClearPlayedFlags();
        m_doc.UserFocused(0);
    }

    // What the engine does when a channel ends: stop after this entry, repeat it, or go on.
    void EndOfChannel()
    {
        if (m_order.StopAfterEntry()) {
            m_transport.StopPlayback();
        } else if (m_doc.repeattrack != 0) {
            m_transport.SetPosition(0, 0);
        } else if (m_order.SelectNext()) {
            m_transport.Play();
        } else {
            m_transport.StopPlayback();
        }
    }

    std::vector<int> SelectedRows() const { return m_doc.State().SelectedRows(); }

    int PlayedFlagCount(int rows) const
    {
        int n = 0;
        for (int row = 0; row < rows; ++row)
            n += m_doc.State().m_aPlayed[row] != 0 ? 1 : 0;
        return n;
    }

    FakeIdentifier m_identifier;
    FakeMessageBox m_messageBox;
    CPlayerDoc m_doc{m_identifier, m_messageBox};
    FakeTransport m_transport;
    std::uint64_t m_nowMs = 100000;
    CPlayOrder m_order{m_doc, m_transport, [this] { return m_nowMs; }};
};

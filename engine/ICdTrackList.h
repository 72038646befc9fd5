#pragma once
// One CD tab as the play order sees it: the rows of the disc's track list with their check boxes,
// the selection and focus, the random-play marks of the rows, and which CD track plays. The CD track
// list control implements it; the play order's tests use a fake.
//
// Rows are numbered from 0 in the order shown. "Down" the list means towards higher row numbers.
//
// Threads: user-interface thread only.

class ICdTrackList {
public:
    static constexpr int kMaxRows = 100;

    virtual ~ICdTrackList() = default;

    virtual int RowCount() const = 0;
    // The row's check box (tracks to play or extract).
    virtual bool IsChecked(int row) const = 0;
    // The row's item data: the track number on the disc (1-based).
    virtual int TrackNumber(int row) const = 0;
    // The letter of the drive this tab shows.
    virtual char DriveLetter() const = 0;

    // The first selected row, or -1 when none is selected.
    virtual int FirstSelectedRow() const = 0;
    // Makes `row` the only selected row, gives it the focus and scrolls it into view.
    virtual void SelectAndFocus(int row) = 0;

    // The random-play marks, one per row (at most kMaxRows).
    virtual bool IsPlayed(int row) const = 0;
    virtual void SetPlayed(int row, bool played) = 0;
    virtual void ClearPlayed() = 0;

    // The CD track that plays, as the document records it: drive letter and track number, or
    // track 0 when no CD track plays.
    virtual char PlayingDrive() const = 0;
    virtual int PlayingTrack() const = 0;
};

#pragma once
// The lines of the Jump to Track window: one per playlist entry, the artist, " - " and the title (the
// artist or the title alone when the other is empty; entries with neither are not listed), each
// carrying its playlist row. A filter keeps the lines that contain it, compared case-insensitively
// anywhere in the line. The selection moves with wrap-around and starts on the first line.
//
// Threads: user-interface thread only.

#include <string>
#include <vector>

class CPlayerDoc;
class CPlaylistEntry;

class CJumpList {
public:
    struct Line {
        std::string text;
        int row;
    };

    explicit CJumpList(const CPlayerDoc &doc);

    // The line of `entry`; empty when it has neither artist nor title.
    static std::string LineText(const CPlaylistEntry &entry);
    static std::string Lower(const std::string &text);

    // Keeps only the lines containing `filter` (ignoring case) and selects the first one.
    void SetFilter(const std::string &filter);
    const std::vector<Line> &Lines() const { return m_lines; }

    int Selected() const { return m_nSelected; }
    void Select(int index);
    void SelectNext();
    void SelectPrevious();
    // The playlist row of the selected line, -1 when none.
    int ChosenRow() const;

private:
    struct Candidate {
        Line line;
        std::string lowered;
    };
    std::vector<Candidate> m_all;
    std::vector<Line> m_lines;
    int m_nSelected = -1;
};

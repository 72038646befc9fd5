#pragma once
// The text of the tray icon's tip and the window title. The tip reads, for example,
// "[1:02/3:45] Artist - Title" while playing ("<...>" stopped, "(...)" paused); the large tip puts time,
// artist and title on lines of their own. The text never exceeds the tip size: the artist is dropped
// first, then the title is cut and ends in "...".
//
// Sizes count characters (Unicode code points), so a cut never splits a UTF-8 sequence. The tip shows
// its text as written, so an ampersand stays a single one.

#include <string>

class CTrayTipText {
public:
    static constexpr int kSmallTip = 64;
    static constexpr int kLargeTip = 128;

    enum class State { Stopped, Playing, Paused };

    struct Input {
        bool valid = false; // false: no entry to show
        State state = State::Stopped;
        int elapsedSeconds = 0; // ignored when stopped
        int lengthSeconds = 0;
        std::string artist; // UTF-8; for a CD track the disc database names
        std::string title;
        int cdTrack = 0; // track number of a CD track, 0 for a playlist entry
    };

    // `tipSize` is kSmallTip or kLargeTip.
    static std::string Build(const Input &input, int tipSize);
    // "m:ss", or "h:mm:ss" from one hour; a leading "-" for negative times.
    static std::string FormatTime(int seconds);
    // The window title for the text the view composed: "Melvane" when it is empty.
    static std::string WindowTitle(const std::string &composed);
};

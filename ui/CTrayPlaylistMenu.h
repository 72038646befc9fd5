#pragma once
// The tray menu's playlist submenu and the command ids of the tray's play-this-item commands.
//
// The submenu shows a window of at most 100 entries (fewer when the screen holds fewer items) centred
// on the current entry and clamped to the list; item k has command 36001 + k and remembers the
// playlist index it plays. The CD drive submenus use 36001 + 100 * drive + track - 1 (drives 1 to 4,
// tracks 1 to 99), so every id from 36001 to 36500 decodes to a drive (0 = playlist) and a number.
//
// Threads: user-interface thread only.

#include "core/CPlaylistEntry.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class CTrayPlaylistMenu {
public:
    static constexpr int kFirstCommand = 36001;
    static constexpr int kLastCommand = 36500;
    static constexpr int kMaxItems = 100;

    struct Item {
        int command = 0;
        int index = 0; // playlist index
        std::string text;
        bool checked = false;
    };
    struct Window {
        int first = 0;
        int count = 0;
    };
    struct Command {
        int drive = 0;  // 0 playlist, 1..4 CD drive
        int number = 0; // item (playlist) or track (CD) number from 1
    };

    // How many items the submenu may hold: the screen height less two frame borders, divided by the
    // item height, at most 100 (and at least 1).
    static int FittingItems(int screenHeight, int frameBorder, int itemHeight);
    // At most `maxItems` of `count` entries, centred on `current` (clamped into the list).
    static Window Centred(int count, int current, int maxItems);
    // "n.\t<mm:ss> artist - title" ("h:mm:ss" from one hour), "<untitled track>" for an empty title.
    static std::string ItemText(int number, int durationSeconds, const std::string &artist,
                                const std::string &title, bool doubleAmpersands);
    // The same layout for a CD track; "Untitled" for an empty title.
    static std::string CdTrackText(int track, int lengthSeconds, const std::string &discArtist,
                                   const std::string &title, bool doubleAmpersands);
    static int CdTrackCommand(int drive, int track) { return kFirstCommand + 100 * drive + track - 1; }
    // The drive and number of a tray item command; nothing for ids outside 36001..36500.
    static std::optional<Command> Decode(int command);

    // Builds the playlist submenu's items from the list (`entryAt` reads entry i of `count`) and
    // remembers which index each plays. `checkCurrent`: the playlist tab is current, so the current
    // entry's item carries a check mark.
    const std::vector<Item> &Build(int count, int current, int maxItems,
                                   const std::function<CPlaylistEntry(int)> &entryAt, bool checkCurrent,
                                   bool doubleAmpersands = true);
    const std::vector<Item> &Items() const { return m_items; }
    // The playlist index remembered for a playlist item command, or -1.
    int IndexForCommand(int command) const;

private:
    std::vector<Item> m_items;
};

#pragma once
// Which LIRC button names stand for which of the remote plug-in's buttons, read from a small text
// file. Each line holds a LIRC button name and what it does, separated by blanks; "#" starts a comment:
//
//     KEY_PLAY        play
//     KEY_VOLUMEUP    volume-up
//     KEY_RED         stop-at-track-end
//
// The target is one of the plug-in's button names (play, pause, stop, previous, next, volume-up,
// volume-down, mute, fast-forward, rewind), its button code (25 to 39), or one of its programmable
// functions (stop-at-track-end, fade-out, toggle-tab, or fn0 to fn2). Names compare without regard to
// case; a later line for the same name wins. A remote's own name may qualify a line
// ("mceusb:KEY_PLAY"), and such a line wins over an unqualified one for that remote.
//
// Threads: any one at a time.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RemoteTarget {
    bool programmable = false;
    std::uint16_t code = 0; // a button code, or a programmable function's index
    bool operator==(const RemoteTarget &) const = default;
};

class CRemoteButtonMap {
public:
    // Reads `path`; false when it cannot be read. Lines that make no sense are skipped, each with a
    // message "PATH:LINE: ..." in `problems`.
    bool Load(const std::string &path, std::vector<std::string> &problems);
    // Reads the map from text (the file's contents), as Load does.
    void Parse(std::string_view text, const std::string &origin, std::vector<std::string> &problems);

    std::optional<RemoteTarget> Find(std::string_view remote, std::string_view button) const;
    std::size_t Size() const { return m_targets.size(); }
    // Every binding, "remote:button" or "button" (upper case) with its target.
    const std::map<std::string, RemoteTarget> &Bindings() const { return m_targets; }

    // The target a word of the file names; nothing for a word that names none.
    static std::optional<RemoteTarget> TargetOf(std::string_view word);
    // The file's word for a target (its button or function name).
    static std::string NameOf(const RemoteTarget &target);

private:
    std::map<std::string, RemoteTarget> m_targets;
};

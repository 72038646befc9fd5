#pragma once
// The user's mimeapps.list (the freedesktop.org "MIME applications associations" file), edited the way
// a careful program must: only the lines for the types it changes are touched, and every other line -
// other groups, comments, unknown or broken lines, the order - is written back byte for byte.
//
// The default application of a type is the value of its first "type=" line in a
// [Default Applications] group (as xdg-mime reads it): a list of desktop-file ids, each ended by ';'.
// Setting a default rewrites that first line and drops any later line for the same type in a
// default group, so the file no longer holds two answers for one type.
//
// Saving replaces the file in one step (a failed write leaves it as it was). A file that exists but
// cannot be read, or is larger than kMaxFileBytes, is never written.
//
// Not thread-safe; UI thread in the program.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMimeAppsList {
public:
    static constexpr std::size_t kMaxFileBytes = 1 << 20;
    static constexpr std::string_view kDefaultGroup = "[Default Applications]";

    // $XDG_CONFIG_HOME/mimeapps.list ($HOME/.config/mimeapps.list when the variable is unset or relative).
    static std::string UserFile();
    // The user's lists for the desktops named in $XDG_CURRENT_DESKTOP, in its order
    // ($XDG_CONFIG_HOME/gnome-mimeapps.list for "GNOME"): they come before UserFile() when a
    // program looks a default up.
    static std::vector<std::string> UserDesktopFiles();

    explicit CMimeAppsList(std::string path);

    // Reads the file. A missing file reads as empty; false when it exists but cannot be read whole.
    bool Load();
    // The raw value of the type's default line; nullopt when there is none.
    std::optional<std::string> Default(std::string_view type) const;
    // The first desktop-file id of the type's default; empty when there is none.
    std::string FirstDefault(std::string_view type) const;
    void SetDefault(std::string_view type, std::string_view value);
    // Removes every default line of the type.
    void RemoveDefault(std::string_view type);
    // Writes the lines back (the folder is created when missing); false when nothing was written, and
    // always after a failed Load.
    bool Save() const;

    const std::string &Path() const { return m_strPath; }
    std::string Text() const;

    // The ids of a value: "a.desktop;b.desktop;" gives a.desktop and b.desktop.
    static std::vector<std::string> Entries(std::string_view value);

private:
    // Index of each default line of `type`, in file order.
    std::vector<std::size_t> DefaultLines(std::string_view type) const;

    std::string m_strPath;
    std::vector<std::string> m_lines;
    bool m_bFinalNewline = true;
    bool m_bLoaded = false;
};

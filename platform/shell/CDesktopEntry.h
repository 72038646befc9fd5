#pragma once
// Desktop entries (freedesktop.org .desktop files) of the user: where they live, how a program path
// goes into an Exec key, whether an entry of a given id is installed, and writing one only when its
// text changed.
//
// Not thread-safe; UI thread in the program.

#include <string>
#include <string_view>
#include <vector>

class CDesktopEntry {
public:
    // $XDG_DATA_HOME/applications ($HOME/.local/share/applications when the variable is unset or relative).
    static std::string UserApplicationsFolder();
    // Where entries are looked for, in order: the user's folder, then each $XDG_DATA_DIRS folder
    // (/usr/local/share:/usr/share when unset) + "/applications".
    static std::vector<std::string> ApplicationFolders();
    // Whether an entry with the desktop-file id `id` exists in one of `folders` ("kde-foo.desktop" is
    // also found as kde/foo.desktop).
    static bool IsInstalled(std::string_view id, const std::vector<std::string> &folders);

    // One argument as it must stand in an Exec value: '%' doubled; with a reserved character (blank,
    // quote, '$', ...) in double quotes with '"', '`', '$' and '\\' escaped; then escaped as a string
    // value (backslash, line break, tab).
    static std::string ExecArgument(std::string_view argument);
    // A string value escaped for a desktop entry (backslash, line break, tab, carriage return).
    static std::string EscapeValue(std::string_view text);

    // Writes `text` as `folder`/`id` unless the file already holds exactly that text; the folder is
    // created when missing. True when the file holds the text afterwards.
    static bool WriteIfChanged(const std::string &folder, std::string_view id, const std::string &text);
};

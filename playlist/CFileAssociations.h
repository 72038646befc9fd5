#pragma once
// Melvane as the desktop's program for its file types and for audio CDs, on the freedesktop.org
// (XDG) rules.
//
// The player's three kinds of document become desktop entries in the user's applications folder,
// each running the program by its real path: melvane-play.desktop plays music files (a second entry,
// melvane-add.desktop, adds them to the playlist), melvane-playlist.desktop opens a playlist and
// melvane-cd.desktop plays an audio CD. RegisterShellClasses writes them at every start, and only the
// ones whose text changed, so a program moved to another folder is found again at its next start.
//
// A file type (a row of the options page "Setup") is associated when the user's mimeapps.list names
// the row's entry as the default application of every MIME type of the row. Associating makes it
// the default and keeps the previous default of each type - the raw list of desktop-file ids - in
// the settings store, as the value MVBack of the key Software\Classes\<type> of the current user.
// Dissociating puts that list back exactly (leaving out applications that are no longer installed;
// when none is left, or there was no previous default, the type's line is removed so the system's
// default applies again) and deletes the backup. A type whose default the user has since given to
// another application is left alone. Nothing else in mimeapps.list changes, and it is replaced in one
// step; when it cannot be read or written nothing changes, and IsAssociated reports what the file says.
//
// UI thread only.

#include <array>
#include <string>
#include <string_view>
#include <vector>

class CRegistry;

class CFileAssociations {
public:
    enum Row { kRowMod, kRowS3m, kRowXm, kRowIt, kRowMp2, kRowMp3, kRowOgg, kRowFlac, kRowWma, kRowWav, kRowCd,
               kRowVpl, kRowCount };

    struct RowInfo {
        const char *type;        // the page's "Type" column
        const char *description; // the page's "Description" column
        std::vector<std::string_view> mimeTypes;
        const char *entry; // the desktop entry that becomes their default
    };

    static constexpr const char *kPlayEntry = "melvane-play.desktop";
    static constexpr const char *kAddEntry = "melvane-add.desktop";
    static constexpr const char *kPlaylistEntry = "melvane-playlist.desktop";
    static constexpr const char *kCdEntry = "melvane-cd.desktop";
    static constexpr const char *kBackupKeyPrefix = "Software\\Classes\\";
    static constexpr const char *kBackupValue = "MVBack";

    // Where the entries are written, the associations file, and where installed entries are found.
    // The desktop's own lists (`desktopLists`, e.g. gnome-mimeapps.list) come first when a default
    // is looked up: a type whose default one of them names is changed there, so that the desktop
    // follows the change and undoing it puts that file back as it was.
    struct Places {
        std::string applications;
        std::string mimeAppsList;
        std::vector<std::string> entryFolders;
        std::vector<std::string> desktopLists;
    };
    // The user's folders from the XDG variables.
    static Places UserPlaces();

    // `program`: the full path of the running executable.
    CFileAssociations(CRegistry &registry, std::string program, Places places = UserPlaces());

    static const RowInfo &Info(int row);
    static const std::array<const char *, 4> &EntryIds();

    // Writes the desktop entries that differ from their wanted text; false when one could not be written.
    bool RegisterShellClasses();
    // The wanted text of entry `id` (one of EntryIds).
    std::string EntryText(std::string_view id) const;

    bool IsAssociated(int row) const;
    // False when mimeapps.list could not be read or written (nothing changed then).
    bool Associate(int row);
    bool Dissociate(int row);

private:
    class Lists;

    std::string BackupKey(std::string_view mimeType) const;

    CRegistry &m_registry;
    std::string m_strProgram;
    Places m_places;
};

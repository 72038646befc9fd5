#pragma once
// The registry stand-in: one text file per hive in a folder (by default $XDG_CONFIG_HOME/melvane/).
//
// Every change is a read-modify-write of the hive file under an exclusive lock (flock on a lock file
// beside it), so the program and plug-ins that keep their own values in the same hive never lose each
// other's changes. The new contents are written to a temporary file in the same folder, flushed to disk
// and renamed over the old file: a crash or a failed write never leaves a truncated hive. Readers need
// no lock because a rename replaces the file in one step.
//
// Any thread may use a CRegistry; it holds no state besides the folder.

#include "platform/registry/CRegistryHive.h"

#include <filesystem>
#include <functional>

enum class RegistryRoot {
    CurrentUser,  // HKEY_CURRENT_USER
    LocalMachine, // HKEY_LOCAL_MACHINE (machine-wide values, kept in a hive file of their own)
};

class CRegistry {
public:
    explicit CRegistry(std::filesystem::path folder);

    // $XDG_CONFIG_HOME/melvane, or $HOME/.config/melvane when XDG_CONFIG_HOME is unset or not absolute.
    static std::filesystem::path DefaultFolder();

    const std::filesystem::path &Folder() const { return m_folder; }
    std::filesystem::path HiveFile(RegistryRoot root) const;

    // The hive as stored now; empty when the file is missing or unreadable. Bad lines are skipped.
    CRegistryHive Load(RegistryRoot root) const;

    // Locks the hive, reloads it, lets change edit it and writes the result back when change returns
    // true. Returns false when the folder, the lock or the write failed (the stored hive is then
    // unchanged) or when change returned false.
    bool Update(RegistryRoot root, const std::function<bool(CRegistryHive &)> &change);

    // Convenience operations, each one Update.
    bool CreateKey(RegistryRoot root, std::string_view path);
    bool DeleteKey(RegistryRoot root, std::string_view path);

    // Files larger than this are read only up to this size.
    static constexpr std::uintmax_t kMaxFileBytes = CRegistryHive::kMaxTextBytes;

private:
    std::filesystem::path m_folder;
};

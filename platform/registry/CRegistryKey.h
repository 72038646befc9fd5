#pragma once
// An open registry key, used the way a Windows key handle is: open (read) or create (read and write),
// query, set and delete values, enumerate, close.
//
// Opening takes a snapshot of the key. Changes are kept in the object and written in one locked update
// when the key is closed (or destroyed), so writing a hundred settings rewrites the hive once; values
// that others changed in the meantime and that this key did not touch are kept. Queries see the
// snapshot with this key's own changes applied.
//
// A key object belongs to one thread at a time.

#include "platform/registry/CRegistry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CRegistryKey {
public:
    CRegistryKey() = default;
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey &) = delete;
    CRegistryKey &operator=(const CRegistryKey &) = delete;

    // Opens an existing key for reading; false when it does not exist.
    bool Open(const CRegistry &registry, RegistryRoot root, std::string_view path);
    // Opens the key for reading and writing, creating it (and its parents) when missing; false when the
    // key cannot be created (the hive cannot be written, or the path is invalid).
    bool Create(CRegistry &registry, RegistryRoot root, std::string_view path);
    bool IsOpen() const { return m_open; }

    // Values of another type read as absent.
    std::optional<std::uint32_t> QueryDword(std::string_view name) const;
    std::optional<std::string> QueryString(std::string_view name) const;
    const RegistryValue *QueryValue(std::string_view name) const;

    // Only on a key opened with Create; strings are cut to 511 characters. False when not writable or
    // the name is invalid.
    bool SetDword(std::string_view name, std::uint32_t value);
    bool SetString(std::string_view name, std::string_view text);
    bool DeleteValue(std::string_view name);

    std::vector<std::string> ValueNames() const;
    std::vector<std::string> SubKeyNames() const;

    // Writes pending changes and closes; false when the write failed (the changes are then lost, the
    // stored hive unchanged). Closing a closed key returns true.
    bool Close();

private:
    struct Change {
        std::string name;
        std::optional<RegistryValue> value; // nullopt: delete
    };

    CRegistry *m_writer = nullptr;
    RegistryRoot m_root = RegistryRoot::CurrentUser;
    std::string m_path;
    CRegistryHive m_snapshot;
    std::vector<Change> m_changes;
    bool m_open = false;
};

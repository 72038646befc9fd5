#pragma once
// A plug-in's own values under HKEY_CURRENT_USER Software\Melvane\<key> (Software\Melvane itself for an
// empty key name, where the encoder plug-ins keep theirs), kept in the player's registry
// files through platform/registry (linked into the plug-in, which never links the player). Every change
// is one locked read-modify-write of the hive, so the player's values and other plug-ins' are kept.
//
// Threads: the plug-in's window thread (Init and Quit).

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CVisSettings {
public:
    // `folder` empty: the player's registry folder ($XDG_CONFIG_HOME/melvane).
    explicit CVisSettings(std::string keyName, std::filesystem::path folder = {});

    // Reads every stored 32-bit value of the key (none when the key is missing).
    void Load();
    std::optional<std::uint32_t> Value(const std::string &name) const;
    // A value limited to [low, high]: the stored one when it lies inside, else `fallback`.
    int Ranged(const std::string &name, int low, int high, int fallback) const;

    using Values = std::vector<std::pair<const char *, std::uint32_t>>;
    // Writes the values in the order given; false when the hive could not be written.
    bool Save(const Values &values) const;

private:
    std::string m_key;
    std::filesystem::path m_folder;
    std::map<std::string, std::uint32_t> m_values;
};

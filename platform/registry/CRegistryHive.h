#pragma once
// One registry hive held in memory: keys named by backslash paths, each holding typed values.
//
// Key paths and value names compare without regard to ASCII letter case (as the Windows registry does)
// and keep the spelling they were created with. Values keep their creation order, so a hive written in a
// fixed order reads back in that order. Every string value holds at most kMaxStringChars characters.
//
// Text form (one readable file per hive):
//   # comment lines and blank lines are ignored
//   [Software\Melvane]
//   display=dword:0000002a
//   font=sz:Arial
//   @=sz:the key's default (unnamed) value
// Value names and strings escape backslash, control characters and the characters that carry meaning in
// a line, so any byte string round-trips. Parsing keeps every good line and skips every bad one.
//
// Not thread-safe: each thread works on its own hive object.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RegistryValue {
    enum class Type { Dword, String };
    Type type = Type::Dword;
    std::uint32_t dword = 0;
    std::string text;

    bool operator==(const RegistryValue &) const = default;
};

class CRegistryHive {
public:
    static constexpr std::size_t kMaxStringChars = 511;
    static constexpr std::size_t kMaxNameBytes = 255;     // a value name or one key name
    static constexpr std::size_t kMaxPathBytes = 1024;    // a whole key path
    static constexpr std::size_t kMaxLineBytes = 16384;   // longer lines are skipped when parsing
    static constexpr std::size_t kMaxTextBytes = 4 << 20; // text beyond this is not parsed

    // Replaces the contents with what the text holds; returns the number of lines skipped as bad.
    std::size_t Parse(std::string_view text);
    std::string Serialize() const;

    bool HasKey(std::string_view path) const;
    // Creates the key and every missing parent; false when the path is not a valid key path.
    bool CreateKey(std::string_view path);
    // Deletes the key with all its sub-keys and values; false when it did not exist.
    bool DeleteKey(std::string_view path);
    // Direct sub-key names of a key (empty path: the top level), in creation order.
    std::vector<std::string> SubKeyNames(std::string_view path) const;

    const RegistryValue *FindValue(std::string_view path, std::string_view name) const;
    // Creates the key when missing; strings are cut to kMaxStringChars. False for an invalid path or name.
    bool SetValue(std::string_view path, std::string_view name, RegistryValue value);
    bool DeleteValue(std::string_view path, std::string_view name);
    std::vector<std::string> ValueNames(std::string_view path) const;

    // Cuts UTF-8 text to at most maxChars characters, never inside a character. A byte that does not
    // start a valid UTF-8 sequence counts as one character.
    static std::string CutToCharacters(std::string_view text, std::size_t maxChars);
    // The canonical form of a key path ("a\\b\\" and "\\a\\b" both give "a\\b"); nullopt when invalid.
    static std::optional<std::string> NormalizePath(std::string_view path);

private:
    struct Key {
        std::string path; // spelling of creation
        std::vector<std::pair<std::string, RegistryValue>> values;
        std::map<std::string, std::size_t> index; // folded name -> position in values
        std::size_t order = 0;                    // creation order among keys
    };

    Key *FindKey(std::string_view normalizedPath);
    const Key *FindKey(std::string_view normalizedPath) const;
    Key &EnsureKey(const std::string &normalizedPath);
    static void SetInKey(Key &key, std::string_view name, RegistryValue value);

    std::map<std::string, Key> m_keys; // folded path -> key
    std::size_t m_nextOrder = 0;
};

#include "platform/registry/CRegistryHive.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kStringPrefix = "sz:";
constexpr std::string_view kDefaultValueName = "@";

std::string Fold(std::string_view text)
{
    std::string folded(text);
    for (char &c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Characters that carry meaning at the start of a line or as the name separator.
bool IsNameSpecial(char c)
{
    return c == '=' || c == '[' || c == ']' || c == '@' || c == '#' || c == ';';
}

void AppendEscaped(std::string &out, std::string_view text, bool isName)
{
    static constexpr char kHex[] = "0123456789abcdef";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (IsControl(u) || (isName && IsNameSpecial(c))) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else
            out += c;
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = HexDigit(text[i + 1]);
            const int low = HexDigit(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<std::uint32_t> ParseDword(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

// Length of the UTF-8 character starting at text[i], or 1 when no valid sequence starts there.
std::size_t CharacterLength(std::string_view text, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    std::size_t length = 1;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else
        return 1;
    if (i + length > text.size())
        return 1;
    if (at(i + 1) < low || at(i + 1) > high)
        return 1;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 1;
    return length;
}

bool ValidName(std::string_view name) { return name.size() <= CRegistryHive::kMaxNameBytes; }

} // namespace

std::string CRegistryHive::CutToCharacters(std::string_view text, std::size_t maxChars)
{
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < text.size() && count < maxChars; ++count)
        pos += CharacterLength(text, pos);
    return std::string(text.substr(0, pos));
}

std::optional<std::string> CRegistryHive::NormalizePath(std::string_view path)
{
    std::string normalized;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (!part.empty()) {
            if (part.size() > kMaxNameBytes)
                return std::nullopt;
            for (char c : part)
                if (IsControl(static_cast<unsigned char>(c)))
                    return std::nullopt;
            if (!normalized.empty())
                normalized += '\\';
            normalized += part;
        }
        start = end + 1;
    }
    if (normalized.size() > kMaxPathBytes)
        return std::nullopt;
    return normalized;
}

CRegistryHive::Key *CRegistryHive::FindKey(std::string_view normalizedPath)
{
    auto it = m_keys.find(Fold(normalizedPath));
    return it == m_keys.end() ? nullptr : &it->second;
}

const CRegistryHive::Key *CRegistryHive::FindKey(std::string_view normalizedPath) const
{
    auto it = m_keys.find(Fold(normalizedPath));
    return it == m_keys.end() ? nullptr : &it->second;
}

CRegistryHive::Key &CRegistryHive::EnsureKey(const std::string &normalizedPath)
{
    // Parents first, so that creation order always lists a parent before its children.
    for (std::size_t sep = normalizedPath.find('\\'); sep != std::string::npos;
         sep = normalizedPath.find('\\', sep + 1)) {
        const std::string parent = normalizedPath.substr(0, sep);
        auto [it, inserted] = m_keys.try_emplace(Fold(parent));
        if (inserted) {
            it->second.path = parent;
            it->second.order = m_nextOrder++;
        }
    }
    auto [it, inserted] = m_keys.try_emplace(Fold(normalizedPath));
    if (inserted) {
        it->second.path = normalizedPath;
        it->second.order = m_nextOrder++;
    }
    return it->second;
}

void CRegistryHive::SetInKey(Key &key, std::string_view name, RegistryValue value)
{
    if (value.type == RegistryValue::Type::String)
        value.text = CutToCharacters(value.text, kMaxStringChars);
    else
        value.text.clear();
    const std::string folded = Fold(name);
    auto it = key.index.find(folded);
    if (it != key.index.end()) {
        key.values[it->second].second = std::move(value);
        return;
    }
    key.index.emplace(folded, key.values.size());
    key.values.emplace_back(std::string(name), std::move(value));
}

bool CRegistryHive::HasKey(std::string_view path) const
{
    const auto normalized = NormalizePath(path);
    return normalized && !normalized->empty() && FindKey(*normalized);
}

bool CRegistryHive::CreateKey(std::string_view path)
{
    const auto normalized = NormalizePath(path);
    if (!normalized || normalized->empty())
        return false;
    EnsureKey(*normalized);
    return true;
}

bool CRegistryHive::DeleteKey(std::string_view path)
{
    const auto normalized = NormalizePath(path);
    if (!normalized || normalized->empty())
        return false;
    const std::string folded = Fold(*normalized);
    const std::string prefix = folded + '\\';
    bool found = false;
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (it->first == folded || it->first.starts_with(prefix)) {
            found = true;
            it = m_keys.erase(it);
        } else
            ++it;
    }
    return found;
}

std::vector<std::string> CRegistryHive::SubKeyNames(std::string_view path) const
{
    const auto normalized = NormalizePath(path);
    if (!normalized)
        return {};
    const std::string folded = Fold(*normalized);
    const std::string prefix = folded.empty() ? std::string() : folded + '\\';
    std::vector<const Key *> children;
    for (const auto &[foldedPath, key] : m_keys)
        if (foldedPath.starts_with(prefix) && foldedPath.size() > prefix.size() &&
            foldedPath.find('\\', prefix.size()) == std::string::npos)
            children.push_back(&key);
    std::sort(children.begin(), children.end(),
              [](const Key *a, const Key *b) { return a->order < b->order; });
    std::vector<std::string> names;
    for (const Key *key : children)
        names.push_back(key->path.substr(prefix.size()));
    return names;
}

const RegistryValue *CRegistryHive::FindValue(std::string_view path, std::string_view name) const
{
    const auto normalized = NormalizePath(path);
    if (!normalized || normalized->empty())
        return nullptr;
    const Key *key = FindKey(*normalized);
    if (!key)
        return nullptr;
    auto it = key->index.find(Fold(name));
    return it == key->index.end() ? nullptr : &key->values[it->second].second;
}

bool CRegistryHive::SetValue(std::string_view path, std::string_view name, RegistryValue value)
{
    const auto normalized = NormalizePath(path);
    if (!normalized || normalized->empty() || !ValidName(name))
        return false;
    SetInKey(EnsureKey(*normalized), name, std::move(value));
    return true;
}

bool CRegistryHive::DeleteValue(std::string_view path, std::string_view name)
{
    const auto normalized = NormalizePath(path);
    if (!normalized || normalized->empty())
        return false;
    Key *key = FindKey(*normalized);
    if (!key)
        return false;
    auto it = key->index.find(Fold(name));
    if (it == key->index.end())
        return false;
    const std::size_t position = it->second;
    key->values.erase(key->values.begin() + static_cast<std::ptrdiff_t>(position));
    key->index.erase(it);
    for (auto &[folded, index] : key->index)
        if (index > position)
            --index;
    return true;
}

std::vector<std::string> CRegistryHive::ValueNames(std::string_view path) const
{
    const auto normalized = NormalizePath(path);
    if (!normalized || normalized->empty())
        return {};
    const Key *key = FindKey(*normalized);
    std::vector<std::string> names;
    if (key)
        for (const auto &[name, value] : key->values)
            names.push_back(name);
    return names;
}

std::size_t CRegistryHive::Parse(std::string_view text)
{
    m_keys.clear();
    m_nextOrder = 0;
    std::size_t skipped = 0;
    if (text.size() > kMaxTextBytes) {
        // Only whole lines within the limit are read; the cut line is dropped.
        text = text.substr(0, kMaxTextBytes);
        const std::size_t lastNewline = text.rfind('\n');
        text = text.substr(0, lastNewline == std::string_view::npos ? 0 : lastNewline + 1);
        ++skipped;
    }

    Key *current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.size() > kMaxLineBytes) {
            ++skipped;
            continue;
        }
        if (line.front() == '[') {
            current = nullptr;
            const auto normalized =
                line.back() == ']' && line.size() >= 2 ? NormalizePath(line.substr(1, line.size() - 2))
                                                       : std::nullopt;
            if (!normalized || normalized->empty()) {
                ++skipped; // values up to the next good section are skipped with it
                continue;
            }
            current = &EnsureKey(*normalized);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!current || equals == std::string_view::npos) {
            ++skipped;
            continue;
        }
        const std::string_view rawName = line.substr(0, equals);
        const std::string_view rawValue = line.substr(equals + 1);
        std::optional<std::string> name =
            rawName == kDefaultValueName ? std::optional<std::string>(std::string()) : Unescape(rawName);
        if (!name || (name->empty() && rawName != kDefaultValueName) || !ValidName(*name)) {
            ++skipped;
            continue;
        }
        RegistryValue value;
        if (rawValue.starts_with(kDwordPrefix)) {
            const auto dword = ParseDword(rawValue.substr(kDwordPrefix.size()));
            if (!dword) {
                ++skipped;
                continue;
            }
            value.dword = *dword;
        } else if (rawValue.starts_with(kStringPrefix)) {
            auto unescaped = Unescape(rawValue.substr(kStringPrefix.size()));
            if (!unescaped) {
                ++skipped;
                continue;
            }
            value.type = RegistryValue::Type::String;
            value.text = std::move(*unescaped);
        } else {
            ++skipped;
            continue;
        }
        SetInKey(*current, *name, std::move(value));
    }
    return skipped;
}

std::string CRegistryHive::Serialize() const
{
    std::vector<const Key *> keys;
    keys.reserve(m_keys.size());
    for (const auto &[folded, key] : m_keys)
        keys.push_back(&key);
    std::sort(keys.begin(), keys.end(), [](const Key *a, const Key *b) { return a->order < b->order; });

    std::string out = "# Melvane registry hive: [key path], then name=dword:hex or name=sz:text\n";
    char hex[16];
    for (const Key *key : keys) {
        out += "\n[";
        out += key->path;
        out += "]\n";
        for (const auto &[name, value] : key->values) {
            if (name.empty())
                out += kDefaultValueName;
            else
                AppendEscaped(out, name, true);
            out += '=';
            if (value.type == RegistryValue::Type::Dword) {
                out += kDwordPrefix;
                auto result = std::to_chars(hex, hex + sizeof hex, value.dword, 16);
                out.append(8 - static_cast<std::size_t>(result.ptr - hex), '0');
                out.append(hex, result.ptr);
            } else {
                out += kStringPrefix;
                AppendEscaped(out, value.text, false);
            }
            out += '\n';
        }
    }
    return out;
}

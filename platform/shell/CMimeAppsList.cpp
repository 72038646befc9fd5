#include "platform/shell/CMimeAppsList.h"

#include "platform/io/CAtomicFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The key of a "key=value" line, blanks around it removed; empty for any other line.
std::string_view KeyOf(std::string_view line)
{
    const auto equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view{} : Trimmed(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line)
{
    return Trimmed(line.substr(line.find('=') + 1));
}

bool IsGroupLine(std::string_view line)
{
    return Trimmed(line).starts_with('[');
}

} // namespace

namespace {

std::string UserConfigFolder()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

} // namespace

std::string CMimeAppsList::UserFile()
{
    return UserConfigFolder() + "/mimeapps.list";
}

std::vector<std::string> CMimeAppsList::UserDesktopFiles()
{
    std::vector<std::string> files;
    const char *desktops = std::getenv("XDG_CURRENT_DESKTOP");
    std::string_view rest = desktops ? desktops : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        std::string name(rest.substr(0, colon));
        rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
        if (name.empty() || name.find('/') != std::string::npos)
            continue;
        for (char &c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        files.push_back(UserConfigFolder() + "/" + name + "-mimeapps.list");
    }
    return files;
}

CMimeAppsList::CMimeAppsList(std::string path) : m_strPath(std::move(path)) {}

bool CMimeAppsList::Load()
{
    m_lines.clear();
    m_bFinalNewline = true;
    m_bLoaded = false;
    std::error_code error;
    if (!std::filesystem::exists(m_strPath, error)) {
        m_bLoaded = !error;
        return m_bLoaded;
    }
    std::ifstream in(m_strPath, std::ios::binary);
    if (!in)
        return false;
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxFileBytes)
            return false;
    }
    if (in.bad())
        return false;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string::npos) {
            m_lines.push_back(text.substr(start));
            m_bFinalNewline = false;
            break;
        }
        m_lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    m_bLoaded = true;
    return true;
}

std::vector<std::size_t> CMimeAppsList::DefaultLines(std::string_view type) const
{
    std::vector<std::size_t> found;
    bool inDefault = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string_view line = m_lines[i];
        if (IsGroupLine(line))
            inDefault = Trimmed(line) == kDefaultGroup;
        else if (inDefault && KeyOf(line) == type && !type.empty())
            found.push_back(i);
    }
    return found;
}

std::optional<std::string> CMimeAppsList::Default(std::string_view type) const
{
    const auto lines = DefaultLines(type);
    if (lines.empty())
        return std::nullopt;
    return std::string(ValueOf(m_lines[lines.front()]));
}

std::string CMimeAppsList::FirstDefault(std::string_view type) const
{
    const auto value = Default(type);
    if (!value)
        return {};
    const auto entries = Entries(*value);
    return entries.empty() ? std::string{} : entries.front();
}

void CMimeAppsList::SetDefault(std::string_view type, std::string_view value)
{
    std::string line = std::string(type) + "=" + std::string(value);
    auto lines = DefaultLines(type);
    if (!lines.empty()) {
        m_lines[lines.front()] = std::move(line);
        for (auto it = lines.rbegin(); it != std::prev(lines.rend()); ++it)
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*it));
        return;
    }
    // After the last line of the first default group, or in a new group at the end.
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (!IsGroupLine(m_lines[i]) || Trimmed(m_lines[i]) != kDefaultGroup)
            continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !IsGroupLine(m_lines[end]))
            ++end;
        while (end > i + 1 && Trimmed(m_lines[end - 1]).empty())
            --end; // before the blank lines that part it from the next group
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(end), std::move(line));
        return;
    }
    m_bFinalNewline = true; // a last line without its line break gets one before the new group
    if (!m_lines.empty() && !Trimmed(m_lines.back()).empty())
        m_lines.emplace_back();
    m_lines.emplace_back(kDefaultGroup);
    m_lines.push_back(std::move(line));
}

void CMimeAppsList::RemoveDefault(std::string_view type)
{
    const auto lines = DefaultLines(type);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*it));
}

std::string CMimeAppsList::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        text += m_lines[i];
        if (i + 1 < m_lines.size() || m_bFinalNewline)
            text += '\n';
    }
    return text;
}

bool CMimeAppsList::Save() const
{
    if (!m_bLoaded)
        return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_strPath).parent_path(), error);
    return CAtomicFile::Replace(m_strPath, Text());
}

std::vector<std::string> CMimeAppsList::Entries(std::string_view value)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= value.size()) {
        auto end = value.find(';', start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view entry = Trimmed(value.substr(start, end - start));
        if (!entry.empty())
            entries.emplace_back(entry);
        start = end + 1;
    }
    return entries;
}

#include "tools/remote/CRemoteButtonMap.h"

#include "plugins/include/mv_remote.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

namespace {

struct NamedTarget {
    const char *name;
    RemoteTarget target;
};

constexpr NamedTarget kNames[] = {
    {"volume-up", {false, MV_REMOTE_VOLUME_UP}},
    {"volume-down", {false, MV_REMOTE_VOLUME_DOWN}},
    {"mute", {false, MV_REMOTE_MUTE}},
    {"previous", {false, MV_REMOTE_PREVIOUS}},
    {"next", {false, MV_REMOTE_NEXT}},
    {"fast-forward", {false, MV_REMOTE_FAST_FORWARD}},
    {"rewind", {false, MV_REMOTE_REWIND}},
    {"play", {false, MV_REMOTE_PLAY}},
    {"pause", {false, MV_REMOTE_PAUSE}},
    {"stop", {false, MV_REMOTE_STOP}},
    {"stop-at-track-end", {true, 0}},
    {"fade-out", {true, 1}},
    {"toggle-tab", {true, 2}},
};

std::string Upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return result;
}

bool SameWord(std::string_view a, std::string_view b)
{
    return Upper(a) == Upper(b);
}

} // namespace

std::optional<RemoteTarget> CRemoteButtonMap::TargetOf(std::string_view word)
{
    for (const NamedTarget &named : kNames) {
        if (SameWord(word, named.name))
            return named.target;
    }
    unsigned value = 0;
    const bool function = word.size() == 3 && SameWord(word.substr(0, 2), "fn");
    const std::string_view digits = function ? word.substr(2) : word;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    if (function)
        return value < MV_REMOTE_FUNCTION_COUNT ? std::optional(RemoteTarget{true, static_cast<std::uint16_t>(value)})
                                                : std::nullopt;
    return value <= 0xFFFF ? std::optional(RemoteTarget{false, static_cast<std::uint16_t>(value)}) : std::nullopt;
}

std::string CRemoteButtonMap::NameOf(const RemoteTarget &target)
{
    for (const NamedTarget &named : kNames) {
        if (named.target == target)
            return named.name;
    }
    return target.programmable ? "fn" + std::to_string(target.code) : std::to_string(target.code);
}

bool CRemoteButtonMap::Load(const std::string &path, std::vector<std::string> &problems)
{
    std::ifstream file(path);
    if (!file)
        return false;
    std::ostringstream text;
    text << file.rdbuf();
    Parse(text.str(), path, problems);
    return true;
}

void CRemoteButtonMap::Parse(std::string_view text, const std::string &origin, std::vector<std::string> &problems)
{
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++lineNumber;
        line = line.substr(0, std::min(line.find('#'), line.size()));
        std::istringstream words{std::string(line)};
        std::string name, target, extra;
        if (!(words >> name))
            continue;
        const std::string where = origin + ":" + std::to_string(lineNumber) + ": ";
        if (!(words >> target) || (words >> extra)) {
            problems.push_back(where + "expected a LIRC button name and what it does");
            continue;
        }
        const std::optional<RemoteTarget> found = TargetOf(target);
        if (!found) {
            problems.push_back(where + "\"" + target + "\" is no button or function of the remote plug-in");
            continue;
        }
        m_targets[Upper(name)] = *found;
    }
}

std::optional<RemoteTarget> CRemoteButtonMap::Find(std::string_view remote, std::string_view button) const
{
    if (!remote.empty()) {
        if (auto it = m_targets.find(Upper(remote) + ":" + Upper(button)); it != m_targets.end())
            return it->second;
    }
    if (auto it = m_targets.find(Upper(button)); it != m_targets.end())
        return it->second;
    return std::nullopt;
}

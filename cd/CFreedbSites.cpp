#include "cd/CFreedbSites.h"

std::optional<std::string> CFreedbSites::ServerFromSiteLine(std::string_view line)
{
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || space == 0 || line.size() - space - 1 < 6)
        return std::nullopt;
    const std::string_view host = line.substr(0, space);
    std::string_view rest = line.substr(space + 1);
    if (rest.substr(0, 5) != "http ")
        return std::nullopt;
    rest.remove_prefix(5);
    const std::size_t portEnd = rest.find(' ');
    if (portEnd == std::string_view::npos || portEnd == 0)
        return std::nullopt;
    const std::string_view port = rest.substr(0, portEnd);
    for (char c : port)
        if (c < '0' || c > '9')
            return std::nullopt;
    rest.remove_prefix(portEnd + 1);
    const std::size_t pathEnd = rest.find(' ');
    if (pathEnd == std::string_view::npos)
        return std::nullopt;
    const std::string_view path = rest.substr(0, pathEnd);
    if (path.size() <= 1 || path[0] != '/')
        return std::nullopt;
    for (char c : host)
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '@' || c == '?' || c == '#')
            return std::nullopt;
    return "http://" + std::string(host) + ":" + std::string(port) + std::string(path);
}

std::vector<std::string> CFreedbSites::ServersFromSiteList(const std::vector<std::string> &lines)
{
    std::vector<std::string> servers;
    for (const std::string &line : lines)
        if (auto server = ServerFromSiteLine(line))
            servers.push_back(std::move(*server));
    return servers;
}

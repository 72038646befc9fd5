#pragma once
// The freedb servers the player knows: the built-in default server and e-mail address, and the
// server URLs made from a server's site list (the answer to `cmd=sites`).
//
// Plain functions; any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CFreedbSites {
public:
    // A living CDDB-over-HTTP server (freedb.org itself closed in 2020).
    static constexpr const char *kDefaultServer = "https://gnudb.gnudb.org/~cddb/cddb.cgi";
    // Used in the hello of queries when no valid address is configured; never for a submission.
    static constexpr const char *kDefaultEmail = "user@localhost";
    static constexpr std::size_t kMaxSites = 64;

    // One site-list line ("host http port path latitude longitude description") as a server URL
    // "http://host:port/path"; nothing for another protocol or a malformed line.
    static std::optional<std::string> ServerFromSiteLine(std::string_view line);
    // Every HTTP server of a site list, in its order.
    static std::vector<std::string> ServersFromSiteList(const std::vector<std::string> &lines);
};

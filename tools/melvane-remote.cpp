// melvane-remote: the host of the remote-control plug-in. It reads the buttons of a LIRC remote from
// lircd's socket (or events from standard input), names the plug-in's button for each through the
// button map and hands them to mv_remote.so, which posts them to the running player.
//   melvane-remote [--socket PATH] [--map FILE] [--plugin FILE] [--focus-only] [--verbose]
//   melvane-remote --stdin [--map FILE] [--plugin FILE] [--focus-only] [--verbose]
//   melvane-remote --list | --about
#include "platform/io/CProgramFolder.h"
#include "platform/ipc/SocketAddress.h"
#include "tools/remote/CLineSplitter.h"
#include "tools/remote/CLircEvent.h"
#include "tools/remote/CRemoteButtonMap.h"
#include "tools/remote/CRemoteHost.h"
#include "tools/remote/CRemotePlugin.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kDefaultSocket = "/var/run/lirc/lircd";
constexpr const char *kMapName = "lirc-buttons.map";
// lircd's lines are about 60 bytes; anything much longer is not one of them.
constexpr std::size_t kMaxLine = 512;
constexpr int kFirstRetryMs = 250;
constexpr int kMaxRetryMs = 5000;
// A connection that lasted this long was a working lircd: after it ends, retry at once.
constexpr std::chrono::seconds kSteadyConnection{2};

int Usage()
{
    std::fprintf(stderr,
                 "usage: melvane-remote [--socket PATH] [--map FILE] [--plugin FILE] [--focus-only] [--verbose]\n"
                 "       melvane-remote --stdin [--map FILE] [--plugin FILE] [--focus-only] [--verbose]\n"
                 "       melvane-remote --list | --about [--map FILE] [--plugin FILE]\n");
    return 2;
}

std::vector<std::string> MapCandidates()
{
    std::vector<std::string> candidates;
    const char *config = std::getenv("XDG_CONFIG_HOME");
    const char *home = std::getenv("HOME");
    if (config && config[0] == '/')
        candidates.push_back(std::string(config) + "/melvane/" + kMapName);
    else if (home && home[0] == '/')
        candidates.push_back(std::string(home) + "/.config/melvane/" + kMapName);
    const std::string folder = CProgramFolder::Path();
    candidates.push_back(folder + "/" + kMapName);                      // the build tree
    candidates.push_back(folder + "/../../share/melvane/" + kMapName); // lib/melvane in a prefix
    return candidates;
}

// Waits up to `timeoutMs` (-1: for ever) for `fd` to become readable or a quit signal; false on a signal.
bool Wait(int fd, int signals, int timeoutMs, bool &readable)
{
    pollfd waits[2] = {{signals, POLLIN, 0}, {fd, POLLIN, 0}};
    int rc;
    do {
        rc = poll(waits, fd >= 0 ? 2 : 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    readable = fd >= 0 && (waits[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    return waits[0].revents == 0;
}

int ConnectLirc(const std::string &path, std::string &why)
{
    sockaddr_un address;
    if (!Ipc::MakeSocketAddress(path, address)) {
        why = "path too long for a socket";
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        why = std::strerror(errno);
        if (fd >= 0)
            close(fd);
        return -1;
    }
    return fd;
}

// Reads `fd` until it ends (true) or a quit signal arrives (false), handing each line on.
bool ReadLines(int fd, int signals, CLineSplitter &lines, const std::function<void(std::string_view)> &onLine)
{
    char chunk[4096];
    for (;;) {
        bool readable = false;
        if (!Wait(fd, signals, -1, readable))
            return false;
        if (!readable)
            continue;
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) {
            lines.Finish(onLine);
            return true;
        }
        lines.Feed(std::string_view(chunk, static_cast<std::size_t>(got)), onLine);
    }
}

// Follows lircd until a quit signal: reconnects whenever it goes, waiting longer after each failure.
void FollowLirc(const std::string &path, int signals, CRemoteHost &host)
{
    CLineSplitter lines(kMaxLine);
    const auto onLine = [&](std::string_view line) {
        if (const std::optional<CLircEvent> event = CLircEvent::Parse(line, false))
            host.Deliver(*event);
    };
    int retryMs = kFirstRetryMs;
    bool reported = false;
    for (;;) {
        std::string why;
        const int fd = ConnectLirc(path, why);
        if (fd < 0) {
            if (!reported)
                std::fprintf(stderr,
                             "melvane-remote: cannot connect to lircd at %s: %s\n"
                             "melvane-remote: is lircd running? (--socket or LIRC_SOCKET_PATH names another "
                             "socket); trying again every few seconds\n",
                             path.c_str(), why.c_str());
            reported = true;
        } else {
            std::fprintf(stderr, "melvane-remote: reading the remote's buttons from lircd at %s\n", path.c_str());
            reported = false;
            const auto since = std::chrono::steady_clock::now();
            lines.Reset();
            const bool ended = ReadLines(fd, signals, lines, onLine);
            close(fd);
            if (!ended)
                return;
            std::fprintf(stderr, "melvane-remote: lircd closed the connection; reconnecting\n");
            if (std::chrono::steady_clock::now() - since >= kSteadyConnection)
                retryMs = kFirstRetryMs;
        }
        bool readable = false;
        if (!Wait(-1, signals, retryMs, readable))
            return;
        retryMs = std::min(retryMs * 2, kMaxRetryMs);
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::string socketPath = kDefaultSocket;
    if (const char *fromEnv = std::getenv("LIRC_SOCKET_PATH"); fromEnv && fromEnv[0])
        socketPath = fromEnv;
    std::string mapPath;
    std::string pluginPath = CProgramFolder::Path() + "/mv_remote.so";
    bool fromStdin = false, list = false, about = false;
    CRemoteHost::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--socket" && hasValue)
            socketPath = argv[++i];
        else if (arg == "--map" && hasValue)
            mapPath = argv[++i];
        else if (arg == "--plugin" && hasValue)
            pluginPath = argv[++i];
        else if (arg == "--stdin")
            fromStdin = true;
        else if (arg == "--focus-only")
            options.focusOnly = true;
        else if (arg == "--verbose")
            options.verbose = true;
        else if (arg == "--list")
            list = true;
        else if (arg == "--about")
            about = true;
        else
            return Usage();
    }
    if (list + about + fromStdin > 1)
        return Usage();

    CRemotePlugin plugin;
    std::string why;
    if (!plugin.Load(pluginPath, why)) {
        std::fprintf(stderr, "melvane-remote: cannot load the remote plug-in %s: %s\n", pluginPath.c_str(),
                     why.c_str());
        return 1;
    }
    if (about) {
        if (plugin.Configure(0) != 0)
            return 0;
        std::fprintf(stderr, "melvane-remote: no display to show the About box on\n");
        return 1;
    }
    if (plugin.WhatKeysDoYouWant() == 0) {
        std::fprintf(stderr, "melvane-remote: the plug-in %s asks for no buttons\n", pluginPath.c_str());
        return 1;
    }

    std::vector<std::string> candidates = mapPath.empty() ? MapCandidates() : std::vector<std::string>{mapPath};
    CRemoteButtonMap map;
    std::vector<std::string> problems;
    const auto found = std::find_if(candidates.begin(), candidates.end(),
                                    [&](const std::string &path) { return map.Load(path, problems); });
    for (const std::string &problem : problems)
        std::fprintf(stderr, "melvane-remote: %s\n", problem.c_str());
    if (found == candidates.end()) {
        std::string looked;
        for (const std::string &candidate : candidates)
            looked += "\n  " + candidate;
        std::fprintf(stderr, "melvane-remote: cannot read a button map; looked for:%s\n", looked.c_str());
        return 1;
    }

    if (list) {
        std::printf("Buttons (%s):\n", found->c_str());
        for (const auto &[button, target] : map.Bindings())
            std::printf("  %-24s %s\n", button.c_str(), CRemoteButtonMap::NameOf(target).c_str());
        std::printf("Programmable functions:\n");
        for (std::uint16_t index = 0; const char *name = plugin.EnumerateProgrammableFunction(index); ++index)
            std::printf("  fn%u  %s\n", index, name);
        return 0;
    }

    // The quit signals arrive as a readable descriptor, so every wait below also ends on them.
    sigset_t quit;
    sigemptyset(&quit);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&quit, signal);
    sigprocmask(SIG_BLOCK, &quit, nullptr);
    const int signals = signalfd(-1, &quit, SFD_CLOEXEC);
    std::signal(SIGPIPE, SIG_IGN);
    if (signals < 0) {
        std::fprintf(stderr, "melvane-remote: %s\n", std::strerror(errno));
        return 1;
    }

    CRemoteHost host(plugin, map, options, stderr);
    if (fromStdin) {
        CLineSplitter lines(kMaxLine);
        ReadLines(STDIN_FILENO, signals, lines, [&](std::string_view line) {
            if (const std::optional<CLircEvent> event = CLircEvent::Parse(line, true))
                host.Deliver(*event);
            else if (line.find_first_not_of(" \t\r") != std::string_view::npos)
                std::fprintf(stderr, "melvane-remote: not a button event: %.*s\n", static_cast<int>(line.size()),
                             line.data());
        });
    } else {
        FollowLirc(socketPath, signals, host);
    }
    close(signals);
    return 0;
}

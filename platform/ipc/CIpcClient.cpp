#include "platform/ipc/CIpcClient.h"

#include "platform/ipc/SocketAddress.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until the deadline; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int rc = poll(&entry, 1, RemainingMs(deadline));
        if (rc > 0)
            return true;
        if (rc == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

CIpcClient::CIpcClient(std::string runtimeDir, std::string name) : m_path(Ipc::SocketPath(runtimeDir, name)) {}

int CIpcClient::Connect(std::chrono::milliseconds timeout) const
{
    sockaddr_un address;
    if (!Ipc::MakeSocketAddress(m_path, address))
        return -1;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // A local connect waits only while the server's backlog is full; bound that wait too.
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    int rc;
    do {
        rc = connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    ucred peer{};
    socklen_t size = sizeof peer;
    if (rc != 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != geteuid()) {
        close(fd);
        return -1;
    }
    return fd;
}

bool CIpcClient::Exists() const
{
    const int fd = Connect(kDefaultTimeout);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

std::optional<std::int64_t> CIpcClient::Send(const CIpcRecord &record, std::chrono::milliseconds timeout) const
{
    std::int64_t result = 0;
    if (!Deliver(record, true, timeout, &result))
        return std::nullopt;
    return result;
}

bool CIpcClient::Post(const CIpcRecord &record, std::chrono::milliseconds timeout) const
{
    return Deliver(record, false, timeout, nullptr);
}

bool CIpcClient::Deliver(const CIpcRecord &record, bool wantsReply, std::chrono::milliseconds timeout,
                         std::int64_t *result) const
{
    const auto deadline = Clock::now() + timeout;
    const std::optional<std::vector<std::uint8_t>> bytes = record.Encode(wantsReply);
    if (!bytes)
        return false;
    const int fd = Connect(timeout);
    if (fd < 0)
        return false;

    bool ok = true;
    std::size_t sent = 0;
    while (ok && sent < bytes->size()) {
        const ssize_t n = send(fd, bytes->data() + sent, bytes->size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            ok = WaitFor(fd, POLLOUT, deadline);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            ok = false;
    }

    if (ok && wantsReply) {
        std::uint8_t reply[CIpcRecord::kReplySize];
        std::size_t got = 0;
        while (ok && got < sizeof reply) {
            ok = WaitFor(fd, POLLIN, deadline);
            if (!ok)
                break;
            const ssize_t n = recv(fd, reply + got, sizeof reply - got, MSG_DONTWAIT);
            if (n > 0)
                got += static_cast<std::size_t>(n);
            else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                ok = false;
        }
        const std::optional<std::int64_t> value =
            ok ? CIpcRecord::DecodeReply(std::span<const std::uint8_t>(reply, sizeof reply)) : std::nullopt;
        ok = value.has_value();
        if (ok)
            *result = *value;
    }
    close(fd);
    return ok;
}

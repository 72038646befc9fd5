#include "platform/ipc/CIpcServer.h"

#include "platform/ipc/SocketAddress.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunk = 16 * 1024;
// Records handled per connection and call, so that one busy sender cannot starve the others.
constexpr int kRecordsPerTurn = 64;

} // namespace

CIpcServer::CIpcServer(std::string runtimeDir, std::string name, Handler handler)
    : m_path(Ipc::SocketPath(runtimeDir, name)), m_handler(std::move(handler))
{
}

CIpcServer::~CIpcServer()
{
    for (auto &[fd, connection] : m_connections)
        close(fd);
    m_connections.clear();
    if (m_pollFd >= 0)
        close(m_pollFd);
    if (m_listenFd >= 0) {
        close(m_listenFd);
        // Remove the socket file only while it is still ours; a successor may have replaced it.
        struct stat info {};
        if (lstat(m_path.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode)
            unlink(m_path.c_str());
    }
}

bool CIpcServer::Listen(std::string *why)
{
    auto fail = [&](const std::string &text, int fd = -1) {
        if (fd >= 0)
            close(fd);
        if (why)
            *why = m_path + ": " + text;
        return false;
    };
    if (m_listenFd >= 0)
        return true;
    sockaddr_un address;
    if (!Ipc::MakeSocketAddress(m_path, address))
        return fail("path too long for a socket");

    struct stat info {};
    if (lstat(m_path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            return fail("in use by something that is not a socket");
        const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (probe < 0)
            return fail(std::strerror(errno));
        const bool alive = connect(probe, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        close(probe);
        if (alive)
            return fail("another instance is listening");
        unlink(m_path.c_str());
    }

    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return fail(std::strerror(errno));
    if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return fail(std::strerror(errno), fd);
    chmod(m_path.c_str(), 0600);
    if (listen(fd, 32) != 0 || lstat(m_path.c_str(), &info) != 0) {
        const std::string text = std::strerror(errno);
        unlink(m_path.c_str());
        return fail(text, fd);
    }
    const int pollFd = epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    if (pollFd < 0 || epoll_ctl(pollFd, EPOLL_CTL_ADD, fd, &event) != 0) {
        const std::string text = std::strerror(errno);
        if (pollFd >= 0)
            close(pollFd);
        unlink(m_path.c_str());
        return fail(text, fd);
    }
    m_listenFd = fd;
    m_pollFd = pollFd;
    m_device = info.st_dev;
    m_inode = info.st_ino;
    return true;
}

void CIpcServer::ProcessPending()
{
    if (m_pollFd < 0)
        return;
    epoll_event events[32];
    // Bounded rounds: level-triggered readiness brings the caller back for whatever is left.
    for (int round = 0; round < 8; ++round) {
        const int count = epoll_wait(m_pollFd, events, 32, 0);
        if (count <= 0)
            return;
        for (int i = 0; i < count; ++i) {
            if (events[i].data.fd == m_listenFd)
                AcceptAll();
            else
                Serve(events[i].data.fd);
        }
    }
}

bool CIpcServer::WaitAndProcess(int timeoutMs)
{
    if (m_pollFd < 0)
        return false;
    epoll_event event;
    int count;
    do {
        count = epoll_wait(m_pollFd, &event, 1, timeoutMs);
    } while (count < 0 && errno == EINTR);
    // The event stays pending (level-triggered); ProcessPending() sees it again.
    if (count <= 0)
        return false;
    ProcessPending();
    return true;
}

void CIpcServer::AcceptAll()
{
    for (;;) {
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        ucred peer{};
        socklen_t size = sizeof peer;
        const bool sameUser = getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
                              size == sizeof peer && peer.uid == geteuid();
        epoll_event event{};
        event.events = EPOLLIN | EPOLLRDHUP;
        event.data.fd = fd;
        if (!sameUser || m_connections.size() >= kMaxConnections ||
            epoll_ctl(m_pollFd, EPOLL_CTL_ADD, fd, &event) != 0) {
            close(fd);
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->fd = fd;
        m_connections[fd] = std::move(connection);
    }
}

void CIpcServer::Serve(int fd)
{
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    const std::shared_ptr<Connection> connection = found->second;
    auto stillOpen = [&] {
        auto it = m_connections.find(fd);
        return it != m_connections.end() && it->second == connection;
    };

    bool ended = false;
    std::uint8_t chunk[kReadChunk];
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got > 0)
        connection->buffer.insert(connection->buffer.end(), chunk, chunk + got);
    else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        ended = true;

    for (int handled = 0; handled < kRecordsPerTurn; ++handled) {
        CIpcRecord record;
        bool wantsReply = false;
        std::size_t consumed = 0;
        const CIpcRecord::Parse parse = CIpcRecord::Decode(connection->buffer, record, wantsReply, consumed);
        if (parse == CIpcRecord::Parse::Invalid) {
            Drop(fd);
            return;
        }
        if (parse == CIpcRecord::Parse::Incomplete)
            break;
        connection->buffer.erase(connection->buffer.begin(), connection->buffer.begin() + consumed);
        const std::int64_t result = m_handler ? m_handler(record) : 0;
        if (!stillOpen())
            return;
        if (wantsReply) {
            const std::vector<std::uint8_t> reply = CIpcRecord::EncodeReply(result);
            // A reply is tiny and the socket empty of replies, so it fits at once; a peer that is gone
            // or does not read loses it.
            if (send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT) !=
                static_cast<ssize_t>(reply.size())) {
                Drop(fd);
                return;
            }
        }
    }
    if (ended)
        Drop(fd);
}

void CIpcServer::Drop(int fd)
{
    auto found = m_connections.find(fd);
    if (found == m_connections.end())
        return;
    epoll_ctl(m_pollFd, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    m_connections.erase(found);
}

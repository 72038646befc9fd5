#pragma once
// The receiving end: a listening local socket that stands for the main window. Records from processes
// of the same user are handed to the handler; a send gets the handler's return value back, a post gets
// nothing. Connections of other users are closed unread, and a connection whose bytes do not form a
// valid record is closed without reaching the handler.
//
// Threads: the owner's thread only (the user-interface thread in the program). Nothing runs on its own:
// Fd() becomes readable when something waits, and ProcessPending() handles it (a QSocketNotifier on
// Fd() drives it in the program; tests call WaitAndProcess()). The handler may itself run an event loop
// that calls ProcessPending() again.

#include "platform/ipc/CIpcRecord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <sys/types.h>

class CIpcServer {
public:
    using Handler = std::function<std::int64_t(const CIpcRecord &)>;

    // At most this many connections are open at once; more are closed at once.
    static constexpr std::size_t kMaxConnections = 64;

    CIpcServer(std::string runtimeDir, std::string name, Handler handler);
    ~CIpcServer();
    CIpcServer(const CIpcServer &) = delete;
    CIpcServer &operator=(const CIpcServer &) = delete;

    // Starts listening. False when another live server already answers under the name, or the socket
    // cannot be made; `why` (when given) says which. A stale socket file of a dead server is replaced.
    bool Listen(std::string *why = nullptr);
    bool Listening() const { return m_listenFd >= 0; }

    // Readable while connections or records wait; -1 before Listen().
    int Fd() const { return m_pollFd; }
    // Accepts waiting connections and handles every complete record, without blocking.
    void ProcessPending();
    // Waits up to `timeoutMs` for activity, then handles it; false on timeout.
    bool WaitAndProcess(int timeoutMs);

    std::size_t ConnectionCount() const { return m_connections.size(); }

private:
    struct Connection {
        int fd = -1;
        std::vector<std::uint8_t> buffer;
    };

    void AcceptAll();
    void Serve(int fd);
    void Drop(int fd);

    std::string m_path;
    Handler m_handler;
    int m_listenFd = -1;
    int m_pollFd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::unordered_map<int, std::shared_ptr<Connection>> m_connections;
};

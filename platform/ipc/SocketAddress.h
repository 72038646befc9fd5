#pragma once
// Address of a local socket file; false when the path does not fit sockaddr_un.

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>

namespace Ipc {

inline bool MakeSocketAddress(const std::string &path, sockaddr_un &address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

inline std::string SocketPath(const std::string &runtimeDir, const std::string &name)
{
    return runtimeDir + "/" + name;
}

} // namespace Ipc

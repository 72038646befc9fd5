#include "platform/ipc/CInstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CInstanceLock::CInstanceLock(std::string runtimeDir, std::string name)
    : m_path(std::move(runtimeDir) + "/" + std::move(name) + ".lock")
{
}

CInstanceLock::~CInstanceLock()
{
    Release();
}

CInstanceLock::Result CInstanceLock::TryAcquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Failed;
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(fd);
        return busy ? Result::HeldElsewhere : Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

void CInstanceLock::Release()
{
    if (m_fd < 0)
        return;
    // The file stays: removing it would let a starter that opened it just before lock a dead inode.
    flock(m_fd, LOCK_UN);
    close(m_fd);
    m_fd = -1;
}

#pragma once
// Owns a POSIX file descriptor and closes it exactly once: when it goes, when another one is put in
// (reset), or on Close, which reports whether the close succeeded (a write's last error can show
// only there).
//
// Threads: one owner at a time; moving hands the descriptor over.

#include <unistd.h>

class CFileDescriptor {
public:
    CFileDescriptor() = default;
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() { reset(); }
    CFileDescriptor(const CFileDescriptor &) = delete;
    CFileDescriptor &operator=(const CFileDescriptor &) = delete;
    CFileDescriptor(CFileDescriptor &&other) noexcept : m_fd(other.release()) {}
    CFileDescriptor &operator=(CFileDescriptor &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // False when the close failed; true with nothing open.
    bool Close()
    {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

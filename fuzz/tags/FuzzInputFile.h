#pragma once
// The file a fuzz target hands to readers that only take a path. It lives in memory (memfd) and is
// reached through /proc/self/fd, so nothing is left on disk, not even when the fuzzer is killed. Create
// one per process and rewrite it for each input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

class FuzzInputFile {
public:
    FuzzInputFile()
    {
        m_fd = memfd_create("fuzz-input", MFD_CLOEXEC);
        if (m_fd < 0)
            std::abort();
        m_path = "/proc/self/fd/" + std::to_string(m_fd);
    }
    ~FuzzInputFile() { ::close(m_fd); }
    FuzzInputFile(const FuzzInputFile &) = delete;
    FuzzInputFile &operator=(const FuzzInputFile &) = delete;

    // Replaces the content with `size` bytes (a prefix and a suffix may be given in two parts).
    void Write(const std::uint8_t *data, std::size_t size, const std::uint8_t *more = nullptr,
               std::size_t moreSize = 0)
    {
        if (::ftruncate(m_fd, 0) != 0)
            std::abort();
        Append(data, size, 0);
        Append(more, moreSize, size);
    }

    int fd() const { return m_fd; }
    const std::string &path() const { return m_path; }

private:
    void Append(const std::uint8_t *data, std::size_t size, std::size_t at)
    {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(m_fd, data + done, size - done, static_cast<off_t>(at + done));
            if (n <= 0)
                std::abort();
            done += static_cast<std::size_t>(n);
        }
    }

    int m_fd = -1;
    std::string m_path;
};

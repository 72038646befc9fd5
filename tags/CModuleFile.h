#pragma once
// Bounded reads from a module file. Every read either delivers all the bytes asked for or fails, and
// no single read may exceed kMaxRead, so a hostile header cannot make the scanner allocate without bound.
//
// The loaders ask for many small pieces (headers, tables, one pattern after another) that mostly lie
// close together near the start of the file, so reads are served from one window of kWindow bytes
// that is filled by a single pread; only a piece outside it costs another system call.

#include "platform/io/CFileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CModuleFile {
public:
    // Pattern data of real modules stays far below this.
    static constexpr std::size_t kMaxRead = 64 * 1024 * 1024;
    // Headers and pattern data of most modules fit; samples, which the loaders never read, come after.
    static constexpr std::size_t kWindow = 64 * 1024;

    explicit CModuleFile(const std::string &path);
    ~CModuleFile();
    CModuleFile(const CModuleFile &) = delete;
    CModuleFile &operator=(const CModuleFile &) = delete;

    bool IsOpen() const { return m_fd.valid(); }
    std::uint64_t Size() const { return m_size; }

    // Exactly count bytes at offset; false when the file holds fewer.
    bool Read(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t> &out);
    // Up to count bytes from the start (header reads); fewer when the file is shorter.
    std::vector<std::uint8_t> ReadHead(std::size_t count);

    // Little-endian and big-endian values; the caller has checked that the bytes exist.
    static unsigned Le16(const std::vector<std::uint8_t> &bytes, std::size_t at);
    static std::uint32_t Le32(const std::vector<std::uint8_t> &bytes, std::size_t at);

private:
    bool ReadFully(std::uint64_t offset, std::size_t count, std::uint8_t *into);

    CFileDescriptor m_fd;
    std::uint64_t m_size = 0;
    std::vector<std::uint8_t> m_window;
    std::uint64_t m_windowAt = 0;
};

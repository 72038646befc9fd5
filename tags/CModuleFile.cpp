#include "tags/CModuleFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CModuleFile::CModuleFile(const std::string &path)
{
    // Non-blocking so that a FIFO cannot hang the scanner; only regular files are read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    CFileDescriptor file(fd);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    m_fd = std::move(file);
    m_size = static_cast<std::uint64_t>(st.st_size);
}

CModuleFile::~CModuleFile() = default;

bool CModuleFile::ReadFully(std::uint64_t offset, std::size_t count, std::uint8_t *into)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(m_fd.get(), into + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool CModuleFile::Read(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t> &out)
{
    out.clear();
    if (!m_fd.valid() || count > kMaxRead || offset > m_size || count > m_size - offset)
        return false;
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted == 0) {
        out.resize(0);
        return true;
    }
    const bool inWindow = offset >= m_windowAt && offset + count <= m_windowAt + m_window.size();
    if (!inWindow) {
        if (wanted >= kWindow) {
            out.resize(wanted);
            if (!ReadFully(offset, wanted, out.data())) {
                out.clear();
                return false;
            }
            return true;
        }
        m_window.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, m_size - offset)));
        m_windowAt = offset;
        if (!ReadFully(offset, m_window.size(), m_window.data())) {
            m_window.clear();
            return false;
        }
    }
    const auto from = static_cast<std::size_t>(offset - m_windowAt);
    out.assign(m_window.begin() + static_cast<std::ptrdiff_t>(from),
               m_window.begin() + static_cast<std::ptrdiff_t>(from + wanted));
    return true;
}

std::vector<std::uint8_t> CModuleFile::ReadHead(std::size_t count)
{
    std::vector<std::uint8_t> bytes;
    Read(0, std::min<std::uint64_t>(count, m_size), bytes);
    return bytes;
}

unsigned CModuleFile::Le16(const std::vector<std::uint8_t> &bytes, std::size_t at)
{
    return bytes[at] | (static_cast<unsigned>(bytes[at + 1]) << 8);
}

std::uint32_t CModuleFile::Le32(const std::vector<std::uint8_t> &bytes, std::size_t at)
{
    return Le16(bytes, at) | (static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16);
}

#include "playlist/CLineReader.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t kBlockBytes = 64 * 1024;
}

CLineReader::CLineReader(std::size_t maxLineBytes) : m_nMaxLine(maxLineBytes), m_buffer(kBlockBytes) {}

CLineReader::~CLineReader()
{
    Close();
}

bool CLineReader::Open(const std::string &path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    CFileDescriptor file(fd);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    m_fd = std::move(file);
    m_nPos = m_nEnd = 0;
    m_bEof = false;
    return true;
}

void CLineReader::Close()
{
    m_fd.reset();
    m_nPos = m_nEnd = 0;
    m_bEof = true;
}

bool CLineReader::Fill()
{
    if (m_bEof || !m_fd.valid())
        return false;
    for (;;) {
        const ssize_t got = ::read(m_fd.get(), m_buffer.data(), m_buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            m_bEof = true;
            return false;
        }
        m_nPos = 0;
        m_nEnd = static_cast<std::size_t>(got);
        return true;
    }
}

CLineReader::Result CLineReader::Next(std::string &line)
{
    line.clear();
    bool overlong = false;
    bool any = false;
    for (;;) {
        if (m_nPos >= m_nEnd && !Fill())
            break;
        any = true;
        const char *start = m_buffer.data() + m_nPos;
        const std::size_t avail = m_nEnd - m_nPos;
        const void *lf = std::memchr(start, '\n', avail);
        const std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char *>(lf) - start) : avail;
        // One byte over the limit is allowed in the buffer: it may be the CR that goes with the LF.
        if (!overlong && line.size() + take <= m_nMaxLine + 1)
            line.append(start, take);
        else
            overlong = true;
        m_nPos += take;
        if (lf) {
            ++m_nPos;
            break;
        }
    }
    if (!any)
        return Result::End;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (overlong || line.size() > m_nMaxLine) {
        line.clear();
        return Result::Overlong;
    }
    return Result::Line;
}

#include "platform/formats/CByteReader.h"

#include <algorithm>
#include <cstring>

#include <unistd.h>

CByteReader CByteReader::FromFd(int fd, std::uint64_t size)
{
    return CByteReader(
        [fd](std::uint64_t offset, std::uint8_t *out, std::size_t wanted) {
            std::size_t got = 0;
            while (got < wanted) {
                const ssize_t n = ::pread(fd, out + got, wanted - got, static_cast<off_t>(offset + got));
                if (n < 0)
                    return std::size_t{0};
                if (n == 0)
                    break;
                got += static_cast<std::size_t>(n);
            }
            return got;
        },
        size);
}

CByteReader CByteReader::FromMemory(const std::uint8_t *data, std::size_t size)
{
    return CByteReader(
        [data, size](std::uint64_t offset, std::uint8_t *out, std::size_t wanted) {
            if (offset >= size)
                return std::size_t{0};
            const std::size_t n = std::min<std::uint64_t>(wanted, size - offset);
            std::memcpy(out, data + offset, n);
            return n;
        },
        size);
}

std::size_t CByteReader::ReadAt(std::uint64_t offset, std::uint8_t *out, std::size_t size) const
{
    if (offset >= m_nSize || size == 0)
        return 0;
    return m_read(offset, out, static_cast<std::size_t>(std::min<std::uint64_t>(size, m_nSize - offset)));
}

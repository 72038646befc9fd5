#pragma once
// Where the format readers get their bytes: `read(offset, out, size)` fills `out` with up to `size`
// bytes from `offset` and returns how many it gave (fewer at the end of the file, 0 on an error).
// Readers over an open file descriptor and over memory are made here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

class CByteReader {
public:
    using ReadFn = std::function<std::size_t(std::uint64_t offset, std::uint8_t *out, std::size_t size)>;

    CByteReader(ReadFn read, std::uint64_t size) : m_read(std::move(read)), m_nSize(size) {}

    // pread on `fd`, retried until `size` bytes or the end; the descriptor stays the caller's.
    static CByteReader FromFd(int fd, std::uint64_t size);
    // `data` must outlive the reader.
    static CByteReader FromMemory(const std::uint8_t *data, std::size_t size);

    std::uint64_t Size() const { return m_nSize; }
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t *out, std::size_t size) const;

private:
    ReadFn m_read;
    std::uint64_t m_nSize;
};

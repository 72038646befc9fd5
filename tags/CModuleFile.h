#pragma once
// Bounded reads from a module file. Every read either delivers all the bytes asked for or fails, and
// no single read may exceed kMaxRead, so a hostile header cannot make the scanner allocate without bound.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

class CModuleFile {
public:
    // Pattern data of real modules stays far below this.
    static constexpr std::size_t kMaxRead = 64 * 1024 * 1024;

    explicit CModuleFile(const std::string &path);

    bool IsOpen() const { return m_open; }
    std::uint64_t Size() const { return m_size; }

    // Exactly count bytes at offset; false when the file holds fewer.
    bool Read(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t> &out);
    // Up to count bytes from the start (header reads); fewer when the file is shorter.
    std::vector<std::uint8_t> ReadHead(std::size_t count);

    // Little-endian and big-endian values; the caller has checked that the bytes exist.
    static unsigned Le16(const std::vector<std::uint8_t> &bytes, std::size_t at);
    static std::uint32_t Le32(const std::vector<std::uint8_t> &bytes, std::size_t at);

private:
    std::ifstream m_stream;
    std::uint64_t m_size = 0;
    bool m_open = false;
};

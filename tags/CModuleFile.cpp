#include "CModuleFile.h"

#include <algorithm>

CModuleFile::CModuleFile(const std::string &path) : m_stream(path, std::ios::binary)
{
    if (!m_stream)
        return;
    m_stream.seekg(0, std::ios::end);
    const std::streamoff end = m_stream.tellg();
    if (end < 0)
        return;
    m_size = static_cast<std::uint64_t>(end);
    m_open = true;
}

bool CModuleFile::Read(std::uint64_t offset, std::uint64_t count, std::vector<std::uint8_t> &out)
{
    out.clear();
    if (!m_open || count > kMaxRead || offset > m_size || count > m_size - offset)
        return false;
    out.resize(static_cast<std::size_t>(count));
    if (count == 0)
        return true;
    m_stream.clear();
    m_stream.seekg(static_cast<std::streamoff>(offset));
    m_stream.read(reinterpret_cast<char *>(out.data()), static_cast<std::streamsize>(count));
    if (m_stream.gcount() != static_cast<std::streamsize>(count)) {
        out.clear();
        return false;
    }
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

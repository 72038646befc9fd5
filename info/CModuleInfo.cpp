#include "info/CModuleInfo.h"

#include "core/CPlaylistEntry.h"
#include "tags/CTextCodec.h"
#include "platform/io/CFileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr std::size_t kHeaderBytes = 3072;
// Sample and instrument headers may lie anywhere in the file (behind patterns and sample data); files
// larger than this are read only this far.
constexpr std::size_t kMaxFileBytes = 64u << 20;

class Bytes {
public:
    explicit Bytes(std::string data) : m_data(std::move(data)) {}
    std::size_t size() const { return m_data.size(); }
    std::uint32_t U8(std::size_t at) const { return at < m_data.size() ? static_cast<std::uint8_t>(m_data[at]) : 0; }
    std::uint32_t Le16(std::size_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t Be16(std::size_t at) const { return U8(at) << 8 | U8(at + 1); }
    std::uint32_t Le32(std::size_t at) const { return Le16(at) | Le16(at + 2) << 16; }
    // `count` bytes at `at` with the zero bytes left out, as the program's UTF-8.
    std::string Text(std::size_t at, std::size_t count) const
    {
        std::string raw;
        for (std::size_t i = at; i < at + count && i < m_data.size(); ++i)
            if (m_data[i] != '\0')
                raw += m_data[i];
        return CTextCodec::Utf8OrLatin1(raw);
    }
    Bytes Prefix(std::size_t count) const { return Bytes(m_data.substr(0, count)); }

private:
    std::string m_data;
};

std::string Hex2(std::uint32_t value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string data;
    if (!in)
        return data;
    const std::streamoff size = in.tellg();
    in.seekg(0);
    data.resize(size > 0 ? std::min<std::size_t>(static_cast<std::size_t>(size), kMaxFileBytes) : 0);
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<std::size_t>(in.gcount()));
    return data;
}

void ReadMod(const Bytes &header, CModuleInfo &info)
{
    info.tracker = "Snd/Noise/Protracker";
    info.orders = header.U8(950);
    std::uint32_t highest = 0;
    bool any = false;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(info.orders, 128); ++i) {
        highest = std::max(highest, header.U8(952 + i));
        any = any || 952 + i < header.size();
    }
    info.patterns = any ? highest + 1 : 0;
    info.sampleCount = 31;
    for (std::size_t s = 0; s < 31; ++s) {
        const std::size_t at = 20 + s * 30;
        // A loop from the sample's start has a repeat offset of 0 but a repeat length above one word.
        const bool looped = header.Be16(at + 26) != 0 || header.Be16(at + 28) > 1;
        info.samples.push_back({header.Text(at, 22), header.Be16(at + 22) * 2, false, looped});
    }
}

void ReadS3m(const Bytes &file, const Bytes &header, CModuleInfo &info)
{
    info.tracker = "Scream Tracker 3." + Hex2(header.U8(40));
    info.orders = header.U8(32);
    info.patterns = header.U8(36);
    info.sampleCount = header.U8(34);
    // Instrument paragraph pointers follow the 96-byte header and the order list (both words as stored).
    const std::size_t pointers = 96 + header.Le16(32);
    for (std::uint32_t s = 0; s < info.sampleCount; ++s) {
        const std::size_t at = static_cast<std::size_t>(file.Le16(pointers + 2 * s)) * 16;
        const std::uint32_t flags = file.U8(at + 31);
        const bool wide = (flags & 4) != 0;
        info.samples.push_back({file.Text(at + 48, 28), file.Le32(at + 16) * (wide ? 2 : 1), wide, (flags & 1) != 0});
    }
}

void ReadXm(const Bytes &file, const Bytes &header, CModuleInfo &info)
{
    info.tracker = header.Text(38, 20);
    info.orders = header.U8(64);
    info.patterns = header.U8(70);
    info.instrumentCount = header.U8(72);
    // Patterns follow the header; instruments, each with its sample headers and data, follow them.
    std::size_t at = 60 + static_cast<std::size_t>(file.Le32(60));
    for (std::uint32_t p = 0; p < file.Le16(70) && at < file.size(); ++p)
        at += static_cast<std::size_t>(file.Le32(at)) + file.Le16(at + 7);
    for (std::uint32_t i = 0; i < info.instrumentCount; ++i) {
        const std::size_t size = file.Le32(at);
        info.instruments.push_back(at < file.size() ? file.Text(at + 4, 22) : std::string());
        // FastTracker 2 allows 16 samples an instrument; a damaged count must not make thousands of rows.
        const std::uint32_t count = at < file.size() ? std::min<std::uint32_t>(file.Le16(at + 27), 256) : 0;
        const std::size_t sampleHeader = count > 0 ? file.Le32(at + 29) : 0;
        std::size_t next = at + std::max<std::size_t>(size, 4);
        std::size_t data = 0;
        for (std::uint32_t s = 0; s < count && next + s * sampleHeader < file.size(); ++s) {
            const std::size_t h = next + s * sampleHeader;
            const std::uint32_t flags = file.U8(h + 14);
            info.samples.push_back({file.Text(h + 18, 22), file.Le32(h), (flags & 0x10) != 0, (flags & 3) != 0});
            data += file.Le32(h);
        }
        info.sampleCount += count;
        at = next + count * sampleHeader + data;
    }
    info.sampleCount &= 0xFF;
}

void ReadIt(const Bytes &file, const Bytes &header, CModuleInfo &info)
{
    info.tracker = "Impulse Tracker " + std::to_string(header.U8(41) & 0x0F) + "." + Hex2(header.U8(40));
    info.orders = header.U8(32);
    info.patterns = header.U8(38);
    info.instrumentCount = header.U8(34);
    info.sampleCount = header.U8(36);
    const std::size_t table = 0xC0 + header.Le16(32);
    for (std::uint32_t i = 0; i < info.instrumentCount; ++i)
        info.instruments.push_back(file.Text(file.Le32(table + 4 * i) + 32u, 26));
    const std::size_t samples = table + 4 * static_cast<std::size_t>(header.Le16(34));
    for (std::uint32_t s = 0; s < info.sampleCount; ++s) {
        const std::size_t at = file.Le32(samples + 4 * s);
        const std::uint32_t flags = file.U8(at + 18);
        const bool wide = (flags & 2) != 0;
        info.samples.push_back({file.Text(at + 20, 26), file.Le32(at + 48) * (wide ? 2 : 1), wide, (flags & 0x10) != 0});
    }
    if ((header.U8(46) & 1) == 0)
        return;
    // The message ends at its first zero byte, or at its stated length when it has none.
    const std::size_t offset = header.Le32(56);
    const std::size_t length = header.Le16(54);
    for (std::size_t i = offset; i < offset + length && i < file.size() && file.U8(i) != 0; ++i) {
        const char c = static_cast<char>(file.U8(i));
        info.message += c;
        if (c == '\r')
            info.message += '\n';
    }
    info.message = CTextCodec::Utf8OrLatin1(info.message);
}

} // namespace

std::string CModuleInfo::Caption(std::int32_t type)
{
    switch (type) {
    case kTypeS3m: return "S3M File Information";
    case kTypeXm: return "XM File Information";
    case kTypeIt: return "IT File Information";
    default: return "MOD File Information";
    }
}

std::string CModuleInfo::GroupCaption(std::int32_t type)
{
    switch (type) {
    case kTypeS3m: return "S3M Info";
    case kTypeXm: return "XM Info";
    case kTypeIt: return "IT Info";
    default: return "MOD Info";
    }
}

int CModuleInfo::TitleLimit(std::int32_t type)
{
    switch (type) {
    case kTypeS3m: return 27;
    case kTypeXm: return 20;
    case kTypeIt: return 25;
    default: return 19;
    }
}

std::string CModuleInfo::LengthText(std::uint32_t seconds)
{
    std::string out;
    if (seconds > 59)
        out = std::to_string(seconds / 60) + " min ";
    return out + std::to_string(seconds > 59 ? seconds % 60 : seconds) + " sec";
}

CModuleInfo CModuleInfo::Read(const std::string &path, std::int32_t type, std::uint32_t seconds,
                              std::int32_t channels, std::uint64_t fileSize)
{
    CModuleInfo info;
    info.type = type;
    const Bytes file(ReadFile(path));
    const Bytes header = file.Prefix(kHeaderBytes);
    switch (type) {
    case kTypeS3m: ReadS3m(file, header, info); break;
    case kTypeXm: ReadXm(file, header, info); break;
    case kTypeIt: ReadIt(file, header, info); break;
    default: ReadMod(header, info); break;
    }
    info.infoText = info.tracker + "\n" + LengthText(seconds) + "\n" + std::to_string(fileSize) + " bytes\n" +
                    std::to_string(info.orders) + " [" + std::to_string(info.patterns) + " patterns]\n" +
                    std::to_string(channels) + "\n" + std::to_string(info.instrumentCount) + " [" +
                    std::to_string(info.sampleCount) + " samples]";
    return info;
}

bool CModuleInfo::WriteTitle(const std::string &path, std::int32_t type, const std::string &title)
{
    const std::size_t offset = type == kTypeXm ? 17 : type == kTypeIt ? 4 : 0;
    const auto length = static_cast<std::size_t>(TitleLimit(type));
    std::string field = CTextCodec::Utf8ToLatin1(title).substr(0, length);
    field.resize(length, '\0');
    const CFileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid())
        return false;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    ssize_t wrote;
    do
        wrote = ::pwrite(fd.get(), field.data(), field.size(), static_cast<off_t>(offset));
    while (wrote < 0 && errno == EINTR);
    return wrote == static_cast<ssize_t>(field.size());
}

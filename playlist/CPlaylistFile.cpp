#include "playlist/CPlaylistFile.h"

#include "playlist/CLineReader.h"
#include "playlist/CParallelIdentifier.h"
#include "playlist/IEntryIdentifier.h"
#include "platform/io/CAtomicFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool HasKey(std::string_view field, std::string_view key)
{
    return field.compare(0, 4, key) == 0;
}

// The longest prefix of `text` of at most `maxBytes` bytes that does not split a UTF-8 character.
std::string_view CutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

void AppendField(std::string &out, std::string_view key, std::string_view value)
{
    out += CPlaylistFile::kFieldMark;
    out += key;
    out += '=';
    const std::size_t start = out.size();
    // Cut so that the line stays readable: the reader skips lines longer than its limit.
    out += CutUtf8(value, CPlaylistFile::kMaxFieldBytes);
    // A tag may hold a line break (multi-line Vorbis comments); it would split the entry in two.
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] == CPlaylistFile::kFieldMark || out[i] == '\r' || out[i] == '\n' || out[i] == '\0')
            out[i] = ' ';
    }
}

void AppendNumber(std::string &out, std::string_view key, std::int64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out += CPlaylistFile::kFieldMark;
    out += key;
    out += '=';
    out.append(digits, result.ptr);
}

std::int32_t Clamp32(std::int64_t value)
{
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : (value > hi ? hi : value));
}

} // namespace

std::int64_t CPlaylistFile::ParseNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{1} << 32;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit)
            value = kLimit; // saturates; callers clamp to their own range
    }
    return negative ? -value : value;
}

std::string CPlaylistFile::FolderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

namespace {

// True when `path` is absolute and has no empty, "." or ".." component (nothing to normalise).
bool IsNormalAbsolute(std::string_view path)
{
    if (path.empty() || path[0] != '/')
        return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if ((part.empty() && end != path.size()) || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

std::string CPlaylistFile::ResolvePath(std::string_view text, const std::string &folder)
{
    // Most stored paths need no normalising; the filesystem library's is slow for 10000 lines.
    if (!text.empty() && text[0] != '/' && !folder.empty() && folder[0] == '/' && folder.back() == '/') {
        std::string joined = folder;
        joined += text;
        if (IsNormalAbsolute(joined))
            return joined;
    } else if (IsNormalAbsolute(text)) {
        return std::string(text);
    }
    std::filesystem::path path(text);
    if (!path.is_absolute() && !folder.empty())
        path = std::filesystem::path(folder) / path;
    return path.lexically_normal().string();
}

std::string CPlaylistFile::VplPath(const std::string &path)
{
    constexpr std::string_view kExt = ".vpl";
    if (path.size() >= kExt.size() && path.compare(path.size() - kExt.size(), kExt.size(), kExt) == 0)
        return path;
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.rfind('.');
    // A leading dot names a hidden file, not an extension.
    if (dot != std::string::npos && dot > nameStart)
        return path.substr(0, dot) + std::string(kExt);
    return path + std::string(kExt);
}

bool CPlaylistFile::ReadFirstLine(const std::string &path, std::string &line)
{
    CLineReader reader(kMaxLineBytes);
    if (!reader.Open(path) || reader.Next(line) != CLineReader::Result::Line)
        return false;
    DropByteOrderMark(line);
    return true;
}

void CPlaylistFile::DropByteOrderMark(std::string &line)
{
    if (line.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0)
        line.erase(0, kByteOrderMark.size());
}

bool CPlaylistFile::CanStorePath(std::string_view path)
{
    return !path.empty() && path.size() <= kMaxPathBytes &&
           path.find_first_of(std::string_view("\x01\r\n\0", 4)) == std::string_view::npos;
}

bool CPlaylistFile::ParseLine(std::string_view line, const std::string &folder, PlaylistLine &out)
{
    out = PlaylistLine();
    if (line.find('\0') != std::string_view::npos)
        return false;
    const std::size_t mark = line.find(kFieldMark);
    const std::string_view pathText = line.substr(0, mark);
    if (pathText.empty())
        return false;
    CPlaylistEntry &e = out.entry;
    e.m_strPath = ResolvePath(pathText, folder);

    std::size_t pos = mark;
    while (pos != std::string_view::npos) {
        const std::size_t next = line.find(kFieldMark, pos + 1);
        const std::string_view field = line.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1);
        pos = next;
        if (field.size() <= 5)
            continue;
        const std::string_view value = field.substr(5);
        if (HasKey(field, "NAME"))
            e.m_strTitle = value;
        else if (HasKey(field, "ATST"))
            e.m_strArtist = value;
        else if (HasKey(field, "ALBM"))
            e.m_strAlbum = value;
        else if (HasKey(field, "GENR"))
            e.m_strGenre = value;
        else if (HasKey(field, "YEAR"))
            e.m_nYear = Clamp32(ParseNumber(value));
        else if (HasKey(field, "TYPE")) {
            out.hasType = true;
            out.type = Clamp32(ParseNumber(value));
        } else if (HasKey(field, "RATE"))
            e.m_nBitrate = Clamp32(ParseNumber(value));
        else if (HasKey(field, "FREQ"))
            e.m_nFrequency = Clamp32(ParseNumber(value));
        else if (HasKey(field, "CHNL")) {
            // A negative count carries no information; it is treated like 0 (not set).
            const std::int64_t channels = ParseNumber(value);
            if (channels > 0)
                e.m_nChannels = static_cast<std::int32_t>(std::min<std::int64_t>(channels, kMaxChannels));
        } else if (HasKey(field, "SIZE")) {
            const std::int64_t size = ParseNumber(value);
            e.m_nSize = size <= 0 ? 0 : static_cast<std::uint32_t>(std::min<std::int64_t>(size, UINT32_MAX));
        } else if (HasKey(field, "TIME")) {
            // 0 (or a nonsensical negative length) leaves the duration to be computed from the file.
            const std::int64_t seconds = ParseNumber(value);
            if (seconds > 0)
                e.m_nDuration = Clamp32(seconds);
        } else if (HasKey(field, "PEAK"))
            e.m_nMixing = Clamp32(ParseNumber(value));
        else if (HasKey(field, "PANN"))
            e.m_nPanning = Clamp32(ParseNumber(value));
        else if (HasKey(field, "LOOP"))
            e.m_bLoops = true;
    }
    return true;
}

bool CPlaylistFile::FormatLine(const CPlaylistEntry &entry, const std::string &folder, std::string &out)
{
    const std::string &path = entry.m_strPath;
    if (!CanStorePath(path))
        return false;
    if (!folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0)
        out.append(path, folder.size());
    else
        out += path;
    if (!entry.m_strTitle.empty())
        AppendField(out, "NAME", entry.m_strTitle);
    if (!entry.m_strArtist.empty())
        AppendField(out, "ATST", entry.m_strArtist);
    if (!entry.m_strAlbum.empty())
        AppendField(out, "ALBM", entry.m_strAlbum);
    if (!entry.m_strGenre.empty())
        AppendField(out, "GENR", entry.m_strGenre);
    if (entry.m_nYear != 0)
        AppendNumber(out, "YEAR", entry.m_nYear);
    if (entry.m_nType != 0)
        AppendNumber(out, "TYPE", entry.m_nType);
    if (entry.m_nBitrate != 0)
        AppendNumber(out, "RATE", entry.m_nBitrate);
    if (entry.m_nFrequency != 0)
        AppendNumber(out, "FREQ", entry.m_nFrequency);
    if (entry.m_nChannels != 0)
        AppendNumber(out, "CHNL", entry.m_nChannels);
    if (entry.m_nSize != 0)
        AppendNumber(out, "SIZE", entry.m_nSize);
    if (entry.m_nDuration != 0)
        AppendNumber(out, "TIME", entry.m_nDuration);
    if (entry.m_nMixing > 0)
        AppendNumber(out, "PEAK", entry.m_nMixing);
    if (entry.m_nPanning > 0)
        AppendNumber(out, "PANN", entry.m_nPanning);
    if (entry.m_bLoops) {
        out += kFieldMark;
        out += "LOOP=1";
    }
    return true;
}

bool CPlaylistFile::Save(const std::string &path, const CPlaylistEntry *entries, int count, int *leftOut)
{
    // Relative entries are stored against the folder of the file itself: a playlist reached through
    // a symbolic link keeps its entries relative to where it really is (and the link stays a link).
    const std::string target = CAtomicFile::RealTarget(path);
    const std::string folder = FolderOf(target);

    std::string text;
    text.reserve(64 + static_cast<std::size_t>(std::max(count, 0)) * 160);
    text += kHeader;
    text += "\r\n";
    const int n = std::min(count, kMaxEntries);
    int left = 0;
    for (int i = 0; i < n; ++i) {
        if (FormatLine(entries[i], folder, text))
            text += "\r\n";
        else
            ++left;
    }
    if (leftOut)
        *leftOut = left;

    return CAtomicFile::Replace(target, text);
}

CPlaylistFile::Format CPlaylistFile::Load(const std::string &path, int room, std::vector<CPlaylistEntry> &out,
                                          int *unread)
{
    m_nUnread = 0;
    CLineReader reader(kMaxLineBytes);
    if (!reader.Open(path))
        return Format::Unreadable;
    // Relative entries belong to the playlist's own folder, whatever the process's directory is.
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    if (!cwd.empty() && cwd.back() != '/')
        cwd += '/';
    const std::string folder = FolderOf(ResolvePath(CAtomicFile::RealTarget(path), cwd));
    std::string first;
    const bool hasFirst = reader.Next(first) == CLineReader::Result::Line;
    // Editors on other systems may start a UTF-8 file with a byte-order mark.
    DropByteOrderMark(first);
    Format format = Format::Vpl;
    if (!hasFirst || first != kHeader) {
        reader.Close();
        LoadM3u(path, folder, room, out);
        format = Format::M3u;
    } else {
        LoadVpl(reader, folder, room, out);
    }
    if (unread)
        *unread = m_nUnread;
    return format;
}

void CPlaylistFile::LoadVpl(CLineReader &reader, const std::string &folder, int room, std::vector<CPlaylistEntry> &out)
{
    std::string line;
    PlaylistLine parsed;
    int added = 0;
    while (added < room) {
        const CLineReader::Result result = reader.Next(line);
        if (result == CLineReader::Result::End)
            break;
        if (result == CLineReader::Result::Overlong)
            ++m_nUnread;
        if (result != CLineReader::Result::Line || !ParseLine(line, folder, parsed)) {
            if (result == CLineReader::Result::Line && !line.empty())
                ++m_nUnread;
            continue;
        }
        CPlaylistEntry &entry = parsed.entry;
        bool known = parsed.hasType && m_identifier.Complete(entry, parsed.type) && entry.m_nType != 0;
        if (!known) {
            // Without a type the line's fields are not trusted: the file says what it is.
            const std::string fullPath = entry.m_strPath;
            entry = CPlaylistEntry();
            known = m_identifier.Identify(fullPath, entry) && entry.m_nType != 0;
        }
        if (known) {
            out.push_back(std::move(entry));
            ++added;
        } else {
            ++m_nUnread;
        }
    }
}

void CPlaylistFile::LoadM3u(const std::string &path, const std::string &folder, int room, std::vector<CPlaylistEntry> &out)
{
    CLineReader reader(kMaxLineBytes);
    if (!reader.Open(path))
        return;
    // Lines are identified a batch at a time, side by side, and taken in order until the list is full.
    constexpr std::size_t kBatch = 1024;
    std::string line;
    std::vector<std::string> paths;
    int added = 0;
    bool first = true;
    bool atEnd = false;
    while (added < room && !atEnd) {
        paths.clear();
        while (paths.size() < kBatch) {
            const CLineReader::Result result = reader.Next(line);
            if (result == CLineReader::Result::End) {
                atEnd = true;
                break;
            }
            if (first)
                DropByteOrderMark(line);
            first = false;
            if (result == CLineReader::Result::Overlong)
                ++m_nUnread;
            if (result != CLineReader::Result::Line || line.empty() || line.find('\0') != std::string::npos)
                continue;
            // Relative lines are made absolute here: an entry must still name its file after the
            // playlist's folder is no longer at hand (playback, saving to another folder).
            paths.push_back(ResolvePath(line, folder));
        }
        for (CParallelIdentifier::Result &result : CParallelIdentifier::Identify(m_identifier, paths)) {
            if (added == room)
                break;
            if (result.known) {
                out.push_back(std::move(result.entry));
                ++added;
            } else {
                ++m_nUnread;
            }
        }
    }
}

#include "playlist/CPlaylistFile.h"

#include "playlist/CLineReader.h"
#include "playlist/IEntryIdentifier.h"

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

void AppendField(std::string &out, std::string_view key, std::string_view value)
{
    out += CPlaylistFile::kFieldMark;
    out += key;
    out += '=';
    const std::size_t start = out.size();
    out += value;
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

// Closes the descriptor and removes the temporary file unless it was handed over.
class TempFile {
public:
    ~TempFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    int m_fd = -1;
    std::string m_path;
};

bool WriteAll(int fd, const std::string &data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
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
    return reader.Open(path) && reader.Next(line) == CLineReader::Result::Line;
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
    if (path.empty() || path.find_first_of(std::string_view("\x01\r\n\0", 4)) != std::string::npos)
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

bool CPlaylistFile::Save(const std::string &path, const CPlaylistEntry *entries, int count)
{
    // Write beside the file a symbolic link points to, so the link stays a link.
    std::string target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
        if (!ec)
            target = real.string();
    }
    const std::string folder = FolderOf(target);

    std::string text;
    text.reserve(64 + static_cast<std::size_t>(std::max(count, 0)) * 160);
    text += kHeader;
    text += "\r\n";
    const int n = std::min(count, kMaxEntries);
    for (int i = 0; i < n; ++i) {
        if (FormatLine(entries[i], folder, text))
            text += "\r\n";
    }

    TempFile temp;
    std::random_device random;
    for (int attempt = 0; attempt < 100 && temp.m_fd < 0; ++attempt) {
        std::string name = target + ".tmp" + std::to_string(random() % 1000000u);
        // 0666 as for any new file: the user's umask decides the permissions.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp.m_fd = fd;
            temp.m_path = std::move(name);
        } else if (errno != EEXIST) {
            return false;
        }
    }
    if (temp.m_fd < 0)
        return false;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(temp.m_fd, old.st_mode & 07777);
    if (!WriteAll(temp.m_fd, text) || ::fsync(temp.m_fd) != 0)
        return false;
    const int fd = temp.m_fd;
    temp.m_fd = -1;
    if (::close(fd) != 0)
        return false;
    if (::rename(temp.m_path.c_str(), target.c_str()) != 0)
        return false;
    temp.m_path.clear();
    return true;
}

CPlaylistFile::Format CPlaylistFile::Load(const std::string &path, int room, std::vector<CPlaylistEntry> &out)
{
    CLineReader reader(kMaxLineBytes);
    if (!reader.Open(path))
        return Format::Unreadable;
    // Relative entries belong to the playlist's own folder, whatever the process's directory is.
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    if (!cwd.empty() && cwd.back() != '/')
        cwd += '/';
    const std::string folder = FolderOf(ResolvePath(path, cwd));
    std::string first;
    if (reader.Next(first) != CLineReader::Result::Line || first != kHeader) {
        reader.Close();
        LoadM3u(path, folder, room, out);
        return Format::M3u;
    }
    LoadVpl(reader, folder, room, out);
    return Format::Vpl;
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
        if (result != CLineReader::Result::Line || !ParseLine(line, folder, parsed))
            continue;
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
        }
    }
}

void CPlaylistFile::LoadM3u(const std::string &path, const std::string &folder, int room, std::vector<CPlaylistEntry> &out)
{
    CLineReader reader(kMaxLineBytes);
    if (!reader.Open(path))
        return;
    std::string line;
    CPlaylistEntry entry;
    int added = 0;
    while (added < room) {
        const CLineReader::Result result = reader.Next(line);
        if (result == CLineReader::Result::End)
            break;
        if (result != CLineReader::Result::Line || line.empty() || line.find('\0') != std::string::npos)
            continue;
        // Relative lines are made absolute here: an entry must still name its file after the
        // playlist's folder is no longer at hand (playback, saving to another folder).
        entry = CPlaylistEntry();
        if (m_identifier.Identify(ResolvePath(line, folder), entry) && entry.m_nType != 0) {
            out.push_back(std::move(entry));
            ++added;
        }
    }
}

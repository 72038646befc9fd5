#include "platform/io/CAtomicFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kTempMark = ".tmp";

bool WriteAll(int fd, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The process id in a temporary name "<name>.tmp<pid>[.<n>]", or 0 when `entry` is no such name.
// Older versions wrote "<name>.tmp<digits>" and "<name>.tmp-XXXXXX"; those read as dead writers.
pid_t WriterOf(std::string_view entry, std::string_view name)
{
    if (entry.size() <= name.size() + kTempMark.size() || entry.substr(0, name.size()) != name ||
        entry.substr(name.size(), kTempMark.size()) != kTempMark)
        return 0;
    std::string_view rest = entry.substr(name.size() + kTempMark.size());
    if (rest.front() == '-')
        return rest.size() == 7 ? -1 : 0; // mkstemp's six characters
    long long pid = 0;
    std::size_t i = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && pid < (1LL << 31); ++i)
        pid = pid * 10 + (rest[i] - '0');
    if (i == 0 || (i < rest.size() && rest[i] != '.'))
        return 0;
    return pid <= 0 || pid >= (1LL << 31) ? -1 : static_cast<pid_t>(pid);
}

// A zombie (killed, and its parent gone without reaping it, as under an init that reaps nothing) writes
// no more: its temporaries are stale.
bool IsZombie(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

bool IsRunning(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM) && !IsZombie(pid);
}

} // namespace

std::string CAtomicFile::RealTarget(const std::string &path)
{
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec))
        return path;
    const std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : real.string();
}

int CAtomicFile::RemoveStaleTemporaries(const std::string &path)
{
    const std::filesystem::path target(RealTarget(path));
    const std::string name = target.filename().string();
    if (name.empty())
        return 0;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    int removed = 0;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        const pid_t writer = WriterOf(entry, name);
        if (writer == 0 || writer == ::getpid() || IsRunning(writer))
            continue;
        std::error_code kind;
        if (it->is_regular_file(kind) && !it->is_symlink(kind) && ::unlink(it->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

bool CAtomicFile::Replace(const std::string &path, const std::string &text, std::optional<mode_t> mode)
{
    return ReplaceBy(path, [&](int fd) { return WriteAll(fd, text); }, mode);
}

bool CAtomicFile::ReplaceBy(const std::string &path, const std::function<bool(int fd)> &write,
                            std::optional<mode_t> mode)
{
    static std::atomic<unsigned> serial{0};
    const std::string target = RealTarget(path);
    RemoveStaleTemporaries(target);

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + std::string(kTempMark) + std::to_string(::getpid()) + "." + std::to_string(serial++);
        // 0666 as for any new file: the user's umask decides unless a mode is asked for.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    struct stat old {};
    bool ok = true;
    if (mode)
        ok = ::fchmod(fd, *mode) == 0;
    else if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, old.st_mode & 07777);
    ok = ok && write(fd) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

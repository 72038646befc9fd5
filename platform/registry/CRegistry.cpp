#include "platform/registry/CRegistry.h"

#include "platform/io/CFileDescriptor.h"
#include "platform/io/CAtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadCapped(const std::filesystem::path &file, std::size_t cap)
{
    CFileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    if (fd.get() < 0)
        return text;
    char buffer[65536];
    while (text.size() < cap) {
        const ssize_t got = ::read(fd.get(), buffer, std::min(sizeof buffer, cap - text.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

} // namespace

CRegistry::CRegistry(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path CRegistry::DefaultFolder()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::filesystem::path(config) / "melvane";
    const char *home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] ? home : "/tmp") / ".config" / "melvane";
}

std::filesystem::path CRegistry::HiveFile(RegistryRoot root) const
{
    return m_folder /
           (root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER.hive" : "HKEY_LOCAL_MACHINE.hive");
}

CRegistryHive CRegistry::Load(RegistryRoot root) const
{
    CRegistryHive hive;
    hive.Parse(ReadCapped(HiveFile(root), kMaxFileBytes));
    return hive;
}

bool CRegistry::Update(RegistryRoot root, const std::function<bool(CRegistryHive &)> &change)
{
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (error)
        return false;
    const std::filesystem::path file = HiveFile(root);
    const std::string lockName = file.string() + ".lock";
    CFileDescriptor lock(::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return false;
    int locked;
    do
        locked = ::flock(lock.get(), LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0)
        return false;

    CRegistryHive hive = Load(root);
    if (!change(hive))
        return false;
    // Settings may hold private values: the hive is readable by its owner only.
    return CAtomicFile::Replace(file.string(), hive.Serialize(), 0600);
    // The lock is released when its descriptor closes.
}

bool CRegistry::CreateKey(RegistryRoot root, std::string_view path)
{
    return Update(root, [&](CRegistryHive &hive) { return hive.CreateKey(path); });
}

bool CRegistry::DeleteKey(RegistryRoot root, std::string_view path)
{
    return Update(root, [&](CRegistryHive &hive) { return hive.DeleteKey(path); });
}

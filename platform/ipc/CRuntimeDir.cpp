#include "platform/ipc/CRuntimeDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

CRuntimeDir::CRuntimeDir(std::string path) : m_path(std::move(path)) {}

CRuntimeDir CRuntimeDir::For(const char *xdgRuntimeDir, uid_t uid)
{
    if (xdgRuntimeDir && xdgRuntimeDir[0] == '/') {
        std::string base = xdgRuntimeDir;
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        return CRuntimeDir(base + (base == "/" ? "" : "/") + "melvane");
    }
    return CRuntimeDir("/tmp/melvane-" + std::to_string(uid));
}

CRuntimeDir CRuntimeDir::FromEnvironment()
{
    return For(std::getenv("XDG_RUNTIME_DIR"), geteuid());
}

bool CRuntimeDir::Prepare(std::string *why) const
{
    auto fail = [&](const std::string &text) {
        if (why)
            *why = m_path + ": " + text;
        return false;
    };
    if (mkdir(m_path.c_str(), 0700) != 0 && errno != EEXIST)
        return fail(std::strerror(errno));
    struct stat info {};
    if (lstat(m_path.c_str(), &info) != 0)
        return fail(std::strerror(errno));
    if (!S_ISDIR(info.st_mode))
        return fail("not a folder");
    if (info.st_uid != geteuid())
        return fail("owned by another user");
    if ((info.st_mode & 077) != 0)
        return fail("open to group or others");
    return true;
}

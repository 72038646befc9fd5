#pragma once
// The private folder that holds the program's socket and start-up lock: $XDG_RUNTIME_DIR/melvane, or
// /tmp/melvane-<uid> when the desktop gives no runtime folder. Anyone who can write into it could pose
// as the running program, so it is used only when it is a real folder (not a link) owned by this user
// that neither group nor others may enter.

#include <string>
#include <sys/types.h>

class CRuntimeDir {
public:
    explicit CRuntimeDir(std::string path);

    // The folder for `uid` given the value of XDG_RUNTIME_DIR (null, empty or relative: not set).
    static CRuntimeDir For(const char *xdgRuntimeDir, uid_t uid);
    // The folder for this process, from its environment and effective user.
    static CRuntimeDir FromEnvironment();

    const std::string &Path() const { return m_path; }

    // Creates the folder with mode 0700 when it is missing; true when it may be used. On false, `why`
    // (when given) says what is wrong.
    bool Prepare(std::string *why = nullptr) const;

private:
    std::string m_path;
};

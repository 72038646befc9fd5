#pragma once
// Replaces a file's contents in one step: the new text goes to a temporary file beside the file,
// is flushed to disk and renamed over it, so a full disk, a failed write or a crash leaves the old
// contents as they were.
//
// A symbolic link stays a link: the file it points to is replaced, beside its own folder.
// Temporary files are named after the file and the writing process ("<name>.tmp<pid>.<n>"); one
// left behind by a process that no longer runs (a crash during a save) is removed at the next
// replacement of the same file, so interrupted saves never pile up.
//
// Any thread; writers of the same file in one process must not overlap.

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

class CAtomicFile {
public:
    // Writes `text` as the new contents of `path`. The permissions are `mode` when given, else those
    // of the file being replaced, else 0666 less the umask. False when the file could not be written
    // completely; it is then untouched.
    static bool Replace(const std::string &path, const std::string &text, std::optional<mode_t> mode = std::nullopt);
    // The same for contents made while they are written: `write` gets the temporary file's descriptor
    // and returns whether it wrote everything. Permissions as for Replace.
    static bool ReplaceBy(const std::string &path, const std::function<bool(int fd)> &write,
                          std::optional<mode_t> mode = std::nullopt);

    // The file that a write to `path` changes: `path` itself, or where its symbolic links lead.
    static std::string RealTarget(const std::string &path);

    // Removes the temporary files of `path` left by processes that no longer run; returns how many.
    static int RemoveStaleTemporaries(const std::string &path);
};

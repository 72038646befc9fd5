#pragma once
// Adds a folder tree to the playlist: depth first in the order the file system lists the names, a
// sub-folder entered as soon as it is met, folders whose names begin with "." skipped, files taken
// when their extension (after the last dot, any case) is one of the supported ones. Adding stops
// silently once the playlist holds 9999 entries, leaving the last slot for single files.
// A folder reached again through a symbolic link is not entered twice, so link loops end.
//
// Threads: user-interface thread only.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

class CPlayerDoc;

class CFolderAdder {
public:
    static constexpr int kFolderLimit = 9999;

    explicit CFolderAdder(CPlayerDoc &doc) : m_doc(doc) {}

    // "mod", "s3m", "xm", "it", "mp2", "mp3", "ogg", "wav", "flac", and with the Windows Media
    // decoder "asf", "wma".
    void SetWmaAvailable(bool available) { m_bWma = available; }
    static std::vector<std::string> Extensions(bool withWma);
    bool Accepts(const std::string &fileName) const;

    // Returns the number of entries added.
    int AddFolder(const std::string &folder);

private:
    void AddTree(const std::filesystem::path &folder, std::set<std::filesystem::path> &visited);
    void Flush(std::vector<std::string> &pending);

    CPlayerDoc &m_doc;
    bool m_bWma = false;
};

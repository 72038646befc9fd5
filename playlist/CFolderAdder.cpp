#include "playlist/CFolderAdder.h"

#include "playlist/CPlayerDoc.h"

#include <algorithm>
#include <cctype>
#include <system_error>

std::vector<std::string> CFolderAdder::Extensions(bool withWma)
{
    std::vector<std::string> list = {"mod", "s3m", "xm", "it", "mp2", "mp3", "ogg", "wav", "flac"};
    if (withWma) {
        list.push_back("asf");
        list.push_back("wma");
    }
    return list;
}

bool CFolderAdder::Accepts(const std::string &fileName) const
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = fileName.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto list = Extensions(m_bWma);
    return std::find(list.begin(), list.end(), ext) != list.end();
}

int CFolderAdder::AddFolder(const std::string &folder)
{
    const int before = m_doc.EntryCount();
    std::set<std::filesystem::path> visited;
    AddTree(std::filesystem::path(folder), visited);
    return m_doc.EntryCount() - before;
}

void CFolderAdder::Flush(std::vector<std::string> &pending)
{
    if (!pending.empty())
        m_doc.AddFiles(pending);
    pending.clear();
}

void CFolderAdder::AddTree(const std::filesystem::path &folder, std::set<std::filesystem::path> &visited)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path canonical = fs::canonical(folder, ec);
    if (ec || !visited.insert(canonical).second)
        return;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return;
    // Files are identified in batches between sub-folders; a batch never holds more names than
    // free places below the bound, so the bound is never passed and no limit message can appear.
    std::vector<std::string> pending;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        if (m_doc.EntryCount() + static_cast<int>(pending.size()) >= kFolderLimit) {
            Flush(pending);
            if (m_doc.EntryCount() >= kFolderLimit)
                return;
        }
        const fs::directory_entry &entry = *it;
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(ec)) {
            if (name.empty() || name[0] == '.')
                continue;
            Flush(pending);
            AddTree(entry.path(), visited);
        } else if (Accepts(name)) {
            pending.push_back(entry.path().string());
        }
    }
    Flush(pending);
}

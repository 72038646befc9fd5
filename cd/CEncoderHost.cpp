#include "cd/CEncoderHost.h"

#include "platform/io/CProgramFolder.h"

#include <algorithm>
#include <filesystem>
#include <strings.h>
#include <system_error>

std::string CEncoderHost::DefaultFolder()
{
    return CProgramFolder::Path() + "/" MV_ENCODER_FOLDER;
}

int CEncoderHost::Discover(const std::string &folder)
{
    Unload();
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == ".so" && it->is_regular_file(error))
            files.push_back(it->path().filename().string());
    // The file system's own order differs between machines; the offer should not.
    std::sort(files.begin(), files.end());
    for (const std::string &file : files) {
        if (Count() == kMaxPlugins)
            break;
        Plugin plugin;
        if (!plugin.library.Load(folder + "/" + file))
            continue;
        QueryEncoderProc query = nullptr;
        if (!plugin.library.Resolve("QueryEncoder", query))
            continue;
        const char *name = query();
        if (!name || !*name)
            continue;
        plugin.name = name;
        plugin.fileName = file;
        m_plugins.push_back(std::move(plugin));
    }
    return Count();
}

int CEncoderHost::Find(const std::string &fileNameOrName) const
{
    if (fileNameOrName.empty())
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (strcasecmp(At(i).fileName.c_str(), fileNameOrName.c_str()) == 0)
            return i;
    for (int i = 0; i < Count(); ++i)
        if (strcasecmp(At(i).name.c_str(), fileNameOrName.c_str()) == 0 ||
            strcasecmp(std::filesystem::path(At(i).fileName).stem().c_str(), fileNameOrName.c_str()) == 0)
            return i;
    return -1;
}

bool CEncoderHost::Bind(int index, EncoderBinding &binding)
{
    binding = {};
    if (index < 0 || index >= Count())
        return false;
    CDynamicLibrary &library = m_plugins[static_cast<std::size_t>(index)].library;
    const bool found = library.Resolve("Open", binding.open) & library.Resolve("Write", binding.write) &
                       library.Resolve("Close", binding.close);
    if (!found)
        binding = {};
    return found;
}

bool CEncoderHost::Configure(int index, std::uintptr_t parentWindow)
{
    if (index < 0 || index >= Count())
        return false;
    Plugin &plugin = m_plugins[static_cast<std::size_t>(index)];
    EncoderConfigureProc configure = nullptr;
    if (!plugin.library.Resolve("Configure", configure))
        return false;
    configure(plugin.library.Handle(), parentWindow);
    return true;
}

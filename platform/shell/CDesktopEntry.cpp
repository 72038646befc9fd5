#include "platform/shell/CDesktopEntry.h"

#include "platform/io/CAtomicFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

std::string XdgFolder(const char *variable, const char *fallbackBelowHome)
{
    const char *value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    const char *home = std::getenv("HOME");
    return std::string(home ? home : "") + fallbackBelowHome;
}

bool IsFile(const std::filesystem::path &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string CDesktopEntry::UserApplicationsFolder()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share") + "/applications";
}

std::vector<std::string> CDesktopEntry::ApplicationFolders()
{
    std::vector<std::string> folders{UserApplicationsFolder()};
    const char *dirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    std::stringstream stream(list);
    std::string folder;
    while (std::getline(stream, folder, ':')) {
        if (!folder.empty() && folder[0] == '/')
            folders.push_back(folder + "/applications");
    }
    return folders;
}

bool CDesktopEntry::IsInstalled(std::string_view id, const std::vector<std::string> &folders)
{
    if (id.empty() || id.find('/') != std::string_view::npos)
        return false;
    for (const std::string &folder : folders) {
        if (IsFile(std::filesystem::path(folder) / std::string(id)))
            return true;
        // An id's dashes may stand for subfolders (kde-foo.desktop in kde/foo.desktop).
        std::string relative(id);
        for (std::size_t dash = relative.find('-'); dash != std::string::npos; dash = relative.find('-', dash + 1)) {
            relative[dash] = '/';
            if (IsFile(std::filesystem::path(folder) / relative))
                return true;
        }
    }
    return false;
}

std::string CDesktopEntry::ExecArgument(std::string_view argument)
{
    // Quoted only when it must be: some openers (xdg-mime among them) take the first word as it stands.
    if (argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string_view::npos) {
        std::string plain;
        for (char c : argument)
            plain += c == '%' ? std::string("%%") : std::string(1, c);
        return EscapeValue(plain);
    }
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    return EscapeValue(quoted);
}

std::string CDesktopEntry::EscapeValue(std::string_view text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

bool CDesktopEntry::WriteIfChanged(const std::string &folder, std::string_view id, const std::string &text)
{
    const std::filesystem::path path = std::filesystem::path(folder) / std::string(id);
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == text)
                return true;
        }
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return CAtomicFile::Replace(path.string(), text, 0644);
}

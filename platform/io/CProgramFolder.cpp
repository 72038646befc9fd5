#include "platform/io/CProgramFolder.h"

#include <filesystem>
#include <system_error>

std::string CProgramFolder::Path()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error || !self.has_parent_path() ? std::string(".") : self.parent_path().string();
}

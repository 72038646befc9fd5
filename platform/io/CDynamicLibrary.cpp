#include "platform/io/CDynamicLibrary.h"

#include <dlfcn.h>
#include <utility>

CDynamicLibrary::CDynamicLibrary(const std::string &path)
{
    Load(path);
}

CDynamicLibrary::~CDynamicLibrary()
{
    Unload();
}

CDynamicLibrary::CDynamicLibrary(CDynamicLibrary &&other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error))
{
}

CDynamicLibrary &CDynamicLibrary::operator=(CDynamicLibrary &&other) noexcept
{
    if (this != &other) {
        Unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool CDynamicLibrary::Load(const std::string &path)
{
    Unload();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char *message = dlerror();
        m_error = message ? message : "cannot load " + path;
        return false;
    }
    m_error.clear();
    return true;
}

void CDynamicLibrary::Unload()
{
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void *CDynamicLibrary::Symbol(const char *name)
{
    if (!m_handle) {
        m_error = "no library is loaded";
        return nullptr;
    }
    dlerror();
    void *address = dlsym(m_handle, name);
    if (!address) {
        const char *message = dlerror();
        m_error = message ? message : std::string("missing symbol ") + name;
    } else {
        m_error.clear();
    }
    return address;
}

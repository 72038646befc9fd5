#pragma once
// A shared library loaded with dlopen and closed when the object goes: the plug-in hosts (the
// Windows Media decoder, the keyboard hook, the visual and encoder plug-ins) load through it.
//
// Libraries are loaded RTLD_NOW | RTLD_LOCAL, so a plug-in lacking a symbol it needs fails to load
// instead of failing later, and two plug-ins' symbols never meet. Any thread; one object is not
// shared between threads.

#include <string>

class CDynamicLibrary {
public:
    CDynamicLibrary() = default;
    // Loads `path` (a bare file name goes through the library search path); see IsLoaded and Error.
    explicit CDynamicLibrary(const std::string &path);
    ~CDynamicLibrary();
    CDynamicLibrary(CDynamicLibrary &&other) noexcept;
    CDynamicLibrary &operator=(CDynamicLibrary &&other) noexcept;
    CDynamicLibrary(const CDynamicLibrary &) = delete;
    CDynamicLibrary &operator=(const CDynamicLibrary &) = delete;

    // Unloads what was loaded and loads `path`; false (with Error set) when it could not be loaded.
    bool Load(const std::string &path);
    void Unload();
    bool IsLoaded() const { return m_handle != nullptr; }
    // The dlopen handle (handed to plug-ins that want their own module handle); null when not loaded.
    void *Handle() const { return m_handle; }
    // The loader's message for the last failed Load or Resolve; empty after a success.
    const std::string &Error() const { return m_error; }

    // The address of the exported `name`, or null (with Error set) when the library lacks it.
    void *Symbol(const char *name);
    // Sets `function` to the exported `name`; false when it is missing.
    template <typename Function> bool Resolve(const char *name, Function &function)
    {
        function = reinterpret_cast<Function>(Symbol(name));
        return function != nullptr;
    }

private:
    void *m_handle = nullptr;
    std::string m_error;
};

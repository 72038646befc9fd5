#pragma once
// The encoder plug-ins of one extraction command: every *.so of the program's encoders/ folder that
// loads and answers QueryEncoder with a name, at most 32 (in file-name order), loaded when the command
// starts and unloaded when it ends (the object goes, or Unload).
//
// Threads: Discover, Configure and Unload on the UI thread (or the command line's only thread); the
// bound Open, Write and Close are called by the extraction worker while it runs.

#include "platform/io/CDynamicLibrary.h"
#include "plugins/include/mv_encoder.h"

#include <cstdint>
#include <string>
#include <vector>

struct EncoderBinding {
    EncoderOpenProc open = nullptr;
    EncoderWriteProc write = nullptr;
    EncoderCloseProc close = nullptr;
};

class CEncoderHost {
public:
    static constexpr int kMaxPlugins = MV_ENCODER_MAX_PLUGINS;

    struct Plugin {
        CDynamicLibrary library;
        std::string name;     // from QueryEncoder
        std::string fileName; // without folder
    };

    // The program folder's encoders/ subfolder.
    static std::string DefaultFolder();

    // Unloads what was loaded and lists `folder` afresh; returns how many plug-ins are offered.
    int Discover(const std::string &folder);
    void Unload() { m_plugins.clear(); }

    int Count() const { return static_cast<int>(m_plugins.size()); }
    const Plugin &At(int index) const { return m_plugins[static_cast<std::size_t>(index)]; }
    // The plug-in whose file name is `fileName` (letter case ignored), by name when no file matches, or -1.
    int Find(const std::string &fileNameOrName) const;

    // Looks Open, Write and Close up; false when any of them is missing.
    bool Bind(int index, EncoderBinding &binding);
    // Calls the plug-in's Configure when it has one; false when it has none.
    bool Configure(int index, std::uintptr_t parentWindow);

private:
    std::vector<Plugin> m_plugins;
};

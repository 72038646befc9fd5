#pragma once
// What the three visual plug-ins share: the values kept from Init, the window, the registry values
// under Software\Melvane\<key> (the window's place, then the plug-in's own values), the copy of a
// palettised image into the window's frame and the four exports (VIS_PLUGIN_EXPORTS below).
//
// Threads: Open and Quit on the window thread; Render on the render thread.

#include "plugins/include/mv_visual.h"
#include "plugins/visuals/common/CVisSettings.h"
#include "plugins/visuals/common/CVisWindow.h"

#include <array>
#include <cstdint>
#include <memory>

class CVisPlugin : public IVisFrameSource {
public:
    CVisPlugin(const VisInfo &info, std::string settingsKey);
    ~CVisPlugin() override = default;

    // Loads the values, lets the plug-in set itself up and opens the window; false on any failure.
    bool Open();
    const VisWindow *Record() const { return m_window.Record(); }
    virtual int Render() = 0;
    // Saves the window's place and the plug-in's values, and destroys the window.
    void Quit();

protected:
    using Palette = std::array<std::uint32_t, 256>;

    // Reads the plug-in's values and fills in the window's description (its place: ReadPlacement).
    virtual void Configure(const CVisSettings &settings, VisWindowOptions &options) = 0;
    // The plug-in's own values (its colours), stored after the window's place.
    virtual CVisSettings::Values OwnValues() const = 0;

    // The stored position (xpos, ypos) and, for a resizable window, size (width 240 to 1024, default 320;
    // height 180 to 768, default 240).
    void ReadPlacement(const CVisSettings &settings, VisWindowOptions &options, bool resizable);
    // Copies `image`, 8-bit indices in rows `imageWidth` apart, into the frame through `palette`.
    static void FillFromPalette(const std::uint8_t *image, int imageWidth, const Palette &palette,
                                std::uint32_t *pixels, int stride, int width, int height);

    VisInfo m_info;
    CVisSettings m_settings;
    CVisWindow m_window;

private:
    bool m_bResizable = false;
};

// The plain exports of a plug-in library whose plug-in class is `Plugin` and whose name is `name`.
#define VIS_PLUGIN_EXPORTS(Plugin, name)                                                                         \
    namespace {                                                                                                   \
    std::unique_ptr<Plugin> g_plugin;                                                                             \
    }                                                                                                             \
    extern "C" __attribute__((visibility("default"))) const char *QueryVisual(void) { return name; }            \
    extern "C" __attribute__((visibility("default"))) const VisWindow *Init(const VisInfo *info)                 \
    {                                                                                                             \
        if (g_plugin || !info)                                                                                    \
            return nullptr;                                                                                       \
        auto plugin = std::make_unique<Plugin>(*info);                                                            \
        if (!plugin->Open())                                                                                      \
            return nullptr;                                                                                       \
        g_plugin = std::move(plugin);                                                                             \
        return g_plugin->Record();                                                                                \
    }                                                                                                             \
    extern "C" __attribute__((visibility("default"))) int Render(void) { return g_plugin ? g_plugin->Render() : -1; } \
    extern "C" __attribute__((visibility("default"))) void Quit(void)                                            \
    {                                                                                                             \
        if (g_plugin)                                                                                             \
            g_plugin->Quit();                                                                                     \
        g_plugin.reset();                                                                                         \
    }

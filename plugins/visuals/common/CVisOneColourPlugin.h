#pragma once
// A visual plug-in drawn in one colour of the user's choice (the oscilloscope, the VU meter): the
// "Select Color..." item of its menu, the colour dialog, and the colour stored as "colour".
//
// Threads: as CVisPlugin; the colour changes on the window thread.

#include "plugins/visuals/common/CVisPlugin.h"

#include <cstdint>
#include <string>

class CVisOneColourPlugin : public CVisPlugin {
public:
    static constexpr int kColourCommand = 40002;

    void OnMenuCommand(int id) override;

protected:
    CVisOneColourPlugin(const VisInfo &info, std::string settingsKey, std::uint32_t defaultColour);

    // From Configure: reads the stored colour, hands it to ApplyColour and adds the menu item.
    void ReadColour(const CVisSettings &settings, VisWindowOptions &options);
    // The drawing takes up `colour` (a Windows colour value).
    virtual void ApplyColour(std::uint32_t colour) = 0;
    CVisSettings::Values OwnValues() const override;

private:
    std::uint32_t m_defaultColour;
    std::uint32_t m_colour;
};

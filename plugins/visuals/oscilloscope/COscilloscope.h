#pragma once
// The oscilloscope plug-in: the waveform of the sample buffer in a resizable window.

#include "plugins/visuals/common/CVisPlugin.h"
#include "plugins/visuals/oscilloscope/CWaveTrace.h"

class COscilloscope : public CVisPlugin {
public:
    static constexpr const char *kName = "Oscilloscope";
    static constexpr int kColourCommand = 40002;

    explicit COscilloscope(const VisInfo &info);

    int Render() override;
    void FillFrame(std::uint32_t *pixels, int stride, int width, int height) override;
    void OnMenuCommand(int id) override;

protected:
    void Configure(const CVisSettings &settings, VisWindowOptions &options) override;
    CVisSettings::Values OwnValues() const override;

private:
    CWaveTrace m_trace;
    std::uint32_t m_colour = 0x00FF00;
};

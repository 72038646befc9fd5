#pragma once
// The oscilloscope plug-in: the waveform of the sample buffer in a resizable window.

#include "plugins/visuals/common/CVisOneColourPlugin.h"
#include "plugins/visuals/oscilloscope/CWaveTrace.h"

class COscilloscope : public CVisOneColourPlugin {
public:
    static constexpr const char *kName = "Oscilloscope";

    explicit COscilloscope(const VisInfo &info);

    int Render() override;
    void FillFrame(std::uint32_t *pixels, int stride, int width, int height) override;

protected:
    void Configure(const CVisSettings &settings, VisWindowOptions &options) override;
    void ApplyColour(std::uint32_t colour) override { m_trace.SetColour(colour); }

private:
    CWaveTrace m_trace;
};

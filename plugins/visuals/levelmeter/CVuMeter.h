#pragma once
// The VU meter plug-in: two needle meters driven by the level word, in a window of fixed size.

#include "plugins/visuals/common/CVisOneColourPlugin.h"
#include "plugins/visuals/levelmeter/CNeedleMeter.h"

class CVuMeter : public CVisOneColourPlugin {
public:
    static constexpr const char *kName = "VU Meter";

    explicit CVuMeter(const VisInfo &info);

    int Render() override;
    void FillFrame(std::uint32_t *pixels, int stride, int width, int height) override;

protected:
    void Configure(const CVisSettings &settings, VisWindowOptions &options) override;
    void ApplyColour(std::uint32_t colour) override { m_meter.BuildFaces(colour); }

private:
    CNeedleMeter m_meter;
};

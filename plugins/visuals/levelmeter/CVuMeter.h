#pragma once
// The VU meter plug-in: two needle meters driven by the level word, in a window of fixed size.

#include "plugins/visuals/common/CVisPlugin.h"
#include "plugins/visuals/levelmeter/CNeedleMeter.h"

class CVuMeter : public CVisPlugin {
public:
    static constexpr const char *kName = "VU Meter";
    static constexpr int kColourCommand = 40002;

    explicit CVuMeter(const VisInfo &info);

    int Render() override;
    void FillFrame(std::uint32_t *pixels, int stride, int width, int height) override;
    void OnMenuCommand(int id) override;

protected:
    void Configure(const CVisSettings &settings, VisWindowOptions &options) override;
    CVisSettings::Values OwnValues() const override;

private:
    CNeedleMeter m_meter;
    std::uint32_t m_colour = 0xFFAAAA;
};

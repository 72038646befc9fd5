#pragma once
// The spectrum analyser plug-in: mirrored bars of the FFT buffer in a resizable window.

#include "plugins/visuals/common/CVisPlugin.h"
#include "plugins/visuals/freqbars/CSpectrumBars.h"

class CSpectrumAnalyser : public CVisPlugin {
public:
    static constexpr const char *kName = "Spectrum Analyser";
    static constexpr int kBaseColourCommand = 40002;
    static constexpr int kPeakColourCommand = 40003;

    explicit CSpectrumAnalyser(const VisInfo &info);

    int Render() override;
    void FillFrame(std::uint32_t *pixels, int stride, int width, int height) override;
    void OnMenuCommand(int id) override;

protected:
    void Configure(const CVisSettings &settings, VisWindowOptions &options) override;
    CVisSettings::Values OwnValues() const override;

private:
    CSpectrumBars m_bars;
    std::uint32_t m_base = 0x00FFFF;
    std::uint32_t m_peak = 0x0000FF;
};

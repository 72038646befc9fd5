#pragma once
// What the player core's engine draws on while no window has attached its own displays: nothing is
// shown, and the volume slider only keeps its position, so a core without a window (tests, start-up
// before the window, shut-down after it) still plays and applies its volume.
//
// Threads: user-interface thread only.

#include "engine/ICounterDisplay.h"
#include "engine/ILevelMeter.h"
#include "engine/IPositionBar.h"
#include "engine/IStatusText.h"
#include "engine/IVisualHost.h"
#include "engine/IVolumeSlider.h"

class CDetachedDisplays : public ICounterDisplay,
                          public IPositionBar,
                          public ILevelMeter,
                          public IVolumeSlider,
                          public IStatusText,
                          public IVisualHost {
public:
    static constexpr int kInitialVolume = 100;

    // ICounterDisplay and IPositionBar
    void SetTime(unsigned) override {}
    void Reset() override {}
    void SetLength(unsigned) override {}
    void SetOffset(int) override {}
    void SetActive(bool) override {}
    void Redraw(bool) override {}
    void UpdateTip() override {}
    void EndHoverIfLeft() override {}
    void SetPosition(unsigned) override {}
    // ILevelMeter
    void SetLevel(std::uint32_t) override {}
    bool WantsEveryTick() const override { return false; }
    // IVolumeSlider
    int Position() const override { return m_nVolume; }
    void SetPosition(int position) override { m_nVolume = position; }
    // IStatusText
    void UpdateStatusText() override {}
    // IVisualHost: no visual runs without a window.
    bool AnyVisualActive() override { return false; }

private:
    int m_nVolume = kInitialVolume;
};

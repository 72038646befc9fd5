#pragma once
// Stand-ins for everything the playback engine shows playback on or asks (counter, position bar,
// level meter, status text, volume slider, visual host, screen saver), each recording what it was
// told, and a clock the test moves by hand.

#include "core/IClock.h"
#include "engine/ICounterDisplay.h"
#include "engine/ILevelMeter.h"
#include "engine/IPositionBar.h"
#include "engine/IScreenSaver.h"
#include "engine/IStatusText.h"
#include "engine/IVisualHost.h"
#include "engine/IVolumeSlider.h"

#include <cstdint>

class TestClock : public IClock {
public:
    std::uint64_t now = 1000000000ull;
    std::uint64_t Now() override { return now; }
    void AdvanceMs(std::uint64_t ms) { now += ms * 1000000ull; }
};

class FakeCounter : public ICounterDisplay {
public:
    unsigned time = 0, length = 0;
    int offset = 0, resets = 0, blinks = 0;
    bool active = false;
    void SetTime(unsigned ms) override { time = ms; }
    void Reset() override { time = 0; offset = 0; ++resets; }
    void SetLength(unsigned ms) override { length = ms; }
    void SetOffset(int seconds) override { offset = seconds; }
    void SetActive(bool a) override { active = a; }
    void Redraw(bool blink) override { blinks += blink ? 1 : 0; }
    void UpdateTip() override {}
    void EndHoverIfLeft() override {}
};

class FakePositionBar : public IPositionBar {
public:
    unsigned length = 0, position = 0;
    void SetLength(unsigned ms) override { length = ms; }
    void SetPosition(unsigned ms) override { position = ms; }
    void Reset() override { length = position = 0; }
    void EndHoverIfLeft() override {}
};

class FakeMeter : public ILevelMeter {
public:
    std::uint32_t level = 0;
    bool wantsEveryTick = true;
    void SetLevel(std::uint32_t l) override { level = l; }
    void EndHoverIfLeft() override {}
    bool WantsEveryTick() const override { return wantsEveryTick; }
};

class FakeStatus : public IStatusText {
public:
    int updates = 0;
    void UpdateStatusText() override { ++updates; }
};

class FakeVolumeSlider : public IVolumeSlider {
public:
    int position = 100;
    int Position() const override { return position; }
    void SetPosition(int p) override { position = p; }
    void UpdateTip() override {}
};

class FakeScreenSaver : public IScreenSaver {
public:
    bool detectable = true, active = false;
    bool IsDetectable() override { return detectable; }
    bool IsActive() override { return active; }
};

class FakeVisuals : public IVisualHost {
public:
    bool active = false;
    bool AnyVisualActive() override { return active; }
};

#pragma once
// A transport that only says which file plays: for the tag writer and the information command,
// which ask nothing else of the engine.

#include "engine/ITransport.h"

#include <string>

class FakePlayingTransport : public ITransport {
public:
    void Play() override {}
    void StopPlayback() override { m_strPlaying.clear(); }
    void SetPosition(int, int) override {}
    bool IsPlaying() const override { return !m_strPlaying.empty(); }
    unsigned ElapsedMs() const override { return 0; }
    std::string PlayingPath() const override { return m_strPlaying; }
    int PlayingDuration() const override { return 0; }
    bool HalfTick() const override { return false; }
    std::uint64_t CounterNow() const override { return 0; }
    int VolumeSliderPosition() const override { return 100; }
    void SetVolumeSliderPosition(int) override {}
    int SavedVolume() const override { return 0; }

    std::string m_strPlaying; // empty: nothing plays
};

#pragma once
// The graphic equalizer's logic: nine peaking bands (80 Hz to 14 kHz, one octave wide) whose levels
// are kept in half decibels (-30 to 30, so -15 to +15 dB). While enabled and available, each band is
// one equalizer effect on the current channel; level changes reach the effects at once, so they are
// heard while playing.
//
// The slider of a band has its minimum at the top, so a band's slider position is its negated level.
//
// Decision: the handles remember the channel they belong to. Attaching again to that same channel only
// refreshes the parameters (a second set of effects would double every gain), and handles left from
// another channel are forgotten before attaching.
//
// Threads: user-interface thread only.

#include "engine/IEqualizer.h"
#include "platform/bass/bass.h"

#include <array>
#include <cstdint>
#include <functional>

class CPlayerSettings;

class CEqualizer : public IEqualizer {
public:
    static constexpr int kBands = 9;
    static constexpr int kMinLevel = -30;
    static constexpr int kMaxLevel = 30;
    static constexpr float kBandwidth = 12.0f; // semitones
    static constexpr std::array<float, kBands> kCentres = {80, 150, 300, 600, 1000, 2000, 4000, 8000, 14000};

    // The channel the equalizer acts on when it is switched on or off: the music channel, else the
    // stream, 0 when none is open.
    using ChannelSource = std::function<std::uint32_t()>;

    explicit CEqualizer(CPlayerSettings &settings, ChannelSource channel = {});

    void SetChannelSource(ChannelSource channel) { m_channel = std::move(channel); }

    // IEqualizer
    void AttachEffects(std::uint32_t channel) override;
    void RemoveEffects(std::uint32_t channel) override;
    void ClearHandles() override;
    void SetAvailable(bool available) override { m_bAvailable = available; }

    bool IsAvailable() const { return m_bAvailable; }
    bool IsEnabled() const;

    // Copies eq0..eq8 into the levels (clamped); StoreLevels writes them back.
    void LoadLevels();
    void StoreLevels() const;

    // Sets one band's level (clamped) and updates its effect when it has one. False when unchanged.
    bool SetLevel(int band, int level);
    // Applies every band whose negated slider position differs from its level.
    void ApplySliderPositions(const std::array<int, kBands> &positions);
    void ResetLevels();
    // Stores `eqenable` and attaches (with the current levels) or removes the effects on the
    // current channel.
    void SetEnabled(bool enabled);
    void ApplyEnable();

    int Level(int band) const { return m_aLevels[static_cast<std::size_t>(band)]; }
    BASS_FXPARAMEQ Parameters(int band) const;
    HFX Handle(int band) const { return m_aHandles[static_cast<std::size_t>(band)]; }
    int AttachedCount() const;

    static int PositionFromLevel(int level) { return -level; }
    static int LevelFromPosition(int position) { return -position; }
    static float GainDb(int level) { return static_cast<float>(level) / 2.0f; }

private:
    CPlayerSettings &m_settings;
    ChannelSource m_channel;
    bool m_bAvailable = false;
    std::uint32_t m_nAttachedChannel = 0;
    std::array<int, kBands> m_aLevels{};
    std::array<HFX, kBands> m_aHandles{};
};

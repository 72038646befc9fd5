#include "engine/CEqualizer.h"

#include "playlist/CPlayerSettings.h"

#include <algorithm>

CEqualizer::CEqualizer(CPlayerSettings &settings, ChannelSource channel)
    : m_settings(settings), m_channel(std::move(channel))
{
}

bool CEqualizer::IsEnabled() const { return m_settings.eqenable != 0; }

BASS_FXPARAMEQ CEqualizer::Parameters(int band) const
{
    return BASS_FXPARAMEQ{kCentres[static_cast<std::size_t>(band)], kBandwidth, GainDb(Level(band))};
}

void CEqualizer::AttachEffects(std::uint32_t channel)
{
    if (!IsEnabled() || !m_bAvailable || channel == 0)
        return;
    if (m_nAttachedChannel != channel)
        ClearHandles();
    m_nAttachedChannel = channel;
    for (int band = 0; band < kBands; ++band) {
        HFX &handle = m_aHandles[static_cast<std::size_t>(band)];
        if (handle == 0)
            handle = BASS_ChannelSetFX(channel, BASS_FX_PARAMEQ);
        if (handle != 0) {
            const BASS_FXPARAMEQ params = Parameters(band);
            BASS_FXSetParameters(handle, &params);
        }
    }
}

void CEqualizer::RemoveEffects(std::uint32_t channel)
{
    for (HFX handle : m_aHandles)
        if (handle != 0)
            BASS_ChannelRemoveFX(channel, handle);
    ClearHandles();
}

void CEqualizer::ClearHandles()
{
    m_aHandles.fill(0);
    m_nAttachedChannel = 0;
}

int CEqualizer::AttachedCount() const
{
    return static_cast<int>(std::count_if(m_aHandles.begin(), m_aHandles.end(), [](HFX h) { return h != 0; }));
}

void CEqualizer::LoadLevels()
{
    for (int band = 0; band < kBands; ++band)
        m_aLevels[static_cast<std::size_t>(band)] =
            std::clamp<int>(m_settings.eq[static_cast<std::size_t>(band)], kMinLevel, kMaxLevel);
}

void CEqualizer::StoreLevels() const
{
    for (int band = 0; band < kBands; ++band)
        m_settings.eq[static_cast<std::size_t>(band)] = m_aLevels[static_cast<std::size_t>(band)];
}

bool CEqualizer::SetLevel(int band, int level)
{
    if (band < 0 || band >= kBands)
        return false;
    level = std::clamp(level, kMinLevel, kMaxLevel);
    int &current = m_aLevels[static_cast<std::size_t>(band)];
    if (current == level)
        return false;
    current = level;
    if (const HFX handle = Handle(band)) {
        const BASS_FXPARAMEQ params = Parameters(band);
        BASS_FXSetParameters(handle, &params);
    }
    return true;
}

void CEqualizer::ApplySliderPositions(const std::array<int, kBands> &positions)
{
    for (int band = 0; band < kBands; ++band)
        SetLevel(band, LevelFromPosition(positions[static_cast<std::size_t>(band)]));
}

void CEqualizer::ResetLevels() { ApplySliderPositions({}); }

void CEqualizer::SetEnabled(bool enabled)
{
    m_settings.eqenable = enabled ? 1 : 0;
    ApplyEnable();
}

void CEqualizer::ApplyEnable()
{
    const std::uint32_t channel = m_channel ? m_channel() : 0;
    if (channel == 0)
        return;
    if (IsEnabled())
        AttachEffects(channel);
    else
        RemoveEffects(channel);
}

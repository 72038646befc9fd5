#include "engine/CTransportCommands.h"

#include "engine/CPlayOrder.h"
#include "engine/IPlaybackControls.h"
#include "engine/ITransport.h"
#include "engine/PlayerCommands.h"
#include "playlist/CPlayerDoc.h"

CTransportCommands::CTransportCommands(CPlayOrder &order, ITransport &transport, IPlaybackControls &controls,
                                       const CPlayerDoc &doc)
    : m_order(order), m_transport(transport), m_controls(controls), m_doc(doc)
{
}

std::optional<CTransportCommands::State> CTransportCommands::UpdateState(int id) const
{
    using namespace PlayerCommand;
    if (!Find(id))
        return std::nullopt;
    const bool playing = m_transport.IsPlaying();
    State state;
    switch (id) {
    case kPause:
        state.enabled = playing;
        state.checked = playing && m_controls.IsPaused();
        break;
    case kStopAtTrackEnd:
        state.enabled = playing;
        state.checked = m_order.StopAfterEntry();
        break;
    case kRewind:
    case kFastForward:
        state.enabled = playing;
        break;
    case kMute:
        state.checked = m_transport.SavedVolume() != 0;
        break;
    case kRandomPlay:
        state.checked = m_doc.random != 0;
        break;
    case kRepeatTrack:
        state.checked = m_doc.repeattrack != 0;
        break;
    case kRepeatPlaylist:
        state.checked = m_doc.repeatlist != 0;
        break;
    default:
        break;
    }
    return state;
}

bool CTransportCommands::Execute(int id)
{
    using namespace PlayerCommand;
    const std::optional<State> state = UpdateState(id);
    if (!state)
        return false;
    if (!state->enabled)
        return true;
    switch (id) {
    case kPlay:
        m_transport.Play();
        break;
    case kPause:
        m_controls.TogglePause();
        break;
    case kStop:
        m_transport.StopPlayback();
        break;
    case kPreviousTrack:
        m_order.SelectPrevious();
        break;
    case kNextTrack:
        m_order.NextTrack();
        break;
    case kStopAtTrackEnd:
        m_order.ToggleStopAfterEntry();
        break;
    case kFadeOut:
        m_controls.ToggleFadeOut();
        break;
    case kMute:
        m_controls.ToggleMute();
        break;
    case kVolumeDown:
        m_order.VolumeStep(-1);
        break;
    case kVolumeUp:
        m_order.VolumeStep(+1);
        break;
    case kRewind:
        m_order.Rewind();
        break;
    case kFastForward:
        m_order.FastForward();
        break;
    case kRandomPlay:
        m_order.ToggleRandom();
        break;
    case kRepeatTrack:
        m_order.ToggleRepeatTrack();
        break;
    case kRepeatPlaylist:
        m_order.ToggleRepeatList();
        break;
    default: {
        const int level = SetVolumeLevel(id);
        if (level < 0)
            return false;
        if (m_transport.SavedVolume() != 0)
            m_controls.ToggleMute();
        m_transport.SetVolumeSliderPosition(level);
        break;
    }
    }
    return true;
}

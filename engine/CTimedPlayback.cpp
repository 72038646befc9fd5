#include "engine/CTimedPlayback.h"

#include "engine/IPlayOrder.h"
#include "engine/IPlaybackControls.h"
#include "engine/ITransport.h"
#include "playlist/CPlayerDoc.h"

#include <ctime>

CTimedPlayback::CTimedPlayback(CPlayerDoc &doc, ITransport &transport, IPlaybackControls &controls,
                               IPlayOrder &order, WallClock clock)
    : m_doc(doc), m_transport(transport), m_controls(controls), m_order(order),
      m_clock(clock ? std::move(clock) : WallClock(&CTimedPlayback::LocalTimeOfDay))
{
}

std::int32_t CTimedPlayback::Pack(const TimeOfDay &time)
{
    return ((time.hour * 256 + time.minute) * 256 + time.second) + 1;
}

TimeOfDay CTimedPlayback::Unpack(std::int32_t packed)
{
    const std::uint32_t value = static_cast<std::uint32_t>(packed);
    const int second = static_cast<int>(value & 0xFF);
    return TimeOfDay{static_cast<int>((value >> 16) & 0xFF) % 24, static_cast<int>((value >> 8) & 0xFF) % 60,
                     (second != 0 ? second - 1 : 0) % 60};
}

TimeOfDay CTimedPlayback::LocalTimeOfDay()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

void CTimedPlayback::TimedCheck()
{
    if (m_doc.timer == 0 && m_doc.timeroff == 0)
        return;
    const std::int32_t now = Pack(m_clock());

    if ((!m_transport.IsPlaying() || m_controls.IsPaused()) && m_doc.EntryCount() > 0 && m_doc.timer != 0 && now == m_doc.timer) {
        if (m_doc.random != 0 && m_doc.EntryCount() > 1)
            m_order.NextTrack();
        m_transport.Play();
    }
    if (m_transport.IsPlaying() && m_doc.timeroff != 0 && now == m_doc.timeroff)
        m_transport.StopPlayback();
}

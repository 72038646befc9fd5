#pragma once
// The daily timed start and stop. `timer` and `timeroff` hold a time of day packed as
// ((hour * 256 + minute) * 256 + second) + 1, or 0 when off (the + 1 keeps midnight distinct from
// off). The main timer calls TimedCheck about twice a second, so an equality with the current time
// of day is met within the matching second. The date is not kept: the times repeat every day.
//
// A timed start also resumes a paused playback (the engine's Play resumes when paused).
//
// Threads: user-interface thread only.

#include "engine/ITimedPlayback.h"

#include <cstdint>
#include <functional>

class CPlayerDoc;
class IPlayOrder;
class IPlaybackControls;
class ITransport;

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const TimeOfDay &) const = default;
};

class CTimedPlayback : public ITimedPlayback {
public:
    // The local time of day; the default reads the system's wall clock.
    using WallClock = std::function<TimeOfDay()>;

    CTimedPlayback(CPlayerDoc &doc, ITransport &transport, IPlaybackControls &controls, IPlayOrder &order,
                   WallClock clock = {});

    void TimedCheck() override;

    static std::int32_t Pack(const TimeOfDay &time);
    // The time of day of a non-zero packed value (fields out of range are wrapped into range).
    static TimeOfDay Unpack(std::int32_t packed);
    static TimeOfDay LocalTimeOfDay();

private:
    CPlayerDoc &m_doc;
    ITransport &m_transport;
    IPlaybackControls &m_controls;
    IPlayOrder &m_order;
    WallClock m_clock;
};

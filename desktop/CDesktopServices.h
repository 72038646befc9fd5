#pragma once
// The desktop's services of the running program, attached to the main window: the media-player service
// on the session bus (when asked for and its name is free) and the handler of forwarded command lines.
//
// Threads: user-interface thread only.

#include "core/CSteadyClock.h"
#include "core/IDesktopServices.h"
#include "desktop/CForwardedCommand.h"

#include <memory>

class CMprisService;
class IForwardTarget;
class IMprisPlayer;

class CDesktopServices : public IDesktopServices {
public:
    CDesktopServices(IForwardTarget &target, IMprisPlayer &player, bool mediaService);
    ~CDesktopServices() override;

    // The start of the one-second window of forwarded command lines (see CForwardedCommand).
    void MarkForwardTime(bool readFrequency) { m_forward.MarkForwardTime(readFrequency); }

    void OnTick() override;
    bool OnCopyData(std::uint64_t dwData, std::span<const std::uint8_t> data) override;

private:
    CSteadyClock m_clock;
    CForwardedCommand m_forward;
    std::unique_ptr<CMprisService> m_mpris;
};

#include "ui/CPlayerKeyMap.h"

#include "engine/PlayerCommands.h"

namespace {

PlayerKeyAction Command(int id)
{
    return {PlayerKeyAction::Kind::Command, id};
}

} // namespace

PlayerKeyAction CPlayerKeyMap::Map(std::uint64_t keyCode, std::int64_t alternative)
{
    using namespace PlayerCommand;
    const bool second = alternative != 0;
    switch (keyCode) {
    case 0x71: return Command(kMute);
    case 0x72: return Command(kVolumeDown);
    case 0x73: return Command(kVolumeUp);
    case 0x74: return Command(kPlay);
    case 0x75: return Command(kPause);
    case 0x76: return Command(kStop);
    case 0x77: return second ? PlayerKeyAction{PlayerKeyAction::Kind::NextTab, 0}
                             : PlayerKeyAction{PlayerKeyAction::Kind::OpenPlaylist, 0};
    case 0x78: return Command(kPreviousTrack);
    case 0x79: return Command(kNextTrack);
    case 0x7A: return Command(second ? kRewind : kStopAtTrackEnd);
    case 0x7B: return Command(second ? kFastForward : kFadeOut);
    default: return {};
    }
}

#include "plugins/remote/CRemoteKeyTable.h"

#include "plugins/include/mv_remote.h"

namespace {

struct Function {
    const char *name;
    RemotePlayerKey key;
};

constexpr Function kFunctions[MV_REMOTE_FUNCTION_COUNT] = {
    {"Stop at Track End", {0x7A, 0}},
    {"Volume Fade Out", {0x7B, 0}},
    {"Toggle Current Tab", {0x77, 1}},
};

std::optional<RemotePlayerKey> ButtonKey(std::uint16_t button)
{
    switch (button) {
    case MV_REMOTE_VOLUME_UP: return RemotePlayerKey{0x73, 0};
    case MV_REMOTE_VOLUME_DOWN: return RemotePlayerKey{0x72, 0};
    case MV_REMOTE_MUTE: return RemotePlayerKey{0x71, 0};
    case MV_REMOTE_PREVIOUS:
    case MV_REMOTE_PREVIOUS_2: return RemotePlayerKey{0x78, 0};
    case MV_REMOTE_NEXT:
    case MV_REMOTE_NEXT_2: return RemotePlayerKey{0x79, 0};
    case MV_REMOTE_FAST_FORWARD: return RemotePlayerKey{0x7B, 1};
    case MV_REMOTE_REWIND: return RemotePlayerKey{0x7A, 1};
    case MV_REMOTE_PLAY: return RemotePlayerKey{0x74, 0};
    case MV_REMOTE_PAUSE: return RemotePlayerKey{0x75, 0};
    case MV_REMOTE_STOP: return RemotePlayerKey{0x76, 0};
    default: return std::nullopt;
    }
}

bool Repeats(std::uint16_t button)
{
    return button == MV_REMOTE_VOLUME_UP || button == MV_REMOTE_VOLUME_DOWN || button == MV_REMOTE_FAST_FORWARD ||
           button == MV_REMOTE_REWIND;
}

} // namespace

std::optional<RemotePlayerKey> CRemoteKeyTable::Lookup(bool programmable, std::uint16_t key, std::uint16_t eventType)
{
    if (programmable) {
        if (eventType != MV_REMOTE_EVENT_PRESS || key >= MV_REMOTE_FUNCTION_COUNT)
            return std::nullopt;
        return kFunctions[key].key;
    }
    if (eventType == MV_REMOTE_EVENT_PRESS || (eventType == MV_REMOTE_EVENT_REPEAT && Repeats(key)))
        return ButtonKey(key);
    return std::nullopt;
}

const char *CRemoteKeyTable::FunctionName(std::uint16_t index)
{
    return index < MV_REMOTE_FUNCTION_COUNT ? kFunctions[index].name : nullptr;
}

// The five exports of mv_remote.so. Each call finds the player afresh through its socket, so the
// plug-in works whether the player was started before or after it, and keeps nothing between calls.

#include "platform/ipc/CIpcClient.h"
#include "platform/ipc/CRuntimeDir.h"
#include "plugins/include/mv_messages.h"
#include "plugins/include/mv_remote.h"
#include "plugins/remote/CRemoteAboutBox.h"
#include "plugins/remote/CRemoteKeyTable.h"

namespace {

// A button press must not stall the remote's host behind a player that does not read.
constexpr std::chrono::milliseconds kPlayerTimeout{500};

CIpcClient Player()
{
    return CIpcClient(CRuntimeDir::FromEnvironment().Path(), MV_WINDOW_CLASS_NAME);
}

} // namespace

#define MV_REMOTE_EXPORT extern "C" __attribute__((visibility("default")))

MV_REMOTE_EXPORT int WhatKeysDoYouWant(void)
{
    return MV_REMOTE_WANTED_KEYS;
}

MV_REMOTE_EXPORT const char *EnumerateProgrammableFunction(uint16_t index)
{
    return CRemoteKeyTable::FunctionName(index);
}

MV_REMOTE_EXPORT int Configure(uintptr_t parentWindow)
{
    return CRemoteAboutBox::Show(parentWindow);
}

MV_REMOTE_EXPORT int AreYouInFocus(void)
{
    CIpcRecord question;
    question.message = MV_WM_PLAYER_IS_ACTIVE;
    const std::optional<std::int64_t> answer = Player().Send(question, kPlayerTimeout);
    return answer && *answer == 1 ? 1 : 0;
}

MV_REMOTE_EXPORT int HandleKey(int programmable, uint16_t key, uint16_t eventType)
{
    const std::optional<RemotePlayerKey> playerKey = CRemoteKeyTable::Lookup(programmable != 0, key, eventType);
    if (!playerKey)
        return 0;
    CIpcRecord record;
    record.message = MV_WM_PLAYER_KEY;
    record.wParam = playerKey->keyCode;
    record.lParam = playerKey->alternative;
    // Handed over to a listening player = posted; no player, or one that quit meanwhile, = not handled.
    return Player().Post(record, kPlayerTimeout) ? 1 : 0;
}

#pragma once
// The transport commands of the main view: their command ids, their keys and their menu texts. The
// main window builds its actions from kPlayerCommands (an empty key means no accelerator, an empty
// menu text means the command is reachable by key only); every action routes its id to
// CTransportCommands.
//
// Key texts are in the portable form QKeySequence reads ("F5", "Left", "Ctrl+H").

#include <array>
#include <string_view>

namespace PlayerCommand {

inline constexpr int kPlay = 32773;
inline constexpr int kPause = 32790;
inline constexpr int kStop = 32774;
inline constexpr int kPreviousTrack = 32775;
inline constexpr int kNextTrack = 32776;
inline constexpr int kStopAtTrackEnd = 32820;
inline constexpr int kFadeOut = 32821;
inline constexpr int kMute = 32888;
inline constexpr int kVolumeDown = 32890;
inline constexpr int kVolumeUp = 32891;
inline constexpr int kRewind = 32892;
inline constexpr int kFastForward = 32893;
inline constexpr int kRandomPlay = 32809;
inline constexpr int kRepeatTrack = 32807;
inline constexpr int kRepeatPlaylist = 32906;
// Set Volume 100%, 90%, ..., 0%: kSetVolume100 + i puts the slider to 100 - 10 * i.
inline constexpr int kSetVolume100 = 32856;
inline constexpr int kSetVolume0 = 32866;

struct Entry {
    int id;
    std::string_view key;
    std::string_view menuText;
};

inline constexpr std::array<Entry, 26> kPlayerCommands{{
    {kPlay, "F5", "Play"},
    {kPause, "F6", "Pause"},
    {kStop, "F7", "Stop"},
    {kPreviousTrack, "F9", "Previous Track"},
    {kNextTrack, "F10", "Next Track"},
    {kStopAtTrackEnd, "F11", "Stop at Track End"},
    {kFadeOut, "F12", "Volume Fade Out"},
    {kMute, "F2", "Mute Volume"},
    {kVolumeDown, "F3", ""},
    {kVolumeUp, "F4", ""},
    {kRewind, "Left", ""},
    {kFastForward, "Right", ""},
    {kRandomPlay, "Ctrl+H", "Random Play"},
    {kRepeatTrack, "Ctrl+J", "Repeat Track"},
    {kRepeatPlaylist, "Ctrl+K", "Repeat Playlist"},
    {kSetVolume100 + 0, "", "100%"},
    {kSetVolume100 + 1, "", "90%"},
    {kSetVolume100 + 2, "", "80%"},
    {kSetVolume100 + 3, "", "70%"},
    {kSetVolume100 + 4, "", "60%"},
    {kSetVolume100 + 5, "", "50%"},
    {kSetVolume100 + 6, "", "40%"},
    {kSetVolume100 + 7, "", "30%"},
    {kSetVolume100 + 8, "", "20%"},
    {kSetVolume100 + 9, "", "10%"},
    {kSetVolume100 + 10, "", "0%"},
}};

// The table row of `id`, or nullptr when it is not a transport command.
constexpr const Entry *Find(int id)
{
    for (const Entry &entry : kPlayerCommands) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

// The slider position a Set Volume command asks for, or -1 for any other id.
constexpr int SetVolumeLevel(int id)
{
    return id >= kSetVolume100 && id <= kSetVolume0 ? 100 - 10 * (id - kSetVolume100) : -1;
}

} // namespace PlayerCommand

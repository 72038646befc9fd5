#pragma once
// Names and message numbers shared by the program, a second start of it and the plug-ins that talk to it.
// The numbers are the window-message numbers other players' remote tools already know.

#include <cstddef>
#include <cstdint>

namespace Ipc {

// The running program's socket; present and answering = "the main window exists".
inline constexpr const char *kWindowClassName = "MelvaneClass";
// The lock held by a starting instance until its main window exists.
inline constexpr const char *kInstanceAtomName = "MelvaneInstanceCount";

inline constexpr std::uint32_t WM_COPYDATA = 0x004A;
// A key pressed in a visual plug-in's window. wParam: the virtual-key code; lParam: 1 Shift, 2 Control.
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
// wParam: function-key code 0x71 (F2) .. 0x7B (F12); lParam: 0, or 1 for the key's alternative.
inline constexpr std::uint32_t WM_PLAYER_KEY = 0x86A2;
// Sent by a second start before its command line: restore the window when minimised, raise it when
// visible (a hidden window stays hidden; the empty command line that follows shows it).
inline constexpr std::uint32_t WM_PLAYER_RAISE = 0x86A3;

// dwData of the WM_COPYDATA record that carries a forwarded command line.
inline constexpr std::uint64_t kCommandLineCopyData = 0x028AF024;
// The forwarded command line travels in a zero-filled block of this size, NUL-terminated.
inline constexpr std::size_t kCommandLineBlockSize = 512;

} // namespace Ipc

/* The player's messages to and from other processes: a second start of the player, the keyboard hook,
 * the remote-control plug-in and the visual plug-ins reach the running player's "window" (the socket
 * named MV_WINDOW_CLASS_NAME in the player's private runtime folder) with these message numbers. The
 * numbers are the window-message numbers other players' remote tools already know. */
#ifndef MV_MESSAGES_H
#define MV_MESSAGES_H

/* The running player's socket; present and answering = "the main window exists". */
#define MV_WINDOW_CLASS_NAME "MelvaneClass"
/* The lock held by a starting instance until its main window exists. */
#define MV_INSTANCE_ATOM_NAME "MelvaneInstanceCount"

enum MvMessage {
    MV_WM_COPYDATA = 0x004A,
    /* A key pressed in a visual plug-in's window. wParam: the virtual-key code; lParam: MV_KEYDOWN_SHIFT
     * and MV_KEYDOWN_CONTROL bits. The player runs its shortcut for that key. */
    MV_WM_KEYDOWN = 0x0100,
    /* wParam: function-key code 0x71 (F2) .. 0x7B (F12); lParam: 0, or 1 for the key's alternative. */
    MV_WM_PLAYER_KEY = 0x86A2,
    /* Sent by a second start before its command line: restore the window when minimised, raise it when
     * visible (a hidden window stays hidden; the empty command line that follows shows it). */
    MV_WM_PLAYER_RAISE = 0x86A3,
    /* Sent (the answer is awaited) by the remote-control plug-in: 1 when the main window is shown, not
     * minimised and the active window, else 0. */
    MV_WM_PLAYER_IS_ACTIVE = 0x86A4
};

/* lParam bits of MV_WM_KEYDOWN. */
#define MV_KEYDOWN_SHIFT 1
#define MV_KEYDOWN_CONTROL 2

/* dwData of the MV_WM_COPYDATA record that carries a forwarded command line. */
#define MV_COPYDATA_COMMAND_LINE 0x028AF024u
/* The forwarded command line travels in a zero-filled block of this size, NUL-terminated. */
#define MV_COMMAND_LINE_BLOCK_SIZE 512

#endif

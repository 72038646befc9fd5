/* The keyboard-hook library mv_hook.so: while installed, F2 to F12 pressed in another program
 * reach the running player as WM_PLAYER_KEY (0x86A2) with wParam the key code 0x71 (F2) .. 0x7B (F12)
 * and lParam 0; the keys still reach the focused program. Presses while the player itself has the
 * focus are left to its own shortcuts. The player loads the library by name and resolves the two
 * exports with dlsym.
 *
 * Threads: call both from the same thread. The library keys are watched on a thread of its own. */
#ifndef MV_HOOK_H
#define MV_HOOK_H

#ifdef __cplusplus
extern "C" {
#endif
/* Starts watching the keys. Non-zero on success (also when already installed); 0 when there is no X11
 * display to watch (e.g. a Wayland session without XWayland) or it lacks the RECORD extension. */
typedef int (*MvInstallHookFn)(void);
/* Stops watching. Non-zero when a hook was installed. */
typedef int (*MvRemoveHookFn)(void);

int InstallHook(void);
int RemoveHook(void);

#ifdef __cplusplus
}
#endif

#endif

#pragma once
// The reader thread's priority setting `cdpriority` (1 "Idle" .. 6 "Highest", 4 "Normal") on Linux
// threads: "Idle" runs under SCHED_IDLE, the others under SCHED_OTHER with a nice value. Raising a
// thread above nice 0 needs the privilege to do so; without it the thread stays at nice 0.
// Any thread.

#include <sys/types.h>

class CThreadPriority {
public:
    static constexpr int kDefaultIndex = 4;
    // The setting made valid: 1..6, else 4.
    static int Checked(int index);
    // The nice value of an index (Idle 19, Lowest 10, Below Normal 5, Normal 0, Above Normal -5,
    // Highest -10).
    static int NiceValue(int index);
    // The names shown in the options, by index 1..6.
    static const char *Name(int index);
    // Applies an index to the thread with kernel id `tid`. False when the kernel refused.
    static bool Apply(pid_t tid, int index);
    // The kernel id of the calling thread.
    static pid_t CurrentThreadId();
};

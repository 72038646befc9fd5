#include "cd/CThreadPriority.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

int CThreadPriority::Checked(int index)
{
    return index >= 1 && index <= 6 ? index : kDefaultIndex;
}

int CThreadPriority::NiceValue(int index)
{
    static const int kNice[] = {19, 10, 5, 0, -5, -10};
    return kNice[Checked(index) - 1];
}

const char *CThreadPriority::Name(int index)
{
    static const char *const kNames[] = {"Idle", "Lowest", "Below Normal", "Normal", "Above Normal", "Highest"};
    return kNames[Checked(index) - 1];
}

bool CThreadPriority::Apply(pid_t tid, int index)
{
    if (tid <= 0)
        return false;
    index = Checked(index);
    sched_param param{};
    param.sched_priority = 0;
    bool ok = sched_setscheduler(tid, index == 1 ? SCHED_IDLE : SCHED_OTHER, &param) == 0;
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceValue(index)) != 0) {
        ok = false;
        if (NiceValue(index) < 0)
            setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 0);
    }
    return ok;
}

pid_t CThreadPriority::CurrentThreadId()
{
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

#include "platform/bass/WakeSignal.h"

#include <cerrno>
#include <ctime>

namespace melvane::bass {

WakeSignal::WakeSignal()
{
    sem_init(&m_semaphore, 0, 0);
}

WakeSignal::~WakeSignal()
{
    sem_destroy(&m_semaphore);
}

void WakeSignal::post()
{
    sem_post(&m_semaphore);
}

bool WakeSignal::wait(std::chrono::milliseconds timeout)
{
    timespec deadline {};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    const auto ms = timeout.count();
    deadline.tv_sec += static_cast<time_t>(ms / 1000);
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_nsec -= 1000000000L;
        ++deadline.tv_sec;
    }
    int result;
    while ((result = sem_clockwait(&m_semaphore, CLOCK_MONOTONIC, &deadline)) != 0 && errno == EINTR) {
    }
    if (result != 0)
        return false;
    while (sem_trywait(&m_semaphore) == 0) {
    }
    return true;
}

} // namespace melvane::bass

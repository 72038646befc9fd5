#include "platform/bass/MixSequence.h"

#include <chrono>
#include <thread>

namespace melvane::bass {

void MixSequence::waitForPass() const
{
    const std::uint64_t seen = m_count.load(std::memory_order_seq_cst);
    if ((seen & 1) == 0)
        return;
    while (m_count.load(std::memory_order_seq_cst) == seen)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

} // namespace melvane::bass

#pragma once
// Tells the caller's thread when the mixer has finished any pass that may still see a channel it is
// taking away, without the mixer ever waiting: the mixer counts passes (odd while inside one), the
// caller spins until an odd count has moved on.
//
// Threads: enter()/leave() on the mixer only (device callback, no-sound clock or manual render);
// waitForPass() on the caller's thread.

#include <atomic>
#include <cstdint>

namespace melvane::bass {

class MixSequence {
public:
    void enter() { m_count.fetch_add(1, std::memory_order_seq_cst); }
    void leave() { m_count.fetch_add(1, std::memory_order_seq_cst); }
    void waitForPass() const;

private:
    std::atomic<std::uint64_t> m_count{0};
};

} // namespace melvane::bass

#pragma once
// Handles of slot + generation: non-zero 32-bit values; a handle whose slot was freed (and perhaps
// reused) no longer matches its slot's generation and is rejected.
//
// Threads: not synchronised; the owner guards it.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace melvane::bass {

template <class T>
class HandleTable {
public:
    static constexpr unsigned kSlotBits = 12;

    explicit HandleTable(std::size_t capacity) : m_slots(capacity < (1u << kSlotBits) ? capacity : (1u << kSlotBits) - 1) {}

    std::size_t capacity() const { return m_slots.size(); }

    // 0 when the table is full.
    std::uint32_t add(T value)
    {
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            Slot &s = m_slots[i];
            if (s.used)
                continue;
            s.used = true;
            s.value = std::move(value);
            return (s.generation << kSlotBits) | static_cast<std::uint32_t>(i + 1);
        }
        return 0;
    }

    T *find(std::uint32_t handle)
    {
        const std::size_t i = slotOf(handle);
        if (i >= m_slots.size())
            return nullptr;
        Slot &s = m_slots[i];
        return s.used && s.generation == (handle >> kSlotBits) ? &s.value : nullptr;
    }

    // Slot index of a handle (valid or not); capacity() when it cannot be one.
    std::size_t slotOf(std::uint32_t handle) const
    {
        const std::uint32_t low = handle & ((1u << kSlotBits) - 1);
        return low == 0 || low > m_slots.size() ? m_slots.size() : low - 1;
    }

    bool remove(std::uint32_t handle, T *out = nullptr)
    {
        T *value = find(handle);
        if (!value)
            return false;
        Slot &s = m_slots[slotOf(handle)];
        if (out)
            *out = std::move(s.value);
        s.value = T{};
        s.used = false;
        s.generation = (s.generation + 1) & ((1u << (32 - kSlotBits)) - 1);
        if (s.generation == 0)
            s.generation = 1;
        return true;
    }

    template <class F>
    void forEach(F &&f)
    {
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            if (m_slots[i].used)
                f((m_slots[i].generation << kSlotBits) | static_cast<std::uint32_t>(i + 1), m_slots[i].value);
    }

private:
    struct Slot {
        std::uint32_t generation = 1;
        bool used = false;
        T value{};
    };
    std::vector<Slot> m_slots;
};

} // namespace melvane::bass

#pragma once
// The running program's handling of a command line forwarded by a second start (the copy-data
// handler of the main frame). Lines arriving within one second of the previous one are appended, so
// that several files opened together from a file manager (one process each) play the first and queue
// the rest.
//
// Threads: user-interface thread only.

#include <cstdint>
#include <span>
#include <string_view>

class IClock;
class IForwardTarget;

class CForwardedCommand {
public:
    CForwardedCommand(IForwardTarget &target, IClock &counter);

    // A WM_COPYDATA record: true when `dwData` is the command-line identifier (the record was handled),
    // false when it belongs to the default handling. The text ends at the first NUL or with the data.
    bool OnCopyData(std::uint64_t dwData, std::span<const std::uint8_t> data);
    void HandleLine(std::string_view text);

    // Stores the counter's frequency first when `readFrequency`; always stores the counter's value now
    // as the time of the last forwarded line.
    void MarkForwardTime(bool readFrequency);

private:
    IForwardTarget &m_target;
    IClock &m_counter;
    std::uint64_t m_frequency = 0;
    std::uint64_t m_lastForward = 0;
};

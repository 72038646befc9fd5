#pragma once
// Cuts a byte stream into lines. A line longer than the limit is garbage, not an event: it is dropped
// up to its newline instead of growing the buffer without end.
//
// Threads: any one at a time.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class CLineSplitter {
public:
    explicit CLineSplitter(std::size_t maxLine) : m_maxLine(maxLine) {}

    // Hands each complete line (without its newline) to `onLine`.
    void Feed(std::string_view bytes, const std::function<void(std::string_view)> &onLine);
    // Hands on what is left once the stream ended without a final newline, and starts afresh.
    void Finish(const std::function<void(std::string_view)> &onLine);
    void Reset();

private:
    std::size_t m_maxLine;
    std::string m_pending;
    bool m_bDiscarding = false;
};

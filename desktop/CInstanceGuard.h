#pragma once
// The start-up instance check. A running program is found by its socket (the main window); a program
// that is starting but has no window yet holds the start-up lock (the instance atom). A second start
// asks the running one to come to the front and hands it its command line, then ends; a start during
// another's start-up ends silently.
//
// Threads: the main thread, before and while the main frame is created.

#include "platform/ipc/CInstanceLock.h"
#include "plugins/include/mv_messages.h"

#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

class CInstanceGuard {
public:
    enum class Outcome {
        GoOn,      // no other instance: this one holds the lock and goes on
        Forwarded, // another instance runs: the command line was handed to it; end
        Starting,  // another instance is starting and has no window yet: end silently
        Unguarded, // the runtime folder cannot be used safely: go on without single-instance checks
    };
    using Block = std::array<char, MV_COMMAND_LINE_BLOCK_SIZE>;

    explicit CInstanceGuard(std::string runtimeDir,
                            std::chrono::milliseconds sendTimeout = std::chrono::milliseconds(5000));

    // True when this instance should go on; Result() tells why. A running instance gets each command
    // line in turn (several files of one start follow each other within the one-second window, so
    // the first replaces the list and the rest are appended).
    bool CheckSingleInstance(const std::vector<std::string> &commandLines);
    bool CheckSingleInstance(const std::string &commandLine) { return CheckSingleInstance(std::vector{commandLine}); }
    Outcome Result() const { return m_outcome; }
    // After Forwarded: whether the running instance answered (false when it did not within the timeout).
    bool Delivered() const { return m_delivered; }

    // Called once the main frame exists: later starts find the window instead.
    void ReleaseAtom() { m_lock.Release(); }
    bool HoldsAtom() const { return m_lock.Held(); }

    const std::string &RuntimeDir() const { return m_runtimeDir; }

    // The zero-filled forwarding block: the command line cut to at most 511 bytes on a character
    // boundary, NUL-terminated.
    static Block MakeForwardBlock(std::string_view commandLine);

private:
    bool Forward(const std::vector<std::string> &commandLines);

    std::string m_runtimeDir;
    std::chrono::milliseconds m_sendTimeout;
    CInstanceLock m_lock;
    Outcome m_outcome = Outcome::GoOn;
    bool m_delivered = false;
};

#pragma once
// The sending end: finds the running program's socket and delivers records to it. Every call opens its
// own connection, so calls from different threads do not disturb each other. Every wait is bounded, so
// a hung receiver never hangs the sender.
//
// Threads: any.

#include "platform/ipc/CIpcRecord.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class CIpcClient {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    CIpcClient(std::string runtimeDir, std::string name);

    // True when a server of this user answers under the name (the window exists).
    bool Exists() const;
    // Delivers the record and waits for the handler's result; nothing when there is no server, the
    // record is too large, the server dropped it or did not answer within `timeout`.
    std::optional<std::int64_t> Send(const CIpcRecord &record,
                                     std::chrono::milliseconds timeout = kDefaultTimeout) const;
    // Delivers the record without waiting for it to be handled; false when it could not be handed over.
    bool Post(const CIpcRecord &record, std::chrono::milliseconds timeout = kDefaultTimeout) const;

private:
    int Connect(std::chrono::milliseconds timeout) const;
    bool Deliver(const CIpcRecord &record, bool wantsReply, std::chrono::milliseconds timeout,
                 std::int64_t *result) const;

    std::string m_path;
};

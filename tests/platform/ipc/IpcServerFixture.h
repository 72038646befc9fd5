#pragma once
// A server in a fresh private runtime folder, run on a thread of its own, that records what reaches
// its handler.

#include "platform/ipc/CIpcServer.h"
#include "platform/ipc/CRuntimeDir.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

class IpcServerFixture {
public:
    explicit IpcServerFixture(const std::string &runtimeDir, CIpcServer::Handler handler = nullptr)
        : m_server(runtimeDir, "MelvaneClass", [this, handler](const CIpcRecord &record) {
              std::lock_guard lock(m_mutex);
              m_records.push_back(record);
              return handler ? handler(record) : 0;
          })
    {
        m_listening = m_server.Listen();
    }
    ~IpcServerFixture() { Stop(); }

    bool Listening() const { return m_listening; }
    CIpcServer &Server() { return m_server; }
    void Run()
    {
        m_thread = std::thread([this] {
            while (!m_stop)
                m_server.WaitAndProcess(20);
        });
    }
    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<CIpcRecord> Records()
    {
        std::lock_guard lock(m_mutex);
        return m_records;
    }
    // Waits (up to five seconds) until `count` records arrived.
    std::vector<CIpcRecord> WaitForRecords(std::size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (Records().size() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Records();
    }

private:
    std::mutex m_mutex;
    std::vector<CIpcRecord> m_records;
    CIpcServer m_server;
    bool m_listening = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

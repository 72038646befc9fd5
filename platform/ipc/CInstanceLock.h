#pragma once
// The start-up lock: a file lock in the runtime folder that a starting instance holds from its instance
// check until its main window exists, so that a start in between ends instead of racing it. The
// operating system drops the lock when its holder dies, so a crash never leaves it behind.
//
// Threads: any one thread at a time.

#include <string>

class CInstanceLock {
public:
    enum class Result { Acquired, HeldElsewhere, Failed };

    CInstanceLock(std::string runtimeDir, std::string name);
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock &) = delete;
    CInstanceLock &operator=(const CInstanceLock &) = delete;

    // Takes the lock without waiting. Acquired also when this object already holds it.
    Result TryAcquire();
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    std::string m_path;
    int m_fd = -1;
};

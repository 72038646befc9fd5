#include "tests/support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

XvfbServer::XvfbServer(const std::string &screen)
{
    int ready[2];
    if (access("/usr/bin/Xvfb", X_OK) != 0 || pipe(ready) != 0)
        return;
    m_pid = fork();
    if (m_pid == 0) {
        // A test killed by a fault or a timeout takes its server with it; and the server must not hold
        // the test's output open, or whoever reads that output (ctest) waits for it for ever.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(ready[0]);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        const std::string fd = std::to_string(ready[1]);
        execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", screen.c_str(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // The number comes in pieces and ends with a line break; closing early would kill the server.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string number;
    char c = 0;
    while (m_pid > 0 && c != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd wait{ready[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0 || read(ready[0], &c, 1) != 1)
            break;
        if (c != '\n')
            number += c;
    }
    close(ready[0]);
    if (c == '\n' && !number.empty())
        m_display = ":" + number;
}

XvfbServer::~XvfbServer()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

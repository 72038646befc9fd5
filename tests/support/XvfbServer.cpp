#include "support/XvfbServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

XvfbServer::XvfbServer(const std::string &screen)
{
    int ready[2];
    if (access("/usr/bin/Xvfb", X_OK) != 0 || pipe(ready) != 0)
        return;
    m_pid = fork();
    if (m_pid == 0) {
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", screen.c_str(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // The number comes in pieces and ends with a line break; closing early would kill the server.
    std::string number;
    char c;
    while (m_pid > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (!number.empty())
        m_display = ":" + number;
}

XvfbServer::~XvfbServer()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

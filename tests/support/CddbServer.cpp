#include "tests/support/CddbServer.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

CddbServer::CddbServer()
{
    int out[2];
    if (pipe(out) != 0)
        return;
    m_pid = fork();
    if (m_pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        const std::string script = std::string(MELVANE_SOURCE_DIR) + "/tests/support/cddb_server.py";
        execlp("python3", "python3", script.c_str(), m_dir.path().c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (m_pid > 0) {
        FILE *in = fdopen(out[0], "r");
        if (in && std::fscanf(in, "%d", &m_port) != 1)
            m_port = 0;
        if (in)
            std::fclose(in);
    } else {
        close(out[0]);
    }
}

CddbServer::~CddbServer()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

std::string CddbServer::Url() const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + "/~cddb/cddb.cgi";
}

void CddbServer::AddEntry(const std::string &category, const std::string &discId, const std::string &bytes)
{
    std::filesystem::create_directories(m_dir.path() / "entries" / category);
    WriteWholeFile((m_dir.path() / "entries" / category / discId).string(), bytes);
}

void CddbServer::SetSites(const std::string &lines)
{
    WriteWholeFile(m_dir.file("sites"), lines);
}

void CddbServer::SetFault(const std::string &fault)
{
    if (fault.empty())
        std::filesystem::remove(m_dir.file("fault"));
    else
        WriteWholeFile(m_dir.file("fault"), fault);
}

std::string CddbServer::Requests() const
{
    return ReadWholeFile(m_dir.file("requests.log"));
}

std::string CddbServer::Submission(int n) const
{
    return ReadWholeFile((m_dir.path() / "submissions" / std::to_string(n)).string());
}

#pragma once
// The local CDDB-over-HTTP server of the tests (tests/support/cddb_server.py, 127.0.0.1 only),
// started in a folder of its own and stopped with the object. Entries, the site list and the fault
// to act out are files in that folder (see the script).

#include "tests/support/TempDir.h"

#include <string>
#include <sys/types.h>

class CddbServer {
public:
    CddbServer();
    ~CddbServer();
    CddbServer(const CddbServer &) = delete;
    CddbServer &operator=(const CddbServer &) = delete;

    bool Running() const { return m_port > 0; }
    // http://127.0.0.1:PORT/~cddb/cddb.cgi
    std::string Url() const;
    void AddEntry(const std::string &category, const std::string &discId, const std::string &bytes);
    void SetSites(const std::string &lines);
    // timeout, 500, cut, truncated, oversize, html, inexact; empty for none.
    void SetFault(const std::string &fault);
    // Every request line so far ("GET /~cddb/cddb.cgi?cmd=..."), one a line.
    std::string Requests() const;
    // Submission `n` (0-based): its headers, an empty line and the body; empty when there is none.
    std::string Submission(int n) const;

private:
    TempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};

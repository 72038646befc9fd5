#pragma once
// A temporary folder for generated fixtures, removed with everything in it when the owner goes.

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::string file(const std::string &name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Runs a shell command; returns its exit status (0 on success).
int RunCommand(const std::string &command);
// Runs a shell command and gives what it printed on standard output ("" when it could not run).
std::string CommandOutput(const std::string &command);
// Reads a whole file into memory; empty when it cannot be read.
std::string ReadWholeFile(const std::string &path);
// Replaces the file's contents with `bytes`; false when it cannot be written.
bool WriteWholeFile(const std::string &path, const std::string &bytes);

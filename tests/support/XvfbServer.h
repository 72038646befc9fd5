#pragma once
// A private X server on a display number it picks itself (-displayfd), stopped with the object. Name()
// is empty when Xvfb is missing or did not start.

#include <string>
#include <sys/types.h>

class XvfbServer {
public:
    explicit XvfbServer(const std::string &screen = "320x240x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    const std::string &Name() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

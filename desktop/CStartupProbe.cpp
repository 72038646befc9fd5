#include "desktop/CStartupProbe.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

} // namespace

bool CStartupProbe::Requested()
{
    return std::getenv("MELVANE_STARTUP_PROBE") != nullptr;
}

void CStartupProbe::Arm(QWidget &window)
{
    QTimer::singleShot(0, &window, [&window] {
        // grab() renders the whole window, including the visible rows of the list, as a paint would.
        (void)window.grab();
        std::printf("shown %ld\n", ResidentKiB());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}

#pragma once
// A start-up measurement for the benchmarks: when MELVANE_STARTUP_PROBE is set in the environment,
// the program paints its window once, prints "shown <resident KiB>" on standard output and quits.
// The benchmark measures the time from launch to that line. It does nothing otherwise.

class QWidget;

class CStartupProbe {
public:
    static bool Requested();
    // Schedules the probe on the event loop; call once the main window has been shown.
    static void Arm(QWidget &window);
};

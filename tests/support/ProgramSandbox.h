#pragma once
// The real melvane program in a sandbox of its own, as a user on a fresh machine would meet it: a
// private home with its own XDG config, data and runtime folders, a private D-Bus session, an
// offscreen display (or a private X server when a test must close the window as a window manager
// would), and SDL's output chosen by the test ("dummy", or "disk" into a file to capture what is
// heard). Tests start the first instance, forward second starts, end it the way a user or the
// session would, and read what it left behind: the saved playlists and the settings hive.

#include "tests/support/PrivateBus.h"
#include "tests/support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

struct RegistryValue;

class ProgramSandbox {
public:
    enum class Display { Offscreen, X11 };
    enum class QuitBy { WindowClose, Sigterm, Sigint, Sighup, Mpris };

    explicit ProgramSandbox(Display display = Display::Offscreen);
    ~ProgramSandbox();
    ProgramSandbox(const ProgramSandbox &) = delete;
    ProgramSandbox &operator=(const ProgramSandbox &) = delete;

    // False when the bus (or the X server) could not be started.
    bool Ready() const;
    const TempDir &Dir() const { return m_dir; }
    std::string Home() const { return m_dir.file("home"); }
    std::string ConfigFolder() const { return m_dir.file("home/.config/melvane"); }
    std::string DataFolder() const { return m_dir.file("home/.local/share/melvane"); }
    std::string RuntimeFolder() const { return m_dir.file("run"); }
    std::string DefaultPlaylist() const { return DataFolder() + "/default.vpl"; }
    QProcessEnvironment &Environment() { return m_env; }
    PrivateBus &Bus() { return m_bus; }
    QProcess &Program() { return m_first; }
    // The private X server's display name (":N"); empty when offscreen.
    const QString &DisplayName() const { return m_displayName; }

    // Starts `program` instead of the built melvane (an installed copy, say).
    void UseProgram(const std::string &program);
    const QString &ProgramPath() const { return m_program; }

    // SDL's disk driver writes what is played, raw 32-bit float or 16-bit samples, into `file`.
    void CaptureAudioTo(const std::string &file);

    // Starts the first instance in `folder` (the sandbox's home when empty).
    bool Start(const QStringList &arguments, const std::string &folder = {});
    // A second start in `folder`; its exit code once it ended, -1 when it did not end in time.
    int StartSecond(const QStringList &arguments, const std::string &folder = {}, int timeoutMs = 10000);
    // Ends the first instance and waits for it; true when it ended by itself with exit code 0.
    bool Quit(QuitBy how, int timeoutMs = 15000);
    static const char *Name(QuitBy how);

    // playerctl on the private bus, aimed at the program; its trimmed output.
    QString Ctl(const QStringList &arguments);
    // Polls playerctl until `arguments` print `expected`.
    bool WaitFor(const QStringList &arguments, const QString &expected, int timeoutMs = 8000);
    // Waits until the program answers on the bus (its window and services exist).
    bool WaitUntilRunning(int timeoutMs = 10000);

    // The path part of each entry line of a playlist file (the header line left out), in order.
    static std::vector<std::string> PlaylistPaths(const std::string &file);
    // A value of Software\Melvane in the settings hive left on disk.
    std::optional<RegistryValue> Setting(const std::string &name) const;

private:
    bool StartX();
    bool CloseWindows();

    TempDir m_dir;
    PrivateBus m_bus;
    QProcessEnvironment m_env;
    QProcess m_first;
    QProcess m_x;
    QString m_program = QString::fromUtf8(MELVANE_PROGRAM);
    QString m_displayName;
    bool m_bReady = false;
};

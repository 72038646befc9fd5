#include "tests/support/ProgramSandbox.h"

#include "platform/registry/CRegistry.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <filesystem>
#include <sstream>

ProgramSandbox::ProgramSandbox(Display display)
{
    namespace fs = std::filesystem;
    for (const char *sub : {"home/.config", "home/.local/share", "run"})
        fs::create_directories(m_dir.path() / sub);
    fs::permissions(m_dir.path() / "run", fs::perms::owner_all);
    m_env = m_bus.Environment();
    m_env.insert("HOME", QString::fromStdString(Home()));
    m_env.insert("XDG_CONFIG_HOME", QString::fromStdString(Home() + "/.config"));
    m_env.insert("XDG_DATA_HOME", QString::fromStdString(Home() + "/.local/share"));
    m_env.insert("XDG_RUNTIME_DIR", QString::fromStdString(RuntimeFolder()));
    m_env.insert("SDL_AUDIODRIVER", "dummy");
    m_env.remove("SDL_DISKAUDIOFILE");
    m_bReady = m_bus.IsRunning();
    if (display == Display::X11) {
        m_bReady = m_bReady && StartX();
        m_env.insert("QT_QPA_PLATFORM", "xcb");
        m_env.insert("DISPLAY", m_displayName);
    } else {
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
    }
}

ProgramSandbox::~ProgramSandbox()
{
    if (m_first.state() != QProcess::NotRunning) {
        m_first.kill();
        m_first.waitForFinished(5000);
    }
    if (m_x.state() != QProcess::NotRunning) {
        m_x.terminate();
        m_x.waitForFinished(5000);
    }
}

bool ProgramSandbox::Ready() const
{
    return m_bReady;
}

bool ProgramSandbox::StartX()
{
    // -displayfd 1: the server picks a free display and prints its number once it accepts clients.
    m_x.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    if (!m_x.waitForStarted(5000))
        return false;
    while (!m_x.canReadLine() && m_x.waitForReadyRead(10000)) {
    }
    const QString number = QString::fromUtf8(m_x.readLine()).trimmed();
    if (number.isEmpty())
        return false;
    m_displayName = ":" + number;
    // libxkbcommon-x11 hands keymap names that are not NUL-terminated to strndup, which the sanitizer's
    // strict string checks read past; that is the system library's habit, not the program's fault.
    const QString asan = m_env.value("ASAN_OPTIONS");
    if (!asan.isEmpty())
        m_env.insert("ASAN_OPTIONS", asan + ":strict_string_checks=0");
    return true;
}

void ProgramSandbox::UseProgram(const std::string &program)
{
    m_program = QString::fromStdString(program);
}

void ProgramSandbox::CaptureAudioTo(const std::string &file)
{
    m_env.insert("SDL_AUDIODRIVER", "disk");
    m_env.insert("SDL_DISKAUDIOFILE", QString::fromStdString(file));
}

bool ProgramSandbox::Start(const QStringList &arguments, const std::string &folder)
{
    m_first.setProcessEnvironment(m_env);
    m_first.setWorkingDirectory(QString::fromStdString(folder.empty() ? Home() : folder));
    m_first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_first.start(m_program, arguments);
    return m_first.waitForStarted(5000);
}

int ProgramSandbox::StartSecond(const QStringList &arguments, const std::string &folder, int timeoutMs)
{
    QProcess second;
    second.setProcessEnvironment(m_env);
    second.setWorkingDirectory(QString::fromStdString(folder.empty() ? Home() : folder));
    second.start(m_program, arguments);
    if (!second.waitForStarted(5000))
        return -1;
    if (!second.waitForFinished(timeoutMs)) {
        second.kill();
        second.waitForFinished(2000);
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

const char *ProgramSandbox::Name(QuitBy how)
{
    switch (how) {
    case QuitBy::WindowClose:
        return "WindowClose";
    case QuitBy::Sigterm:
        return "Sigterm";
    case QuitBy::Sigint:
        return "Sigint";
    case QuitBy::Sighup:
        return "Sighup";
    case QuitBy::Mpris:
        return "Mpris";
    }
    return "?";
}

bool ProgramSandbox::Quit(QuitBy how, int timeoutMs)
{
    if (m_first.state() == QProcess::NotRunning)
        return false;
    const auto pid = static_cast<pid_t>(m_first.processId());
    switch (how) {
    case QuitBy::WindowClose:
        if (!CloseWindows())
            return false;
        break;
    case QuitBy::Sigterm:
        ::kill(pid, SIGTERM);
        break;
    case QuitBy::Sigint:
        ::kill(pid, SIGINT);
        break;
    case QuitBy::Sighup:
        ::kill(pid, SIGHUP);
        break;
    case QuitBy::Mpris:
        m_bus.Run("dbus-send", {"--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.melvane",
                                "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Quit"});
        break;
    }
    if (!m_first.waitForFinished(timeoutMs))
        return false;
    return m_first.exitStatus() == QProcess::NormalExit && m_first.exitCode() == 0;
}

// What a window manager does for the close button: WM_DELETE_WINDOW to each shown top-level window.
bool ProgramSandbox::CloseWindows()
{
    if (m_displayName.isEmpty())
        return false;
    ::Display *display = XOpenDisplay(m_displayName.toUtf8().constData());
    if (!display)
        return false;
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    int sent = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = children[i];
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, children[i], False, NoEventMask, &event);
            ++sent;
        }
        XFree(children);
    }
    XFlush(display);
    XCloseDisplay(display);
    return sent > 0;
}

QString ProgramSandbox::Ctl(const QStringList &arguments)
{
    return m_bus.Run("playerctl", QStringList{"-p", "melvane"} + arguments).out;
}

bool ProgramSandbox::WaitFor(const QStringList &arguments, const QString &expected, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (Ctl(arguments) == expected)
            return true;
        if (m_first.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(100);
    }
    return false;
}

bool ProgramSandbox::WaitUntilRunning(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (!Ctl({"status"}).isEmpty() && m_first.state() == QProcess::Running)
            return true;
        if (m_first.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(100);
    }
    return false;
}

std::vector<std::string> ProgramSandbox::PlaylistPaths(const std::string &file)
{
    std::istringstream in(ReadWholeFile(file));
    std::vector<std::string> paths;
    bool header = true;
    for (std::string line; std::getline(in, line);) {
        if (header) {
            header = false;
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            paths.push_back(line.substr(0, line.find('\x01')));
    }
    return paths;
}

std::optional<RegistryValue> ProgramSandbox::Setting(const std::string &name) const
{
    const CRegistry registry(ConfigFolder());
    const CRegistryHive hive = registry.Load(RegistryRoot::CurrentUser);
    const RegistryValue *value = hive.FindValue("Software\\Melvane", name);
    if (!value)
        return std::nullopt;
    return *value;
}

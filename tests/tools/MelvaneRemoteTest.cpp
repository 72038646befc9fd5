// melvane-remote as a user runs it: buttons from a fake lircd socket reach the player through the
// real plug-in, through lircd being absent, restarting and sending garbage and through the player
// quitting; and the real player, driven by it, plays, pauses, skips and changes its volume.
#include "platform/ipc/CRuntimeDir.h"
#include "platform/ipc/SocketAddress.h"
#include "tests/platform/ipc/IpcServerFixture.h"
#include "tests/support/ProgramSandbox.h"

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// lircd's side of its socket: listens where the test says and writes button lines to the one client.
class FakeLircd {
public:
    explicit FakeLircd(std::string path) : m_path(std::move(path))
    {
        sockaddr_un address;
        Ipc::MakeSocketAddress(m_path, address);
        m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_bListening = bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                       listen(m_listen, 4) == 0;
    }
    ~FakeLircd()
    {
        if (m_client >= 0)
            close(m_client);
        close(m_listen);
        unlink(m_path.c_str());
    }
    bool Listening() const { return m_bListening; }
    // Waits (up to ten seconds) for the host to connect.
    bool Accept()
    {
        pollfd wait{m_listen, POLLIN, 0};
        if (poll(&wait, 1, 10000) != 1)
            return false;
        m_client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        return m_client >= 0;
    }
    void Send(const std::string &bytes) { ASSERT_EQ(write(m_client, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    // A line as lircd writes it for button `button` of remote "test" after `repeat` repeats.
    void Button(const std::string &button, int repeat = 0)
    {
        char line[128];
        std::snprintf(line, sizeof line, "000000037ff07bdd %02x %s test\n", repeat, button.c_str());
        Send(line);
    }

private:
    std::string m_path;
    int m_listen = -1;
    int m_client = -1;
    bool m_bListening = false;
};

// melvane-remote running with the given environment; its messages go to a file the test reads.
class RemoteHost {
public:
    RemoteHost(const TempDir &dir, QProcessEnvironment env, const QStringList &arguments)
        : m_log(dir.file("remote-" + std::to_string(++s_count) + ".log"))
    {
        m_process.setProcessEnvironment(env);
        m_process.setStandardErrorFile(QString::fromStdString(m_log));
        m_process.start(QStringLiteral(MELVANE_REMOTE), arguments);
        m_process.waitForStarted();
    }
    ~RemoteHost()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    std::string Log() const { return ReadWholeFile(m_log); }
    bool WaitForLog(const std::string &text, int timeoutMs = 10000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 20) {
            if (Log().find(text) != std::string::npos)
                return true;
            QThread::msleep(20);
        }
        return false;
    }
    bool Running() { return m_process.state() == QProcess::Running; }
    // Processor time the host used so far, in clock ticks.
    long CpuTicks() const
    {
        const std::string stat = ReadWholeFile("/proc/" + std::to_string(m_process.processId()) + "/stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string field;
        long user = 0, system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14)
                user = std::stol(field);
            if (i == 15)
                system = std::stol(field);
        }
        return user + system;
    }
    // Ends it as a service manager would; its exit code, -1 when it did not end.
    int Terminate()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    static inline int s_count = 0;
    std::string m_log;
    QProcess m_process;
};

std::vector<std::pair<std::uint64_t, std::int64_t>> Keys(const std::vector<CIpcRecord> &records)
{
    std::vector<std::pair<std::uint64_t, std::int64_t>> keys;
    for (const CIpcRecord &record : records) {
        EXPECT_EQ(record.message, 0x86A2u);
        keys.emplace_back(record.wParam, record.lParam);
    }
    return keys;
}

TEST(MelvaneRemote, FollowsLircdThroughAbsenceRestartsGarbageAndAPlayerThatQuits)
{
    TempDir dir;
    const std::string runtime = dir.file("run");
    std::filesystem::create_directories(runtime);
    ASSERT_TRUE(CRuntimeDir::For(runtime.c_str(), geteuid()).Prepare());
    const std::string socketPath = dir.file("lircd");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.file("config")));
    env.insert("LIRC_SOCKET_PATH", QString::fromStdString(socketPath));
    auto player = std::make_unique<IpcServerFixture>(CRuntimeDir::For(runtime.c_str(), geteuid()).Path());
    ASSERT_TRUE(player->Listening());
    player->Run();

    // No lircd yet: one clear message, and the host waits without spinning.
    RemoteHost host(dir, env, {});
    ASSERT_TRUE(host.WaitForLog("cannot connect to lircd at " + socketPath + ": No such file or directory"))
        << host.Log();
    QThread::msleep(1500);
    EXPECT_TRUE(host.Running());
    const std::string waiting = host.Log();
    EXPECT_EQ(waiting.find("cannot connect"), waiting.rfind("cannot connect")) << "reported once: " << waiting;

    auto lircd = std::make_unique<FakeLircd>(socketPath);
    ASSERT_TRUE(lircd->Listening());
    ASSERT_TRUE(lircd->Accept()) << host.Log();
    // Garbage, an endless line, lircd's own broadcast, an unknown button (twice) and a held play are
    // not delivered; play, a held volume button and a rewind are.
    lircd->Send(std::string("\x01\xff\xfe garbage\n", 13) + std::string(5000, 'x') + "\nBEGIN\nSIGHUP\nEND\n");
    lircd->Button("KEY_NO_SUCH_BUTTON");
    lircd->Button("KEY_NO_SUCH_BUTTON");
    lircd->Button("KEY_PLAY");
    lircd->Button("KEY_PLAY", 1);
    lircd->Button("KEY_VOLUMEUP");
    lircd->Button("KEY_VOLUMEUP", 1);
    lircd->Send("0000000000000001 00 KEY_REWIND test\n");
    const std::vector<std::pair<std::uint64_t, std::int64_t>> first = {
        {0x74, 0}, {0x73, 0}, {0x73, 0}, {0x7A, 1}};
    EXPECT_EQ(Keys(player->WaitForRecords(first.size())), first);
    ASSERT_TRUE(host.WaitForLog("KEY_NO_SUCH_BUTTON"));
    const std::string log = host.Log();
    EXPECT_EQ(log.find("KEY_NO_SUCH_BUTTON"), log.rfind("KEY_NO_SUCH_BUTTON")) << log;

    // lircd restarts: the host comes back to it.
    lircd.reset();
    ASSERT_TRUE(host.WaitForLog("lircd closed the connection"));
    QThread::msleep(600);
    lircd = std::make_unique<FakeLircd>(socketPath);
    ASSERT_TRUE(lircd->Accept()) << host.Log();
    lircd->Button("KEY_STOP");
    EXPECT_EQ(Keys(player->WaitForRecords(first.size() + 1)).back(), std::make_pair(std::uint64_t{0x76}, std::int64_t{0}));

    // The player quits in the middle of a held button, and a new one starts.
    lircd->Button("KEY_VOLUMEDOWN");
    player->WaitForRecords(first.size() + 2);
    player.reset();
    lircd->Button("KEY_VOLUMEDOWN", 1);
    lircd->Button("KEY_VOLUMEDOWN", 2);
    QThread::msleep(200);
    player = std::make_unique<IpcServerFixture>(CRuntimeDir::For(runtime.c_str(), geteuid()).Path());
    ASSERT_TRUE(player->Listening());
    player->Run();
    lircd->Button("KEY_MUTE");
    EXPECT_EQ(Keys(player->WaitForRecords(1)), (std::vector<std::pair<std::uint64_t, std::int64_t>>{{0x71, 0}}));

    EXPECT_LT(host.CpuTicks(), 50) << "the host waits, it does not poll";
    EXPECT_EQ(host.Terminate(), 0);
}

TEST(MelvaneRemote, ReadsEventsFromStandardInputWithTheUsersOwnMap)
{
    TempDir dir;
    const std::string runtime = dir.file("run");
    std::filesystem::create_directories(dir.file("config/melvane"));
    std::filesystem::create_directories(runtime);
    std::ofstream(dir.file("config/melvane/lirc-buttons.map"))
        << "# mine\nBIG_RED_BUTTON  fade-out\nmine:OK next\nOK play\nbroken\nX nothing\n";
    ASSERT_TRUE(CRuntimeDir::For(runtime.c_str(), geteuid()).Prepare());
    IpcServerFixture player(CRuntimeDir::For(runtime.c_str(), geteuid()).Path());
    ASSERT_TRUE(player.Listening());
    player.Run();
    const std::string log = dir.file("stdin.log");
    const std::string command = "printf 'big_red_button\\nOK\\nOK 1\\n0000000000000001 00 OK mine\\nKEY_PLAY\\nfoo bar baz\\n' | "
                                "XDG_RUNTIME_DIR='" + runtime + "' XDG_CONFIG_HOME='" + dir.file("config") + "' " +
                                MELVANE_REMOTE + " --stdin 2> '" + log + "'";
    EXPECT_EQ(RunCommand(command), 0) << ReadWholeFile(log);
    EXPECT_EQ(Keys(player.WaitForRecords(3)), (std::vector<std::pair<std::uint64_t, std::int64_t>>{
                                                  {0x7B, 0}, {0x74, 0}, {0x79, 0}}));
    const std::string printed = ReadWholeFile(log);
    EXPECT_NE(printed.find("lirc-buttons.map:5: expected a LIRC button name and what it does"), std::string::npos) << printed;
    EXPECT_NE(printed.find("lirc-buttons.map:6: \"nothing\" is no button"), std::string::npos) << printed;
    EXPECT_NE(printed.find("button KEY_PLAY is not in the button map"), std::string::npos) << "the user's map replaces the default";
    EXPECT_NE(printed.find("not a button event: foo bar baz"), std::string::npos) << printed;
}

TEST(MelvaneRemote, DrivesTheRealPlayer)
{
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    std::vector<std::string> tones;
    for (const char *name : {"first", "second"}) {
        tones.push_back(box.Dir().file(std::string(name) + ".wav"));
        ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 " + tones.back() + " synth 30 sine 440 2>/dev/null"), 0);
    }
    ASSERT_TRUE(box.Start({"-add", QString::fromStdString(tones[0])}));
    ASSERT_TRUE(box.WaitUntilRunning());
    ASSERT_EQ(box.StartSecond({"-add", QString::fromStdString(tones[1])}), 0);
    ASSERT_TRUE(box.WaitFor({"status"}, "Stopped"));
    const double volume = box.Ctl({"volume"}).toDouble();

    const std::string socketPath = box.Dir().file("lircd");
    FakeLircd lircd(socketPath);
    ASSERT_TRUE(lircd.Listening());
    RemoteHost host(box.Dir(), box.Environment(), {"--socket", QString::fromStdString(socketPath)});
    ASSERT_TRUE(lircd.Accept()) << host.Log();

    lircd.Button("KEY_PLAY");
    lircd.Button("KEY_PLAY", 1); // a held play button starts playback once
    EXPECT_TRUE(box.WaitFor({"status"}, "Playing")) << host.Log();
    EXPECT_EQ(box.Ctl({"metadata", "xesam:url"}), QUrl::fromLocalFile(QString::fromStdString(tones[0])).toString());
    lircd.Button("KEY_PAUSE");
    EXPECT_TRUE(box.WaitFor({"status"}, "Paused"));
    lircd.Button("KEY_PLAYPAUSE");
    EXPECT_TRUE(box.WaitFor({"status"}, "Playing"));
    lircd.Button("KEY_NEXT");
    EXPECT_TRUE(box.WaitFor({"metadata", "xesam:url"}, QUrl::fromLocalFile(QString::fromStdString(tones[1])).toString()));
    // Held for three lines, volume down takes three steps of the hundred.
    lircd.Button("KEY_VOLUMEDOWN");
    lircd.Button("KEY_VOLUMEDOWN", 1);
    lircd.Button("KEY_VOLUMEDOWN", 2);
    EXPECT_TRUE(box.WaitFor({"volume"}, QString::number(volume - 0.03, 'f', 6))) << box.Ctl({"volume"}).toStdString();
    lircd.Button("KEY_STOP");
    EXPECT_TRUE(box.WaitFor({"status"}, "Stopped"));

    EXPECT_EQ(host.Terminate(), 0);
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
}

} // namespace

// Child processes and the D-Bus clients of the sandbox need an application object.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

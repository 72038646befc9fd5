// The screen-saver probe against fake screen-saver services on a private session bus.
#include "tests/support/PrivateBus.h"

#include "desktop/CDbusScreenSaver.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

// Answers GetActive with `active`; when `silent` it never answers, like a hung service.
class FakeScreenSaver : public QDBusVirtualObject {
public:
    std::atomic<bool> active{false};
    bool silent = false;

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() != QLatin1String("GetActive"))
            return false;
        if (!silent)
            connection.send(message.createReply(QVariant(active.load())));
        return true;
    }
};

// The fake lives on a thread of its own with its own connection, so that the probe's blocking call
// on the test thread is answered.
class FakeService {
public:
    FakeService(PrivateBus &bus, const QString &name, const QString &path, bool active, bool silent)
        : m_connection(bus.Connect(QStringLiteral("fake-") + name + path)), m_name(name), m_path(path)
    {
        m_fake = std::make_unique<FakeScreenSaver>();
        m_fake->active = active;
        m_fake->silent = silent;
        m_thread.start();
        m_fake->moveToThread(&m_thread);
        m_connection.registerVirtualObject(path, m_fake.get());
        m_connection.registerService(name);
    }
    ~FakeService()
    {
        m_connection.unregisterService(m_name);
        m_connection.unregisterObject(m_path);
        m_thread.quit();
        m_thread.wait();
    }
    FakeScreenSaver &Fake() { return *m_fake; }
    // Changes the state and says so, as a screen-saver service does.
    void SetActive(bool active, const QString &interface)
    {
        m_fake->active = active;
        QDBusMessage signal = QDBusMessage::createSignal(m_path, interface, QStringLiteral("ActiveChanged"));
        signal << active;
        m_connection.send(signal);
    }

private:
    QDBusConnection m_connection;
    QString m_name;
    QString m_path;
    QThread m_thread;
    std::unique_ptr<FakeScreenSaver> m_fake;
};

// Serves the test thread's events until the saver reports `expected`, for at most five seconds.
bool EventuallyActive(CDbusScreenSaver &saver, bool expected)
{
    QElapsedTimer clock;
    clock.start();
    while (saver.IsActive() != expected && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return saver.IsActive() == expected;
}

TEST(DbusScreenSaverTest, FindsTheAnsweringServiceAndFollowsIt)
{
    struct Case {
        const char *name; // nullptr: no screen-saver service at all
        const char *path;
        bool active;
        bool silent;
        bool detectable;
    };
    const Case cases[] = {
        {nullptr, nullptr, false, false, false},
        {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", true, false, true},
        {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", false, false, true},
        {"org.freedesktop.ScreenSaver", "/ScreenSaver", true, false, true},
        {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", true, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name ? std::string(c.name) + c.path + (c.silent ? " silent" : "") : "none");
        PrivateBus bus;
        ASSERT_TRUE(bus.IsRunning());
        std::unique_ptr<FakeService> service;
        if (c.name)
            service = std::make_unique<FakeService>(bus, QString::fromLatin1(c.name), QString::fromLatin1(c.path),
                                                    c.active, c.silent);
        QElapsedTimer clock;
        clock.start();
        CDbusScreenSaver saver(bus.Connect(QStringLiteral("probe")), 200);
        // A hung service costs one short timeout, not the bus's default of 25 s.
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(saver.IsDetectable(), c.detectable);
        EXPECT_EQ(saver.IsActive(), c.detectable && c.active);
        if (c.detectable) {
            EXPECT_EQ(saver.ServiceName().toStdString(), c.name);
            service->SetActive(!c.active, saver.ServiceName());
            EXPECT_TRUE(EventuallyActive(saver, !c.active)) << "follows the service's signal";
            service.reset(); // the service goes away: no longer active, and no stall
            EXPECT_TRUE(EventuallyActive(saver, false));
        }
    }
}

} // namespace

// The main timer thread with a real Qt event loop: ticks arrive, never pile up while the receiver is
// busy, and stopping ends them even with a receiver that never answers. The pace and the time a stop
// takes are measured in bench/engine/MainTimerBench.
#include "engine/CAutoResetEvent.h"
#include "engine/CMainTimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class TickReceiver : public QObject {
public:
    CMainTimer *timer = nullptr;
    std::function<void()> onTick;
    int ticks = 0;

    bool event(QEvent *e) override
    {
        if (e->type() != static_cast<QEvent::Type>(CMainTimer::kTickEventType))
            return QObject::event(e);
        ++ticks;
        if (onTick)
            onTick();
        timer->TickDone();
        return true;
    }
};

// Counts tick events waiting in the queue without delivering them.
class QueueCounter : public QObject {
public:
    int queued = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == static_cast<QEvent::Type>(CMainTimer::kTickEventType))
            ++queued;
        return false;
    }
};

void RunEventsFor(std::chrono::milliseconds span)
{
    const auto end = Clock::now() + span;
    while (Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

struct QtApp {
    int argc = 1;
    char name[8] = "tests";
    char *argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

TEST(MainTimer, TicksArriveAndEndWithTheStop)
{
    QtApp qt;
    TickReceiver receiver;
    CMainTimer timer(receiver);
    receiver.timer = &timer;
    ASSERT_TRUE(timer.StartMainTimer());
    EXPECT_FALSE(timer.StartMainTimer()) << "one thread only";
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (receiver.ticks < 3 && Clock::now() < end)
        RunEventsFor(std::chrono::milliseconds(20));
    EXPECT_GE(receiver.ticks, 3);
    timer.StopMainTimer();
    EXPECT_FALSE(timer.IsStarted());
    const int stopped = receiver.ticks;
    RunEventsFor(std::chrono::milliseconds(100));
    EXPECT_LE(receiver.ticks, stopped + 1) << "at most the one tick already posted";
}

TEST(MainTimer, BusyReceiverNeverHasMoreThanOneTickQueued)
{
    QtApp qt;
    TickReceiver receiver;
    CMainTimer timer(receiver);
    receiver.timer = &timer;
    QueueCounter counter;
    bool blocked = false;
    receiver.onTick = [&] {
        if (blocked)
            return;
        blocked = true;
        // The user-interface thread is busy for 300 ms inside a tick.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    ASSERT_TRUE(timer.StartMainTimer());
    RunEventsFor(std::chrono::milliseconds(100));
    ASSERT_TRUE(blocked);
    const int ticksAfterBusy = receiver.ticks;
    // Nothing was handled for 300 ms; what is waiting now is at most one tick.
    qt.app.installEventFilter(&counter);
    QCoreApplication::sendPostedEvents(nullptr, 0); // counts and delivers what is queued
    EXPECT_LE(counter.queued, 1);
    EXPECT_LE(receiver.ticks - ticksAfterBusy, 1);
    qt.app.removeEventFilter(&counter);

    // A receiver that never answers: the thread waits, and stopping still ends it.
    receiver.timer = nullptr;
    receiver.onTick = nullptr;
    TickReceiver silent;
    CMainTimer second(silent);
    silent.timer = &second;
    timer.StopMainTimer();
    ASSERT_TRUE(second.StartMainTimer());
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // no events processed: no TickDone
    second.StopMainTimer();
    EXPECT_FALSE(second.IsStarted());
    QCoreApplication::removePostedEvents(&silent);
}

TEST(MainTimer, AutoResetEventReleasesOneWaitAndKeepsAnEarlySet)
{
    CAutoResetEvent event;
    EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(10)));
    event.Set();
    event.Set(); // sets do not count up
    EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(10)));
    EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(10))) << "reset by the first wait";
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        event.Set();
    });
    const auto before = Clock::now();
    event.Wait();
    EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(20));
    setter.join();
}

} // namespace

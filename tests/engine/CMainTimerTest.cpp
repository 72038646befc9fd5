// The main timer thread with a real Qt event loop: ticks arrive about every 20 ms, never pile up
// while the receiver is busy, and stopping is prompt.
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

TEST(MainTimer, TicksArriveAtTheirPaceAndStopPromptly)
{
    QtApp qt;
    TickReceiver receiver;
    CMainTimer timer(receiver);
    receiver.timer = &timer;
    ASSERT_TRUE(timer.StartMainTimer());
    EXPECT_FALSE(timer.StartMainTimer()) << "one thread only";
    RunEventsFor(std::chrono::milliseconds(1000));
    // 20 ms sleep plus the handling: at most 50 a second, and not far below on an idle machine.
    EXPECT_LE(receiver.ticks, 51);
    EXPECT_GE(receiver.ticks, 20);
    const auto before = Clock::now();
    timer.StopMainTimer();
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(150));
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

    // A receiver that never answers: the thread waits, and stopping still returns promptly.
    receiver.timer = nullptr;
    receiver.onTick = nullptr;
    TickReceiver silent;
    CMainTimer second(silent);
    silent.timer = &second;
    timer.StopMainTimer();
    const auto before = Clock::now();
    second.StartMainTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // no events processed: no TickDone
    second.StopMainTimer();
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(250));
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

// The freedb worker against the local CDDB server: what the user is asked and how each answer ends
// the operation (read, declined, cancelled while the question waits, cancelled mid-exchange), the
// window's keep-open rule, and a submission under the chosen entry with the next revision.
#include "cd/CFreedbEntry.h"
#include "cd/CFreedbWorker.h"

#include "tests/cd/CdFakes.h"
#include "tests/support/CddbServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

const std::string kRock = "# xmcd\n#\n# Revision: 3\n#\nDISCID=0a0b0c04\nDTITLE=Rock Band / Loud\nDYEAR=1990\n"
                          "DGENRE=Rock\nTTITLE0=R1\nTTITLE1=R2\nTTITLE2=R3\n";
const std::string kMisc = "DTITLE=Misc Band / Quiet\nDYEAR=1991\nDGENRE=Misc\nTTITLE0=M1\nTTITLE1=M2\nTTITLE2=M3\n";

// Runs one operation to its end; `answer` answers each question (from another thread, as a window would).
struct Outcome {
    std::vector<CFreedbWorker::Question> questions;
    std::vector<std::string> statuses;
    bool succeeded = false, cancelled = false, declined = false, keepOpen = false;
    CDiscRecord record;
    std::chrono::steady_clock::duration took{};
};

Outcome Operate(CddbServer &server, CFreedbWorker::Mode mode, std::uint32_t disc,
            std::function<void(CFreedbWorker &, const CFreedbWorker::Question &)> answer,
            std::function<void(CFreedbWorker &)> meanwhile = {})
{
    Outcome run;
    std::promise<void> done;
    CFreedbWorker *self = nullptr;
    std::vector<std::thread> answering;
    std::mutex lock;
    CFreedbWorker::Hooks hooks;
    hooks.status = [&](const std::string &s) {
        std::lock_guard<std::mutex> guard(lock);
        run.statuses.push_back(s);
    };
    hooks.ask = [&](const CFreedbWorker::Question &q) {
        run.questions.push_back(q);
        answering.emplace_back([&, q] { answer(*self, q); });
    };
    hooks.finished = [&] { done.set_value(); };
    CFreedbWorker worker(server.Url(), "someone@example.org", hooks);
    self = &worker;
    worker.SetTimeouts(3000, 3000);
    CDiscRecord record = ThreeTrackDisc();
    record.m_nDiscId = disc;
    const auto started = std::chrono::steady_clock::now();
    if (mode == CFreedbWorker::Mode::Query) {
        worker.StartQuery(record);
    } else {
        CFreedbEntry::Parse(kMisc, record);
        worker.StartSubmit(record, CFreedbEntry::BuildXmcdEntry(record).body);
    }
    if (meanwhile)
        meanwhile(worker);
    done.get_future().wait();
    worker.Wait();
    run.took = std::chrono::steady_clock::now() - started;
    for (std::thread &t : answering)
        t.join();
    run.succeeded = worker.Succeeded();
    run.cancelled = worker.Cancelled();
    run.declined = worker.Declined();
    run.keepOpen = worker.KeepOpen();
    run.record = worker.Record();
    EXPECT_FALSE(worker.Active());
    return run;
}

CFreedbWorker::Answer Choose(int index)
{
    CFreedbWorker::Answer a;
    a.confirmed = true;
    a.index = index;
    return a;
}

class CFreedbWorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.Running());
        m_server.AddEntry("rock", "0a0b0c04", kRock);
        m_server.AddEntry("misc", "0a0b0c04", kMisc);
        m_server.AddEntry("misc", "0a0b0c03", kMisc);
    }
    CddbServer m_server;
};

TEST_F(CFreedbWorkerTest, QueryAnswersEndTheOperation)
{
    using Q = CFreedbWorker::Question;
    const struct Case {
        const char *name;
        std::uint32_t disc;
        std::function<void(CFreedbWorker &, const Q &)> answer;
        bool succeeded, cancelled, declined, keepOpen;
        std::size_t questions;
        const char *title1; // track 1 of the record afterwards
        const char *status;
    } cases[] = {
        {"one exact match is read without a question", 0x0A0B0C03, nullptr, true, false, false, false, 0, "M1",
         "Retrieving disc information"},
        {"the second of two matches", 0x0A0B0C04, [](CFreedbWorker &w, const Q &) { w.Reply(Choose(1)); }, true, false,
         false, false, 1, "R1", "Retrieving disc information"},
        {"the chooser cancelled", 0x0A0B0C04, [](CFreedbWorker &w, const Q &) { w.Reply({}); }, false, false, true,
         false, 1, "", "Found exact matches"},
        {"a row out of range counts as no choice", 0x0A0B0C04,
         [](CFreedbWorker &w, const Q &) { w.Reply(Choose(7)); }, false, false, true, false, 1, "", "Found exact matches"},
        {"Cancel while the question waits", 0x0A0B0C04, [](CFreedbWorker &w, const Q &) { w.Cancel(); }, false, true,
         false, false, 1, "", "Found exact matches"},
        {"no match stays open to say so", 0x0A0B0C05, nullptr, false, false, false, true, 0, "", "No match found"},
    };
    for (const Case &c : cases) {
        const Outcome run = Operate(m_server, CFreedbWorker::Mode::Query, c.disc, c.answer);
        EXPECT_EQ(run.succeeded, c.succeeded) << c.name;
        EXPECT_EQ(run.cancelled, c.cancelled) << c.name;
        EXPECT_EQ(run.declined, c.declined) << c.name;
        EXPECT_EQ(run.keepOpen, c.keepOpen) << c.name;
        ASSERT_EQ(run.questions.size(), c.questions) << c.name;
        if (c.questions) {
            EXPECT_EQ(run.questions[0].kind, Q::Kind::Matches);
            EXPECT_EQ(run.questions[0].lines,
                      (std::vector<std::string>{"misc 0a0b0c04 Misc Band / Quiet", "rock 0a0b0c04 Rock Band / Loud"}));
        }
        if (c.succeeded) {
            EXPECT_EQ(run.record.m_strTitle[1], c.title1) << c.name;
        }
        EXPECT_EQ(run.statuses.back(), c.status) << c.name;
    }
}

TEST_F(CFreedbWorkerTest, CancelEndsEveryStageAtOnce)
{
    // The server never answers: Cancel ends the exchange in progress, whichever it is.
    const struct {
        const char *name;
        CFreedbWorker::Mode mode;
        bool faultAfterQuestion; // the query answers; the read (or revision check) hangs
    } cases[] = {
        {"query", CFreedbWorker::Mode::Query, false},
        {"read", CFreedbWorker::Mode::Query, true},
        {"existing entries", CFreedbWorker::Mode::Submit, false},
        {"revision check", CFreedbWorker::Mode::Submit, true},
    };
    for (const auto &c : cases) {
        m_server.SetFault(c.faultAfterQuestion ? "" : "timeout");
        const Outcome run = Operate(
            m_server, c.mode, 0x0A0B0C04,
            [&](CFreedbWorker &w, const CFreedbWorker::Question &) {
                m_server.SetFault("timeout");
                w.Reply(Choose(1));
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                w.Cancel();
            },
            [&](CFreedbWorker &w) {
                if (!c.faultAfterQuestion) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(300));
                    w.Cancel();
                }
            });
        EXPECT_TRUE(run.cancelled) << c.name;
        EXPECT_FALSE(run.succeeded) << c.name;
        EXPECT_FALSE(run.keepOpen) << c.name;
        EXPECT_EQ(run.statuses.back(), "Aborting connection...") << c.name;
        EXPECT_LT(run.took, std::chrono::milliseconds(2500)) << c.name;
    }
    m_server.SetFault("");
    EXPECT_EQ(m_server.Submission(0), "") << "nothing was sent";
}

TEST_F(CFreedbWorkerTest, SubmissionGoesUnderTheChosenEntry)
{
    CFreedbWorker::Answer fresh;
    fresh.confirmed = true;
    fresh.newEntry = true;
    fresh.category = "jazz";
    const Outcome update = Operate(m_server, CFreedbWorker::Mode::Submit, 0x0A0B0C04,
                               [](CFreedbWorker &w, const CFreedbWorker::Question &) { w.Reply(Choose(1)); });
    const Outcome create = Operate(m_server, CFreedbWorker::Mode::Submit, 0x0A0B0C04,
                               [&](CFreedbWorker &w, const CFreedbWorker::Question &) { w.Reply(fresh); });
    const Outcome declined = Operate(m_server, CFreedbWorker::Mode::Submit, 0x0A0B0C04,
                                 [](CFreedbWorker &w, const CFreedbWorker::Question &) { w.Reply({}); });
    ASSERT_EQ(update.questions.size(), 1u);
    EXPECT_EQ(update.questions[0].kind, CFreedbWorker::Question::Kind::Category);
    EXPECT_EQ(update.questions[0].lines.size(), 2u);
    EXPECT_TRUE(update.succeeded) << update.statuses.back();
    EXPECT_TRUE(create.succeeded) << create.statuses.back();
    EXPECT_TRUE(declined.declined);
    EXPECT_FALSE(declined.keepOpen);

    const std::string first = m_server.Submission(0), second = m_server.Submission(1);
    EXPECT_NE(first.find("Category: rock\n"), std::string::npos) << first;
    EXPECT_NE(first.find("\r\n# Revision: 4\r\n"), std::string::npos) << "the rock entry is at revision 3";
    EXPECT_NE(second.find("Category: jazz\n"), std::string::npos) << second;
    EXPECT_NE(second.find("\r\n# Revision: 0\r\n"), std::string::npos);
    EXPECT_NE(second.find("DTITLE=Misc Band / Quiet\r\n"), std::string::npos);
    EXPECT_EQ(m_server.Submission(2), "") << "a declined submission sends nothing";
}

} // namespace

#pragma once
// One freedb operation (the site list, a query with its read, or a submission) run on a thread of its
// own, as the progress window shows it. The worker is the only part that talks to the server; it
// reports each status text, asks its owner when the user must choose (among several matches; a
// category or an existing entry before a submission) and waits for the answer, and says at the end
// whether the window should stay open to show why the operation failed.
//
// Threads: Start* and the results are the owner's thread; Reply and Cancel any thread. The hooks run
// on the worker thread; `finished` is the last thing it does. The destructor cancels and waits.

#include "cd/CDiscRecord.h"
#include "cd/CFreedbClient.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CFreedbWorker {
public:
    enum class Mode { SiteList = 1, Query = 2, Submit = 3 };

    // What the user is asked: Matches (the lines of a 210 or 211 answer, "category discid title"), or
    // Category (the disc's existing entries, maybe none) before a submission.
    struct Question {
        enum class Kind { Matches, Category } kind = Kind::Matches;
        std::vector<std::string> lines;
    };
    // The user's answer: not confirmed when the chooser was cancelled. For Matches `index` is the
    // chosen line; for Category either `newEntry` with `category`, or `index` of the existing entry.
    struct Answer {
        bool confirmed = false;
        int index = -1;
        bool newEntry = false;
        std::string category;
    };
    struct Hooks {
        std::function<void(const std::string &)> status;
        std::function<void(const Question &)> ask; // the owner answers with Reply
        std::function<void()> finished;
    };

    CFreedbWorker(std::string server, std::string email, Hooks hooks);
    ~CFreedbWorker();
    CFreedbWorker(const CFreedbWorker &) = delete;
    CFreedbWorker &operator=(const CFreedbWorker &) = delete;

    void SetTimeouts(long connectMs, long totalMs) { m_client.SetTimeouts(connectMs, totalMs); }

    // Each starts the thread; one operation per worker.
    void StartSiteList();
    void StartQuery(const CDiscRecord &record);
    // `body` from CFreedbEntry::BuildXmcdEntry; the e-mail address must be valid.
    void StartSubmit(const CDiscRecord &record, std::string body);

    void Reply(const Answer &answer);
    // Ends the exchange in progress and any question waiting for its answer.
    void Cancel();
    void Wait();

    bool Active() const { return m_bActive; }
    // After `finished`:
    bool Succeeded() const { return m_bSucceeded; }
    bool Cancelled() const { return m_client.Cancelled(); }
    bool Declined() const { return m_bDeclined; } // a chooser was cancelled
    // A failure the user should read: not cancelled, no chooser cancelled.
    bool KeepOpen() const { return !m_bSucceeded && !Cancelled() && !m_bDeclined; }
    std::string Status() const { return m_client.Status(); }
    // The query's record (its texts read from the entry) and the site list's lines.
    const CDiscRecord &Record() const { return m_record; }
    const std::vector<std::string> &SiteLines() const { return m_siteLines; }
    Mode OperationMode() const { return m_mode; }

private:
    void Start(Mode mode);
    void Run();
    bool RunQuery();
    bool RunSubmit();
    // Asks and waits; an unconfirmed answer when cancelled meanwhile.
    Answer Ask(Question question);

    CFreedbClient m_client;
    Hooks m_hooks;
    Mode m_mode = Mode::Query;
    CDiscRecord m_record;
    std::string m_strBody;
    std::vector<std::string> m_siteLines;
    std::atomic<bool> m_bActive{false};
    std::atomic<bool> m_bSucceeded{false};
    std::atomic<bool> m_bDeclined{false};

    std::mutex m_answerLock;
    std::condition_variable m_answered;
    bool m_bHaveAnswer = false;
    Answer m_answer;

    std::thread m_thread;
};

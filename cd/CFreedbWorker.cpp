#include "cd/CFreedbWorker.h"

CFreedbWorker::CFreedbWorker(std::string server, std::string email, Hooks hooks)
    : m_client(std::move(server), std::move(email)), m_hooks(std::move(hooks))
{
    m_client.SetStatusListener([this](const std::string &text) {
        if (m_hooks.status)
            m_hooks.status(text);
    });
}

CFreedbWorker::~CFreedbWorker()
{
    Cancel();
    Wait();
}

void CFreedbWorker::StartSiteList()
{
    Start(Mode::SiteList);
}

void CFreedbWorker::StartQuery(const CDiscRecord &record)
{
    m_record = record;
    Start(Mode::Query);
}

void CFreedbWorker::StartSubmit(const CDiscRecord &record, std::string body)
{
    m_record = record;
    m_strBody = std::move(body);
    Start(Mode::Submit);
}

void CFreedbWorker::Start(Mode mode)
{
    if (m_thread.joinable())
        return;
    m_mode = mode;
    m_bActive = true;
    m_thread = std::thread([this] { Run(); });
}

void CFreedbWorker::Wait()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void CFreedbWorker::Cancel()
{
    m_client.Cancel();
    std::lock_guard<std::mutex> lock(m_answerLock);
    m_answered.notify_all();
}

void CFreedbWorker::Reply(const Answer &answer)
{
    std::lock_guard<std::mutex> lock(m_answerLock);
    m_answer = answer;
    m_bHaveAnswer = true;
    m_answered.notify_all();
}

CFreedbWorker::Answer CFreedbWorker::Ask(Question question)
{
    {
        std::lock_guard<std::mutex> lock(m_answerLock);
        m_bHaveAnswer = false;
    }
    if (!m_hooks.ask || m_client.Cancelled())
        return {};
    m_hooks.ask(question);
    std::unique_lock<std::mutex> lock(m_answerLock);
    m_answered.wait(lock, [this] { return m_bHaveAnswer || m_client.Cancelled(); });
    return m_bHaveAnswer && !m_client.Cancelled() ? m_answer : Answer{};
}

void CFreedbWorker::Run()
{
    bool ok = false;
    switch (m_mode) {
    case Mode::SiteList: ok = m_client.GetSiteList(m_siteLines); break;
    case Mode::Query: ok = RunQuery(); break;
    case Mode::Submit: ok = RunSubmit(); break;
    }
    m_bSucceeded = ok && !m_client.Cancelled();
    m_bActive = false;
    if (m_hooks.finished)
        m_hooks.finished();
}

bool CFreedbWorker::RunQuery()
{
    std::vector<std::string> matches;
    const CFreedbClient::QueryResult result = m_client.Query(m_record, matches);
    if (result == CFreedbClient::QueryResult::Exact)
        return m_client.Read(matches.front(), m_record);
    if (result != CFreedbClient::QueryResult::Several)
        return false;
    const Answer answer = Ask({Question::Kind::Matches, matches});
    if (!answer.confirmed || answer.index < 0 || answer.index >= static_cast<int>(matches.size())) {
        m_bDeclined = !m_client.Cancelled();
        return false;
    }
    return m_client.Read(matches[static_cast<std::size_t>(answer.index)], m_record);
}

bool CFreedbWorker::RunSubmit()
{
    std::vector<std::string> entries;
    if (!m_client.ExistingEntries(m_record, entries))
        return false;
    const Answer answer = Ask({Question::Kind::Category, entries});
    const bool existing = !answer.newEntry && answer.index >= 0 && answer.index < static_cast<int>(entries.size());
    if (!answer.confirmed || (!existing && answer.category.empty())) {
        m_bDeclined = !m_client.Cancelled();
        return false;
    }
    return m_client.Submit(m_record, m_strBody, existing ? std::string() : answer.category,
                           existing ? entries[static_cast<std::size_t>(answer.index)] : std::string());
}

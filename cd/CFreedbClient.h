#pragma once
// The freedb client: CDDB protocol level 5 over HTTP(S) on libcurl. Each call is one step of an
// operation (site list, query, read, existing entries, submission), blocks until the server has
// answered, and leaves the text the progress window shows in Status(). The proxy comes from the
// environment (http_proxy, https_proxy, no_proxy, as curl reads them); connections give up after
// kConnectTimeoutMs, whole exchanges after kTotalTimeoutMs, answers longer than kMaxResponseBytes.
//
// Threads: one worker thread runs the steps; Cancel may be called from any thread and ends the
// exchange in progress within a few milliseconds.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class CDiscRecord;

class CFreedbClient {
public:
    static constexpr long kConnectTimeoutMs = 10000;
    static constexpr long kTotalTimeoutMs = 30000;
    static constexpr std::size_t kMaxResponseBytes = 1 << 20;
    static constexpr std::size_t kMaxMatches = 64;
    static constexpr std::size_t kMaxExistingEntries = 16;
    static constexpr const char *kSubmitMode = "submit";
    static constexpr const char *kMakerAddress = "https://github.com/melvane/melvane";

    // The eleven freedb categories, in the order the submission dialog offers them.
    static const std::vector<std::string> &Categories();

    // `server` empty means the default server; `email` is the configured address (maybe invalid).
    CFreedbClient(std::string server, std::string email);

    // A valid address: user@host with a non-empty user and host of characters a mail address may hold.
    static bool IsValidEmail(const std::string &email);
    // "hello=user+host+Melvane+1.5&proto=5"; `email` must be valid.
    static std::string HelloString(const std::string &email);
    // The disc id as sent: 8 lower-case hexadecimal digits.
    static std::string DiscIdText(std::uint32_t id);
    // The request URLs of the operations (with the hello of the configured or the default address).
    std::string SitesUrl() const;
    std::string QueryUrl(const CDiscRecord &record) const;
    std::string ReadUrl(const std::string &category, const std::string &discId) const;
    std::string SubmitUrl(const std::string &category, const std::string &discId) const;

    // Shorter limits for a caller that cannot wait long (the tests).
    void SetTimeouts(long connectMs, long totalMs)
    {
        m_nConnectTimeoutMs = connectMs;
        m_nTotalTimeoutMs = totalMs;
    }

    // Called on the worker thread whenever the status text changes.
    void SetStatusListener(std::function<void(const std::string &)> listener) { m_listener = std::move(listener); }
    std::string Status() const;
    void Cancel() { m_bCancelled = true; }
    bool Cancelled() const { return m_bCancelled; }

    // The site list's lines (at most 64) of the configured server (the one the options page shows).
    bool GetSiteList(std::vector<std::string> &lines);

    enum class QueryResult { Failed, NoMatch, Exact, Several };
    // Asks for the disc. Exact: `matches` holds the one match line ("category discid title");
    // Several: the exact or inexact matches (at most 64) to choose from.
    QueryResult Query(const CDiscRecord &record, std::vector<std::string> &matches);
    // Reads the entry of a match line into the record's texts (cleared first, also when the read
    // fails or is cancelled).
    bool Read(const std::string &matchLine, CDiscRecord &record);

    // The entries the server already holds for the disc (at most 16). False when the query failed.
    bool ExistingEntries(const CDiscRecord &record, std::vector<std::string> &entries);
    // Sends `body` (from CFreedbEntry::BuildXmcdEntry) as a new entry in `category`, or, when
    // `existingEntry` is a match line, as the next revision of that entry.
    bool Submit(const CDiscRecord &record, std::string body, const std::string &category,
                const std::string &existingEntry);

    // The e-mail address that goes into the hello (the configured one when valid, else the default).
    const std::string &QueryEmail() const { return m_strQueryEmail; }

private:
    struct Reply {
        long http = 0;
        std::vector<std::string> lines;
        bool complete = false; // the multi-line answer reached its "." line
    };
    // One HTTP exchange. False (with the status set) on a network failure, or when `first` and the
    // HTTP status is not 200.
    bool Exchange(const std::string &url, bool first, Reply &reply, const std::string *postBody = nullptr,
                  const std::vector<std::string> &headers = {});
    void SetStatus(const std::string &text);
    static std::string Code(const Reply &reply);
    // The lines after the status line up to the terminating one, at most `limit` kept.
    static std::vector<std::string> Following(const Reply &reply, std::size_t limit);
    std::string BaseUrl() const;

    std::string m_strServer, m_strEmail, m_strQueryEmail;
    long m_nConnectTimeoutMs = kConnectTimeoutMs, m_nTotalTimeoutMs = kTotalTimeoutMs;
    std::atomic<bool> m_bCancelled{false};
    std::function<void(const std::string &)> m_listener;
    mutable std::mutex m_statusLock;
    std::string m_strStatus;
};

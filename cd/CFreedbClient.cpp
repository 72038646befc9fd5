#include "cd/CFreedbClient.h"

#include "cd/CDiscRecord.h"
#include "cd/CFreedbEntry.h"
#include "cd/CFreedbSites.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct Transfer {
    std::string body;
    std::string statusText;
    bool tooLarge = false;
    const std::atomic<bool> *cancelled = nullptr;
};

std::size_t OnBody(char *data, std::size_t size, std::size_t count, void *user)
{
    auto *t = static_cast<Transfer *>(user);
    const std::size_t n = size * count;
    if (t->body.size() + n > CFreedbClient::kMaxResponseBytes) {
        t->tooLarge = true;
        return 0;
    }
    t->body.append(data, n);
    return n;
}

// Keeps the reason phrase of the last status line ("HTTP/1.1 500 Internal Server Error").
std::size_t OnHeader(char *data, std::size_t size, std::size_t count, void *user)
{
    const std::string line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        std::size_t p = line.find(' ');
        p = p == std::string::npos ? p : line.find(' ', p + 1);
        std::string text = p == std::string::npos ? std::string() : line.substr(p + 1);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        static_cast<Transfer *>(user)->statusText = text;
    }
    return size * count;
}

int OnProgress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<Transfer *>(user)->cancelled->load() ? 1 : 0;
}

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

bool MailCharacter(char c, bool host)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-')
        return true;
    return !host && std::string_view("_+!#$%'*/=?^`{|}~").find(c) != std::string_view::npos;
}

std::string UrlEscape(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
            c == '_') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

} // namespace

const std::vector<std::string> &CFreedbClient::Categories()
{
    static const std::vector<std::string> categories{"blues",  "classical", "country", "data",       "folk", "jazz",
                                                     "newage", "reggae",    "rock",    "soundtrack", "misc"};
    return categories;
}

CFreedbClient::CFreedbClient(std::string server, std::string email)
    : m_strServer(std::move(server)), m_strEmail(std::move(email)),
      m_strQueryEmail(IsValidEmail(m_strEmail) ? m_strEmail : CFreedbSites::kDefaultEmail)
{
    static CurlGlobal global;
}

bool CFreedbClient::IsValidEmail(const std::string &email)
{
    const std::size_t at = email.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= email.size() || email.find('@', at + 1) != std::string::npos)
        return false;
    for (std::size_t i = 0; i < email.size(); ++i)
        if (i != at && !MailCharacter(email[i], i > at))
            return false;
    return email[at + 1] != '.' && email.back() != '.';
}

std::string CFreedbClient::HelloString(const std::string &email)
{
    const std::size_t at = email.find('@');
    return "hello=" + UrlEscape(email.substr(0, at)) + "+" + UrlEscape(email.substr(at + 1)) + "+" +
           CFreedbEntry::kClientName + "+" + CFreedbEntry::kClientVersion + "&proto=5";
}

std::string CFreedbClient::DiscIdText(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

std::string CFreedbClient::BaseUrl() const
{
    return m_strServer.empty() ? std::string(CFreedbSites::kDefaultServer) : m_strServer;
}

std::string CFreedbClient::SitesUrl() const
{
    return BaseUrl() + "?cmd=sites&" + HelloString(m_strQueryEmail);
}

std::string CFreedbClient::QueryUrl(const CDiscRecord &record) const
{
    const int n = std::min(record.m_nTocTracks, CDiscRecord::kSlots - 1);
    std::string url = BaseUrl() + "?cmd=cddb+query+" + DiscIdText(record.m_nDiscId) + "+" + std::to_string(n) + "+";
    for (int i = 0; i < n; ++i)
        url += std::to_string(record.m_nOffset[i]) + "+";
    return url + std::to_string(record.m_nOffset[n] / 75) + "&" + HelloString(m_strQueryEmail);
}

std::string CFreedbClient::ReadUrl(const std::string &category, const std::string &discId) const
{
    return BaseUrl() + "?cmd=cddb+read+" + UrlEscape(category) + "+" + UrlEscape(discId) + "&" +
           HelloString(m_strQueryEmail);
}

std::string CFreedbClient::SubmitUrl(const std::string &category, const std::string &discId) const
{
    std::string url = BaseUrl();
    const std::size_t slash = url.rfind('/');
    if (slash == std::string::npos || slash < url.find("://") + 3)
        url = CFreedbSites::kDefaultServer;
    url.erase(url.rfind('/'));
    return url + "/submit.cgi?cmd=cddb+write+" + UrlEscape(category) + "+" + discId + "&" + HelloString(m_strEmail);
}

void CFreedbClient::SetStatus(const std::string &text)
{
    {
        std::lock_guard<std::mutex> lock(m_statusLock);
        m_strStatus = text;
    }
    if (m_listener)
        m_listener(text);
}

std::string CFreedbClient::Status() const
{
    std::lock_guard<std::mutex> lock(m_statusLock);
    return m_strStatus;
}

bool CFreedbClient::Exchange(const std::string &url, bool first, Reply &reply, const std::string *postBody,
                             const std::vector<std::string> &headers)
{
    reply = {};
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), curl_url_cleanup);
    char *scheme = nullptr;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK ||
        (std::string_view(scheme) != "http" && std::string_view(scheme) != "https")) {
        curl_free(scheme);
        SetStatus("Invalid site address");
        return false;
    }
    curl_free(scheme);
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        SetStatus("Out of memory");
        return false;
    }
    Transfer transfer;
    transfer.cancelled = &m_bCancelled;
    char error[CURL_ERROR_SIZE] = {};
    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_CURLU, parsed.get());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, m_nConnectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, m_nTotalTimeoutMs);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxResponseBytes));
    curl_easy_setopt(c, CURLOPT_USERAGENT, (std::string(CFreedbEntry::kClientName) + "/" +
                                            CFreedbEntry::kClientVersion).c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_slist *list = nullptr;
    for (const std::string &h : headers)
        list = curl_slist_append(list, h.c_str());
    if (postBody) {
        list = curl_slist_append(list, "Content-Type: text/plain; charset=UTF-8");
        list = curl_slist_append(list, "Expect:");
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
    }
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, list);
    const CURLcode result = curl_easy_perform(c);
    curl_slist_free_all(list);
    if (m_bCancelled) {
        SetStatus("Aborting connection...");
        return false;
    }
    if (result != CURLE_OK) {
        if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
            SetStatus("The server's answer is larger than " + std::to_string(kMaxResponseBytes >> 20) + " MiB");
        else
            SetStatus(error[0] ? std::string(error).substr(0, 512) : curl_easy_strerror(result));
        return false;
    }
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &reply.http);
    if (first && reply.http != 200) {
        SetStatus(std::to_string(reply.http) + " - " + transfer.statusText);
        return false;
    }
    std::string_view body = transfer.body;
    while (!body.empty()) {
        const std::size_t end = body.find('\n');
        std::string line(body.substr(0, end));
        body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        reply.lines.push_back(std::move(line));
    }
    return true;
}

std::string CFreedbClient::Code(const Reply &reply)
{
    return reply.lines.empty() ? std::string() : reply.lines[0].substr(0, 3);
}

std::vector<std::string> CFreedbClient::Following(const Reply &reply, std::size_t limit)
{
    std::vector<std::string> lines;
    for (std::size_t i = 1; i < reply.lines.size(); ++i) {
        const std::string &line = reply.lines[i];
        if (line.empty() || line[0] == '.')
            break;
        if (lines.size() < limit)
            lines.push_back(line);
    }
    return lines;
}

namespace {
bool Terminated(const std::vector<std::string> &lines)
{
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (lines[i].empty() || lines[i][0] == '.')
            return lines[i] == ".";
    return false;
}
} // namespace

bool CFreedbClient::GetSiteList(std::vector<std::string> &lines)
{
    lines.clear();
    SetStatus("Connecting to server");
    Reply reply;
    if (!Exchange(SitesUrl(), true, reply))
        return false;
    SetStatus("Retrieving site list");
    if (Code(reply) == "210" && Terminated(reply.lines)) {
        lines = Following(reply, CFreedbSites::kMaxSites);
        return true;
    }
    SetStatus("Unable to retrieve freedb site list");
    return false;
}

CFreedbClient::QueryResult CFreedbClient::Query(const CDiscRecord &record, std::vector<std::string> &matches)
{
    matches.clear();
    SetStatus("Connecting to server");
    Reply reply;
    if (!Exchange(QueryUrl(record), true, reply))
        return QueryResult::Failed;
    SetStatus("Querying database");
    const std::string code = Code(reply);
    if (code == "200" && reply.lines[0].size() > 4) {
        matches.push_back(reply.lines[0].substr(4));
        return QueryResult::Exact;
    }
    if (code == "210" || code == "211") {
        SetStatus(code == "210" ? "Found exact matches" : "Found inexact matches");
        matches = Following(reply, kMaxMatches);
        if (!matches.empty())
            return QueryResult::Several;
    }
    if (code == "202") {
        SetStatus("No match found");
        return QueryResult::NoMatch;
    }
    SetStatus("Could not perform query");
    return QueryResult::Failed;
}

bool CFreedbClient::Read(const std::string &matchLine, CDiscRecord &record)
{
    record.Clear(false);
    SetStatus("Retrieving disc information");
    const std::size_t space = matchLine.find(' ');
    const std::string category = matchLine.substr(0, space);
    const std::string rest = space == std::string::npos ? std::string() : matchLine.substr(space + 1);
    const std::string discId = rest.substr(0, rest.find(' '));
    Reply reply;
    if (!Exchange(ReadUrl(category, discId), false, reply))
        return false;
    if (reply.http == 200 && Code(reply) == "210" && Terminated(reply.lines)) {
        std::string entry;
        for (const std::string &line : Following(reply, reply.lines.size()))
            entry.append(line).append("\n");
        if (!m_bCancelled) {
            CFreedbEntry::Parse(entry, record);
            return true;
        }
    }
    SetStatus("Unable to retrieve disc information");
    return false;
}

bool CFreedbClient::ExistingEntries(const CDiscRecord &record, std::vector<std::string> &entries)
{
    entries.clear();
    SetStatus("Connecting to server");
    Reply reply;
    if (!Exchange(QueryUrl(record), true, reply))
        return false;
    SetStatus("Querying database for existing entries");
    const std::string code = Code(reply);
    if (code == "200" && reply.lines[0].size() > 4)
        entries.push_back(reply.lines[0].substr(4));
    else if (code == "210")
        entries = Following(reply, kMaxExistingEntries);
    else if (code != "211" && code != "202") {
        SetStatus("Could not query database for existing entries");
        return false;
    }
    return true;
}

bool CFreedbClient::Submit(const CDiscRecord &record, std::string body, const std::string &category,
                           const std::string &existingEntry)
{
    const std::string discId = DiscIdText(record.m_nDiscId);
    std::string chosenCategory = category;
    if (!existingEntry.empty()) {
        chosenCategory = existingEntry.substr(0, existingEntry.find(' '));
        SetStatus("Checking revision of existing entry");
        const std::size_t space = existingEntry.find(' ');
        const std::string rest = space == std::string::npos ? std::string() : existingEntry.substr(space + 1);
        Reply reply;
        if (!Exchange(ReadUrl(chosenCategory, rest.substr(0, rest.find(' '))), false, reply) ||
            reply.http != 200 || Code(reply) != "210") {
            if (!m_bCancelled)
                SetStatus("Unable to submit disc information");
            return false;
        }
        for (const std::string &line : Following(reply, reply.lines.size())) {
            if (line.rfind("# Revision: ", 0) == 0) {
                const long revision = std::strtol(line.c_str() + 12, nullptr, 10);
                const std::string from = "\r\n# Revision: 0\r\n";
                const std::size_t at = body.find(from);
                if (at != std::string::npos && revision >= 0 && revision < 1000000)
                    body.replace(at, from.size(), "\r\n# Revision: " + std::to_string(revision + 1) + "\r\n");
                break;
            }
        }
    }
    if (m_bCancelled)
        return false;
    SetStatus("Submitting disc information");
    const std::vector<std::string> headers{
        "Category: " + chosenCategory,
        "Discid: " + discId,
        "User-Email: " + m_strEmail,
        std::string("Submit-Mode: ") + kSubmitMode,
        std::string("X-Cddbd-Note: Submitted via ") + CFreedbEntry::kClientName + " " + CFreedbEntry::kClientVersion +
            " - " + kMakerAddress,
    };
    Reply reply;
    if (!Exchange(SubmitUrl(chosenCategory, discId), false, reply, &body, headers))
        return false;
    // The server says whether it took the entry ("200 OK, submission has been sent.").
    if (reply.http == 200 && Code(reply).size() == 3 && Code(reply)[0] == '2') {
        SetStatus("Disc information submitted");
        return true;
    }
    SetStatus("Unable to submit disc information" +
              (reply.lines.empty() ? std::string() : ": " + CFreedbEntry::DropControls(reply.lines[0]).substr(0, 200)));
    return false;
}

// The freedb entry parser, the submission body built from what it read, and the site-list parser:
// no crash, no read outside the input, every text valid UTF-8, every body line at most 80 characters.
#include "cd/CDiscRecord.h"
#include "cd/CFreedbEntry.h"
#include "cd/CFreedbSites.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    CDiscRecord record;
    record.m_nDiscId = 0x0A0B0C03;
    record.m_nTocTracks = record.m_nAudioTracks = 3;
    record.m_nOffset = {150, 20000, 40000, 60000};
    record.m_nLength[1] = record.m_nLength[2] = record.m_nLength[3] = 100;
    CFreedbEntry::Parse(text, record);
    for (const std::string &t : record.m_strTitle)
        if (CFreedbEntry::DecodeText(t) != t)
            std::abort();
    const CFreedbEntry::Built built = CFreedbEntry::BuildXmcdEntry(record);
    std::size_t line = 0;
    for (std::size_t i = 0; i < built.body.size(); ++i) {
        if (built.body[i] == '\n') {
            line = 0;
        } else if ((static_cast<unsigned char>(built.body[i]) & 0xC0) != 0x80 && ++line > 82) {
            std::abort();
        }
    }
    std::vector<std::string> lines;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? text.size() + 1 : end + 1;
    }
    for (const std::string &server : CFreedbSites::ServersFromSiteList(lines))
        if (server.rfind("http://", 0) != 0 || server.find(' ') != std::string::npos)
            std::abort();
    return 0;
}

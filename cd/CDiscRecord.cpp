#include "cd/CDiscRecord.h"

#include "cd/CdQueries.h"
#include "platform/io/CAtomicFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

void CDiscRecord::Clear(bool all)
{
    for (auto &s : m_strTitle)
        s.clear();
    for (auto &s : m_strExtt)
        s.clear();
    m_strArtist.clear();
    m_strDiscTitle.clear();
    m_strGenre.clear();
    m_strYear.clear();
    m_strExtd.clear();
    if (!all)
        return;
    m_nOrder.fill(0);
    m_bChecked.fill(0);
    m_nLength.fill(0);
    m_nOffset.fill(0);
    m_nDiscId = 0;
    m_nDiscLength = 0;
    m_nFirstTrack = 0;
    m_nAudioTracks = 0;
    m_nTocTracks = 0;
}

std::string CDiscRecord::Escape(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
    return out;
}

std::int32_t CDiscRecord::TrackFrames(int track) const
{
    const int entry = track - m_nFirstTrack;
    if (track < 1 || track >= kSlots || entry < 0 || entry + 1 >= kSlots || m_nLength[track] == 0)
        return 0;
    const std::int32_t start = entry == 0 ? 150 : m_nOffset[entry];
    return std::max(0, m_nOffset[entry + 1] - start);
}

std::string CDiscRecord::DurationText(std::int32_t frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d.%02d", frames / 4500, frames / 75 % 60, frames % 75);
    return text;
}

void CDiscRecord::Unescape(std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == '\\') {
                out.push_back('\\');
                ++i;
                continue;
            }
            if (next == 'n') {
                out += "\r\n";
                ++i;
                continue;
            }
            if (next == 't') {
                out.push_back('\t');
                ++i;
                continue;
            }
            out.push_back('\\');
            out.push_back(next);
            ++i;
            continue;
        }
        out.push_back(text[i]);
    }
    text.swap(out);
}

std::string CDiscRecord::SectionKey(std::uint32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", number);
    return text;
}

static bool EqualsNoCase(const std::string &a, const char *b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == 0;
}

// The leading decimal number of `text` from `from` on; -1 without a digit there. Saturates at 1000.
static int LeadingNumber(const std::string &text, std::size_t from = 0)
{
    if (from >= text.size() || !std::isdigit(static_cast<unsigned char>(text[from])))
        return -1;
    int n = 0;
    for (std::size_t i = from; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        n = n >= 1000 ? 1000 : n * 10 + (text[i] - '0');
    return n;
}

void CDiscRecord::ApplyValue(const std::string &key, const std::string &value)
{
    if (EqualsNoCase(key, "artist"))
        m_strArtist = value;
    if (EqualsNoCase(key, "title"))
        m_strDiscTitle = value;
    if (EqualsNoCase(key, "genre"))
        m_strGenre = value;
    if (EqualsNoCase(key, "year"))
        m_strYear = value;
    if (EqualsNoCase(key, "extd"))
        m_strExtd = value;
    if (key == "0")
        m_strTitle[1] = value;
    const int n = LeadingNumber(key);
    if (n >= 1 && n <= 99)
        m_strTitle[n + 1] = value;
    if (EqualsNoCase(key, "order"))
        ParseOrder(value);
    if (key.compare(0, 4, "extt") == 0) {
        const int e = LeadingNumber(key, 4);
        if (e >= 0 && e <= 99)
            m_strExtt[e + 1] = value;
    }
}

void CDiscRecord::ParseOrder(const std::string &value)
{
    // Every value starts from all audio tracks selected, as a refresh leaves them; applied on top of
    // an earlier value (a section with two order lines), the tracks that one left unselected would
    // be selected again without a place in the play order.
    for (int t = 1; t <= 99; ++t)
        m_bChecked[t] = m_nLength[t] != 0 ? 1 : 0;
    m_nOrder.fill(0);
    int next = 0;
    std::size_t from = 0;
    while (from <= value.size()) {
        std::size_t space = value.find(' ', from);
        if (space == std::string::npos)
            space = value.size();
        const std::string token = value.substr(from, space - from);
        from = space + 1;
        int track = 0;
        if (token == "0")
            track = 1;
        else {
            const int n = LeadingNumber(token);
            if (n > 0)
                track = n + 1;
        }
        if (track > 0 && track < 100 && m_bChecked[track] && m_nLength[track] && next < kSlots - 1) {
            m_nOrder[next++] = track;
            m_bChecked[track] = 0;
        }
    }
    for (int t = 1; t <= 99; ++t) {
        if (m_bChecked[t]) {
            if (next < kSlots - 1)
                m_nOrder[next++] = t;
            m_bChecked[t] = 0;
        } else if (m_nLength[t]) {
            m_bChecked[t] = 1;
        }
    }
}

std::string CDiscRecord::OrderString() const
{
    std::string out;
    for (int i = 0; i < 100; ++i) {
        const int track = m_nOrder[i];
        if (track <= 0 || track >= kSlots || !m_bChecked[track])
            continue;
        if (!out.empty())
            out.push_back(' ');
        out += std::to_string(track - 1);
    }
    return out;
}

// The lines of a text, each without its line end (LF or CR LF).
static std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        from = end + 1;
    }
    return lines;
}

// The key between the brackets of a section line, or false when the line is not one.
static bool SectionLineKey(const std::string &line, char open, char close, std::string &key)
{
    if (line.empty() || line[0] != open)
        return false;
    const std::size_t pos = line.find(close, 1);
    if (pos == std::string::npos || pos < 2)
        return false;
    key = line.substr(1, pos - 1);
    return true;
}

bool CDiscRecord::ReadSection(const std::string &fileText, char open, char close, const std::string &key)
{
    const std::vector<std::string> lines = SplitLines(fileText);
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        std::string found;
        if (SectionLineKey(lines[i], open, close, found) && found == key)
            break;
    }
    if (i == lines.size())
        return false;
    for (++i; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (!line.empty() && (line[0] == '[' || line[0] == '<'))
            break;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        ApplyValue(line.substr(0, eq), line.substr(eq + 1));
    }
    return true;
}

// Database files larger than this are not ours to read.
static constexpr std::streamsize kMaxDatabaseBytes = 64 << 20;

static bool ReadTextFile(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    std::vector<char> chunk(1 << 16);
    std::streamsize total = 0;
    while (in && total < kMaxDatabaseBytes) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        buffer.write(chunk.data(), in.gcount());
        total += in.gcount();
    }
    text = buffer.str();
    return true;
}

bool CDiscRecord::Lookup(int source, const ICdDeviceOpener *drives)
{
    if (m_nDiscId == 0)
        return source == kProgramCdIni && drives && ReadCdText(*drives, *this);
    std::string path, key;
    char open = '<', close = '>';
    if (source == kCdPlayerIni) {
        const std::uint32_t identity = drives ? GetMediaIdentity(*drives, m_cDrive) : 0;
        if (identity == 0)
            return false;
        path = m_strSystemFolder + "cdplayer.ini";
        open = '[';
        close = ']';
        key = SectionKey(identity);
    } else if (source == kUserCdIni || source == kProgramCdIni) {
        path = (source == kUserCdIni ? m_strUserFolder : m_strProgramFolder) + "cd.ini";
        key = SectionKey(m_nDiscId);
    } else {
        return false;
    }
    std::string text;
    const bool found = ReadTextFile(path, text) && ReadSection(text, open, close, key);
    if (!found && source == kProgramCdIni)
        return drives && ReadCdText(*drives, *this);
    return found;
}

// A value as one line: a line break in a text (hostile CD-Text, an unescaped freedb text) would
// otherwise end the value and could start a section of another disc.
static std::string OneLine(const std::string &value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
            continue;
        out.push_back(value[i] == '\n' ? ' ' : value[i]);
    }
    return out;
}

std::string CDiscRecord::SaveText(const std::string &oldText) const
{
    const std::string key = SectionKey(m_nDiscId);
    std::string out;
    out += "<" + key + ">\r\nartist=" + OneLine(m_strArtist) + "\r\ntitle=" + OneLine(m_strDiscTitle) +
           "\r\ngenre=" + OneLine(m_strGenre) + "\r\nyear=" + OneLine(m_strYear) + "\r\nextd=" + OneLine(m_strExtd) +
           "\r\n";
    for (int t = 1; t <= 99; ++t)
        if (!m_strExtt[t].empty())
            out += "extt" + std::to_string(t - 1) + "=" + OneLine(m_strExtt[t]) + "\r\n";
    for (int t = 1; t <= 99; ++t)
        if (m_nLength[t] != 0)
            out += std::to_string(t - 1) + "=" + OneLine(m_strTitle[t]) + "\r\n";
    out += "order=" + OrderString() + "\r\n\r\n";

    bool copying = false, started = false;
    for (const std::string &line : SplitLines(oldText)) {
        std::string found;
        if (SectionLineKey(line, '<', '>', found) || SectionLineKey(line, '[', ']', found)) {
            started = true;
            copying = !(line[0] == '<' && found == key);
        }
        if (started && copying)
            out += line + "\r\n";
    }
    return out;
}

bool CDiscRecord::Save() const
{
    if (m_nDiscId == 0 || m_strUserFolder.empty())
        return false;
    const std::string target = m_strUserFolder + "cd.ini";
    std::string oldText;
    ReadTextFile(target, oldText);
    std::error_code ec;
    std::filesystem::create_directories(m_strUserFolder, ec);
    return CAtomicFile::Replace(target, SaveText(oldText));
}

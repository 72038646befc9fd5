#include "desktop/CCommandLine.h"

#include <algorithm>
#include <climits>
#include <filesystem>

namespace {

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The decimal number at the front of `text` as the C library's atoi reads it (leading blanks, a sign),
// saturated instead of overflowing.
int LeadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}

std::string Absolute(const std::string &path, const std::string &folder)
{
    if (path.empty() || path.front() == '/')
        return path;
    return (std::filesystem::path(folder) / path).lexically_normal().string();
}

} // namespace

std::vector<std::string> CCommandLine::Lines(const std::vector<std::string> &arguments, const std::string &folder)
{
    if (arguments.empty())
        return {""};
    const std::string &first = arguments.front();
    if (StartsWith(first, "-cd")) {
        if (first == "-cd" && arguments.size() >= 2 && IsCdImagePath(arguments[1])) {
            std::vector<std::string> cd = arguments;
            cd[1] = Absolute(cd[1], folder);
            return {Join(cd)};
        }
        return {Join(arguments)};
    }
    std::vector<std::string> lines;
    std::size_t files = 0;
    std::string prefix;
    if (first == "-add" || first == "-vpl") {
        files = 1;
        prefix = first;
        if (arguments.size() == 1)
            return {first};
    }
    for (std::size_t i = files; i < arguments.size(); ++i) {
        const std::string path = Absolute(arguments[i], folder);
        if (!prefix.empty() && (prefix == "-add" || i == files))
            lines.push_back(Join({prefix, path}));
        else
            lines.push_back(Join({path}));
    }
    return lines;
}

std::string CCommandLine::Join(const std::vector<std::string> &arguments)
{
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (i > 0)
            line += ' ';
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos)
            line += '"' + argument + '"';
        else
            line += argument;
    }
    return line;
}

CStartRequest CCommandLine::Parse(std::string_view text, bool autoplay0, bool autoplay1)
{
    CStartRequest request;
    request.autoPlay = autoplay0;
    if (text.empty()) {
        request.kind = CStartRequest::Kind::Resume;
    } else if (StartsWith(text, "-cd")) {
        request.kind = CStartRequest::Kind::Cd;
        const CdTarget target = ParseCd(text);
        request.driveLetter = target.driveLetter;
        request.track = target.track;
        request.cdImage = target.image;
        request.cdDevice = target.device;
        if (target.track != 0 || autoplay1)
            request.autoPlay = true;
    } else if (StartsWith(text, "-vpl")) {
        request.kind = CStartRequest::Kind::Playlist;
        request.path = RemoveQuotes(Mid(text, 5));
        const std::size_t slash = request.path.rfind('/');
        request.playlistFolder = slash == std::string::npos ? "" : request.path.substr(0, slash + 1);
        request.playlistName = slash == std::string::npos ? request.path : request.path.substr(slash + 1);
        if (autoplay1)
            request.autoPlay = true;
    } else if (StartsWith(text, "-add")) {
        request.kind = CStartRequest::Kind::AddFile;
        request.path = RemoveQuotes(Mid(text, 5));
    } else {
        request.kind = CStartRequest::Kind::PlayFile;
        request.path = RemoveQuotes(text);
        request.autoPlay = true;
    }
    return request;
}

CStartRequest CCommandLine::Parse(const std::vector<std::string> &lines, bool autoplay0, bool autoplay1)
{
    CStartRequest request = Parse(lines.empty() ? std::string_view() : std::string_view(lines.front()), autoplay0,
                                  autoplay1);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        request.alsoAdd.push_back(RemoveQuotes(StartsWith(line, "-add") ? Mid(line, 5) : line));
    }
    return request;
}

bool CCommandLine::IsCdImagePath(std::string_view path)
{
    if (path.size() < 5)
        return false;
    const std::string tail = UpperAscii(path.substr(path.size() - 4));
    return tail == ".CUE" || tail == ".TOC";
}

namespace {

// "/dev/sr0" for "cdda://sr0/", "cdda://sr0" or "/dev/sr0"; empty for anything else.
std::string CdDeviceOf(std::string_view path)
{
    constexpr std::string_view scheme = "cdda://";
    if (path.substr(0, 5) == "/dev/" && path.size() > 5)
        return std::string(path);
    if (path.size() <= scheme.size() || UpperAscii(path.substr(0, scheme.size())) != "CDDA://")
        return {};
    std::string_view name = path.substr(scheme.size());
    name = name.substr(0, name.find('/'));
    if (name.empty() || name.find_first_of("%.") != std::string_view::npos)
        return {};
    return "/dev/" + std::string(name);
}

} // namespace

CCommandLine::CdTarget CCommandLine::ParseCd(std::string_view text)
{
    if (text.size() > 4 && text[3] == ' ') {
        std::string_view rest = text.substr(4);
        std::string path;
        std::size_t end = 0;
        if (!rest.empty() && rest.front() == '"') {
            end = rest.find('"', 1);
            path = std::string(rest.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
            end = end == std::string_view::npos ? rest.size() : end + 1;
        } else {
            end = std::min(rest.find(' '), rest.size());
            path = std::string(rest.substr(0, end));
        }
        if (const std::string device = CdDeviceOf(path); !device.empty()) {
            CdTarget target;
            target.device = device;
            return target;
        }
        if (IsCdImagePath(path)) {
            CdTarget target;
            target.image = path;
            target.track = std::max(0, LeadingNumber(rest.substr(end)));
            return target;
        }
    }
    const std::string upper = RemoveQuotes(UpperAscii(text));
    CdTarget target;
    if (upper.size() > 4)
        target.driveLetter = upper[4];
    const std::size_t trackAt = upper.find("TRACK");
    const bool cda = upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".CDA") == 0;
    if (cda && trackAt != std::string::npos)
        target.track = LeadingNumber(std::string_view(upper).substr(trackAt + 5));
    return target;
}

bool CCommandLine::StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string CCommandLine::Mid(std::string_view text, std::size_t first)
{
    return first < text.size() ? std::string(text.substr(first)) : std::string();
}

std::string CCommandLine::RemoveQuotes(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '"')
            result += c;
    }
    return result;
}

std::string_view CCommandLine::CutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t cut = maxBytes;
    // The first byte left out is a continuation byte: the character it belongs to goes as a whole.
    for (int back = 0; back < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    if (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        cut = maxBytes; // not UTF-8 at all: a plain byte cut is as good as any
    return text.substr(0, cut);
}

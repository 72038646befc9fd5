#include "tools/remote/CLircEvent.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace {

// Splits at blanks; false when a control character or a byte outside ASCII appears.
bool SplitFields(std::string_view line, std::vector<std::string_view> &fields)
{
    std::size_t start = std::string_view::npos;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        const unsigned char c = i < line.size() ? static_cast<unsigned char>(line[i]) : ' ';
        const bool blank = c == ' ' || c == '\t' || (c == '\r' && i + 1 == line.size());
        if (!blank && (c < 0x21 || c > 0x7E))
            return false;
        if (blank && start != std::string_view::npos) {
            fields.push_back(line.substr(start, i - start));
            start = std::string_view::npos;
        } else if (!blank && start == std::string_view::npos) {
            start = i;
        }
    }
    return true;
}

std::optional<unsigned> Number(std::string_view text, int base, std::size_t maxDigits)
{
    unsigned value = 0;
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<CLircEvent> CLircEvent::Parse(std::string_view line, bool allowShortForm)
{
    std::vector<std::string_view> fields;
    if (!SplitFields(line, fields) || fields.empty())
        return std::nullopt;
    if (fields.size() == 4) {
        // The code is up to 64 bits; only its form matters here.
        const std::string_view code = fields[0];
        bool hex = !code.empty() && code.size() <= 16;
        for (const char c : code)
            hex = hex && std::isxdigit(static_cast<unsigned char>(c));
        const std::optional<unsigned> repeat = Number(fields[1], 16, 8);
        if (!hex || !repeat)
            return std::nullopt;
        return CLircEvent{std::string(fields[2]), std::string(fields[3]), *repeat};
    }
    if (!allowShortForm || fields.size() > 2 || fields[0] == "BEGIN" || fields[0] == "END")
        return std::nullopt;
    unsigned repeat = 0;
    if (fields.size() == 2) {
        const std::optional<unsigned> count = Number(fields[1], 10, 9);
        if (!count)
            return std::nullopt;
        repeat = *count;
    }
    return CLircEvent{std::string(fields[0]), {}, repeat};
}

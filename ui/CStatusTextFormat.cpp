#include "ui/CStatusTextFormat.h"

namespace {

std::string TwoDigits(std::uint64_t value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

} // namespace

std::string CStatusTextFormat::DurationText(std::uint32_t seconds)
{
    return std::to_string(seconds / 3600) + "h " + TwoDigits(seconds / 60 % 60) + "m " + TwoDigits(seconds % 60) + "s ";
}

std::string CStatusTextFormat::Format(int count, std::uint64_t totalBytes, std::uint32_t totalSeconds)
{
    std::string text = " " + std::to_string(count) + (count == 1 ? " file (" : " files (");
    std::uint64_t value = totalBytes;
    const char *unit = "Mb) : ";
    if (value >= 1048576000ull) {
        value >>= 10;
        unit = "Gb) : ";
    }
    text += std::to_string(value >> 20) + "." + TwoDigits(((value % 1048576) * 100) >> 20) + unit;
    return text + DurationText(totalSeconds);
}

std::string CStatusTextFormat::FormatCd(int tracks, std::uint32_t totalSeconds)
{
    return " " + std::to_string(tracks) + (tracks == 1 ? " track : " : " tracks : ") + DurationText(totalSeconds);
}

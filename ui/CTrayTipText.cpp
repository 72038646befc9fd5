#include "ui/CTrayTipText.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// One character of the text as it appears in the tip: its UTF-8 bytes and the number of tip
// characters it takes.
struct Unit {
    std::string bytes;
    int width = 1;
};

std::vector<Unit> Split(const std::string &text)
{
    std::vector<Unit> units;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        // A truncated sequence at the end (or a stray continuation byte) is kept as one character.
        std::size_t end = i + 1;
        while (end < text.size() && end < i + length && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        Unit unit;
        unit.bytes = text.substr(i, end - i);
        units.push_back(std::move(unit));
        i = end;
    }
    return units;
}

int Width(const std::vector<Unit> &units)
{
    int width = 0;
    for (const Unit &unit : units)
        width += unit.width;
    return width;
}

std::string Join(const std::vector<Unit> &units)
{
    std::string text;
    for (const Unit &unit : units)
        text += unit.bytes;
    return text;
}

} // namespace

std::string CTrayTipText::FormatTime(int seconds)
{
    const long long value = seconds;
    const long long magnitude = std::llabs(value);
    char buffer[32];
    if (magnitude >= 3600)
        std::snprintf(buffer, sizeof buffer, "%s%lld:%02lld:%02lld", value < 0 ? "-" : "", magnitude / 3600,
                      magnitude / 60 % 60, magnitude % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%s%lld:%02lld", value < 0 ? "-" : "", magnitude / 60, magnitude % 60);
    return buffer;
}

std::string CTrayTipText::Build(const Input &input, int tipSize)
{
    if (!input.valid)
        return "Melvane v1.5";
    const bool large = tipSize >= kLargeTip;
    const int limit = large ? kLargeTip : kSmallTip;

    const char *open = "<";
    const char *close = ">";
    if (input.state == State::Playing) {
        open = "[";
        close = "]";
    } else if (input.state == State::Paused) {
        open = "(";
        close = ")";
    }
    const int elapsed = input.state == State::Stopped ? 0 : input.elapsedSeconds;
    const std::string time =
        open + FormatTime(elapsed) + "/" + FormatTime(input.lengthSeconds) + close + (large ? "\n" : " ");
    const int timeWidth = Width(Split(time));

    std::string title = input.title;
    if (title.empty() && input.cdTrack > 0)
        title = "Track " + std::to_string(input.cdTrack);
    std::vector<Unit> titleUnits = Split(title);

    if (!input.artist.empty()) {
        const std::vector<Unit> artistUnits = Split(input.artist);
        const std::string separator = large ? "\n" : " - ";
        const int width = timeWidth + Width(artistUnits) + static_cast<int>(separator.size()) + Width(titleUnits);
        if (width <= limit)
            return time + Join(artistUnits) + separator + Join(titleUnits);
    }
    const int room = limit - timeWidth;
    if (Width(titleUnits) <= room)
        return time + Join(titleUnits);

    // Keep what fits, then give up characters from the end until the ellipsis fits too.
    std::vector<Unit> kept;
    int width = 0;
    for (const Unit &unit : titleUnits) {
        if (width + unit.width > room)
            break;
        kept.push_back(unit);
        width += unit.width;
    }
    while (!kept.empty() && width + 3 > room) {
        width -= kept.back().width;
        kept.pop_back();
    }
    if (width + 3 > room) // no room even for the dots (cannot happen with the tip sizes above)
        return time.substr(0, static_cast<std::size_t>(limit));
    return time + Join(kept) + "...";
}

std::string CTrayTipText::WindowTitle(const std::string &composed)
{
    return composed.empty() ? std::string("Melvane") : composed;
}

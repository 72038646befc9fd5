#include "ui/CTrayPlaylistMenu.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Duration(int seconds)
{
    seconds = std::max(seconds, 0);
    char buffer[32];
    if (seconds >= 3600)
        std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(buffer, sizeof buffer, "%02d:%02d", seconds / 60, seconds % 60);
    return buffer;
}

std::string Escape(const std::string &text, bool doubleAmpersands)
{
    if (!doubleAmpersands)
        return text;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

std::string Layout(int number, int seconds, const std::string &artist, const std::string &title,
                   const char *untitled, bool doubleAmpersands)
{
    std::string text = std::to_string(number) + ".\t<" + Duration(seconds) + "> ";
    if (!artist.empty())
        text += Escape(artist, doubleAmpersands) + " - ";
    text += title.empty() ? std::string(untitled) : Escape(title, doubleAmpersands);
    return text;
}

} // namespace

int CTrayPlaylistMenu::FittingItems(int screenHeight, int frameBorder, int itemHeight)
{
    if (itemHeight <= 0)
        return kMaxItems;
    return std::clamp((screenHeight - 2 * frameBorder) / itemHeight, 1, kMaxItems);
}

CTrayPlaylistMenu::Window CTrayPlaylistMenu::Centred(int count, int current, int maxItems)
{
    Window window;
    window.count = std::clamp(std::min(maxItems, kMaxItems), 0, std::max(count, 0));
    if (window.count == 0)
        return window;
    const int centre = std::clamp(current, 0, count - 1);
    window.first = std::clamp(centre - window.count / 2, 0, count - window.count);
    return window;
}

std::string CTrayPlaylistMenu::ItemText(int number, int durationSeconds, const std::string &artist,
                                        const std::string &title, bool doubleAmpersands)
{
    return Layout(number, durationSeconds, artist, title, "<untitled track>", doubleAmpersands);
}

std::string CTrayPlaylistMenu::CdTrackText(int track, int lengthSeconds, const std::string &discArtist,
                                           const std::string &title, bool doubleAmpersands)
{
    return Layout(track, lengthSeconds, discArtist, title, "Untitled", doubleAmpersands);
}

std::optional<CTrayPlaylistMenu::Command> CTrayPlaylistMenu::Decode(int command)
{
    if (command < kFirstCommand || command > kLastCommand)
        return std::nullopt;
    Command decoded;
    decoded.drive = (command - kFirstCommand) / 100;
    decoded.number = (command - kFirstCommand) % 100 + 1;
    return decoded;
}

const std::vector<CTrayPlaylistMenu::Item> &
CTrayPlaylistMenu::Build(int count, int current, int maxItems, const std::function<CPlaylistEntry(int)> &entryAt,
                         bool checkCurrent, bool doubleAmpersands)
{
    m_items.clear();
    const Window window = Centred(count, current, maxItems);
    m_items.reserve(static_cast<std::size_t>(window.count));
    for (int k = 0; k < window.count; ++k) {
        const int index = window.first + k;
        const CPlaylistEntry entry = entryAt(index);
        Item item;
        item.command = kFirstCommand + k;
        item.index = index;
        item.text = ItemText(index + 1, entry.m_nDuration, entry.m_strArtist, entry.m_strTitle, doubleAmpersands);
        item.checked = checkCurrent && index == current;
        m_items.push_back(std::move(item));
    }
    return m_items;
}

int CTrayPlaylistMenu::IndexForCommand(int command) const
{
    const std::optional<Command> decoded = Decode(command);
    if (!decoded || decoded->drive != 0 || decoded->number > static_cast<int>(m_items.size()))
        return -1;
    return m_items[static_cast<std::size_t>(decoded->number - 1)].index;
}

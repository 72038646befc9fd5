// The tray's click counting, tip text and playlist submenu, driven without a window.
#include "ui/CTrayClickCounter.h"
#include "ui/CTrayPlaylistMenu.h"
#include "ui/CTrayTipText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FakeTimer : public ITrayTimer {
public:
    std::vector<int> starts; // interval of every start
    bool running = false;
    void Start(int milliseconds) override
    {
        starts.push_back(milliseconds);
        running = true;
    }
    void Stop() override { running = false; }
};

TEST(TrayClickCounterTest, ClickSequencesPickTheirAction)
{
    struct Case {
        const char *name;
        int doubleClickMs;
        std::array<int, 4> clicks;
        const char *events; // D button down, C double click, E timer expiry
        std::vector<int> results;
        std::vector<int> starts;
    };
    const int wait = CTrayClickCounter::kStillWaiting;
    const Case cases[] = {
        {"single", 500, {1, 5, 3, 4}, "DE", {1}, {500}},
        {"double", 500, {1, 5, 3, 4}, "DCE", {5}, {500}},
        {"triple without triple or quadruple action acts at once", 500, {1, 5, 0, 0}, "DCDE", {0}, {500}},
        {"triple waits once more, then click3", 500, {1, 5, 3, 4}, "DCDEE", {wait, 3}, {500, 250}},
        {"fourth click in the extended wait gives click4", 500, {1, 5, 0, 4}, "DCDEDE", {wait, 4}, {500, 250}},
        {"five clicks count as four", 500, {1, 5, 3, 6}, "DCDCDEE", {wait, 6}, {500, 250}},
        {"short double-click time is raised to 250 ms", 100, {1, 5, 3, 4}, "DCDEE", {wait, 3}, {250, 125}},
        {"setting out of range does nothing", 500, {7, 5, 3, 4}, "DE", {0}, {500}},
        {"each sequence starts afresh", 500, {1, 5, 3, 4}, "DCDEEDE", {wait, 3, 1}, {500, 250, 500}},
        {"a click while the timer runs does not restart it", 500, {2, 2, 2, 2}, "DDE", {2}, {500}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeTimer timer;
        CTrayClickCounter counter(timer, c.doubleClickMs);
        std::vector<int> results;
        for (const char *e = c.events; *e; ++e) {
            if (*e == 'D')
                counter.OnButtonDown();
            else if (*e == 'C')
                counter.OnDoubleClick();
            else
                results.push_back(counter.OnTimerExpired(c.clicks));
        }
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(timer.starts, c.starts);
        EXPECT_FALSE(timer.running);
        EXPECT_EQ(counter.ClickCount(), 0);
    }
}

TEST(TrayTipTextTest, TextFitsTheTip)
{
    using State = CTrayTipText::State;
    const int small = CTrayTipText::kSmallTip;
    const int large = CTrayTipText::kLargeTip;
    const std::string e = "\xC3\xA9"; // one character, two bytes
    std::string manyE;
    for (int i = 0; i < 70; ++i)
        manyE += e;
    struct Case {
        const char *name;
        CTrayTipText::Input input;
        int size;
        std::string expected;
    };
    const Case cases[] = {
        {"no entry", {false, State::Playing, 5, 10, "A", "T", 0}, small, "Melvane v1.5"},
        {"no entry, large", {false, State::Playing, 5, 10, "A", "T", 0}, large, "Melvane v1.5"},
        {"stopped shows 0:00", {true, State::Stopped, 30, 225, "Artist", "Title", 0}, small,
         "<0:00/3:45> Artist - Title"},
        {"playing with hours", {true, State::Playing, 62, 3725, "A", "T", 0}, small, "[1:02/1:02:05] A - T"},
        {"paused", {true, State::Paused, 62, 225, "A", "T", 0}, small, "(1:02/3:45) A - T"},
        {"negative time", {true, State::Playing, -5, 225, "A", "T", 0}, small, "[-0:05/3:45] A - T"},
        {"large tip uses lines", {true, State::Playing, 62, 225, "A", "T", 0}, large, "[1:02/3:45]\nA\nT"},
        {"ampersands shown once", {true, State::Playing, 62, 225, "A&B", "C&D", 0}, small, "[1:02/3:45] A&B - C&D"},
        {"ampersands shown once, large", {true, State::Playing, 62, 225, "A&B", "C", 0}, large,
         "[1:02/3:45]\nA&B\nC"},
        {"CD track without title", {true, State::Playing, 1, 200, "Disc Artist", "", 7}, small,
         "[0:01/3:20] Disc Artist - Track 7"},
        {"no artist", {true, State::Playing, 1, 200, "", "Title", 0}, small, "[0:01/3:20] Title"},
        {"artist dropped", {true, State::Playing, 62, 225, std::string(40, 'a'), std::string(20, 't'), 0}, small,
         "[1:02/3:45] " + std::string(20, 't')},
        {"title cut", {true, State::Playing, 62, 225, "A", std::string(70, 'x'), 0}, small,
         "[1:02/3:45] " + std::string(49, 'x') + "..."},
        {"title fits exactly", {true, State::Playing, 62, 225, "A", std::string(52, 'x'), 0}, small,
         "[1:02/3:45] " + std::string(52, 'x')},
        {"cut counts characters, not bytes", {true, State::Playing, 62, 225, "", manyE, 0}, small,
         "[1:02/3:45] " + manyE.substr(0, 49 * 2) + "..."},
        {"an ampersand counts as one character",
         {true, State::Playing, 62, 225, "", std::string(48, 'x') + "&" + std::string(30, 'y'), 0}, small,
         "[1:02/3:45] " + std::string(48, 'x') + "&..."},
        {"large cut", {true, State::Playing, 62, 225, "A", std::string(200, 'x'), 0}, large,
         "[1:02/3:45]\n" + std::string(113, 'x') + "..."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CTrayTipText::Build(c.input, c.size), c.expected);
    }

    const std::pair<int, const char *> times[] = {{0, "0:00"},       {59, "0:59"},     {600, "10:00"},
                                                  {3600, "1:00:00"}, {3661, "1:01:01"}, {-3725, "-1:02:05"}};
    for (const auto &[seconds, text] : times)
        EXPECT_EQ(CTrayTipText::FormatTime(seconds), text) << seconds;
    EXPECT_EQ(CTrayTipText::WindowTitle(""), "Melvane");
    EXPECT_EQ(CTrayTipText::WindowTitle("list.vpl - Melvane"), "list.vpl - Melvane");
}

TEST(TrayPlaylistMenuTest, WindowIsCentredOnTheCurrentEntryAndClamped)
{
    struct Case {
        int count, current, maxItems;
        int first, shown;
    };
    const Case cases[] = {
        {5, 0, 100, 0, 5},       {5, 2, 100, 0, 5},       {5, 4, 100, 0, 5},        {100, 0, 100, 0, 100},
        {100, 50, 100, 0, 100},  {100, 99, 100, 0, 100},  {250, 0, 100, 0, 100},    {250, 125, 100, 75, 100},
        {250, 249, 100, 150, 100}, {250, -1, 100, 0, 100}, {250, 125, 53, 99, 53},  {250, 240, 53, 197, 53},
        {250, 125, 500, 75, 100}, {0, 0, 100, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " entries, current " + std::to_string(c.current));
        CTrayPlaylistMenu menu;
        const auto &items = menu.Build(
            c.count, c.current, c.maxItems,
            [](int i) {
                CPlaylistEntry entry;
                entry.m_strTitle = "T" + std::to_string(i);
                return entry;
            },
            true);
        ASSERT_EQ(static_cast<int>(items.size()), c.shown);
        for (int k = 0; k < c.shown; ++k) {
            const auto &item = items[static_cast<std::size_t>(k)];
            EXPECT_EQ(item.index, c.first + k);
            EXPECT_EQ(item.command, 36001 + k);
            EXPECT_EQ(menu.IndexForCommand(36001 + k), c.first + k);
            EXPECT_EQ(item.checked, c.first + k == c.current);
            EXPECT_EQ(item.text, std::to_string(c.first + k + 1) + ".\t<00:00> T" + std::to_string(c.first + k));
        }
        EXPECT_EQ(menu.IndexForCommand(36001 + c.shown), -1);
        EXPECT_EQ(menu.IndexForCommand(36101), -1); // a CD drive's item
    }
    EXPECT_EQ(CTrayPlaylistMenu::FittingItems(1080, 4, 20), 53);
    EXPECT_EQ(CTrayPlaylistMenu::FittingItems(4000, 4, 20), 100);
}

TEST(TrayPlaylistMenuTest, ItemTextsAndCommandIds)
{
    EXPECT_EQ(CTrayPlaylistMenu::ItemText(3, 225, "Artist", "Title", true), "3.\t<03:45> Artist - Title");
    EXPECT_EQ(CTrayPlaylistMenu::ItemText(12, 3725, "", "Long", true), "12.\t<1:02:05> Long");
    EXPECT_EQ(CTrayPlaylistMenu::ItemText(1, 5, "Simon & Garfunkel", "", true),
              "1.\t<00:05> Simon && Garfunkel - <untitled track>");
    EXPECT_EQ(CTrayPlaylistMenu::ItemText(1, 5, "S & G", "", false), "1.\t<00:05> S & G - <untitled track>");
    EXPECT_EQ(CTrayPlaylistMenu::CdTrackText(4, 200, "", "", true), "4.\t<03:20> Untitled");

    struct Case {
        int command;
        bool valid;
        int drive, number;
    };
    const Case cases[] = {{36000, false, 0, 0}, {36001, true, 0, 1}, {36100, true, 0, 100},
                          {36101, true, 1, 1},  {36500, true, 4, 100}, {36501, false, 0, 0},
                          {CTrayPlaylistMenu::CdTrackCommand(2, 5), true, 2, 5}};
    for (const Case &c : cases) {
        const auto decoded = CTrayPlaylistMenu::Decode(c.command);
        ASSERT_EQ(decoded.has_value(), c.valid) << c.command;
        if (decoded) {
            EXPECT_EQ(decoded->drive, c.drive) << c.command;
            EXPECT_EQ(decoded->number, c.number) << c.command;
        }
    }
}

} // namespace

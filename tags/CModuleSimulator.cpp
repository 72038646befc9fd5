#include "tags/CModuleSimulator.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::uint64_t kUnitsPerSecond = 10000;

struct PlayState {
    int order = 0;
    int row = 0;
    int speed = 6;
    int tempo = 125;
    int loopStart = 0;
    int loopCount = 0;
    bool loopActive = false;
    int lastPattern = -1;
    bool placed = false;  // the row was just set by a jump or break
    std::uint64_t time = 0;

    void ClearLoop()
    {
        loopStart = 0;
        loopCount = 0;
        loopActive = false;
    }
};

// What one row's effects ask for.
struct RowRequests {
    bool end = false;
    bool jump = false;
    int jumpTarget = 0;
    bool brk = false;
    int breakRow = 0;
    int delayRows = 0;
};

void Evaluate(const ModuleEvent &event, PlayState &state, RowRequests &requests)
{
    const int x = event.param & 0x0F;
    switch (event.command) {
    case ModuleCommand::SpeedOrTempo:
        if (event.param == 0)
            requests.end = true;
        else if (event.param < 32)
            state.speed = event.param;
        else
            state.tempo = event.param;
        break;
    case ModuleCommand::Speed:
        if (event.param == 0)
            requests.end = true;
        else
            state.speed = event.param;
        break;
    case ModuleCommand::Tempo:
        if (event.param >= 32)
            state.tempo = event.param;
        break;
    case ModuleCommand::TempoOrSlide:
        if (event.param >= 32)
            state.tempo = event.param;
        else if (event.param < 0x10)
            state.tempo = std::max(32, state.tempo - x * state.speed);  // IT's tempo range is 32 to 255;
        else
            state.tempo = std::min(255, state.tempo + x * state.speed);  // it also keeps the row time finite
        break;
    case ModuleCommand::Jump:
        requests.jump = true;
        requests.jumpTarget = event.param;
        break;
    case ModuleCommand::Break:
        requests.brk = true;
        requests.breakRow = event.param < 64 ? event.param : 0;
        break;
    case ModuleCommand::Loop:
        if (x == 0) {
            state.loopStart = state.row;
        } else if (state.loopCount < x) {
            ++state.loopCount;
            state.loopActive = true;
        } else {
            state.ClearLoop();
        }
        break;
    case ModuleCommand::Delay:
        requests.delayRows = x;
        break;
    case ModuleCommand::NoteOnly:
        break;
    }
}

}  // namespace

ModuleScanResult CModuleSimulator::Run(const CModuleSong &song)
{
    ModuleScanResult result;
    PlayState state;
    state.speed = song.speed;
    state.tempo = song.tempo;
    state.lastPattern = song.patterns.empty() ? -1 : 0;
    const int orderCount = static_cast<int>(song.orders.size());
    std::uint64_t noteChannels = 0;
    std::uint64_t steps = 0;

    while (state.order < orderCount) {
        if (++steps > kMaxRows) {
            result.loops = true;  // it never ends by itself
            break;
        }
        int pattern = song.orders[static_cast<std::size_t>(state.order)];
        if (pattern == CModuleSong::kEndOrder)
            break;
        if (pattern == CModuleSong::kPreviousOrder)
            pattern = state.lastPattern;
        if (pattern < 0 || pattern >= static_cast<int>(song.patterns.size())) {
            ++state.order;  // skipped, or nothing was played before to keep
            continue;
        }
        state.lastPattern = pattern;
        const CModuleSong::Pattern &data = song.patterns[static_cast<std::size_t>(pattern)];
        if (state.placed && state.row >= data.rows)
            state.row = 0;  // a break past the end of a short pattern starts it from the top
        state.placed = false;
        if (state.row >= data.rows) {
            ++state.order;
            state.row = 0;
            state.ClearLoop();
            continue;
        }
        if (state.row >= data.readableRows)
            return ModuleScanResult{};  // the pattern data ended early

        if (state.row == 0 && state.order < static_cast<int>(result.orderTimes.size()))
            result.orderTimes[static_cast<std::size_t>(state.order)] =
                static_cast<std::uint16_t>(std::min<std::uint64_t>(state.time / kUnitsPerSecond, 0xFFFF));

        RowRequests requests;
        const std::size_t first = data.rowStart[static_cast<std::size_t>(state.row)];
        const std::size_t last = data.rowStart[static_cast<std::size_t>(state.row) + 1];
        for (std::size_t i = first; i < last; ++i) {
            const ModuleEvent &event = data.events[i];
            if (event.command == ModuleCommand::NoteOnly) {
                noteChannels |= std::uint64_t{1} << (event.channel & 63);
                continue;
            }
            Evaluate(event, state, requests);
            if (requests.end)
                break;
        }
        if (requests.end)
            break;

        const auto rowUnits = static_cast<std::uint64_t>(state.speed) * 25000;
        state.time += rowUnits / static_cast<std::uint64_t>(state.tempo);
        state.time += rowUnits * static_cast<std::uint64_t>(requests.delayRows) / static_cast<std::uint64_t>(state.tempo);

        if (requests.jump) {
            if (requests.jumpTarget <= state.order) {
                result.loops = true;
                break;
            }
            if (requests.jumpTarget >= orderCount)
                break;
            // A break on the same row chooses the row of the target order, as trackers do.
            state.order = requests.jumpTarget;
            state.row = requests.brk ? requests.breakRow : 0;
            state.placed = true;
            state.ClearLoop();
        } else if (requests.brk) {
            ++state.order;
            state.row = requests.breakRow;
            state.placed = true;
            state.ClearLoop();
        } else if (state.loopActive) {
            state.row = state.loopStart;
            state.loopActive = false;
        } else {
            ++state.row;
        }
    }

    result.lengthSeconds = static_cast<std::uint32_t>(std::min<std::uint64_t>(state.time / kUnitsPerSecond, 0xFFFFFFFFu));
    result.channels = song.countNoteChannels ? std::popcount(noteChannels) : song.headerChannels;
    if (song.restartLoops)
        result.loops = true;
    return result;
}

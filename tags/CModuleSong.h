#pragma once
// A tracker song reduced to what its length depends on: the order list and, per pattern, the row count
// and the effects that move time (speed, tempo, jumps, breaks, pattern loops and delays). Each format's
// loader fills it; CModuleSimulator plays it.

#include <cstdint>
#include <vector>

enum class ModuleCommand : std::uint8_t {
    SpeedOrTempo,  // MOD/XM Fxx: 0 ends, 1 to 31 speed, 32 and above tempo
    Speed,         // S3M/IT Axx: 0 ends, else speed
    Tempo,         // S3M Txx: sets the tempo when 32 or above
    TempoOrSlide,  // IT Txx: 32 and above sets, 0x0x lowers, 0x1x raises by x times speed
    Jump,          // position jump to order xx
    Break,         // pattern break to row xx of the next order
    Loop,          // pattern loop, x = 0 marks the start
    Delay,         // pattern delay by x rows
    NoteOnly,      // no effect; the channel carries a note (IT channel count)
};

struct ModuleEvent {
    std::uint16_t channel = 0;
    ModuleCommand command = ModuleCommand::NoteOnly;
    std::uint8_t param = 0;
};

class CModuleSong {
public:
    // Order list entries besides pattern numbers.
    static constexpr int kSkipOrder = -1;      // passed over
    static constexpr int kEndOrder = -2;       // ends the song
    static constexpr int kPreviousOrder = -3;  // keeps the pattern played before

    struct Pattern {
        int rows = 64;
        int readableRows = 64;  // rows whose data could be read; playing a row past them fails the scan
        std::vector<std::uint32_t> rowStart{0};  // events of row r: [rowStart[r], rowStart[r + 1])
        std::vector<ModuleEvent> events;
    };

    // Starts a pattern whose rows are then added one by one with AddEvent and EndRow.
    Pattern &BeginPattern(int rows);
    void AddEvent(const ModuleEvent &event);
    void EndRow();
    // A pattern with no events, all rows readable.
    int AddEmptyPattern(int rows);

    std::vector<int> orders;
    std::vector<Pattern> patterns;
    int speed = 6;
    int tempo = 125;
    bool countNoteChannels = false;  // channels = those carrying a note in the rows played (IT)
    int headerChannels = 0;          // otherwise the channel count the header gives; 0 = unknown
    bool restartLoops = false;       // the song loops whatever its patterns do (XM restart position)
};

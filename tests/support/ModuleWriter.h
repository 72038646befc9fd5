#pragma once
// Writers of small, real tracker modules (MOD, S3M, XM, IT) for test fixtures and benchmarks.
//
// A song is described once, independently of the format: orders, patterns of rows with one cell per
// channel, a few short looped samples and the header values. Each writer encodes it in its format's own
// layout (MOD plain 4-byte cells; S3M packed rows behind paragraph pointers; XM pattern headers with packed
// or plain cells; IT packed rows with remembered masks and values). libopenmpt loads and plays the results.
//
// Notes use one scale for every format: 0 = no note, 1 = C-0 ... 96 = B-7, 49 = C-4 (a middle note).
// Effects are written in each format's own terms: MOD and XM take the effect number (0xB jump, 0xD break,
// 0xE extended, 0xF speed/tempo); S3M and IT take the command letter ('A' speed, 'B' jump, 'C' break,
// 'S' special, 'T' tempo), a value below 'A' being written as the raw command number.

#include <cstdint>
#include <string>
#include <vector>

struct ModuleCell {
    std::uint8_t note = 0;
    std::uint8_t instrument = 0;  // 1-based sample number; 0 = none
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

struct ModulePattern {
    explicit ModulePattern(int rowCount = 64, int channelCount = 4);
    ModuleCell &at(int row, int channel);
    const ModuleCell &at(int row, int channel) const;

    int rows;
    int channels;
    std::vector<ModuleCell> cells;  // row-major
};

struct ModuleSample {
    std::string name;
    std::vector<std::int8_t> data;  // 8-bit signed PCM, played looped over its whole length
    std::uint8_t volume = 64;

    static ModuleSample Square(int length, int period);
    static ModuleSample Sine(int length, int period);
};

struct ModuleSong {
    std::string title = "melvane test song";
    int channels = 4;      // MOD: 4, 6 or 8 (the magic follows: "M.K.", "6CHN", "8CHN")
    int speed = 6;         // initial ticks per row (not stored by MOD, which always starts at 6)
    int tempo = 125;       // initial beats per minute (not stored by MOD)
    int restart = 0;       // XM restart position (MOD: byte 951 keeps the usual 127)
    std::vector<int> orders;  // pattern numbers; S3M and IT may also hold 254 (skip) and 255 (end)
    std::vector<ModulePattern> patterns;
    std::vector<ModuleSample> samples;  // empty: one square wave is written
};

class ModuleWriter {
public:
    static std::string Mod(const ModuleSong &song);
    static std::string S3m(const ModuleSong &song);
    // packCells false writes every cell as 5 plain bytes instead of the packed form.
    static std::string Xm(const ModuleSong &song, bool packCells = true);
    static std::string It(const ModuleSong &song);

    // Writes bytes to path; false when the file cannot be written.
    static bool Save(const std::string &path, const std::string &bytes);
};

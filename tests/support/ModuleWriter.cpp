#include "tests/support/ModuleWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

void Put8(std::string &out, unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); }
void PutLe16(std::string &out, unsigned value) { Put8(out, value); Put8(out, value >> 8); }
void PutLe32(std::string &out, std::uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}
void PutBe16(std::string &out, unsigned value) { Put8(out, value >> 8); Put8(out, value); }
void PutText(std::string &out, const std::string &text, std::size_t width)
{
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    out += field;
}
void SetLe16(std::string &out, std::size_t at, unsigned value)
{
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
void SetLe32(std::string &out, std::size_t at, std::uint32_t value)
{
    SetLe16(out, at, value & 0xFFFF);
    SetLe16(out, at + 2, value >> 16);
}
void PadTo16(std::string &out) { out.resize((out.size() + 15) / 16 * 16, '\0'); }

std::vector<ModuleSample> SamplesOf(const ModuleSong &song)
{
    if (!song.samples.empty())
        return song.samples;
    return {ModuleSample::Square(256, 32)};
}

// S3M and IT commands are letters A..Z stored as 1..26.
std::uint8_t LetterCommand(std::uint8_t effect)
{
    if (effect >= 'A' && effect <= 'Z')
        return static_cast<std::uint8_t>(effect - 'A' + 1);
    return effect;
}

const ModuleCell kEmptyCell{};

const ModuleCell &CellAt(const ModulePattern &pattern, int row, int channel)
{
    if (row < pattern.rows && channel < pattern.channels)
        return pattern.at(row, channel);
    return kEmptyCell;
}

}  // namespace

ModulePattern::ModulePattern(int rowCount, int channelCount)
    : rows(rowCount), channels(channelCount),
      cells(static_cast<std::size_t>(std::max(rowCount, 0) * std::max(channelCount, 0)))
{
}

ModuleCell &ModulePattern::at(int row, int channel)
{
    if (row < 0 || row >= rows || channel < 0 || channel >= channels)
        throw std::out_of_range("ModulePattern::at");
    return cells[static_cast<std::size_t>(row * channels + channel)];
}

const ModuleCell &ModulePattern::at(int row, int channel) const
{
    return const_cast<ModulePattern *>(this)->at(row, channel);
}

ModuleSample ModuleSample::Square(int length, int period)
{
    ModuleSample sample;
    sample.name = "square";
    for (int i = 0; i < length; ++i)
        sample.data.push_back(static_cast<std::int8_t>((i % period) < period / 2 ? 100 : -100));
    return sample;
}

ModuleSample ModuleSample::Sine(int length, int period)
{
    ModuleSample sample;
    sample.name = "sine";
    for (int i = 0; i < length; ++i)
        sample.data.push_back(static_cast<std::int8_t>(std::lround(100.0 * std::sin(6.283185307179586 * i / period))));
    return sample;
}

std::string ModuleWriter::Mod(const ModuleSong &song)
{
    const int channels = song.channels;
    const char *magic = channels == 6 ? "6CHN" : channels == 8 ? "8CHN" : "M.K.";
    std::vector<ModuleSample> samples = SamplesOf(song);
    samples.resize(std::min<std::size_t>(samples.size(), 31));
    for (ModuleSample &sample : samples) {
        sample.data.resize(std::min<std::size_t>(sample.data.size(), 0x1FFFE));
        if (sample.data.size() % 2)
            sample.data.push_back(0);
    }

    std::string out;
    PutText(out, song.title, 20);
    for (std::size_t i = 0; i < 31; ++i) {
        if (i < samples.size()) {
            const ModuleSample &sample = samples[i];
            const unsigned words = static_cast<unsigned>(sample.data.size() / 2);
            PutText(out, sample.name, 22);
            PutBe16(out, words);
            Put8(out, 0);  // finetune
            Put8(out, sample.volume);
            PutBe16(out, 0);  // loop start
            PutBe16(out, words);
        } else {
            PutText(out, "", 22);
            PutBe16(out, 0);
            Put8(out, 0);
            Put8(out, 0);
            PutBe16(out, 0);
            PutBe16(out, 1);
        }
    }
    Put8(out, static_cast<unsigned>(std::min<std::size_t>(song.orders.size(), 128)));
    Put8(out, 127);
    int highest = 0;
    for (std::size_t i = 0; i < 128; ++i) {
        const int pattern = i < song.orders.size() ? song.orders[i] : 0;
        highest = std::max(highest, pattern);
        Put8(out, static_cast<unsigned>(pattern));
    }
    out += magic;

    // Amiga periods: note 37 (C-3 on our scale) is ProTracker's lowest C, period 856.
    auto period = [](int note) {
        const int step = std::clamp(note - 37, 0, 35);
        return static_cast<unsigned>(std::lround(856.0 * std::pow(2.0, -step / 12.0)));
    };
    for (int p = 0; p <= highest; ++p) {
        const ModulePattern pattern = p < static_cast<int>(song.patterns.size()) ? song.patterns[p]
                                                                                 : ModulePattern(64, channels);
        for (int row = 0; row < 64; ++row) {
            for (int ch = 0; ch < channels; ++ch) {
                const ModuleCell &cell = CellAt(pattern, row, ch);
                const unsigned per = cell.note ? period(cell.note) : 0;
                Put8(out, (cell.instrument & 0xF0) | ((per >> 8) & 0x0F));
                Put8(out, per & 0xFF);
                Put8(out, ((cell.instrument & 0x0F) << 4) | (cell.effect & 0x0F));
                Put8(out, cell.param);
            }
        }
    }
    for (const ModuleSample &sample : samples)
        out.append(reinterpret_cast<const char *>(sample.data.data()), sample.data.size());
    return out;
}

std::string ModuleWriter::S3m(const ModuleSong &song)
{
    const std::vector<ModuleSample> samples = SamplesOf(song);
    std::vector<int> orders = song.orders;
    if (orders.size() % 2)
        orders.push_back(255);  // the order count is even in S3M files
    const std::size_t patternCount = song.patterns.size();

    std::string out;
    PutText(out, song.title, 28);
    Put8(out, 0x1A);
    Put8(out, 16);
    PutLe16(out, 0);
    PutLe16(out, static_cast<unsigned>(orders.size()));
    PutLe16(out, static_cast<unsigned>(samples.size()));
    PutLe16(out, static_cast<unsigned>(patternCount));
    PutLe16(out, 0);       // flags
    PutLe16(out, 0x1320);  // Scream Tracker 3.20
    PutLe16(out, 2);       // unsigned samples
    out += "SCRM";
    Put8(out, 64);  // global volume
    Put8(out, static_cast<unsigned>(song.speed));
    Put8(out, static_cast<unsigned>(song.tempo));
    Put8(out, 0x80 | 48);  // stereo, master volume 48
    Put8(out, 0);
    Put8(out, 0);  // no panning table
    out.append(8, '\0');
    PutLe16(out, 0);
    for (int ch = 0; ch < 32; ++ch) {
        // Left and right channels alternate: L1, R1, L2, R2 ...
        const unsigned setting = ch < song.channels && ch < 16 ? (ch % 2 ? 8 + ch / 2 : ch / 2) : 255;
        Put8(out, setting);
    }
    for (int order : orders)
        Put8(out, static_cast<unsigned>(order));
    const std::size_t instrumentPointers = out.size();
    out.append(2 * samples.size(), '\0');
    const std::size_t patternPointers = out.size();
    out.append(2 * patternCount, '\0');

    std::vector<std::size_t> instrumentAt;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        PadTo16(out);
        instrumentAt.push_back(out.size());
        SetLe16(out, instrumentPointers + 2 * i, static_cast<unsigned>(out.size() / 16));
        const ModuleSample &sample = samples[i];
        const auto length = static_cast<std::uint32_t>(sample.data.size());
        Put8(out, 1);
        PutText(out, sample.name, 12);
        out.append(3, '\0');  // data paragraph, filled in below
        PutLe32(out, length);
        PutLe32(out, 0);
        PutLe32(out, length);
        Put8(out, sample.volume);
        Put8(out, 0);
        Put8(out, 0);
        Put8(out, 1);  // looped
        PutLe32(out, 8363);
        out.append(12, '\0');
        PutText(out, sample.name, 28);
        out += "SCRS";
    }
    for (std::size_t p = 0; p < patternCount; ++p) {
        PadTo16(out);
        SetLe16(out, patternPointers + 2 * p, static_cast<unsigned>(out.size() / 16));
        const ModulePattern &pattern = song.patterns[p];
        const std::size_t start = out.size();
        PutLe16(out, 0);
        for (int row = 0; row < 64; ++row) {
            for (int ch = 0; ch < std::min(pattern.channels, 32); ++ch) {
                const ModuleCell &cell = CellAt(pattern, row, ch);
                unsigned what = static_cast<unsigned>(ch);
                if (cell.note || cell.instrument)
                    what |= 0x20;
                if (cell.effect)
                    what |= 0x80;
                if (what == static_cast<unsigned>(ch))
                    continue;
                Put8(out, what);
                if (what & 0x20) {
                    const int n = cell.note - 1;
                    Put8(out, cell.note ? (((n / 12) << 4) | (n % 12)) : 255);
                    Put8(out, cell.instrument);
                }
                if (what & 0x80) {
                    Put8(out, LetterCommand(cell.effect));
                    Put8(out, cell.param);
                }
            }
            Put8(out, 0);
        }
        SetLe16(out, start, static_cast<unsigned>(out.size() - start));
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
        PadTo16(out);
        const std::size_t paragraph = out.size() / 16;
        out[instrumentAt[i] + 13] = static_cast<char>((paragraph >> 16) & 0xFF);
        SetLe16(out, instrumentAt[i] + 14, static_cast<unsigned>(paragraph & 0xFFFF));
        for (std::int8_t value : samples[i].data)
            Put8(out, static_cast<unsigned>(value + 128));
    }
    PadTo16(out);
    return out;
}

std::string ModuleWriter::Xm(const ModuleSong &song, bool packCells)
{
    const std::vector<ModuleSample> samples = SamplesOf(song);
    std::string out = "Extended Module: ";
    PutText(out, song.title, 20);
    Put8(out, 0x1A);
    PutText(out, "FastTracker v2.00   ", 20);
    PutLe16(out, 0x0104);
    PutLe32(out, 276);
    PutLe16(out, static_cast<unsigned>(std::min<std::size_t>(song.orders.size(), 256)));
    PutLe16(out, static_cast<unsigned>(song.restart));
    PutLe16(out, static_cast<unsigned>(song.channels));
    PutLe16(out, static_cast<unsigned>(song.patterns.size()));
    PutLe16(out, static_cast<unsigned>(samples.size()));
    PutLe16(out, 1);  // linear frequencies
    PutLe16(out, static_cast<unsigned>(song.speed));
    PutLe16(out, static_cast<unsigned>(song.tempo));
    for (std::size_t i = 0; i < 256; ++i)
        Put8(out, i < song.orders.size() ? static_cast<unsigned>(song.orders[i]) : 0);

    for (const ModulePattern &pattern : song.patterns) {
        std::string data;
        for (int row = 0; row < pattern.rows; ++row) {
            for (int ch = 0; ch < song.channels; ++ch) {
                const ModuleCell &cell = CellAt(pattern, row, ch);
                if (!packCells) {
                    Put8(data, cell.note);
                    Put8(data, cell.instrument);
                    Put8(data, 0);
                    Put8(data, cell.effect);
                    Put8(data, cell.param);
                    continue;
                }
                unsigned flags = 0x80;
                flags |= cell.note ? 1 : 0;
                flags |= cell.instrument ? 2 : 0;
                flags |= cell.effect ? 8 : 0;
                flags |= cell.param ? 16 : 0;
                Put8(data, flags);
                if (flags & 1)
                    Put8(data, cell.note);
                if (flags & 2)
                    Put8(data, cell.instrument);
                if (flags & 8)
                    Put8(data, cell.effect);
                if (flags & 16)
                    Put8(data, cell.param);
            }
        }
        PutLe32(out, 9);
        Put8(out, 0);
        PutLe16(out, static_cast<unsigned>(pattern.rows));
        PutLe16(out, static_cast<unsigned>(data.size()));
        out += data;
    }

    for (const ModuleSample &sample : samples) {
        const std::size_t start = out.size();
        PutLe32(out, 263);
        PutText(out, sample.name, 22);
        Put8(out, 0);
        PutLe16(out, 1);
        PutLe32(out, 40);
        out.append(96 + 48 + 48, '\0');  // key map, volume and panning envelopes
        out.append(14, '\0');            // envelope counts and flags, vibrato
        PutLe16(out, 0);                 // fadeout
        out.append(263 - (out.size() - start), '\0');

        const auto length = static_cast<std::uint32_t>(sample.data.size());
        PutLe32(out, length);
        PutLe32(out, 0);
        PutLe32(out, length);
        Put8(out, sample.volume);
        Put8(out, 0);    // finetune
        Put8(out, 1);    // forward loop, 8-bit
        Put8(out, 128);  // panning
        Put8(out, 0);    // relative note
        Put8(out, 0);
        PutText(out, sample.name, 22);
        std::int8_t previous = 0;
        for (std::int8_t value : sample.data) {
            Put8(out, static_cast<std::uint8_t>(value - previous));
            previous = value;
        }
    }
    return out;
}

std::string ModuleWriter::It(const ModuleSong &song)
{
    const std::vector<ModuleSample> samples = SamplesOf(song);
    std::vector<int> orders = song.orders;
    if (orders.empty() || orders.back() != 255)
        orders.push_back(255);
    const std::size_t patternCount = song.patterns.size();

    std::string out = "IMPM";
    PutText(out, song.title, 26);
    PutLe16(out, 0x1004);  // row highlights
    PutLe16(out, static_cast<unsigned>(orders.size()));
    PutLe16(out, 0);  // no instruments: sample mode
    PutLe16(out, static_cast<unsigned>(samples.size()));
    PutLe16(out, static_cast<unsigned>(patternCount));
    PutLe16(out, 0x0214);
    PutLe16(out, 0x0214);
    PutLe16(out, 1 | 8);  // stereo, linear slides
    PutLe16(out, 0);
    Put8(out, 128);  // global volume
    Put8(out, 48);   // mixing volume
    Put8(out, static_cast<unsigned>(song.speed));
    Put8(out, static_cast<unsigned>(song.tempo));
    Put8(out, 128);  // panning separation
    Put8(out, 0);
    PutLe16(out, 0);
    PutLe32(out, 0);
    PutLe32(out, 0);
    for (int ch = 0; ch < 64; ++ch)
        Put8(out, ch < song.channels ? 32 : 32 | 128);
    for (int ch = 0; ch < 64; ++ch)
        Put8(out, 64);
    for (int order : orders)
        Put8(out, static_cast<unsigned>(order));
    const std::size_t sampleOffsets = out.size();
    out.append(4 * samples.size(), '\0');
    const std::size_t patternOffsets = out.size();
    out.append(4 * patternCount, '\0');

    std::vector<std::size_t> headerAt;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        headerAt.push_back(out.size());
        SetLe32(out, sampleOffsets + 4 * i, static_cast<std::uint32_t>(out.size()));
        const ModuleSample &sample = samples[i];
        const auto length = static_cast<std::uint32_t>(sample.data.size());
        out += "IMPS";
        PutText(out, sample.name, 12);
        Put8(out, 0);
        Put8(out, 64);         // global volume
        Put8(out, 1 | 0x10);   // sample present, looped, 8-bit
        Put8(out, sample.volume);
        PutText(out, sample.name, 26);
        Put8(out, 1);  // signed
        Put8(out, 0);
        PutLe32(out, length);
        PutLe32(out, 0);
        PutLe32(out, length);
        PutLe32(out, 8363);
        PutLe32(out, 0);
        PutLe32(out, 0);
        PutLe32(out, 0);  // data offset, filled in below
        out.append(4, '\0');
    }
    for (std::size_t p = 0; p < patternCount; ++p) {
        SetLe32(out, patternOffsets + 4 * p, static_cast<std::uint32_t>(out.size()));
        const ModulePattern &pattern = song.patterns[p];
        std::string data;
        std::vector<int> lastMask(64, -1), lastNote(64, -1), lastInstrument(64, -1), lastCommand(64, -1);
        for (int row = 0; row < pattern.rows; ++row) {
            for (int ch = 0; ch < std::min(pattern.channels, 64); ++ch) {
                const ModuleCell &cell = CellAt(pattern, row, ch);
                const int note = cell.note ? cell.note - 1 : -1;
                const int command = cell.effect ? (LetterCommand(cell.effect) << 8) | cell.param : -1;
                unsigned mask = 0;
                if (note >= 0)
                    mask |= note == lastNote[ch] ? 16 : 1;
                if (cell.instrument)
                    mask |= cell.instrument == lastInstrument[ch] ? 32 : 2;
                if (command >= 0)
                    mask |= command == lastCommand[ch] ? 128 : 8;
                if (!mask)
                    continue;
                if (static_cast<int>(mask) == lastMask[ch]) {
                    Put8(data, static_cast<unsigned>(ch + 1));
                } else {
                    Put8(data, static_cast<unsigned>(ch + 1) | 0x80);
                    Put8(data, mask);
                    lastMask[ch] = static_cast<int>(mask);
                }
                if (mask & 1) {
                    Put8(data, static_cast<unsigned>(note));
                    lastNote[ch] = note;
                }
                if (mask & 2) {
                    Put8(data, cell.instrument);
                    lastInstrument[ch] = cell.instrument;
                }
                if (mask & 8) {
                    Put8(data, static_cast<unsigned>(command >> 8));
                    Put8(data, static_cast<unsigned>(command & 0xFF));
                    lastCommand[ch] = command;
                }
            }
            Put8(data, 0);
        }
        PutLe16(out, static_cast<unsigned>(data.size()));
        PutLe16(out, static_cast<unsigned>(pattern.rows));
        PutLe32(out, 0);
        out += data;
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SetLe32(out, headerAt[i] + 72, static_cast<std::uint32_t>(out.size()));
        out.append(reinterpret_cast<const char *>(samples[i].data.data()), samples[i].data.size());
    }
    return out;
}

bool ModuleWriter::Save(const std::string &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

#include "tags/CModuleLoader.h"

#include <algorithm>
#include <array>

namespace {

using Bytes = std::vector<std::uint8_t>;

int DefaultIfZero(unsigned value, int fallback) { return value ? static_cast<int>(value) : fallback; }

// MOD and XM effects: B jump, D break, E6x loop, EEx delay, F speed/tempo.
void AddModEffect(CModuleSong &song, unsigned channel, unsigned effect, unsigned param)
{
    ModuleEvent event;
    event.channel = static_cast<std::uint16_t>(channel);
    event.param = static_cast<std::uint8_t>(param);
    switch (effect) {
    case 0xB: event.command = ModuleCommand::Jump; break;
    case 0xD: event.command = ModuleCommand::Break; break;
    case 0xF: event.command = ModuleCommand::SpeedOrTempo; break;
    case 0xE:
        if ((param >> 4) == 0x6)
            event.command = ModuleCommand::Loop;
        else if ((param >> 4) == 0xE)
            event.command = ModuleCommand::Delay;
        else
            return;
        event.param = static_cast<std::uint8_t>(param & 0x0F);
        break;
    default:
        return;
    }
    song.AddEvent(event);
}

// S3M and IT commands, letters stored as 1..26: A speed, B jump, C break, SBx loop, SEx delay, T tempo.
void AddLetterEffect(CModuleSong &song, unsigned channel, unsigned command, unsigned param, bool it)
{
    ModuleEvent event;
    event.channel = static_cast<std::uint16_t>(channel);
    event.param = static_cast<std::uint8_t>(param);
    switch (command) {
    case 1: event.command = ModuleCommand::Speed; break;
    case 2: event.command = ModuleCommand::Jump; break;
    case 3: event.command = ModuleCommand::Break; break;
    case 20: event.command = it ? ModuleCommand::TempoOrSlide : ModuleCommand::Tempo; break;
    case 19:
        if ((param >> 4) == 0xB)
            event.command = ModuleCommand::Loop;
        else if ((param >> 4) == 0xE)
            event.command = ModuleCommand::Delay;
        else
            return;
        event.param = static_cast<std::uint8_t>(param & 0x0F);
        break;
    default:
        return;
    }
    song.AddEvent(event);
}

// Order entries that name a pattern the XM file lacks.
constexpr int kMissingPattern = -100;

// Decodes each pattern the order list names once, in order of first use, and turns the order entries
// from the file's pattern numbers (bytes) into indexes of the song's patterns. `decode(filePattern)`
// appends exactly one pattern to the song or returns false.
template <typename Decode>
bool MapOrders(CModuleSong &song, Decode decode)
{
    std::array<int, 256> slot;
    slot.fill(-1);
    for (int &entry : song.orders) {
        if (entry < 0)
            continue;
        const auto filePattern = static_cast<std::size_t>(entry);
        if (slot[filePattern] < 0) {
            if (!decode(entry))
                return false;
            slot[filePattern] = static_cast<int>(song.patterns.size()) - 1;
        }
        entry = slot[filePattern];
    }
    return true;
}

}  // namespace

bool CModuleLoader::LoadMod(CModuleFile &file, int channels, CModuleSong &song)
{
    const Bytes header = file.ReadHead(1084);
    if (header.size() < 1084)
        return false;
    const int length = std::min<int>(header[950], 128);
    int highest = 0;
    for (int i = 0; i < 128; ++i)
        highest = std::max<int>(highest, header[952 + static_cast<std::size_t>(i)]);
    for (int i = 0; i < length; ++i)
        song.orders.push_back(header[952 + static_cast<std::size_t>(i)]);

    const std::size_t rowBytes = static_cast<std::size_t>(channels) * 4;
    const std::size_t patternBytes = rowBytes * 64;
    Bytes data;
    if (!file.Read(1084, (static_cast<std::uint64_t>(highest) + 1) * patternBytes, data))
        return false;

    return MapOrders(song, [&](int filePattern) {
        song.BeginPattern(64);
        const std::size_t base = static_cast<std::size_t>(filePattern) * patternBytes;
        for (std::size_t row = 0; row < 64; ++row) {
            for (int ch = 0; ch < channels; ++ch) {
                const std::size_t at = base + row * rowBytes + static_cast<std::size_t>(ch) * 4;
                AddModEffect(song, static_cast<unsigned>(ch), data[at + 2] & 0x0F, data[at + 3]);
            }
            song.EndRow();
        }
        return true;
    });
}

bool CModuleLoader::LoadS3m(CModuleFile &file, CModuleSong &song)
{
    const Bytes header = file.ReadHead(1024);
    if (header.size() < 96)
        return false;
    const unsigned orderCount = CModuleFile::Le16(header, 32);
    const unsigned instrumentCount = CModuleFile::Le16(header, 34);
    const unsigned patternCount = CModuleFile::Le16(header, 36);
    song.speed = DefaultIfZero(header[49], 6);
    song.tempo = DefaultIfZero(header[50], 125);
    for (std::size_t ch = 0; ch < 32; ++ch)
        song.headerChannels += header[64 + ch] < 128 ? 1 : 0;

    Bytes tables;
    if (!file.Read(96, orderCount + 2ull * instrumentCount + 2ull * patternCount, tables))
        return false;
    const std::size_t instrumentTable = orderCount;
    const std::size_t patternTable = orderCount + 2ull * instrumentCount;

    // The pattern data lies between the header and the first sample's data.
    std::uint64_t end = file.Size();
    Bytes instrument;
    for (std::size_t i = 0; i < instrumentCount; ++i) {
        const std::uint64_t at = 16ull * CModuleFile::Le16(tables, instrumentTable + 2 * i);
        if (!file.Read(at, 80, instrument))
            return false;
        const std::uint64_t paragraph = (static_cast<std::uint64_t>(instrument[13]) << 16) | CModuleFile::Le16(instrument, 14);
        if (instrument[0] == 1 && CModuleFile::Le32(instrument, 16) != 0 && paragraph != 0) {
            end = 16 * paragraph;
            break;
        }
    }
    Bytes data;
    if (!file.Read(0, end, data))
        return false;

    for (std::size_t i = 0; i < orderCount; ++i) {
        const unsigned entry = tables[i];
        song.orders.push_back(entry == 254   ? CModuleSong::kSkipOrder
                              : entry == 255 ? CModuleSong::kEndOrder
                              : entry >= patternCount ? CModuleSong::kPreviousOrder
                                                      : static_cast<int>(entry));
    }
    return MapOrders(song, [&](int filePattern) {
        const std::size_t at = 16ull * CModuleFile::Le16(tables, patternTable + 2 * static_cast<std::size_t>(filePattern));
        if (at == 0) {
            song.AddEmptyPattern(64);
            return true;
        }
        song.BeginPattern(64);
        std::size_t pos = at + 2;
        for (int row = 0; row < 64; ++row) {
            for (;;) {
                if (pos >= data.size())
                    return true;  // the rows read so far are all that can be played
                const unsigned what = data[pos++];
                if (what == 0)
                    break;
                const std::size_t need = ((what & 0x20) ? 2 : 0) + ((what & 0x40) ? 1 : 0) + ((what & 0x80) ? 2 : 0);
                if (need > data.size() - pos)
                    return true;
                pos += need;
                if (what & 0x80)
                    AddLetterEffect(song, what & 31, data[pos - 2], data[pos - 1], false);
            }
            song.EndRow();
        }
        return true;
    });
}

bool CModuleLoader::LoadXm(CModuleFile &file, CModuleSong &song)
{
    const Bytes header = file.ReadHead(1024);
    if (header.size() < 80)
        return false;
    const std::uint32_t headerLength = CModuleFile::Le32(header, 60);
    const unsigned songLength = std::min(CModuleFile::Le16(header, 64), 256u);
    song.restartLoops = CModuleFile::Le16(header, 66) != 0;
    const unsigned channels = CModuleFile::Le16(header, 68);
    song.headerChannels = static_cast<int>(channels);
    const unsigned patternCount = CModuleFile::Le16(header, 70);
    song.speed = DefaultIfZero(header[76], 6);
    song.tempo = DefaultIfZero(header[78], 125);
    if (header.size() < 80 + songLength)
        return false;

    struct PatternPlace {
        std::uint64_t data;
        unsigned rows;
        unsigned size;
    };
    std::vector<PatternPlace> places;
    std::uint64_t pos = 60ull + headerLength;
    Bytes patternHeader;
    for (unsigned p = 0; p < patternCount; ++p) {
        if (!file.Read(pos, 9, patternHeader) || patternHeader[4] != 0)
            return false;  // unreadable, or packed in a way we do not know
        const std::uint32_t length = CModuleFile::Le32(patternHeader, 0);
        const unsigned rows = CModuleFile::Le16(patternHeader, 5);
        const unsigned size = CModuleFile::Le16(patternHeader, 7);
        places.push_back({pos + length, rows ? rows : 64, size});
        pos += static_cast<std::uint64_t>(length) + size;
    }

    int emptyPattern = -1;  // orders naming a pattern the file lacks play an empty 64-row pattern
    for (unsigned i = 0; i < songLength; ++i)
        song.orders.push_back(header[80 + i] < patternCount ? header[80 + i] : kMissingPattern);
    Bytes data;
    if (!MapOrders(song, [&](int filePattern) {
            const PatternPlace &place = places[static_cast<std::size_t>(filePattern)];
            if (place.size == 0) {
                song.AddEmptyPattern(static_cast<int>(place.rows));
                return true;
            }
            if (!file.Read(place.data, place.size, data))
                return false;
            song.BeginPattern(static_cast<int>(place.rows));
            std::size_t at = 0;
            for (unsigned row = 0; row < place.rows; ++row) {
                for (unsigned ch = 0; ch < channels; ++ch) {
                    if (at >= data.size())
                        return true;
                    const unsigned first = data[at];
                    unsigned effect = 0;
                    unsigned param = 0;
                    if (first & 0x80) {
                        const unsigned skip = ((first & 1) ? 1 : 0) + ((first & 2) ? 1 : 0) + ((first & 4) ? 1 : 0);
                        const unsigned need = 1 + skip + ((first & 8) ? 1 : 0) + ((first & 16) ? 1 : 0);
                        if (need > data.size() - at)
                            return true;
                        std::size_t next = at + 1 + skip;
                        if (first & 8)
                            effect = data[next++];
                        if (first & 16)
                            param = data[next++];
                        at += need;
                    } else {
                        if (5 > data.size() - at)
                            return true;
                        effect = data[at + 3];
                        param = data[at + 4];
                        at += 5;
                    }
                    AddModEffect(song, ch, effect, param);
                }
                song.EndRow();
            }
            return true;
        }))
        return false;
    for (int &entry : song.orders) {
        if (entry == kMissingPattern) {
            if (emptyPattern < 0)
                emptyPattern = song.AddEmptyPattern(64);
            entry = emptyPattern;
        }
    }
    return true;
}

bool CModuleLoader::LoadIt(CModuleFile &file, CModuleSong &song)
{
    const Bytes header = file.ReadHead(2048);
    if (header.size() < 192)
        return false;
    const unsigned orderCount = CModuleFile::Le16(header, 32);
    const unsigned instrumentCount = CModuleFile::Le16(header, 34);
    const unsigned sampleCount = CModuleFile::Le16(header, 36);
    const unsigned patternCount = CModuleFile::Le16(header, 38);
    song.speed = DefaultIfZero(header[50], 6);
    song.tempo = DefaultIfZero(header[51], 125);
    song.countNoteChannels = true;

    Bytes tables;
    if (!file.Read(192, orderCount + 4ull * (instrumentCount + sampleCount + patternCount), tables))
        return false;
    const std::size_t patternTable = orderCount + 4ull * (instrumentCount + sampleCount);

    // The pattern data runs from the first pattern to the end of the last one.
    std::uint64_t first = UINT64_MAX;
    std::uint64_t last = 0;
    Bytes patternHeader;
    for (std::size_t p = 0; p < patternCount; ++p) {
        const std::uint32_t at = CModuleFile::Le32(tables, patternTable + 4 * p);
        if (at == 0)
            continue;
        if (!file.Read(at, 8, patternHeader))
            return false;
        first = std::min<std::uint64_t>(first, at);
        last = std::max<std::uint64_t>(last, at + 8ull + CModuleFile::Le16(patternHeader, 0));
    }
    Bytes data;
    if (first != UINT64_MAX && !file.Read(first, last - first, data))
        return false;

    for (std::size_t i = 0; i < orderCount; ++i) {
        const unsigned entry = tables[i];
        song.orders.push_back(entry == 254 ? CModuleSong::kSkipOrder
                              : entry == 255 || entry >= patternCount ? CModuleSong::kEndOrder
                                                                      : static_cast<int>(entry));
    }
    return MapOrders(song, [&](int filePattern) {
        const std::uint32_t at = CModuleFile::Le32(tables, patternTable + 4 * static_cast<std::size_t>(filePattern));
        if (at == 0) {
            song.AddEmptyPattern(64);
            return true;
        }
        const std::size_t base = at - first;
        const unsigned length = CModuleFile::Le16(data, base);
        const unsigned rows = CModuleFile::Le16(data, base + 2);
        song.BeginPattern(static_cast<int>(rows));
        std::size_t pos = base + 8;
        const std::size_t end = base + 8 + length;
        std::array<std::uint8_t, 64> mask{};
        std::array<std::uint8_t, 64> lastCommand{};
        std::array<std::uint8_t, 64> lastParam{};
        for (unsigned row = 0; row < rows; ++row) {
            for (;;) {
                if (pos >= end)
                    return true;
                const unsigned variable = data[pos++];
                if (variable == 0)
                    break;
                const unsigned ch = (variable - 1) & 63;
                if (variable & 0x80) {
                    if (pos >= end)
                        return true;
                    mask[ch] = data[pos++];
                }
                const unsigned m = mask[ch];
                const std::size_t need = ((m & 1) ? 1 : 0) + ((m & 2) ? 1 : 0) + ((m & 4) ? 1 : 0) + ((m & 8) ? 2 : 0);
                if (need > end - pos)
                    return true;
                pos += need;
                if (m & 8) {
                    lastCommand[ch] = data[pos - 2];
                    lastParam[ch] = data[pos - 1];
                }
                if (m & (1 | 16))
                    song.AddEvent({static_cast<std::uint16_t>(ch), ModuleCommand::NoteOnly, 0});
                if (m & (8 | 128))
                    AddLetterEffect(song, ch, lastCommand[ch], lastParam[ch], true);
            }
            song.EndRow();
        }
        return true;
    });
}

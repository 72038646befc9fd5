#include "playlist/CPlayerSettings.h"

#include "platform/io/CProgramFolder.h"
#include "platform/registry/CRegistry.h"
#include "platform/registry/CRegistryKey.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <optional>
#include <type_traits>

namespace {

// One numeric setting: registry value name, settings file key and access to its member as a DWORD.
struct NumericSetting {
    const char *reg;
    const char *file;
    std::uint32_t (*get)(const CPlayerSettings &);
    void (*set)(CPlayerSettings &, std::uint32_t);
};

#define MELVANE_NUMERIC(reg, file, member)                                                           \
    NumericSetting                                                                                   \
    {                                                                                                \
        reg, file, [](const CPlayerSettings &s) { return static_cast<std::uint32_t>(s.member); },    \
            [](CPlayerSettings &s, std::uint32_t v) {                                               \
                s.member = static_cast<std::remove_reference_t<decltype(s.member)>>(v);              \
            }                                                                                        \
    }

// Table order is the order in which the values are written to the registry.
const NumericSetting kNumericSettings[] = {
    MELVANE_NUMERIC("display", "DISPLAY", display),
    MELVANE_NUMERIC("fontsize", "FONTSIZE", fontsize),
    MELVANE_NUMERIC("fontbold", "FONTBOLD", fontbold),
    MELVANE_NUMERIC("fontitalic", "FONTITALIC", fontitalic),
    MELVANE_NUMERIC("vplsize", "VPLSIZE", vplsize),
    MELVANE_NUMERIC("vplbold", "VPLBOLD", vplbold),
    MELVANE_NUMERIC("vplitalic", "VPLITALIC", vplitalic),
    MELVANE_NUMERIC("colour", "COLOUR", colour),
    MELVANE_NUMERIC("vplcolour", "VPLCOLOUR", vplcolour),
    MELVANE_NUMERIC("vplback", "VPLBACK", vplback),
    MELVANE_NUMERIC("meter1", "METER1", meter1),
    MELVANE_NUMERIC("meter2", "METER2", meter2),
    MELVANE_NUMERIC("autoplay0", "AUTOPLAY0", autoplay0),
    MELVANE_NUMERIC("autoplay1", "AUTOPLAY1", autoplay1),
    MELVANE_NUMERIC("gapless", "GAPLESS", gapless),
    MELVANE_NUMERIC("keyhook", "KEYHOOK", keyhook),
    MELVANE_NUMERIC("minimizestart", "MINIMIZEST", minimizestart),
    MELVANE_NUMERIC("minimizetray", "MINIMIZETR", minimizetray),
    MELVANE_NUMERIC("scrsave", "SCRSAVE", scrsave),
    MELVANE_NUMERIC("timer", "TIMER", timer),
    MELVANE_NUMERIC("timeroff", "TIMEROFF", timeroff),
    MELVANE_NUMERIC("cdpriority", "PRIORITY", cdpriority),
    MELVANE_NUMERIC("click1", "CLICK1", click1),
    MELVANE_NUMERIC("click2", "CLICK2", click2),
    MELVANE_NUMERIC("click3", "CLICK3", click3),
    MELVANE_NUMERIC("click4", "CLICK4", click4),
    MELVANE_NUMERIC("bassdev", "BASSDEV", bassdev),
    MELVANE_NUMERIC("bassfreq", "BASSFREQ", bassfreq),
    MELVANE_NUMERIC("bassbuffer", "MIXBUFFER", bassbuffer),
    MELVANE_NUMERIC("bassfloat", "BASSFLOAT", bassfloat),
    MELVANE_NUMERIC("autocorrect", "AUTOCORRECT", autocorrect),
    MELVANE_NUMERIC("modlevels", "MODLEVELS", modlevels),
    MELVANE_NUMERIC("mixing1", "MIXING1", mixing1),
    MELVANE_NUMERIC("mixing2", "MIXING2", mixing2),
    MELVANE_NUMERIC("panning1", "PANNING1", panning1),
    MELVANE_NUMERIC("panning2", "PANNING2", panning2),
    MELVANE_NUMERIC("surround1", "SURROUND1", surround1),
    MELVANE_NUMERIC("surround2", "SURROUND2", surround2),
    MELVANE_NUMERIC("ramping1", "RAMPING1", ramping1),
    MELVANE_NUMERIC("ramping2", "RAMPING2", ramping2),
    MELVANE_NUMERIC("looping", "LOOPING", looping),
    MELVANE_NUMERIC("xpos", "XPOS", xpos),
    MELVANE_NUMERIC("ypos", "YPOS", ypos),
    MELVANE_NUMERIC("width", "WIDTH", width),
    MELVANE_NUMERIC("height", "HEIGHT", height),
    MELVANE_NUMERIC("maximize", "MAXIMIZE", maximize),
    MELVANE_NUMERIC("xinfo", "XINFO1", xinfo),
    MELVANE_NUMERIC("yinfo", "YINFO1", yinfo),
    MELVANE_NUMERIC("xjump", "XJUMP", xjump),
    MELVANE_NUMERIC("yjump", "YJUMP", yjump),
    MELVANE_NUMERIC("enablemeter", "SHOWVU", enablemeter),
    MELVANE_NUMERIC("repeattrack", "REPEAT", repeattrack),
    MELVANE_NUMERIC("repeatlist", "REPEATLIST", repeatlist),
    MELVANE_NUMERIC("random", "RANDOM", random),
    MELVANE_NUMERIC("cdcolumn0", "CDCOLUMN0", cdcolumn0),
    MELVANE_NUMERIC("cdcolumn1", "CDCOLUMN1", cdcolumn1),
    MELVANE_NUMERIC("cdcolumn2", "CDCOLUMN2", cdcolumn2),
    MELVANE_NUMERIC("eqenable", "EQENABLE", eqenable),
    MELVANE_NUMERIC("eqshow", "EQSHOW", eqshow),
    MELVANE_NUMERIC("eqxpos", "EQXPOS", eqxpos),
    MELVANE_NUMERIC("eqypos", "EQYPOS", eqypos),
    MELVANE_NUMERIC("eq0", "EQ0", eq[0]),
    MELVANE_NUMERIC("eq1", "EQ1", eq[1]),
    MELVANE_NUMERIC("eq2", "EQ2", eq[2]),
    MELVANE_NUMERIC("eq3", "EQ3", eq[3]),
    MELVANE_NUMERIC("eq4", "EQ4", eq[4]),
    MELVANE_NUMERIC("eq5", "EQ5", eq[5]),
    MELVANE_NUMERIC("eq6", "EQ6", eq[6]),
    MELVANE_NUMERIC("eq7", "EQ7", eq[7]),
    MELVANE_NUMERIC("eq8", "EQ8", eq[8]),
    MELVANE_NUMERIC("lastpos", "LASTPOS", lastpos),
    MELVANE_NUMERIC("lasttab", "LASTTAB", lasttab),
    MELVANE_NUMERIC("lastdisc", "LASTDISC", lastdisc),
    MELVANE_NUMERIC("lastindex", "LASTINDEX", lastindex),
    MELVANE_NUMERIC("lastduration", "LASTDURATION", lastduration),
    MELVANE_NUMERIC("autoquery", "AUTOQUERY", autoquery),
    MELVANE_NUMERIC("extractadd", "EXTRACTADD", extractadd),
    MELVANE_NUMERIC("volume", "VOLUME", volume),
};

#undef MELVANE_NUMERIC

struct TextSetting {
    const char *reg;
    const char *file;
    std::string CPlayerSettings::*member;
};

const TextSetting kTextSettings[] = {
    {"font", "FONT", &CPlayerSettings::font},
    {"vplfont", "VPLFONT", &CPlayerSettings::vplfont},
    {"lastdir", "LASTDIR", &CPlayerSettings::lastdir},
    {"lastvpldir", "LASTPLSDIR", &CPlayerSettings::lastvpldir},
    {"lastvpl", "LASTPLS", &CPlayerSettings::lastvpl},
    {"browsedir", "BROWSEDIR", &CPlayerSettings::browsedir},
    {"extractdir", "EXTRACTDIR", &CPlayerSettings::extractdir},
    {"extractenc", "EXTRACTENC", &CPlayerSettings::extractenc},
};

// Default column list and widths by column id 1 to 13.
constexpr std::int32_t kDefaultColumns[] = {2, 3, 7, 10, 12};
constexpr std::int32_t kDefaultWidths[CPlayerSettings::kColumnIds] = {150, 156, 190, 150, 150, 64, 44,
                                                                      64,  64,  37,  64,  58,  150};

bool IsColumnId(std::uint32_t id) { return id >= 1 && id <= CPlayerSettings::kColumnIds; }

// Widths the list control cannot sensibly show come back as 100.
std::int32_t CheckedWidth(std::uint32_t width)
{
    return width < 16 || width >= 2048 ? 100 : static_cast<std::int32_t>(width);
}

// A decimal number that fits 32 bits (signed or unsigned), blanks around it allowed.
std::optional<std::uint32_t> ParseFileNumber(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < INT32_MIN || value > UINT32_MAX)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

void ClampChoice(std::int32_t &value, std::int32_t low, std::int32_t high, std::int32_t replacement)
{
    if (value < low || value > high)
        value = replacement;
}

void CheckPosition(std::int32_t &x, std::int32_t &y, int screenWidth, int screenHeight)
{
    // 64-bit sums: a stored position near the top of the range must not overflow.
    if (std::int64_t{x} + 32 > screenWidth || std::int64_t{y} + 32 > screenHeight) {
        x = 0;
        y = 0;
    }
}

} // namespace

CPlayerSettings::CPlayerSettings(std::string defaultExtractDir)
    : m_strDefaultExtractDir(defaultExtractDir.empty() ? ProgramFolderMusicDir()
                                                       : std::move(defaultExtractDir))
{
    extractdir = m_strDefaultExtractDir;
    SetDefaultColumns();
    for (int id = 1; id <= kColumnIds; ++id)
        columnwidth[id] = kDefaultWidths[id - 1];
}

void CPlayerSettings::SetDefaultSettings()
{
    // The member initialisers are the defaults; a derived document keeps everything else it holds.
    static_cast<CPlayerSettings &>(*this) = CPlayerSettings(m_strDefaultExtractDir);
}

void CPlayerSettings::SetDefaultColumns()
{
    column.fill(0);
    std::copy(std::begin(kDefaultColumns), std::end(kDefaultColumns), column.begin());
}

int CPlayerSettings::ColumnCount() const
{
    int count = 0;
    while (count < kColumnIds && column[count] != 0)
        ++count;
    return count;
}

bool CPlayerSettings::LoadSettings(const CRegistry &registry, const std::string &settingsFile,
                                   int screenWidth, int screenHeight)
{
    SetDefaultSettings();
    const bool fromRegistry = LoadSettingsFromRegistry(registry);
    if (!fromRegistry)
        LoadSettingsFromFile(settingsFile);
    ValidateSettings(screenWidth, screenHeight);
    return fromRegistry;
}

bool CPlayerSettings::LoadSettingsFromRegistry(const CRegistry &registry)
{
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::CurrentUser, kSettingsKey)) {
        SetDefaultColumns();
        return false;
    }
    bool displayRead = false;
    for (const NumericSetting &setting : kNumericSettings) {
        if (const auto value = key.QueryDword(setting.reg)) {
            setting.set(*this, *value);
            if (&setting == &kNumericSettings[0])
                displayRead = true;
        }
    }
    for (const TextSetting &setting : kTextSettings)
        if (auto value = key.QueryString(setting.reg))
            this->*setting.member = std::move(*value);

    std::array<std::int32_t, kColumnIds + 1> list{};
    int listed = 0;
    const std::uint32_t columnCount = std::min<std::uint32_t>(key.QueryDword("columncount").value_or(0),
                                                              kColumnIds);
    for (std::uint32_t i = 0; i < columnCount; ++i) {
        const auto value = key.QueryDword("column" + std::to_string(i));
        if (!value)
            continue;
        const std::uint32_t id = (*value >> 16) & 0xFF;
        if (!IsColumnId(id) || std::find(list.begin(), list.begin() + listed, id) != list.begin() + listed)
            continue; // a column listed twice would be shown twice
        columnwidth[id] = CheckedWidth(*value & 0xFFFF);
        list[listed++] = static_cast<std::int32_t>(id);
    }
    if (listed > 0)
        column = list;
    else
        SetDefaultColumns();

    const std::uint32_t visualCount =
        std::min<std::uint32_t>(key.QueryDword("visualcount").value_or(0), kMaxVisuals);
    for (std::uint32_t i = 0; i < visualCount && vis.size() < kMaxVisuals; ++i)
        if (auto name = key.QueryString("vis" + std::to_string(i)))
            vis.push_back(std::move(*name));
    const std::uint32_t imageCount = std::min<std::uint32_t>(key.QueryDword("cdimagecount").value_or(0), kMaxCdImages);
    for (std::uint32_t i = 0; i < imageCount; ++i)
        if (auto image = key.QueryString("cdimage" + std::to_string(i)); image && !image->empty())
            cdimages.push_back(std::move(*image));
    return displayRead;
}

void CPlayerSettings::LoadSettingsFromFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    std::string text(kMaxSettingsFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    LoadSettingsFromText(text);
}

void CPlayerSettings::LoadSettingsFromText(std::string_view text)
{
    text = text.substr(0, kMaxSettingsFileBytes);
    const auto nextLine = [&text]() {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    };
    if (text.empty() || nextLine() != kSettingsFileHeader) {
        SetDefaultColumns();
        return;
    }

    std::array<std::int32_t, kColumnIds> placed{}; // column id by position
    while (!text.empty()) {
        const std::string_view line = nextLine();
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);

        if (key == "COLUMN") {
            const auto v = ParseFileNumber(value);
            if (!v || !IsColumnId(*v >> 24))
                continue;
            const std::uint32_t id = *v >> 24;
            columnwidth[id] = CheckedWidth(*v & 0xFFFF);
            const std::uint32_t position = (*v >> 16) & 0xFF;
            if (position >= 1 && position <= kColumnIds)
                placed[position - 1] = static_cast<std::int32_t>(id);
            continue;
        }
        if (key == "VISLOADED") {
            if (vis.size() < kMaxVisuals)
                vis.emplace_back(value);
            continue;
        }
        const auto numeric = std::find_if(std::begin(kNumericSettings), std::end(kNumericSettings),
                                          [&](const NumericSetting &s) { return key == s.file; });
        if (numeric != std::end(kNumericSettings)) {
            if (const auto v = ParseFileNumber(value))
                numeric->set(*this, numeric == std::begin(kNumericSettings) && *v != 0 ? 1 : *v);
            continue;
        }
        const auto textSetting = std::find_if(std::begin(kTextSettings), std::end(kTextSettings),
                                              [&](const TextSetting &s) { return key == s.file; });
        if (textSetting != std::end(kTextSettings))
            this->*textSetting->member = std::string(value);
    }

    // Positions left empty are closed up and an id placed twice is kept once, so the list stays a
    // run of distinct ids ended by 0.
    std::array<std::int32_t, kColumnIds + 1> list{};
    int listed = 0;
    for (const std::int32_t id : placed)
        if (id != 0 && std::find(list.begin(), list.begin() + listed, id) == list.begin() + listed)
            list[listed++] = id;
    if (listed > 0)
        column = list;
    else
        SetDefaultColumns();
}

void CPlayerSettings::ValidateSettings(int screenWidth, int screenHeight)
{
    ClampChoice(scrsave, 1, 3, 0);
    ClampChoice(cdpriority, 1, 6, 4);
    for (std::int32_t *click : {&click1, &click2, &click3, &click4})
        ClampChoice(*click, 1, 6, 0);
    for (std::int32_t *level : {&mixing1, &mixing2, &panning1, &panning2})
        ClampChoice(*level, 0, 100, 50);
    ClampChoice(surround1, 0, 2, 2);
    ClampChoice(surround2, 0, 2, 0);
    ClampChoice(ramping1, 0, 2, 2);
    ClampChoice(ramping2, 0, 2, 2);
    ClampChoice(looping, 0, 2, 0);
    ClampChoice(volume, 0, 100, 100);
    if (width < 516 || width > screenWidth)
        width = 516;
    if (height < 360 || height > screenHeight)
        height = 360;
    CheckPosition(xpos, ypos, screenWidth, screenHeight);
    CheckPosition(xinfo, yinfo, screenWidth, screenHeight);
    CheckPosition(xjump, yjump, screenWidth, screenHeight);
    CheckPosition(eqxpos, eqypos, screenWidth, screenHeight);
    if (random)
        repeattrack = 0;
    if (random || repeattrack)
        repeatlist = 0;
    for (std::int32_t &gain : eq)
        ClampChoice(gain, -30, 30, 0);
}

bool CPlayerSettings::SaveSettingsToRegistry(CRegistry &registry) const
{
    CRegistryKey key;
    if (!key.Create(registry, RegistryRoot::CurrentUser, kSettingsKey))
        return false;
    for (const NumericSetting &setting : kNumericSettings)
        key.SetDword(setting.reg, setting.get(*this));
    for (const TextSetting &setting : kTextSettings)
        key.SetString(setting.reg, this->*setting.member);
    const int columns = ColumnCount();
    for (int i = 0; i < columns; ++i) {
        const std::int32_t id = column[i];
        const auto widthBits = IsColumnId(static_cast<std::uint32_t>(id))
                                   ? static_cast<std::uint32_t>(columnwidth[id]) & 0xFFFF
                                   : 0;
        key.SetDword("column" + std::to_string(i), (static_cast<std::uint32_t>(id) & 0xFF) << 16 | widthBits);
    }
    key.SetDword("columncount", static_cast<std::uint32_t>(columns));
    const std::size_t visuals = std::min(vis.size(), kMaxVisuals);
    for (std::size_t i = 0; i < visuals; ++i)
        key.SetString("vis" + std::to_string(i), vis[i]);
    key.SetDword("visualcount", static_cast<std::uint32_t>(visuals));
    const std::size_t images = std::min(cdimages.size(), kMaxCdImages);
    for (std::size_t i = 0; i < images; ++i)
        key.SetString("cdimage" + std::to_string(i), cdimages[i]);
    key.SetDword("cdimagecount", static_cast<std::uint32_t>(images));
    return key.Close();
}

std::string CPlayerSettings::SettingsFilePath(const CRegistry &registry)
{
    return (registry.Folder() / kSettingsFileName).string();
}

std::string CPlayerSettings::ProgramFolderMusicDir()
{
    return CProgramFolder::Path() + "/My Music";
}

std::string CPlayerSettings::ReadFreedbEmail(const CRegistry &registry)
{
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::CurrentUser, kSettingsKey))
        return {};
    return key.QueryString("freedb_email").value_or(std::string());
}

std::string CPlayerSettings::ReadFreedbServer(const CRegistry &registry)
{
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::CurrentUser, kSettingsKey))
        return {};
    return key.QueryString("freedb_server").value_or(std::string());
}

bool CPlayerSettings::WriteFreedbAccount(CRegistry &registry, std::string_view email,
                                         std::string_view server)
{
    CRegistryKey key;
    if (!key.Create(registry, RegistryRoot::CurrentUser, kSettingsKey))
        return false;
    key.SetString("freedb_email", CRegistryHive::CutToCharacters(email, kFreedbTextChars));
    key.SetString("freedb_server", CRegistryHive::CutToCharacters(server, kFreedbTextChars));
    return key.Close();
}

std::vector<std::string> CPlayerSettings::ReadFreedbServers(const CRegistry &registry)
{
    std::vector<std::string> servers;
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::LocalMachine, kFreedbServersKey))
        return servers;
    for (std::size_t i = 0;; ++i) {
        auto server = key.QueryString(std::to_string(i));
        if (!server || server->empty())
            break;
        servers.push_back(std::move(*server));
    }
    return servers;
}

bool CPlayerSettings::WriteFreedbServers(CRegistry &registry, const std::vector<std::string> &servers)
{
    return registry.Update(RegistryRoot::LocalMachine, [&](CRegistryHive &hive) {
        hive.DeleteKey(kFreedbServersKey);
        hive.CreateKey(kFreedbServersKey);
        for (std::size_t i = 0; i < servers.size(); ++i)
            hive.SetValue(kFreedbServersKey, std::to_string(i),
                          {RegistryValue::Type::String, 0,
                           CRegistryHive::CutToCharacters(servers[i], kFreedbTextChars)});
        return true;
    });
}

// The settings record: defaults, the registry round trip, the read-only settings file, the checks,
// the column and visual lists, the freedb values, and tolerance of damaged stores.

#include "playlist/CPlayerSettings.h"

#include "platform/registry/CRegistry.h"
#include "platform/registry/CRegistryKey.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <functional>
#include <random>

namespace {

constexpr const char *kKey = "Software\\Melvane";
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// Every numeric setting as the product defines it: registry name, file key, default, and the member.
struct Field {
    const char *reg;
    const char *file;
    std::int64_t def;
    std::function<std::int64_t(const CPlayerSettings &)> get;
    std::function<void(CPlayerSettings &, std::int64_t)> set;
};

#define FIELD(reg, file, def, member)                                                                \
    Field                                                                                            \
    {                                                                                                \
        reg, file, def, [](const CPlayerSettings &s) { return std::int64_t(s.member); },             \
            [](CPlayerSettings &s, std::int64_t v) {                                                \
                s.member = static_cast<std::remove_reference_t<decltype(s.member)>>(v);              \
            }                                                                                        \
    }

const std::vector<Field> &Fields()
{
    static const std::vector<Field> fields = {
        FIELD("display", "DISPLAY", 0, display),
        FIELD("fontsize", "FONTSIZE", 22, fontsize),
        FIELD("fontbold", "FONTBOLD", 1, fontbold),
        FIELD("fontitalic", "FONTITALIC", 0, fontitalic),
        FIELD("vplsize", "VPLSIZE", 8, vplsize),
        FIELD("vplbold", "VPLBOLD", 0, vplbold),
        FIELD("vplitalic", "VPLITALIC", 0, vplitalic),
        FIELD("colour", "COLOUR", 0x00FF00, colour),
        FIELD("vplcolour", "VPLCOLOUR", 0x00FF00, vplcolour),
        FIELD("vplback", "VPLBACK", 0, vplback),
        FIELD("meter1", "METER1", 0x00FF00, meter1),
        FIELD("meter2", "METER2", 0x0000FF, meter2),
        FIELD("autoplay0", "AUTOPLAY0", 0, autoplay0),
        FIELD("autoplay1", "AUTOPLAY1", 0, autoplay1),
        FIELD("gapless", "GAPLESS", 1, gapless),
        FIELD("keyhook", "KEYHOOK", 0, keyhook),
        FIELD("minimizestart", "MINIMIZEST", 0, minimizestart),
        FIELD("minimizetray", "MINIMIZETR", 0, minimizetray),
        FIELD("scrsave", "SCRSAVE", 0, scrsave),
        FIELD("timer", "TIMER", 0, timer),
        FIELD("timeroff", "TIMEROFF", 0, timeroff),
        FIELD("cdpriority", "PRIORITY", 4, cdpriority),
        FIELD("click1", "CLICK1", 1, click1),
        FIELD("click2", "CLICK2", 5, click2),
        FIELD("click3", "CLICK3", 3, click3),
        FIELD("click4", "CLICK4", 4, click4),
        FIELD("bassdev", "BASSDEV", 0, bassdev),
        FIELD("bassfreq", "BASSFREQ", 44100, bassfreq),
        FIELD("bassbuffer", "MIXBUFFER", 3, bassbuffer),
        FIELD("bassfloat", "BASSFLOAT", 0, bassfloat),
        FIELD("autocorrect", "AUTOCORRECT", 1, autocorrect),
        FIELD("modlevels", "MODLEVELS", 1, modlevels),
        FIELD("mixing1", "MIXING1", 50, mixing1),
        FIELD("mixing2", "MIXING2", 50, mixing2),
        FIELD("panning1", "PANNING1", 50, panning1),
        FIELD("panning2", "PANNING2", 50, panning2),
        FIELD("surround1", "SURROUND1", 2, surround1),
        FIELD("surround2", "SURROUND2", 0, surround2),
        FIELD("ramping1", "RAMPING1", 2, ramping1),
        FIELD("ramping2", "RAMPING2", 2, ramping2),
        FIELD("looping", "LOOPING", 0, looping),
        FIELD("xpos", "XPOS", 0, xpos),
        FIELD("ypos", "YPOS", 0, ypos),
        FIELD("width", "WIDTH", 516, width),
        FIELD("height", "HEIGHT", 360, height),
        FIELD("maximize", "MAXIMIZE", 0, maximize),
        FIELD("xinfo", "XINFO1", 0, xinfo),
        FIELD("yinfo", "YINFO1", 0, yinfo),
        FIELD("xjump", "XJUMP", 0, xjump),
        FIELD("yjump", "YJUMP", 0, yjump),
        FIELD("enablemeter", "SHOWVU", 1, enablemeter),
        FIELD("repeattrack", "REPEAT", 0, repeattrack),
        FIELD("repeatlist", "REPEATLIST", 0, repeatlist),
        FIELD("random", "RANDOM", 0, random),
        FIELD("cdcolumn0", "CDCOLUMN0", 64, cdcolumn0),
        FIELD("cdcolumn1", "CDCOLUMN1", 320, cdcolumn1),
        FIELD("cdcolumn2", "CDCOLUMN2", 80, cdcolumn2),
        FIELD("eqenable", "EQENABLE", 0, eqenable),
        FIELD("eqshow", "EQSHOW", 0, eqshow),
        FIELD("eqxpos", "EQXPOS", 0, eqxpos),
        FIELD("eqypos", "EQYPOS", 0, eqypos),
        FIELD("eq0", "EQ0", 0, eq[0]),
        FIELD("eq1", "EQ1", 0, eq[1]),
        FIELD("eq2", "EQ2", 0, eq[2]),
        FIELD("eq3", "EQ3", 0, eq[3]),
        FIELD("eq4", "EQ4", 0, eq[4]),
        FIELD("eq5", "EQ5", 0, eq[5]),
        FIELD("eq6", "EQ6", 0, eq[6]),
        FIELD("eq7", "EQ7", 0, eq[7]),
        FIELD("eq8", "EQ8", 0, eq[8]),
        FIELD("lastpos", "LASTPOS", 0, lastpos),
        FIELD("lasttab", "LASTTAB", 0, lasttab),
        FIELD("lastdisc", "LASTDISC", 0, lastdisc),
        FIELD("lastindex", "LASTINDEX", 0, lastindex),
        FIELD("lastduration", "LASTDURATION", 0, lastduration),
        FIELD("autoquery", "AUTOQUERY", 0, autoquery),
        FIELD("extractadd", "EXTRACTADD", 1, extractadd),
        FIELD("volume", "VOLUME", 100, volume),
    };
    return fields;
}

struct TextField {
    const char *reg;
    const char *file;
    std::string CPlayerSettings::*member;
};

const std::vector<TextField> kTextFields = {
    {"font", "FONT", &CPlayerSettings::font},
    {"vplfont", "VPLFONT", &CPlayerSettings::vplfont},
    {"lastdir", "LASTDIR", &CPlayerSettings::lastdir},
    {"lastvpldir", "LASTPLSDIR", &CPlayerSettings::lastvpldir},
    {"lastvpl", "LASTPLS", &CPlayerSettings::lastvpl},
    {"browsedir", "BROWSEDIR", &CPlayerSettings::browsedir},
    {"extractdir", "EXTRACTDIR", &CPlayerSettings::extractdir},
    {"extractenc", "EXTRACTENC", &CPlayerSettings::extractenc},
};

const std::array<std::int32_t, 14> kDefaultWidths = {0,  150, 156, 190, 150, 150, 64,
                                                     44, 64,  64,  37,  64,  58,  150};

std::vector<std::int32_t> ColumnList(const CPlayerSettings &s)
{
    std::vector<std::int32_t> list;
    for (std::int32_t id : s.column) {
        if (id == 0)
            break;
        list.push_back(id);
    }
    return list;
}

// Writes values straight into the user hive, as another program (or damage) might have left them.
void Store(CRegistry &registry, const std::function<void(CRegistryKey &)> &fill)
{
    CRegistryKey key;
    ASSERT_TRUE(key.Create(registry, RegistryRoot::CurrentUser, kKey));
    fill(key);
    ASSERT_TRUE(key.Close());
}

void WriteFile(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

CPlayerSettings LoadedFromFile(const std::string &text)
{
    CPlayerSettings s("/music");
    s.LoadSettingsFromText(text);
    return s;
}

void ExpectDefaults(const CPlayerSettings &s, const std::string &musicFolder)
{
    for (const Field &f : Fields())
        EXPECT_EQ(f.get(s), f.def) << f.reg;
    EXPECT_EQ(s.font, "Arial");
    EXPECT_EQ(s.vplfont, "MS Sans Serif");
    for (const auto *empty : {&s.lastdir, &s.lastvpldir, &s.lastvpl, &s.browsedir, &s.extractenc})
        EXPECT_EQ(*empty, "");
    EXPECT_EQ(s.extractdir, musicFolder);
    EXPECT_EQ(ColumnList(s), (std::vector<std::int32_t>{2, 3, 7, 10, 12}));
    EXPECT_EQ(s.ColumnCount(), 5);
    for (int id = 1; id <= 13; ++id)
        EXPECT_EQ(s.columnwidth[id], kDefaultWidths[id]) << "width of column " << id;
    EXPECT_TRUE(s.vis.empty());
}

TEST(CPlayerSettings, DefaultsWhenNothingIsStored)
{
    TempDir dir;
    CRegistry registry(dir.path() / "config");
    CPlayerSettings s("/home/u/Music");
    s.fontsize = 99;
    s.column.fill(0);
    EXPECT_FALSE(s.LoadSettings(registry, dir.file("missing.ini"), kScreenWidth, kScreenHeight));
    ExpectDefaults(s, "/home/u/Music");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "config")) << "loading writes nothing";

    CPlayerSettings fallback;
    EXPECT_TRUE(fallback.extractdir.ends_with("/My Music")) << fallback.extractdir;
    EXPECT_EQ(fallback.extractdir, CPlayerSettings::ProgramFolderMusicDir());
}

TEST(CPlayerSettings, ResettingADerivedRecordKeepsTheRestOfTheObject)
{
    struct Document : CPlayerSettings {
        Document() : CPlayerSettings("/m") {}
        int playlistSize = 0;
    } doc;
    doc.playlistSize = 12;
    doc.gapless = 0;
    doc.font = "Courier";
    doc.column = {1, 0};
    doc.vis = {"freqbars.so"};
    doc.SetDefaultSettings();
    ExpectDefaults(doc, "/m");
    EXPECT_EQ(doc.playlistSize, 12);
}

TEST(CPlayerSettings, EverySettingRoundTripsThroughTheRegistry)
{
    TempDir dir;
    CRegistry registry(dir.path());
    CPlayerSettings saved("/m");
    std::int64_t n = 0;
    for (const Field &f : Fields())
        f.set(saved, f.reg == std::string("lastdisc") ? 0xF00DBEEF : -1000 - 7 * n++);
    for (std::size_t i = 0; i < kTextFields.size(); ++i)
        saved.*kTextFields[i].member = "t" + std::to_string(i) + " \\ \xc3\xa9\n=  ";
    saved.column = {12, 1, 13, 5, 0};
    saved.columnwidth[12] = 300;
    saved.columnwidth[1] = 16;
    saved.columnwidth[13] = 2047;
    saved.columnwidth[5] = 77;
    saved.vis = {"freqbars.so", "oscilloscope.so", "level meter.so"};
    saved.cdimages = {"/music/a disc.cue"};
    ASSERT_TRUE(saved.SaveSettingsToRegistry(registry));

    CPlayerSettings loaded("/other");
    EXPECT_TRUE(loaded.LoadSettingsFromRegistry(registry));
    for (const Field &f : Fields())
        EXPECT_EQ(f.get(loaded), f.get(saved)) << f.reg;
    for (const TextField &t : kTextFields)
        EXPECT_EQ(loaded.*t.member, saved.*t.member) << t.reg;
    EXPECT_EQ(ColumnList(loaded), (std::vector<std::int32_t>{12, 1, 13, 5}));
    for (int id : {12, 1, 13, 5})
        EXPECT_EQ(loaded.columnwidth[id], saved.columnwidth[id]) << id;
    EXPECT_EQ(loaded.vis, saved.vis);
    EXPECT_EQ(loaded.cdimages, saved.cdimages);

    // The stored names and their order: numbers in table order, texts, columns, visuals.
    CRegistryKey key;
    ASSERT_TRUE(key.Open(registry, RegistryRoot::CurrentUser, kKey));
    std::vector<std::string> expectedNames;
    for (const Field &f : Fields()) {
        expectedNames.push_back(f.reg);
        EXPECT_EQ(key.QueryDword(f.reg), static_cast<std::uint32_t>(f.get(saved))) << f.reg;
    }
    for (const TextField &t : kTextFields)
        expectedNames.push_back(t.reg);
    for (const char *name : {"column0", "column1", "column2", "column3", "columncount", "vis0", "vis1",
                             "vis2", "visualcount", "cdimage0", "cdimagecount"})
        expectedNames.push_back(name);
    EXPECT_EQ(key.ValueNames(), expectedNames);
    EXPECT_EQ(key.QueryDword("column0"), (12u << 16) | 300u);
    EXPECT_EQ(key.QueryDword("column2"), (13u << 16) | 2047u);
    EXPECT_EQ(key.QueryDword("columncount"), 4u);
    EXPECT_EQ(key.QueryString("vis2"), "level meter.so");
    EXPECT_EQ(key.QueryDword("visualcount"), 3u);
}

TEST(CPlayerSettings, LongTextsAreStoredAsTheirFirst511Characters)
{
    TempDir dir;
    CRegistry registry(dir.path());
    CPlayerSettings saved("/m");
    saved.lastdir = std::string(600, 'd');
    std::string accented;
    for (int i = 0; i < 600; ++i)
        accented += "\xc3\xa9"; // é
    saved.browsedir = accented;
    ASSERT_TRUE(saved.SaveSettingsToRegistry(registry));
    CPlayerSettings loaded("/m");
    ASSERT_TRUE(loaded.LoadSettingsFromRegistry(registry));
    EXPECT_EQ(loaded.lastdir, std::string(600, 'd').substr(0, 511));
    EXPECT_EQ(loaded.browsedir, accented.substr(0, 2 * 511));
}

TEST(CPlayerSettings, TheSettingsFileIsReadOnlyWhenTheRegistryHoldsNoSettings)
{
    struct Case {
        const char *what;
        std::function<void(CRegistry &)> prepare;
        bool registryCounts;
        int vplsize; // from the registry when stored there
    };
    const std::vector<Case> cases = {
        {"no key", [](CRegistry &) {}, false, 8},
        {"key without display",
         [](CRegistry &r) { Store(r, [](CRegistryKey &k) { k.SetDword("fontsize", 30); k.SetDword("vplsize", 9); }); },
         false, 9},
        {"display stored as text",
         [](CRegistry &r) { Store(r, [](CRegistryKey &k) { k.SetString("display", "1"); k.SetDword("fontsize", 30); k.SetDword("vplsize", 9); }); },
         false, 9},
        {"key with display",
         [](CRegistry &r) { Store(r, [](CRegistryKey &k) { k.SetDword("display", 0); k.SetDword("fontsize", 30); k.SetDword("vplsize", 9); }); },
         true, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CRegistry registry(dir.path());
        c.prepare(registry);
        const std::string ini = CPlayerSettings::SettingsFilePath(registry);
        const std::string text = "#Melvane settings\nDISPLAY=1\nFONTSIZE=40\nGAPLESS=0\nVISLOADED=a.so\n";
        WriteFile(ini, text);
        const auto modified = std::filesystem::last_write_time(ini);

        CPlayerSettings s("/m");
        EXPECT_EQ(s.LoadSettings(registry, ini, kScreenWidth, kScreenHeight), c.registryCounts);
        if (c.registryCounts) {
            EXPECT_EQ(s.display, 0);
            EXPECT_EQ(s.fontsize, 30);
            EXPECT_EQ(s.gapless, 1);
            EXPECT_TRUE(s.vis.empty());
        } else {
            EXPECT_EQ(s.display, 1);
            EXPECT_EQ(s.fontsize, 40) << "the file overrides what the registry gave";
            EXPECT_EQ(s.gapless, 0);
            EXPECT_EQ(s.vis, std::vector<std::string>{"a.so"});
        }
        EXPECT_EQ(s.vplsize, c.vplsize);

        ASSERT_TRUE(s.SaveSettingsToRegistry(registry));
        EXPECT_EQ(ReadWholeFile(ini), text) << "the settings file is never written";
        EXPECT_EQ(std::filesystem::last_write_time(ini), modified);
        CPlayerSettings next("/m");
        EXPECT_TRUE(next.LoadSettings(registry, ini, kScreenWidth, kScreenHeight))
            << "after the first save the registry holds the settings";
        EXPECT_EQ(next.fontsize, s.fontsize);
    }
}

TEST(CPlayerSettings, SettingsFileKeysAndValues)
{
    // Every file key with a distinct value; keys may come in any order, so write them reversed.
    std::string text = "#Melvane settings\r\n";
    const auto &fields = Fields();
    for (std::size_t i = fields.size(); i-- > 0;)
        text += std::string(fields[i].file) + "=" + std::to_string(fields[i].reg == std::string("display") ? 1 : 3 + i) + "\r\n";
    for (std::size_t i = 0; i < kTextFields.size(); ++i)
        text += std::string(kTextFields[i].file) + "= text " + std::to_string(i) + "=x  \r\n";
    const CPlayerSettings s = LoadedFromFile(text);
    for (std::size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(fields[i].get(s), fields[i].reg == std::string("display") ? 1 : std::int64_t(3 + i))
            << fields[i].file;
    for (std::size_t i = 0; i < kTextFields.size(); ++i)
        EXPECT_EQ(s.*kTextFields[i].member, " text " + std::to_string(i) + "=x  ") << kTextFields[i].file;
}

TEST(CPlayerSettings, SettingsFileLineRules)
{
    struct Case {
        const char *what;
        std::string body;
        std::function<void(const CPlayerSettings &)> check;
    };
    const std::vector<Case> cases = {
        {"keys are case-sensitive", "display=1\nFontSize=30\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.display, 0); EXPECT_EQ(s.fontsize, 22); }},
        {"registry names are not file keys", "minimizestart=1\ncdpriority=2\nMINIMIZEST=1\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.minimizestart, 1); EXPECT_EQ(s.cdpriority, 4); }},
        {"any non-zero DISPLAY reads as 1", "DISPLAY=7\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.display, 1); }},
        {"negative DISPLAY reads as 1", "DISPLAY=-3\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.display, 1); }},
        {"zero DISPLAY", "DISPLAY=1\nDISPLAY=0\n", [](const CPlayerSettings &s) { EXPECT_EQ(s.display, 0); }},
        {"the key ends at the first equals sign", "FONT=a=b\nFONT =x\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.font, "a=b"); }},
        {"lines without equals sign", "FONTSIZE\nhello\n\nFONTSIZE=30\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.fontsize, 30); }},
        {"numbers with blanks", "FONTSIZE= 30 \nEQ3=-12\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.fontsize, 30); EXPECT_EQ(s.eq[3], -12); }},
        {"unreadable numbers keep the default",
         "FONTSIZE=abc\nVPLSIZE=12x\nFONTBOLD=\nMIXING1=99999999999\nMIXING2=0x10\nGAPLESS=--1\n",
         [](const CPlayerSettings &s) {
             EXPECT_EQ(s.fontsize, 22); EXPECT_EQ(s.vplsize, 8); EXPECT_EQ(s.fontbold, 1);
             EXPECT_EQ(s.mixing1, 50); EXPECT_EQ(s.mixing2, 50); EXPECT_EQ(s.gapless, 1);
         }},
        {"full 32-bit values", "COLOUR=4294967295\nLASTDISC=4009754031\nTIMER=-2147483648\n",
         [](const CPlayerSettings &s) {
             EXPECT_EQ(s.colour, 0xFFFFFFFFu); EXPECT_EQ(s.lastdisc, 4009754031u); EXPECT_EQ(s.timer, INT32_MIN);
         }},
        {"empty text replaces the default", "FONT=\n", [](const CPlayerSettings &s) { EXPECT_EQ(s.font, ""); }},
        {"at most 32 visuals",
         [] { std::string b; for (int i = 0; i < 40; ++i) b += "VISLOADED=v" + std::to_string(i) + "\n"; return b; }(),
         [](const CPlayerSettings &s) { ASSERT_EQ(s.vis.size(), 32u); EXPECT_EQ(s.vis[31], "v31"); }},
        {"binary junk", std::string(1, '\0') + "\xff=\x01\nFONTSIZE=\x80\n=\n==\nFONTSIZE=31\n",
         [](const CPlayerSettings &s) { EXPECT_EQ(s.fontsize, 31); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.check(LoadedFromFile("#Melvane settings\n" + c.body));
    }
}

TEST(CPlayerSettings, SettingsFileWithAnotherFirstLineIsIgnored)
{
    for (const std::string header : {"#melvane settings", "#MELVANE SETTINGS", "#Melvane settings ",
                                     " #Melvane settings", "\xef\xbb\xbf#Melvane settings", "", "FONTSIZE=30"}) {
        SCOPED_TRACE(header);
        CPlayerSettings s("/m");
        s.column = {4, 0};
        s.LoadSettingsFromText(header + "\nFONTSIZE=30\nCOLUMN=" + std::to_string((1 << 24) | (1 << 16) | 99) + "\n");
        EXPECT_EQ(s.fontsize, 22);
        EXPECT_EQ(ColumnList(s), (std::vector<std::int32_t>{2, 3, 7, 10, 12}));
        EXPECT_EQ(s.columnwidth[1], 150);
    }
    TempDir dir;
    CPlayerSettings s("/m");
    s.LoadSettingsFromFile(dir.file("absent.ini"));
    ExpectDefaults(s, "/m");
}

std::string ColumnLine(std::uint32_t id, std::uint32_t position, std::uint32_t width)
{
    return "COLUMN=" + std::to_string(id << 24 | position << 16 | width) + "\n";
}

TEST(CPlayerSettings, SettingsFileColumns)
{
    struct Case {
        const char *what;
        std::string lines;
        std::vector<std::int32_t> list;
        std::vector<std::pair<int, int>> widths; // id, width
    };
    const std::vector<Case> cases = {
        {"positions decide the order", ColumnLine(5, 2, 70) + ColumnLine(9, 1, 90) + ColumnLine(1, 3, 300),
         {9, 5, 1}, {{5, 70}, {9, 90}, {1, 300}}},
        {"no column lines: default list", "FONTSIZE=9\n", {2, 3, 7, 10, 12}, {}},
        {"id 0 and 14 are ignored", ColumnLine(0, 1, 70) + ColumnLine(14, 2, 70), {2, 3, 7, 10, 12}, {}},
        {"odd widths become 100", ColumnLine(4, 1, 10) + ColumnLine(6, 2, 2048) + ColumnLine(8, 3, 15) + ColumnLine(11, 4, 2047) + ColumnLine(12, 5, 16),
         {4, 6, 8, 11, 12}, {{4, 100}, {6, 100}, {8, 100}, {11, 2047}, {12, 16}}},
        {"a width without a position", ColumnLine(13, 0, 99) + ColumnLine(2, 14, 98),
         {2, 3, 7, 10, 12}, {{13, 99}, {2, 98}}},
        {"gaps close up", ColumnLine(3, 1, 50) + ColumnLine(7, 4, 50) + ColumnLine(6, 13, 50), {3, 7, 6}, {}},
        {"an id placed twice is kept once", ColumnLine(3, 1, 50) + ColumnLine(3, 2, 60) + ColumnLine(5, 3, 50),
         {3, 5}, {{3, 60}}},
        {"a later line takes the position", ColumnLine(3, 1, 50) + ColumnLine(4, 1, 50), {4}, {}},
        {"all thirteen",
         [] { std::string b; for (int id = 13; id >= 1; --id) b += ColumnLine(id, 14 - id, 40 + id); return b; }(),
         {13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, {{1, 41}, {13, 53}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const CPlayerSettings s = LoadedFromFile("#Melvane settings\n" + c.lines);
        EXPECT_EQ(ColumnList(s), c.list);
        EXPECT_EQ(s.column[13], 0);
        for (const auto &[id, w] : c.widths)
            EXPECT_EQ(s.columnwidth[id], w) << "id " << id;
    }
}

TEST(CPlayerSettings, RegistryColumnsAndVisuals)
{
    const auto packed = [](std::uint32_t id, std::uint32_t width) { return id << 16 | width; };
    struct Case {
        const char *what;
        std::function<void(CRegistryKey &)> fill;
        std::vector<std::int32_t> list;
        std::vector<std::pair<int, int>> widths;
    };
    const std::vector<Case> cases = {
        {"count 20 with 20 valid values gives 13",
         [&](CRegistryKey &k) {
             k.SetDword("columncount", 20);
             for (int i = 0; i < 20; ++i)
                 k.SetDword("column" + std::to_string(i), packed(1 + i % 13, 60));
         },
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}, {{13, 60}}},
        {"id 0 and 14 skipped, odd widths 100",
         [&](CRegistryKey &k) {
             k.SetDword("columncount", 5);
             k.SetDword("column0", packed(0, 60));
             k.SetDword("column1", packed(14, 60));
             k.SetDword("column2", packed(4, 10));
             k.SetDword("column3", packed(6, 2048));
             k.SetDword("column4", packed(8, 2047) | 0xFF000000u);
         },
         {4, 6, 8}, {{4, 100}, {6, 100}, {8, 2047}}},
        {"count beyond the stored values", [&](CRegistryKey &k) {
             k.SetDword("columncount", 0xFFFFFFFFu);
             k.SetDword("column1", packed(9, 33));
             k.SetString("column2", "junk");
         },
         {9}, {{9, 33}}},
        {"no valid column: default list", [&](CRegistryKey &k) {
             k.SetDword("columncount", 2);
             k.SetDword("column0", packed(0, 60));
         },
         {2, 3, 7, 10, 12}, {}},
        {"values beyond the count are not read", [&](CRegistryKey &k) {
             k.SetDword("columncount", 1);
             k.SetDword("column0", packed(3, 60));
             k.SetDword("column1", packed(4, 60));
         },
         {3}, {{4, 150}}},
        {"a column listed twice is kept once", [&](CRegistryKey &k) {
             k.SetDword("columncount", 3);
             k.SetDword("column0", packed(3, 60));
             k.SetDword("column1", packed(3, 70));
             k.SetDword("column2", packed(1, 80));
         },
         {3, 1}, {{3, 60}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        CRegistry registry(dir.path());
        Store(registry, c.fill);
        CPlayerSettings s("/m");
        s.LoadSettingsFromRegistry(registry);
        EXPECT_EQ(ColumnList(s), c.list);
        for (const auto &[id, w] : c.widths)
            EXPECT_EQ(s.columnwidth[id], w) << "id " << id;
    }

    TempDir dir;
    CRegistry registry(dir.path());
    Store(registry, [](CRegistryKey &k) {
        k.SetDword("visualcount", 40);
        for (int i = 0; i < 40; ++i)
            if (i == 2)
                k.SetDword("vis2", 5); // unreadable as a name
            else if (i != 3)
                k.SetString("vis" + std::to_string(i), "v" + std::to_string(i));
    });
    CPlayerSettings s("/m");
    s.LoadSettingsFromRegistry(registry);
    ASSERT_EQ(s.vis.size(), 30u) << "32 read, two of them unreadable";
    EXPECT_EQ(s.vis[1], "v1");
    EXPECT_EQ(s.vis[2], "v4");
    EXPECT_EQ(s.vis.back(), "v31");
}

TEST(CPlayerSettings, WrongTypedValuesKeepTheirDefaults)
{
    TempDir dir;
    CRegistry registry(dir.path());
    Store(registry, [](CRegistryKey &k) {
        k.SetDword("display", 1);
        k.SetString("fontsize", "30");
        k.SetDword("font", 7);
        k.SetString("vplfont", "");
        k.SetDword("gapless", 0);
    });
    CPlayerSettings s("/m");
    EXPECT_TRUE(s.LoadSettingsFromRegistry(registry));
    EXPECT_EQ(s.fontsize, 22);
    EXPECT_EQ(s.font, "Arial");
    EXPECT_EQ(s.vplfont, "") << "an empty string value replaces the default";
    EXPECT_EQ(s.gapless, 0);
}

TEST(CPlayerSettings, ValidationReplacesOutOfRangeValues)
{
    using Setter = std::function<void(CPlayerSettings &)>;
    using Check = std::function<void(const CPlayerSettings &)>;
    struct Case {
        std::string what;
        Setter set;
        Check check;
    };
    std::vector<Case> cases;
    const auto range = [&cases](const char *name, std::int32_t CPlayerSettings::*m, std::int32_t low,
                                std::int32_t high, std::int32_t replacement) {
        for (std::int32_t v : {low - 1, low, high, high + 1, INT32_MIN, INT32_MAX}) {
            const std::int32_t expected = v < low || v > high ? replacement : v;
            cases.push_back({std::string(name) + "=" + std::to_string(v),
                             [m, v](CPlayerSettings &s) { s.*m = v; },
                             [m, expected](const CPlayerSettings &s) { EXPECT_EQ(s.*m, expected); }});
        }
    };
    range("scrsave", &CPlayerSettings::scrsave, 1, 3, 0);
    range("cdpriority", &CPlayerSettings::cdpriority, 1, 6, 4);
    range("click1", &CPlayerSettings::click1, 1, 6, 0);
    range("click2", &CPlayerSettings::click2, 1, 6, 0);
    range("click3", &CPlayerSettings::click3, 1, 6, 0);
    range("click4", &CPlayerSettings::click4, 1, 6, 0);
    range("mixing1", &CPlayerSettings::mixing1, 0, 100, 50);
    range("mixing2", &CPlayerSettings::mixing2, 0, 100, 50);
    range("panning1", &CPlayerSettings::panning1, 0, 100, 50);
    range("panning2", &CPlayerSettings::panning2, 0, 100, 50);
    range("surround1", &CPlayerSettings::surround1, 0, 2, 2);
    range("surround2", &CPlayerSettings::surround2, 0, 2, 0);
    range("ramping1", &CPlayerSettings::ramping1, 0, 2, 2);
    range("ramping2", &CPlayerSettings::ramping2, 0, 2, 2);
    range("looping", &CPlayerSettings::looping, 0, 2, 0);
    range("volume", &CPlayerSettings::volume, 0, 100, 100);
    range("width", &CPlayerSettings::width, 516, kScreenWidth, 516);
    range("height", &CPlayerSettings::height, 360, kScreenHeight, 360);
    for (int band = 0; band < 9; ++band)
        for (std::int32_t v : {-31, -30, 30, 31})
            cases.push_back({"eq" + std::to_string(band) + "=" + std::to_string(v),
                             [band, v](CPlayerSettings &s) { s.eq[band] = v; },
                             [band, v](const CPlayerSettings &s) { EXPECT_EQ(s.eq[band], v < -30 || v > 30 ? 0 : v); }});

    using Pair = std::pair<std::int32_t CPlayerSettings::*, std::int32_t CPlayerSettings::*>;
    const std::vector<std::pair<const char *, Pair>> pairs = {
        {"xpos/ypos", {&CPlayerSettings::xpos, &CPlayerSettings::ypos}},
        {"xinfo/yinfo", {&CPlayerSettings::xinfo, &CPlayerSettings::yinfo}},
        {"xjump/yjump", {&CPlayerSettings::xjump, &CPlayerSettings::yjump}},
        {"eqxpos/eqypos", {&CPlayerSettings::eqxpos, &CPlayerSettings::eqypos}},
    };
    const std::vector<std::tuple<std::int32_t, std::int32_t, bool>> positions = {
        {2000, 100, true}, {992, 736, false}, {993, 0, true}, {0, 737, true},
        {-50, -4000, false}, {INT32_MAX, 0, true}, {0, INT32_MAX, true}, {INT32_MIN, INT32_MIN, false},
    };
    for (const auto &pair : pairs)
        for (const auto &position : positions) {
            const std::string name = pair.first;
            const auto mx = pair.second.first, my = pair.second.second;
            const std::int32_t x = std::get<0>(position), y = std::get<1>(position);
            const bool reset = std::get<2>(position);
            const std::int32_t ex = reset ? 0 : x, ey = reset ? 0 : y;
            cases.push_back({std::string(name) + " " + std::to_string(x) + "," + std::to_string(y),
                             [mx, my, x, y](CPlayerSettings &s) { s.*mx = x; s.*my = y; },
                             [mx, my, ex, ey](const CPlayerSettings &s) { EXPECT_EQ(s.*mx, ex); EXPECT_EQ(s.*my, ey); }});
        }

    struct RepeatCase {
        int random, track, list, expectTrack, expectList;
    };
    for (const RepeatCase rc : std::vector<RepeatCase>{
             {1, 1, 1, 0, 0}, {1, 0, 1, 0, 0}, {0, 1, 1, 1, 0}, {0, 0, 1, 0, 1}, {0, 1, 0, 1, 0}}) {
        const int random = rc.random, track = rc.track, list = rc.list;
        const int expectTrack = rc.expectTrack, expectList = rc.expectList;
        cases.push_back({"random " + std::to_string(random) + " track " + std::to_string(track) + " list " + std::to_string(list),
                         [random, track, list](CPlayerSettings &s) { s.random = random; s.repeattrack = track; s.repeatlist = list; },
                         [random, expectTrack, expectList](const CPlayerSettings &s) {
                             EXPECT_EQ(s.random, random);
                             EXPECT_EQ(s.repeattrack, expectTrack);
                             EXPECT_EQ(s.repeatlist, expectList);
                         }});
    }

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CPlayerSettings s("/m");
        c.set(s);
        s.ValidateSettings(kScreenWidth, kScreenHeight);
        c.check(s);
    }

    // Values without a check pass unchanged, e.g. the engine's own bassfreq and bassbuffer choices.
    CPlayerSettings s("/m");
    s.bassfreq = 44100;
    s.bassbuffer = 99;
    s.gapless = 5;
    s.ValidateSettings(kScreenWidth, kScreenHeight);
    EXPECT_EQ(s.bassfreq, 44100);
    EXPECT_EQ(s.bassbuffer, 99);
    EXPECT_EQ(s.gapless, 5);
}

TEST(CPlayerSettings, LoadingChecksValuesFromEitherStore)
{
    TempDir dir;
    CRegistry registry(dir.path());
    Store(registry, [](CRegistryKey &k) {
        k.SetDword("display", 0);
        k.SetDword("cdpriority", 0);
        k.SetDword("click2", 7);
        k.SetDword("eq3", 31);
        k.SetDword("xpos", 2000);
        k.SetDword("ypos", 100);
        k.SetDword("eq4", static_cast<std::uint32_t>(-30));
    });
    CPlayerSettings s("/m");
    ASSERT_TRUE(s.LoadSettings(registry, dir.file("none.ini"), 1024, 768));
    EXPECT_EQ(s.cdpriority, 4);
    EXPECT_EQ(s.click2, 0);
    EXPECT_EQ(s.eq[3], 0);
    EXPECT_EQ(s.eq[4], -30);
    EXPECT_EQ(s.xpos, 0);
    EXPECT_EQ(s.ypos, 0);

    TempDir other;
    CRegistry empty(other.path());
    WriteFile(other.file("melvane.ini"), "#Melvane settings\nPRIORITY=0\nCLICK2=7\nRANDOM=1\nREPEAT=1\nWIDTH=5000\n");
    CPlayerSettings f("/m");
    ASSERT_FALSE(f.LoadSettings(empty, CPlayerSettings::SettingsFilePath(empty), 1024, 768));
    EXPECT_EQ(f.cdpriority, 4);
    EXPECT_EQ(f.click2, 0);
    EXPECT_EQ(f.repeattrack, 0);
    EXPECT_EQ(f.width, 516);
}

TEST(CPlayerSettings, DamagedStoresKeepWhatIsGood)
{
    TempDir dir;
    CRegistry registry(dir.path());
    std::filesystem::create_directories(dir.path());
    WriteFile(registry.HiveFile(RegistryRoot::CurrentUser).string(),
              std::string(1, '\0') + "\xff garbage\n[Software\\Melvane]\ndisplay=dword:00000001\n"
                          "fontsize=dword:zz\nvplsize=dword:0000000c\nfont=sz:bad\\escape\n"
                          "vplfont=sz:Fixed\n[Software\\Melvane\ncolour=dword:00000001\n"
                          "[software\\MELVANE]\n" + std::string(100000, 'x') + "\ngapless=dword:00000000\n"
                          "columncount=dword:00000002\ncolumn0=dword:000d0040\ncolumn1=sz:1\n");
    CPlayerSettings s("/m");
    EXPECT_TRUE(s.LoadSettings(registry, dir.file("none.ini"), kScreenWidth, kScreenHeight));
    EXPECT_EQ(s.display, 1);
    EXPECT_EQ(s.fontsize, 22);
    EXPECT_EQ(s.vplsize, 12);
    EXPECT_EQ(s.font, "Arial");
    EXPECT_EQ(s.vplfont, "Fixed");
    EXPECT_EQ(s.colour, 0x00FF00u);
    EXPECT_EQ(s.gapless, 0);
    EXPECT_EQ(ColumnList(s), std::vector<std::int32_t>{13});
    EXPECT_EQ(s.columnwidth[13], 64);

    // Random bytes in both stores: no crash, and everything stays within the checked ranges.
    std::mt19937 rng(12345);
    for (int round = 0; round < 50; ++round) {
        std::string noise(1 + rng() % 4000, '\0');
        for (char &c : noise)
            c = static_cast<char>(rng() % 4 == 0 ? "=[]\\\n:"[rng() % 6] : rng());
        WriteFile(registry.HiveFile(RegistryRoot::CurrentUser).string(), "[Software\\Melvane]\n" + noise);
        WriteFile(dir.file("noise.ini"), "#Melvane settings\n" + noise);
        CPlayerSettings n("/m");
        n.LoadSettings(registry, dir.file("noise.ini"), kScreenWidth, kScreenHeight);
        n.LoadSettingsFromFile(dir.file("noise.ini"));
        n.ValidateSettings(kScreenWidth, kScreenHeight);
        EXPECT_LE(n.ColumnCount(), 13);
        EXPECT_LE(n.vis.size(), 32u);
        EXPECT_GE(n.cdpriority, 1);
        EXPECT_LE(n.cdpriority, 6);
    }
}

TEST(CPlayerSettings, AnOversizedSettingsFileIsReadOnlyUpToItsLimit)
{
    TempDir dir;
    std::string text = "#Melvane settings\nFONTSIZE=30\n";
    const std::string filler = "# " + std::string(1000, '.') + "\n";
    while (text.size() < CPlayerSettings::kMaxSettingsFileBytes)
        text += filler;
    text += "VPLSIZE=40\n";
    WriteFile(dir.file("big.ini"), text);
    CPlayerSettings s("/m");
    s.LoadSettingsFromFile(dir.file("big.ini"));
    EXPECT_EQ(s.fontsize, 30);
    EXPECT_EQ(s.vplsize, 8);
}

TEST(CPlayerSettings, FreedbValues)
{
    TempDir dir;
    CRegistry registry(dir.path());
    EXPECT_EQ(CPlayerSettings::ReadFreedbEmail(registry), "");
    EXPECT_EQ(CPlayerSettings::ReadFreedbServer(registry), "");
    EXPECT_TRUE(CPlayerSettings::ReadFreedbServers(registry).empty());

    const std::string longServer = "http://" + std::string(300, 's') + "/~cddb/cddb.cgi";
    ASSERT_TRUE(CPlayerSettings::WriteFreedbAccount(registry, "me@example.org", longServer));
    EXPECT_EQ(CPlayerSettings::ReadFreedbEmail(registry), "me@example.org");
    EXPECT_EQ(CPlayerSettings::ReadFreedbServer(registry), longServer.substr(0, 255));

    ASSERT_TRUE(CPlayerSettings::WriteFreedbServers(registry, {"http://a:80/~cddb/cddb.cgi", "http://b:8880/x", longServer, "http://d/"}));
    ASSERT_TRUE(CPlayerSettings::WriteFreedbServers(registry, {"http://a:80/~cddb/cddb.cgi", "http://b:8880/x", longServer}));
    EXPECT_EQ(CPlayerSettings::ReadFreedbServers(registry),
              (std::vector<std::string>{"http://a:80/~cddb/cddb.cgi", "http://b:8880/x", longServer.substr(0, 255)}))
        << "a shorter list leaves nothing of the longer one";
    const std::string machine = ReadWholeFile(registry.HiveFile(RegistryRoot::LocalMachine).string());
    const std::string user = ReadWholeFile(registry.HiveFile(RegistryRoot::CurrentUser).string());
    EXPECT_NE(machine.find("[Software\\Melvane\\freedb]\n0=sz:http://a:80/~cddb/cddb.cgi\n"), std::string::npos);
    EXPECT_EQ(user.find("http://a:80"), std::string::npos) << "the server list is machine-wide";

    // The list ends at the first missing or empty value.
    registry.Update(RegistryRoot::LocalMachine, [](CRegistryHive &hive) {
        hive.SetValue(CPlayerSettings::kFreedbServersKey, "1", {RegistryValue::Type::String, 0, ""});
        return true;
    });
    EXPECT_EQ(CPlayerSettings::ReadFreedbServers(registry), std::vector<std::string>{"http://a:80/~cddb/cddb.cgi"});
    ASSERT_TRUE(CPlayerSettings::WriteFreedbServers(registry, {}));
    EXPECT_TRUE(CPlayerSettings::ReadFreedbServers(registry).empty());

    // The exit save neither writes nor removes the freedb values.
    CPlayerSettings s("/m");
    ASSERT_TRUE(s.SaveSettingsToRegistry(registry));
    EXPECT_EQ(CPlayerSettings::ReadFreedbEmail(registry), "me@example.org");
    CRegistryKey key;
    ASSERT_TRUE(key.Open(registry, RegistryRoot::CurrentUser, kKey));
    const auto names = key.ValueNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "freedb_email"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "freedb_server"), 1);
}

TEST(CPlayerSettings, SavingIntoAnUnwritableFolderFailsQuietly)
{
    TempDir dir;
    WriteFile(dir.file("file"), "x");
    CRegistry registry(dir.path() / "file");
    CPlayerSettings s("/m");
    EXPECT_FALSE(s.SaveSettingsToRegistry(registry));
    EXPECT_FALSE(CPlayerSettings::WriteFreedbAccount(registry, "a@b", "http://c/"));
    EXPECT_FALSE(CPlayerSettings::WriteFreedbServers(registry, {"http://c/"}));
    EXPECT_EQ(ReadWholeFile(dir.file("file")), "x");
}

} // namespace

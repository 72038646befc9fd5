// The in-memory hive: text form, escaping, tolerance of bad lines, key and value operations, the cut to
// 511 characters.

#include "platform/registry/CRegistryHive.h"

#include <gtest/gtest.h>

namespace {

constexpr const char *kKey = "Software\\Melvane";

RegistryValue Dword(std::uint32_t v) { return {RegistryValue::Type::Dword, v, {}}; }
RegistryValue Text(std::string s) { return {RegistryValue::Type::String, 0, std::move(s)}; }

// Characters of valid UTF-8 text: bytes that are not continuation bytes.
std::size_t Utf8Length(const std::string &text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        count += (c & 0xC0) != 0x80;
    return count;
}

std::string Repeat(const std::string &piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST(CRegistryHive, AwkwardNamesAndStringsRoundTripThroughText)
{
    std::string allControls;
    for (int c = 1; c < 32; ++c)
        allControls += static_cast<char>(c);
    allControls += '\x7f';
    const std::vector<std::string> texts = {
        "", "plain", "two trailing blanks  ", "  leading", "back\\slash\\", "line\nbreak\r\nend", "tab\t",
        allControls, std::string("nul\0inside", 10), "=sz:fake", "[Section]", "#not a comment",
        "; not a comment", "@", "\\x41 literal", "\xc3\xbc\x6e\xc3\xaf\x63\xc3\xb6\x64\xc3\xa9 \xe6\x97\xa5",
        "\xff\xfe invalid utf-8",
    };
    const std::vector<std::string> names = {
        "display", "with=equals", "[bracket", "bracket]", "@", "", "#hash", ";semi", "back\\slash",
        "new\nline", "sp ace", "x@y", "\xc3\xa9t\xc3\xa9",
    };

    CRegistryHive hive;
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_TRUE(hive.SetValue(kKey, names[i], Text(texts[i % texts.size()])));
        ASSERT_TRUE(hive.SetValue("Software\\Melvane\\Dwords", names[i], Dword(0xFFFFFFF0u + i)));
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(hive.SetValue("Software\\Melvane\\Texts", "t" + std::to_string(i), Text(texts[i])));

    const std::string serialized = hive.Serialize();
    CRegistryHive reread;
    EXPECT_EQ(reread.Parse(serialized), 0u) << serialized;
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE("name #" + std::to_string(i));
        const RegistryValue *text = reread.FindValue(kKey, names[i]);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(*text, Text(texts[i % texts.size()]));
        const RegistryValue *dword = reread.FindValue("Software\\Melvane\\Dwords", names[i]);
        ASSERT_NE(dword, nullptr);
        EXPECT_EQ(*dword, Dword(0xFFFFFFF0u + i));
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE("text #" + std::to_string(i));
        const RegistryValue *text = reread.FindValue("Software\\Melvane\\Texts", "t" + std::to_string(i));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text, texts[i]);
    }
    EXPECT_EQ(reread.ValueNames(kKey), names) << "creation order is kept";
    EXPECT_EQ(reread.Serialize(), serialized);
}

TEST(CRegistryHive, TextFormIsOneReadableLinePerValue)
{
    CRegistryHive hive;
    hive.SetValue(kKey, "display", Dword(42));
    hive.SetValue(kKey, "font", Text("Arial"));
    hive.SetValue(kKey, "lastdir", Text("C:\\x\ny"));
    hive.SetValue("Software\\Melvane\\freedb", "0", Text("http://a/"));
    const std::string text = hive.Serialize();
    EXPECT_NE(text.find("\n[Software\\Melvane]\ndisplay=dword:0000002a\nfont=sz:Arial\n"
                        "lastdir=sz:C:\\\\x\\ny\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\n[Software\\Melvane\\freedb]\n0=sz:http://a/\n"), std::string::npos) << text;
}

TEST(CRegistryHive, BadLinesAreSkippedAndGoodOnesKept)
{
    struct Case {
        const char *what;
        std::string bad;
    };
    const std::vector<Case> cases = {
        {"unknown escape", "b=sz:a\\qb"},
        {"cut hex escape", "b=sz:a\\x4"},
        {"bad hex escape", "b=sz:\\xZZ"},
        {"trailing backslash", "b=sz:abc\\"},
        {"escape in name", "b\\q=sz:x"},
        {"unknown type", "b=binary:0001"},
        {"no type", "b=12"},
        {"dword with nine digits", "b=dword:123456789"},
        {"dword not hex", "b=dword:xyz"},
        {"empty dword", "b=dword:"},
        {"dword with blank", "b=dword: 1"},
        {"no equals sign", "b"},
        {"empty name", "=sz:x"},
        {"name too long", std::string(300, 'n') + "=sz:x"},
        {"overlong line", "b=sz:" + std::string(CRegistryHive::kMaxLineBytes, 'x')},
        {"nul in line", std::string("b=dword:0\0" "1", 11)},
        {"section without end", "[Software\\Melvane\nb=sz:x"},
        {"section with control", "[Software\\Mel\x01vane]\nb=sz:x"},
        {"empty section", "[]\nb=sz:x"},
        {"only backslashes", "[\\\\]\nb=sz:x"},
        {"section name too long", "[" + std::string(300, 'k') + "]\nb=sz:x"},
        {"binary junk", std::string("\x00\xff\xfe[\x80]=\x01", 8)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = "# comment\n; comment\n\n[Software\\Melvane]\r\ngood1=dword:00000001\r\n" +
                                 c.bad + "\n[software\\melvane]\ngood2=sz:ok\n";
        CRegistryHive hive;
        EXPECT_GT(hive.Parse(text), 0u);
        EXPECT_EQ(hive.ValueNames(kKey), (std::vector<std::string>{"good1", "good2"}));
        ASSERT_NE(hive.FindValue(kKey, "good1"), nullptr);
        EXPECT_EQ(*hive.FindValue(kKey, "good1"), Dword(1));
        ASSERT_NE(hive.FindValue(kKey, "good2"), nullptr);
        EXPECT_EQ(*hive.FindValue(kKey, "good2"), Text("ok"));
    }
}

TEST(CRegistryHive, ValuesBeforeAnySectionBelongNowhere)
{
    CRegistryHive hive;
    EXPECT_EQ(hive.Parse("stray=dword:00000001\n[K]\nx=dword:00000002\n"), 1u);
    EXPECT_EQ(hive.SubKeyNames(""), std::vector<std::string>{"K"});
    EXPECT_EQ(hive.ValueNames("K"), std::vector<std::string>{"x"});
}

TEST(CRegistryHive, TextBeyondTheSizeLimitIsIgnoredWithoutCuttingALine)
{
    std::string text = "[K]\nearly=sz:kept\n";
    const std::string filler = "#" + std::string(998, '-') + "\n";
    while (text.size() + 2 * filler.size() < CRegistryHive::kMaxTextBytes)
        text += filler;
    text += "#" + std::string(CRegistryHive::kMaxTextBytes - 20 - text.size() - 2, '-') + "\n";
    ASSERT_EQ(text.size(), CRegistryHive::kMaxTextBytes - 20);
    // This line straddles the limit: it must be dropped, not read as a shorter value.
    text += "straddle=sz:" + std::string(40, 'z') + "\n";
    text += "late=dword:00000001\n";
    ASSERT_GT(text.size(), CRegistryHive::kMaxTextBytes);

    CRegistryHive hive;
    hive.Parse(text);
    EXPECT_EQ(hive.ValueNames("K"), std::vector<std::string>{"early"});
}

TEST(CRegistryHive, StringsAreCutTo511CharactersOnCharacterBoundaries)
{
    struct Case {
        const char *what;
        std::string input;
        std::string expected;
    };
    const std::string a510(510, 'a');
    const std::vector<Case> cases = {
        {"short", "short", "short"},
        {"exactly 511", std::string(511, 'x'), std::string(511, 'x')},
        {"600 ASCII", std::string(600, 'x'), std::string(511, 'x')},
        {"600 two-byte", Repeat("\xc3\xa9", 600), Repeat("\xc3\xa9", 511)},
        {"three-byte last", a510 + "\xe2\x82\xac" + "b", a510 + "\xe2\x82\xac"},
        {"four-byte last", a510 + "\xf0\x9f\x98\x80" + "x", a510 + "\xf0\x9f\x98\x80"},
        {"four-byte after limit", a510 + "b\xf0\x9f\x98\x80", a510 + "b"},
        {"invalid bytes count one each", std::string(600, '\xff'), std::string(511, '\xff')},
        {"stray continuation bytes", std::string(600, '\x80'), std::string(511, '\x80')},
        {"incomplete sequence", a510 + "\xe2\x82" + "z", a510 + "\xe2"},
        {"overlong encoding", a510 + "\xc0\xaf", a510 + "\xc0"},
        {"surrogate", a510 + "\xed\xa0\x80", a510 + "\xed"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CRegistryHive::CutToCharacters(c.input, CRegistryHive::kMaxStringChars), c.expected);

        CRegistryHive hive;
        hive.SetValue(kKey, "v", Text(c.input));
        ASSERT_NE(hive.FindValue(kKey, "v"), nullptr);
        EXPECT_EQ(hive.FindValue(kKey, "v")->text, c.expected);
        // A hand-written hive holding a longer string reads as the same cut.
        CRegistryHive parsed;
        std::string text = "[K]\nv=sz:";
        for (char ch : c.input)
            text += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        parsed.Parse(text + "\n");
        ASSERT_NE(parsed.FindValue("K", "v"), nullptr);
        EXPECT_EQ(parsed.FindValue("K", "v")->text, c.expected);
    }
    const std::string cut = CRegistryHive::CutToCharacters(Repeat("\xe6\x97\xa5\xc3\xa9z", 300), 511);
    EXPECT_EQ(Utf8Length(cut), 511u);
}

TEST(CRegistryHive, KeysAndNamesIgnoreLetterCaseAndKeepTheirSpelling)
{
    CRegistryHive hive;
    ASSERT_TRUE(hive.SetValue("Software\\Melvane", "Display", Dword(1)));
    EXPECT_TRUE(hive.HasKey("SOFTWARE\\melvane\\"));
    EXPECT_TRUE(hive.HasKey("\\Software\\\\Melvane"));
    EXPECT_TRUE(hive.HasKey("Software")) << "parents are created";
    ASSERT_NE(hive.FindValue("software\\MELVANE", "DISPLAY"), nullptr);
    ASSERT_TRUE(hive.SetValue("SOFTWARE\\MELVANE", "display", Dword(7)));
    EXPECT_EQ(hive.ValueNames(kKey), std::vector<std::string>{"Display"});
    EXPECT_EQ(hive.FindValue(kKey, "display")->dword, 7u);
    EXPECT_NE(hive.Serialize().find("[Software\\Melvane]\nDisplay=dword:00000007"), std::string::npos);
}

TEST(CRegistryHive, DeletingKeysAndValues)
{
    CRegistryHive hive;
    hive.SetValue("Software\\Melvane", "a", Dword(1));
    hive.SetValue("Software\\Melvane", "b", Dword(2));
    hive.SetValue("Software\\Melvane", "c", Dword(3));
    hive.SetValue("Software\\Melvane\\freedb", "0", Text("x"));
    hive.SetValue("Software\\Melvane\\freedb\\deeper", "0", Text("x"));
    hive.SetValue("Software\\MelvaneOther", "keep", Dword(4));
    hive.CreateKey("Software\\Melvane\\Spectrum Analyser");

    EXPECT_EQ(hive.SubKeyNames(kKey), (std::vector<std::string>{"freedb", "Spectrum Analyser"}));
    EXPECT_EQ(hive.SubKeyNames("Software"), (std::vector<std::string>{"Melvane", "MelvaneOther"}));

    EXPECT_TRUE(hive.DeleteValue(kKey, "a"));
    EXPECT_FALSE(hive.DeleteValue(kKey, "a"));
    EXPECT_EQ(hive.ValueNames(kKey), (std::vector<std::string>{"b", "c"}));
    ASSERT_NE(hive.FindValue(kKey, "c"), nullptr);
    EXPECT_EQ(hive.FindValue(kKey, "c")->dword, 3u);
    hive.SetValue(kKey, "b", Dword(20));
    EXPECT_EQ(hive.FindValue(kKey, "b")->dword, 20u);
    EXPECT_EQ(hive.FindValue(kKey, "c")->dword, 3u);

    EXPECT_TRUE(hive.DeleteKey("software\\melvane\\FREEDB"));
    EXPECT_FALSE(hive.HasKey("Software\\Melvane\\freedb"));
    EXPECT_FALSE(hive.HasKey("Software\\Melvane\\freedb\\deeper"));
    EXPECT_TRUE(hive.HasKey(kKey));
    EXPECT_TRUE(hive.DeleteKey(kKey));
    EXPECT_FALSE(hive.HasKey("Software\\Melvane\\Spectrum Analyser"));
    ASSERT_NE(hive.FindValue("Software\\MelvaneOther", "keep"), nullptr) << "a key sharing the prefix stays";
    EXPECT_FALSE(hive.DeleteKey(kKey));
}

TEST(CRegistryHive, KeyPathRules)
{
    struct Case {
        std::string path;
        std::optional<std::string> normalized;
    };
    const std::vector<Case> cases = {
        {"Software\\Melvane", "Software\\Melvane"},
        {"\\Software\\\\Melvane\\", "Software\\Melvane"},
        {"", ""},
        {"\\\\", ""},
        {"Spectrum Analyser", "Spectrum Analyser"},
        {"a\nb", std::nullopt},
        {"a\x7f", std::nullopt},
        {std::string(255, 'k'), std::string(255, 'k')},
        {std::string(256, 'k'), std::nullopt},
        {Repeat(std::string(200, 'k') + "\\", 6), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CRegistryHive::NormalizePath(c.path), c.normalized);
        CRegistryHive hive;
        const bool valid = c.normalized && !c.normalized->empty();
        EXPECT_EQ(hive.SetValue(c.path, "v", Dword(1)), valid);
        EXPECT_EQ(hive.CreateKey(c.path), valid);
    }
    CRegistryHive hive;
    EXPECT_FALSE(hive.SetValue(kKey, std::string(256, 'n'), Dword(1)));
    EXPECT_TRUE(hive.SetValue(kKey, std::string(255, 'n'), Dword(1)));
}

} // namespace

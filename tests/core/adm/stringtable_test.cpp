#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/adm/stringtable.h"
#include "tests/testsupport.h"

namespace {

// The table as "name=text" lines in its order.
std::string Dump(const cStringMap& map) {
    std::string out;
    for (const auto& [name, text] : map.Entries())
        out += ToUtf8(name) + "=" + ToUtf8(text) + "\n";
    return out;
}

std::string Load(const char* utf8) {
    cStringMap map;
    EXPECT_TRUE(LoadStrings(FromUtf8(utf8), map));
    return Dump(map);
}

using StringsCase = cTextCase;

class StringsSection : public ::testing::TestWithParam<StringsCase> {};

TEST_P(StringsSection, LoadsTheExpectedTable) {
    EXPECT_EQ(Load(GetParam().input), GetParam().expected) << GetParam().name;
}

const StringsCase kStringsCases[] = {
    {"quoted text", "[strings]\nname = \"Hello World\"\n", "name=Hello World\n"},
    {"first and last character go", "[strings]\nname=\"Hello\"x\n", "name=Hello\"\n"},
    {"a lone quote", "[strings]\nname=\"\n", "name=\n"},
    {"plain text", "[strings]\r\nname=Hello\r\n", "name=Hello\n"},
    {"first equals sign splits", "[strings]\na=b=c\n", "a=b=c\n"},
    {"no equals sign", "[strings]\n  just text  \n", "=just text\n"},
    {"backslash kept", "[strings]\na=x\\ny\n", "a=x\\ny\n"},
    {"later text wins, first place kept", "[strings]\na=1\nb=2\na=3\n", "a=3\nb=2\n"},
    {"header case and blanks", "  [ StRiNgS ]  \na=1", "a=1\n"},
    {"blank and comment lines", "[strings]\n\n   \n; a=1\n  ;b=2\nc=3\n", "c=3\n"},
    {"other sections ignored", "CLASS x\n[other]\na=1\n[strings]\nb=2\n[more]\nc=3\n", "b=2\n"},
    {"no section", "CLASS MACHINE\na=1\n", ""},
    {"empty section", "[strings]\n[x]\na=1", ""},
    {"not a header without bracket", "[strings]\n[a=1\n", "[a=1\n"},
};

INSTANTIATE_TEST_SUITE_P(Strings, StringsSection, ::testing::ValuesIn(kStringsCases),
                         CaseName<StringsSection::ParamType>);

TEST(StringsSection, AnySizeIsReadWhole) {
    Text text = u"[strings]\n";
    for (int i = 0; i < 30000; ++i)
        text += u"name" + FromUtf8(std::to_string(i)) + u"=\"" + Text(40, u'x') + u"\"\n";
    ASSERT_GT(text.size(), 1000000u);
    cStringMap map;
    ASSERT_TRUE(LoadStrings(text, map));
    ASSERT_EQ(map.Size(), 30000u);
    EXPECT_EQ(map.Entries().back().first, u"name29999");
    EXPECT_EQ(*map.Find(u"name29999"), Text(40, u'x'));
}

// Only a "[" that begins a line (after blanks) can open the section, and the lines logged
// keep their numbers however much text before the section is passed over.
TEST(StringsSection, FindsTheHeaderOnlyAtTheStartOfALine) {
    cStringMap map;
    cReadLog log;
    ASSERT_TRUE(
        LoadStrings(u"CLASS [strings]\r\nx=\"no\"\r\n\r\n  [other]\r\ny=1\r\n"
                    u"POLICY \"[strings]\"\r\n\t[Strings]\r\na=\"A\"\r\n  b = B\r\n",
                    map, &log));
    EXPECT_EQ(map.Entries(), (std::vector<cStringMap::Entry>{{u"a", u"A"}, {u"b", u"B"}}));
    EXPECT_EQ(log.stringsFirstLine, 7);
    EXPECT_EQ(log.stringsLastLine, 9);
    ASSERT_EQ(log.strings.size(), 2u);
    EXPECT_EQ(log.strings[1].line, 9);
}

TEST(StringMap, KeepsOrderAndIndexThroughRemoval) {
    cStringMap map;
    map.Set(u"a", u"1");
    map.Set(u"b", u"2");
    map.Set(u"c", u"3");
    EXPECT_TRUE(map.Remove(u"a"));
    EXPECT_FALSE(map.Remove(u"a"));
    map.Set(u"c", u"4");
    map.Set(u"a", u"5");
    EXPECT_EQ(Dump(map), "b=2\nc=4\na=5\n");
    EXPECT_EQ(*map.Find(u"b"), u"2");
    map.Clear();
    EXPECT_TRUE(map.Empty());
    EXPECT_FALSE(map.Contains(u"b"));
}

TEST(StringMap, ManyNamesStayFindableThroughGrowthAndRemoval) {
    cStringMap map;
    constexpr int kNames = 5000;
    auto name = [](int i) { return FromUtf8("Name_" + std::to_string(i)); };
    for (int i = 0; i < kNames; ++i)
        map.Set(name(i), FromUtf8(std::to_string(i)));
    // Names differ by case only: two entries.
    map.Set(u"name_7", u"lower");
    map.Set(name(10), u"ten");
    ASSERT_EQ(map.Size(), size_t(kNames + 1));
    EXPECT_EQ(map.Entries()[10].second, u"ten");
    EXPECT_TRUE(map.Remove(name(3)));
    for (int i = 0; i < kNames; ++i) {
        const Text* text = map.Find(name(i));
        if (i == 3) {
            EXPECT_EQ(text, nullptr);
            continue;
        }
        ASSERT_NE(text, nullptr) << i;
        EXPECT_EQ(*text, i == 10 ? Text(u"ten") : FromUtf8(std::to_string(i)));
    }
    EXPECT_EQ(*map.Find(u"name_7"), u"lower");
    EXPECT_EQ(map.Entries().back().first, u"name_7");
    EXPECT_FALSE(map.Contains(u"Name_"));
}

TEST(StringMap, ResolvesOnlyReferencesToKnownNames) {
    cStringMap map;
    map.Set(u"Cat", u"Category text");
    map.Set(u"", u"nameless");
    EXPECT_EQ(ResolveText(map, u"!!Cat"), u"Category text");
    EXPECT_EQ(ResolveText(map, u"!!cat"), u"!!cat");
    EXPECT_EQ(ResolveText(map, u"!!Missing"), u"!!Missing");
    EXPECT_EQ(ResolveText(map, u"!Cat"), u"!Cat");
    EXPECT_EQ(ResolveText(map, u"Cat"), u"Cat");
    EXPECT_EQ(ResolveText(map, u" !!Cat"), u" !!Cat");
    EXPECT_EQ(ResolveText(map, u"!"), u"!");
    EXPECT_EQ(ResolveText(map, u"!!"), u"nameless");
}

TEST(StringMap, MergeReplacesSharedNamesAndAppendsNewOnes) {
    cStringMap target;
    target.Set(u"Foo", u"mine");
    target.Set(u"Bar", u"kept");
    cStringMap source;
    source.Set(u"New2", u"b");
    source.Set(u"Foo", u"theirs");
    source.Set(u"New1", u"a");
    MergeStrings(target, source);
    EXPECT_EQ(Dump(target), "Foo=theirs\nBar=kept\nNew2=b\nNew1=a\n");
    EXPECT_EQ(Dump(source), "New2=b\nFoo=theirs\nNew1=a\n");
}

}  // namespace

#include <gtest/gtest.h>

#include <fstream>
#include <list>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/check/policyplace.h"
#include "core/check/regtext.h"
#include "core/model/nodeobjects.h"
#include "tests/core/admx/admxsample.h"
#include "tests/core/check/checktest.h"

namespace {

const cObjPolicy& FirstPolicy(const CPelwinDoc& doc) {
    const cObjPolicy* found = nullptr;
    ForEachPolicy(doc, [&](const cTreeItem&, const cObjPolicy& policy) {
        if (!found)
            found = &policy;
    });
    EXPECT_NE(found, nullptr);
    return *found;
}

// The .reg text of the template's first policy, without its header line.
std::string Reg(const std::string& bytes, cPolicyState state,
                const std::vector<cPartValue>& values = {}) {
    auto doc = ReadTemplateText(bytes);
    const cObjPolicy& policy = FirstPolicy(*doc);
    std::string text = ToUtf8(
        RegFileText(PolicyWrites(policy, state, values, *doc), PolicyClasses(*policy.treeItem)));
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    EXPECT_EQ(text.substr(0, header.size()), header);
    return text.substr(header.size());
}

std::string Commands(const std::string& bytes, cPolicyState state,
                     const std::vector<cPartValue>& values = {}) {
    auto doc = ReadTemplateText(bytes);
    const cObjPolicy& policy = FirstPolicy(*doc);
    return ToUtf8(
        RegExeCommands(PolicyWrites(policy, state, values, *doc), PolicyClasses(*policy.treeItem)));
}

#define HEAD "CLASS MACHINE\nCATEGORY Cat\n KEYNAME Software\\T\n POLICY \"Pol\"\n"
#define TAIL " END POLICY\nEND CATEGORY\n"
#define SECTION "[HKEY_LOCAL_MACHINE\\Software\\T]\n"

struct cValueCase {
    const char* name;
    const char* body;
    const char* enabled;
    const char* disabled;
};

void PrintTo(const cValueCase& c, std::ostream* os) {
    *os << c.name;
}

class RegValue : public ::testing::TestWithParam<cValueCase> {};

TEST_P(RegValue, WritesWhatTheTemplateSays) {
    const std::string bytes = std::string(HEAD) + GetParam().body + TAIL;
    EXPECT_EQ(Reg(bytes, cPolicyState::Enabled), GetParam().enabled);
    EXPECT_EQ(Reg(bytes, cPolicyState::Disabled), GetParam().disabled);
}

const cValueCase kValues[] = {
    // A policy's own value: on by default a DWORD 1, off by default removed.
    {"Defaults", "VALUENAME v", SECTION "\"v\"=dword:00000001\n", SECTION "\"v\"=-\n"},
    {"Numeric", "VALUENAME v VALUEON NUMERIC 10 VALUEOFF NUMERIC -1",
     SECTION "\"v\"=dword:0000000a\n", SECTION "\"v\"=dword:ffffffff\n"},
    {"String", "VALUENAME v VALUEON \"a b\\c\" VALUEOFF \"\"", SECTION "\"v\"=\"a b\\\\c\"\n",
     SECTION "\"v\"=\"\"\n"},
    {"Delete", "VALUENAME v VALUEON DELETE VALUEOFF NUMERIC 0", SECTION "\"v\"=-\n",
     SECTION "\"v\"=dword:00000000\n"},
    {"NotANumber", "VALUENAME v VALUEON NUMERIC 12x",
     SECTION "; NUMERIC 12x of v is no 32-bit number: nothing is written\n", SECTION "\"v\"=-\n"},
    {"TheDefaultValue", "VALUENAME \"\" VALUEON \"x\"", SECTION "@=\"x\"\n", SECTION "@=-\n"},
    // Action lists: each group under its own key, entries in order.
    {"ActionLists",
     "ACTIONLISTON VALUENAME a VALUE NUMERIC 1 KEYNAME Software\\U VALUENAME b VALUE \"on\" "
     "END ACTIONLISTON ACTIONLISTOFF VALUENAME a VALUE DELETE END ACTIONLISTOFF",
     SECTION "\"a\"=dword:00000001\n\n[HKEY_LOCAL_MACHINE\\Software\\U]\n\"b\"=\"on\"\n",
     SECTION "\"a\"=-\n"},
    {"Nothing", "EXPLAIN \"x\"", "; nothing is written\n", "; nothing is written\n"},
};

INSTANTIATE_TEST_SUITE_P(Each, RegValue, ::testing::ValuesIn(kValues), CaseName<cValueCase>);

struct cPartCase {
    const char* name;
    const char* part;
    cPartValue value;
    const char* enabled;  // the part's lines below the policy's section
    const char* disabled;
};

void PrintTo(const cPartCase& c, std::ostream* os) {
    *os << c.name;
}

class RegPart : public ::testing::TestWithParam<cPartCase> {};

TEST_P(RegPart, WritesThePanelsValueAndRemovesItWhenDisabled) {
    const std::string bytes = std::string(HEAD) + GetParam().part + TAIL;
    EXPECT_EQ(Reg(bytes, cPolicyState::Enabled, {GetParam().value}), GetParam().enabled);
    EXPECT_EQ(Reg(bytes, cPolicyState::Disabled, {GetParam().value}), GetParam().disabled);
}

cPartValue Checked(bool on) {
    cPartValue value;
    value.checked = on;
    return value;
}
cPartValue Typed(const char* text) {
    cPartValue value;
    value.text = FromUtf8(text);
    return value;
}
cPartValue Item(size_t index) {
    cPartValue value;
    value.item = index;
    return value;
}
cPartValue Entries(std::vector<std::pair<Text, Text>> entries) {
    cPartValue value;
    value.entries = std::move(entries);
    return value;
}

#define BOX "PART \"Box\" CHECKBOX VALUENAME c "

const cPartCase kParts[] = {
    {"CheckBoxOnByDefault", BOX "END PART", Checked(true), SECTION "\"c\"=dword:00000001\n",
     SECTION "\"c\"=-\n"},
    {"CheckBoxOffByDefault", BOX "END PART", Checked(false), SECTION "\"c\"=dword:00000000\n",
     SECTION "\"c\"=-\n"},
    {"CheckBoxValuesAndLists",
     BOX "VALUEON \"yes\" VALUEOFF DELETE ACTIONLISTON VALUENAME x VALUE NUMERIC 5 END "
         "ACTIONLISTON ACTIONLISTOFF VALUENAME x VALUE DELETE END ACTIONLISTOFF END PART",
     Checked(false), SECTION "\"c\"=-\n\"x\"=-\n", SECTION "\"c\"=-\n"},
    {"EditText", "PART \"E\" EDITTEXT VALUENAME e END PART", Typed("C:\\dir"),
     SECTION "\"e\"=\"C:\\\\dir\"\n", SECTION "\"e\"=-\n"},
    {"ExpandableText", "PART \"E\" EDITTEXT VALUENAME e EXPANDABLETEXT END PART", Typed("%A%\\b"),
     SECTION "\"e\"=hex(2):25,00,41,00,25,00,5c,00,62,00,00,00\n", SECTION "\"e\"=-\n"},
    {"TextWithALineBreak", "PART \"E\" EDITTEXT VALUENAME e END PART", Typed("a\nb"),
     SECTION "\"e\"=hex(1):61,00,0a,00,62,00,00,00\n", SECTION "\"e\"=-\n"},
    {"ComboBox",
     "PART \"C\" COMBOBOX KEYNAME Software\\C VALUENAME k SUGGESTIONS a b END "
     "SUGGESTIONS END PART",
     Typed("typed"), "[HKEY_LOCAL_MACHINE\\Software\\C]\n\"k\"=\"typed\"\n",
     "[HKEY_LOCAL_MACHINE\\Software\\C]\n\"k\"=-\n"},
    {"Numeric", "PART \"N\" NUMERIC VALUENAME n END PART", Typed("300"),
     SECTION "\"n\"=dword:0000012c\n", SECTION "\"n\"=-\n"},
    {"NumericAsText", "PART \"N\" NUMERIC VALUENAME n TXTCONVERT END PART", Typed(" 300 "),
     SECTION "\"n\"=\"300\"\n", SECTION "\"n\"=-\n"},
    {"NumericEmpty", "PART \"N\" NUMERIC VALUENAME n END PART", Typed(""),
     SECTION "; \"N\": no number to write\n", SECTION "\"n\"=-\n"},
    {"DropDownItem",
     "PART \"D\" DROPDOWNLIST VALUENAME d ITEMLIST NAME a VALUE NUMERIC 1 NAME b VALUE \"two\" "
     "ACTIONLIST KEYNAME Software\\X VALUENAME side VALUE NUMERIC 9 END ACTIONLIST END ITEMLIST "
     "END PART",
     Item(1),
     SECTION "\"d\"=\"two\"\n\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"side\"=dword:00000009\n",
     SECTION "\"d\"=-\n"},
    {"DropDownDeleteItem",
     "PART \"D\" DROPDOWNLIST VALUENAME d ITEMLIST NAME a VALUE DELETE END ITEMLIST END PART",
     Item(0), SECTION "\"d\"=-\n", SECTION "\"d\"=-\n"},
    {"DropDownNothingChosen",
     "PART \"D\" DROPDOWNLIST VALUENAME d ITEMLIST NAME a VALUE NUMERIC 1 END ITEMLIST END PART",
     cPartValue(), SECTION "; \"D\": no item chosen\n", SECTION "\"d\"=-\n"},
    {"ListBoxWithPrefix", "PART \"L\" LISTBOX KEYNAME Software\\L VALUEPREFIX \"\" END PART",
     Entries({{u"", u"a.com"}, {u"", u"b.com"}}),
     "[HKEY_LOCAL_MACHINE\\Software\\L]\n; every value of this key is deleted before the list's "
     "values are written\n\"1\"=\"a.com\"\n\"2\"=\"b.com\"\n",
     "[HKEY_LOCAL_MACHINE\\Software\\L]\n; every value of this key is deleted before the list's "
     "values are written\n"},
    {"ListBoxExplicitAdditive", "PART \"L\" LISTBOX EXPLICITVALUE ADDITIVE END PART",
     Entries({{u"name", u"value"}}), SECTION "\"name\"=\"value\"\n",
     SECTION "; every value of this key is deleted before the list's values are written\n"},
    {"ListBoxNamedByText", "PART \"L\" LISTBOX ADDITIVE END PART", Entries({{u"", u"x"}}),
     SECTION "\"x\"=\"x\"\n",
     SECTION "; every value of this key is deleted before the list's values are written\n"},
    {"ListBoxEmpty", "PART \"L\" LISTBOX ADDITIVE VALUEPREFIX p END PART", cPartValue(),
     SECTION "; \"L\": each entry of the list as a value named p1, p2, …\n",
     SECTION "; every value of this key is deleted before the list's values are written\n"},
    {"TextPart", "PART \"Read me\" TEXT END PART", cPartValue(), "; nothing is written\n",
     "; nothing is written\n"},
};

INSTANTIATE_TEST_SUITE_P(Each, RegPart, ::testing::ValuesIn(kParts), CaseName<cPartCase>);

// A set of one machine policy under key Software\T, with one element shown by one control.
std::filesystem::path PutOnePolicySet(const cTempSet& set, const std::string& element,
                                      const std::string& control) {
    set.Put("en-US/t.adml",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<policyDefinitionResources "
            "revision=\"1.0\" schemaVersion=\"1.0\"><displayName>T</displayName><description>T"
            "</description><resources><stringTable><string id=\"Cat\">Cat</string><string "
            "id=\"Pol\">Pol</string></stringTable><presentationTable><presentation id=\"Pol\">" +
                control +
                "</presentation></presentationTable></resources>"
                "</policyDefinitionResources>\n");
    return set.Put(
        "t.admx",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<policyDefinitions xmlns=\"http://schemas."
        "microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\" revision=\"1.0\" "
        "schemaVersion=\"1.0\"><policyNamespaces><target prefix=\"t\" namespace=\"T\"/>"
        "</policyNamespaces><resources minRequiredRevision=\"1.0\"/><categories><category "
        "name=\"Cat\" displayName=\"$(string.Cat)\"/></categories><policies><policy name=\"Pol\" "
        "class=\"Machine\" displayName=\"$(string.Pol)\" key=\"Software\\T\" "
        "presentation=\"$(presentation.Pol)\"><parentCategory ref=\"Cat\"/><elements>" +
            element + "</elements></policy></policies></policyDefinitions>\n");
}

struct cAdmxPartCase {
    const char* name;
    const char* element;
    const char* control;
    const char* typed;
    const char* enabled;  // the lines below the policy's section
};

void PrintTo(const cAdmxPartCase& c, std::ostream* os) {
    *os << c.name;
}

class RegAdmxPart : public ::testing::TestWithParam<cAdmxPartCase> {};

TEST_P(RegAdmxPart, WritesThePanelsValueAndRemovesItWhenDisabled) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, PutOnePolicySet(set, GetParam().element, GetParam().control)));
    const cObjPolicy& policy = FirstPolicy(doc);
    ASSERT_EQ(policy.Parts().size(), 1u);
    auto reg = [&](cPolicyState state) {
        return ToUtf8(RegFileText(PolicyWrites(policy, state, {Typed(GetParam().typed)}, doc),
                                  PolicyClasses(*policy.treeItem)));
    };
    const std::string head = "Windows Registry Editor Version 5.00\n\n" SECTION;
    EXPECT_EQ(reg(cPolicyState::Enabled), head + GetParam().enabled);
    EXPECT_EQ(reg(cPolicyState::Disabled), head + "\"v\"=-\n");
}

#define LONG_NUM "<longDecimal id=\"N\" valueName=\"v\"/>"
#define LONG_BOX "<longDecimalTextBox refId=\"N\">Big</longDecimalTextBox>"
#define MULTI "<multiText id=\"M\" valueName=\"v\"/>"
#define MULTI_BOX "<multiTextBox refId=\"M\">Lines</multiTextBox>"

const cAdmxPartCase kAdmxParts[] = {
    {"Qword", LONG_NUM, LONG_BOX, "10000000000", "\"v\"=hex(b):00,e4,0b,54,02,00,00,00\n"},
    {"QwordLargest", LONG_NUM, LONG_BOX, " 18446744073709551615 ",
     "\"v\"=hex(b):ff,ff,ff,ff,ff,ff,ff,ff\n"},
    {"QwordTooLarge", LONG_NUM, LONG_BOX, "18446744073709551616",
     "; \"Big\": no number to write\n"},
    {"QwordNegative", LONG_NUM, LONG_BOX, "-1", "; \"Big\": no number to write\n"},
    {"QwordAsText", "<longDecimal id=\"N\" valueName=\"v\" storeAsText=\"true\"/>", LONG_BOX, "42",
     "\"v\"=\"42\"\n"},
    // One string a line, whatever the line ends; empty lines are left out.
    {"MultiString", MULTI, MULTI_BOX, "a\r\nb\n\nc\n",
     "\"v\"=hex(7):61,00,00,00,62,00,00,00,63,00,00,00,00,00\n"},
};

INSTANTIATE_TEST_SUITE_P(Each, RegAdmxPart, ::testing::ValuesIn(kAdmxParts),
                         CaseName<cAdmxPartCase>);

TEST(RegText, PartsWithoutAPanelValueStartAsThePreviewShowsThem) {
    const std::string bytes = HEAD
        "PART \"B\" CHECKBOX VALUENAME b DEFCHECKED END PART\n"
        "PART \"E\" EDITTEXT VALUENAME e DEFAULT !!Text END PART\n"
        "PART \"N\" NUMERIC VALUENAME n DEFAULT 7 END PART\n"
        "PART \"D\" DROPDOWNLIST VALUENAME d ITEMLIST NAME a VALUE 1 NAME b VALUE 2 DEFAULT\n"
        "  END ITEMLIST END PART\n" TAIL "[strings]\nText=\"shown\"\n";
    // The check box starts cleared whatever DEFCHECKED says, as its panel does.
    EXPECT_EQ(Reg(bytes, cPolicyState::Enabled),
              SECTION "\"b\"=dword:00000000\n\"e\"=\"shown\"\n\"n\"=dword:00000007\n\"d\"=\"2\"\n");
}

TEST(RegText, ClassesChooseTheHive) {
    auto doc = ReadTemplateText(
        "CLASS USER\nCATEGORY C KEYNAME K POLICY P VALUENAME v END POLICY "
        "END CATEGORY\n");
    const cObjPolicy& policy = FirstPolicy(*doc);
    auto writes = PolicyWrites(policy, cPolicyState::Enabled, {}, *doc);
    EXPECT_EQ(
        ToUtf8(RegFileText(writes, PolicyClasses(*policy.treeItem))),
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000001\n");
    // A policy of both classes is written under both hives; a class the registry does not
    // know is named.
    EXPECT_EQ(ToUtf8(RegFileText(writes, {u"MACHINE", u"USER"})),
              "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n"
              "\"v\"=dword:00000001\n\n[HKEY_CURRENT_USER\\K]\n\"v\"=dword:00000001\n");
    EXPECT_EQ(ToUtf8(RegExeCommands(writes, {u"MACHINE", u"USER"})),
              "reg add \"HKLM\\K\" /v \"v\" /t REG_DWORD /d 1 /f\n"
              "reg add \"HKCU\\K\" /v \"v\" /t REG_DWORD /d 1 /f\n");
    EXPECT_EQ(ToUtf8(RegFileText(writes, {u"OTHER"})),
              "Windows Registry Editor Version 5.00\n\n; the class OTHER has no registry hive: "
              "nothing is written\n");
}

TEST(RegText, KeysAreGroupedWithoutRegardToCaseAndEmptyKeysAreNamed) {
    std::vector<cRegWrite> writes(3);
    writes[0].kind = writes[1].kind = writes[2].kind = cRegKind::DeleteValue;
    writes[0].key = u"Software\\A";
    writes[0].valueName = u"x";
    writes[1].key = u"";
    writes[1].valueName = u"y";
    writes[2].key = u"SOFTWARE\\a";
    writes[2].valueName = u"z";
    EXPECT_EQ(ToUtf8(RegFileText(writes, {u"MACHINE"})),
              "Windows Registry Editor Version 5.00\n\n; no registry key for the value \"y\"\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=-\n\"z\"=-\n");
}

TEST(RegText, LongAndWideValues) {
    cRegWrite qword;
    qword.kind = cRegKind::Qword;
    qword.key = u"K";
    qword.valueName = u"q";
    qword.number = 0x0102030405060708ull;
    cRegWrite multi;
    multi.kind = cRegKind::MultiString;
    multi.key = u"K";
    multi.valueName = u"m";
    multi.strings = {u"ab", u"c\\0d"};
    cRegWrite expand;
    expand.kind = cRegKind::ExpandString;
    expand.key = u"K";
    expand.valueName = u"long";
    expand.text = Text(30, u'x');
    std::string reg = ToUtf8(RegFileText({qword, multi, expand}, {u"MACHINE"}));
    EXPECT_NE(reg.find("\"q\"=hex(b):08,07,06,05,04,03,02,01\n"), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"m\"=hex(7):61,00,62,00,00,00,63,00,5c,00,30,00,64,00,00,00,00,00\n"),
              std::string::npos)
        << reg;
    // Long data goes on over lines ending in a backslash, as regedit writes it.
    size_t start = reg.find("\"long\"=hex(2):78,00,");
    ASSERT_NE(start, std::string::npos) << reg;
    std::string bytes = reg.substr(start + 14);
    size_t breaks = 0;
    for (size_t at; (at = bytes.find(",\\\n  ")) != std::string::npos; ++breaks)
        bytes.replace(at, 5, ",");
    EXPECT_EQ(breaks, 2u) << reg;
    std::string expected;
    for (int i = 0; i < 30; ++i)
        expected += "78,00,";
    EXPECT_EQ(bytes, expected + "00,00\n");
    for (size_t start = 0, end; (end = reg.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u) << reg.substr(start, end - start);
    std::string commands = ToUtf8(RegExeCommands({qword, multi}, {u"MACHINE"}));
    EXPECT_EQ(commands,
              "reg add \"HKLM\\K\" /v \"q\" /t REG_QWORD /d 72623859790382856 /f\n"
              "reg add \"HKLM\\K\" /v \"m\" /t REG_MULTI_SZ /s ~ /d \"ab~c\\0d\" /f\n");
}

TEST(RegText, CommandsQuoteForRegExeAndTheBatchFile) {
    const std::string bytes = HEAD
        "PART \"E\" EDITTEXT VALUENAME \"a b\" EXPANDABLETEXT END PART\n"
        "PART \"L\" LISTBOX KEYNAME Software\\L END PART\n" TAIL;
    cPartValue text;
    text.text = u"%PATH% say \"x & y\" C:\\dir\\";
    EXPECT_EQ(Commands(bytes, cPolicyState::Enabled, {text}),
              "reg add \"HKLM\\Software\\T\" /v \"a b\" /t REG_EXPAND_SZ /d "
              "\"%%PATH%% say \\\"x ^& y\\\" C:\\dir\\\\\" /f\n"
              "reg delete \"HKLM\\Software\\L\" /va /f\n"
              "rem \"L\": each entry of the list as a value named by its text\n");
    EXPECT_EQ(Commands(bytes, cPolicyState::Disabled),
              "reg delete \"HKLM\\Software\\T\" /v \"a b\" /f\n"
              "reg delete \"HKLM\\Software\\L\" /va /f\n");
}

// The raw text of a corpus template as UTF-8.
std::string CorpusText(const std::string& name) {
    std::ifstream in(CorpusDir() / name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string raw = bytes.str();
    std::u16string wide;
    for (size_t i = 2; i + 1 < raw.size(); i += 2)
        wide += char16_t(uint8_t(raw[i]) | (uint8_t(raw[i + 1]) << 8));
    return ToUtf8(wide);
}

TEST(RegText, ACorpusPolicyWritesWhatItsTemplateSays) {
    SKIP_WITHOUT_CORPUS();
    const std::string name = "chrome-en-US.adm";
    auto doc = ReadCorpusTemplate(name);
    ASSERT_TRUE(doc);
    // What the template says, read from its text: the category's key, the policy's values,
    // the drop-down list's items.
    const std::string text = CorpusText(name);
    // Each looked for in the stretch of text after its first words.
    std::list<std::string> windows;  // what the matches point into
    auto near = [&](const std::string& words, const std::string& pattern, std::smatch& match) {
        size_t at = text.find(words);
        windows.push_back(at == std::string::npos ? std::string() : text.substr(at, 400));
        return std::regex_search(windows.back(), match, std::regex(pattern));
    };
    std::smatch key;
    ASSERT_TRUE(near("CATEGORY !!googlechrome", "^CATEGORY \\S+\\s+KEYNAME \"([^\"]+)\"", key));
    std::smatch flag;
    ASSERT_TRUE(near("VALUENAME \"ScreenCaptureAllowed\"",
                     "VALUEON NUMERIC (\\d+)\\s+VALUEOFF NUMERIC (\\d+)", flag));
    std::smatch items;
    ASSERT_TRUE(near("VALUENAME \"DefaultCookiesSetting\"",
                     "ITEMLIST\\s+NAME \\S+ VALUE NUMERIC (\\d+)\\s+NAME \\S+ VALUE NUMERIC (\\d+)",
                     items));

    const cObjPolicy* screen = nullptr;
    const cObjPolicy* cookies = nullptr;
    ForEachPolicy(*doc, [&](const cTreeItem& item, const cObjPolicy& policy) {
        if (PolicyClasses(item) != std::vector<Text>{u"MACHINE"})
            return;
        if (policy.valueNameFlag && policy.valueName == u"ScreenCaptureAllowed" && !screen)
            screen = &policy;
        if (!policy.Parts().empty() && policy.Parts()[0]->valueName == u"DefaultCookiesSetting" &&
            policy.GetEffectiveKey() == FromUtf8(key[1].str()))
            cookies = &policy;
    });
    ASSERT_TRUE(screen && cookies);
    auto dword = [](const std::string& number) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%08x", unsigned(std::stoul(number)));
        return std::string(buffer);
    };
    const std::string section = "[HKEY_LOCAL_MACHINE\\" + key[1].str() + "]\n";
    auto reg = [&](const cObjPolicy& policy, cPolicyState state, std::vector<cPartValue> values) {
        return ToUtf8(RegFileText(PolicyWrites(policy, state, values, *doc), {u"MACHINE"}));
    };
    EXPECT_EQ(reg(*screen, cPolicyState::Enabled, {}),
              "Windows Registry Editor Version 5.00\n\n" + section +
                  "\"ScreenCaptureAllowed\"=dword:" + dword(flag[1]) + "\n");
    EXPECT_EQ(reg(*screen, cPolicyState::Disabled, {}),
              "Windows Registry Editor Version 5.00\n\n" + section +
                  "\"ScreenCaptureAllowed\"=dword:" + dword(flag[2]) + "\n");
    EXPECT_EQ(reg(*cookies, cPolicyState::Enabled, {Item(1)}),
              "Windows Registry Editor Version 5.00\n\n" + section +
                  "\"DefaultCookiesSetting\"=dword:" + dword(items[2]) + "\n");
}

}  // namespace

namespace {

// The attribute's value in an element's start tag, or empty.
std::string Attribute(const std::string& tag, const std::string& name) {
    std::smatch match;
    return std::regex_search(tag, match, std::regex("\\s" + name + "=\"([^\"]*)\""))
               ? match[1].str()
               : "";
}

}  // namespace

TEST(RegText, CorpusAdmxPoliciesWriteWhatTheirElementsSay) {
    SKIP_WITHOUT_CORPUS();
    const std::string name = "admx/chrome.admx";
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, CorpusDir() / name));
    std::map<Text, const cObjPolicy*> byName;
    ForEachPolicy(doc, [&](const cTreeItem&, const cObjPolicy& policy) {
        if (policy.admx)
            byName[policy.admx->name] = &policy;
    });
    // Every policy element with a value name, an enabled and a disabled number, read from the
    // file's text: its class, key and numbers.
    const std::string text = CorpusText(name);
    size_t checked = 0;
    for (size_t at = text.find("<policy "); at != std::string::npos;
         at = text.find("<policy ", at + 1)) {
        const std::string element = text.substr(at, text.find("</policy>", at) - at);
        const std::string tag = element.substr(0, element.find('>'));
        std::smatch on, off;
        const std::string valueName = Attribute(tag, "valueName");
        if (valueName.empty() ||
            !std::regex_search(element, on,
                               std::regex("<enabledValue>\\s*<decimal value=\"(\\d+)\"")) ||
            !std::regex_search(element, off,
                               std::regex("<disabledValue>\\s*<decimal value=\"(\\d+)\"")))
            continue;
        const cObjPolicy* policy = byName[FromUtf8(Attribute(tag, "name"))];
        ASSERT_TRUE(policy) << tag;
        const std::string cls = Attribute(tag, "class");
        std::vector<std::string> hives;
        if (cls != "User")
            hives.push_back("HKEY_LOCAL_MACHINE");
        if (cls != "Machine")
            hives.push_back("HKEY_CURRENT_USER");
        for (auto [state, number] : {std::pair{cPolicyState::Enabled, on[1].str()},
                                     {cPolicyState::Disabled, off[1].str()}}) {
            char dword[16];
            std::snprintf(dword, sizeof dword, "%08lx", std::stoul(number));
            std::string expected = "Windows Registry Editor Version 5.00\n";
            for (const std::string& hive : hives)
                expected += "\n[" + hive + "\\" + Attribute(tag, "key") + "]\n\"" + valueName +
                            "\"=dword:" + dword + "\n";
            EXPECT_EQ(ToUtf8(RegFileText(PolicyWrites(*policy, state, {}, doc),
                                         PolicyClasses(*policy->treeItem))),
                      expected);
        }
        ++checked;
    }
    EXPECT_GT(checked, 100u) << checked;
}

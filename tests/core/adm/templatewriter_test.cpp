#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/adm/templatereader.h"
#include "core/adm/templatewriter.h"
#include "tests/core/adm/writertest.h"
#include "tests/testsupport.h"

namespace {

std::string Written(const CPelwinDoc& doc) {
    Text out;
    EXPECT_TRUE(doc.WriteText(out));
    return ToUtf8(out);
}

std::string WrittenPolicy(cTestDoc& t, cTreeItem* policy) {
    Text out;
    EXPECT_TRUE(SavePolicy(t.Tree(), policy, 0, out));
    return ToUtf8(out);
}

TEST(TemplateWriter, WritesAClassWithACategoryAndAPolicy) {
    cTestDoc t;
    cTreeItem* cls = t.Class(nullptr, u"MACHINE");
    cTreeItem* policy = t.Policy(t.Category(cls, u"Cat"), u"Pol");
    auto& p = cTestDoc::Node<cObjPolicy>(policy);
    p.useDefaultKey = 0;
    p.keyName = u"Software\\X";
    p.valueNameFlag = 1;
    p.valueName = u"V";
    p.valueOn = NumericValue(u"1");
    t.doc.Strings().Set(u"Zeta", u"Last \"quoted\" text");
    t.doc.Strings().Set(u"Alpha", u"First");

    EXPECT_EQ(Written(t.doc), ToUtf8(Lines({
                                  u"CLASS MACHINE",
                                  u"   CATEGORY \"Cat\"",
                                  u"      POLICY \"Pol\"",
                                  u"         KEYNAME \"Software\\X\"",
                                  u"         VALUENAME \"V\"",
                                  u"         VALUEON NUMERIC 1",
                                  u"      END POLICY ; Pol",
                                  u"   END CATEGORY ; Cat",
                                  u"",
                                  u"[STRINGS]",
                                  // The table's own order, not sorted.
                                  u"Zeta =\"Last \"quoted\" text\"",
                                  u"Alpha =\"First\"",
                              })));
}

TEST(TemplateWriter, WritesACategorysExplainAfterItsKeyWithoutVersionLines) {
    cTestDoc t;
    cTreeItem* category = t.Category(t.Class(nullptr, u"USER"), u"Cat");
    auto& c = cTestDoc::Node<cObjCategory>(category);
    c.useDefaultKey = 0;
    c.keyName = u"Software\\X";
    c.explainFlag = 1;
    c.explainText = u"!!CatHelp";
    t.Policy(category, u"Pol");
    EXPECT_EQ(Written(t.doc), ToUtf8(Lines({
                                  u"CLASS USER",
                                  u"   CATEGORY \"Cat\"",
                                  u"      KEYNAME \"Software\\X\"",
                                  u"      EXPLAIN \"!!CatHelp\"",
                                  u"      POLICY \"Pol\"",
                                  u"      END POLICY ; Pol",
                                  u"   END CATEGORY ; Cat",
                                  u"",
                                  u"[STRINGS]",
                              })));
}

TEST(TemplateWriter, EmptyTreeWritesOnlyItsStringsAndAnEmptyTableStillGetsItsHeader) {
    cTestDoc t;
    EXPECT_EQ(Written(t.doc), "");
    // A template of strings alone keeps them.
    t.doc.Strings().Set(u"Unused", u"x");
    EXPECT_EQ(Written(t.doc), "\r\n[STRINGS]\r\nUnused =\"x\"\r\n");
    EXPECT_EQ(EncodeTemplate(Text(), 1), std::string("\xFF\xFE"));
    EXPECT_EQ(EncodeTemplate(Text(), 0), std::string());

    t.doc.Strings().Clear();
    t.Class(nullptr, u"USER");
    EXPECT_EQ(Written(t.doc), ToUtf8(Lines({u"CLASS USER", u"", u"[STRINGS]"})));
}

TEST(TemplateWriter, RefusesWithoutAView) {
    cMessageRecorder messages;
    CPelwinDoc doc;
    Text out = u"stale";
    EXPECT_FALSE(doc.WriteText(out));
    EXPECT_EQ(messages.Utf8(), std::vector<std::string>{"Unable to retrieve document view."});
    EXPECT_EQ(messages.severities, std::vector<int>{kSeverityInternal});
    EXPECT_EQ(out, u"");
}

TEST(TemplateWriter, WritesEveryLineOfAPolicy) {
    cTestDoc t;
    cTreeItem* item = t.Policy(t.Category(t.Class(nullptr, u"MACHINE"), u"C"), u"P");
    auto& p = cTestDoc::Node<cObjPolicy>(item);
    p.useDefaultKey = 0;
    p.keyName = u"K";
    p.explainFlag = 1;
    p.explainText = u"!!Explain";
    p.valueNameFlag = 1;
    p.valueName = u"V";
    p.valueOn = DeleteValue();
    p.valueOff = DeleteValue();
    p.clientExtFlag = 1;
    p.clientExt = u"{D02B1F73-3407-48AE-BA88-E8213C6761F1}";
    p.supportedFlag = 1;
    p.supportedText = u"!!SUPPORTED_WIN7";
    p.actionListOn = {{u"A", {Entry(u"x", NumericValue(u"1")), Entry(u"y", StringValue(u"s"))}},
                      {u"B", {Entry(u"z", DeleteValue())}}};
    p.actionListOff = {{u"C", {Entry(u"w", StringValue(u"t"))}}};

    EXPECT_EQ(WrittenPolicy(t, item), ToUtf8(Lines({
                                          u"POLICY \"P\"",
                                          u"   KEYNAME \"K\"",
                                          u"   #if VERSION >= 4",
                                          u"   SUPPORTED !!SUPPORTED_WIN7",
                                          u"   #endif",
                                          u"   #if VERSION >= 3",
                                          u"   EXPLAIN \"!!Explain\"",
                                          u"   #endif",
                                          u"   VALUENAME \"V\"",
                                          u"   VALUEON  DELETE",
                                          u"   VALUEOFF DELETE ",
                                          u"   #if VERSION >= 3",
                                          u"   CLIENTEXT {D02B1F73-3407-48AE-BA88-E8213C6761F1}",
                                          u"   #endif",
                                          u"   ACTIONLISTON ",
                                          u"      KEYNAME \"A\"",
                                          u"         VALUENAME \"x\"",
                                          u"         VALUE NUMERIC 1",
                                          u"         VALUENAME \"y\"",
                                          u"         VALUE \"s\"",
                                          u"      KEYNAME \"B\"",
                                          u"         VALUENAME \"z\"",
                                          u"         VALUE DELETE ",
                                          u"   END ACTIONLISTON ",
                                          u"   ACTIONLISTOFF ",
                                          u"      KEYNAME \"C\"",
                                          u"         VALUENAME \"w\"",
                                          u"         VALUE \"t\"",
                                          u"   END ACTIONLISTOFF ",
                                          u"END POLICY ; P",
                                      })));

    // Texts whose flag is clear stay in the node but are not written.
    p.useDefaultKey = 1;
    p.explainFlag = p.valueNameFlag = p.clientExtFlag = p.supportedFlag = 0;
    p.valueOn = StringValue(u"on");
    p.valueOff.reset();
    p.actionListOn.clear();
    p.actionListOff.clear();
    EXPECT_EQ(WrittenPolicy(t, item),
              ToUtf8(Lines({u"POLICY \"P\"", u"   VALUEON \"on\"", u"END POLICY ; P"})));

    // A supported-on text that would not read back as one token is quoted.
    p.supportedFlag = 1;
    p.supportedText = u"Windows 7 and later";
    p.valueOn.reset();
    EXPECT_EQ(WrittenPolicy(t, item), ToUtf8(Lines({u"POLICY \"P\"", u"   #if VERSION >= 4",
                                                    u"   SUPPORTED \"Windows 7 and later\"",
                                                    u"   #endif", u"END POLICY ; P"})));
}

struct cPartCase {
    const char* what;
    std::function<void(cTreeItem*)> build;
    std::initializer_list<const char16_t*> partLines;
};

TEST(TemplateWriter, WritesEveryPartKind) {
    const cPartCase cases[] = {
        {"check box with everything",
         [](cTreeItem* policy) {
             auto& box = cTestDoc::AddPart<cObjPolPartCheckBox>(policy, u"C");
             box.useDefaultKey = 0;
             box.keyName = u"K";
             box.valueName = u"V";
             box.defChecked = 1;
             box.valueOn = NumericValue(u"1");
             box.valueOff = NumericValue(u"0");
             box.actionListOn = {{u"A", {Entry(u"x", NumericValue(u"1"))}}};
             box.actionListOff = {{u"B", {Entry(u"y", DeleteValue())}}};
         },
         {
             u"   PART \"C\" CHECKBOX",
             u"      KEYNAME \"K\"",
             u"      VALUENAME \"V\"",
             u"      DEFCHECKED",
             u"      VALUEON NUMERIC 1",
             u"      VALUEOFF NUMERIC 0",
             u"         ACTIONLISTON ",
             u"            KEYNAME \"A\"",
             u"               VALUENAME \"x\"",
             u"               VALUE NUMERIC 1",
             u"         END ACTIONLISTON ",
             u"         ACTIONLISTOFF ",
             u"            KEYNAME \"B\"",
             u"               VALUENAME \"y\"",
             u"               VALUE DELETE ",
             u"         END ACTIONLISTOFF ",
             u"   END PART ",
         }},
        {"check box with default values",
         [](cTreeItem* policy) {
             auto& box = cTestDoc::AddPart<cObjPolPartCheckBox>(policy, u"C");
             box.valueOn = DeleteValue();
         },
         {
             u"   PART \"C\" CHECKBOX",
             u"      VALUENAME \"\"",
             u"      VALUEON  DELETE",
             u"   END PART ",
         }},
        {"combo box with everything",
         [](cTreeItem* policy) {
             auto& combo = cTestDoc::AddPart<cObjPolPartCombo>(policy, u"Co");
             combo.valueName = u"V";
             combo.required = 1;
             combo.defaultFlag = 1;
             combo.defaultText = u"d";
             combo.maxLenFlag = 1;
             combo.maxLen = u"10";
             combo.oemConvert = 1;
             combo.noSort = 1;
             combo.expandableText = 1;
             combo.suggestions = {{u"a"}, {u"b c"}};
         },
         {
             u"   PART \"Co\" COMBOBOX",
             u"      VALUENAME \"V\"",
             u"      REQUIRED",
             u"      DEFAULT \"d\"",
             u"      MAXLEN 10",
             u"      OEMCONVERT ",
             u"      NOSORT ",
             u"      #if VERSION >= 2",
             u"      EXPANDABLETEXT",
             u"      #endif",
             u"      SUGGESTIONS",
             u"         \"a\"",
             u"         \"b c\"",
             u"      END SUGGESTIONS",
             u"   END PART ",
         }},
        {"drop-down list with items",
         [](cTreeItem* policy) {
             auto& drop = cTestDoc::AddPart<cObjPolPartDropDown>(policy, u"D");
             drop.valueName = u"V";
             drop.required = 1;
             drop.noSort = 1;
             drop.itemList = {
                 {u"One", NumericValue(u"1"), {}},
                 {u"Two", StringValue(u"2"), {{u"K", {Entry(u"n", StringValue(u"v"))}}}},
                 {u"Three", DeleteValue(), {}}};
             drop.itemList[1].defaultFlag = 1;
         },
         {
             u"   PART \"D\" DROPDOWNLIST",
             u"      VALUENAME \"V\"",
             u"      REQUIRED",
             u"      NOSORT ",
             u"      ITEMLIST",
             u"         NAME \"One\"",
             u"         VALUE NUMERIC 1",
             u"         NAME \"Two\"",
             u"         VALUE \"2\"",
             u"         DEFAULT",
             u"         ACTIONLIST ",
             u"            KEYNAME \"K\"",
             u"               VALUENAME \"n\"",
             u"               VALUE \"v\"",
             u"         END ACTIONLIST ",
             u"         NAME \"Three\"",
             u"         VALUE DELETE ",
             u"      END ITEMLIST",
             u"   END PART ",
         }},
        {"edit field with everything; REQUIRED comes third",
         [](cTreeItem* policy) {
             auto& edit = cTestDoc::AddPart<cObjPolPartEditText>(policy, u"E");
             edit.defaultFlag = 1;
             edit.defaultText = u"";
             edit.maxLenFlag = 1;
             edit.maxLen = u"5";
             edit.required = 1;
             edit.oemConvert = 1;
             edit.expandableText = 1;
         },
         {
             u"   PART \"E\" EDITTEXT",
             u"      VALUENAME \"\"",
             u"      DEFAULT \"\"",
             u"      MAXLEN 5",
             u"      REQUIRED",
             u"      OEMCONVERT ",
             u"      #if VERSION >= 2",
             u"      EXPANDABLETEXT",
             u"      #endif",
             u"   END PART ",
         }},
        {"list box with its own key never writes a value name",
         [](cTreeItem* policy) {
             auto& list = cTestDoc::AddPart<cObjPolPartListBox>(policy, u"L");
             list.useDefaultKey = 0;
             list.keyName = u"Key";
             list.valueName = u"Unused";
             list.additive = 1;
             list.explicitValue = 1;
             list.valuePrefixFlag = 1;
             list.valuePrefix = u"";
         },
         {
             u"   PART \"L\" LISTBOX",
             u"      KEYNAME \"Key\"",
             u"      ADDITIVE",
             u"      EXPLICITVALUE",
             u"      VALUEPREFIX \"\"",
             u"   END PART ",
         }},
        {"list box with the default key",
         [](cTreeItem* policy) { cTestDoc::AddPart<cObjPolPartListBox>(policy, u"L"); },
         {u"   PART \"L\" LISTBOX", u"   END PART "}},
        {"numeric with everything",
         [](cTreeItem* policy) {
             auto& num = cTestDoc::AddPart<cObjPolPartNum>(policy, u"N");
             num.valueName = u"V";
             num.required = 1;
             num.defaultFlag = 1;
             num.defaultValue = u"5";
             num.maxFlag = 1;
             num.minFlag = 1;
             num.min = u"1";
             num.spinFlag = 1;
             num.spin = u"2";
             num.txtConvert = 1;
         },
         {
             u"   PART \"N\" NUMERIC",
             u"      VALUENAME \"V\"",
             u"      REQUIRED",
             u"      DEFAULT \"5\"",
             u"      MAX 9999",
             u"      MIN 1",
             u"      SPIN 2",
             u"      TXTCONVERT ",
             u"   END PART ",
         }},
        {"fresh numeric keeps its stored limits to itself",
         [](cTreeItem* policy) { cTestDoc::AddPart<cObjPolPartNum>(policy, u"N"); },
         {u"   PART \"N\" NUMERIC", u"      VALUENAME \"\"", u"   END PART "}},
        {"text part writes neither key nor value name",
         [](cTreeItem* policy) {
             auto& text = cTestDoc::AddPart<cObjPolPartText>(policy, u"!!T");
             text.useDefaultKey = 0;
             text.keyName = u"K";
             text.valueName = u"V";
         },
         {u"   PART \"!!T\" TEXT", u"   END PART "}},
    };
    for (const cPartCase& c : cases) {
        SCOPED_TRACE(c.what);
        cTestDoc t;
        cTreeItem* policy = t.Policy(t.Category(t.Class(nullptr, u"MACHINE"), u"C"), u"P");
        c.build(policy);
        Text expected = Lines({u"POLICY \"P\""}) + Lines(c.partLines) + Lines({u"END POLICY ; P"});
        EXPECT_EQ(WrittenPolicy(t, policy), ToUtf8(expected));
    }
}

TEST(TemplateWriter, KeepsPartsInListOrder) {
    cTestDoc t;
    cTreeItem* policy = t.Policy(t.Category(t.Class(nullptr, u"M"), u"C"), u"P");
    cTestDoc::AddPart<cObjPolPartText>(policy, u"1");
    cTestDoc::AddPart<cObjPolPartText>(policy, u"2");
    auto& p = cTestDoc::Node<cObjPolicy>(policy);
    p.InsertPartAfter(nullptr, std::make_unique<cObjPolPartText>(&p))->name = u"0";
    std::string out = WrittenPolicy(t, policy);
    EXPECT_LT(out.find("PART \"0\""), out.find("PART \"1\""));
    EXPECT_LT(out.find("PART \"1\""), out.find("PART \"2\""));
}

TEST(TemplateWriter, WritesVersionBlocksAndPassesOverMisplacedNodes) {
    cTestDoc t;
    cTreeItem* top = t.Version(nullptr, u">=", u"4");
    cTreeItem* cls = t.Class(top, u"USER");
    cTreeItem* inClass = t.Version(cls, u"<", u"5");
    cTreeItem* category = t.Category(inClass, u"C");
    cTestDoc::Node<cObjCategory>(category).useDefaultKey = 0;
    cTestDoc::Node<cObjCategory>(category).keyName = u"Software\\C";
    t.Policy(t.Version(category, u"==", u"3"), u"InVersion");
    t.Category(top, u"Direct");
    // Nothing of these reads back from their place, so they are not written.
    t.Category(t.Policy(cls, u"PolicyInClass"), u"UnderIt");
    t.Category(nullptr, u"TopCategory");
    t.Class(t.Category(inClass, u"D"), u"ClassInCategory");

    EXPECT_EQ(Written(t.doc), ToUtf8(Lines({
                                  u"#if version >= 4",
                                  u"   CLASS USER",
                                  u"      #if version < 5",
                                  u"         CATEGORY \"C\"",
                                  u"            KEYNAME \"Software\\C\"",
                                  u"            #if version == 3",
                                  u"               POLICY \"InVersion\"",
                                  u"               END POLICY ; InVersion",
                                  u"            #endif ",
                                  u"         END CATEGORY ; C",
                                  u"         CATEGORY \"D\"",
                                  u"         END CATEGORY ; D",
                                  u"      #endif ",
                                  u"   CATEGORY \"Direct\"",
                                  u"   END CATEGORY ; Direct",
                                  u"#endif ",
                                  u"",
                                  u"[STRINGS]",
                              })));
}

// Texts that the layout writes unquoted are quoted when the tokenizer would not read them
// back whole.
TEST(TemplateWriter, QuotesUnquotedTextsThatWouldNotReadBackWhole) {
    const struct {
        const char16_t* text;
        const char16_t* written;
    } cases[] = {
        {u"10", u"10"},         {u"-5", u"-5"},       {u"", u"\"\""},       {u"1 0", u"\"1 0\""},
        {u"1\t0", u"\"1\t0\""}, {u"\v1", u"\"\v1\""}, {u"1;0", u"\"1;0\""}, {u"1/0", u"\"1/0\""},
        {u"1/", u"\"1/\""},     {u"#if", u"#if"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        cTestDoc t;
        cTreeItem* version = t.Version(nullptr, c.text, c.text);
        cTreeItem* cls = t.Class(version, c.text);
        cTreeItem* policy = t.Policy(t.Category(cls, u"C"), u"P");
        auto& p = cTestDoc::Node<cObjPolicy>(policy);
        p.clientExtFlag = 1;
        p.clientExt = c.text;
        p.valueOn = NumericValue(c.text);
        auto& edit = cTestDoc::AddPart<cObjPolPartEditText>(policy, u"E");
        edit.maxLenFlag = 1;
        edit.maxLen = c.text;
        auto& num = cTestDoc::AddPart<cObjPolPartNum>(policy, u"N");
        num.maxFlag = num.minFlag = num.spinFlag = 1;
        num.max = num.min = num.spin = c.text;

        std::string out = Written(t.doc);
        const Text w = c.written;
        for (const Text& line :
             {u"#if version " + w + u" " + w, u"CLASS " + w, u"CLIENTEXT " + w,
              u"VALUEON NUMERIC " + w, u"MAXLEN " + w, u"MAX " + w, u"MIN " + w, u"SPIN " + w}) {
            EXPECT_NE(out.find(ToUtf8(line) + "\r\n"), std::string::npos) << ToUtf8(line);
        }
    }
}

TEST(TemplateWriter, CapsIndentationAtTwentyLevels) {
    cTestDoc t;
    cTreeItem* item = t.Class(nullptr, u"MACHINE");
    for (int i = 0; i < 24; ++i)
        item = t.Category(item, u"C");
    cTreeItem* policy = t.Policy(item, u"Deep");
    auto& p = cTestDoc::Node<cObjPolicy>(policy);
    p.actionListOn = {{u"K", {Entry(u"v", NumericValue(u"1"))}}};
    auto& combo = cTestDoc::AddPart<cObjPolPartCombo>(policy, u"Co");
    combo.suggestions = {{u"s"}};

    std::string out = Written(t.doc);
    const std::string b60(60, ' ');
    const std::string b63(63, ' ');
    // Level 19 is the last below the cap, level 20 the first at it.
    EXPECT_NE(out.find("\r\n" + std::string(57, ' ') + "CATEGORY"), std::string::npos);
    for (const std::string& line :
         {b60 + "CATEGORY \"C\"", b60 + "POLICY \"Deep\"", b60 + "ACTIONLISTON ",
          b60 + "KEYNAME \"K\"", b63 + "VALUENAME \"v\"", b63 + "VALUE NUMERIC 1",
          b60 + "PART \"Co\" COMBOBOX", b60 + "SUGGESTIONS", b63 + "\"s\"",
          b60 + "END POLICY ; Deep", b60 + "END CATEGORY ; C"})
        EXPECT_NE(out.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    EXPECT_EQ(out.find(std::string(64, ' ')), std::string::npos);
}

TEST(TemplateWriter, WritesTheDeepestNestingTheReaderAccepts) {
    cTestDoc t;
    cTreeItem* item = t.Class(nullptr, u"MACHINE");
    for (int i = 0; i < kMaxNestingDepth; ++i)
        item = i % 2 ? t.Category(item, u"C") : t.Version(item, u">=", u"1");
    t.Policy(item, u"P");
    Text out;
    ASSERT_TRUE(t.doc.WriteText(out));
    std::string text = ToUtf8(out);
    size_t ends = 0;
    for (size_t at = text.find("END CATEGORY"); at != std::string::npos;
         at = text.find("END CATEGORY", at + 1))
        ++ends;
    EXPECT_EQ(ends, size_t(kMaxNestingDepth / 2));
    EXPECT_NE(text.find("POLICY \"P\""), std::string::npos);
}

TEST(TemplateWriter, NodeWritersRefuseNodesOfAnotherKind) {
    cTestDoc t;
    cTreeItem* cls = t.Class(nullptr, u"MACHINE");
    cTreeItem* category = t.Category(cls, u"C");
    const struct {
        bool (*save)(const cTemplateTree&, const cTreeItem*, int, Text&);
        cTreeItem* wrong;
        const char* message;
    } cases[] = {
        {SaveVersion, cls,
         "Internal error:SaveVersion() function called with object of wrong type."},
        {SavePolClass, category,
         "Internal error:SavePolClass() function called with object of wrong type."},
        {SaveCategory, cls,
         "Internal error:SaveCategory() function called with object of wrong type."},
        {SavePolicy, category,
         "Internal error:SavePolicy() function called with object of wrong type."},
    };
    for (const auto& c : cases) {
        cMessageRecorder messages;
        Text out;
        EXPECT_FALSE(c.save(t.Tree(), c.wrong, 0, out));
        EXPECT_EQ(out, u"");
        EXPECT_EQ(messages.Utf8(), std::vector<std::string>{c.message});
        EXPECT_EQ(messages.severities, std::vector<int>{kSeverityInternal});
    }
    Text out;
    EXPECT_TRUE(SaveCategory(t.Tree(), category, 2, out));
    EXPECT_EQ(out, Lines({u"      CATEGORY \"C\"", u"      END CATEGORY ; C"}));
}

TEST(TemplateWriter, EncodesBothFormats) {
    const Text text = u"A\u00e9\u4e2d\r\n";
    EXPECT_EQ(EncodeTemplate(text, 1), std::string("\xFF\xFE"
                                                   "A\0\xE9\0\x2D\x4E\r\0\n\0",
                                                   12));
    EXPECT_EQ(EncodeTemplate(u"A\u00e9\u001a\r\n", 0), std::string("A\xE9\x1A\r\n"));
}

}  // namespace

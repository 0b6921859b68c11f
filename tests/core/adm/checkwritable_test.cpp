#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <unistd.h>

#include "core/adm/templatewriter.h"
#include "tests/core/adm/writertest.h"
#include "tests/testsupport.h"

namespace {

// One template with a node of every kind, each text plain; a case spoils one text.
struct cSample {
    cSample() {
        version = t.Version(nullptr, u">=", u"4");
        cls = t.Class(version, u"MACHINE");
        category = t.Category(cls, u"Cat");
        policyItem = t.Policy(category, u"Pol");
        cPolicy& p = policy();
        p.actionListOn = {{u"A", {Entry(u"x", StringValue(u"1"))}}};
        check = &cTestDoc::AddPart<cObjPolPartCheckBox>(policyItem, u"Box");
        check->valueOn = StringValue(u"on");
        drop = &cTestDoc::AddPart<cObjPolPartDropDown>(policyItem, u"Drop");
        drop->itemList = {{u"One", StringValue(u"1"), {{u"K", {Entry(u"n", NumericValue(u"1"))}}}}};
        combo = &cTestDoc::AddPart<cObjPolPartCombo>(policyItem, u"Combo");
        combo->suggestions = {{u"a"}, {u"b"}};
        num = &cTestDoc::AddPart<cObjPolPartNum>(policyItem, u"Num");
        list = &cTestDoc::AddPart<cObjPolPartListBox>(policyItem, u"List");
        t.doc.Strings().Set(u"Name", u"Text");
    }
    cObjVersion& versionNode() { return cTestDoc::Node<cObjVersion>(version); }
    cObjClass& classNode() { return cTestDoc::Node<cObjClass>(cls); }
    cObjCategory& categoryNode() { return cTestDoc::Node<cObjCategory>(category); }
    cObjPolicy& policy() { return cTestDoc::Node<cObjPolicy>(policyItem); }

    cTestDoc t;
    cTreeItem* version;
    cTreeItem* cls;
    cTreeItem* category;
    cTreeItem* policyItem;
    cObjPolPartCheckBox* check;
    cObjPolPartDropDown* drop;
    cObjPolPartCombo* combo;
    cObjPolPartNum* num;
    cObjPolPartListBox* list;
};

struct cCase {
    const char* what;
    int utf16;
    std::function<void(cSample&)> spoil;
    const char* message;  // empty: the template can be written
};

TEST(CheckWritable, RefusesTextsThatWouldNotReadBack) {
    const cCase cases[] = {
        {"double quote in a category name", 1,
         [](cSample& s) { s.categoryNode().name = u"A \"B\""; },
         "The name of category \"A \"B\"\" contains a double quote, which the template file "
         "cannot hold. Remove the double quote."},
        {"line break in an explain text", 1,
         [](cSample& s) {
             s.policy().explainFlag = 1;
             s.policy().explainText = u"one\r\ntwo";
         },
         "The explain text of policy \"Pol\" contains a line break, which the template file "
         "cannot hold. Remove the line break."},
        {"lone CR in a key name", 1,
         [](cSample& s) {
             s.policy().useDefaultKey = 0;
             s.policy().keyName = u"A\rB";
         },
         "The key name of policy \"Pol\" contains a line break, which the template file cannot "
         "hold. Remove the line break."},
        {"double quote in an unquoted class name", 1,
         [](cSample& s) { s.classNode().className = u"MA\"CHINE"; },
         "The class name of class \"MA\"CHINE\" contains a double quote, which the template "
         "file cannot hold. Remove the double quote."},
        {"line break in a version number", 1, [](cSample& s) { s.versionNode().number = u"4\n"; },
         "The version number of version condition \"If Version >= 4\" contains a line break, "
         "which the template file cannot hold. Remove the line break."},
        {"double quote in a part's value name", 1, [](cSample& s) { s.check->valueName = u"V\""; },
         "The value name of part \"Box\" of policy \"Pol\" contains a double quote, which the "
         "template file cannot hold. Remove the double quote."},
        {"line break in an item's name", 1, [](cSample& s) { s.drop->itemList[0].name = u"O\nne"; },
         "The name of item \"O\nne\" in ITEMLIST of part \"Drop\" of policy \"Pol\" contains a "
         "line break, which the template file cannot hold. Remove the line break."},
        {"double quote in an action value of an item", 1,
         [](cSample& s) { s.drop->itemList[0].actionList[0].entries[0].valueText = u"1\""; },
         "The value of an entry in ACTIONLIST of item \"One\" in ITEMLIST of part \"Drop\" of "
         "policy \"Pol\" contains a double quote, which the template file cannot hold. Remove "
         "the double quote."},
        {"double quote in a policy action key", 1,
         [](cSample& s) { s.policy().actionListOn[0].keyName = u"\""; },
         "The key name of a key group in ACTIONLISTON of policy \"Pol\" contains a double "
         "quote, which the template file cannot hold. Remove the double quote."},
        {"line break in a suggestion", 1, [](cSample& s) { s.combo->suggestions[1].text = u"\n"; },
         "The text of a suggestion in SUGGESTIONS of part \"Combo\" of policy \"Pol\" contains a "
         "line break, which the template file cannot hold. Remove the line break."},
        {"double quote in a numeric maximum", 1,
         [](cSample& s) {
             s.num->maxFlag = 1;
             s.num->max = u"9\"";
         },
         "The MAX text of part \"Num\" of policy \"Pol\" contains a double quote, which the "
         "template file cannot hold. Remove the double quote."},
        {"line break in a list box prefix", 1,
         [](cSample& s) {
             s.list->valuePrefixFlag = 1;
             s.list->valuePrefix = u"p\n";
         },
         "The value prefix of part \"List\" of policy \"Pol\" contains a line break, which the "
         "template file cannot hold. Remove the line break."},
        {"string value that reads back as DELETE", 1,
         [](cSample& s) { s.check->valueOn = StringValue(u"delete"); },
         "The VALUEON value of part \"Box\" of policy \"Pol\" is the text \"delete\", which reads "
         "back as the keyword DELETE. Change the value."},
        {"string value that reads back as NUMERIC", 1,
         [](cSample& s) { s.drop->itemList[0].value = StringValue(u"Numeric"); },
         "The value of item \"One\" in ITEMLIST of part \"Drop\" of policy \"Pol\" is the text "
         "\"Numeric\", which reads back as the keyword NUMERIC. Change the value."},
        {"a name that opens a skipped block", 1, [](cSample& s) { s.check->name = u"#IfDef"; },
         "The name of part \"#IfDef\" of policy \"Pol\" is \"#IfDef\", which makes reading skip "
         "what follows. Change it."},
        {"END followed by SUGGESTIONS", 1,
         [](cSample& s) {
             s.combo->suggestions = {{u"x"}, {u"end"}, {u"Suggestions"}};
         },
         "The suggestions of part \"Combo\" of policy \"Pol\" hold \"END\" directly followed by "
         "\"SUGGESTIONS\", which reads back as the end of the list. Change or reorder these "
         "suggestions."},
        {"END in other letters among suggestions", 1,
         [](cSample& s) {
             s.combo->suggestions = {{u"x"}, {u"End"}};
         },
         "The text of a suggestion in SUGGESTIONS of part \"Combo\" of policy \"Pol\" is "
         "\"End\", which reads back as \"END\". Write it in capitals or change it."},
        {"an empty key group before another", 1,
         [](cSample& s) {
             s.policy().actionListOn.insert(s.policy().actionListOn.begin(), {u"Empty", {}});
         },
         "The key group \"Empty\" in ACTIONLISTON of policy \"Pol\" has no values and is "
         "followed by another key group, so reading drops it. Give it a value or remove it."},
        {"line break in a display text", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"Name", u"a\nb"); },
         "The display text of string \"Name\" of the string table contains a line break, which "
         "the template file cannot hold. Remove the line break."},
        {"equals sign in a string name", 1, [](cSample& s) { s.t.doc.Strings().Set(u"a=b", u"x"); },
         "The name of string \"a=b\" of the string table contains an equals sign, which the "
         "strings section cannot hold. Rename the string."},
        {"blank at the end of a string name", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"ab ", u"x"); },
         "The name of string \"ab \" of the string table begins or ends with white space, which "
         "the strings section drops. Remove the white space."},
        {"tab at the start of a string name", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"\tab", u"x"); },
         "The name of string \"\tab\" of the string table begins or ends with white space, which "
         "the strings section drops. Remove the white space."},
        {"line break in a string name", 1, [](cSample& s) { s.t.doc.Strings().Set(u"a\nb", u"x"); },
         "The name of string \"a\nb\" of the string table contains a line break, which the "
         "template file cannot hold. Remove the line break."},
        {"string name that reads as a section header", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"[x]", u"x"); },
         "The name of string \"[x]\" of the string table begins with \"[\", which the strings "
         "section reads as a section header or a comment. Rename the string."},
        {"string name that reads as a comment", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u";x", u"x"); },
         "The name of string \";x\" of the string table begins with \";\", which the strings "
         "section reads as a section header or a comment. Rename the string."},
        {"display text that reads as a keyword", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"Name", u"Category"); },
         "The display text of string \"Name\" of the string table reads back as the keyword "
         "CATEGORY, which would change the template's nodes when it is opened again. Change the "
         "display text."},
        {"quotes in a display text that expose a keyword", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"Name", u"Use \"class\" here"); },
         "The display text of string \"Name\" of the string table reads back as the keyword "
         "CLASS, which would change the template's nodes when it is opened again. Change the "
         "display text."},
        {"string name that opens a skipped block", 1,
         [](cSample& s) { s.t.doc.Strings().Set(u"#ifdef", u"x"); },
         "The name of string \"#ifdef\" of the string table reads back as the keyword #IFDEF, "
         "which would change the template's nodes when it is opened again. Change the name."},
        {"ASCII: a character above U+00FF", 0,
         [](cSample& s) { s.check->name = u"Gr\u00fc\u00dfe \u2014 \u4e2d"; },
         "The name of part \"Gr\u00fc\u00dfe \u2014 \u4e2d\" of policy \"Pol\" contains the "
         "character U+2014, which ASCII format cannot hold. Save in UNICODE format, or remove "
         "the character."},
        {"ASCII: a character above U+00FF in a display text", 0,
         [](cSample& s) { s.t.doc.Strings().Set(u"Name", u"\u20ac"); },
         "The display text of string \"Name\" of the string table contains the character "
         "U+20AC, which ASCII format cannot hold. Save in UNICODE format, or remove the "
         "character."},
        {"ASCII: U+001A ends the text", 0,
         [](cSample& s) { s.drop->itemList[0].actionList[0].keyName = u"a\u001a"; },
         "The key name of a key group in ACTIONLIST of item \"One\" in ITEMLIST of part \"Drop\" "
         "of policy \"Pol\" contains the character U+001A, which ends the text of a file in "
         "ASCII format. Save in UNICODE format, or remove the character."},

        {"the sample itself", 1, [](cSample&) {}, ""},
        {"the sample itself in ASCII", 0, [](cSample&) {}, ""},
        {"double quotes inside display texts, and an empty string name", 1,
         [](cSample& s) {
             s.t.doc.Strings().Set(u"Name", u"\"x\" \"");
             s.t.doc.Strings().Set(u"", u"empty name");
         },
         ""},
        {"Latin-1 characters in ASCII format", 0,
         [](cSample& s) { s.categoryNode().name = u"Gr\u00fc\u00dfe \u00ff"; }, ""},
        {"U+001A in UNICODE format", 1, [](cSample& s) { s.categoryNode().name = u"\u001a"; }, ""},
        {"texts whose flag is clear are not written", 1,
         [](cSample& s) {
             s.policy().explainText = u"a\nb";
             s.policy().keyName = u"\"";
             s.num->max = u"\n";
             s.list->valueName = u"\"";
         },
         ""},
        {"nodes the layout passes over are not written", 1,
         [](cSample& s) { s.t.Policy(s.cls, u"\"misplaced\""); }, ""},
        {"END not followed by SUGGESTIONS, and DELETE as a numeric text", 1,
         [](cSample& s) {
             s.combo->suggestions = {{u"END"}, {u"x"}, {u"END"}};
             s.check->valueOn = NumericValue(u"DELETE");
         },
         ""},
        {"an empty key group at the end", 1,
         [](cSample& s) {
             s.policy().actionListOn.push_back({u"Last", {}});
         },
         ""},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.what);
        cSample s;
        c.spoil(s);
        cMessageRecorder messages;
        Text message = u"stale";
        bool ok = s.t.doc.CheckWritable(c.utf16, message);
        EXPECT_EQ(ok, *c.message == 0);
        EXPECT_EQ(ToUtf8(message), c.message);
        EXPECT_TRUE(messages.texts.empty());
    }
}

TEST(CheckWritable, ReportsTheFirstProblemInTreeOrder) {
    cSample s;
    s.num->valueName = u"\"";
    s.categoryNode().name = u"\n";
    s.t.doc.Strings().Set(u"=", u"");
    Text message;
    EXPECT_FALSE(s.t.doc.CheckWritable(1, message));
    EXPECT_EQ(message.find(u"The name of category"), 0u) << ToUtf8(message);
}

TEST(CheckWritable, AnEmptyTreeWritesOnlyItsStrings) {
    cTestDoc t;
    Text message;
    EXPECT_TRUE(t.doc.CheckWritable(0, message));
    EXPECT_EQ(message, u"");
    // The strings of a template without nodes are written, and so checked.
    t.doc.Strings().Set(u"bad=name", u"\n");
    EXPECT_FALSE(t.doc.CheckWritable(0, message));
    EXPECT_EQ(message.find(u"The name of string"), 0u) << ToUtf8(message);
}

// A class has no closing line, so a node after it among one parent's children would be
// read back inside the class.
TEST(CheckWritable, RefusesANodeThatFollowsAClass) {
    struct cOrder {
        const char* what;
        std::function<void(cTestDoc&)> build;
        const char16_t* message;  // null: the order can be written
    };
    const cOrder orders[] = {
        {"version after a top-level class",
         [](cTestDoc& t) {
             t.Class(nullptr, u"MACHINE");
             t.Version(nullptr, u">=", u"2");
         },
         u"Save refused: the version condition \"If Version >= 2\" follows the class "
         u"\"MACHINE\" among the nodes of one parent and would be read back inside that "
         u"class. Move it before the class or into it."},
        {"category after a class inside a version",
         [](cTestDoc& t) {
             cTreeItem* v = t.Version(nullptr, u">=", u"3");
             t.Class(v, u"USER");
             t.Category(v, u"Late");
         },
         u"Save refused: the category \"Late\" follows the class \"USER\""},
        {"policy after a class inside a version, past another class",
         [](cTestDoc& t) {
             cTreeItem* v = t.Version(nullptr, u">=", u"3");
             t.Class(v, u"USER");
             t.Class(v, u"MACHINE");
             t.Policy(v, u"Pol");
         },
         u"Save refused: the policy \"Pol\" follows the class \"MACHINE\""},
        {"version before a class",
         [](cTestDoc& t) {
             t.Version(nullptr, u">=", u"2");
             t.Class(nullptr, u"MACHINE");
         },
         nullptr},
        {"classes one after the other, a version inside one",
         [](cTestDoc& t) {
             cTreeItem* machine = t.Class(nullptr, u"MACHINE");
             t.Version(machine, u">=", u"2");
             t.Class(nullptr, u"USER");
         },
         nullptr},
    };
    for (const cOrder& order : orders) {
        cTestDoc t;
        order.build(t);
        Text message;
        bool writable = t.doc.CheckWritable(1, message);
        EXPECT_EQ(writable, order.message == nullptr) << order.what;
        if (order.message) {
            EXPECT_EQ(message.find(order.message), 0u) << order.what << ": " << ToUtf8(message);
        }
    }
}

TEST(CheckWritable, ARefusedSaveLeavesTheFileAsItWas) {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("tessary-writer-refused-" + std::to_string(::getpid()) + ".adm");
    std::filesystem::remove(path);
    cSample s;
    s.categoryNode().name = u"\u4e2d";
    s.t.doc.SetUtf16(0);
    cMessageRecorder messages;
    EXPECT_FALSE(s.t.doc.WriteFile(FromUtf8(path.string())));
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.Utf8()[0].find("The name of category"), 0u) << messages.Utf8()[0];
    EXPECT_EQ(messages.severities, std::vector<int>{kSeverityError});
}

}  // namespace

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/admx/admxread.h"
#include "core/admx/admxwrite.h"
#include "core/check/lint.h"
#include "core/convert/admxexport.h"
#include "core/convert/admxmapping.h"
#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"

namespace {

namespace fs = std::filesystem;

// A template read from text through the document's own read steps.
struct cReadTemplate {
    explicit cReadTemplate(const std::string& text) : file(text) {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        ok = doc.ReadFile(file.PathText());
    }
    cTempFile file;
    CPelwinDoc doc;
    bool ok = false;
};

// The export of a template, parsed back for inspection.
struct cExported {
    explicit cExported(const std::string& text) : read(text) {
        EXPECT_TRUE(read.ok);
        built = BuildAdmx(read.doc, "test", cAdmxOptions(), out);
        EXPECT_TRUE(admx.load_string(out.admx.c_str())) << out.admx;
        EXPECT_TRUE(adml.load_string(out.adml.c_str())) << out.adml;
    }

    pugi::xml_node Policy(const char* name) const {
        return admx.child("policyDefinitions")
            .child("policies")
            .find_child_by_attribute("policy", "name", name);
    }
    pugi::xml_node Element(const char* policy, const char* tag) const {
        return Policy(policy).child("elements").child(tag);
    }
    pugi::xml_node Presentation(const char* policy) const {
        return adml.child("policyDefinitionResources")
            .child("resources")
            .child("presentationTable")
            .find_child_by_attribute("presentation", "id", policy);
    }
    std::string String(const char* id) const {
        return adml.child("policyDefinitionResources")
            .child("resources")
            .child("stringTable")
            .find_child_by_attribute("string", "id", id)
            .text()
            .get();
    }
    std::vector<std::string> Notes() const {
        std::vector<std::string> notes;
        for (const cAdmxNote& note : out.notExported)
            notes.push_back(std::to_string(note.line) + ": " + note.what);
        return notes;
    }

    cReadTemplate read;
    cAdmxOutput out;
    bool built = false;
    pugi::xml_document admx, adml;
};

std::string Attr(pugi::xml_node node, const char* name) {
    return node.attribute(name) ? node.attribute(name).value() : "(none)";
}

// "decimal 5", "string x", "delete" or "(none)" for a value holder.
std::string ValueOf(pugi::xml_node holder) {
    pugi::xml_node value = holder.first_child();
    if (!value)
        return "(none)";
    std::string tag = value.name();
    if (tag == "decimal")
        return "decimal " + Attr(value, "value");
    if (tag == "string")
        return std::string("string ") + value.text().get();
    return tag;
}

const char kParts[] = R"(CLASS MACHINE
CATEGORY !!Cat
  KEYNAME "Software\Test"
  POLICY !!Parts
    EXPLAIN !!Parts_Help
    VALUENAME "Main"
    VALUEON "yes"
    VALUEOFF NUMERIC -1
    ACTIONLISTON
      VALUENAME "A" VALUE NUMERIC 1
      KEYNAME "Software\Else" VALUENAME "B" VALUE DELETE
    END ACTIONLISTON
    PART !!Box CHECKBOX
      VALUENAME "Box"
      DEFCHECKED
      VALUEON NUMERIC 7
      VALUEOFF DELETE
      ACTIONLISTOFF
        VALUENAME "Side" VALUE "gone"
      END ACTIONLISTOFF
    END PART
    PART "Plain box" CHECKBOX
      VALUENAME "Plain"
    END PART
    PART !!Edit EDITTEXT
      VALUENAME "Edit"
      MAXLEN 20
      REQUIRED
      EXPANDABLETEXT
      DEFAULT "abc"
    END PART
    PART !!Combo COMBOBOX
      KEYNAME "Software\Test"
      VALUENAME "Combo"
      NOSORT
      DEFAULT "one"
      SUGGESTIONS one two END SUGGESTIONS
    END PART
    PART !!Drop DROPDOWNLIST
      VALUENAME "Drop"
      REQUIRED
      NOSORT
      ITEMLIST
        NAME !!First VALUE NUMERIC 1
        NAME "Second item" VALUE "two"
          ACTIONLIST VALUENAME "Extra" VALUE NUMERIC 2 END ACTIONLIST
      END ITEMLIST
    END PART
    PART !!List LISTBOX
      KEYNAME "Software\Test\List"
      VALUEPREFIX "p"
      ADDITIVE
      EXPLICITVALUE
    END PART
    PART !!Num NUMERIC
      VALUENAME "Num"
      MIN 1 MAX 10 DEFAULT 5 SPIN 2
      TXTCONVERT
      REQUIRED
    END PART
    PART !!NoSpin NUMERIC
      VALUENAME "NoSpin"
      SPIN 0
    END PART
    PART !!Note TEXT
    END PART
  END POLICY
END CATEGORY

[strings]
Cat=Category
Parts=Every part
Parts_Help=First line\nSecond line
Box=A box
Edit=An edit
Combo=A combo
Drop=A list
First=First item
List=A list box
Num=A number
NoSpin=No spin
Note=Just text
)";

TEST(AdmxExport, PolicyAttributesValuesAndLists) {
    cExported e(kParts);
    ASSERT_TRUE(e.built);
    pugi::xml_node policy = e.Policy("Parts");
    ASSERT_TRUE(policy);
    EXPECT_EQ(Attr(policy, "class"), "Machine");
    EXPECT_EQ(Attr(policy, "displayName"), "$(string.Parts)");
    EXPECT_EQ(Attr(policy, "explainText"), "$(string.Parts_Help)");
    EXPECT_EQ(Attr(policy, "presentation"), "$(presentation.Parts)");
    EXPECT_EQ(Attr(policy, "key"), "Software\\Test");
    EXPECT_EQ(Attr(policy, "valueName"), "Main");
    EXPECT_EQ(Attr(policy.child("parentCategory"), "ref"), "Cat");
    EXPECT_EQ(ValueOf(policy.child("enabledValue")), "string yes");
    EXPECT_EQ(ValueOf(policy.child("disabledValue")), "decimal 4294967295");

    std::vector<std::string> items;
    for (pugi::xml_node item : policy.child("enabledList").children("item"))
        items.push_back(Attr(item, "key") + "\\" + Attr(item, "valueName") + "=" +
                        ValueOf(item.child("value")));
    // An item on the policy's own key leaves the key to it.
    EXPECT_EQ(items, (std::vector<std::string>{"(none)\\A=decimal 1", "Software\\Else\\B=delete"}));
    EXPECT_FALSE(policy.child("disabledList"));

    EXPECT_EQ(e.String("Parts_Help"), "First line\nSecond line");
    EXPECT_EQ(e.String("Cat"), "Category");
}

TEST(AdmxExport, EveryPartKindWithItsElementAndPresentation) {
    cExported e(kParts);
    ASSERT_TRUE(e.built);
    pugi::xml_node elements = e.Policy("Parts").child("elements");
    std::vector<std::string> tags;
    for (pugi::xml_node element : elements.children())
        tags.push_back(std::string(element.name()) + ":" + Attr(element, "id"));
    EXPECT_EQ(tags, (std::vector<std::string>{"boolean:Box", "boolean:Plain_box", "text:Edit",
                                              "text:Combo", "enum:Drop", "list:List", "decimal:Num",
                                              "decimal:NoSpin"}));

    pugi::xml_node box = elements.find_child_by_attribute("id", "Box");
    EXPECT_EQ(Attr(box, "valueName"), "Box");
    EXPECT_EQ(Attr(box, "key"), "(none)");  // the policy's key
    EXPECT_EQ(ValueOf(box.child("trueValue")), "decimal 7");
    EXPECT_EQ(ValueOf(box.child("falseValue")), "delete");
    EXPECT_EQ(Attr(box.child("falseList").child("item"), "valueName"), "Side");
    EXPECT_EQ(ValueOf(box.child("falseList").child("item").child("value")), "string gone");
    pugi::xml_node plain = elements.find_child_by_attribute("id", "Plain_box");
    EXPECT_FALSE(plain.child("trueValue"));  // the defaults 1 and 0 stay defaults
    EXPECT_FALSE(plain.child("falseValue"));

    pugi::xml_node edit = elements.find_child_by_attribute("id", "Edit");
    EXPECT_EQ(Attr(edit, "maxLength"), "20");
    EXPECT_EQ(Attr(edit, "required"), "true");
    EXPECT_EQ(Attr(edit, "expandable"), "true");

    pugi::xml_node combo = elements.find_child_by_attribute("id", "Combo");
    EXPECT_EQ(Attr(combo, "key"), "(none)");  // its own key, equal to the policy's
    EXPECT_EQ(Attr(combo, "valueName"), "Combo");

    pugi::xml_node drop = elements.find_child_by_attribute("id", "Drop");
    EXPECT_EQ(Attr(drop, "required"), "true");
    std::vector<std::string> dropItems;
    for (pugi::xml_node item : drop.children("item"))
        dropItems.push_back(Attr(item, "displayName") + " " + ValueOf(item.child("value")) + " " +
                            Attr(item.child("valueList").child("item"), "valueName"));
    EXPECT_EQ(dropItems, (std::vector<std::string>{"$(string.First) decimal 1 (none)",
                                                   "$(string.Parts_Drop_2) string two Extra"}));
    EXPECT_EQ(e.String("Parts_Drop_2"), "Second item");

    pugi::xml_node list = elements.find_child_by_attribute("id", "List");
    EXPECT_EQ(Attr(list, "key"), "Software\\Test\\List");
    EXPECT_EQ(Attr(list, "valuePrefix"), "p");
    EXPECT_EQ(Attr(list, "additive"), "true");
    EXPECT_EQ(Attr(list, "explicitValue"), "true");
    EXPECT_EQ(Attr(list, "valueName"), "(none)");

    pugi::xml_node num = elements.find_child_by_attribute("id", "Num");
    EXPECT_EQ(Attr(num, "minValue"), "1");
    EXPECT_EQ(Attr(num, "maxValue"), "10");
    EXPECT_EQ(Attr(num, "storeAsText"), "true");
    EXPECT_EQ(Attr(num, "required"), "true");
    pugi::xml_node noSpin = elements.find_child_by_attribute("id", "NoSpin");
    EXPECT_EQ(Attr(noSpin, "minValue"), "(none)");  // the defaults 0 and 9999 stay defaults
    EXPECT_EQ(Attr(noSpin, "maxValue"), "(none)");

    pugi::xml_node shown = e.Presentation("Parts");
    std::vector<std::string> controls;
    for (pugi::xml_node control : shown.children())
        controls.push_back(std::string(control.name()) + ":" + Attr(control, "refId"));
    EXPECT_EQ(controls, (std::vector<std::string>{
                            "checkBox:Box", "checkBox:Plain_box", "textBox:Edit", "comboBox:Combo",
                            "dropdownList:Drop", "listBox:List", "decimalTextBox:Num",
                            "decimalTextBox:NoSpin", "text:(none)"}));
    pugi::xml_node check = shown.find_child_by_attribute("refId", "Box");
    EXPECT_EQ(Attr(check, "defaultChecked"), "true");
    EXPECT_STREQ(check.text().get(), "A box");
    pugi::xml_node textBox = shown.find_child_by_attribute("refId", "Edit");
    EXPECT_STREQ(textBox.child("label").text().get(), "An edit");
    EXPECT_STREQ(textBox.child("defaultValue").text().get(), "abc");
    pugi::xml_node comboBox = shown.find_child_by_attribute("refId", "Combo");
    EXPECT_EQ(Attr(comboBox, "noSort"), "true");
    EXPECT_STREQ(comboBox.child("default").text().get(), "one");
    std::vector<std::string> suggestions;
    for (pugi::xml_node s : comboBox.children("suggestion"))
        suggestions.push_back(s.text().get());
    EXPECT_EQ(suggestions, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(Attr(shown.find_child_by_attribute("refId", "Drop"), "noSort"), "true");
    pugi::xml_node decimal = shown.find_child_by_attribute("refId", "Num");
    EXPECT_EQ(Attr(decimal, "defaultValue"), "5");
    EXPECT_EQ(Attr(decimal, "spinStep"), "2");
    EXPECT_EQ(Attr(shown.find_child_by_attribute("refId", "NoSpin"), "spin"), "false");
    EXPECT_STREQ(shown.child("text").text().get(), "Just text");
}

TEST(AdmxExport, SamePolicyUnderBothClassesIsWrittenOnceAsBoth) {
    const char* text = R"(CLASS MACHINE
CATEGORY !!Cat
  POLICY !!Same
    KEYNAME "K" VALUENAME "V"
  END POLICY
  POLICY !!Differs
    KEYNAME "K" VALUENAME "Machine"
  END POLICY
END CATEGORY
CLASS USER
CATEGORY !!Cat
  POLICY !!Same
    KEYNAME "K" VALUENAME "V"
  END POLICY
  POLICY !!Differs
    KEYNAME "K" VALUENAME "User"
  END POLICY
END CATEGORY
[strings]
Cat=C
Same=S
Differs=D
)";
    cExported e(text);
    ASSERT_TRUE(e.built);
    std::vector<std::string> policies;
    for (pugi::xml_node p : e.admx.child("policyDefinitions").child("policies").children())
        policies.push_back(Attr(p, "name") + " " + Attr(p, "class") + " " + Attr(p, "displayName") +
                           " " + Attr(p, "valueName"));
    EXPECT_EQ(policies, (std::vector<std::string>{"Same Both $(string.Same) V",
                                                  "Differs Machine $(string.Differs) Machine",
                                                  "Differs_2 User $(string.Differs) User"}));
    // The category opened under both classes is one category.
    EXPECT_EQ(e.admx.child("policyDefinitions").child("categories").select_nodes("category").size(),
              1u);
    std::vector<std::string> differences;
    EXPECT_TRUE(CheckAdmx(e.read.doc, e.out.admx, e.out.adml, differences))
        << testing::PrintToString(differences);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// SUPPORTED, a category's EXPLAIN and a drop-down list's DEFAULT item; SUPPORTED also keeps
// two policies that differ only in it from becoming one of class Both.
TEST(AdmxExport, SupportedOnCategoryExplainAndDefaultItem) {
    const char* text = R"(CLASS MACHINE
CATEGORY !!Cat
  KEYNAME "Software\Test"
  EXPLAIN !!Cat_Help
  POLICY !!One
    SUPPORTED !!SUPPORTED_WIN7
    VALUENAME "One"
  END POLICY
  POLICY !!Two
    SUPPORTED !!SUPPORTED_WIN7
    VALUENAME "Two"
    PART !!Drop DROPDOWNLIST
      VALUENAME "Drop"
      ITEMLIST
        NAME "a" VALUE NUMERIC 1
        NAME "b" VALUE NUMERIC 2 DEFAULT
        NAME "c" VALUE NUMERIC 3
      END ITEMLIST
    END PART
  END POLICY
  POLICY !!Three
    SUPPORTED "Anywhere & everywhere"
    VALUENAME "Three"
  END POLICY
  POLICY !!Four
    VALUENAME "Four"
    PART !!Drop DROPDOWNLIST
      VALUENAME "Drop"
      ITEMLIST
        NAME "a" VALUE NUMERIC 1
      END ITEMLIST
    END PART
  END POLICY
END CATEGORY
CLASS USER
CATEGORY !!Cat
  KEYNAME "Software\Test"
  POLICY !!One
    VALUENAME "One"
  END POLICY
END CATEGORY
[strings]
Cat=C
Cat_Help=About C\nand more
One=1
Two=2
Three=3
Four=4
Drop=D
SUPPORTED_WIN7=At least Windows 7
)";
    cExported e(text);
    ASSERT_TRUE(e.built);
    pugi::xml_node root = e.admx.child("policyDefinitions");
    std::vector<std::string> definitions;
    for (pugi::xml_node d : root.child("supportedOn").child("definitions").children())
        definitions.push_back(Attr(d, "name") + " " + Attr(d, "displayName"));
    EXPECT_EQ(definitions,
              (std::vector<std::string>{
                  "SUPPORTED_WIN7 $(string.SUPPORTED_WIN7)", "SUPPORTED $(string.SUPPORTED)",
                  "SUPPORTED_NotSpecified $(string.SUPPORTED_NotSpecified)"}));
    EXPECT_EQ(e.String("SUPPORTED_WIN7"), "At least Windows 7");
    EXPECT_EQ(e.String("SUPPORTED"), "Anywhere & everywhere");
    // The schema wants the definitions between the resources and the categories.
    EXPECT_STREQ(root.child("supportedOn").previous_sibling().name(), "resources");
    EXPECT_STREQ(root.child("supportedOn").next_sibling().name(), "categories");

    std::vector<std::string> policies;
    for (pugi::xml_node p : root.child("policies").children())
        policies.push_back(Attr(p, "name") + " " + Attr(p, "class") + " " +
                           Attr(p.child("supportedOn"), "ref") + " after " +
                           p.child("supportedOn").previous_sibling().name());
    EXPECT_EQ(policies,
              (std::vector<std::string>{"One Machine SUPPORTED_WIN7 after parentCategory",
                                        "Two Machine SUPPORTED_WIN7 after parentCategory",
                                        "Three Machine SUPPORTED after parentCategory",
                                        "Four Machine SUPPORTED_NotSpecified after parentCategory",
                                        "One_2 User SUPPORTED_NotSpecified after parentCategory"}));

    pugi::xml_node category = root.child("categories").child("category");
    EXPECT_EQ(Attr(category, "explainText"), "$(string.Cat_Help)");
    EXPECT_EQ(e.String("Cat_Help"), "About C\nand more");

    EXPECT_EQ(Attr(e.Presentation("Two").child("dropdownList"), "defaultItem"), "1");
    EXPECT_EQ(Attr(e.Presentation("Four").child("dropdownList"), "defaultItem"), "(none)");

    std::vector<std::string> differences;
    ASSERT_TRUE(CheckAdmx(e.read.doc, e.out.admx, e.out.adml, differences))
        << testing::PrintToString(differences);
    // The re-read check sees a wrong default item, a wrong or missing supportedOn and a
    // category explanation that names no string.
    const std::pair<const char*, const char*> admlBreaks[] = {
        {"defaultItem=\"1\"", "defaultItem=\"2\""},
        {"defaultItem=\"1\"", "defaultItem=\"7\""},
        {"<string id=\"SUPPORTED\">Anywhere &amp; everywhere</string>",
         "<string id=\"SUPPORTED\">Elsewhere</string>"},
    };
    for (const auto& [from, to] : admlBreaks) {
        EXPECT_FALSE(CheckAdmx(e.read.doc, e.out.admx, Replace(e.out.adml, from, to), differences))
            << from;
    }
    const std::pair<const char*, const char*> admxBreaks[] = {
        {"<supportedOn ref=\"SUPPORTED\"/>", "<supportedOn ref=\"SUPPORTED_WIN7\"/>"},
        {"<supportedOn ref=\"SUPPORTED\"/>", ""},
        {"<supportedOn ref=\"SUPPORTED\"/>", "<supportedOn ref=\"Nowhere\"/>"},
        {"explainText=\"$(string.Cat_Help)\"", "explainText=\"$(string.Missing)\""},
    };
    for (const auto& [from, to] : admxBreaks) {
        EXPECT_FALSE(CheckAdmx(e.read.doc, Replace(e.out.admx, from, to), e.out.adml, differences))
            << from;
    }
}

TEST(AdmxExport, IdsAreMadeValidAndUnique) {
    const char* text = R"(CLASS MACHINE
CATEGORY !!Vendor:Cat
  POLICY "1 odd name!"
    KEYNAME "K" VALUENAME "a"
  END POLICY
  POLICY "1 odd name!"
    KEYNAME "K" VALUENAME "b"
  END POLICY
END CATEGORY
CATEGORY !!Vendor_Cat
  POLICY !!Vendor_Cat
    KEYNAME "K" VALUENAME "c"
    PART !!P EDITTEXT VALUENAME "x" END PART
    PART !!P EDITTEXT VALUENAME "y" END PART
  END POLICY
END CATEGORY
[strings]
Vendor:Cat=One
Vendor_Cat=Two
P=Part
)";
    cExported e(text);
    ASSERT_TRUE(e.built);
    std::vector<std::string> categories;
    for (pugi::xml_node c : e.admx.child("policyDefinitions").child("categories").children())
        categories.push_back(Attr(c, "name") + " " + Attr(c, "displayName"));
    EXPECT_EQ(categories, (std::vector<std::string>{"Vendor_Cat $(string.Vendor_Cat)",
                                                    "Vendor_Cat_2 $(string.Vendor_Cat_2)"}));
    EXPECT_EQ(e.String("Vendor_Cat"), "One");
    EXPECT_EQ(e.String("Vendor_Cat_2"), "Two");

    std::vector<std::string> policies;
    for (pugi::xml_node p : e.admx.child("policyDefinitions").child("policies").children())
        policies.push_back(Attr(p, "name") + " " + Attr(p, "displayName"));
    EXPECT_EQ(policies, (std::vector<std::string>{"_1_odd_name_ $(string._1_odd_name_)",
                                                  "_1_odd_name__2 $(string._1_odd_name__2)",
                                                  "Vendor_Cat $(string.Vendor_Cat_2)"}));
    EXPECT_EQ(e.String("_1_odd_name__2"), "1 odd name!");
    std::vector<std::string> ids;
    for (pugi::xml_node element : e.Element("Vendor_Cat", "text").parent().children())
        ids.push_back(Attr(element, "id"));
    EXPECT_EQ(ids, (std::vector<std::string>{"P", "P_2"}));
    std::vector<std::string> differences;
    EXPECT_TRUE(CheckAdmx(e.read.doc, e.out.admx, e.out.adml, differences))
        << testing::PrintToString(differences);
}

TEST(AdmxExport, TextsAreEscapedByTheXmlLibrary) {
    cExported e(R"(CLASS MACHINE
CATEGORY "A & <B>"
  POLICY "Say 'hi' & go"
    KEYNAME "K<1>" VALUENAME "v&"
    VALUEON "<on>"
  END POLICY
END CATEGORY
)");
    ASSERT_TRUE(e.built);
    pugi::xml_node policy = e.admx.child("policyDefinitions").child("policies").child("policy");
    EXPECT_EQ(Attr(policy, "key"), "K<1>");
    EXPECT_EQ(ValueOf(policy.child("enabledValue")), "string <on>");
    EXPECT_EQ(e.String(Attr(policy, "name").c_str()), "Say 'hi' & go");
}

// ---- The re-read check -----------------------------------------------------------------

TEST(AdmxCheck, PassesTheExportAndCatchesEveryBrokenBinding) {
    cExported e(kParts);
    ASSERT_TRUE(e.built);
    std::vector<std::string> differences;
    ASSERT_TRUE(CheckAdmx(e.read.doc, e.out.admx, e.out.adml, differences))
        << testing::PrintToString(differences);

    struct Break {
        const char* from;
        const char* to;
        bool inAdml;
    };
    const Break breaks[] = {
        {"valueName=\"Main\"", "valueName=\"Other\"", false},
        {"class=\"Machine\"", "class=\"Both\"", false},
        {"<decimal value=\"7\"/>", "<decimal value=\"8\"/>", false},
        {"<decimal value=\"4294967295\"/>", "<string>4294967295</string>", false},
        {"valuePrefix=\"p\"", "valuePrefix=\"q\"", false},
        {" storeAsText=\"true\"", "", false},
        {"<enum id=\"Drop\" valueName", "<enum id=\"Drop\" key=\"Elsewhere\" valueName", false},
        {"key=\"Software\\Else\"", "key=\"Software\\Test\"", false},
        {"<string id=\"Parts\">Every part</string>", "<string id=\"Parts\">Changed</string>", true},
        {"<string id=\"Cat\">Category</string>", "", true},
        {"refId=\"Num\"", "refId=\"Numb\"", true},
    };
    for (const Break& b : breaks) {
        std::string admx = b.inAdml ? e.out.admx : Replace(e.out.admx, b.from, b.to);
        std::string adml = b.inAdml ? Replace(e.out.adml, b.from, b.to) : e.out.adml;
        EXPECT_FALSE(CheckAdmx(e.read.doc, admx, adml, differences)) << b.from;
        EXPECT_FALSE(differences.empty()) << b.from;
    }
    EXPECT_FALSE(CheckAdmx(e.read.doc, e.out.admx.substr(0, e.out.admx.size() / 2), e.out.adml,
                           differences));
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0].rfind("the ADMX file does not parse", 0), 0u) << differences[0];
}

// ---- The mapping report ----------------------------------------------------------------

TEST(AdmxReport, NamesWhatAdmxCannotHoldWithItsLine) {
    cExported e(R"(CLASS MACHINE
CATEGORY "Cat"
  #if version >= 4
  POLICY "P"
    KEYNAME "K" VALUENAME "v"
    PART "E" EDITTEXT VALUENAME "e" OEMCONVERT MAXLEN big END PART
    PART "N" NUMERIC VALUENAME "n" MIN -5 END PART
  END POLICY
  #endif
  POLICY !!Undefined
    KEYNAME "K" VALUENAME "w"
  END POLICY
END CATEGORY
CLASS OTHER
CATEGORY "Lost"
  POLICY "Q" KEYNAME "K" END POLICY
END CATEGORY
)");
    EXPECT_TRUE(e.built);
    EXPECT_EQ(e.Notes(),
              (std::vector<std::string>{
                  "3: #if version >= 4 (what it holds is exported without the condition)",
                  "4: supported-on not specified, 2 policies (given the definition "
                  "SUPPORTED_NotSpecified, \"Not specified\")",
                  "6: PART E MAXLEN big: ADMX takes a number from 0 to 4294967295",
                  "6: PART E OEMCONVERT: ADMX has no form for it",
                  "7: PART N MIN -5: ADMX takes a number from 0 to 4294967295",
                  "10: the text of !!Undefined, which the strings section does not define "
                  "(the reference is shown as written)",
                  "14: CLASS OTHER with everything in it: ADMX has the classes MACHINE and USER "
                  "only",
              }));
    // What is reported is left out; the policies themselves are all there.
    EXPECT_TRUE(e.Policy("P"));
    EXPECT_TRUE(e.Policy("Undefined"));
    EXPECT_EQ(e.String("Undefined"), "!!Undefined");
    EXPECT_FALSE(e.Policy("Q"));
    std::vector<std::string> differences;
    EXPECT_TRUE(CheckAdmx(e.read.doc, e.out.admx, e.out.adml, differences))
        << testing::PrintToString(differences);
}

// ---- Files -----------------------------------------------------------------------------

// What lint's admx-schema rule finds in a written set: "LINE TEXT".
std::vector<std::string> SchemaFindings(const std::string& admxPath) {
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    cReadLog log;
    std::vector<std::string> found;
    if (!doc.ReadFile(FromUtf8(admxPath), &log))
        return {"the written set does not read"};
    for (const cFinding& finding : LintTemplate(doc, log))
        if (std::string_view(finding.rule) == "admx-schema")
            found.push_back(std::to_string(finding.line) + " " + ToUtf8(finding.text));
    return found;
}

struct cOutDir {
    cOutDir() {
        static int counter = 0;
        path = fs::temp_directory_path() /
               ("tessary-admx-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    }
    ~cOutDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Read(const fs::path& file) const {
        std::ifstream in(path / file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path path;
};

TEST(AdmxFiles, WritesBothFilesInTheirFolders) {
    cReadTemplate t(kParts);
    ASSERT_TRUE(t.ok);
    cOutDir out;
    cAdmxOptions options;
    options.language = "de-DE";
    options.nameSpace = "Example.Policies.Test";
    cAdmxReport report;
    ASSERT_TRUE(ExportAdmx(t.doc, out.path.string(), "parts", options, report))
        << (report.errors.empty() ? "" : report.errors[0].what);
    EXPECT_EQ(report.admxPath, (out.path / "parts.admx").string());
    EXPECT_EQ(report.admlPath, (out.path / "de-DE" / "parts.adml").string());
    std::string admx = out.Read("parts.admx");
    EXPECT_EQ(admx.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_NE(admx.find("prefix=\"parts\" namespace=\"Example.Policies.Test\""), std::string::npos);
    EXPECT_NE(admx.find("<resources minRequiredRevision=\"1.0\"/>"), std::string::npos);
    EXPECT_NE(out.Read("de-DE/parts.adml").find("<policyDefinitionResources"), std::string::npos);
    // Nothing but the two files is left behind.
    size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out.path))
        entries += entry.is_regular_file();
    EXPECT_EQ(entries, 2u);
}

TEST(AdmxFiles, AFailedExportReplacesNothing) {
    cOutDir out;
    fs::create_directories(out.path / "en-US");
    std::ofstream(out.path / "bad.admx") << "precious";

    cReadTemplate unexportable(R"(CLASS MACHINE
CATEGORY "C"
  POLICY "P" KEYNAME "K" VALUENAME "v" VALUEON NUMERIC lots END POLICY
END CATEGORY
)");
    ASSERT_TRUE(unexportable.ok);
    cAdmxReport report;
    EXPECT_FALSE(ExportAdmx(unexportable.doc, out.path.string(), "bad", cAdmxOptions(), report));
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.errors[0].line, 3);
    EXPECT_EQ(report.errors[0].what,
              "cannot export NUMERIC lots of POLICY P is not a 32-bit number");
    EXPECT_EQ(out.Read("bad.admx"), "precious");

    cReadTemplate versioned(
        "CLASS MACHINE\n#if version >= 2\nCATEGORY \"C\"\nEND CATEGORY\n"
        "#endif\n");
    ASSERT_TRUE(versioned.ok);
    cAdmxOptions strict;
    strict.strict = true;
    EXPECT_FALSE(ExportAdmx(versioned.doc, out.path.string(), "bad", strict, report));
    EXPECT_EQ(report.notExported.size(), 1u);
    EXPECT_EQ(out.Read("bad.admx"), "precious");
    EXPECT_FALSE(fs::exists(out.path / "en-US" / "bad.adml"));
    EXPECT_TRUE(ExportAdmx(versioned.doc, out.path.string(), "bad", cAdmxOptions(), report));
    EXPECT_NE(out.Read("bad.admx"), "precious");
}

TEST(AdmxFiles, AFolderOrFileNobodyMayWriteIsLeftAlone) {
    cReadTemplate t("CLASS MACHINE\nCATEGORY \"C\"\nEND CATEGORY\n");
    ASSERT_TRUE(t.ok);
    cOutDir out;
    fs::create_directories(out.path / "locked");
    fs::permissions(out.path / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    cAdmxReport report;
    EXPECT_FALSE(ExportAdmx(t.doc, (out.path / "locked").string(), "t", cAdmxOptions(), report));
    EXPECT_FALSE(
        ExportAdmx(t.doc, (out.path / "locked" / "below").string(), "t", cAdmxOptions(), report));
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_NE(report.errors[0].what.find("\"Permission denied\" on file " +
                                         (out.path / "locked" / "below").string()),
              std::string::npos)
        << report.errors[0].what;
    EXPECT_TRUE(fs::is_empty(out.path / "locked"));
    fs::permissions(out.path / "locked", fs::perms::owner_all);

    std::ofstream(out.path / "t.admx") << "kept";
    fs::permissions(out.path / "t.admx", fs::perms::owner_read);
    EXPECT_FALSE(ExportAdmx(t.doc, out.path.string(), "t", cAdmxOptions(), report));
    EXPECT_EQ(out.Read("t.admx"), "kept");
    EXPECT_FALSE(fs::exists(out.path / "en-US" / "t.adml"));
}

TEST(AdmxMapping, NumbersAndLanguages) {
    uint32_t n = 0;
    EXPECT_TRUE(ParseDword(u"-2147483648", n));
    EXPECT_EQ(n, 0x80000000u);
    EXPECT_TRUE(ParseDword(u"4294967295", n));
    EXPECT_EQ(n, 0xFFFFFFFFu);
    EXPECT_FALSE(ParseDword(u"4294967296", n));
    EXPECT_FALSE(ParseDword(u"-2147483649", n));
    EXPECT_FALSE(ParseDword(u"", n));
    EXPECT_FALSE(ParseDword(u"0x10", n));
    EXPECT_FALSE(ParseUnsigned(u"-1", n));

    for (const char* good : {"en-US", "de-DE", "sr-Latn-RS", "es-419", "fil-PH"})
        EXPECT_TRUE(IsValidLanguage(good)) << good;
    for (const char* bad : {"", "e", "../x", "en/US", "en-", "-US", "en US", "1e-US"})
        EXPECT_FALSE(IsValidLanguage(bad)) << bad;
}

// A policy without SUPPORTED refers to the definition the export adds for all of them, or to
// the one the options name; either way the policy editor takes the files.
TEST(AdmxFiles, EveryPolicyHasASupportedOn) {
    const std::string text = R"(CLASS MACHINE
CATEGORY "Cat"
  KEYNAME "Software\Test"
  POLICY "One" VALUENAME "One" END POLICY
  POLICY "Two" SUPPORTED !!SUPPORTED_NotSpecified VALUENAME "Two" END POLICY
  POLICY "Three" VALUENAME "Three" END POLICY
END CATEGORY
[strings]
SUPPORTED_NotSpecified=The template's own
)";
    cReadTemplate t(text);
    ASSERT_TRUE(t.ok);
    for (const std::string supportedOn : {"", "windows:SUPPORTED_WindowsVista"}) {
        cOutDir out;
        cAdmxOptions options;
        options.supportedOn = supportedOn;
        cAdmxReport report;
        ASSERT_TRUE(ExportAdmx(t.doc, out.path.string(), "t", options, report))
            << (report.errors.empty() ? "" : report.errors[0].what);
        pugi::xml_document admx;
        ASSERT_TRUE(admx.load_string(out.Read("t.admx").c_str()));
        pugi::xml_node root = admx.child("policyDefinitions");
        std::vector<std::string> refs;
        for (pugi::xml_node p : root.child("policies").children())
            refs.push_back(Attr(p.child("supportedOn"), "ref"));
        std::vector<std::string> notes;
        for (const cAdmxNote& note : report.notExported)
            notes.push_back(std::to_string(note.line) + ": " + note.what);
        if (supportedOn.empty()) {
            // The template's own name stays its text's; the added one steps aside.
            EXPECT_EQ(refs, (std::vector<std::string>{"SUPPORTED_NotSpecified_2",
                                                      "SUPPORTED_NotSpecified",
                                                      "SUPPORTED_NotSpecified_2"}));
            EXPECT_EQ(notes, (std::vector<std::string>{
                                 "4: supported-on not specified, 2 policies (given the definition "
                                 "SUPPORTED_NotSpecified_2, \"Not specified\")"}));
            EXPECT_NE(out.Read("en-US/t.adml").find(">Not specified</string>"), std::string::npos);
        } else {
            EXPECT_EQ(refs, (std::vector<std::string>{supportedOn, "SUPPORTED_NotSpecified",
                                                      supportedOn}));
            EXPECT_EQ(notes, std::vector<std::string>());
            pugi::xml_node declared = root.child("policyNamespaces").child("using");
            EXPECT_EQ(Attr(declared, "prefix") + " " + Attr(declared, "namespace"),
                      "windows Microsoft.Policies.Windows");
        }
        EXPECT_EQ(SchemaFindings(report.admxPath), std::vector<std::string>());
    }
    EXPECT_EQ(SupportedOnProblem("windows:SUPPORTED_Windows7"), "");
    EXPECT_NE(SupportedOnProblem("SUPPORTED_Windows7"), "");
    EXPECT_NE(SupportedOnProblem("vendor:SUPPORTED_X"), "");
    EXPECT_NE(SupportedOnProblem("windows:a b"), "");
}

// The export of every part kind is a set the policy editor takes.
TEST(AdmxFiles, EveryPartKindPassesTheSchema) {
    cReadTemplate t(kParts);
    ASSERT_TRUE(t.ok);
    cOutDir out;
    cAdmxReport report;
    ASSERT_TRUE(ExportAdmx(t.doc, out.path.string(), "parts", cAdmxOptions(), report));
    EXPECT_EQ(SchemaFindings(report.admxPath), std::vector<std::string>());
}

// The export is written by the set writer: read back as a set, it is saved byte for byte as
// it stands, and an edit of it changes that one attribute.
TEST(AdmxFiles, TheExportIsASetTheWriterKeeps) {
    cExported e(kParts);
    ASSERT_TRUE(e.built);
    cHeldContent set;
    cTemplateContent content = set.Content();
    ASSERT_NE(
        ReadAdmxSetInMemory(u"/x/test.admx", e.out.admx, {{"en-US", e.out.adml}}, content, nullptr),
        cReadOutcome::Failed);
    std::vector<cAdmxFilePlan> plans;
    Text problem;
    ASSERT_TRUE(PlanAdmxSet(content, u"/x/test.admx", plans, problem, false)) << ToUtf8(problem);
    ASSERT_EQ(plans.size(), 2u);
    EXPECT_EQ(plans[0].bytes, e.out.admx);
    EXPECT_EQ(plans[1].bytes, e.out.adml);

    cObjPolicy* policy = nullptr;
    set.tree.ForEachPreOrder([&](cTreeItem* item) {
        if (item->node && item->node->kind == kKindPolicy && !policy)
            policy = static_cast<cObjPolicy*>(item->node.get());
    });
    ASSERT_TRUE(policy);
    policy->valueNameFlag = 1;
    policy->valueName = u"Renamed";
    plans.clear();
    ASSERT_TRUE(PlanAdmxSet(content, u"/x/test.admx", plans, problem, false)) << ToUtf8(problem);
    // One line differs: the policy's start tag with its value name.
    const std::vector<std::string> before = LinesOf(e.out.admx), after = LinesOf(plans[0].bytes);
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::string> changed;
    for (size_t i = 0; i < after.size(); ++i)
        if (before[i] != after[i])
            changed.push_back(after[i]);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_NE(changed[0].find("valueName=\"Renamed\""), std::string::npos) << changed[0];
    EXPECT_EQ(plans[1].bytes, e.out.adml);
}

TEST(AdmxCorpus, EveryTemplateExportsAndReadsBack) {
    std::vector<fs::path> files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "corpus folder absent";
    for (const fs::path& file : files) {
        CPelwinDoc doc;
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        ASSERT_TRUE(doc.ReadFile(FromUtf8(file.string()))) << file;
        cOutDir out;
        cAdmxReport report;
        EXPECT_TRUE(
            ExportAdmx(doc, out.path.string(), file.stem().string(), cAdmxOptions(), report))
            << file << ": " << (report.errors.empty() ? "" : report.errors[0].what);
        EXPECT_TRUE(report.notExported.empty()) << file << ": " << report.notExported[0].what;
        EXPECT_EQ(SchemaFindings(report.admxPath), std::vector<std::string>()) << file;
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "core/admx/admxschema.h"
#include "core/check/lint.h"
#include "tests/core/admx/admxsample.h"

namespace {

// A set the policy editor takes: every kind of element the model has, in the schema's order.
const char kValidAdmx[] = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions xmlns="http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions" revision="1.0" schemaVersion="1.0">
  <policyNamespaces>
    <target prefix="v" namespace="Valid.Policies"/>
    <using prefix="windows" namespace="Microsoft.Policies.Windows"/>
  </policyNamespaces>
  <resources minRequiredRevision="1.0"/>
  <supportedOn>
    <definitions>
      <definition name="SUPPORTED_V" displayName="$(string.SUPPORTED_V)"/>
    </definitions>
  </supportedOn>
  <categories>
    <category name="Cat" displayName="$(string.Cat)"/>
  </categories>
  <policies>
    <policy name="Pol" class="Both" displayName="$(string.Pol)" key="Software\V" presentation="$(presentation.Pol)" clientExtension="{35378EAC-683F-11D2-A89A-00C04FBBCFA2}">
      <parentCategory ref="Cat"/>
      <supportedOn ref="SUPPORTED_V"/>
      <enabledValue><decimal value="1"/></enabledValue>
      <disabledValue><delete/></disabledValue>
      <elements>
        <boolean id="Flag" valueName="Flag" required="true"><trueValue><decimal value="1"/></trueValue></boolean>
        <longDecimal id="Big" valueName="Big" maxValue="18446744073709551615"/>
        <multiText id="Lines" valueName="Lines"/>
        <list id="Hosts" key="Software\V\Hosts" expandable="true"/>
      </elements>
    </policy>
  </policies>
</policyDefinitions>
)xml";

const char kValidAdml[] = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources revision="1.0" schemaVersion="1.0">
  <displayName>Valid</displayName>
  <description>Valid</description>
  <resources>
    <stringTable>
      <string id="SUPPORTED_V">V</string>
      <string id="Cat">Category</string>
      <string id="Pol">Policy</string>
    </stringTable>
    <presentationTable>
      <presentation id="Pol">
        <checkBox refId="Flag">Flag</checkBox>
        <longDecimalTextBox refId="Big">Big</longDecimalTextBox>
        <multiTextBox refId="Lines">Lines</multiTextBox>
        <listBox refId="Hosts">Hosts</listBox>
      </presentation>
    </presentationTable>
  </resources>
</policyDefinitionResources>
)xml";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The admx-schema findings of a set: "FILE:LINE SEVERITY TEXT", FILE "admx" or "adml".
std::vector<std::string> SchemaFindings(const std::string& admx, const std::string& adml) {
    cTempSet set;
    set.Put("en-US/v.adml", adml);
    CPelwinDoc doc;
    cReadLog log;
    std::vector<std::string> found;
    if (!ReadDocument(doc, set.Put("v.admx", admx), &log)) {
        found.push_back("the read failed");
        return found;
    }
    for (const cFinding& finding : LintTemplate(doc, log))
        if (std::string_view(finding.rule) == "admx-schema")
            found.push_back(std::string(finding.file.empty() ? "admx" : "adml") + ":" +
                            std::to_string(finding.line) + " " + SeverityName(finding.severity) +
                            " " + ToUtf8(finding.text));
    return found;
}

}  // namespace

TEST(AdmxSchema, ValidSetHasNoFinding) {
    EXPECT_EQ(SchemaFindings(kValidAdmx, kValidAdml), std::vector<std::string>());
}

// Each fault the policy editor refuses a file for, alone in the valid set, at its line.
TEST(AdmxSchema, EachFaultAtItsLine) {
    struct cCase {
        bool adml;
        std::string from, to;
        std::string want;
    };
    const std::string refused = ": the policy editor refuses this file";
    const cCase cases[] = {
        // A required element missing: the policy's supportedOn, the ADML's description.
        {false, "      <supportedOn ref=\"SUPPORTED_V\"/>\n", "",
         "admx:17 error policy Pol has no supportedOn" + refused},
        {true, "  <description>Valid</description>\n", "",
         "adml:2 error policyDefinitionResources has no description" + refused},
        {false, "    <using prefix=\"windows\" namespace=\"Microsoft.Policies.Windows\"/>\n", "",
         ""},
        {false, "    <target prefix=\"v\" namespace=\"Valid.Policies\"/>\n", "",
         "admx:3 error policyNamespaces has no target" + refused},
        // Children out of order.
        {false, "      <parentCategory ref=\"Cat\"/>\n      <supportedOn ref=\"SUPPORTED_V\"/>",
         "      <supportedOn ref=\"SUPPORTED_V\"/>\n      <parentCategory ref=\"Cat\"/>",
         "admx:19 error parentCategory of policy Pol stands after supportedOn; the schema's "
         "order is annotation, parentCategory, seeAlso, keywords, supportedOn, enabledValue, "
         "disabledValue, enabledList, disabledList, elements" +
             refused},
        // Two where one may stand, a choice of one with two.
        {false, "<decimal value=\"1\"/></enabledValue>",
         "<decimal value=\"1\"/><delete/></enabledValue>",
         "admx:20 error enabledValue has more than one of delete, decimal, longDecimal, string" +
             refused},
        // Required attributes.
        {false, " key=\"Software\\V\" presentation", " presentation",
         "admx:17 error policy Pol has no attribute key" + refused},
        {false, "<boolean id=\"Flag\" ", "<boolean ",
         "admx:23 error boolean has no attribute id" + refused},
        {true, "<listBox refId=\"Hosts\">", "<listBox>",
         "adml:16 error listBox has no attribute refId" + refused},
        // Values of the schema's types.
        {false, "class=\"Both\"", "class=\"Computer\"",
         "admx:17 error class \"Computer\" of policy Pol is not Machine, User or Both" + refused},
        {false, "required=\"true\"", "required=\"yes\"",
         "admx:23 error required \"yes\" of boolean Flag is not true or false" + refused},
        {false, "maxValue=\"18446744073709551615\"", "maxValue=\"18446744073709551616\"",
         "admx:24 error maxValue \"18446744073709551616\" of longDecimal Big is not a whole "
         "number from 0 to 18446744073709551615" +
             refused},
        {false, "revision=\"1.0\" schemaVersion", "revision=\"1\" schemaVersion",
         "admx:2 error revision \"1\" of policyDefinitions is not a version such as 1.0" + refused},
        {false, "clientExtension=\"{35378EAC-683F-11D2-A89A-00C04FBBCFA2}\"",
         "clientExtension=\"35378EAC-683F-11D2-A89A-00C04FBBCFA2\"",
         "admx:17 error clientExtension \"35378EAC-683F-11D2-A89A-00C04FBBCFA2\" of policy Pol "
         "is not a GUID in braces such as {00000000-0000-0000-0000-000000000000}" +
             refused},
        {false, "<category name=\"Cat\"", "<category name=\"Cat 2\"",
         "admx:14 error name \"Cat 2\" of category Cat 2 is not a name of letters, digits, "
         "'_', '.' and '-'" +
             refused},
        // What the schema does not define: an element is refused, an attribute warned of.
        {false, "<multiText id=\"Lines\" valueName=\"Lines\"/>",
         "<multiText id=\"Lines\" valueName=\"Lines\"/><checkBox/>",
         "admx:25 error elements holds an element checkBox that the schema does not define "
         "there (it allows boolean, decimal, text, enum, list, longDecimal, multiText)" +
             refused},
        {false, "<category name=\"Cat\"", "<category Area=\"x\" name=\"Cat\"",
         "admx:14 warning category Cat has an attribute Area that the schema does not define: "
         "the policy editor may refuse this file"},
        {true, "<string id=\"Cat\">Category</string>",
         "<string id=\"Cat\">Cate<b>gory</b></string>",
         "adml:8 error string Cat holds an element b, where the schema allows none" + refused},
        {false, "<categories>", "<categories>words",
         "admx:13 warning categories holds text where the schema allows elements only: the "
         "policy editor passes over it"},
    };
    for (const cCase& c : cases) {
        const std::string admx = c.adml ? kValidAdmx : Replaced(kValidAdmx, c.from, c.to);
        const std::string adml = c.adml ? Replaced(kValidAdml, c.from, c.to) : kValidAdml;
        EXPECT_EQ(SchemaFindings(admx, adml),
                  c.want.empty() ? std::vector<std::string>() : std::vector<std::string>{c.want})
            << c.from;
    }
}

// The values real files write, and those the editor refuses.
TEST(AdmxSchema, ValueTypes) {
    using V = cSchemaValue;
    for (const char* yes : {"true", "false", "1", "0", " true "})
        EXPECT_TRUE(SchemaValueFits(V::Boolean, yes)) << yes;
    for (const char* no : {"True", "yes", ""})
        EXPECT_FALSE(SchemaValueFits(V::Boolean, no)) << no;
    EXPECT_TRUE(SchemaValueFits(V::UnsignedInt, "4294967295"));
    EXPECT_FALSE(SchemaValueFits(V::UnsignedInt, "4294967296"));
    EXPECT_FALSE(SchemaValueFits(V::UnsignedInt, "-1"));
    EXPECT_TRUE(SchemaValueFits(V::Version, "11.0"));
    EXPECT_FALSE(SchemaValueFits(V::Version, "1.0.0"));
    EXPECT_TRUE(SchemaValueFits(V::ItemName, "3DES"));
    EXPECT_TRUE(SchemaValueFits(V::ItemReference, "windows:SUPPORTED_Windows7"));
    EXPECT_FALSE(SchemaValueFits(V::ItemReference, "a:b:c"));
    EXPECT_TRUE(SchemaValueFits(V::StringReference, "$(string.Pol_Explain)"));
    EXPECT_FALSE(SchemaValueFits(V::StringReference, "Policy"));
    EXPECT_FALSE(SchemaValueFits(V::PresentationReference, "$(string.Pol)"));
}

#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "testsupport.h"

// A small ADMX set with a node of every kind the model has: categories nested and under
// another file's category, a policy of each class, every element and control kind.
inline const char kSampleAdmx[] = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions xmlns="http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions" revision="1.0" schemaVersion="1.0">
  <policyNamespaces>
    <target prefix="sample" namespace="Sample.Policies"/>
    <using prefix="windows" namespace="Microsoft.Policies.Windows"/>
  </policyNamespaces>
  <resources minRequiredRevision="1.0" fallbackCulture="fr-FR"/>
  <supportedOn>
    <definitions>
      <definition name="SUPPORTED_Sample" displayName="$(string.SUPPORTED_Sample)"/>
    </definitions>
  </supportedOn>
  <categories>
    <category name="Root" displayName="$(string.Root)" explainText="$(string.Root_Explain)">
      <parentCategory ref="windows:WindowsComponents"/>
    </category>
    <category name="Child" displayName="$(string.Child)">
      <parentCategory ref="sample:Root"/>
    </category>
    <category name="Empty" displayName="$(string.Empty)"/>
  </categories>
  <policies>
    <!-- one policy of each class -->
    <policy name="MachineOnly" class="Machine" displayName="$(string.MachineOnly)" explainText="$(string.MachineOnly_Explain)" key="Software\Sample" valueName="On" clientExtension="{35378EAC-683F-11D2-A89A-00C04FBBCFA2}">
      <parentCategory ref="Child"/>
      <supportedOn ref="SUPPORTED_Sample"/>
      <enabledValue><decimal value="1"/></enabledValue>
      <disabledValue><delete/></disabledValue>
    </policy>
    <policy name="UserOnly" class="User" displayName="$(string.UserOnly)" key="Software\Sample\User" presentation="$(presentation.UserOnly)">
      <parentCategory ref="Child"/>
      <supportedOn ref="windows:SUPPORTED_Windows7"/>
      <elements>
        <text id="Name" valueName="Name" maxLength="20" required="true" expandable="true"/>
        <decimal id="Count" valueName="Count" minValue="1" maxValue="50"/>
        <longDecimal id="Big" valueName="Big" maxValue="10000000000"/>
        <multiText id="Lines" valueName="Lines" maxStrings="5"/>
        <enum id="Mode" valueName="Mode" required="true">
          <item displayName="$(string.Mode_Fast)"><value><string>fast</string></value></item>
          <item displayName="$(string.Mode_Slow)">
            <value><decimal value="2"/></value>
            <valueList><item key="Software\Sample\Extra" valueName="Slow"><value><decimal value="1"/></value></item></valueList>
          </item>
        </enum>
        <list id="Hosts" key="Software\Sample\Hosts" valuePrefix="Host" additive="true"/>
        <boolean id="Flag" valueName="Flag"><trueValue><decimal value="1"/></trueValue><falseValue><decimal value="0"/></falseValue></boolean>
        <text id="Hidden" valueName="Hidden" soft="true"/>
      </elements>
    </policy>
    <policy name="Everyone" class="Both" displayName="$(string.Everyone)" key="Software\Sample" valueName="Everyone">
      <parentCategory ref="Root"/>
      <seeAlso>the other policies</seeAlso>
      <enabledList><item valueName="A"><value><string>a</string></value></item></enabledList>
    </policy>
    <policy name="Outside" class="Machine" displayName="$(string.Outside)" key="Software\Sample" valueName="Outside">
      <parentCategory ref="windows:System"/>
    </policy>
  </policies>
</policyDefinitions>
)xml";

inline std::string SampleAdml(const std::string& language, const std::string& extraString = "") {
    const bool french = language.rfind("fr", 0) == 0 || language.rfind("FR", 0) == 0;
    auto t = [&](const char* en, const char* fr) { return std::string(french ? fr : en); };
    return R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources revision="1.0" schemaVersion="1.0">
  <displayName>Sample</displayName>
  <description>Sample</description>
  <resources>
    <stringTable>
      <string id="SUPPORTED_Sample">)xml" +
           t("At least Sample 2", "Au moins Sample 2") + R"xml(</string>
      <string id="Root">)xml" +
           t("Sample root", "Racine") + R"xml(</string>
      <string id="Root_Explain">)xml" +
           t("Line one\nline two", "Ligne un\nligne deux") + R"xml(</string>
      <string id="Child">)xml" +
           t("Child", "Enfant") + R"xml(</string>
      <string id="Empty">)xml" +
           t("Empty", "Vide") + R"xml(</string>
      <string id="MachineOnly">)xml" +
           t("Machine only", "Machine seule") + R"xml(</string>
      <string id="MachineOnly_Explain">)xml" +
           t("Turns it on", "Allume") + R"xml(</string>
      <string id="UserOnly">)xml" +
           t("User only", "Utilisateur seul") + R"xml(</string>
      <string id="Mode_Fast">)xml" +
           t("Fast", "Vite") + R"xml(</string>
      <string id="Mode_Slow">)xml" +
           t("Slow", "Lent") + R"xml(</string>
      <string id="Everyone">)xml" +
           t("Everyone", "Tous") + R"xml(</string>
      <string id="Outside">)xml" +
           t("Outside", "Dehors") + R"xml(</string>)xml" + extraString + R"xml(
    </stringTable>
    <presentationTable>
      <presentation id="UserOnly">
        <text>)xml" +
           t("Static words", "Mots") + R"xml(</text>
        <comboBox refId="Name" noSort="true"><label>Name:</label><default>joe</default><suggestion>ann</suggestion><suggestion>bob</suggestion></comboBox>
        <decimalTextBox refId="Count" defaultValue="5" spinStep="2">Count:</decimalTextBox>
        <longDecimalTextBox refId="Big" spin="false">Big:</longDecimalTextBox>
        <multiTextBox refId="Lines" defaultHeight="4">Lines:</multiTextBox>
        <dropdownList refId="Mode" defaultItem="1" noSort="true">Mode:</dropdownList>
        <listBox refId="Hosts">Hosts:</listBox>
        <checkBox refId="Flag" defaultChecked="true">Flag it</checkBox>
      </presentation>
    </presentationTable>
  </resources>
</policyDefinitionResources>
)xml";
}

// Whether a finding's text is that of a policy without a supportedOn: two policies of the
// sample have none, as sets of older tools do, and a test of what an edit writes passes over
// them.
inline bool IsMissingSupportedOn(const std::string& text) {
    return text.find(" has no supportedOn:") != std::string::npos;
}

// A set written into a folder of its own for one test, removed with it.
class cTempSet {
public:
    cTempSet() {
        static int counter = 0;
        dir = std::filesystem::temp_directory_path() /
              ("tessary-set-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    ~cTempSet() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    cTempSet(const cTempSet&) = delete;
    cTempSet& operator=(const cTempSet&) = delete;

    std::filesystem::path Put(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path path = dir / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // The sample set: sample.admx with en-US and fr-FR (its folder named in other case).
    std::filesystem::path PutSample() const {
        Put("en-US/sample.adml", SampleAdml("en-US"));
        Put("FR-fr/sample.adml", SampleAdml("fr-FR"));
        return Put("sample.admx", kSampleAdmx);
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(dir / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir;
};

// The policy the set names so, and its item when asked for; a failure when there is none.
inline cObjPolicy& PolicyNamed(CPelwinDoc& doc, const char16_t* name, cTreeItem** item = nullptr) {
    cObjPolicy* found = nullptr;
    doc.Tree().ForEachPreOrder([&](cTreeItem* at) {
        auto* policy = dynamic_cast<cObjPolicy*>(at->node.get());
        if (!found && policy && policy->admx && policy->admx->name == name) {
            found = policy;
            if (item)
                *item = at;
        }
    });
    EXPECT_NE(found, nullptr);
    return *found;
}

// Reads a file as tessary-cli check does.
inline bool ReadDocument(CPelwinDoc& doc, const std::filesystem::path& path,
                         cReadLog* log = nullptr) {
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    return doc.ReadFile(FromUtf8(path.string()), log);
}

// The item of the tree reached by the labels given, from the top.
inline cTreeItem* ItemAt(const cTemplateTree& tree, std::initializer_list<const char16_t*> path) {
    cTreeItem* at = tree.Root();
    for (const char16_t* label : path) {
        cTreeItem* next = nullptr;
        for (const auto& child : at->children)
            if (child->label == label || child->label.starts_with(Text(label) + u" ("))
                next = child.get();
        if (!next)
            return nullptr;
        at = next;
    }
    return at;
}

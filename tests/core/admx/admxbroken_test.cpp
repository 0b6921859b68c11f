// Sets whose references name nothing: they open with a warning per fault, show the fault
// where it is, save unchanged and can be mended in the editor.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/check/lint.h"
#include "core/edit/editops.h"
#include "core/edit/editstep.h"
#include "core/pages/admxpages.h"
#include "tests/core/admx/admxsample.h"

namespace {

std::vector<cFinding> LintOf(const std::filesystem::path& path) {
    CPelwinDoc doc;
    cReadLog log;
    cMessageRecorder quiet;
    EXPECT_TRUE(ReadDocument(doc, path, &log));
    return LintTemplate(doc, log);
}

bool Reports(const std::vector<cFinding>& findings, const char* rule) {
    return std::any_of(findings.begin(), findings.end(),
                       [&](const cFinding& f) { return std::string(f.rule) == rule; });
}

// Mends the fault through the edit layer; returns the step for undo.
using cMend = std::function<std::unique_ptr<cEditStep>(CPelwinDoc&)>;

std::unique_ptr<cEditStep> SupportedOnMend(CPelwinDoc& doc) {
    cObjPolicy& policy = PolicyNamed(doc, u"MachineOnly");
    cAdmxPolicyPageValues values = cAdmxPolicyPageValues::Load(policy);
    values.supportedOn = u"SUPPORTED_Sample";
    std::unique_ptr<cData> after = CopyNodeData(policy);
    values.ApplyTo(static_cast<cPolicy&>(static_cast<cObjPolicy&>(*after)));
    return std::make_unique<cNodeDataStep>(u"supported on", policy, CopyNodeData(policy),
                                           std::move(after));
}

std::unique_ptr<cEditStep> StringMend(CPelwinDoc& doc) {
    cStringMap strings = doc.Strings();
    strings.Set(u"Nowhere", u"Outside again");
    return std::make_unique<cStringTableStep>(u"string", std::move(strings));
}

// The policy standing at the top for want of its category goes into Child.
std::unique_ptr<cEditStep> CategoryMend(CPelwinDoc& doc) {
    cTreeItem* item = nullptr;
    PolicyNamed(doc, u"MachineOnly", &item);
    cTreeItem* child = ItemAt(doc.Tree(), {u"Sample root", u"Child"});
    EXPECT_NE(child, nullptr);
    auto step = std::make_unique<cCompoundStep>(u"move");
    step->Add(cItemPlacementStep::Insert(u"put", cTreePath::Of(child), 0, CloneSubtree(*item)));
    step->Add(cItemPlacementStep::Take(u"take", cTreePath::Of(item)));
    return step;
}

}  // namespace

TEST(AdmxBroken, EachFaultOpensMarkedSavesUnchangedAndMends) {
    struct cCase {
        const char* name;
        const char* from;
        const char* to;
        const char* rule;
        const char* where;       // FILE:LINE of the warning
        const char16_t* marked;  // the policy the tree marks, if any
        cMend mend;
    };
    const cCase cases[] = {
        {"string", "$(string.Outside)", "$(string.Nowhere)", "admx-undefined-string",
         "sample.admx:55: warning: ", u"Outside", StringMend},
        {"presentation", "$(presentation.UserOnly)", "$(presentation.Nothing)",
         "admx-undefined-presentation", "sample.admx:30: warning: ", nullptr, nullptr},
        {"category", "<parentCategory ref=\"Child\"/>", "<parentCategory ref=\"Nowhere\"/>",
         "admx-undefined-reference", "sample.admx:25: warning: ", u"MachineOnly", CategoryMend},
        {"using prefix", "windows:System", "win:System", "admx-undefined-reference",
         "sample.admx:56: warning: ", u"Outside", nullptr},
        {"refId", "<list id=\"Hosts\"", "<list id=\"Other\"", "admx-unknown-refid",
         "sample.adml:29: warning: ", nullptr, nullptr},
        {"supportedOn", "<supportedOn ref=\"SUPPORTED_Sample\"/>",
         "<supportedOn ref=\"SUPPORTED_None\"/>", "admx-undefined-reference",
         "sample.admx:26: warning: ", nullptr, SupportedOnMend},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string admx = kSampleAdmx;
        admx.replace(admx.find(c.from), std::strlen(c.from), c.to);
        cTempSet set;
        const std::string adml = SampleAdml("en-US");
        set.Put("en-US/sample.adml", adml);
        const std::filesystem::path path = set.Put("sample.admx", admx);

        CPelwinDoc doc;
        {
            cMessageRecorder messages;
            ASSERT_TRUE(ReadDocument(doc, path));
            ASSERT_EQ(messages.texts.size(), 1u) << ::testing::PrintToString(messages.Utf8());
            EXPECT_EQ(messages.severities[0], kSeverityWarning);
            EXPECT_NE(messages.Utf8()[0].find(c.where), std::string::npos) << messages.Utf8()[0];
        }
        // lint names the same fault at the same line, as an error.
        const std::vector<cFinding> before = LintOf(path);
        EXPECT_TRUE(Reports(before, c.rule));
        if (c.marked) {
            cTreeItem* item = nullptr;
            PolicyNamed(doc, c.marked, &item);
            ASSERT_NE(item, nullptr);
            EXPECT_FALSE(AdmxNodeFault(*item->node, item->label).empty()) << ToUtf8(item->label);
            EXPECT_EQ(item->parent, doc.Tree().Root()) << "a node to mend stands at the top";
        }

        // Saved untouched, every file keeps its bytes.
        ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())));
        EXPECT_EQ(set.Read("sample.admx"), admx);
        EXPECT_EQ(set.Read("en-US/sample.adml"), adml);
        if (!c.mend)
            continue;

        // Mended, undone (the file as read again), redone: then lint has nothing to say.
        std::unique_ptr<cEditStep> step = c.mend(doc);
        ASSERT_TRUE(step->Apply(doc));
        ASSERT_TRUE(step->Revert(doc));
        ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())));
        EXPECT_EQ(set.Read("sample.admx"), admx);
        ASSERT_TRUE(step->Apply(doc));
        ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())));
        const std::vector<cFinding> after = LintOf(path);
        // The sample's two policies without a supportedOn are faults of their own.
        for (const cFinding& finding : after)
            EXPECT_TRUE(finding.severity != cLintSeverity::Error ||
                        IsMissingSupportedOn(ToUtf8(finding.text)))
                << finding.rule << ": " << ToUtf8(finding.text);
    }
}

// No ADML at all: every text shows as its reference, and a string added in the editor is
// saved into a new ADML of the display language.
TEST(AdmxBroken, SetWithoutAdmlOpens) {
    cTempSet set;
    const std::filesystem::path path = set.Put("sample.admx", kSampleAdmx);
    CPelwinDoc doc;
    {
        cMessageRecorder messages;
        ASSERT_TRUE(ReadDocument(doc, path));
        ASSERT_EQ(messages.texts.size(), 1u) << ::testing::PrintToString(messages.Utf8());
        EXPECT_NE(messages.Utf8()[0].find("sample.admx:7: warning: no ADML file"),
                  std::string::npos);
    }
    cTreeItem* item = nullptr;
    PolicyNamed(doc, u"Outside", &item);
    EXPECT_TRUE(item->label.starts_with(u"$(string.Outside)"));
    EXPECT_NE(AdmxNodeFault(*item->node, item->label).find(u"Outside"), Text::npos);
    ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())));
    EXPECT_EQ(set.Read("sample.admx"), kSampleAdmx);

    cStringMap strings = doc.Strings();
    strings.Set(u"Outside", u"Outside text");
    ASSERT_TRUE(cStringTableStep(u"string", std::move(strings)).Apply(doc));
    ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())));
    EXPECT_NE(set.Read("en-US/sample.adml").find("Outside text"), std::string::npos);
}

// A translation lacking an id the ADMX refers to is refused by the policy editor; one lacking
// only an id nothing refers to is shown.
TEST(AdmxBroken, MissingTranslationIsAnErrorOnlyWhereReferenced) {
    cTempSet set;
    set.Put("en-US/sample.adml",
            SampleAdml("en-US", "\n      <string id=\"Spare\">Spare</string>"));
    std::string french = SampleAdml("fr-FR");
    const std::string child = "<string id=\"Child\">Enfant</string>";
    french.erase(french.find(child), child.size());
    set.Put("fr-FR/sample.adml", french);
    const std::vector<cFinding> findings = LintOf(set.Put("sample.admx", kSampleAdmx));
    int errors = 0, warnings = 0;
    for (const cFinding& f : findings) {
        if (std::string(f.rule) != "admx-missing-translation")
            continue;
        const bool spare = f.text.find(u"Spare") != Text::npos;
        EXPECT_EQ(f.severity, spare ? cLintSeverity::Warning : cLintSeverity::Error)
            << ToUtf8(f.text);
        ++(f.severity == cLintSeverity::Error ? errors : warnings);
    }
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(warnings, 1);
}

// A set beside the file whose namespace it uses (as in a store) shows that file's texts of
// what it refers to and offers its definitions; that file is never written.
TEST(AdmxBroken, NeighbourFileTextsShowReadOnly) {
    cTempSet set;
    const std::string windows = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitions revision="1.0" schemaVersion="1.0">
  <policyNamespaces><target prefix="windows" namespace="Microsoft.Policies.Windows"/></policyNamespaces>
  <resources minRequiredRevision="1.0"/>
  <supportedOn><definitions>
    <definition name="SUPPORTED_Windows7" displayName="$(string.Win7)"/>
    <definition name="SUPPORTED_WindowsVista" displayName="$(string.Vista)"/>
  </definitions></supportedOn>
  <categories><category name="System" displayName="$(string.System)"/></categories>
</policyDefinitions>
)xml";
    const std::string windowsAdml = R"xml(<?xml version="1.0" encoding="utf-8"?>
<policyDefinitionResources revision="1.0" schemaVersion="1.0">
  <displayName/><description/>
  <resources><stringTable>
    <string id="Win7">At least Windows 7</string>
    <string id="Vista">At least Windows Vista</string>
    <string id="System">System</string>
  </stringTable></resources>
</policyDefinitionResources>
)xml";
    set.Put("Windows.admx", windows);
    set.Put("en-US/Windows.adml", windowsAdml);
    const std::filesystem::path path = set.PutSample();
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, path));
    EXPECT_EQ(PolicyNamed(doc, u"UserOnly").supportedText, u"At least Windows 7");
    cTreeItem* item = nullptr;
    PolicyNamed(doc, u"Outside", &item);
    EXPECT_EQ(item->label, u"Outside (Machine, in System)");
    std::vector<std::string> offered;
    for (const cSupportedChoice& choice :
         cAdmxPolicyPageValues::Load(PolicyNamed(doc, u"MachineOnly")).choices)
        offered.push_back(ToUtf8(choice.reference + u"=" + choice.shown));
    EXPECT_NE(std::find(offered.begin(), offered.end(),
                        "windows:SUPPORTED_WindowsVista=At least Windows Vista"),
              offered.end())
        << ::testing::PrintToString(offered);

    ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())));
    EXPECT_EQ(set.Read("sample.admx"), kSampleAdmx);
    EXPECT_EQ(set.Read("Windows.admx"), windows);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>

#include "core/admx/admxset.h"
#include "core/check/lint.h"
#include "core/pages/admxpages.h"
#include "core/pages/admxtemplatepage.h"
#include "tests/core/admx/admxsample.h"

namespace {

// The lines only one of two texts has: (removed, added).
std::pair<std::multiset<std::string>, std::multiset<std::string>> Changed(
    const std::string& before, const std::string& after) {
    std::multiset<std::string> a = LineSet(before), b = LineSet(after), removed, added;
    for (const std::string& line : a)
        if (!b.count(line))
            removed.insert(line);
    for (const std::string& line : b)
        if (!a.count(line))
            added.insert(line);
    return {removed, added};
}

std::vector<std::string> LintRules(const std::filesystem::path& admx) {
    CPelwinDoc doc;
    cReadLog log;
    EXPECT_TRUE(ReadDocument(doc, admx, &log));
    std::vector<std::string> rules;
    for (const cFinding& finding : LintTemplate(doc, log))
        rules.push_back(finding.rule);
    return rules;
}

cAdmxState& StateOf(CPelwinDoc& doc) {
    return dynamic_cast<cAdmxState&>(*doc.FormatState());
}

}  // namespace

// The values come from the set, and every refusal names what is wrong.
TEST(AdmxTemplatePage, LoadsTheSetsValuesAndRefusesWhatWouldNotRead) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    const auto loaded = cAdmxTemplatePageValues::Load(doc);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->targetPrefix, u"sample");
    EXPECT_EQ(loaded->targetNamespace, u"Sample.Policies");
    EXPECT_EQ(loaded->usings,
              (std::vector<cAdmxNamespace>{{u"windows", u"Microsoft.Policies.Windows"}}));
    EXPECT_EQ(loaded->revision, u"1.0");
    EXPECT_EQ(loaded->minRequiredRevision, u"1.0");
    EXPECT_FALSE(loaded->Changed());
    EXPECT_FALSE(loaded->Validate());

    using Edit = std::function<void(cAdmxTemplatePageValues&)>;
    const std::pair<Edit, const char*> refused[] = {
        {[](auto& v) { v.targetPrefix = u"1st"; }, "The prefix \"1st\" cannot be used"},
        {[](auto& v) {
             v.usings.push_back({u"sample", u"Other"});
         },
         "The prefix \"sample\" is given twice"},
        {[](auto& v) { v.usings[0].name = u"  "; }, "The namespace of the prefix \"windows\""},
        {[](auto& v) { v.targetNamespace.clear(); }, "The file's own namespace has no name"},
        {[](auto& v) {
             v.usings.push_back({u"again", u"Sample.Policies"});
         },
         "The namespace \"Sample.Policies\" is given twice"},
        {[](auto& v) {
             v.targetPrefix = u"smp";
             v.usings.push_back({u"sample", u"Other"});
         },
         "The prefix \"sample\" was this file's own: its references move to \"smp\""},
        {[](auto& v) { v.revision = u"2"; }, "The revision \"2\" is not a revision"},
        {[](auto& v) { v.minRequiredRevision = u"1.x"; },
         "The minimum required revision \"1.x\" is not"},
        // Still used by two parent categories and a supported-on reference.
        {[](auto& v) { v.DeleteUsing(0); },
         "The prefix \"windows\" cannot leave the using list: 3 references of this file still "
         "use it (2 parentCategory, 1 supportedOn)"},
        // The language files keep 1.0 while the file's revision stays.
        {[](auto& v) { v.minRequiredRevision = u"1.2"; },
         "The language file en-US would have the revision 1.0, below the minimum required "
         "revision 1.2"},
    };
    for (const auto& [edit, message] : refused) {
        cAdmxTemplatePageValues values = *loaded;
        edit(values);
        std::optional<Text> error = values.Validate();
        ASSERT_TRUE(error) << message;
        EXPECT_EQ(ToUtf8(*error).rfind(message, 0), 0u) << ToUtf8(*error);
    }

    // Accepted: a new using row, the revisions raised together (the languages follow).
    cAdmxTemplatePageValues values = *loaded;
    values.usings[values.AddUsing()] = {u" office ", u"Microsoft.Policies.Office"};
    values.revision = values.minRequiredRevision = u"1.2";
    values.targetPrefix = u"smp";
    EXPECT_FALSE(values.Validate()) << ToUtf8(*values.Validate());
    EXPECT_TRUE(values.Changed());
    EXPECT_EQ(values.Props().usings.back().prefix, u"office");
}

// One step: applied the document holds the values and is modified, undone it holds none; a
// step back to the set's own values keeps none either.
TEST(AdmxTemplatePage, TheStepSwapsTheDocumentsValues) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    cAdmxTemplatePageValues values = *cAdmxTemplatePageValues::Load(doc);
    values.revision = u"3.1";
    auto step = cTemplatePropsStep::Make(doc, values.Props());
    ASSERT_TRUE(step);
    EXPECT_EQ(step->Label(), u"Edit template properties");
    ASSERT_TRUE(step->Apply(doc));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(StateOf(doc).templateProps);
    EXPECT_EQ(cAdmxTemplatePageValues::Load(doc)->revision, u"3.1");
    // The state's copies (a check's scratch write, the translations' save) carry it along.
    auto clone = StateOf(doc).Clone();
    EXPECT_EQ(dynamic_cast<cAdmxState&>(*clone).templateProps, StateOf(doc).templateProps);
    ASSERT_TRUE(step->Revert(doc));
    EXPECT_FALSE(StateOf(doc).templateProps);

    // A policy's supported-on reference may name a prefix the using list has gained.
    cObjPolicy* policy = nullptr;
    doc.Tree().ForEachPreOrder([&](cTreeItem* at) {
        if (!policy)
            policy = dynamic_cast<cObjPolicy*>(at->node.get());
    });
    ASSERT_NE(policy, nullptr);
    cAdmxPolicyPageValues page = cAdmxPolicyPageValues::Load(*policy);
    page.supportedOn = u"office:SUPPORTED_Office2016";
    EXPECT_TRUE(page.Validate(*policy));
    cAdmxTemplatePageValues more = *cAdmxTemplatePageValues::Load(doc);
    more.usings.push_back({u"office", u"Microsoft.Policies.Office"});
    ASSERT_TRUE(cTemplatePropsStep::Make(doc, more.Props())->Apply(doc));
    EXPECT_FALSE(page.Validate(*policy));
    StateOf(doc).templateProps.reset();

    ASSERT_TRUE(step->Apply(doc));
    values.revision = u"1.0";
    auto back = cTemplatePropsStep::Make(doc, values.Props());
    ASSERT_TRUE(back->Apply(doc));
    EXPECT_FALSE(StateOf(doc).templateProps);

    CPelwinDoc adm;
    EXPECT_FALSE(cAdmxTemplatePageValues::Load(adm));
    EXPECT_FALSE(cTemplatePropsStep::Make(adm, values.Props()));
}

// A save writes the changed attributes and elements and nothing else: the own prefix's
// references follow it, a new using element stands indented below the others, the language
// files of the old revision take the new one. The files read back with the findings of the
// source and the unused using; the added prefix taken out again gives the source's namespaces back.
TEST(AdmxTemplatePage, SaveWritesWhatChangedAndReadsBack) {
    cTempSet set;
    const auto source = set.PutSample();
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, source));
    cAdmxTemplatePageValues values = *cAdmxTemplatePageValues::Load(doc);
    values.targetPrefix = u"smp";
    values.targetNamespace = u"Sample.Other";
    values.usings.push_back({u"office", u"Microsoft.Policies.Office"});
    values.revision = u"1.1";
    values.minRequiredRevision = u"1.1";
    ASSERT_FALSE(values.Validate());
    ASSERT_TRUE(cTemplatePropsStep::Make(doc, values.Props())->Apply(doc));
    const auto out = set.dir / "out" / "sample.admx";
    ASSERT_TRUE(doc.WriteFile(FromUtf8(out.string())));

    const auto [removed, added] = Changed(kSampleAdmx, set.Read("out/sample.admx"));
    EXPECT_EQ(removed,
              (std::multiset<std::string>{
                  "<policyDefinitions "
                  "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\" "
                  "revision=\"1.0\" schemaVersion=\"1.0\">",
                  "    <target prefix=\"sample\" namespace=\"Sample.Policies\"/>",
                  "  <resources minRequiredRevision=\"1.0\" fallbackCulture=\"fr-FR\"/>",
                  "      <parentCategory ref=\"sample:Root\"/>"}));
    EXPECT_EQ(added,
              (std::multiset<std::string>{
                  "<policyDefinitions "
                  "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\" "
                  "revision=\"1.1\" schemaVersion=\"1.0\">",
                  "    <target prefix=\"smp\" namespace=\"Sample.Other\"/>",
                  "    <using prefix=\"office\" namespace=\"Microsoft.Policies.Office\"/>",
                  "  <resources minRequiredRevision=\"1.1\" fallbackCulture=\"fr-FR\"/>",
                  "      <parentCategory ref=\"smp:Root\"/>"}));
    for (const char* language : {"en-US", "FR-fr"}) {
        const auto [from, to] = Changed(SampleAdml(language),
                                        set.Read(std::string("out/") + language + "/sample.adml"));
        EXPECT_EQ(from, (std::multiset<std::string>{
                            "<policyDefinitionResources revision=\"1.0\" schemaVersion=\"1.0\">"}));
        EXPECT_EQ(to, (std::multiset<std::string>{
                          "<policyDefinitionResources revision=\"1.1\" schemaVersion=\"1.0\">"}));
    }
    // The using added has no reference yet: lint says so, and nothing else changes.
    std::vector<std::string> expected = LintRules(source);
    expected.push_back("admx-unused-namespace");
    std::vector<std::string> found = LintRules(out);
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);

    // Undone, the save is the source again, byte for byte.
    StateOf(doc).templateProps.reset();
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "undone" / "sample.admx").string())));
    EXPECT_EQ(set.Read("undone/sample.admx"), kSampleAdmx);
    EXPECT_EQ(set.Read("undone/en-US/sample.adml"), SampleAdml("en-US"));

    // The saved set, its unused prefix removed: the using list as it was.
    CPelwinDoc again;
    ASSERT_TRUE(ReadDocument(again, out));
    cAdmxTemplatePageValues second = *cAdmxTemplatePageValues::Load(again);
    ASSERT_EQ(second.usings.size(), 2u);
    second.DeleteUsing(1);
    ASSERT_FALSE(second.Validate());
    ASSERT_TRUE(cTemplatePropsStep::Make(again, second.Props())->Apply(again));
    ASSERT_TRUE(again.WriteFile(FromUtf8(out.string())));
    EXPECT_EQ(set.Read("out/sample.admx").find("office"), std::string::npos);

    // What the dialog refuses the save refuses too, and writes nothing.
    cMessageRecorder messages;
    cAdmxTemplateProps props = TemplatePropsOf(*StateOf(again).set);
    props.usings.clear();
    StateOf(again).templateProps = props;
    const std::string before = set.Read("out/sample.admx");
    EXPECT_FALSE(again.WriteFile(FromUtf8(out.string())));
    EXPECT_EQ(set.Read("out/sample.admx"), before);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("cannot leave the using list"), std::string::npos);
}

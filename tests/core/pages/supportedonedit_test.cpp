#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "core/admx/admxset.h"
#include "core/check/lint.h"
#include "core/pages/admxpages.h"
#include "core/pages/supportedonedit.h"
#include "tests/core/admx/admxsample.h"

namespace {

// The lines of b that a lacks.
std::vector<std::string> Added(const std::string& a, const std::string& b) {
    std::multiset<std::string> before = LineSet(a);
    std::vector<std::string> added;
    for (const std::string& line : LinesOf(b)) {
        auto at = before.find(line);
        if (at == before.end())
            added.push_back(line);
        else
            before.erase(at);
    }
    return added;
}

std::vector<std::string> LintErrors(const std::filesystem::path& path) {
    CPelwinDoc doc;
    cReadLog log;
    if (!ReadDocument(doc, path, &log))
        return {"not read"};
    std::vector<std::string> errors;
    for (const cFinding& finding : LintTemplate(doc, log))
        if (finding.severity == cLintSeverity::Error && !IsMissingSupportedOn(ToUtf8(finding.text)))
            errors.push_back(std::string(finding.rule) + ": " + ToUtf8(finding.text));
    return errors;
}

}  // namespace

TEST(SupportedOnEdit, ChecksWhatChangedAndKeepsWhatIsReferredTo) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    const auto loaded = cSupportedOnEdit::Load(doc);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->Table().definitions.size(), 1u);
    EXPECT_EQ(loaded->Shown(loaded->Table().definitions[0].displayName), u"At least Sample 2");
    EXPECT_EQ(loaded->Validate(), std::nullopt);
    EXPECT_FALSE(loaded->Changed());

    // The definition MachineOnly refers to can be neither deleted nor renamed.
    cSupportedOnEdit edit = *loaded;
    EXPECT_EQ(edit.DeleteDefinition(0).value_or(u"deleted"),
              u"\"SUPPORTED_Sample\" cannot be deleted: 1 policy refers to it. Let them refer "
              u"to something else first.");
    edit.Definition(0).name = u"SUPPORTED_Other";
    EXPECT_NE(edit.Validate().value_or(u"").find(u"1 policy refer to \"SUPPORTED_Sample\""),
              Text::npos);

    // A product's version referred to by a definition stays while the definition does.
    edit = *loaded;
    const size_t product = edit.AddProduct();
    const size_t major = edit.AddMajorVersion(product);
    const size_t added = edit.AddDefinition();
    edit.Definition(added).references = {
        {true, edit.Table().products[product].majors[major].name, u"1", u"3"}};
    EXPECT_EQ(edit.Validate(), std::nullopt);
    EXPECT_NE(edit.DeleteProduct(product).value_or(u"").find(u"1 definition refer"), Text::npos);

    auto refused = [&](auto change) {
        cSupportedOnEdit copy = edit;
        change(copy);
        return copy.Validate().value_or(u"accepted");
    };
    auto contains = [](const Text& text, const char16_t* part) {
        return text.find(part) != Text::npos;
    };
    EXPECT_TRUE(contains(refused([&](cSupportedOnEdit& e) { e.Definition(added).name = u"2x"; }),
                         u"cannot be used"));
    EXPECT_TRUE(contains(refused([&](cSupportedOnEdit& e) {
                             e.Definition(added).name = e.Table().products[product].name;
                         }),
                         u"is given twice"));
    EXPECT_TRUE(contains(refused([&](cSupportedOnEdit& e) {
                             auto& d = e.Definition(added);
                             e.SetDisplayText(d.displayName, d.name, u"");
                         }),
                         u"needs a display name"));
    EXPECT_TRUE(contains(refused([&](cSupportedOnEdit& e) {
                             e.Product(product).majors[major].versionIndex = u"1.5";
                         }),
                         u"is not a whole number"));
    EXPECT_TRUE(contains(refused([&](cSupportedOnEdit& e) {
                             e.Definition(added).references[0].minVersionIndex = u"4";
                         }),
                         u"the minimum 4 is above the maximum 3"));
    EXPECT_TRUE(
        contains(refused([&](cSupportedOnEdit& e) {
                     e.Definition(added).references.push_back({false, u"Missing", u"", u""});
                 }),
                 u"names no product"));
    EXPECT_TRUE(
        contains(refused([&](cSupportedOnEdit& e) {
                     e.Definition(added).references.push_back({false, u"office:X", u"", u""});
                 }),
                 u"does not use"));
    EXPECT_EQ(refused([&](cSupportedOnEdit& e) {
                  e.Definition(added).references.push_back(
                      {false, u"windows:SUPPORTED_Windows7", u"", u""});
              }),
              u"accepted");
}

// One step puts the table and its strings in; the page offers what it defines, the save
// writes only what changed and reads back clean; undo gives the set back as read.
TEST(SupportedOnEdit, ApplyWritesOnlyTheChangesAndUndoRestores) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    const std::string admxPath = (set.dir / "sample.admx").string();
    auto edit = cSupportedOnEdit::Load(doc);
    ASSERT_TRUE(edit);
    // The definition's string is its own: its text changes under its id.
    auto& sample = edit->Definition(0);
    edit->SetDisplayText(sample.displayName, sample.name, u"At least Sample 3");
    const size_t product = edit->AddProduct();
    edit->Product(product).name = u"Tool";
    const size_t major = edit->AddMajorVersion(product);
    edit->Product(product).majors[major].name = u"Tool2";
    const size_t added = edit->AddDefinition();
    edit->Definition(added).name = u"SUPPORTED_Tool";
    edit->Definition(added).references = {{true, u"Tool", u"2", u""},
                                          {false, u"windows:SUPPORTED_Windows7", u"", u""}};
    EXPECT_EQ(AppliesToText(edit->Table().definitions[added]),
              u"Range of Tool \u2265 2 or windows:SUPPORTED_Windows7");
    ASSERT_EQ(edit->Validate(), std::nullopt);
    std::unique_ptr<cEditStep> step = edit->MakeStep(doc);
    ASSERT_TRUE(step);
    EXPECT_EQ(step->Label(), u"Edit supported-on definitions");
    ASSERT_TRUE(step->Apply(doc));

    cObjPolicy& machine = PolicyNamed(doc, u"MachineOnly");
    EXPECT_EQ(doc.ResolveText(machine.supportedText), u"At least Sample 3");
    const auto choices = cAdmxPolicyPageValues::Load(PolicyNamed(doc, u"UserOnly")).choices;
    EXPECT_NE(std::find(choices.begin(), choices.end(),
                        cSupportedChoice{u"SUPPORTED_Tool", u"NewDefinition"}),
              choices.end());

    ASSERT_TRUE(doc.WriteFile(FromUtf8(admxPath)));
    EXPECT_EQ(
        Added(kSampleAdmx, set.Read("sample.admx")),
        (std::vector<std::string>{
            "    <products>", R"x(      <product name="Tool" displayName="$(string.Tool)">)x",
            R"x(        <majorVersion name="Tool2" displayName="$(string.Tool2)" versionIndex="0"/>)x",
            "      </product>", "    </products>",
            R"x(      <definition name="SUPPORTED_Tool" displayName="$(string.SUPPORTED_Tool)">)x",
            "        <or>", R"(          <range ref="Tool" minVersionIndex="2"/>)",
            R"(          <reference ref="windows:SUPPORTED_Windows7"/>)", "        </or>",
            "      </definition>"}));
    const auto strings = Added(SampleAdml("en-US"), set.Read("en-US/sample.adml"));
    EXPECT_EQ(strings.size(), 4u);
    EXPECT_EQ(strings.at(0), R"(      <string id="SUPPORTED_Sample">At least Sample 3</string>)");
    EXPECT_EQ(LintErrors(set.dir / "sample.admx"), std::vector<std::string>{});

    // Undo: the table and the strings as read, and the set written as it was.
    ASSERT_TRUE(step->Revert(doc));
    EXPECT_EQ(doc.ResolveText(machine.supportedText), u"At least Sample 2");
    EXPECT_FALSE(doc.Strings().Contains(u"SUPPORTED_Tool"));
    ASSERT_TRUE(doc.WriteFile(FromUtf8(admxPath)));
    EXPECT_EQ(set.Read("sample.admx"), kSampleAdmx);
    EXPECT_EQ(set.Read("en-US/sample.adml"), SampleAdml("en-US"));
}

// A display name whose string a node shows too gets a string of its own, and the policies
// that show the definition follow it; deleting the last definition drops the element.
TEST(SupportedOnEdit, SharedStringsAreLeftAloneAndEmptyContainersGo) {
    std::string admx = kSampleAdmx;
    const std::string own = "displayName=\"$(string.SUPPORTED_Sample)\"";
    admx.replace(admx.find(own), own.size(), "displayName=\"$(string.Everyone)\"");
    cTempSet set;
    set.Put("en-US/sample.adml", SampleAdml("en-US"));
    set.Put("FR-fr/sample.adml", SampleAdml("fr-FR"));
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", admx)));
    cObjPolicy& machine = PolicyNamed(doc, u"MachineOnly");
    auto edit = cSupportedOnEdit::Load(doc);
    ASSERT_TRUE(edit);
    auto& sample = edit->Definition(0);
    edit->SetDisplayText(sample.displayName, sample.name, u"Sample 4");
    EXPECT_EQ(sample.displayName, u"$(string.SUPPORTED_Sample_2)");
    auto step = edit->MakeStep(doc);
    ASSERT_TRUE(step && step->Apply(doc));
    EXPECT_EQ(doc.ResolveText(u"$(string.Everyone)"), u"Everyone");
    EXPECT_EQ(machine.supportedText, u"$(string.SUPPORTED_Sample_2)");
    ASSERT_TRUE(step->Revert(doc));
    EXPECT_EQ(machine.supportedText, u"$(string.Everyone)");

    // Once no policy refers to it, the only definition goes, and with it the element.
    auto page = cAdmxPolicyPageValues::Load(machine);
    page.supportedOn.clear();
    page.ApplyTo(machine);
    auto removal = cSupportedOnEdit::Load(doc);
    ASSERT_EQ(removal->DeleteDefinition(0), std::nullopt);
    ASSERT_TRUE(PerformStep(doc, removal->MakeStep(doc)));
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())));
    const std::string written = set.Read("sample.admx");
    EXPECT_EQ(written.find("<supportedOn>"), std::string::npos) << written;
    EXPECT_EQ(written.find("definitions"), std::string::npos);
    EXPECT_EQ(LintErrors(set.dir / "sample.admx"), std::vector<std::string>{});

    // A file without the element gets one where the schema puts it.
    CPelwinDoc bare;
    ASSERT_TRUE(ReadDocument(bare, set.dir / "sample.admx"));
    auto fresh = cSupportedOnEdit::Load(bare);
    fresh->AddDefinition();
    ASSERT_TRUE(PerformStep(bare, fresh->MakeStep(bare)));
    ASSERT_TRUE(bare.WriteFile(FromUtf8((set.dir / "sample.admx").string())));
    const std::string made = set.Read("sample.admx");
    EXPECT_NE(
        made.find(
            "fallbackCulture=\"fr-FR\"/>\n  <supportedOn>\n    <definitions>\n      <definition "
            "name=\"NewDefinition\" displayName=\"$(string.NewDefinition)\"/>\n    "
            "</definitions>\n  </supportedOn>\n  <categories>"),
        std::string::npos)
        << made;
    EXPECT_EQ(LintErrors(set.dir / "sample.admx"), std::vector<std::string>{});
}

// Chrome's set (UTF-16, CR LF): a definition's display text changed leaves the ADMX as it
// was, and the set read back shows the new text on the policies of that definition.
TEST(SupportedOnEdit, CorpusDefinitionTextChangesTheAdmlOnly) {
    SKIP_WITHOUT_CORPUS();
    const std::filesystem::path source = CorpusDir() / "admx";
    if (!std::filesystem::exists(source / "chrome.admx"))
        GTEST_SKIP() << "no chrome.admx";
    cTempSet out;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, source / "chrome.admx"));
    auto edit = cSupportedOnEdit::Load(doc);
    ASSERT_TRUE(edit && !edit->Table().definitions.empty());
    auto& first = edit->Definition(0);
    const Text name = first.name;
    edit->SetDisplayText(first.displayName, first.name, u"Changed here");
    ASSERT_TRUE(PerformStep(doc, edit->MakeStep(doc)));
    const std::filesystem::path target = out.dir / "chrome.admx";
    ASSERT_TRUE(doc.WriteFile(FromUtf8(target.string())));
    std::ifstream original(source / "chrome.admx", std::ios::binary);
    EXPECT_EQ(out.Read("chrome.admx"), std::string(std::istreambuf_iterator<char>(original), {}));

    CPelwinDoc back;
    ASSERT_TRUE(ReadDocument(back, target));
    size_t shown = 0;
    back.Tree().ForEachPreOrder([&](cTreeItem* item) {
        const auto* policy = dynamic_cast<const cPolicy*>(item->node.get());
        if (policy && policy->admx && policy->admx->supportedOn == name) {
            EXPECT_EQ(back.ResolveText(policy->supportedText), u"Changed here");
            ++shown;
        }
    });
    EXPECT_GT(shown, 0u);
}

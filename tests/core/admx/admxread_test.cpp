#include <gtest/gtest.h>

#include <cstring>

#include "core/admx/admxread.h"
#include "core/check/find.h"
#include "core/document/formats.h"
#include "core/model/partkinds.h"
#include "tests/core/admx/admxsample.h"

namespace {

template <typename Kind>
const Kind& PartAs(const cObjPolicy& policy, size_t index) {
    const auto* part = dynamic_cast<const Kind*>(policy.Parts().at(index).get());
    EXPECT_NE(part, nullptr) << "part " << index << " is of another kind";
    static Kind none(nullptr);
    return part ? *part : none;
}

const cObjPolicy& PolicyAt(const cTemplateTree& tree, std::initializer_list<const char16_t*> path) {
    cTreeItem* item = ItemAt(tree, path);
    EXPECT_NE(item, nullptr);
    static cObjPolicy none;
    auto* policy = item ? dynamic_cast<cObjPolicy*>(item->node.get()) : nullptr;
    EXPECT_NE(policy, nullptr);
    return policy ? *policy : none;
}

}  // namespace

TEST(AdmxRead, FormatIsChosenByContent) {
    EXPECT_EQ(&FormatForContent("<?xml version=\"1.0\"?><policyDefinitions/>"), &AdmxFormat());
    EXPECT_EQ(&FormatForContent("\xEF\xBB\xBF\r\n <policyDefinitions>"), &AdmxFormat());
    EXPECT_EQ(&FormatForContent(std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12)), &AdmxFormat());
    EXPECT_EQ(&FormatForContent("<!-- generated -->\n<policyDefinitions/>"), &AdmxFormat());
    EXPECT_EQ(&FormatForContent("CLASS MACHINE\r\n"), &AdmFormat());
    EXPECT_EQ(&FormatForContent(std::string("\xFF\xFE"
                                            "C\0L\0",
                                            6)),
              &AdmFormat());
}

// The sample set in the model: no class nodes, categories nested by their parents, each once,
// the class of each policy in its record and its label, the parts in the presentation's order.
TEST(AdmxRead, SetBecomesTheTreeOfNodesAndParts) {
    cTempSet set;
    CPelwinDoc doc;
    cMessageRecorder messages;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample())) << ::testing::PrintToString(messages.Utf8());
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(&doc.Format(), &AdmxFormat());
    const cTemplateTree& tree = doc.Tree();

    // Top level: the category of another namespace's parent, the empty one, and the policy
    // in another file's category, each naming where it stands.
    std::vector<Text> top;
    for (const auto& child : tree.Root()->children)
        top.push_back(child->label);
    EXPECT_EQ(top, (std::vector<Text>{u"Sample root (in windows:WindowsComponents)", u"Empty",
                                      u"Outside (Machine, in windows:System)"}));
    std::vector<Text> child;
    for (const auto& item : ItemAt(tree, {u"Sample root", u"Child"})->children)
        child.push_back(item->label);
    EXPECT_EQ(child, (std::vector<Text>{u"Machine only (Machine)", u"User only (User)"}));
    EXPECT_EQ(ItemAt(tree, {u"Sample root", u"Everyone"})->label, u"Everyone (Both)");

    auto* root = dynamic_cast<cObjCategory*>(ItemAt(tree, {u"Sample root"})->node.get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, u"$(string.Root)");
    EXPECT_EQ(root->explainFlag, 1);
    EXPECT_EQ(doc.ResolveText(root->explainText), u"Line one\nline two");
    EXPECT_EQ(root->admx->name, u"Root");
    EXPECT_EQ(root->line, 14);

    const cObjPolicy& everyone = PolicyAt(tree, {u"Sample root", u"Everyone"});
    EXPECT_EQ(everyone.admx->policyClass, u"Both");
    ASSERT_EQ(everyone.actionListOn.size(), 1u);
    EXPECT_EQ(everyone.actionListOn[0].keyName, u"Software\\Sample");
    EXPECT_EQ(everyone.actionListOn[0].entries[0].valueName, u"A");

    const cObjPolicy& machineOnly = PolicyAt(tree, {u"Sample root", u"Child", u"Machine only"});
    EXPECT_EQ(machineOnly.admx->name, u"MachineOnly");
    EXPECT_EQ(machineOnly.admx->policyClass, u"Machine");
    EXPECT_EQ(machineOnly.useDefaultKey, 0);
    EXPECT_EQ(machineOnly.keyName, u"Software\\Sample");
    EXPECT_EQ(machineOnly.valueName, u"On");
    EXPECT_EQ(machineOnly.clientExtFlag, 1);
    EXPECT_EQ(machineOnly.supportedFlag, 1);
    EXPECT_EQ(doc.ResolveText(machineOnly.supportedText), u"At least Sample 2");
    EXPECT_EQ(machineOnly.admx->supportedOn, u"SUPPORTED_Sample");
    ASSERT_TRUE(machineOnly.valueOn && machineOnly.valueOff);
    EXPECT_TRUE(machineOnly.valueOn->IsNumeric());
    EXPECT_EQ(machineOnly.valueOn->valueText, u"1");
    EXPECT_TRUE(machineOnly.valueOff->IsDelete());

    const cObjPolicy& user = PolicyAt(tree, {u"Sample root", u"Child", u"User only"});
    EXPECT_EQ(user.supportedText, u"windows:SUPPORTED_Windows7");
    ASSERT_EQ(user.Parts().size(), 9u);
    EXPECT_EQ(PartAs<cObjPolPartText>(user, 0).name, u"Static words");
    const auto& combo = PartAs<cObjPolPartCombo>(user, 1);
    EXPECT_EQ(combo.name, u"Name:");
    EXPECT_EQ(combo.admx->name, u"Name");
    EXPECT_EQ(combo.defaultText, u"joe");
    EXPECT_EQ(combo.suggestions, (cSuggestionList{{u"ann"}, {u"bob"}}));
    EXPECT_EQ(combo.maxLen, u"20");
    EXPECT_EQ(combo.required + combo.expandableText + combo.noSort, 3);
    EXPECT_EQ(combo.GetEffectiveKey(), u"Software\\Sample\\User");
    const auto& count = PartAs<cObjPolPartNum>(user, 2);
    EXPECT_EQ(count.min + u"-" + count.max + u"/" + count.defaultValue + u"/" + count.spin,
              u"1-50/5/2");
    const auto& big = PartAs<cObjPolPartLongNum>(user, 3);
    EXPECT_EQ(big.max, u"10000000000");
    EXPECT_EQ(big.spinFlag, 1);
    EXPECT_EQ(big.spin, u"0");
    const auto& lines = PartAs<cObjPolPartMultiText>(user, 4);
    EXPECT_EQ(lines.maxStrings + u"/" + lines.defaultHeight, u"5/4");
    const auto& mode = PartAs<cObjPolPartDropDown>(user, 5);
    ASSERT_EQ(mode.itemList.size(), 2u);
    EXPECT_EQ(mode.itemList[0].value.valueText, u"fast");
    EXPECT_EQ(mode.itemList[1].defaultFlag, 1);
    EXPECT_EQ(mode.itemList[1].actionList.at(0).keyName, u"Software\\Sample\\Extra");
    EXPECT_EQ(mode.itemList[1].line.number, 40);
    const auto& hosts = PartAs<cObjPolPartListBox>(user, 6);
    EXPECT_EQ(hosts.valuePrefix + u"/" + hosts.GetEffectiveKey(), u"Host/Software\\Sample\\Hosts");
    EXPECT_EQ(PartAs<cObjPolPartCheckBox>(user, 7).defChecked, 1);
    // An element without a control is a part named by its id.
    EXPECT_EQ(PartAs<cObjPolPartEditText>(user, 8).name, u"Hidden");
}

// en-US unless another language is asked for; without en-US the fallback culture, without
// that the first language.
TEST(AdmxRead, DisplayLanguage) {
    {
        cTempSet set;
        CPelwinDoc doc;
        doc.SetLanguage(u"fr-fr");
        ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
        EXPECT_NE(ItemAt(doc.Tree(), {u"Racine", u"Enfant"}), nullptr);
    }
    {
        cTempSet set;
        set.Put("de-DE/sample.adml", SampleAdml("de-DE"));
        set.Put("fr-FR/SAMPLE.ADML", SampleAdml("fr-FR"));
        CPelwinDoc doc;
        ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", kSampleAdmx)));
        EXPECT_NE(ItemAt(doc.Tree(), {u"Racine"}), nullptr);
    }
    {
        cTempSet set;
        std::string admx = kSampleAdmx;
        admx.replace(admx.find(" fallbackCulture=\"fr-FR\""), 24, "");
        set.Put("zh-CN/sample.adml", SampleAdml("zh-CN"));
        set.Put("fr-FR/sample.adml", SampleAdml("fr-FR"));
        CPelwinDoc doc;
        ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", admx)));
        EXPECT_NE(ItemAt(doc.Tree(), {u"Racine"}), nullptr);
    }
    {
        cTempSet set;
        CPelwinDoc doc;
        doc.SetLanguage(u"ja-JP");
        cMessageRecorder messages;
        EXPECT_FALSE(ReadDocument(doc, set.PutSample()));
        EXPECT_NE(messages.Utf8().at(0).find("ja-JP"), std::string::npos);
    }
}

// Files that make no set: each fails with a message naming the file and line.
TEST(AdmxRead, BadSetsFailWithFileAndLine) {
    struct cCase {
        const char* name;
        std::string admx;
        std::string adml;  // none: no language folder
        const char* words;
    };
    const cCase cases[] = {
        {"not well-formed",
         std::string(kSampleAdmx)
             .replace(std::string(kSampleAdmx).find("</categories>"), 13, "</category>"),
         SampleAdml("en-US"), "sample.admx:21: the XML is not well-formed"},
        {"ADML as ADMX", SampleAdml("en-US"), SampleAdml("en-US"),
         "sample.admx:2: this is an ADML"},
        {"ADMX as ADML", kSampleAdmx, kSampleAdmx, "sample.adml:2: the root element is "},
        {"circle of categories",
         std::string(kSampleAdmx)
             .replace(std::string(kSampleAdmx).find("windows:WindowsComponents"), 25, "Child"),
         SampleAdml("en-US"), "is its own parent"},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cTempSet set;
        if (!c.adml.empty())
            set.Put("en-US/sample.adml", c.adml);
        CPelwinDoc doc;
        cMessageRecorder messages;
        EXPECT_FALSE(ReadDocument(doc, set.Put("sample.admx", c.admx)));
        ASSERT_FALSE(messages.texts.empty());
        EXPECT_NE(messages.Utf8()[0].find(c.words), std::string::npos) << messages.Utf8()[0];
    }
}

TEST(AdmxRead, EveryCorpusSetReads) {
    SKIP_WITHOUT_CORPUS();
    std::vector<std::filesystem::path> sets;
    for (const auto& folder : {CorpusDir() / "admx", CorpusDir() / "admx-sets"})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.path().extension() == ".admx")
                sets.push_back(entry.path());
    ASSERT_GE(sets.size(), 10u);
    for (const auto& path : sets) {
        SCOPED_TRACE(path.string());
        CPelwinDoc doc;
        cMessageRecorder messages;
        EXPECT_TRUE(ReadDocument(doc, path));
        // A reference to nothing is a warning of the read.
        for (size_t i = 0; i < messages.texts.size(); ++i)
            EXPECT_EQ(messages.severities[i], kSeverityWarning) << messages.Utf8()[i];
    }
}

// find over a set: the policy's class leads its path, both classes for a policy of both, and
// categories are named without the notes of their labels.
TEST(AdmxRead, FindNamesThePolicysClasses) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    std::vector<Text> paths;
    for (const cFindHit& hit : FindInTemplate(doc, u"Software\\Sample", true))
        paths.push_back(hit.path);
    auto has = [&](TextView start, TextView end) {
        for (const Text& path : paths)
            if (TextView(path).starts_with(start) && TextView(path).ends_with(end))
                return true;
        return false;
    };
    EXPECT_TRUE(has(u"MACHINE, USER > ", u"Everyone")) << ::testing::PrintToString(paths);
    EXPECT_FALSE(has(u"MACHINE, USER > ", u"(Both)")) << ::testing::PrintToString(paths);
    EXPECT_TRUE(has(u"USER > Sample root > ", u"User only")) << ::testing::PrintToString(paths);
    EXPECT_TRUE(has(u"MACHINE > Outside", u"Outside")) << ::testing::PrintToString(paths);
}

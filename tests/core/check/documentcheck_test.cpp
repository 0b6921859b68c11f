#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/check/documentcheck.h"
#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/core/admx/admxsample.h"
#include "tests/testsupport.h"

namespace {

std::string BytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const cDocumentFinding* FindingOfRule(const std::vector<cDocumentFinding>& findings,
                                      std::string_view rule, const CPelwinDoc& doc,
                                      const char16_t* label) {
    for (const cDocumentFinding& found : findings) {
        cTreeItem* item = ItemAtPlace(doc.Tree(), found.place);
        if (found.finding.rule == rule && item && item->label == label)
            return &found;
    }
    return nullptr;
}

}  // namespace

// The check sees the edits not yet saved, ties each finding to its node in the open tree,
// and leaves the document and its file as they were.
TEST(DocumentCheck, FindingsOfTheEditedTemplateStandAtTheirNodes) {
    const std::string text =
        "CLASS MACHINE\n CATEGORY Cat\n  KEYNAME Software\\Test\n"
        "  POLICY Good\n   VALUENAME v\n  END POLICY\n"
        "  POLICY Empty\n  END POLICY\n END CATEGORY\n";
    cTempFile file(text);
    cMessageRecorder messages;
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    ASSERT_TRUE(doc.ReadFile(file.PathText()));
    doc.SetPath(file.PathText());

    std::vector<cDocumentFinding> findings;
    Text problem;
    ASSERT_TRUE(CheckDocument(doc, findings, problem)) << ToUtf8(problem);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_NE(FindingOfRule(findings, "empty-policy", doc, u"Empty"), nullptr);

    // An edit in the open document only: the policy Good writes nothing either.
    cTreeItem* good = ItemAtPlace(doc.Tree(), {0, 0, 0});
    ASSERT_NE(good, nullptr);
    ASSERT_EQ(good->label, u"Good");
    static_cast<cObjPolicy&>(*good->node).valueNameFlag = 0;
    ASSERT_TRUE(CheckDocument(doc, findings, problem)) << ToUtf8(problem);
    EXPECT_EQ(findings.size(), 2u);
    EXPECT_NE(FindingOfRule(findings, "empty-policy", doc, u"Good"), nullptr);
    EXPECT_NE(FindingOfRule(findings, "empty-policy", doc, u"Empty"), nullptr);

    EXPECT_EQ(doc.Path(), file.PathText());
    EXPECT_EQ(BytesOf(file.path), text);
    EXPECT_TRUE(messages.texts.empty());
}

// A set's findings in its other languages' files name those files as the set has them.
TEST(DocumentCheck, FindingsOfAnAdmlNameItsLanguageFolder) {
    cTempSet set;
    set.Put("en-US/sample.adml",
            SampleAdml("en-US", "\n      <string id=\"Spare\">unused</string>"));
    set.Put("fr-FR/sample.adml", SampleAdml("fr-FR"));
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", kSampleAdmx)));
    std::vector<cDocumentFinding> findings;
    Text problem;
    ASSERT_TRUE(CheckDocument(doc, findings, problem)) << ToUtf8(problem);
    size_t inLanguages = 0;
    for (const cDocumentFinding& found : findings)
        if (!found.finding.file.empty()) {
            ++inLanguages;
            EXPECT_TRUE(found.place.empty());
            EXPECT_NE(ToUtf8(found.finding.file).find(".adml"), std::string::npos);
            EXPECT_EQ(ToUtf8(found.finding.file).find("tessary-check"), std::string::npos);
        }
    EXPECT_GT(inLanguages, 0u);
}

#include <gtest/gtest.h>

#include <algorithm>

#include "core/check/mdm.h"
#include "tests/core/admx/admxsample.h"

namespace {

// The line of the first occurrence of what in text.
int LineOf(const std::string& text, const std::string& what) {
    size_t at = text.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    return int(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n')) + 1;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// The findings of lint under the profile for each set read from the paths, as "RULE@LINE"
// (a finding in an ADML as "RULE@FOLDER:LINE").
std::vector<std::vector<std::string>> Profile(const std::vector<std::filesystem::path>& paths) {
    std::vector<std::unique_ptr<CPelwinDoc>> docs;
    std::vector<cReadLog> logs(paths.size());
    std::vector<cMdmFile> files;
    for (size_t i = 0; i < paths.size(); ++i) {
        docs.push_back(std::make_unique<CPelwinDoc>());
        EXPECT_TRUE(ReadDocument(*docs.back(), paths[i], &logs[i])) << paths[i];
        files.push_back({FromUtf8(paths[i].string()), AdmxSetOfDocument(*docs.back())});
    }
    std::vector<std::vector<cFinding>> profile = CheckMdmUpload(files);
    std::vector<std::vector<std::string>> out;
    for (size_t i = 0; i < paths.size(); ++i) {
        std::vector<cFinding> findings = LintTemplate(*docs[i], logs[i]);
        ApplyMdmProfile(findings, std::move(profile[i]));
        out.emplace_back();
        for (const cFinding& finding : findings) {
            std::string rule = finding.rule;
            if (!rule.starts_with("mdm-") && rule != "admx-unused-namespace")
                continue;
            // The profile's errors are errors; of its rules only a prerequisite warns.
            EXPECT_EQ(finding.severity == cLintSeverity::Warning, rule == "mdm-prerequisite");
            std::string where = finding.file.empty() ? ""
                                                     : std::filesystem::path(ToUtf8(finding.file))
                                                               .parent_path()
                                                               .filename()
                                                               .string() +
                                                           ":";
            out.back().push_back(rule + "@" + where + std::to_string(finding.line));
        }
    }
    return out;
}

using cFound = std::vector<std::string>;

}  // namespace

TEST(Mdm, BlockedKeysAreTheThreeRootsBarTheOpenKeysWhateverTheCase) {
    for (const char16_t* key :
         {u"System\\CurrentControlSet\\Services", u"SYSTEM", u"Software\\Microsoft\\Windows",
          u"software\\policies\\microsoft\\Windows\\Sample", u"\\Software\\Microsoft\\Sample",
          u"Software\\Policies\\Microsoft\\Edge", u"Software\\Policies\\Microsoft\\OfficeX"})
        EXPECT_TRUE(MdmBlocksKey(key)) << ToUtf8(key);
    for (const char16_t* key :
         {u"Software\\Policies\\Microsoft\\Office\\16.0\\Word",
          u"SOFTWARE\\policies\\MICROSOFT\\office", u"Software\\Microsoft\\OneDrive\\Sync",
          u"Software\\Microsoft\\Edge", u"Software\\Microsoft\\Exchange\\Client",
          u"Software\\Policies\\Vendor\\Product", u"Software\\MicrosoftFoo", u"Software\\Policies",
          u"SystemX\\Key", u""})
        EXPECT_FALSE(MdmBlocksKey(key)) << ToUtf8(key);
}

// Each rule on the sample set, at its line, and the set mended clean of it.
TEST(Mdm, EachRuleStandsAtItsLineAndTheMendedSetIsClean) {
    cTempSet set;
    std::string admx = kSampleAdmx;
    std::string adml = SampleAdml("en-US");
    Replace(admx,
            "<policy name=\"Everyone\" class=\"Both\" displayName=\"$(string.Everyone)\" "
            "key=\"Software\\Sample\"",
            "<policy name=\"Everyone\" class=\"Both\" displayName=\"$(string.Everyone)\" "
            "key=\"SOFTWARE\\Policies\\Microsoft\\Windows\\Sample\"");
    Replace(admx, "<list id=\"Hosts\" key=\"Software\\Sample\\Hosts\"",
            "<list id=\"Hosts\" key=\"System\\Sample\\Hosts\"");
    Replace(admx, "<item key=\"Software\\Sample\\Extra\"",
            "<item key=\"Software\\Microsoft\\Sample\"");
    Replace(admx, "key=\"Software\\Sample\\User\"",
            "key=\"Software\\Policies\\Microsoft\\Office\\16.0\\Sample\"");
    Replace(admx, "  <resources ", "  <!-- " + std::string(1048576, '.') + " -->\n  <resources ");
    Replace(admx, "</policyNamespaces>",
            "  <using prefix=\"office\" namespace=\"Microsoft.Policies.Office\"/>\n"
            "  </policyNamespaces>");
    const std::string prefix = "<parentCategory ref=\"sample:Root\"/>";
    set.Put("en-US/sample.adml", adml);
    const std::filesystem::path path = set.Put("sample.admx", admx);
    const cFound faults{
        "mdm-file-size@1",
        "mdm-prerequisite@5",
        "admx-unused-namespace@6",
        "mdm-own-prefix@" + std::to_string(LineOf(admx, prefix)),
        "mdm-blocked-key@" + std::to_string(LineOf(admx, "Software\\Microsoft\\Sample")),
        "mdm-blocked-key@" + std::to_string(LineOf(admx, "System\\Sample\\Hosts")),
        "mdm-blocked-key@" + std::to_string(LineOf(admx, "Policies\\Microsoft\\Windows\\Sample")),
        "mdm-combobox@en-US:" + std::to_string(LineOf(adml, "<comboBox")),
    };
    EXPECT_EQ(Profile({path}), std::vector<cFound>{faults});

    // Mended: keys of the vendor's own, no own prefix, a text box, the using dropped, the
    // padding gone. The one namespace the references need remains to be imported first.
    Replace(admx, "SOFTWARE\\Policies\\Microsoft\\Windows\\Sample", "Software\\Policies\\Sample");
    Replace(admx, "System\\Sample\\Hosts", "Software\\Policies\\Sample\\Hosts");
    Replace(admx, "Software\\Microsoft\\Sample", "Software\\Policies\\Sample\\Extra");
    Replace(admx, prefix, "<parentCategory ref=\"Root\"/>");
    Replace(admx, "  <!-- " + std::string(1048576, '.') + " -->\n", "");
    Replace(admx, "  <using prefix=\"office\" namespace=\"Microsoft.Policies.Office\"/>\n", "");
    Replace(adml, "<comboBox refId=\"Name\" noSort=\"true\"><label>Name:</label>",
            "<textBox refId=\"Name\"><label>Name:</label>");
    Replace(adml, "<suggestion>ann</suggestion><suggestion>bob</suggestion></comboBox>",
            "</textBox>");
    set.Put("en-US/sample.adml", adml);
    set.Put("sample.admx", admx);
    EXPECT_EQ(Profile({path}), std::vector<cFound>{cFound{"mdm-prerequisite@5"}});
}

// The import reads en-US only; a set without it is refused, whatever else it has.
TEST(Mdm, ASetWithoutEnglishIsReported) {
    cTempSet set;
    set.Put("fr-FR/sample.adml", SampleAdml("fr-FR"));
    const std::filesystem::path path = set.Put("sample.admx", kSampleAdmx);
    cFound found = Profile({path})[0];
    EXPECT_NE(std::find(found.begin(), found.end(), "mdm-language@7"), found.end());
    set.Put("EN-us/sample.adml", SampleAdml("en-US"));
    found = Profile({path})[0];
    EXPECT_EQ(std::find(found.begin(), found.end(), "mdm-language@7"), found.end());
}

namespace {

// A set of one category, targeting ns under prefix, whose category lies under a category
// of each namespace used ("prefix=Namespace").
std::filesystem::path PutSet(const cTempSet& set, const std::string& name, const std::string& ns,
                             const std::vector<std::pair<std::string, std::string>>& uses) {
    std::string admx =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<policyDefinitions revision=\"1.0\" schemaVersion=\"1.0\">\n"
        "  <policyNamespaces>\n"
        "    <target prefix=\"" +
        name + "\" namespace=\"" + ns + "\"/>\n";
    std::string parents;
    for (const auto& [prefix, used] : uses) {
        admx += "    <using prefix=\"" + prefix + "\" namespace=\"" + used + "\"/>\n";
        parents += "<parentCategory ref=\"" + prefix + ":Cat\"/>";
    }
    admx +=
        "  </policyNamespaces>\n  <resources minRequiredRevision=\"1.0\"/>\n"
        "  <categories><category name=\"Cat\" displayName=\"$(string.Cat)\">" +
        parents + "</category></categories>\n</policyDefinitions>\n";
    set.Put("en-US/" + name + ".adml",
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<policyDefinitionResources "
            "revision=\"1.0\" schemaVersion=\"1.0\"><displayName/><description/><resources>"
            "<stringTable><string id=\"Cat\">Cat</string></stringTable></resources>"
            "</policyDefinitionResources>\n");
    return set.Put(name + ".admx", admx);
}

struct cOrdered {
    std::vector<std::unique_ptr<CPelwinDoc>> docs;
    std::vector<cMdmFile> files;
    cImportOrder order;
};

std::unique_ptr<cOrdered> Order(const std::vector<std::filesystem::path>& paths) {
    auto out = std::make_unique<cOrdered>();
    for (const auto& path : paths) {
        out->docs.push_back(std::make_unique<CPelwinDoc>());
        cReadLog log;
        EXPECT_TRUE(ReadDocument(*out->docs.back(), path, &log));
        out->files.push_back({FromUtf8(path.string()), AdmxSetOfDocument(*out->docs.back())});
    }
    out->order = MdmImportOrder(out->files);
    return out;
}

}  // namespace

TEST(Mdm, ImportOrderPutsEachFileAfterTheNamespacesItUses) {
    cTempSet set;
    const auto base = PutSet(set, "base", "Vendor.Policies", {});
    const auto mid = PutSet(set, "mid", "Vendor.Policies.Mid", {{"vendor", "Vendor.Policies"}});
    const auto top = PutSet(set, "top", "Vendor.Policies.Top",
                            {{"m", "Vendor.Policies.Mid"}, {"v", "Vendor.Policies"}});
    const auto alone = PutSet(set, "alone", "Other.Policies", {});
    auto ordered = Order({top, alone, mid, base});
    EXPECT_TRUE(ordered->order.faults.empty());
    EXPECT_EQ(ordered->order.order, (std::vector<size_t>{1, 3, 2, 0}));

    // The prerequisites name the file to import first, each namespace once.
    EXPECT_EQ(Profile({top, mid, base})[0], (cFound{"mdm-prerequisite@5", "mdm-prerequisite@6"}));

    // A namespace none of the files targets, at the using that names it.
    ordered = Order({top, mid});
    ASSERT_EQ(ordered->order.faults.size(), 2u);
    EXPECT_TRUE(ordered->order.order.empty());
    EXPECT_EQ(ordered->order.faults[0].file, 0u);
    EXPECT_EQ(ordered->order.faults[0].line, 6);
    EXPECT_NE(ToUtf8(ordered->order.faults[0].text).find("Vendor.Policies "), std::string::npos);
}

TEST(Mdm, ImportOrderNamesTheFilesOfACycle) {
    cTempSet set;
    const auto a = PutSet(set, "a", "A.Policies", {{"b", "B.Policies"}});
    const auto b = PutSet(set, "b", "B.Policies", {{"a", "A.Policies"}});
    const auto c = PutSet(set, "c", "C.Policies", {});
    auto ordered = Order({c, a, b});
    EXPECT_TRUE(ordered->order.order.empty());
    ASSERT_EQ(ordered->order.faults.size(), 1u);
    const std::string text = ToUtf8(ordered->order.faults[0].text);
    EXPECT_NE(text.find("a.admx, b.admx"), std::string::npos) << text;
    EXPECT_EQ(text.find("c.admx"), std::string::npos) << text;
    EXPECT_EQ(ordered->order.faults[0].line, 5);
}

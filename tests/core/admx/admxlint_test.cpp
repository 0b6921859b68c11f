#include <gtest/gtest.h>

#include "core/check/lint.h"
#include "tests/core/admx/admxsample.h"

// The findings of a set: the ADMX file's own by line, then those of its ADML files, each
// naming its file; the template rules run over the set's tree as over a template's.
TEST(AdmxLint, FindingsStandInTheirOwnFiles) {
    cTempSet set;
    std::string admx = kSampleAdmx;
    // A second policy of an existing name, writing what another policy writes.
    const std::string copy =
        "<policy name=\"Outside\" class=\"Machine\" displayName=\"$(string.Outside)\" "
        "key=\"Software\\Sample\" valueName=\"On\"><parentCategory ref=\"Root\"/>"
        "<supportedOn ref=\"SUPPORTED_Sample\"/></policy>\n  </policies>";
    admx.replace(admx.find("</policies>"), 11, copy);
    set.Put("en-US/sample.adml",
            SampleAdml("en-US", "\n      <string id=\"Spare\">unused</string>"));
    set.Put("fr-FR/sample.adml", SampleAdml("fr-FR"));
    CPelwinDoc doc;
    cReadLog log;
    ASSERT_TRUE(ReadDocument(doc, set.Put("sample.admx", admx), &log));
    std::vector<std::string> found;
    for (const cFinding& finding : LintTemplate(doc, log)) {
        std::string file =
            finding.file.empty()
                ? "admx"
                : std::filesystem::path(ToUtf8(finding.file)).parent_path().filename().string();
        found.push_back(file + ":" + std::to_string(finding.line) + " " + finding.rule);
    }
    // The sample's two policies without a supportedOn are refused by the policy editor.
    EXPECT_EQ(found, (std::vector<std::string>{
                         "admx:50 admx-schema", "admx:55 admx-schema", "admx:58 duplicate-value",
                         "admx:58 admx-duplicate-name", "en-US:20 admx-unused-string",
                         "fr-FR:6 admx-missing-translation"}));
    // Every rule reported is one of the table's, with its severity; a translation that lacks
    // only an id nothing refers to (Spare) is shown by the policy editor, a warning.
    for (const cFinding& finding : LintTemplate(doc, log)) {
        const cLintRule* rule = FindLintRule(finding.rule);
        ASSERT_NE(rule, nullptr) << finding.rule;
        if (std::string_view(finding.rule) == "admx-missing-translation")
            EXPECT_EQ(finding.severity, cLintSeverity::Warning) << ToUtf8(finding.text);
        else
            EXPECT_EQ(rule->severity, finding.severity) << finding.rule;
    }
}

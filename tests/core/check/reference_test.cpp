#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/check/policyplace.h"
#include "core/check/reference.h"
#include "tests/core/admx/admxsample.h"
#include "tests/core/check/checktest.h"

namespace {

// The rows of RFC 4180 text, each a list of cells; fails the test on text that breaks the
// format.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    ADD_FAILURE() << "a quoted cell does not end";
                    return rows;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        cell += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += text[i];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r')
                cell += text[i++];
        }
        row.push_back(std::move(cell));
        cell.clear();
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        if (text.compare(i, 2, "\r\n") != 0) {
            ADD_FAILURE() << "a row does not end in CRLF at " << i;
            return rows;
        }
        i += 2;
        rows.push_back(std::move(row));
        row.clear();
    }
    return rows;
}

size_t PolicyCount(const CPelwinDoc& doc) {
    size_t count = 0;
    ForEachPolicy(doc, [&](const cTreeItem&, const cObjPolicy&) { ++count; });
    return count;
}

const char kTemplate[] =
    "CLASS MACHINE\nCATEGORY !!Cat\n KEYNAME Software\\T\n"
    " POLICY !!Pol\n  EXPLAIN !!Pol_Explain\n  SUPPORTED \"Win 10\"\n  VALUENAME v\n"
    "  VALUEON NUMERIC 1\n END POLICY\n"
    " POLICY \"Parts\"\n"
    "  PART \"Mode\" DROPDOWNLIST VALUENAME m ITEMLIST NAME \"A\" VALUE NUMERIC 1 NAME \"B\" "
    "VALUE\n"
    "   NUMERIC 2 DEFAULT END ITEMLIST END PART\n"
    "  PART \"Size\" NUMERIC VALUENAME s MIN 2 MAX 8 DEFAULT 4 END PART\n"
    "  PART \"Sites\" LISTBOX KEYNAME Software\\T\\Sites VALUEPREFIX \"\" END PART\n"
    " END POLICY\n"
    " CATEGORY \"Sub & <more>\"\n  POLICY !!Pol\n   VALUENAME w\n  END POLICY\n END CATEGORY\n"
    "END CATEGORY\n"
    "CLASS USER\nCATEGORY !!Cat\n KEYNAME Software\\T\n POLICY !!Pol\n  VALUENAME v\n END POLICY\n"
    "END CATEGORY\n"
    "[strings]\nCat=\"Category\"\nPol=\"A policy\"\n"
    "Pol_Explain=\"First line.\\nSecond, with a comma.\"\n";

TEST(Reference, EntriesHoldWhatThePolicyWrites) {
    auto doc = ReadTemplateText(kTemplate);
    std::vector<cReferencePolicy> policies = BuildReference(*doc);
    ASSERT_EQ(policies.size(), 4u);
    const cReferencePolicy& first = policies[0];
    EXPECT_EQ(ToUtf8(first.Path()), "Category");
    EXPECT_EQ(ToUtf8(first.Classes()), "MACHINE");
    EXPECT_EQ(ToUtf8(first.valueType), "dword");
    EXPECT_EQ(ToUtf8(first.values), "Enabled: 1; Disabled: delete");
    EXPECT_EQ(ToUtf8(first.explain), "First line.\nSecond, with a comma.");
    EXPECT_EQ(ToUtf8(first.supportedOn), "Win 10");
    EXPECT_EQ(ToUtf8(policies[1].PartsText()),
              "DROPDOWNLIST \"Mode\": m (dword); items: 1 = A | 2 = B; default B\n"
              "NUMERIC \"Size\": s (dword); from 2 to 8; default 4\n"
              "LISTBOX \"Sites\": key Software\\T\\Sites (string values); values named 1, 2, …");
    // Anchors are unique, even for the same policy under a second category or class.
    std::set<Text> anchors;
    for (const cReferencePolicy& policy : policies)
        EXPECT_TRUE(anchors.insert(policy.anchor).second) << ToUtf8(policy.anchor);
    EXPECT_EQ(ToUtf8(policies[3].anchor), "p-USER-Pol");
}

TEST(Reference, CsvHasOneRowPerPolicyAndGuardsFormulas) {
    auto doc = ReadTemplateText(kTemplate);
    std::string csv = ReferenceCsv(BuildReference(*doc));
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    auto rows = ParseCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), 1 + PolicyCount(*doc));
    for (const auto& row : rows)
        EXPECT_EQ(row.size(), 10u);
    EXPECT_EQ(rows[0][2], "Display name");
    EXPECT_EQ(rows[1][2], "A policy");
    EXPECT_EQ(rows[1][9], "First line.\nSecond, with a comma.");
    EXPECT_EQ(rows[2][7].substr(0, 22), "DROPDOWNLIST \"Mode\": m");

    // Quotes are doubled; a text a spreadsheet would run as a formula is shown as text,
    // a number stays a number.
    std::vector<cReferencePolicy> odd(1);
    odd[0].name = u"=HYPERLINK(\"x\")";
    odd[0].key = u"-5";
    odd[0].valueName = u"@name";
    odd[0].values = u"+1";
    rows = ParseCsv(ReferenceCsv(odd).substr(3));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][2], "'=HYPERLINK(\"x\")");
    EXPECT_EQ(rows[1][3], "-5");
    EXPECT_EQ(rows[1][4], "'@name");
    EXPECT_EQ(rows[1][6], "+1");
}

TEST(Reference, HtmlIsOnePageWithContentsAndAnchors) {
    auto doc = ReadTemplateText(kTemplate);
    std::string html = ReferenceHtml(BuildReference(*doc), "t<1>.adm", "en-US");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en-US\">", 0), 0u);
    EXPECT_NE(html.find("<h1>t&lt;1&gt;.adm</h1>"), std::string::npos);
    EXPECT_NE(html.find("Sub &amp; &lt;more&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find(" src="), std::string::npos);
    EXPECT_EQ(html.find("<link"), std::string::npos);
    // Every link of the page leads to an anchor on it.
    std::set<std::string> ids;
    std::regex id("id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), id); it != std::sregex_iterator();
         ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "twice: " << (*it)[1];
    std::regex href("href=\"([^\"]*)\"");
    size_t links = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), href);
         it != std::sregex_iterator(); ++it, ++links) {
        std::string target = (*it)[1];
        ASSERT_EQ(target.substr(0, 1), "#") << target;
        EXPECT_TRUE(ids.count(target.substr(1))) << target;
    }
    // The contents link every category and every policy; each policy links to itself.
    EXPECT_EQ(links, 3 + 4 * 2u);
}

TEST(Reference, MarkdownListsContentsAndPolicies) {
    auto doc = ReadTemplateText(kTemplate);
    std::string md = ReferenceMarkdown(BuildReference(*doc), "t.adm");
    EXPECT_NE(md.find("- MACHINE\n  - [Category](#c-1) (2)\n    - [Sub & \\<more\\>](#c-2) (1)\n"
                      "- USER\n  - [Category](#c-3) (1)\n"),
              std::string::npos)
        << md;
    EXPECT_NE(md.find("<a id=\"p-MACHINE-Pol\"></a>\n\n### A policy\n\n"), std::string::npos);
    EXPECT_NE(md.find("\nFirst line.  \nSecond, with a comma.\n"), std::string::npos);
}

TEST(Reference, CorpusCsvHasOneRowPerPolicy) {
    SKIP_WITHOUT_CORPUS();
    for (const auto& file : CorpusFiles()) {
        auto doc = ReadCorpusTemplate(file.filename().string());
        ASSERT_TRUE(doc) << file;
        auto rows = ParseCsv(ReferenceCsv(BuildReference(*doc)).substr(3));
        EXPECT_EQ(rows.size(), 1 + PolicyCount(*doc)) << file;
    }
}

}  // namespace

TEST(Reference, AdmxPoliciesShowTheirClassesTextsAndNames) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    std::map<std::string, cReferencePolicy> byName;
    for (cReferencePolicy& policy : BuildReference(doc))
        byName[ToUtf8(policy.name)] = std::move(policy);
    ASSERT_EQ(byName.size(), 4u);
    const cReferencePolicy& machine = byName["Machine only"];
    EXPECT_EQ(ToUtf8(machine.Path()), "Sample root > Child");
    EXPECT_EQ(ToUtf8(machine.explain), "Turns it on");
    EXPECT_EQ(ToUtf8(machine.supportedOn), "At least Sample 2");
    EXPECT_EQ(ToUtf8(machine.anchor), "p-MACHINE-MachineOnly");
    const cReferencePolicy& user = byName["User only"];
    EXPECT_EQ(ToUtf8(user.Classes()), "USER");
    EXPECT_NE(user.PartsText().find(u"Big (qword)"), Text::npos) << ToUtf8(user.PartsText());
    EXPECT_EQ(ToUtf8(byName["Everyone"].Classes()), "MACHINE, USER");
    EXPECT_EQ(ToUtf8(byName["Everyone"].anchor), "p-MACHINE-USER-Everyone");
    EXPECT_EQ(ToUtf8(byName["Outside"].Path()), "");
}

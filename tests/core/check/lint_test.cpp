#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/check/find.h"
#include "core/check/lint.h"
#include "core/document/document.h"
#include "tests/testsupport.h"

namespace {

std::vector<cFinding> Lint(const std::string& bytes) {
    cTempFile file(bytes);
    cMessageRecorder messages;
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    cReadLog log;
    EXPECT_TRUE(doc.ReadFile(file.PathText(), &log));
    return LintTemplate(doc, log);
}

// A template with exactly one fault, and the same template without it.
struct cRuleCase {
    const char* name;
    const char* rule;
    cLintSeverity severity;
    int line;
    const char* faulty;
    const char* clean;
};

void PrintTo(const cRuleCase& c, std::ostream* os) {
    *os << c.name;
}

#define HEAD "CLASS MACHINE\n CATEGORY Cat\n  KEYNAME Software\\Test\n"  // lines 1-3
#define TAIL " END CATEGORY\n"

const cRuleCase kRuleCases[] = {
    {"UndefinedString", "undefined-string", cLintSeverity::Error, 5,
     HEAD "  POLICY Pol\n   EXPLAIN !!Missing\n   VALUENAME v\n  END POLICY\n" TAIL "[strings]\n",
     HEAD "  POLICY Pol\n   EXPLAIN !!Other\n   VALUENAME v\n  END POLICY\n" TAIL
          "[strings]\nOther=x\n"},
    {"UnusedString", "unused-string", cLintSeverity::Warning, 11,
     HEAD "  POLICY !!Pol\n   VALUENAME v\n  END POLICY\n" TAIL "\n[strings]\nPol=P\nSpare=S\n",
     HEAD "  POLICY !!Pol\n   VALUENAME v\n  END POLICY\n" TAIL "\n[strings]\nPol=P\n"},
    {"DuplicateString", "duplicate-string", cLintSeverity::Warning, 11,
     HEAD "  POLICY !!Pol\n   VALUENAME v\n  END POLICY\n" TAIL "\n[strings]\nPol=P\nPol=Q\n",
     HEAD "  POLICY !!Pol\n   VALUENAME v\n  END POLICY\n" TAIL "\n[strings]\nPol=P\n"},
    {"MinAboveMax", "numeric-range", cLintSeverity::Error, 5,
     HEAD "  POLICY Pol\n   PART N NUMERIC\n    VALUENAME n MIN 10 MAX 5\n   END PART\n"
          "  END POLICY\n" TAIL,
     HEAD "  POLICY Pol\n   PART N NUMERIC\n    VALUENAME n MIN 5 MAX 10\n   END PART\n"
          "  END POLICY\n" TAIL},
    {"DefaultAboveTheDefaultMax", "numeric-range", cLintSeverity::Error, 5,
     HEAD "  POLICY Pol\n   PART N NUMERIC\n    VALUENAME n DEFAULT 10000\n   END PART\n"
          "  END POLICY\n" TAIL,
     HEAD "  POLICY Pol\n   PART N NUMERIC\n    VALUENAME n DEFAULT 9999\n   END PART\n"
          "  END POLICY\n" TAIL},
    {"DefaultBelowMin", "numeric-range", cLintSeverity::Error, 5,
     HEAD "  POLICY Pol\n   PART N NUMERIC\n    VALUENAME n MIN -5 DEFAULT -6\n   END PART\n"
          "  END POLICY\n" TAIL,
     HEAD "  POLICY Pol\n   PART N NUMERIC\n    VALUENAME n MIN -5 DEFAULT -5\n   END PART\n"
          "  END POLICY\n" TAIL},
    {"EmptyItemList", "empty-itemlist", cLintSeverity::Error, 5,
     HEAD "  POLICY Pol\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n    END ITEMLIST\n"
          "   END PART\n  END POLICY\n" TAIL,
     HEAD
     "  POLICY Pol\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n     NAME a VALUE 1\n"
     "    END ITEMLIST\n   END PART\n  END POLICY\n" TAIL},
    {"DuplicateItemValue", "duplicate-item-value", cLintSeverity::Warning, 9,
     HEAD "  POLICY Pol\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n"
          "     NAME a VALUE NUMERIC 1\n     NAME b VALUE NUMERIC 1\n    END ITEMLIST\n"
          "   END PART\n  END POLICY\n" TAIL,
     // The same text as a number and as a string are different values.
     HEAD "  POLICY Pol\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n"
          "     NAME a VALUE NUMERIC 1\n     NAME b VALUE 1\n    END ITEMLIST\n"
          "   END PART\n  END POLICY\n" TAIL},
    {"PolicyWithoutKey", "no-key", cLintSeverity::Error, 3,
     "CLASS MACHINE\n CATEGORY Cat\n  POLICY Pol\n   VALUENAME v\n  END POLICY\n" TAIL,
     "CLASS MACHINE\n CATEGORY Cat\n  POLICY Pol\n   KEYNAME K\n   VALUENAME v\n  END "
     "POLICY\n" TAIL},
    {"ListBoxWithoutKey", "no-key", cLintSeverity::Error, 4,
     "CLASS MACHINE\n CATEGORY Cat\n  POLICY Pol\n   PART L LISTBOX\n   END PART\n  END "
     "POLICY\n" TAIL,
     "CLASS MACHINE\n CATEGORY Cat\n  POLICY Pol\n   PART L LISTBOX\n    KEYNAME K\n   END PART\n"
     "  END POLICY\n" TAIL},
    {"ActionEntryWithoutKey", "no-key", cLintSeverity::Error, 3,
     "CLASS MACHINE\n CATEGORY Cat\n  POLICY Pol\n   ACTIONLISTON\n    VALUENAME a VALUE 1\n"
     "   END ACTIONLISTON\n  END POLICY\n" TAIL,
     "CLASS MACHINE\n CATEGORY Cat\n  POLICY Pol\n   ACTIONLISTON\n    KEYNAME K\n"
     "    VALUENAME a VALUE 1\n   END ACTIONLISTON\n  END POLICY\n" TAIL},
    {"DuplicateValue", "duplicate-value", cLintSeverity::Warning, 7,
     HEAD "  POLICY One\n   VALUENAME v\n  END POLICY\n  POLICY Two\n   VALUENAME V\n  END "
          "POLICY\n" TAIL,
     // The other class is another part of the registry.
     HEAD "  POLICY One\n   VALUENAME v\n  END POLICY\n" TAIL
          "CLASS USER\n CATEGORY Cat\n  KEYNAME Software\\Test\n  POLICY Two\n   VALUENAME v\n"
          "  END POLICY\n" TAIL},
    {"EmptyPolicy", "empty-policy", cLintSeverity::Warning, 4,
     HEAD "  POLICY Pol\n   PART T TEXT\n   END PART\n  END POLICY\n" TAIL,
     HEAD "  POLICY Pol\n   PART T TEXT\n   END PART\n   VALUENAME v\n  END POLICY\n" TAIL},
    {"ReadMessage", "read-message", cLintSeverity::Error, 6,
     HEAD "  POLICY Pol\n   VALUENAME v\n  END POLICY\n",
     HEAD "  POLICY Pol\n   VALUENAME v\n  END POLICY\n" TAIL},
    {"PassedOver", "passed-over", cLintSeverity::Warning, 5,
     HEAD "  POLICY Pol\n   VALUENAME v FOO\n  END POLICY\n" TAIL,
     // The guards written around SUPPORTED are not lost.
     HEAD "  POLICY Pol\n   #if version >= 4\n   SUPPORTED s\n   #endif\n   VALUENAME v\n"
          "  END POLICY\n" TAIL},
    {"SeveralDefaults", "several-defaults", cLintSeverity::Warning, 5,
     HEAD "  POLICY Pol\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n"
          "     NAME a VALUE 1 DEFAULT\n     NAME b VALUE 2 DEFAULT\n    END ITEMLIST\n"
          "   END PART\n  END POLICY\n" TAIL,
     HEAD "  POLICY Pol\n   PART D DROPDOWNLIST\n    VALUENAME d\n    ITEMLIST\n"
          "     NAME a VALUE 1\n     NAME b VALUE 2 DEFAULT\n    END ITEMLIST\n"
          "   END PART\n  END POLICY\n" TAIL},
    {"EmptyTemplate", "empty-template", cLintSeverity::Error, 1, "; only a comment\n",
     HEAD "  POLICY Pol\n   VALUENAME v\n  END POLICY\n" TAIL},
};

class LintRules : public ::testing::TestWithParam<cRuleCase> {};

TEST_P(LintRules, FindExactlyTheFaultAndNothingInTheCleanVersion) {
    const cRuleCase& c = GetParam();
    std::vector<cFinding> findings = Lint(c.faulty);
    ASSERT_EQ(findings.size(), 1u) << (findings.size() > 1 ? ToUtf8(findings[1].text) : "");
    EXPECT_STREQ(findings[0].rule, c.rule) << ToUtf8(findings[0].text);
    EXPECT_EQ(findings[0].severity, c.severity);
    EXPECT_EQ(findings[0].line, c.line);
    std::vector<cFinding> clean = Lint(c.clean);
    EXPECT_TRUE(clean.empty()) << (clean.empty() ? "" : ToUtf8(clean[0].text));
}

INSTANTIATE_TEST_SUITE_P(Rules, LintRules, ::testing::ValuesIn(kRuleCases), CaseName<cRuleCase>);

// The rule list that SARIF and the manual page show is the one the checks use: every rule of
// templates has a case above, with the list's severity (those of ADMX sets have a set each
// under tests/cli/admx-lint, those of the MDM profile theirs in mdm_test.cpp).
TEST(LintRuleList, EveryRuleHasACaseWithItsSeverity) {
    for (const cLintRule& rule : kLintRules) {
        std::string_view id = rule.id;
        if (id == "xml" || id.starts_with("admx-") || id.starts_with("mdm-") ||
            id.starts_with("store-"))
            continue;
        bool found = false;
        for (const cRuleCase& c : kRuleCases)
            if (std::string_view(c.rule) == rule.id) {
                found = true;
                EXPECT_EQ(c.severity, rule.severity) << rule.id;
            }
        EXPECT_TRUE(found) << rule.id << " has no case";
    }
}

TEST(Lint, FindingsComeSortedByLine) {
    std::vector<cFinding> findings =
        Lint(HEAD "  POLICY !!Missing\n  END POLICY\n" TAIL "[strings]\nSpare=s\n");
    ASSERT_EQ(findings.size(), 3u);
    EXPECT_EQ(findings[0].line, 4);
    EXPECT_EQ(findings[1].line, 4);
    EXPECT_EQ(findings[2].line, 8);
    EXPECT_STREQ(findings[2].rule, "unused-string");
}

TEST(Lint, CorpusTemplatesHaveNoErrors) {
    for (const auto& path : CorpusFiles()) {
        cMessageRecorder messages;
        CPelwinDoc doc;
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        cReadLog log;
        ASSERT_TRUE(doc.ReadFile(FromUtf8(path.string()), &log));
        for (const cFinding& finding : LintTemplate(doc, log))
            EXPECT_NE(finding.severity, cLintSeverity::Error)
                << path << ":" << finding.line << ": " << ToUtf8(finding.text);
    }
}

// The supported-on text is a text like the explanation: its reference uses its string, and
// the editor's find looks at what it shows.
TEST(Lint, ASupportedOnReferenceUsesItsStringAndFindSeesItsText) {
    cTempFile file(HEAD
                   "  POLICY Pol\n   #if version >= 4\n   SUPPORTED !!W7\n   #endif\n"
                   "   VALUENAME v\n  END POLICY\n" TAIL "[strings]\nW7=Windows 7 or later\n");
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    cReadLog log;
    ASSERT_TRUE(doc.ReadFile(file.PathText(), &log));
    std::vector<cFinding> findings = LintTemplate(doc, log);
    EXPECT_TRUE(findings.empty()) << ToUtf8(findings.front().text);

    const cData& policy =
        *doc.Tree().FirstChildOf(doc.Tree().FirstChildOf(doc.Tree().FirstRootItem()))->node;
    cFindOptions options;
    EXPECT_TRUE(NodeMatches(policy, doc, options, cTextMatcher(u"windows 7", false)));
    options.namesAndTexts = false;
    EXPECT_FALSE(NodeMatches(policy, doc, options, cTextMatcher(u"windows 7", false)));
}

TEST(Matcher, IgnoresCaseOfLatinGreekAndCyrillicLettersUnlessAsked) {
    EXPECT_TRUE(cTextMatcher(u"zwischenablage", false).Matches(u"Die ZWISCHENABLAGE"));
    EXPECT_TRUE(cTextMatcher(u"ÄNDERN", false).Matches(u"ändern"));
    EXPECT_TRUE(cTextMatcher(u"прокси", false).Matches(u"ПРОКСИ-сервер"));
    EXPECT_FALSE(cTextMatcher(u"abc", true).Matches(u"ABC"));
    EXPECT_TRUE(cTextMatcher(u"", true).Matches(u"anything"));
}

}  // namespace

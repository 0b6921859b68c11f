#include <gtest/gtest.h>

#include "core/admx/admxset.h"
#include "core/translate/exchange.h"
#include "core/translate/translationsteps.h"
#include "core/translate/xliff.h"
#include "tests/core/admx/admxsample.h"
#include "tests/core/translate/translatefixture.h"

namespace {

void Replace(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// The sample set in English and French: the French lacks the string Extra and the
// presentation Extra, and keeps a note to translators inside one of its strings; the ADMX
// file has markup of its own.
class AdmxTranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string extra = "\n      <string id=\"Extra\">Extra words</string>";
        std::string english = SampleAdml("en-US", extra);
        Replace(english, "    </presentationTable>",
                "      <presentation id=\"Extra\"><text>Some words</text></presentation>\n"
                "    </presentationTable>");
        std::string french = SampleAdml("fr-FR");
        Replace(french, "<string id=\"Child\">Enfant", "<string id=\"Child\"><!-- note -->Enfant");
        files.Put("en-US/sample.adml", english);
        files.Put("FR-fr/sample.adml", french);
        // Markup the serializer does not give back: the file must stay as it is all the same.
        std::string definitions = kSampleAdmx;
        Replace(definitions, "<parentCategory ref=\"Child\"/>", "<parentCategory ref='Child' />");
        admx = files.Put("sample.admx", definitions);
        ASSERT_TRUE(ReadDocument(doc, admx, &log));
        history.doc = &doc;
        doc.SetStepSink(&history);
        set = std::make_unique<cTranslationSet>(doc);
        before = Snapshot();
    }
    void TearDown() override { doc.SetStepSink(nullptr); }

    std::map<std::string, std::string> Snapshot() const {
        return {{"admx", files.Read("sample.admx")},
                {"en", files.Read("en-US/sample.adml")},
                {"fr", files.Read("FR-fr/sample.adml")}};
    }
    size_t French() const { return set->IndexOf(u"fr-FR"); }
    bool Save() { return doc.WriteFile(FromUtf8(admx.string())); }

    cTempSet files;
    std::filesystem::path admx;
    CPelwinDoc doc;
    cReadLog log;
    cTestHistory history;
    std::unique_ptr<cTranslationSet> set;
    std::map<std::string, std::string> before;
};

TEST_F(AdmxTranslationTest, LanguagesAreTheOtherAdmlsAndLintMissesWhatTheWindowMisses) {
    ASSERT_NE(set->Languages(), nullptr);
    EXPECT_EQ(set->SourceLanguage(), u"en-US");
    ASSERT_EQ(set->LanguageCount(), 1u);
    EXPECT_EQ(set->Language(0), u"fr-FR");
    EXPECT_EQ(set->Languages()->PlaceOf(0), FromUtf8((files.dir / "FR-fr/sample.adml").string()));
    // The strings, then the presentations with their controls' texts.
    ASSERT_EQ(set->RowCount(), doc.Strings().Size() + 2);
    EXPECT_EQ(set->Name(set->RowCount() - 2), u"$(presentation.UserOnly)");
    EXPECT_EQ(*set->TargetText(set->RowCount() - 2, French()),
              u"Mots\nName:\nCount:\nBig:\nLines:\nMode:\nHosts:\nFlag it");

    std::vector<Text> missing;
    for (size_t row = 0; row < set->RowCount(); ++row)
        if (set->State(row, French()) == cCellState::Missing)
            missing.push_back(set->Name(row));
    EXPECT_EQ(missing, (std::vector<Text>{u"Extra", u"$(presentation.Extra)"}));
    EXPECT_EQ(set->State(set->RowOf(u"Child"), French()), cCellState::Translated);

    std::vector<Text> linted;
    for (const auto& finding : log.findings)
        if (std::string_view(finding.rule) == "admx-missing-translation")
            linted.push_back(finding.text);
    // Nothing in the ADMX refers to Extra: the policy editor shows the language all the same.
    EXPECT_EQ(linted,
              (std::vector<Text>{
                  u"string Extra of en-US is missing in FR-fr; nothing refers to it",
                  u"presentation Extra of en-US is missing in FR-fr; nothing refers to it"}));
}

TEST_F(AdmxTranslationTest, EditsAreStepsAndASaveChangesOnlyThatAdml) {
    ASSERT_TRUE(set->SetTarget(set->RowOf(u"Extra"), French(), u"Mots en plus"));
    ASSERT_TRUE(set->SetTarget(set->RowOf(u"Child"), French(), u"Fils"));
    ASSERT_TRUE(set->SetTarget(set->RowOf(u"$(presentation.Extra)"), French(), u"Des mots"));
    const size_t userOnly = set->RowOf(u"$(presentation.UserOnly)");
    Text controls = *set->TargetText(userOnly, French());
    ASSERT_TRUE(set->SetTarget(userOnly, French(), u"Paroles" + controls.substr(4)));
    EXPECT_EQ(set->State(set->RowOf(u"Extra"), French()), cCellState::Translated);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(history.Undo());
    EXPECT_EQ(set->State(set->RowOf(u"Extra"), French()), cCellState::Missing);
    // Undone, a save gives every file back as it was.
    ASSERT_TRUE(Save());
    EXPECT_EQ(Snapshot(), before);

    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(history.Redo());
    ASSERT_TRUE(Save());
    auto after = Snapshot();
    EXPECT_EQ(after["admx"], before["admx"]);
    EXPECT_EQ(after["en"], before["en"]);
    std::string expected = before["fr"];
    // The note stays; the new string goes at the end of the table, as the display language's.
    Replace(expected, "<!-- note -->Enfant", "<!-- note -->Fils");
    Replace(
        expected, "<string id=\"Outside\">Dehors</string>",
        "<string id=\"Outside\">Dehors</string>\n      <string id=\"Extra\">Mots en plus</string>");
    Replace(expected, "<text>Mots</text>", "<text>Paroles</text>");
    Replace(expected, "    </presentationTable>",
            "      <presentation id=\"Extra\"><text>Des mots</text></presentation>\n"
            "    </presentationTable>");
    EXPECT_EQ(after["fr"], expected);
}

TEST_F(AdmxTranslationTest, AddedLanguageIsACopyOfTheSourceAndBecomesAnAdml) {
    Text problem;
    EXPECT_EQ(cAddLanguageStep::Make(doc, u"fr-fr", problem), nullptr);  // not a tag
    EXPECT_EQ(cAddLanguageStep::Make(doc, u"fr-FR", problem), nullptr);  // the FR-fr folder
    EXPECT_EQ(cAddLanguageStep::Make(doc, u"en-US", problem), nullptr);
    auto step = cAddLanguageStep::Make(doc, u"de-DE", problem);
    ASSERT_NE(step, nullptr) << ToUtf8(problem);
    ASSERT_TRUE(PerformStep(doc, std::move(step)));
    set->Refresh();
    const size_t german = set->IndexOf(u"de-DE");
    ASSERT_NE(german, cTranslationSet::npos);
    EXPECT_EQ(set->Counts(german)[cCellState::Untranslated], set->RowCount());
    ASSERT_TRUE(set->SetTarget(set->RowOf(u"Child"), german, u"Kind"));
    ASSERT_TRUE(Save());

    auto after = Snapshot();
    EXPECT_EQ(after, before);
    std::string expected = before["en"];
    Replace(expected, "<string id=\"Child\">Child<", "<string id=\"Child\">Kind<");
    EXPECT_EQ(files.Read("de-DE/sample.adml"), expected);
    // Read again, the set has the language as one of its own.
    CPelwinDoc again;
    ASSERT_TRUE(ReadDocument(again, admx));
    cTranslationSet reread(again);
    ASSERT_NE(reread.IndexOf(u"de-DE"), cTranslationSet::npos);
    EXPECT_EQ(*reread.TargetText(reread.RowOf(u"Child"), reread.IndexOf(u"de-DE")), u"Kind");
}

TEST_F(AdmxTranslationTest, XliffRoundTripLeavesTheFilesAndRefusesUnknownIds) {
    std::string bytes;
    Text problem;
    cXliffFile exported = ExportLanguage(*set, French(), u"sample.admx");
    ASSERT_TRUE(WriteXliff(exported, bytes, problem)) << ToUtf8(problem);

    cXliffFile file;
    cImportPlan plan;
    ASSERT_TRUE(ReadXliff(bytes, file, problem));
    ASSERT_TRUE(PlanImport(*set, file, plan, problem)) << ToUtf8(problem);
    EXPECT_TRUE(plan.changes.empty());
    ASSERT_TRUE(set->Languages()->SaveTargets());
    EXPECT_EQ(Snapshot(), before);

    Replace(bytes, "id=\"Child\"", "id=\"Nobody\"");
    ASSERT_TRUE(ReadXliff(bytes, file, problem));
    cImportPlan refused;
    EXPECT_FALSE(PlanImport(*set, file, refused, problem));
    EXPECT_NE(ToUtf8(problem).find("Nobody"), std::string::npos) << ToUtf8(problem);

    // A changed text is written into the French file alone.
    Replace(bytes, "id=\"Nobody\"", "id=\"Child\"");
    Replace(bytes, ">Enfant<", ">Fils<");
    ASSERT_TRUE(ReadXliff(bytes, file, problem));
    cImportPlan plan2;
    ASSERT_TRUE(PlanImport(*set, file, plan2, problem)) << ToUtf8(problem);
    ASSERT_TRUE(ApplyImport(doc, plan2));
    std::vector<Text> written;
    ASSERT_TRUE(set->Languages()->SaveTargets(&written));
    EXPECT_EQ(written, std::vector<Text>{set->Languages()->PlaceOf(0)});
    auto after = Snapshot();
    EXPECT_EQ(after["admx"], before["admx"]);
    EXPECT_EQ(after["en"], before["en"]);
    EXPECT_NE(after["fr"].find("<!-- note -->Fils<"), std::string::npos);
}

}  // namespace

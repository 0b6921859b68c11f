#include <gtest/gtest.h>

#include "core/adm/templatewriter.h"
#include "core/edit/editstep.h"
#include "core/translate/admlanguages.h"
#include "core/translate/cellstate.h"
#include "core/translate/structure.h"
#include "core/translate/translationsteps.h"
#include "tests/core/translate/translatefixture.h"

namespace {

// ---- The state rules -------------------------------------------------------------------

TEST(CellState, FollowsTextAndTheTextItWasMadeAgainst) {
    const Text source = u"Home page", same = u"Home page", other = u"Startseite";
    const Text old = u"Start page";
    struct Case {
        const char* name;
        const Text* target;
        const Text* basis;
        cCellState expected;
    } cases[] = {
        {"no text is missing, whatever the note", nullptr, &source, cCellState::Missing},
        {"a copy of the source is untranslated", &same, &source, cCellState::Untranslated},
        {"a copy stays untranslated though the source changed", &same, &old,
         cCellState::Untranslated},
        {"another text is translated", &other, &source, cCellState::Translated},
        {"a text made against another source is stale", &other, &old, cCellState::Stale},
        {"without a note nothing is stale", &other, nullptr, cCellState::Translated},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CellState(source, c.target, c.basis), c.expected) << c.name;
    // An empty text is a text: only its absence is missing.
    const Text empty;
    EXPECT_EQ(CellState(source, &empty, nullptr), cCellState::Translated);
}

TEST(CellState, MissingIsTheOneRuleForChecksAndCounts) {
    cStringMap source, target;
    for (const char16_t* name : {u"A", u"B", u"C", u"D"})
        source.Set(name, name);
    target.Set(u"B", u"b");
    target.Set(u"D", u"");
    target.Set(u"Extra", u"x");
    EXPECT_EQ(MissingTranslations(source, target), (std::vector<Text>{u"A", u"C"}));
    EXPECT_TRUE(IsMissingTranslation(target, u"A"));
    EXPECT_FALSE(IsMissingTranslation(target, u"D"));
}

// ---- Language tags and files -----------------------------------------------------------

TEST(LanguageFiles, TagsAndTheFilesTheyName) {
    for (const char16_t* tag : {u"de-DE", u"zh-CN", u"es-419", u"sr-Latn-RS", u"fil-PH"})
        EXPECT_TRUE(IsLanguageTag(tag)) << ToUtf8(tag);
    for (const char16_t* tag : {u"de", u"DE-de", u"de_DE", u"de-DEU", u"d-DE", u"", u"de-DE-"})
        EXPECT_FALSE(IsLanguageTag(tag)) << ToUtf8(tag);

    EXPECT_EQ(LanguageOfFileName(u"/x/chrome-de-DE.adm"), u"de-DE");
    EXPECT_EQ(LanguageOfFileName(u"/x/de-DE.adm"), u"de-DE");
    EXPECT_EQ(LanguageOfFileName(u"/x/chrome-older-en.adm"), u"");
    EXPECT_EQ(LanguageOfFileName(u"/x/fr-FR/app.adm"), u"");

    EXPECT_EQ(LanguageFilePath(u"/x/chrome-en-US.adm", u"ja-JP"), u"/x/chrome-ja-JP.adm");
    EXPECT_EQ(LanguageFilePath(u"/x/app.adm", u"de-DE"), u"/x/app-de-DE.adm");
    EXPECT_EQ(LanguageFilePath(u"/x.d/app", u"de-DE"), u"/x.d/app-de-DE");
    EXPECT_EQ(LanguageFilePath(u"/x/app_en-US.ADM", u"de-DE"), u"/x/app_de-DE.ADM");
}

// ---- A set of two languages ------------------------------------------------------------

using TranslationSetTest = TranslationFixture;

TEST_F(TranslationSetTest, TranslationInItsOwnOrderIsOneSetWithItsStates) {
    cTranslationSet& s = WithGerman();
    EXPECT_EQ(s.SourceLanguage(), u"en-US");
    ASSERT_EQ(s.LanguageCount(), 1u);
    EXPECT_EQ(s.RowCount(), 10u);
    cStateCounts counts;
    counts[cCellState::Missing] = 1;       // Headers
    counts[cCellState::Untranslated] = 1;  // Proxy
    counts[cCellState::Translated] = 8;
    EXPECT_EQ(s.Counts(0), counts);
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Missing);
    EXPECT_EQ(GermanState(u"Proxy"), cCellState::Untranslated);
    EXPECT_EQ(MissingTranslations(doc.Strings(), s.Languages()->At(0).strings),
              std::vector<Text>{u"Headers"});

    std::vector<size_t> german{0};
    auto rows = [&](cTranslationFilter filter) {
        std::vector<Text> names;
        for (size_t row = 0; row < s.RowCount(); ++row)
            if (s.Passes(row, filter, german))
                names.push_back(s.Name(row));
        return names;
    };
    EXPECT_EQ(rows(cTranslationFilter::Missing), std::vector<Text>{u"Headers"});
    EXPECT_EQ(rows(cTranslationFilter::Untranslated), std::vector<Text>{u"Proxy"});
    EXPECT_TRUE(rows(cTranslationFilter::Stale).empty());
    EXPECT_EQ(rows(cTranslationFilter::All).size(), 10u);
    auto contains = [](const char16_t* part) {
        return [part](TextView text) { return text.find(part) != TextView::npos; };
    };
    EXPECT_TRUE(s.Matches(Row(u"Homepage"), contains(u"Startseite"), german));
    EXPECT_FALSE(s.Matches(Row(u"Homepage"), contains(u"Startseite"), {}));
    EXPECT_TRUE(s.Matches(Row(u"Url"), contains(u"Url"), {}));
}

TEST_F(TranslationSetTest, EditingACellIsOneStepOfTheTemplate) {
    cTranslationSet& s = WithGerman();
    ASSERT_TRUE(s.SetTarget(Row(u"Headers"), 0, u"Kopfzeilen drucken"));
    EXPECT_EQ(history.done, 1u);
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Translated);
    EXPECT_TRUE(doc.IsModified());
    // An empty text does not fill a missing one, the same text changes nothing.
    EXPECT_FALSE(s.SetTarget(Row(u"Url"), 0, u"Startadresse"));
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Missing);
    EXPECT_FALSE(s.SetTarget(Row(u"Headers"), 0, u""));
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(*s.TargetText(Row(u"Headers"), 0), u"Kopfzeilen drucken");
}

TEST_F(TranslationSetTest, ChangingTheDisplayTextMakesItsTranslationsStale) {
    cTranslationSet& s = WithGerman();
    ASSERT_TRUE(s.SetSource(Row(u"Homepage"), u"Start page"));
    EXPECT_EQ(GermanState(u"Homepage"), cCellState::Stale);
    // The tree shows the new text.
    EXPECT_EQ(ItemUsingString(doc.Tree(), u"Homepage")->label, u"Start page");
    // Translating it again against the new text makes it current.
    ASSERT_TRUE(s.SetTarget(Row(u"Homepage"), 0, u"Startseite (neu)"));
    EXPECT_EQ(GermanState(u"Homepage"), cCellState::Translated);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(GermanState(u"Homepage"), cCellState::Stale);
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(GermanState(u"Homepage"), cCellState::Translated);

    // The String table dialog's change goes the same way.
    cStringMap table = doc.Strings();
    table.Set(u"Url", u"Start URL");
    ASSERT_TRUE(PerformStep(doc, std::make_unique<cStringTableStep>(u"Edit string table", table)));
    EXPECT_EQ(GermanState(u"Url"), cCellState::Stale);
}

TEST_F(TranslationSetTest, RowsLeadToTheNodesThatShowThem) {
    EXPECT_EQ(ItemUsingString(doc.Tree(), u"Printing")->label, u"Printing");
    // A part's and an item's names lead to their policy.
    EXPECT_EQ(ItemUsingString(doc.Tree(), u"Url")->label, u"Home page");
    EXPECT_EQ(ItemUsingString(doc.Tree(), u"ModeOff")->label, u"Home page");
    EXPECT_EQ(ItemUsingString(doc.Tree(), u"Homepage_Explain")->label, u"Home page");
    EXPECT_EQ(ItemUsingString(doc.Tree(), u"Nowhere"), nullptr);
}

TEST_F(TranslationSetTest, AFileOfAnotherStructureIsRefusedWithItsFirstDifference) {
    struct Case {
        const char* name;
        std::string from, to;
        const char* expected;  // in the problem
    } cases[] = {
        {"a part's value name", "VALUENAME \"HomeUrl\"", "VALUENAME \"StartUrl\"",
         "app-xx-XX.adm:16: policy !!Homepage: part !!Url differs"},
        {"an item's value", "NAME !!ModeOff VALUE NUMERIC 0", "NAME !!ModeOff VALUE NUMERIC 2",
         "part !!Mode differs"},
        {"a policy more", "    POLICY !!Proxy\n",
         "    POLICY !!Extra\n      VALUENAME \"E\"\n    END POLICY\n    POLICY !!Proxy\n",
         "app-xx-XX.adm:11: policy !!Extra is not in the template"},
        {"a category less",
         "  CATEGORY !!Printing\n    KEYNAME \"Software\\Vendor\\Print\"\n"
         "    POLICY !!Headers\n      VALUENAME \"HeaderFooter\"\n"
         "    END POLICY\n  END CATEGORY\n",
         "", "(template line 21): category !!Printing is missing"},
        {"a category's key", "KEYNAME \"Software\\Vendor\\Print\"", "KEYNAME \"Software\\X\"",
         "app-xx-XX.adm:3: category !!Printing differs"},
    };
    set = std::make_unique<cTranslationSet>(doc);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = kGerman;
        size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.from.size(), c.to);
        Text file = folder.Write("app-xx-XX.adm", text);
        Text problem;
        EXPECT_FALSE(set->Languages()->AddFromFile(file, u"xx-XX", problem));
        EXPECT_NE(ToUtf8(problem).find(c.expected), std::string::npos) << ToUtf8(problem);
        EXPECT_EQ(set->Languages()->Count(), 0u);
    }
    // Neither the template itself, nor a language twice, nor a tag that is none.
    Text problem;
    EXPECT_FALSE(set->Languages()->AddFromFile(english, u"fr-FR", problem));
    EXPECT_FALSE(set->Languages()->AddFromFile(german, u"German", problem));
    EXPECT_FALSE(set->Languages()->AddFromFile(german, u"en-US", problem));
    ASSERT_TRUE(set->Languages()->AddFromFile(german, u"de-DE", problem));
    EXPECT_FALSE(set->Languages()->AddFromFile(german, u"de-AT", problem));
    EXPECT_FALSE(
        set->Languages()->AddFromFile(folder.Write("x.adm", "CLASS MACHINE\n"), u"it-IT", problem));
}

// ---- Saving ----------------------------------------------------------------------------

TEST_F(TranslationSetTest, SavingWritesOnlyTheLanguagesThatChanged) {
    // The template as the writer lays it out, so that saving it alone changes nothing.
    ASSERT_TRUE(doc.WriteFile(english));
    folder.Write("app-fr-FR.adm", std::string(kGerman).replace(0, 8, "; French"));
    cTranslationSet& s = WithGerman();
    Text problem;
    ASSERT_TRUE(s.Languages()->AddFromFile(folder.File("app-fr-FR.adm"), u"fr-FR", problem));
    s.Refresh();
    const auto before = folder.Snapshot();

    // Unchanged languages are not written, though their files have another layout.
    ASSERT_TRUE(doc.WriteFile(english));
    EXPECT_EQ(folder.Snapshot(), before);
    // A change undone again changes nothing either.
    ASSERT_TRUE(s.SetTarget(Row(u"Headers"), 0, u"Kopfzeilen"));
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(doc.WriteFile(english));
    EXPECT_EQ(folder.Snapshot(), before);

    ASSERT_TRUE(s.SetTarget(Row(u"Headers"), 0, u"Kopfzeilen drucken"));
    ASSERT_TRUE(doc.WriteFile(english));
    auto after = folder.Snapshot();
    EXPECT_EQ(after["app-en-US.adm"], before.at("app-en-US.adm"));
    EXPECT_EQ(after["app-fr-FR.adm"], before.at("app-fr-FR.adm"));
    const std::string& written = after["app-de-DE.adm"];
    EXPECT_NE(written.find("Kopfzeilen drucken"), std::string::npos) << written;
    // Its own order and comments stay.
    EXPECT_LT(written.find("!!Printing"), written.find("!!Browser"));
    EXPECT_EQ(written.rfind("; German", 0), 0u);

    // Read back, it is still the translation it was, with that string more.
    cTestDocReader again(german);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.doc.Strings().Size(), 10u);
    EXPECT_EQ(*again.doc.Strings().Find(u"Browser"), u"Webbrowser");
}

TEST_F(TranslationSetTest, ANewLanguageStartsAsACopyAndIsWrittenBesideTheTemplate) {
    cTranslationSet& s = WithGerman();
    Text problem;
    auto step = cAddLanguageStep::Make(doc, u"ja-JP", problem);
    ASSERT_TRUE(step) << ToUtf8(problem);
    ASSERT_TRUE(PerformStep(doc, std::move(step)));
    s.Refresh();
    const size_t japanese = s.IndexOf(u"ja-JP");
    ASSERT_NE(japanese, cTranslationSet::npos);
    EXPECT_EQ(s.Counts(japanese)[cCellState::Untranslated], s.RowCount());
    EXPECT_EQ(s.Languages()->PlaceOf(japanese), folder.File("app-ja-JP.adm"));
    // A language that has a file is added from it instead.
    EXPECT_FALSE(cAddLanguageStep::Make(doc, u"de-DE", problem));
    EXPECT_FALSE(cAddLanguageStep::Make(doc, u"en-US", problem));

    ASSERT_TRUE(s.SetTarget(s.RowOf(u"Homepage"), japanese, u"ホームページ"));
    ASSERT_TRUE(doc.WriteFile(english));
    cTestDocReader written(folder.File("app-ja-JP.adm"));
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.doc.Utf16(), 1);
    EXPECT_EQ(*written.doc.Strings().Find(u"Homepage"), u"ホームページ");
    EXPECT_EQ(*written.doc.Strings().Find(u"Proxy"), u"Proxy");

    // Undone, the language is gone from the set and from the next save.
    std::filesystem::remove(folder.path / "app-ja-JP.adm");
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(history.Undo());
    s.Refresh();
    EXPECT_EQ(s.IndexOf(u"ja-JP"), cTranslationSet::npos);
    ASSERT_TRUE(doc.WriteFile(english));
    EXPECT_FALSE(std::filesystem::exists(folder.path / "app-ja-JP.adm"));
}

TEST_F(TranslationSetTest, AStructureChangedInTheEditorReachesTheLanguagesOnSave) {
    WithGerman();
    // The policy Proxy taken out of the template.
    cTreeItem* proxy = ItemUsingString(doc.Tree(), u"Proxy");
    ASSERT_TRUE(PerformStep(doc, cItemPlacementStep::Take(u"Delete", cTreePath::Of(proxy))));
    ASSERT_TRUE(doc.WriteFile(english));
    const std::string written = cTempFolder::Read(german);
    EXPECT_EQ(written.find("!!Proxy"), std::string::npos);
    EXPECT_NE(written.find("Webbrowser"), std::string::npos);
    // Undone and saved again, the file has the template's structure again.
    ASSERT_TRUE(history.Undo());
    ASSERT_TRUE(doc.WriteFile(english));
    cTestDocReader reread(german);
    cStructureDifference difference;
    EXPECT_TRUE(SameStructure(doc.Tree(), reread.doc.Tree(), difference))
        << ToUtf8(difference.what);
}

TEST_F(TranslationSetTest, ATextTheLanguagesFileCannotHoldRefusesTheSave) {
    // The German file is 8-bit text: Japanese cannot go into it.
    cTranslationSet& s = WithGerman();
    ASSERT_TRUE(s.SetTarget(Row(u"Headers"), 0, u"ヘッダー"));
    const auto before = folder.Snapshot();
    cMessageRecorder messages;
    EXPECT_FALSE(doc.WriteFile(english));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.Utf8()[0].rfind("de-DE (", 0), 0u) << messages.Utf8()[0];
    EXPECT_EQ(folder.Snapshot(), before);
}

}  // namespace

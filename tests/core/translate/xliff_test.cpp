#include <gtest/gtest.h>

#include "core/translate/admlanguages.h"
#include "core/translate/exchange.h"
#include "core/translate/translationsteps.h"
#include "core/translate/xliff.h"
#include "tests/core/translate/translatefixture.h"

namespace {

std::string Export(const cTranslationSet& set, const char16_t* language) {
    std::string bytes;
    Text problem;
    EXPECT_TRUE(
        WriteXliff(ExportLanguage(set, set.IndexOf(language), u"app-en-US.adm"), bytes, problem))
        << ToUtf8(problem);
    return bytes;
}

// Imports bytes as the command line does: read, plan, one step, the changed files written.
bool Import(cTranslationSet& set, std::string_view bytes, Text& problem) {
    cXliffFile file;
    cImportPlan plan;
    if (!ReadXliff(bytes, file, problem) || !PlanImport(set, file, plan, problem))
        return false;
    if (plan.changes.empty())
        return true;
    return ApplyImport(set.Document(), plan) && set.Languages()->SaveTargets();
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

using XliffTest = TranslationFixture;

TEST_F(XliffTest, ExportedFileHoldsEveryIdWithSourceTargetAndState) {
    cTranslationSet& s = WithGerman();
    ASSERT_TRUE(s.SetSource(Row(u"Url"), u"Start URL"));
    cXliffFile file;
    Text problem;
    ASSERT_TRUE(ReadXliff(Export(s, u"de-DE"), file, problem)) << ToUtf8(problem);
    EXPECT_EQ(file.sourceLanguage, u"en-US");
    EXPECT_EQ(file.targetLanguage, u"de-DE");
    ASSERT_EQ(file.units.size(), 10u);
    std::map<Text, const cXliffUnit*> units;
    for (const cXliffUnit& unit : file.units)
        units[unit.id] = &unit;
    EXPECT_FALSE(units[u"Headers"]->target);
    EXPECT_EQ(units[u"Proxy"]->state, u"needs-translation");
    EXPECT_EQ(units[u"Url"]->state, u"needs-review-translation");
    EXPECT_EQ(units[u"Url"]->source, u"Start URL");
    EXPECT_EQ(units[u"Homepage"]->state, u"translated");
    // The texts as the table holds them: a "\n" stays two characters.
    EXPECT_EQ(*units[u"Homepage_Explain"]->target,
              u"Legt die Startseite fest.\\n\\nEin langer Text.");
}

TEST_F(XliffTest, ImportOfAnUnchangedExportLeavesEveryFileAsItWas) {
    cTranslationSet& s = WithGerman();
    const std::string exported = Export(s, u"de-DE");
    const auto before = folder.Snapshot();
    Text problem;
    ASSERT_TRUE(Import(s, exported, problem)) << ToUtf8(problem);
    EXPECT_EQ(history.done, 0u);
    ASSERT_TRUE(doc.WriteFile(english));
    EXPECT_EQ(folder.Snapshot().at("app-de-DE.adm"), before.at("app-de-DE.adm"));
}

TEST_F(XliffTest, ImportWritesTheChangedTextsIntoTheirLanguageOnly) {
    cTranslationSet& s = WithGerman();
    std::string edited = Export(s, u"de-DE");
    // The missing one filled in (a unit gains a target), one changed; a translator's tool
    // may also drop the whitespace between elements.
    Replace(edited, "<source>Print headers</source>",
            "<source>Print headers</source><target state=\"translated\">Kopfzeilen</target>");
    Replace(edited, ">Webbrowser<", ">Browser<");
    const auto before = folder.Snapshot();
    Text problem;
    ASSERT_TRUE(Import(s, edited, problem)) << ToUtf8(problem);
    EXPECT_EQ(history.done, 1u);  // one step, undone as one
    auto after = folder.Snapshot();
    EXPECT_EQ(after.at("app-en-US.adm"), before.at("app-en-US.adm"));
    cTestDocReader reread(german);
    ASSERT_TRUE(reread.ok);
    EXPECT_EQ(*reread.doc.Strings().Find(u"Headers"), u"Kopfzeilen");
    EXPECT_EQ(*reread.doc.Strings().Find(u"Browser"), u"Browser");
    EXPECT_EQ(*reread.doc.Strings().Find(u"Url"), u"Startadresse");
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(GermanState(u"Headers"), cCellState::Missing);
}

TEST_F(XliffTest, ATextTheTemplateCannotHoldIsNotWritten) {
    cTranslationSet& s = WithGerman();
    std::string edited = Export(s, u"de-DE");
    // A line break inside a string: the strings section has one string per line.
    Replace(edited, ">Webbrowser<", ">Web\nbrowser<");
    const auto before = folder.Snapshot();
    cMessageRecorder messages;
    Text problem;
    EXPECT_FALSE(Import(s, edited, problem));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("app-de-DE.adm"), std::string::npos) << messages.Utf8()[0];
    EXPECT_EQ(folder.Snapshot(), before);
}

TEST_F(XliffTest, ATranslationOfAnOlderDisplayTextComesInStale) {
    cTranslationSet& s = WithGerman();
    std::string edited = Export(s, u"de-DE");
    ASSERT_TRUE(s.SetSource(Row(u"Homepage"), u"Start page"));
    Replace(edited, ">Startseite<", ">Erste Seite<");
    Text problem;
    ASSERT_TRUE(Import(s, edited, problem)) << ToUtf8(problem);
    EXPECT_EQ(GermanState(u"Homepage"), cCellState::Stale);
}

TEST_F(XliffTest, BrokenOrForeignFilesAreRefusedAndChangeNothing) {
    cTranslationSet& s = WithGerman();
    const std::string good = Export(s, u"de-DE");
    struct Case {
        const char* name;
        std::string from, to;
        const char* expected;
    } cases[] = {
        {"an id the template does not have", "id=\"Proxy\"", "id=\"Gone\"",
         "1 id of the file is not in the template (Gone)"},
        {"broken XML", "</body>", "</bod>", "not well-formed XML"},
        {"two files", "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">",
         "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"><file/>",
         "expected one <file> element, found 2"},
        {"another language", "target-language=\"de-DE\"", "target-language=\"fr-FR\"",
         "no fr-FR translation"},
        {"another display language", "source-language=\"en-US\"", "source-language=\"en-GB\"",
         "translates from en-GB"},
        {"an id twice", "id=\"Mode\"", "id=\"Url\"", "the id Url stands twice"},
        {"markup in a target", ">Startseite<", "><g id=\"1\">Start</g>seite<", "holds markup"},
    };
    const auto before = folder.Snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bad = good;
        Replace(bad, c.from, c.to);
        // The other texts of the file differ too: nothing of them may come in.
        Replace(bad, ">Webbrowser<", ">Browser<");
        Text problem;
        EXPECT_FALSE(Import(s, bad, problem));
        EXPECT_NE(ToUtf8(problem).find(c.expected), std::string::npos) << ToUtf8(problem);
        EXPECT_EQ(history.done, 0u);
        EXPECT_EQ(*s.TargetText(Row(u"Browser"), 0), u"Webbrowser");
    }
    EXPECT_EQ(folder.Snapshot(), before);
}

TEST(Xliff, TextsComeBackExactly) {
    cXliffFile file{u"a.adm", u"en-US", u"de-DE", {}};
    const Text texts[] = {
        u"  leading and trailing  ", u" ",         u"",         u"a < b & \"c\" > 'd'",
        u"tab\there\nline",          u"\\n stays", u"😀 Ünïcödé"};
    int n = 0;
    for (const Text& text : texts)
        file.units.push_back({u"id" + Text(1, char16_t(u'0' + n++)), text, text, u"translated"});
    file.units.push_back({u"none", u"x", std::nullopt, u""});
    std::string bytes;
    Text problem;
    ASSERT_TRUE(WriteXliff(file, bytes, problem));
    cXliffFile back;
    ASSERT_TRUE(ReadXliff(bytes, back, problem)) << ToUtf8(problem);
    ASSERT_EQ(back.units.size(), file.units.size());
    for (size_t i = 0; i < file.units.size(); ++i) {
        EXPECT_EQ(back.units[i].source, file.units[i].source) << i;
        EXPECT_EQ(back.units[i].target, file.units[i].target) << i;
    }
    // What XML cannot carry is refused, naming the id.
    for (const Text& bad : {Text(u"bell\u0007"), Text(u"cr\r"), Text(1, char16_t(0xD800))}) {
        file.units = {{u"bad", u"x", bad, u""}};
        EXPECT_FALSE(WriteXliff(file, bytes, problem));
        EXPECT_EQ(ToUtf8(problem).rfind("bad:", 0), 0u);
    }
}

TEST(Xliff, UnitsInGroupsAndWithPrefixesAreRead) {
    const char text[] = R"(<?xml version="1.0"?>
<x:xliff version="1.2" xmlns:x="urn:oasis:names:tc:xliff:document:1.2">
 <x:file original="a" source-language="en-US" target-language="de-DE" datatype="plaintext">
  <x:body><x:group id="g"><x:trans-unit id="A"><x:source>a</x:source>
   <x:target><![CDATA[<b>]]></x:target></x:trans-unit></x:group>
   <x:trans-unit id="B"><x:source>b</x:source></x:trans-unit>
  </x:body></x:file></x:xliff>)";
    cXliffFile file;
    Text problem;
    ASSERT_TRUE(ReadXliff(text, file, problem)) << ToUtf8(problem);
    ASSERT_EQ(file.units.size(), 2u);
    EXPECT_EQ(file.targetLanguage, u"de-DE");
    EXPECT_EQ(file.units[0].target, Text(u"<b>"));
    EXPECT_FALSE(file.units[1].target);
    EXPECT_FALSE(ReadXliff("<html><body/></html>", file, problem));
    EXPECT_EQ(ToUtf8(problem), "not an XLIFF file: the document element is not <xliff>");
}

// ---- The corpus's five languages -------------------------------------------------------

TEST(TranslationCorpus, FiveLanguagesAreOneSetAndAnUnchangedImportWritesNothing) {
    SKIP_WITHOUT_CORPUS();
    cTempFolder folder;
    for (const char* language : {"en-US", "de-DE", "ja-JP", "zh-CN", "ru-RU"}) {
        std::string name = std::string("chrome-") + language + ".adm";
        std::filesystem::copy_file(CorpusDir() / name, folder.path / name);
    }
    CPelwinDoc doc;
    doc.SetFrame(&doc);
    doc.SetTreeView(&doc.Tree());
    const Text english = folder.File("chrome-en-US.adm");
    ASSERT_TRUE(doc.ReadFile(english));
    doc.SetPath(english);
    cTranslationSet set(doc);
    for (const char16_t* language : {u"de-DE", u"ja-JP", u"zh-CN", u"ru-RU"}) {
        Text problem;
        ASSERT_TRUE(
            set.Languages()->AddFromFile(LanguageFilePath(english, language), language, problem))
            << ToUtf8(problem);
    }
    set.Refresh();
    ASSERT_EQ(set.LanguageCount(), 4u);
    const auto before = folder.Snapshot();
    for (size_t language = 0; language < set.LanguageCount(); ++language) {
        const cStateCounts counts = set.Counts(language);
        SCOPED_TRACE(ToUtf8(set.Language(language)));
        EXPECT_EQ(counts[cCellState::Missing], 0u);
        EXPECT_EQ(counts[cCellState::Stale], 0u);
        EXPECT_GT(counts[cCellState::Translated], set.RowCount() * 9 / 10);
        std::string bytes;
        Text problem;
        ASSERT_TRUE(WriteXliff(ExportLanguage(set, language, u"chrome-en-US.adm"), bytes, problem));
        ASSERT_TRUE(Import(set, bytes, problem)) << ToUtf8(problem);
    }
    // Nothing was written, though these files are not in the layout a save writes.
    ASSERT_TRUE(set.Languages()->SaveTargets());
    EXPECT_EQ(folder.Snapshot(), before);
}

}  // namespace

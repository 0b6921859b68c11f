#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "core/admx/admxset.h"
#include "core/admx/xmlfile.h"
#include "core/edit/creation.h"
#include "core/edit/editops.h"
#include "core/model/partkinds.h"
#include "core/pages/admxpages.h"
#include "tests/core/admx/admxsample.h"
#include "tests/core/admx/canonical.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below dir, relative to it.
std::vector<std::string> FilesBelow(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            out.push_back(entry.path().lexically_relative(dir).string());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The lines only one of two texts has, each list in order: enough to see what an edit
// changed where it changes a few lines.
std::pair<std::vector<std::string>, std::vector<std::string>> ChangedLines(
    const std::string& before, const std::string& after) {
    std::vector<std::string> a = Lines(before);
    std::vector<std::string> b = Lines(after);
    std::multiset<std::string> inA(a.begin(), a.end());
    std::multiset<std::string> inB(b.begin(), b.end());
    std::pair<std::vector<std::string>, std::vector<std::string>> out;
    for (const std::string& line : a) {
        auto it = inB.find(line);
        if (it == inB.end())
            out.first.push_back(line);
        else
            inB.erase(it);
    }
    for (const std::string& line : b) {
        auto it = inA.find(line);
        if (it == inA.end())
            out.second.push_back(line);
        else
            inA.erase(it);
    }
    return out;
}

}  // namespace

// Every corpus set read and written without an edit gives each of its files back as the
// same XML document, in the same encoding, with the same byte-order mark and declaration.
TEST(AdmxWrite, CorpusSetsComeBackAsTheSameDocuments) {
    SKIP_WITHOUT_CORPUS();
    std::vector<fs::path> sets;
    for (const auto& folder : {CorpusDir() / "admx", CorpusDir() / "admx-sets"})
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.path().extension() == ".admx")
                sets.push_back(entry.path());
    ASSERT_GE(sets.size(), 10u);
    for (const fs::path& source : sets) {
        SCOPED_TRACE(source.string());
        cTempSet out;
        CPelwinDoc doc;
        cMessageRecorder messages;
        ASSERT_TRUE(ReadDocument(doc, source));
        const fs::path target = out.dir / "set" / source.filename();
        ASSERT_TRUE(doc.WriteFile(FromUtf8(target.string())))
            << ::testing::PrintToString(messages.Utf8());
        const std::string name = source.stem().string();
        size_t files = 0;
        for (const std::string& written : FilesBelow(target.parent_path())) {
            fs::path original = source.parent_path() / written;
            if (fs::path(written).extension() == ".adml")
                original =
                    source.parent_path() / fs::path(written).parent_path() / (name + ".adml");
            SCOPED_TRACE(written);
            EXPECT_EQ(Canonical(ReadBytes(target.parent_path() / written)),
                      Canonical(ReadBytes(original)));
            ++files;
        }
        size_t languages = 0;
        for (const auto& entry : fs::directory_iterator(source.parent_path()))
            languages += entry.is_directory() && fs::exists(entry.path() / (name + ".adml"));
        EXPECT_EQ(files, languages + 1);
    }
}

// The sample set unchanged is written back byte for byte, and under another name its ADMLs
// take that name in the folders of their languages.
TEST(AdmxWrite, UnchangedSetIsWrittenAsItWasRead) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "out" / "renamed.admx").string())));
    EXPECT_EQ(set.Read("out/renamed.admx"), kSampleAdmx);
    EXPECT_EQ(set.Read("out/en-US/renamed.adml"), SampleAdml("en-US"));
    EXPECT_EQ(set.Read("out/FR-fr/renamed.adml"), SampleAdml("fr-FR"));
    EXPECT_EQ(
        FilesBelow(set.dir / "out"),
        (std::vector<std::string>{"FR-fr/renamed.adml", "en-US/renamed.adml", "renamed.admx"}));
}

// An edit changes what it touches and nothing else: the lines that differ after a save.
TEST(AdmxWrite, AnEditChangesOnlyWhatItTouches) {
    struct cChange {
        const char* file;
        std::vector<std::string> removed;
        std::vector<std::string> added;
    };
    struct cCase {
        const char* name;
        std::function<void(CPelwinDoc&)> edit;
        std::vector<cChange> changes;  // every other file stays as it was
    };
    const std::string admx = kSampleAdmx;
    auto line = [&](const std::string& file, const char* containing) {
        for (const std::string& l : Lines(file == "admx" ? admx : SampleAdml("en-US")))
            if (l.find(containing) != std::string::npos)
                return l;
        return std::string("no line holds ") + containing;
    };
    auto replaced = [](std::string l, const std::string& from, const std::string& to) {
        return l.replace(l.find(from), from.size(), to);
    };
    const std::string machine = line("admx", "name=\"MachineOnly\"");
    const std::string nameElement = line("admx", "<text id=\"Name\"");
    const std::string dropdown = line("adml", "<dropdownList");
    const std::string explain = line("adml", "Root_Explain");
    const cCase cases[] = {
        {"a policy's key",
         [](CPelwinDoc& doc) { PolicyNamed(doc, u"MachineOnly").keyName = u"Software\\Other"; },
         {{"sample.admx",
           {machine},
           {replaced(machine, "key=\"Software\\Sample\"", "key=\"Software\\Other\"")}}}},
        {"a string's text",
         [](CPelwinDoc& doc) { doc.Strings().Set(u"Root_Explain", u"Only one line"); },
         {{"en-US/sample.adml",
           {explain, "line two</string>"},
           {"      <string id=\"Root_Explain\">Only one line</string>"}}}},
        {"a part's maximum length",
         [](CPelwinDoc& doc) {
             auto& combo =
                 static_cast<cObjPolPartCombo&>(*PolicyNamed(doc, u"UserOnly").Parts()[1]);
             combo.maxLen = u"30";
         },
         {{"sample.admx",
           {nameElement},
           {replaced(nameElement, "maxLength=\"20\"", "maxLength=\"30\"")}}}},
        {"the default item of a drop-down list",
         [](CPelwinDoc& doc) {
             auto& list =
                 static_cast<cObjPolPartDropDown&>(*PolicyNamed(doc, u"UserOnly").Parts()[5]);
             list.itemList[1].defaultFlag = 0;
             list.itemList[0].defaultFlag = 1;
         },
         {{"en-US/sample.adml",
           {dropdown},
           {replaced(dropdown, "defaultItem=\"1\"", "defaultItem=\"0\"")}}}},
        {"a deleted policy",
         [](CPelwinDoc& doc) {
             cTreeItem* item = nullptr;
             PolicyNamed(doc, u"Outside", &item);
             doc.Tree().DeleteItem(item);
         },
         {{"sample.admx",
           {line("admx", "name=\"Outside\""), "      <parentCategory ref=\"windows:System\"/>",
            "    </policy>"},
           {}}}},
        // Through the page: a number made soft, a text no longer.
        {"a part's soft flag",
         [](CPelwinDoc& doc) {
             for (const auto& part : PolicyNamed(doc, u"UserOnly").Parts())
                 if (part->admx && (part->admx->name == u"Count" || part->admx->name == u"Hidden"))
                     cAdmxElementPageValues{part->admx->name, part->admx->name == u"Count"}.ApplyTo(
                         *part);
         },
         {{"sample.admx",
           {line("admx", "<decimal id=\"Count\""), line("admx", "<text id=\"Hidden\"")},
           {replaced(line("admx", "<decimal id=\"Count\""), "/>", " soft=\"true\"/>"),
            replaced(line("admx", "<text id=\"Hidden\""), " soft=\"true\"", "")}}}},
        // Its control goes in every language, or the others would refer to nothing.
        {"a deleted part",
         [](CPelwinDoc& doc) { PolicyNamed(doc, u"UserOnly").TakePart(2); },
         {{"sample.admx", {line("admx", "<decimal id=\"Count\"")}, {}},
          {"en-US/sample.adml", {line("adml", "refId=\"Count\"")}, {}},
          {"FR-fr/sample.adml", {line("adml", "refId=\"Count\"")}, {}}}},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cTempSet set;
        CPelwinDoc doc;
        ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
        c.edit(doc);
        cMessageRecorder messages;
        ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())))
            << ::testing::PrintToString(messages.Utf8());
        const std::pair<const char*, std::string> files[] = {
            {"sample.admx", kSampleAdmx},
            {"en-US/sample.adml", SampleAdml("en-US")},
            {"FR-fr/sample.adml", SampleAdml("fr-FR")}};
        for (const auto& [file, before] : files) {
            SCOPED_TRACE(file);
            auto [removed, added] = ChangedLines(before, set.Read(file));
            cChange expected{file, {}, {}};
            for (const cChange& change : c.changes)
                if (std::string(change.file) == file)
                    expected = change;
            EXPECT_EQ(removed, expected.removed);
            EXPECT_EQ(added, expected.added);
        }
    }
}

// A deleted part takes its control along; a pasted policy is a new element of a name of its
// own, keeping what its original had beyond the model (here seeAlso); a part of another
// policy brings its element and control.
TEST(AdmxWrite, CopiesAndDeletionsKeepTheDocumentsWhole) {
    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    cObjPolicy& user = PolicyNamed(doc, u"UserOnly");
    std::unique_ptr<cObjPolPart> flag = user.TakePart(7);
    cTreeItem* everyoneItem = nullptr;
    cObjPolicy& everyone = PolicyNamed(doc, u"Everyone", &everyoneItem);
    everyone.AppendPart(std::move(flag));
    std::unique_ptr<cData> copy = everyone.Clone();
    EXPECT_EQ(*copy->admx, *everyone.admx);
    doc.Tree().InsertLast(everyoneItem->parent, u"copy", kImagePage, std::move(copy));
    cMessageRecorder messages;
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())))
        << ::testing::PrintToString(messages.Utf8());

    CPelwinDoc again;
    ASSERT_TRUE(ReadDocument(again, set.dir / "sample.admx"))
        << ::testing::PrintToString(messages.Utf8()) << set.Read("sample.admx");
    EXPECT_EQ(PolicyNamed(again, u"UserOnly").Parts().size(), 8u);
    cObjPolicy& moved = PolicyNamed(again, u"Everyone");
    ASSERT_EQ(moved.Parts().size(), 1u);
    EXPECT_EQ(moved.Parts()[0]->name, u"Flag it");
    cObjPolicy& pasted = PolicyNamed(again, u"Everyone_2");
    EXPECT_EQ(pasted.admx->policyClass, u"Both");
    EXPECT_EQ(pasted.Parts().size(), 1u);
    const std::string written = set.Read("sample.admx");
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'),
              std::count(std::begin(kSampleAdmx), std::end(kSampleAdmx), '\n') + 4 + 6)
        << written;
    size_t seeAlso = 0;
    for (size_t at = written.find("<seeAlso>"); at != std::string::npos;
         at = written.find("<seeAlso>", at + 1))
        ++seeAlso;
    EXPECT_EQ(seeAlso, 2u);
    const std::string adml = set.Read("en-US/sample.adml");
    EXPECT_NE(adml.find("<presentation id=\"Everyone\">"), std::string::npos) << adml;
    // The other language follows: the new presentations and controls, untranslated.
    CPelwinDoc french;
    french.SetLanguage(u"fr-FR");
    cReadLog log;
    ASSERT_TRUE(ReadDocument(french, set.dir / "sample.admx", &log));
    for (const auto& finding : log.findings)
        EXPECT_TRUE(!finding.error || IsMissingSupportedOn(ToUtf8(finding.text)))
            << finding.rule << ": " << ToUtf8(finding.text);
    EXPECT_EQ(PolicyNamed(french, u"Everyone_2").Parts().at(0)->name, u"Flag it");
}

// What an ADMX file cannot hold is refused before anything is written.
TEST(AdmxWrite, RefusesWhatTheFilesCannotHold) {
    struct cCase {
        const char* name;
        std::function<void(CPelwinDoc&)> edit;
        const char* words;
    };
    const cCase cases[] = {
        {"supported-on text",
         [](CPelwinDoc& doc) { PolicyNamed(doc, u"MachineOnly").supportedText = u"Any"; },
         "supported-on text of policy \"Machine only\""},
        {"OEM conversion",
         [](CPelwinDoc& doc) {
             static_cast<cObjPolPartCombo&>(*PolicyNamed(doc, u"UserOnly").Parts()[1]).oemConvert =
                 1;
         },
         "OEM"},
        {"a category's key",
         [](CPelwinDoc& doc) {
             auto* category =
                 static_cast<cObjCategory*>(ItemAt(doc.Tree(), {u"Sample root"})->node.get());
             category->useDefaultKey = 0;
             category->keyName = u"Software\\Key";
         },
         "no registry key"},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cTempSet set;
        CPelwinDoc doc;
        ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
        c.edit(doc);
        Text problem;
        EXPECT_FALSE(doc.CheckWritable(doc.Utf16(), problem));
        EXPECT_NE(ToUtf8(problem).find(c.words), std::string::npos) << ToUtf8(problem);
        cMessageRecorder messages;
        EXPECT_FALSE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())));
        EXPECT_EQ(set.Read("sample.admx"), kSampleAdmx);
    }
}

// A file that mixes CR LF and LF (as vendors' ADML files do, LF inside their texts) and
// writes characters as references changes only where the document did: every other text
// keeps its own line breaks and references.
TEST(AdmxWrite, TextsKeepTheirCharactersAsTheyWere) {
    auto crlf = [](const std::string& text) {
        std::string out;
        for (char c : text)
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    };
    auto replaced = [](std::string text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    // The lines end in CR LF, the explain text's own line break in LF; a letter is a
    // reference.
    const std::string adml =
        replaced(replaced(crlf(SampleAdml("en-US")), "Line one\r\n", "Line one\n"), ">Everyone<",
                 ">Every&#111;ne<");
    const std::string admx = replaced(crlf(kSampleAdmx), "<policies>\r\n", "<policies>\n");

    cTempSet set;
    set.Put("en-US/sample.adml", adml);
    set.Put("FR-fr/sample.adml", SampleAdml("fr-FR"));
    const fs::path path = set.Put("sample.admx", admx);
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, path));
    doc.Strings().Set(u"Outside", u"Far away");
    PolicyNamed(doc, u"MachineOnly").keyName = u"Software\\Other";
    cMessageRecorder messages;
    ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())))
        << ::testing::PrintToString(messages.Utf8());

    EXPECT_EQ(set.Read("en-US/sample.adml"),
              replaced(adml, ">Outside</string>", ">Far away</string>"));
    EXPECT_EQ(set.Read("sample.admx"), replaced(admx, "key=\"Software\\Sample\" valueName=\"On\"",
                                                "key=\"Software\\Other\" valueName=\"On\""));
    EXPECT_EQ(set.Read("FR-fr/sample.adml"), SampleAdml("fr-FR"));

    // The texts read back as they were: both breaks are a line feed to XML.
    CPelwinDoc again;
    ASSERT_TRUE(ReadDocument(again, path));
    EXPECT_EQ(*again.Strings().Find(u"Root_Explain"), u"Line one\nline two");
    EXPECT_EQ(*again.Strings().Find(u"Everyone"), u"Everyone");

    // The edits taken back, a second save gives the files as they were, though they hold
    // the first save's bytes by then.
    doc.Strings().Set(u"Outside", u"Outside");
    PolicyNamed(doc, u"MachineOnly").keyName = u"Software\\Sample";
    ASSERT_TRUE(doc.WriteFile(FromUtf8(path.string())))
        << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(set.Read("en-US/sample.adml"), adml);
    EXPECT_EQ(set.Read("sample.admx"), admx);
}

// A category and a policy made in the editor are named from their display texts, and their
// new strings take ids from those names; the category page's name is checked like a
// policy's.
TEST(AdmxWrite, NewNodesAreNamedFromTheirTexts) {
    EXPECT_EQ(AdmxNameFrom(u"Sample settings"), u"SampleSettings");
    EXPECT_EQ(AdmxNameFrom(u"3-D view (beta)"), u"_3DViewBeta");
    EXPECT_EQ(AdmxNameFrom(u"!!KeptId"), u"KeptId");
    EXPECT_EQ(AdmxNameFrom(u"«»"), u"«»");
    EXPECT_EQ(AdmxNameFrom(u" - "), u"");

    cTempSet set;
    CPelwinDoc doc;
    ASSERT_TRUE(ReadDocument(doc, set.PutSample()));
    auto category = std::make_unique<cObjCategory>();
    category->name = u"Sample settings";
    cObjCategory& made = *category;
    cTreeItem* item =
        doc.Tree().InsertLast(doc.Tree().Root(), u"", kImageClosedBook, std::move(category));
    auto policy = std::make_unique<cObjPolicy>();
    policy->name = u"Turn it on";
    policy->explainFlag = 1;
    policy->explainText = u"What it does";
    doc.Tree().InsertLast(item, u"", kImagePage, std::move(policy));
    EXPECT_EQ(DerivedAdmxName(made), u"SampleSettings");

    // A category's name is checked when it changes.
    EXPECT_NE(cAdmxCategoryPageValues{u"root"}.Validate(made).value_or(u"").find(u"unique"),
              Text::npos);
    EXPECT_NE(cAdmxCategoryPageValues{u"9lives"}.Validate(made).value_or(u"").find(u"cannot"),
              Text::npos);
    EXPECT_EQ(cAdmxCategoryPageValues{u""}.Validate(made), std::nullopt);

    cMessageRecorder messages;
    ASSERT_TRUE(doc.WriteFile(FromUtf8((set.dir / "sample.admx").string())))
        << ::testing::PrintToString(messages.Utf8());
    const std::string admx = set.Read("sample.admx");
    const std::string adml = set.Read("en-US/sample.adml");
    EXPECT_NE(admx.find("name=\"SampleSettings\" displayName=\"$(string.SampleSettings)\""),
              std::string::npos)
        << admx;
    EXPECT_NE(admx.find("name=\"TurnItOn\""), std::string::npos);
    EXPECT_NE(admx.find("explainText=\"$(string.TurnItOn_Explain)\""), std::string::npos);
    EXPECT_NE(adml.find("<string id=\"TurnItOn_Explain\">What it does</string>"),
              std::string::npos);
}

namespace {

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// ASCII text as UTF-16 LE with its byte-order mark, and back.
std::string ToUtf16(const std::string& ascii) {
    std::string out("\xFF\xFE", 2);
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}
std::string FromUtf16(const std::string& bytes) {
    std::string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        out += bytes[i];
    return out;
}

std::string Swapped(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

// A set written in the forms vendors' and the operating system's files use ("<x />", a start
// tag over several lines, CR LF, a byte-order mark, UTF-16, an element written open and empty,
// a declaration naming UTF-16 over UTF-8 bytes): each edit the editor offers changes only the
// lines it concerns, and undoing it gives every file back as its bytes read.
TEST(AdmxWrite, EachEditChangesItsLinesInEveryFormAndUndoGivesTheBytesRead) {
    const std::string admx =
        "\xEF\xBB\xBF" +
        WithCrLf(Swapped(
            Swapped(Swapped(kSampleAdmx, "<enabledValue><decimal value=\"1\"/></enabledValue>",
                            "<enabledValue>\n        <decimal value=\"1\"/>\n"
                            "      </enabledValue>"),
                    "/>", " />"),
            "<policy name=\"MachineOnly\" class=\"Machine\" ",
            "<policy name=\"MachineOnly\"\n        class=\"Machine\" "));
    const std::string english =
        ToUtf16(SampleAdml("en-US", "\n      <string id=\"Spare\"></string>"));
    const std::string french =
        Swapped(SampleAdml("fr-FR"), "encoding=\"utf-8\"", "encoding=\"utf-16\"");

    struct cCase {
        const char* name;
        // Makes the edit and returns its undo.
        std::function<std::function<void()>(CPelwinDoc&)> edit;
        // Each line that changes holds one of these; every file the case names changes.
        std::vector<std::pair<std::string, std::vector<std::string>>> lines;
    };
    // A change to a node's fields, undone by its copy from before.
    auto fields = [](cData& node, const std::function<void(cData&)>& change) {
        std::shared_ptr<cData> before(CopyNodeData(node).release());
        std::unique_ptr<cData> after = CopyNodeData(node);
        change(*after);
        SetNodeData(node, *after);
        return std::function<void()>([&node, before] { SetNodeData(node, *before); });
    };
    auto policy = [](CPelwinDoc& doc, const char16_t* name) -> cObjPolicy& {
        return PolicyNamed(doc, name);
    };
    const cCase cases[] = {
        {"key",
         [&](CPelwinDoc& doc) {
             return fields(policy(doc, u"MachineOnly"),
                           [](cData& p) { static_cast<cPolicy&>(p).keyName = u"Software\\Other"; });
         },
         {{"sample.admx", {"key=\"Software\\"}}}},
        {"value name",
         [&](CPelwinDoc& doc) {
             return fields(policy(doc, u"MachineOnly"), [](cData& p) {
                 auto& changed = static_cast<cPolicy&>(p);
                 changed.valueName = u"Off";
                 // As the policy page applies it: the value records carry the name too, so
                 // the values are written again, and must come out as they stood.
                 if (changed.valueOn)
                     changed.valueOn->valueName = changed.valueName;
                 if (changed.valueOff)
                     changed.valueOff->valueName = changed.valueName;
             });
         },
         {{"sample.admx", {"valueName=\"O"}}}},
        {"class",
         [&](CPelwinDoc& doc) {
             return fields(policy(doc, u"MachineOnly"),
                           [](cData& p) { p.admx->policyClass = u"Both"; });
         },
         {{"sample.admx", {"class=\""}}}},
        {"supported on",
         [&](CPelwinDoc& doc) {
             return fields(policy(doc, u"MachineOnly"), [](cData& p) {
                 p.admx->supportedOn = u"windows:SUPPORTED_Windows7";
                 static_cast<cPolicy&>(p).supportedText = u"windows:SUPPORTED_Windows7";
             });
         },
         {{"sample.admx", {"<supportedOn ref="}}}},
        {"a part's label",
         [&](CPelwinDoc& doc) {
             return fields(*policy(doc, u"UserOnly").Parts()[2],
                           [](cData& p) { dynamic_cast<cPolicyPart&>(p).name = u"How many:"; });
         },
         {{"en-US/sample.adml", {"refId=\"Count\""}}}},
        {"an item's value",
         [&](CPelwinDoc& doc) {
             return fields(*policy(doc, u"UserOnly").Parts()[5], [](cData& p) {
                 dynamic_cast<cObjPolPartDropDown&>(p).itemList[0].value.valueText = u"quick";
             });
         },
         {{"sample.admx", {"Mode_Fast"}}}},
        {"a new part",
         [&](CPelwinDoc& doc) {
             cObjPolicy& user = policy(doc, u"UserOnly");
             InsertPart(user, user.Parts().size(), CreateNewPart(cNewPartKind::CheckBox, user));
             return std::function<void()>([&user] { TakePart(user, user.Parts().size() - 1); });
         },
         {{"sample.admx", {"<boolean "}},
          {"en-US/sample.adml", {"<checkBox "}},
          {"FR-fr/sample.adml", {"<checkBox "}}}},
        {"a deleted part",
         [&](CPelwinDoc& doc) {
             cObjPolicy& user = policy(doc, u"UserOnly");
             auto part = std::make_shared<std::unique_ptr<cObjPolPart>>(TakePart(user, 2));
             return std::function<void()>([&user, part] { InsertPart(user, 2, std::move(*part)); });
         },
         {{"sample.admx", {"id=\"Count\""}},
          {"en-US/sample.adml", {"refId=\"Count\""}},
          {"FR-fr/sample.adml", {"refId=\"Count\""}}}},
        {"a new policy",
         [&](CPelwinDoc& doc) {
             auto made = std::make_unique<cObjPolicy>();
             made->name = u"Fresh one";
             cTreeItem* item = doc.Tree().InsertLast(ItemAt(doc.Tree(), {u"Sample root", u"Child"}),
                                                     u"", kImagePage, std::move(made));
             return std::function<void()>([&doc, item] { doc.Tree().DeleteItem(item); });
         },
         {{"sample.admx", {"FreshOne", "<parentCategory ref=\"Child\" />", "</policy>"}},
          {"en-US/sample.adml", {"FreshOne"}},
          {"FR-fr/sample.adml", {"FreshOne"}}}},
        {"a deleted policy",
         [&](CPelwinDoc& doc) {
             cTreeItem* item = nullptr;
             PolicyNamed(doc, u"Outside", &item);
             cTreeItem* parent = item->parent ? item->parent : doc.Tree().Root();
             size_t row = 0;
             while (parent->children[row].get() != item)
                 ++row;
             auto taken = std::make_shared<cOwnedItem>(TakeItem(doc.Tree(), item));
             return std::function<void()>([&doc, parent, row, taken] {
                 InsertItem(doc.Tree(), parent == doc.Tree().Root() ? nullptr : parent, row,
                            std::move(*taken));
             });
         },
         {{"sample.admx", {"Outside", "windows:System", "</policy>"}}}},
        {"a display text",
         [&](CPelwinDoc& doc) {
             doc.Strings().Set(u"Outside", u"Far away");
             return std::function<void()>([&doc] { doc.Strings().Set(u"Outside", u"Outside"); });
         },
         {{"en-US/sample.adml", {"\"Outside\""}}}},
    };
    const std::pair<std::string, std::string> files[] = {
        {"sample.admx", admx}, {"en-US/sample.adml", english}, {"FR-fr/sample.adml", french}};
    auto text = [](const std::string& file, const std::string& bytes) {
        return file.starts_with("en-US") ? FromUtf16(bytes) : bytes;
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cTempSet set;
        for (const auto& [file, bytes] : files)
            set.Put(file, bytes);
        CPelwinDoc doc;
        ASSERT_TRUE(ReadDocument(doc, set.dir / "sample.admx"));
        const std::function<void()> undo = c.edit(doc);
        cMessageRecorder messages;
        const Text path = FromUtf8((set.dir / "sample.admx").string());
        ASSERT_TRUE(doc.WriteFile(path)) << ::testing::PrintToString(messages.Utf8());
        for (const auto& [file, bytes] : files) {
            SCOPED_TRACE(file);
            auto [removed, added] = ChangedLines(text(file, bytes), text(file, set.Read(file)));
            std::vector<std::string> marks;
            for (const auto& [named, lines] : c.lines)
                if (named == file)
                    marks = lines;
            EXPECT_EQ(marks.empty(), removed.empty() && added.empty());
            for (const auto* changed : {&removed, &added})
                for (const std::string& line : *changed)
                    EXPECT_TRUE(std::any_of(marks.begin(), marks.end(),
                                            [&](const std::string& mark) {
                                                return line.find(mark) != std::string::npos;
                                            }))
                        << line;
        }
        undo();
        ASSERT_TRUE(doc.WriteFile(path)) << ::testing::PrintToString(messages.Utf8());
        for (const auto& [file, bytes] : files)
            EXPECT_EQ(set.Read(file), bytes) << file;
    }
}

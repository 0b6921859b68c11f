#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "core/adm/templatewriter.h"
#include "tests/core/adm/writertest.h"
#include "tests/testsupport.h"

namespace {

namespace fs = std::filesystem;

fs::path TempFile(const std::string& name) {
    return fs::temp_directory_path() /
           ("tessary-writer-" + std::to_string(::getpid()) + "-" + name);
}

// Writes doc in the given format (which must fit), reads the file into fresh, and returns
// the text written.
Text WriteAndReadBack(const CPelwinDoc& doc, int utf16, cTestDoc& fresh) {
    Text message;
    EXPECT_TRUE(doc.CheckWritable(utf16, message)) << ToUtf8(message);
    Text text;
    EXPECT_TRUE(doc.WriteText(text));
    fs::path path = TempFile("roundtrip.adm");
    {
        std::ofstream file(path, std::ios::binary);
        std::string bytes = EncodeTemplate(text, utf16);
        file.write(bytes.data(), std::streamsize(bytes.size()));
    }
    EXPECT_TRUE(fresh.doc.ReadFile(FromUtf8(path.string())));
    EXPECT_EQ(fresh.doc.Utf16(), utf16);
    fs::remove(path);
    return text;
}

// Written, read back and written again: the second text equals the first.
void ExpectFixedPoint(const CPelwinDoc& doc, int utf16) {
    cTestDoc once;
    Text first = WriteAndReadBack(doc, utf16, once);
    EXPECT_EQ(once.Tree().ItemCount(), doc.TreeView()->ItemCount());
    EXPECT_EQ(once.doc.Strings().Entries(), doc.Strings().Entries());
    cTestDoc twice;
    Text second = WriteAndReadBack(once.doc, utf16, twice);
    EXPECT_TRUE(first == second)
        << "first difference at character "
        << std::mismatch(first.begin(), first.end(), second.begin(), second.end()).first -
               first.begin();
}

TEST(RoundTrip, CorpusTemplatesReachAFixedPointInBothFormats) {
    std::vector<fs::path> files = CorpusFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus";
    int asciiChecked = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        cMessageRecorder messages;
        cTestDoc original;
        ASSERT_TRUE(original.doc.ReadFile(FromUtf8(file.string())));
        ExpectFixedPoint(original.doc, 1);
        Text message;
        if (original.doc.CheckWritable(0, message)) {
            ExpectFixedPoint(original.doc, 0);
            ++asciiChecked;
        }
        EXPECT_TRUE(messages.texts.empty()) << messages.Utf8()[0];
    }
    EXPECT_GT(asciiChecked, 0);
}

// A template with every node, part and record kind, and the texts that need care.
TEST(RoundTrip, EveryKindAndAwkwardTextReadsBackTheSame) {
    cTestDoc t;
    cTreeItem* cls = t.Class(nullptr, u"MACHINE");
    cTreeItem* version = t.Version(cls, u">=", u"4");
    cTreeItem* category = t.Category(version, u"!!Cat");
    cTestDoc::Node<cObjCategory>(category).useDefaultKey = 0;
    cTestDoc::Node<cObjCategory>(category).keyName = u"Software\\Policies\\X; y / z";
    cTestDoc::Node<cObjCategory>(category).explainFlag = 1;
    cTestDoc::Node<cObjCategory>(category).explainText = u"Why: #if version >= 2";
    cTreeItem* item = t.Policy(category, u"!!Pol");
    auto& p = cTestDoc::Node<cObjPolicy>(item);
    p.explainFlag = 1;
    p.explainText = u"  leading and trailing blanks, a ; and // and a tab\t ";
    p.clientExtFlag = 1;
    p.clientExt = u"a b/c";
    p.supportedFlag = 1;
    p.supportedText = u"!!SUPPORTED_WIN7";
    p.valueNameFlag = 1;
    p.valueName = u"";
    p.valueOn = NumericValue(u"");
    p.valueOff = StringValue(u"END");
    p.actionListOn = {{u"A", {Entry(u"x", NumericValue(u"1")), Entry(u"", StringValue(u""))}},
                      {u"B", {}}};
    auto& box = cTestDoc::AddPart<cObjPolPartCheckBox>(item, u"Box");
    box.defChecked = 1;
    box.valueOn = DeleteValue();
    box.actionListOff = {{u"K", {Entry(u"d", DeleteValue())}}};
    auto& combo = cTestDoc::AddPart<cObjPolPartCombo>(item, u"Combo");
    combo.maxLenFlag = 1;
    combo.maxLen = u"1 0";
    combo.suggestions = {{u"END"}, {u"x"}, {u""}, {u"END"}};
    combo.expandableText = 1;
    auto& drop = cTestDoc::AddPart<cObjPolPartDropDown>(item, u"Drop");
    drop.itemList = {{u"One", NumericValue(u"1"), {{u"K", {Entry(u"n", StringValue(u"v"))}}}},
                     {u"", DeleteValue(), {}}};
    drop.itemList[1].defaultFlag = 1;
    auto& num = cTestDoc::AddPart<cObjPolPartNum>(item, u"Num");
    num.maxFlag = num.minFlag = num.spinFlag = num.defaultFlag = 1;
    num.min = u"-1";
    num.spin = u";";
    num.defaultValue = u"7";
    auto& list = cTestDoc::AddPart<cObjPolPartListBox>(item, u"List");
    list.useDefaultKey = 0;
    list.keyName = u"";
    list.explicitValue = 1;
    cTestDoc::AddPart<cObjPolPartText>(item, u"Text");
    cTestDoc::AddPart<cObjPolPartEditText>(item, u"Edit").oemConvert = 1;
    t.Class(nullptr, u"");
    t.doc.Strings().Set(u"Cat", u"A category");
    t.doc.Strings().Set(u"Pol", u"  \"quoted\" = with blanks  ");
    t.doc.Strings().Set(u"Empty", u"");

    for (int utf16 : {1, 0}) {
        SCOPED_TRACE(utf16);
        ExpectFixedPoint(t.doc, utf16);
        cTestDoc back;
        WriteAndReadBack(t.doc, utf16, back);
        cTreeItem* readPolicy = back.Tree().FirstChildOf(
            back.Tree().FirstChildOf(back.Tree().FirstChildOf(back.Tree().FirstRootItem())));
        ASSERT_NE(readPolicy, nullptr);
        auto& q = cTestDoc::Node<cObjPolicy>(readPolicy);
        EXPECT_EQ(q.explainText, p.explainText);
        EXPECT_EQ(q.clientExt, p.clientExt);
        EXPECT_EQ(q.supportedText, p.supportedText);
        auto& readCategory = cTestDoc::Node<cObjCategory>(back.Tree().ParentOf(readPolicy));
        EXPECT_EQ(readCategory.explainText, u"Why: #if version >= 2");
        EXPECT_EQ(q.valueOn, p.valueOn);
        EXPECT_EQ(q.valueOff, p.valueOff);
        EXPECT_EQ(q.actionListOn, p.actionListOn);
        ASSERT_EQ(q.Parts().size(), p.Parts().size());
        auto* readCombo = dynamic_cast<cPolPartCombo*>(q.Parts()[1].get());
        ASSERT_NE(readCombo, nullptr);
        EXPECT_EQ(readCombo->maxLen, combo.maxLen);
        EXPECT_EQ(readCombo->suggestions, combo.suggestions);
        auto* readDrop = dynamic_cast<cPolPartDropDown*>(q.Parts()[2].get());
        ASSERT_NE(readDrop, nullptr);
        EXPECT_EQ(readDrop->itemList, drop.itemList);
        auto* readNum = dynamic_cast<cPolPartNum*>(q.Parts()[3].get());
        ASSERT_NE(readNum, nullptr);
        EXPECT_EQ(readNum->spin, num.spin);
        EXPECT_EQ(back.doc.Strings().Entries(), t.doc.Strings().Entries());
    }
}

// The strings section follows the last class, whose reader sees its lines as tokens: texts
// that only resemble its keywords must stay strings.
TEST(RoundTrip, StringsThatResembleKeywordsReadBackAsStrings) {
    cTestDoc t;
    t.Policy(t.Category(t.Class(nullptr, u"MACHINE"), u"!!Class"), u"!!Policy");
    int n = 0;
    for (const char16_t* word : {u"POLICY", u"END", u"#endif", u"Category:", u"Class name",
                                 u"#if version >= 2", u"a \"quoted\" word", u"x; CLASS"})
        t.doc.Strings().Set(FromUtf8("s" + std::to_string(++n)), word);
    t.doc.Strings().Set(u"Policy", u"Policy");
    cMessageRecorder messages;
    ExpectFixedPoint(t.doc, 1);
    EXPECT_TRUE(messages.texts.empty()) << messages.Utf8()[0];
}

// Over 8 MB written: the read readies the heap for a large tree first, and must still read
// all of it back the same.
TEST(RoundTrip, ALargeTemplateReadsBackTheSame) {
    cTestDoc t;
    cTreeItem* cls = t.Class(nullptr, u"MACHINE");
    for (int c = 0; c < 400; ++c) {
        const Text n = FromUtf8(std::to_string(c));
        cTreeItem* category = t.Category(cls, u"!!Category" + n);
        t.doc.Strings().Set(u"Category" + n, u"Kategorie " + n);
        for (int i = 0; i < 100; ++i) {
            cTreeItem* item =
                t.Policy(category, u"Policy " + n + u"." + FromUtf8(std::to_string(i)));
            auto& p = cTestDoc::Node<cObjPolicy>(item);
            p.explainFlag = 1;
            p.explainText = u"An explanation that takes up a good part of a line of text";
            cTestDoc::AddPart<cObjPolPartCheckBox>(item, u"Box");
        }
    }
    Text text;
    ASSERT_TRUE(t.doc.WriteText(text));
    ASSERT_GT(text.size() * 2, size_t(8) << 20);
    ExpectFixedPoint(t.doc, 1);
}

TEST(RoundTrip, AStringsOnlyTemplateKeepsItsStrings) {
    cTestDoc t;
    t.doc.Strings().Set(u"hello", u"Hallo");
    t.doc.Strings().Set(u"world", u"Welt");
    for (int utf16 : {0, 1})
        ExpectFixedPoint(t.doc, utf16);
}

}  // namespace

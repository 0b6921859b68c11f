#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "core/document/docmanager.h"
#include "core/document/formats.h"
#include "core/model/nodeobjects.h"
#include "tests/core/admx/admxsample.h"
#include "tests/testsupport.h"

namespace {

namespace fs = std::filesystem;

class cFakeViews : public cDocViews {
public:
    bool CreateViews(CPelwinDoc& doc) override {
        doc.SetFrame(&doc);
        doc.SetTreeView(&doc.Tree());
        ++created;
        return true;
    }
    void ActivateViews(CPelwinDoc& doc) override {
        activated = &doc;
        activations.push_back(&doc);
    }
    void DestroyViews(CPelwinDoc&) override { ++destroyed; }
    void ShowStatus(const Text& text) override { statuses.push_back(ToUtf8(text)); }

    int created = 0;
    int destroyed = 0;
    CPelwinDoc* activated = nullptr;
    std::vector<CPelwinDoc*> activations;
    std::vector<std::string> statuses;
};

class cFakePrompts : public cDocPrompts {
public:
    cAnswer AskYesNoCancel(const Text& question) override {
        asked.push_back("question:" + ToUtf8(question));
        if (answers.empty())
            return answer;
        cAnswer next = answers.front();
        answers.erase(answers.begin());
        return next;
    }
    bool AskFormat(int& utf16) override {
        asked.push_back("format:" + std::to_string(utf16));
        if (formatChoice >= 0)
            utf16 = formatChoice;
        return formatChoice >= 0;
    }
    bool AskSavePath(const CPelwinDoc&, Text& path) override {
        asked.push_back("path");
        path = savePath;
        return !savePath.empty();
    }
    bool AskSaveAnyway(const Text& question) override {
        asked.push_back("anyway:" + ToUtf8(question));
        return saveAnyway;
    }

    std::vector<std::string> asked;
    bool saveAnyway = false;
    cAnswer answer = cAnswer::No;
    std::vector<cAnswer> answers;  // answered first, in order, then `answer`
    int formatChoice = -1;
    Text savePath;
};

// A sheet with pending edits, answering its question as told.
class cQuestioningSheet : public cPropertySheetSeam {
public:
    int SetObject(cData*) override { return kSheetShown; }
    cAnswer AskApply() override { return answer; }
    void ApplyNow() override { ++applied; }
    void DropNode(cData*) override {}
    cData* CurrentNode() const override { return nullptr; }
    void ShowWindow(bool) override {}

    cAnswer answer = cAnswer::Cancel;
    int applied = 0;
};

class DocFlows : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tessary-docflows-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        SharedState() = cSharedState();
        fs::remove_all(dir);
    }

    Text PathOf(const std::string& name) const { return FromUtf8((dir / name).string()); }
    void WriteBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::string ReadBytes(const std::string& name) const {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void AddClass(CPelwinDoc& doc) {
        auto cls = std::make_unique<cObjClass>();
        cls->className = u"MACHINE";
        doc.Tree().InsertLast(nullptr, u"MACHINE", kImageClosedBook, std::move(cls));
    }
    size_t FilesInDir() const {
        return size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
    cMessageRecorder messages;
    cFakeViews views;
    cFakePrompts prompts;
    cDocManager manager{views, prompts};
};

TEST_F(DocFlows, NewDocumentsAreNumberedUtf16AndUnmodified) {
    CPelwinDoc* a = manager.New();
    CPelwinDoc* b = manager.New();
    EXPECT_EQ(a->Title(), u"New1");
    EXPECT_EQ(b->Title(), u"New2");
    EXPECT_EQ(a->Utf16(), 1);
    EXPECT_FALSE(a->IsModified());
    EXPECT_TRUE(a->Path().empty());
}

TEST_F(DocFlows, SaveOfANewDocumentAsksFormatThenName) {
    CPelwinDoc* doc = manager.New();
    AddClass(*doc);
    prompts.formatChoice = 0;
    prompts.savePath = PathOf("out.adm");
    ASSERT_TRUE(manager.Save(*doc));
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{"format:1", "path"}));
    EXPECT_EQ(doc->Utf16(), 0);
    EXPECT_EQ(doc->Title(), u"out.adm");
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(ReadBytes("out.adm").substr(0, 13), "CLASS MACHINE");
    EXPECT_EQ(manager.RecentFiles().front(), doc->Path());
}

TEST_F(DocFlows, DismissedFormatKeepsTheFormatAndCancelledNameWritesNothing) {
    CPelwinDoc* doc = manager.New();
    AddClass(*doc);
    doc->SetModifiedFlag(1);
    prompts.savePath.clear();
    EXPECT_FALSE(manager.SaveAs(*doc));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(FilesInDir(), 0u);

    prompts.savePath = PathOf("u.adm");
    ASSERT_TRUE(manager.SaveAs(*doc));
    EXPECT_EQ(ReadBytes("u.adm").substr(0, 2), "\xFF\xFE");
}

TEST_F(DocFlows, SavingWhatWouldLoseContentAsksFirstAndCancelWritesNothing) {
    const std::string original =
        "CLASS MACHINE\r\nCATEGORY C\r\nPOLICY P\r\nVALUENAME v\r\n"
        "WHATEVER this is\r\nEND POLICY\r\nEND CATEGORY\r\n";
    WriteBytes("lossy.adm", original);
    CPelwinDoc* doc = manager.Open(PathOf("lossy.adm"));
    ASSERT_NE(doc, nullptr);
    const std::string question =
        "anyway:This template holds 1 line that this editor does not keep (line 5: "
        "WHATEVER this is). Save anyway?";
    doc->SetModifiedFlag(1);
    EXPECT_FALSE(manager.Save(*doc));
    EXPECT_FALSE(manager.SaveAs(*doc));
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{question, question}));
    EXPECT_EQ(ReadBytes("lossy.adm"), original);
    EXPECT_TRUE(doc->IsModified());

    // Save writes without the content; it is gone from the document, so no more questions.
    prompts.asked.clear();
    prompts.saveAnyway = true;
    ASSERT_TRUE(manager.Save(*doc));
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{question}));
    EXPECT_EQ(ReadBytes("lossy.adm").find("WHATEVER"), std::string::npos);
    prompts.asked.clear();
    ASSERT_TRUE(manager.Save(*doc));
    EXPECT_TRUE(prompts.asked.empty());
}

// The question quotes the first line passed over as something a person can read: a file
// that is no template shows its bytes by their codes, and a long line by its beginning.
TEST_F(DocFlows, ThePassedOverQuestionCountsAndQuotesReadably) {
    CPelwinDoc doc;
    doc.PassedOver() = {{1, Text(u"\x89PNG\x1A\x00x", 7) + Text(100, u'y')}, {2, u"IHDR"}};
    EXPECT_EQ(ToUtf8(PassedOverQuestion(doc)),
              "This template holds 2 lines that this editor does not keep (first at line 1: "
              "\\x89PNG\\x1A\\x00x" +
                  std::string(73, 'y') + "...). Save anyway?");
    doc.PassedOver().resize(1);
    doc.PassedOver()[0].text = u"root:x:0:0:root:/root:/bin/bash";
    EXPECT_EQ(ToUtf8(PassedOverQuestion(doc)),
              "This template holds 1 line that this editor does not keep (line 1: "
              "root:x:0:0:root:/root:/bin/bash). Save anyway?");
}

TEST_F(DocFlows, AnOpened8BitFileIsSavedAs8BitWithoutQuestions) {
    WriteBytes("a.adm", "CLASS USER\r\n");
    CPelwinDoc* doc = manager.Open(PathOf("a.adm"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Utf16(), 0);
    EXPECT_EQ(doc->Title(), u"a.adm");
    doc->SetModifiedFlag(1);
    ASSERT_TRUE(manager.Save(*doc));
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(ReadBytes("a.adm").substr(0, 10), "CLASS USER");

    // Opening it again activates the window that has it.
    EXPECT_EQ(manager.Open(PathOf("./a.adm")), doc);
    EXPECT_EQ(views.activated, doc);
    EXPECT_EQ(manager.Documents().size(), 1u);
}

TEST_F(DocFlows, BadFilesGiveTheirMessageAndNoDocument) {
    WriteBytes("empty.adm", "");
    EXPECT_EQ(manager.Open(PathOf("empty.adm")), nullptr);
    EXPECT_EQ(messages.Utf8(),
              (std::vector<std::string>{"Error reading file " + ToUtf8(PathOf("empty.adm"))}));
    EXPECT_EQ(messages.severities, (std::vector<int>{1}));
    EXPECT_TRUE(manager.Documents().empty());
    EXPECT_EQ(views.destroyed, 1);

    messages.Clear();
    EXPECT_EQ(manager.Open(PathOf("missing.adm")), nullptr);
    EXPECT_EQ(messages.Utf8(),
              (std::vector<std::string>{" Error \"No such file or directory\" on file " +
                                        ToUtf8(PathOf("missing.adm")) + "."}));

    // A read that fails without a word of its own still says why no window opens.
    messages.Clear();
    WriteBytes("end.adm", "CLASS USER CATEGORY c END");
    EXPECT_EQ(manager.Open(PathOf("end.adm")), nullptr);
    EXPECT_EQ(messages.Utf8(),
              (std::vector<std::string>{"Error reading file " + ToUtf8(PathOf("end.adm"))}));

    // A big-endian mark is not recognised: the file is 8-bit text.
    WriteBytes("be.adm", std::string("\xFE\xFF", 2) + "\r\nCLASS USER\r\n");
    CPelwinDoc* doc = manager.Open(PathOf("be.adm"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Utf16(), 0);

    // Blanks, line ends and comments only: an empty template.
    WriteBytes("blank.adm", "  \r\n; comment\r\n\r\n// more\r\n");
    CPelwinDoc* blank = manager.Open(PathOf("blank.adm"));
    ASSERT_NE(blank, nullptr);
    EXPECT_TRUE(blank->Tree().IsEmpty());
}

TEST_F(DocFlows, RecentFilesKeepFourAndDropOnesThatFail) {
    for (int i = 0; i < 5; ++i) {
        WriteBytes("r" + std::to_string(i) + ".adm", "CLASS USER\r\n");
        ASSERT_NE(manager.Open(PathOf("r" + std::to_string(i) + ".adm")), nullptr);
    }
    ASSERT_EQ(manager.RecentFiles().size(), 4u);
    EXPECT_EQ(manager.RecentFiles().front(), PathOf("r4.adm"));
    ASSERT_TRUE(manager.CloseAll());
    fs::remove(dir / "r3.adm");
    EXPECT_EQ(manager.OpenRecent(1), nullptr);
    EXPECT_EQ(manager.RecentFiles().size(), 3u);
    EXPECT_EQ(manager.RecentFiles()[1], PathOf("r2.adm"));
}

// A file in which nothing is a template is refused by name, so that no save can empty it;
// a reload that finds the file turned into one keeps the document.
TEST_F(DocFlows, AFileWithoutTemplateContentIsRefused) {
    WriteBytes("passwd", "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/:/bin/sh\n");
    WriteBytes("real.adm", "CLASS USER\r\n");
    CPelwinDoc* real = manager.Open(PathOf("real.adm"));
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(manager.Open(PathOf("passwd")), nullptr);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("passwd is not a template"), std::string::npos);
    EXPECT_EQ(manager.Documents().size(), 1u);
    EXPECT_EQ(manager.RecentFiles(), std::vector<Text>{PathOf("real.adm")});

    WriteBytes("real.adm", "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(manager.Reload(*real), nullptr);
    EXPECT_EQ(messages.texts.size(), 2u);
    ASSERT_EQ(manager.Documents().size(), 1u);
    EXPECT_EQ(manager.Documents()[0].get(), real);
}

TEST_F(DocFlows, CloseAsksAboutChangesAndCanStop) {
    CPelwinDoc* doc = manager.New();
    doc->SetModifiedFlag(1);
    prompts.answer = cAnswer::Cancel;
    EXPECT_FALSE(manager.Close(*doc));
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{"question:Save changes to New1?"}));
    prompts.answer = cAnswer::No;
    EXPECT_TRUE(manager.Close(*doc));
    EXPECT_TRUE(manager.Documents().empty());
}

// Exit asks about every changed template first, in window order and each in front, and only
// then closes anything: a Cancel or a failed save leaves every window open.
TEST_F(DocFlows, CloseAllAsksAboutEveryChangeBeforeItClosesAnything) {
    CPelwinDoc* first = manager.New();
    CPelwinDoc* unchanged = manager.New();
    CPelwinDoc* third = manager.New();
    first->SetModifiedFlag(1);
    third->SetModifiedFlag(1);
    views.activations.clear();

    prompts.answers = {cAnswer::No, cAnswer::Cancel};
    EXPECT_FALSE(manager.CloseAll());
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{"question:Save changes to New1?",
                                                       "question:Save changes to New3?"}));
    EXPECT_EQ(views.activations, (std::vector<CPelwinDoc*>{first, third}));
    EXPECT_EQ(manager.Documents().size(), 3u);
    EXPECT_EQ(views.destroyed, 0);
    EXPECT_TRUE(first->IsModified());

    // Yes whose save is cancelled stops as well.
    prompts.asked.clear();
    prompts.answers = {cAnswer::Yes};
    EXPECT_FALSE(manager.CloseAll());
    EXPECT_EQ(prompts.asked,
              (std::vector<std::string>{"question:Save changes to New1?", "format:1", "path"}));
    EXPECT_EQ(manager.Documents().size(), 3u);

    prompts.answers = {cAnswer::No, cAnswer::No};
    EXPECT_TRUE(manager.CloseAll());
    EXPECT_TRUE(manager.Documents().empty());
    EXPECT_EQ(views.destroyed, 3);
    (void)unchanged;
}

TEST_F(DocFlows, CancelAtTheSheetQuestionWritesNothing) {
    WriteBytes("keep.adm", "CLASS USER\r\n");
    CPelwinDoc* doc = manager.Open(PathOf("keep.adm"));
    ASSERT_NE(doc, nullptr);
    AddClass(*doc);
    doc->SetModifiedFlag(1);
    cQuestioningSheet sheet;
    SharedState().sheet = &sheet;

    EXPECT_FALSE(manager.Save(*doc));
    EXPECT_EQ(ReadBytes("keep.adm"), "CLASS USER\r\n");
    EXPECT_TRUE(doc->IsModified());

    prompts.formatChoice = 1;
    prompts.savePath = PathOf("other.adm");
    EXPECT_FALSE(manager.SaveAs(*doc));
    EXPECT_FALSE(fs::exists(dir / "other.adm"));
    EXPECT_EQ(doc->Title(), u"keep.adm");
    EXPECT_EQ(doc->Utf16(), 0);

    // A close that asked for the save stops.
    prompts.answer = cAnswer::Yes;
    EXPECT_FALSE(manager.Close(*doc));
    EXPECT_EQ(manager.Documents().size(), 1u);

    sheet.answer = cAnswer::Yes;
    EXPECT_TRUE(manager.Save(*doc));
    EXPECT_EQ(sheet.applied, 1);
}

TEST_F(DocFlows, ASaveThatFailsMidwayLeavesTheOldFileIntact) {
    const std::string original = "CLASS USER\r\n; the user's only copy\r\n";
    WriteBytes("t.adm", original);
    CPelwinDoc* doc = manager.Open(PathOf("t.adm"));
    ASSERT_NE(doc, nullptr);
    for (int i = 0; i < 2000; ++i)
        AddClass(*doc);
    doc->SetModifiedFlag(1);

    // The file layer refuses to grow a file beyond 4 KiB, so the write fails partway.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool saved = manager.Save(*doc);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytes("t.adm"), original);
    EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.Utf8()[0],
              " Error \"File too large\" on file " + ToUtf8(PathOf("t.adm")) + ".");
}

}  // namespace

namespace {

class cReloadPrompts : public cFakePrompts {
public:
    bool AskReload(const Text& question) override {
        asked.push_back("reload:" + ToUtf8(question));
        return reload;
    }
    bool reload = false;
};

class OutsideChanges : public DocFlows {
protected:
    void SetUp() override {
        DocFlows::SetUp();
        WriteBytes("t.adm", "CLASS MACHINE\r\nCATEGORY First\r\nEND CATEGORY\r\n");
        doc = reloading.Open(PathOf("t.adm"));
        ASSERT_NE(doc, nullptr);
    }
    // Another program's write: a different size, so that the change shows whatever the
    // file system's time resolution.
    void ChangeOnDisk(const std::string& category) {
        WriteBytes("t.adm", "CLASS MACHINE\r\nCATEGORY " + category + "\r\nEND CATEGORY\r\n");
    }
    static Text FirstCategory(const CPelwinDoc& doc) {
        const cTreeItem* cls = doc.Tree().FirstChildOf(nullptr);
        return cls ? doc.Tree().FirstChildOf(cls)->label : Text();
    }

    cReloadPrompts reloadPrompts;
    cDocManager reloading{views, reloadPrompts};
    CPelwinDoc* doc = nullptr;
};

TEST_F(OutsideChanges, NothingIsAskedWhileOnlyTheEditorWritesTheFile) {
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
    AddClass(*doc);
    ASSERT_TRUE(reloading.Save(*doc));
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
    EXPECT_TRUE(reloadPrompts.asked.empty());
}

TEST_F(OutsideChanges, KeepAsksOnceAndTheNextChangeAsksAgain) {
    ChangeOnDisk("Second");
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
    ASSERT_EQ(reloadPrompts.asked.size(), 1u);
    EXPECT_EQ(reloadPrompts.asked[0],
              "reload:t.adm has been changed by another program. Reload it?");
    EXPECT_EQ(FirstCategory(*doc), u"First");
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
    EXPECT_EQ(reloadPrompts.asked.size(), 1u);

    ChangeOnDisk("ThirdAndLonger");
    doc->SetModifiedFlag(1);
    reloading.CheckOutsideChange(*doc);
    ASSERT_EQ(reloadPrompts.asked.size(), 2u);
    EXPECT_NE(reloadPrompts.asked[1].find("lose the changes made here"), std::string::npos);
}

TEST_F(OutsideChanges, ReloadReplacesTheDocumentByTheFilesNewContent) {
    doc->SetModifiedFlag(1);
    const Text path = doc->Path();
    ChangeOnDisk("Second");
    reloadPrompts.reload = true;
    const int destroyedBefore = views.destroyed;
    CPelwinDoc* fresh = reloading.CheckOutsideChange(*doc);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(FirstCategory(*fresh), u"Second");
    EXPECT_EQ(fresh->Path(), path);
    EXPECT_EQ(fresh->Title(), u"t.adm");
    EXPECT_FALSE(fresh->IsModified());
    EXPECT_EQ(views.destroyed, destroyedBefore + 1);
    ASSERT_EQ(reloading.Documents().size(), 1u);
    EXPECT_EQ(reloading.Documents()[0].get(), fresh);
    EXPECT_EQ(reloading.CheckOutsideChange(*fresh), fresh);
    EXPECT_EQ(reloadPrompts.asked.size(), 1u);
}

TEST_F(OutsideChanges, AReloadThatFailsKeepsTheDocument) {
    WriteBytes("t.adm", "");
    reloadPrompts.reload = true;
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
    ASSERT_EQ(reloading.Documents().size(), 1u);
    EXPECT_EQ(FirstCategory(*doc), u"First");
    EXPECT_FALSE(messages.texts.empty());
}

TEST_F(OutsideChanges, SaveOverAnOutsideChangeAsksAndCancelKeepsTheirFile) {
    ChangeOnDisk("Theirs");
    const std::string theirs = ReadBytes("t.adm");
    doc->SetModifiedFlag(1);
    EXPECT_FALSE(reloading.Save(*doc));
    ASSERT_EQ(reloadPrompts.asked.size(), 1u);
    EXPECT_EQ(reloadPrompts.asked[0],
              "anyway:t.adm was changed by another program since it was opened here. "
              "Overwrite it?");
    EXPECT_EQ(ReadBytes("t.adm"), theirs);
    EXPECT_TRUE(doc->IsModified());

    reloadPrompts.saveAnyway = true;
    EXPECT_TRUE(reloading.Save(*doc));
    EXPECT_NE(ReadBytes("t.adm").find("First"), std::string::npos);
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
}

TEST_F(OutsideChanges, ARemovedFileIsReportedOnceAndSaveWritesItAgain) {
    fs::remove(dir / "t.adm");
    EXPECT_EQ(reloading.CheckOutsideChange(*doc), doc);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.Utf8()[0].find("removed or renamed by another program"), std::string::npos);
    reloading.CheckOutsideChange(*doc);
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_TRUE(reloadPrompts.asked.empty());
    // Without its file, Save asks for a name as for a new template.
    reloadPrompts.savePath = doc->Path();
    EXPECT_TRUE(reloading.Save(*doc));
    EXPECT_EQ(reloadPrompts.asked, (std::vector<std::string>{"format:0", "path"}));
    EXPECT_TRUE(fs::exists(dir / "t.adm"));
}

}  // namespace

// A set's window names its language; a new set is saved without the ADM encoding question,
// its ADMX and ADML together; Save As to an ADM name writes a converted copy after the
// question of what it loses, and the window stays on the set.
TEST_F(DocFlows, SetsOpenNewAndSaveAsTemplates) {
    WriteBytes("sample.admx", kSampleAdmx);
    fs::create_directories(dir / "en-US");
    WriteBytes("en-US/sample.adml", SampleAdml("en-US"));
    CPelwinDoc* doc = manager.Open(PathOf("sample.admx"));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(doc->Title(), u"sample.admx [en-US]");

    prompts.savePath = PathOf("copy.adm");
    prompts.saveAnyway = true;
    ASSERT_TRUE(manager.SaveAs(*doc)) << ::testing::PrintToString(messages.Utf8());
    ASSERT_EQ(prompts.asked.size(), 3u);
    EXPECT_EQ(prompts.asked[0], "path");
    EXPECT_TRUE(prompts.asked[1].starts_with("anyway:An ADM template cannot hold all of this set"))
        << prompts.asked[1];
    EXPECT_EQ(prompts.asked[2], "format:1");
    EXPECT_EQ(doc->Path(), PathOf("sample.admx"));
    EXPECT_EQ(&doc->Format(), &AdmxFormat());
    CPelwinDoc* copy = manager.Open(PathOf("copy.adm"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(&copy->Format(), &AdmFormat());
    EXPECT_EQ(manager.RecentFiles().front(), PathOf("copy.adm"));

    prompts.asked.clear();
    CPelwinDoc* made = manager.New(&AdmxFormat());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Title(), u"New1.admx [en-US]");
    prompts.savePath = PathOf("made.admx");
    ASSERT_TRUE(manager.Save(*made)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(prompts.asked, (std::vector<std::string>{"path"}));
    EXPECT_TRUE(fs::exists(dir / "en-US" / "made.adml"));
    EXPECT_EQ(made->Title(), u"made.admx [en-US]");
}

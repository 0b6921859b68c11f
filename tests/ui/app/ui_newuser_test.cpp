#include <gtest/gtest.h>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <thread>

#include <QLabel>
#include "core/admx/admxset.h"
#include "core/document/formats.h"
#include "tests/core/admx/admxsample.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/checkdock.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/properties/itemlistpage.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/poltreeview.h"

namespace {

namespace fs = std::filesystem;

constexpr char kOnePolicy[] =
    "CLASS MACHINE\r\nCATEGORY Cat\r\nKEYNAME Software\\Cat\r\n"
    "POLICY Pol\r\nVALUENAME On\r\nEND POLICY\r\nEND CATEGORY\r\n";

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The editor as a user meets it: real windows, the questions answered from a script.
class UiNewUser : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CPelwinApp>();
        SetMessageSink(&messages);
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        frame = app->MainFrame();
        sheet = frame->Sheet();
    }
    void TearDown() override {
        for (const auto& doc : app->Docs().Documents())
            doc->SetModifiedFlag(0);
        app.reset();
        QSettings().remove("Recent File List");
    }
    bool Run(cCommand id) {
        frame->UpdateCommands();
        QAction* action = frame->Command(id);
        if (!action->isEnabled())
            return false;
        action->trigger();
        return true;
    }
    CPelwinDoc* Open(const fs::path& path) {
        CPelwinDoc* doc = app->Docs().Open(FromUtf8(path.string()));
        QApplication::processEvents();
        return doc;
    }
    cPolTreeView* TreeOf(CPelwinDoc& doc) {
        return qobject_cast<cPolTreeView*>(frame->ChildOf(doc)->TreePane());
    }
    // Selects the template's policy, so that the sheet shows it; answers it.
    cData* SelectPolicy(CPelwinDoc& doc) {
        cTreeItem* policy = doc.Tree().Root()->children[0]->children[0]->children[0].get();
        EXPECT_TRUE(TreeOf(doc)->Select(policy));
        EXPECT_EQ(sheet->CurrentNode(), policy->node.get());
        return policy->node.get();
    }
    // The item of the set's node of the kind and name given.
    static cTreeItem* Named(CPelwinDoc& doc, int kind, const char16_t* name) {
        cTreeItem* found = nullptr;
        doc.Tree().ForEachPreOrder([&](cTreeItem* at) {
            if (!found && at->node && at->node->kind == kind && at->node->admx &&
                at->node->admx->name == name)
                found = at;
        });
        EXPECT_NE(found, nullptr);
        return found;
    }
    // Copies the sample set's category Child with its two policies.
    CPelwinDoc* CopySampleChild() {
        CPelwinDoc* sample = Open(files.PutSample());
        EXPECT_NE(sample, nullptr);
        if (!sample)
            return nullptr;
        EXPECT_TRUE(TreeOf(*sample)->Select(Named(*sample, kKindCategory, u"Child")));
        EXPECT_TRUE(Run(cCommand::EditCopy));
        return sample;
    }
    // A file of another program's making: another size, so that its stamp differs however
    // coarse the clock.
    void ChangeOnDisk(const fs::path& path, const std::string& bytes) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::unique_ptr<CPelwinApp> app;
    cMessageRecorder messages;
    cScriptedPrompts prompts;
    CMainFrame* frame = nullptr;
    cPropSheet* sheet = nullptr;
    cTempSet files;
};

// However a window becomes active, or is made, the sheet lets go of the node of the window
// before it, asking first about what was typed; "Apply now" then changes nothing of the
// template out of sight.
TEST_F(UiNewUser, TheSheetNeverEditsATemplateOutOfSight) {
    const fs::path first = files.Put("first.adm", kOnePolicy);
    const fs::path second = files.Put("second.adm", kOnePolicy);
    CPelwinDoc* doc = Open(first);
    ASSERT_NE(doc, nullptr);
    cData* policy = SelectPolicy(*doc);
    auto applyAndExpectUntouched = [&](const char* how) {
        ASSERT_NE(frame->ActiveDocument(), doc) << how;
        EXPECT_NE(sheet->CurrentNode(), policy) << how;
        sheet->ApplyButton()->click();
        EXPECT_FALSE(doc->IsModified()) << how;
        EXPECT_EQ(static_cast<cPolicy*>(policy)->name, u"Pol") << how;
        // Back to the first window: its selection is the sheet's again.
        frame->ActivateViews(*doc);
        QApplication::processEvents();
        EXPECT_EQ(sheet->CurrentNode(), policy) << how;
    };

    // An edit typed but not applied is asked about, and No drops it.
    sheet->PolicyPage()->name->setText(QStringLiteral("Typed"));
    sheet->PolicyPage()->SetModified(true);
    prompts.answers = {cAnswer::No};
    ASSERT_TRUE(Run(cCommand::FileNew));
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(ToUtf8(prompts.questions[0]), "Apply changes to the current policy?");
    applyAndExpectUntouched("New");

    ASSERT_TRUE(Run(cCommand::FileNewAdmx));
    applyAndExpectUntouched("New ADMX Template");

    CPelwinDoc* other = Open(second);
    ASSERT_NE(other, nullptr);
    applyAndExpectUntouched("Open");

    // The other template is changed on disk and reloaded while it becomes active.
    ChangeOnDisk(second, std::string(kOnePolicy) + "; theirs\r\n");
    CPelwinDoc* reloaded = app->Docs().Reload(*other);
    ASSERT_NE(reloaded, nullptr);
    QApplication::processEvents();
    applyAndExpectUntouched("Reload");
    EXPECT_EQ(prompts.questions.size(), 1u);
}

// Cancel to the question keeps the node and its edits: its window comes back.
TEST_F(UiNewUser, CancelToTheQuestionKeepsTheWindowOfTheEdits) {
    CPelwinDoc* doc = Open(files.Put("first.adm", kOnePolicy));
    ASSERT_NE(doc, nullptr);
    cData* policy = SelectPolicy(*doc);
    sheet->PolicyPage()->name->setText(QStringLiteral("Typed"));
    sheet->PolicyPage()->SetModified(true);
    prompts.answers = {cAnswer::Cancel};
    ASSERT_TRUE(Run(cCommand::FileNew));
    QApplication::processEvents();
    EXPECT_EQ(sheet->CurrentNode(), policy);
    EXPECT_EQ(frame->ActiveDocument(), doc);
    sheet->ApplyButton()->click();
    EXPECT_EQ(static_cast<cPolicy*>(policy)->name, u"Typed");
}

// Save As ADM writes a typed line break as the templates do, as "\n", as convert does.
TEST_F(UiNewUser, SaveAsAdmWritesLineBreaksAsBackslashN) {
    CPelwinDoc* doc = Open(files.PutSample());
    ASSERT_NE(doc, nullptr);
    cObjPolicy& policy = PolicyNamed(*doc, u"MachineOnly");
    policy.explainText = u"First line\r\nSecond line";
    prompts.savePath = FromUtf8((files.dir / "copy.adm").string());
    prompts.saveAnyway = true;
    prompts.formatChoice = 0;
    ASSERT_TRUE(app->Docs().SaveAs(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_NE(files.Read("copy.adm").find("First line\\nSecond line"), std::string::npos);
    // What the copy leaves out is named by the line of the set's file it stands on.
    ASSERT_FALSE(prompts.questions.empty());
    EXPECT_NE(ToUtf8(prompts.questions[0]).find("- sample.admx line "), std::string::npos)
        << ToUtf8(prompts.questions[0]);
}

// A picture under a template's name is refused by name and left as it was.
TEST_F(UiNewUser, AFileThatIsNoTemplateIsRefusedAndKept) {
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20);
    for (const char* name : {"picture.admx", "picture.adm"}) {
        const fs::path path = files.Put(name, png);
        messages.Clear();
        EXPECT_EQ(Open(path), nullptr) << name;
        ASSERT_EQ(messages.texts.size(), 1u) << name;
        EXPECT_NE(messages.Utf8()[0].find(std::string(name) + " is not a template"),
                  std::string::npos);
        EXPECT_EQ(Bytes(path), png);
    }
    EXPECT_TRUE(app->Docs().Documents().empty());
    EXPECT_EQ(frame->ActiveDocument(), nullptr);
    EXPECT_TRUE(app->Docs().RecentFiles().empty());
}

// Two windows of files of one name tell their folders apart, until one of them closes.
TEST_F(UiNewUser, WindowsOfOneFileNameShowTheirFolders) {
    CPelwinDoc* older = Open(files.Put("2017/chrome.adm", kOnePolicy));
    ASSERT_NE(older, nullptr);
    EXPECT_EQ(frame->ChildOf(*older)->windowTitle(), "chrome.adm[*]");
    CPelwinDoc* newer = Open(files.Put("2019/chrome.adm", kOnePolicy));
    ASSERT_NE(newer, nullptr);
    EXPECT_EQ(frame->ChildOf(*older)->windowTitle(), QString::fromUtf8("chrome.adm — 2017[*]"));
    EXPECT_EQ(frame->ChildOf(*newer)->windowTitle(), QString::fromUtf8("chrome.adm — 2019[*]"));
    // The Window menu's entries are the checkable ones that name a template.
    QStringList entries;
    for (QMenu* menu : frame->Menus())
        for (QAction* action : menu->actions())
            if (action->isCheckable() && action->text().contains(QStringLiteral("chrome")))
                entries << action->text();
    EXPECT_EQ(entries, QStringList({QString::fromUtf8("&1 chrome.adm — 2017"),
                                    QString::fromUtf8("&2 chrome.adm — 2019")}));

    ASSERT_TRUE(app->Docs().Close(*older));
    QApplication::processEvents();
    EXPECT_EQ(frame->ChildOf(*newer)->windowTitle(), "chrome.adm[*]");
}

// A new set takes the name of the file it is first saved as, unless the user named it.
TEST_F(UiNewUser, ANewSetIsNamedByItsFirstSave) {
    ASSERT_TRUE(Run(cCommand::FileNewAdmx));
    CPelwinDoc* doc = frame->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    prompts.savePath = FromUtf8((files.dir / "contoso.admx").string());
    ASSERT_TRUE(Run(cCommand::FileSaveAs));
    ASSERT_TRUE(fs::exists(files.dir / "contoso.admx"))
        << ::testing::PrintToString(messages.Utf8());
    EXPECT_NE(files.Read("contoso.admx").find("prefix=\"contoso\" namespace=\"Contoso.Policies\""),
              std::string::npos)
        << files.Read("contoso.admx");
    // Only the first save names it.
    prompts.savePath = FromUtf8((files.dir / "fabrikam.admx").string());
    ASSERT_TRUE(Run(cCommand::FileSaveAs));
    EXPECT_NE(files.Read("fabrikam.admx").find("namespace=\"Contoso.Policies\""),
              std::string::npos);

    // A name the user gave in Template properties stays.
    ASSERT_TRUE(Run(cCommand::FileNewAdmx));
    CPelwinDoc* named = frame->ActiveDocument();
    ASSERT_NE(named, nullptr);
    auto* state = dynamic_cast<cAdmxState*>(named->FormatState());
    ASSERT_NE(state, nullptr);
    cAdmxTemplateProps props = TemplatePropsOf(*state->set);
    props.target = {u"mine", u"Mine.Own.Policies"};
    state->templateProps = props;
    prompts.savePath = FromUtf8((files.dir / "other.admx").string());
    ASSERT_TRUE(Run(cCommand::FileSaveAs));
    EXPECT_NE(files.Read("other.admx").find("prefix=\"mine\" namespace=\"Mine.Own.Policies\""),
              std::string::npos);
}

// No to "Reload it?" keeps the window as it is, but Save still asks before it overwrites
// the other program's file.
TEST_F(UiNewUser, KeepingTheWindowOverAnOutsideChangeStillGuardsTheSave) {
    const fs::path path = files.Put("t.adm", kOnePolicy);
    CPelwinDoc* doc = Open(path);
    ASSERT_NE(doc, nullptr);
    const std::string theirs = std::string(kOnePolicy) + "; theirs\r\n";
    ChangeOnDisk(path, theirs);
    prompts.answers = {cAnswer::No};
    EXPECT_EQ(app->Docs().CheckOutsideChange(*doc), doc);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(ToUtf8(prompts.questions[0]),
              "t.adm has been changed by another program. Reload it?");
    // Coming back to the window does not ask again.
    EXPECT_EQ(app->Docs().CheckOutsideChange(*doc), doc);
    EXPECT_EQ(prompts.questions.size(), 1u);

    doc->SetModifiedFlag(1);
    prompts.saveAnyway = false;
    ASSERT_TRUE(Run(cCommand::FileSave));
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(ToUtf8(prompts.questions[1]),
              "t.adm was changed by another program since it was opened here. Overwrite it?");
    EXPECT_EQ(Bytes(path), theirs);
    prompts.saveAnyway = true;
    ASSERT_TRUE(Run(cCommand::FileSave));
    EXPECT_NE(Bytes(path), theirs);
}

// The check dock's rows, for a readable failure.
std::string Rows(const QTreeWidget& list) {
    std::string rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows += list.topLevelItem(i)->text(2).toStdString() + ": " +
                list.topLevelItem(i)->text(3).toStdString() + "\n";
    return rows;
}

// A finding that stands at no node says so where the user looks, instead of doing nothing.
TEST_F(UiNewUser, AFindingWithoutANodeSaysSo) {
    CPelwinDoc* doc =
        Open(files.Put("unused.adm", std::string(kOnePolicy) + "[strings]\r\nUnused=\"x\"\r\n"));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    ASSERT_TRUE(Run(cCommand::ToolsCheckTemplate));
    QTreeWidget* list = frame->CheckDock()->List();
    QTreeWidgetItem* unused = nullptr;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(2) == "unused-string")
            unused = list->topLevelItem(i);
    ASSERT_NE(unused, nullptr) << Rows(*list);
    emit list->itemActivated(unused, 0);
    EXPECT_EQ(frame->statusBar()->currentMessage(), "This finding stands at no node of the tree.");
}

// A finding inside a supported-on definition leads to the policy that shows it.
TEST_F(UiNewUser, AFindingInADefinitionSelectsItsPolicy) {
    std::string admx = kSampleAdmx;
    const std::string plain =
        "<definition name=\"SUPPORTED_Sample\" "
        "displayName=\"$(string.SUPPORTED_Sample)\"/>";
    const size_t at = admx.find(plain);
    ASSERT_NE(at, std::string::npos);
    admx.replace(at, plain.size(),
                 "<definition name=\"SUPPORTED_Sample\" displayName=\"$(string.SUPPORTED_Sample)\">"
                 "\n        <or><reference ref=\"NoSuchProduct\"/></or>\n      </definition>");
    files.Put("en-US/sample.adml", SampleAdml("en-US"));
    CPelwinDoc* doc = Open(files.Put("sample.admx", admx));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    ASSERT_TRUE(Run(cCommand::ToolsCheckTemplate));
    QTreeWidget* list = frame->CheckDock()->List();
    QTreeWidgetItem* finding = nullptr;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(3).contains("NoSuchProduct"))
            finding = list->topLevelItem(i);
    ASSERT_NE(finding, nullptr) << Rows(*list)
                                << frame->CheckDock()->Summary()->text().toStdString();
    emit list->itemActivated(finding, 0);
    cTreeItem* selected = TreeOf(*doc)->SelectedItem();
    ASSERT_NE(selected, nullptr);
    ASSERT_TRUE(selected->node->admx.has_value());
    EXPECT_EQ(selected->node->admx->name, u"MachineOnly");
}

// The tree follows the keyboard up and down, never sideways: a user who scrolled right to
// read a long label keeps that view while moving down.
TEST_F(UiNewUser, TheTreeDoesNotScrollSidewaysToTheSelection) {
    std::string deep = "CLASS MACHINE\r\n";
    for (int i = 0; i < 12; ++i)
        deep += "CATEGORY \"A rather long category name at level " + std::to_string(i) +
                "\"\r\nKEYNAME K\r\n";
    for (int i = 0; i < 12; ++i)
        deep += "END CATEGORY\r\n";
    CPelwinDoc* doc = Open(files.Put("deep.adm", deep));
    ASSERT_NE(doc, nullptr);
    cPolTreeView* tree = TreeOf(*doc);
    tree->expandAll();
    QApplication::processEvents();
    QScrollBar* sideways = tree->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    ASSERT_TRUE(tree->Select(doc->Tree().Root()->children[0].get()));
    sideways->setValue(sideways->maximum());
    QTest::keyClick(tree, Qt::Key_Down);
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(sideways->value(), sideways->maximum());
}

// A policy pasted into another set brings the supported-on definition it names, with its
// display string, and the using of the namespace it refers to; the set saves and reads back.
TEST_F(UiNewUser, PasteBetweenSetsCarriesWhatReferencesNeed) {
    ASSERT_NE(CopySampleChild(), nullptr);
    ASSERT_TRUE(Run(cCommand::FileNewAdmx));
    CPelwinDoc* target = frame->ActiveDocument();
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(Run(cCommand::NewCategory));
    messages.Clear();
    ASSERT_TRUE(Run(cCommand::EditPaste));
    ASSERT_EQ(messages.texts.size(), 1u) << ::testing::PrintToString(messages.Utf8());
    EXPECT_NE(messages.Utf8()[0].find("the supported-on definition SUPPORTED_Sample"),
              std::string::npos)
        << messages.Utf8()[0];
    EXPECT_NE(messages.Utf8()[0].find("Microsoft.Policies.Windows under the prefix windows"),
              std::string::npos);
    cObjPolicy& machine = PolicyNamed(*target, u"MachineOnly");
    EXPECT_EQ(machine.admx->supportedOn, u"SUPPORTED_Sample");
    EXPECT_EQ(target->ResolveText(machine.supportedText), u"At least Sample 2");
    EXPECT_EQ(PolicyNamed(*target, u"UserOnly").admx->supportedOn, u"windows:SUPPORTED_Windows7");

    prompts.savePath = FromUtf8((files.dir / "target" / "target.admx").string());
    fs::create_directories(files.dir / "target");
    ASSERT_TRUE(Run(cCommand::FileSaveAs));
    const std::string admx = files.Read("target/target.admx");
    EXPECT_NE(admx.find("<using prefix=\"windows\" namespace=\"Microsoft.Policies.Windows\""),
              std::string::npos)
        << admx;
    EXPECT_NE(admx.find("<definition name=\"SUPPORTED_Sample\""), std::string::npos);
    EXPECT_NE(files.Read("target/en-US/target.adml").find("At least Sample 2"), std::string::npos);

    // Undone, the paste takes the definition and the using out again.
    auto* state = dynamic_cast<cAdmxState*>(target->FormatState());
    ASSERT_NE(state, nullptr);
    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_TRUE(state->SupportedOn().definitions.empty());
    ASSERT_TRUE(state->templateProps.has_value());
    EXPECT_TRUE(state->templateProps->usings.empty());
    // The name the save gave the set stays.
    EXPECT_EQ(state->templateProps->target.prefix, u"target");
}

// From a set into a template a paste converts as convert does: the 64-bit number as NUMERIC,
// the list of texts as EDITTEXT, a supported-on text shown; another file's reference is named.
TEST_F(UiNewUser, PasteFromASetIntoATemplateConvertsAsConvertDoes) {
    ASSERT_NE(CopySampleChild(), nullptr);
    ASSERT_TRUE(Run(cCommand::FileNew));
    CPelwinDoc* target = frame->ActiveDocument();
    ASSERT_TRUE(Run(cCommand::NewClassMachine));
    messages.Clear();
    ASSERT_TRUE(Run(cCommand::EditPaste));
    ASSERT_EQ(messages.texts.size(), 1u);
    const std::string notice = messages.Utf8()[0];
    EXPECT_NE(notice.find("written as NUMERIC"), std::string::npos) << notice;
    EXPECT_NE(notice.find("written as a one-line EDITTEXT"), std::string::npos);
    EXPECT_NE(notice.find("windows:SUPPORTED_Windows7"), std::string::npos);
    std::vector<Text> kinds;
    const cPolicy* machine = nullptr;
    target->Tree().ForEachPreOrder([&](cTreeItem* at) {
        auto* policy = dynamic_cast<cObjPolicy*>(at->node.get());
        if (policy && policy->Parts().size() > 2)
            for (const auto& part : policy->Parts())
                kinds.push_back(part->typeKeyword);
        if (policy && policy->supportedFlag)
            machine = policy;
    });
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), u"NUMERIC"), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), u"EDITTEXT"), kinds.end());
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(target->ResolveText(machine->supportedText), u"At least Sample 2");
}

// The sheet shows a set's names as the tree does, and keeps the reference while unchanged.
TEST_F(UiNewUser, TheSheetShowsTheTextsASetsReferencesStandFor) {
    CPelwinDoc* doc = Open(files.PutSample());
    ASSERT_NE(doc, nullptr);
    cTreeItem* root = Named(*doc, kKindCategory, u"Root");
    ASSERT_TRUE(TreeOf(*doc)->Select(root));
    EXPECT_EQ(sheet->CategoryPage()->name->text(), "Sample root");
    sheet->ApplyButton()->click();
    EXPECT_EQ(static_cast<cCategory&>(*root->node).name, u"$(string.Root)");

    cObjPolicy& user = PolicyNamed(*doc, u"UserOnly");
    cObjPolPart* mode = nullptr;
    for (const auto& part : user.Parts())
        if (part->typeKeyword == u"DROPDOWNLIST")
            mode = part.get();
    ASSERT_NE(mode, nullptr);
    ASSERT_EQ(sheet->SetObject(mode), kSheetShown);
    sheet->ShowWindow(true);
    auto* items = dynamic_cast<cPPDro2*>(sheet->Pages().at(1));
    ASSERT_NE(items, nullptr);
    sheet->Tabs()->setCurrentWidget(items);
    QApplication::processEvents();
    ASSERT_NE(items->list, nullptr);
    ASSERT_GT(items->list->rowCount(), 0);
    EXPECT_EQ(items->list->item(0, 0)->text(), "Fast");
}

}  // namespace

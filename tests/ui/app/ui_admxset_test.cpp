#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUndoStack>

#include <sstream>

#include "core/admx/admxset.h"
#include "core/document/formats.h"
#include "core/edit/editstep.h"
#include "core/pages/applystep.h"
#include "core/pages/pagevalues.h"
#include "tests/core/admx/admxsample.h"
#include "tests/core/admx/canonical.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/checkdock.h"
#include "ui/app/childframe.h"
#include "ui/app/dialogtemplateprops.h"
#include "ui/app/mainframe.h"
#include "ui/edit/undohistory.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/dialogsupportedon.h"
#include "ui/tree/poltreeview.h"
#include "ui/tree/treemodel.h"

namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class UiAdmxSet : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CPelwinApp>();
        // The application shows messages in boxes; here they are recorded, so that a test
        // sees them and none waits for a click.
        SetMessageSink(&messages);
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        frame = app->MainFrame();
        ASSERT_TRUE(dir.isValid());
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
    fs::path Dir() const { return fs::path(dir.path().toStdString()); }
    // The item of the node of the kind that the set names so; null when there is none.
    static cTreeItem* ItemNamed(CPelwinDoc& doc, int kind, const char16_t* name) {
        cTreeItem* found = nullptr;
        doc.Tree().ForEachPreOrder([&](cTreeItem* at) {
            if (!found && at->node && at->node->kind == kind && at->node->admx &&
                at->node->admx->name == name)
                found = at;
        });
        return found;
    }
    // tessary-cli COMMAND PATH: its exit status and output.
    static std::pair<int, std::string> Cli(const QString& command, const fs::path& path) {
        QProcess cli;
        cli.setProcessChannelMode(QProcess::MergedChannels);
        cli.start(TESSARY_CLI_PATH, {command, QString::fromStdString(path.string())});
        EXPECT_TRUE(cli.waitForFinished(60000));
        return {cli.exitCode(), cli.readAll().toStdString()};
    }

    std::unique_ptr<CPelwinApp> app;
    cMessageRecorder messages;
    cScriptedPrompts prompts;
    CMainFrame* frame = nullptr;
    QTemporaryDir dir;
};

// The corpus set in the editor: a policy's key changed as its page applies it and saved
// changes that one attribute only; undone and saved, the files are the documents they were.
TEST_F(UiAdmxSet, KeyChangeSavesThatAttributeAndUndoGivesTheSourceBack) {
    const fs::path source = CorpusDir() / "admx";
    if (CorpusDir().empty() || !fs::exists(source / "chrome.admx"))
        GTEST_SKIP() << "no corpus";
    fs::copy_file(source / "chrome.admx", Dir() / "chrome.admx");
    fs::create_directories(Dir() / "en-US");
    fs::copy_file(source / "en-US" / "chrome.adml", Dir() / "en-US" / "chrome.adml");
    // The corpus is read-only; the copies are the user's own.
    for (const fs::path& file : {Dir() / "chrome.admx", Dir() / "en-US" / "chrome.adml"})
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    const std::string admx = Canonical(Bytes(Dir() / "chrome.admx"));
    const std::string adml = Canonical(Bytes(Dir() / "en-US" / "chrome.adml"));

    CPelwinDoc* doc = app->Docs().Open(FromUtf8((Dir() / "chrome.admx").string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(frame->ChildOf(*doc)->windowTitle(), "chrome.admx [en-US][*]");
    EXPECT_EQ(app->Docs().RecentFiles().front(), doc->Path());
    for (const auto& top : doc->Tree().Root()->children)
        EXPECT_NE(top->node->kind, kKindClass);

    // The first policy with a key of its own.
    cObjPolicy* policy = nullptr;
    doc->Tree().ForEachPreOrder([&](cTreeItem* item) {
        auto* node = dynamic_cast<cObjPolicy*>(item->node.get());
        if (!policy && node && !node->useDefaultKey)
            policy = node;
    });
    ASSERT_NE(policy, nullptr);
    const std::string oldKey = ToUtf8(policy->keyName);
    auto step = std::make_unique<cApplyPropertiesStep>(*policy);
    cPolicyPage1Values page = cPolicyPage1Values::Load(*policy);
    page.key.ownKey = u"Software\\Policies\\Changed";
    ASSERT_FALSE(page.Validate());
    page.ApplyTo(*policy);
    step->Finish(*policy);
    ASSERT_TRUE(PerformStep(*doc, std::move(step)));
    ASSERT_TRUE(doc->IsModified());
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());

    // The policy's line of the canonical text with the new key.
    std::string expected = admx;
    const size_t name = expected.find("name=[" + ToUtf8(policy->admx->name) + "]");
    ASSERT_NE(name, std::string::npos);
    const size_t key = expected.rfind("key=[" + oldKey + "]", name);
    ASSERT_NE(key, std::string::npos);
    ASSERT_EQ(expected.find('\n', key), expected.find('\n', name));
    expected.replace(key, oldKey.size() + 6, "key=[Software\\Policies\\Changed]");
    EXPECT_EQ(Canonical(Bytes(Dir() / "chrome.admx")), expected);
    EXPECT_EQ(Canonical(Bytes(Dir() / "en-US" / "chrome.adml")), adml);

    frame->ChildOf(*doc)->TreePane()->setFocus();
    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_EQ(ToUtf8(policy->keyName), oldKey);
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(Canonical(Bytes(Dir() / "chrome.admx")), admx);
    EXPECT_EQ(Canonical(Bytes(Dir() / "en-US" / "chrome.adml")), adml);
}

// File > New ADMX Template, a category, a policy with a part, saved through the menus: the
// command line reads the set back and lint finds no error in it.
TEST_F(UiAdmxSet, NewSetBuiltInTheEditorIsLintClean) {
    ASSERT_TRUE(Run(cCommand::FileNewAdmx));
    CPelwinDoc* doc = app->Docs().Documents().back().get();
    EXPECT_EQ(frame->ChildOf(*doc)->windowTitle(), "New1.admx [en-US][*]");
    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    ASSERT_NE(tree, nullptr);
    tree->setFocus();
    EXPECT_FALSE(Run(cCommand::NewClassMachine));
    EXPECT_FALSE(Run(cCommand::NewVersion));

    ASSERT_TRUE(Run(cCommand::NewCategory));
    cPropSheet& sheet = *frame->Sheet();
    sheet.CategoryPage()->name->setText("Made here");
    sheet.ApplyButton()->click();
    ASSERT_TRUE(Run(cCommand::NewPolicy));
    cPPPolicy1* page = sheet.PolicyPage();
    page->name->setText("Everything");
    page->key->useKey->click();
    page->key->ownKey->setText("Software\\Made");
    page->valueNameCheck->click();
    page->valueName->setText("Enabled");
    sheet.ApplyButton()->click();
    EXPECT_EQ(tree->SelectedItem()->label, u"Everything (Machine)");
    ASSERT_TRUE(Run(cCommand::NewPartEditText));

    const fs::path path = Dir() / "made.admx";
    prompts.savePath = FromUtf8(path.string());
    ASSERT_TRUE(Run(cCommand::FileSave));
    EXPECT_FALSE(doc->IsModified()) << ::testing::PrintToString(messages.Utf8());
    EXPECT_TRUE(prompts.offeredFormats.empty());
    EXPECT_EQ(frame->ChildOf(*doc)->windowTitle(), "made.admx [en-US][*]");
    auto [checkStatus, checkOut] = Cli("check", path);
    EXPECT_EQ(checkStatus, 0) << checkOut;
    auto [lintStatus, lintOut] = Cli("lint", path);
    EXPECT_EQ(lintOut.find(": error:"), std::string::npos) << lintOut << Bytes(path);
}

}  // namespace

// A policy's class changed on its ADMX page and applied: one step that the tree's label, the
// save and undo follow.
TEST_F(UiAdmxSet, ClassChangedOnThePolicysPage) {
    cTempSet set;
    const fs::path admx = set.PutSample();
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(admx.string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    cTreeItem* item = ItemNamed(*doc, kKindPolicy, u"Everyone");
    ASSERT_NE(item, nullptr);
    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    ASSERT_TRUE(tree->Select(item));
    EXPECT_TRUE(QString::fromStdU16String(item->label).endsWith("(Both)"));

    cPropSheet* sheet = frame->Sheet();
    ASSERT_EQ(sheet->PolicyAdmxPage()->policyClass->currentText(), "Both");
    // Supported on is the ADMX page's: the second page shows it without editing it.
    sheet->ShowWindow(true);
    sheet->Tabs()->setCurrentWidget(sheet->PolicySecondPage());
    ASSERT_NE(sheet->PolicySecondPage()->supported, nullptr);
    EXPECT_FALSE(sheet->PolicySecondPage()->supported->isEnabled());
    EXPECT_FALSE(sheet->PolicySecondPage()->supportedText->isEnabled());
    sheet->Tabs()->setCurrentWidget(sheet->PolicyAdmxPage());
    // As the user picks it from the list.
    QComboBox* classes = sheet->PolicyAdmxPage()->policyClass;
    classes->setCurrentText("User");
    emit classes->activated(classes->currentIndex());
    sheet->ApplyButton()->click();
    EXPECT_TRUE(messages.texts.empty()) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(item->node->admx->policyClass, u"User");
    EXPECT_TRUE(QString::fromStdU16String(item->label).endsWith("(User)"));
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    const std::string written = Bytes(admx);
    EXPECT_NE(written.find("name=\"Everyone\" class=\"User\""), std::string::npos);

    frame->ChildOf(*doc)->TreePane()->setFocus();
    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_EQ(item->node->admx->policyClass, u"Both");
    EXPECT_TRUE(QString::fromStdU16String(item->label).endsWith("(Both)"));
}

// A category's name changed on its ADMX tab: one step, which the save writes with the
// references of the policies in it, and undo takes back; its key cannot be given there.
TEST_F(UiAdmxSet, CategoryRenamedOnItsPage) {
    cTempSet set;
    const fs::path admx = set.PutSample();
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(admx.string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    cTreeItem* item = ItemNamed(*doc, kKindCategory, u"Child");
    ASSERT_NE(item, nullptr);
    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    ASSERT_TRUE(tree->Select(item));

    cPropSheet* sheet = frame->Sheet();
    sheet->ShowWindow(true);
    EXPECT_FALSE(sheet->CategoryPage()->key->isEnabled());
    sheet->Tabs()->setCurrentWidget(sheet->CategoryAdmxPage());
    QLineEdit* name = sheet->CategoryAdmxPage()->name;
    EXPECT_EQ(name->text(), "Child");
    name->setText("Offspring");
    emit name->textEdited(name->text());
    sheet->ApplyButton()->click();
    EXPECT_TRUE(messages.texts.empty()) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(item->node->admx->name, u"Offspring");
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    const std::string written = Bytes(admx);
    EXPECT_NE(written.find("<category name=\"Offspring\""), std::string::npos) << written;
    EXPECT_NE(written.find("<parentCategory ref=\"Offspring\"/>"), std::string::npos);
    EXPECT_EQ(written.find("\"Child\""), std::string::npos);

    frame->ChildOf(*doc)->TreePane()->setFocus();
    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_EQ(item->node->admx->name, u"Child");
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(Bytes(admx), kSampleAdmx);
}

// Policy > Supported on definitions: a definition added in the dialog, refused while its name
// is malformed (the dialog stays open), then applied as one step that undo takes back.
TEST_F(UiAdmxSet, SupportedOnDialogAddsADefinitionAsOneStep) {
    cTempSet set;
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(set.PutSample().string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    // A policy shown in the sheet meanwhile, whose page offers the definitions.
    cTreeItem* policy = ItemNamed(*doc, kKindPolicy, u"UserOnly");
    ASSERT_NE(policy, nullptr);
    ASSERT_TRUE(qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane())->Select(policy));
    QComboBox* offered = frame->Sheet()->PolicyAdmxPage()->supportedOn;
    frame->ChildOf(*doc)->TreePane()->setFocus();
    bool refusedAndStayed = false;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogSupportedOn*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->definitions->rowCount(), 1);
        EXPECT_EQ(dialog->definitions->item(0, 1)->text(), "At least Sample 2");
        dialog->addDefinition->click();
        ASSERT_EQ(dialog->definitions->rowCount(), 2);
        dialog->definitionName->setText("2 bad");
        dialog->definitionText->setText("Tool 2 or later");
        dialog->addRange->click();
        dialog->references->item(0, 1)->setText("Tool");
        dialog->references->item(0, 2)->setText("2");
        EXPECT_EQ(dialog->definitions->item(1, 2)->text(), "Range of Tool \u2265 2");
        // The product the range names, with a major version.
        dialog->tabs->setCurrentIndex(1);
        dialog->addProduct->click();
        dialog->productName->setText("Tool");
        dialog->addVersion->click();
        dialog->versionIndex->setText("3");
        ASSERT_EQ(dialog->products->topLevelItem(0)->childCount(), 1);
        EXPECT_EQ(dialog->products->topLevelItem(0)->child(0)->text(2), "3");
        // The application shows messages in boxes; here they are only recorded.
        cMessageRecorder refusal;
        dialog->okButton->click();
        refusedAndStayed = dialog->isVisible() && refusal.texts.size() == 1 &&
                           refusal.Utf8()[0].find("\"2 bad\" cannot be used") != std::string::npos;
        dialog->definitionName->setText("SUPPORTED_Tool");
        dialog->okButton->click();
    });
    ASSERT_TRUE(Run(cCommand::SupportedOn));
    EXPECT_TRUE(refusedAndStayed);
    const auto* state = dynamic_cast<const cAdmxState*>(doc->FormatState());
    ASSERT_TRUE(state && state->supportedOn);
    ASSERT_EQ(state->supportedOn->definitions.size(), 2u);
    EXPECT_EQ(doc->ResolveText(state->supportedOn->definitions[1].displayName), u"Tool 2 or later");
    ASSERT_EQ(state->supportedOn->products.size(), 1u);
    EXPECT_EQ(state->supportedOn->products[0].majors.at(0).versionIndex, u"3");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_NE(offered->findText("SUPPORTED_Tool"), -1);

    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_FALSE(state->supportedOn);
    EXPECT_EQ(offered->findText("SUPPORTED_Tool"), -1);
    EXPECT_FALSE(doc->Strings().Contains(u"SUPPORTED_Tool"));
    EXPECT_FALSE(Run(cCommand::EditUndo));

    // A template has no supportedOn table.
    ASSERT_TRUE(Run(cCommand::FileNew));
    frame->ChildOf(*app->Docs().Documents().back())->TreePane()->setFocus();
    EXPECT_FALSE(Run(cCommand::SupportedOn));
}

// Template properties through the Policy menu: a refused revision is named and the dialog
// stays open; a good one is one step, saved into the files, and undone.
TEST_F(UiAdmxSet, TemplatePropertiesAreOneStep) {
    ASSERT_TRUE(Run(cCommand::FileNew));
    EXPECT_FALSE(Run(cCommand::TemplateProperties));

    cTempSet set;
    const fs::path admx = set.PutSample();
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(admx.string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    frame->ChildOf(*doc)->TreePane()->setFocus();
    bool stayedOpen = false;
    QString refusal;
    OnNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<cDialogTemplateProps*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->targetPrefix->text(), "sample");
        EXPECT_EQ(dialog->usings->rowCount(), 1);
        dialog->revision->setText("2");
        dialog->okButton->click();
        if (!messages.texts.empty())
            refusal = QString::fromStdU16String(messages.texts.front());
        messages.Clear();
        stayedOpen = dialog->isVisible();
        dialog->revision->setText("2.0");
        dialog->minRequiredRevision->setText("2.0");
        dialog->okButton->click();
    });
    ASSERT_TRUE(Run(cCommand::TemplateProperties));
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(refusal.startsWith("The revision \"2\" is not a revision"))
        << refusal.toStdString();
    EXPECT_TRUE(doc->IsModified());
    QUndoStack* stack = frame->ChildOf(*doc)->History()->Stack();
    EXPECT_EQ(stack->undoText(), "Edit template properties");

    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_NE(Bytes(admx).find("revision=\"2.0\" schemaVersion"), std::string::npos);
    EXPECT_NE(Bytes(admx).find("minRequiredRevision=\"2.0\""), std::string::npos);
    EXPECT_NE(Bytes(set.dir / "en-US" / "sample.adml").find("revision=\"2.0\""), std::string::npos);
    auto [lintStatus, lintOut] = Cli("lint", admx);
    std::istringstream lines(lintOut);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.find(": error:") == std::string::npos || IsMissingSupportedOn(line))
            << line;

    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_FALSE(dynamic_cast<cAdmxState&>(*doc->FormatState()).templateProps);
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(Bytes(admx), kSampleAdmx);
}

// What the ADMX tabs show beyond their fields: the soft flag for a text or number only,
// applied as one step and undone; what an element keeps (its seeAlso) as read; the name the
// save will give a policy made in the editor.
TEST_F(UiAdmxSet, AdmxTabsShowSoftKeptAndDerivedNames) {
    cTempSet set;
    const fs::path admx = set.PutSample();
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(admx.string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    auto policyNamed = [&](const char16_t* name) { return ItemNamed(*doc, kKindPolicy, name); };
    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    cPropSheet* sheet = frame->Sheet();
    sheet->ShowWindow(true);

    cTreeItem* everyone = policyNamed(u"Everyone");
    ASSERT_TRUE(everyone && tree->Select(everyone));
    EXPECT_EQ(sheet->PolicyAdmxPage()->kept->text(), "See also: the other policies");
    cTreeItem* userOnly = policyNamed(u"UserOnly");
    ASSERT_TRUE(userOnly && tree->Select(userOnly));
    EXPECT_TRUE(sheet->PolicyAdmxPage()->kept->text().isEmpty());

    auto& policy = static_cast<cObjPolicy&>(*userOnly->node);
    cObjPolPart* count = nullptr;
    cObjPolPart* hosts = nullptr;
    for (const auto& part : policy.Parts()) {
        if (part->admx && part->admx->name == u"Count")
            count = part.get();
        if (part->admx && part->admx->name == u"Hosts")
            hosts = part.get();
    }
    ASSERT_TRUE(count && hosts);
    ASSERT_EQ(sheet->SetObject(hosts), kSheetShown);
    EXPECT_TRUE(sheet->ElementAdmxPage()->soft->isHidden());
    ASSERT_EQ(sheet->SetObject(count), kSheetShown);
    QCheckBox* soft = sheet->ElementAdmxPage()->soft;
    EXPECT_FALSE(soft->isHidden());
    EXPECT_FALSE(soft->isChecked());
    soft->click();
    sheet->ApplyButton()->click();
    EXPECT_TRUE(messages.texts.empty()) << ::testing::PrintToString(messages.Utf8());
    EXPECT_TRUE(count->admx->soft);
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_NE(Bytes(admx).find("<decimal id=\"Count\" valueName=\"Count\" minValue=\"1\" "
                               "maxValue=\"50\" soft=\"true\"/>"),
              std::string::npos);
    frame->ChildOf(*doc)->TreePane()->setFocus();
    ASSERT_TRUE(Run(cCommand::EditUndo));
    EXPECT_FALSE(count->admx->soft);

    // A new policy has no name yet: the tab shows the one its display text gives.
    ASSERT_TRUE(tree->Select(userOnly->parent));
    ASSERT_TRUE(Run(cCommand::NewPolicy));
    ASSERT_NE(sheet->CurrentNode(), nullptr);
    ASSERT_EQ(sheet->CurrentNode()->kind, kKindPolicy);
    cPPPolicy1* first = sheet->PolicyPage();
    first->name->setText("Turn it on");
    emit first->name->textEdited("Turn it on");
    first->key->useKey->click();
    first->key->ownKey->setText("Software\\Sample");
    emit first->key->ownKey->textEdited("Software\\Sample");
    sheet->ApplyButton()->click();
    EXPECT_TRUE(messages.texts.empty()) << ::testing::PrintToString(messages.Utf8());
    EXPECT_TRUE(sheet->PolicyAdmxPage()->name->text().isEmpty());
    EXPECT_EQ(sheet->PolicyAdmxPage()->name->placeholderText(), "TurnItOn (given on save)");
}

// A key moved where cloud device management may not write, not yet saved: the policy's ADMX
// tab says so under the key, and Tools > Check for MDM import finds it with the set's other
// faults for the import, in the findings panel.
TEST_F(UiAdmxSet, MdmImportCheckSeesUnsavedEditsAndTheAdmxTabNamesABlockedKey) {
    cTempSet set;
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(set.PutSample().string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    cPropSheet* sheet = frame->Sheet();
    sheet->ShowWindow(true);
    cTreeItem* everyone = ItemNamed(*doc, kKindPolicy, u"Everyone");
    ASSERT_TRUE(everyone && tree->Select(everyone));
    EXPECT_EQ(sheet->PolicyAdmxPage()->key->text(), "Software\\Sample");
    EXPECT_TRUE(sheet->PolicyAdmxPage()->mdmNote->isHidden());

    auto& policy = static_cast<cObjPolicy&>(*everyone->node);
    auto step = std::make_unique<cApplyPropertiesStep>(policy);
    cPolicyPage1Values page = cPolicyPage1Values::Load(policy);
    page.key.ownKey = u"software\\policies\\microsoft\\Windows\\Sample";
    page.ApplyTo(policy);
    step->Finish(policy);
    ASSERT_TRUE(PerformStep(*doc, std::move(step)));
    ASSERT_TRUE(tree->Select(ItemNamed(*doc, kKindPolicy, u"UserOnly")));
    ASSERT_TRUE(tree->Select(everyone));
    EXPECT_FALSE(sheet->PolicyAdmxPage()->mdmNote->isHidden());
    EXPECT_TRUE(sheet->PolicyAdmxPage()->mdmNote->text().contains("MDM"));

    ASSERT_TRUE(Run(cCommand::ToolsCheckMdm));
    QTreeWidget* list = frame->CheckDock()->List();
    QStringList rules;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rules << list->topLevelItem(i)->text(2);
    EXPECT_TRUE(rules.contains("mdm-blocked-key")) << rules.join(' ').toStdString();
    EXPECT_TRUE(rules.contains("mdm-own-prefix")) << rules.join(' ').toStdString();
    EXPECT_TRUE(rules.contains("mdm-combobox")) << rules.join(' ').toStdString();
    EXPECT_EQ(frame->CheckDock()->windowTitle(), "Check for MDM import");
    EXPECT_TRUE(doc->IsModified());
    // The plain check has no opinion on keys.
    ASSERT_TRUE(Run(cCommand::ToolsCheckTemplate));
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        EXPECT_FALSE(list->topLevelItem(i)->text(2).startsWith("mdm-"));
}

// A set whose references name nothing opens with one message listing its faults; the tree
// and the sheet mark what is to mend, with a tool tip saying what is missing.
TEST_F(UiAdmxSet, BrokenSetOpensMarked) {
    cTempSet set;
    std::string admx = kSampleAdmx;
    auto replace = [&](const std::string& from, const std::string& to) {
        admx.replace(admx.find(from), from.size(), to);
    };
    replace("$(string.Outside)", "$(string.Nowhere)");
    replace("<parentCategory ref=\"Child\"/>", "<parentCategory ref=\"Lost\"/>");
    replace("<supportedOn ref=\"SUPPORTED_Sample\"/>", "<supportedOn ref=\"SUPPORTED_None\"/>");
    set.Put("en-US/sample.adml", SampleAdml("en-US"));
    const fs::path path = set.Put("sample.admx", admx);
    CPelwinDoc* doc = app->Docs().Open(FromUtf8(path.string()));
    ASSERT_NE(doc, nullptr) << ::testing::PrintToString(messages.Utf8());
    ASSERT_EQ(messages.texts.size(), 1u) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(messages.severities[0], kSeverityWarning);
    EXPECT_NE(messages.Utf8()[0].find("3 faults"), std::string::npos) << messages.Utf8()[0];

    auto* tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
    cTreeModel& model = *tree->TreeModel();
    cTreeItem* outside = ItemNamed(*doc, kKindPolicy, u"Outside");
    const QModelIndex index = model.IndexFromItem(outside);
    EXPECT_TRUE(model.data(index, Qt::DisplayRole).toString().startsWith("$(string.Nowhere)"));
    EXPECT_TRUE(model.data(index, Qt::ToolTipRole).toString().contains("no string Nowhere"));
    EXPECT_TRUE(model.data(index, Qt::DecorationRole).canConvert<QIcon>());

    cTreeItem* lost = ItemNamed(*doc, kKindPolicy, u"MachineOnly");
    EXPECT_EQ(lost->parent, doc->Tree().Root());
    EXPECT_TRUE(model.data(model.IndexFromItem(lost), Qt::ToolTipRole).toString().contains("Lost"));
    ASSERT_TRUE(tree->Select(lost));
    cPropSheet* sheet = frame->Sheet();
    EXPECT_TRUE(sheet->PolicyPage()->nameFault->isVisible());
    EXPECT_TRUE(sheet->PolicyPage()->nameFault->toolTip().contains("Lost"));
    EXPECT_TRUE(sheet->PolicyAdmxPage()->supportedShown->text().contains("SUPPORTED_None"));

    // The healthy policy wears no mark.
    ASSERT_TRUE(tree->Select(ItemNamed(*doc, kKindPolicy, u"UserOnly")));
    EXPECT_FALSE(sheet->PolicyPage()->nameFault->isVisible());
    // Untouched, the save gives the file back as it was.
    doc->SetModifiedFlag(1);
    ASSERT_TRUE(app->Docs().Save(*doc)) << ::testing::PrintToString(messages.Utf8());
    EXPECT_EQ(Bytes(path), admx);
}

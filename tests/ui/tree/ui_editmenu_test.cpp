#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "core/document/document.h"
#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/preview/polleaveview.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/poltreeview.h"

namespace {

// The editor with one new, empty template, driven through its menus and its sheet.
class EditMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CPelwinApp>();
        SetMessageSink(&messages);  // recorded, not shown in boxes
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        frame = app->MainFrame();
        doc = app->Docs().New();
        ASSERT_NE(doc, nullptr);
        tree = qobject_cast<cPolTreeView*>(frame->ChildOf(*doc)->TreePane());
        preview = qobject_cast<cPolLeaveView*>(frame->ChildOf(*doc)->PreviewPane());
        ASSERT_TRUE(tree && preview);
        tree->setFocus();
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        doc->SetModifiedFlag(0);
        app.reset();
        QSettings().remove("Recent File List");
    }

    // Runs a menu item as the user would: enabled by its rule first.
    bool Run(cCommand id) {
        frame->UpdateCommands();
        QAction* action = frame->Command(id);
        if (!action->isEnabled())
            return false;
        action->trigger();
        return true;
    }
    std::vector<cCommand> EnabledPolicyItems() {
        frame->UpdateCommands();
        std::vector<cCommand> enabled;
        for (cCommand id : kPolicyItems)
            if (frame->Command(id)->isEnabled())
                enabled.push_back(id);
        return enabled;
    }
    void Type(QLineEdit* edit, const QString& text) { edit->setText(text); }
    cPropSheet& Sheet() { return *frame->Sheet(); }
    void Apply() { Sheet().ApplyButton()->click(); }

    static constexpr cCommand kPolicyItems[] = {
        cCommand::NewVersion,          cCommand::NewChildVersion, cCommand::NewClassMachine,
        cCommand::NewClassUser,        cCommand::NewCategory,     cCommand::NewChildCategory,
        cCommand::NewPolicy,           cCommand::NewPartCheckBox, cCommand::NewPartComboBox,
        cCommand::NewPartDropDownList, cCommand::NewPartEditText, cCommand::NewPartListBox,
        cCommand::NewPartNumeric,      cCommand::NewPartText};

    std::unique_ptr<CPelwinApp> app;
    cMessageRecorder messages;
    cScriptedPrompts prompts;
    CMainFrame* frame = nullptr;
    CPelwinDoc* doc = nullptr;
    cPolTreeView* tree = nullptr;      // Not owned.
    cPolLeaveView* preview = nullptr;  // Not owned.
    QTemporaryDir dir;
};

TEST_F(EditMenuTest, BuildsATemplateThatTheCommandLineReadsBack) {
    EXPECT_EQ(EnabledPolicyItems(),
              (std::vector<cCommand>{cCommand::NewVersion, cCommand::NewClassMachine,
                                     cCommand::NewClassUser}));
    ASSERT_TRUE(Run(cCommand::NewClassMachine));
    cTreeItem* machine = tree->SelectedItem();
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(machine->label, u"MACHINE");
    EXPECT_EQ(Sheet().windowTitle(), "Class Properties");
    EXPECT_TRUE(doc->IsModified());

    ASSERT_TRUE(Run(cCommand::NewCategory));
    Type(Sheet().CategoryPage()->name, "Tessary");
    Sheet().CategoryPage()->key->useKey->click();
    Type(Sheet().CategoryPage()->key->ownKey, "Software\\Tessary");
    Apply();
    EXPECT_EQ(tree->SelectedItem()->label, u"Tessary");

    ASSERT_TRUE(Run(cCommand::NewPolicy));
    cTreeItem* policyItem = tree->SelectedItem();
    EXPECT_EQ(policyItem->stateImage, kImagePage);
    cPPPolicy1* policyPage = Sheet().PolicyPage();
    Type(policyPage->name, "Everything");
    policyPage->key->useKey->click();
    Type(policyPage->key->ownKey, "Software\\Tessary\\Own");
    policyPage->valueNameCheck->click();
    Type(policyPage->valueName, "Enabled");
    Apply();

    // One part of each kind; each new one becomes the first.
    const cCommand parts[] = {cCommand::NewPartText,         cCommand::NewPartNumeric,
                              cCommand::NewPartListBox,      cCommand::NewPartEditText,
                              cCommand::NewPartDropDownList, cCommand::NewPartComboBox,
                              cCommand::NewPartCheckBox};
    for (cCommand id : parts)
        ASSERT_TRUE(Run(id));
    auto& policy = dynamic_cast<cObjPolicy&>(*policyItem->node);
    ASSERT_EQ(policy.Parts().size(), 7u);
    EXPECT_EQ(policy.Parts()[0]->typeKeyword, u"CHECKBOX");
    EXPECT_EQ(policy.Parts()[6]->typeKeyword, u"TEXT");
    EXPECT_EQ(tree->SelectedItem(), policyItem);  // the tree selection stays

    // Name each part through its page and give it a value name where it has one.
    int n = 0;
    for (const auto& part : policy.Parts()) {
        ASSERT_EQ(Sheet().SetObject(part.get()), kSheetShown);
        auto* page = Sheet().Pages().front();
        const QString name = QStringLiteral("Part %1").arg(++n);
        for (QLineEdit* edit : page->findChildren<QLineEdit*>()) {
            if (edit->isReadOnly() || !edit->isEnabled())
                continue;
            // The first free edit of a page is its name; a value name edit follows the key.
            if (edit == page->findChildren<QLineEdit*>().front())
                Type(edit, name);
        }
        if (auto* box = dynamic_cast<cPPCheckBox1*>(page))
            Type(box->valueName, "Box");
        if (auto* edit = dynamic_cast<cPPEditText1*>(page))
            Type(edit->valueName, "Edit");
        if (auto* combo = dynamic_cast<cPPCombo1*>(page)) {
            Type(combo->valueName, "Combo");
            combo->AddSuggestion();
        }
        if (auto* list = dynamic_cast<cPPDro1*>(page))
            Type(list->valueName, "List");
        if (auto* num = dynamic_cast<cPPNum1*>(page))
            Type(num->valueName, "Number");
        Apply();
    }
    EXPECT_EQ(policy.Parts()[0]->name, u"Part 1");
    EXPECT_TRUE(messages.texts.empty());

    prompts.formatChoice = 1;
    prompts.savePath = (dir.filePath("built.adm")).toStdU16String();
    frame->Command(cCommand::FileSave)->trigger();
    ASSERT_FALSE(doc->IsModified());

    QProcess cli;
    cli.start(TESSARY_CLI_PATH, {"check", dir.filePath("built.adm")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(cli.readAllStandardError().toStdString(), "");
    EXPECT_EQ(cli.readAllStandardOutput().toStdString(), "");
}

TEST_F(EditMenuTest, PartItemsActOnThePreviewWhileItIsActive) {
    ASSERT_TRUE(Run(cCommand::NewClassMachine));
    ASSERT_TRUE(Run(cCommand::NewCategory));
    ASSERT_TRUE(Run(cCommand::NewPolicy));
    cTreeItem* policyItem = tree->SelectedItem();
    auto& policy = dynamic_cast<cObjPolicy&>(*policyItem->node);
    for (cCommand id : {cCommand::NewPartText, cCommand::NewPartText, cCommand::NewPartText})
        ASSERT_TRUE(Run(id));
    for (size_t i = 0; i < 3; ++i)
        policy.Parts()[i]->name = Text(1, char16_t(u'A' + i));

    // The preview becomes the active view: only the part items and its edit items remain.
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    preview->setFocus();
    ASSERT_TRUE(preview->HasActiveBorder());
    frame->UpdateCommands();
    EXPECT_FALSE(frame->Command(cCommand::NewPartCheckBox)->isEnabled());  // no part selected
    ASSERT_EQ(Sheet().SetObject(policy.Parts()[1].get()), kSheetShown);
    EXPECT_EQ(EnabledPolicyItems(),
              (std::vector<cCommand>{cCommand::NewPartCheckBox, cCommand::NewPartComboBox,
                                     cCommand::NewPartDropDownList, cCommand::NewPartEditText,
                                     cCommand::NewPartListBox, cCommand::NewPartNumeric,
                                     cCommand::NewPartText}));
    EXPECT_FALSE(frame->Command(cCommand::EditPasteNext)->isEnabled());
    ASSERT_TRUE(Run(cCommand::NewPartCheckBox));
    ASSERT_EQ(policy.Parts().size(), 4u);
    EXPECT_EQ(policy.Parts()[2]->typeKeyword, u"CHECKBOX");
    // Laid out again with nothing selected: the part items are off until a part is chosen.
    EXPECT_EQ(preview->SelectedPart(), nullptr);
    EXPECT_FALSE(Run(cCommand::NewPartText));

    // Copy, change the label, paste after the first part: the copy has the changed label.
    Sheet().SetObject(policy.Parts()[3].get());
    ASSERT_TRUE(Run(cCommand::EditCopy));
    policy.Parts()[3]->name = u"C2";
    Sheet().SetObject(policy.Parts()[0].get());
    ASSERT_TRUE(Run(cCommand::EditPaste));
    EXPECT_EQ(policy.Parts()[1]->name, u"C2");

    // Delete the first part: the second becomes the head. The sheet still shows the first
    // part, which selects it again only after showing another.
    EXPECT_FALSE(Run(cCommand::EditDelete));
    Sheet().SetObject(policy.Parts()[1].get());
    Sheet().SetObject(policy.Parts()[0].get());
    ASSERT_TRUE(Run(cCommand::EditDelete));
    EXPECT_EQ(policy.Parts()[0]->name, u"C2");
    EXPECT_EQ(policy.Parts().size(), 4u);

    // Each of them is a step of the template's history, taken back from the Edit menu.
    frame->UpdateCommands();
    EXPECT_EQ(frame->Command(cCommand::EditUndo)->text(), "&Undo Delete part A");
    ASSERT_TRUE(Run(cCommand::EditUndo));
    ASSERT_TRUE(Run(cCommand::EditUndo));
    ASSERT_TRUE(Run(cCommand::EditUndo));
    ASSERT_EQ(policy.Parts().size(), 3u);
    EXPECT_EQ(policy.Parts()[0]->name, u"A");
    EXPECT_EQ(policy.Parts()[2]->typeKeyword, u"TEXT");
}

TEST_F(EditMenuTest, CancellingTheSheetsQuestionKeepsTheNewItemButNotTheSelection) {
    ASSERT_TRUE(Run(cCommand::NewClassMachine));
    ASSERT_TRUE(Run(cCommand::NewCategory));
    cTreeItem* category = tree->SelectedItem();
    Type(Sheet().CategoryPage()->name, "Pending");
    prompts.answers = {cAnswer::Cancel};
    ASSERT_TRUE(Run(cCommand::NewPolicy));
    EXPECT_EQ(prompts.questions, std::vector<Text>{u"Apply changes to the current category?"});
    ASSERT_EQ(category->children.size(), 1u);
    EXPECT_EQ(category->children[0]->label, u"<new>");
    EXPECT_EQ(tree->SelectedItem(), category);
    EXPECT_EQ(Sheet().CategoryPage()->name->text(), "Pending");
}

}  // namespace

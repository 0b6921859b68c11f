#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "core/model/nodeobjects.h"
#include "tests/core/admx/admxsample.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/checkdock.h"
#include "ui/app/childframe.h"
#include "ui/app/comparewindow.h"
#include "ui/app/mainframe.h"
#include "ui/tree/poltreeview.h"

namespace {

// Answers Compare with... as told and records what it was offered.
class cComparePrompts : public cScriptedPrompts {
public:
    bool AskCompareWith(const CPelwinDoc&, const std::vector<CPelwinDoc*>& others,
                        cCompareChoice& choice) override {
        offered = others;
        if (!answer)
            return false;
        choice = *answer;
        return true;
    }
    bool AskSiteFolder(Text& folder) override {
        if (siteFolder.empty())
            return false;
        folder = siteFolder;
        return true;
    }
    std::vector<CPelwinDoc*> offered;
    std::optional<cCompareChoice> answer;
    Text siteFolder;
};

class UiCompare : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CPelwinApp>();
        messages = std::make_unique<cMessageRecorder>();
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (qobject_cast<cCompareWindow*>(window))
                delete window;
        messages.reset();
        app.reset();
    }
    QString Write(const char* name, const QByteArray& text) {
        QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    CPelwinDoc* Open(const char* name, const QByteArray& text) {
        return app->Docs().Open(Write(name, text).toStdU16String());
    }
    cCompareWindow* Report() const {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* report = qobject_cast<cCompareWindow*>(window))
                return report;
        return nullptr;
    }
    cTreeItem* SelectedIn(CPelwinDoc& doc) const {
        CChildFrame* child = app->MainFrame()->ChildOf(doc);
        auto* tree = child ? qobject_cast<cPolTreeView*>(child->TreePane()) : nullptr;
        return tree ? tree->SelectedItem() : nullptr;
    }
    void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* row) {
        emit tree->itemDoubleClicked(row, 0);
    }

    std::unique_ptr<CPelwinApp> app;
    std::unique_ptr<cMessageRecorder> messages;
    cComparePrompts prompts;
    QTemporaryDir dir;
};

const char kOld[] =
    "CLASS MACHINE\nCATEGORY Cat KEYNAME K\n"
    " POLICY \"Kept\" VALUENAME kept END POLICY\n"
    " POLICY \"Gone\" VALUENAME gone END POLICY\n"
    " POLICY \"Edited\" VALUENAME edited END POLICY\nEND CATEGORY\n";
const char kNew[] =
    "CLASS MACHINE\nCATEGORY Cat KEYNAME K\n"
    " POLICY \"Kept\" VALUENAME kept END POLICY\n"
    " POLICY \"Edited\" VALUENAME edited EXPLAIN \"Now explained\" END POLICY\n"
    " POLICY \"New\" VALUENAME new END POLICY\nEND CATEGORY\n";

TEST_F(UiCompare, ComparesWithAnOpenTemplateAndLeadsToItsPolicies) {
    CPelwinDoc* older = Open("old.adm", kOld);
    CPelwinDoc* newer = Open("new.adm", kNew);
    ASSERT_TRUE(older && newer);
    QAction* command = app->MainFrame()->Command(cCommand::WindowCompare);
    app->MainFrame()->UpdateCommands();
    ASSERT_TRUE(command->isEnabled());

    // Cancelled: no report. The other open template is offered.
    command->trigger();
    EXPECT_EQ(prompts.offered, std::vector<CPelwinDoc*>{older});
    EXPECT_EQ(Report(), nullptr);

    prompts.answer = cCompareChoice{older, {}, true};
    command->trigger();
    cCompareWindow* report = Report();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->Summary()->text(),
              "From old.adm (older) to new.adm (newer): 1 added, 1 removed, 1 changed.");
    QTreeWidget* tree = report->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    QTreeWidgetItem* added = tree->topLevelItem(0);
    QTreeWidgetItem* removed = tree->topLevelItem(1);
    QTreeWidgetItem* changed = tree->topLevelItem(2);
    EXPECT_EQ(added->text(0), "Added (1)");
    EXPECT_EQ(removed->text(0), "Removed (1)");
    EXPECT_EQ(changed->text(0), "Changed (1)");
    ASSERT_EQ(changed->childCount(), 1);
    EXPECT_EQ(changed->child(0)->text(0), "MACHINE > Cat > Edited");
    EXPECT_EQ(changed->child(0)->text(1), "K\\edited");
    ASSERT_EQ(changed->child(0)->childCount(), 1);
    EXPECT_EQ(changed->child(0)->child(0)->text(0), "explain text");

    // A double click selects the policy in its template: a removed one in the older.
    DoubleClick(tree, removed->child(0));
    ASSERT_NE(SelectedIn(*older), nullptr);
    EXPECT_EQ(SelectedIn(*older)->label, u"Gone");
    EXPECT_EQ(app->MainFrame()->ActiveDocument(), older);
    // A change's own row leads to the newer template's policy.
    DoubleClick(tree, changed->child(0)->child(0));
    EXPECT_EQ(app->MainFrame()->ActiveDocument(), newer);
    EXPECT_EQ(SelectedIn(*newer)->label, u"Edited");
    // A group row leads nowhere.
    EXPECT_FALSE(report->GoTo(added));

    // A policy deleted since is not found; the user is told.
    cTreeItem* fresh = nullptr;
    newer->Tree().ForEachPreOrder([&](cTreeItem* item) {
        if (item->label == u"New")
            fresh = item;
    });
    ASSERT_NE(fresh, nullptr);
    newer->Tree().DeleteItem(fresh);
    messages->Clear();
    EXPECT_FALSE(report->GoTo(added->child(0)));
    ASSERT_EQ(messages->texts.size(), 1u);
    EXPECT_EQ(messages->Utf8()[0], "new.adm no longer holds the policy MACHINE > Cat > New.");
}

TEST_F(UiCompare, ComparesWithAFileAndOpensItToShowAPolicy) {
    CPelwinDoc* newer = Open("new.adm", kNew);
    ASSERT_NE(newer, nullptr);
    QString oldPath = Write("old.adm", kOld);
    prompts.answer = cCompareChoice{nullptr, oldPath.toStdU16String(), true};
    app->MainFrame()->Command(cCommand::WindowCompare)->trigger();
    cCompareWindow* report = Report();
    ASSERT_NE(report, nullptr);
    // The file is read for the report alone: it is not open in the editor.
    EXPECT_EQ(app->Docs().Documents().size(), 1u);
    EXPECT_EQ(report->Result().removed, 1u);

    DoubleClick(report->Tree(), report->Tree()->topLevelItem(1)->child(0));
    CPelwinDoc* opened = app->Docs().FindByPath(oldPath.toStdU16String());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(app->MainFrame()->ActiveDocument(), opened);
    ASSERT_NE(SelectedIn(*opened), nullptr);
    EXPECT_EQ(SelectedIn(*opened)->label, u"Gone");

    // A file that cannot be read gives no report, and says why.
    delete report;
    messages->Clear();
    prompts.answer = cCompareChoice{nullptr, dir.filePath("missing.adm").toStdU16String(), false};
    app->MainFrame()->Command(cCommand::WindowCompare)->trigger();
    EXPECT_EQ(Report(), nullptr);
    EXPECT_FALSE(messages->texts.empty());
}

// A folder is a store: the open set compares with the sets of the folder as a whole, and a
// policy of the store opens in its own file.
TEST_F(UiCompare, ComparesWithAStoreFolderAndOpensTheFileOfItsPolicy) {
    QDir(dir.path()).mkpath("store/en-US");
    std::string older = kSampleAdmx;
    // The older release has a policy the newer lacks.
    older.insert(older.find("  </policies>"),
                 "<policy name=\"Dropped\" class=\"Machine\" displayName=\"$(string.Outside)\" "
                 "key=\"Software\\Sample\" valueName=\"Dropped\"><parentCategory ref=\"Child\"/>"
                 "</policy>\n");
    Write("store/sample.admx", QByteArray::fromStdString(older));
    Write("store/en-US/sample.adml", QByteArray::fromStdString(SampleAdml("en-US")));
    QDir(dir.path()).mkpath("new/en-US");
    Write("new/en-US/sample.adml", QByteArray::fromStdString(SampleAdml("en-US")));
    CPelwinDoc* newer = Open("new/sample.admx", kSampleAdmx);
    ASSERT_NE(newer, nullptr);

    prompts.answer = cCompareChoice{nullptr, dir.filePath("store").toStdU16String(), true};
    app->MainFrame()->Command(cCommand::WindowCompare)->trigger();
    cCompareWindow* report = Report();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->Summary()->text(),
              "From store (older) to sample.admx [en-US] (newer): 0 added, 1 removed, 0 changed.");
    EXPECT_EQ(app->Docs().Documents().size(), 1u);

    DoubleClick(report->Tree(), report->Tree()->topLevelItem(1)->child(0));
    CPelwinDoc* opened = app->Docs().FindByPath(dir.filePath("store/sample.admx").toStdU16String());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(app->MainFrame()->ActiveDocument(), opened);
    ASSERT_NE(SelectedIn(*opened), nullptr);
    EXPECT_EQ(SelectedIn(*opened)->label.substr(0, 7), u"Outside");

    // File > Export documentation site writes the site of both open sets.
    prompts.siteFolder = dir.filePath("site").toStdU16String();
    messages->Clear();
    app->MainFrame()->Command(cCommand::FileExportSite)->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("site/index.html")));
    EXPECT_TRUE(QFile::exists(dir.filePath("site/policies/sample.Dropped.html")));
    ASSERT_EQ(messages->texts.size(), 1u);
    EXPECT_NE(messages->Utf8()[0].find("9 policy pages of 2 templates were written"),
              std::string::npos);
}

TEST(UiCompareDialog, OffersTheOpenTemplatesAndAFile) {
    cDialogCompareWith dialog("new.adm", {"old.adm"});
    EXPECT_EQ(dialog.OtherIndex(), 0);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.PathEdit()->isEnabled());
    EXPECT_TRUE(dialog.OtherIsOlder());
    dialog.OtherBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog.OtherIndex(), -1);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.PathEdit()->setText(" /tmp/x.adm ");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.Path(), u"/tmp/x.adm");
}

}  // namespace

// Tools > Check template lists the faults of the template as it stands, unsaved edits
// included, and a double click on one selects its node.
TEST_F(UiCompare, CheckTemplateListsFindingsThatLeadToTheirNodes) {
    CPelwinDoc* doc = Open("check.adm",
                           "CLASS MACHINE\nCATEGORY Cat KEYNAME K\n"
                           " POLICY \"Good\" VALUENAME good END POLICY\n"
                           " POLICY \"Empty\" END POLICY\nEND CATEGORY\n");
    ASSERT_NE(doc, nullptr);
    QAction* command = app->MainFrame()->Command(cCommand::ToolsCheckTemplate);
    app->MainFrame()->UpdateCommands();
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    cCheckDock* dock = app->MainFrame()->CheckDock();
    ASSERT_NE(dock, nullptr);
    QTreeWidget* list = dock->List();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "empty-policy");
    EXPECT_EQ(dock->Summary()->text(),
              "check.adm: 0 errors, 1 warning. Double click a finding to select its node.");
    emit list->itemActivated(list->topLevelItem(0), 0);
    ASSERT_NE(SelectedIn(*doc), nullptr);
    EXPECT_EQ(SelectedIn(*doc)->label, u"Empty");
    EXPECT_FALSE(doc->IsModified());
}

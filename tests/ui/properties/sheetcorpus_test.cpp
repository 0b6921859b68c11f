#include <gtest/gtest.h>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoGroup>

#include "core/model/nodeobjects.h"
#include "core/pages/applystep.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/poltreeview.h"

namespace {

// The editor as a user runs it, over a copy of a real template.
class SheetCorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = CorpusDir() / "chrome-en-US.adm";
        if (CorpusDir().empty() || !std::filesystem::exists(source))
            GTEST_SKIP() << "no corpus";
        app = std::make_unique<CPelwinApp>();
        SetMessageSink(&messages);  // recorded, not shown in boxes
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("template.adm");
        ASSERT_TRUE(QFile::copy(QString::fromStdString(source.string()), path));
        doc = app->Docs().Open(path.toStdU16String());
        ASSERT_NE(doc, nullptr);
        view = dynamic_cast<cPolTreeView*>(app->MainFrame()->ChildOf(*doc)->TreePane());
        ASSERT_NE(view, nullptr);
        sheet = app->MainFrame()->Sheet();
    }
    void TearDown() override {
        if (doc)
            doc->SetModifiedFlag(0);
        app.reset();
        QSettings().remove("Recent File List");
    }

    cTreeItem* Find(const Text& name) const {
        cTreeItem* found = nullptr;
        doc->Tree().ForEachPreOrder([&](cTreeItem* item) {
            auto* policy = dynamic_cast<cPolicy*>(item->node.get());
            if (!found && policy && policy->name == name)
                found = item;
        });
        return found;
    }
    QByteArray Saved() {
        EXPECT_TRUE(app->Docs().Save(*doc));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Chooses "Use key:" with key and renames the policy, then applies.
    void ChangeNameAndKey(const QString& name, const QString& key) {
        cPPPolicy1* page = sheet->PolicyPage();
        Type(page->name, name);
        page->key->useKey->click();
        Type(page->key->ownKey, key);
        sheet->ApplyButton()->click();
    }

    std::filesystem::path source;
    cScriptedPrompts prompts;
    cMessageRecorder messages;
    std::unique_ptr<CPelwinApp> app;
    QTemporaryDir dir;
    QString path;
    CPelwinDoc* doc = nullptr;
    cPolTreeView* view = nullptr;
    cPropSheet* sheet = nullptr;
};

TEST_F(SheetCorpusTest, AppliedKeyIsWrittenAndReadBackByTheCommandLine) {
    cTreeItem* item = Find(u"!!ScreenCaptureAllowed_Policy");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(view->Select(item));
    EXPECT_EQ(sheet->PolicyPage()->key->defaultKey->text(), "Software\\Policies\\Google\\Chrome");
    ChangeNameAndKey("!!ScreenCaptureAllowed_Policy", "Software\\Tessary\\Capture");
    EXPECT_TRUE(doc->IsModified());
    Saved();

    // Read back and written again by the command line, the key is still the policy's own.
    QString again = dir.filePath("again.adm");
    QProcess cli;
    cli.start(TESSARY_CLI_PATH, {"convert", path, again});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    QFile file(again);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("\xff\xfe"));
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                      (bytes.size() - 2) / 2);
    int policy = text.indexOf("POLICY \"!!ScreenCaptureAllowed_Policy\"");
    ASSERT_GE(policy, 0);
    int end = text.indexOf("END POLICY", policy);
    QString body = text.mid(policy, end - policy);
    EXPECT_TRUE(body.contains("KEYNAME \"Software\\Tessary\\Capture\"")) << body.toStdString();
}

TEST_F(SheetCorpusTest, UndoOfAnApplyRestoresTheWrittenBytes) {
    QByteArray original = Saved();
    cTreeItem* item = Find(u"!!ScreenCaptureAllowed_Policy");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(view->Select(item));
    const QString shown = QString::fromStdU16String(item->label);
    ChangeNameAndKey("Renamed policy", "Software\\Other");
    EXPECT_EQ(item->label, u"Renamed policy");
    QByteArray applied = Saved();
    EXPECT_NE(applied, original);

    // The apply is a step of the template's history, undone and redone by the Edit menu.
    CMainFrame* frame = app->MainFrame();
    frame->UpdateCommands();
    QAction* undo = frame->Command(cCommand::EditUndo);
    EXPECT_EQ(undo->text(), "&Undo Apply properties of Renamed policy");
    undo->trigger();
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(item->label, shown.toStdU16String());
    EXPECT_EQ(sheet->PolicyPage()->name->text(), "!!ScreenCaptureAllowed_Policy");
    EXPECT_EQ(Saved(), original);
    frame->Command(cCommand::EditRedo)->trigger();
    EXPECT_EQ(item->label, u"Renamed policy");
    EXPECT_EQ(sheet->PolicyPage()->name->text(), "Renamed policy");
    EXPECT_EQ(Saved(), applied);
}

TEST_F(SheetCorpusTest, SavingAsksAboutPendingEditsAndCancelWritesNothing) {
    cTreeItem* item = Find(u"!!ScreenCaptureAllowed_Policy");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(view->Select(item));
    QByteArray before = Saved();
    Type(sheet->PolicyPage()->name, "Pending name");
    doc->SetModifiedFlag(1);

    prompts.answers = {cAnswer::Cancel};
    EXPECT_FALSE(app->Docs().Save(*doc));
    EXPECT_EQ(prompts.questions.back(), u"Apply changes to the current policy?");
    EXPECT_TRUE(doc->IsModified());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(sheet->PolicyPage()->name->text(), "Pending name");

    // Yes applies first, so the file holds the new name.
    prompts.answers = {cAnswer::Yes};
    EXPECT_TRUE(app->Docs().Save(*doc));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(item->label, u"Pending name");
    EXPECT_TRUE(app->MainFrame()->UndoGroup()->canUndo());
}

}  // namespace

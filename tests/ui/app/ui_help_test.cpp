#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/helpwindow.h"
#include "ui/app/mainframe.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/findbar.h"

namespace {

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CPelwinApp>();
        SetMessageSink(&messages);  // recorded, not shown in boxes
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        frame = app->MainFrame();
    }
    void TearDown() override {
        app.reset();
        QSettings().remove("Recent File List");
    }

    cScriptedPrompts prompts;
    cMessageRecorder messages;
    std::unique_ptr<CPelwinApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(HelpTest, OpensAtThePageOfTheFocusedWindow) {
    CPelwinDoc* doc = app->Docs().New();
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = frame->ChildOf(*doc);
    EXPECT_TRUE(frame->Command(cCommand::Help)->isEnabled());

    EXPECT_EQ(cHelpWindow::TopicFor(child->TreePane()), "tree.html");
    EXPECT_EQ(cHelpWindow::TopicFor(child->FindBar()->Field()), "tree.html");
    EXPECT_EQ(cHelpWindow::TopicFor(child->PreviewPane()), "preview.html");
    EXPECT_EQ(cHelpWindow::TopicFor(frame->Sheet()->ClassPage()), "pages.html");
    EXPECT_EQ(cHelpWindow::TopicFor(frame->Sheet()->ApplyButton()), "sheet.html");
    EXPECT_EQ(cHelpWindow::TopicFor(frame->Sheet()->NullPage()), "sheet.html");
    EXPECT_EQ(cHelpWindow::TopicFor(frame), "index.html");
    EXPECT_EQ(cHelpWindow::TopicFor(nullptr), "index.html");

    frame->ShowHelp();
    ASSERT_NE(frame->HelpWindow(), nullptr);
    EXPECT_TRUE(frame->HelpWindow()->isVisible());
    // Every page is compiled in and links to the others.
    for (const char* page : {"index.html", "tree.html", "preview.html", "sheet.html", "pages.html",
                             "saving.html", "cli.html"}) {
        frame->HelpWindow()->ShowTopic(page);
        QString text = frame->HelpWindow()->Browser()->toPlainText();
        EXPECT_TRUE(text.contains("Contents")) << page;
        EXPECT_GT(text.size(), 300) << page;
    }
    frame->HelpWindow()->hide();
}

TEST_F(HelpTest, ClosesWithEscAndCtrlWAndExplainsTheSecondPolicyPage) {
    frame->ShowHelp();
    cHelpWindow* help = frame->HelpWindow();
    ASSERT_NE(help, nullptr);
    for (QKeySequence key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        help->ShowTopic("pages.html");
        QApplication::setActiveWindow(help);
        ASSERT_TRUE(QTest::qWaitForWindowActive(help));
        ASSERT_TRUE(help->isVisible());
        QTest::keySequence(help->Browser(), key);
        EXPECT_FALSE(help->isVisible()) << key.toString().toStdString();
    }
    help->ShowTopic("pages.html");
    QString text = help->Browser()->toPlainText();
    for (const char* words : {"Supported on", "Explain", "Clientext GUID", "Shows:"})
        EXPECT_TRUE(text.contains(words)) << words;
    help->hide();
}

TEST_F(HelpTest, ShortcutTableHoldsTheAlternativeKeys) {
    auto keys = [this](cCommand id) {
        QStringList list;
        for (const QKeySequence& key : frame->Command(id)->shortcuts())
            list << key.toString();
        return list;
    };
    EXPECT_EQ(keys(cCommand::EditCopy), QStringList({"Ctrl+C", "Ctrl+Ins"}));
    EXPECT_EQ(keys(cCommand::EditPaste), QStringList({"Ctrl+V", "Shift+Ins"}));
    EXPECT_EQ(keys(cCommand::EditPasteNext), QStringList({"Ctrl+Shift+V"}));
    EXPECT_EQ(keys(cCommand::EditCut), QStringList({"Ctrl+X", "Shift+Del"}));
    EXPECT_EQ(keys(cCommand::EditUndo), QStringList({"Ctrl+Z", "Alt+Backspace"}));
    EXPECT_EQ(keys(cCommand::Help), QStringList({"F1"}));
}

}  // namespace

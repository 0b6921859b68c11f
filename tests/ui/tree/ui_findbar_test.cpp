#include <gtest/gtest.h>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/nodeobjects.h"
#include "tests/testsupport.h"
#include "tests/ui/app/uitest.h"
#include "ui/app/childframe.h"
#include "ui/app/mainframe.h"
#include "ui/properties/proppages.h"
#include "ui/properties/propsheet.h"
#include "ui/tree/findbar.h"
#include "ui/tree/poltreeview.h"
#include "ui/tree/treemodel.h"

namespace {

const char kTemplate[] = R"(CLASS MACHINE
CATEGORY !!Browser
  KEYNAME "Software\Vendor\Browser"
  POLICY !!Homepage
    VALUENAME "HomepageLocation"
    PART !!Url EDITTEXT VALUENAME "HomeUrl" END PART
  END POLICY
  CATEGORY "Startup"
    POLICY "Restore tabs"
      VALUENAME "RestoreOnStartup"
    END POLICY
    POLICY "Button"
      VALUENAME "ShowButton"
      SUPPORTED !!SinceTwo
    END POLICY
  END CATEGORY
  POLICY "Proxy"
    KEYNAME "Software\Vendor\Network"
    VALUENAME "ProxyMode"
  END POLICY
END CATEGORY
CLASS USER
CATEGORY "Printing"
  KEYNAME "Software\Vendor\Print"
  POLICY "Print headers"
    VALUENAME "HeaderFooter"
  END POLICY
END CATEGORY

[strings]
Browser=Web browser
Homepage=Home page
Url=Start address
SinceTwo=Version 2 and later
)";

// The editor with one template open, the way a user has it.
class FindBarTest : public ::testing::Test {
protected:
    void Open(const QString& path) {
        app = std::make_unique<CPelwinApp>();
        QSettings().remove("Recent File List");
        app->SetPrompts(&prompts);
        app->SetWelcomeInterval(1);
        ASSERT_TRUE(app->InitInstance({"tessary"}));
        doc = app->Docs().Open(path.toStdU16String());
        ASSERT_NE(doc, nullptr);
        frame = app->MainFrame();
        child = frame->ChildOf(*doc);
        view = dynamic_cast<cPolTreeView*>(child->TreePane());
        ASSERT_NE(view, nullptr);
        bar = child->FindBar();
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    }
    void OpenText(const char* text) {
        ASSERT_TRUE(dir.isValid());
        QString path = dir.filePath("template.adm");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        Open(path);
    }
    void TearDown() override {
        app.reset();
        QSettings().remove("Recent File List");
    }

    QString Label(const cTreeItem* item) const { return QString::fromStdU16String(item->label); }
    QString Selected() const {
        cTreeItem* item = view->SelectedItem();
        return item ? Label(item) : QString();
    }
    // The labels of the rows a user sees, expanded or not, in tree order.
    QStringList Shown() const {
        QStringList shown;
        doc->Tree().ForEachPreOrder([&](cTreeItem* item) {
            QModelIndex index = view->TreeModel()->IndexFromItem(item);
            for (QModelIndex up = index; up.isValid(); up = up.parent())
                if (view->isRowHidden(up.row(), up.parent()))
                    return;
            shown << Label(item);
        });
        return shown;
    }
    int AllRows() const {
        int rows = 0;
        doc->Tree().ForEachPreOrder([&](cTreeItem*) { ++rows; });
        return rows;
    }
    cTreeItem* Item(const QString& label) const {
        cTreeItem* found = nullptr;
        doc->Tree().ForEachPreOrder([&](cTreeItem* item) {
            if (!found && Label(item) == label)
                found = item;
        });
        return found;
    }
    void Type(const QString& text) {
        bar->Field()->selectAll();
        QTest::keyClicks(bar->Field(), text);
    }

    cScriptedPrompts prompts;
    std::unique_ptr<CPelwinApp> app;
    QTemporaryDir dir;
    CPelwinDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
    CChildFrame* child = nullptr;
    cPolTreeView* view = nullptr;
    cFindBar* bar = nullptr;
};

TEST_F(FindBarTest, TypingFiltersF3StepsInTreeOrderAndEscRestoresTheTree) {
    OpenText(kTemplate);
    ASSERT_TRUE(view->Select(Item("Printing")));
    const int all = AllRows();

    ASSERT_EQ(frame->Command(cCommand::EditFind)->shortcut(), QKeySequence(QKeySequence::Find));
    frame->Command(cCommand::EditFind)->trigger();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->Field()->hasFocus());

    // "home" is in a display text, a resolved !! text and a value name; matches show with
    // their ancestors only, and the first match is selected.
    Type("home");
    EXPECT_EQ(Shown(), (QStringList{"MACHINE", "Web browser", "Home page"}));
    EXPECT_EQ(Selected(), "Home page");
    EXPECT_EQ(bar->Count()->text(), "1 of 1");

    // A value name deep in a sub-category, and a supported-on text.
    Type("restoreonstartup");
    EXPECT_EQ(Shown(), (QStringList{"MACHINE", "Web browser", "Startup", "Restore tabs"}));
    EXPECT_TRUE(view->isExpanded(view->TreeModel()->IndexFromItem(Item("Startup"))));
    Type("version 2");
    EXPECT_EQ(Selected(), "Button");
    // Match case and the two kinds of text are options.
    bar->MatchCase()->setChecked(true);
    EXPECT_EQ(bar->Count()->text(), "0 of 0");
    bar->MatchCase()->setChecked(false);
    bar->NamesAndTexts()->setChecked(false);
    EXPECT_EQ(bar->Count()->text(), "0 of 0");
    bar->NamesAndTexts()->setChecked(true);

    // Keys match where a node names its own: the two categories and the policy that has one.
    Type("software\\vendor\\");
    EXPECT_EQ(bar->Count()->text(), "1 of 3");
    EXPECT_EQ(Selected(), "Web browser");
    bar->KeysAndValues()->setChecked(false);
    EXPECT_EQ(bar->Count()->text(), "0 of 0");
    bar->KeysAndValues()->setChecked(true);

    // F3 walks the matches in tree order and wraps; Shift+F3 walks back; Enter in the field
    // is F3. The keys work in the tree as in the field.
    QStringList walked{Selected()};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(i % 2 ? static_cast<QWidget*>(view) : bar->Field(), Qt::Key_F3);
        walked << Selected();
    }
    EXPECT_EQ(walked, (QStringList{"Web browser", "Proxy", "Printing", "Web browser"}));
    EXPECT_EQ(bar->Count()->text(), "1 of 3");
    QTest::keyClick(bar->Field(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "Printing");
    QTest::keyClick(bar->Field(), Qt::Key_Return);
    EXPECT_EQ(Selected(), "Web browser");
    QTest::keyClick(bar->Field(), Qt::Key_Return);
    EXPECT_EQ(Selected(), "Proxy");
    EXPECT_EQ(bar->Count()->text(), "2 of 3");

    // A selection that is no match steps to the match after it.
    ASSERT_TRUE(view->Select(Item("MACHINE")));
    EXPECT_EQ(bar->Count()->text(), "0 of 3");
    bar->FindNext();
    EXPECT_EQ(Selected(), "Web browser");

    // Nothing found (pasted, as typing passes through prefixes that match): nothing shown,
    // the selection stays.
    bar->Field()->setText("no such thing");
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(Selected(), "Web browser");
    bar->FindNext();
    EXPECT_EQ(Selected(), "Web browser");

    // Esc shows the whole tree with the selection kept and the focus back in the tree.
    Type("print h");
    EXPECT_EQ(Selected(), "Print headers");
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(Shown().size(), all);
    EXPECT_EQ(Selected(), "Print headers");
    EXPECT_TRUE(view->hasFocus());
    // What the find unfolded is folded again, except the way to the selection.
    EXPECT_FALSE(view->isExpanded(view->TreeModel()->IndexFromItem(Item("Startup"))));
    EXPECT_TRUE(view->isExpanded(view->TreeModel()->IndexFromItem(Item("Printing"))));
    // F3 does nothing while the bar is closed.
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(Selected(), "Print headers");
    EXPECT_FALSE(doc->IsModified());

    // Opened again, the bar filters by its last text and leaves the selection where it is.
    ASSERT_TRUE(view->Select(Item("Proxy")));
    frame->Command(cCommand::EditFind)->trigger();
    EXPECT_EQ(bar->Field()->selectedText(), "print h");
    EXPECT_EQ(Shown(), (QStringList{"USER", "Printing", "Print headers"}));
    EXPECT_EQ(Selected(), "Proxy");
    EXPECT_EQ(bar->Count()->text(), "0 of 1");
}

TEST_F(FindBarTest, TheFilterFollowsATreeChangeAndAClosedWindow) {
    OpenText(kTemplate);
    frame->Command(cCommand::EditFind)->trigger();
    Type("print");
    EXPECT_EQ(Shown(), (QStringList{"USER", "Printing", "Print headers"}));
    // A node deleted while the filter is on: the matches are taken again.
    doc->Tree().DeleteItem(Item("Print headers"));
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (QStringList{"USER", "Printing"}));
    EXPECT_EQ(bar->Matches().size(), 1u);
    doc->SetModifiedFlag(0);
    // Closing the window with the bar open leaves nothing behind that points at the tree.
    child->close();
    QApplication::processEvents();
    EXPECT_TRUE(app->Docs().Documents().empty());
}

// Moving to the first match asks the sheet like any selection change; a refusal is not asked
// again on every further keystroke while the first match stays the same.
TEST_F(FindBarTest, UnappliedEditsAreAskedAboutOnceWhileTyping) {
    OpenText(kTemplate);
    ASSERT_TRUE(view->Select(Item("Proxy")));
    QTest::keyClicks(frame->Sheet()->PolicyPage()->name, "x");
    frame->Command(cCommand::EditFind)->trigger();
    bar->Field()->setText("Home");
    ASSERT_EQ(prompts.questions.size(), 1u);
    QTest::keyClicks(bar->Field(), " page");
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(Selected(), "Proxy");
    EXPECT_EQ(bar->Count()->text(), "0 of 1");
    // F3 asks again, and Yes applies the edit and moves.
    prompts.answers = {cAnswer::Yes};
    QTest::keyClick(bar->Field(), Qt::Key_F3);
    EXPECT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(Selected(), "Home page");
    EXPECT_TRUE(doc->IsModified());
    doc->SetModifiedFlag(0);
}

TEST_F(FindBarTest, AValueNameOfARealTemplateFindsItsPolicy) {
    std::filesystem::path source = CorpusDir() / "chrome-en-US.adm";
    if (CorpusDir().empty() || !std::filesystem::exists(source))
        GTEST_SKIP() << "no corpus";
    ASSERT_TRUE(dir.isValid());
    QString path = dir.filePath("chrome.adm");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(source.string()), path));
    Open(path);
    frame->Command(cCommand::EditFind)->trigger();
    bar->NamesAndTexts()->setChecked(false);
    Type("ScreenCaptureAllowed");
    ASSERT_FALSE(bar->Matches().empty());
    auto* policy = dynamic_cast<cPolicy*>(view->SelectedNode());
    ASSERT_NE(policy, nullptr);
    EXPECT_EQ(policy->valueName, u"ScreenCaptureAllowed");
    EXPECT_TRUE(bar->Count()->text().startsWith("1 of "));
    // Every row shown is a match or holds one.
    const QStringList shown = Shown();
    EXPECT_LT(shown.size(), AllRows() / 10);
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    EXPECT_EQ(Shown().size(), AllRows());
    EXPECT_EQ(view->SelectedNode(), policy);
}

}  // namespace
